// The lookup button: a glyph speed button bound to an input control. Pressing it
// does what F2 in that control does (the owning form opens the lookup for it), and
// it keeps itself glued to the right of the control.
#pragma once

#include <QPointer>

#include "components/GSpdBtn.h"

namespace kv {

// The lookup request: the receiving form treats it as F2 pressed in the control
// passed in LParam (WParam 0).
constexpr unsigned WM_LOOKUPREQUEST = WM_USER + 10;

// The window a control's lookup request goes to: the control's owner (its form),
// or the form it sits on when its owner is no control.
TControl* LookupReceiver(TWinControl* control);

class TF2Button : public TGSpeedButton {
    Q_OBJECT
    Q_PROPERTY(bool AutoAlign READ AutoAlign WRITE SetAutoAlign)
    Q_PROPERTY(kv::TWinControl* F2Control READ F2Control WRITE SetF2Control)
    Q_PROPERTY(int Gap READ Gap WRITE SetGap)
public:
    explicit TF2Button(TComponent* AOwner);
    ~TF2Button() override;

    bool AutoAlign() const { return FAutoAlign; }
    void SetAutoAlign(bool on);
    TWinControl* F2Control() const { return FF2Control; }
    // Binds the button to control (null unbinds). A control may have one lookup
    // button among the buttons of a parent: binding a second one is refused with
    // an error box and the button keeps its binding.
    void SetF2Control(TWinControl* control);
    // Pixels between the control and the button, 0..255.
    int Gap() const { return FGap; }
    void SetGap(int gap);

    // OnClick, then the lookup request to the control's owner when the control is
    // enabled and takes the focus.
    void Click() override;

    // With a control and AutoAlign: a square as high as the control, Gap pixels to
    // its right, top to top.
    void AlignToControl();

private:
    class TControlWatcher;
    // Another lookup button of this one's parent bound to control, or null.
    TF2Button* OtherButtonBoundTo(const TWinControl* control) const;
    void WatchControl();
    void StopWatching();
    void ControlDestroyed();
    void ControlVisibilityChanged();

    QPointer<TWinControl> FF2Control;
    TControlWatcher* FWatcher = nullptr;
    bool FAutoAlign = true;
    int FGap = 2;
};

}  // namespace kv

#include "components/F2Button.h"

#include <QEvent>

#include <algorithm>

#include "platform/Dialogs.h"
#include "platform/Forms.h"

namespace kv {

namespace {

const QString kSecondButtonError = QStringLiteral("不能同时有两个 F2Button 指到同一个 Edit.");

}  // namespace

TControl* LookupReceiver(TWinControl* control) {
    if (auto* owner = qobject_cast<TControl*>(control->Owner())) return owner;
    return GetParentForm(control);
}

// Watches the bound control's widget, so the button follows the control as it is
// moved, resized, shown or hidden.
class TF2Button::TControlWatcher : public QObject {
public:
    TControlWatcher(TF2Button* button, TWinControl* control) : QObject(button), FButton(button), FControl(control) {
        control->Handle()->installEventFilter(this);
        connect(control, &QObject::destroyed, this, [button] { button->ControlDestroyed(); });
    }
    ~TControlWatcher() override {
        if (FControl && FControl->Handle()) FControl->Handle()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A widget being torn down with its control is no move of the control.
        if (!FControl || FControl->IsDestroying() || watched != FControl->Handle()) return false;
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize: FButton->AlignToControl(); break;
            case QEvent::ShowToParent:
            case QEvent::HideToParent: FButton->ControlVisibilityChanged(); break;
            default: break;
        }
        return false;
    }

private:
    TF2Button* FButton;
    QPointer<TWinControl> FControl;
};

TF2Button::TF2Button(TComponent* AOwner) : TGSpeedButton(AOwner) {
    SetGlyphIndex(8);
    SetFlat(true);
}

TF2Button::~TF2Button() { StopWatching(); }

void TF2Button::SetAutoAlign(bool on) {
    FAutoAlign = on;
    AlignToControl();
}

void TF2Button::SetF2Control(TWinControl* control) {
    if (control) {
        if (control == FF2Control) return;
        if (OtherButtonBoundTo(control)) {
            MessageDlg(kSecondButtonError, mtError, MsgDlgButton(mbOK));
            return;
        }
    }
    StopWatching();
    FF2Control = control;
    WatchControl();
    AlignToControl();
}

void TF2Button::SetGap(int gap) {
    gap = std::clamp(gap, 0, 255);
    if (gap == FGap) return;
    FGap = gap;
    AlignToControl();
}

void TF2Button::Click() {
    QPointer<TF2Button> alive(this);
    TGSpeedButton::Click();
    if (!alive) return;
    QPointer<TWinControl> control = FF2Control.data();
    if (!control || !control->Enabled()) return;
    // Focusing runs the exit handler of the control left, which may keep the
    // focus where it was or free things: only a control that got the focus is
    // looked up.
    if (control->CanFocus()) control->SetFocus();
    if (!control || !control->Focused()) return;
    if (TControl* receiver = LookupReceiver(control))
        receiver->Perform(WM_LOOKUPREQUEST, 0, ControlParam(control.data()));
}

void TF2Button::AlignToControl() {
    if (!FF2Control || !FAutoAlign) return;
    const int side = FF2Control->Height();
    SetBounds(FF2Control->Left() + FF2Control->Width() + FGap, FF2Control->Top(), side, side);
}

TF2Button* TF2Button::OtherButtonBoundTo(const TWinControl* control) const {
    const TWinControl* parent = Parent();
    if (!parent) return nullptr;
    auto boundOther = [&](QObject* candidate) -> TF2Button* {
        auto* button = qobject_cast<TF2Button*>(candidate);
        return button && button != this && button->F2Control() == control ? button : nullptr;
    };
    // The buttons placed on the parent, and those it owns (a parent built with
    // its own buttons, as a panel may be).
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (TF2Button* other = boundOther(parent->Controls(i))) return other;
    for (int i = 0; i < parent->ComponentCount(); ++i)
        if (TF2Button* other = boundOther(parent->Components(i))) return other;
    return nullptr;
}

void TF2Button::WatchControl() {
    if (FF2Control && !FWatcher) FWatcher = new TControlWatcher(this, FF2Control);
}

void TF2Button::StopWatching() {
    delete FWatcher;
    FWatcher = nullptr;
}

void TF2Button::ControlDestroyed() {
    // Called from the watcher's own connection: it goes once control returns.
    if (FWatcher) FWatcher->deleteLater();
    FWatcher = nullptr;
    FF2Control = nullptr;
}

void TF2Button::ControlVisibilityChanged() {
    if (FF2Control) SetVisible(FF2Control->Visible());
}

}  // namespace kv

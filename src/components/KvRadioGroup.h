// A captioned group of radio buttons built from a string list, one of which is
// selected (ItemIndex). The group makes, captions and places its buttons itself,
// in Columns columns.
#pragma once

#include <vector>

#include "components/KvRadioButton.h"
#include "platform/StdCtrls.h"

namespace kv {

class TKvRadioGroup;

// One button of a group, owned by it. Clicks count only while the group can be
// modified; keys go to the button and then to the group.
class TKvGroupButton : public TKvRadioButton {
    Q_OBJECT
public:
    explicit TKvGroupButton(TKvRadioGroup* group);
    ~TKvGroupButton() override;

    TKvRadioGroup* Group() const { return FGroup; }
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(QChar& key) override;

protected:
    void ButtonClicked() override;
    void ButtonDblClicked() override;

private:
    friend class TKvRadioGroup;
    // Runs a native notification once at a time, only when the group allows
    // changes; an error is shown, not passed on into the event loop.
    template <class F>
    void GuardedNotification(F&& notify);
    TKvRadioGroup* FGroup;
    bool FInClick = false;
};

class TKvRadioGroup : public TCustomGroupBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(int Columns READ Columns WRITE SetColumns)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(kv::TStrings* Items READ Items WRITE SetItems)
    Q_PROPERTY(kv::Enums::TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
public:
    explicit TKvRadioGroup(TComponent* AOwner);
    ~TKvRadioGroup() override;

    // 1..16; a change re-arranges the buttons.
    int Columns() const { return FColumns; }
    void SetColumns(int columns);
    // -1 (nothing selected) .. button count - 1. While the form is being read
    // the value is only kept; afterwards it is clamped, and moving it checks the
    // new button (which raises OnClick).
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int index);
    TStrings* Items() const { return FItems; }
    // Copies the lines.
    void SetItems(TStrings* items);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode mode);
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }

    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    TKvGroupButton* Buttons(int index) const;

    // Whether the user may change the selection; a data-aware group says no
    // when its data cannot be edited.
    virtual bool CanModify() const { return true; }
    // Places the buttons in columns, filling each column from the top.
    void ArrangeButtons();

    void SetBounds(int left, int top, int width, int height) override;
    void SetEnabled(bool on) override;
    void SetName(const QString& name) override;

protected:
    void Loaded() override;
    void FontChanged() override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;

private:
    friend class TKvGroupButton;
    // The form is still being read: properties are only stored.
    bool Reading() const { return ComponentState().testFlag(csReading); }
    void ButtonClick(TObject* sender);
    void ItemsChanged();
    void UpdateButtons();
    void SetButtonCount(int count);

    std::vector<TKvGroupButton*> FButtons;
    TStringList* FItems = nullptr;
    int FItemIndex = -1;
    int FColumns = 1;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FUpdating = false;
};

}  // namespace kv

#include "components/KvRadioGroup.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QPainter>

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "platform/Dialogs.h"

namespace kv {

// ---- TKvGroupButton ----------------------------------------------------------------

TKvGroupButton::TKvGroupButton(TKvRadioGroup* group) : TKvRadioButton(group), FGroup(group) {
    group->FButtons.push_back(this);
    SetVisible(false);
    SetEnabled(group->Enabled());
    SetParentShowHint(false);
    SetBiDiMode(group->BiDiMode());
    OnClick = [group](TObject* sender) { group->ButtonClick(sender); };
    SetParent(group);
}

TKvGroupButton::~TKvGroupButton() {
    if (!FGroup) return;
    auto& list = FGroup->FButtons;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

template <class F>
void TKvGroupButton::GuardedNotification(F&& notify) {
    if (FInClick) return;
    FInClick = true;
    QPointer<TKvGroupButton> alive(this);
    try {
        if (FGroup && FGroup->CanModify()) notify();
    } catch (const std::exception& e) {
        MessageDlg(QString::fromUtf8(e.what()), mtError, MsgDlgButton(mbOK));
    }
    // A click handler may have freed this button (it changed the items).
    if (alive) FInClick = false;
}

void TKvGroupButton::ButtonClicked() {
    GuardedNotification([this] { TKvRadioButton::ButtonClicked(); });
}

void TKvGroupButton::ButtonDblClicked() {
    GuardedNotification([this] { TKvRadioButton::ButtonDblClicked(); });
}

void TKvGroupButton::KeyDown(std::uint16_t& key, TShiftState shift) {
    QPointer<TKvRadioGroup> group(FGroup);
    TKvRadioButton::KeyDown(key, shift);
    if (group) group->KeyDown(key, shift);
}

void TKvGroupButton::KeyPress(QChar& key) {
    QPointer<TKvRadioGroup> group(FGroup);
    TKvRadioButton::KeyPress(key);
    if (!group) return;
    group->KeyPress(key);
    // Space would choose this button, backspace clear a data-aware choice.
    if ((key == QChar(8) || key == QLatin1Char(' ')) && !group->CanModify()) key = QChar();
}

// ---- TKvRadioGroup -----------------------------------------------------------------

namespace {

// The classic etched frame with the caption in a gap of its top line. The
// buttons paint their captions on the control's colour, so the frame must not
// tint the area inside it the way some desktop styles do.
class TKvRadioGroupWidget : public QGroupBox {
public:
    TKvRadioGroupWidget() = default;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QFontMetrics metrics(font());
        const int lineY = metrics.height() / 2;
        const QRect frame(0, lineY, width() - 1, height() - lineY - 1);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(frame.adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(frame.adjusted(1, 1, 0, 0));
        const QString caption = title();
        if (caption.isEmpty()) return;
        const int textWidth = metrics.horizontalAdvance(QString(caption).remove(QLatin1Char('&')));
        const QRect text(8, 0, textWidth + 4, metrics.height());
        p.fillRect(text, palette().color(backgroundRole()));
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(text, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, caption);
    }
};

}  // namespace

TKvRadioGroup::TKvRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner, NewWidget<TKvRadioGroupWidget>()) {
    FItems = new TStringList(this);
    connect(FItems, &TStrings::Changed, this, [this] { ItemsChanged(); });
}

TKvRadioGroup::~TKvRadioGroup() {
    SetComponentStateFlag(csDestroying, true);
    // The buttons leave the list as they go; the list must outlive them.
    while (!FButtons.empty()) delete FButtons.back();
}

TKvGroupButton* TKvRadioGroup::Buttons(int index) const {
    if (index < 0 || index >= ButtonCount()) throw std::out_of_range("Radio group button index out of bounds");
    return FButtons[static_cast<size_t>(index)];
}

void TKvRadioGroup::SetColumns(int columns) {
    columns = std::clamp(columns, 1, 16);
    if (columns == FColumns) return;
    FColumns = columns;
    ArrangeButtons();
    Invalidate();
}

void TKvRadioGroup::SetItemIndex(int index) {
    if (Reading()) {
        FItemIndex = index;
        return;
    }
    if (index < -1) index = -1;
    if (index >= ButtonCount()) index = ButtonCount() - 1;
    if (index == FItemIndex) return;
    if (FItemIndex >= 0 && FItemIndex < ButtonCount()) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(false);
    FItemIndex = index;
    if (FItemIndex >= 0) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(true);
}

void TKvRadioGroup::SetItems(TStrings* items) {
    if (items && items != FItems) FItems->Assign(items);
}

void TKvRadioGroup::SetBiDiMode(TBiDiMode mode) {
    if (mode == FBiDiMode) return;
    FBiDiMode = mode;
    for (TKvGroupButton* b : FButtons) b->SetBiDiMode(mode);
    ArrangeButtons();
}

void TKvRadioGroup::ButtonClick(TObject* sender) {
    if (FUpdating) return;
    const auto it = std::find(FButtons.begin(), FButtons.end(), sender);
    FItemIndex = it == FButtons.end() ? -1 : static_cast<int>(it - FButtons.begin());
    Perform(CM_CHANGED, 0, ControlParam(this));
    Click();
}

void TKvRadioGroup::ItemsChanged() {
    if (Reading() || IsDestroying()) return;
    if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
    UpdateButtons();
}

void TKvRadioGroup::UpdateButtons() {
    SetButtonCount(FItems->Count());
    for (int i = 0; i < ButtonCount(); ++i) FButtons[static_cast<size_t>(i)]->SetCaption(FItems->Strings(i));
    // An index read with the form may lie past the items it came with.
    FItemIndex = std::clamp(FItemIndex, -1, ButtonCount() - 1);
    if (FItemIndex >= 0) {
        FUpdating = true;
        FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(true);
        FUpdating = false;
    }
    ArrangeButtons();
    Invalidate();
}

void TKvRadioGroup::SetButtonCount(int count) {
    while (ButtonCount() < count) new TKvGroupButton(this);
    while (ButtonCount() > count) {
        TKvGroupButton* surplus = FButtons.back();
        if (!surplus->FInClick) {
            delete surplus;
            continue;
        }
        // The group's click handler dropped the very button being clicked: its
        // widget is still inside its own mouse handler, so it goes once that is
        // over.
        FButtons.pop_back();
        surplus->FGroup = nullptr;
        surplus->SetParent(nullptr);
        surplus->deleteLater();
    }
}

void TKvRadioGroup::ArrangeButtons() {
    if (FButtons.empty() || Reading()) return;
    const int charHeight = QFontMetrics(Font()->ToQFont()).height();
    const int count = ButtonCount();
    const int rows = (count + FColumns - 1) / FColumns;
    const int width = (Width() - 10) / FColumns;
    const int space = Height() - charHeight - 5;
    const int height = space / rows;
    const int topMargin = charHeight + 1 + (space % rows) / 2;
    // Placed together, without a repaint for each move.
    const bool updates = Handle()->updatesEnabled();
    Handle()->setUpdatesEnabled(false);
    for (int i = 0; i < count; ++i) {
        int left = (i / rows) * width + 8;
        if (UseRightToLeftAlignment()) left = ClientWidth() - left - width;
        TKvGroupButton* button = FButtons[static_cast<size_t>(i)];
        button->SetBounds(left, (i % rows) * height + topMargin, width, height);
        button->SetVisible(true);
    }
    Handle()->setUpdatesEnabled(updates);
}

void TKvRadioGroup::SetBounds(int left, int top, int width, int height) {
    const QSize before = Handle()->size();
    TCustomGroupBox::SetBounds(left, top, width, height);
    // A hidden widget hears of its new size only when shown; the buttons must
    // fit it now.
    if (Handle()->size() != before) ArrangeButtons();
}

void TKvRadioGroup::SetEnabled(bool on) {
    TCustomGroupBox::SetEnabled(on);
    for (TKvGroupButton* b : FButtons) b->SetEnabled(on);
}

void TKvRadioGroup::SetName(const QString& name) {
    // In the designer a new group shows its name until it is given a caption.
    const bool captionIsName = ComponentState().testFlag(csDesigning) && GetText() == Name();
    TCustomGroupBox::SetName(name);
    if (captionIsName) SetText(name);
}

void TKvRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    UpdateButtons();
}

void TKvRadioGroup::FontChanged() {
    TCustomGroupBox::FontChanged();
    ArrangeButtons();
}

bool TKvRadioGroup::WidgetEvent(QWidget* widget, QEvent* event) {
    const bool consumed = TCustomGroupBox::WidgetEvent(widget, event);
    if (widget != FHandle) return consumed;
    if (event->type() == QEvent::Resize) ArrangeButtons();
    if (event->type() == QEvent::MouseButtonDblClick) DblClick();
    return consumed;
}

}  // namespace kv

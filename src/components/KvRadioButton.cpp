#include "components/KvRadioButton.h"

#include <QMouseEvent>
#include <QPainter>

#include <cstdint>

#include "platform/Graphics.h"
#include "platform/StdCtrls.h"

namespace kv {

// The native button: it draws the circle, and the control paints the caption
// over it. A click does not check the button by itself; the control decides, as
// it may refuse (a group that cannot be modified).
class TKvRadioWidget : public QRadioButton {
public:
    explicit TKvRadioWidget(QWidget* parent = nullptr) : QRadioButton(parent) { setAutoExclusive(false); }

protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent* event) override {
        QRadioButton::paintEvent(event);
        auto* control = qobject_cast<TKvRadioButton*>(TControl::FromWidget(this));
        if (!control || control->Handle() != this) return;
        QPainter painter(this);
        control->PaintCaption(painter);
    }
};

int RadioCaptionOffset(int points) {
    struct Band {
        int From, To, Offset;
    };
    static constexpr Band kBands[] = {
        {1, 8, 17},   {9, 15, 19},  {16, 17, 20}, {18, 23, 21}, {24, 29, 23}, {30, 35, 25},
        {36, 41, 27}, {42, 43, 29}, {44, 60, 31}, {61, 80, 39},
    };
    for (const Band& b : kBands)
        if (points >= b.From && points <= b.To) return b.Offset;
    return 44;
}

TKvRadioButton::TKvRadioButton(TComponent* AOwner) : TWinControl(AOwner, NewWidget<TKvRadioWidget>()) {
    FCanvas = new TCanvas(this);
    RadioButton()->setFocusPolicy(Qt::StrongFocus);
    SetBounds(Left(), Top(), 113, 17);
    SetTabStop(false);
    SyncNativeCheck();
    ApplyLayoutDirection();
    connect(RadioButton(), &QAbstractButton::clicked, this, [this] { ButtonClicked(); });
}

QString TKvRadioButton::GetText() const { return RadioButton()->text(); }

void TKvRadioButton::SetText(const QString& text) {
    if (text == RadioButton()->text()) return;
    RadioButton()->setText(text);
    Perform(CM_TEXTCHANGED);
}

void TKvRadioButton::SetAlignment(TAlignment alignment) {
    if (alignment == FAlignment) return;
    FAlignment = alignment;
    ApplyLayoutDirection();
}

void TKvRadioButton::SetBiDiMode(TBiDiMode mode) {
    if (mode == FBiDiMode) return;
    FBiDiMode = mode;
    ApplyLayoutDirection();
}

bool TKvRadioButton::CaptionOnLeft() const { return (FAlignment == taLeftJustify) != UseRightToLeftAlignment(); }

void TKvRadioButton::ApplyLayoutDirection() {
    RadioButton()->setLayoutDirection(CaptionOnLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    Invalidate();
}

void TKvRadioButton::SyncNativeCheck() {
    FSyncing = true;
    RadioButton()->setChecked(FChecked);
    FSyncing = false;
}

void TKvRadioButton::SetChecked(bool on) {
    if (on == FChecked) return;
    FChecked = on;
    SetTabStop(on);
    SyncNativeCheck();
    if (!on) return;
    TurnSiblingsOff();
    Perform(CM_CHANGED, 0, ControlParam(this));
    // Buttons checked while a form is being built raise nothing.
    if (!IsLoading()) Click();
}

void TKvRadioButton::TurnSiblingsOff() {
    TWinControl* parent = Parent();
    if (!parent) return;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* sibling = qobject_cast<TKvRadioButton*>(parent->Controls(i)); sibling && sibling != this)
            sibling->SetChecked(false);
}

void TKvRadioButton::ButtonClicked() { SetChecked(true); }

void TKvRadioButton::ButtonDblClicked() { DblClick(); }

void TKvRadioButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<std::uint16_t>(message.WParam), GetText()) && CanFocus()) {
                SetFocus();
                message.Result = 1;
                return;
            }
            break;
        case CM_ENABLEDCHANGED:
        case CM_TEXTCHANGED: Invalidate(); break;
        default: break;
    }
    TWinControl::WndProc(message);
}

bool TKvRadioButton::WidgetEvent(QWidget* widget, QEvent* event) {
    // The native button takes the second press of a double click as a press
    // (and so as a click); the double click itself is the notification.
    if (event->type() == QEvent::MouseButtonDblClick && widget == FHandle &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        QPointer<TKvRadioButton> alive(this);
        ButtonDblClicked();
        if (!alive) return true;
    }
    return TWinControl::WidgetEvent(widget, event);
}

void TKvRadioButton::FontChanged() {
    TWinControl::FontChanged();
    Invalidate();
}

QRect TKvRadioButton::CaptionArea() const {
    const int offset = RadioCaptionOffset(Font()->Size());
    QRect r(0, 0, ClientWidth(), ClientHeight());
    if (CaptionOnLeft())
        r.setRight(r.right() - offset);
    else
        r.setLeft(r.left() + offset);
    return r;
}

void TKvRadioButton::PaintCaption(QPainter& painter) {
    const QRect area = CaptionArea();
    FCanvas->SetPainter(&painter);
    FCanvas->SetFont(Font());
    FCanvas->Brush()->SetColor(Color());
    FCanvas->Pen()->SetColor(Color());
    FCanvas->FillRect(area.adjusted(-4, -4, 4, 4));
    const int align = UseRightToLeftAlignment() ? Qt::AlignRight : Qt::AlignLeft;
    FCanvas->DrawText(area, GetText(), align | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic);
    FCanvas->SetPainter(nullptr);
}

}  // namespace kv

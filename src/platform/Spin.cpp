#include "platform/Spin.h"

#include <QEvent>

#include <algorithm>
#include <climits>

namespace kv {

namespace {

constexpr int kButtonWidth = 15;

bool ParseInteger(const QString& text, int& value) {
    bool ok = false;
    value = text.trimmed().toInt(&ok, 10);
    return ok;
}

QToolButton* NewSpinButton(QWidget* parent, Qt::ArrowType arrow) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::ArrowCursor);
    return button;
}

}  // namespace

TSpinEdit::TSpinEdit(TComponent* AOwner) : TSpinEdit(AOwner, NewWidget<QLineEdit>()) {}

TSpinEdit::TSpinEdit(TComponent* AOwner, QLineEdit* handle) : TCustomEdit(AOwner, handle) { Init(); }

void TSpinEdit::Init() {
    FUpButton = NewSpinButton(LineEdit(), Qt::UpArrow);
    FDownButton = NewSpinButton(LineEdit(), Qt::DownArrow);
    LineEdit()->setTextMargins(0, 0, kButtonWidth, 0);
    connect(FUpButton, &QToolButton::clicked, this, [this] { UpClick(); });
    connect(FDownButton, &QToolButton::clicked, this, [this] { DownClick(); });
    PlaceButtons();
}

void TSpinEdit::PlaceButtons() {
    const QRect r = LineEdit()->rect();
    const int upper = r.height() / 2;
    FUpButton->setGeometry(r.width() - kButtonWidth, 0, kButtonWidth, upper);
    FDownButton->setGeometry(r.width() - kButtonWidth, upper, kButtonWidth, r.height() - upper);
}

int TSpinEdit::CheckValue(int value) const {
    if (FMaxValue == FMinValue) return value;
    if (value < FMinValue) return FMinValue;
    if (value > FMaxValue) return FMaxValue;
    return value;
}

int TSpinEdit::Value() const {
    int value = 0;
    if (!ParseInteger(Text(), value)) value = FMinValue;
    return CheckValue(value);
}

void TSpinEdit::SetValue(int value) { SetTextValue(QString::number(CheckValue(value))); }

void TSpinEdit::UpClick() {
    if (ReadOnly()) return;
    const long long next = static_cast<long long>(Value()) + FIncrement;
    SetValue(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

void TSpinEdit::DownClick() {
    if (ReadOnly()) return;
    const long long next = static_cast<long long>(Value()) - FIncrement;
    SetValue(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

bool TSpinEdit::IsValidChar(QChar key) const {
    const bool valid = key.isDigit() || key == QLatin1Char('+') || key == QLatin1Char('-') ||
                       key == QLatin1Char('.') || key.unicode() < 32;
    if (!FEditorEnabled && valid && (key.unicode() >= 32 || key.unicode() == VK_BACK)) return false;
    return valid;
}

void TSpinEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomEdit::KeyDown(key, shift);
    switch (key) {
        case VK_UP:
            UpClick();
            key = 0;
            break;
        case VK_DOWN:
            DownClick();
            key = 0;
            break;
        case VK_DELETE:
            if (!FEditorEnabled) key = 0;
            break;
        case 'V':
        case 'X':
            // No pasting or cutting into a closed editor either.
            if (!FEditorEnabled && (shift & ssCtrl)) key = 0;
            break;
        default: break;
    }
}

void TSpinEdit::KeyPress(QChar& key) {
    // Enter passes on (the form's default button); other invalid characters are
    // swallowed before anyone sees them.
    if (key != QLatin1Char('\r') && !IsValidChar(key)) {
        key = QChar();
        return;
    }
    TCustomEdit::KeyPress(key);
}

void TSpinEdit::DoExit() {
    TCustomEdit::DoExit();
    int value = 0;
    if (ParseInteger(Text(), value) && CheckValue(value) != value) SetValue(value);
}

bool TSpinEdit::WidgetEvent(QWidget* widget, QEvent* event) {
    if (event->type() == QEvent::Resize && widget == FHandle) PlaceButtons();
    return TCustomEdit::WidgetEvent(widget, event);
}

}  // namespace kv

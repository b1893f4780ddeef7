#include "platform/StdCtrls.h"

#include "platform/Forms.h"

namespace kv {

// ---- TCustomEdit ------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner, NewWidget<QLineEdit>()) {}

TCustomEdit::TCustomEdit(TComponent* AOwner, QLineEdit* handle) : TWinControl(AOwner, handle) { Init(); }

void TCustomEdit::Init() {
    SetTabStop(true);
    SetColor(clWindow);
    LineEdit()->setFocusPolicy(Qt::StrongFocus);
    LineEdit()->resize(121, 21);
    connect(LineEdit(), &QLineEdit::textChanged, this, [this] {
        if (!FSettingText) FModified = true;
        Change();
    });
}

QString TCustomEdit::GetText() const { return LineEdit()->text(); }

void TCustomEdit::SetText(const QString& text) {
    QString value = text;
    if (FCharCase == ecUpperCase) value = value.toUpper();
    if (FCharCase == ecLowerCase) value = value.toLower();
    if (FMaxLength > 0 && value.size() > FMaxLength) value.truncate(FMaxLength);
    if (value == LineEdit()->text()) return;
    FSettingText = true;
    LineEdit()->setText(value);
    FSettingText = false;
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
    if (FAutoSelect) LineEdit()->selectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::SetMaxLength(int length) {
    FMaxLength = length < 0 ? 0 : length;
    LineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

bool TCustomEdit::ReadOnly() const { return LineEdit()->isReadOnly(); }
void TCustomEdit::SetReadOnly(bool on) { LineEdit()->setReadOnly(on); }

void TCustomEdit::SetCharCase(TEditCharCase charCase) {
    FCharCase = charCase;
    if (charCase != ecNormal) SetText(LineEdit()->text());
}

void TCustomEdit::SetPasswordChar(QChar ch) {
    FPasswordChar = ch;
    LineEdit()->setEchoMode(ch.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

int TCustomEdit::SelStart() const {
    return LineEdit()->hasSelectedText() ? LineEdit()->selectionStart() : LineEdit()->cursorPosition();
}

void TCustomEdit::SetSelStart(int start) {
    LineEdit()->deselect();
    LineEdit()->setCursorPosition(start);
}

int TCustomEdit::SelLength() const { return LineEdit()->hasSelectedText() ? LineEdit()->selectedText().size() : 0; }

void TCustomEdit::SetSelLength(int length) { LineEdit()->setSelection(SelStart(), length); }

QString TCustomEdit::SelText() const { return LineEdit()->selectedText(); }

void TCustomEdit::SetSelText(const QString& text) { LineEdit()->insert(text); }

void TCustomEdit::SelectAll() { LineEdit()->selectAll(); }

// ---- TButton ----------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButton(AOwner, NewWidget<QPushButton>()) {}

TButton::TButton(TComponent* AOwner, QPushButton* handle) : TWinControl(AOwner, handle) { Init(); }

void TButton::Init() {
    SetTabStop(true);
    PushButton()->setFocusPolicy(Qt::StrongFocus);
    PushButton()->setAutoDefault(false);
    PushButton()->resize(75, 25);
    connect(PushButton(), &QPushButton::clicked, this, [this] { Click(); });
}

QString TButton::GetText() const { return PushButton()->text(); }
void TButton::SetText(const QString& text) { PushButton()->setText(text); }

void TButton::SetDefault(bool on) {
    FDefault = on;
    PushButton()->setDefault(on);
}

void TButton::Click() {
    // The form's modal result first, so an OnClick handler can still change it.
    if (FModalResult != mrNone)
        if (TForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TWinControl::Click();
}

}  // namespace kv

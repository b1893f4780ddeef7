#include "components/KvnEdit.h"

#include "components/F2Button.h"
#include "platform/Forms.h"

namespace kv {

// ---- TKvEdit ------------------------------------------------------------------------

// The owned label. It stays a TLabel to everyone else; a new caption or font
// resizes it, after which it goes back to its place beside the edit.
class TKvEdit::TEditLabel : public TLabel {
public:
    explicit TEditLabel(TKvEdit* edit) : TLabel(edit) {}

protected:
    void AdjustBounds() override {
        TLabel::AdjustBounds();
        // Null while the edit itself is being torn down.
        if (auto* edit = qobject_cast<TKvEdit*>(Owner())) edit->PlaceLabel();
    }
};

TKvEdit::TKvEdit(TComponent* AOwner) : TEdit(AOwner) {
    auto* label = new TEditLabel(this);
    label->SetName(QStringLiteral("EditLabel"));
    label->SetCaption(QString());
    label->SetFocusControl(this);
    FEditLabel = label;
    PlaceLabel();
}

QString TKvEdit::Caption() const { return FEditLabel ? FEditLabel->Caption() : QString(); }

void TKvEdit::SetCaption(const QString& caption) {
    if (!FEditLabel) return;
    FEditLabel->SetCaption(caption);
    PlaceLabel();
}

void TKvEdit::SetLabelPosition(TLabelPosition position) {
    FLabelPosition = position;
    PlaceLabel();
}

void TKvEdit::SetLabelSpacing(int spacing) {
    if (spacing < 0) return;
    FLabelSpacing = spacing;
    PlaceLabel();
}

void TKvEdit::PlaceLabel() {
    if (!FEditLabel) return;
    TLabel* label = FEditLabel;
    const int centredTop = Top() + (Height() - label->Height()) / 2;
    int left = Left();
    int top = centredTop;
    switch (FLabelPosition) {
        case lpAbove: top = Top() - label->Height() - FLabelSpacing; break;
        case lpBelow: top = Top() + Height() + FLabelSpacing; break;
        case lpLeft: left = Left() - label->Width() - FLabelSpacing; break;
        case lpRight: left = Left() + Width() + FLabelSpacing; break;
    }
    label->SetBounds(left, top, label->Width(), label->Height());
}

void TKvEdit::SetBounds(int left, int top, int width, int height) {
    TEdit::SetBounds(left, top, width, height);
    PlaceLabel();
}

void TKvEdit::SetParent(TWinControl* parent) {
    TEdit::SetParent(parent);
    if (FEditLabel) FEditLabel->SetParent(parent);
}

void TKvEdit::SetEnabled(bool on) {
    TEdit::SetEnabled(on);
    if (FEditLabel) FEditLabel->SetEnabled(on);
}

void TKvEdit::SetVisible(bool on) {
    TEdit::SetVisible(on);
    if (FEditLabel) FEditLabel->SetVisible(on);
}

void TKvEdit::Notification(TComponent* component, TOperation operation) {
    TEdit::Notification(component, operation);
    if (operation == opRemove && component == FEditLabel) FEditLabel = nullptr;
}

// ---- TKvDBEdit ----------------------------------------------------------------------

void TKvDBEdit::SetDataField(const QString& field) {
    FDataField = field;
    if (!ComponentState().testFlag(csDesigning) || !EditLabel()) return;
    QString caption;
    if (FieldDisplayLabelOf(this, caption)) SetCaption(caption);
}

// ---- TKvBtnDBEdit -------------------------------------------------------------------

// The owned button. It stays a TGSpeedButton to everyone else; after its own
// click (OnClick) it lets the edit act.
class TKvBtnDBEdit::TLookupButton : public TGSpeedButton {
public:
    explicit TLookupButton(TKvBtnDBEdit* edit) : TGSpeedButton(edit) {}

    void Click() override {
        QPointer<TLookupButton> alive(this);
        TGSpeedButton::Click();
        if (!alive) return;
        if (auto* edit = qobject_cast<TKvBtnDBEdit*>(Owner())) edit->ButtonClick();
    }
};

TKvBtnDBEdit::TKvBtnDBEdit(TComponent* AOwner) : TKvDBEdit(AOwner) {
    auto* button = new TLookupButton(this);
    button->SetName(QStringLiteral("F2Button"));
    button->SetFlat(true);
    button->SetGlyphIndex(FGlyphIndex);
    FButton = button;
    PlaceButton();
}

void TKvBtnDBEdit::SetButtonSpacing(int spacing) {
    FButtonSpacing = spacing;
    PlaceButton();
}

void TKvBtnDBEdit::SetGlyphIndex(int index) {
    FGlyphIndex = index;
    if (FButton) FButton->SetGlyphIndex(index);
}

void TKvBtnDBEdit::SetButtonHint(const QString& hint) {
    FButtonHint = hint;
    if (FButton) FButton->SetHint(hint);
}

void TKvBtnDBEdit::PlaceButton() {
    if (!FButton) return;
    FButton->SetBounds(Left() + Width() + FButtonSpacing, Top(), Height(), Height());
}

void TKvBtnDBEdit::ButtonClick() {
    if (OnDialog) {
        OnDialog(this);
        return;
    }
    // Focusing runs the exit check of the control left, which may keep the focus
    // there or free things: only an edit that got the focus is looked up.
    QPointer<TKvBtnDBEdit> alive(this);
    if (CanFocus()) SetFocus();
    if (!alive || !Focused()) return;
    if (TControl* receiver = LookupReceiver(this)) receiver->Perform(WM_LOOKUPREQUEST, 0, ControlParam(this));
}

void TKvBtnDBEdit::SetBounds(int left, int top, int width, int height) {
    TKvDBEdit::SetBounds(left, top, width, height);
    PlaceButton();
}

void TKvBtnDBEdit::SetParent(TWinControl* parent) {
    TKvDBEdit::SetParent(parent);
    if (FButton) FButton->SetParent(parent);
}

void TKvBtnDBEdit::SetEnabled(bool on) {
    TKvDBEdit::SetEnabled(on);
    if (FButton) FButton->SetEnabled(on);
}

void TKvBtnDBEdit::SetVisible(bool on) {
    TKvDBEdit::SetVisible(on);
    if (FButton) FButton->SetVisible(on);
}

void TKvBtnDBEdit::Notification(TComponent* component, TOperation operation) {
    TKvDBEdit::Notification(component, operation);
    if (operation == opRemove && component == FButton) FButton = nullptr;
}

}  // namespace kv

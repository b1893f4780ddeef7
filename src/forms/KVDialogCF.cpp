#include "forms/KVDialogCF.h"

#include "platform/Grids.h"
#include "platform/StdCtrls.h"
#include "runtime/CodeConverter.h"

namespace kv {

TfrmKVDialog::TfrmKVDialog(TComponent* AOwner) : TKVForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetClientWidth(394);
    SetClientHeight(322);
    SetKeyPreview(true);
    Font()->SetName(QStringLiteral("宋体"));
    Font()->SetHeight(-13);
}

void TfrmKVDialog::FormCreate(TObject* Sender) {
    TKVForm::FormCreate(Sender);
    KvConverter->ConvertForm(this);
    if (auto* owner = qobject_cast<TForm*>(Owner())) SetCaption(owner->Caption());
}

void TfrmKVDialog::FocusIfPossible(TWinControl* control) {
    if (control && control->CanFocus()) control->SetFocus();
}

void TfrmKVDialog::DoF2Key(std::uint16_t&, TWinControl* Control) { FocusIfPossible(Control); }
void TfrmKVDialog::DoF3Key(std::uint16_t&, TWinControl* Control) { FocusIfPossible(Control); }
void TfrmKVDialog::DoF4Key(std::uint16_t&, TWinControl* Control) { FocusIfPossible(Control); }

void TfrmKVDialog::WndProc(TMessage& message) {
    std::uint16_t key = 0;
    auto* control = ParamControl<TWinControl>(message.LParam);
    switch (message.Msg) {
        case WM_USER + 10:
            key = VK_F2;
            DoF2Key(key, control);
            return;
        case WM_USER + 11:
            key = VK_F3;
            DoF3Key(key, control);
            return;
        case WM_USER + 12:
            key = VK_F4;
            DoF4Key(key, control);
            return;
        default: TKVForm::WndProc(message);
    }
}

void TfrmKVDialog::KeyDown(std::uint16_t& key, TShiftState shift) {
    TKVForm::KeyDown(key, shift);
    if (key == VK_F2)
        DoF2Key(key, ActiveControl());
    else if (key == VK_F3)
        DoF3Key(key, ActiveControl());
    else if (key == VK_F4)
        DoF4Key(key, ActiveControl());
}

void TfrmKVDialog::KeyPress(QChar& key) {
    TKVForm::KeyPress(key);
    if (key != QChar(13)) return;
    TWinControl* active = ActiveControl();
    // Multi-line edits and grids keep their Enter.
    if (qobject_cast<TCustomMemo*>(active) || qobject_cast<TCustomGrid*>(active)) return;
    key = QChar();
    SelectNext(active, true, true);
}

}  // namespace kv

// The platform's standard message dialog: an icon for the kind of message, the
// text wrapped at half the screen's width, and a centred row of buttons named
// after the buttons they are ("Yes", "OK", ...), so callers can find them by name
// and give them other captions. Every run goes through TForm::ShowModal.
#pragma once

#include <QString>

#include "platform/Forms.h"

namespace kv {

class TLabel;
class TImage;
class TButton;

// The form CreateMessageDialog builds: components "Image" (not for mtCustom),
// "Message" and one button per button of the set, in the classic order.
class TMessageForm : public TForm {
    Q_OBJECT
public:
    explicit TMessageForm(TComponent* AOwner);

    TMsgDlgType DialogType() const { return FDialogType; }
    TLabel* MessageLabel() const { return FMessage; }
    TImage* Image() const { return FImage; }
    // The button for b, or null when the set had none.
    TButton* Button(TMsgDlgBtn b) const;

    // Caption, text and button captions between divider lines, as Ctrl+C copies
    // them.
    QString GetFormText() const;

    // Places icon, text and buttons for the current font and captions (done on
    // creation and again whenever the form's font changes).
    void ArrangeControls();

protected:
    void FontChanged() override;

private:
    friend TForm* CreateMessageDialog(const QString&, TMsgDlgType, TMsgDlgButtons);
    void Build(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
    void CustomKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift);
    TMsgDlgType FDialogType = mtCustom;
    TLabel* FMessage = nullptr;
    TImage* FImage = nullptr;
    TButton* FButtons[mbHelp + 1] = {};
    bool FBuilt = false;
};

// The caller owns the form and frees it.
TForm* CreateMessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
// Shows the dialog modally (centred, or at x/y when not negative) and frees it.
TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
TModalResult MessageDlgPos(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext, int x,
                           int y);
// The text with an OK button under the application's title.
void ShowMessage(const QString& text);

// The fixed component names and captions of the buttons, and their results.
QString MsgDlgButtonName(TMsgDlgBtn b);
QString MsgDlgButtonCaption(TMsgDlgBtn b);
TModalResult MsgDlgButtonResult(TMsgDlgBtn b);

// Button sets as they are written most often.
constexpr TMsgDlgButtons mbYesNo = MsgDlgButton(mbYes) | MsgDlgButton(mbNo);
constexpr TMsgDlgButtons mbYesNoCancel = mbYesNo | MsgDlgButton(mbCancel);
constexpr TMsgDlgButtons mbOKCancel = MsgDlgButton(mbOK) | MsgDlgButton(mbCancel);
constexpr TMsgDlgButtons mbAbortRetryIgnore = MsgDlgButton(mbAbort) | MsgDlgButton(mbRetry) | MsgDlgButton(mbIgnore);

}  // namespace kv

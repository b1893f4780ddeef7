// The message path of the option dialog: message codes and ids looked up in the
// host's catalogue, filled in, recorded in the two logs the controller reports,
// and shown in the platform's message dialog with button captions and font in
// the interface language. The option form holds one TGeneMessages and lends it
// the few things of the form it needs through IGeneMessageSite.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

#include "kv/Variant.h"
#include "platform/Controls.h"
#include "platform/Types.h"

namespace kv {

class TCodeConverter;

// ---- classic formatting --------------------------------------------------------

// A format text whose placeholders do not fit its arguments.
class EFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Classic Format: "%" [index ":"] ["-"] [width] ["." precision] type, with "*" for
// width or precision taken from the next argument and "%%" for a percent sign.
// Arguments are variants: %s shows any scalar as text (precision cuts it), %d %u
// %x take a value that converts to an integer (precision gives the minimum number
// of digits; %x is upper-case), %e %f %g %n take a number. A missing argument, an
// unknown type or an argument of the wrong kind raises EFormatError; arguments
// left over are ignored. Nothing depends on the machine's locale.
QString Format(const QString& format, const std::vector<Variant>& args);

// ---- kinds, buttons and captions ----------------------------------------------

// The dialog type of a message kind: "C" "D" "W" warning, "E" error, "I"
// information, "Q" confirmation, anything else custom.
TMsgDlgType MessageKindType(const QString& kind);
// The buttons a message shown by id offers unless the caller names its own:
// "C" "Q" "W" OK+Cancel, "D" Yes+No+Cancel, any other OK.
TMsgDlgButtons MessageKindButtons(const QString& kind);
// The Chinese caption of a message-dialog button by its component name ("Yes",
// "OK", ...), before interface conversion; a null string for any other name.
QString MessageButtonCaption(const QString& buttonName);

// Posts a left-button release to the control's widget, handled once pending
// events are processed, and ends a mouse grab the widget holds: a click that
// opened a message box must not leave the control capturing the mouse.
void PostLeftButtonUp(TControl* control);

// ---- the form as the message path sees it -------------------------------------

class IGeneMessageSite {
public:
    virtual ~IGeneMessageSite();
    // The caption message dialogs take.
    virtual QString MessageCaption() const = 0;
    virtual TWinControl* MessageActiveControl() const = 0;
    // The form's Cancel button (btnCancel), or null.
    virtual TWinControl* MessageCancelButton() const = 0;
    // The host's work-center object (a Dispatch) that answers "GetMessage";
    // anything else means there is no catalogue.
    virtual Variant MessageHostObject() const = 0;
    // The form's converter; null converts nothing and counts as code page "936".
    virtual TCodeConverter* MessageConverter() const = 0;
    // Releases a mouse capture the control may hold (PostLeftButtonUp).
    virtual void ReleaseMouseCapture(TWinControl* control) = 0;
    // Gives the control the focus (it is known to be able to take it).
    virtual void FocusMessageControl(TWinControl* control) = 0;
};

// ---- the message path -----------------------------------------------------------

class TGeneMessages {
public:
    // The number of parameters a message code carries at most.
    static constexpr int kMaxCodeParameters = 10;

    // lastFocused: where the focus goes back after an error box before any
    // focus change was seen (the form itself).
    explicit TGeneMessages(IGeneMessageSite& site, TWinControl* lastFocused = nullptr);

    // The catalogue text of kind and id (from the database encoding for the
    // interface), or "Can not Get Message\rType= <kind>, ID= <id> " when there
    // is no catalogue or it does not answer.
    QString MessageText(const QString& kind, const QString& id);

    // "K;id[;p1[;p2...]]": recorded in MessageCodes, its text (filled with the
    // parameters) in MessageTexts, and shown with OK when the id is a number
    // above 0; "-" before the id records without showing. The empty code clears
    // both logs. Nothing happens while the Cancel button is active (the user is
    // leaving).
    void ShowMessageCode(const QString& code);
    // Records an error text ("E;-1") without showing it; an empty or blank text
    // clears both logs. Nothing happens while the Cancel button is active.
    void RecordError(const QString& text);
    // Shows the catalogue text of kind and id filled with params[0..lastIndex]
    // (-1: none) with the kind's type and buttons; a non-empty buttons replaces
    // the kind's. Returns the modal result (mrNone when nothing was shown).
    TModalResult ShowMessageById(const QString& kind, const QString& id, const std::vector<Variant>& params,
                                 int lastIndex, TMsgDlgButtons buttons = 0);
    // The platform message dialog under the form's caption, with Chinese button
    // captions unless the interface code page is "437". While PageChanging only
    // error dialogs are shown (others return mrNone). An error dialog gives the
    // focus back to LastFocused.
    TModalResult ShowDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);

    // Every code passed to ShowMessageCode or RecordError since the last reset,
    // each followed by "; ".
    const QString& MessageCodes() const { return FMessageCodes; }
    // Every distinct message text since the last reset, each followed by "; ".
    const QString& MessageTexts() const { return FMessageTexts; }

    // The form's focus-change notification: the control that got the focus.
    void FocusChanged(TWinControl* control) { FLastFocused = control; }
    TWinControl* LastFocused() const { return FLastFocused; }
    void SetLastFocused(TWinControl* control) { FLastFocused = control; }

    // True while the page control's page-change check runs.
    bool PageChanging() const { return FPageChanging; }
    void SetPageChanging(bool on) { FPageChanging = on; }

private:
    bool CancelIsActive() const;
    void ClearLogs();
    void AppendCode(const QString& code);
    void AppendText(const QString& text);
    // text filled with args; on a mismatch the text, CR and every argument
    // followed by ";".
    static QString FormatOrFallback(const QString& text, const std::vector<Variant>& args);
    void LocalizeButtons(TComponent* dialog);

    IGeneMessageSite& FSite;
    QPointer<TWinControl> FLastFocused;
    bool FPageChanging = false;
    QString FMessageCodes;
    QString FMessageTexts;
    QStringList FDistinctTexts;
};

}  // namespace kv

// The masked edit: an edit whose text follows an edit mask "mask;savelits;blank".
// The mask language is the classic one (L l A a C c 0 9 # for input positions,
// ! > < <> \ as directives, : / _ and every other character as literals); it is
// implemented here over a plain QLineEdit, Qt's own input masks mean something else.
#pragma once

#include <QLineEdit>
#include <QString>

#include <stdexcept>
#include <vector>

#include "platform/StdCtrls.h"

class QMenu;

namespace kv {

// Raised when a masked edit is left with a required position blank.
class EDBEditError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message of EDBEditError for an incomplete masked input.
extern const char* const SMaskEditErr;

enum class TMaskCharKind { Literal, Letter, AlphaNumeric, AnyChar, Digit, DigitOrSign };
enum class TMaskCase { Keep, Upper, Lower };

// One position of the edit text.
struct TMaskSlot {
    TMaskCharKind Kind = TMaskCharKind::Literal;
    bool Required = false;
    QChar Literal;
    TMaskCase Case = TMaskCase::Keep;
    bool IsInput() const { return Kind != TMaskCharKind::Literal; }
};

// A parsed edit mask: one slot per character of the edit text, whether Text keeps
// the literals, the character shown for blank positions, and the fill direction
// ('!' right-aligns short values, leaving leading blanks in optional positions).
class TMaskLayout {
public:
    TMaskLayout() = default;
    static TMaskLayout Parse(const QString& editMask);

    // A mask without any position leaves the edit plain.
    bool IsMasked() const { return !FSlots.empty(); }
    int Length() const { return static_cast<int>(FSlots.size()); }
    const TMaskSlot& Slot(int index) const { return FSlots[static_cast<std::size_t>(index)]; }
    bool SaveLiterals() const { return FSaveLiterals; }
    QChar Blank() const { return FBlank; }
    bool FillsFromRight() const { return FFromRight; }
    bool HasRequired() const;

    // ch as it is stored at slot index (case applied, editCase when the mask sets
    // none), or a null QChar when it does not fit there.
    QChar Fit(int index, QChar ch, TEditCharCase editCase = ecNormal) const;
    // Whether the slot at index shows no input in editText.
    bool IsBlankAt(const QString& editText, int index) const;

    // The edit text with every input position blank.
    QString BlankEditText() const;
    // The edit text a value gets: a value that already has the mask's shape is
    // taken position by position; otherwise its sections (the parts between the
    // mask's literals, found in the value when it carries them) are filled one by
    // one, from the left or, with '!', from the right. Spaces and characters that
    // do not fit leave their position blank.
    QString FormatValue(const QString& value, TEditCharCase editCase = ecNormal) const;
    // Text of an edit text: blanks as spaces, literals only when they are saved.
    QString TextOf(const QString& editText) const;
    // The first required position that is blank, -1 when there is none.
    int FirstMissing(const QString& editText) const;

    // Cursor positions: input slots and the end of the text.
    bool IsCursorStop(int position) const;
    // The first stop at or after position (the end when none).
    int StopAtOrAfter(int position) const;
    // The last input slot before position, -1 when none.
    int InputBefore(int position) const;
    int FirstStop() const { return StopAtOrAfter(0); }

private:
    std::vector<TMaskSlot> FSlots;
    bool FSaveLiterals = true;
    QChar FBlank = QChar('_');
    bool FFromRight = false;
};

// value formatted through editMask as the masked edit's Text would read it.
QString FormatMaskText(const QString& editMask, const QString& value);

// The widget of masked edits: under a mask its context menu cuts, pastes and
// deletes through the control's mask rules.
class TMaskLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    // The standard menu, or under a mask one whose editing actions go through the
    // control.
    QMenu* CreateMaskedContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

// The masked edit. Without a mask it is a plain edit; with one, the edit text has
// one character per mask position, typing overwrites at the cursor, literals are
// skipped and characters that do not fit are refused.
class TCustomMaskEdit : public TCustomEdit {
    Q_OBJECT
public:
    explicit TCustomMaskEdit(TComponent* AOwner);

    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& mask);
    bool IsMasked() const { return FLayout.IsMasked(); }
    const TMaskLayout& Layout() const { return FLayout; }

    // The text as shown: literals in place, blank positions as the blank character.
    QString EditText() const;
    void SetEditText(const QString& text);

    // A masked edit ignores the length limit: the mask fixes the length.
    void SetMaxLength(int length);

    // Raises EDBEditError (cursor on the first blank required position) when the
    // user changed the input and left a required position blank.
    virtual void ValidateEdit();
    // Puts back the edit text the control had when it was entered.
    void Reset();

    // Editing as typed at the cursor (tests and the context menu use these too).
    void PasteText(const QString& text);
    void CutToClipboard();
    void PasteFromClipboard();
    void DeleteSelection();

protected:
    TCustomMaskEdit(TComponent* AOwner, TMaskLineEdit* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;
    void Change() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(QChar& key) override;
    void DoEnter() override;
    void DoExit() override;
    // The input was found incomplete while leaving the edit; the focus has been put
    // back. The default beeps.
    virtual void EditErrorOnExit(const EDBEditError& error);

private:
    void Init();
    // Shows an edit text with the cursor at position; typed marks the input as
    // changed by the user.
    void WriteEditText(const QString& text, int cursor, bool typed);
    // Places one typed character at the cursor; false when it was refused.
    bool TypeChar(QString& edit, int& cursor, QChar ch) const;
    // Blanks the input slots in [from, to) of edit.
    void BlankRange(QString& edit, int from, int to) const;
    bool HasSelection() const;
    void MoveCursor(int position);
    void KeepCursorOffLiterals();
    void ReformatEditedText();

    QString FEditMask;
    TMaskLayout FLayout;
    QString FEnteredEditText;
    bool FWriting = false;
    bool FCodeWrite = false;
    bool FModifiedBeforeWrite = false;
    // Focus put back after a failed exit check: not a new entry.
    bool FReEntering = false;
};

// The masked edit as forms place it.
class TMaskEdit : public TCustomMaskEdit {
    Q_OBJECT
    Q_PROPERTY(QString EditMask READ EditMask WRITE SetEditMask)
    Q_PROPERTY(QString Text READ Text WRITE SetTextValue)
    Q_PROPERTY(QString EditText READ EditText WRITE SetEditText)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(kv::Enums::TEditCharCase CharCase READ CharCase WRITE SetCharCase)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(QString ImeName MEMBER ImeName)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)
public:
    explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
    QString ImeName;

protected:
    TMaskEdit(TComponent* AOwner, TMaskLineEdit* handle) : TCustomMaskEdit(AOwner, handle) {}
};

}  // namespace kv

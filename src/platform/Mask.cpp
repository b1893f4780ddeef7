#include "platform/Mask.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>

#include <algorithm>

namespace kv {

const char* const SMaskEditErr = "Invalid input value.  Use escape key to abandon changes";

// ---- TMaskLayout ------------------------------------------------------------------

namespace {

constexpr QChar kFieldSeparator(';');
constexpr QChar kNoSave('0');

// The three fields of "mask;savelits;blank"; a backslash in the mask protects the
// character after it, separators included.
struct TMaskFields {
    QString Mask;
    QString Save;
    QString Blank;
    bool HasSave = false;
};

TMaskFields SplitFields(const QString& editMask) {
    TMaskFields fields;
    int i = 0;
    for (; i < editMask.size(); ++i) {
        const QChar c = editMask.at(i);
        if (c == '\\' && i + 1 < editMask.size()) {
            fields.Mask += c;
            fields.Mask += editMask.at(++i);
            continue;
        }
        if (c == kFieldSeparator) break;
        fields.Mask += c;
    }
    if (i >= editMask.size()) return fields;
    const QString rest = editMask.mid(i + 1);
    const int second = rest.indexOf(kFieldSeparator);
    fields.HasSave = true;
    fields.Save = second < 0 ? rest : rest.left(second);
    if (second >= 0) fields.Blank = rest.mid(second + 1);
    return fields;
}

TMaskSlot InputSlot(TMaskCharKind kind, bool required, TMaskCase letterCase) {
    TMaskSlot slot;
    slot.Kind = kind;
    slot.Required = required;
    slot.Case = letterCase;
    return slot;
}

TMaskSlot LiteralSlot(QChar ch) {
    TMaskSlot slot;
    slot.Literal = ch;
    return slot;
}

bool IsAsciiDigit(QChar ch) { return ch >= QChar('0') && ch <= QChar('9'); }

bool KindAccepts(TMaskCharKind kind, QChar ch) {
    switch (kind) {
        case TMaskCharKind::Letter: return ch.isLetter();
        case TMaskCharKind::AlphaNumeric: return ch.isLetter() || IsAsciiDigit(ch);
        case TMaskCharKind::AnyChar: return ch.isPrint();
        case TMaskCharKind::Digit: return IsAsciiDigit(ch);
        case TMaskCharKind::DigitOrSign: return IsAsciiDigit(ch) || ch == '+' || ch == '-';
        case TMaskCharKind::Literal: return false;
    }
    return false;
}

QChar ApplyCase(QChar ch, TMaskCase maskCase, TEditCharCase editCase) {
    if (maskCase == TMaskCase::Upper || (maskCase == TMaskCase::Keep && editCase == ecUpperCase)) return ch.toUpper();
    if (maskCase == TMaskCase::Lower || (maskCase == TMaskCase::Keep && editCase == ecLowerCase)) return ch.toLower();
    return ch;
}

QString Reversed(const QString& text) {
    QString result = text;
    std::reverse(result.begin(), result.end());
    return result;
}

}  // namespace

TMaskLayout TMaskLayout::Parse(const QString& editMask) {
    TMaskLayout layout;
    const TMaskFields fields = SplitFields(editMask);
    layout.FSaveLiterals = !(fields.HasSave && fields.Save.startsWith(kNoSave));
    if (!fields.Blank.isEmpty()) layout.FBlank = fields.Blank.at(0);

    TMaskCase letterCase = TMaskCase::Keep;
    const QString& mask = fields.Mask;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        auto add = [&](TMaskCharKind kind, bool required) {
            layout.FSlots.push_back(InputSlot(kind, required, letterCase));
        };
        switch (c.unicode()) {
            case '!': layout.FFromRight = true; break;
            case '>': letterCase = TMaskCase::Upper; break;
            case '<':
                if (i + 1 < mask.size() && mask.at(i + 1) == '>') {
                    letterCase = TMaskCase::Keep;
                    ++i;
                } else {
                    letterCase = TMaskCase::Lower;
                }
                break;
            case '\\':
                if (i + 1 < mask.size()) layout.FSlots.push_back(LiteralSlot(mask.at(++i)));
                break;
            case 'L': add(TMaskCharKind::Letter, true); break;
            case 'l': add(TMaskCharKind::Letter, false); break;
            case 'A': add(TMaskCharKind::AlphaNumeric, true); break;
            case 'a': add(TMaskCharKind::AlphaNumeric, false); break;
            case 'C': add(TMaskCharKind::AnyChar, true); break;
            case 'c': add(TMaskCharKind::AnyChar, false); break;
            case '0': add(TMaskCharKind::Digit, true); break;
            case '9': add(TMaskCharKind::Digit, false); break;
            case '#': add(TMaskCharKind::DigitOrSign, false); break;
            case '_': layout.FSlots.push_back(LiteralSlot(QChar(' '))); break;
            default: layout.FSlots.push_back(LiteralSlot(c)); break;
        }
    }
    return layout;
}

bool TMaskLayout::HasRequired() const {
    return std::any_of(FSlots.begin(), FSlots.end(), [](const TMaskSlot& s) { return s.IsInput() && s.Required; });
}

QChar TMaskLayout::Fit(int index, QChar ch, TEditCharCase editCase) const {
    if (index < 0 || index >= Length()) return {};
    const TMaskSlot& slot = Slot(index);
    // A space never counts as input: it is how Text shows a blank position.
    if (!slot.IsInput() || ch.isNull() || ch == ' ') return {};
    if (!KindAccepts(slot.Kind, ch)) return {};
    return ApplyCase(ch, slot.Case, editCase);
}

bool TMaskLayout::IsBlankAt(const QString& editText, int index) const {
    if (index >= editText.size()) return true;
    const QChar c = editText.at(index);
    return c == FBlank || c == ' ';
}

QString TMaskLayout::BlankEditText() const {
    QString text;
    text.reserve(Length());
    for (const TMaskSlot& slot : FSlots) text += slot.IsInput() ? FBlank : slot.Literal;
    return text;
}

QString TMaskLayout::FormatValue(const QString& value, TEditCharCase editCase) const {
    if (!IsMasked()) return value;
    QString edit = BlankEditText();
    auto put = [&](int index, QChar ch) {
        const QChar fitted = ch == FBlank ? QChar() : Fit(index, ch, editCase);
        edit[index] = fitted.isNull() ? FBlank : fitted;
    };

    // Already in the mask's shape (an edit text, or Text with its literals).
    bool shaped = value.size() == Length();
    for (int i = 0; shaped && i < Length(); ++i)
        if (!Slot(i).IsInput() && value.at(i) != Slot(i).Literal) shaped = false;
    if (shaped) {
        for (int i = 0; i < Length(); ++i)
            if (Slot(i).IsInput()) put(i, value.at(i));
        return edit;
    }

    // Section by section; '!' works the same way mirrored, from the right end.
    const bool mirror = FFromRight;
    const QString source = mirror ? Reversed(value) : value;
    auto slotAt = [&](int k) -> int { return mirror ? Length() - 1 - k : k; };
    int pos = 0;
    int k = 0;
    while (k < Length()) {
        if (!Slot(slotAt(k)).IsInput()) {
            // Literals are consumed where the value carries them.
            if (pos < source.size() && source.at(pos) == Slot(slotAt(k)).Literal) ++pos;
            ++k;
            continue;
        }
        int runEnd = k;
        while (runEnd < Length() && Slot(slotAt(runEnd)).IsInput()) ++runEnd;
        int stop = std::min<int>(static_cast<int>(source.size()), pos + (runEnd - k));
        if (runEnd < Length()) {
            const int literalAt = source.indexOf(Slot(slotAt(runEnd)).Literal, pos);
            if (literalAt >= 0 && literalAt < stop) stop = literalAt;
        }
        for (int j = 0; pos + j < stop; ++j) put(slotAt(k + j), source.at(pos + j));
        pos = stop;
        k = runEnd;
    }
    return edit;
}

QString TMaskLayout::TextOf(const QString& editText) const {
    QString text;
    for (int i = 0; i < Length(); ++i) {
        const TMaskSlot& slot = Slot(i);
        if (!slot.IsInput()) {
            if (FSaveLiterals) text += slot.Literal;
        } else {
            text += IsBlankAt(editText, i) ? QChar(' ') : editText.at(i);
        }
    }
    return text;
}

int TMaskLayout::FirstMissing(const QString& editText) const {
    for (int i = 0; i < Length(); ++i)
        if (Slot(i).IsInput() && Slot(i).Required && IsBlankAt(editText, i)) return i;
    return -1;
}

bool TMaskLayout::IsCursorStop(int position) const {
    return position == Length() || (position >= 0 && position < Length() && Slot(position).IsInput());
}

int TMaskLayout::StopAtOrAfter(int position) const {
    int p = std::clamp(position, 0, Length());
    while (p < Length() && !Slot(p).IsInput()) ++p;
    return p;
}

int TMaskLayout::InputBefore(int position) const {
    for (int i = std::min(position, Length()) - 1; i >= 0; --i)
        if (Slot(i).IsInput()) return i;
    return -1;
}

QString FormatMaskText(const QString& editMask, const QString& value) {
    const TMaskLayout layout = TMaskLayout::Parse(editMask);
    if (!layout.IsMasked()) return value;
    return layout.TextOf(layout.FormatValue(value));
}

// ---- TMaskLineEdit ----------------------------------------------------------------

QMenu* TMaskLineEdit::CreateMaskedContextMenu() {
    auto* control = qobject_cast<TCustomMaskEdit*>(TControl::FromWidget(this));
    if (!control || !control->IsMasked()) return createStandardContextMenu();
    // The widget's own menu would insert and delete characters; this one edits
    // through the mask. Undo is left out: every change replaces the whole text.
    auto* menu = new QMenu(this);
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    auto add = [&](const char* text, QKeySequence::StandardKey key, bool enabled, auto slot) {
        QString caption = QCoreApplication::translate("QLineEdit", text);
        const QKeySequence shortcut(key);
        if (!shortcut.isEmpty()) caption += QLatin1Char('\t') + shortcut.toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(caption);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, control, slot);
        return action;
    };
    add("Cu&t", QKeySequence::Cut, editable && selected, &TCustomMaskEdit::CutToClipboard)->setObjectName("edit-cut");
    add("&Copy", QKeySequence::Copy, selected, [this] { copy(); })->setObjectName("edit-copy");
    const bool canPaste = editable && !QGuiApplication::clipboard()->text().isEmpty();
    add("&Paste", QKeySequence::Paste, canPaste, &TCustomMaskEdit::PasteFromClipboard)->setObjectName("edit-paste");
    add("Delete", QKeySequence::UnknownKey, editable && selected, &TCustomMaskEdit::DeleteSelection)
        ->setObjectName("edit-delete");
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, !text().isEmpty(), [this] { selectAll(); })->setObjectName("select-all");
    return menu;
}

void TMaskLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateMaskedContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// ---- TCustomMaskEdit --------------------------------------------------------------

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner, NewWidget<TMaskLineEdit>()) {}

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner, TMaskLineEdit* handle) : TCustomEdit(AOwner, handle) { Init(); }

void TCustomMaskEdit::Init() {
    connect(LineEdit(), &QLineEdit::cursorPositionChanged, this, [this] { KeepCursorOffLiterals(); });
    // Edits that bypass the key handling (input methods, drops, editing shortcuts
    // of the widget) are brought back into the mask's shape.
    connect(LineEdit(), &QLineEdit::textEdited, this, [this] { ReformatEditedText(); });
}

void TCustomMaskEdit::SetEditMask(const QString& mask) {
    if (mask == FEditMask) return;
    // The value carried over to the new mask: the full picture when there was a
    // mask (so a change of savelits or blank keeps every position), else the text.
    QString carried;
    if (IsMasked()) {
        const QString edit = EditText();
        for (int i = 0; i < FLayout.Length(); ++i)
            carried += FLayout.Slot(i).IsInput() ? (FLayout.IsBlankAt(edit, i) ? QChar(' ') : edit.at(i))
                                                 : FLayout.Slot(i).Literal;
    } else {
        carried = TCustomEdit::GetText();
    }
    const QString oldText = Text();
    FEditMask = mask;
    FLayout = TMaskLayout::Parse(mask);
    if (IsMasked()) {
        LineEdit()->setMaxLength(32767);
        WriteEditText(FLayout.FormatValue(carried, CharCase()), FLayout.FirstStop(), false);
    } else {
        TCustomEdit::SetMaxLength(MaxLength());
        TCustomEdit::SetText(oldText);
    }
}

void TCustomMaskEdit::SetMaxLength(int length) {
    TCustomEdit::SetMaxLength(length);
    if (IsMasked()) LineEdit()->setMaxLength(32767);
}

QString TCustomMaskEdit::EditText() const { return TCustomEdit::GetText(); }

void TCustomMaskEdit::SetEditText(const QString& text) { SetText(text); }

QString TCustomMaskEdit::GetText() const {
    return IsMasked() ? FLayout.TextOf(TCustomEdit::GetText()) : TCustomEdit::GetText();
}

void TCustomMaskEdit::SetText(const QString& text) {
    if (!IsMasked()) {
        TCustomEdit::SetText(text);
        return;
    }
    WriteEditText(FLayout.FormatValue(text, CharCase()), FLayout.FirstStop(), false);
}

void TCustomMaskEdit::WriteEditText(const QString& text, int cursor, bool typed) {
    FWriting = true;
    FCodeWrite = !typed;
    FModifiedBeforeWrite = Modified();
    if (text != LineEdit()->text()) LineEdit()->setText(text);
    LineEdit()->setCursorPosition(cursor);
    FWriting = false;
    FCodeWrite = false;
}

void TCustomMaskEdit::Change() {
    // Text set by code leaves Modified as it was.
    if (FCodeWrite) SetModified(FModifiedBeforeWrite);
    TCustomEdit::Change();
}

bool TCustomMaskEdit::HasSelection() const { return LineEdit()->hasSelectedText(); }

void TCustomMaskEdit::MoveCursor(int position) {
    LineEdit()->deselect();
    LineEdit()->setCursorPosition(position);
}

void TCustomMaskEdit::KeepCursorOffLiterals() {
    if (!IsMasked() || FWriting || HasSelection()) return;
    const int p = LineEdit()->cursorPosition();
    if (!FLayout.IsCursorStop(p)) LineEdit()->setCursorPosition(FLayout.StopAtOrAfter(p));
}

void TCustomMaskEdit::ReformatEditedText() {
    if (!IsMasked() || FWriting) return;
    const QString edited = LineEdit()->text();
    const int cursor = FLayout.StopAtOrAfter(LineEdit()->cursorPosition());
    WriteEditText(FLayout.FormatValue(edited, CharCase()), cursor, true);
}

void TCustomMaskEdit::BlankRange(QString& edit, int from, int to) const {
    for (int i = std::max(from, 0); i < std::min(to, FLayout.Length()); ++i)
        if (FLayout.Slot(i).IsInput()) edit[i] = FLayout.Blank();
}

bool TCustomMaskEdit::TypeChar(QString& edit, int& cursor, QChar ch) const {
    const int length = FLayout.Length();
    const int at = FLayout.StopAtOrAfter(cursor);
    if (at < length) {
        const QChar fitted = FLayout.Fit(at, ch, CharCase());
        if (!fitted.isNull()) {
            edit[at] = fitted;
            cursor = FLayout.StopAtOrAfter(at + 1);
            return true;
        }
    }
    // A typed separator: just skipped over it, or jump past the next one.
    if (cursor > 0 && cursor <= length && !FLayout.Slot(cursor - 1).IsInput() &&
        FLayout.Slot(cursor - 1).Literal == ch)
        return true;
    for (int j = cursor; j < length; ++j) {
        if (!FLayout.Slot(j).IsInput() && FLayout.Slot(j).Literal == ch) {
            cursor = FLayout.StopAtOrAfter(j + 1);
            return true;
        }
    }
    // A space clears an optional position.
    if (ch == ' ' && at < length && !FLayout.Slot(at).Required) {
        edit[at] = FLayout.Blank();
        cursor = FLayout.StopAtOrAfter(at + 1);
        return true;
    }
    return false;
}

void TCustomMaskEdit::PasteText(const QString& text) {
    if (!IsMasked()) {
        LineEdit()->insert(text);
        return;
    }
    if (ReadOnly()) return;
    QString edit = FLayout.FormatValue(EditText());
    int cursor = SelStart();
    if (HasSelection()) BlankRange(edit, cursor, cursor + SelLength());
    // Characters that do not fit are left out, as when typed.
    for (const QChar ch : text) TypeChar(edit, cursor, ch);
    WriteEditText(edit, cursor, true);
}

void TCustomMaskEdit::PasteFromClipboard() { PasteText(QGuiApplication::clipboard()->text()); }

void TCustomMaskEdit::CutToClipboard() {
    if (!HasSelection()) return;
    QGuiApplication::clipboard()->setText(SelText());
    DeleteSelection();
}

void TCustomMaskEdit::DeleteSelection() {
    if (!HasSelection() || ReadOnly()) return;
    if (!IsMasked()) {
        LineEdit()->del();
        return;
    }
    QString edit = FLayout.FormatValue(EditText());
    const int start = SelStart();
    BlankRange(edit, start, start + SelLength());
    WriteEditText(edit, FLayout.StopAtOrAfter(start), true);
}

void TCustomMaskEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomEdit::KeyDown(key, shift);
    if (key == 0 || !IsMasked()) return;
    const bool ctrl = shift & ssCtrl;
    const bool withShift = shift & ssShift;
    switch (key) {
        case VK_ESCAPE:
            if (Modified()) {
                Reset();
                key = 0;
            }
            return;
        case VK_BACK: {
            if (ReadOnly()) return;
            QString edit = FLayout.FormatValue(EditText());
            int cursor = SelStart();
            if (HasSelection()) {
                BlankRange(edit, cursor, cursor + SelLength());
            } else {
                const int previous = FLayout.InputBefore(cursor);
                if (previous < 0) {
                    key = 0;
                    return;
                }
                edit[previous] = FLayout.Blank();
                cursor = previous;
            }
            WriteEditText(edit, FLayout.StopAtOrAfter(cursor), true);
            key = 0;
            return;
        }
        case VK_DELETE:
            if (withShift) {
                CutToClipboard();
            } else if (!ReadOnly()) {
                if (HasSelection()) {
                    DeleteSelection();
                } else {
                    QString edit = FLayout.FormatValue(EditText());
                    const int at = FLayout.StopAtOrAfter(SelStart());
                    BlankRange(edit, at, at + 1);
                    WriteEditText(edit, at, true);
                }
            }
            key = 0;
            return;
        case VK_INSERT:
            if (withShift) {
                PasteFromClipboard();
                key = 0;
            }
            return;
        case 'V':
        case 'X':
            if (ctrl) {
                if (key == 'V') PasteFromClipboard();
                else CutToClipboard();
                key = 0;
            }
            return;
        case VK_LEFT:
            if (withShift) return;
            if (HasSelection()) {
                MoveCursor(FLayout.StopAtOrAfter(SelStart()));
            } else if (const int previous = FLayout.InputBefore(SelStart()); previous >= 0) {
                MoveCursor(previous);
            }
            key = 0;
            return;
        case VK_RIGHT:
            if (withShift) return;
            if (HasSelection()) MoveCursor(FLayout.StopAtOrAfter(SelStart() + SelLength()));
            else MoveCursor(FLayout.StopAtOrAfter(SelStart() + 1));
            key = 0;
            return;
        case VK_HOME:
            if (withShift) return;
            MoveCursor(FLayout.FirstStop());
            key = 0;
            return;
        case VK_END:
            if (withShift) return;
            MoveCursor(FLayout.Length());
            key = 0;
            return;
        default: return;
    }
}

void TCustomMaskEdit::KeyPress(QChar& key) {
    TCustomEdit::KeyPress(key);
    if (key.isNull() || !IsMasked() || key < QChar(' ') || ReadOnly()) return;
    QString edit = FLayout.FormatValue(EditText());
    int cursor = SelStart();
    if (HasSelection()) BlankRange(edit, cursor, cursor + SelLength());
    if (TypeChar(edit, cursor, key)) WriteEditText(edit, cursor, true);
    // The widget never inserts by itself: that would shift the positions.
    key = QChar();
}

void TCustomMaskEdit::DoEnter() {
    if (!FReEntering) FEnteredEditText = EditText();
    FReEntering = false;
    TCustomEdit::DoEnter();
}

void TCustomMaskEdit::DoExit() {
    if (IsMasked()) {
        try {
            ValidateEdit();
        } catch (const EDBEditError& error) {
            const int cursor = SelStart();
            if (CanFocus()) {
                FReEntering = true;
                SetFocus();
                FReEntering = false;
                MoveCursor(cursor);
            }
            EditErrorOnExit(error);
            return;
        }
    }
    TCustomEdit::DoExit();
}

void TCustomMaskEdit::EditErrorOnExit(const EDBEditError&) { QApplication::beep(); }

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked() || !Modified()) return;
    const int missing = FLayout.FirstMissing(EditText());
    if (missing < 0) return;
    MoveCursor(missing);
    throw EDBEditError(SMaskEditErr);
}

void TCustomMaskEdit::Reset() {
    if (!IsMasked() || !Modified()) return;
    WriteEditText(FLayout.FormatValue(FEnteredEditText, CharCase()), FLayout.FirstStop(), false);
    SetModified(false);
}

}  // namespace kv

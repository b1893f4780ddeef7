// The masked edit: mask parsing and formatting (EditText and Text for set
// values), typing with overtype and refused keys, deleting, pasting, the exit
// check, the plain edit without a mask, and the published properties by name.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaProperty>

#include <gtest/gtest.h>

#include <memory>

#include "platform/Forms.h"
#include "platform/Mask.h"

namespace kv {
namespace {

// ---- formatting a set value ------------------------------------------------------

struct FormatCase {
    const char* mask;
    const char* value;
    const char* editText;
    const char* text;
};

const FormatCase kFormatCases[] = {
    // Date masks, literals kept: blank fields read as spaces and separators.
    {"9999/99/99;1;_", "", "____/__/__", "    /  /  "},
    {"9999/99/99;1; ", "", "    /  /  ", "    /  /  "},
    {"9999/99/99;1;", "", "____/__/__", "    /  /  "},
    {"9999/99/99;1;_", "2004/01/02", "2004/01/02", "2004/01/02"},
    {"9999/99/99;1;_", "20040102", "2004/01/02", "2004/01/02"},
    {"9999/99/99;1;_", "2004/1/5", "2004/1_/5_", "2004/1 /5 "},
    {"9999/99/99;1; ", "    /  /  ", "    /  /  ", "    /  /  "},
    {"9999/99/99;1; ", "//", "    /  /  ", "    /  /  "},
    // '!' puts the blanks of short sections in front.
    {"!9999/99/99;1;_", "2004/1/5", "2004/_1/_5", "2004/ 1/ 5"},
    // Literals not saved: Text has only the input positions.
    {"9999/99/99;0;_", "20040102", "2004/01/02", "20040102"},
    {"9999/99/99;0;_", "2004/01/02", "2004/01/02", "20040102"},
    {"9999/99/99;0;_", "", "____/__/__", "        "},
    {"(999)000-0000;0;_", "5551234567", "(555)123-4567", "5551234567"},
    {"(999)000-0000;0;_", "1234567", "(123)456-7___", "1234567   "},
    {"!(999)000-0000;0;_", "1234567", "(___)123-4567", "   1234567"},
    // Case directives.
    {">LL<ll;1;_", "abCD", "ABcd", "ABcd"},
    {">L<>l;1;_", "aB", "AB", "AB"},
    {">L<>l;1;_", "ab", "Ab", "Ab"},
    // Escaped mask characters are literals.
    {"\\9\\L00;1;_", "9L12", "9L12", "9L12"},
    {"\\9\\L00;0;_", "12", "9L12", "12"},
    // '_' is a literal space, ':' the time separator; another blank character.
    {"_0;1;*", "", " *", "  "},
    {"00:00;1;_", "12:3", "12:3_", "12:3 "},
    // Characters that do not fit their position leave it blank.
    {"AAaa;1;_", "a1!b", "a1_b", "a1 b"},
    {"#99;1;_", "-12", "-12", "-12"},
    {"#99;1;_", "x12", "_12", " 12"},
    {"LL;1;_", "1a", "_a", " a"},
    {"0000;1;_", "１２34", "__34", "  34"},
    {"CC;1;_", "%&", "%&", "%&"},
    // Missing fields: literals saved, blank '_'; an empty second field saves too.
    {"000", "12", "12_", "12 "},
    {"999-999;;#", "12", "12#-###", "12 -   "},
    {"999-999;;#", "12-3", "12#-3##", "12 -3  "},
};

class MaskFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(MaskFormat, SettingTextGivesEditTextAndText) {
    const FormatCase& c = GetParam();
    auto edit = std::make_unique<TMaskEdit>(nullptr);
    edit->SetEditMask(c.mask);
    edit->SetTextValue(c.value);
    EXPECT_EQ(edit->EditText(), QString(c.editText)) << c.mask << " <- '" << c.value << "'";
    EXPECT_EQ(edit->Text(), QString(c.text)) << c.mask << " <- '" << c.value << "'";
    EXPECT_EQ(FormatMaskText(c.mask, c.value), QString(c.text));
    // Text read back and set again keeps the value.
    edit->SetTextValue(edit->Text());
    EXPECT_EQ(edit->EditText(), QString(c.editText)) << "round trip of " << c.mask;
}

INSTANTIATE_TEST_SUITE_P(Table, MaskFormat, ::testing::ValuesIn(kFormatCases));

TEST(MaskLayout, FieldsDirectivesAndRequiredPositions) {
    const TMaskLayout date = TMaskLayout::Parse("9999/99/99;1; ");
    EXPECT_TRUE(date.IsMasked());
    EXPECT_EQ(date.Length(), 10);
    EXPECT_TRUE(date.SaveLiterals());
    EXPECT_EQ(date.Blank(), QChar(' '));
    EXPECT_FALSE(date.HasRequired());
    EXPECT_FALSE(date.FillsFromRight());

    const TMaskLayout phone = TMaskLayout::Parse("!(999)000-0000;0;*");
    EXPECT_FALSE(phone.SaveLiterals());
    EXPECT_EQ(phone.Blank(), QChar('*'));
    EXPECT_TRUE(phone.HasRequired());
    EXPECT_TRUE(phone.FillsFromRight());
    EXPECT_EQ(phone.Length(), 13);  // '!' takes no position
    EXPECT_EQ(phone.FirstMissing(phone.BlankEditText()), 5);
    EXPECT_EQ(phone.FirstMissing("(***)123-4567"), -1);

    // An escaped separator stays in the mask.
    const TMaskLayout escaped = TMaskLayout::Parse("0\\;0;0;_");
    EXPECT_EQ(escaped.Length(), 3);
    EXPECT_FALSE(escaped.SaveLiterals());
    EXPECT_EQ(escaped.Slot(1).Literal, QChar(';'));

    EXPECT_FALSE(TMaskLayout::Parse("").IsMasked());
    EXPECT_FALSE(TMaskLayout::Parse(";1;_").IsMasked());
    EXPECT_EQ(FormatMaskText("", "as is"), "as is");
}

// ---- typing --------------------------------------------------------------------------

class MaskForm : public TForm {
public:
    explicit MaskForm(TComponent* owner = nullptr) : TForm(owner) {
        me = CreateNamed<TMaskEdit>(this, "me");
        me->SetParent(this);
        other = CreateNamed<TMaskEdit>(this, "other");
        other->SetParent(this);
        other->SetTop(30);
        SetBounds(0, 0, 220, 100);
    }
    TMaskEdit* me;
    TMaskEdit* other;
};

// Reports the exit failure instead of beeping.
class RecordingMaskEdit : public TMaskEdit {
public:
    using TMaskEdit::TMaskEdit;
    QStringList errors;

protected:
    void EditErrorOnExit(const EDBEditError& error) override { errors << QString::fromUtf8(error.what()); }
};

class MaskTyping : public ::testing::Test {
protected:
    void SetUp() override {
        form = TForm::Create<MaskForm>();
        form->Show();
        me = form->me;
        me->SetEditMask("9999/99/99;1;_");
        me->SetFocus();
        me->SetSelStart(0);
        me->OnChange = [this](TObject*) { ++changes; };
    }
    void TearDown() override { form->Free(); }

    void Key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
        QApplication::sendEvent(me->Handle(), &press);
    }
    void Type(const QString& chars) {
        for (const QChar ch : chars) Key(0, Qt::NoModifier, QString(ch));
    }
    int Cursor() const { return me->LineEdit()->cursorPosition(); }

    MaskForm* form = nullptr;
    TMaskEdit* me = nullptr;
    int changes = 0;
};

TEST_F(MaskTyping, OvertypesSkipsLiteralsAndRefusesWhatDoesNotFit) {
    EXPECT_FALSE(me->Modified());
    Type("20a04");
    EXPECT_EQ(me->EditText(), "2004/__/__");
    EXPECT_EQ(Cursor(), 5);  // past the separator, never on it
    Type("0102");
    EXPECT_EQ(me->EditText(), "2004/01/02");
    EXPECT_EQ(Cursor(), 10);
    EXPECT_TRUE(me->Modified());
    EXPECT_EQ(changes, 8);
    // Full: more digits are refused.
    Type("9");
    EXPECT_EQ(me->EditText(), "2004/01/02");
    // Overtype in the middle.
    me->SetSelStart(5);
    Type("12");
    EXPECT_EQ(me->EditText(), "2004/12/02");
}

TEST_F(MaskTyping, TypedSeparatorJumpsToTheNextSectionAndSpaceBlanks) {
    Type("2004/1/5");
    EXPECT_EQ(me->EditText(), "2004/1_/5_");
    EXPECT_EQ(me->Text(), "2004/1 /5 ");
    me->SetSelStart(0);
    Type(" ");
    EXPECT_EQ(me->EditText(), "_004/1_/5_");
    // A space does not blank a required position.
    me->SetEditMask("000;1;_");
    me->SetTextValue("123");
    me->SetSelStart(0);
    Type(" ");
    EXPECT_EQ(me->EditText(), "123");
}

TEST_F(MaskTyping, BackspaceAndDeleteBlankPositions) {
    Type("20040");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(me->EditText(), "2004/__/__");
    EXPECT_EQ(Cursor(), 5);
    Key(Qt::Key_Backspace);  // over the separator
    EXPECT_EQ(me->EditText(), "200_/__/__");
    EXPECT_EQ(Cursor(), 3);
    me->SetSelStart(0);
    Key(Qt::Key_Backspace);  // nothing before the first position
    EXPECT_EQ(me->EditText(), "200_/__/__");
    Key(Qt::Key_Delete);
    EXPECT_EQ(me->EditText(), "_00_/__/__");
    EXPECT_EQ(Cursor(), 0);
    // A selection is blanked as a whole, literals stay.
    me->SetTextValue("2004/01/02");
    me->SetSelStart(2);
    me->SetSelLength(5);
    Key(Qt::Key_Delete);
    EXPECT_EQ(me->EditText(), "20__/__/02");
    me->SelectAll();
    Type("1");
    EXPECT_EQ(me->EditText(), "1___/__/__");
}

TEST_F(MaskTyping, CursorKeysAndClicksNeverStopOnALiteral) {
    me->SetTextValue("2004/01/02");
    me->SetSelStart(5);
    Key(Qt::Key_Left);
    EXPECT_EQ(Cursor(), 3);
    Key(Qt::Key_Right);
    EXPECT_EQ(Cursor(), 5);
    Key(Qt::Key_End);
    EXPECT_EQ(Cursor(), 10);
    Key(Qt::Key_Home);
    EXPECT_EQ(Cursor(), 0);
    me->LineEdit()->setCursorPosition(7);  // as a mouse click would
    EXPECT_EQ(Cursor(), 8);
    me->SetEditMask("(999)");
    me->LineEdit()->setCursorPosition(0);
    EXPECT_EQ(Cursor(), 1);
}

TEST_F(MaskTyping, PasteGoesThroughTheTypingRules) {
    QGuiApplication::clipboard()->setText("x2004/01/02");
    Key(Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
    EXPECT_EQ(me->EditText(), "2004/01/02");
    me->SetTextValue("");
    me->SetSelStart(5);
    QGuiApplication::clipboard()->setText("1231");
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(me->EditText(), "____/12/31");
    // Cut copies the selection and blanks it.
    me->SetSelStart(5);
    me->SetSelLength(2);
    Key(Qt::Key_X, Qt::ControlModifier, QString(QChar(0x18)));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "12");
    EXPECT_EQ(me->EditText(), "____/__/31");
}

TEST_F(MaskTyping, ContextMenuPasteUsesTheMask) {
    auto* line = qobject_cast<TMaskLineEdit*>(me->LineEdit());
    ASSERT_NE(line, nullptr);
    QGuiApplication::clipboard()->setText("19991231");
    me->SetSelStart(0);
    std::unique_ptr<QMenu> menu(line->CreateMaskedContextMenu());
    QAction* paste = nullptr;
    QAction* cut = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->objectName() == "edit-paste") paste = action;
        if (action->objectName() == "edit-cut") cut = action;
    }
    ASSERT_NE(paste, nullptr);
    ASSERT_NE(cut, nullptr);
    EXPECT_FALSE(cut->isEnabled());  // nothing selected
    ASSERT_TRUE(paste->isEnabled());
    paste->trigger();
    EXPECT_EQ(me->EditText(), "1999/12/31");
}

TEST_F(MaskTyping, EditsThatBypassTheKeysAreBroughtBackIntoShape) {
    me->SetTextValue("2004/01/02");
    me->SetSelStart(0);
    me->LineEdit()->insert("9");  // inserts instead of overwriting
    EXPECT_EQ(me->EditText().size(), 10);
    EXPECT_EQ(me->EditText().mid(4, 1), "/");
}

TEST_F(MaskTyping, CaseAndCharCaseApplyToTypedLetters) {
    me->SetEditMask(">ll<ll");
    me->SetSelStart(0);
    Type("abCD");
    EXPECT_EQ(me->EditText(), "ABcd");
    me->SetEditMask("llll;1;_");
    me->SetCharCase(ecUpperCase);
    me->SetTextValue("");
    me->SetSelStart(0);
    Type("ab1c");
    EXPECT_EQ(me->EditText(), "ABC_");
}

TEST_F(MaskTyping, ReadOnlyRefusesEveryChange) {
    me->SetTextValue("2004/01/02");
    me->SetReadOnly(true);
    me->SetSelStart(0);
    Type("1");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Delete);
    QGuiApplication::clipboard()->setText("1999");
    Key(Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
    EXPECT_EQ(me->EditText(), "2004/01/02");
    EXPECT_FALSE(me->Modified());
}

TEST_F(MaskTyping, EscapeAbandonsTheChangesSinceEntering) {
    me->SetTextValue("2004/01/02");
    form->other->SetFocus();
    me->SetFocus();
    me->SetSelStart(0);
    Type("19");
    EXPECT_EQ(me->EditText(), "1904/01/02");
    Key(Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_EQ(me->EditText(), "2004/01/02");
    EXPECT_FALSE(me->Modified());
}

// ---- the exit check ------------------------------------------------------------------

TEST(MaskValidate, RequiredBlankRaisesOnlyWhenChangedAndRequired) {
    auto edit = std::make_unique<TMaskEdit>(nullptr);
    edit->SetEditMask("000-99;1;_");
    edit->ValidateEdit();  // untouched: no complaint
    edit->SetTextValue("12");
    edit->SetModified(true);
    try {
        edit->ValidateEdit();
        ADD_FAILURE() << "no EDBEditError";
    } catch (const EDBEditError& e) {
        EXPECT_STREQ(e.what(), "Invalid input value.  Use escape key to abandon changes");
        EXPECT_EQ(edit->SelStart(), 2);  // the first missing position
    }
    edit->SetTextValue("123");
    EXPECT_NO_THROW(edit->ValidateEdit());  // optional positions may stay blank
    edit->SetEditMask("9999/99/99;1; ");
    edit->SetTextValue("");
    edit->SetModified(true);
    EXPECT_NO_THROW(edit->ValidateEdit());
    edit->SetEditMask("");
    EXPECT_NO_THROW(edit->ValidateEdit());
}

// Leaving is checked once, whether or not the window is active (in an active
// window the focus event itself moves the form's focus).
class MaskLeaving : public ::testing::TestWithParam<bool> {};

TEST_P(MaskLeaving, AnIncompleteInputKeepsTheFocusAndReportsOnce) {
    auto* form = TForm::Create<TForm>(nullptr);
    auto* me = CreateNamed<RecordingMaskEdit>(form, "me");
    me->SetParent(form);
    auto* next = CreateNamed<TMaskEdit>(form, "next");
    next->SetParent(form);
    next->SetTop(30);
    int exits = 0;
    me->OnExit = [&](TObject*) { ++exits; };
    form->Show();
    if (GetParam()) QApplication::processEvents();
    ASSERT_EQ(form->Handle()->isActiveWindow(), GetParam());
    me->SetEditMask("000;1;_");
    me->SetFocus();
    me->SetSelStart(0);
    QKeyEvent one(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
    QApplication::sendEvent(me->Handle(), &one);
    next->SetFocus();
    EXPECT_EQ(form->ActiveControl(), me);
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(me->errors, QStringList{"Invalid input value.  Use escape key to abandon changes"});
    EXPECT_EQ(me->SelStart(), 1);
    // Escape brings back the entered text and the edit can be left.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    QApplication::sendEvent(me->Handle(), &escape);
    EXPECT_EQ(me->EditText(), "___");
    next->SetFocus();
    EXPECT_EQ(form->ActiveControl(), next);
    EXPECT_EQ(exits, 1);
    form->Free();
}

INSTANTIATE_TEST_SUITE_P(InactiveAndActiveWindow, MaskLeaving, ::testing::Bool());

// ---- mask changes, the plain edit, Modified ------------------------------------

TEST(MaskEdit, BlankPictureFoundBySwitchingTheSaveField) {
    // The empty-input check of the option dialog: switch to ";0", clear, switch
    // back and read the picture with its literals.
    auto edit = std::make_unique<TMaskEdit>(nullptr);
    const QString mask = "9999/99/99;1; ";
    edit->SetEditMask(mask);
    edit->SetTextValue("2004/01/02");
    const QString kept = edit->Text();
    QString noSave = mask;
    noSave.replace(noSave.indexOf(";1"), 2, ";0");
    edit->SetEditMask(noSave);
    EXPECT_EQ(edit->Text(), "20040102");
    edit->SetTextValue("");
    edit->SetEditMask(mask);
    EXPECT_EQ(edit->Text(), "    /  /  ");
    edit->SetTextValue(kept);
    EXPECT_EQ(edit->Text(), "2004/01/02");
}

TEST(MaskEdit, MaskChangesReformatAndRemovingTheMaskKeepsText) {
    auto edit = std::make_unique<TMaskEdit>(nullptr);
    edit->SetTextValue("20040102");
    edit->SetEditMask("9999/99/99;1;_");
    EXPECT_EQ(edit->EditText(), "2004/01/02");
    edit->SetEditMask("9999/99/99;1;*");
    edit->SetTextValue("2004/1/");
    EXPECT_EQ(edit->EditText(), "2004/1*/**");
    edit->SetEditMask("");
    EXPECT_EQ(edit->Text(), "2004/1 /  ");
}

TEST(MaskEdit, WithoutMaskItIsAPlainEdit) {
    auto* form = TForm::Create<TForm>(nullptr);
    auto* me = CreateNamed<TMaskEdit>(form, "me");
    me->SetParent(form);
    form->Show();
    me->SetFocus();
    me->SetTextValue("ab");
    me->SetSelStart(2);
    for (const char* s : {"c", "/", " "}) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, s);
        QApplication::sendEvent(me->Handle(), &key);
    }
    EXPECT_EQ(me->Text(), "abc/ ");
    EXPECT_EQ(me->EditText(), "abc/ ");
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, "\b");
    QApplication::sendEvent(me->Handle(), &back);
    EXPECT_EQ(me->Text(), "abc/");
    me->SetMaxLength(3);
    me->SetTextValue("abcdef");
    EXPECT_EQ(me->Text(), "abc");
    // The length limit does not cut a masked text.
    me->SetEditMask("9999/99/99;1;_");
    me->SetTextValue("2004/01/02");
    EXPECT_EQ(me->Text(), "2004/01/02");
    form->Free();
}

TEST(MaskEdit, TextSetByCodeLeavesModifiedAndRaisesOnChange) {
    auto edit = std::make_unique<TMaskEdit>(nullptr);
    int changes = 0;
    bool modifiedInHandler = true;
    edit->OnChange = [&](TObject*) {
        ++changes;
        modifiedInHandler = edit->Modified();
    };
    edit->SetEditMask("9999/99/99;1;_");
    edit->SetTextValue("2004/01/02");
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(modifiedInHandler);
    EXPECT_FALSE(edit->Modified());
    edit->SetTextValue("2004/01/02");
    EXPECT_EQ(changes, 2);  // unchanged text: no event
}

TEST(MaskEdit, PublishedPropertiesByName) {
    auto edit = std::make_unique<TMaskEdit>(nullptr);
    EXPECT_TRUE(edit->setProperty("EditMask", QString("!999;0;_")));
    EXPECT_TRUE(edit->setProperty("Text", QString("7")));
    EXPECT_EQ(edit->property("EditText").toString(), "__7");
    EXPECT_EQ(edit->property("Text").toString(), "  7");
    EXPECT_EQ(edit->property("EditMask").toString(), "!999;0;_");
    EXPECT_TRUE(edit->setProperty("CharCase", QString("ecLowerCase")));
    EXPECT_EQ(edit->CharCase(), ecLowerCase);
    EXPECT_TRUE(edit->setProperty("ReadOnly", true));
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_TRUE(edit->setProperty("MaxLength", 5));
    EXPECT_EQ(edit->MaxLength(), 5);
    EXPECT_TRUE(edit->setProperty("AutoSelect", false));
    EXPECT_FALSE(edit->AutoSelect());
    EXPECT_TRUE(edit->setProperty("ImeName", QString("ime")));
    EXPECT_EQ(edit->ImeName, "ime");
    int changes = 0;
    EXPECT_TRUE(edit->setProperty("OnChange", QVariant::fromValue(TNotifyEvent([&](TObject*) { ++changes; }))));
    edit->SetTextValue("8");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit->ClassName(), "TMaskEdit");
    EXPECT_TRUE(edit->InheritsFrom("TCustomMaskEdit"));
    EXPECT_TRUE(edit->InheritsFrom("TCustomEdit"));
}

TEST(MaskEdit, ScreenshotOfSomeMaskedEdits) {
    auto* form = TForm::Create<TForm>(nullptr);
    form->SetBounds(0, 0, 260, 150);
    const char* masks[][2] = {
        {"9999/99/99;1; ", "2004/1/5"}, {"9999/99/99;1;_", ""}, {"(999)000-0000;0;_", "5551234"}, {">LL-000;1;*", "ab1"}};
    int top = 8;
    for (const auto& m : masks) {
        auto* e = new TMaskEdit(form);
        e->SetParent(form);
        e->SetBounds(8, top, 160, 24);
        e->SetEditMask(m[0]);
        e->SetTextValue(m[1]);
        top += 32;
    }
    form->Show();
    const QPixmap shot = form->Handle()->grab();
    EXPECT_FALSE(shot.isNull());
    shot.save("/tmp/p2.png");
    form->Free();
}

}  // namespace
}  // namespace kv

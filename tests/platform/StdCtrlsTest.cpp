// The standard controls: published properties and events by name, combo and list
// selection across item and style changes, owner drawing, radio exclusivity, the
// check box's click rules, memo lines, labels (auto size, accelerators) and the
// form's Enter/Escape rule for default and cancel buttons.
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QPainter>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

#include <vector>

#include "platform/Forms.h"
#include "platform/Spin.h"
#include "platform/StdCtrls.h"
#include "WidgetTestSupport.h"

namespace kv {
namespace {

using test::SendKey;


void TypeText(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
        SendKey(widget, key, QString(ch));
    }
}

template <class T>
T* Place(TWinControl* parent, const QString& name, int left, int top) {
    auto* c = CreateNamed<T>(parent, name);
    c->SetParent(parent);
    c->SetLeft(left);
    c->SetTop(top);
    return c;
}

QString EnumKey(const QObject* object, const char* name) {
    const QMetaObject* meta = object->metaObject();
    const QMetaProperty prop = meta->property(meta->indexOfProperty(name));
    return QString::fromLatin1(prop.enumerator().valueToKey(prop.read(object).toInt()));
}

// Frees the form when a test ends, also after a failed assertion.
struct FormFixture : ::testing::Test {
    void SetUp() override {
        form = TForm::Create<TForm>(nullptr);
        form->SetBounds(0, 0, 420, 300);
    }
    void TearDown() override {
        SetModalDriver({});
        if (form) form->Free();
    }
    TForm* form = nullptr;
};

// ---- properties and events by name ----------------------------------------------

struct PropCase {
    const char* Control;
    const char* Property;
    QVariant Value;
    const char* Expected;  // as text; enums by their value name
};

TControl* NewControl(TForm* form, const QString& kind) {
    TControl* c = nullptr;
    if (kind == "TLabel") c = new TLabel(form);
    if (kind == "TMemo") c = new TMemo(form);
    if (kind == "TComboBox") c = new TComboBox(form);
    if (kind == "TListBox") c = new TListBox(form);
    if (kind == "TCheckBox") c = new TCheckBox(form);
    if (kind == "TRadioButton") c = new TRadioButton(form);
    if (kind == "TGroupBox") c = new TGroupBox(form);
    if (kind == "TButton") c = new TButton(form);
    if (kind == "TSpinEdit") c = new TSpinEdit(form);
    if (c) c->SetParent(form);
    return c;
}

TEST_F(FormFixture, PublishedPropertiesReadAndWriteByName) {
    const PropCase cases[] = {
        {"TLabel", "Caption", QString("&Name"), "&Name"},
        {"TLabel", "Alignment", QString("taCenter"), "taCenter"},
        {"TLabel", "Layout", QString("tlBottom"), "tlBottom"},
        {"TLabel", "AutoSize", false, "false"},
        {"TLabel", "WordWrap", true, "true"},
        {"TLabel", "Transparent", true, "true"},
        {"TLabel", "ShowAccelChar", false, "false"},
        {"TMemo", "Text", QString("a\r\nb"), "a\r\nb"},
        {"TMemo", "WordWrap", false, "false"},
        {"TMemo", "ScrollBars", QString("ssBoth"), "ssBoth"},
        {"TMemo", "WantReturns", false, "false"},
        {"TMemo", "WantTabs", true, "true"},
        {"TMemo", "ReadOnly", true, "true"},
        {"TMemo", "MaxLength", 12, "12"},
        {"TMemo", "Alignment", QString("taRightJustify"), "taRightJustify"},
        {"TMemo", "ImeName", QString("Chinese"), "Chinese"},
        {"TComboBox", "Style", QString("csDropDownList"), "csDropDownList"},
        {"TComboBox", "DropDownCount", 12, "12"},
        {"TComboBox", "Sorted", true, "true"},
        {"TComboBox", "MaxLength", 5, "5"},
        {"TComboBox", "CharCase", QString("ecUpperCase"), "ecUpperCase"},
        {"TComboBox", "ItemHeight", 20, "20"},
        {"TComboBox", "Text", QString("typed"), "typed"},
        {"TComboBox", "ImeName", QString("Chinese"), "Chinese"},
        {"TListBox", "Style", QString("lbOwnerDrawFixed"), "lbOwnerDrawFixed"},
        {"TListBox", "MultiSelect", true, "true"},
        {"TListBox", "ExtendedSelect", false, "false"},
        {"TListBox", "Sorted", true, "true"},
        {"TListBox", "ItemHeight", 18, "18"},
        {"TCheckBox", "Caption", QString("&Keep"), "&Keep"},
        {"TCheckBox", "Checked", true, "true"},
        {"TCheckBox", "State", QString("cbGrayed"), "cbGrayed"},
        {"TCheckBox", "AllowGrayed", true, "true"},
        {"TCheckBox", "Alignment", QString("taLeftJustify"), "taLeftJustify"},
        {"TRadioButton", "Caption", QString("Brief"), "Brief"},
        {"TRadioButton", "Checked", true, "true"},
        {"TRadioButton", "Alignment", QString("taLeftJustify"), "taLeftJustify"},
        {"TGroupBox", "Caption", QString("选择打印"), "选择打印"},
        {"TButton", "Caption", QString("确定"), "确定"},
        {"TButton", "Default", true, "true"},
        {"TButton", "Cancel", true, "true"},
        {"TButton", "ModalResult", 2, "2"},
    };
    for (const PropCase& c : cases) {
        SCOPED_TRACE(std::string(c.Control) + "." + c.Property);
        TControl* control = NewControl(form, c.Control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->ClassName(), c.Control);
        ASSERT_TRUE(control->setProperty(c.Property, c.Value));
        const QMetaObject* meta = control->metaObject();
        const QMetaProperty prop = meta->property(meta->indexOfProperty(c.Property));
        const QString actual = prop.isEnumType() ? EnumKey(control, c.Property) : control->property(c.Property).toString();
        EXPECT_EQ(actual, QString::fromUtf8(c.Expected));
    }
}

TEST_F(FormFixture, EventsAreAssignableByNameOnEveryKind) {
    struct EventCase {
        const char* Control;
        const char* Event;
        std::function<void(TControl*)> Trigger;
    };
    const EventCase cases[] = {
        {"TLabel", "OnClick", [](TControl* c) { c->Click(); }},
        {"TMemo", "OnChange", [](TControl* c) { static_cast<TMemo*>(c)->Lines()->Add("x"); }},
        {"TComboBox", "OnChange",
         [](TControl* c) {
             auto* combo = static_cast<TComboBox*>(c);
             combo->Items()->SetCommaText("a,b");
             SendKey(combo->Handle(), Qt::Key_Down);
         }},
        {"TComboBox", "OnSelect",
         [](TControl* c) {
             auto* combo = static_cast<TComboBox*>(c);
             combo->Items()->SetCommaText("a,b");
             SendKey(combo->Handle(), Qt::Key_Down);
         }},
        {"TComboBox", "OnDropDown", [](TControl* c) { static_cast<TComboBox*>(c)->ComboBox()->showPopup(); }},
        {"TListBox", "OnClick",
         [](TControl* c) {
             auto* list = static_cast<TListBox*>(c);
             list->Items()->SetCommaText("a,b");
             list->ListWidget()->setCurrentRow(1);  // as a user's click selects
         }},
        {"TCheckBox", "OnClick", [](TControl* c) { static_cast<TCheckBox*>(c)->CheckBox()->click(); }},
        {"TRadioButton", "OnClick", [](TControl* c) { static_cast<TRadioButton*>(c)->RadioButton()->click(); }},
        {"TButton", "OnClick", [](TControl* c) { static_cast<TButton*>(c)->PushButton()->click(); }},
        {"TSpinEdit", "OnChange", [](TControl* c) { static_cast<TSpinEdit*>(c)->UpClick(); }},
    };
    form->Show();
    for (const EventCase& c : cases) {
        SCOPED_TRACE(std::string(c.Control) + "." + c.Event);
        TControl* control = NewControl(form, c.Control);
        int fired = 0;
        ASSERT_TRUE(control->setProperty(c.Event, QVariant::fromValue(TNotifyEvent([&](TObject* s) {
            fired += s == control ? 1 : 100;
        }))));
        ASSERT_TRUE(control->property(c.Event).value<TNotifyEvent>());
        c.Trigger(control);
        EXPECT_GE(fired, 1);
        EXPECT_LT(fired, 100);
        if (control->ClassName() == "TComboBox") static_cast<TComboBox*>(control)->ComboBox()->hidePopup();
    }
}

TEST_F(FormFixture, StringListPropertiesAreClassTypedAndAssignCopies) {
    auto* combo = NewControl(form, "TComboBox");
    auto* memo = NewControl(form, "TMemo");
    TStringList source;
    source.SetCommaText("one,two");
    for (auto [control, name] : {std::pair{combo, "Items"}, std::pair{memo, "Lines"}}) {
        SCOPED_TRACE(name);
        auto* own = control->property(name).value<TStrings*>();
        ASSERT_NE(own, nullptr);
        ASSERT_TRUE(control->setProperty(name, QVariant::fromValue<TStrings*>(&source)));
        EXPECT_EQ(control->property(name).value<TStrings*>(), own);  // the same list, now a copy
        EXPECT_EQ(own->ToStringList(), (QStringList{"one", "two"}));
    }
    source.Add("three");
    EXPECT_EQ(static_cast<TComboBox*>(combo)->Items()->Count(), 2);
}

// ---- combo box ----------------------------------------------------------------------

TEST_F(FormFixture, ComboKeepsItsSelectionAcrossItemChanges) {
    struct Case {
        const char* Name;
        TComboBoxStyle Style;
        std::function<void(TStrings*)> Change;
        int ExpectedIndex;
        const char* ExpectedText;
    };
    const Case cases[] = {
        {"texts replaced", csDropDownList, [](TStrings* s) { s->SetText("上半月\r\n下半月\r\n全月"); }, 1, "下半月"},
        {"item added", csDropDown, [](TStrings* s) { s->Add("d"); }, 1, "b"},
        {"list shrinks below it", csDropDownList, [](TStrings* s) { s->SetCommaText("x"); }, -1, ""},
        {"cleared", csDropDown, [](TStrings* s) { s->Clear(); }, -1, ""},
        {"owner-drawn, replaced", csOwnerDrawFixed, [](TStrings* s) { s->SetCommaText("p,q,r"); }, 1, "q"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* combo = new TComboBox(form);
        combo->SetParent(form);
        combo->SetStyle(c.Style);
        combo->Items()->SetCommaText("a,b,c");
        int changes = 0;
        combo->OnChange = [&](TObject*) { ++changes; };
        combo->SetItemIndex(1);
        c.Change(combo->Items());
        EXPECT_EQ(combo->ItemIndex(), c.ExpectedIndex);
        EXPECT_EQ(combo->Text(), QString::fromUtf8(c.ExpectedText));
        EXPECT_EQ(changes, 0);  // code changes raise no OnChange
    }
}

TEST_F(FormFixture, ComboStyleChangesKeepItemsAndSelection) {
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->Items()->SetCommaText("简要,明细,全月");
    combo->SetItemIndex(2);
    for (TComboBoxStyle style : {csOwnerDrawVariable, csDropDownList, csDropDown, csOwnerDrawFixed, csSimple, csDropDown}) {
        SCOPED_TRACE(static_cast<int>(style));
        combo->SetStyle(style);
        EXPECT_EQ(combo->Items()->Count(), 3);
        EXPECT_EQ(combo->ItemIndex(), 2);
        EXPECT_EQ(combo->Text(), "全月");
    }
    // Typed text that is no item: a list style cannot show it.
    combo->SetTextValue("other");
    EXPECT_EQ(combo->ItemIndex(), -1);
    combo->SetStyle(csDropDownList);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");
    // Typed text that names an item selects it when the style becomes a list.
    combo->SetStyle(csDropDown);
    combo->SetTextValue("明细");
    combo->SetStyle(csOwnerDrawFixed);
    EXPECT_EQ(combo->ItemIndex(), 1);
    // Text on a list style selects the item of that text (letter case ignored).
    combo->Items()->SetCommaText("Alpha,Beta");
    combo->SetStyle(csDropDownList);
    combo->SetTextValue("beta");
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(FormFixture, ComboUserSelectionAndTypingRaiseEventsInOrder) {
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->Items()->SetCommaText("apple,banana");
    form->Show();
    combo->SetFocus();
    std::vector<QString> log;
    combo->OnClick = [&](TObject*) { log.push_back("click " + combo->Text()); };
    combo->OnSelect = [&](TObject*) { log.push_back("select"); };
    combo->OnChange = [&](TObject*) { log.push_back("change " + combo->Text()); };
    SendKey(combo->Handle(), Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(log, (std::vector<QString>{"click apple", "select", "change apple"}));
    log.clear();
    // Typing: OnChange only; the selection follows the text.
    combo->SetTextValue("");
    TypeText(combo->Handle(), "banana");
    EXPECT_EQ(log.back(), "change banana");
    EXPECT_EQ(log.size(), 6u);
    EXPECT_EQ(combo->ItemIndex(), 1);
    TypeText(combo->Handle(), "s");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "bananas");
    EXPECT_EQ(combo->Items()->Count(), 2);  // Enter does not add what was typed
    SendKey(combo->Handle(), Qt::Key_Return, "\r");
    EXPECT_EQ(combo->Items()->Count(), 2);
    // Upper-case combo and a length limit on what is typed.
    combo->SetCharCase(ecUpperCase);
    combo->SetMaxLength(4);
    combo->SetTextValue("");
    TypeText(combo->Handle(), "kiwis");
    EXPECT_EQ(combo->Text(), "KIWI");
}

TEST_F(FormFixture, OwnerDrawnComboSelectsAndDrawsItsItems) {
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(22);
    combo->Items()->SetCommaText("上半月,下半月,全月");
    combo->SetItemIndex(2);
    form->Show();
    combo->SetFocus();
    int clicks = 0;
    combo->OnClick = [&](TObject*) { ++clicks; };
    SendKey(combo->Handle(), Qt::Key_Up);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "下半月");
    EXPECT_EQ(clicks, 1);

    struct Drawn {
        int Index;
        TOwnerDrawState State;
        bool HadCanvas;
    };
    std::vector<Drawn> drawn;
    combo->OnDrawItem = [&](TWinControl* c, int index, const QRect& rect, TOwnerDrawState state) {
        drawn.push_back({index, state, combo->Canvas() != nullptr && c == combo && rect.isValid()});
        combo->Canvas()->fillRect(rect, Qt::red);
    };
    // The closed box draws the selected item as the edit part.
    combo->Handle()->grab();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back().Index, 1);
    EXPECT_TRUE(drawn.back().State.testFlag(odComboBoxEdit));
    EXPECT_TRUE(drawn.back().HadCanvas);
    EXPECT_EQ(combo->Canvas(), nullptr);
    // The drop-down list draws its items through the control too, ItemHeight high.
    QImage image(100, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 100, 22);
        option.state = QStyle::State_Enabled | QStyle::State_Selected;
        const QModelIndex index = combo->ComboBox()->model()->index(0, 0);
        combo->ComboBox()->itemDelegate()->paint(&painter, option, index);
        EXPECT_EQ(combo->ComboBox()->itemDelegate()->sizeHint(option, index).height(), 22);
    }
    EXPECT_EQ(drawn.back().Index, 0);
    EXPECT_TRUE(drawn.back().State.testFlag(odSelected));
    EXPECT_EQ(image.pixelColor(50, 10), QColor(Qt::red));
    // Without a handler the control draws the text itself, highlighted when selected.
    combo->OnDrawItem = nullptr;
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        combo->DrawItem(0, QRect(0, 0, 100, 22), odSelected, &painter);
    }
    EXPECT_EQ(image.pixelColor(98, 2), ColorToQColor(clHighlight));
}

// ---- list box -----------------------------------------------------------------------

TEST_F(FormFixture, ListBoxSelectionRules) {
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->Items()->SetCommaText("c,a,b");
    int clicks = 0;
    list->OnClick = [&](TObject*) { ++clicks; };
    list->SetItemIndex(2);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(list->Selected(2));
    list->Items()->Put(2, "bb");
    EXPECT_EQ(list->ItemIndex(), 2);
    list->SetSorted(true);
    EXPECT_EQ(list->Items()->ToStringList(), (QStringList{"a", "bb", "c"}));
    EXPECT_EQ(list->ListWidget()->item(0)->text(), "a");
    list->Items()->Delete(2);
    list->Items()->Delete(1);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(clicks, 0);
    // The user's selection raises OnClick; a double click OnDblClick.
    list->Items()->SetCommaText("a,b,c");
    list->ListWidget()->setCurrentRow(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list->ItemIndex(), 1);
    int dbl = 0;
    list->OnDblClick = [&](TObject*) { ++dbl; };
    QMouseEvent dblClick(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
    QApplication::sendEvent(list->ListWidget()->viewport(), &dblClick);
    EXPECT_EQ(dbl, 1);
    // Several selected items.
    list->SetMultiSelect(true);
    list->SetSelected(0, true);
    list->SetSelected(2, true);
    EXPECT_TRUE(list->Selected(0));
    EXPECT_TRUE(list->Selected(2));
    list->SetSelected(1, false);
    EXPECT_FALSE(list->Selected(1));
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_THROW(list->Selected(3), std::out_of_range);
}

// ---- check box and radio buttons ---------------------------------------------------

TEST_F(FormFixture, CheckBoxRaisesOnClickForEveryStateChange) {
    struct Case {
        const char* Name;
        bool AllowGrayed;
        std::function<void(TCheckBox*)> Act;
        std::vector<TCheckBoxState> States;  // after each act, in order
        int Clicks;
    };
    const auto userClick = [](TCheckBox* c) { c->CheckBox()->click(); };
    const Case cases[] = {
        {"user clicks, two states", false, userClick, {cbChecked, cbUnchecked, cbChecked}, 3},
        {"user clicks, three states", true, userClick, {cbGrayed, cbChecked, cbUnchecked}, 3},
        {"code sets Checked", false, [](TCheckBox* c) { c->SetChecked(!c->Checked()); },
         {cbChecked, cbUnchecked, cbChecked}, 3},
        {"code sets the same state", false, [](TCheckBox* c) { c->SetState(cbUnchecked); },
         {cbUnchecked, cbUnchecked, cbUnchecked}, 0},
        {"Toggle", true, [](TCheckBox* c) { c->Toggle(); }, {cbGrayed, cbChecked, cbUnchecked}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* box = new TCheckBox(form);
        box->SetParent(form);
        box->SetAllowGrayed(c.AllowGrayed);
        int clicks = 0;
        box->OnClick = [&](TObject*) { ++clicks; };
        for (TCheckBoxState expected : c.States) {
            c.Act(box);
            EXPECT_EQ(box->State(), expected);
            EXPECT_EQ(box->CheckBox()->checkState(), expected == cbChecked   ? Qt::Checked
                                                     : expected == cbGrayed ? Qt::PartiallyChecked
                                                                            : Qt::Unchecked);
        }
        EXPECT_EQ(clicks, c.Clicks);
    }
}

TEST_F(FormFixture, CheckBoxGrayedByCodeIsNotReachableByClicksWithoutAllowGrayed) {
    auto* box = new TCheckBox(form);
    box->SetParent(form);
    box->SetState(cbGrayed);
    for (TCheckBoxState expected : {cbChecked, cbUnchecked, cbChecked}) {
        box->CheckBox()->click();
        EXPECT_EQ(box->State(), expected);
    }
}

TEST(StdCtrls, CheckBoxAndRadioRaiseNoClickWhileLoading) {
    auto* form = new TForm(nullptr);  // still loading, as while its resource is read
    auto* box = new TCheckBox(form);
    auto* radio = new TRadioButton(form);
    int clicks = 0;
    box->OnClick = radio->OnClick = [&](TObject*) { ++clicks; };
    box->SetChecked(true);
    radio->SetChecked(true);
    EXPECT_EQ(clicks, 0);
    form->AfterConstruction();
    box->SetChecked(false);
    EXPECT_EQ(clicks, 1);
    form->Free();
}

// A radio button of another class in the same parent (as a self-drawn radio of
// the option dialogs would be).
class TOtherRadio : public TWinControl {
public:
    explicit TOtherRadio(TComponent* owner) : TWinControl(owner, NewWidget<QRadioButton>()) {}
    QRadioButton* Radio() const { return static_cast<QRadioButton*>(Handle()); }
};

TEST_F(FormFixture, CheckingARadioButtonUnchecksItsSiblingsOnly) {
    auto* r1 = Place<TRadioButton>(form, "r1", 8, 8);
    auto* r2 = Place<TRadioButton>(form, "r2", 8, 28);
    auto* other = new TOtherRadio(form);
    other->SetParent(form);
    other->Radio()->setChecked(true);
    auto* group = Place<TGroupBox>(form, "gb", 150, 8);
    auto* inGroup = Place<TRadioButton>(group, "r3", 8, 20);
    inGroup->SetChecked(true);
    std::vector<QString> clicks;
    for (TRadioButton* r : {r1, r2, inGroup}) r->OnClick = [&clicks, r](TObject*) { clicks.push_back(r->Name()); };

    r1->SetChecked(true);
    r2->RadioButton()->click();  // the user
    EXPECT_FALSE(r1->Checked());
    EXPECT_FALSE(r1->RadioButton()->isChecked());
    EXPECT_TRUE(r2->Checked());
    EXPECT_TRUE(inGroup->Checked());        // another parent
    EXPECT_TRUE(other->Radio()->isChecked());  // another class
    EXPECT_TRUE(r2->TabStop());
    EXPECT_FALSE(r1->TabStop());
    // Clicking the checked one again changes nothing and raises nothing.
    r2->RadioButton()->click();
    EXPECT_TRUE(r2->Checked());
    r2->SetChecked(false);
    EXPECT_EQ(clicks, (std::vector<QString>{"r1", "r2"}));
}

// ---- group box ------------------------------------------------------------------------

TEST_F(FormFixture, GroupBoxChildrenArePlacedRelativeToTheBox) {
    auto* group = Place<TGroupBox>(form, "gb", 30, 40);
    auto* edit = Place<TEdit>(group, "ed", 10, 20);
    EXPECT_EQ(edit->Parent(), group);
    EXPECT_EQ(edit->Handle()->mapTo(form->Handle(), QPoint(0, 0)), QPoint(40, 60));
    EXPECT_EQ(group->ClientWidget(), group->Handle());
    // An aligned child fills the frame below the caption, not the caption.
    group->SetBounds(30, 40, 200, 120);
    auto* panel = Place<TGroupBox>(group, "inner", 0, 0);
    panel->SetAlign(alClient);
    EXPECT_GT(panel->Top(), 2);
    EXPECT_GE(panel->Left(), 2);
    EXPECT_LE(panel->Top() + panel->Height(), 120 - 2);
}

// ---- memo ---------------------------------------------------------------------------

TEST_F(FormFixture, MemoLinesAndTextFollowEachOther) {
    auto* memo = Place<TMemo>(form, "me", 8, 8);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->SetTextValue("a\r\nb\r\n");
    EXPECT_EQ(memo->Lines()->ToStringList(), (QStringList{"a", "b"}));  // no empty last line
    EXPECT_EQ(memo->Lines()->Text(), "a\r\nb\r\n");
    memo->Lines()->Add("c");
    EXPECT_EQ(memo->Text(), "a\r\nb\r\nc");
    memo->Lines()->Put(0, "第一行");
    EXPECT_EQ(memo->Text(), "第一行\r\nb\r\nc");
    memo->Lines()->Clear();
    EXPECT_EQ(memo->Text(), "");
    EXPECT_EQ(memo->Lines()->Count(), 0);
    EXPECT_EQ(changes, 4);

    // Typing: Enter breaks the line, Lines and the caret follow.
    form->Show();
    memo->SetFocus();
    TypeText(memo->Handle(), "ab");
    SendKey(memo->Handle(), Qt::Key_Return, "\r");
    TypeText(memo->Handle(), "c");
    EXPECT_EQ(memo->Text(), "ab\r\nc");
    EXPECT_EQ(memo->Lines()->ToStringList(), (QStringList{"ab", "c"}));
    EXPECT_EQ(memo->CaretPos(), QPoint(1, 1));
    EXPECT_TRUE(memo->Modified());
    // Positions count a line break as two characters.
    EXPECT_EQ(memo->SelStart(), 5);
    memo->SetSelStart(2);
    memo->SetSelLength(3);
    EXPECT_EQ(memo->SelText(), "\r\nc");
    memo->SetCaretPos(QPoint(0, 1));
    EXPECT_EQ(memo->SelStart(), 4);
}

TEST_F(FormFixture, MemoMaxLengthLimitsTypingNotCode) {
    auto* memo = Place<TMemo>(form, "me", 8, 8);
    memo->SetMaxLength(4);
    form->Show();
    memo->SetFocus();
    TypeText(memo->Handle(), "ab");
    SendKey(memo->Handle(), Qt::Key_Return, "\r");  // two characters: CR LF
    TypeText(memo->Handle(), "cd");
    EXPECT_EQ(memo->Text(), "ab\r\n");
    memo->SetTextValue("longer than four");
    EXPECT_EQ(memo->Text(), "longer than four");
}

// ---- labels ------------------------------------------------------------------------

TEST(StdCtrls, AcceleratorOfACaption) {
    const struct {
        const char* Caption;
        char16_t Accel;  // 0: none
    } cases[] = {
        {"&Name", u'N'}, {"Na&me", u'm'}, {"Tom && Jerry", 0}, {"&&Save &As", u'A'}, {"End&", 0}, {"保存(&S)", u'S'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        EXPECT_EQ(AccelChar(QString::fromUtf8(c.Caption)), QChar(c.Accel));
        if (c.Accel) {
            EXPECT_TRUE(IsAccel(QChar(c.Accel).toUpper().unicode(), QString::fromUtf8(c.Caption)));
        }
    }
    EXPECT_FALSE(IsAccel('X', "&Name"));
}

TEST_F(FormFixture, LabelAutoSizeFollowsCaptionFontAndAlignment) {
    auto* label = Place<TLabel>(form, "lbl", 100, 10);
    // The accelerator's "&" takes no room; "&&" is one ampersand.
    label->SetCaption("Name");
    const QSize plain(label->Width(), label->Height());
    label->SetCaption("&Name");
    EXPECT_EQ(QSize(label->Width(), label->Height()), plain);
    EXPECT_GT(plain.width(), QFontMetrics(label->Font()->ToQFont()).horizontalAdvance("Nam"));
    label->SetCaption("Tom && Jerry");
    const int doubled = label->Width();
    label->SetShowAccelChar(false);
    EXPECT_GT(label->Width(), doubled);  // now both ampersands show
    label->SetCaption("Tom & Jerry");
    EXPECT_EQ(label->Width(), doubled);
    label->SetShowAccelChar(true);
    label->SetCaption("&Name");
    const int shortWidth = label->Width();
    label->SetCaption("输入发薪年月 ");
    EXPECT_GT(label->Width(), shortWidth);
    // A larger font makes it taller.
    const int height = label->Height();
    label->Font()->SetHeight(-24);
    EXPECT_GT(label->Height(), height);
    // Right-justified labels keep their right edge.
    label->SetAlignment(taRightJustify);
    const int right = label->Left() + label->Width();
    label->SetCaption("x");
    EXPECT_EQ(label->Left() + label->Width(), right);
    // Without AutoSize the bounds stay.
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 160, 13);
    label->SetCaption("a much longer caption than before");
    EXPECT_EQ(label->Width(), 160);
    EXPECT_EQ(label->Height(), 13);
    // Wrapping keeps the width as the limit and grows the height.
    label->SetWordWrap(true);
    label->SetAutoSize(true);
    EXPECT_LE(label->Width(), 160);
    EXPECT_GE(label->Height(), 2 * QFontMetrics(label->Font()->ToQFont()).height());
}

TEST(StdCtrls, LabelSizesOnlyOnceLoadingEnds) {
    auto* form = new TForm(nullptr);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption("a caption long enough to be wider");
    EXPECT_EQ(label->Width(), 65);
    form->AfterConstruction();
    EXPECT_GT(label->Width(), 65);
    form->Free();
}

TEST_F(FormFixture, LabelAcceleratorFocusesItsControl) {
    auto* first = Place<TEdit>(form, "first", 100, 8);
    auto* label = Place<TLabel>(form, "lbl", 8, 40);
    auto* target = Place<TEdit>(form, "target", 100, 40);
    label->SetCaption("&Target");
    label->SetFocusControl(target);
    form->Show();
    first->SetFocus();
    SendKey(first->Handle(), Qt::Key_T, "t", Qt::AltModifier);
    EXPECT_EQ(form->ActiveControl(), target);
    EXPECT_EQ(first->Text(), "");  // the key was the accelerator's, not typed
    // Without ShowAccelChar, or for another letter, nothing happens.
    first->SetFocus();
    label->SetShowAccelChar(false);
    SendKey(first->Handle(), Qt::Key_T, "t", Qt::AltModifier);
    EXPECT_EQ(form->ActiveControl(), first);
    label->SetShowAccelChar(true);
    SendKey(first->Handle(), Qt::Key_X, "x", Qt::AltModifier);
    EXPECT_EQ(form->ActiveControl(), first);
    // A label forgets a freed control.
    delete target;
    EXPECT_EQ(label->FocusControl(), nullptr);
    SendKey(first->Handle(), Qt::Key_T, "t", Qt::AltModifier);
    EXPECT_EQ(form->ActiveControl(), first);
}

// ---- Enter and Escape: default and cancel buttons ----------------------------------

struct DialogKeyForm : FormFixture {
    void SetUp() override {
        FormFixture::SetUp();
        edit = Place<TEdit>(form, "edit", 8, 8);
        memo = Place<TMemo>(form, "memo", 8, 40);
        plainMemo = Place<TMemo>(form, "plainMemo", 200, 40);
        plainMemo->SetWantReturns(false);
        check = Place<TCheckBox>(form, "check", 8, 140);
        combo = Place<TComboBox>(form, "combo", 8, 170);
        spin = Place<TSpinEdit>(form, "spin", 200, 170);
        ok = Place<TButton>(form, "ok", 100, 250);
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        cancel = Place<TButton>(form, "cancel", 200, 250);
        cancel->SetCancel(true);
        other = Place<TButton>(form, "other", 300, 250);
        for (TButton* b : {ok, cancel, other}) b->OnClick = [this, b](TObject*) { clicks.push_back(b->Name()); };
        form->Show();
    }
    TEdit* edit;
    TMemo* memo;
    TMemo* plainMemo;
    TCheckBox* check;
    TComboBox* combo;
    TSpinEdit* spin;
    TButton* ok;
    TButton* cancel;
    TButton* other;
    std::vector<QString> clicks;
};

TEST_F(DialogKeyForm, EnterClicksTheDefaultButtonUnlessTheFocusedControlTakesIt) {
    struct Case {
        const char* Focused;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        const char* Clicked;  // "" for none
    };
    const Case cases[] = {
        {"edit", Qt::Key_Return, Qt::NoModifier, "ok"},
        {"edit", Qt::Key_Enter, Qt::KeypadModifier, "ok"},
        {"check", Qt::Key_Return, Qt::NoModifier, "ok"},
        {"combo", Qt::Key_Return, Qt::NoModifier, "ok"},
        {"spin", Qt::Key_Return, Qt::NoModifier, "ok"},
        {"plainMemo", Qt::Key_Return, Qt::NoModifier, "ok"},
        {"memo", Qt::Key_Return, Qt::NoModifier, ""},       // a line break instead
        {"plainMemo", Qt::Key_Return, Qt::ControlModifier, ""},
        {"edit", Qt::Key_Return, Qt::ShiftModifier, ""},
        {"other", Qt::Key_Return, Qt::NoModifier, "other"},  // a focused button clicks itself
        {"cancel", Qt::Key_Return, Qt::NoModifier, "cancel"},
        {"edit", Qt::Key_Escape, Qt::NoModifier, "cancel"},
        {"memo", Qt::Key_Escape, Qt::NoModifier, "cancel"},
        {"other", Qt::Key_Escape, Qt::NoModifier, "cancel"},
        {"combo", Qt::Key_Escape, Qt::NoModifier, "cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Focused) + " key " + std::to_string(c.Key) + " mods " +
                     std::to_string(c.Modifiers.toInt()));
        auto* focused = qobject_cast<TWinControl*>(form->FindComponent(c.Focused));
        ASSERT_NE(focused, nullptr);
        focused->SetFocus();
        clicks.clear();
        form->SetModalResult(mrNone);
        const QString text = c.Key == Qt::Key_Escape ? "\x1b" : "\r";
        SendKey(focused->Handle(), c.Key, text, c.Modifiers);
        const std::vector<QString> expected =
            *c.Clicked ? std::vector<QString>{c.Clicked} : std::vector<QString>{};
        EXPECT_EQ(clicks, expected);
        EXPECT_EQ(form->ModalResult(), std::string(c.Clicked) == "ok" ? mrOk : mrNone);
    }
    EXPECT_EQ(memo->Lines()->Count(), 1);  // the memo got its line break
    EXPECT_EQ(memo->Text(), "\r\n");
    EXPECT_EQ(plainMemo->Text(), "\r\n");  // Ctrl+Enter still breaks the line
}

TEST_F(DialogKeyForm, DefaultAndCancelNeedAnEnabledButtonAndAnUnswallowedKey) {
    edit->SetFocus();
    ok->SetEnabled(false);
    SendKey(edit->Handle(), Qt::Key_Return, "\r");
    EXPECT_TRUE(clicks.empty());
    ok->SetEnabled(true);
    // The key preview takes Enter (moving on, as the option dialogs do): no click.
    form->SetKeyPreview(true);
    form->OnKeyPress = [&](TObject*, QChar& key) {
        if (key == QLatin1Char('\r')) {
            key = QChar();
            form->SelectNext(form->ActiveControl(), true, true);
        }
    };
    SendKey(edit->Handle(), Qt::Key_Return, "\r");
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(form->ActiveControl(), memo);
    // The key preview sees Escape once, then the cancel button answers it.
    int escapes = 0;
    form->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) { escapes += key == VK_ESCAPE; };
    edit->SetFocus();
    SendKey(edit->Handle(), Qt::Key_Escape, "\x1b");
    EXPECT_EQ(escapes, 1);
    EXPECT_EQ(clicks, (std::vector<QString>{"cancel"}));
}

TEST_F(DialogKeyForm, KeysTheFocusedWidgetLeavesReachTheKeyPreviewOnce) {
    form->SetKeyPreview(true);
    std::vector<std::uint16_t> keys;
    form->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) { keys.push_back(key); };
    edit->SetFocus();
    SendKey(edit->Handle(), Qt::Key_F2);
    SendKey(edit->Handle(), Qt::Key_Return, "\r");
    EXPECT_EQ(keys, (std::vector<std::uint16_t>{VK_F2, VK_RETURN}));
    // A key sent to the form itself (nothing focused takes it) is the form's.
    keys.clear();
    SendKey(form->Handle(), Qt::Key_F3);
    EXPECT_EQ(keys, (std::vector<std::uint16_t>{VK_F3}));
}

TEST_F(DialogKeyForm, EscapeEndsAModalRunThroughTheCancelButton) {
    form->Hide();
    cancel->SetModalResult(mrCancel);
    SetModalDriver([this](TForm& f) {
        edit->SetFocus();
        SendKey(edit->Handle(), Qt::Key_Escape, "\x1b");
        EXPECT_TRUE(f.CheckModalEnd());
    });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    SetModalDriver([this](TForm& f) {
        edit->SetFocus();
        SendKey(edit->Handle(), Qt::Key_Return, "\r");
        EXPECT_TRUE(f.CheckModalEnd());
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    // The ended run leaves no modal window behind (a freed form would otherwise
    // stay in Qt's list of modal windows).
    EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);
}

// ---- a look at all of them ----------------------------------------------------------

TEST_F(FormFixture, ScreenshotOfEveryControl) {
    form->SetCaption("Standard controls");
    form->SetBounds(0, 0, 460, 330);
    auto* label = Place<TLabel>(form, "lbl", 10, 12);
    label->SetCaption("输入发薪年月 (&Y)");
    auto* edit = Place<TEdit>(form, "ed", 130, 8);
    edit->SetTextValue("2004/12");
    label->SetFocusControl(edit);
    auto* combo = Place<TComboBox>(form, "cbo", 270, 8);
    combo->SetStyle(csDropDownList);
    combo->Items()->SetText("上半月\r\n下半月\r\n全月");
    combo->SetItemIndex(2);
    auto* memo = Place<TMemo>(form, "me", 10, 40);
    memo->Lines()->SetText("第一行\r\nsecond line\r\nthird");
    memo->SetScrollBars(ssVertical);
    auto* list = Place<TListBox>(form, "lb", 205, 40);
    list->Items()->SetCommaText("公司,部门,员工");
    list->SetItemIndex(1);
    auto* group = Place<TGroupBox>(form, "gb", 335, 40);
    group->SetCaption("选择打印");
    group->SetBounds(335, 40, 110, 97);
    auto* brief = Place<TRadioButton>(group, "rb1", 10, 22);
    brief->SetCaption("简要");
    brief->SetChecked(true);
    auto* detail = Place<TRadioButton>(group, "rb2", 10, 45);
    detail->SetCaption("明细");
    auto* check = Place<TCheckBox>(form, "chk", 10, 145);
    check->SetCaption("&Keep");
    check->SetChecked(true);
    auto* gray = Place<TCheckBox>(form, "chk2", 110, 145);
    gray->SetCaption("Grayed");
    gray->SetAllowGrayed(true);
    gray->SetState(cbGrayed);
    auto* drawn = Place<TComboBox>(form, "cbo2", 210, 145);
    drawn->SetStyle(csOwnerDrawFixed);
    drawn->Items()->SetCommaText("owner,drawn");
    drawn->SetItemIndex(1);
    auto* spin = Place<TSpinEdit>(form, "sp", 10, 175);
    spin->SetMinValue(1);
    spin->SetMaxValue(12);
    spin->SetValue(6);
    auto* right = Place<TLabel>(form, "lblR", 150, 180);
    right->SetAutoSize(false);
    right->SetBounds(150, 180, 150, 17);
    right->SetAlignment(taRightJustify);
    right->SetCaption("right aligned");
    auto* ok = Place<TButton>(form, "ok", 280, 280);
    ok->SetCaption("确定");
    ok->SetDefault(true);
    auto* cancel = Place<TButton>(form, "cancel", 365, 280);
    cancel->SetCaption("取消");
    form->Show();
    QApplication::processEvents();
    const QImage shot = form->Handle()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save("/tmp/p1.png"));
}

}  // namespace
}  // namespace kv

// The selection panel: sizes and layouts per style, the range put in order when the
// panel is left, list order, duplicate removal and AddRow (against a plain
// reference computation), the saved-value text both ways and damaged ones, the
// children's events as the panel's, and the lookup request to the owning form.
#include <QApplication>
#include <QCollator>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "components/SelectPnl.h"
#include "platform/Forms.h"

namespace kv {
namespace {

const QChar kF(0x03);
const QChar kR(0x04);
const QChar kS(0x01);

struct LookupRequest {
    WPARAM WParam;
    TControl* Control;
};

// A form holding one panel and an edit to leave it for; it records the lookup
// requests it is sent.
class PanelForm : public TForm {
public:
    explicit PanelForm(TComponent* owner = nullptr) : TForm(owner) {
        SetBounds(0, 0, 420, 260);
        panel = CreateNamed<TSelectPanel>(this, "sp01");
        panel->SetParent(this);
        panel->SetLeft(6);
        panel->SetTop(6);
        other = CreateNamed<TEdit>(this, "edOther");
        other->SetParent(this);
        other->SetBounds(6, 200, 100, 21);
    }
    TSelectPanel* panel;
    TEdit* other;
    std::vector<LookupRequest> requests;

protected:
    void WndProc(TMessage& m) override {
        if (m.Msg == 1034) {
            requests.push_back({m.WParam, ParamControl<TControl>(m.LParam)});
            return;
        }
        TForm::WndProc(m);
    }
};

class SelectPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = TForm::Create<PanelForm>();
        panel = form->panel;
    }
    void TearDown() override { form->Free(); }

    // Types the two texts, enters the begin edit and leaves the panel.
    void LeaveWith(const QString& begin, const QString& end) {
        if (!form->Visible()) form->Show();
        panel->BeginEdit()->SetTextValue(begin);
        panel->EndEdit()->SetTextValue(end);
        panel->BeginEdit()->SetFocus();
        form->other->SetFocus();
    }
    static QStringList Row(const TListItem* item) {
        QStringList row{item->Caption()};
        row += item->SubItems()->ToStringList();
        return row;
    }
    std::vector<QStringList> Rows() const {
        std::vector<QStringList> rows;
        for (int i = 0; i < panel->Items()->Count(); ++i) rows.push_back(Row(panel->Items()->Item(i)));
        return rows;
    }
    std::vector<int> Widths() const {
        std::vector<int> widths;
        for (int i = 0; i < panel->Columns()->Count(); ++i) widths.push_back(panel->ListView()->Column(i)->Width());
        return widths;
    }

    PanelForm* form = nullptr;
    TSelectPanel* panel = nullptr;
};

QRect Bounds(const TControl* c) { return c->BoundsRect(); }
int Right(const TControl* c) { return c->Left() + c->Width(); }

// ---- creation and properties -------------------------------------------------------

TEST_F(SelectPanelTest, NewPanelHasTheDescribedStateAndSubControls) {
    EXPECT_EQ(panel->Width(), 353);
    EXPECT_EQ(panel->Height(), 45);
    EXPECT_EQ(panel->Style(), sp_Range);
    EXPECT_EQ(panel->ValueType(), vt_String);
    EXPECT_EQ(panel->DateType(), dt_NoneCare);
    EXPECT_EQ(panel->CheckDuplicate(), cd_None);
    EXPECT_EQ(panel->BeginWords()->ToStringList(), (QStringList{"起", "起"}));
    EXPECT_EQ(panel->FinalWords()->ToStringList(), (QStringList{"止", "止"}));
    EXPECT_EQ(panel->HintWord(), "区间选择");
    EXPECT_EQ(panel->DateSign(), "/");
    EXPECT_EQ(panel->GlyphIndex(), 8);
    EXPECT_EQ(panel->OtherWidth(), 200);
    EXPECT_EQ(panel->OtherHeight(), 105);
    EXPECT_TRUE(panel->AutoChangeDateSite());
    EXPECT_TRUE(panel->ColumnsAutoSize());
    EXPECT_TRUE(panel->CanOpenWin());
    EXPECT_TRUE(panel->UserChoice());
    EXPECT_FALSE(panel->HideSelection());
    EXPECT_FALSE(panel->ShowColumnHeader());
    EXPECT_FALSE(panel->SortListBox());
    EXPECT_FALSE(panel->UseDiscard());
    EXPECT_FALSE(panel->UseVertical());
    EXPECT_TRUE(panel->EditMask().isEmpty());

    EXPECT_FALSE(panel->UserChoiceBox()->Checked());  // run time
    EXPECT_EQ(panel->UserChoiceBox()->Caption(), "区间选择");
    EXPECT_EQ(panel->BeginEdit()->Height(), 24);
    EXPECT_EQ(panel->EndEdit()->Height(), 24);
    for (TF2Button* b : {panel->BeginButton(), panel->EndButton(), panel->ListButton()}) {
        EXPECT_EQ(b->GlyphIndex(), 8);
        EXPECT_TRUE(b->Flat());
        EXPECT_EQ(b->Width(), 23);
        EXPECT_EQ(b->Height(), 23);
        EXPECT_EQ(b->NumGlyphs(), 1);
    }
    EXPECT_TRUE(panel->BeginButton()->AutoAlign());
    EXPECT_FALSE(panel->ListButton()->AutoAlign());
    EXPECT_EQ(panel->DeleteButton()->GlyphIndex(), 47);
    EXPECT_EQ(panel->ClearButton()->GlyphIndex(), 4);
    EXPECT_EQ(panel->ClearButton()->NumGlyphs(), 2);
    TMavListView* list = panel->ListView();
    EXPECT_EQ(list->ViewStyle(), vsReport);
    EXPECT_TRUE(list->MultiSelect());
    EXPECT_TRUE(list->RowSelect());
    EXPECT_TRUE(list->ReadOnly());
    EXPECT_EQ(list->SortType(), stNone);
    EXPECT_EQ(list->Cursor(), crHandPoint);
    EXPECT_EQ(list->Parent(), panel->ListPanel());
    EXPECT_EQ(panel->BeginEdit()->Parent(), panel->RangePanel());
    EXPECT_EQ(panel->RangePanel()->BevelOuter(), bvNone);

    // The hints follow ChildHints by position.
    const QStringList hints = panel->ChildHints()->ToStringList();
    ASSERT_EQ(hints.size(), 9);
    EXPECT_EQ(panel->UserChoiceBox()->Hint(), hints[0]);
    EXPECT_EQ(panel->EndButton()->Hint(), "区间选择-截止信息开窗");
    EXPECT_EQ(panel->ListView()->Hint(), "多选-己选择的信息");
    EXPECT_EQ(panel->ClearButton()->Hint(), "多选-删除己选信息");
    panel->ChildHints()->Put(1, "begin");
    EXPECT_EQ(panel->BeginEdit()->Hint(), "begin");

    // Only the range inputs show.
    EXPECT_TRUE(panel->RangePanel()->Visible());
    EXPECT_FALSE(panel->ListPanel()->Visible());
    EXPECT_FALSE(panel->UserChoiceBox()->Visible());
}

TEST_F(SelectPanelTest, EnumerationsAndEventsWorkByName) {
    EXPECT_EQ(panel->property("Style").toString(), "sp_Range");
    EXPECT_TRUE(panel->setProperty("Style", "sp_Discrete"));
    EXPECT_EQ(panel->Style(), sp_Discrete);
    EXPECT_TRUE(panel->setProperty("ValueType", "vt_Float"));
    EXPECT_EQ(panel->ValueType(), vt_Float);
    EXPECT_TRUE(panel->setProperty("CheckDuplicate", "cd_CaseInsensitive"));
    EXPECT_EQ(panel->CheckDuplicate(), cd_CaseInsensitive);
    EXPECT_TRUE(panel->SortListBox());
    EXPECT_EQ(panel->property("DateType").toString(), "dt_NoneCare");

    // A handler can be read, replaced and put back by name.
    int typeClicks = 0;
    panel->OnTypeClick = [&](TObject*) { ++typeClicks; };
    const QVariant saved = panel->property("OnTypeClick");
    ASSERT_TRUE(saved.isValid());
    panel->setProperty("OnTypeClick", QVariant::fromValue(TNotifyEvent()));
    panel->SetStyle(sp_UserChoice);
    panel->SetUserChoice(true);
    EXPECT_EQ(typeClicks, 0);
    panel->setProperty("OnTypeClick", saved);
    panel->SetUserChoice(false);
    EXPECT_EQ(typeClicks, 1);
}

// ---- sizes and layouts ------------------------------------------------------------------

TEST_F(SelectPanelTest, StyleChangesToAndFromRangeExchangeTheSize) {
    struct Step {
        TSelectStyle style;
        QSize size;
        QSize other;
    };
    const Step steps[] = {
        {sp_Discrete, {200, 105}, {353, 45}},    {sp_UserChoice, {200, 105}, {353, 45}},
        {sp_Discrete, {200, 105}, {353, 45}},    {sp_Range, {353, 45}, {200, 105}},
        {sp_Range, {353, 45}, {200, 105}},       {sp_UserChoice, {200, 105}, {353, 45}},
        {sp_Range, {353, 45}, {200, 105}},
    };
    for (const Step& s : steps) {
        panel->SetStyle(s.style);
        SCOPED_TRACE(panel->property("Style").toString().toStdString());
        EXPECT_EQ(panel->Style(), s.style);
        EXPECT_EQ(QSize(panel->Width(), panel->Height()), s.size);
        EXPECT_EQ(QSize(panel->OtherWidth(), panel->OtherHeight()), s.other);
    }
}

TEST_F(SelectPanelTest, RefusedStyleChangeLeavesEverythingAndEventsSeeBothStyles) {
    std::vector<std::pair<TSelectStyle, TSelectStyle>> changes;
    TSelectStyle storedDuringChange = sp_UserChoice;
    panel->OnStyleChanging = [&](TObject*, TSelectStyle now, TSelectStyle next, bool& accept) {
        accept = next != sp_Discrete || now != sp_Range;
    };
    panel->OnStyleChange = [&](TObject*, TSelectStyle old, TSelectStyle next) {
        changes.emplace_back(old, next);
        storedDuringChange = panel->Style();
    };
    const QRect rangeBounds = Bounds(panel->RangePanel());
    panel->SetStyle(sp_Discrete);
    EXPECT_EQ(panel->Style(), sp_Range);
    EXPECT_EQ(panel->Width(), 353);
    EXPECT_EQ(Bounds(panel->RangePanel()), rangeBounds);
    EXPECT_TRUE(panel->RangePanel()->Visible());
    EXPECT_TRUE(changes.empty());
    panel->SetStyle(sp_UserChoice);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_pair(sp_Range, sp_UserChoice));
    EXPECT_EQ(storedDuringChange, sp_Range);  // stored after the event
    EXPECT_EQ(panel->Style(), sp_UserChoice);
}

TEST_F(SelectPanelTest, UseVerticalOnlyInRangeStyleAndSwapsTheSize) {
    panel->SetStyle(sp_Discrete);
    panel->SetUseVertical(true);
    EXPECT_FALSE(panel->UseVertical());
    panel->SetStyle(sp_Range);
    panel->SetUseVertical(true);
    EXPECT_TRUE(panel->UseVertical());
    EXPECT_EQ(QSize(panel->Width(), panel->Height()), QSize(200, 105));
    // Vertical range: the begin inputs above the end inputs, labels in line 1.
    EXPECT_LT(panel->BeginEdit()->Top(), panel->EndEdit()->Top());
    EXPECT_EQ(panel->BeginEdit()->Left(), panel->EndEdit()->Left());
    // Leaving sp_Range from the vertical layout keeps the size.
    panel->SetStyle(sp_Discrete);
    EXPECT_EQ(QSize(panel->Width(), panel->Height()), QSize(200, 105));
}

TEST_F(SelectPanelTest, HorizontalRangeLayoutInPixels) {
    const int h = QFontMetrics(panel->Font()->ToQFont()).height();
    TPanel* p = panel->RangePanel();
    EXPECT_EQ(Bounds(p), QRect(2, h + 3, 353 - 2 - 1 - 2, 45 - (h + 3) - 1 - 2));
    EXPECT_EQ(Bounds(panel->ListPanel()), Bounds(p));
    const TLabel* bl = panel->BeginLabel();
    const int top = (p->Height() - 24) / 2;
    EXPECT_EQ(bl->Caption(), "起");
    EXPECT_EQ(QPoint(bl->Left(), bl->Top()), QPoint(2, top));
    const int editWidth = (p->Width() - 2 - bl->Width() - 23 - panel->EndLabel()->Width() - 23 - 8) / 2 - 1;
    EXPECT_EQ(Bounds(panel->BeginEdit()), QRect(Right(bl) + 1, top, editWidth, 24));
    EXPECT_EQ(panel->BeginButton()->Left(), Right(panel->BeginEdit()) + 2);
    EXPECT_EQ(panel->EndLabel()->Left(), Right(panel->BeginButton()) + 2);
    EXPECT_EQ(Bounds(panel->EndEdit()), QRect(Right(panel->EndLabel()) + 2, top, editWidth, 24));
    EXPECT_EQ(panel->EndButton()->Left(), Right(panel->EndEdit()) + 2);
    EXPECT_EQ(panel->EndButton()->Top(), top);
    EXPECT_LE(Right(panel->EndButton()), p->Width());

    // Without lookups the edits share the room and the buttons go.
    panel->SetCanOpenWin(false);
    EXPECT_FALSE(panel->BeginButton()->Visible());
    EXPECT_FALSE(panel->ListButton()->Visible());
    const int wider = (p->Width() - 2 - bl->Width() - panel->EndLabel()->Width() - 4) / 2 - 1;
    EXPECT_EQ(panel->BeginEdit()->Width(), wider);
    EXPECT_EQ(panel->EndLabel()->Left(), Right(panel->BeginEdit()) + 4);
    EXPECT_EQ(panel->EndEdit()->Width(), wider);
}

TEST_F(SelectPanelTest, UserChoiceAndListLayoutsInPixels) {
    panel->SetStyle(sp_UserChoice);
    const int h = QFontMetrics(panel->Font()->ToQFont()).height();
    const TMavCheckBox* box = panel->UserChoiceBox();
    const QFontMetrics boxMetrics(box->Font()->ToQFont());
    EXPECT_TRUE(box->Visible());
    EXPECT_EQ(Bounds(box), QRect(16, h + 1, boxMetrics.horizontalAdvance("区间选择") + 24, boxMetrics.height() + 2));
    const int top = boxMetrics.height() + box->Top() + 2;
    EXPECT_EQ(Bounds(panel->ListPanel()), QRect(2, top, 200 - 2 - 2, 105 - top - 2));
    EXPECT_TRUE(panel->ListPanel()->Visible());
    EXPECT_FALSE(panel->RangePanel()->Visible());

    // List inputs: the list fills the panel but for the button column.
    const TPanel* l = panel->ListPanel();
    EXPECT_EQ(Bounds(panel->ListView()), QRect(0, 0, l->Width() - 23 - 3, l->Height()));
    EXPECT_EQ(QPoint(panel->ListButton()->Left(), panel->ListButton()->Top()), QPoint(panel->ListView()->Width() + 2, 0));
    EXPECT_EQ(QPoint(panel->DeleteButton()->Left(), panel->DeleteButton()->Top()),
              QPoint(panel->ListButton()->Left(), 23));
    EXPECT_EQ(QPoint(panel->ClearButton()->Left(), panel->ClearButton()->Top()), QPoint(panel->ListButton()->Left(), 46));

    // Vertical range inputs, shown once the box is checked.
    panel->SetUserChoice(true);
    EXPECT_TRUE(panel->RangePanel()->Visible());
    EXPECT_FALSE(panel->ListPanel()->Visible());
    const TPanel* p = panel->RangePanel();
    const int g = (p->Height() - 24 - 24) / 3;
    const TLabel* bl = panel->BeginLabel();
    EXPECT_EQ(QPoint(bl->Left(), bl->Top()), QPoint(2, g));
    EXPECT_EQ(Bounds(panel->BeginEdit()), QRect(Right(bl) + 2, g, p->Width() - 2 - bl->Width() - 23 - 4, 24));
    EXPECT_EQ(panel->BeginButton()->Left(), Right(panel->BeginEdit()) + 1);
    EXPECT_EQ(panel->EndLabel()->Top(), g + g + 24);
    EXPECT_EQ(Bounds(panel->EndEdit()), QRect(panel->BeginEdit()->Left(), g + g + 24, panel->BeginEdit()->Width(), 24));
    EXPECT_EQ(QPoint(panel->EndButton()->Left(), panel->EndButton()->Top()), QPoint(panel->BeginButton()->Left(), g + g + 24));
}

TEST_F(SelectPanelTest, WordListsAndHintWordSetTheLabelsAndTheBox) {
    TStringList words;
    words.SetStrings({"From", "Start", "ignored"});
    panel->SetBeginWords(&words);
    EXPECT_EQ(panel->BeginWords()->ToStringList(), (QStringList{"From", "Start"}));
    EXPECT_EQ(panel->BeginLabel()->Caption(), "From");  // horizontal range shows line 0
    words.SetStrings({"Only"});
    panel->SetFinalWords(&words);
    EXPECT_EQ(panel->FinalWords()->ToStringList(), QStringList{"Only"});
    EXPECT_EQ(panel->EndLabel()->Caption(), "Only");
    words.Clear();
    panel->SetFinalWords(&words);
    EXPECT_EQ(panel->FinalWords()->Count(), 0);
    // Layouts that want a missing line show no text and do not fail.
    panel->SetStyle(sp_UserChoice);
    panel->SetUserChoice(true);
    EXPECT_EQ(panel->BeginLabel()->Caption(), "Start");
    EXPECT_EQ(panel->EndLabel()->Caption(), "");
    // A change of the stored list relayouts.
    panel->BeginWords()->Put(1, "Begin at");
    EXPECT_EQ(panel->BeginLabel()->Caption(), "Begin at");
    EXPECT_EQ(panel->BeginEdit()->Left(), Right(panel->BeginLabel()) + 2);

    panel->SetHintWord("Range input");
    EXPECT_EQ(panel->UserChoiceBox()->Caption(), "Range input");
    EXPECT_EQ(panel->UserChoiceBox()->Width(),
              QFontMetrics(panel->UserChoiceBox()->Font()->ToQFont()).horizontalAdvance("Range input") + 24);
}

TEST_F(SelectPanelTest, GlyphIndexGoesToTheThreeLookupButtons) {
    panel->SetGlyphIndex(39);
    EXPECT_EQ(panel->GlyphIndex(), 39);
    for (TF2Button* b : {panel->BeginButton(), panel->EndButton(), panel->ListButton()}) EXPECT_EQ(b->GlyphIndex(), 39);
    EXPECT_EQ(panel->DeleteButton()->GlyphIndex(), 47);
}

TEST_F(SelectPanelTest, EnabledReachesEveryControlInside) {
    panel->SetEnabled(false);
    for (TControl* c : std::initializer_list<TControl*>{panel->BeginEdit(), panel->EndButton(), panel->ListView(),
                                                        panel->ClearButton(), panel->UserChoiceBox(), panel->RangePanel()})
        EXPECT_FALSE(c->Enabled()) << c->Name().toStdString();
    panel->SetEnabled(true);
    EXPECT_TRUE(panel->ListView()->Enabled());
    EXPECT_TRUE(panel->BeginLabel()->Enabled());
}

// ---- the range put in order when the panel is left ------------------------------------

struct ExitCase {
    const char* name;
    TValueType type;
    TDateType dateType;
    const char* begin;
    const char* end;
    const char* wantBegin;
    const char* wantEnd;
    const char* mask = "";
    bool useDiscard = false;
    const char* discard = "";
    bool autoDate = true;
};

const ExitCase kExitCases[] = {
    {"number compares values", vt_Number, dt_NoneCare, "20", "3", "3", "20"},
    {"number in order stays", vt_Number, dt_NoneCare, "3", "20", "3", "20"},
    {"number not a number counts 0", vt_Number, dt_NoneCare, "x", "-1", "-1", "x"},
    {"string byte order keeps 20 before 3", vt_String, dt_NoneCare, "20", "3", "20", "3"},
    {"string byte order exchanges 3 and 20", vt_String, dt_NoneCare, "3", "20", "20", "3"},
    {"string texts are trimmed", vt_String, dt_NoneCare, "  b ", " a", "a", "b"},
    {"string upper case before lower case", vt_String, dt_NoneCare, "a", "B", "B", "a"},
    {"string non-ASCII in UTF-8 byte order", vt_String, dt_NoneCare, "甲", "乙", "乙", "甲"},
    {"time compares as text", vt_Time, dt_NoneCare, "10:30", "09:15", "09:15", "10:30"},
    {"empty end: nothing", vt_String, dt_NoneCare, "b", "", "b", ""},
    {"discarded end keeps the pair", vt_String, dt_NoneCare, "b", "ZZZ", "b", "ZZZ", "", true, "ZZZ"},
    {"discard off: exchanged", vt_String, dt_NoneCare, "b", "ZZZ", "ZZZ", "b", "", false, "ZZZ"},
    {"date discard", vt_Date, dt_YYYYMMDD, "2004/05/01", "0", "2004/05/01", "0", "", true, "0"},
    {"date without care: text order", vt_Date, dt_NoneCare, "2004/05/01", "2004/01/15", "2004/01/15", "2004/05/01"},
    {"date auto change off", vt_Date, dt_YYYYMMDD, "2004/05/01", "2004/01/15", "2004/05/01", "2004/01/15", "", false,
     "", false},
    {"YYYYMMDD month only is the 1st", vt_Date, dt_YYYYMMDD, "2004/05", "2004/01/15", "2004/01/15", "2004/05"},
    {"YYYYMMDD in order", vt_Date, dt_YYYYMMDD, "2004/01/15", "2004/05/01", "2004/01/15", "2004/05/01"},
    {"MMDDYYYY by date not by text", vt_Date, dt_MMDDYYYY, "12/01/2003", "01/15/2004", "12/01/2003", "01/15/2004"},
    {"MMDDYYYY month and year only", vt_Date, dt_MMDDYYYY, "05/2004", "01/15/2004", "01/15/2004", "05/2004"},
    {"DDMMYYYY", vt_Date, dt_DDMMYYYY, "02/01/2004", "31/12/2003", "31/12/2003", "02/01/2004"},
    {"DDMMYYYY month and year only", vt_Date, dt_DDMMYYYY, "05/2004", "15/01/2004", "15/01/2004", "05/2004"},
    {"YYMMDD is the Minguo year", vt_Date, dt_YYMMDD, "93/01/01", "92/12/31", "92/12/31", "93/01/01"},
    {"YYYMMDD", vt_Date, dt_YYYMMDD, "093/02/01", "093/01/31", "093/01/31", "093/02/01"},
    {"an impossible begin is no date", vt_Date, dt_YYYYMMDD, "2004/13/01", "2004/01/01", "2004/13/01", "2004/01/01"},
    {"an impossible end is earlier", vt_Date, dt_YYYYMMDD, "2004/01/01", "2004/02/30", "2004/02/30", "2004/01/01"},
    {"float compares values", vt_Float, dt_NoneCare, "12.50", "3.25", "3.25", "12.50"},
    {"float keeps the sign of -0.5", vt_Float, dt_NoneCare, "-0.5", "-1.5", "-1.5", "-0.5"},
    {"float -.5 is -0.5", vt_Float, dt_NoneCare, "-.5", "-0.25", "-0.5", "-0.25"},
    {"float integer part rewritten", vt_Float, dt_NoneCare, "007.5", "8", "7.5", "8"},
    {"float not a number", vt_Float, dt_NoneCare, "abc.5", "1", "0.5", "1"},
    {"other mask never exchanged", vt_OtherMask, dt_NoneCare, "9", "1", "9", "1"},
    // Under a mask that keeps its literals an untouched edit shows them: no input.
    {"blank date end under a literal mask", vt_Date, dt_YYYYMMDD, "2004/05/01", "", "2004/05/01", "    /  /  ",
     "9999/99/99;1; "},
    {"blank date begin under a literal mask", vt_Date, dt_YYYYMMDD, "", "2004/05/01", "    /  /  ", "2004/05/01",
     "9999/99/99;1; "},
    {"blank string end under a literal mask", vt_String, dt_NoneCare, "2004/05/01", "", "2004/05/01", "    /  /  ",
     "9999/99/99;1; "},
    {"filled dates under a literal mask", vt_Date, dt_YYYYMMDD, "2004/05/01", "2004/01/15", "2004/01/15", "2004/05/01",
     "9999/99/99;1; "},
};

class ExitRuleTest : public SelectPanelTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitRuleTest, LeavingThePanelPutsTheRangeInOrder) {
    const ExitCase& c = GetParam();
    panel->SetValueType(c.type);
    panel->SetDateType(c.dateType);
    panel->SetUseDiscard(c.useDiscard);
    panel->SetDiscard(QString::fromUtf8(c.discard));
    panel->SetAutoChangeDateSite(c.autoDate);
    panel->SetEditMask(QString::fromUtf8(c.mask));
    int exits = 0;
    TObject* exitSender = nullptr;
    panel->OnExit = [&](TObject* s) {
        ++exits;
        exitSender = s;
    };
    LeaveWith(QString::fromUtf8(c.begin), QString::fromUtf8(c.end));
    EXPECT_EQ(panel->BeginEdit()->Text(), QString::fromUtf8(c.wantBegin));
    EXPECT_EQ(panel->EndEdit()->Text(), QString::fromUtf8(c.wantEnd));
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(exitSender, panel);
}

INSTANTIATE_TEST_SUITE_P(ValueTypes, ExitRuleTest, ::testing::ValuesIn(kExitCases),
                         [](const ::testing::TestParamInfo<ExitCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST_F(SelectPanelTest, MovingInsideThePanelIsNoExit) {
    form->Show();
    int exits = 0;
    panel->OnExit = [&](TObject*) { ++exits; };
    panel->SetValueType(vt_Number);
    panel->BeginEdit()->SetTextValue("20");
    panel->EndEdit()->SetTextValue("3");
    panel->BeginEdit()->SetFocus();
    panel->EndEdit()->SetFocus();
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(panel->BeginEdit()->Text(), "20");
    form->other->SetFocus();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(panel->BeginEdit()->Text(), "3");
}

TEST_F(SelectPanelTest, EditMaskRemembersTheBlankTextWithoutAChangeEvent) {
    int changes = 0;
    panel->BeginEdit()->OnChange = [&](TObject*) { ++changes; };
    panel->BeginEdit()->SetTextValue("20040501");
    changes = 0;
    panel->SetEditMask("9999/99/99;1; ");
    EXPECT_EQ(panel->EmptyMaskText(), "    /  /  ");
    EXPECT_EQ(panel->BeginEdit()->Text(), "2004/05/01");
    EXPECT_EQ(panel->EndEdit()->EditMask(), "9999/99/99;1; ");
    EXPECT_EQ(changes, 0);
    panel->BeginEdit()->SetTextValue("2005/01/01");
    EXPECT_EQ(changes, 1);
}

// ---- list order, duplicates and AddRow --------------------------------------------------

TEST_F(SelectPanelTest, AddRowCreatesColumnsAndPadsRows) {
    TMavListView* list = panel->ListView();
    EXPECT_FALSE(list->AddRow({}));
    ASSERT_TRUE(list->AddRow({"A", "x", "y"}));
    EXPECT_EQ(panel->ColumnCaptions()->ToStringList(), (QStringList{"Data1", "Data2", "Data3"}));
    ASSERT_TRUE(list->AddRow({"B"}));
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"A", "x", "y"}, {"B", "", ""}}));
    // More values later: the earlier rows are padded too.
    ASSERT_TRUE(list->AddRow({"C", "1", "2", "3"}));
    EXPECT_EQ(panel->Columns()->Count(), 4);
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"A", "x", "y", ""}, {"B", "", "", ""}, {"C", "1", "2", "3"}}));
    // Widths: the letter W times the longest text, the caption included; a
    // character outside ASCII takes two cells.
    const int w = QFontMetrics(list->Font()->ToQFont()).horizontalAdvance('W');
    EXPECT_EQ(Widths(), (std::vector<int>{5 * w, 5 * w, 5 * w, 5 * w}));
    list->AddRow({"员工编号", "long text"});
    EXPECT_EQ(Widths(), (std::vector<int>{8 * w, 9 * w, 5 * w, 5 * w}));
    // Existing columns keep their captions; ColumnCaptions replaces them.
    TStringList captions;
    captions.SetStrings({"Code", "Name"});
    panel->SetColumnCaptions(&captions);
    EXPECT_EQ(panel->ColumnCaptions()->ToStringList(), (QStringList{"Code", "Name"}));
    list->AddRow({"D", "d", "e"});
    EXPECT_EQ(panel->ColumnCaptions()->ToStringList(), (QStringList{"Code", "Name", "Data3"}));
    panel->SetColumnsAutoSize(false);
    const std::vector<int> before = Widths();
    list->AddRow({"a much longer caption"});
    EXPECT_EQ(Widths(), before);
    list->ClearRows();
    EXPECT_EQ(panel->Items()->Count(), 0);
}

TEST_F(SelectPanelTest, SortColumnDecidesTheComparedColumns) {
    panel->SetSortListBox(true);
    TMavListView* list = panel->ListView();
    list->AddRow({"b", "1", "x"});
    list->AddRow({"a", "2", "x"});
    list->AddRow({"C", "0", "y"});
    list->AddRow({"a", "1", "x"});
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"a", "1", "x"}, {"a", "2", "x"}, {"b", "1", "x"}, {"C", "0", "y"}}));
    // Sort column 2 (sub-item 1): equal there, by caption, then by sub-item 0.
    panel->SortByColumn(2);
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"a", "1", "x"}, {"a", "2", "x"}, {"b", "1", "x"}, {"C", "0", "y"}}));
    panel->SortByColumn(1);
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"C", "0", "y"}, {"a", "1", "x"}, {"b", "1", "x"}, {"a", "2", "x"}}));
    // A second click on the same column reverses.
    panel->SortByColumn(1);
    EXPECT_FALSE(panel->SortAscending());
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"a", "2", "x"}, {"b", "1", "x"}, {"a", "1", "x"}, {"C", "0", "y"}}));
    // New rows take their place in the reversed order.
    list->AddRow({"d", "1", "z"});
    EXPECT_EQ(Rows()[1], (QStringList{"d", "1", "z"}));
}

TEST_F(SelectPanelTest, DuplicateCaptionsByCaseRule) {
    struct Case {
        TCheckDuplicate mode;
        int rows;
    };
    for (const Case& c : {Case{cd_CaseInsensitive, 1}, Case{cd_CheckCase, 2}, Case{cd_None, 2}}) {
        panel->ListView()->ClearRows();
        panel->SetStyle(sp_Discrete);
        panel->SetCheckDuplicate(c.mode);
        panel->ListView()->AddRow({"abc", "1"});
        panel->ListView()->AddRow({"ABC", "2"});
        EXPECT_EQ(panel->Items()->Count(), c.rows) << c.mode;
        EXPECT_EQ(panel->SortListBox(), c.mode != cd_None || c.rows == 2);
    }
    // Switching the rule on removes the duplicates already there (list input).
    panel->SetCheckDuplicate(cd_CaseInsensitive);
    EXPECT_EQ(panel->Items()->Count(), 1);
}

// The rows and widths the literal rule gives: append the row, pad every row,
// sort (stable), drop each row whose caption repeats the one above, widths from
// the longest texts.
struct ReferenceList {
    std::vector<QStringList> rows;
    int sortColumn = 0;
    bool ascending = true;
    bool sorted = false;
    TCheckDuplicate mode = cd_None;

    static int Cells(const QString& s) {
        int n = 0;
        for (QChar ch : s) n += ch.unicode() < 0x80 ? 1 : 2;
        return n;
    }
    int Compare(const QStringList& a, const QStringList& b) const {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<int> order = sortColumn == 0 ? std::vector<int>{0, 1}
                                 : sortColumn == 1 ? std::vector<int>{1, 0}
                                                   : std::vector<int>{sortColumn, 0, 1};
        for (int c : order) {
            const int r = collator.compare(a.value(c), b.value(c));
            if (r != 0) return ascending ? r : -r;
        }
        return 0;
    }
    bool Same(const QString& a, const QString& b) const {
        if (mode == cd_CheckCase) return a == b;
        if (mode == cd_CaseInsensitive) return QLocale().toUpper(a) == QLocale().toUpper(b);
        return false;
    }
    void Add(const QStringList& values) {
        rows.push_back(values);
        qsizetype most = 0;
        for (const QStringList& r : rows) most = std::max(most, r.size());
        for (QStringList& r : rows)
            while (r.size() < most) r.append(QString());
        if (sorted)
            std::stable_sort(rows.begin(), rows.end(),
                             [this](const QStringList& a, const QStringList& b) { return Compare(a, b) < 0; });
        for (size_t i = rows.size() - 1; i >= 1 && i < rows.size(); --i)
            if (Same(rows[i].at(0), rows[i - 1].at(0))) rows.erase(rows.begin() + static_cast<long>(i));
    }
    std::vector<int> Widths(const QStringList& captions, int cell) const {
        std::vector<int> widths;
        for (int c = 0; c < captions.size(); ++c) {
            int longest = Cells(captions[c]);
            for (const QStringList& r : rows) longest = std::max(longest, Cells(r.value(c)));
            widths.push_back(longest * cell);
        }
        return widths;
    }
};

TEST_F(SelectPanelTest, AddRowGivesTheRowsAndWidthsOfTheWholeListRule) {
    struct Mode {
        TCheckDuplicate dup;
        bool sorted;
        int sortColumn;  // -1: none clicked; a column clicked twice when >= 10 (minus 10)
    };
    const Mode modes[] = {{cd_CaseInsensitive, true, -1}, {cd_CheckCase, true, -1}, {cd_None, true, -1},
                          {cd_None, false, -1},           {cd_CaseInsensitive, true, 2}, {cd_CheckCase, true, 11},
                          {cd_CaseInsensitive, false, -1}};
    const QStringList captions{"a", "A", "b", "B", "ab", "Ab", "c", "甲", "乙", "z"};
    const QStringList subs{"", "x", "X", "yy", "长文本", "q"};
    const int cell = QFontMetrics(panel->ListView()->Font()->ToQFont()).horizontalAdvance('W');
    // Inside an update the rows wait and are put in place when it ends (or when
    // the panel itself needs them, as the delete button does): the result must be
    // that of adding them one by one.
    for (const bool inUpdate : {false, true}) {
        for (const Mode& mode : modes) {
            SCOPED_TRACE(::testing::Message() << "mode " << mode.dup << " sorted " << mode.sorted << " column "
                                              << mode.sortColumn << " in update " << inUpdate);
            panel->ListView()->ClearRows();
            panel->Columns()->Clear();
            panel->SetCheckDuplicate(cd_None);
            panel->SetSortListBox(mode.sorted);
            panel->SetCheckDuplicate(mode.dup);
            panel->SetSortListBox(mode.sorted);
            ReferenceList ref;
            ref.sorted = mode.sorted;
            ref.mode = mode.dup;
            if (mode.sortColumn >= 10) {
                panel->SortByColumn(mode.sortColumn - 10);
                panel->SortByColumn(mode.sortColumn - 10);
            } else if (mode.sortColumn >= 0) {
                panel->SortByColumn(mode.sortColumn);
            }
            ref.sortColumn = panel->SortColumn();
            ref.ascending = panel->SortAscending();
            std::mt19937 random(1234 + mode.sortColumn + static_cast<int>(mode.dup) * 7 + (mode.sorted ? 1 : 0));
            auto check = [&](int step) {
                ASSERT_EQ(Rows(), ref.rows) << "step " << step;
                ASSERT_EQ(Widths(), ref.Widths(panel->ColumnCaptions()->ToStringList(), cell)) << "step " << step;
            };
            int countAfterDelete = 0;
            if (inUpdate) panel->Items()->BeginUpdate();
            for (int step = 0; step < 60; ++step) {
                QStringList values{captions[static_cast<int>(random() % captions.size())]};
                const int extra = static_cast<int>(random() % 4);
                for (int k = 0; k < extra; ++k) values.append(subs[static_cast<int>(random() % subs.size())]);
                if (step == 30) {
                    // Rows taken away from outside: the next row takes them all in again.
                    // (Items read during an update are in arrival order until put in place.)
                    if (inUpdate) panel->ListView()->PlaceWaitingRows();
                    panel->Items()->Item(0)->SetSelected(true);
                    panel->DeleteButton()->Click();
                    ref.rows.erase(ref.rows.begin());
                    ASSERT_NO_FATAL_FAILURE(check(step));
                }
                ASSERT_TRUE(panel->ListView()->AddRow(values));
                ref.Add(values);
                if (step == 30) countAfterDelete = panel->Items()->Count();
                if (!inUpdate) {
                    ASSERT_NO_FATAL_FAILURE(check(step));
                }
            }
            if (inUpdate) {
                // Until then the rows after the one that took the list in again wait
                // at the end, as they came.
                EXPECT_EQ(panel->Items()->Count(), countAfterDelete + 29);
                panel->Items()->EndUpdate();
                ASSERT_NO_FATAL_FAILURE(check(60));
                // The rows are in shape again: a row added afterwards goes in place.
                ASSERT_TRUE(panel->ListView()->AddRow({"ab", "x"}));
                ref.Add({"ab", "x"});
                ASSERT_NO_FATAL_FAILURE(check(61));
            }
        }
    }
}

TEST_F(SelectPanelTest, RowsAddedInAnUpdateEndAsTheyWouldOneByOne) {
    // A second panel takes the same rows one by one, outside any update.
    auto* otherForm = TForm::Create<PanelForm>();
    TSelectPanel* oneByOne = otherForm->panel;
    for (TSelectPanel* p : {panel, oneByOne}) {
        p->SetStyle(sp_Discrete);
        p->SetCheckDuplicate(cd_CheckCase);
    }
    auto widthsOf = [](TSelectPanel* p) {
        std::vector<int> widths;
        for (int i = 0; i < p->Columns()->Count(); ++i) widths.push_back(p->ListView()->Column(i)->Width());
        return widths;
    };
    std::vector<QStringList> rows;
    for (int i = 0; i < 300; ++i) {
        QString caption = QStringLiteral("K%1").arg(i % 40);
        if (i % 3 == 0) caption = caption.toLower();
        QStringList row{caption, QString(i % 7, QLatin1Char('w'))};
        if (i % 11 == 0) row.append(QStringLiteral("第%1").arg(i));
        rows.push_back(row);
    }
    std::shuffle(rows.begin(), rows.end(), std::mt19937(7));
    auto addBoth = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            ASSERT_TRUE(panel->ListView()->AddRow(rows[static_cast<size_t>(i)]));
            ASSERT_TRUE(oneByOne->ListView()->AddRow(rows[static_cast<size_t>(i)]));
        }
    };
    panel->Items()->BeginUpdate();
    panel->Items()->BeginUpdate();
    ASSERT_NO_FATAL_FAILURE(addBoth(0, 100));
    panel->Items()->EndUpdate();
    // Only the outermost end puts them in place.
    EXPECT_EQ(panel->Items()->Count(), 100);
    EXPECT_LT(oneByOne->Items()->Count(), 100);
    // The saved value read meanwhile is that of the rows in place.
    EXPECT_EQ(panel->SaveValue(), oneByOne->SaveValue());
    ASSERT_NO_FATAL_FAILURE(addBoth(100, 200));
    // Rows added without automatic widths leave the widths the earlier rows set.
    panel->SetColumnsAutoSize(false);
    oneByOne->SetColumnsAutoSize(false);
    ASSERT_NO_FATAL_FAILURE(addBoth(200, 300));
    panel->Items()->EndUpdate();
    EXPECT_EQ(panel->SaveValue(), oneByOne->SaveValue());
    EXPECT_EQ(widthsOf(panel), widthsOf(oneByOne));
    otherForm->Free();
}

// ---- saved value -------------------------------------------------------------------------

TEST_F(SelectPanelTest, SavedValueOfARowListMatchesTheDescribedExample) {
    panel->SetStyle(sp_UserChoice);
    panel->SetUserChoice(false);
    panel->ListView()->AddRow({"A", "x"});
    panel->ListView()->AddRow({"B"});
    // B carries the empty sub-item AddRow padded it with.
    const QString written = panel->SaveValue();
    EXPECT_EQ(written, QString("sp_UserChoice") + kF + "False" + kF + "A" + kS + "x" + kR + "B" + kS + kR);
    // The form without the padded sub-item reads into the same list.
    panel->SetSaveValue(QString("sp_UserChoice") + kF + "False" + kF + "A" + kS + "x" + kR + "B" + kR);
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"A", "x"}, {"B", ""}}));
    EXPECT_EQ(panel->SaveValue(), written);
    EXPECT_EQ(panel->property("spSaveValue").toString(), written);
}

TEST_F(SelectPanelTest, SavedValueRoundTripsForEveryStyle) {
    struct Case {
        TSelectStyle style;
        bool choice;
        QString text;
    };
    const Case cases[] = {
        {sp_Range, true, QString("sp_Range") + kF + "001" + kF + "099"},
        {sp_Range, true, QString("sp_Range") + kF + kF},
        {sp_Discrete, true, QString("sp_Discrete") + kF + "A" + kS + "x" + kS + "" + kR + "B" + kS + "y" + kS + "z" + kR},
        {sp_Discrete, true, QString("sp_Discrete") + kF},
        {sp_Discrete, true, QString("sp_Discrete") + kF + kS + "empty caption" + kR},
        {sp_UserChoice, true, QString("sp_UserChoice") + kF + "True" + kF + "001" + kF + "099"},
        {sp_UserChoice, false, QString("sp_UserChoice") + kF + "False" + kF + "甲" + kR + "乙" + kR},
    };
    for (const Case& c : cases) {
        auto* target = CreateNamed<TSelectPanel>(form, "target");
        target->SetStyle(c.style);
        target->SetSaveValue(c.text);
        EXPECT_EQ(target->UserChoice(), c.choice);
        EXPECT_EQ(target->SaveValue(), c.text) << c.text.toStdString();
        // And once more through a second panel.
        auto* copy = CreateNamed<TSelectPanel>(form, "copy");
        copy->SetStyle(c.style);
        copy->SetSaveValue(target->SaveValue());
        EXPECT_EQ(copy->SaveValue(), c.text);
        delete copy;
        delete target;
    }
    // A scheme line in range form puts the panel into range input.
    panel->SetStyle(sp_UserChoice);
    panel->SetSaveValue(QString("sp_UserChoice") + kF + "True" + kF + "001" + kF + "099");
    EXPECT_TRUE(panel->IsRangeMode());
    EXPECT_TRUE(panel->RangePanel()->Visible());
    EXPECT_EQ(panel->BeginEdit()->Text(), "001");
    EXPECT_EQ(panel->EndEdit()->Text(), "099");
    // Reading does not change the style.
    panel->SetSaveValue(QString("sp_Discrete") + kF + "A" + kR);
    EXPECT_EQ(panel->Style(), sp_UserChoice);
    EXPECT_EQ(panel->Items()->Count(), 1);
}

TEST_F(SelectPanelTest, DamagedSavedRowsAreRefusedAndLeaveTheListAlone) {
    panel->SetStyle(sp_Discrete);
    panel->ListView()->AddRow({"keep", "me"});
    const std::vector<QStringList> kept = Rows();
    const QString bad[] = {
        QString("sp_Discrete"),                                   // rows field missing
        QString("sp_Discrete") + kF + "A" + kS + "x" + kR + "B",  // last row cut short
        QString("sp_Discrete") + kF + "A" + kR + kF + "B" + kR,   // a stray field separator
        QString("sp_Discrete") + kF + kF,
    };
    for (const QString& text : bad) {
        EXPECT_THROW(panel->SetSaveValue(text), ESaveValueError) << text.toStdString();
        EXPECT_EQ(Rows(), kept);
    }
    try {
        panel->SetSaveValue(bad[1]);
    } catch (const ESaveValueError& e) {
        EXPECT_STREQ(e.what(), "parse spSaveValue error");
    }
    // Empty pieces between rows are no rows.
    panel->SetSaveValue(QString("sp_Discrete") + kF + kR + "A" + kR + kR + "B" + kR);
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"A"}, {"B"}}));
    // In the user-choice form a damaged list is ignored; the choice is still taken.
    panel->SetStyle(sp_UserChoice);
    panel->SetUserChoice(true);
    EXPECT_NO_THROW(panel->SetSaveValue(QString("sp_UserChoice") + kF + "False" + kF + "A" + kS + "x"));
    EXPECT_FALSE(panel->UserChoice());
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"A"}, {"B"}}));
    // Unknown or empty texts change nothing.
    for (const QString& text : {QString(), QString("garbage"), QString(kF) + kF,
                                QString("sp_UserChoice") + kF + "Maybe" + kF + "1"}) {
        EXPECT_NO_THROW(panel->SetSaveValue(text));
        EXPECT_EQ(Rows().size(), 2u);
    }
    // A truncated range keeps what is there.
    panel->SetStyle(sp_Range);
    panel->SetSaveValue(QString("sp_Range") + kF + "001");
    EXPECT_EQ(panel->BeginEdit()->Text(), "001");
    EXPECT_EQ(panel->EndEdit()->Text(), "");
}

// ---- child events, buttons and the lookup request ---------------------------------------

TEST_F(SelectPanelTest, ChildEventsArriveAsThePanelsOwn) {
    form->Show();
    std::vector<std::pair<TObject*, QPoint>> downs;
    std::vector<TObject*> clicks;
    std::vector<std::pair<TObject*, int>> keys;
    panel->OnMouseDown = [&](TObject* s, TMouseButton, TShiftState, int x, int y) { downs.emplace_back(s, QPoint(x, y)); };
    panel->OnClick = [&](TObject* s) { clicks.push_back(s); };
    panel->OnKeyDown = [&](TObject* s, std::uint16_t& key, TShiftState) { keys.emplace_back(s, key); };

    // A label reports the panel as sender, at the point in the panel.
    TLabel* label = panel->BeginLabel();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 4), label->Handle()->mapToGlobal(QPointF(3, 4)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label->Handle(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 4), label->Handle()->mapToGlobal(QPointF(3, 4)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label->Handle(), &release);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].first, panel);
    EXPECT_EQ(downs[0].second, QPoint(panel->RangePanel()->Left() + label->Left() + 3,
                                      panel->RangePanel()->Top() + label->Top() + 4));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], panel);
    // A press on the frame itself is the panel's own, once.
    QMouseEvent framePress(QEvent::MouseButtonPress, QPointF(1, 1), panel->Handle()->mapToGlobal(QPointF(1, 1)),
                           Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel->Handle(), &framePress);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[1], std::make_pair(static_cast<TObject*>(panel), QPoint(1, 1)));
    downs.erase(downs.begin() + 1);

    // An edit reports itself with its own coordinates.
    QMouseEvent editPress(QEvent::MouseButtonPress, QPointF(5, 6), panel->EndEdit()->Handle()->mapToGlobal(QPointF(5, 6)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel->EndEdit()->Handle(), &editPress);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[1].first, panel->EndEdit());
    EXPECT_EQ(downs[1].second, QPoint(5, 6));

    panel->BeginEdit()->SetFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(panel->BeginEdit()->Handle(), &key);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], std::make_pair(static_cast<TObject*>(panel->BeginEdit()), 113));
}

TEST_F(SelectPanelTest, ListEventsCarryTheRowIndexAndChangesCanBeRefused) {
    panel->SetStyle(sp_Discrete);
    panel->ListView()->AddRow({"a"});
    panel->ListView()->AddRow({"b"});
    std::vector<std::tuple<TObject*, int, bool>> selects;
    panel->OnItemSelect = [&](TObject* s, TListItem*, int index, bool on) { selects.emplace_back(s, index, on); };
    int changes = 0;
    panel->OnItemChange = [&](TObject*, TListItem*, TItemChange) { ++changes; };
    panel->Items()->Item(1)->SetSelected(true);
    ASSERT_EQ(selects.size(), 1u);
    EXPECT_EQ(selects[0], std::make_tuple(static_cast<TObject*>(panel->ListView()), 1, true));
    EXPECT_GT(changes, 0);
    panel->OnItemChanging = [](TObject*, TListItem*, TItemChange change, bool& allow) { allow = change != ctText; };
    panel->Items()->Item(0)->SetCaption("changed");
    EXPECT_EQ(panel->Items()->Item(0)->Caption(), "a");
}

TEST_F(SelectPanelTest, LookupButtonsSendTheRequestForTheirControl) {
    form->Show();
    std::vector<std::pair<TSelectPanel*, TObject*>> opened;
    panel->OnOpenWinClick = [&](TSelectPanel* p, TObject* c) { opened.emplace_back(p, c); };
    panel->BeginButton()->Click();
    panel->EndButton()->Click();
    panel->SetStyle(sp_Discrete);
    panel->ListButton()->Click();
    ASSERT_EQ(form->requests.size(), 3u);
    EXPECT_EQ(form->requests[0].Control, panel->BeginEdit());
    EXPECT_EQ(form->requests[0].WParam, 0u);
    EXPECT_EQ(form->requests[1].Control, panel->EndEdit());
    EXPECT_EQ(form->requests[2].Control, panel->ListView());
    EXPECT_EQ(form->ActiveControl(), panel->ListView());
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], std::make_pair(panel, static_cast<TObject*>(panel->BeginEdit())));
    EXPECT_EQ(opened[2].second, panel->ListView());
}

TEST_F(SelectPanelTest, DeleteAndClearButtons) {
    form->Show();
    panel->SetStyle(sp_Discrete);
    for (const char* c : {"a", "b", "c"}) panel->ListView()->AddRow({c});
    panel->Items()->Item(0)->SetSelected(true);
    panel->Items()->Item(2)->SetSelected(true);
    bool accept = false;
    TObject* deleteSender = nullptr;
    panel->OnDeleteClick = [&](TObject* s, bool& a) {
        deleteSender = s;
        EXPECT_TRUE(a);
        a = accept;
    };
    panel->DeleteButton()->Click();
    EXPECT_EQ(panel->Items()->Count(), 3);
    EXPECT_EQ(deleteSender, panel->DeleteButton());
    accept = true;
    panel->DeleteButton()->Click();
    EXPECT_EQ(Rows(), std::vector<QStringList>{{"b"}});
    TObject* clearSender = nullptr;
    panel->OnClearClick = [&](TObject* s) { clearSender = s; };
    panel->ClearButton()->Click();
    EXPECT_EQ(panel->Items()->Count(), 0);
    EXPECT_EQ(clearSender, panel->ClearButton());
    EXPECT_EQ(form->ActiveControl(), panel->ListView());
}

TEST_F(SelectPanelTest, CheckBoxClickSwitchesTheInputs) {
    form->Show();
    panel->SetStyle(sp_UserChoice);
    int typeClicks = 0;
    panel->OnTypeClick = [&](TObject* s) {
        EXPECT_EQ(s, panel);
        ++typeClicks;
    };
    EXPECT_FALSE(panel->UserChoice());
    EXPECT_FALSE(panel->IsRangeMode());
    const TMavCheckBox* box = panel->UserChoiceBox();
    SimulateClick(panel->UserChoiceBox(), MK_LBUTTON, MakePointParam(4, box->Height() / 2));
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(panel->UserChoice());
    EXPECT_TRUE(panel->IsRangeMode());
    EXPECT_TRUE(panel->RangePanel()->Visible());
    EXPECT_EQ(typeClicks, 1);
    // In other styles UserChoice is not stored.
    panel->SetStyle(sp_Discrete);
    panel->SetUserChoice(false);
    EXPECT_TRUE(panel->UserChoice());
    // Focusing a panel in list input focuses its list.
    panel->SetFocus();
    EXPECT_EQ(form->ActiveControl(), panel->ListView());
}

TEST_F(SelectPanelTest, ListTakesTheFocusBeforeItActsOnAPress) {
    form->Show();
    panel->SetStyle(sp_Discrete);
    panel->ListView()->AddRow({"a"});
    QWidget* viewport = panel->ListView()->View()->viewport();
    auto press = [&] {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &e);
        QMouseEvent r(QEvent::MouseButtonRelease, QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &r);
    };
    // An exit check elsewhere keeps the focus: the press does nothing.
    form->other->SetFocus();
    form->other->OnExit = [&](TObject*) { form->other->SetFocus(); };
    press();
    EXPECT_EQ(form->ActiveControl(), form->other);
    EXPECT_EQ(panel->ListView()->SelCount(), 0);
    form->other->OnExit = nullptr;
    press();
    EXPECT_EQ(form->ActiveControl(), panel->ListView());
    EXPECT_EQ(panel->ListView()->SelCount(), 1);
}

TEST_F(SelectPanelTest, TextConversionReachesWordsColumnsAndRows) {
    panel->ListView()->AddRow({"甲", "乙"});
    panel->ConvertTexts([](const QString& s) { return s.isEmpty() ? s : "<" + s + ">"; });
    EXPECT_EQ(panel->BeginWords()->ToStringList(), (QStringList{"<起>", "<起>"}));
    EXPECT_EQ(panel->FinalWords()->ToStringList(), (QStringList{"<止>", "<止>"}));
    EXPECT_EQ(panel->HintWord(), "<区间选择>");
    EXPECT_EQ(panel->UserChoiceBox()->Caption(), "<区间选择>");
    EXPECT_EQ(panel->BeginLabel()->Caption(), "<起>");
    EXPECT_EQ(panel->ColumnCaptions()->ToStringList(), (QStringList{"<Data1>", "<Data2>"}));
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"<甲>", "<乙>"}}));
    EXPECT_NE(dynamic_cast<ITextConvertible*>(panel), nullptr);
}

// Three panels on a form, saved for a look at how they are drawn.
TEST(SelectPanelPicture, RangeListAndUserChoicePanels) {
    auto* form = TForm::Create<TForm>(nullptr);
    form->SetBounds(0, 0, 560, 200);
    auto* range = CreateNamed<TSelectPanel>(form, "spRange");
    range->SetParent(form);
    range->SetCaption("选择公司");
    range->SetBounds(8, 8, 353, 45);
    range->BeginEdit()->SetTextValue("001");
    range->EndEdit()->SetTextValue("099");
    auto* list = CreateNamed<TSelectPanel>(form, "spList");
    list->SetParent(form);
    list->SetCaption("选择部门编号");
    list->SetStyle(sp_Discrete);
    list->SetBounds(8, 70, 200, 105);
    list->ListView()->AddRow({"D01", "总务部"});
    list->ListView()->AddRow({"D02", "财务部"});
    list->ListView()->AddRow({"D03", "人事部"});
    auto* choice = CreateNamed<TSelectPanel>(form, "spChoice");
    choice->SetParent(form);
    choice->SetCaption("选择员工编号");
    choice->SetStyle(sp_UserChoice);
    choice->SetBounds(370, 8, 180, 116);
    choice->SetUserChoice(true);
    choice->BeginEdit()->SetTextValue("E0001");
    form->Show();
    QApplication::processEvents();
    const QPixmap shot = form->Handle()->grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save("/tmp/s.png"));
    form->Free();
}

}  // namespace
}  // namespace kv

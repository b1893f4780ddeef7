// Radio buttons that paint their own caption, and radio groups built from a string
// list: sibling rules, the caption's place and colour, the groups' arrangement for
// many column and item counts, ItemIndex rules, clicks and keys routed to the
// group, and groups read with a form.
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "components/BtChkBox.h"
#include "components/KvRadioButton.h"
#include "components/KvRadioGroup.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "WidgetTestSupport.h"

namespace kv {
namespace {

using test::SendKey;

QImage Render(TControl* control) { return control->Handle()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
QRgb Rgb(TColor color) { return ColorToQColor(color).rgb() | 0xFF000000u; }

// The leftmost and rightmost columns holding a pixel of colour, -1 when none.
std::pair<int, int> ColumnsWith(const QImage& image, QRgb colour) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if ((image.pixel(x, y) | 0xFF000000u) == colour) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

bool AllColumnsAre(const QImage& image, int from, int to, QRgb colour) {
    for (int x = from; x < to; ++x)
        for (int y = 0; y < image.height(); ++y)
            if ((image.pixel(x, y) | 0xFF000000u) != colour) return false;
    return true;
}


// A point on the circle of a button (caption on the right).
LPARAM OnTheCircle(const TControl* button) { return MakePointParam(6, button->Height() / 2); }

// ---- radio buttons -------------------------------------------------------------------

TEST(KvRadioButton, CaptionOffsetGrowsWithTheFontSize) {
    const std::pair<int, int> cases[] = {
        {1, 17},  {8, 17},  {9, 19},  {15, 19}, {16, 20}, {17, 20}, {18, 21}, {23, 21},
        {24, 23}, {29, 23}, {30, 25}, {35, 25}, {36, 27}, {41, 27}, {42, 29}, {43, 29},
        {44, 31}, {60, 31}, {61, 39}, {80, 39}, {81, 44}, {200, 44}, {0, 44}, {-2, 44},
    };
    for (const auto& [points, offset] : cases) EXPECT_EQ(RadioCaptionOffset(points), offset) << points << " pt";
}

class RadioForm : public ::testing::Test {
protected:
    void SetUp() override {
        form = TForm::Create<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 200);
        for (const char* name : {"rdoRealTime", "rdoQueue", "rdoExceptTime"}) {
            auto* b = CreateNamed<TKvRadioButton>(form, name);
            b->SetParent(form);
            b->SetBounds(10, 10 + 20 * static_cast<int>(kv.size()), 150, 17);
            b->OnClick = [this](TObject* s) { clicks.push_back(static_cast<TComponent*>(s)->Name()); };
            kv.push_back(b);
        }
        standard = CreateNamed<TRadioButton>(form, "rbStandard");
        standard->SetParent(form);
        standard->SetBounds(200, 10, 100, 17);
    }
    void TearDown() override { form->Free(); }

    TForm* form = nullptr;
    std::vector<TKvRadioButton*> kv;
    TRadioButton* standard = nullptr;
    std::vector<QString> clicks;
};

TEST_F(RadioForm, NewButtonDefaultsAndPropertiesByName) {
    TKvRadioButton b(nullptr);
    EXPECT_EQ(b.Width(), 113);
    EXPECT_EQ(b.Height(), 17);
    EXPECT_FALSE(b.TabStop());
    EXPECT_FALSE(b.property("Checked").toBool());
    EXPECT_EQ(b.property("Alignment").value<TAlignment>(), taRightJustify);
    EXPECT_TRUE(b.setProperty("Caption", "放入工作队列"));
    EXPECT_EQ(b.RadioButton()->text(), "放入工作队列");
    EXPECT_TRUE(b.setProperty("Checked", true));
    EXPECT_TRUE(b.Checked());
    EXPECT_TRUE(b.RadioButton()->isChecked());
    EXPECT_TRUE(b.TabStop());
}

TEST_F(RadioForm, CheckingUnchecksOnlyTheseButtonsOfTheSameParent) {
    standard->SetChecked(true);
    kv[0]->SetChecked(true);
    kv[1]->SetChecked(true);
    EXPECT_FALSE(kv[0]->Checked());
    EXPECT_FALSE(kv[0]->RadioButton()->isChecked());
    EXPECT_FALSE(kv[0]->TabStop());
    EXPECT_TRUE(kv[1]->Checked());
    EXPECT_TRUE(kv[1]->TabStop());
    // The standard radio button is another kind: it keeps its check, and
    // checking it leaves ours alone too.
    EXPECT_TRUE(standard->Checked());
    standard->SetChecked(false);
    standard->SetChecked(true);
    EXPECT_TRUE(kv[1]->Checked());
    // OnClick for each button that became checked, never for unchecking.
    EXPECT_EQ(clicks, (std::vector<QString>{"rdoRealTime", "rdoQueue"}));
    kv[1]->SetChecked(false);
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(RadioForm, MouseClicksCheckAndADoubleClickIsReported) {
    form->Show();
    int dbl = 0;
    kv[2]->OnDblClick = [&](TObject*) { ++dbl; };
    SimulateClick(kv[2], MK_LBUTTON, OnTheCircle(kv[2]));
    EXPECT_TRUE(kv[2]->Checked());
    SimulateClick(kv[2], MK_LBUTTON, OnTheCircle(kv[2]));  // already checked: stays, no click
    EXPECT_TRUE(kv[2]->RadioButton()->isChecked());
    SimulateClick(kv[0], MK_LBUTTON, OnTheCircle(kv[0]));
    EXPECT_FALSE(kv[2]->Checked());
    EXPECT_EQ(clicks, (std::vector<QString>{"rdoExceptTime", "rdoRealTime"}));
    QWidget* w = kv[2]->Handle();
    const QPointF at(6, 8);
    QMouseEvent dblClick(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
    QApplication::sendEvent(w, &dblClick);
    EXPECT_EQ(dbl, 1);
}

TEST_F(RadioForm, AcceleratorOnlyFocuses) {
    kv[1]->SetCaption("放入工作队列(&Q)");
    form->Show();
    EXPECT_NE(form->Perform(CM_DIALOGCHAR, 'Q'), 0);
    EXPECT_EQ(form->ActiveControl(), kv[1]);
    EXPECT_FALSE(kv[1]->Checked());
    kv[1]->SetEnabled(false);
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'Q'), 0);
}

// The caption is painted over the native one in the font colour, from the offset
// of the font size on; the strip before it is the control's colour.
TEST(KvRadioButton, CaptionIsPaintedInTheFontColourEvenWhenDisabled) {
    struct Case {
        int Points;
        bool Enabled;
        TAlignment Alignment;
    } cases[] = {
        {9, true, taRightJustify},  {9, false, taRightJustify}, {8, false, taRightJustify},
        {18, false, taRightJustify}, {9, false, taLeftJustify},
    };
    for (const Case& c : cases) {
        TKvRadioButton b(nullptr);
        b.SetBounds(0, 0, 160, 40);
        b.SetColor(clYellow);
        QFont f = b.Font()->ToQFont();
        f.setStyleStrategy(QFont::NoAntialias);
        b.Font()->SetQFont(f);
        b.Font()->SetSize(c.Points);
        b.Font()->SetColor(clRed);
        b.SetCaption("MMM");
        b.SetAlignment(c.Alignment);
        b.SetEnabled(c.Enabled);
        const int offset = RadioCaptionOffset(c.Points);
        const QImage image = Render(&b);
        const auto [first, last] = ColumnsWith(image, Rgb(clRed));
        const std::string what = std::to_string(c.Points) + " pt, enabled " + std::to_string(c.Enabled) +
                                 ", alignment " + std::to_string(c.Alignment);
        ASSERT_GE(first, 0) << what;  // the caption shows in red
        if (c.Alignment == taRightJustify) {
            EXPECT_GE(first, offset) << what;
            EXPECT_LE(first, offset + 3) << what;
            EXPECT_TRUE(AllColumnsAre(image, offset - 4, first, Rgb(clYellow))) << what;
        } else {
            EXPECT_LT(last, 160 - offset) << what;
            EXPECT_LE(first, 3) << what;
        }
    }
}

TEST(KvRadioButton, CaptionAreaLeavesTheCircleOut) {
    TKvRadioButton b(nullptr);
    b.SetBounds(0, 0, 120, 17);
    b.Font()->SetSize(9);
    EXPECT_EQ(b.CaptionArea(), QRect(19, 0, 101, 17));
    b.SetAlignment(taLeftJustify);
    EXPECT_EQ(b.CaptionArea(), QRect(0, 0, 101, 17));
    // Right-to-left reading mirrors it back.
    b.SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(b.CaptionArea(), QRect(19, 0, 101, 17));
}

// ---- radio groups ------------------------------------------------------------------

int CharHeight(const TControl* c) { return QFontMetrics(c->Font()->ToQFont()).height(); }

// Buttons sized by the group: with the group's height = char height + 65, the
// space for the rows is 60 pixels.
TEST(KvRadioGroup, ArrangesButtonsInColumnsFilledFromTheTop) {
    struct Case {
        int Items, Columns, GroupWidth;
        int RowHeight, ExtraTop;  // row pitch, and half the pixels rows cannot share
        std::vector<int> Lefts, Rows;
        int ButtonWidth;
    } cases[] = {
        {3, 2, 210, 30, 0, {8, 8, 108}, {0, 1, 0}, 100},
        {5, 1, 110, 12, 0, {8, 8, 8, 8, 8}, {0, 1, 2, 3, 4}, 100},
        {7, 3, 310, 20, 0, {8, 8, 8, 108, 108, 108, 208}, {0, 1, 2, 0, 1, 2, 0}, 100},
        {7, 1, 110, 8, 2, {8, 8, 8, 8, 8, 8, 8}, {0, 1, 2, 3, 4, 5, 6}, 100},
        {4, 16, 170, 60, 0, {8, 18, 28, 38}, {0, 0, 0, 0}, 10},
        {4, 20, 170, 60, 0, {8, 18, 28, 38}, {0, 0, 0, 0}, 10},  // 20 columns are 16
        {3, 0, 110, 20, 0, {8, 8, 8}, {0, 1, 2}, 100},           // 0 columns are 1
        {2, 2, 150, 60, 0, {8, 78}, {0, 0}, 70},
        {4, 3, 163, 30, 0, {8, 8, 59, 59}, {0, 1, 0, 1}, 51},     // (163-10) div 3
    };
    for (const Case& c : cases) {
        TKvRadioGroup group(nullptr);
        const int h = CharHeight(&group);
        group.SetBounds(0, 0, c.GroupWidth, h + 65);
        group.SetColumns(c.Columns);
        for (int i = 0; i < c.Items; ++i) group.Items()->Add("item " + QString::number(i));
        ASSERT_EQ(group.ButtonCount(), c.Items);
        for (int i = 0; i < c.Items; ++i) {
            const TKvGroupButton* b = group.Buttons(i);
            const std::string what = std::to_string(c.Items) + " items, " + std::to_string(c.Columns) +
                                     " columns, button " + std::to_string(i);
            EXPECT_EQ(b->Left(), c.Lefts[static_cast<size_t>(i)]) << what;
            EXPECT_EQ(b->Top(), h + 1 + c.ExtraTop + c.Rows[static_cast<size_t>(i)] * c.RowHeight) << what;
            EXPECT_EQ(b->Width(), c.ButtonWidth) << what;
            EXPECT_EQ(b->Height(), c.RowHeight) << what;
            EXPECT_TRUE(b->Visible()) << what;
            EXPECT_EQ(b->Caption(), "item " + QString::number(i));
        }
    }
}

TEST(KvRadioGroup, RightToLeftMirrorsTheColumnsAndFontAndSizeRearrange) {
    TKvRadioGroup group(nullptr);
    const int h = CharHeight(&group);
    group.SetBounds(0, 0, 210, h + 65);
    group.SetColumns(2);
    group.Items()->SetCommaText("a,b,c");
    group.SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(group.Buttons(0)->Left(), 210 - 8 - 100);
    EXPECT_EQ(group.Buttons(2)->Left(), 210 - 108 - 100);
    group.SetBiDiMode(bdLeftToRight);
    // A new size re-arranges.
    group.SetWidth(410);
    EXPECT_EQ(group.Buttons(2)->Left(), 208);
    EXPECT_EQ(group.Buttons(2)->Width(), 200);
    // So does a new font: the rows start below the taller caption.
    group.Font()->SetHeight(-30);
    const int tall = CharHeight(&group);
    ASSERT_GT(tall, h);
    EXPECT_EQ(group.Buttons(0)->Top(), tall + 1 + ((h + 65 - tall - 5) % 2) / 2);
}

TEST(KvRadioGroup, ItemIndexIsClampedToTheButtons) {
    struct Case {
        int Items;
        int Set;
        int Expected;
    } cases[] = {{2, 5, 1}, {2, 1, 1}, {2, 0, 0}, {2, -1, -1}, {2, -7, -1}, {0, 3, -1}, {3, 2, 2}};
    for (const Case& c : cases) {
        TKvRadioGroup group(nullptr);
        for (int i = 0; i < c.Items; ++i) group.Items()->Add(QString::number(i));
        group.SetItemIndex(c.Set);
        EXPECT_EQ(group.ItemIndex(), c.Expected) << c.Items << " items, set " << c.Set;
        for (int i = 0; i < group.ButtonCount(); ++i)
            EXPECT_EQ(group.Buttons(i)->Checked(), i == c.Expected) << c.Items << " items, set " << c.Set;
    }
}

TEST(KvRadioGroup, ItemChangesKeepOrMoveTheSelection) {
    TKvRadioGroup group(nullptr);
    int clicks = 0;
    group.OnClick = [&](TObject*) { ++clicks; };
    group.Items()->SetCommaText("a,b,c,d");
    group.SetItemIndex(3);
    EXPECT_EQ(clicks, 1);  // checking the button by code clicks it, as the classic group does
    clicks = 0;
    group.Items()->Put(0, "A");
    EXPECT_EQ(group.ItemIndex(), 3);
    EXPECT_EQ(group.Buttons(0)->Caption(), "A");
    group.Items()->Delete(3);
    group.Items()->Delete(2);
    EXPECT_EQ(group.ButtonCount(), 2);
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_TRUE(group.Buttons(1)->Checked());
    group.Items()->Clear();
    EXPECT_EQ(group.ButtonCount(), 0);
    EXPECT_EQ(group.ItemIndex(), -1);
    group.Items()->SetCommaText("x,y");
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_FALSE(group.Buttons(0)->Checked());
    // Rebuilding the buttons is no user choice.
    EXPECT_EQ(clicks, 0);
}

TEST(KvRadioGroup, PropertiesByName) {
    TKvRadioGroup group(nullptr);
    EXPECT_EQ(group.property("Columns").toInt(), 1);
    EXPECT_EQ(group.property("ItemIndex").toInt(), -1);
    TStringList lines;
    lines.SetCommaText("简要,明细");
    EXPECT_TRUE(group.setProperty("Items", QVariant::fromValue<TStrings*>(&lines)));
    EXPECT_NE(group.Items(), &lines);  // copied
    EXPECT_EQ(group.ButtonCount(), 2);
    EXPECT_TRUE(group.setProperty("Columns", 2));
    EXPECT_TRUE(group.setProperty("ItemIndex", 0));
    EXPECT_TRUE(group.setProperty("Caption", "选择打印"));
    EXPECT_EQ(group.property("Items").value<TStrings*>()->Strings(1), "明细");
    EXPECT_EQ(group.Columns(), 2);
    EXPECT_TRUE(group.Buttons(0)->Checked());
    EXPECT_EQ(group.Caption(), "选择打印");
}

// A group on a shown form, with a way to forbid changes.
class GroupOnForm : public ::testing::Test {
protected:
    struct LockableGroup : TKvRadioGroup {
        using TKvRadioGroup::TKvRadioGroup;
        bool CanModify() const override { return !Locked; }
        bool Locked = false;
    };
    void SetUp() override {
        form = TForm::Create<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 200);
        group = CreateNamed<LockableGroup>(form, "rg04");
        group->SetParent(form);
        group->SetBounds(6, 20, 250, 120);
        group->Items()->SetCommaText("a,b,c");
        group->OnClick = [this](TObject* s) {
            EXPECT_EQ(s, group);
            indexAtClick.push_back(group->ItemIndex());
        };
        form->Show();
    }
    void TearDown() override {
        form->Free();
        SetModalDriver({});
    }
    TForm* form = nullptr;
    LockableGroup* group = nullptr;
    std::vector<int> indexAtClick;
};

TEST_F(GroupOnForm, ClickingAButtonSelectsItAndRaisesTheGroupsClick) {
    SimulateClick(group->Buttons(2), MK_LBUTTON, OnTheCircle(group->Buttons(2)));
    EXPECT_EQ(group->ItemIndex(), 2);
    SimulateClick(group->Buttons(0), MK_LBUTTON, OnTheCircle(group->Buttons(0)));
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_FALSE(group->Buttons(2)->Checked());
    EXPECT_EQ(indexAtClick, (std::vector<int>{2, 0}));
}

TEST_F(GroupOnForm, AGroupThatCannotBeModifiedIgnoresClicksAndSpace) {
    group->SetItemIndex(1);
    indexAtClick.clear();
    group->Locked = true;
    SimulateClick(group->Buttons(2), MK_LBUTTON, OnTheCircle(group->Buttons(2)));
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_FALSE(group->Buttons(2)->Checked());
    group->Buttons(2)->SetFocus();
    SendKey(group->Buttons(2)->Handle(), Qt::Key_Space, " ");
    EXPECT_FALSE(group->Buttons(2)->Checked());
    EXPECT_TRUE(indexAtClick.empty());
    // Unlocked, the same key chooses the button.
    group->Locked = false;
    SendKey(group->Buttons(2)->Handle(), Qt::Key_Space, " ");
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_EQ(indexAtClick, std::vector<int>{2});
}

TEST_F(GroupOnForm, KeysGoToTheButtonAndThenToTheGroup) {
    std::vector<QString> log;
    TKvGroupButton* b = group->Buttons(1);
    b->OnKeyDown = [&](TObject* s, std::uint16_t& key, TShiftState) {
        log.push_back(static_cast<TComponent*>(s) == b ? "button down " + QString::number(key) : "?");
    };
    group->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) { log.push_back("group down " + QString::number(key)); };
    b->OnKeyPress = [&](TObject*, QChar& key) { log.push_back(QStringLiteral("button press ") + key); };
    group->OnKeyPress = [&](TObject*, QChar& key) {
        log.push_back(QStringLiteral("group press ") + key);
        if (key == QLatin1Char('z')) key = QLatin1Char('y');
    };
    b->SetFocus();
    SendKey(b->Handle(), Qt::Key_Z, "z");
    EXPECT_EQ(log, (std::vector<QString>{"button down 90", "group down 90", "button press z", "group press z"}));
}

TEST_F(GroupOnForm, AnErrorInTheGroupsClickIsShownNotThrown) {
    std::vector<QString> shown;
    SetModalDriver([&](TForm& f) {
        auto* box = qobject_cast<TMessageForm*>(&f);
        ASSERT_NE(box, nullptr);
        shown.push_back(box->MessageLabel()->Caption());
        f.SetModalResult(mrOk);
    });
    group->OnClick = [](TObject*) { throw std::runtime_error("no such report"); };
    SimulateClick(group->Buttons(1), MK_LBUTTON, OnTheCircle(group->Buttons(1)));
    EXPECT_EQ(shown, std::vector<QString>{"no such report"});
    EXPECT_EQ(group->ItemIndex(), 1);
    // The guard against re-entry is released again.
    group->OnClick = nullptr;
    SimulateClick(group->Buttons(2), MK_LBUTTON, OnTheCircle(group->Buttons(2)));
    EXPECT_EQ(group->ItemIndex(), 2);
}

TEST_F(GroupOnForm, AClickHandlerMayDropTheClickedButton) {
    group->OnClick = [this](TObject*) { group->Items()->SetCommaText("only"); };
    QPointer<TKvGroupButton> clicked(group->Buttons(2));
    SimulateClick(clicked, MK_LBUTTON, OnTheCircle(clicked));
    EXPECT_EQ(group->ButtonCount(), 1);
    EXPECT_EQ(group->ItemIndex(), 0);
    Application()->ProcessMessages();
    EXPECT_FALSE(clicked);
}

TEST_F(GroupOnForm, EnabledReachesEveryButton) {
    group->SetEnabled(false);
    for (int i = 0; i < group->ButtonCount(); ++i) EXPECT_FALSE(group->Buttons(i)->Enabled());
    group->Items()->Add("d");
    EXPECT_FALSE(group->Buttons(3)->Enabled());
    group->SetEnabled(true);
    for (int i = 0; i < group->ButtonCount(); ++i) EXPECT_TRUE(group->Buttons(i)->Enabled());
}

TEST(KvRadioGroup, ReadWithAFormTheButtonsComeWhenLoadingEnds) {
    TForm owner(nullptr);
    owner.BeginLoading();
    auto* group = CreateNamed<TKvRadioGroup>(&owner, "rg04");
    int clicks = 0;
    group->OnClick = [&](TObject*) { ++clicks; };
    group->SetBounds(6, 251, 150, 42);
    group->SetColumns(2);
    group->SetItemIndex(5);  // stored as read, checked later
    group->Items()->SetCommaText("简要,明细");
    EXPECT_EQ(group->ButtonCount(), 0);
    EXPECT_EQ(group->ItemIndex(), 5);
    owner.EndLoading();
    ASSERT_EQ(group->ButtonCount(), 2);
    // An index past the items it came with is the last item, not a crash.
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_TRUE(group->Buttons(1)->Checked());
    EXPECT_EQ(group->Buttons(1)->Left(), 78);
    EXPECT_EQ(clicks, 0);
    group->SetItemIndex(0);
    EXPECT_EQ(clicks, 1);
}

TEST(KvRadioGroup, FreeingTheGroupFreesItsButtons) {
    auto* group = new TKvRadioGroup(nullptr);
    group->Items()->SetCommaText("a,b");
    QPointer<TKvGroupButton> b(group->Buttons(1));
    EXPECT_EQ(b->Owner(), group);
    EXPECT_EQ(b->Parent(), group);
    delete group;
    EXPECT_FALSE(b);
}

// A picture to look at: the three states enabled and disabled, and a group.
TEST(ComponentsScreenshot, CheckBoxesAndRadioGroup) {
    auto* form = TForm::Create<TForm>(nullptr);
    form->SetBounds(0, 0, 360, 230);
    const TCheckBoxState states[] = {cbUnchecked, cbChecked, cbGrayed};
    for (int i = 0; i < 3; ++i)
        for (int enabled = 0; enabled < 2; ++enabled) {
            auto* box = new TBitCheckBox(form);
            box->SetParent(form);
            box->SetBounds(10 + 170 * (1 - enabled), 10 + 22 * i, 160, 17);
            box->SetCaption(QStringLiteral("&Box %1 %2").arg(i).arg(enabled ? "on" : "off"));
            box->SetState(states[i]);
            box->SetEnabled(enabled == 1);
        }
    auto* group = new TKvRadioGroup(form);
    group->SetParent(form);
    group->SetBounds(10, 80, 330, 80);
    group->SetCaption("选择打印");
    group->SetColumns(2);
    group->Items()->SetCommaText("简要,明细,Third");
    group->SetItemIndex(1);
    auto* rb = new TKvRadioButton(form);
    rb->SetParent(form);
    rb->SetBounds(10, 170, 200, 17);
    rb->SetCaption("在下列时间生成信息");
    rb->Font()->SetColor(clBlue);
    rb->SetEnabled(false);
    form->Show();
    const QImage shot = form->Handle()->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    shot.save("/tmp/k.png");
    form->Free();
}

}  // namespace
}  // namespace kv

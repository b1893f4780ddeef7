// The common controls: page control with hidden and owner-drawn tabs, list view
// in its four styles with columns, items and sub-items, tool bar, animation.
#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>
#include <QTimer>
#include <QTimerEvent>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

namespace kv {
namespace {

void ClickAt(QWidget* widget, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// ---- page control -----------------------------------------------------------------

class PageForm : public TForm {
public:
    explicit PageForm(TComponent* owner = nullptr) : TForm(owner) {
        SetBounds(0, 0, 400, 300);
        pc = CreateNamed<TPageControl>(this, "pgOption");
        pc->SetParent(this);
        pc->SetBounds(8, 8, 380, 260);
        for (int i = 0; i < 3; ++i) {
            sheets[i] = CreateNamed<TTabSheet>(this, QString("tsOption%1").arg(i + 1));
            sheets[i]->SetPageControl(pc);
            sheets[i]->SetCaption(QString("Page %1").arg(i + 1));
        }
        edit = CreateNamed<TEdit>(this, "edFirst");
        edit->SetParent(sheets[0]);
        edit->SetBounds(10, 12, 100, 21);
    }
    TPageControl* pc;
    TTabSheet* sheets[3];
    TEdit* edit;
};

struct PageFixture : ::testing::Test {
    void SetUp() override { form = TForm::Create<PageForm>(); }
    void TearDown() override { form->Free(); }
    PageForm* form;
};

TEST_F(PageFixture, PagesAreSheetsInOrderAndTheFirstBecomesActive) {
    TPageControl* pc = form->pc;
    EXPECT_EQ(pc->PageCount(), 3);
    EXPECT_EQ(pc->ActivePage(), form->sheets[0]);
    EXPECT_EQ(form->sheets[2]->PageIndex(), 2);
    EXPECT_EQ(form->sheets[1]->PageControl(), pc);
    EXPECT_EQ(pc->TabBar()->count(), 3);
    EXPECT_EQ(pc->TabBar()->tabText(1), "Page 2");
    form->sheets[2]->SetPageIndex(0);
    EXPECT_EQ(pc->Pages(0), form->sheets[2]);
    EXPECT_EQ(pc->TabBar()->tabText(0), "Page 3");
    // Leaving the page control takes the sheet out of the pages.
    form->sheets[2]->SetPageControl(nullptr);
    EXPECT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(form->sheets[2]->PageIndex(), -1);
    EXPECT_THROW(pc->Pages(2), std::out_of_range);
}

TEST_F(PageFixture, ChildrenSitRelativeToTheirSheetAndOnlyTheActivePageShows) {
    form->Show();
    TPageControl* pc = form->pc;
    const QRect display = pc->DisplayRect();
    EXPECT_EQ(form->sheets[0]->BoundsRect(), display);
    EXPECT_EQ(form->edit->Handle()->mapTo(pc->Handle(), QPoint(0, 0)), display.topLeft() + QPoint(10, 12));
    EXPECT_TRUE(form->sheets[0]->Handle()->isVisible());
    EXPECT_FALSE(form->sheets[1]->Handle()->isVisible());
    pc->SetActivePageIndex(1);
    EXPECT_FALSE(form->edit->Handle()->isVisible());
    EXPECT_TRUE(form->sheets[1]->Handle()->isVisible());
}

// TabIndex counts visible tabs only; a page with a hidden tab can still be active.
struct TabCase {
    const char* name;
    bool tabVisible[3];
    int setActivePageIndex;  // -2: set TabIndex instead
    int setTabIndex;
    int activePageIndex;
    int tabIndex;
    int tabCount;
};

const TabCase kTabCases[] = {
    {"all visible, page 2", {true, true, true}, 1, 0, 1, 1, 3},
    {"first hidden, tab 0 is page 2", {false, true, true}, -2, 0, 1, 0, 2},
    {"first hidden, tab 1 is page 3", {false, true, true}, -2, 1, 2, 1, 2},
    {"hidden page made active has no tab", {true, false, true}, 1, 0, 1, -1, 2},
    {"tab index past the visible tabs changes nothing", {false, true, true}, -2, 2, 1, 0, 2},
    {"tab index -1 selects no page", {true, true, true}, -2, -1, -1, -1, 3},
    {"page index out of range selects no page", {true, true, true}, 7, 0, -1, -1, 3},
};

TEST_F(PageFixture, TabIndexCountsVisibleTabsOnly) {
    for (const TabCase& c : kTabCases) {
        SCOPED_TRACE(c.name);
        TPageControl* pc = form->pc;
        for (int i = 0; i < 3; ++i) form->sheets[i]->SetTabVisible(true);
        pc->SetActivePageIndex(0);
        for (int i = 0; i < 3; ++i) form->sheets[i]->SetTabVisible(c.tabVisible[i]);
        int changes = 0;
        pc->OnChange = [&](TObject*) { ++changes; };
        if (c.setActivePageIndex == -2)
            pc->setProperty("TabIndex", c.setTabIndex);
        else
            pc->setProperty("ActivePageIndex", c.setActivePageIndex);
        EXPECT_EQ(pc->ActivePageIndex(), c.activePageIndex);
        EXPECT_EQ(pc->property("TabIndex").toInt(), c.tabIndex);
        EXPECT_EQ(pc->TabBar()->count(), c.tabCount);
        if (c.tabIndex >= 0) {
            EXPECT_EQ(pc->TabBar()->currentIndex(), c.tabIndex);
        }
        // Changes made in code raise no events.
        EXPECT_EQ(changes, 0);
        pc->OnChange = nullptr;
    }
}

TEST_F(PageFixture, HidingTheActiveTabHandsOverToTheTabInItsPlace) {
    TPageControl* pc = form->pc;
    pc->SetActivePageIndex(1);
    form->sheets[1]->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), form->sheets[2]);
    EXPECT_EQ(pc->TabIndex(), 1);
    form->sheets[2]->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), form->sheets[0]);
    form->sheets[0]->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), nullptr);
    EXPECT_EQ(pc->TabIndex(), -1);
    form->sheets[1]->setProperty("TabVisible", true);
    EXPECT_EQ(pc->ActivePage(), form->sheets[1]);
    // A freed sheet leaves; its neighbour takes over.
    delete form->sheets[1];
    EXPECT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(pc->ActivePage(), nullptr);
}

TEST_F(PageFixture, UserTabChoiceAsksOnChangingWhichCanRefuse) {
    form->Show();
    TPageControl* pc = form->pc;
    std::vector<std::string> log;
    bool allow = false;
    pc->OnChanging = [&](TObject* sender, bool& allowChange) {
        log.push_back(sender == pc ? "changing" : "?");
        // The page being left is still the active one.
        log.push_back("from " + std::to_string(pc->ActivePageIndex()));
        allowChange = allow;
    };
    pc->OnChange = [&](TObject*) { log.push_back("change to " + std::to_string(pc->ActivePageIndex())); };
    QTabBar* bar = pc->TabBar();
    ClickAt(bar, bar->tabRect(2).center());
    EXPECT_EQ(pc->ActivePageIndex(), 0);
    EXPECT_EQ(bar->currentIndex(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "from 0"}));
    log.clear();
    allow = true;
    ClickAt(bar, bar->tabRect(2).center());
    EXPECT_EQ(pc->ActivePageIndex(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "from 0", "change to 2"}));
    // Moving through the pages as the keys do: wraps around, hidden tabs skipped.
    log.clear();
    form->sheets[0]->SetTabVisible(false);
    pc->SelectNextPage(true);
    EXPECT_EQ(pc->ActivePageIndex(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "from 2", "change to 1"}));
    allow = false;
    pc->SelectNextPage(false);
    EXPECT_EQ(pc->ActivePageIndex(), 1);
}

TEST_F(PageFixture, SheetShowAndHideFollowThePageOnScreen) {
    std::vector<std::string> log;
    for (int i = 0; i < 3; ++i) {
        form->sheets[i]->OnShow = [&log, i](TObject*) { log.push_back("show " + std::to_string(i)); };
        form->sheets[i]->OnHide = [&log, i](TObject*) { log.push_back("hide " + std::to_string(i)); };
    }
    form->pc->SetActivePageIndex(1);
    EXPECT_TRUE(log.empty());  // the form is not on screen yet
    form->Show();
    EXPECT_EQ(log, (std::vector<std::string>{"show 1"}));
    form->pc->SetActivePageIndex(2);
    EXPECT_EQ(log, (std::vector<std::string>{"show 1", "show 2", "hide 1"}));
}

TEST_F(PageFixture, FocusOnTheLeftPageMovesToTheNewPage) {
    form->Show();
    form->edit->SetFocus();
    int exits = 0;
    form->edit->OnExit = [&](TObject*) { ++exits; };
    form->pc->SetActivePageIndex(1);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(form->ActiveControl(), form->sheets[1]);
}

TEST_F(PageFixture, OwnerDrawnTabsAreDrawnByOnDrawTab) {
    TPageControl* pc = form->pc;
    form->sheets[0]->SetTabVisible(false);
    pc->SetActivePageIndex(2);
    pc->setProperty("OwnerDraw", true);
    pc->SetTabWidth(90);
    pc->SetTabHeight(24);
    struct Call {
        int tab;
        bool active;
        QString caption;
        bool canvas;
    };
    std::vector<Call> calls;
    pc->OnDrawTab = [&](TPageControl* control, int tabIndex, const QRect& rect, bool active) {
        QPainter* canvas = control->Canvas();
        if (canvas) canvas->fillRect(rect, Qt::darkBlue);
        calls.push_back({tabIndex, active, control->PageForTab(tabIndex)->Caption(), canvas != nullptr});
    };
    form->Show();
    const QImage shot = form->Handle()->grab().toImage();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].tab, 0);
    EXPECT_EQ(calls[0].caption, "Page 2");
    EXPECT_FALSE(calls[0].active);
    EXPECT_EQ(calls[1].caption, "Page 3");
    EXPECT_TRUE(calls[1].active);
    EXPECT_TRUE(calls[0].canvas && calls[1].canvas);
    EXPECT_EQ(pc->Canvas(), nullptr);
    const QRect tab = pc->TabRect(1);
    EXPECT_EQ(tab.width(), 90);
    EXPECT_EQ(tab.height(), 24);
    const QPoint inside = pc->Handle()->mapTo(form->Handle(), tab.center());
    EXPECT_EQ(shot.pixelColor(inside), QColor(Qt::darkBlue));
}

TEST(PageControl, PublishedPropertiesAndEventsByName) {
    TPageControl pc(nullptr);
    const char* props[] = {"ActivePage", "ActivePageIndex", "TabIndex", "PageCount", "Style", "TabHeight", "TabWidth",
                           "TabPosition", "OwnerDraw", "MultiLine", "HotTrack", "Images", "OnChange", "OnChanging",
                           "OnDrawTab", "OnEnter", "OnExit", "Enabled"};
    for (const char* name : props) EXPECT_TRUE(pc.property(name).isValid()) << name;
    EXPECT_TRUE(pc.setProperty("Style", "tsButtons"));
    EXPECT_EQ(pc.Style(), tsButtons);
    EXPECT_TRUE(pc.setProperty("TabPosition", "tpBottom"));
    EXPECT_EQ(pc.TabBar()->shape(), QTabBar::RoundedSouth);
    bool called = false;
    pc.setProperty("OnChange", QVariant::fromValue(TNotifyEvent([&](TObject*) { called = true; })));
    ASSERT_TRUE(pc.OnChange);
    pc.OnChange(&pc);
    EXPECT_TRUE(called);
    TTabSheet sheet(nullptr);
    for (const char* name : {"Caption", "PageControl", "TabVisible", "PageIndex", "TabIndex", "ImageIndex", "OnShow",
                             "OnHide"})
        EXPECT_TRUE(sheet.property(name).isValid()) << name;
    sheet.setProperty("PageControl", QVariant::fromValue(&pc));
    EXPECT_EQ(pc.PageCount(), 1);
    EXPECT_EQ(pc.property("ActivePage").value<TTabSheet*>(), &sheet);
    sheet.SetPageControl(nullptr);
}

// ---- list view --------------------------------------------------------------------

struct ListFixture : ::testing::Test {
    void SetUp() override {
        form = TForm::Create<TForm>(nullptr);
        form->SetBounds(0, 0, 420, 300);
        lv = CreateNamed<TListView>(form, "ListView");
        lv->SetParent(form);
        lv->SetBounds(4, 4, 400, 250);
    }
    void TearDown() override { form->Free(); }
    // Columns Code / Name / Amount; rows (caption, name, amount).
    void Fill(const std::vector<std::vector<QString>>& rows) {
        for (const char* caption : {"Code", "Name", "Amount"}) lv->Columns()->Add()->SetCaption(caption);
        for (const auto& row : rows) {
            TListItem* item = lv->Items()->Add();
            item->SetCaption(row[0]);
            for (size_t i = 1; i < row.size(); ++i) item->SubItems()->Add(row[i]);
        }
    }
    QAbstractItemModel* Model() const { return lv->View()->model(); }
    QString Cell(int row, int column) const { return Model()->index(row, column).data().toString(); }
    std::vector<QString> Captions() const {
        std::vector<QString> out;
        for (int i = 0; i < lv->Items()->Count(); ++i) out.push_back(lv->Items()->Item(i)->Caption());
        return out;
    }
    TForm* form;
    TListView* lv;
};

struct StyleCase {
    TViewStyle style;
    bool tree;
    QListView::ViewMode mode;
    QListView::Flow flow;
    int columns;
};

const StyleCase kStyles[] = {
    {vsIcon, false, QListView::IconMode, QListView::LeftToRight, 1},
    {vsSmallIcon, false, QListView::ListMode, QListView::LeftToRight, 1},
    {vsList, false, QListView::ListMode, QListView::TopToBottom, 1},
    {vsReport, true, QListView::ListMode, QListView::TopToBottom, 3},
};

TEST_F(ListFixture, EveryViewStyleShowsTheItemsWithTheirSubItems) {
    TImageList images(nullptr);
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    images.Add(red);
    lv->SetSmallImages(&images);
    lv->SetLargeImages(&images);
    Fill({{"A01", "Anna", "10"}, {"B02", "Bert", "20"}, {"C03", "Cleo"}});
    lv->Items()->Item(1)->SetImageIndex(0);
    lv->Items()->Item(1)->SetSelected(true);
    form->Show();
    for (const StyleCase& c : kStyles) {
        SCOPED_TRACE(static_cast<int>(c.style));
        lv->setProperty("ViewStyle", QVariant::fromValue(c.style));
        ASSERT_EQ(lv->ViewStyle(), c.style);
        QAbstractItemView* view = lv->View();
        ASSERT_TRUE(view);
        EXPECT_TRUE(view->isVisible());
        EXPECT_EQ(qobject_cast<QTreeView*>(view) != nullptr, c.tree);
        if (auto* list = qobject_cast<QListView*>(view)) {
            EXPECT_EQ(list->viewMode(), c.mode);
            EXPECT_EQ(list->flow(), c.flow);
        }
        EXPECT_EQ(Model()->rowCount(), 3);
        EXPECT_EQ(Model()->columnCount(), c.columns);
        EXPECT_EQ(Cell(1, 0), "B02");
        if (c.tree) {
            EXPECT_EQ(Cell(0, 1), "Anna");
            EXPECT_EQ(Cell(1, 2), "20");
            EXPECT_EQ(Cell(2, 2), "");  // a missing sub-item reads empty
            EXPECT_EQ(Model()->headerData(2, Qt::Horizontal).toString(), "Amount");
        }
        EXPECT_FALSE(Model()->index(1, 0).data(Qt::DecorationRole).isNull());
        EXPECT_TRUE(Model()->index(0, 0).data(Qt::DecorationRole).isNull());
        // The item's selection survives the change of view.
        EXPECT_TRUE(view->selectionModel()->isSelected(Model()->index(1, 0)));
        EXPECT_EQ(lv->Selected(), lv->Items()->Item(1));
    }
}

TEST_F(ListFixture, LanguageFilePathsReachColumnsItemsAndSubItemsByName) {
    lv->SetViewStyle(vsReport);
    Fill({{"A01", "Anna", "10"}});
    // Columns_1.Caption
    auto* columns = lv->property("Columns").value<TListColumns*>();
    ASSERT_TRUE(columns);
    EXPECT_TRUE(columns->Items(1)->setProperty("Caption", "姓名"));
    EXPECT_EQ(Model()->headerData(1, Qt::Horizontal).toString(), "姓名");
    EXPECT_TRUE(columns->Items(2)->setProperty("Alignment", "taRightJustify"));
    EXPECT_EQ(lv->Column(2)->Alignment(), taRightJustify);
    EXPECT_EQ(Model()->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    // Items_0.Caption and the sub-item texts.
    auto* items = lv->property("Items").value<TListItems*>();
    ASSERT_TRUE(items);
    EXPECT_TRUE(items->Item(0)->setProperty("Caption", "甲"));
    EXPECT_EQ(Cell(0, 0), "甲");
    auto* sub = items->Item(0)->property("SubItems").value<TStrings*>();
    ASSERT_TRUE(sub);
    sub->Put(0, "安娜");
    EXPECT_EQ(Cell(0, 1), "安娜");
    for (const char* name : {"ViewStyle", "Columns", "Items", "RowSelect", "ReadOnly", "HideSelection", "MultiSelect",
                             "GridLines", "ShowColumnHeaders", "ColumnClick", "SortType", "LargeImages",
                             "SmallImages", "ItemIndex", "SelCount", "OnClick", "OnDblClick", "OnChange", "OnChanging",
                             "OnSelectItem", "OnColumnClick", "OnCompare", "OnEdited", "OnKeyDown", "OnDeletion"})
        EXPECT_TRUE(lv->property(name).isValid()) << name;
    EXPECT_TRUE(lv->setProperty("SortType", "stText"));
    EXPECT_EQ(lv->SortType(), stText);
}

TEST_F(ListFixture, ColumnsAndItemsAssignAsCopies) {
    Fill({{"A01", "Anna"}, {"B02", "Bert"}});
    TListView other(nullptr);
    other.setProperty("Columns", QVariant::fromValue(lv->Columns()));
    other.setProperty("Items", QVariant::fromValue(lv->Items()));
    ASSERT_EQ(other.Columns()->Count(), 3);
    EXPECT_EQ(other.Column(1)->Caption(), "Name");
    ASSERT_EQ(other.Items()->Count(), 2);
    EXPECT_EQ(other.Items()->Item(1)->SubItems()->Strings(0), "Bert");
    lv->Items()->Item(1)->SubItems()->Put(0, "Changed");
    EXPECT_EQ(other.Items()->Item(1)->SubItems()->Strings(0), "Bert");
}

TEST_F(ListFixture, UserSelectionRaisesSelectAndChangeEventsInOrder) {
    lv->SetViewStyle(vsReport);
    lv->SetRowSelect(true);
    Fill({{"A01", "Anna"}, {"B02", "Bert"}, {"C03", "Cleo"}});
    form->Show();
    std::vector<std::string> log;
    lv->OnSelectItem = [&](TObject* sender, TListItem* item, bool selected) {
        log.push_back((sender == lv ? "" : "?") + item->Caption().toStdString() + (selected ? "+" : "-"));
    };
    int clicks = 0;
    lv->OnClick = [&](TObject*) { ++clicks; };
    QAbstractItemView* view = lv->View();
    view->scrollToTop();
    ClickAt(view->viewport(), view->visualRect(Model()->index(1, 1)).center());
    EXPECT_EQ(log, (std::vector<std::string>{"B02+"}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(lv->Selected(), lv->Items()->Item(1));
    EXPECT_EQ(lv->ItemIndex(), 1);
    EXPECT_EQ(lv->ItemFocused(), lv->Items()->Item(1));
    log.clear();
    ClickAt(view->viewport(), view->visualRect(Model()->index(2, 0)).center());
    EXPECT_EQ(log, (std::vector<std::string>{"B02-", "C03+"}));
    EXPECT_EQ(lv->SelCount(), 1);
    // A refused state change is undone in the view as well.
    lv->OnChanging = [](TObject*, TListItem* item, TItemChange change, bool& allow) {
        if (change == ctState && item->Caption() == "A01") allow = false;
    };
    log.clear();
    ClickAt(view->viewport(), view->visualRect(Model()->index(0, 0)).center());
    EXPECT_FALSE(lv->Items()->Item(0)->Selected());
    EXPECT_FALSE(view->selectionModel()->isSelected(Model()->index(0, 0)));
}

TEST_F(ListFixture, SelectionInCodeFollowsSingleAndMultiSelect) {
    lv->SetViewStyle(vsReport);
    Fill({{"A"}, {"B"}, {"C"}, {"D"}});
    std::vector<std::string> log;
    lv->OnSelectItem = [&](TObject*, TListItem* item, bool selected) {
        log.push_back(item->Caption().toStdString() + (selected ? "+" : "-"));
    };
    lv->Items()->Item(0)->SetSelected(true);
    lv->Items()->Item(2)->setProperty("Selected", true);
    EXPECT_EQ(log, (std::vector<std::string>{"A+", "A-", "C+"}));
    EXPECT_EQ(lv->SelCount(), 1);
    lv->setProperty("MultiSelect", true);
    lv->Items()->Item(3)->SetSelected(true);
    lv->Items()->Item(1)->SetSelected(true);
    EXPECT_EQ(lv->SelCount(), 3);
    EXPECT_EQ(lv->Selected(), lv->Items()->Item(1));
    EXPECT_EQ(lv->GetNextItem(lv->Items()->Item(1), true), lv->Items()->Item(2));
    QItemSelectionModel* sel = lv->View()->selectionModel();
    EXPECT_TRUE(sel->isSelected(Model()->index(3, 0)));
    // Deleting a selected item keeps the count right.
    lv->Items()->Item(1)->Delete();
    EXPECT_EQ(lv->SelCount(), 2);
    EXPECT_EQ(lv->Items()->Item(1)->Caption(), "C");
    EXPECT_EQ(lv->Items()->Item(1)->Index(), 1);
    lv->SetItemIndex(0);
    EXPECT_EQ(lv->SelCount(), 1);
    EXPECT_TRUE(lv->Items()->Item(0)->Focused());
    lv->SetItemIndex(-1);
    EXPECT_EQ(lv->SelCount(), 0);
    EXPECT_EQ(lv->Selected(), nullptr);
    EXPECT_FALSE(sel->hasSelection());
}

TEST_F(ListFixture, ItemEventsAndRefusedChanges) {
    lv->SetViewStyle(vsReport);
    Fill({{"A"}, {"B"}});
    std::vector<std::string> log;
    lv->OnChange = [&](TObject*, TListItem* item, TItemChange change) {
        log.push_back(item->Caption().toStdString() + ":" + std::to_string(static_cast<int>(change)));
    };
    lv->OnChanging = [](TObject*, TListItem* item, TItemChange change, bool& allow) {
        allow = !(change == ctText && item->Caption() == "B");
    };
    lv->Items()->Item(0)->SetCaption("A2");
    lv->Items()->Item(1)->SetCaption("B2");
    EXPECT_EQ(lv->Items()->Item(1)->Caption(), "B");
    lv->Items()->Item(0)->SetImageIndex(3);
    EXPECT_EQ(log, (std::vector<std::string>{"A2:0", "A2:1"}));
    std::vector<QString> deleted;
    lv->OnDeletion = [&](TObject*, TListItem* item) { deleted.push_back(item->Caption()); };
    lv->Items()->Delete(0);
    lv->Items()->Clear();
    EXPECT_EQ(deleted, (std::vector<QString>{"A2", "B"}));
    EXPECT_EQ(Model()->rowCount(), 0);
    EXPECT_THROW(lv->Items()->Item(0), std::out_of_range);
}

TEST_F(ListFixture, SortByOnCompareByCaptionAndAutomatically) {
    lv->SetViewStyle(vsReport);
    Fill({{"b", "2"}, {"C", "10"}, {"a", "3"}});
    EXPECT_TRUE(lv->AlphaSort());
    EXPECT_EQ(Captions(), (std::vector<QString>{"a", "b", "C"}));
    EXPECT_EQ(Cell(2, 1), "10");
    // OnCompare: by the number in the first sub-item, descending.
    lv->OnCompare = [](TObject*, TListItem* a, TListItem* b, int, int& compare) {
        compare = b->SubItems()->Strings(0).toInt() - a->SubItems()->Strings(0).toInt();
    };
    lv->AlphaSort();
    EXPECT_EQ(Captions(), (std::vector<QString>{"C", "a", "b"}));
    EXPECT_EQ(lv->Items()->Item(0)->Index(), 0);
    EXPECT_EQ(Cell(0, 0), "C");
    // SortType stText keeps the list sorted as captions change; while updating,
    // once at the end.
    lv->OnCompare = nullptr;
    lv->SetSortType(stText);
    EXPECT_EQ(Captions(), (std::vector<QString>{"a", "b", "C"}));
    lv->Items()->Item(0)->SetCaption("z");
    EXPECT_EQ(Captions(), (std::vector<QString>{"b", "C", "z"}));
    lv->Items()->BeginUpdate();
    lv->Items()->Add()->SetCaption("0");
    EXPECT_EQ(Captions().back(), "0");
    lv->Items()->EndUpdate();
    EXPECT_EQ(Captions().front(), "0");
    EXPECT_EQ(Cell(0, 0), "0");
}

TEST_F(ListFixture, UpdatesBetweenBeginAndEndReachTheViewOnce) {
    lv->SetViewStyle(vsReport);
    lv->Columns()->Add()->SetCaption("Data1");
    form->Show();
    int inserted = 0;
    int resets = 0;
    QObject::connect(Model(), &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(Model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    lv->Items()->BeginUpdate();
    for (int i = 0; i < 2000; ++i) {
        TListItem* item = lv->Items()->Add();
        item->SetCaption(QString::number(i));
        item->SubItems()->Add("x");
        if (i == 1500) item->SetSelected(true);
    }
    lv->Columns()->Add()->SetCaption("Data2");
    QApplication::processEvents();
    EXPECT_EQ(inserted, 0);
    EXPECT_EQ(resets, 0);
    lv->Items()->EndUpdate();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(Model()->rowCount(), 2000);
    EXPECT_EQ(Model()->columnCount(), 2);
    EXPECT_EQ(Cell(1999, 1), "x");
    EXPECT_TRUE(lv->View()->selectionModel()->isSelected(Model()->index(1500, 0)));
    // Outside an update each row is announced on its own.
    lv->Items()->Add();
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(resets, 1);
}

TEST_F(ListFixture, IndexesFollowInsertionsRemovalsAndArrangement) {
    lv->SetViewStyle(vsReport);
    Fill({{"A"}, {"B"}, {"C"}, {"D"}});
    TListItems* items = lv->Items();
    auto expectIndexesArePositions = [&] {
        for (int i = 0; i < items->Count(); ++i) {
            EXPECT_EQ(items->Item(i)->Index(), i) << items->Item(i)->Caption().toStdString();
            EXPECT_EQ(items->IndexOf(items->Item(i)), i);
            EXPECT_EQ(Cell(i, 0), items->Item(i)->Caption());
        }
    };
    // Several changes in the middle, inside and outside an update, before any
    // index is asked for.
    items->Insert(2)->SetCaption("x");
    items->BeginUpdate();
    items->Insert(0)->SetCaption("y");
    items->Delete(3);
    items->Add()->SetCaption("z");
    items->EndUpdate();
    items->Insert(1)->SetCaption("w");
    EXPECT_EQ(Captions(), (std::vector<QString>{"y", "w", "A", "B", "C", "D", "z"}));
    expectIndexesArePositions();
    items->Item(2)->Delete();
    expectIndexesArePositions();

    std::vector<TListItem*> reversed;
    for (int i = items->Count() - 1; i >= 0; --i) reversed.push_back(items->Item(i));
    ASSERT_TRUE(lv->ArrangeItems(reversed));
    EXPECT_EQ(Captions(), (std::vector<QString>{"z", "D", "C", "B", "w", "y"}));
    expectIndexesArePositions();
    // Not every item once: nothing changes.
    TListView other(nullptr);
    std::vector<TListItem*> wrong = reversed;
    wrong.pop_back();
    std::vector<TListItem*> twice = wrong;
    twice.push_back(reversed.front());
    std::vector<TListItem*> foreign = wrong;
    foreign.push_back(other.Items()->Add());
    for (const auto& order : {wrong, twice, foreign}) EXPECT_FALSE(lv->ArrangeItems(order));
    EXPECT_EQ(Captions(), (std::vector<QString>{"z", "D", "C", "B", "w", "y"}));
}

// A list view that puts its items in caption order as the outermost update ends.
class SortingAtUpdateEnd : public TListView {
public:
    using TListView::TListView;
    int endings = 0;

protected:
    void UpdateEnding() override {
        ++endings;
        AlphaSort();
    }
};

TEST_F(ListFixture, TheOutermostUpdateEndLetsTheListViewChangeItemsFirst) {
    auto* sorting = CreateNamed<SortingAtUpdateEnd>(form, "Sorting");
    sorting->SetParent(form);
    sorting->SetViewStyle(vsReport);
    sorting->Columns()->Add()->SetCaption("Code");
    int resets = 0;
    QObject::connect(sorting->View()->model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    sorting->Items()->BeginUpdate();
    sorting->Items()->BeginUpdate();
    for (const char* caption : {"c", "a", "b"}) sorting->Items()->Add()->SetCaption(caption);
    sorting->Items()->EndUpdate();
    EXPECT_EQ(sorting->endings, 0);
    EXPECT_EQ(sorting->Items()->Item(0)->Caption(), "c");
    sorting->Items()->EndUpdate();
    EXPECT_EQ(sorting->endings, 1);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(sorting->View()->model()->index(0, 0).data().toString(), "a");
    EXPECT_EQ(sorting->View()->model()->index(2, 0).data().toString(), "c");
}

TEST_F(ListFixture, ColumnWidthsHonourLimitsAndAutoSize) {
    lv->SetViewStyle(vsReport);
    Fill({{"A01", "A rather long name for the column", "1"}});
    auto* header = static_cast<QTreeView*>(lv->View())->header();
    TListColumn* c = lv->Column(0);
    c->SetWidth(80);
    EXPECT_EQ(header->sectionSize(0), 80);
    c->setProperty("MinWidth", 100);
    EXPECT_EQ(c->Width(), 100);
    c->SetMaxWidth(120);
    c->SetWidth(300);
    EXPECT_EQ(c->Width(), 120);
    EXPECT_EQ(header->sectionSize(0), 120);
    // The user's resizing is clamped too.
    header->resizeSection(0, 500);
    EXPECT_EQ(c->Width(), 120);
    EXPECT_EQ(header->sectionSize(0), 120);
    // -1 fits the contents, -2 the contents and the caption.
    lv->Column(1)->SetWidth(-1);
    const QFontMetrics fm(lv->View()->font());
    EXPECT_GE(lv->Column(1)->Width(), fm.horizontalAdvance("A rather long name for the column"));
    lv->Column(2)->SetCaption("A wide caption");
    lv->Column(2)->SetWidth(-2);
    EXPECT_GE(lv->Column(2)->Width(), fm.horizontalAdvance("A wide caption"));
    // Column clicks reach OnColumnClick unless ColumnClick is off.
    std::vector<int> clicked;
    lv->OnColumnClick = [&](TObject*, TListColumn* column) { clicked.push_back(column->Index()); };
    emit header->sectionClicked(2);
    lv->SetColumnClick(false);
    emit header->sectionClicked(1);
    EXPECT_EQ(clicked, (std::vector<int>{2}));
}

TEST_F(ListFixture, EditingAsksOnEditingAndOnEditedMayChangeTheText) {
    lv->SetViewStyle(vsReport);
    Fill({{"A"}, {"B"}});
    bool allowEdit = false;
    int asked = 0;
    lv->OnEditing = [&](TObject*, TListItem*, bool& allow) {
        ++asked;
        allow = allowEdit;
    };
    lv->OnEdited = [](TObject*, TListItem*, QString& s) { s = s.trimmed().toUpper(); };
    form->Show();
    EXPECT_FALSE(lv->Items()->Item(0)->EditCaption());
    allowEdit = true;
    EXPECT_TRUE(lv->Items()->Item(0)->EditCaption());
    EXPECT_EQ(asked, 2);
    Model()->setData(Model()->index(0, 0), " new ", Qt::EditRole);
    EXPECT_EQ(lv->Items()->Item(0)->Caption(), "NEW");
    lv->SetReadOnly(true);
    EXPECT_FALSE(Model()->flags(Model()->index(1, 0)) & Qt::ItemIsEditable);
}

// ---- tool bar ---------------------------------------------------------------------

TEST(ToolBar, ButtonsLayOutInOrderClickAndStayDown) {
    auto* form = TForm::Create<TForm>(nullptr);
    auto* bar = CreateNamed<TToolBar>(form, "ToolBar1");
    bar->SetParent(form);
    bar->SetButtonWidth(30);
    TToolButton* b[4];
    const TToolButtonStyle styles[] = {tbsButton, tbsSeparator, tbsCheck, tbsCheck};
    for (int i = 0; i < 4; ++i) {
        b[i] = CreateNamed<TToolButton>(form, QString("tb%1").arg(i));
        b[i]->SetParent(bar);
        b[i]->setProperty("Style", QVariant::fromValue(styles[i]));
        b[i]->SetCaption(QString("B%1").arg(i));
    }
    EXPECT_EQ(bar->ButtonCount(), 4);
    EXPECT_EQ(b[0]->Left(), 0);
    EXPECT_EQ(b[1]->Left(), 30);
    EXPECT_EQ(b[1]->Width(), 8);
    EXPECT_EQ(b[2]->Left(), 38);
    EXPECT_EQ(b[3]->Left(), 68);
    EXPECT_EQ(b[3]->Height(), 22);
    std::vector<QString> clicks;
    for (TToolButton* button : b) button->OnClick = [&clicks](TObject* s) { clicks.push_back(static_cast<TToolButton*>(s)->Caption()); };
    form->Show();
    for (TToolButton* button : b) ClickAt(button->Handle(), QPoint(4, 4));
    EXPECT_EQ(clicks, (std::vector<QString>{"B0", "B2", "B3"}));
    EXPECT_TRUE(b[2]->Down());
    EXPECT_FALSE(b[0]->Down());
    b[2]->Click();
    EXPECT_FALSE(b[2]->Down());
    // Grouped check buttons: one down at a time, and the down one stays down.
    b[2]->SetGrouped(true);
    b[3]->SetGrouped(true);
    b[2]->Click();
    EXPECT_TRUE(b[2]->Down());
    EXPECT_FALSE(b[3]->Down());
    b[3]->Click();
    EXPECT_FALSE(b[2]->Down());
    b[3]->Click();
    EXPECT_TRUE(b[3]->Down());
    // A disabled button does not click.
    clicks.clear();
    b[0]->SetEnabled(false);
    b[0]->Click();
    EXPECT_TRUE(clicks.empty());
    // Images and captions.
    TImageList images(nullptr);
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    images.Add(red);
    b[0]->SetImageIndex(0);
    bar->setProperty("Images", QVariant::fromValue<TCustomImageList*>(&images));
    auto* qb = static_cast<QToolButton*>(b[0]->Handle());
    EXPECT_FALSE(qb->icon().isNull());
    EXPECT_EQ(qb->toolButtonStyle(), Qt::ToolButtonIconOnly);
    bar->setProperty("ShowCaptions", true);
    EXPECT_EQ(qb->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    bar->setProperty("Flat", true);
    EXPECT_TRUE(qb->autoRaise());
    for (const char* name : {"Caption", "ImageIndex", "Style", "Down", "Hint", "Enabled", "OnClick"})
        EXPECT_TRUE(b[0]->property(name).isValid()) << name;
    for (const char* name : {"Images", "ShowCaptions", "Flat", "ButtonWidth", "ButtonHeight"})
        EXPECT_TRUE(bar->property(name).isValid()) << name;
    delete b[1];
    EXPECT_EQ(bar->ButtonCount(), 3);
    EXPECT_EQ(b[2]->Left(), qMax(30, b[0]->Width()));
    form->Free();
}

// ---- animation --------------------------------------------------------------------

// Delivers one tick of the animation's timer, as the event loop would.
void Tick(TAnimate& anim) {
    QTimer* timer = anim.findChild<QTimer*>();
    ASSERT_TRUE(timer);
    QTimerEvent tick(timer->timerId());
    QApplication::sendEvent(timer, &tick);
}

TEST(Animate, StockClipHasDistinctSmallFrames) {
    for (TCommonAVI avi : {aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile, aviRecycleFile,
                           aviEmptyRecycle, aviDeleteFile}) {
        const auto frames = CommonAviFrames(avi);
        ASSERT_EQ(frames.size(), 8u) << avi;
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].size(), QSize(16, 16));
            EXPECT_NE(frames[i], frames[(i + 1) % frames.size()]) << avi << " frame " << i;
        }
    }
    EXPECT_TRUE(CommonAviFrames(aviNone).empty());
}

TEST(Animate, FramesAdvanceOnlyWhileActive) {
    TAnimate anim(nullptr);
    anim.setProperty("CommonAVI", "aviFindFile");
    EXPECT_EQ(anim.FrameCount(), 8);
    EXPECT_EQ(anim.Width(), 16);  // AutoSize
    anim.SetStopFrame(3);
    EXPECT_EQ(anim.Frame(), 1);
    Tick(anim);
    EXPECT_EQ(anim.Frame(), 1);
    EXPECT_FALSE(anim.findChild<QTimer*>()->isActive());
    int starts = 0;
    int stops = 0;
    anim.OnStart = [&](TObject*) { ++starts; };
    anim.OnStop = [&](TObject*) { ++stops; };
    anim.setProperty("Active", true);
    EXPECT_TRUE(anim.findChild<QTimer*>()->isActive());
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        Tick(anim);
        seen.push_back(anim.Frame());
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 1, 2, 3}));
    anim.SetActive(false);
    EXPECT_FALSE(anim.findChild<QTimer*>()->isActive());
    Tick(anim);
    EXPECT_EQ(anim.Frame(), 3);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(stops, 1);
    // A counted play stops by itself.
    anim.Play(7, 8, 1);
    Tick(anim);
    Tick(anim);
    EXPECT_FALSE(anim.Active());
    EXPECT_EQ(stops, 2);
    anim.Seek(5);
    EXPECT_EQ(anim.Frame(), 5);
}

TEST(Animate, ActiveFromAFormResourceStartsWhenLoadingEnds) {
    TComponent owner(nullptr);
    owner.BeginLoading();
    auto* anim = new TAnimate(&owner);
    anim->SetActive(true);
    anim->SetCommonAVI(aviFindFile);
    anim->SetStopFrame(8);
    EXPECT_FALSE(anim->Active());
    owner.EndLoading();
    EXPECT_TRUE(anim->Active());
    // No clip: nothing to play.
    TAnimate empty(nullptr);
    empty.SetActive(true);
    EXPECT_FALSE(empty.Active());
}

// ---- a look at it -----------------------------------------------------------------

TEST(ComCtrlsLook, FormWithOwnerDrawnTabsAndReportList) {
    auto* form = TForm::Create<PageForm>();
    form->SetBounds(0, 0, 420, 320);
    form->pc->SetBounds(8, 8, 400, 300);
    form->pc->SetOwnerDraw(true);
    form->pc->SetTabWidth(100);
    form->pc->SetTabHeight(22);
    form->pc->OnDrawTab = [](TPageControl* pc, int tab, const QRect& rect, bool active) {
        QPainter* canvas = pc->Canvas();
        canvas->fillRect(rect, active ? ColorToQColor(clActiveCaption) : QColor(Qt::lightGray));
        QFont font = canvas->font();
        font.setBold(active);
        canvas->setFont(font);
        canvas->setPen(active ? Qt::white : Qt::black);
        canvas->drawText(rect, Qt::AlignCenter, pc->PageForTab(tab)->Caption());
    };
    form->sheets[2]->SetTabVisible(false);
    auto* lv = CreateNamed<TListView>(form, "lvRows");
    lv->SetParent(form->sheets[0]);
    lv->SetBounds(10, 40, 370, 200);
    lv->SetViewStyle(vsReport);
    lv->SetRowSelect(true);
    lv->SetGridLines(true);
    lv->SetHideSelection(false);
    for (const char* caption : {"代码", "名称", "金额"}) lv->Columns()->Add()->SetCaption(caption);
    lv->Column(2)->SetAlignment(taRightJustify);
    const char* rows[][3] = {{"C01", "芬摩科技", "1200.50"}, {"C02", "Second company", "88.00"}, {"C03", "Third", "7"}};
    for (auto& row : rows) {
        TListItem* item = lv->Items()->Add();
        item->SetCaption(row[0]);
        item->SubItems()->Add(row[1]);
        item->SubItems()->Add(row[2]);
    }
    lv->Column(1)->SetWidth(-2);
    lv->Items()->Item(1)->SetSelected(true);
    form->Show();
    const QImage shot = form->Handle()->grab().toImage();
    EXPECT_TRUE(shot.save("/tmp/p3.png"));
    EXPECT_EQ(shot.size(), QSize(420, 320));
    form->Free();
}

}  // namespace
}  // namespace kv

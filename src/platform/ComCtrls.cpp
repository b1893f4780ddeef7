#include "platform/ComCtrls.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QEvent>
#include <QHeaderView>
#include <QImageReader>
#include <QItemSelectionModel>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "platform/Forms.h"

namespace kv {

// ---- page control -----------------------------------------------------------------

namespace {

// Gap between the page area and the control's edge (the tab frame).
constexpr int kPageMargin = 4;

// The page control's widget: draws the frame around the pages.
class TPageControlWidget : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        auto* pc = qobject_cast<TPageControl*>(TControl::FromWidget(this));
        if (!pc || pc->Handle() != this || pc->Style() != tsTabs) return;
        QStylePainter p(this);
        QStyleOptionTabWidgetFrame opt;
        opt.initFrom(this);
        opt.rect = pc->DisplayRect().adjusted(-kPageMargin + 1, -kPageMargin + 1, kPageMargin - 1, kPageMargin - 1);
        p.drawPrimitive(QStyle::PE_FrameTabWidget, opt);
    }
};

}  // namespace

// The tab row. Tab sizes follow TabWidth/TabHeight; owner-drawn tabs are painted
// by the page control.
class TTabBarWidget : public QTabBar {
public:
    TTabBarWidget(TPageControl* control, QWidget* parent) : QTabBar(parent), FControl(control) {}

protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        const bool vertical = shape() == RoundedWest || shape() == RoundedEast;
        if (FControl->TabWidth() > 0) (vertical ? size.rheight() : size.rwidth()) = FControl->TabWidth();
        if (FControl->TabHeight() > 0) (vertical ? size.rwidth() : size.rheight()) = FControl->TabHeight();
        return size;
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void paintEvent(QPaintEvent* event) override {
        if (!FControl->OwnerDraw()) {
            QTabBar::paintEvent(event);
            return;
        }
        QStylePainter p(this);
        FControl->PaintOwnerDrawnTabs(p);
    }

private:
    TPageControl* FControl;
};

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QWidget>()) {}

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetPageControl(TPageControl* pageControl) { SetParent(pageControl); }

void TTabSheet::SetParent(TWinControl* parent) {
    auto* pc = qobject_cast<TPageControl*>(parent);
    if (FPageControl && FPageControl != pc) FPageControl->RemovePage(this);
    TWinControl::SetParent(parent);
    if (pc && FPageControl != pc) pc->InsertPage(this);
}

void TTabSheet::SetTabVisible(bool on) {
    if (on == FTabVisible) return;
    FTabVisible = on;
    if (FPageControl) FPageControl->PageTabChanged(this);
}

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    const auto& pages = FPageControl->FPages;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index) {
    if (!FPageControl) return;
    auto& pages = FPageControl->FPages;
    pages.erase(std::find(pages.begin(), pages.end(), this));
    index = std::clamp(index, 0, static_cast<int>(pages.size()));
    pages.insert(pages.begin() + index, this);
    FPageControl->RebuildTabs();
}

int TTabSheet::TabIndex() const {
    if (!FPageControl || !FTabVisible) return -1;
    int tab = 0;
    for (TTabSheet* page : FPageControl->FPages) {
        if (page == this) return tab;
        if (page->TabVisible()) ++tab;
    }
    return -1;
}

void TTabSheet::SetImageIndex(int index) {
    FImageIndex = index;
    if (FPageControl) FPageControl->RebuildTabs();
}

void TTabSheet::SetText(const QString& text) {
    TWinControl::SetText(text);
    if (FPageControl) FPageControl->RebuildTabs();
}

bool TTabSheet::WidgetEvent(QWidget* widget, QEvent* event) {
    // Window minimise/restore is no change of the page shown, and a form being
    // torn down runs no more handlers.
    const bool tearingDown = IsDestroying() || (Owner() && Owner()->IsDestroying());
    if (widget == FHandle && !event->spontaneous() && !tearingDown) {
        if (event->type() == QEvent::Show && !FOnScreen) {
            FOnScreen = true;
            DoShow();
        } else if (event->type() == QEvent::Hide && FOnScreen) {
            FOnScreen = false;
            DoHide();
        }
    }
    return TWinControl::WidgetEvent(widget, event);
}

void TTabSheet::DoShow() {
    if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
    if (OnHide) OnHide(this);
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner, NewWidget<TPageControlWidget>()) {
    FTabBar = new TTabBarWidget(this, FHandle);
    FTabBar->setFocusPolicy(Qt::NoFocus);
    FTabBar->setDrawBase(false);
    FTabBar->setExpanding(false);
    FTabBar->show();
    connect(FTabBar, &QTabBar::currentChanged, this, [this](int index) {
        if (!FRebuilding) UserSelectedTab(index);
    });
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
    // The base destructor unparents the sheets after this part is gone.
    for (TTabSheet* page : FPages) page->FPageControl = nullptr;
    FPages.clear();
    FActivePage = nullptr;
}

QTabBar* TPageControl::TabBar() const { return FTabBar; }

TTabSheet* TPageControl::Pages(int index) const {
    if (index < 0 || index >= PageCount()) throw std::out_of_range("Page index out of bounds");
    return FPages[static_cast<size_t>(index)];
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? Pages(index) : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->FPageControl != this) return;
    ChangeActivePage(page);
}

int TPageControl::TabIndex() const { return FActivePage ? FActivePage->TabIndex() : -1; }

void TPageControl::SetTabIndex(int index) {
    if (index == -1) {
        ChangeActivePage(nullptr);
        return;
    }
    if (TTabSheet* page = PageForTab(index)) ChangeActivePage(page);
}

TTabSheet* TPageControl::PageForTab(int tabIndex) const {
    if (tabIndex < 0) return nullptr;
    for (TTabSheet* page : FPages)
        if (page->TabVisible() && tabIndex-- == 0) return page;
    return nullptr;
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
    const int n = PageCount();
    if (n == 0) return nullptr;
    int start = current ? current->PageIndex() : -1;
    if (start < 0 || start >= n) start = goForward ? n - 1 : 0;
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TTabSheet* page = FPages[static_cast<size_t>(i)];
        if (!checkTabVisible || page->TabVisible()) return page;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible) {
    TTabSheet* page = FindNextPage(FActivePage, goForward, checkTabVisible);
    if (!page || page == FActivePage || !CanChange()) return;
    ChangeActivePage(page);
    Change();
}

bool TPageControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TPageControl::Change() {
    if (OnChange) OnChange(this);
}

void TPageControl::UserSelectedTab(int tabIndex) {
    TTabSheet* page = PageForTab(tabIndex);
    if (!page || page == FActivePage) return;
    if (!CanChange()) {
        // Refused: the tab row goes back to the page that stays.
        FRebuilding = true;
        if (TabIndex() >= 0) FTabBar->setCurrentIndex(TabIndex());
        FRebuilding = false;
        return;
    }
    ChangeActivePage(page);
    Change();
}

void TPageControl::ChangeActivePage(TTabSheet* page) {
    if (page == FActivePage) {
        RebuildTabs();
        return;
    }
    TForm* form = GetParentForm(this);
    QPointer<TTabSheet> old = FActivePage;
    const bool focusOnOld = form && old && form->ActiveControl() && old->ContainsControl(form->ActiveControl());
    FActivePage = page;
    if (page) {
        page->BringToFront();
        page->SetVisible(true);
    }
    RebuildTabs();
    // The focus leaves the old page before it hides, so it does not wander.
    if (focusOnOld) {
        if (page && page->CanFocus())
            page->SetFocus();
        else if (CanFocus())
            SetFocus();
    }
    if (old && old != FActivePage) old->SetVisible(false);
}

void TPageControl::InsertPage(TTabSheet* page) {
    FPages.push_back(page);
    page->FPageControl = this;
    page->SetVisible(false);
    if (!FActivePage && page->TabVisible())
        ChangeActivePage(page);
    else
        RebuildTabs();
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end()) return;
    const int tab = page->TabIndex();
    FPages.erase(it);
    page->FPageControl = nullptr;
    if (page == FActivePage) {
        FActivePage = nullptr;
        if (!IsDestroying()) {
            // The tab that takes the removed one's place, or the last.
            int visible = 0;
            for (TTabSheet* p : FPages) visible += p->TabVisible() ? 1 : 0;
            ChangeActivePage(visible > 0 ? PageForTab(std::clamp(tab, 0, visible - 1)) : nullptr);
        }
    }
    RebuildTabs();
}

void TPageControl::PageTabChanged(TTabSheet* page) {
    if (!page->TabVisible() && page == FActivePage) {
        // A hidden active tab hands over to the tab now in its place.
        int tab = 0;
        for (TTabSheet* p : FPages) {
            if (p == page) break;
            if (p->TabVisible()) ++tab;
        }
        int visible = 0;
        for (TTabSheet* p : FPages) visible += p->TabVisible() ? 1 : 0;
        ChangeActivePage(visible > 0 ? PageForTab(std::min(tab, visible - 1)) : nullptr);
        return;
    }
    if (page->TabVisible() && !FActivePage) {
        ChangeActivePage(page);
        return;
    }
    RebuildTabs();
}

void TPageControl::RebuildTabs() {
    if (!FTabBar) return;
    FRebuilding = true;
    while (FTabBar->count() > 0) FTabBar->removeTab(FTabBar->count() - 1);
    for (TTabSheet* page : FPages) {
        if (!page->TabVisible()) continue;
        const int i = FTabBar->addTab(page->Caption());
        if (FImages && page->ImageIndex() >= 0) FTabBar->setTabIcon(i, QIcon(FImages->Pixmap(page->ImageIndex())));
    }
    if (TabIndex() >= 0) FTabBar->setCurrentIndex(TabIndex());
    FRebuilding = false;
    LayoutPages();
}

QRect TPageControl::DisplayRect() const {
    const QRect all(0, 0, Width(), Height());
    const QRect bar = FTabBar->count() > 0 ? FTabBar->geometry() : QRect();
    QRect r = all;
    switch (FTabPosition) {
        case tpTop: r.setTop(bar.isNull() ? 0 : bar.bottom() + 1); break;
        case tpBottom: r.setBottom(bar.isNull() ? all.bottom() : bar.top() - 1); break;
        case tpLeft: r.setLeft(bar.isNull() ? 0 : bar.right() + 1); break;
        case tpRight: r.setRight(bar.isNull() ? all.right() : bar.left() - 1); break;
    }
    return r.adjusted(kPageMargin, kPageMargin, -kPageMargin, -kPageMargin);
}

QRect TPageControl::TabRect(int tabIndex) const {
    if (tabIndex < 0 || tabIndex >= FTabBar->count()) return QRect();
    return FTabBar->tabRect(tabIndex).translated(FTabBar->pos());
}

void TPageControl::LayoutPages() {
    if (!FTabBar || !FHandle) return;
    const QSize hint = FTabBar->sizeHint();
    const int w = Width();
    const int h = Height();
    switch (FTabPosition) {
        case tpTop: FTabBar->setGeometry(2, 0, std::min(hint.width(), std::max(0, w - 4)), hint.height()); break;
        case tpBottom:
            FTabBar->setGeometry(2, h - hint.height(), std::min(hint.width(), std::max(0, w - 4)), hint.height());
            break;
        case tpLeft: FTabBar->setGeometry(0, 2, hint.width(), std::min(hint.height(), std::max(0, h - 4))); break;
        case tpRight:
            FTabBar->setGeometry(w - hint.width(), 2, hint.width(), std::min(hint.height(), std::max(0, h - 4)));
            break;
    }
    FTabBar->setVisible(FTabBar->count() > 0);
    const QRect display = DisplayRect();
    for (TTabSheet* page : FPages) page->SetBounds(display.x(), display.y(), display.width(), display.height());
    FHandle->update();
}

bool TPageControl::WidgetEvent(QWidget* widget, QEvent* event) {
    if (widget == FHandle && event->type() == QEvent::Resize) LayoutPages();
    return TWinControl::WidgetEvent(widget, event);
}

void TPageControl::SetStyle(TTabStyle style) {
    FStyle = style;
    FTabBar->setDocumentMode(style != tsTabs);
    LayoutPages();
}

void TPageControl::SetTabHeight(int height) {
    FTabHeight = std::max(0, height);
    RebuildTabs();
}

void TPageControl::SetTabWidth(int width) {
    FTabWidth = std::max(0, width);
    RebuildTabs();
}

void TPageControl::SetTabPosition(TTabPosition position) {
    FTabPosition = position;
    static const QTabBar::Shape shapes[] = {QTabBar::RoundedNorth, QTabBar::RoundedSouth, QTabBar::RoundedWest,
                                           QTabBar::RoundedEast};
    FTabBar->setShape(shapes[position]);
    RebuildTabs();
}

void TPageControl::SetOwnerDraw(bool on) {
    FOwnerDraw = on;
    FTabBar->update();
}

void TPageControl::SetMultiLine(bool on) {
    // Qt's tab row is one line; without scroll buttons every tab stays reachable
    // only when the row fits, so MultiLine keeps them all laid out instead.
    FMultiLine = on;
    FTabBar->setUsesScrollButtons(!on);
    LayoutPages();
}

void TPageControl::SetHotTrack(bool on) {
    FHotTrack = on;
    FTabBar->setAttribute(Qt::WA_Hover, on);
}

void TPageControl::SetImages(TCustomImageList* images) {
    if (FImages) disconnect(FImages, nullptr, this, nullptr);
    FImages = images;
    if (images) connect(images, &TCustomImageList::Changed, this, [this] { RebuildTabs(); });
    RebuildTabs();
}

void TPageControl::PaintOwnerDrawnTabs(QPainter& painter) {
    for (int i = 0; i < FTabBar->count(); ++i) {
        QStyleOptionTab opt;
        opt.initFrom(FTabBar);
        opt.rect = FTabBar->tabRect(i);
        opt.shape = FTabBar->shape();
        opt.text.clear();
        // The tab row always has a current tab; the active page may have none
        // (its tab hidden), and then no tab is drawn as active.
        const bool active = i == TabIndex();
        if (active) opt.state |= QStyle::State_Selected;
        FTabBar->style()->drawControl(QStyle::CE_TabBarTabShape, &opt, &painter, FTabBar);
        painter.save();
        FCanvas = &painter;
        DrawTab(i, FTabBar->tabRect(i).adjusted(2, 2, -2, -2), active);
        FCanvas = nullptr;
        painter.restore();
    }
}

void TPageControl::DrawTab(int tabIndex, const QRect& rect, bool active) {
    if (OnDrawTab) {
        OnDrawTab(this, tabIndex, rect, active);
        return;
    }
    QPainter* p = Canvas();
    if (!p) return;
    p->fillRect(rect, ColorToQColor(clBtnFace));
    if (TTabSheet* page = PageForTab(tabIndex)) {
        p->setPen(ColorToQColor(clBtnText));
        p->drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, page->Caption());
    }
}

// ---- list view --------------------------------------------------------------------

namespace {
bool ViewIsEditing(const QAbstractItemView* view);
}  // namespace

void TListColumn::SetCaption(const QString& caption) {
    if (caption == FCaption) return;
    FCaption = caption;
    Changed();
}

int TListColumn::Clamped(int width) const {
    if (FMinWidth > 0 && width < FMinWidth) width = FMinWidth;
    if (FMaxWidth > 0 && width > FMaxWidth) width = FMaxWidth;
    return std::max(0, width);
}

void TListColumn::SetWidth(int width) {
    if (width < 0) {
        auto* columns = qobject_cast<TListColumns*>(Collection());
        TListView* lv = columns ? columns->Owner() : nullptr;
        width = lv ? lv->AutoWidth(Index(), width == -2) : 50;
    }
    width = Clamped(width);
    if (width == FWidth) return;
    FWidth = width;
    Changed();
}

void TListColumn::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    Changed();
}

void TListColumn::SetAutoSize(bool on) {
    FAutoSize = on;
    Changed();
}

void TListColumn::SetMinWidth(int width) {
    FMinWidth = std::max(0, width);
    FWidth = Clamped(FWidth);
    Changed();
}

void TListColumn::SetMaxWidth(int width) {
    FMaxWidth = std::max(0, width);
    FWidth = Clamped(FWidth);
    Changed();
}

void TListColumn::SetImageIndex(int index) {
    FImageIndex = index;
    Changed();
}

bool TListColumn::Assign(const TPersistent* source) {
    auto* other = qobject_cast<const TListColumn*>(source);
    if (!other) return false;
    FCaption = other->FCaption;
    FAlignment = other->FAlignment;
    FAutoSize = other->FAutoSize;
    FMinWidth = other->FMinWidth;
    FMaxWidth = other->FMaxWidth;
    FImageIndex = other->FImageIndex;
    FWidth = other->FWidth;
    Tag = other->Tag;
    Changed();
    return true;
}

TListColumns::TListColumns(TListView* owner)
    : TCollection([](TCollection* c) { return new TListColumn(c); }, owner), FOwner(owner) {}

TListColumn* TListColumns::Add() { return static_cast<TListColumn*>(TCollection::Add()); }

TListColumn* TListColumns::Items(int index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }

bool TListColumns::Assign(const TPersistent* source) {
    auto* other = qobject_cast<const TListColumns*>(source);
    if (!other) return false;
    if (other == this) return true;
    Clear();
    for (int i = 0; i < other->Count(); ++i) Add()->Assign(other->Items(i));
    return true;
}

TListItem::TListItem(TListItems* owner) : FOwner(owner) {}

TListItem::~TListItem() {
    if (FOwner) FOwner->FOwner->ItemRemoving(this);
    delete FSubItems;
}

TListView* TListItem::ListView() const { return FOwner ? FOwner->Owner() : nullptr; }

int TListItem::Index() const {
    if (FOwner && FIndex >= FOwner->FNumbered) FOwner->Renumber();
    return FIndex;
}

void TListItem::SetCaption(const QString& caption) {
    if (caption == FCaption) return;
    TListView* lv = ListView();
    if (lv && !lv->CanChange(this, ctText)) return;
    FCaption = caption;
    if (lv) lv->ItemChanged(this, ctText);
}

TStrings* TListItem::SubItems() const {
    if (!FSubItems) {
        FSubItems = new TStringList();
        auto* self = const_cast<TListItem*>(this);
        QObject::connect(FSubItems, &TStrings::Changed, self, [self] {
            if (TListView* lv = self->ListView()) lv->ItemChanged(self, ctText);
        });
    }
    return FSubItems;
}

void TListItem::SetSubItems(TStrings* subItems) {
    if (subItems && subItems != FSubItems) SubItems()->Assign(subItems);
}

void TListItem::SetImageIndex(int index) {
    if (index == FImageIndex) return;
    TListView* lv = ListView();
    if (lv && !lv->CanChange(this, ctImage)) return;
    FImageIndex = index;
    if (lv) lv->ItemChanged(this, ctImage);
}

void TListItem::SetSelected(bool on) {
    if (TListView* lv = ListView())
        lv->SetItemSelected(this, on);
    else
        FSelected = on;
}

void TListItem::SetFocused(bool on) {
    if (TListView* lv = ListView())
        lv->SetItemFocusedState(this, on);
    else
        FFocused = on;
}

void TListItem::SetData(void* data) {
    FData = data;
    if (TListView* lv = ListView())
        if (lv->SortType() == stData || lv->SortType() == stBoth) lv->SortIfAutomatic();
}

void TListItem::Delete() { delete this; }

void TListItem::MakeVisible(bool) {
    TListView* lv = ListView();
    if (!lv || lv->Updating() || !lv->View()) return;
    lv->View()->scrollTo(lv->View()->model()->index(Index(), 0), QAbstractItemView::EnsureVisible);
}

bool TListItem::EditCaption() {
    TListView* lv = ListView();
    if (!lv || lv->ReadOnly() || lv->Updating() || !lv->View() || !lv->CanEdit(this)) return false;
    const QModelIndex index = lv->View()->model()->index(Index(), 0);
    lv->View()->setCurrentIndex(index);
    // Already asked: the view does not ask again.
    lv->FEditApproved = true;
    lv->View()->edit(index);
    lv->FEditApproved = false;
    return ViewIsEditing(lv->View());
}

bool TListItem::Assign(const TPersistent* source) {
    auto* other = qobject_cast<const TListItem*>(source);
    if (!other) return false;
    SetCaption(other->FCaption);
    SetImageIndex(other->FImageIndex);
    if (other->FSubItems)
        SubItems()->Assign(other->FSubItems);
    else if (FSubItems)
        FSubItems->Clear();
    SetData(other->FData);
    return true;
}

TListItems::TListItems(TListView* owner) : TPersistent(owner), FOwner(owner) {}

TListItems::~TListItems() { Clear(); }

TListItem* TListItems::Item(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return FItems[static_cast<size_t>(index)];
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int index) {
    if (index < 0 || index > Count()) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    FOwner->ItemInserting(index);
    auto* item = new TListItem(this);
    FItems.insert(FItems.begin() + index, item);
    item->FIndex = index;
    const bool appendedToNumbered = index == Count() - 1 && FNumbered >= index;
    PositionsChangedFrom(index);
    if (appendedToNumbered) FNumbered = Count();
    FOwner->ItemInserted(item);
    return item;
}

void TListItems::Delete(int index) { delete Item(index); }

void TListItems::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty()) delete FItems.back();
    EndUpdate();
}

int TListItems::IndexOf(const TListItem* item) const {
    return item && item->FOwner == this ? item->Index() : -1;
}

void TListItems::BeginUpdate() { FOwner->BeginUpdate(); }
void TListItems::EndUpdate() { FOwner->EndUpdate(); }

void TListItems::Renumber() const {
    for (size_t i = static_cast<size_t>(FNumbered); i < FItems.size(); ++i) FItems[i]->FIndex = static_cast<int>(i);
    FNumbered = Count();
}

bool TListItems::Assign(const TPersistent* source) {
    auto* other = qobject_cast<const TListItems*>(source);
    if (!other) return false;
    if (other == this) return true;
    BeginUpdate();
    Clear();
    for (TListItem* item : other->FItems) Add()->Assign(item);
    EndUpdate();
    return true;
}

// The list view's items as a table for Qt's views. Rows are read straight from the
// items; while the list is being updated no signal goes out and the view is reset
// once at the end.
class TListViewModel : public QAbstractTableModel {
public:
    explicit TListViewModel(TListView* lv) : QAbstractTableModel(lv), FListView(lv) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : FListView->FItems->Count();
    }
    int columnCount(const QModelIndex& parent) const override {
        if (parent.isValid()) return 0;
        return FListView->FViewStyle == vsReport ? FListView->FColumns->Count() : 1;
    }
    TListItem* ItemAt(const QModelIndex& index) const {
        if (!index.isValid() || index.row() >= FListView->FItems->Count()) return nullptr;
        return FListView->FItems->FItems[static_cast<size_t>(index.row())];
    }
    QVariant data(const QModelIndex& index, int role) const override {
        TListItem* item = ItemAt(index);
        if (!item) return {};
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                if (index.column() == 0) return item->FCaption;
                if (item->FSubItems && index.column() - 1 < item->FSubItems->Count())
                    return item->FSubItems->Strings(index.column() - 1);
                return QString();
            case Qt::DecorationRole: {
                if (index.column() != 0) return {};
                const QPixmap pm = FListView->ItemImage(item);
                return pm.isNull() ? QVariant() : QVariant(pm);
            }
            case Qt::TextAlignmentRole: return Alignment(index.column());
            default: return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= FListView->FColumns->Count()) return {};
        if (role == Qt::DisplayRole) return FListView->Column(section)->Caption();
        if (role == Qt::TextAlignmentRole) return Alignment(section);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 0 && !FListView->FReadOnly) f |= Qt::ItemIsEditable;
        return f;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        TListItem* item = ItemAt(index);
        if (!item || role != Qt::EditRole || index.column() != 0) return false;
        QString text = value.toString();
        QPointer<TListItem> alive(item);
        FListView->Edited(item, text);
        if (alive) item->SetCaption(text);
        return true;
    }
    // Column 0 is always left-aligned, as the classic report view draws it.
    QVariant Alignment(int column) const {
        Qt::Alignment a = Qt::AlignLeft | Qt::AlignVCenter;
        if (FListView->FViewStyle == vsReport && column > 0 && column < FListView->FColumns->Count()) {
            switch (FListView->Column(column)->Alignment()) {
                case taRightJustify: a = Qt::AlignRight | Qt::AlignVCenter; break;
                case taCenter: a = Qt::AlignHCenter | Qt::AlignVCenter; break;
                default: break;
            }
        }
        return QVariant::fromValue(a);
    }

    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void BeginInsert(int row) { beginInsertRows(QModelIndex(), row, row); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(int row) { beginRemoveRows(QModelIndex(), row, row); }
    void EndRemove() { endRemoveRows(); }
    void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, std::max(0, columnCount({}) - 1))); }
    void HeaderChanged() { emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount({}) - 1)); }

private:
    TListView* FListView;
};

// Cells as the classic list view draws them: the selection only on the caption
// unless RowSelect, hidden when unfocused with HideSelection, and grid lines.
class TListDelegate : public QStyledItemDelegate {
public:
    TListDelegate(TListView* lv, QObject* parent) : QStyledItemDelegate(parent), FListView(lv) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        QAbstractItemView* view = FListView->View();
        if (FListView->FViewStyle == vsReport && !FListView->FRowSelect && index.column() > 0)
            opt.state &= ~QStyle::State_Selected;
        if (FListView->FHideSelection && view && !view->hasFocus()) opt.state &= ~QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, opt, index);
        if (FListView->FGridLines && FListView->FViewStyle == vsReport) {
            painter->save();
            painter->setPen(opt.palette.color(QPalette::Midlight));
            painter->drawLine(opt.rect.bottomLeft(), opt.rect.bottomRight());
            painter->drawLine(opt.rect.topRight(), opt.rect.bottomRight());
            painter->restore();
        }
    }

private:
    TListView* FListView;
};

// A Qt view that asks the list view before editing starts.
template <class Base>
class TItemViewOf : public Base {
public:
    TItemViewOf(TListView* lv, QWidget* parent) : Base(parent), FListView(lv) {}
    bool IsEditing() const { return this->state() == QAbstractItemView::EditingState; }
    int ColumnHint(int column) const { return this->sizeHintForColumn(column); }

protected:
    bool edit(const QModelIndex& index, QAbstractItemView::EditTrigger trigger, QEvent* event) override {
        const bool starts = trigger == QAbstractItemView::AllEditTriggers || (trigger & this->editTriggers());
        if (starts && index.isValid() && index.column() == 0 && !FListView->ReadOnly()) {
            if (index.row() >= FListView->Items()->Count()) return false;
            if (!FListView->FEditApproved && !FListView->CanEdit(FListView->Items()->Item(index.row()))) return false;
        }
        return Base::edit(index, trigger, event);
    }

private:
    TListView* FListView;
};

namespace {

bool ViewIsEditing(const QAbstractItemView* view) {
    if (auto* tree = dynamic_cast<const TItemViewOf<QTreeView>*>(view)) return tree->IsEditing();
    if (auto* list = dynamic_cast<const TItemViewOf<QListView>*>(view)) return list->IsEditing();
    return false;
}

// The list view's widget: holds the Qt view that shows the items now.
class TListViewWidget : public QWidget {
public:
    explicit TListViewWidget(QWidget* parent = nullptr) : QWidget(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }
};

QSize ImageSize(const TCustomImageList* images, int fallback) {
    return images ? QSize(images->Width(), images->Height()) : QSize(fallback, fallback);
}

}  // namespace

TListView::TListView(TComponent* AOwner) : TWinControl(AOwner, NewWidget<TListViewWidget>()) {
    FColumns = new TListColumns(this);
    FItems = new TListItems(this);
    FModel = new TListViewModel(this);
    connect(FColumns, &TCollection::Updated, this, [this](TCollectionItem* item) { ColumnsChanged(item); });
    SetClickOnRelease(true);
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 250, 150);
    CreateView();
}

TListView::~TListView() {
    SetComponentStateFlag(csDestroying, true);
    delete FView.data();
    FUpdateCount = 1;
    delete FItems;
    FItems = nullptr;
    FColumns->disconnect(this);
    delete FColumns;
    FColumns = nullptr;
}

QAbstractItemView* TListView::View() const { return FView; }

void TListView::CreateView() {
    const bool wantTree = FViewStyle == vsReport;
    if (FView && (qobject_cast<QTreeView*>(FView) != nullptr) == wantTree) {
        FModel->Reset();
        ApplyViewOptions();
        ApplyColumns();
        PushSelectionToView();
        return;
    }
    const bool hadFocus = FView && FView->hasFocus();
    delete FView.data();
    QAbstractItemView* view = nullptr;
    if (wantTree) {
        auto* tree = new TItemViewOf<QTreeView>(this, FHandle);
        tree->setRootIsDecorated(false);
        tree->setItemsExpandable(false);
        tree->setUniformRowHeights(true);
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionResizeMode(QHeaderView::Interactive);
        connect(tree->header(), &QHeaderView::sectionClicked, this, [this](int section) {
            if (FColumnClick && section >= 0 && section < FColumns->Count()) ColumnClicked(Column(section));
        });
        connect(tree->header(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
            if (FApplyingColumns || section < 0 || section >= FColumns->Count()) return;
            TListColumn* column = Column(section);
            const int clamped = column->Clamped(size);
            column->FWidth = clamped;
            if (clamped != size) {
                FApplyingColumns = true;
                static_cast<QTreeView*>(FView.data())->header()->resizeSection(section, clamped);
                FApplyingColumns = false;
            }
        });
        view = tree;
    } else {
        auto* list = new TItemViewOf<QListView>(this, FHandle);
        list->setUniformItemSizes(true);
        list->setLayoutMode(QListView::Batched);
        list->setResizeMode(QListView::Adjust);
        list->setMovement(QListView::Static);
        view = list;
    }
    FView = view;
    FHandle->layout()->addWidget(view);
    FHandle->setFocusProxy(view);
    view->setModel(FModel);
    view->setItemDelegate(new TListDelegate(this, view));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    RouteEventsFrom(view);
    RouteEventsFrom(view->viewport());
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                Q_UNUSED(selected);
                Q_UNUSED(deselected);
                ViewSelectionChanged();
            });
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ViewCurrentChanged(); });
    ApplyViewOptions();
    ApplyColumns();
    PushSelectionToView();
    view->show();
    if (hadFocus) view->setFocus(Qt::OtherFocusReason);
}

void TListView::ApplyViewOptions() {
    if (!FView) return;
    FView->setSelectionMode(FMultiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    FView->setEditTriggers(FReadOnly ? QAbstractItemView::NoEditTriggers
                                     : QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    if (auto* tree = qobject_cast<QTreeView*>(FView)) {
        tree->header()->setVisible(FShowColumnHeaders);
        tree->header()->setSectionsClickable(FColumnClick);
        tree->setAllColumnsShowFocus(FRowSelect);
        tree->setIconSize(ImageSize(FSmallImages, 16));
    } else if (auto* list = qobject_cast<QListView*>(FView)) {
        switch (FViewStyle) {
            case vsIcon:
                list->setViewMode(QListView::IconMode);
                list->setFlow(QListView::LeftToRight);
                list->setWrapping(true);
                list->setWordWrap(true);
                list->setIconSize(ImageSize(FLargeImages, 32));
                break;
            case vsSmallIcon:
                list->setViewMode(QListView::ListMode);
                list->setFlow(QListView::LeftToRight);
                list->setWrapping(true);
                list->setIconSize(ImageSize(FSmallImages, 16));
                break;
            default:
                list->setViewMode(QListView::ListMode);
                list->setFlow(QListView::TopToBottom);
                list->setWrapping(true);
                list->setIconSize(ImageSize(FSmallImages, 16));
                break;
        }
        list->setMovement(QListView::Static);
        list->setSpacing(2);
    }
    FView->viewport()->update();
}

void TListView::SetViewStyle(TViewStyle style) {
    if (style == FViewStyle) return;
    FViewStyle = style;
    if (!Updating()) CreateView();
}

void TListView::SetColumns(TListColumns* columns) {
    if (columns && columns != FColumns) FColumns->Assign(columns);
}

void TListView::SetItems(TListItems* items) {
    if (items && items != FItems) FItems->Assign(items);
}

void TListView::SetRowSelect(bool on) {
    FRowSelect = on;
    ApplyViewOptions();
}

void TListView::SetReadOnly(bool on) {
    FReadOnly = on;
    ApplyViewOptions();
}

void TListView::SetHideSelection(bool on) {
    FHideSelection = on;
    ApplyViewOptions();
}

void TListView::SetMultiSelect(bool on) {
    if (on == FMultiSelect) return;
    FMultiSelect = on;
    // Single selection keeps only the first selected item.
    if (!on && FSelCount > 1) {
        TListItem* first = Selected();
        for (TListItem* item : FItems->FItems)
            if (item != first && item->FSelected) SetItemSelected(item, false);
    }
    ApplyViewOptions();
}

void TListView::SetGridLines(bool on) {
    FGridLines = on;
    ApplyViewOptions();
}

void TListView::SetShowColumnHeaders(bool on) {
    FShowColumnHeaders = on;
    ApplyViewOptions();
}

void TListView::SetColumnClick(bool on) {
    FColumnClick = on;
    ApplyViewOptions();
}

void TListView::SetSortType(TSortType type) {
    FSortType = type;
    if (type != stNone) SortIfAutomatic();
}

void TListView::SetLargeImages(TCustomImageList* images) {
    if (FLargeImages && FLargeImages != FSmallImages) disconnect(FLargeImages, nullptr, this, nullptr);
    FLargeImages = images;
    if (images) connect(images, &TCustomImageList::Changed, this, &TListView::ImagesChanged, Qt::UniqueConnection);
    ImagesChanged();
}

void TListView::SetSmallImages(TCustomImageList* images) {
    if (FSmallImages && FSmallImages != FLargeImages) disconnect(FSmallImages, nullptr, this, nullptr);
    FSmallImages = images;
    if (images) connect(images, &TCustomImageList::Changed, this, &TListView::ImagesChanged, Qt::UniqueConnection);
    ImagesChanged();
}

void TListView::ImagesChanged() {
    ApplyViewOptions();
    if (FView && !Updating()) ResetModel();
}

QPixmap TListView::ItemImage(const TListItem* item) const {
    const TCustomImageList* images = FViewStyle == vsIcon ? FLargeImages.data() : FSmallImages.data();
    return images ? images->Pixmap(item->FImageIndex) : QPixmap();
}

void TListView::BeginUpdate() { ++FUpdateCount; }

void TListView::EndUpdate() {
    if (FUpdateCount == 0) return;
    // Still inside the update, so whatever the hook changes is shown with the rest.
    if (FUpdateCount == 1 && !IsDestroying()) UpdateEnding();
    if (--FUpdateCount > 0 || IsDestroying()) return;
    if (FSortPending) {
        FSortPending = false;
        if (FSortType != stNone) SortItems(AlphaCompare());
    }
    if (FView && (qobject_cast<QTreeView*>(FView) != nullptr) != (FViewStyle == vsReport))
        CreateView();
    else
        ResetModel();
}

void TListView::ResetModel() {
    FModel->Reset();
    ApplyColumns();
    PushSelectionToView();
}

void TListView::ItemInserting(int index) {
    if (!Updating()) FModel->BeginInsert(index);
}

void TListView::ItemInserted(TListItem* item) {
    if (!Updating()) FModel->EndInsert();
    Insert(item);
}

void TListView::ItemRemoving(TListItem* item) {
    if (!IsDestroying()) Delete(item);
    const int row = item->Index();
    const bool live = !Updating();
    FSyncing = true;
    if (live) FModel->BeginRemove(row);
    FItems->FItems.erase(FItems->FItems.begin() + row);
    FItems->PositionsChangedFrom(row);
    if (item->FSelected) --FSelCount;
    item->FOwner = nullptr;
    if (live) FModel->EndRemove();
    FSyncing = false;
}

void TListView::ItemChanged(TListItem* item, TItemChange change) {
    if (!Updating()) FModel->RowChanged(item->Index());
    Change(item, change);
    if (change == ctText && (FSortType == stText || FSortType == stBoth)) SortIfAutomatic();
}

void TListView::SortIfAutomatic() {
    if (FSortType == stNone) return;
    if (Updating()) {
        FSortPending = true;
        return;
    }
    AlphaSort();
}

bool TListView::CanChange(TListItem* item, TItemChange change) {
    bool allow = true;
    if (OnChanging && !IsDestroying()) OnChanging(this, item, change, allow);
    return allow;
}

void TListView::Change(TListItem* item, TItemChange change) {
    if (OnChange && !IsDestroying()) OnChange(this, item, change);
}

void TListView::SelectItem(TListItem* item, bool selected) {
    if (OnSelectItem && !IsDestroying()) OnSelectItem(this, item, selected);
}

void TListView::ColumnClicked(TListColumn* column) {
    if (OnColumnClick) OnColumnClick(this, column);
}

void TListView::Edited(TListItem* item, QString& text) {
    if (OnEdited) OnEdited(this, item, text);
}

bool TListView::CanEdit(TListItem* item) {
    bool allow = !FReadOnly;
    if (allow && OnEditing) OnEditing(this, item, allow);
    return allow;
}

void TListView::Delete(TListItem* item) {
    if (OnDeletion) OnDeletion(this, item);
}

void TListView::Insert(TListItem* item) {
    if (OnInsert) OnInsert(this, item);
}

void TListView::SetItemSelected(TListItem* item, bool on) {
    if (item->FSelected == on) return;
    QPointer<TListItem> alive(item);
    if (on && !FMultiSelect && FSelCount > 0)
        for (TListItem* other : std::vector<TListItem*>(FItems->FItems))
            if (other != item && other->FSelected) SetItemSelected(other, false);
    if (!alive || item->FSelected == on || !CanChange(item, ctState) || !alive) return;
    item->FSelected = on;
    FSelCount += on ? 1 : -1;
    PushItemStateToView(item);
    Change(item, ctState);
    if (alive) SelectItem(item, on);
}

void TListView::SetItemFocusedState(TListItem* item, bool on) {
    if (item->FFocused == on) return;
    if (on)
        for (TListItem* other : FItems->FItems)
            if (other->FFocused && other != item) {
                other->FFocused = false;
                Change(other, ctState);
            }
    item->FFocused = on;
    PushItemStateToView(item);
    Change(item, ctState);
}

void TListView::PushItemStateToView(TListItem* item) {
    if (!FView || Updating()) return;
    FSyncing = true;
    const QModelIndex index = FModel->index(item->Index(), 0);
    FView->selectionModel()->select(
        index, (item->FSelected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows);
    if (item->FFocused)
        FView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    else if (FView->currentIndex().row() == item->Index())
        FView->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    FSyncing = false;
}

void TListView::PushSelectionToView() {
    if (!FView || Updating()) return;
    FSyncing = true;
    QItemSelection selection;
    const int n = FItems->Count();
    const int lastColumn = std::max(0, FModel->columnCount({}) - 1);
    int focused = -1;
    for (int i = 0; i < n; ++i) {
        const TListItem* item = FItems->FItems[static_cast<size_t>(i)];
        if (item->FFocused) focused = i;
        if (!item->FSelected) continue;
        int j = i;
        while (j + 1 < n && FItems->FItems[static_cast<size_t>(j + 1)]->FSelected) {
            ++j;
            if (FItems->FItems[static_cast<size_t>(j)]->FFocused) focused = j;
        }
        selection.select(FModel->index(i, 0), FModel->index(j, lastColumn));
        i = j;
    }
    FView->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    FView->selectionModel()->setCurrentIndex(focused >= 0 ? FModel->index(focused, 0) : QModelIndex(),
                                             QItemSelectionModel::NoUpdate);
    FSyncing = false;
}

void TListView::ViewSelectionChanged() {
    if (FSyncing || !FView || Updating()) return;
    // The user changed the selection: bring the items along, deselections first,
    // each with its events. A refused change is undone in the view.
    QItemSelectionModel* model = FView->selectionModel();
    std::vector<QPointer<TListItem>> off;
    std::vector<QPointer<TListItem>> on;
    for (TListItem* item : FItems->FItems) {
        const bool selected = model->isSelected(FModel->index(item->Index(), 0));
        if (selected != item->FSelected) (selected ? on : off).push_back(item);
    }
    auto apply = [this](TListItem* item, bool state) {
        if (!item || item->FSelected == state || item->FOwner != FItems) return;
        QPointer<TListItem> alive(item);
        if (!CanChange(item, ctState)) {
            if (alive) PushItemStateToView(item);
            return;
        }
        if (!alive) return;
        item->FSelected = state;
        FSelCount += state ? 1 : -1;
        Change(item, ctState);
        if (alive) SelectItem(item, state);
    };
    for (auto& item : off) apply(item, false);
    for (auto& item : on) apply(item, true);
}

void TListView::ViewCurrentChanged() {
    if (FSyncing || !FView || Updating()) return;
    const int row = FView->currentIndex().row();
    TListItem* current = row >= 0 && row < FItems->Count() ? FItems->Item(row) : nullptr;
    for (TListItem* item : std::vector<TListItem*>(FItems->FItems))
        if (item->FFocused && item != current) {
            item->FFocused = false;
            Change(item, ctState);
        }
    if (current && !current->FFocused) {
        current->FFocused = true;
        Change(current, ctState);
    }
}

TListItem* TListView::Selected() const { return FSelCount > 0 ? GetNextItem(nullptr, true) : nullptr; }

void TListView::SetSelected(TListItem* item) {
    ClearSelection();
    if (item && item->FOwner == FItems) item->SetSelected(true);
}

int TListView::ItemIndex() const {
    TListItem* item = Selected();
    return item ? item->Index() : -1;
}

void TListView::SetItemIndex(int index) {
    if (index < 0 || index >= FItems->Count()) {
        ClearSelection();
        return;
    }
    TListItem* item = FItems->Item(index);
    SetSelected(item);
    item->SetFocused(true);
}

TListItem* TListView::ItemFocused() const {
    for (TListItem* item : FItems->FItems)
        if (item->FFocused) return item;
    return nullptr;
}

void TListView::SetItemFocused(TListItem* item) {
    if (item) {
        item->SetFocused(true);
    } else if (TListItem* current = ItemFocused()) {
        current->SetFocused(false);
    }
}

void TListView::ClearSelection() {
    for (TListItem* item : std::vector<TListItem*>(FItems->FItems)) {
        if (FSelCount == 0) break;
        if (item->FSelected) item->SetSelected(false);
    }
}

void TListView::SelectAll() {
    if (!FMultiSelect) return;
    for (TListItem* item : std::vector<TListItem*>(FItems->FItems)) item->SetSelected(true);
}

TListItem* TListView::GetItemAt(int x, int y) const {
    if (!FView || Updating()) return nullptr;
    const QPoint p = FView->viewport()->mapFrom(FHandle, QPoint(x, y));
    const QModelIndex index = FView->indexAt(p);
    return index.isValid() && index.row() < FItems->Count() ? FItems->Item(index.row()) : nullptr;
}

TListItem* TListView::GetNextItem(TListItem* start, bool selectedOnly) const {
    const int from = start ? start->Index() + 1 : 0;
    for (int i = from; i < FItems->Count(); ++i) {
        TListItem* item = FItems->FItems[static_cast<size_t>(i)];
        if (!selectedOnly || item->FSelected) return item;
    }
    return nullptr;
}

std::function<int(TListItem*, TListItem*)> TListView::AlphaCompare() {
    if (OnCompare) {
        return [this](TListItem* a, TListItem* b) {
            int result = 0;
            OnCompare(this, a, b, 0, result);
            return result;
        };
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return [collator](TListItem* a, TListItem* b) { return collator.compare(a->FCaption, b->FCaption); };
}

bool TListView::AlphaSort() { return CustomSort(AlphaCompare()); }

void TListView::SortItems(const std::function<int(TListItem*, TListItem*)>& compare) {
    auto& items = FItems->FItems;
    if (items.size() < 2) return;
    std::stable_sort(items.begin(), items.end(), [&](TListItem* a, TListItem* b) { return compare(a, b) < 0; });
    FItems->FNumbered = 0;
    FItems->Renumber();
    ItemsRearranged();
}

bool TListView::CustomSort(const std::function<int(TListItem*, TListItem*)>& compare) {
    if (!compare) return false;
    SortItems(compare);
    if (!Updating()) ResetModel();
    return true;
}

bool TListView::ArrangeItems(const std::vector<TListItem*>& order) {
    auto& items = FItems->FItems;
    if (order.size() != items.size()) return false;
    std::vector<char> seen(items.size(), 0);
    for (const TListItem* item : order) {
        if (!item || item->FOwner != FItems) return false;
        char& mark = seen[static_cast<size_t>(item->Index())];
        if (mark) return false;
        mark = 1;
    }
    items = order;
    FItems->FNumbered = 0;
    FItems->Renumber();
    ItemsRearranged();
    if (!Updating()) ResetModel();
    return true;
}

void TListView::ColumnsChanged(TCollectionItem* item) {
    if (Updating() || !FView) return;
    if (!item) {
        // A column came or went: the rows have a new shape.
        ResetModel();
        return;
    }
    FModel->HeaderChanged();
    ApplyColumns();
}

int TListView::AutoWidth(int column, bool withCaption) const {
    int width = 0;
    auto* tree = dynamic_cast<TItemViewOf<QTreeView>*>(FView.data());
    if (tree && !Updating() && column >= 0 && column < FModel->columnCount({}) && FItems->Count() > 0)
        width = tree->ColumnHint(column);
    if ((withCaption || FItems->Count() == 0) && column >= 0 && column < FColumns->Count()) {
        const QFontMetrics fm(Font()->ToQFont());
        width = std::max(width, fm.horizontalAdvance(Column(column)->Caption()) + 16);
    }
    return std::max(width, 8);
}

void TListView::ApplyColumns() {
    auto* tree = qobject_cast<QTreeView*>(FView);
    if (!tree) return;
    FApplyingColumns = true;
    QHeaderView* header = tree->header();
    const int n = std::min(FColumns->Count(), header->count());
    int fixed = 0;
    int autoCount = 0;
    for (int i = 0; i < n; ++i) {
        if (Column(i)->AutoSize())
            ++autoCount;
        else
            fixed += Column(i)->Width();
    }
    const int share = autoCount > 0 ? std::max(0, tree->viewport()->width() - fixed) / autoCount : 0;
    for (int i = 0; i < n; ++i) {
        TListColumn* column = Column(i);
        if (column->AutoSize()) column->FWidth = column->Clamped(share);
        header->resizeSection(i, column->FWidth);
    }
    FApplyingColumns = false;
}

bool TListView::WidgetEvent(QWidget* widget, QEvent* event) {
    if (FView && widget == FView) {
        if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && FHideSelection)
            FView->viewport()->update();
    }
    if (widget == FHandle && event->type() == QEvent::Resize) {
        bool anyAuto = false;
        for (int i = 0; i < FColumns->Count(); ++i) anyAuto = anyAuto || Column(i)->AutoSize();
        if (anyAuto) QTimer::singleShot(0, this, [this] { ApplyColumns(); });
    }
    return TWinControl::WidgetEvent(widget, event);
}

void TListView::ColorChanged() {
    TWinControl::ColorChanged();
    if (!FHandle) return;
    QPalette pal = FHandle->palette();
    pal.setColor(QPalette::Base, ColorToQColor(Color()));
    FHandle->setPalette(pal);
}

// ---- tool bar ---------------------------------------------------------------------

namespace {

// A tool button's widget: separators draw a gap, dividers a line.
class TToolButtonWidget : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override {
        auto* button = qobject_cast<TToolButton*>(TControl::FromWidget(this));
        if (!button || !button->IsSeparator()) {
            QToolButton::paintEvent(event);
            return;
        }
        if (button->Style() == tbsDivider) {
            QPainter p(this);
            const int x = width() / 2;
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(x, 2, x, height() - 3);
            p.setPen(palette().color(QPalette::Light));
            p.drawLine(x + 1, 2, x + 1, height() - 3);
        }
    }
};

constexpr int kSeparatorWidth = 8;

}  // namespace

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner, NewWidget<TToolButtonWidget>()) {
    // The Qt button reports its own clicks (mouse and keyboard alike).
    SetClickOnRelease(false);
    auto* button = static_cast<QToolButton*>(FHandle.data());
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, [this] { Click(); });
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() {
    if (TToolBar* bar = ToolBar()) bar->RemoveButton(this);
}

TToolBar* TToolButton::ToolBar() const { return qobject_cast<TToolBar*>(Parent()); }

void TToolButton::SetParent(TWinControl* parent) {
    TToolBar* old = ToolBar();
    if (old && old != parent) old->RemoveButton(this);
    TGraphicControl::SetParent(parent);
    if (auto* bar = qobject_cast<TToolBar*>(parent); bar && bar != old) bar->AddButton(this);
}

QString TToolButton::GetText() const { return static_cast<QToolButton*>(FHandle.data())->text(); }

void TToolButton::SetText(const QString& text) {
    static_cast<QToolButton*>(FHandle.data())->setText(text);
    TGraphicControl::SetText(text);
    if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
}

void TToolButton::SetImageIndex(int index) {
    FImageIndex = index;
    UpdateLook();
}

void TToolButton::SetStyle(TToolButtonStyle style) {
    if (style == FStyle) return;
    const bool wasSeparator = IsSeparator();
    FStyle = style;
    if (IsSeparator() && !wasSeparator) SetWidth(kSeparatorWidth);
    UpdateLook();
    if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
}

void TToolButton::SetDown(bool on) {
    if (on == FDown) return;
    FDown = on;
    if (on) UpdateGroup();
    UpdateLook();
}

void TToolButton::UpdateGroup() {
    TToolBar* bar = ToolBar();
    if (!bar || !FGrouped || FStyle != tbsCheck) return;
    // A group is a run of adjacent grouped check buttons.
    auto& buttons = bar->FButtons;
    const auto self = std::find(buttons.begin(), buttons.end(), this);
    if (self == buttons.end()) return;
    auto inGroup = [](TToolButton* b) { return b->Grouped() && b->Style() == tbsCheck; };
    auto first = self;
    while (first != buttons.begin() && inGroup(*(first - 1))) --first;
    for (auto it = first; it != buttons.end() && inGroup(*it); ++it)
        if (*it != this) (*it)->SetDown(false);
}

void TToolButton::Click() {
    if (IsSeparator() || !Enabled()) return;
    if (FStyle == tbsCheck) {
        if (!FDown)
            SetDown(true);
        else if (!FGrouped || FAllowAllUp)
            SetDown(false);
        UpdateLook();
    }
    TGraphicControl::Click();
}

void TToolButton::UpdateLook() {
    auto* button = static_cast<QToolButton*>(FHandle.data());
    TToolBar* bar = ToolBar();
    button->setCheckable(FStyle == tbsCheck);
    button->setChecked(FStyle == tbsCheck && FDown);
    button->setDown(FStyle != tbsCheck && FDown);
    button->setAutoRaise(bar && bar->Flat());
    button->setEnabled(Enabled() && !IsSeparator());
    button->setPopupMode(FStyle == tbsDropDown ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
    TCustomImageList* images = bar ? bar->Images() : nullptr;
    if (images && FImageIndex >= 0 && !IsSeparator()) {
        button->setIcon(QIcon(images->Pixmap(FImageIndex)));
        button->setIconSize(QSize(images->Width(), images->Height()));
    } else {
        button->setIcon(QIcon());
    }
    const bool captions = bar ? bar->ShowCaptions() : true;
    button->setToolButtonStyle(IsSeparator() ? Qt::ToolButtonIconOnly
                               : captions    ? (button->icon().isNull() ? Qt::ToolButtonTextOnly
                                                                        : Qt::ToolButtonTextUnderIcon)
                                             : Qt::ToolButtonIconOnly);
    button->update();
}

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QWidget>()) {
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar() {
    for (TToolButton* b : FButtons) b->SetParent(nullptr);
    FButtons.clear();
}

TToolButton* TToolBar::Buttons(int index) const {
    if (index < 0 || index >= ButtonCount()) throw std::out_of_range("Button index out of bounds");
    return FButtons[static_cast<size_t>(index)];
}

void TToolBar::AddButton(TToolButton* button) {
    FButtons.push_back(button);
    button->UpdateLook();
    LayoutButtons();
}

void TToolBar::RemoveButton(TToolButton* button) {
    FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), button), FButtons.end());
    LayoutButtons();
}

void TToolBar::LayoutButtons() {
    int x = FIndent;
    for (TToolButton* b : FButtons) {
        if (!b->Visible()) continue;
        int w = b->IsSeparator() ? b->Width() : FButtonWidth;
        if (!b->IsSeparator() && FShowCaptions)
            w = std::max(w, b->Handle()->fontMetrics().horizontalAdvance(b->Caption()) + 12);
        b->SetBounds(x, 2, w, FButtonHeight);
        x += w;
    }
}

void TToolBar::SetImages(TCustomImageList* images) {
    if (FImages) disconnect(FImages, nullptr, this, nullptr);
    FImages = images;
    auto refresh = [this] {
        for (TToolButton* b : FButtons) b->UpdateLook();
        LayoutButtons();
    };
    if (images) connect(images, &TCustomImageList::Changed, this, refresh);
    refresh();
}

void TToolBar::SetShowCaptions(bool on) {
    FShowCaptions = on;
    for (TToolButton* b : FButtons) b->UpdateLook();
    LayoutButtons();
}

void TToolBar::SetFlat(bool on) {
    FFlat = on;
    for (TToolButton* b : FButtons) b->UpdateLook();
}

void TToolBar::SetButtonWidth(int width) {
    FButtonWidth = std::max(0, width);
    LayoutButtons();
}

void TToolBar::SetButtonHeight(int height) {
    FButtonHeight = std::max(0, height);
    LayoutButtons();
}

void TToolBar::SetIndent(int indent) {
    FIndent = std::max(0, indent);
    LayoutButtons();
}

// ---- animation --------------------------------------------------------------------

namespace {

constexpr int kAviFrames = 8;
constexpr int kAviSize = 16;

void DrawPage(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const qreal fold = 3;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(96, 96, 96), 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setPen(QPen(QColor(150, 170, 200), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2) p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void DrawFolder(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(128, 96, 0), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(r.left(), r.top() + 2, r.width(), r.height() - 2));
    p.drawRect(QRectF(r.left(), r.top(), r.width() / 2, 2));
}

void DrawComputer(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(r.left(), r.top(), r.width(), r.height() - 3));
    p.setBrush(QColor(0, 96, 160));
    p.drawRect(QRectF(r.left() + 2, r.top() + 2, r.width() - 4, r.height() - 7));
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(r.left() + 2, r.bottom() - 2, r.width() - 4, 2));
}

void DrawBin(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(180, 190, 200));
    p.drawRect(QRectF(r.left(), r.top() + 1, r.width(), r.height() - 1));
    p.drawLine(QPointF(r.left() - 1, r.top()), QPointF(r.right() + 1, r.top()));
}

void DrawMagnifier(QPainter& p, const QPointF& centre) {
    p.setPen(QPen(QColor(90, 60, 20), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(2.2, 2.2), centre + QPointF(4.8, 4.8));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(170, 220, 255, 200));
    p.drawEllipse(centre, 3.0, 3.0);
}

QImage AviFrame(TCommonAVI avi, int frame) {
    QImage image(kAviSize, kAviSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal t = 2 * M_PI * frame / kAviFrames;
    const qreal step = static_cast<qreal>(frame) / (kAviFrames - 1);
    switch (avi) {
        case aviFindFolder:
        case aviFindFile:
        case aviFindComputer: {
            if (avi == aviFindFile) {
                DrawPage(p, QRectF(4.5, 0.5, 9, 11));
                DrawPage(p, QRectF(1.5, 2.5, 9, 11));
            } else if (avi == aviFindFolder) {
                DrawFolder(p, QRectF(1.5, 3.5, 13, 9));
            } else {
                DrawComputer(p, QRectF(1.5, 1.5, 13, 12));
            }
            // The magnifier circles over the object.
            DrawMagnifier(p, QPointF(7 + 3 * std::cos(t), 6 + 2.5 * std::sin(t)));
            break;
        }
        case aviCopyFiles:
        case aviCopyFile: {
            DrawFolder(p, QRectF(0.5, 9.5, 5, 5));
            DrawFolder(p, QRectF(10.5, 9.5, 5, 5));
            const qreal x = 1 + 9 * step;
            const qreal y = 6 - 5 * std::sin(M_PI * step);
            DrawPage(p, QRectF(x, y, 5, 6));
            break;
        }
        case aviRecycleFile:
        case aviDeleteFile: {
            DrawBin(p, QRectF(8.5, 8.5, 6, 7));
            DrawPage(p, QRectF(1 + 8 * step, 1 + 6 * step, 5, 6));
            break;
        }
        case aviEmptyRecycle: {
            DrawBin(p, QRectF(5.5, 8.5, 6, 7));
            DrawPage(p, QRectF(6 - 5 * step, 8 - 7 * step, 5, 6));
            break;
        }
        case aviNone: break;
    }
    return image;
}

}  // namespace

std::vector<QImage> CommonAviFrames(TCommonAVI avi) {
    std::vector<QImage> frames;
    if (avi == aviNone) return frames;
    for (int i = 0; i < kAviFrames; ++i) frames.push_back(AviFrame(avi, i));
    return frames;
}

TAnimate::TAnimate(TComponent* AOwner) : TCustomControl(AOwner) {
    FTimer = new QTimer(this);
    FTimer->setInterval(FInterval);
    connect(FTimer, &QTimer::timeout, this, [this] { NextFrame(); });
    SetBounds(0, 0, 100, 80);
}

TAnimate::~TAnimate() { FTimer->stop(); }

int TAnimate::FrameWidth() const { return FFrames.empty() ? 0 : FFrames.front().width(); }
int TAnimate::FrameHeight() const { return FFrames.empty() ? 0 : FFrames.front().height(); }

QImage TAnimate::FrameImage(int frame) const {
    if (frame < 1 || frame > FrameCount()) return QImage();
    return FFrames[static_cast<size_t>(frame - 1)];
}

void TAnimate::Open(std::vector<QImage> frames, int interval) {
    StopPlaying(false);
    const bool hadClip = !FFrames.empty();
    FFrames = std::move(frames);
    FInterval = std::max(10, interval);
    FTimer->setInterval(FInterval);
    FStartFrame = 1;
    FStopFrame = FrameCount();
    FFrame = FFrames.empty() ? 0 : 1;
    if (hadClip && OnClose) OnClose(this);
    if (!FFrames.empty()) {
        if (FAutoSize) SetBounds(Left(), Top(), FrameWidth(), FrameHeight());
        if (OnOpen) OnOpen(this);
    }
    Invalidate();
}

void TAnimate::SetCommonAVI(TCommonAVI avi) {
    FCommonAVI = avi;
    FFileName.clear();
    Open(CommonAviFrames(avi), 100);
}

void TAnimate::SetFileName(const QString& fileName) {
    if (fileName.isEmpty()) {
        FFileName.clear();
        if (FCommonAVI == aviNone) Open({}, 100);
        return;
    }
    QImageReader reader(fileName);
    std::vector<QImage> frames;
    int delay = 100;
    for (QImage image = reader.read(); !image.isNull(); image = reader.read()) {
        frames.push_back(image.convertToFormat(QImage::Format_ARGB32));
        if (reader.nextImageDelay() > 0) delay = reader.nextImageDelay();
        if (!reader.supportsAnimation()) break;
    }
    if (frames.empty()) throw EInvalidOperation("Cannot open animation " + fileName.toStdString());
    FFileName = fileName;
    FCommonAVI = aviNone;
    Open(std::move(frames), delay);
}

void TAnimate::SetActive(bool on) {
    if (IsLoading()) {
        FPendingActive = on;
        return;
    }
    if (on == FActive) return;
    if (on)
        Play(FStartFrame, FStopFrame, FRepetitions);
    else
        Stop();
}

void TAnimate::Loaded() {
    TCustomControl::Loaded();
    if (FPendingActive) {
        FPendingActive = false;
        SetActive(true);
    }
}

void TAnimate::SetStartFrame(int frame) {
    FStartFrame = std::max(1, FrameCount() > 0 ? std::min(frame, FrameCount()) : frame);
    if (FActive) Play(FStartFrame, FStopFrame, FRepetitions);
}

void TAnimate::SetStopFrame(int frame) {
    FStopFrame = std::max(0, FrameCount() > 0 ? std::min(frame, FrameCount()) : frame);
    if (FActive) Play(FStartFrame, FStopFrame, FRepetitions);
}

void TAnimate::Play(int fromFrame, int toFrame, int count) {
    if (FFrames.empty()) return;
    const int n = FrameCount();
    fromFrame = std::clamp(fromFrame, 1, n);
    toFrame = toFrame < 1 ? n : std::clamp(toFrame, fromFrame, n);
    FStartFrame = fromFrame;
    FStopFrame = toFrame;
    FRepetitions = std::max(0, count);
    FPlayed = 0;
    FFrame = fromFrame;
    const bool starting = !FActive;
    FActive = true;
    FTimer->start();
    Invalidate();
    if (starting && OnStart) OnStart(this);
}

void TAnimate::NextFrame() {
    if (!FActive || FFrames.empty()) return;
    if (FFrame < FStopFrame) {
        ++FFrame;
    } else {
        ++FPlayed;
        if (FRepetitions > 0 && FPlayed >= FRepetitions) {
            StopPlaying(true);
            return;
        }
        FFrame = FStartFrame;
    }
    Invalidate();
}

void TAnimate::Stop() { StopPlaying(true); }

void TAnimate::StopPlaying(bool raise) {
    FTimer->stop();
    if (!FActive) return;
    FActive = false;
    if (raise && OnStop) OnStop(this);
}

void TAnimate::Seek(int frame) {
    StopPlaying(true);
    if (!FFrames.empty()) FFrame = std::clamp(frame, 1, FrameCount());
    Invalidate();
}

void TAnimate::Reset() { Seek(FStartFrame); }

void TAnimate::SetCenter(bool on) {
    FCenter = on;
    Invalidate();
}

void TAnimate::SetTransparent(bool on) {
    FTransparent = on;
    Invalidate();
}

void TAnimate::SetAutoSize(bool on) {
    FAutoSize = on;
    if (on && !FFrames.empty()) SetBounds(Left(), Top(), FrameWidth(), FrameHeight());
}

void TAnimate::Paint(QPainter& painter) {
    if (!FTransparent) painter.fillRect(QRect(0, 0, Width(), Height()), ColorToQColor(Color()));
    const QImage image = FrameImage(FFrame);
    if (image.isNull()) return;
    const QPoint at = FCenter ? QPoint((Width() - image.width()) / 2, (Height() - image.height()) / 2) : QPoint(0, 0);
    painter.drawImage(at, image);
}

}  // namespace kv

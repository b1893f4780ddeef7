// The common controls: page control with tab sheets, list view, tool bar and the
// busy animation. Each keeps the classic model (pages, columns, items, buttons,
// frames) in its own objects and lets a Qt widget draw it, so the system's code
// and the language files reach everything by name.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/ImgList.h"

class QPainter;
class QTabBar;
class QTimer;
class QAbstractItemView;

namespace kv {

namespace ComCtrlEnums {
Q_NAMESPACE
enum TSortType { stNone, stData, stText, stBoth };
Q_ENUM_NS(TSortType)
enum TItemChange { ctText, ctImage, ctState };
Q_ENUM_NS(TItemChange)
enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
Q_ENUM_NS(TToolButtonStyle)
enum TCommonAVI {
    aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile, aviRecycleFile,
    aviEmptyRecycle, aviDeleteFile
};
Q_ENUM_NS(TCommonAVI)
}  // namespace ComCtrlEnums
using namespace ComCtrlEnums;

class TPageControl;
class TTabBarWidget;

// ---- page control -----------------------------------------------------------------

// One page of a page control. Its widget is the page area: children are placed
// relative to it. OnShow/OnHide follow whether the page is on screen.
class TTabSheet : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(kv::TPageControl* PageControl READ PageControl WRITE SetPageControl)
    Q_PROPERTY(bool TabVisible READ TabVisible WRITE SetTabVisible)
    Q_PROPERTY(int PageIndex READ PageIndex WRITE SetPageIndex)
    Q_PROPERTY(int TabIndex READ TabIndex)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(kv::TNotifyEvent OnShow MEMBER OnShow)
    Q_PROPERTY(kv::TNotifyEvent OnHide MEMBER OnHide)
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* pageControl);
    // A sheet put into a page control becomes one of its pages.
    void SetParent(TWinControl* parent) override;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool on);
    // Position among all pages (-1 outside a page control).
    int PageIndex() const;
    void SetPageIndex(int index);
    // Position among the visible tabs (-1 when the tab is hidden).
    int TabIndex() const;
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    void SetText(const QString& text) override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    virtual void DoShow();
    virtual void DoHide();

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
    bool FOnScreen = false;
    int FImageIndex = -1;
};

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;
using TDrawTabEvent = TEvent<void(TPageControl* Control, int TabIndex, const QRect& Rect, bool Active)>;

// Pages with tabs. TabIndex counts visible tabs only; a page whose tab is hidden
// can still be the active page (then TabIndex is -1). Changing pages in code raises
// no events; the user's choice of a tab and SelectNextPage raise OnChanging (which
// can refuse) and then OnChange.
class TPageControl : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(kv::TTabSheet* ActivePage READ ActivePage WRITE SetActivePage)
    Q_PROPERTY(int ActivePageIndex READ ActivePageIndex WRITE SetActivePageIndex)
    Q_PROPERTY(int TabIndex READ TabIndex WRITE SetTabIndex)
    Q_PROPERTY(int PageCount READ PageCount)
    Q_PROPERTY(kv::Enums::TTabStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(int TabHeight READ TabHeight WRITE SetTabHeight)
    Q_PROPERTY(int TabWidth READ TabWidth WRITE SetTabWidth)
    Q_PROPERTY(kv::Enums::TTabPosition TabPosition READ TabPosition WRITE SetTabPosition)
    Q_PROPERTY(bool OwnerDraw READ OwnerDraw WRITE SetOwnerDraw)
    Q_PROPERTY(bool MultiLine READ MultiLine WRITE SetMultiLine)
    Q_PROPERTY(bool HotTrack READ HotTrack WRITE SetHotTrack)
    Q_PROPERTY(kv::TCustomImageList* Images READ Images WRITE SetImages)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)
    Q_PROPERTY(kv::TTabChangingEvent OnChanging MEMBER OnChanging)
    Q_PROPERTY(kv::TDrawTabEvent OnDrawTab MEMBER OnDrawTab)
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    // Out of range selects no page.
    void SetActivePageIndex(int index);
    int TabIndex() const;
    // Selects the page of that visible tab (-1: no page); other values change
    // nothing.
    void SetTabIndex(int index);
    // The page shown by visible tab index, or null.
    TTabSheet* PageForTab(int tabIndex) const;
    // The next (previous) page after current, wrapping around; only pages with a
    // visible tab when checkTabVisible. Null when there is none.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    // Moves to that page as the user would: OnChanging, then OnChange.
    void SelectNextPage(bool goForward, bool checkTabVisible = true);

    TTabStyle Style() const { return FStyle; }
    void SetStyle(TTabStyle style);
    int TabHeight() const { return FTabHeight; }
    void SetTabHeight(int height);
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int width);
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition position);
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool on);
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool on);
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool on);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* images);

    // The area of visible tab index (in the control's coordinates).
    QRect TabRect(int tabIndex) const;
    // The area the pages fill.
    QRect DisplayRect() const;
    // While tabs are being drawn: the painter to draw with; null otherwise.
    QPainter* Canvas() const { return FCanvas; }
    QTabBar* TabBar() const;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TDrawTabEvent OnDrawTab;

protected:
    // May the active page change? Raises OnChanging.
    virtual bool CanChange();
    virtual void Change();
    // Draws an owner-drawn tab on Canvas(): OnDrawTab when assigned, else the
    // tab's face with its caption.
    virtual void DrawTab(int tabIndex, const QRect& rect, bool active);
    bool WidgetEvent(QWidget* widget, QEvent* event) override;

private:
    friend class TTabSheet;
    friend class TTabBarWidget;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void ChangeActivePage(TTabSheet* page);
    void PageTabChanged(TTabSheet* page);
    void RebuildTabs();
    void LayoutPages();
    void UserSelectedTab(int tabIndex);
    void PaintOwnerDrawnTabs(QPainter& painter);
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    TTabBarWidget* FTabBar = nullptr;
    QPainter* FCanvas = nullptr;
    QPointer<TCustomImageList> FImages;
    TTabStyle FStyle = tsTabs;
    TTabPosition FTabPosition = tpTop;
    int FTabHeight = 0;
    int FTabWidth = 0;
    bool FOwnerDraw = false;
    bool FMultiLine = false;
    bool FHotTrack = false;
    bool FRebuilding = false;
};

// ---- list view --------------------------------------------------------------------

class TListView;
class TListItems;
class TListViewModel;

// A column of a report-style list view. Width -1 fits the contents, -2 the
// contents and the caption (the width is then computed and stored).
class TListColumn : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(kv::Enums::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(int MinWidth READ MinWidth WRITE SetMinWidth)
    Q_PROPERTY(int MaxWidth READ MaxWidth WRITE SetMaxWidth)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(int Tag MEMBER Tag)
public:
    explicit TListColumn(TCollection* collection) : TCollectionItem(collection) {}

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    int Width() const { return FWidth; }
    void SetWidth(int width);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);
    // 0 means no limit.
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int width);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int width);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    bool Assign(const TPersistent* source) override;

    int Tag = 0;

private:
    friend class TListView;
    int Clamped(int width) const;
    QString FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = false;
    int FMinWidth = 0;
    int FMaxWidth = 0;
    int FImageIndex = -1;
};

class TListColumns : public TCollection {
    Q_OBJECT
public:
    explicit TListColumns(TListView* owner);
    TListView* Owner() const { return FOwner; }
    TListColumn* Add();
    TListColumn* Items(int index) const;
    TListColumn* operator[](int index) const { return Items(index); }
    bool Assign(const TPersistent* source) override;

private:
    TListView* FOwner;
};

// One row: a caption, the texts of the further columns, an image and a state.
class TListItem : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(kv::TStrings* SubItems READ SubItems WRITE SetSubItems)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(bool Selected READ Selected WRITE SetSelected)
    Q_PROPERTY(bool Focused READ Focused WRITE SetFocused)
    Q_PROPERTY(int Index READ Index)
public:
    ~TListItem() override;
    TListItems* Owner() const { return FOwner; }
    TListView* ListView() const;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    // Created on first use; changes show at once.
    TStrings* SubItems() const;
    void SetSubItems(TStrings* subItems);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    bool Selected() const { return FSelected; }
    void SetSelected(bool on);
    bool Focused() const { return FFocused; }
    void SetFocused(bool on);
    // Position in the list (counted again only when asked after a change).
    int Index() const;
    void* Data() const { return FData; }
    void SetData(void* data);
    // Removes and frees the item.
    void Delete();
    void MakeVisible(bool partialOK = false);
    // Starts editing the caption (a list view that is not read-only).
    bool EditCaption();
    bool Assign(const TPersistent* source) override;

private:
    friend class TListItems;
    friend class TListView;
    friend class TListViewModel;
    explicit TListItem(TListItems* owner);
    TListItems* FOwner;
    QString FCaption;
    mutable TStrings* FSubItems = nullptr;
    void* FData = nullptr;
    int FImageIndex = -1;
    int FIndex = -1;
    bool FSelected = false;
    bool FFocused = false;
};

// The rows of a list view. Between BeginUpdate and EndUpdate changes only touch
// the model; the view catches up once at the end.
class TListItems : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
public:
    explicit TListItems(TListView* owner);
    ~TListItems() override;
    TListView* Owner() const { return FOwner; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TListItem* Item(int index) const;
    TListItem* operator[](int index) const { return Item(index); }
    TListItem* Add();
    TListItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int IndexOf(const TListItem* item) const;
    void BeginUpdate();
    void EndUpdate();
    bool Assign(const TPersistent* source) override;

private:
    friend class TListItem;
    friend class TListView;
    friend class TListViewModel;
    // An item went in or out at index: the indexes from there on are stale.
    void PositionsChangedFrom(int index) { FNumbered = std::min(FNumbered, index); }
    void Renumber() const;
    TListView* FOwner;
    std::vector<TListItem*> FItems;
    // The items before this position carry their right index; the indexes of the
    // others are counted when one of them is asked for, so a run of insertions in
    // the middle costs one pass rather than one per insertion.
    mutable int FNumbered = 0;
    bool FClearing = false;
};

using TLVChangeEvent = TEvent<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVChangingEvent = TEvent<void(TObject* Sender, TListItem* Item, TItemChange Change, bool& AllowChange)>;
using TLVSelectItemEvent = TEvent<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVColumnClickEvent = TEvent<void(TObject* Sender, TListColumn* Column)>;
using TLVCompareEvent = TEvent<void(TObject* Sender, TListItem* Item1, TListItem* Item2, int Data, int& Compare)>;
using TLVEditedEvent = TEvent<void(TObject* Sender, TListItem* Item, QString& S)>;
using TLVEditingEvent = TEvent<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVDeletedEvent = TEvent<void(TObject* Sender, TListItem* Item)>;

// A list of items shown as large icons, small icons, a list or a report with
// columns. Item states (selected, focused) live in the items; the view follows.
class TListView : public TWinControl {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
    Q_PROPERTY(kv::Enums::TViewStyle ViewStyle READ ViewStyle WRITE SetViewStyle)
    Q_PROPERTY(kv::TListColumns* Columns READ Columns WRITE SetColumns)
    Q_PROPERTY(kv::TListItems* Items READ Items WRITE SetItems)
    Q_PROPERTY(bool RowSelect READ RowSelect WRITE SetRowSelect)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(bool MultiSelect READ MultiSelect WRITE SetMultiSelect)
    Q_PROPERTY(bool GridLines READ GridLines WRITE SetGridLines)
    Q_PROPERTY(bool ShowColumnHeaders READ ShowColumnHeaders WRITE SetShowColumnHeaders)
    Q_PROPERTY(bool ColumnClick READ ColumnClick WRITE SetColumnClick)
    Q_PROPERTY(kv::ComCtrlEnums::TSortType SortType READ SortType WRITE SetSortType)
    Q_PROPERTY(kv::TCustomImageList* LargeImages READ LargeImages WRITE SetLargeImages)
    Q_PROPERTY(kv::TCustomImageList* SmallImages READ SmallImages WRITE SetSmallImages)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(int SelCount READ SelCount)
    Q_PROPERTY(kv::TLVChangeEvent OnChange MEMBER OnChange)
    Q_PROPERTY(kv::TLVChangingEvent OnChanging MEMBER OnChanging)
    Q_PROPERTY(kv::TLVSelectItemEvent OnSelectItem MEMBER OnSelectItem)
    Q_PROPERTY(kv::TLVColumnClickEvent OnColumnClick MEMBER OnColumnClick)
    Q_PROPERTY(kv::TLVCompareEvent OnCompare MEMBER OnCompare)
    Q_PROPERTY(kv::TLVEditedEvent OnEdited MEMBER OnEdited)
    Q_PROPERTY(kv::TLVEditingEvent OnEditing MEMBER OnEditing)
    Q_PROPERTY(kv::TLVDeletedEvent OnDeletion MEMBER OnDeletion)
    Q_PROPERTY(kv::TLVDeletedEvent OnInsert MEMBER OnInsert)
public:
    explicit TListView(TComponent* AOwner);
    ~TListView() override;

    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle style);
    TListColumns* Columns() const { return FColumns; }
    void SetColumns(TListColumns* columns);
    TListColumn* Column(int index) const { return FColumns->Items(index); }
    TListItems* Items() const { return FItems; }
    void SetItems(TListItems* items);

    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool on);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool on);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool on);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool on);
    bool GridLines() const { return FGridLines; }
    void SetGridLines(bool on);
    bool ShowColumnHeaders() const { return FShowColumnHeaders; }
    void SetShowColumnHeaders(bool on);
    bool ColumnClick() const { return FColumnClick; }
    void SetColumnClick(bool on);
    TSortType SortType() const { return FSortType; }
    void SetSortType(TSortType type);
    TCustomImageList* LargeImages() const { return FLargeImages; }
    void SetLargeImages(TCustomImageList* images);
    TCustomImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TCustomImageList* images);

    // The first selected item in list order, or null; setting it selects only
    // that item (null clears the selection).
    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    int SelCount() const { return FSelCount; }
    int ItemIndex() const;
    void SetItemIndex(int index);
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* item);
    void ClearSelection();
    void SelectAll();
    // The item under a point of the control, or null.
    TListItem* GetItemAt(int x, int y) const;
    // The next item after start (null: from the top) whose state matches.
    TListItem* GetNextItem(TListItem* start, bool selectedOnly) const;

    // Sorts by OnCompare when assigned, else by caption without regard to case.
    bool AlphaSort();
    // Sorts by compare (negative: first before second); stable.
    bool CustomSort(const std::function<int(TListItem*, TListItem*)>& compare);
    // Puts the items in this order, as a sort would; false (and no change) unless
    // order holds every item of the list once.
    bool ArrangeItems(const std::vector<TListItem*>& order);

    // The Qt view that shows the items now (a tree view for vsReport).
    QAbstractItemView* View() const;

    TLVChangeEvent OnChange;
    TLVChangingEvent OnChanging;
    TLVSelectItemEvent OnSelectItem;
    TLVColumnClickEvent OnColumnClick;
    TLVCompareEvent OnCompare;
    TLVEditedEvent OnEdited;
    TLVEditingEvent OnEditing;
    TLVDeletedEvent OnDeletion;
    TLVDeletedEvent OnInsert;

protected:
    virtual bool CanChange(TListItem* item, TItemChange change);
    virtual void Change(TListItem* item, TItemChange change);
    virtual void SelectItem(TListItem* item, bool selected);
    virtual void ColumnClicked(TListColumn* column);
    virtual void Edited(TListItem* item, QString& text);
    virtual bool CanEdit(TListItem* item);
    virtual void Delete(TListItem* item);
    virtual void Insert(TListItem* item);
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    void ColorChanged() override;
    bool Updating() const { return FUpdateCount > 0; }
    // The outermost update is about to end: changes made here reach the view
    // together with the others.
    virtual void UpdateEnding() {}
    // The items were put in a new order (sorted or arranged).
    virtual void ItemsRearranged() {}

private:
    friend class TListColumn;
    friend class TListItem;
    friend class TListItems;
    friend class TListViewModel;
    friend class TListDelegate;
    template <class> friend class TItemViewOf;
    void BeginUpdate();
    void EndUpdate();
    void CreateView();
    void ResetModel();
    void ItemChanged(TListItem* item, TItemChange change);
    void ItemInserting(int index);
    void ItemInserted(TListItem* item);
    void ItemRemoving(TListItem* item);
    void ItemRemoved(TListItem* item);
    void SetItemSelected(TListItem* item, bool on);
    void SetItemFocusedState(TListItem* item, bool on);
    void PushSelectionToView();
    void PushItemStateToView(TListItem* item);
    void ViewSelectionChanged();
    void ViewCurrentChanged();
    void ColumnsChanged(TCollectionItem* item);
    void ApplyColumns();
    int AutoWidth(int column, bool withCaption) const;
    void ApplyViewOptions();
    void SortIfAutomatic();
    std::function<int(TListItem*, TListItem*)> AlphaCompare();
    void SortItems(const std::function<int(TListItem*, TListItem*)>& compare);
    QPixmap ItemImage(const TListItem* item) const;
    void ImagesChanged();
    TListColumns* FColumns;
    TListItems* FItems;
    TListViewModel* FModel;
    QPointer<QAbstractItemView> FView;
    QPointer<TCustomImageList> FLargeImages;
    QPointer<TCustomImageList> FSmallImages;
    TViewStyle FViewStyle = vsIcon;
    TSortType FSortType = stNone;
    int FUpdateCount = 0;
    int FSelCount = 0;
    bool FRowSelect = false;
    bool FReadOnly = false;
    bool FHideSelection = true;
    bool FMultiSelect = false;
    bool FGridLines = false;
    bool FShowColumnHeaders = true;
    bool FColumnClick = true;
    bool FSyncing = false;
    bool FApplyingColumns = false;
    bool FSortPending = false;
    bool FEditApproved = false;
};

// ---- tool bar ---------------------------------------------------------------------

class TToolBar;

// A button of a tool bar: a push button, a check button that stays down, a
// drop-down button, or a separator / divider (a gap, with a line for a divider).
class TToolButton : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(kv::ComCtrlEnums::TToolButtonStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(bool Grouped READ Grouped WRITE SetGrouped)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    TToolBar* ToolBar() const;
    void SetParent(TWinControl* parent) override;
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle style);
    bool Down() const { return FDown; }
    void SetDown(bool on);
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool on) { FGrouped = on; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool on) { FAllowAllUp = on; }
    bool IsSeparator() const { return FStyle == tbsSeparator || FStyle == tbsDivider; }
    // A click as the user's: a check button toggles Down first.
    void Click() override;

protected:
    QString GetText() const override;
    void SetText(const QString& text) override;

private:
    friend class TToolBar;
    void UpdateLook();
    void UpdateGroup();
    int FImageIndex = -1;
    TToolButtonStyle FStyle = tbsButton;
    bool FDown = false;
    bool FGrouped = false;
    bool FAllowAllUp = false;
};

// A bar of tool buttons laid out left to right in the order they were put in.
class TToolBar : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(kv::TCustomImageList* Images READ Images WRITE SetImages)
    Q_PROPERTY(bool ShowCaptions READ ShowCaptions WRITE SetShowCaptions)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(int ButtonWidth READ ButtonWidth WRITE SetButtonWidth)
    Q_PROPERTY(int ButtonHeight READ ButtonHeight WRITE SetButtonHeight)
    Q_PROPERTY(int Indent READ Indent WRITE SetIndent)
    Q_PROPERTY(int ButtonCount READ ButtonCount)
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    TToolButton* Buttons(int index) const;
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* images);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool on);
    bool Flat() const { return FFlat; }
    void SetFlat(bool on);
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int width);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int height);
    int Indent() const { return FIndent; }
    void SetIndent(int indent);

private:
    friend class TToolButton;
    void AddButton(TToolButton* button);
    void RemoveButton(TToolButton* button);
    void LayoutButtons();
    std::vector<TToolButton*> FButtons;
    QPointer<TCustomImageList> FImages;
    bool FShowCaptions = false;
    bool FFlat = false;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    int FIndent = 0;
};

// ---- animation --------------------------------------------------------------------

// A small animation: one of the stock clips (drawn here) or the frames of an
// animated image file. Frames are numbered from 1; they advance on a timer only
// while Active, from StartFrame to StopFrame, Repetitions times (0: for ever).
class TAnimate : public TCustomControl {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(kv::ComCtrlEnums::TCommonAVI CommonAVI READ CommonAVI WRITE SetCommonAVI)
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(int StartFrame READ StartFrame WRITE SetStartFrame)
    Q_PROPERTY(int StopFrame READ StopFrame WRITE SetStopFrame)
    Q_PROPERTY(int Repetitions READ Repetitions WRITE SetRepetitions)
    Q_PROPERTY(int FrameCount READ FrameCount)
    Q_PROPERTY(int FrameWidth READ FrameWidth)
    Q_PROPERTY(int FrameHeight READ FrameHeight)
    Q_PROPERTY(int Frame READ Frame)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(kv::TNotifyEvent OnOpen MEMBER OnOpen)
    Q_PROPERTY(kv::TNotifyEvent OnClose MEMBER OnClose)
    Q_PROPERTY(kv::TNotifyEvent OnStart MEMBER OnStart)
    Q_PROPERTY(kv::TNotifyEvent OnStop MEMBER OnStop)
public:
    explicit TAnimate(TComponent* AOwner);
    ~TAnimate() override;

    bool Active() const { return FActive; }
    void SetActive(bool on);
    TCommonAVI CommonAVI() const { return FCommonAVI; }
    void SetCommonAVI(TCommonAVI avi);
    QString FileName() const { return FFileName; }
    // Frames of an animated image (GIF and the like); EInvalidOperation when the
    // file gives none.
    void SetFileName(const QString& fileName);
    int StartFrame() const { return FStartFrame; }
    void SetStartFrame(int frame);
    int StopFrame() const { return FStopFrame; }
    void SetStopFrame(int frame);
    int Repetitions() const { return FRepetitions; }
    void SetRepetitions(int count) { FRepetitions = count < 0 ? 0 : count; }
    int FrameCount() const { return static_cast<int>(FFrames.size()); }
    int FrameWidth() const;
    int FrameHeight() const;
    // The frame shown now (0 with no clip).
    int Frame() const { return FFrame; }
    bool Center() const { return FCenter; }
    void SetCenter(bool on);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);
    // Image of frame (1-based); null when out of range.
    QImage FrameImage(int frame) const;

    // Plays frames from..to, count times (0: for ever).
    void Play(int fromFrame, int toFrame, int count);
    void Stop();
    void Seek(int frame);
    void Reset();

    TNotifyEvent OnOpen;
    TNotifyEvent OnClose;
    TNotifyEvent OnStart;
    TNotifyEvent OnStop;

protected:
    void Loaded() override;
    void Paint(QPainter& painter) override;

private:
    void Open(std::vector<QImage> frames, int interval);
    void NextFrame();
    void StopPlaying(bool raise);
    std::vector<QImage> FFrames;
    QTimer* FTimer = nullptr;
    TCommonAVI FCommonAVI = aviNone;
    QString FFileName;
    int FFrame = 0;
    int FStartFrame = 1;
    int FStopFrame = 0;
    int FRepetitions = 0;
    int FPlayed = 0;
    int FInterval = 100;
    bool FActive = false;
    bool FPendingActive = false;
    bool FCenter = true;
    bool FTransparent = true;
    bool FAutoSize = true;
};

// The frames of a stock clip, each 16 x 16 (none for aviNone).
std::vector<QImage> CommonAviFrames(TCommonAVI avi);

}  // namespace kv

// TTabChangingEvent is the same type as TCloseQueryEvent, declared in Forms.h.
Q_DECLARE_METATYPE(kv::TDrawTabEvent)
Q_DECLARE_METATYPE(kv::TLVChangeEvent)
Q_DECLARE_METATYPE(kv::TLVChangingEvent)
Q_DECLARE_METATYPE(kv::TLVSelectItemEvent)
Q_DECLARE_METATYPE(kv::TLVColumnClickEvent)
Q_DECLARE_METATYPE(kv::TLVCompareEvent)
Q_DECLARE_METATYPE(kv::TLVEditedEvent)
Q_DECLARE_METATYPE(kv::TLVEditingEvent)
Q_DECLARE_METATYPE(kv::TLVDeletedEvent)

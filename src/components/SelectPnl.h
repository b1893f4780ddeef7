// The selection panel: a captioned frame in which the user states which records a
// report covers, as a range (begin and end value), as a list of values, or with a
// check box choosing between the two. The panel owns and lays out its inputs, keeps
// the range ordered when it is left, keeps the list sorted and free of duplicates
// when asked, forwards its children's events as its own and asks the owning form
// for lookups. Also the two companion controls it is built from.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

#include "components/BtChkBox.h"
#include "components/F2Button.h"
#include "components/GSpdBtn.h"
#include "platform/ComCtrls.h"
#include "platform/ExtCtrls.h"
#include "platform/Mask.h"
#include "platform/StdCtrls.h"
#include "platform/TextConversion.h"

namespace kv {

class TSelectPanel;

// Raised when the saved rows of a list value cannot be read.
class ESaveValueError : public std::runtime_error {
public:
    ESaveValueError() : std::runtime_error("parse spSaveValue error") {}
};

// A masked edit whose change event can be held back while code rewrites the text.
class TMavMaskEdit : public TMaskEdit {
    Q_OBJECT
public:
    explicit TMavMaskEdit(TComponent* AOwner) : TMaskEdit(AOwner) {}
    // While set, text changes do not raise OnChange.
    bool SuppressChange = false;

protected:
    void Change() override;
};

// A list view that takes the focus on a left press before it acts on it, and adds
// rows from plain texts. Rows added through AddRow keep the owning selection
// panel's order and duplicate rule at a constant cost per row: the view remembers
// that its rows are in that shape, and how long the texts of each column are, until
// something else changes them. Inside an update (Items()->BeginUpdate()) rows
// that arrive out of order would each move the rows after them, so they wait at
// the end of the list instead and are put in place together when the update ends,
// giving the rows and widths that adding them one by one gives.
class TMavListView : public TListView {
    Q_OBJECT
    Q_PROPERTY(bool ColumnsAutoSize MEMBER ColumnsAutoSize)
public:
    explicit TMavListView(TComponent* AOwner);

    // Adds a row (caption values[0], sub-items the rest), creating the columns
    // "Data1", "Data2", ... that are missing, padding every row to the same number
    // of sub-items, applying the owning panel's order and duplicate rule and, with
    // ColumnsAutoSize, sizing the columns to their longest text. False for no
    // values or on a failure (the rows added so far stay).
    bool AddRow(const QStringList& values);
    // Removes all rows.
    void ClearRows();
    // The rows were rearranged or their rule changed: the next AddRow takes them
    // all in again.
    void RowsRearranged() { FRowsInShape = false; }
    // Puts the rows waiting in an update in place now (the panel does this before
    // it reads or rearranges the rows).
    void PlaceWaitingRows();

    bool ColumnsAutoSize = true;

    // Display width of a text in character cells: a character outside ASCII
    // takes two, as a double-byte character does on a Chinese system.
    static int TextCells(const QString& text);

protected:
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    void Change(TListItem* item, TItemChange change) override;
    void Insert(TListItem* item) override;
    void Delete(TListItem* item) override;
    void UpdateEnding() override;
    void ItemsRearranged() override;

private:
    TSelectPanel* OwnerPanel() const;
    void AddColumnsUpTo(int count);
    // Appends the row, then orders, pads and de-duplicates the whole list.
    void AddRowToWholeList(const QStringList& values);
    // Inserts the row where ordering the whole list would put it, touching only
    // its neighbours.
    void AddRowInPlace(QStringList values);
    int SortedInsertPosition(const QStringList& values) const;
    // Appends the row during an update, padded as AddRowInPlace pads it.
    void AddWaitingRow(QStringList values);
    // The rows that adding the waiting rows one at a time keeps, in list order
    // (indexes into the list).
    std::vector<int> RowsKeptOneByOne(int waiting) const;
    // The rows the whole-list rule keeps: every row sorted, then those whose
    // caption repeats the row above dropped.
    std::vector<int> RowsKeptByWholeList() const;
    // Each row's caption and sub-items, in list order.
    std::vector<QStringList> RowTexts() const;
    // The rows (indexes into texts) in the list order the panel asks for: those
    // before first are in that order already and stay ahead of equal ones.
    std::vector<int> StableOrder(const std::vector<QStringList>& texts, int first) const;
    // Puts these rows in this order and deletes the others.
    void KeepRows(const std::vector<int>& kept);
    void PadRowsTo(int subItemCount);
    void RemoveDuplicateNeighbours(int row);
    void RemoveRow(int row);
    bool RowHas(const TListItem* item, const QStringList& values) const;
    // The remembered text lengths, per column (0 = caption).
    void RecountTexts();
    void CountRowTexts(const TListItem* item, int delta);
    void CountText(int column, int cells, int delta);
    void SizeColumnsToTexts();

    bool FRowsInShape = true;
    bool FInRowOperation = false;
    // Rows added in the current update and not yet in place: the last ones.
    int FWaitingRows = 0;
    // ColumnsAutoSize when those rows came.
    bool FWaitingAutoSize = true;
    int FMaxSubItems = 0;
    // FCellCounts[column][cells]: how many texts of the column are that long.
    std::vector<std::vector<int>> FCellCounts;
    std::vector<int> FLongest;
};

class TSelectPanel : public TGroupBox, public ITextConvertible {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
public:
    enum TSelectStyle { sp_Range, sp_Discrete, sp_UserChoice };
    Q_ENUM(TSelectStyle)
    enum TValueType { vt_String, vt_Number, vt_Date, vt_Time, vt_Float, vt_OtherMask };
    Q_ENUM(TValueType)
    enum TDateType { dt_NoneCare, dt_YYYYMMDD, dt_MMDDYYYY, dt_DDMMYYYY, dt_YYMMDD, dt_YYYMMDD };
    Q_ENUM(TDateType)
    enum TCheckDuplicate { cd_None, cd_CheckCase, cd_CaseInsensitive };
    Q_ENUM(TCheckDuplicate)

    using TOpenWinClickEvent = TEvent<void(TSelectPanel* SenderParent, TObject* Sender)>;
    using TDeleteClickEvent = TEvent<void(TObject* Sender, bool& Accept)>;
    using TStyleChangingEvent = TEvent<void(TObject* Sender, TSelectStyle NowStyle, TSelectStyle NewStyle, bool& Accept)>;
    using TStyleChangeEvent = TEvent<void(TObject* Sender, TSelectStyle OldStyle, TSelectStyle NewStyle)>;
    using TListViewSelectItemEvent = TEvent<void(TObject* Sender, TListItem* xItem, int xIndex, bool xIsSelect)>;
    using TListViewDataChangeEvent = TLVChangeEvent;
    using TListViewDataChangingEvent = TLVChangingEvent;

private:
    Q_PROPERTY(bool AutoChangeDateSite MEMBER FAutoChangeDateSite)
    Q_PROPERTY(kv::TStrings* BeginWords READ BeginWords WRITE SetBeginWords)
    Q_PROPERTY(bool ColumnsAutoSize READ ColumnsAutoSize WRITE SetColumnsAutoSize)
    Q_PROPERTY(bool CanOpenWin READ CanOpenWin WRITE SetCanOpenWin)
    Q_PROPERTY(kv::TSelectPanel::TCheckDuplicate CheckDuplicate READ CheckDuplicate WRITE SetCheckDuplicate)
    Q_PROPERTY(kv::TStrings* ChildHints READ ChildHints WRITE SetChildHints)
    Q_PROPERTY(kv::TStrings* ColumnCaptions READ ColumnCaptions WRITE SetColumnCaptions STORED false)
    Q_PROPERTY(kv::TListColumns* Columns READ Columns WRITE SetColumns)
    Q_PROPERTY(kv::TSelectPanel::TDateType DateType MEMBER FDateType)
    Q_PROPERTY(QString DateSign MEMBER FDateSign)
    Q_PROPERTY(QString Discard MEMBER FDiscard)
    Q_PROPERTY(QString EditMask READ EditMask WRITE SetEditMask)
    Q_PROPERTY(kv::TStrings* FinalWords READ FinalWords WRITE SetFinalWords)
    Q_PROPERTY(int GlyphIndex READ GlyphIndex WRITE SetGlyphIndex)
    Q_PROPERTY(QString HintWord READ HintWord WRITE SetHintWord)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(kv::TListItems* Items READ Items WRITE SetItems)
    Q_PROPERTY(int OtherHeight MEMBER FOtherHeight)
    Q_PROPERTY(int OtherWidth MEMBER FOtherWidth)
    Q_PROPERTY(bool ShowColumnHeader READ ShowColumnHeader WRITE SetShowColumnHeader)
    Q_PROPERTY(bool SortListBox READ SortListBox WRITE SetSortListBox)
    Q_PROPERTY(kv::TSelectPanel::TSelectStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(bool UseDiscard MEMBER FUseDiscard)
    Q_PROPERTY(bool UserChoice READ UserChoice WRITE SetUserChoice)
    Q_PROPERTY(bool UseVertical READ UseVertical WRITE SetUseVertical)
    Q_PROPERTY(kv::TSelectPanel::TValueType ValueType MEMBER FValueType)
    Q_PROPERTY(QString spSaveValue READ SaveValue WRITE SetSaveValue STORED false)
    Q_PROPERTY(kv::TSelectPanel::TOpenWinClickEvent OnOpenWinClick MEMBER OnOpenWinClick)
    Q_PROPERTY(kv::TNotifyEvent OnClearClick MEMBER OnClearClick)
    Q_PROPERTY(kv::TSelectPanel::TDeleteClickEvent OnDeleteClick MEMBER OnDeleteClick)
    Q_PROPERTY(kv::TNotifyEvent OnTypeClick MEMBER OnTypeClick)
    Q_PROPERTY(kv::TSelectPanel::TStyleChangingEvent OnStyleChanging MEMBER OnStyleChanging)
    Q_PROPERTY(kv::TSelectPanel::TStyleChangeEvent OnStyleChange MEMBER OnStyleChange)
    Q_PROPERTY(kv::TSelectPanel::TListViewSelectItemEvent OnItemSelect MEMBER OnItemSelect)
    Q_PROPERTY(kv::TLVChangeEvent OnItemChange MEMBER OnItemChange)
    Q_PROPERTY(kv::TLVChangingEvent OnItemChanging MEMBER OnItemChanging)

public:
    explicit TSelectPanel(TComponent* AOwner);
    ~TSelectPanel() override;

    // ---- published state ------------------------------------------------------------
    TSelectStyle Style() const { return FStyle; }
    // OnStyleChanging may refuse; switching to or from sp_Range exchanges the size
    // with OtherWidth x OtherHeight (not in the vertical range layout, not while
    // loading).
    void SetStyle(TSelectStyle style);
    bool UserChoice() const { return FUserChoice; }
    // Only in sp_UserChoice: checks or unchecks the box and switches the inputs.
    void SetUserChoice(bool on);
    bool UseVertical() const { return FUseVertical; }
    // Only in sp_Range.
    void SetUseVertical(bool on);
    bool CanOpenWin() const { return FCanOpenWin; }
    void SetCanOpenWin(bool on);
    int GlyphIndex() const { return FGlyphIndex; }
    void SetGlyphIndex(int index);
    QString HintWord() const { return FHintWord; }
    void SetHintWord(const QString& text);
    TStrings* BeginWords() const { return FBeginWords; }
    void SetBeginWords(TStrings* words);
    TStrings* FinalWords() const { return FFinalWords; }
    void SetFinalWords(TStrings* words);
    TStrings* ChildHints() const { return FChildHints; }
    void SetChildHints(TStrings* hints);
    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& mask);
    bool SortListBox() const { return FSortListBox; }
    void SetSortListBox(bool on);
    TCheckDuplicate CheckDuplicate() const { return FCheckDuplicate; }
    void SetCheckDuplicate(TCheckDuplicate mode);

    bool AutoChangeDateSite() const { return FAutoChangeDateSite; }
    void SetAutoChangeDateSite(bool on) { FAutoChangeDateSite = on; }
    TValueType ValueType() const { return FValueType; }
    void SetValueType(TValueType type) { FValueType = type; }
    TDateType DateType() const { return FDateType; }
    void SetDateType(TDateType type) { FDateType = type; }
    QString DateSign() const { return FDateSign; }
    void SetDateSign(const QString& sign) { FDateSign = sign; }
    bool UseDiscard() const { return FUseDiscard; }
    void SetUseDiscard(bool on) { FUseDiscard = on; }
    QString Discard() const { return FDiscard; }
    void SetDiscard(const QString& text) { FDiscard = text; }
    int OtherWidth() const { return FOtherWidth; }
    void SetOtherWidth(int width) { FOtherWidth = width; }
    int OtherHeight() const { return FOtherHeight; }
    void SetOtherHeight(int height) { FOtherHeight = height; }

    // Kept by the list view.
    bool ColumnsAutoSize() const { return FListView->ColumnsAutoSize; }
    void SetColumnsAutoSize(bool on) { FListView->ColumnsAutoSize = on; }
    bool HideSelection() const { return FListView->HideSelection(); }
    void SetHideSelection(bool on) { FListView->SetHideSelection(on); }
    bool ShowColumnHeader() const { return FListView->ShowColumnHeaders(); }
    void SetShowColumnHeader(bool on) { FListView->SetShowColumnHeaders(on); }
    TListColumns* Columns() const { return FListView->Columns(); }
    void SetColumns(TListColumns* columns);
    TListItems* Items() const { return FListView->Items(); }
    void SetItems(TListItems* items);
    // A fresh list of the column captions.
    TStrings* ColumnCaptions() const;
    // Replaces all columns by one per line, each as wide as its contents.
    void SetColumnCaptions(TStrings* captions);

    // The saved-value text: fields separated by 0x03, led by the style name; list
    // rows are written as caption, 0x01 before each sub-item (the padded empty ones
    // included), 0x04 after each row.
    QString SaveValue() const;
    // Reads a saved-value text back into the edits or the list (the style stays).
    // ESaveValueError when the rows of an "sp_Discrete" value cannot be read; such
    // a text leaves the list as it was.
    void SetSaveValue(const QString& text);

    // ---- operations ----------------------------------------------------------------
    // sp_Range, or sp_UserChoice with the box checked.
    bool IsRangeMode() const;
    // Focuses the panel, and its list when the list is the input.
    void SetFocus() override;
    // Passes the state on to every control inside.
    void SetEnabled(bool on) override;
    // Lays the inputs out for the current style.
    void Relayout();
    void ConvertTexts(const std::function<QString(const QString&)>& convert) override;

    // Rows of the list compared as the list orders them (SortColumn, SortAscending).
    int CompareRows(TListItem* a, TListItem* b) const;
    int CompareRowWith(const QStringList& row, TListItem* item) const;
    // Whether two captions count as duplicates under CheckDuplicate.
    bool SameCaptions(const QString& a, const QString& b) const;
    // What SameCaptions compares of a caption (with duplicates checked).
    QString DuplicateKey(const QString& caption) const;
    // Removes every row whose caption repeats the one above it.
    void RemoveDuplicateRows();
    // The list order: a click on column c sorts by it, a second one reverses.
    void SortByColumn(int column);
    int SortColumn() const { return FSortColumn; }
    bool SortAscending() const { return FSortAscending; }

    // ---- sub-controls --------------------------------------------------------------
    TMavCheckBox* UserChoiceBox() const { return FUserChoiceBox; }
    TPanel* RangePanel() const { return FRangePanel; }
    TLabel* BeginLabel() const { return FBeginLabel; }
    TMavMaskEdit* BeginEdit() const { return FBeginEdit; }
    TF2Button* BeginButton() const { return FBeginButton; }
    TLabel* EndLabel() const { return FEndLabel; }
    TMavMaskEdit* EndEdit() const { return FEndEdit; }
    TF2Button* EndButton() const { return FEndButton; }
    TPanel* ListPanel() const { return FListPanel; }
    TMavListView* ListView() const { return FListView; }
    TF2Button* ListButton() const { return FListButton; }
    TGSpeedButton* DeleteButton() const { return FDeleteButton; }
    TGSpeedButton* ClearButton() const { return FClearButton; }
    QString EmptyMaskText() const { return FEmptyMaskText; }

    TOpenWinClickEvent OnOpenWinClick;
    TNotifyEvent OnClearClick;
    TDeleteClickEvent OnDeleteClick;
    TNotifyEvent OnTypeClick;
    TStyleChangingEvent OnStyleChanging;
    TStyleChangeEvent OnStyleChange;
    TListViewSelectItemEvent OnItemSelect;
    TLVChangeEvent OnItemChange;
    TLVChangingEvent OnItemChanging;

    // Relayouts after the size changed.
    void SetBounds(int left, int top, int width, int height) override;

protected:
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    void FontChanged() override;
    void DoExit() override;
    void Loaded() override;
    // Presses that reach the panel's own window after a control inside had them
    // are not the panel's.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;

private:
    void CreateSubControls();
    void CreateListControls();
    void AttachChildEvents();
    void ForwardPointerEvents(TControl* child, bool asItself);
    void ForwardKeyEvents(TWinControl* child);
    void ForwardListEvents();
    QPoint ToPanelPoint(const TControl* child, int x, int y) const;
    // Whether a point of the control lies on another control inside it (whose
    // widget had the mouse event first).
    static bool HitsInnerControl(const TControl* control, int x, int y);
    bool Designing() const { return ComponentState().testFlag(csDesigning); }
    bool CanLayout() const { return FListView && !FLayoutLocked && !IsDestroying(); }

    // Layout.
    void LayoutFor(TSelectStyle style);
    void SizeUserChoiceBox();
    void ApplyVisibility(TSelectStyle style);
    void PlaceFrame(TPanel* front, TPanel* back, bool withBevel, int top);
    void PlaceRangeFrame();
    void PlaceListFrame();
    void PlaceUserChoiceFrame();
    void PlaceHorizontalRangeInputs();
    void PlaceVerticalRangeInputs();
    void PlaceListInputs();
    void SwapOtherSize();
    bool ParentIsReading() const;
    QString Word(const TStrings* words, int line) const;
    void SetWords(TStrings* target, const TStrings* source, TLabel* label);
    void ApplyChildHints();

    // Child actions.
    void UserChoiceBoxClicked();
    void OpenLookupFor(TWinControl* target);
    void DeleteSelectedRows();
    void ClearAllRows();
    void ChildExited();
    bool FocusStaysInside() const;

    // Exit normalisation.
    void NormaliseRangeOnExit();
    bool IsBlankInput(const QString& text) const;
    bool IsDiscarded(const QString& text) const;
    bool ShouldExchange(QString& begin, QString& end) const;
    bool DateBeginIsLater(const QString& begin, const QString& end) const;
    bool ParseRangeDate(const QString& text, double& date) const;

    // Saved value.
    QString RowsText() const;
    // The rows of a rows field; false when the field is not a sequence of rows.
    static bool SplitRows(const QString& field, std::vector<QStringList>& rows);
    void ReplaceRows(const std::vector<QStringList>& rows);

    TMavCheckBox* FUserChoiceBox = nullptr;
    TPanel* FRangePanel = nullptr;
    TLabel* FBeginLabel = nullptr;
    TMavMaskEdit* FBeginEdit = nullptr;
    TF2Button* FBeginButton = nullptr;
    TLabel* FEndLabel = nullptr;
    TMavMaskEdit* FEndEdit = nullptr;
    TF2Button* FEndButton = nullptr;
    TPanel* FListPanel = nullptr;
    TF2Button* FListButton = nullptr;
    TGSpeedButton* FDeleteButton = nullptr;
    TGSpeedButton* FClearButton = nullptr;
    TMavListView* FListView = nullptr;

    TStringList* FBeginWords = nullptr;
    TStringList* FFinalWords = nullptr;
    TStringList* FChildHints = nullptr;
    TStringList* FColumnCaptionList = nullptr;

    TSelectStyle FStyle = sp_Range;
    TValueType FValueType = vt_String;
    TDateType FDateType = dt_NoneCare;
    TCheckDuplicate FCheckDuplicate = cd_None;
    QString FDateSign = QStringLiteral("/");
    QString FDiscard;
    QString FEditMask;
    QString FEmptyMaskText;
    QString FHintWord;
    int FGlyphIndex = 0;
    int FOtherWidth = 200;
    int FOtherHeight = 105;
    int FSortColumn = 0;
    bool FSortAscending = true;
    bool FAutoChangeDateSite = true;
    bool FCanOpenWin = true;
    bool FSortListBox = false;
    bool FUseDiscard = false;
    bool FUserChoice = true;
    bool FUseVertical = false;
    bool FLastEnabled = true;
    bool FLayoutLocked = false;
};

using TSelectStyle = TSelectPanel::TSelectStyle;
using TValueType = TSelectPanel::TValueType;
using TDateType = TSelectPanel::TDateType;
using TCheckDuplicate = TSelectPanel::TCheckDuplicate;
using TOpenWinClickEvent = TSelectPanel::TOpenWinClickEvent;
using TDeleteClickEvent = TSelectPanel::TDeleteClickEvent;
using TStyleChangingEvent = TSelectPanel::TStyleChangingEvent;
using TStyleChangeEvent = TSelectPanel::TStyleChangeEvent;
using TListViewSelectItemEvent = TSelectPanel::TListViewSelectItemEvent;
using TListViewDataChangeEvent = TSelectPanel::TListViewDataChangeEvent;
using TListViewDataChangingEvent = TSelectPanel::TListViewDataChangingEvent;
using enum TSelectPanel::TSelectStyle;
using enum TSelectPanel::TValueType;
using enum TSelectPanel::TDateType;
using enum TSelectPanel::TCheckDuplicate;

}  // namespace kv

// TDeleteClickEvent is the same type as TCloseQueryEvent (Forms.h); the list-view
// change events are those of ComCtrls.h.
Q_DECLARE_METATYPE(kv::TSelectPanel::TOpenWinClickEvent)
Q_DECLARE_METATYPE(kv::TSelectPanel::TStyleChangingEvent)
Q_DECLARE_METATYPE(kv::TSelectPanel::TStyleChangeEvent)
Q_DECLARE_METATYPE(kv::TSelectPanel::TListViewSelectItemEvent)

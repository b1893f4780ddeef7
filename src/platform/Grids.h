// Grids: a table of cells with fixed (header) rows and columns at the top and the
// left, a current cell, a selection, per-column widths and per-row heights, and an
// in-place editor. The string grid keeps a text and an object per cell, and offers
// each row and each column as a string list that stays in step with the cells.
#pragma once

#include <QFlags>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/Controls.h"

class QPainter;
class QTableView;

namespace kv {

namespace GridEnums {
Q_NAMESPACE

enum TGridOption {
    goFixedVertLine = 0x0001,
    goFixedHorzLine = 0x0002,
    goVertLine = 0x0004,
    goHorzLine = 0x0008,
    goRangeSelect = 0x0010,
    goDrawFocusSelected = 0x0020,
    goRowSizing = 0x0040,
    goColSizing = 0x0080,
    goRowMoving = 0x0100,
    goColMoving = 0x0200,
    goEditing = 0x0400,
    goTabs = 0x0800,
    goRowSelect = 0x1000,
    goAlwaysShowEditor = 0x2000,
    goThumbTracking = 0x4000,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_FLAG_NS(TGridOptions)

enum TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_FLAG_NS(TGridDrawState)

// What the in-place editor of a cell offers: plain text, text with a button
// (OnEditButtonClick), or a drop-down list of choices.
enum TEditStyle { esSimple, esEllipsis, esPickList };
Q_ENUM_NS(TEditStyle)

}  // namespace GridEnums

using namespace GridEnums;

// Misuse of a grid (fixed counts not below the counts, inserting into a row list).
class EInvalidGridOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A block of cells, both corners included.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

class TCustomGrid;

using TSelectCellEvent = TEvent<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TGetEditEvent = TEvent<void(TObject* Sender, int ACol, int ARow, QString& Value)>;
using TSetEditEvent = TEvent<void(TObject* Sender, int ACol, int ARow, const QString& Value)>;
// Drawing goes on the grid's Canvas() (open only while a cell is drawn).
using TDrawCellEvent = TEvent<void(TObject* Sender, int ACol, int ARow, const QRect& Rect, TGridDrawState State)>;

namespace grid_detail {
class GridView;
class GridModel;
class GridDelegate;
class GridHeader;
class GridSelectionModel;
class CornerPainter;
}  // namespace grid_detail

// The grid machinery: counts, sizes, the current cell and selection, keyboard
// and mouse moves, in-place editing. What a cell holds and shows is up to the
// descendants (DrawCell, GetEditText, SetEditText).
class TCustomGrid : public TCustomControl {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:FixedColor", "TColor")
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    int ColCount() const { return FColCount; }
    virtual void SetColCount(int count);
    int RowCount() const { return FRowCount; }
    virtual void SetRowCount(int count);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int count);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int count);

    int DefaultColWidth() const { return FDefaultColWidth; }
    // Resets every column to the new width.
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int height);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int width);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor color);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool on);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle style);

    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions options);

    // The current cell. Moving there asks SelectCell (OnSelectCell may refuse).
    int Col() const { return FCurrent.x(); }
    void SetCol(int col);
    int Row() const { return FCurrent.y(); }
    void SetRow(int row);
    // The selected block (whole rows under goRowSelect). Setting it makes the
    // bottom-right corner current.
    TGridRect Selection() const;
    void SetSelection(const TGridRect& rect);
    // The first non-fixed row and column shown.
    int TopRow() const;
    void SetTopRow(int row);
    int LeftCol() const;
    void SetLeftCol(int col);

    // The in-place editor is shown on the current cell.
    bool EditorMode() const;
    void SetEditorMode(bool on);
    // The editor while it is shown, else null (for tests and owner-drawn forms).
    QWidget* InplaceEditor() const;
    // The painter while a cell is drawn, else null.
    QPainter* Canvas() const { return FCanvas; }
    // The cell at a point of the grid's client area, (-1, -1) when none.
    QPoint MouseCoord(int x, int y) const;
    QRect CellRect(int col, int row) const;

    bool WantsTabKey() const override { return FOptions.testFlag(goTabs); }

    // Presses the button of the current cell's editor.
    virtual void EditButtonClick();

    QTableView* View() const;

    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;
    TNotifyEvent OnEditButtonClick;

protected:
    friend class grid_detail::GridView;
    friend class grid_detail::GridModel;
    friend class grid_detail::GridDelegate;
    friend class grid_detail::GridHeader;
    friend class grid_detail::GridSelectionModel;
    friend class grid_detail::CornerPainter;

    // Whether the cell may become current; raises OnSelectCell.
    virtual bool SelectCell(int col, int row);
    virtual void DrawCell(int col, int row, const QRect& rect, TGridDrawState state);
    virtual QString GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const QString& value);
    virtual TEditStyle GetEditStyle(int col, int row);
    // The choices of a pick-list editor.
    virtual QStringList GetPickListItems(int col, int row);
    virtual bool CanEditShow() const;
    // The counts changed; the cells that remain keep their contents.
    virtual void SizeChanged(int oldColCount, int oldRowCount);

    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(QChar& key) override;
    void DoEnter() override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;

    // Redraws one cell (after its contents changed).
    void InvalidateCell(int col, int row);
    void InvalidateGrid();
    // The cell's text changed from outside the editor: the open editor shows it.
    void UpdateEditorText(int col, int row);

private:
    void ApplyCounts(int cols, int rows);
    void ApplyOptions();
    // Moves the current cell; extend keeps the anchor (range selection).
    bool MoveCurrent(int col, int row, bool extend, bool showEditor = true);
    void MoveBy(int dCols, int dRows, bool extend);
    void TabMove(bool forward);
    bool IsFixed(int col, int row) const { return col < FFixedCols || row < FFixedRows; }
    void ShowEditor();
    void HideEditor();
    void CancelEdit();
    void EditorOpened(QWidget* editor, int col, int row);
    void EditorClosed();
    void ResetEditorText();
    void PaintCell(QPainter& painter, int col, int row, const QRect& rect);

    grid_detail::GridView* FView = nullptr;
    grid_detail::GridModel* FModel = nullptr;
    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    std::vector<int> FColWidths;
    std::vector<int> FRowHeights;
    int FGridLineWidth = 1;
    TColor FFixedColor = clBtnFace;
    bool FDefaultDrawing = true;
    TScrollStyle FScrollBars = ssBoth;
    TGridOptions FOptions;
    QPoint FCurrent{1, 1};
    QPoint FAnchor{1, 1};
    QPainter* FCanvas = nullptr;
    QPointer<QWidget> FEditor;
    QString FEditOriginal;
    bool FMovingView = false;
    bool FSettingEditorText = false;
    bool FClickedCurrent = false;
};

// A grid whose cells are drawn and edited through events.
class TCustomDrawGrid : public TCustomGrid {
    Q_OBJECT
public:
    explicit TCustomDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    TDrawCellEvent OnDrawCell;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;

protected:
    void DrawCell(int col, int row, const QRect& rect, TGridDrawState state) override;
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString& value) override;
};

class TDrawGrid : public TCustomDrawGrid {
    Q_OBJECT
    Q_PROPERTY(int ColCount READ ColCount WRITE SetColCount)
    Q_PROPERTY(int RowCount READ RowCount WRITE SetRowCount)
    Q_PROPERTY(int FixedCols READ FixedCols WRITE SetFixedCols)
    Q_PROPERTY(int FixedRows READ FixedRows WRITE SetFixedRows)
    Q_PROPERTY(int DefaultColWidth READ DefaultColWidth WRITE SetDefaultColWidth)
    Q_PROPERTY(int DefaultRowHeight READ DefaultRowHeight WRITE SetDefaultRowHeight)
    Q_PROPERTY(int GridLineWidth READ GridLineWidth WRITE SetGridLineWidth)
    Q_PROPERTY(int FixedColor READ FixedColor WRITE SetFixedColor)
    Q_PROPERTY(bool DefaultDrawing READ DefaultDrawing WRITE SetDefaultDrawing)
    Q_PROPERTY(kv::Enums::TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(kv::GridEnums::TGridOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(kv::TSelectCellEvent OnSelectCell MEMBER OnSelectCell)
    Q_PROPERTY(kv::TDrawCellEvent OnDrawCell MEMBER OnDrawCell)
    Q_PROPERTY(kv::TGetEditEvent OnGetEditText MEMBER OnGetEditText)
    Q_PROPERTY(kv::TSetEditEvent OnSetEditText MEMBER OnSetEditText)
    Q_PROPERTY(kv::TNotifyEvent OnTopLeftChanged MEMBER OnTopLeftChanged)
    Q_PROPERTY(kv::TNotifyEvent OnEditButtonClick MEMBER OnEditButtonClick)
public:
    explicit TDrawGrid(TComponent* AOwner) : TCustomDrawGrid(AOwner) {}
};

class TStringGrid;

// One row or one column of a string grid as a list: as many lines as the grid
// has columns (rows). Add fills the first empty cell; inserting is refused.
class TStringGridStrings : public TStrings {
    Q_OBJECT
public:
    TStringGridStrings(int capacity, QObject* parent) : TStrings(parent), FCapacity(capacity) { Fit(); }
    int Add(const QString& text) override;
    void Insert(int index, const QString& text) override;

private:
    friend class TStringGrid;
    // Pads with empty lines or cuts to the capacity, without notifying.
    void Fit();
    void SetCapacity(int capacity);
    // Writes one line without notifying (the grid keeps its lists in step).
    void SetLine(int index, const QString& text, TObject* object);
    int FCapacity;
};

// A grid of texts (and objects) per cell.
class TStringGrid : public TDrawGrid {
    Q_OBJECT
public:
    explicit TStringGrid(TComponent* AOwner);
    ~TStringGrid() override;

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    TObject* Objects(int col, int row) const;
    void SetObjects(int col, int row, TObject* object);
    // The lists of one column or one row; they follow the cells and the cells
    // follow them. They live as long as the column (row) does.
    TStrings* Cols(int col) const;
    TStrings* Rows(int row) const;
    void SetCols(int col, const TStrings* lines);
    void SetRows(int row, const TStrings* lines);

    // Removes a row (column); those below (to the right) move up (left).
    void DeleteRow(int row);
    void DeleteColumn(int col);
    // Moves a row to another position; the others shift.
    void MoveRow(int from, int to);

protected:
    void DrawCell(int col, int row, const QRect& rect, TGridDrawState state) override;
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString& value) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;

private:
    void RowChanged(int row);
    void ColChanged(int col);
    void CheckCell(int col, int row) const;
    std::vector<TStringGridStrings*> FRows;
    std::vector<TStringGridStrings*> FCols;
    bool FSyncing = false;
};

}  // namespace kv

Q_DECLARE_OPERATORS_FOR_FLAGS(kv::GridEnums::TGridOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(kv::GridEnums::TGridDrawState)
Q_DECLARE_METATYPE(kv::TSelectCellEvent)
Q_DECLARE_METATYPE(kv::TGetEditEvent)
Q_DECLARE_METATYPE(kv::TSetEditEvent)
Q_DECLARE_METATYPE(kv::TDrawCellEvent)

#include "platform/Grids.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>

#include "platform/Forms.h"

namespace kv {

namespace grid_detail {

// The model only maps Qt indices to cells; what a cell shows and edits comes
// from the grid. The first fixed row and column are the view's headers, so they
// stay in place while the cells scroll.
class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(TCustomGrid* grid) : QAbstractTableModel(grid), FGrid(grid) {}

    int HeaderRows() const { return FGrid->FFixedRows > 0 ? 1 : 0; }
    int HeaderCols() const { return FGrid->FFixedCols > 0 ? 1 : 0; }
    QPoint ToCell(const QModelIndex& index) const {
        return {index.column() + HeaderCols(), index.row() + HeaderRows()};
    }
    QModelIndex ToIndex(int col, int row) const {
        if (col < HeaderCols() || row < HeaderRows()) return {};
        return index(row - HeaderRows(), col - HeaderCols());
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : FGrid->FRowCount - HeaderRows();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : FGrid->FColCount - HeaderCols();
    }
    QVariant data(const QModelIndex&, int) const override { return {}; }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        const QPoint cell = ToCell(index);
        if (FGrid->IsFixed(cell.x(), cell.y())) return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void CellChanged(int col, int row) {
        const QModelIndex i = ToIndex(col, row);
        if (i.isValid()) emit dataChanged(i, i);
    }

private:
    TCustomGrid* FGrid;
};

// Headers draw the first fixed row and column as grid cells.
class GridHeader : public QHeaderView {
public:
    GridHeader(Qt::Orientation orientation, TCustomGrid* grid) : QHeaderView(orientation), FGrid(grid) {
        setSectionsClickable(false);
        setHighlightSections(false);
        setMinimumSectionSize(0);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid()) return;
        painter->save();
        if (orientation() == Qt::Horizontal)
            FGrid->PaintCell(*painter, logicalIndex + (FGrid->FFixedCols > 0 ? 1 : 0), 0, rect);
        else
            FGrid->PaintCell(*painter, 0, logicalIndex + (FGrid->FFixedRows > 0 ? 1 : 0), rect);
        painter->restore();
    }

private:
    TCustomGrid* FGrid;
};

// Every change of the view's current index asks the grid first, so a refused
// cell (OnSelectCell) never becomes current.
class GridSelectionModel : public QItemSelectionModel {
public:
    GridSelectionModel(QAbstractItemModel* model, TCustomGrid* grid) : QItemSelectionModel(model, grid), FGrid(grid) {}

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override {
        if (FGrid->FMovingView || !index.isValid()) {
            QItemSelectionModel::setCurrentIndex(index, command);
            return;
        }
        const QPoint cell = static_cast<GridModel*>(model())->ToCell(index);
        const bool extend = (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) &&
                            FGrid->FOptions.testFlag(goRangeSelect);
        FGrid->MoveCurrent(cell.x(), cell.y(), extend);
    }

private:
    TCustomGrid* FGrid;
};

class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(TCustomGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QPoint cell = FGrid->FModel->ToCell(index);
        painter->save();
        FGrid->PaintCell(*painter, cell.x(), cell.y(), option.rect);
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const QPoint cell = FGrid->FModel->ToCell(index);
        const int col = cell.x();
        const int row = cell.y();
        switch (FGrid->GetEditStyle(col, row)) {
            case esPickList: {
                auto* combo = new QComboBox(parent);
                combo->setEditable(false);
                combo->addItems(FGrid->GetPickListItems(col, row));
                return combo;
            }
            case esEllipsis: {
                auto* edit = new QLineEdit(parent);
                edit->setFrame(false);
                QAction* button = edit->addAction(EllipsisIcon(), QLineEdit::TrailingPosition);
                button->setObjectName("EditButton");
                QObject::connect(button, &QAction::triggered, FGrid, [grid = FGrid] { grid->EditButtonClick(); });
                return edit;
            }
            case esSimple: break;
        }
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        return edit;
    }

    void setEditorData(QWidget*, const QModelIndex&) const override {
        // The grid fills the editor once when it opens (EditorOpened); refreshing
        // it from the model would undo what the user typed.
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {
        // Every change of the editor's text already went to the grid.
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const int line = FGrid->FGridLineWidth;
        editor->setGeometry(option.rect.adjusted(0, 0, -line, -line));
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        // Keys are the grid's (moves, Enter, Escape): they reach the editor
        // through the control, not through the delegate's own shortcuts.
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) return false;
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    static QIcon EllipsisIcon() {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setPen(Qt::black);
        for (int x : {3, 7, 11}) p.drawRect(x, 11, 1, 1);
        return QIcon(pm);
    }
    TCustomGrid* FGrid;
};

// The view's corner button sits over the fixed cell (0, 0) when both a fixed row
// and a fixed column show: it is painted as that cell.
class CornerPainter : public QObject {
public:
    CornerPainter(TCustomGrid* grid, QWidget* corner) : QObject(corner), FGrid(grid) { corner->installEventFilter(this); }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        auto* corner = static_cast<QWidget*>(object);
        QPainter painter(corner);
        FGrid->PaintCell(painter, 0, 0, corner->rect());
        return true;
    }

private:
    TCustomGrid* FGrid;
};

class GridView : public QTableView {
public:
    explicit GridView(TCustomGrid* grid) : FGrid(grid) {
        setHorizontalHeader(new GridHeader(Qt::Horizontal, grid));
        setVerticalHeader(new GridHeader(Qt::Vertical, grid));
        setShowGrid(false);
        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::DoubleClicked);
        setTabKeyNavigation(false);
        setCornerButtonEnabled(false);
        setWordWrap(false);
        setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
        setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    }

    using QTableView::edit;
    void CloseEditor(QWidget* editor) { closeEditor(editor, QAbstractItemDelegate::NoHint); }

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (trigger != QAbstractItemView::AllEditTriggers) {
            // Only the current cell is edited, and only when the grid allows it.
            if (!FGrid->CanEditShow() || FGrid->FModel->ToCell(index) != FGrid->FCurrent) return false;
            if (trigger != QAbstractItemView::DoubleClicked) return false;
        }
        if (!QTableView::edit(index, trigger, event)) return false;
        if (QWidget* editor = indexWidget(index)) {
            const QPoint cell = FGrid->FModel->ToCell(index);
            FGrid->EditorOpened(editor, cell.x(), cell.y());
        }
        return true;
    }
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (FGrid->FEditor == editor || !FGrid->FEditor) FGrid->EditorClosed();
        (void)hint;
    }
    void keyboardSearch(const QString&) override {}

private:
    TCustomGrid* FGrid;
};

}  // namespace grid_detail

using grid_detail::GridModel;
using grid_detail::GridView;

// ---- TCustomGrid --------------------------------------------------------------------

TCustomGrid::TCustomGrid(TComponent* AOwner)
    : TCustomControl(AOwner, NewWidget<GridView>(this)),
      FOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect) {
    FView = static_cast<GridView*>(FHandle.data());
    FModel = new GridModel(this);
    FView->setModel(FModel);
    QItemSelectionModel* old = FView->selectionModel();
    FView->setSelectionModel(new grid_detail::GridSelectionModel(FModel, this));
    delete old;
    FView->setItemDelegate(new grid_detail::GridDelegate(this));
    FView->setFocusPolicy(Qt::StrongFocus);
    if (auto* corner = FView->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly))
        new grid_detail::CornerPainter(this, corner);
    RouteEventsFrom(FView->viewport());
    FColWidths.assign(static_cast<size_t>(FColCount), FDefaultColWidth);
    FRowHeights.assign(static_cast<size_t>(FRowCount), FDefaultRowHeight);
    SetTabStop(true);
    SetColor(clWindow);
    FView->resize(320, 120);
    connect(FView->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (FMovingView) return;
        const size_t col = static_cast<size_t>(section + FModel->HeaderCols());
        if (col < FColWidths.size()) FColWidths[col] = std::max(0, size - FGridLineWidth);
    });
    connect(FView->verticalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (FMovingView) return;
        const size_t row = static_cast<size_t>(section + FModel->HeaderRows());
        if (row < FRowHeights.size()) FRowHeights[row] = std::max(0, size - FGridLineWidth);
    });
    auto topLeft = [this] {
        if (OnTopLeftChanged) OnTopLeftChanged(this);
    };
    connect(FView->verticalScrollBar(), &QScrollBar::valueChanged, this, topLeft);
    connect(FView->horizontalScrollBar(), &QScrollBar::valueChanged, this, topLeft);
    ApplyCounts(FColCount, FRowCount);
    ApplyOptions();
}

TCustomGrid::~TCustomGrid() {
    // The view's delegate and headers call back into the grid while they go.
    SetComponentStateFlag(csDestroying, true);
    if (FEditor) FEditor->removeEventFilter(this);
}

QTableView* TCustomGrid::View() const { return FView; }

void TCustomGrid::SetColCount(int count) {
    count = std::max(1, count);
    if (count == FColCount) return;
    if (FFixedCols >= count) FFixedCols = count - 1;
    ApplyCounts(count, FRowCount);
}

void TCustomGrid::SetRowCount(int count) {
    count = std::max(1, count);
    if (count == FRowCount) return;
    if (FFixedRows >= count) FFixedRows = count - 1;
    ApplyCounts(FColCount, count);
}

void TCustomGrid::SetFixedCols(int count) {
    if (count < 0 || count >= FColCount)
        throw EInvalidGridOperation("Fixed column count must be less than column count");
    if (count == FFixedCols) return;
    FFixedCols = count;
    ApplyCounts(FColCount, FRowCount);
}

void TCustomGrid::SetFixedRows(int count) {
    if (count < 0 || count >= FRowCount) throw EInvalidGridOperation("Fixed row count must be less than row count");
    if (count == FFixedRows) return;
    FFixedRows = count;
    ApplyCounts(FColCount, FRowCount);
}

void TCustomGrid::ApplyCounts(int cols, int rows) {
    HideEditor();
    const int oldCols = static_cast<int>(FColWidths.size());
    const int oldRows = static_cast<int>(FRowHeights.size());
    FColCount = cols;
    FRowCount = rows;
    FColWidths.resize(static_cast<size_t>(cols), FDefaultColWidth);
    FRowHeights.resize(static_cast<size_t>(rows), FDefaultRowHeight);
    if (cols != oldCols || rows != oldRows) SizeChanged(oldCols, oldRows);

    FMovingView = true;
    FModel->Reset();
    const int hc = FModel->HeaderCols();
    const int hr = FModel->HeaderRows();
    const int line = FGridLineWidth;
    FView->horizontalHeader()->setVisible(hr > 0);
    FView->verticalHeader()->setVisible(hc > 0);
    FView->horizontalHeader()->setDefaultSectionSize(FDefaultColWidth + line);
    FView->verticalHeader()->setDefaultSectionSize(FDefaultRowHeight + line);
    for (int c = hc; c < cols; ++c) FView->setColumnWidth(c - hc, FColWidths[static_cast<size_t>(c)] + line);
    for (int r = hr; r < rows; ++r) FView->setRowHeight(r - hr, FRowHeights[static_cast<size_t>(r)] + line);
    if (hr > 0) FView->horizontalHeader()->setFixedHeight(FRowHeights[0] + line);
    if (hc > 0) FView->verticalHeader()->setFixedWidth(FColWidths[0] + line);
    FMovingView = false;

    // The current cell stays inside the grid and out of the fixed cells.
    auto clampCell = [&](QPoint p) {
        return QPoint(std::clamp(p.x(), FFixedCols, cols - 1), std::clamp(p.y(), FFixedRows, rows - 1));
    };
    FCurrent = clampCell(FCurrent);
    FAnchor = clampCell(FAnchor);
    FMovingView = true;
    FView->setCurrentIndex(FModel->ToIndex(FCurrent.x(), FCurrent.y()));
    FMovingView = false;
    InvalidateGrid();
}

void TCustomGrid::SizeChanged(int, int) {}

void TCustomGrid::SetDefaultColWidth(int width) {
    FDefaultColWidth = std::max(0, width);
    std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
    ApplyCounts(FColCount, FRowCount);
}

void TCustomGrid::SetDefaultRowHeight(int height) {
    FDefaultRowHeight = std::max(0, height);
    std::fill(FRowHeights.begin(), FRowHeights.end(), FDefaultRowHeight);
    ApplyCounts(FColCount, FRowCount);
}

int TCustomGrid::ColWidths(int col) const {
    if (col < 0 || col >= FColCount) return FDefaultColWidth;
    return FColWidths[static_cast<size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= FColCount) throw EInvalidGridOperation("Grid index out of range");
    FColWidths[static_cast<size_t>(col)] = std::max(0, width);
    ApplyCounts(FColCount, FRowCount);
}

int TCustomGrid::RowHeights(int row) const {
    if (row < 0 || row >= FRowCount) return FDefaultRowHeight;
    return FRowHeights[static_cast<size_t>(row)];
}

void TCustomGrid::SetRowHeights(int row, int height) {
    if (row < 0 || row >= FRowCount) throw EInvalidGridOperation("Grid index out of range");
    FRowHeights[static_cast<size_t>(row)] = std::max(0, height);
    ApplyCounts(FColCount, FRowCount);
}

void TCustomGrid::SetGridLineWidth(int width) {
    FGridLineWidth = std::max(0, width);
    ApplyCounts(FColCount, FRowCount);
}

void TCustomGrid::SetFixedColor(TColor color) {
    FFixedColor = color;
    InvalidateGrid();
}

void TCustomGrid::SetDefaultDrawing(bool on) {
    FDefaultDrawing = on;
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle style) {
    FScrollBars = style;
    const bool horz = style == ssHorizontal || style == ssBoth;
    const bool vert = style == ssVertical || style == ssBoth;
    FView->setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    FView->setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TCustomGrid::SetOptions(TGridOptions options) {
    if (options == FOptions) return;
    FOptions = options;
    ApplyOptions();
}

void TCustomGrid::ApplyOptions() {
    if (!CanEditShow()) HideEditor();
    if (!FOptions.testFlag(goRangeSelect)) FAnchor = FCurrent;
    FView->horizontalHeader()->setSectionResizeMode(FOptions.testFlag(goColSizing) ? QHeaderView::Interactive
                                                                                     : QHeaderView::Fixed);
    FView->verticalHeader()->setSectionResizeMode(FOptions.testFlag(goRowSizing) ? QHeaderView::Interactive
                                                                                   : QHeaderView::Fixed);
    if (FOptions.testFlag(goAlwaysShowEditor) && CanEditShow() && Showing()) ShowEditor();
    InvalidateGrid();
}

// ---- current cell and selection -------------------------------------------------------

bool TCustomGrid::SelectCell(int col, int row) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, col, row, can);
    return can;
}

bool TCustomGrid::MoveCurrent(int col, int row, bool extend, bool showEditor) {
    if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount)
        throw EInvalidGridOperation("Grid index out of range");
    if (IsFixed(col, row)) return false;
    if (!FOptions.testFlag(goRangeSelect)) extend = false;
    const QPoint target(col, row);
    if (target != FCurrent) {
        QPointer<TCustomGrid> alive(this);
        if (!SelectCell(col, row) || !alive) return false;
        HideEditor();
        FCurrent = target;
    }
    if (!extend) FAnchor = FCurrent;
    FMovingView = true;
    const QModelIndex index = FModel->ToIndex(col, row);
    FView->setCurrentIndex(index);
    if (index.isValid()) FView->scrollTo(index);
    FMovingView = false;
    InvalidateGrid();
    if (showEditor && FOptions.testFlag(goAlwaysShowEditor) && Showing()) ShowEditor();
    return true;
}

void TCustomGrid::SetCol(int col) { MoveCurrent(col, FCurrent.y(), false); }
void TCustomGrid::SetRow(int row) { MoveCurrent(FCurrent.x(), row, false); }

TGridRect TCustomGrid::Selection() const {
    TGridRect r;
    r.Top = std::min(FAnchor.y(), FCurrent.y());
    r.Bottom = std::max(FAnchor.y(), FCurrent.y());
    if (FOptions.testFlag(goRowSelect)) {
        r.Left = FFixedCols;
        r.Right = FColCount - 1;
    } else {
        r.Left = std::min(FAnchor.x(), FCurrent.x());
        r.Right = std::max(FAnchor.x(), FCurrent.x());
    }
    return r;
}

void TCustomGrid::SetSelection(const TGridRect& rect) {
    if (!MoveCurrent(rect.Right, rect.Bottom, false)) return;
    if (FOptions.testFlag(goRangeSelect)) {
        FAnchor = QPoint(std::clamp(rect.Left, FFixedCols, FColCount - 1), std::clamp(rect.Top, FFixedRows, FRowCount - 1));
        InvalidateGrid();
    }
}

int TCustomGrid::TopRow() const {
    const int first = FView->rowAt(0);
    return std::max(FFixedRows, first < 0 ? FFixedRows : first + FModel->HeaderRows());
}

void TCustomGrid::SetTopRow(int row) {
    const QModelIndex index = FModel->ToIndex(std::max(FFixedCols, LeftCol()), std::clamp(row, FFixedRows, FRowCount - 1));
    if (index.isValid()) FView->scrollTo(index, QAbstractItemView::PositionAtTop);
}

int TCustomGrid::LeftCol() const {
    const int first = FView->columnAt(0);
    return std::max(FFixedCols, first < 0 ? FFixedCols : first + FModel->HeaderCols());
}

void TCustomGrid::SetLeftCol(int col) {
    const int value = std::clamp(col, FFixedCols, FColCount - 1) - FModel->HeaderCols();
    if (value >= 0) FView->horizontalScrollBar()->setValue(value);
}

void TCustomGrid::MoveBy(int dCols, int dRows, bool extend) {
    const int col = std::clamp(FCurrent.x() + dCols, FFixedCols, FColCount - 1);
    const int row = std::clamp(FCurrent.y() + dRows, FFixedRows, FRowCount - 1);
    if (col != FCurrent.x() || row != FCurrent.y() || extend != (FAnchor != FCurrent)) MoveCurrent(col, row, extend);
}

void TCustomGrid::TabMove(bool forward) {
    int col = FCurrent.x();
    int row = FCurrent.y();
    // Round the grid, row by row, wrapping from the last cell to the first.
    if (forward) {
        if (++col >= FColCount) {
            col = FFixedCols;
            if (++row >= FRowCount) row = FFixedRows;
        }
    } else if (--col < FFixedCols) {
        col = FColCount - 1;
        if (--row < FFixedRows) row = FRowCount - 1;
    }
    MoveCurrent(col, row, false);
}

QPoint TCustomGrid::MouseCoord(int x, int y) const {
    const QPoint p = FView->viewport()->mapFrom(FView, QPoint(x, y));
    int col = -1;
    int row = -1;
    if (p.x() < 0 && FModel->HeaderCols() > 0 && x >= FView->verticalHeader()->x())
        col = 0;
    else if (const int c = FView->columnAt(p.x()); c >= 0)
        col = c + FModel->HeaderCols();
    if (p.y() < 0 && FModel->HeaderRows() > 0 && y >= FView->horizontalHeader()->y())
        row = 0;
    else if (const int r = FView->rowAt(p.y()); r >= 0)
        row = r + FModel->HeaderRows();
    if (col < 0 || row < 0) return {-1, -1};
    return {col, row};
}

QRect TCustomGrid::CellRect(int col, int row) const {
    if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount) return {};
    const QPoint origin = FView->viewport()->mapTo(FView, QPoint(0, 0));
    const int hc = FModel->HeaderCols();
    const int hr = FModel->HeaderRows();
    const int x = col < hc ? FView->verticalHeader()->x() : origin.x() + FView->columnViewportPosition(col - hc);
    const int y = row < hr ? FView->horizontalHeader()->y() : origin.y() + FView->rowViewportPosition(row - hr);
    return QRect(x, y, ColWidths(col), RowHeights(row));
}

// ---- editing ------------------------------------------------------------------------

bool TCustomGrid::CanEditShow() const {
    return FOptions.testFlag(goEditing) && !FOptions.testFlag(goRowSelect) && !IsFixed(FCurrent.x(), FCurrent.y());
}

bool TCustomGrid::EditorMode() const { return !FEditor.isNull(); }

void TCustomGrid::SetEditorMode(bool on) {
    if (on)
        ShowEditor();
    else
        HideEditor();
}

QWidget* TCustomGrid::InplaceEditor() const { return FEditor.data(); }

void TCustomGrid::ShowEditor() {
    if (FEditor || !CanEditShow()) return;
    const QModelIndex index = FModel->ToIndex(FCurrent.x(), FCurrent.y());
    if (!index.isValid()) return;
    FView->scrollTo(index);
    FView->edit(index);
}

void TCustomGrid::HideEditor() {
    if (!FEditor) return;
    QWidget* editor = FEditor.data();
    const bool hadFocus = editor->hasFocus();
    FView->CloseEditor(editor);
    FEditor = nullptr;
    if (hadFocus) FView->setFocus(Qt::OtherFocusReason);
}

void TCustomGrid::CancelEdit() {
    if (!FEditor) return;
    const int col = FCurrent.x();
    const int row = FCurrent.y();
    if (GetEditText(col, row) != FEditOriginal) SetEditText(col, row, FEditOriginal);
    HideEditor();
}

void TCustomGrid::EditorOpened(QWidget* editor, int col, int row) {
    FEditor = editor;
    FEditOriginal = GetEditText(col, row);
    FSettingEditorText = true;
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(FEditOriginal);
        line->selectAll();
        connect(line, &QLineEdit::textChanged, this, [this, col, row](const QString& text) {
            if (!FSettingEditorText) SetEditText(col, row, text);
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int at = combo->findText(FEditOriginal);
        if (at < 0 && !FEditOriginal.isEmpty()) combo->addItem(FEditOriginal);
        combo->setCurrentIndex(at >= 0 ? at : combo->findText(FEditOriginal));
        connect(combo, &QComboBox::currentTextChanged, this, [this, col, row](const QString& text) {
            if (!FSettingEditorText) SetEditText(col, row, text);
        });
    }
    FSettingEditorText = false;
    RouteEventsFrom(editor);
}

void TCustomGrid::EditorClosed() {
    if (FEditor) FEditor->removeEventFilter(this);
    FEditor = nullptr;
    InvalidateGrid();
}

void TCustomGrid::UpdateEditorText(int col, int row) {
    if (!FEditor || FCurrent != QPoint(col, row) || FSettingEditorText) return;
    const QString text = GetEditText(col, row);
    FSettingEditorText = true;
    if (auto* line = qobject_cast<QLineEdit*>(FEditor.data())) {
        if (line->text() != text) line->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(FEditor.data())) {
        const int at = combo->findText(text);
        if (at >= 0) combo->setCurrentIndex(at);
    }
    FSettingEditorText = false;
}

QString TCustomGrid::GetEditText(int, int) { return QString(); }
void TCustomGrid::SetEditText(int, int, const QString&) {}
TEditStyle TCustomGrid::GetEditStyle(int, int) { return esSimple; }
QStringList TCustomGrid::GetPickListItems(int, int) { return {}; }

void TCustomGrid::EditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
}

// ---- keys and mouse -----------------------------------------------------------------

namespace {

// Caret at the left (right) end of the editor's text, nothing selected.
bool CaretAtEdge(QWidget* editor, bool right) {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return true;
    if (line->hasSelectedText()) return false;
    return right ? line->cursorPosition() == line->text().size() : line->cursorPosition() == 0;
}

}  // namespace

void TCustomGrid::KeyDown(std::uint16_t& key, TShiftState shift) {
    QPointer<TCustomGrid> alive(this);
    TCustomControl::KeyDown(key, shift);
    if (!alive || key == 0 || (shift & ssAlt)) return;
    const bool editing = EditorMode();
    const bool ctrl = shift & ssCtrl;
    const bool extend = (shift & ssShift) && !editing;
    const bool rowSelect = FOptions.testFlag(goRowSelect);
    const int page = std::max(1, FView->viewport()->height() / std::max(1, FDefaultRowHeight + FGridLineWidth));
    switch (key) {
        case VK_UP: MoveBy(0, -1, extend); break;
        case VK_DOWN: MoveBy(0, 1, extend); break;
        case VK_PRIOR: MoveBy(0, -page, extend); break;
        case VK_NEXT: MoveBy(0, page, extend); break;
        case VK_LEFT:
            if (editing && !CaretAtEdge(FEditor, false)) return;
            if (rowSelect) return;
            MoveBy(-1, 0, extend);
            break;
        case VK_RIGHT:
            if (editing && !CaretAtEdge(FEditor, true)) return;
            if (rowSelect) return;
            MoveBy(1, 0, extend);
            break;
        case VK_HOME:
            if (editing) return;
            if (ctrl || rowSelect)
                MoveCurrent(rowSelect ? FCurrent.x() : FFixedCols, FFixedRows, extend);
            else
                MoveCurrent(FFixedCols, FCurrent.y(), extend);
            break;
        case VK_END:
            if (editing) return;
            if (ctrl || rowSelect)
                MoveCurrent(rowSelect ? FCurrent.x() : FColCount - 1, FRowCount - 1, extend);
            else
                MoveCurrent(FColCount - 1, FCurrent.y(), extend);
            break;
        case VK_TAB:
            if (!FOptions.testFlag(goTabs) || ctrl) return;
            TabMove(!(shift & ssShift));
            break;
        case VK_F2:
            if (!CanEditShow()) return;
            ShowEditor();
            break;
        case VK_ESCAPE:
            // Escape undoes the edit; with an editor that is always shown and
            // nothing to undo it belongs to the form (its Cancel button).
            if (!editing) return;
            if (FOptions.testFlag(goAlwaysShowEditor)) {
                if (GetEditText(FCurrent.x(), FCurrent.y()) == FEditOriginal) return;
                SetEditText(FCurrent.x(), FCurrent.y(), FEditOriginal);
                ResetEditorText();
            } else {
                CancelEdit();
            }
            break;
        default: return;
    }
    if (alive) key = 0;
}

void TCustomGrid::ResetEditorText() {
    UpdateEditorText(FCurrent.x(), FCurrent.y());
    if (auto* line = qobject_cast<QLineEdit*>(FEditor.data())) line->selectAll();
}

void TCustomGrid::KeyPress(QChar& key) {
    QPointer<TCustomGrid> alive(this);
    TCustomControl::KeyPress(key);
    if (!alive || key.isNull()) return;
    if (key == QLatin1Char('\r')) {
        if (FOptions.testFlag(goEditing) && !FOptions.testFlag(goAlwaysShowEditor) && CanEditShow()) {
            if (EditorMode())
                HideEditor();
            else
                ShowEditor();
            key = QChar();
        }
        return;
    }
    // A character typed on a cell opens the editor with that character.
    if (!EditorMode() && key.isPrint() && CanEditShow()) {
        ShowEditor();
        if (auto* line = qobject_cast<QLineEdit*>(FEditor.data())) {
            line->setText(QString(key));
            key = QChar();
        }
    }
}

void TCustomGrid::DoEnter() {
    TCustomControl::DoEnter();
    if (FOptions.testFlag(goAlwaysShowEditor)) ShowEditor();
}

bool TCustomGrid::WidgetEvent(QWidget* widget, QEvent* event) {
    if (widget == FView->viewport()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                auto* me = static_cast<QMouseEvent*>(event);
                const QModelIndex index = FView->indexAt(me->position().toPoint());
                FClickedCurrent = index.isValid() && FModel->ToCell(index) == FCurrent && me->button() == Qt::LeftButton;
                break;
            }
            case QEvent::MouseButtonRelease: {
                auto* me = static_cast<QMouseEvent*>(event);
                const QModelIndex index = FView->indexAt(me->position().toPoint());
                const bool again = FClickedCurrent && index.isValid() && FModel->ToCell(index) == FCurrent;
                FClickedCurrent = false;
                const bool result = TCustomControl::WidgetEvent(widget, event);
                // A second click on the current cell edits it.
                if (again && !EditorMode() && CanEditShow()) ShowEditor();
                return result;
            }
            case QEvent::MouseMove: {
                auto* me = static_cast<QMouseEvent*>(event);
                if ((me->buttons() & Qt::LeftButton) && FOptions.testFlag(goRangeSelect) && !EditorMode()) {
                    const QModelIndex index = FView->indexAt(me->position().toPoint());
                    if (index.isValid()) {
                        const QPoint cell = FModel->ToCell(index);
                        if (cell != FCurrent && !IsFixed(cell.x(), cell.y())) MoveCurrent(cell.x(), cell.y(), true);
                    }
                }
                break;
            }
            default: break;
        }
    }
    return TCustomControl::WidgetEvent(widget, event);
}

// ---- drawing ------------------------------------------------------------------------

void TCustomGrid::InvalidateCell(int col, int row) {
    if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount) return;
    FModel->CellChanged(col, row);
    if (row == 0 && FModel->HeaderRows() > 0) FView->horizontalHeader()->viewport()->update();
    if (col == 0 && FModel->HeaderCols() > 0) FView->verticalHeader()->viewport()->update();
}

void TCustomGrid::InvalidateGrid() {
    FView->viewport()->update();
    FView->horizontalHeader()->viewport()->update();
    FView->verticalHeader()->viewport()->update();
}

void TCustomGrid::PaintCell(QPainter& painter, int col, int row, const QRect& rect) {
    if (IsDestroying()) return;
    const bool fixed = IsFixed(col, row);
    const bool current = !fixed && QPoint(col, row) == FCurrent;
    TGridDrawState state;
    if (fixed) state |= gdFixed;
    if (!fixed && Selection().Contains(col, row)) state |= gdSelected;
    if (current && (Focused() || FView->hasFocus())) state |= gdFocused;
    const int line = FGridLineWidth;
    const QRect cell = rect.adjusted(0, 0, -line, -line);

    const bool highlight = state.testFlag(gdSelected) &&
                           (!state.testFlag(gdFocused) || FOptions & (goDrawFocusSelected | goRowSelect));
    if (FDefaultDrawing) {
        const TColor back = fixed ? FFixedColor : highlight ? clHighlight : Color();
        painter.fillRect(cell, ColorToQColor(back));
        if (fixed) {
            // The raised edge of header cells.
            painter.setPen(ColorToQColor(clBtnHighlight));
            painter.drawLine(cell.topLeft(), cell.topRight());
            painter.drawLine(cell.topLeft(), cell.bottomLeft());
            painter.setPen(ColorToQColor(clBtnShadow));
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
            painter.drawLine(cell.topRight(), cell.bottomRight());
        }
    }
    painter.setFont(Font()->ToQFont());
    painter.setPen(ColorToQColor(highlight ? clHighlightText : Font()->Color()));
    painter.setClipRect(cell);
    FCanvas = &painter;
    painter.save();
    DrawCell(col, row, cell, state);
    painter.restore();
    FCanvas = nullptr;
    painter.setClipping(false);
    if (FDefaultDrawing && state.testFlag(gdFocused) && !FOptions.testFlag(goRowSelect)) {
        QPen dots(ColorToQColor(highlight ? clHighlightText : clWindowText), 1, Qt::DotLine);
        painter.setPen(dots);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    if (line > 0) {
        const bool vert = FOptions.testFlag(fixed ? goFixedVertLine : goVertLine);
        const bool horz = FOptions.testFlag(fixed ? goFixedHorzLine : goHorzLine);
        const QColor lineColor = ColorToQColor(fixed ? clBlack : clSilver);
        if (vert) painter.fillRect(QRect(cell.right() + 1, rect.top(), line, rect.height()), lineColor);
        if (horz) painter.fillRect(QRect(rect.left(), cell.bottom() + 1, rect.width(), line), lineColor);
    }
}

void TCustomGrid::DrawCell(int, int, const QRect&, TGridDrawState) {}

// ---- TCustomDrawGrid ----------------------------------------------------------------

void TCustomDrawGrid::DrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

QString TCustomDrawGrid::GetEditText(int col, int row) {
    QString value;
    if (OnGetEditText) OnGetEditText(this, col, row, value);
    return value;
}

void TCustomDrawGrid::SetEditText(int col, int row, const QString& value) {
    if (OnSetEditText) OnSetEditText(this, col, row, value);
}

// ---- TStringGridStrings -------------------------------------------------------------

int TStringGridStrings::Add(const QString& text) {
    if (Count() < FCapacity) return TStrings::Add(text);
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)].Text.isEmpty()) {
            Put(i, text);
            return i;
        }
    return -1;
}

void TStringGridStrings::Insert(int index, const QString& text) {
    if (index != Count() || Count() >= FCapacity)
        throw EInvalidGridOperation("Cannot insert or delete rows from grid");
    TStrings::Insert(index, text);
}

void TStringGridStrings::Fit() { FItems.resize(static_cast<size_t>(FCapacity)); }

void TStringGridStrings::SetCapacity(int capacity) {
    FCapacity = capacity;
    Fit();
}

void TStringGridStrings::SetLine(int index, const QString& text, TObject* object) {
    FItems[static_cast<size_t>(index)] = Item{text, object};
}

// ---- TStringGrid --------------------------------------------------------------------

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) { SizeChanged(0, 0); }

TStringGrid::~TStringGrid() {
    FSyncing = true;
}

void TStringGrid::SizeChanged(int, int) {
    const size_t cols = static_cast<size_t>(ColCount());
    const size_t rows = static_cast<size_t>(RowCount());
    // Lists beyond the new counts go with their cells; the rest keep theirs.
    while (FRows.size() > rows) {
        delete FRows.back();
        FRows.pop_back();
    }
    while (FCols.size() > cols) {
        delete FCols.back();
        FCols.pop_back();
    }
    FSyncing = true;
    for (TStringGridStrings* list : FRows) list->SetCapacity(ColCount());
    for (TStringGridStrings* list : FCols) list->SetCapacity(RowCount());
    FSyncing = false;
    while (FRows.size() < rows) {
        auto* list = new TStringGridStrings(ColCount(), this);
        const int index = static_cast<int>(FRows.size());
        connect(list, &TStrings::Changed, this, [this, index] { RowChanged(index); });
        FRows.push_back(list);
    }
    while (FCols.size() < cols) {
        auto* list = new TStringGridStrings(RowCount(), this);
        const int index = static_cast<int>(FCols.size());
        connect(list, &TStrings::Changed, this, [this, index] { ColChanged(index); });
        FCols.push_back(list);
    }
}

void TStringGrid::RowChanged(int row) {
    if (FSyncing) return;
    FSyncing = true;
    TStringGridStrings* list = FRows[static_cast<size_t>(row)];
    list->Fit();
    for (int c = 0; c < ColCount(); ++c) FCols[static_cast<size_t>(c)]->SetLine(row, list->Strings(c), list->Objects(c));
    FSyncing = false;
    for (int c = 0; c < ColCount(); ++c) InvalidateCell(c, row);
    UpdateEditorText(Col(), row);
}

void TStringGrid::ColChanged(int col) {
    if (FSyncing) return;
    FSyncing = true;
    TStringGridStrings* list = FCols[static_cast<size_t>(col)];
    list->Fit();
    for (int r = 0; r < RowCount(); ++r) FRows[static_cast<size_t>(r)]->SetLine(col, list->Strings(r), list->Objects(r));
    FSyncing = false;
    for (int r = 0; r < RowCount(); ++r) InvalidateCell(col, r);
    UpdateEditorText(col, Row());
}

void TStringGrid::CheckCell(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        throw EInvalidGridOperation("Grid index out of range");
}

QString TStringGrid::Cells(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return QString();
    return FRows[static_cast<size_t>(row)]->Strings(col);
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
    CheckCell(col, row);
    TObject* object = Objects(col, row);
    FRows[static_cast<size_t>(row)]->SetLine(col, text, object);
    FCols[static_cast<size_t>(col)]->SetLine(row, text, object);
    InvalidateCell(col, row);
    UpdateEditorText(col, row);
}

TObject* TStringGrid::Objects(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return nullptr;
    return FRows[static_cast<size_t>(row)]->Objects(col);
}

void TStringGrid::SetObjects(int col, int row, TObject* object) {
    CheckCell(col, row);
    const QString text = Cells(col, row);
    FRows[static_cast<size_t>(row)]->SetLine(col, text, object);
    FCols[static_cast<size_t>(col)]->SetLine(row, text, object);
}

TStrings* TStringGrid::Cols(int col) const {
    if (col < 0 || col >= ColCount()) throw EInvalidGridOperation("Grid index out of range");
    return FCols[static_cast<size_t>(col)];
}

TStrings* TStringGrid::Rows(int row) const {
    if (row < 0 || row >= RowCount()) throw EInvalidGridOperation("Grid index out of range");
    return FRows[static_cast<size_t>(row)];
}

void TStringGrid::SetCols(int col, const TStrings* lines) {
    if (lines) Cols(col)->Assign(lines);
}

void TStringGrid::SetRows(int row, const TStrings* lines) {
    if (lines) Rows(row)->Assign(lines);
}

void TStringGrid::MoveRow(int from, int to) {
    CheckCell(0, from);
    CheckCell(0, to);
    if (from == to) return;
    SetEditorMode(false);
    std::vector<std::pair<QStringList, std::vector<TObject*>>> rows;
    for (int r = 0; r < RowCount(); ++r) {
        std::vector<TObject*> objects;
        for (int c = 0; c < ColCount(); ++c) objects.push_back(Objects(c, r));
        rows.emplace_back(FRows[static_cast<size_t>(r)]->ToStringList(), std::move(objects));
    }
    auto moved = rows[static_cast<size_t>(from)];
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + to, std::move(moved));
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c) {
            const auto& [texts, objects] = rows[static_cast<size_t>(r)];
            FRows[static_cast<size_t>(r)]->SetLine(c, texts[c], objects[static_cast<size_t>(c)]);
            FCols[static_cast<size_t>(c)]->SetLine(r, texts[c], objects[static_cast<size_t>(c)]);
        }
    InvalidateGrid();
}

void TStringGrid::DeleteRow(int row) {
    CheckCell(0, row);
    MoveRow(row, RowCount() - 1);
    SetRowCount(RowCount() - 1);
}

void TStringGrid::DeleteColumn(int col) {
    CheckCell(col, 0);
    SetEditorMode(false);
    for (int c = col; c + 1 < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r) {
            const QString text = Cells(c + 1, r);
            TObject* object = Objects(c + 1, r);
            FRows[static_cast<size_t>(r)]->SetLine(c, text, object);
            FCols[static_cast<size_t>(c)]->SetLine(r, text, object);
        }
    SetColCount(ColCount() - 1);
}

void TStringGrid::DrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    if (DefaultDrawing() && Canvas())
        Canvas()->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Cells(col, row));
    TDrawGrid::DrawCell(col, row, rect, state);
}

QString TStringGrid::GetEditText(int col, int row) {
    QString value = Cells(col, row);
    if (OnGetEditText) OnGetEditText(this, col, row, value);
    return value;
}

void TStringGrid::SetEditText(int col, int row, const QString& value) {
    if (value != Cells(col, row)) {
        TObject* object = Objects(col, row);
        FRows[static_cast<size_t>(row)]->SetLine(col, value, object);
        FCols[static_cast<size_t>(col)]->SetLine(row, value, object);
        InvalidateCell(col, row);
    }
    TDrawGrid::SetEditText(col, row, value);
}

}  // namespace kv

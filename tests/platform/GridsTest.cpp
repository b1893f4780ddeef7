// The string grid: cells that survive resizing, row and column lists in step with
// the cells, options by name, the current cell guarded by OnSelectCell, keyboard
// moves and in-place editing that reports every change.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QPainter>
#include <QTableView>

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/Forms.h"
#include "platform/Grids.h"
#include "platform/StdCtrls.h"
#include "WidgetTestSupport.h"

namespace kv {
namespace {

using test::SendKey;


// Where keys typed now arrive: the open editor, else the grid.
QWidget* KeyTarget(TStringGrid* grid) { return grid->InplaceEditor() ? grid->InplaceEditor() : grid->Handle(); }

void Click(TStringGrid* grid, int col, int row) {
    const QRect r = grid->CellRect(col, row);
    QWidget* vp = grid->View()->viewport();
    const QPoint at = vp->mapFrom(grid->Handle(), r.center());
    QMouseEvent press(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &release);
}

// A shown form with a grid and an edit after it in tab order.
struct GridForm {
    GridForm() {
        form = TForm::Create<TForm>(nullptr);
        form->SetBounds(0, 0, 420, 260);
        grid = CreateNamed<TStringGrid>(form, "grid");
        grid->SetParent(form);
        grid->SetBounds(4, 4, 400, 200);
        after = CreateNamed<TEdit>(form, "after");
        after->SetParent(form);
        after->SetBounds(4, 210, 100, 21);
    }
    ~GridForm() { form->Free(); }
    void ShowFocused() {
        form->Show();
        grid->SetFocus();
    }
    TForm* form;
    TStringGrid* grid;
    TEdit* after;
};

TEST(StringGrid, ClassicInitialValues) {
    GridForm f;
    TStringGrid* g = f.grid;
    EXPECT_EQ(g->ColCount(), 5);
    EXPECT_EQ(g->RowCount(), 5);
    EXPECT_EQ(g->FixedCols(), 1);
    EXPECT_EQ(g->FixedRows(), 1);
    EXPECT_EQ(g->DefaultColWidth(), 64);
    EXPECT_EQ(g->DefaultRowHeight(), 24);
    EXPECT_EQ(g->ColWidths(3), 64);
    EXPECT_EQ(g->Col(), 1);
    EXPECT_EQ(g->Row(), 1);
    EXPECT_TRUE(g->TabStop());
    EXPECT_EQ(g->Options(), goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
    EXPECT_TRUE(g->InheritsFrom("TCustomDrawGrid"));
}

struct ResizeCase {
    const char* name;
    int cols, rows;  // the counts resized to
    // cells (col, row) expected to keep "c<col>r<row>"; every other cell empty
    std::vector<QPoint> kept;
};

TEST(StringGrid, CellsSurviveResizingWhereTheyStillFit) {
    const ResizeCase cases[] = {
        {"grow both", 7, 6, {{0, 0}, {2, 1}, {4, 4}}},
        {"fewer columns", 3, 5, {{0, 0}, {2, 1}}},
        {"fewer rows", 5, 2, {{0, 0}, {2, 1}}},
        {"one cell", 1, 1, {{0, 0}}},
    };
    for (const ResizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        GridForm f;
        TStringGrid* g = f.grid;
        for (QPoint p : {QPoint(0, 0), QPoint(2, 1), QPoint(4, 4)})
            g->SetCells(p.x(), p.y(), QString("c%1r%2").arg(p.x()).arg(p.y()));
        g->SetColCount(c.cols);
        g->SetRowCount(c.rows);
        // Growing back shows empty cells where data was cut off: nothing stale returns.
        g->SetColCount(8);
        g->SetRowCount(8);
        for (int col = 0; col < 8; ++col)
            for (int row = 0; row < 8; ++row) {
                const bool kept = std::find(c.kept.begin(), c.kept.end(), QPoint(col, row)) != c.kept.end();
                EXPECT_EQ(g->Cells(col, row), kept ? QString("c%1r%2").arg(col).arg(row) : QString())
                    << col << "," << row;
                EXPECT_EQ(g->Rows(row)->Strings(col), g->Cells(col, row));
                EXPECT_EQ(g->Cols(col)->Strings(row), g->Cells(col, row));
            }
    }
}

TEST(StringGrid, FixedCountsStayBelowTheCountsAndTheCurrentCellLeavesThem) {
    GridForm f;
    TStringGrid* g = f.grid;
    EXPECT_THROW(g->SetFixedCols(5), EInvalidGridOperation);
    EXPECT_THROW(g->SetFixedRows(-1), EInvalidGridOperation);
    g->SetCol(4);
    g->SetRow(4);
    g->SetColCount(3);
    EXPECT_EQ(g->Col(), 2);
    g->SetColCount(1);  // fixed columns give way
    EXPECT_EQ(g->FixedCols(), 0);
    EXPECT_EQ(g->Col(), 0);
    g->SetRowCount(4);
    g->SetFixedRows(3);
    EXPECT_EQ(g->Row(), 3);
    EXPECT_THROW(g->SetRow(7), EInvalidGridOperation);
    EXPECT_THROW(g->SetCells(0, 4, "x"), EInvalidGridOperation);
    EXPECT_EQ(g->Cells(9, 9), "");
}

TEST(StringGrid, RowAndColumnListsFollowTheCellsAndTheCellsFollowThem) {
    GridForm f;
    TStringGrid* g = f.grid;
    TStrings* row2 = g->Rows(2);
    TStrings* col3 = g->Cols(3);
    EXPECT_EQ(row2->Count(), 5);
    EXPECT_EQ(col3->Count(), 5);

    g->SetCells(3, 2, "cell");
    EXPECT_EQ(row2->Strings(3), "cell");
    EXPECT_EQ(col3->Strings(2), "cell");

    row2->Put(1, "via row");
    EXPECT_EQ(g->Cells(1, 2), "via row");
    EXPECT_EQ(g->Cols(1)->Strings(2), "via row");

    col3->SetText("a\r\nb\r\nc");  // shorter than the column: the rest is emptied
    EXPECT_EQ(g->Cells(3, 0), "a");
    EXPECT_EQ(g->Cells(3, 2), "c");
    EXPECT_EQ(g->Cells(3, 4), "");
    EXPECT_EQ(col3->Count(), 5);
    EXPECT_EQ(row2->Strings(3), "c");

    TStringList source;
    source.SetStrings({"0", "1", "2", "3", "4", "5", "6"});  // longer than the row: cut
    g->SetRows(4, &source);
    EXPECT_EQ(g->Rows(4)->Count(), 5);
    EXPECT_EQ(g->Cells(4, 4), "4");
    EXPECT_EQ(g->Cols(0)->Strings(4), "0");

    // Add fills the first empty cell of a full row; inserting is refused.
    g->Rows(1)->Clear();
    g->Rows(1)->Put(0, "x");
    g->Rows(1)->SetText("x");
    EXPECT_EQ(g->Rows(1)->Add("y"), 1);
    EXPECT_EQ(g->Cells(1, 1), "y");
    EXPECT_THROW(g->Rows(1)->Insert(0, "z"), EInvalidGridOperation);

    // The lists of rows and columns that remain are the same objects after a resize.
    g->SetColCount(9);
    EXPECT_EQ(g->Rows(2), row2);
    EXPECT_EQ(row2->Count(), 9);
    EXPECT_EQ(row2->Strings(3), "c");
    g->SetCells(8, 2, "far");
    EXPECT_EQ(row2->Strings(8), "far");
}

TEST(StringGrid, DeletingAndMovingRowsShiftsTheCells) {
    GridForm f;
    TStringGrid* g = f.grid;
    for (int r = 0; r < 5; ++r) g->SetCells(1, r, QString::number(r));
    g->DeleteRow(2);
    EXPECT_EQ(g->RowCount(), 4);
    EXPECT_EQ(g->Cols(1)->ToStringList(), (QStringList{"0", "1", "3", "4"}));
    g->MoveRow(3, 1);
    EXPECT_EQ(g->Cols(1)->ToStringList(), (QStringList{"0", "4", "1", "3"}));
    EXPECT_EQ(g->Rows(1)->Strings(1), "4");
    g->SetCells(3, 1, "right");
    g->DeleteColumn(1);
    EXPECT_EQ(g->ColCount(), 4);
    EXPECT_EQ(g->Cells(2, 1), "right");
    EXPECT_EQ(g->Cells(1, 0), "");
}

TEST(StringGrid, OptionsAreASetReadAndWrittenByName) {
    GridForm f;
    TStringGrid* g = f.grid;
    EXPECT_TRUE(g->setProperty("Options", QString("goEditing|goTabs|goAlwaysShowEditor")));
    EXPECT_EQ(g->Options(), goEditing | goTabs | goAlwaysShowEditor);
    EXPECT_TRUE(g->WantsTabKey());
    const QMetaProperty prop = g->metaObject()->property(g->metaObject()->indexOfProperty("Options"));
    ASSERT_TRUE(prop.isFlagType());
    EXPECT_EQ(QString(prop.enumerator().valueToKeys(g->property("Options").toInt())),
              "goEditing|goTabs|goAlwaysShowEditor");
    EXPECT_TRUE(g->setProperty("ColCount", 8));
    EXPECT_EQ(g->ColCount(), 8);
    EXPECT_TRUE(g->setProperty("ScrollBars", QString("ssVertical")));
    EXPECT_EQ(g->ScrollBars(), ssVertical);
}

TEST(StringGrid, OnSelectCellRefusesMovesFromCodeKeysAndMouse) {
    GridForm f;
    TStringGrid* g = f.grid;
    std::vector<QPoint> asked;
    g->OnSelectCell = [&](TObject*, int col, int row, bool& can) {
        asked.emplace_back(col, row);
        can = row != 3;
    };
    f.ShowFocused();
    g->SetRow(3);
    EXPECT_EQ(g->Row(), 1);
    g->SetRow(2);
    EXPECT_EQ(g->Row(), 2);
    SendKey(g->Handle(), Qt::Key_Down);
    EXPECT_EQ(g->Row(), 2);
    Click(g, 2, 3);
    EXPECT_EQ(QPoint(g->Col(), g->Row()), QPoint(1, 2));
    Click(g, 3, 4);
    EXPECT_EQ(QPoint(g->Col(), g->Row()), QPoint(3, 4));
    EXPECT_EQ(asked, (std::vector<QPoint>{{1, 3}, {1, 2}, {1, 3}, {2, 3}, {3, 4}}));
    // The view's current index never shows a refused cell.
    EXPECT_EQ(g->View()->currentIndex().row() + 1, 4);
}

TEST(StringGrid, KeysMoveTheCurrentCellAndTabsStayInsideOnlyWithGoTabs) {
    GridForm f;
    TStringGrid* g = f.grid;
    g->SetColCount(3);
    g->SetRowCount(3);
    f.ShowFocused();
    SendKey(g->Handle(), Qt::Key_Right);
    SendKey(g->Handle(), Qt::Key_Right);  // stops at the last column
    EXPECT_EQ(QPoint(g->Col(), g->Row()), QPoint(2, 1));
    SendKey(g->Handle(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(g->Selection(), (TGridRect{2, 1, 2, 2}));
    SendKey(g->Handle(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 2}));
    SendKey(g->Handle(), Qt::Key_Home);
    EXPECT_EQ(g->Selection(), (TGridRect{1, 2, 1, 2}));

    g->SetOptions(g->Options() | goTabs);
    SendKey(g->Handle(), Qt::Key_Tab, Qt::NoModifier, "\t");
    EXPECT_EQ(QPoint(g->Col(), g->Row()), QPoint(2, 2));
    SendKey(g->Handle(), Qt::Key_Tab, Qt::NoModifier, "\t");  // last cell: round to the first
    EXPECT_EQ(QPoint(g->Col(), g->Row()), QPoint(1, 1));
    SendKey(g->Handle(), Qt::Key_Backtab, Qt::ShiftModifier, "\t");
    EXPECT_EQ(QPoint(g->Col(), g->Row()), QPoint(2, 2));
    EXPECT_EQ(f.form->ActiveControl(), g);

    g->SetOptions(g->Options() & ~TGridOptions(goTabs));
    SendKey(g->Handle(), Qt::Key_Tab, Qt::NoModifier, "\t");
    EXPECT_EQ(f.form->ActiveControl(), f.after);
}

TEST(StringGrid, RowSelectSelectsWholeRowsAndNeverEdits) {
    GridForm f;
    TStringGrid* g = f.grid;
    g->SetOptions(goRowSelect | goEditing | goRangeSelect);
    f.ShowFocused();
    SendKey(g->Handle(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 4, 2}));
    SendKey(g->Handle(), Qt::Key_F2);
    SendKey(g->Handle(), Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(1, 2), "");
}

TEST(StringGrid, TypingEditsTheCellAndEveryChangeReachesOnSetEditText) {
    GridForm f;
    TStringGrid* g = f.grid;
    g->SetOptions(g->Options() | goEditing);
    g->SetCells(1, 1, "old");
    std::vector<QString> sets;
    g->OnSetEditText = [&](TObject*, int col, int row, const QString& value) {
        sets.push_back(QString("%1,%2:%3").arg(col).arg(row).arg(value));
    };
    f.ShowFocused();
    SendKey(g->Handle(), Qt::Key_X, Qt::NoModifier, "x");  // opens the editor with the character
    ASSERT_TRUE(g->EditorMode());
    SendKey(KeyTarget(g), Qt::Key_Y, Qt::NoModifier, "y");
    EXPECT_EQ(g->Cells(1, 1), "xy");
    EXPECT_EQ(sets, (std::vector<QString>{"1,1:x", "1,1:xy"}));
    SendKey(KeyTarget(g), Qt::Key_Return, Qt::NoModifier, "\r");  // Enter closes the editor, keeps the text
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(1, 1), "xy");

    // Escape undoes the edit.
    SendKey(g->Handle(), Qt::Key_F2);
    ASSERT_TRUE(g->EditorMode());
    auto* line = qobject_cast<QLineEdit*>(g->InplaceEditor());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "xy");
    SendKey(line, Qt::Key_Z, Qt::NoModifier, "z");
    EXPECT_EQ(g->Cells(1, 1), "z");
    SendKey(KeyTarget(g), Qt::Key_Escape);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(1, 1), "xy");
    EXPECT_EQ(sets.back(), "1,1:xy");

    // Down from inside the editor moves on; the editor follows only with goAlwaysShowEditor.
    g->SetOptions(g->Options() | goAlwaysShowEditor);
    ASSERT_TRUE(g->EditorMode());
    SendKey(KeyTarget(g), Qt::Key_Down);
    EXPECT_EQ(g->Row(), 2);
    EXPECT_TRUE(g->EditorMode());
    SendKey(KeyTarget(g), Qt::Key_Q, Qt::NoModifier, "q");
    EXPECT_EQ(g->Cells(1, 2), "q");
    EXPECT_EQ(sets.back(), "1,2:q");
}

TEST(StringGrid, OnGetEditTextShapesTheEditorAndCodeUpdatesAnOpenEditor) {
    GridForm f;
    TStringGrid* g = f.grid;
    g->SetOptions(g->Options() | goEditing);
    g->SetCells(1, 1, "12.50");
    g->OnGetEditText = [](TObject*, int, int, QString& value) { value.remove('.'); };
    f.ShowFocused();
    g->SetEditorMode(true);
    auto* line = qobject_cast<QLineEdit*>(g->InplaceEditor());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "1250");
    EXPECT_EQ(g->Cells(1, 1), "12.50");  // opening does not write
    g->OnGetEditText = nullptr;
    g->SetCells(1, 1, "set by code");
    EXPECT_EQ(line->text(), "set by code");
}

TEST(StringGrid, PickListAndEllipsisEditors) {
    struct ChoiceGrid : TStringGrid {
        using TStringGrid::TStringGrid;
        TEditStyle GetEditStyle(int col, int) override { return col == 1 ? esPickList : esEllipsis; }
        QStringList GetPickListItems(int, int) override { return {"Y", "N"}; }
    };
    auto* form = TForm::Create<TForm>(nullptr);
    auto* g = CreateNamed<ChoiceGrid>(form, "grid");
    g->SetParent(form);
    g->SetBounds(0, 0, 300, 150);
    g->SetOptions(g->Options() | goEditing);
    int buttons = 0;
    g->OnEditButtonClick = [&](TObject* sender) { buttons += sender == g ? 1 : 100; };
    form->Show();
    g->SetFocus();
    g->SetEditorMode(true);
    auto* combo = qobject_cast<QComboBox*>(g->InplaceEditor());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 2);
    combo->setCurrentIndex(1);
    EXPECT_EQ(g->Cells(1, 1), "N");
    g->SetCol(2);
    g->SetEditorMode(true);
    auto* line = qobject_cast<QLineEdit*>(g->InplaceEditor());
    ASSERT_NE(line, nullptr);
    auto* button = line->findChild<QAction*>("EditButton");
    ASSERT_NE(button, nullptr);
    button->trigger();
    EXPECT_EQ(buttons, 1);
    form->Free();
}

TEST(StringGrid, OnDrawCellSeesFixedSelectedAndFocusedCells) {
    GridForm f;
    TStringGrid* g = f.grid;
    g->SetColCount(3);
    g->SetRowCount(3);
    g->SetCells(1, 0, "Header");
    g->SetCells(1, 1, "Value");
    std::map<std::pair<int, int>, TGridDrawState> seen;
    g->OnDrawCell = [&](TObject*, int col, int row, const QRect& rect, TGridDrawState state) {
        seen[{col, row}] = state;
        EXPECT_NE(g->Canvas(), nullptr);
        EXPECT_EQ(rect.width(), g->ColWidths(col));
    };
    f.ShowFocused();
    const QImage shot = f.form->Handle()->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    EXPECT_EQ(seen[std::make_pair(1, 0)], TGridDrawState(gdFixed));
    EXPECT_EQ(seen[std::make_pair(0, 2)], TGridDrawState(gdFixed));
    EXPECT_EQ(seen[std::make_pair(1, 1)], gdSelected | gdFocused);
    EXPECT_EQ(seen[std::make_pair(2, 2)], TGridDrawState());
    EXPECT_EQ(g->Canvas(), nullptr);
}

TEST(StringGrid, TheFixedCornerCellShowsItsText) {
    GridForm f;
    f.grid->SetColCount(3);
    f.grid->SetRowCount(3);
    f.form->Show();
    auto cornerInk = [&] {
        const QImage shot = f.grid->Handle()->grab().toImage();
        // The corner cell is the top-left DefaultColWidth x DefaultRowHeight area.
        const QColor face = shot.pixelColor(2, 2);
        int ink = 0;
        for (int y = 2; y < 20; ++y)
            for (int x = 2; x < 60; ++x)
                if (shot.pixelColor(x, y) != face) ++ink;
        return ink;
    };
    const int blank = cornerInk();
    f.grid->SetCells(0, 0, "WWWW");
    EXPECT_GT(cornerInk(), blank + 20);
}

}  // namespace
}  // namespace kv

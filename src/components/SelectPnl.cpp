#include "components/SelectPnl.h"

#include <QCollator>
#include <QEvent>
#include <QFontMetrics>
#include <QLocale>
#include <QMouseEvent>

#include <algorithm>
#include <numeric>
#include <set>
#include <utility>

#include "platform/DateTime.h"
#include "platform/Forms.h"
#include "runtime/LibStrs.h"

namespace kv {

namespace {

const QString kFieldSep = QString(QChar(0x03));
const QString kRowEnd = QString(QChar(0x04));
const QString kSubItemSep = QString(QChar(0x01));

// Sets a flag for the lifetime of a scope.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : FFlag(flag), FOld(flag) { flag = true; }
    ~TFlagScope() { FFlag = FOld; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

// The text of column c of a row: the caption for 0, else sub-item c - 1 (empty
// when missing).
QString ItemText(const TListItem* item, int column) {
    if (column == 0) return item->Caption();
    const TStrings* sub = item->SubItems();
    return column - 1 < sub->Count() ? sub->Strings(column - 1) : QString();
}

const QString& ValueText(const QStringList& row, int column) {
    static const QString empty;
    return column < row.size() ? row.at(column) : empty;
}

// The columns compared in turn for a sort column (kept off the heap: rows are
// compared very often).
struct TComparedColumns {
    int columns[3];
    int count;
    const int* begin() const { return columns; }
    const int* end() const { return columns + count; }
};

TComparedColumns ComparedColumns(int sortColumn) {
    if (sortColumn <= 0) return {{0, 1, 0}, 2};
    if (sortColumn == 1) return {{1, 0, 0}, 2};
    return {{sortColumn, 0, 1}, 3};
}

const QCollator& CaseInsensitiveCollator() {
    static thread_local QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

template <class TextA, class TextB>
int CompareBy(int sortColumn, bool ascending, TextA textA, TextB textB) {
    int result = 0;
    for (int column : ComparedColumns(sortColumn)) {
        result = CaseInsensitiveCollator().compare(textA(column), textB(column));
        if (result != 0) break;
    }
    return ascending ? result : -result;
}

// Orders many rows as CompareBy does, with the compared texts of all rows copied
// side by side into one buffer: sorting many rows then reads memory in far fewer
// places than going through each row's own strings.
class TRowOrder {
public:
    TRowOrder(const std::vector<QStringList>& rows, int sortColumn, bool ascending)
        : FSortColumn(sortColumn), FAscending(ascending), FColumns(ComparedColumns(sortColumn)) {
        qsizetype size = 0;
        for (const QStringList& row : rows)
            for (int column : FColumns) size += ValueText(row, column).size();
        FTexts.reserve(size);
        FSpans.reserve(rows.size() * static_cast<size_t>(FColumns.count));
        for (const QStringList& row : rows)
            for (int column : FColumns) {
                const QString& text = ValueText(row, column);
                FSpans.push_back({FTexts.size(), text.size()});
                FTexts += text;
            }
    }
    bool Before(int a, int b) const {
        return CompareBy(FSortColumn, FAscending, [this, a](int c) { return Text(a, c); },
                         [this, b](int c) { return Text(b, c); }) < 0;
    }

private:
    QStringView Text(int row, int column) const {
        int slot = 0;
        while (FColumns.columns[slot] != column) ++slot;
        const auto& [start, length] = FSpans[static_cast<size_t>(row) * static_cast<size_t>(FColumns.count) +
                                             static_cast<size_t>(slot)];
        return QStringView(FTexts).mid(start, length);
    }
    int FSortColumn;
    bool FAscending;
    TComparedColumns FColumns;
    QString FTexts;
    std::vector<std::pair<qsizetype, qsizetype>> FSpans;
};

// The window the lookup request goes to: the owner when it is a control (the
// form), else the form the control sits on.
TControl* LookupReceiverOf(const TComponent* owner, const TControl* control) {
    if (auto* receiver = qobject_cast<TControl*>(const_cast<TComponent*>(owner))) return receiver;
    return GetParentForm(control);
}

// Byte order of the texts' UTF-8 form, the order the server compares stored texts in.
bool ByteWiseGreater(const QString& a, const QString& b) { return a.toUtf8() > b.toUtf8(); }

int IntegerOrZero(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

double FloatOrZero(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? value : 0.0;
}

// The integer part of a decimal text in canonical form. A negative value whose
// integer part is zero ("-0.5", "-.5") keeps its sign.
QString CanonicalIntegerPart(const QString& part) {
    const QString trimmed = part.trimmed();
    bool ok = false;
    const int value = trimmed.toInt(&ok);
    if (ok) return value == 0 && trimmed.startsWith(QLatin1Char('-')) ? QStringLiteral("-0") : QString::number(value);
    if (trimmed == QLatin1String("-")) return QStringLiteral("-0");
    return QStringLiteral("0");
}

// A float text rewritten as integer part, "." and the fraction part as typed.
QString CanonicalFloatText(const QString& text) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot < 0) return CanonicalIntegerPart(text);
    return CanonicalIntegerPart(text.left(dot)) + QLatin1Char('.') + text.mid(dot + 1).trimmed();
}

}  // namespace

// ---- TMavMaskEdit -------------------------------------------------------------------

void TMavMaskEdit::Change() {
    if (!SuppressChange) {
        TMaskEdit::Change();
        return;
    }
    // The edit's own bookkeeping still runs; only the event is held back.
    TNotifyEvent handler = std::exchange(OnChange, TNotifyEvent());
    TMaskEdit::Change();
    OnChange = std::move(handler);
}

// ---- TMavListView -------------------------------------------------------------------

TMavListView::TMavListView(TComponent* AOwner) : TListView(AOwner) {}

int TMavListView::TextCells(const QString& text) {
    int cells = 0;
    for (QChar ch : text) cells += ch.unicode() < 0x80 ? 1 : 2;
    return cells;
}

TSelectPanel* TMavListView::OwnerPanel() const { return qobject_cast<TSelectPanel*>(Owner()); }

bool TMavListView::WidgetEvent(QWidget* widget, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && widget != Handle() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The press belongs to the list only once the list holds the focus (an exit
        // check elsewhere may keep it away).
        if (!Focused() && CanFocus()) SetFocus();
        if (!Focused()) return true;
    }
    return TListView::WidgetEvent(widget, event);
}

void TMavListView::Change(TListItem* item, TItemChange change) {
    if (change == ctText && !FInRowOperation) FRowsInShape = false;
    TListView::Change(item, change);
}

void TMavListView::Insert(TListItem* item) {
    if (!FInRowOperation) FRowsInShape = false;
    TListView::Insert(item);
}

void TMavListView::Delete(TListItem* item) {
    if (!FInRowOperation) FRowsInShape = false;
    TListView::Delete(item);
}

void TMavListView::ItemsRearranged() {
    if (!FInRowOperation) FRowsInShape = false;
    TListView::ItemsRearranged();
}

void TMavListView::UpdateEnding() {
    TListView::UpdateEnding();
    PlaceWaitingRows();
}

bool TMavListView::AddRow(const QStringList& values) {
    if (values.isEmpty()) return false;
    try {
        // The widths of the waiting rows follow the setting they came with.
        if (FWaitingRows > 0 && FWaitingAutoSize != ColumnsAutoSize) PlaceWaitingRows();
        TFlagScope rowOperation(FInRowOperation);
        AddColumnsUpTo(static_cast<int>(values.size()));
        if (Updating() && (FRowsInShape || FWaitingRows > 0)) {
            AddWaitingRow(values);
            return true;
        }
        if (FRowsInShape)
            AddRowInPlace(values);
        else
            AddRowToWholeList(values);
        if (ColumnsAutoSize) SizeColumnsToTexts();
        return true;
    } catch (const std::exception&) {
        FRowsInShape = false;
        return false;
    }
}

void TMavListView::ClearRows() {
    {
        TFlagScope rowOperation(FInRowOperation);
        Items()->Clear();
    }
    FWaitingRows = 0;
    FMaxSubItems = 0;
    FCellCounts.clear();
    FLongest.clear();
    FRowsInShape = true;
}

void TMavListView::AddColumnsUpTo(int count) {
    while (Columns()->Count() < count)
        Columns()->Add()->SetCaption(QStringLiteral("Data") + QString::number(Columns()->Count()));
}

void TMavListView::AddRowToWholeList(const QStringList& values) {
    TSelectPanel* panel = OwnerPanel();
    Items()->BeginUpdate();
    try {
        TListItem* item = Items()->Add();
        item->SetCaption(values.first());
        item->SubItems()->SetStrings(values.mid(1));
        int most = 0;
        for (int i = 0; i < Items()->Count(); ++i) most = std::max(most, Items()->Item(i)->SubItems()->Count());
        PadRowsTo(most);
        if (panel && panel->SortListBox())
            CustomSort([panel](TListItem* a, TListItem* b) { return panel->CompareRows(a, b); });
        if (panel) panel->RemoveDuplicateRows();
    } catch (...) {
        Items()->EndUpdate();
        throw;
    }
    Items()->EndUpdate();
    RecountTexts();
    FRowsInShape = true;
}

void TMavListView::AddRowInPlace(QStringList values) {
    const int subItems = static_cast<int>(values.size()) - 1;
    if (subItems > FMaxSubItems) PadRowsTo(subItems);
    while (values.size() - 1 < FMaxSubItems) values.append(QString());
    const int row = SortedInsertPosition(values);
    TListItem* item = Items()->Insert(row);
    item->SetCaption(values.first());
    item->SubItems()->SetStrings(values.mid(1));
    // A change handler may have refused or rewritten the texts: the row is then
    // not where the order wants it, and the whole list is taken in next time.
    if (!RowHas(item, values)) {
        FRowsInShape = false;
        RecountTexts();
        return;
    }
    CountRowTexts(item, +1);
    RemoveDuplicateNeighbours(row);
}

void TMavListView::AddWaitingRow(QStringList values) {
    const int subItems = static_cast<int>(values.size()) - 1;
    if (subItems > FMaxSubItems) PadRowsTo(subItems);
    while (values.size() - 1 < FMaxSubItems) values.append(QString());
    TListItem* item = Items()->Add();
    ++FWaitingRows;
    FWaitingAutoSize = ColumnsAutoSize;
    item->SetCaption(values.first());
    item->SubItems()->SetStrings(values.mid(1));
    // A change handler refused or rewrote the texts: the rows are then put in
    // order as a whole at the end.
    if (!RowHas(item, values)) {
        FRowsInShape = false;
        RecountTexts();
        return;
    }
    CountRowTexts(item, +1);
}

void TMavListView::PlaceWaitingRows() {
    if (FWaitingRows == 0) return;
    const int waiting = std::exchange(FWaitingRows, 0);
    TFlagScope rowOperation(FInRowOperation);
    Items()->BeginUpdate();
    try {
        if (FRowsInShape) {
            KeepRows(RowsKeptOneByOne(waiting));
        } else {
            int most = 0;
            for (int i = 0; i < Items()->Count(); ++i) most = std::max(most, Items()->Item(i)->SubItems()->Count());
            PadRowsTo(most);
            KeepRows(RowsKeptByWholeList());
            RecountTexts();
        }
        FRowsInShape = true;
    } catch (const std::exception&) {
        FRowsInShape = false;
        RecountTexts();
    }
    Items()->EndUpdate();
    if (FWaitingAutoSize) SizeColumnsToTexts();
}

std::vector<QStringList> TMavListView::RowTexts() const {
    std::vector<QStringList> texts;
    texts.reserve(static_cast<size_t>(Items()->Count()));
    for (int i = 0; i < Items()->Count(); ++i) {
        const TListItem* item = Items()->Item(i);
        texts.push_back(QStringList{item->Caption()} + item->SubItems()->ToStringList());
    }
    return texts;
}

std::vector<int> TMavListView::StableOrder(const std::vector<QStringList>& texts, int first) const {
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    TSelectPanel* panel = OwnerPanel();
    if (!panel || !panel->SortListBox()) return order;
    const TRowOrder rowOrder(texts, panel->SortColumn(), panel->SortAscending());
    auto before = [&rowOrder](int a, int b) { return rowOrder.Before(a, b); };
    // The rows before first are in order already: sort the others (they mostly
    // come in order) and merge, the earlier rows first among equals.
    const auto middle = order.begin() + first;
    if (!std::is_sorted(middle, order.end(), before)) std::stable_sort(middle, order.end(), before);
    std::inplace_merge(order.begin(), middle, order.end(), before);
    return order;
}

std::vector<int> TMavListView::RowsKeptOneByOne(int waiting) const {
    const std::vector<QStringList> texts = RowTexts();
    const int count = static_cast<int>(texts.size());
    const int first = count - waiting;
    const std::vector<int> order = StableOrder(texts, first);
    TSelectPanel* panel = OwnerPanel();
    if (!panel || panel->CheckDuplicate() == cd_None) return order;
    // Each row, in the order they came, goes where a stable sort puts it among
    // the rows kept so far (ranks in the final order); a duplicate of the row
    // below it removes that row, a duplicate of the row above it is itself
    // removed, as AddRowInPlace does.
    std::vector<int> rank(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r) rank[static_cast<size_t>(order[static_cast<size_t>(r)])] = r;
    std::vector<QString> keys;
    keys.reserve(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r)
        keys.push_back(panel->DuplicateKey(texts[static_cast<size_t>(order[static_cast<size_t>(r)])].first()));
    auto same = [&keys](int r1, int r2) { return keys[static_cast<size_t>(r1)] == keys[static_cast<size_t>(r2)]; };
    std::set<int> kept;
    for (int row = 0; row < first; ++row) kept.insert(kept.end(), rank[static_cast<size_t>(row)]);
    for (int row = first; row < count; ++row) {
        const int r = rank[static_cast<size_t>(row)];
        const auto at = kept.insert(r).first;
        if (const auto below = std::next(at); below != kept.end() && same(*below, r)) kept.erase(below);
        if (at != kept.begin() && same(r, *std::prev(at))) kept.erase(at);
    }
    std::vector<int> rows;
    rows.reserve(kept.size());
    for (int r : kept) rows.push_back(order[static_cast<size_t>(r)]);
    return rows;
}

std::vector<int> TMavListView::RowsKeptByWholeList() const {
    const std::vector<QStringList> texts = RowTexts();
    const std::vector<int> order = StableOrder(texts, 0);
    TSelectPanel* panel = OwnerPanel();
    if (!panel || panel->CheckDuplicate() == cd_None) return order;
    auto caption = [&order, &texts](size_t r) -> const QString& {
        return texts[static_cast<size_t>(order[r])].first();
    };
    std::vector<int> rows;
    for (size_t r = 0; r < order.size(); ++r)
        if (r == 0 || !panel->SameCaptions(caption(r), caption(r - 1))) rows.push_back(order[r]);
    return rows;
}

void TMavListView::KeepRows(const std::vector<int>& kept) {
    const int count = Items()->Count();
    std::vector<TListItem*> arranged;
    arranged.reserve(static_cast<size_t>(count));
    std::vector<char> keep(static_cast<size_t>(count), 0);
    for (int row : kept) {
        keep[static_cast<size_t>(row)] = 1;
        arranged.push_back(Items()->Item(row));
    }
    // The others go to the end, in their order, and leave from there: each
    // removal then moves nothing.
    for (int row = 0; row < count; ++row)
        if (!keep[static_cast<size_t>(row)]) arranged.push_back(Items()->Item(row));
    if (!ArrangeItems(arranged)) throw std::logic_error("rows to keep are not rows of the list");
    while (Items()->Count() > static_cast<int>(kept.size())) RemoveRow(Items()->Count() - 1);
}

int TMavListView::SortedInsertPosition(const QStringList& values) const {
    const int count = Items()->Count();
    TSelectPanel* panel = OwnerPanel();
    if (!panel || !panel->SortListBox() || count == 0) return count;
    // Where a stable sort puts a row added last: after every row that does not
    // come after it. Rows mostly arrive in order, so the end is tried first.
    auto after = [&](int index) { return panel->CompareRowWith(values, Items()->Item(index)) < 0; };
    if (!after(count - 1)) return count;
    int low = 0;
    int high = count - 1;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (after(mid))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

void TMavListView::PadRowsTo(int subItemCount) {
    for (int i = 0; i < Items()->Count(); ++i) {
        TStrings* sub = Items()->Item(i)->SubItems();
        if (sub->Count() >= subItemCount) continue;
        sub->BeginUpdate();
        while (sub->Count() < subItemCount) {
            sub->Add(QString());
            CountText(sub->Count(), 0, +1);
        }
        sub->EndUpdate();
    }
    FMaxSubItems = std::max(FMaxSubItems, subItemCount);
}

void TMavListView::RemoveDuplicateNeighbours(int row) {
    TSelectPanel* panel = OwnerPanel();
    if (!panel || panel->CheckDuplicate() == cd_None) return;
    // The rows were free of repeats before: only the new row's neighbours can
    // repeat, and the walk from the bottom meets the pair below it first.
    if (row + 1 < Items()->Count() &&
        panel->SameCaptions(Items()->Item(row + 1)->Caption(), Items()->Item(row)->Caption()))
        RemoveRow(row + 1);
    if (row > 0 && panel->SameCaptions(Items()->Item(row)->Caption(), Items()->Item(row - 1)->Caption()))
        RemoveRow(row);
}

void TMavListView::RemoveRow(int row) {
    CountRowTexts(Items()->Item(row), -1);
    Items()->Delete(row);
}

bool TMavListView::RowHas(const TListItem* item, const QStringList& values) const {
    if (item->Caption() != values.first()) return false;
    const TStrings* sub = item->SubItems();
    if (sub->Count() != values.size() - 1) return false;
    for (int i = 0; i < sub->Count(); ++i)
        if (sub->Strings(i) != values.at(i + 1)) return false;
    return true;
}

void TMavListView::RecountTexts() {
    FCellCounts.clear();
    FLongest.clear();
    FMaxSubItems = 0;
    for (int i = 0; i < Items()->Count(); ++i) {
        const TListItem* item = Items()->Item(i);
        FMaxSubItems = std::max(FMaxSubItems, item->SubItems()->Count());
        CountRowTexts(item, +1);
    }
}

void TMavListView::CountRowTexts(const TListItem* item, int delta) {
    CountText(0, TextCells(item->Caption()), delta);
    const TStrings* sub = item->SubItems();
    for (int i = 0; i < sub->Count(); ++i) CountText(i + 1, TextCells(sub->Strings(i)), delta);
}

void TMavListView::CountText(int column, int cells, int delta) {
    if (column >= static_cast<int>(FCellCounts.size())) {
        FCellCounts.resize(static_cast<size_t>(column) + 1);
        FLongest.resize(static_cast<size_t>(column) + 1, 0);
    }
    auto& counts = FCellCounts[static_cast<size_t>(column)];
    if (cells >= static_cast<int>(counts.size())) counts.resize(static_cast<size_t>(cells) + 1, 0);
    counts[static_cast<size_t>(cells)] += delta;
    int& longest = FLongest[static_cast<size_t>(column)];
    if (delta > 0) {
        longest = std::max(longest, cells);
    } else {
        while (longest > 0 && counts[static_cast<size_t>(longest)] <= 0) --longest;
    }
}

void TMavListView::SizeColumnsToTexts() {
    const int cell = QFontMetrics(Font()->ToQFont()).horizontalAdvance(QLatin1Char('W'));
    for (int c = 0; c < Columns()->Count(); ++c) {
        TListColumn* column = Column(c);
        int cells = TextCells(column->Caption());
        if (c < static_cast<int>(FLongest.size())) cells = std::max(cells, FLongest[static_cast<size_t>(c)]);
        column->SetWidth(cell * cells);
    }
}

// ---- TSelectPanel: construction -------------------------------------------------------

TSelectPanel::TSelectPanel(TComponent* AOwner) : TGroupBox(AOwner) {
    FBeginWords = new TStringList(this);
    FFinalWords = new TStringList(this);
    FChildHints = new TStringList(this);
    FColumnCaptionList = new TStringList(this);
    FBeginWords->SetStrings({QStringLiteral("起"), QStringLiteral("起")});
    FFinalWords->SetStrings({QStringLiteral("止"), QStringLiteral("止")});
    FHintWord = QStringLiteral("区间选择");
    FGlyphIndex = 8;
    SetBounds(Left(), Top(), 353, 45);
    CreateSubControls();
    FChildHints->SetStrings({QStringLiteral("用户自定输入方式"), QStringLiteral("区间选择-起始信息"),
                             QStringLiteral("区间选择-起始信息开窗"), QStringLiteral("区间选择-截止信息"),
                             QStringLiteral("区间选择-截止信息开窗"), QStringLiteral("多选-己选择的信息"),
                             QStringLiteral("多选-信息开窗"), QStringLiteral("多选-删除一笔信息"),
                             QStringLiteral("多选-删除己选信息")});
    ApplyChildHints();
    connect(FChildHints, &TStrings::Changed, this, [this] { ApplyChildHints(); });
    auto relayoutWithTwoLines = [this](TStringList* words) {
        connect(words, &TStrings::Changed, this, [this, words] {
            if (words->Count() >= 2) Relayout();
        });
    };
    relayoutWithTwoLines(FBeginWords);
    relayoutWithTwoLines(FFinalWords);
    AttachChildEvents();
    ApplyVisibility(FStyle);
    Relayout();
}

TSelectPanel::~TSelectPanel() {
    // The children go after this: their events must no longer reach the panel.
    SetComponentStateFlag(csDestroying, true);
}

void TSelectPanel::CreateSubControls() {
    FUserChoiceBox = CreateNamed<TMavCheckBox>(this, QStringLiteral("UserChoiceBox"));
    FUserChoiceBox->SetBounds(16, 17, FUserChoiceBox->Width(), FUserChoiceBox->Height());
    FUserChoiceBox->SetCaption(FHintWord);
    FUserChoiceBox->SetParent(this);
    FUserChoiceBox->SetChecked(Designing());

    FRangePanel = CreateNamed<TPanel>(this, QStringLiteral("RangePanel"));
    FRangePanel->SetBevelOuter(bvNone);
    FRangePanel->SetCaption(QStringLiteral(" "));
    FRangePanel->SetParent(this);

    FBeginLabel = CreateNamed<TLabel>(this, QStringLiteral("BeginLabel"));
    FBeginLabel->SetAutoSize(true);
    FBeginLabel->SetCaption(Word(FBeginWords, 1));
    FBeginLabel->SetParent(FRangePanel);

    FBeginEdit = CreateNamed<TMavMaskEdit>(this, QStringLiteral("BeginEdit"));
    FBeginEdit->SetHeight(24);
    FBeginEdit->SetParent(FRangePanel);

    auto makeLookupButton = [this](const QString& name, bool autoAlign, TWinControl* parent) {
        auto* button = CreateNamed<TF2Button>(this, name);
        button->SetFlat(true);
        button->SetGlyphIndex(FGlyphIndex);
        button->SetBounds(button->Left(), button->Top(), 23, 23);
        button->SetNumGlyphs(1);
        button->SetAutoAlign(autoAlign);
        button->SetParent(parent);
        return button;
    };
    FBeginButton = makeLookupButton(QStringLiteral("BeginButton"), true, FRangePanel);

    FEndLabel = CreateNamed<TLabel>(this, QStringLiteral("EndLabel"));
    FEndLabel->SetAutoSize(true);
    FEndLabel->SetCaption(Word(FFinalWords, 1));
    FEndLabel->SetParent(FRangePanel);

    FEndEdit = CreateNamed<TMavMaskEdit>(this, QStringLiteral("EndEdit"));
    FEndEdit->SetHeight(FBeginEdit->Height());
    FEndEdit->SetParent(FRangePanel);

    FEndButton = makeLookupButton(QStringLiteral("EndButton"), true, FRangePanel);

    FListPanel = CreateNamed<TPanel>(this, QStringLiteral("ListPanel"));
    FListPanel->SetBevelOuter(bvNone);
    FListPanel->SetCaption(QStringLiteral(" "));
    FListPanel->SetParent(this);

    FListButton = makeLookupButton(QStringLiteral("ListButton"), false, FListPanel);
    CreateListControls();
}

void TSelectPanel::CreateListControls() {
    auto makeGlyphButton = [this](const QString& name, int glyph, int cells) {
        auto* button = CreateNamed<TGSpeedButton>(this, name);
        button->SetFlat(true);
        button->SetGlyphIndex(glyph);
        button->SetBounds(button->Left(), button->Top(), 23, 23);
        button->SetNumGlyphs(cells);
        button->SetParent(FListPanel);
        return button;
    };
    FDeleteButton = makeGlyphButton(QStringLiteral("DeleteButton"), 47, 1);
    FClearButton = makeGlyphButton(QStringLiteral("ClearButton"), 4, 2);

    FListView = CreateNamed<TMavListView>(this, QStringLiteral("ListView"));
    FListView->SetBounds(FListView->Left(), FListView->Top(), FListView->Width(), FListPanel->Height());
    FListView->SetCursor(crHandPoint);
    FListView->SetMultiSelect(true);
    FListView->SetRowSelect(true);
    FListView->SetShowColumnHeaders(false);
    FListView->SetViewStyle(vsReport);
    FListView->SetSortType(stNone);
    FListView->SetReadOnly(true);
    FListView->SetHideSelection(false);
    FListView->SetParent(FListPanel);
}

// ---- forwarded child events --------------------------------------------------------

void TSelectPanel::AttachChildEvents() {
    FUserChoiceBox->OnClick = [this](TObject*) { UserChoiceBoxClicked(); };
    FBeginButton->OnClick = [this](TObject*) { OpenLookupFor(FBeginEdit); };
    FEndButton->OnClick = [this](TObject*) { OpenLookupFor(FEndEdit); };
    FListButton->OnClick = [this](TObject*) { OpenLookupFor(FListView); };
    FDeleteButton->OnClick = [this](TObject*) { DeleteSelectedRows(); };
    FClearButton->OnClick = [this](TObject*) { ClearAllRows(); };
    FListView->OnColumnClick = [this](TObject*, TListColumn* column) {
        if (column) SortByColumn(column->Index());
    };

    for (TControl* child : std::initializer_list<TControl*>{FBeginLabel, FEndLabel, FRangePanel, FListPanel})
        ForwardPointerEvents(child, false);
    ForwardPointerEvents(FBeginEdit, true);
    ForwardPointerEvents(FEndEdit, true);
    ForwardPointerEvents(FListView, true);
    ForwardPointerEvents(FUserChoiceBox, false);
    for (TWinControl* child : std::initializer_list<TWinControl*>{FBeginEdit, FEndEdit, FListView, FUserChoiceBox}) {
        ForwardKeyEvents(child);
        child->OnExit = [this](TObject*) { ChildExited(); };
    }
    ForwardListEvents();
}

void TSelectPanel::ForwardPointerEvents(TControl* child, bool asItself) {
    TObject* sender = asItself ? static_cast<TObject*>(child) : static_cast<TObject*>(this);
    // The check box's click is the user-choice click, not the panel's.
    if (child != FUserChoiceBox)
        child->OnClick = [this, sender](TObject*) {
            if (!IsDestroying() && OnClick) OnClick(sender);
        };
    child->OnDblClick = [this, sender](TObject*) {
        if (!IsDestroying() && OnDblClick) OnDblClick(sender);
    };
    // Qt hands a press that a label or panel does not take on to the widgets
    // around it: only the innermost control reports it.
    child->OnMouseDown = [this, child, sender, asItself](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        if (IsDestroying() || !OnMouseDown || HitsInnerControl(child, x, y)) return;
        const QPoint p = asItself ? QPoint(x, y) : ToPanelPoint(child, x, y);
        OnMouseDown(sender, button, shift, p.x(), p.y());
    };
    child->OnMouseUp = [this, child, sender, asItself](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        if (IsDestroying() || !OnMouseUp || HitsInnerControl(child, x, y)) return;
        const QPoint p = asItself ? QPoint(x, y) : ToPanelPoint(child, x, y);
        OnMouseUp(sender, button, shift, p.x(), p.y());
    };
    child->OnMouseMove = [this, child, sender, asItself](TObject*, TShiftState shift, int x, int y) {
        if (IsDestroying() || !OnMouseMove || HitsInnerControl(child, x, y)) return;
        const QPoint p = asItself ? QPoint(x, y) : ToPanelPoint(child, x, y);
        OnMouseMove(sender, shift, p.x(), p.y());
    };
}

void TSelectPanel::ForwardKeyEvents(TWinControl* child) {
    child->OnKeyDown = [this](TObject* sender, std::uint16_t& key, TShiftState shift) {
        if (!IsDestroying() && OnKeyDown) OnKeyDown(sender, key, shift);
    };
    child->OnKeyUp = [this](TObject* sender, std::uint16_t& key, TShiftState shift) {
        if (!IsDestroying() && OnKeyUp) OnKeyUp(sender, key, shift);
    };
    child->OnKeyPress = [this](TObject* sender, QChar& key) {
        if (!IsDestroying() && OnKeyPress) OnKeyPress(sender, key);
    };
}

void TSelectPanel::ForwardListEvents() {
    FListView->OnSelectItem = [this](TObject* sender, TListItem* item, bool selected) {
        if (!IsDestroying() && OnItemSelect) OnItemSelect(sender, item, item ? item->Index() : -1, selected);
    };
    FListView->OnChange = [this](TObject* sender, TListItem* item, TItemChange change) {
        if (!IsDestroying() && OnItemChange) OnItemChange(sender, item, change);
    };
    FListView->OnChanging = [this](TObject* sender, TListItem* item, TItemChange change, bool& allow) {
        if (!IsDestroying() && OnItemChanging) OnItemChanging(sender, item, change, allow);
    };
}

bool TSelectPanel::HitsInnerControl(const TControl* control, int x, int y) {
    const QWidget* hit = control->Handle() ? control->Handle()->childAt(x, y) : nullptr;
    return hit && TControl::FromWidget(hit) != control;
}

void TSelectPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!HitsInnerControl(this, x, y)) TGroupBox::MouseDown(button, shift, x, y);
}

void TSelectPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (!HitsInnerControl(this, x, y)) TGroupBox::MouseUp(button, shift, x, y);
}

void TSelectPanel::MouseMove(TShiftState shift, int x, int y) {
    if (!HitsInnerControl(this, x, y)) TGroupBox::MouseMove(shift, x, y);
}

QPoint TSelectPanel::ToPanelPoint(const TControl* child, int x, int y) const {
    const QWidget* from = child->Handle();
    QWidget* to = Handle();
    if (!from || !to) return QPoint(x, y);
    if (to->isAncestorOf(from)) return from->mapTo(to, QPoint(x, y));
    return to->mapFromGlobal(from->mapToGlobal(QPoint(x, y)));
}

// ---- layout ---------------------------------------------------------------------------

void TSelectPanel::SetBounds(int left, int top, int width, int height) {
    TGroupBox::SetBounds(left, top, width, height);
    if (CanLayout()) Relayout();
}

bool TSelectPanel::WidgetEvent(QWidget* widget, QEvent* event) {
    const bool handled = TGroupBox::WidgetEvent(widget, event);
    // A parent's alignment sizes the widget directly.
    if (event->type() == QEvent::Resize && widget == Handle() && CanLayout()) Relayout();
    return handled;
}

void TSelectPanel::Loaded() {
    TGroupBox::Loaded();
    // The labels take their text's size only once loading is over.
    Relayout();
}

void TSelectPanel::FontChanged() {
    TGroupBox::FontChanged();
    if (CanLayout()) Relayout();
}

void TSelectPanel::Relayout() {
    if (!CanLayout()) return;
    SizeUserChoiceBox();
    LayoutFor(FStyle);
}

void TSelectPanel::SizeUserChoiceBox() {
    const QFontMetrics metrics(FUserChoiceBox->Font()->ToQFont());
    const QString caption = FUserChoiceBox->Caption();
    FUserChoiceBox->SetBounds(FUserChoiceBox->Left(), FUserChoiceBox->Top(), metrics.horizontalAdvance(caption) + 24,
                              metrics.height() + 2);
}

void TSelectPanel::LayoutFor(TSelectStyle style) {
    switch (style) {
        case sp_Range:
            FUserChoiceBox->Hide();
            PlaceRangeFrame();
            if (FUseVertical)
                PlaceVerticalRangeInputs();
            else
                PlaceHorizontalRangeInputs();
            break;
        case sp_Discrete:
            FUserChoiceBox->Hide();
            PlaceListFrame();
            PlaceListInputs();
            break;
        case sp_UserChoice:
            FUserChoiceBox->Show();
            PlaceUserChoiceFrame();
            PlaceVerticalRangeInputs();
            PlaceListInputs();
            break;
    }
}

void TSelectPanel::PlaceFrame(TPanel* front, TPanel* back, bool withBevel, int top) {
    front->BringToFront();
    back->SendToBack();
    const int bevel = withBevel ? front->BevelWidth() : 0;
    const int left = 2;
    const QRect bounds(left, top, Width() - left - bevel - 2, Height() - top - bevel - 2);
    front->SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
    back->SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
}

void TSelectPanel::PlaceRangeFrame() {
    PlaceFrame(FRangePanel, FListPanel, true, QFontMetrics(Font()->ToQFont()).height() + 3);
}

void TSelectPanel::PlaceListFrame() {
    PlaceFrame(FListPanel, FRangePanel, true, QFontMetrics(Font()->ToQFont()).height() + 3);
}

void TSelectPanel::PlaceUserChoiceFrame() {
    FUserChoiceBox->BringToFront();
    FUserChoiceBox->SetBounds(16, QFontMetrics(Font()->ToQFont()).height() + 1, FUserChoiceBox->Width(),
                              FUserChoiceBox->Height());
    const int boxCaption = QFontMetrics(FUserChoiceBox->Font()->ToQFont()).height();
    TPanel* front = FUserChoice ? FRangePanel : FListPanel;
    TPanel* back = FUserChoice ? FListPanel : FRangePanel;
    PlaceFrame(front, back, false, boxCaption + FUserChoiceBox->Top() + 2);
    // The user-choice box sits above both panels.
    FUserChoiceBox->BringToFront();
}

void TSelectPanel::PlaceHorizontalRangeInputs() {
    const int panelWidth = FRangePanel->Width();
    FBeginLabel->SetCaption(Word(FBeginWords, 0));
    const int top = (FRangePanel->Height() - FBeginEdit->Height()) / 2;
    FBeginLabel->SetBounds(2, top, FBeginLabel->Width(), FBeginLabel->Height());
    const int labelRight = FBeginLabel->Left() + FBeginLabel->Width();
    // The end label's width before it takes its new text.
    const int endLabelWidth = FEndLabel->Width();
    int editWidth = 0;
    if (FCanOpenWin)
        editWidth = (panelWidth - FBeginLabel->Left() - FBeginLabel->Width() - FBeginButton->Width() - endLabelWidth -
                     FEndButton->Width() - 8) / 2 - 1;
    else
        editWidth = (panelWidth - FBeginLabel->Left() - FBeginLabel->Width() - endLabelWidth - 4) / 2 - 1;
    FBeginEdit->SetBounds(labelRight + 1, top, editWidth, FBeginEdit->Height());
    const int beginEditRight = FBeginEdit->Left() + FBeginEdit->Width();
    if (FCanOpenWin) FBeginButton->SetBounds(beginEditRight + 2, top, FBeginButton->Width(), FBeginButton->Height());

    FEndLabel->SetCaption(Word(FFinalWords, 0));
    const int endLabelLeft =
        FCanOpenWin ? FBeginButton->Left() + FBeginButton->Width() + 2 : beginEditRight + 4;
    FEndLabel->SetBounds(endLabelLeft, top, FEndLabel->Width(), FEndLabel->Height());
    FEndEdit->SetBounds(FEndLabel->Left() + FEndLabel->Width() + 2, top, FBeginEdit->Width(), FEndEdit->Height());
    if (FCanOpenWin)
        FEndButton->SetBounds(FEndEdit->Left() + FEndEdit->Width() + 2, top, FEndButton->Width(), FEndButton->Height());
}

void TSelectPanel::PlaceVerticalRangeInputs() {
    const int panelWidth = FRangePanel->Width();
    FBeginLabel->SetCaption(Word(FBeginWords, 1));
    const int gap = (FRangePanel->Height() - FBeginEdit->Height() - FEndEdit->Height()) / 3;
    FBeginLabel->SetBounds(2, gap, FBeginLabel->Width(), FBeginLabel->Height());
    const int labelRight = FBeginLabel->Left() + FBeginLabel->Width();
    const int editWidth = FCanOpenWin
                              ? panelWidth - FBeginLabel->Left() - FBeginLabel->Width() - FBeginButton->Width() - 4
                              : panelWidth - FBeginLabel->Left() - FBeginLabel->Width() - 2;
    FBeginEdit->SetBounds(labelRight + 2, gap, editWidth, FBeginEdit->Height());
    if (FCanOpenWin)
        FBeginButton->SetBounds(FBeginEdit->Left() + FBeginEdit->Width() + 1, gap, FBeginButton->Width(),
                                FBeginButton->Height());

    FEndLabel->SetCaption(Word(FFinalWords, 1));
    const int endTop = gap + FBeginLabel->Top() + FBeginEdit->Height();
    FEndLabel->SetBounds(FBeginLabel->Left(), endTop, FEndLabel->Width(), FEndLabel->Height());
    FEndEdit->SetBounds(FBeginEdit->Left(), endTop, FBeginEdit->Width(), FEndEdit->Height());
    if (FCanOpenWin) FEndButton->SetBounds(FBeginButton->Left(), endTop, FEndButton->Width(), FEndButton->Height());
}

void TSelectPanel::PlaceListInputs() {
    const int listWidth = FListPanel->Width() - FListView->Left() - FListButton->Width() - 3;
    FListView->SetBounds(FListView->Left(), 0, listWidth, FListPanel->Height());
    FListButton->SetBounds(FListView->Width() + 2, FListView->Top(), FListButton->Width(), FListButton->Height());
    FDeleteButton->SetBounds(FListButton->Left(), FListButton->Top() + FListButton->Height(), FDeleteButton->Width(),
                             FDeleteButton->Height());
    FClearButton->SetBounds(FDeleteButton->Left(), FDeleteButton->Top() + FDeleteButton->Height(),
                            FClearButton->Width(), FClearButton->Height());
}

void TSelectPanel::ApplyVisibility(TSelectStyle style) {
    if (Designing()) return;
    FUserChoiceBox->SetVisible(style == sp_UserChoice);
    const bool range = style == sp_Range || (FUserChoiceBox->Visible() && FUserChoiceBox->Checked());
    FRangePanel->SetVisible(range);
    FListPanel->SetVisible(!range);
    if (ComponentState() != TComponentState()) Relayout();
}

QString TSelectPanel::Word(const TStrings* words, int line) const {
    return line < words->Count() ? words->Strings(line) : QString();
}

// ---- style and its companions -----------------------------------------------------------

void TSelectPanel::SetStyle(TSelectStyle style) {
    bool accept = true;
    if (!Designing() && OnStyleChanging) OnStyleChanging(this, FStyle, style, accept);
    if (!accept) return;
    const TSelectStyle old = FStyle;
    // What the panel saves follows what the user sees: the box starts unchecked at
    // run time while the stored choice starts True.
    if (style == sp_UserChoice && !Designing()) FUserChoice = FUserChoiceBox->Checked();
    {
        TFlagScope locked(FLayoutLocked);
        ApplyVisibility(style);
        if (style != old && (style == sp_Range || old == sp_Range) && !FUseVertical && !IsLoading()) SwapOtherSize();
    }
    LayoutFor(style);
    if (!Designing() && OnStyleChange) OnStyleChange(this, old, style);
    FStyle = style;
}

bool TSelectPanel::ParentIsReading() const {
    const TWinControl* parent = Parent();
    if (!parent) return false;
    const TComponentState state = parent->ComponentState();
    return state == (TComponentState(csLoading) | csReading) ||
           state == (TComponentState(csLoading) | csReading | csDesigning);
}

void TSelectPanel::SwapOtherSize() {
    if (ParentIsReading()) return;
    const int width = Width();
    const int height = Height();
    SetBounds(Left(), Top(), FOtherWidth, FOtherHeight);
    FOtherWidth = width;
    FOtherHeight = height;
}

void TSelectPanel::SetUseVertical(bool on) {
    if (on == FUseVertical || FStyle != sp_Range) return;
    FUseVertical = on;
    if (!IsLoading()) {
        TFlagScope locked(FLayoutLocked);
        SwapOtherSize();
    }
    Relayout();
}

void TSelectPanel::SetUserChoice(bool on) {
    if (FStyle != sp_UserChoice) return;
    FUserChoiceBox->SetChecked(on);
    UserChoiceBoxClicked();
}

void TSelectPanel::UserChoiceBoxClicked() {
    if (IsDestroying() || FStyle != sp_UserChoice) return;
    FUserChoice = FUserChoiceBox->Checked();
    PlaceUserChoiceFrame();
    ApplyVisibility(FStyle);
    if (!Designing() && OnTypeClick) OnTypeClick(this);
}

void TSelectPanel::SetHintWord(const QString& text) {
    FUserChoiceBox->SetCaption(text);
    SizeUserChoiceBox();
    FHintWord = text;
}

void TSelectPanel::SetWords(TStrings* target, const TStrings* source, TLabel* label) {
    target->BeginUpdate();
    target->Clear();
    if (source && source->Count() > 0) {
        if (source->Count() == 1) {
            target->Add(source->Strings(0));
            label->SetCaption(source->Strings(0));
        } else {
            target->Add(source->Strings(0));
            target->Add(source->Strings(1));
            label->SetCaption(source->Strings(FStyle == sp_UserChoice ? 1 : 0));
        }
    }
    target->EndUpdate();
    if (target->Count() > 0) Relayout();
}

void TSelectPanel::SetBeginWords(TStrings* words) {
    if (words == FBeginWords) return;
    SetWords(FBeginWords, words, FBeginLabel);
}

void TSelectPanel::SetFinalWords(TStrings* words) {
    if (words == FFinalWords) return;
    SetWords(FFinalWords, words, FEndLabel);
}

void TSelectPanel::SetChildHints(TStrings* hints) {
    if (!hints || hints == FChildHints) return;
    FChildHints->Assign(hints);
}

void TSelectPanel::ApplyChildHints() {
    TControl* const children[] = {FUserChoiceBox, FBeginEdit,    FBeginButton,  FEndEdit,    FEndButton,
                                  FListView,      FListButton,   FDeleteButton, FClearButton};
    const int lines = std::min(FChildHints->Count(), 9);
    for (int i = 0; i < lines; ++i) children[i]->SetHint(FChildHints->Strings(i));
}

void TSelectPanel::SetEditMask(const QString& mask) {
    FEditMask = mask;
    const QString kept = FBeginEdit->Text();
    FBeginEdit->SuppressChange = true;
    FBeginEdit->SetTextValue(QString());
    FBeginEdit->SetEditMask(mask);
    FEndEdit->SetEditMask(mask);
    FEmptyMaskText = FBeginEdit->Text();
    FBeginEdit->SetTextValue(kept);
    FBeginEdit->SuppressChange = false;
}

void TSelectPanel::SetCanOpenWin(bool on) {
    if (on == FCanOpenWin) return;
    FCanOpenWin = on;
    FListButton->SetVisible(on);
    FBeginButton->SetVisible(on);
    FEndButton->SetVisible(on);
    Relayout();
}

void TSelectPanel::SetGlyphIndex(int index) {
    if (index == FGlyphIndex) return;
    try {
        FBeginButton->SetGlyphIndex(index);
        FEndButton->SetGlyphIndex(FBeginButton->GlyphIndex());
        FListButton->SetGlyphIndex(FBeginButton->GlyphIndex());
        FGlyphIndex = index;
    } catch (const std::exception&) {
        for (TF2Button* button : {FBeginButton, FEndButton, FListButton}) button->SetGlyphIndex(0);
    }
}

void TSelectPanel::SetSortListBox(bool on) {
    FListView->PlaceWaitingRows();
    FSortListBox = on;
    if (on) {
        FListView->CustomSort([this](TListItem* a, TListItem* b) { return CompareRows(a, b); });
        FListView->RowsRearranged();
    }
}

void TSelectPanel::SetCheckDuplicate(TCheckDuplicate mode) {
    FListView->PlaceWaitingRows();
    if (mode != cd_None) SetSortListBox(true);
    FCheckDuplicate = mode;
    FListView->RowsRearranged();
    if (!IsRangeMode()) RemoveDuplicateRows();
}

void TSelectPanel::SetColumns(TListColumns* columns) {
    FListView->PlaceWaitingRows();
    FListView->SetColumns(columns);
    FListView->RowsRearranged();
}

void TSelectPanel::SetItems(TListItems* items) {
    FListView->PlaceWaitingRows();
    FListView->SetItems(items);
    FListView->RowsRearranged();
}

TStrings* TSelectPanel::ColumnCaptions() const {
    FColumnCaptionList->Clear();
    for (int i = 0; i < Columns()->Count(); ++i) FColumnCaptionList->Add(FListView->Column(i)->Caption());
    return FColumnCaptionList;
}

void TSelectPanel::SetColumnCaptions(TStrings* captions) {
    // The source may be the work list this panel hands out.
    const QStringList lines = captions ? captions->ToStringList() : QStringList();
    FListView->PlaceWaitingRows();
    Columns()->Clear();
    for (const QString& caption : lines) {
        TListColumn* column = FListView->Columns()->Add();
        column->SetCaption(caption);
        column->SetWidth(-1);
    }
}

// ---- list order and duplicates ------------------------------------------------------------

int TSelectPanel::CompareRows(TListItem* a, TListItem* b) const {
    return CompareBy(FSortColumn, FSortAscending, [a](int c) { return ItemText(a, c); },
                     [b](int c) { return ItemText(b, c); });
}

int TSelectPanel::CompareRowWith(const QStringList& row, TListItem* item) const {
    return CompareBy(FSortColumn, FSortAscending, [&row](int c) -> const QString& { return ValueText(row, c); },
                     [item](int c) { return ItemText(item, c); });
}


bool TSelectPanel::SameCaptions(const QString& a, const QString& b) const {
    return FCheckDuplicate != cd_None && DuplicateKey(a) == DuplicateKey(b);
}

QString TSelectPanel::DuplicateKey(const QString& caption) const {
    return FCheckDuplicate == cd_CaseInsensitive ? QLocale().toUpper(caption) : caption;
}

void TSelectPanel::RemoveDuplicateRows() {
    if (FCheckDuplicate == cd_None) return;
    FListView->PlaceWaitingRows();
    TListItems* items = Items();
    items->BeginUpdate();
    for (int i = items->Count() - 1; i >= 1; --i)
        if (SameCaptions(items->Item(i)->Caption(), items->Item(i - 1)->Caption())) items->Delete(i);
    items->EndUpdate();
}

void TSelectPanel::SortByColumn(int column) {
    FListView->PlaceWaitingRows();
    if (column == FSortColumn) {
        FSortAscending = !FSortAscending;
    } else {
        FSortColumn = column;
        FSortAscending = true;
    }
    FListView->CustomSort([this](TListItem* a, TListItem* b) { return CompareRows(a, b); });
    FListView->RowsRearranged();
}

// ---- focus, enabling, child actions --------------------------------------------------

bool TSelectPanel::IsRangeMode() const {
    return FStyle == sp_Range || (FStyle == sp_UserChoice && FUserChoiceBox->Checked());
}

void TSelectPanel::SetFocus() {
    TGroupBox::SetFocus();
    if (!IsRangeMode() && FListView->CanFocus()) FListView->SetFocus();
}

void TSelectPanel::SetEnabled(bool on) {
    TGroupBox::SetEnabled(on);
    FLastEnabled = on;
    std::vector<TWinControl*> pending{this};
    while (!pending.empty()) {
        TWinControl* parent = pending.back();
        pending.pop_back();
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* child = parent->Controls(i);
            child->SetEnabled(on);
            if (auto* win = qobject_cast<TWinControl*>(child)) pending.push_back(win);
        }
    }
}

void TSelectPanel::OpenLookupFor(TWinControl* target) {
    if (IsDestroying() || Designing()) return;
    QPointer<TSelectPanel> alive(this);
    if (target->CanFocus()) target->SetFocus();
    if (!alive) return;
    if (TControl* receiver = LookupReceiverOf(Owner(), this))
        receiver->Perform(WM_LOOKUPREQUEST, 0, ControlParam(target));
    if (alive && OnOpenWinClick) OnOpenWinClick(this, target);
}

void TSelectPanel::DeleteSelectedRows() {
    if (IsDestroying()) return;
    FListView->PlaceWaitingRows();
    bool accept = true;
    if (!Designing() && OnDeleteClick) OnDeleteClick(FDeleteButton, accept);
    if (!accept) return;
    TListItems* items = Items();
    items->BeginUpdate();
    for (int i = items->Count() - 1; i >= 0; --i)
        if (items->Item(i)->Selected()) items->Delete(i);
    items->EndUpdate();
}

void TSelectPanel::ClearAllRows() {
    if (IsDestroying()) return;
    FListView->ClearRows();
    if (FListView->CanFocus()) FListView->SetFocus();
    if (!Designing() && OnClearClick) OnClearClick(FClearButton);
}

// ---- exit normalisation ----------------------------------------------------------------

bool TSelectPanel::FocusStaysInside() const {
    const TForm* form = GetParentForm(this);
    const TWinControl* active = form ? form->ActiveControl() : nullptr;
    return active && ContainsControl(active);
}

void TSelectPanel::ChildExited() {
    if (!IsDestroying() && !FocusStaysInside()) NormaliseRangeOnExit();
}

void TSelectPanel::DoExit() {
    if (!IsDestroying() && !FocusStaysInside()) NormaliseRangeOnExit();
}

void TSelectPanel::NormaliseRangeOnExit() {
    QPointer<TSelectPanel> alive(this);
    if (!FBeginEdit->EditMask().startsWith(QLatin1Char('!'))) {
        for (TMavMaskEdit* edit : {FBeginEdit, FEndEdit}) {
            const QString trimmed = edit->Text().trimmed();
            if (trimmed != edit->Text()) edit->SetTextValue(trimmed);
        }
    }
    if (!alive) return;
    QString begin = FBeginEdit->Text();
    QString end = FEndEdit->Text();
    if (ShouldExchange(begin, end)) {
        FBeginEdit->SetTextValue(end);
        if (alive) FEndEdit->SetTextValue(begin);
    } else {
        // The float rule rewrites the texts even when they stay where they are.
        if (FBeginEdit->Text() != begin) FBeginEdit->SetTextValue(begin);
        if (alive && FEndEdit->Text() != end) FEndEdit->SetTextValue(end);
    }
    if (alive && OnExit) OnExit(this);
}

bool TSelectPanel::IsBlankInput(const QString& text) const {
    // An edit under a mask that keeps its literals shows them even when nothing
    // was typed: that is no input either.
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() || text == FEmptyMaskText || trimmed == FEmptyMaskText.trimmed();
}

bool TSelectPanel::IsDiscarded(const QString& text) const { return FUseDiscard && text.trimmed() == FDiscard; }

bool TSelectPanel::ShouldExchange(QString& begin, QString& end) const {
    if (IsBlankInput(begin) || IsBlankInput(end)) return false;
    switch (FValueType) {
        case vt_String:
        case vt_Time:
            if (IsDiscarded(begin) || IsDiscarded(end)) return false;
            return ByteWiseGreater(begin, end);
        case vt_Number: return IntegerOrZero(begin) > IntegerOrZero(end);
        case vt_Date:
            if (!FAutoChangeDateSite || IsDiscarded(begin) || IsDiscarded(end)) return false;
            if (FDateType == dt_NoneCare) return ByteWiseGreater(begin, end);
            return DateBeginIsLater(begin, end);
        case vt_Float:
            begin = CanonicalFloatText(begin);
            end = CanonicalFloatText(end);
            return FloatOrZero(begin) > FloatOrZero(end);
        case vt_OtherMask: return false;
    }
    return false;
}

bool TSelectPanel::DateBeginIsLater(const QString& begin, const QString& end) const {
    double beginDate = 0;
    double endDate = 0;
    const bool hasBegin = ParseRangeDate(begin, beginDate);
    const bool hasEnd = ParseRangeDate(end, endDate);
    // No date comes before every date.
    if (!hasBegin) return false;
    return !hasEnd || beginDate > endDate;
}

bool TSelectPanel::ParseRangeDate(const QString& text, double& date) const {
    QString work = text.trimmed();
    if (work.isEmpty() || work == FEmptyMaskText.trimmed()) return false;
    const int separators = FieldCount(work, FDateSign) - 1;
    if (separators == 1) {
        switch (FDateType) {
            case dt_MMDDYYYY:
                work = work.left(2) + FDateSign + QStringLiteral("01") + work.mid(2, FDateSign.size() + 4);
                break;
            case dt_DDMMYYYY: work = QStringLiteral("01") + FDateSign + work; break;
            default: work = work + FDateSign + QStringLiteral("01"); break;
        }
    } else if (separators != 2) {
        return false;
    }
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        parts[i] = FieldAt(work, FDateSign, i + 1).trimmed().toInt(&ok);
        if (!ok || parts[i] == -1) return false;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    switch (FDateType) {
        case dt_YYYYMMDD: year = parts[0], month = parts[1], day = parts[2]; break;
        case dt_MMDDYYYY: month = parts[0], day = parts[1], year = parts[2]; break;
        case dt_DDMMYYYY: day = parts[0], month = parts[1], year = parts[2]; break;
        case dt_YYMMDD:
        case dt_YYYMMDD: year = parts[0] + 1911, month = parts[1], day = parts[2]; break;
        default: return false;
    }
    return TryEncodeDate(year, month, day, date);
}

// ---- saved value -------------------------------------------------------------------------

QString TSelectPanel::SaveValue() const {
    FListView->PlaceWaitingRows();
    switch (FStyle) {
        case sp_Range: return QStringLiteral("sp_Range") + kFieldSep + FBeginEdit->Text() + kFieldSep + FEndEdit->Text();
        case sp_Discrete: return QStringLiteral("sp_Discrete") + kFieldSep + RowsText();
        case sp_UserChoice:
            if (FUserChoice)
                return QStringLiteral("sp_UserChoice") + kFieldSep + QStringLiteral("True") + kFieldSep +
                       FBeginEdit->Text() + kFieldSep + FEndEdit->Text();
            return QStringLiteral("sp_UserChoice") + kFieldSep + QStringLiteral("False") + kFieldSep + RowsText();
    }
    return QString();
}

QString TSelectPanel::RowsText() const {
    QString text;
    const TListItems* items = Items();
    for (int i = 0; i < items->Count(); ++i) {
        const TListItem* item = items->Item(i);
        text += item->Caption();
        const TStrings* sub = item->SubItems();
        for (int k = 0; k < sub->Count(); ++k) text += kSubItemSep + sub->Strings(k);
        text += kRowEnd;
    }
    return text;
}

bool TSelectPanel::SplitRows(const QString& field, std::vector<QStringList>& rows) {
    rows.clear();
    if (field.isEmpty()) return true;
    // Every row ends with 0x04: a text that does not was cut short.
    if (!field.endsWith(kRowEnd)) return false;
    const QStringList pieces = field.split(kRowEnd, Qt::KeepEmptyParts);
    for (const QString& piece : pieces)
        if (!piece.isEmpty()) rows.push_back(piece.split(kSubItemSep, Qt::KeepEmptyParts));
    return true;
}

void TSelectPanel::ReplaceRows(const std::vector<QStringList>& rows) {
    FListView->ClearRows();
    for (const QStringList& row : rows)
        if (!FListView->AddRow(row)) throw ESaveValueError();
}

void TSelectPanel::SetSaveValue(const QString& text) {
    const QString style = FieldAt(text, kFieldSep, 1);
    const int fields = FieldCount(text, kFieldSep);
    std::vector<QStringList> rows;
    if (style == QLatin1String("sp_Range")) {
        FBeginEdit->SetTextValue(FieldAt(text, kFieldSep, 2));
        FEndEdit->SetTextValue(FieldAt(text, kFieldSep, 3));
    } else if (style == QLatin1String("sp_Discrete")) {
        // Exactly the style and the rows: a missing rows field or a stray
        // separator means the text was damaged.
        if (fields != 2 || !SplitRows(FieldAt(text, kFieldSep, 2), rows)) throw ESaveValueError();
        ReplaceRows(rows);
    } else if (style == QLatin1String("sp_UserChoice")) {
        const QString choice = FieldAt(text, kFieldSep, 2);
        if (choice == QLatin1String("True")) {
            SetUserChoice(true);
            FBeginEdit->SetTextValue(FieldAt(text, kFieldSep, 3));
            FEndEdit->SetTextValue(FieldAt(text, kFieldSep, 4));
        } else if (choice == QLatin1String("False")) {
            SetUserChoice(false);
            // Unreadable rows leave the list as it is.
            if (fields == 3 && SplitRows(FieldAt(text, kFieldSep, 3), rows)) {
                try {
                    ReplaceRows(rows);
                } catch (const ESaveValueError&) {
                }
            }
        }
    }
}

// ---- code-page conversion -------------------------------------------------------------

void TSelectPanel::ConvertTexts(const std::function<QString(const QString&)>& convert) {
    auto convertList = [&convert](TStrings* list) {
        QStringList lines = list->ToStringList();
        for (QString& line : lines) line = convert(line);
        list->SetStrings(lines);
    };
    convertList(FBeginWords);
    convertList(FFinalWords);
    FBeginLabel->SetCaption(convert(FBeginLabel->Caption()));
    FEndLabel->SetCaption(convert(FEndLabel->Caption()));
    SetHintWord(convert(FHintWord));
    for (int i = 0; i < Columns()->Count(); ++i) {
        TListColumn* column = FListView->Column(i);
        column->SetCaption(convert(column->Caption()));
    }
    FListView->PlaceWaitingRows();
    TListItems* items = Items();
    items->BeginUpdate();
    for (int i = 0; i < items->Count(); ++i) {
        TListItem* item = items->Item(i);
        item->SetCaption(convert(item->Caption()));
        convertList(item->SubItems());
    }
    items->EndUpdate();
    Relayout();
}

}  // namespace kv

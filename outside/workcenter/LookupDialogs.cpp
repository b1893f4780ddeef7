#include "LookupDialogs.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "WorkCenterText.h"

namespace kv::workcenter {
namespace {

constexpr int kMinguoOffset = 1911;

QLocale LocaleOf(Language language) {
    switch (language) {
    case Language::Traditional: return QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan);
    case Language::English: return QLocale(QLocale::English, QLocale::UnitedStates);
    default: return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    }
}

QDialogButtonBox* OkCancel(QDialog* dialog, Language language) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(Pick(language, "确定", "確定", "OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(Pick(language, "取消", "取消", "Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

// Filters with RowMatchesFilter, the same test the data side applies.
class TRowFilterModel : public QSortFilterProxyModel {
public:
    TRowFilterModel(const std::vector<std::vector<Variant>>& rows, QObject* parent)
        : QSortFilterProxyModel(parent), rows_(rows) {}
    void SetFilter(const QString& text) {
        filter_ = text;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override {
        return sourceRow >= 0 && sourceRow < static_cast<int>(rows_.size()) &&
               RowMatchesFilter(rows_[static_cast<std::size_t>(sourceRow)], filter_);
    }

private:
    const std::vector<std::vector<Variant>>& rows_;
    QString filter_;
};

// ---- lookup ---------------------------------------------------------------------------

TLookupDialog::TLookupDialog(const QString& title, TRowSet rows, bool multiple, const QString& filter,
                             Language language, QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)), multiple_(multiple), language_(language) {
    setWindowTitle(multiple ? title + Pick(language, " (多选)", " (多選)", " (choose several)") : title);
    setObjectName(QStringLiteral("frmF2Lookup"));

    model_ = new QStandardItemModel(static_cast<int>(rows_.Rows.size()), static_cast<int>(rows_.Headers.size()), this);
    model_->setHorizontalHeaderLabels(rows_.Headers);
    for (std::size_t r = 0; r < rows_.Rows.size(); ++r) {
        const std::vector<Variant>& row = rows_.Rows[r];
        for (std::size_t c = 0; c < row.size() && c < static_cast<std::size_t>(rows_.Headers.size()); ++c) {
            auto* item = new QStandardItem(TextOf(row[c]));
            item->setEditable(false);
            model_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    proxy_ = new TRowFilterModel(rows_.Rows, this);
    proxy_->setSourceModel(model_);

    auto* filterLabel = new QLabel(Pick(language, "查询(&F):", "查詢(&F):", "&Find:"), this);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("edFilter"));
    filter_->setPlaceholderText(Pick(language, "输入编号或名称的一部分", "輸入編號或名稱的一部分", "part of a code or name"));
    filter_->setClearButtonEnabled(true);
    filterLabel->setBuddy(filter_);

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("grdRows"));
    table_->setModel(proxy_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(multiple ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);  // keep the database's order until the user sorts
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setAlternatingRowColors(true);
    table_->resizeColumnsToContents();

    count_ = new QLabel(this);
    auto* buttons = OkCancel(this, language);
    ok_ = buttons->button(QDialogButtonBox::Ok);

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(filter_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(count_, 1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    resize(560, 360);

    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) { ApplyFilter(text); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateState(); });
    connect(table_, &QTableView::doubleClicked, this, [this] {
        if (!multiple_ && !ChosenRows().empty()) accept();
    });

    filter_->setText(filter);
    ApplyFilter(filter);
    filter_->setFocus();
}

void TLookupDialog::ApplyFilter(const QString& text) {
    proxy_->SetFilter(text);
    // One pick: the first row that fits is ready to be taken with Enter.
    if (!multiple_ && proxy_->rowCount() > 0) SelectVisibleRows({0});
    UpdateState();
}

void TLookupDialog::UpdateState() {
    count_->setText(Pick(language_, "共 %1 笔，显示 %2 笔", "共 %1 筆，顯示 %2 筆", "%2 of %1 rows shown")
                        .arg(rows_.Rows.size())
                        .arg(proxy_->rowCount()));
    ok_->setEnabled(!ChosenRows().empty());
}

int TLookupDialog::VisibleRowCount() const { return proxy_->rowCount(); }

bool TLookupDialog::SelectVisibleRows(const std::vector<int>& rows) {
    QItemSelectionModel* selection = table_->selectionModel();
    selection->clearSelection();
    for (int r : rows) {
        if (r < 0 || r >= proxy_->rowCount()) {
            selection->clearSelection();
            return false;
        }
    }
    for (int r : rows) {
        const QModelIndex index = proxy_->index(r, 0);
        selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    return true;
}

void TLookupDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only a laid-out table knows which rows are in view.
    const QModelIndex current = table_->selectionModel()->currentIndex();
    if (current.isValid()) table_->scrollTo(current);
}

std::vector<int> TLookupDialog::ChosenRows() const {
    std::vector<int> visible;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) visible.push_back(index.row());
    std::sort(visible.begin(), visible.end());
    std::vector<int> chosen;
    for (int v : visible) chosen.push_back(proxy_->mapToSource(proxy_->index(v, 0)).row());
    return chosen;
}

// ---- date -----------------------------------------------------------------------------

QString DateCaption(const QDate& date, bool minguo, Language language) {
    if (!date.isValid()) return {};
    const QString day = LocaleOf(language).dayName(date.dayOfWeek(), QLocale::LongFormat);
    const QString mm = QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
    const QString dd = QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
    if (minguo) {
        const QString y = QString::number(date.year() - kMinguoOffset);
        switch (language) {
        case Language::English: return QStringLiteral("ROC %1/%2/%3 %4").arg(y, mm, dd, day);
        case Language::Traditional: return QStringLiteral("民國%1年%2月%3日 %4").arg(y, mm, dd, day);
        default: return QStringLiteral("民国%1年%2月%3日 %4").arg(y, mm, dd, day);
        }
    }
    const QString y = QString::number(date.year());
    if (language == Language::English) return QStringLiteral("%1/%2/%3 %4").arg(y, mm, dd, day);
    return QStringLiteral("%1年%2月%3日 %4").arg(y, mm, dd, day);
}

TCalendarDialog::TCalendarDialog(const QDate& start, bool minguo, Language language, QWidget* parent)
    : QDialog(parent), minguo_(minguo), language_(language) {
    setWindowTitle(Pick(language, "选择日期", "選擇日期", "Choose a date"));
    setObjectName(QStringLiteral("frmInputDay"));
    const QLocale locale = LocaleOf(language);
    // Storage dates run from 1753; Minguo years from 1912 (year 1).
    const QDate first = minguo ? QDate(kMinguoOffset + 1, 1, 1) : QDate(1753, 1, 1);
    const QDate last(9999, 12, 31);

    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("calDay"));
    calendar_->setLocale(locale);
    calendar_->setFirstDayOfWeek(Qt::Sunday);
    calendar_->setNavigationBarVisible(false);  // ours shows Minguo years
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setGridVisible(true);
    calendar_->setDateRange(first, last);

    auto* previous = new QToolButton(this);
    previous->setArrowType(Qt::LeftArrow);
    previous->setToolTip(Pick(language, "上个月", "上個月", "Previous month"));
    auto* next = new QToolButton(this);
    next->setArrowType(Qt::RightArrow);
    next->setToolTip(Pick(language, "下个月", "下個月", "Next month"));
    month_ = new QComboBox(this);
    for (int m = 1; m <= 12; ++m) month_->addItem(locale.standaloneMonthName(m, QLocale::LongFormat), m);
    year_ = new QSpinBox(this);
    year_->setObjectName(QStringLiteral("seYear"));
    if (minguo) {
        year_->setPrefix(Pick(language, "民国 ", "民國 ", "ROC "));
        year_->setRange(first.year() - kMinguoOffset, last.year() - kMinguoOffset);
    } else {
        year_->setRange(first.year(), last.year());
    }
    if (language != Language::English) year_->setSuffix(QStringLiteral(" 年"));

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("lblDay"));
    label_->setAlignment(Qt::AlignCenter);
    QFont bold = label_->font();
    bold.setBold(true);
    label_->setFont(bold);

    auto* today = new QPushButton(Pick(language, "今天(&T)", "今天(&T)", "&Today"), this);
    auto* buttons = OkCancel(this, language);
    buttons->addButton(today, QDialogButtonBox::ResetRole);

    auto* nav = new QHBoxLayout;
    nav->addWidget(previous);
    nav->addStretch(1);
    nav->addWidget(year_);
    nav->addWidget(month_);
    nav->addStretch(1);
    nav->addWidget(next);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nav);
    layout->addWidget(calendar_, 1);
    layout->addWidget(label_);
    layout->addWidget(buttons);

    connect(calendar_, &QCalendarWidget::currentPageChanged, this, [this](int y, int m) { ShowPage(y, m); });
    connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] { UpdateLabel(); });
    connect(calendar_, &QCalendarWidget::activated, this, [this] { accept(); });
    connect(month_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) calendar_->setCurrentPage(calendar_->yearShown(), index + 1);
    });
    connect(year_, &QSpinBox::valueChanged, this, [this](int value) {
        calendar_->setCurrentPage(minguo_ ? value + kMinguoOffset : value, calendar_->monthShown());
    });
    connect(previous, &QToolButton::clicked, calendar_, &QCalendarWidget::showPreviousMonth);
    connect(next, &QToolButton::clicked, calendar_, &QCalendarWidget::showNextMonth);
    connect(today, &QPushButton::clicked, this, [this] { SetSelectedDate(QDate::currentDate()); });

    SetSelectedDate(start.isValid() ? start : QDate::currentDate());
    calendar_->setFocus();
}

void TCalendarDialog::SetSelectedDate(const QDate& date) {
    const QDate d = std::clamp(date, calendar_->minimumDate(), calendar_->maximumDate());
    calendar_->setSelectedDate(d);
    calendar_->setCurrentPage(d.year(), d.month());
    ShowPage(d.year(), d.month());
    UpdateLabel();
}

QDate TCalendarDialog::SelectedDate() const { return calendar_->selectedDate(); }

void TCalendarDialog::ShowPage(int year, int month) {
    const QSignalBlocker holdYear(year_);
    const QSignalBlocker holdMonth(month_);
    year_->setValue(minguo_ ? year - kMinguoOffset : year);
    month_->setCurrentIndex(month - 1);
}

void TCalendarDialog::UpdateLabel() { label_->setText(DateCaption(SelectedDate(), minguo_, language_)); }

// ---- phrase ---------------------------------------------------------------------------

TPhraseDialog::TPhraseDialog(const QStringList& phrases, Language language, QWidget* parent) : QDialog(parent) {
    setWindowTitle(Pick(language, "常用词组", "常用詞組", "Phrases"));
    setObjectName(QStringLiteral("frmPhrase"));
    list_ = new QListWidget(this);
    list_->addItems(phrases);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(OkCancel(this, language));
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    if (!phrases.isEmpty()) SelectRow(0);
    resize(360, 260);
}

bool TPhraseDialog::SelectRow(int row) {
    if (row < 0 || row >= list_->count()) return false;
    list_->setCurrentRow(row);
    return true;
}

QString TPhraseDialog::ChosenPhrase() const {
    const QListWidgetItem* item = list_->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

}  // namespace kv::workcenter

// The lookup window's dialogs: the F2 lookup (a filter and a table of candidate
// rows, one or several to pick), the date picker (with Minguo years when asked)
// and the phrase picker. They only show and pick; the rows come from
// TableCatalogue, and whoever runs them modally (QDialog::exec or a scripted
// answer) reads the choice back.
#pragma once

#include <QDate>
#include <QDialog>
#include <QStringList>

#include <vector>

#include "TableCatalogue.h"
#include "WorkCenterContext.h"

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;

namespace kv::workcenter {

class TRowFilterModel;

class TLookupDialog : public QDialog {
public:
    TLookupDialog(const QString& title, TRowSet rows, bool multiple, const QString& filter, Language language,
                  QWidget* parent = nullptr);

    QLineEdit* FilterEdit() const { return filter_; }
    QTableView* Table() const { return table_; }
    bool Multiple() const { return multiple_; }
    int VisibleRowCount() const;
    // Selects rows by their place in the filtered view (replacing the selection);
    // false, selecting nothing, when one is out of range.
    bool SelectVisibleRows(const std::vector<int>& rows);
    // The chosen rows as indices into the candidate rows, in the order shown.
    std::vector<int> ChosenRows() const;
    const std::vector<std::vector<Variant>>& Rows() const { return rows_.Rows; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ApplyFilter(const QString& text);
    void UpdateState();

    TRowSet rows_;
    bool multiple_;
    Language language_;
    QLineEdit* filter_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* ok_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    TRowFilterModel* proxy_ = nullptr;
};

class TCalendarDialog : public QDialog {
public:
    TCalendarDialog(const QDate& start, bool minguo, Language language, QWidget* parent = nullptr);

    QCalendarWidget* Calendar() const { return calendar_; }
    QSpinBox* YearBox() const { return year_; }
    QLabel* DateLabel() const { return label_; }
    bool Minguo() const { return minguo_; }
    void SetSelectedDate(const QDate& date);
    QDate SelectedDate() const;

private:
    void ShowPage(int year, int month);
    void UpdateLabel();

    bool minguo_;
    Language language_;
    QCalendarWidget* calendar_ = nullptr;
    QComboBox* month_ = nullptr;
    QSpinBox* year_ = nullptr;
    QLabel* label_ = nullptr;
};

// The date as the picker's label shows it: Minguo "民国113年05月17日" (ROC
// 113/05/17 in English) or Gregorian, with the weekday.
QString DateCaption(const QDate& date, bool minguo, Language language);

class TPhraseDialog : public QDialog {
public:
    TPhraseDialog(const QStringList& phrases, Language language, QWidget* parent = nullptr);

    QListWidget* List() const { return list_; }
    bool SelectRow(int row);
    // "" when none is chosen.
    QString ChosenPhrase() const;

private:
    QListWidget* list_ = nullptr;
};

}  // namespace kv::workcenter

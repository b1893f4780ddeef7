// Scripted answers to the lookup window's dialogs, for headless demonstration runs
// (KVN_HOST_SCRIPT names the file) and for tests: each dialog is built and filled
// as usual, then answered from the script instead of waiting for a user. A dialog
// with no answer left is cancelled, so a run never blocks.
//
// One answer per line, taken in order per dialog kind; "#" starts a comment:
//
//     lookup rows=0,2 filter=E00    pick rows 0 and 2 of those the filter leaves
//     lookup                        pick the first row shown
//     lookup cancel
//     calendar date=20240517        pick that day
//     calendar ok                   take the day shown
//     calendar cancel
//     phrase row=1
//     phrase cancel
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

class QDialog;

namespace kv::workcenter {

struct TScriptAnswer {
    enum class Kind { Lookup, Calendar, Phrase };
    Kind For = Kind::Lookup;
    bool Cancel = false;
    QString Filter;          // lookup: the text typed into the filter first
    bool HasFilter = false;
    std::vector<int> Rows;   // lookup: rows of the filtered view; phrase: Rows[0]
    QDate Date;              // calendar: the day to pick; invalid: the day shown
};

class THostScript {
public:
    // Malformed lines are skipped and described in *problems.
    static THostScript Parse(const QString& text, QStringList* problems = nullptr);
    static THostScript Load(const QString& path, QStringList* problems = nullptr);

    // Answers the dialog with the next answer for its kind and returns the modal
    // result, without a modal loop.
    int Run(QDialog& dialog);
    std::size_t Pending() const { return lookups_.size() + calendars_.size() + phrases_.size(); }

private:
    std::deque<TScriptAnswer> lookups_;
    std::deque<TScriptAnswer> calendars_;
    std::deque<TScriptAnswer> phrases_;
};

}  // namespace kv::workcenter

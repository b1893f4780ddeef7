#include "HostScript.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>

#include <cstdio>
#include <optional>

#include "LookupDialogs.h"

namespace kv::workcenter {
namespace {

std::optional<std::vector<int>> RowList(const QString& text) {
    std::vector<int> rows;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int row = part.trimmed().toInt(&ok);
        if (!ok || row < 0) return std::nullopt;
        rows.push_back(row);
    }
    if (rows.empty()) return std::nullopt;
    return rows;
}

// One line's answer, or the reason it is not one.
std::optional<TScriptAnswer> ParseLine(const QString& line, QString* why) {
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    TScriptAnswer answer;
    const QString kind = words.value(0).toLower();
    if (kind == QLatin1String("lookup")) {
        answer.For = TScriptAnswer::Kind::Lookup;
        answer.Rows = {0};
    } else if (kind == QLatin1String("calendar")) {
        answer.For = TScriptAnswer::Kind::Calendar;
    } else if (kind == QLatin1String("phrase")) {
        answer.For = TScriptAnswer::Kind::Phrase;
        answer.Rows = {0};
    } else {
        *why = QStringLiteral("unknown dialog \"%1\"").arg(words.value(0));
        return std::nullopt;
    }
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString word = words[i];
        const QString name = word.section(u'=', 0, 0).toLower();
        const QString value = word.section(u'=', 1);
        if (name == QLatin1String("cancel") && !word.contains(u'=')) {
            answer.Cancel = true;
        } else if (name == QLatin1String("ok") && !word.contains(u'=')) {
            // the default answer
        } else if (name == QLatin1String("filter") && answer.For == TScriptAnswer::Kind::Lookup) {
            answer.Filter = value;
            answer.HasFilter = true;
        } else if ((name == QLatin1String("rows") && answer.For == TScriptAnswer::Kind::Lookup) ||
                   (name == QLatin1String("row") && answer.For == TScriptAnswer::Kind::Phrase)) {
            const std::optional<std::vector<int>> rows = RowList(value);
            if (!rows || (answer.For == TScriptAnswer::Kind::Phrase && rows->size() != 1)) {
                *why = QStringLiteral("bad row list \"%1\"").arg(value);
                return std::nullopt;
            }
            answer.Rows = *rows;
        } else if (name == QLatin1String("date") && answer.For == TScriptAnswer::Kind::Calendar) {
            answer.Date = QDate::fromString(value, QStringLiteral("yyyyMMdd"));
            if (value.size() != 8 || !answer.Date.isValid()) {
                *why = QStringLiteral("bad date \"%1\" (YYYYMMDD)").arg(value);
                return std::nullopt;
            }
        } else {
            *why = QStringLiteral("unknown word \"%1\"").arg(word);
            return std::nullopt;
        }
    }
    return answer;
}

int AnswerLookup(TLookupDialog& dialog, const TScriptAnswer& answer) {
    if (answer.Cancel) return QDialog::Rejected;
    if (answer.HasFilter) dialog.FilterEdit()->setText(answer.Filter);
    std::vector<int> rows = answer.Rows;
    if (!dialog.Multiple() && rows.size() > 1) rows.resize(1);
    if (!dialog.SelectVisibleRows(rows) || dialog.ChosenRows().empty()) return QDialog::Rejected;
    return QDialog::Accepted;
}

int AnswerCalendar(TCalendarDialog& dialog, const TScriptAnswer& answer) {
    if (answer.Cancel) return QDialog::Rejected;
    if (answer.Date.isValid()) dialog.SetSelectedDate(answer.Date);
    return QDialog::Accepted;
}

int AnswerPhrase(TPhraseDialog& dialog, const TScriptAnswer& answer) {
    if (answer.Cancel || answer.Rows.empty() || !dialog.SelectRow(answer.Rows.front())) return QDialog::Rejected;
    return QDialog::Accepted;
}

int Next(std::deque<TScriptAnswer>& queue, const char* kind, TScriptAnswer& out) {
    if (queue.empty()) {
        std::fprintf(stderr, "FenmorWorkCenter: no scripted answer left for a %s dialog; it is cancelled\n", kind);
        return 0;
    }
    out = queue.front();
    queue.pop_front();
    return 1;
}

}  // namespace

THostScript THostScript::Parse(const QString& text, QStringList* problems) {
    THostScript script;
    const QStringList lines = text.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].section(u'#', 0, 0).simplified();
        if (line.isEmpty()) continue;
        QString why;
        const std::optional<TScriptAnswer> answer = ParseLine(line, &why);
        if (!answer) {
            if (problems) *problems << QStringLiteral("line %1: %2").arg(n + 1).arg(why);
            continue;
        }
        switch (answer->For) {
        case TScriptAnswer::Kind::Lookup: script.lookups_.push_back(*answer); break;
        case TScriptAnswer::Kind::Calendar: script.calendars_.push_back(*answer); break;
        case TScriptAnswer::Kind::Phrase: script.phrases_.push_back(*answer); break;
        }
    }
    return script;
}

THostScript THostScript::Load(const QString& path, QStringList* problems) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (problems) *problems << QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return {};
    }
    return Parse(QString::fromUtf8(file.readAll()), problems);
}

int THostScript::Run(QDialog& dialog) {
    TScriptAnswer answer;
    int result = QDialog::Rejected;
    if (auto* lookup = dynamic_cast<TLookupDialog*>(&dialog)) {
        if (Next(lookups_, "lookup", answer)) result = AnswerLookup(*lookup, answer);
    } else if (auto* calendar = dynamic_cast<TCalendarDialog*>(&dialog)) {
        if (Next(calendars_, "calendar", answer)) result = AnswerCalendar(*calendar, answer);
    } else if (auto* phrase = dynamic_cast<TPhraseDialog*>(&dialog)) {
        if (Next(phrases_, "phrase", answer)) result = AnswerPhrase(*phrase, answer);
    }
    dialog.setResult(result);
    return result;
}

}  // namespace kv::workcenter

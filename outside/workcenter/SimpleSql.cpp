#include "SimpleSql.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <vector>

#include "SampleDatabase.h"
#include "WorkCenterText.h"
#include "kv/Automation.h"

namespace kv::workcenter {
namespace {

// Statement words that write, change the connection or the schema, or run without
// end (a recursive WITH). REPLACE is also a function: it counts only when no "("
// follows.
const QSet<QString>& ForbiddenWords() {
    static const QSet<QString> words = {
        QStringLiteral("INSERT"),    QStringLiteral("UPDATE"),   QStringLiteral("DELETE"),
        QStringLiteral("CREATE"),    QStringLiteral("DROP"),     QStringLiteral("ALTER"),
        QStringLiteral("ATTACH"),    QStringLiteral("DETACH"),   QStringLiteral("PRAGMA"),
        QStringLiteral("VACUUM"),    QStringLiteral("REINDEX"),  QStringLiteral("ANALYZE"),
        QStringLiteral("BEGIN"),     QStringLiteral("COMMIT"),   QStringLiteral("ROLLBACK"),
        QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE"),  QStringLiteral("RECURSIVE"),
        QStringLiteral("LOAD_EXTENSION"),
    };
    return words;
}

struct TStripped {
    QString Code;  // the statement with literals, quoted names and comments blanked
    QString Error;
};

// Blanks out what is not SQL code, so that words inside texts and names are not
// taken for statements.
TStripped StripLiterals(const QString& sql) {
    TStripped out;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            for (;; ++j) {
                if (j >= n) return {QString(), QStringLiteral("a text or a quoted name is not closed")};
                if (sql[j] == close) {
                    if (close != u']' && j + 1 < n && sql[j + 1] == close) {
                        ++j;  // a doubled quote stands for itself
                        continue;
                    }
                    break;
                }
            }
            out.Code += c == u'\'' ? QStringLiteral(" '' ") : QStringLiteral(" x ");
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n') ++i;
            out.Code += u' ';
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0) return {QString(), QStringLiteral("a comment is not closed")};
            out.Code += u' ';
            i = end + 2;
        } else {
            out.Code += c;
            ++i;
        }
    }
    return out;
}

}  // namespace

QString SimpleSqlRefusal(const QString& sql) {
    if (sql.trimmed().isEmpty()) return QStringLiteral("the statement is empty");
    if (sql.size() > kSimpleSqlMaxLength) return QStringLiteral("the statement is too long");
    const TStripped stripped = StripLiterals(sql);
    if (!stripped.Error.isEmpty()) return stripped.Error;
    QString code = stripped.Code.trimmed();
    if (code.endsWith(u';')) code.chop(1);
    if (code.contains(u';')) return QStringLiteral("only one statement may be given");

    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_$]*"));
    bool first = true;
    for (auto it = word.globalMatch(code); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString w = m.captured().toUpper();
        if (first) {
            if (w != QLatin1String("SELECT") && w != QLatin1String("WITH"))
                return QStringLiteral("only a SELECT may be run, not ") + m.captured();
            first = false;
        }
        if (ForbiddenWords().contains(w)) return QStringLiteral("the statement may not use ") + m.captured();
        if (w == QLatin1String("REPLACE")) {
            const QString rest = code.mid(m.capturedEnd()).trimmed();
            if (!rest.startsWith(u'(')) return QStringLiteral("the statement may not use ") + m.captured();
        }
    }
    if (first) return QStringLiteral("only a SELECT may be run");
    return {};
}

Variant RunSimpleSql(const QString& databasePath, const QString& sql, const QString& column) {
    const QString refusal = SimpleSqlRefusal(sql);
    if (!refusal.isEmpty()) throw EOleError("SIMPLESQL refused: " + Utf8(refusal));
    EnsureSampleDatabase(databasePath);
    TReadOnlyConnection connection(databasePath);
    std::vector<Variant> rows;
    {
        QSqlQuery q(connection.Db());
        q.setForwardOnly(true);
        if (!q.exec(sql)) throw EOleError("SIMPLESQL failed: " + Utf8(q.lastError().text()));
        const QSqlRecord record = q.record();
        int pick = -1;
        if (!column.trimmed().isEmpty()) {
            for (int i = 0; i < record.count() && pick < 0; ++i)
                if (record.fieldName(i).compare(column.trimmed(), Qt::CaseInsensitive) == 0) pick = i;
            if (pick < 0) throw EOleError("SIMPLESQL: the statement has no column \"" + Utf8(column) + "\"");
        }
        while (q.next()) {
            if (static_cast<int>(rows.size()) >= kSimpleSqlMaxRows)
                throw EOleError("SIMPLESQL: the statement gives more than " + std::to_string(kSimpleSqlMaxRows) +
                                " rows");
            std::vector<Variant> row;
            if (pick >= 0) {
                row.push_back(FromSql(q.value(pick)));
            } else {
                for (int i = 0; i < record.count(); ++i) row.push_back(FromSql(q.value(i)));
            }
            rows.push_back(Variant::ArrayOf(std::move(row)));
        }
    }
    if (rows.empty()) return Variant();
    return Variant::ArrayOf(std::move(rows));
}

}  // namespace kv::workcenter

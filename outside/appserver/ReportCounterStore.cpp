#include "ReportCounterStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <atomic>
#include <cstdio>

#include "kv/Wire.h"

namespace kv::appserver {
namespace {

constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 10000;
// Job numbers have exactly eight characters: clients derive a report key from the
// first eight characters of a job number, so those must tell jobs apart.
constexpr long long kLastJobId = 99999999;

[[noreturn]] void Fail(const QString& what, const QSqlError& error) {
    throw EStoreError((what + ": " + error.text()).toStdString());
}

QSqlQuery Prepare(const QSqlDatabase& db, const char* sql) {
    QSqlQuery q(db);
    if (!q.prepare(QString::fromLatin1(sql))) Fail(QStringLiteral("cannot prepare a statement"), q.lastError());
    return q;
}

void Exec(QSqlQuery& q) {
    if (!q.exec()) Fail(QStringLiteral("statement failed"), q.lastError());
}

void ExecDirect(const QSqlDatabase& db, const char* sql) {
    QSqlQuery q(db);
    if (!q.exec(QString::fromLatin1(sql))) Fail(QStringLiteral("statement failed"), q.lastError());
}

// Qt binds a null QString as SQL NULL; an empty text must stay an empty text.
QString NonNull(QString s) { return s.isNull() ? QStringLiteral("") : s; }
QString Q(const std::string& s) { return NonNull(QString::fromStdString(s)); }
std::string S(const QVariant& v) { return v.toString().toStdString(); }

// Text keeps its kind in the database: Bytes as a BLOB, String as TEXT (or as a
// BLOB when it is not valid UTF-8, so no byte is lost on the way through QString).
QVariant ToColumn(const Variant& v) {
    const std::string bytes = v.ToString();
    const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (v.Type() == VarType::Bytes) return QVariant(raw);
    const QString text = QString::fromUtf8(raw);
    if (text.toUtf8() != raw) return QVariant(raw);
    return QVariant(NonNull(text));
}

Variant FromColumn(const QVariant& v) {
    if (v.typeId() == QMetaType::QByteArray) {
        const QByteArray raw = v.toByteArray();
        return Variant::Bytes(std::string(raw.constData(), static_cast<std::size_t>(raw.size())));
    }
    return Variant(v.toString().toStdString());
}

QString NowUtc() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs); }

bool IsUniqueViolation(const QSqlError& e) {
    // SQLITE_CONSTRAINT_UNIQUE is 2067, SQLITE_CONSTRAINT_PRIMARYKEY 1555; a driver
    // that reports only the primary code (19, any constraint) is told by the text.
    const QString code = e.nativeErrorCode();
    if (code == QLatin1String("2067") || code == QLatin1String("1555")) return true;
    return code == QLatin1String("19") && e.databaseText().contains(QLatin1String("UNIQUE"));
}

// Unique in the process even when two copies of this code are loaded (a host that
// links the server and loads ReportCounterS.so too): the store's address is part
// of the name.
QString ConnectionNameFor(const void* store) {
    static std::atomic<unsigned long long> counter{0};
    return QStringLiteral("kv-appserver-%1-%2").arg(reinterpret_cast<quintptr>(store), 0, 16).arg(++counter);
}

}  // namespace

// One write transaction. BEGIN IMMEDIATE takes the write lock up front, so two
// writers never deadlock upgrading a read lock; the busy timeout makes the second
// one wait.
class TReportCounterStore::Transaction {
public:
    explicit Transaction(const QSqlDatabase& db) : db_(db) { ExecDirect(db_, "BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (!done_) {
            QSqlQuery q(db_);
            q.exec(QStringLiteral("ROLLBACK"));
        }
    }
    void Commit() {
        ExecDirect(db_, "COMMIT");
        done_ = true;
    }

private:
    QSqlDatabase db_;
    bool done_ = false;
};

TReportCounterStore::TReportCounterStore(const std::string& path) : path_(path), connection_(ConnectionNameFor(this)) {
    try {
        Open();
    } catch (...) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
        throw;
    }
}

TReportCounterStore::~TReportCounterStore() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

std::string TReportCounterStore::DefaultPath() {
    const QByteArray env = qgetenv("KVN_APPSERVER_DB");
    if (!env.isEmpty()) return env.toStdString();
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString dir = base + QStringLiteral("/kvn");
    QDir().mkpath(dir);
    return (dir + QStringLiteral("/appserver.sqlite")).toStdString();
}

void TReportCounterStore::Open() {
    if (path_.empty()) throw EStoreError("no database file given");
    const QFileInfo info(Q(path_));
    if (!info.absoluteDir().exists())
        throw EStoreError("the folder of the database file does not exist: " + info.absolutePath().toStdString());
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db_.isValid()) throw EStoreError("the Qt SQLite driver (QSQLITE) is not available");
    db_.setDatabaseName(Q(path_));
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db_.open()) Fail(QStringLiteral("cannot open the database ") + Q(path_), db_.lastError());
    ExecDirect(db_, "PRAGMA journal_mode=WAL");
    ExecDirect(db_, "PRAGMA synchronous=NORMAL");
    ExecDirect(db_, "PRAGMA foreign_keys=ON");
    CreateSchema();
}

void TReportCounterStore::CreateSchema() {
    Transaction t(db_);
    QSqlQuery version(db_);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
        Fail(QStringLiteral("cannot read the schema version"), version.lastError());
    const int current = version.value(0).toInt();
    version.finish();
    if (current > kSchemaVersion)
        throw EStoreError("the database " + path_ + " was made by a newer application server (schema " +
                          std::to_string(current) + ")");
    ExecDirect(db_,
               "CREATE TABLE IF NOT EXISTS schemes ("
               " id INTEGER PRIMARY KEY,"
               " ncondition TEXT NOT NULL,"
               " creator TEXT NOT NULL,"
               " programme TEXT NOT NULL,"
               " scondition TEXT NOT NULL DEFAULT '',"
               " vcondition TEXT NOT NULL DEFAULT '',"
               " create_date TEXT NOT NULL DEFAULT '',"
               " UNIQUE (creator, programme, ncondition))");
    ExecDirect(db_,
               "CREATE TABLE IF NOT EXISTS rights ("
               " user_id TEXT NOT NULL,"
               " program TEXT NOT NULL,"
               " power TEXT NOT NULL,"
               " extra1 TEXT NOT NULL DEFAULT '',"
               " extra2 TEXT NOT NULL DEFAULT '',"
               " limit_prefix TEXT NOT NULL DEFAULT '',"
               " limit_items BLOB,"
               " PRIMARY KEY (user_id, program))");
    ExecDirect(db_,
               "CREATE TABLE IF NOT EXISTS jobs ("
               " id INTEGER PRIMARY KEY AUTOINCREMENT,"
               " job_no TEXT UNIQUE,"
               " user_id TEXT NOT NULL,"
               " program TEXT NOT NULL,"
               " kind TEXT NOT NULL,"
               " mode INTEGER NOT NULL,"
               " computer TEXT NOT NULL DEFAULT '',"
               " created TEXT NOT NULL,"
               " status TEXT NOT NULL,"
               " request BLOB NOT NULL)");
    ExecDirect(db_,
               "CREATE TABLE IF NOT EXISTS job_status ("
               " id INTEGER PRIMARY KEY AUTOINCREMENT,"
               " job_no TEXT NOT NULL REFERENCES jobs (job_no),"
               " status TEXT NOT NULL,"
               " messages TEXT NOT NULL,"
               " client_time REAL,"
               " recorded TEXT NOT NULL)");
    ExecDirect(db_, "CREATE INDEX IF NOT EXISTS job_status_job ON job_status (job_no)");
    if (current < kSchemaVersion) ExecDirect(db_, "PRAGMA user_version = 1");
    t.Commit();
}

// ---- schemes --------------------------------------------------------------------------

std::vector<SchemeRow> TReportCounterStore::LoadSchemes(const std::string& creator, const std::string& programme) {
    QSqlQuery q = Prepare(db_,
                          "SELECT ncondition, creator, programme, scondition, vcondition, create_date"
                          " FROM schemes WHERE creator = ? AND programme = ? ORDER BY ncondition, id");
    q.addBindValue(Q(creator));
    q.addBindValue(Q(programme));
    Exec(q);
    std::vector<SchemeRow> rows;
    while (q.next()) {
        rows.push_back(SchemeRow{FromColumn(q.value(0)), S(q.value(1)), S(q.value(2)), FromColumn(q.value(3)),
                                 FromColumn(q.value(4)), S(q.value(5))});
    }
    return rows;
}

TReportCounterStore::SaveResult TReportCounterStore::SaveScheme(const SchemeRow& row, bool replace) {
    Transaction t(db_);
    QSqlQuery update = Prepare(db_,
                               "UPDATE schemes SET scondition = ?, vcondition = ?, create_date = ?"
                               " WHERE creator = ? AND programme = ? AND ncondition = ?");
    QSqlQuery insert = Prepare(db_,
                               "INSERT INTO schemes (ncondition, creator, programme, scondition, vcondition, create_date)"
                               " VALUES (?, ?, ?, ?, ?, ?)");
    insert.addBindValue(ToColumn(row.name));
    insert.addBindValue(Q(row.creator));
    insert.addBindValue(Q(row.programme));
    insert.addBindValue(ToColumn(row.fieldList));
    insert.addBindValue(ToColumn(row.valueText));
    insert.addBindValue(Q(row.createDate));
    if (insert.exec()) {
        t.Commit();
        return SaveResult::Inserted;
    }
    if (!IsUniqueViolation(insert.lastError())) Fail(QStringLiteral("cannot save the scheme"), insert.lastError());
    if (!replace) return SaveResult::NameTaken;
    update.addBindValue(ToColumn(row.fieldList));
    update.addBindValue(ToColumn(row.valueText));
    update.addBindValue(Q(row.createDate));
    update.addBindValue(Q(row.creator));
    update.addBindValue(Q(row.programme));
    update.addBindValue(ToColumn(row.name));
    Exec(update);
    t.Commit();
    return SaveResult::Replaced;
}

bool TReportCounterStore::DeleteScheme(const SchemeKey& key) {
    Transaction t(db_);
    QSqlQuery q = Prepare(db_, "DELETE FROM schemes WHERE creator = ? AND programme = ? AND ncondition = ?");
    q.addBindValue(Q(key.creator));
    q.addBindValue(Q(key.programme));
    q.addBindValue(ToColumn(key.name));
    Exec(q);
    const bool removed = q.numRowsAffected() > 0;
    t.Commit();
    return removed;
}

TReportCounterStore::RenameResult TReportCounterStore::RenameScheme(const SchemeKey& from, const SchemeKey& to) {
    Transaction t(db_);
    QSqlQuery q = Prepare(db_,
                          "UPDATE schemes SET ncondition = ?, creator = ?, programme = ?"
                          " WHERE creator = ? AND programme = ? AND ncondition = ?");
    q.addBindValue(ToColumn(to.name));
    q.addBindValue(Q(to.creator));
    q.addBindValue(Q(to.programme));
    q.addBindValue(Q(from.creator));
    q.addBindValue(Q(from.programme));
    q.addBindValue(ToColumn(from.name));
    if (!q.exec()) {
        if (IsUniqueViolation(q.lastError())) return RenameResult::NameTaken;
        Fail(QStringLiteral("cannot rename the scheme"), q.lastError());
    }
    if (q.numRowsAffected() == 0) return RenameResult::NotFound;
    t.Commit();
    return RenameResult::Renamed;
}

// ---- rights ---------------------------------------------------------------------------

std::optional<RightsRow> TReportCounterStore::Rights(const std::string& user, const std::string& program) {
    QSqlQuery q = Prepare(db_,
                          "SELECT power, extra1, extra2, limit_prefix, limit_items FROM rights"
                          " WHERE user_id = ? AND program = ?");
    q.addBindValue(Q(user));
    q.addBindValue(Q(program));
    Exec(q);
    if (!q.next()) return std::nullopt;
    RightsRow r{S(q.value(0)), S(q.value(1)), S(q.value(2)), S(q.value(3)), {}};
    const QByteArray items = q.value(4).toByteArray();
    if (!items.isEmpty()) {
        try {
            const Variant list = wire::DecodeVariant(std::string_view(items.constData(), static_cast<std::size_t>(items.size())));
            for (const Variant& item : list.Elements()) r.limitItems.push_back(item.ToString());
        } catch (const std::exception& e) {
            throw EStoreError(std::string("the stored limitation list is damaged: ") + e.what());
        }
    }
    return r;
}

void TReportCounterStore::SetRights(const std::string& user, const std::string& program, const RightsRow& rights) {
    std::vector<Variant> items;
    for (const std::string& item : rights.limitItems) items.emplace_back(item);
    const std::string blob = wire::EncodeVariant(Variant::ArrayOf(std::move(items)));
    Transaction t(db_);
    QSqlQuery q = Prepare(db_,
                          "INSERT OR REPLACE INTO rights (user_id, program, power, extra1, extra2, limit_prefix, limit_items)"
                          " VALUES (?, ?, ?, ?, ?, ?, ?)");
    q.addBindValue(Q(user));
    q.addBindValue(Q(program));
    q.addBindValue(Q(rights.power));
    q.addBindValue(Q(rights.extra1));
    q.addBindValue(Q(rights.extra2));
    q.addBindValue(Q(rights.limitPrefix));
    q.addBindValue(QByteArray(blob.data(), static_cast<qsizetype>(blob.size())));
    Exec(q);
    t.Commit();
}

// ---- jobs -----------------------------------------------------------------------------

std::string TReportCounterStore::AddJob(const NewJob& job) {
    Transaction t(db_);
    const QString now = NowUtc();
    QSqlQuery insert = Prepare(db_,
                               "INSERT INTO jobs (user_id, program, kind, mode, computer, created, status, request)"
                               " VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    insert.addBindValue(Q(job.user));
    insert.addBindValue(Q(job.program));
    insert.addBindValue(Q(job.kind));
    insert.addBindValue(job.mode);
    insert.addBindValue(Q(job.computer));
    insert.addBindValue(now);
    insert.addBindValue(Q(job.status));
    insert.addBindValue(QByteArray(job.request.data(), static_cast<qsizetype>(job.request.size())));
    Exec(insert);
    const long long id = insert.lastInsertId().toLongLong();
    if (id <= 0 || id > kLastJobId) throw EStoreError("the job queue has run out of job numbers");
    char number[16];
    std::snprintf(number, sizeof number, "%08lld", id);
    const QString jobNo = QString::fromLatin1(number);

    QSqlQuery name = Prepare(db_, "UPDATE jobs SET job_no = ? WHERE id = ?");
    name.addBindValue(jobNo);
    name.addBindValue(id);
    Exec(name);
    QSqlQuery history = Prepare(db_,
                                "INSERT INTO job_status (job_no, status, messages, client_time, recorded)"
                                " VALUES (?, ?, '', NULL, ?)");
    history.addBindValue(jobNo);
    history.addBindValue(Q(job.status));
    history.addBindValue(now);
    Exec(history);
    t.Commit();
    return number;
}

bool TReportCounterStore::AppendJobStatus(const std::string& jobNo, const std::string& status,
                                          const std::string& messages, std::optional<double> clientTime) {
    Transaction t(db_);
    QSqlQuery update = Prepare(db_, "UPDATE jobs SET status = ? WHERE job_no = ?");
    update.addBindValue(Q(status));
    update.addBindValue(Q(jobNo));
    Exec(update);
    if (update.numRowsAffected() == 0) return false;
    QSqlQuery history = Prepare(db_,
                                "INSERT INTO job_status (job_no, status, messages, client_time, recorded)"
                                " VALUES (?, ?, ?, ?, ?)");
    history.addBindValue(Q(jobNo));
    history.addBindValue(Q(status));
    history.addBindValue(Q(messages));
    history.addBindValue(clientTime ? QVariant(*clientTime) : QVariant(QMetaType(QMetaType::Double)));
    history.addBindValue(NowUtc());
    Exec(history);
    t.Commit();
    return true;
}

std::optional<JobRecord> TReportCounterStore::Job(const std::string& jobNo) {
    QSqlQuery q = Prepare(db_,
                          "SELECT job_no, user_id, program, kind, mode, computer, created, status, request"
                          " FROM jobs WHERE job_no = ?");
    q.addBindValue(Q(jobNo));
    Exec(q);
    if (!q.next()) return std::nullopt;
    const QByteArray request = q.value(8).toByteArray();
    return JobRecord{S(q.value(0)), S(q.value(1)), S(q.value(2)), S(q.value(3)), q.value(4).toInt(),
                     S(q.value(5)), S(q.value(6)), S(q.value(7)),
                     std::string(request.constData(), static_cast<std::size_t>(request.size()))};
}

std::vector<JobStatusRow> TReportCounterStore::JobHistory(const std::string& jobNo) {
    QSqlQuery q = Prepare(db_,
                          "SELECT status, messages, client_time, recorded FROM job_status"
                          " WHERE job_no = ? ORDER BY id");
    q.addBindValue(Q(jobNo));
    Exec(q);
    std::vector<JobStatusRow> rows;
    while (q.next()) {
        std::optional<double> clientTime;
        if (!q.value(2).isNull()) clientTime = q.value(2).toDouble();
        rows.push_back(JobStatusRow{S(q.value(0)), S(q.value(1)), clientTime, S(q.value(3))});
    }
    return rows;
}

std::int64_t TReportCounterStore::JobCount() {
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM jobs")) || !q.next())
        Fail(QStringLiteral("cannot count the jobs"), q.lastError());
    return q.value(0).toLongLong();
}

}  // namespace kv::appserver

#include "SampleDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QVariant>

#include <atomic>

#include "SampleCompany.h"
#include "kv/Automation.h"

namespace kv::workcenter {
namespace {

constexpr int kBusyTimeoutMs = 10000;

// Unique in the process even when two copies of this code are loaded (a host that
// links kv_workcenter and loads FenmorWorkCenter.so too): the counter's address is
// part of the name.
QString NewConnectionName() {
    static std::atomic<unsigned long long> counter{0};
    return QStringLiteral("kv-workcenter-%1-%2").arg(reinterpret_cast<quintptr>(&counter), 0, 16).arg(++counter);
}

[[noreturn]] void Fail(const QString& what, const QSqlError& error) {
    throw EOleError((what + ": " + error.text()).toStdString());
}

void ExecText(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql)) Fail(sql, q.lastError());
}

int UserVersion(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        Fail(QStringLiteral("cannot read the schema version"), q.lastError());
    return q.value(0).toInt();
}

void RefuseNewer(int version, const QString& path) {
    if (version > SampleSchemaVersion())
        throw EOleError(("the sample database " + path + " was made by a newer work center (schema " +
                         QString::number(version) + ")")
                            .toStdString());
}

// Opens the file for writing only to create it; the connection ends with the call.
void CreateUnderLock(const QString& path) {
    const QString name = NewConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        try {
            if (!db.open()) Fail("cannot create the sample database " + path, db.lastError());
            ExecText(db, QStringLiteral("BEGIN IMMEDIATE"));
            try {
                const int version = UserVersion(db);
                RefuseNewer(version, path);
                if (version < SampleSchemaVersion()) {
                    CreateSampleCompany(db);
                    ExecText(db, QStringLiteral("PRAGMA user_version = %1").arg(SampleSchemaVersion()));
                }
                ExecText(db, QStringLiteral("COMMIT"));
            } catch (...) {
                QSqlQuery rollback(db);
                rollback.exec(QStringLiteral("ROLLBACK"));
                throw;
            }
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

}  // namespace

TReadOnlyConnection::TReadOnlyConnection(const QString& path) : name_(NewConnectionName()) {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    if (!db_.isValid()) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw EOleError("the Qt SQLite driver (QSQLITE) is not available");
    }
    db_.setDatabaseName(path);
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db_.open()) {
        const QSqlError error = db_.lastError();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        Fail("cannot open " + path, error);
    }
}

TReadOnlyConnection::~TReadOnlyConnection() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

void EnsureSampleDatabase(const QString& path) {
    if (path.isEmpty()) throw EOleError("no sample database file given");
    const QFileInfo info(path);
    if (info.exists()) {
        TReadOnlyConnection existing(path);
        const int version = UserVersion(existing.Db());
        RefuseNewer(version, path);
        if (version == SampleSchemaVersion()) return;
    } else if (!QDir().mkpath(info.absolutePath())) {
        throw EOleError(("cannot create the folder " + info.absolutePath()).toStdString());
    }
    CreateUnderLock(path);
}

QSqlDatabase& TSampleDatabase::Connection() {
    if (!connection_) {
        EnsureSampleDatabase(path_);
        connection_ = std::make_unique<TReadOnlyConnection>(path_);
    }
    return connection_->Db();
}

void PrepareOrThrow(QSqlQuery& query, const QString& sql) {
    if (!query.prepare(sql)) Fail(QStringLiteral("cannot prepare a query"), query.lastError());
}

void ExecOrThrow(QSqlQuery& query) {
    if (!query.exec()) Fail(QStringLiteral("the query failed"), query.lastError());
}

}  // namespace kv::workcenter

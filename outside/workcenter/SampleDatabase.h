// The sample company database: an SQLite file created on first use from the
// schema and rows of SampleCompany, then only read. Every query goes through a
// connection opened read-only, so nothing a caller sends can change it.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <memory>
#include <utility>

namespace kv::workcenter {

// A connection of its own, opened read-only on an existing SQLite file and removed
// when this ends. Raises EOleError when the file cannot be opened.
class TReadOnlyConnection {
public:
    explicit TReadOnlyConnection(const QString& path);
    ~TReadOnlyConnection();
    TReadOnlyConnection(const TReadOnlyConnection&) = delete;
    TReadOnlyConnection& operator=(const TReadOnlyConnection&) = delete;

    QSqlDatabase& Db() { return db_; }

private:
    QString name_;
    QSqlDatabase db_;
};

// Creates the file's schema and sample rows unless it already has them. Safe when
// several processes start at once: the creation is one write transaction that
// checks the schema version again after taking the lock. EOleError on failure.
void EnsureSampleDatabase(const QString& path);

class TSampleDatabase {
public:
    explicit TSampleDatabase(QString path) : path_(std::move(path)) {}
    TSampleDatabase(const TSampleDatabase&) = delete;
    TSampleDatabase& operator=(const TSampleDatabase&) = delete;

    const QString& Path() const { return path_; }
    // The read-only connection the services query; creates the database on the
    // first call. Raises EOleError with the reason (and tries again next time).
    QSqlDatabase& Connection();

private:
    QString path_;
    std::unique_ptr<TReadOnlyConnection> connection_;
};

// Prepares and runs a statement; EOleError with the driver's text on failure.
void PrepareOrThrow(QSqlQuery& query, const QString& sql);
void ExecOrThrow(QSqlQuery& query);

}  // namespace kv::workcenter

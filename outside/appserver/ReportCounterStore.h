// The application server's storage: condition schemes, user rights and the job
// queue, in one SQLite file through Qt SQL.
//
// Each store owns its own database connection (a unique connection name), usable
// only on the thread that created the store. Several stores, in several threads
// or processes, may share one file: it runs in WAL mode with a busy timeout, and
// every write is one transaction that takes the write lock at its start.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QSqlDatabase>
#include <QString>

#include "kv/Variant.h"

namespace kv::appserver {

// The database cannot be opened, or a statement failed.
class EStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One condition scheme. Name, field list and value text keep their kind: text that
// arrives as Bytes (a code-page encoding) is stored and returned as Bytes.
struct SchemeRow {
    Variant name;         // NCONDITION
    std::string creator;  // CREATOR
    std::string programme;  // PROGRAMME
    Variant fieldList;    // SCONDITION
    Variant valueText;    // VCONDITION
    std::string createDate;  // CREATE_DATE, YYYYMMDD
};

struct SchemeKey {
    Variant name;
    std::string creator;
    std::string programme;
};

// What GetPower answers for one user and program.
struct RightsRow {
    std::string power;  // "text,Y,Y,rights,text,text"
    std::string extra1;
    std::string extra2;
    std::string limitPrefix;
    std::vector<std::string> limitItems;
};

struct NewJob {
    std::string user;
    std::string program;
    std::string kind;
    std::int32_t mode = 0;
    std::string computer;
    std::string status;
    std::string request;  // the whole request, as kv_wire CBOR
};

struct JobRecord {
    std::string jobNo;
    std::string user;
    std::string program;
    std::string kind;
    std::int32_t mode = 0;
    std::string computer;
    std::string created;  // UTC, ISO 8601
    std::string status;
    std::string request;
};

struct JobStatusRow {
    std::string status;
    std::string messages;
    std::optional<double> clientTime;  // the client's date-time value, when it sent one
    std::string recorded;              // server time, UTC, ISO 8601
};

class TReportCounterStore {
public:
    // Opens (and on first use creates) the database file.
    explicit TReportCounterStore(const std::string& path);
    ~TReportCounterStore();
    TReportCounterStore(const TReportCounterStore&) = delete;
    TReportCounterStore& operator=(const TReportCounterStore&) = delete;

    // $KVN_APPSERVER_DB, else <user data dir>/kvn/appserver.sqlite (the folder is
    // created when missing).
    static std::string DefaultPath();

    const std::string& Path() const noexcept { return path_; }

    // Schemes of one user and program, ordered by name.
    std::vector<SchemeRow> LoadSchemes(const std::string& creator, const std::string& programme);
    enum class SaveResult { Inserted, Replaced, NameTaken };
    SaveResult SaveScheme(const SchemeRow& row, bool replace);
    // True when a scheme was removed.
    bool DeleteScheme(const SchemeKey& key);
    enum class RenameResult { Renamed, NotFound, NameTaken };
    RenameResult RenameScheme(const SchemeKey& from, const SchemeKey& to);

    std::optional<RightsRow> Rights(const std::string& user, const std::string& program);
    void SetRights(const std::string& user, const std::string& program, const RightsRow& rights);

    // Stores the job and its first status row in one transaction and returns its
    // number: eight digits, unique. Raises EStoreError when the numbers run out.
    std::string AddJob(const NewJob& job);
    // Appends a status row and makes it the job's status; false for an unknown job.
    bool AppendJobStatus(const std::string& jobNo, const std::string& status, const std::string& messages,
                         std::optional<double> clientTime);
    std::optional<JobRecord> Job(const std::string& jobNo);
    std::vector<JobStatusRow> JobHistory(const std::string& jobNo);
    std::int64_t JobCount();

private:
    class Transaction;
    void Open();
    void CreateSchema();

    std::string path_;
    QString connection_;
    QSqlDatabase db_;
};

}  // namespace kv::appserver

// "ReportCounterS.dmReportCounter": the report-counter data module of the
// application server. One implementation serves both ways: created in process from
// ReportCounterS.so, and behind the kvappserver daemon's socket sessions.
//
// Members (late-bound, names without regard to case):
//   LoadTable(var [UserID, ProgramCode])          fills the provider "pvdConSave"
//   InsertConTable(var [name, UserID, YYYYMMDD, ProgramCode, field list, value text, replace])
//                                                 -> "" or the error text
//   DeleteConTable(var [name, UserID, ProgramCode]) -> "" or the error text
//   ChangeConName(var [old name, UserID, ProgramCode], var [new name, UserID, ProgramCode])
//                                                 -> "" or the error text
//   Request(request)                              -> job number, or "ERROR"
//   Request1(request, computer name)              -> job number, or "ERROR"
//   GetPower([DbName, UserID, ProgramCode, ""])   -> rights answer [0..5]
//   UpdateStatus1(var JobNo, message texts, date-time)
//   ErrorDescript, SQLType                        read-only properties
//   GetProviderRows(provider name)                -> the provider's rows (below)
//
// Provider rows are a 2-D array [0..n, 0..f-1]: row 0 holds the field names, rows
// 1..n the records. "pvdConSave" has the fields NCONDITION, CREATOR, PROGRAMME,
// SCONDITION, VCONDITION and CREATE_DATE.
//
// Rights: a user with no row in the rights table has full rights on the program
// and no limitation list: [UserID, "<ProgramCode>,Y,Y,YYYYYYYY,,", "", "", "", [0]].
// A site restricts users by adding rows (TReportCounterStore::SetRights).
//
// Database: $KVN_APPSERVER_DB, else <user data dir>/kvn/appserver.sqlite; the
// daemon takes --db. An object is bound to the thread that created it.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "ReportCounterStore.h"
#include "kv/Automation.h"
#include "kv/Variant.h"

namespace kv::appserver {

inline constexpr const char* kReportCounterProgId = "ReportCounterS.dmReportCounter";
inline constexpr const char* kSchemeProvider = "pvdConSave";
inline constexpr const char* kRequestFailed = "ERROR";
// The storage kind that SQLType reports (the clients keep it and use it no further).
inline constexpr std::int32_t kSQLTypeSQLite = 3;

class TdmReportCounter : public IDispatchObject {
public:
    explicit TdmReportCounter(const std::string& databasePath);

    Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) override;

    void LoadTable(Variant& key);
    std::string InsertConTable(Variant& values);
    std::string DeleteConTable(Variant& key);
    std::string ChangeConName(Variant& oldKey, Variant& newKey);
    std::string Request(const Variant& request);
    std::string Request1(const Variant& request, const Variant& computerName);
    Variant GetPower(const Variant& query);
    void UpdateStatus1(Variant& jobNo, const Variant& messages, const Variant& when);
    const std::string& ErrorDescript() const noexcept { return errorDescript_; }
    std::int32_t SQLType() const noexcept { return kSQLTypeSQLite; }
    Variant GetProviderRows(const std::string& provider) const;

    TReportCounterStore& Store() noexcept { return store_; }

private:
    std::string SubmitJob(const Variant& request, const std::string& computer, const char* status);
    std::string RequestFailed(const std::string& why);

    TReportCounterStore store_;
    std::thread::id owner_ = std::this_thread::get_id();
    std::string errorDescript_;
    std::vector<SchemeRow> schemeRows_;
};

// A new dmReportCounter on the default database; EOleError when it cannot open.
DispatchPtr CreateReportCounter(const std::string& databasePath);

}  // namespace kv::appserver

#include "dmReportCounter.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "kv/Wire.h"

namespace kv::appserver {
namespace {

// Request layout: [environment, option names, option values (, period, dynamic fields)].
constexpr int kRequestMinElements = 3;
const char* const kRequestParts[] = {"environment", "option names", "option values"};
// Environment entries the queue keeps in its own columns (indices from 1).
constexpr int kEnvProgram = 1;
constexpr int kEnvUser = 5;
constexpr int kEnvJobKind = 9;
constexpr int kEnvMode = 10;

constexpr const char* kStatusQueued = "QUEUED";
constexpr const char* kStatusRegistered = "REGISTERED";
constexpr const char* kStatusFinished = "FINISHED";

const char* const kSchemeFields[] = {"NCONDITION", "CREATOR", "PROGRAMME", "SCONDITION", "VCONDITION", "CREATE_DATE"};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool IsList(const Variant& v, std::size_t minCount) {
    return v.IsArray() && v.DimCount() == 1 && v.ElementCount() >= minCount;
}

// Element k of a list, counted from its low bound.
const Variant& Item(const Variant& list, int k) { return list[list.LowBound() + k]; }

bool IsScalar(const Variant& v) { return !v.IsArray() && v.Type() != VarType::Dispatch; }

std::string TextOf(const Variant& v) {
    if (!IsScalar(v)) throw EVariantError("a text was expected, not an array or object");
    return v.ToString();
}

bool IsBlank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); });
}

// Entry i (from 1) of the request's environment, or "" when it is missing or not a scalar.
std::string EnvText(const Variant& env, int i) {
    if (!env.IsArray() || env.DimCount() != 1 || i < env.LowBound() || i > env.HighBound()) return {};
    const Variant& v = env[i];
    if (!IsScalar(v)) return {};
    try {
        return v.ToString();
    } catch (const EVariantError&) {
        return {};
    }
}

std::int32_t EnvInt(const Variant& env, int i) {
    if (!env.IsArray() || env.DimCount() != 1 || i < env.LowBound() || i > env.HighBound()) return 0;
    try {
        return env[i].ToInt();
    } catch (const EVariantError&) {
        return 0;
    }
}

std::optional<std::string> RequestShapeError(const Variant& request) {
    if (!request.IsArray()) return "the request is not an array";
    if (request.DimCount() != 1) return "the request must be a one-dimensional array";
    const std::size_t n = request.ElementCount();
    if (n < kRequestMinElements)
        return "the request has " + std::to_string(n) +
               " elements; at least 3 are needed (environment, option names, option values)";
    for (int k = 0; k < kRequestMinElements; ++k)
        if (!Item(request, k).IsArray())
            return "element " + std::to_string(k) + " of the request (" + kRequestParts[k] + ") is not an array";
    return std::nullopt;
}

SchemeKey KeyOf(const Variant& key) {
    if (!IsList(key, 3)) throw EVariantError("a scheme key is an array [name, UserID, ProgramCode]");
    const Variant& name = Item(key, 0);
    if (!IsScalar(name) || IsBlank(name.ToString())) throw EVariantError("the scheme name is empty");
    return SchemeKey{name, TextOf(Item(key, 1)), TextOf(Item(key, 2))};
}

void RequireMethod(const std::string& member, InvokeKind kind, const std::vector<Variant>& args, std::size_t count) {
    if (kind == InvokeKind::Put) throw EOleError("\"" + member + "\" is a method and cannot be assigned");
    if (args.size() != count)
        throw EOleError("\"" + member + "\" expects " + std::to_string(count) + " argument(s), got " +
                        std::to_string(args.size()));
}

void RequireProperty(const std::string& member, InvokeKind kind, const std::vector<Variant>& args) {
    if (kind == InvokeKind::Put) throw EOleError("the property \"" + member + "\" is read-only");
    if (!args.empty()) throw EOleError("the property \"" + member + "\" takes no arguments");
}

Variant DefaultRightsList() {
    Variant list = Variant::Array(0, 0);
    list[0] = Variant(std::int32_t{0});
    return list;
}

}  // namespace

TdmReportCounter::TdmReportCounter(const std::string& databasePath) : store_(databasePath) {}

DispatchPtr CreateReportCounter(const std::string& databasePath) {
    try {
        return std::make_shared<TdmReportCounter>(databasePath);
    } catch (const std::exception& e) {
        throw EOleError(std::string("cannot open the application server's database: ") + e.what());
    }
}

Variant TdmReportCounter::Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) {
    // Its database connection belongs to the creating thread.
    if (std::this_thread::get_id() != owner_)
        throw EOleError(std::string(kReportCounterProgId) + " was called from a thread other than the one that created it");
    const std::string name = Lower(member);
    try {
        if (name == "loadtable") {
            RequireMethod(member, kind, args, 1);
            LoadTable(args[0]);
            return Variant();
        }
        if (name == "insertcontable") {
            RequireMethod(member, kind, args, 1);
            return Variant(InsertConTable(args[0]));
        }
        if (name == "deletecontable") {
            RequireMethod(member, kind, args, 1);
            return Variant(DeleteConTable(args[0]));
        }
        if (name == "changeconname") {
            RequireMethod(member, kind, args, 2);
            return Variant(ChangeConName(args[0], args[1]));
        }
        if (name == "request") {
            RequireMethod(member, kind, args, 1);
            return Variant(Request(args[0]));
        }
        if (name == "request1") {
            RequireMethod(member, kind, args, 2);
            return Variant(Request1(args[0], args[1]));
        }
        if (name == "getpower") {
            RequireMethod(member, kind, args, 1);
            return GetPower(args[0]);
        }
        if (name == "updatestatus1") {
            RequireMethod(member, kind, args, 3);
            UpdateStatus1(args[0], args[1], args[2]);
            return Variant();
        }
        if (name == "getproviderrows") {
            RequireMethod(member, kind, args, 1);
            return GetProviderRows(TextOf(args[0]));
        }
        if (name == "errordescript") {
            RequireProperty(member, kind, args);
            return Variant(errorDescript_);
        }
        if (name == "sqltype") {
            RequireProperty(member, kind, args);
            return Variant(SQLType());
        }
    } catch (const EOleError&) {
        throw;
    } catch (const std::exception& e) {
        throw EOleError(member + ": " + e.what());
    }
    throw EOleError(std::string(kReportCounterProgId) + " has no member \"" + member + "\"");
}

void TdmReportCounter::LoadTable(Variant& key) {
    if (!IsList(key, 2)) throw EOleError("LoadTable expects an array [UserID, ProgramCode]");
    schemeRows_ = store_.LoadSchemes(TextOf(Item(key, 0)), TextOf(Item(key, 1)));
}

std::string TdmReportCounter::InsertConTable(Variant& values) {
    try {
        if (!IsList(values, 7)) return "InsertConTable expects an array of 7 scheme values";
        const Variant& name = Item(values, 0);
        if (!IsScalar(name) || IsBlank(name.ToString())) return "the scheme name is empty";
        SchemeRow row{name, TextOf(Item(values, 1)), TextOf(Item(values, 3)), Item(values, 4), Item(values, 5),
                      TextOf(Item(values, 2))};
        if (!IsScalar(row.fieldList) || !IsScalar(row.valueText)) return "the scheme's field list and values must be texts";
        const bool replace = Item(values, 6).ToBool();
        if (store_.SaveScheme(row, replace) == TReportCounterStore::SaveResult::NameTaken)
            return "a scheme of this name already exists";
        return {};
    } catch (const std::exception& e) {
        return std::string("the scheme could not be saved: ") + e.what();
    }
}

// Deleting a scheme that is already gone succeeds: the caller's wish holds either way.
std::string TdmReportCounter::DeleteConTable(Variant& key) {
    try {
        store_.DeleteScheme(KeyOf(key));
        return {};
    } catch (const std::exception& e) {
        return std::string("the scheme could not be deleted: ") + e.what();
    }
}

std::string TdmReportCounter::ChangeConName(Variant& oldKey, Variant& newKey) {
    try {
        switch (store_.RenameScheme(KeyOf(oldKey), KeyOf(newKey))) {
        case TReportCounterStore::RenameResult::Renamed: return {};
        case TReportCounterStore::RenameResult::NotFound: return "the scheme to rename does not exist";
        case TReportCounterStore::RenameResult::NameTaken: return "a scheme of the new name already exists";
        }
        return {};
    } catch (const std::exception& e) {
        return std::string("the scheme could not be renamed: ") + e.what();
    }
}

std::string TdmReportCounter::RequestFailed(const std::string& why) {
    errorDescript_ = why;
    return kRequestFailed;
}

std::string TdmReportCounter::SubmitJob(const Variant& request, const std::string& computer, const char* status) {
    if (const auto shape = RequestShapeError(request)) return RequestFailed(*shape);
    NewJob job;
    const Variant& env = Item(request, 0);
    job.program = EnvText(env, kEnvProgram);
    job.user = EnvText(env, kEnvUser);
    job.kind = EnvText(env, kEnvJobKind);
    job.mode = EnvInt(env, kEnvMode);
    job.computer = computer;
    job.status = status;
    try {
        job.request = wire::EncodeVariant(request);
    } catch (const std::exception& e) {
        return RequestFailed(std::string("the request cannot be stored: ") + e.what());
    }
    try {
        return store_.AddJob(job);
    } catch (const std::exception& e) {
        return RequestFailed(std::string("the job could not be queued: ") + e.what());
    }
}

std::string TdmReportCounter::Request(const Variant& request) { return SubmitJob(request, {}, kStatusQueued); }

std::string TdmReportCounter::Request1(const Variant& request, const Variant& computerName) {
    std::string computer;
    try {
        computer = TextOf(computerName);
    } catch (const EVariantError&) {
        return RequestFailed("the computer name is not a text");
    }
    return SubmitJob(request, computer, kStatusRegistered);
}

Variant TdmReportCounter::GetPower(const Variant& query) {
    if (!IsList(query, 3)) throw EOleError("GetPower expects an array [DbName, UserID, ProgramCode, \"\"]");
    const std::string user = TextOf(Item(query, 1));
    const std::string program = TextOf(Item(query, 2));
    Variant answer = Variant::Array(0, 5);
    answer[0] = Variant(user);
    const std::optional<RightsRow> rights = store_.Rights(user, program);
    if (!rights) {
        answer[1] = Variant(program + ",Y,Y,YYYYYYYY,,");
        answer[2] = Variant("");
        answer[3] = Variant("");
        answer[4] = Variant("");
        answer[5] = DefaultRightsList();
        return answer;
    }
    answer[1] = Variant(rights->power);
    answer[2] = Variant(rights->extra1);
    answer[3] = Variant(rights->extra2);
    answer[4] = Variant(rights->limitPrefix);
    Variant list = Variant::Array(0, static_cast<int>(rights->limitItems.size()));
    list[0] = Variant(static_cast<std::int32_t>(rights->limitItems.size()));
    for (std::size_t i = 0; i < rights->limitItems.size(); ++i) list[static_cast<int>(i) + 1] = Variant(rights->limitItems[i]);
    answer[5] = list;
    return answer;
}

void TdmReportCounter::UpdateStatus1(Variant& jobNo, const Variant& messages, const Variant& when) {
    const std::string number = TextOf(jobNo);
    std::optional<double> clientTime;
    if (when.Type() == VarType::Date || when.Type() == VarType::Double || when.Type() == VarType::Int)
        clientTime = when.ToDouble();
    if (!store_.AppendJobStatus(number, kStatusFinished, TextOf(messages), clientTime))
        throw EOleError("UpdateStatus1: there is no job \"" + number + "\"");
}

Variant TdmReportCounter::GetProviderRows(const std::string& provider) const {
    if (Lower(provider) != Lower(kSchemeProvider)) throw EOleError("the server has no provider \"" + provider + "\"");
    constexpr int fieldCount = static_cast<int>(std::size(kSchemeFields));
    Variant rows = Variant::Array2(0, static_cast<int>(schemeRows_.size()), 0, fieldCount - 1);
    for (int f = 0; f < fieldCount; ++f) rows.At(0, f) = Variant(kSchemeFields[f]);
    int r = 1;
    for (const SchemeRow& row : schemeRows_) {
        rows.At(r, 0) = row.name;
        rows.At(r, 1) = Variant(row.creator);
        rows.At(r, 2) = Variant(row.programme);
        rows.At(r, 3) = row.fieldList;
        rows.At(r, 4) = row.valueText;
        rows.At(r, 5) = Variant(row.createDate);
        ++r;
    }
    return rows;
}

}  // namespace kv::appserver

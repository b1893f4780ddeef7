// The tables and keys the validator and the lookup window answer for, and the
// data side of the lookups: one row by key values, candidate rows for a lookup
// window, the filter the window applies, system settings and phrases.
//
// A table and key name one query, fixed here; callers choose among them and pass
// values, which are only ever bound as parameters.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

#include "WorkCenterContext.h"
#include "kv/Variant.h"

namespace kv::workcenter {

enum class Match {
    Exact,   // text equal
    NoCase,  // text equal without regard to ASCII case (program codes)
    Bytes,   // the stored value's bytes equal the parameter's (texts stored as BLOB or TEXT)
};

struct TKeyColumn {
    const char* Expr;
    Match How;
};

struct TColumn {
    const char* Expr;
    const char* Simplified;
    const char* Traditional;
    const char* English;
};

enum class Store {
    SampleCompany,  // the sample company database
    SchemeStore,    // the application server's store (condition schemes)
};

struct TTableKey {
    const char* Table;
    const char* Key;
    const char* Meaning;  // what the key stands for, for error texts
    const char* TitleSimplified;
    const char* TitleTraditional;
    const char* TitleEnglish;
    const char* From;
    const char* Where;                   // a fixed condition, or nullptr
    std::vector<TColumn> Row;            // the validator's row, in this order
    std::vector<TColumn> Lookup;         // the lookup window's columns; empty: Row
    std::vector<TKeyColumn> Keys;        // parameter i must equal Keys[i] (validator)
    std::vector<TKeyColumn> LookupKeys;  // a non-empty parameter i narrows the lookup
    const char* CompanyColumn;           // limited by BaseLimited; nullptr: not limited
    const char* OrderBy;
    Store Source = Store::SampleCompany;
};

// The definition of a table and key (trimmed, without regard to case); nullptr when
// there is none.
const TTableKey* FindTableKey(const QString& table, const QString& key);

// The companies a user may see, from the validator's BaseLimited text: a prefix,
// 0x03, the count k, 0x03, then k company IDs each followed by 0x03. A count of 0
// (or an empty text) limits nothing.
struct TCompanyLimit {
    bool Active = false;
    QStringList Companies;
};
// nullopt when the text is not such a list.
std::optional<TCompanyLimit> ParseBaseLimited(const QString& text);

struct TRowSet {
    QStringList Headers;
    std::vector<std::vector<Variant>> Rows;
};

// The row whose key columns equal the parameters (the first when several do);
// nullopt when there is none. Fewer parameters than key columns raise EOleError.
std::optional<std::vector<Variant>> QueryRow(TWorkCenterContext& context, const TTableKey& def,
                                             const std::vector<Variant>& params, const TCompanyLimit& limit);

// The candidate rows of a lookup window, narrowed by the non-empty parameters and
// then by the filter text (RowMatchesFilter); headers in the language given.
TRowSet LookupRows(TWorkCenterContext& context, const TTableKey& def, const std::vector<Variant>& params,
                   const QString& filter, const TCompanyLimit& limit, Language language);

// True when the filter is blank or some column of the row contains it, without
// regard to case. The lookup window filters with this too.
bool RowMatchesFilter(const std::vector<Variant>& row, const QString& filter);

// The system settings of a company as (name, value) in name order: the values all
// companies share, overridden by the company's own.
std::vector<std::pair<QString, QString>> SystemSettings(TWorkCenterContext& context, const QString& companyId);

// The user's own phrases first, then everyone's.
QStringList Phrases(TWorkCenterContext& context, const QString& userId);

}  // namespace kv::workcenter

// The counter's "SIMPLESQL" operation: one read-only SELECT on the sample company
// database, for the settings the dialog reads by SQL (the portal switch and
// address). Anything else is refused before it reaches the database, and the
// statement runs on a connection of its own opened read-only, so that even a
// statement the check misjudged cannot change the file.
#pragma once

#include <QString>

#include "kv/Variant.h"

namespace kv::workcenter {

inline constexpr int kSimpleSqlMaxRows = 10000;
inline constexpr int kSimpleSqlMaxLength = 65536;

// Why the statement is refused; empty when it is a single SELECT (a WITH whose
// main statement is a SELECT included) that reads only.
QString SimpleSqlRefusal(const QString& sql);

// The rows of the statement as an array of row arrays. With a column name each row
// holds that column alone; with an empty one, every column. No rows: Empty.
// Raises EOleError for a refused statement, an unknown column, more than
// kSimpleSqlMaxRows rows, or a database error.
Variant RunSimpleSql(const QString& databasePath, const QString& sql, const QString& column);

}  // namespace kv::workcenter

// The schema and rows of the sample company: companies, departments, employees,
// payroll settings, programs, footers and sign-offs, report settings, users,
// phrases and system settings, in the tables the plug-in's lookups name.
#pragma once

#include <QSqlDatabase>

namespace kv::workcenter {

// Raised by one whenever the tables or rows change, so that older files are
// brought up to date.
int SampleSchemaVersion();

// Creates the tables and inserts the rows (bound parameters only) on an open
// connection inside the caller's transaction. EOleError on failure.
void CreateSampleCompany(QSqlDatabase& db);

}  // namespace kv::workcenter

#include "WorkCenterDirectory.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include <exception>

#include "SampleDatabase.h"

namespace kv::host {

namespace {

using workcenter::TSampleDatabase;

QSqlQuery Select(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    workcenter::PrepareOrThrow(q, sql);
    workcenter::ExecOrThrow(q);
    return q;
}

void ReadUsers(QSqlDatabase& db, WorkCenterDirectory& d) {
    QSqlQuery q = Select(db, QStringLiteral("SELECT MA001, MA002, MA005 FROM KVNMA ORDER BY MA001"));
    while (q.next()) d.Users.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
}

void ReadCompanies(QSqlDatabase& db, WorkCenterDirectory& d) {
    QSqlQuery q = Select(db, QStringLiteral("SELECT MA001, MA003 FROM TAXMA ORDER BY MA001"));
    while (q.next()) d.Companies.push_back({q.value(0).toString(), q.value(1).toString()});
}

void ReadPrograms(QSqlDatabase& db, WorkCenterDirectory& d) {
    // Report programs only ("R"); the others are not plug-ins of this kind.
    QSqlQuery q = Select(db, QStringLiteral("SELECT MB001, MB002, MB008, MB007 FROM ADMMB WHERE MB004 = 'R' "
                                            "ORDER BY MB001"));
    while (q.next())
        d.Programs.push_back(
            {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
}

void ReadSystemName(QSqlDatabase& db, WorkCenterDirectory& d) {
    QSqlQuery q = Select(db, QStringLiteral("SELECT SY003 FROM KVNSYS WHERE SY001 = '' AND SY002 = 'KVN002'"));
    if (q.next()) d.SystemName = q.value(0).toString();
}

}  // namespace

const UserEntry* WorkCenterDirectory::FindUser(const QString& id) const {
    for (const UserEntry& u : Users)
        if (u.ID.compare(id, Qt::CaseInsensitive) == 0) return &u;
    return nullptr;
}

const ProgramEntry* WorkCenterDirectory::FindProgram(const QString& code) const {
    for (const ProgramEntry& p : Programs)
        if (p.Code.compare(code, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

QString WorkCenterDirectory::DbName() const { return QFileInfo(DatabasePath).completeBaseName(); }

WorkCenterDirectory ReadWorkCenterDirectory(const QString& path) {
    WorkCenterDirectory d;
    d.DatabasePath = path;
    try {
        TSampleDatabase database(path);
        QSqlDatabase& db = database.Connection();
        ReadUsers(db, d);
        ReadCompanies(db, d);
        ReadPrograms(db, d);
        ReadSystemName(db, d);
    } catch (const std::exception& e) {
        d = WorkCenterDirectory{};
        d.DatabasePath = path;
        d.Error = QString::fromStdString(e.what());
    }
    return d;
}

Identity ChooseIdentity(const WorkCenterDirectory& directory, const Identity& given) {
    Identity id = given;
    if (id.UserID.isEmpty() && !directory.Users.empty()) id.UserID = directory.Users.front().ID;
    if (id.CompanyID.isEmpty())
        if (const UserEntry* user = directory.FindUser(id.UserID)) id.CompanyID = user->CompanyID;
    if (id.DbName.isEmpty()) id.DbName = directory.DbName();
    return id;
}

QString ProgramLibrary(const WorkCenterDirectory& directory, const QString& code) {
    const ProgramEntry* program = directory.FindProgram(code);
    if (program && !program->Library.isEmpty()) return program->Library;
    return code.toUpper() + QStringLiteral("C.so");
}

}  // namespace kv::host

// What the work center shows before anything runs: the users, companies and
// report programs of the sample company database, and the identity a run starts
// with when the command line names none.
#pragma once

#include <QString>

#include <vector>

namespace kv::host {

struct UserEntry {
    QString ID;
    QString Name;
    QString CompanyID;  // the user's own company
};

struct CompanyEntry {
    QString ID;
    QString Name;
};

struct ProgramEntry {
    QString Code;
    QString Name;
    QString EnglishName;
    QString Library;  // the plug-in's file name, e.g. "HRWR07C.so"
};

struct WorkCenterDirectory {
    QString DatabasePath;
    QString SystemName;  // the system setting KVN002
    std::vector<UserEntry> Users;
    std::vector<CompanyEntry> Companies;
    std::vector<ProgramEntry> Programs;
    // Why the database could not be read; the lists are then empty.
    QString Error;

    const UserEntry* FindUser(const QString& id) const;
    const ProgramEntry* FindProgram(const QString& code) const;
    // The database name a host hands to the plug-in: the file's base name.
    QString DbName() const;
};

// Reads (and on first use creates) the sample database at `path`. Never throws.
WorkCenterDirectory ReadWorkCenterDirectory(const QString& path);

// The three identity parameters of a run. Given values stand; a missing user is
// the directory's first, a missing company that user's company, a missing database
// name the directory's.
struct Identity {
    QString UserID;
    QString CompanyID;
    QString DbName;
};
Identity ChooseIdentity(const WorkCenterDirectory& directory, const Identity& given);

// The library file of a program: its table entry, else the code plus "C.so".
QString ProgramLibrary(const WorkCenterDirectory& directory, const QString& code);

}  // namespace kv::host

// Runs one report program for the host: finds and loads its plug-in, makes a
// work-center object for it and drives the session. The window's Run action and
// the headless run both come here.
#pragma once

#include <QString>

#include "HostLog.h"
#include "HostSession.h"
#include "WorkCenterDirectory.h"

namespace kv::host {

struct RunnerSettings {
    QString ProgramFolder;   // where the programs' plug-ins are
    QString PluginPath;      // when set, every program runs from this module
    QString SampleDatabase;  // the work-center object's database
    // Nobody is there to answer the work center's own dialogs (lookups, calendar):
    // they take the scripted answers of KVN_HOST_SCRIPT, or are cancelled.
    bool Unattended = false;
};

class ProgramRunner {
public:
    ProgramRunner(RunnerSettings settings, const HostLog& log);

    const RunnerSettings& Settings() const { return settings_; }

    // The module file a program runs from.
    QString ModulePath(const WorkCenterDirectory& directory, const QString& code) const;

    SessionOutcome Run(const QString& modulePath, const Identity& identity, std::int32_t hostWindow,
                       const SessionPlan& plan) const;

private:
    Variant NewWorkCenter() const;

    RunnerSettings settings_;
    const HostLog& log_;
};

}  // namespace kv::host

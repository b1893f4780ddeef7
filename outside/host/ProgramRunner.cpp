#include "ProgramRunner.h"

#include <QDialog>
#include <QDir>

#include <exception>
#include <utility>

#include "PluginModule.h"
#include "WorkCenter.h"

namespace kv::host {

ProgramRunner::ProgramRunner(RunnerSettings settings, const HostLog& log) : settings_(std::move(settings)), log_(log) {}

QString ProgramRunner::ModulePath(const WorkCenterDirectory& directory, const QString& code) const {
    if (!settings_.PluginPath.isEmpty()) return settings_.PluginPath;
    return QDir(settings_.ProgramFolder).absoluteFilePath(ProgramLibrary(directory, code));
}

Variant ProgramRunner::NewWorkCenter() const {
    WorkCenterOptions options;
    options.DatabasePath = settings_.SampleDatabase.toStdString();
    if (settings_.Unattended && qEnvironmentVariableIsEmpty("KVN_HOST_SCRIPT")) {
        options.RunModal = [this](QDialog& dialog) {
            log_.Line("work center: no one to answer \"" + dialog.windowTitle().toStdString() + "\", cancelled");
            return static_cast<int>(QDialog::Rejected);
        };
        options.OpenUrl = [this](const std::string& url) {
            log_.Line("work center: help page " + url);
            return false;
        };
    }
    return CreateWorkCenterManager(options);
}

SessionOutcome ProgramRunner::Run(const QString& modulePath, const Identity& identity, std::int32_t hostWindow,
                                  const SessionPlan& plan) const {
    log_.Line("plugin: " + modulePath.toStdString());
    // Never unloaded: the plug-in's objects and its Qt registrations may outlive
    // any one controller; loading it again only finds the loaded one.
    const PluginModule module(modulePath.toStdString());
    Variant workCenter;
    try {
        workCenter = NewWorkCenter();
    } catch (const std::exception& e) {
        log_.Line("error: the work-center object: " + Printable(e.what()));
        SessionOutcome failed;
        failed.Error = e.what();
        return failed;
    }
    HostSession session(module, std::move(workCenter), log_);
    return session.Run(identity, hostWindow, plan);
}

}  // namespace kv::host

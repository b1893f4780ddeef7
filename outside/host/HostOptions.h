// The command line of kvhost.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kv::host {

struct HostOptions {
    // The module given with --plugin (absolute); "" runs the program's own library.
    QString PluginPath;
    // The report program to run (its code in the program table).
    QString ProgramCode;
    // "" means: taken from the sample database (its first user, that user's
    // company, the database's own name).
    QString UserID;
    QString CompanyID;
    QString DbName;
    // No work-center window: run the session once and print the outcome.
    bool Headless = false;
    // A host request applied after an accepted Initialize: a JSON file holding
    // [Mode, [IsScheme, [entries, data]]], and/or the Mode alone.
    QString RequestFile;
    std::optional<int> Mode;
    // PNG of the work-center window; the plug-in's dialog goes beside it.
    QString ScreenshotPath;
    // The session's transcript, also written here.
    QString OutcomePath;
    // A demo installation whose registry file, modules and data are used.
    QString InstallDir;
};

// Parses the command line (program name first); --help and --version print
// and exit. Usage errors print the reason and give nullopt.
std::optional<HostOptions> ParseHostOptions(const QStringList& arguments);

// True when Qt has no screen to show a window on: no display, or a platform
// plug-in that draws nowhere.
bool NoDisplay();

}  // namespace kv::host

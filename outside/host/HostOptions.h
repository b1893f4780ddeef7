// The command line of kvhost.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kvhost {

struct HostOptions {
    QString PluginPath;  // absolute
    QString UserID;
    QString CompanyID;
    QString DbName;
};

// Parses the command line (program name first); --help and --version print
// and exit. Usage errors print the reason and give nullopt.
std::optional<HostOptions> ParseHostOptions(const QStringList& arguments);

}  // namespace kvhost

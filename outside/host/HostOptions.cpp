#include "HostOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <iostream>

namespace kvhost {

namespace {

// The identity the program's own test harness uses.
constexpr const char* kDemoUser = "796";
constexpr const char* kDemoCompany = "SDTest60";
constexpr const char* kDemoDatabase = "SDTest60";

QString DefaultPluginPath() { return QDir(QCoreApplication::applicationDirPath()).filePath("HRWR07C.so"); }

}  // namespace

std::optional<HostOptions> ParseHostOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Reference host: loads a report-program plug-in and drives its controller.");
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    const QCommandLineOption version({"v", "version"}, "Displays version information.");
    const QCommandLineOption plugin("plugin", "The plug-in to load (default: HRWR07C.so beside kvhost).", "path",
                                    DefaultPluginPath());
    const QCommandLineOption user("user", "User ID handed to the plug-in.", "id", kDemoUser);
    const QCommandLineOption company("company", "Company ID handed to the plug-in.", "id", kDemoCompany);
    const QCommandLineOption db("db", "Database name handed to the plug-in.", "name", kDemoDatabase);
    parser.addOptions({help, version, plugin, user, company, db});

    if (!parser.parse(arguments)) {
        std::cerr << "kvhost: " << parser.errorText().toStdString() << "\n";
        return std::nullopt;
    }
    if (parser.isSet(help)) parser.showHelp(0);
    if (parser.isSet(version)) parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        std::cerr << "kvhost: unexpected argument " << parser.positionalArguments().first().toStdString() << "\n";
        return std::nullopt;
    }
    return HostOptions{QFileInfo(parser.value(plugin)).absoluteFilePath(), parser.value(user),
                       parser.value(company), parser.value(db)};
}

}  // namespace kvhost

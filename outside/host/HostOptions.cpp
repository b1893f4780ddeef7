#include "HostOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <iostream>

namespace kv::host {

namespace {

constexpr const char* kDefaultProgram = "HRWR07";

QString AbsoluteOrEmpty(const QString& path) { return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath(); }

std::optional<int> ParseMode(const QString& text, bool* ok) {
    *ok = true;
    if (text.isEmpty()) return std::nullopt;
    const int mode = text.toInt(ok);
    return *ok ? std::optional<int>(mode) : std::nullopt;
}

}  // namespace

std::optional<HostOptions> ParseHostOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reference host: a small work center that loads a report program's plug-in and drives its controller.\n"
        "Without a display (or with --headless) it runs the session once and prints the outcome.\n"
        "Exit code: 0 accepted, 1 refused (parameters or request), 2 failed, 64 usage.");
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    const QCommandLineOption version({"v", "version"}, "Displays version information.");
    const QCommandLineOption plugin("plugin", "Run this module instead of the program's own library.", "path");
    const QCommandLineOption program("program", "The report program to run (default: HRWR07).", "code",
                                     kDefaultProgram);
    const QCommandLineOption user("user", "User ID handed to the plug-in (default: the sample database's first user).",
                                  "id");
    const QCommandLineOption company("company", "Company ID handed to the plug-in (default: the user's company).",
                                     "id");
    const QCommandLineOption db("db", "Database name handed to the plug-in (default: the sample database's name).",
                                "name");
    const QCommandLineOption headless("headless", "No window: run once, print the outcome and exit.");
    const QCommandLineOption request(
        "request", "After an accepted Initialize, apply the host request in this JSON file: [Mode, [IsScheme, values]].",
        "file");
    const QCommandLineOption mode("mode", "The request's Mode (0 check, 1 submit, 2 quiet submit, 3 design, 4 query).",
                                  "n");
    const QCommandLineOption screenshot("screenshot",
                                        "Save the work-center window as PNG; the dialog goes to <name>-dialog.png.",
                                        "file");
    const QCommandLineOption outcome("outcome", "Also write the session's transcript to this file.", "file");
    const QCommandLineOption install(
        "install", "Use the demo installation in this folder (registry file, modules, data).", "dir");
    parser.addOptions(
        {help, version, plugin, program, user, company, db, headless, request, mode, screenshot, outcome, install});

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
    bool modeOk = true;
    const std::optional<int> modeValue = ParseMode(parser.value(mode), &modeOk);
    if (!modeOk) {
        std::cerr << "kvhost: --mode wants an integer, not " << parser.value(mode).toStdString() << "\n";
        return std::nullopt;
    }

    HostOptions options;
    options.PluginPath = AbsoluteOrEmpty(parser.value(plugin));
    options.ProgramCode = parser.value(program).trimmed().toUpper();
    options.UserID = parser.value(user);
    options.CompanyID = parser.value(company);
    options.DbName = parser.value(db);
    options.Headless = parser.isSet(headless);
    options.RequestFile = AbsoluteOrEmpty(parser.value(request));
    options.Mode = modeValue;
    options.ScreenshotPath = AbsoluteOrEmpty(parser.value(screenshot));
    options.OutcomePath = AbsoluteOrEmpty(parser.value(outcome));
    options.InstallDir = AbsoluteOrEmpty(parser.value(install));
    return options;
}

bool NoDisplay() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform.startsWith(QLatin1String("offscreen")) || platform.startsWith(QLatin1String("minimal")))
        return true;
    if (!platform.isEmpty()) return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace kv::host

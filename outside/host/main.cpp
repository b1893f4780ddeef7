// kvhost: the reference host of report-program plug-ins. With a display it is a
// small work center; without one (or with --headless) it runs one session and
// prints the outcome.
#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <iostream>

#include "DemoInstallation.h"
#include "HostLog.h"
#include "HostOptions.h"
#include "HostRequest.h"
#include "HostScreenshot.h"
#include "HostSession.h"
#include "ProgramRunner.h"
#include "WorkCenter.h"
#include "WorkCenterDirectory.h"
#include "WorkCenterWindow.h"

namespace {

using namespace kv::host;

// Without a display and without a chosen platform Qt would abort; a host that
// only drives the controller must still run, so fall back to offscreen.
void ChooseOffscreenWithoutDisplay() {
    if (std::getenv("QT_QPA_PLATFORM") || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

// The whole command line is kvhost's own: Qt would take "-plugin" for one of its
// options, so the application sees the program name alone.
QStringList CommandLine(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void Report(const HostLog& log, const QString& line) { log.Line(line.toStdString()); }

// Everything a run needs that the command line and the installation decide.
struct HostSetup {
    HostOptions Options;
    std::optional<kv::Variant> Request;
    WorkCenterDirectory Directory;
    RunnerSettings Runner;
};

// False (after saying why) when the command line cannot be carried out.
bool PrepareSetup(const HostOptions& options, HostLog& log, HostSetup& setup) {
    setup.Options = options;
    QString error;
    if (!options.OutcomePath.isEmpty() && !log.AddFile(options.OutcomePath, &error)) {
        std::cerr << "kvhost: " << error.toStdString() << "\n";
        return false;
    }
    QString programFolder = QCoreApplication::applicationDirPath();
    if (!options.InstallDir.isEmpty()) {
        const DemoInstallation install(options.InstallDir);
        if (!install.Check(&error)) {
            Report(log, QStringLiteral("error: ") + error);
            return false;
        }
        Report(log, QStringLiteral("install: ") + install.Root());
        for (const QString& set : install.UseForThisProcess()) Report(log, QStringLiteral("install: ") + set);
        programFolder = install.ClientModules();
    }
    setup.Request = BuildHostRequest(options.RequestFile, options.Mode, &error);
    if (!error.isEmpty()) {
        Report(log, QStringLiteral("error: ") + error);
        return false;
    }
    setup.Directory = ReadWorkCenterDirectory(QString::fromStdString(kv::SampleDatabasePath()));
    if (!setup.Directory.Error.isEmpty())
        Report(log, QStringLiteral("work center: the sample database is not usable: ") + setup.Directory.Error);
    setup.Runner.ProgramFolder = programFolder;
    setup.Runner.PluginPath = options.PluginPath;
    setup.Runner.SampleDatabase = setup.Directory.DatabasePath;
    return true;
}

Identity GivenIdentity(const HostOptions& options) { return {options.UserID, options.CompanyID, options.DbName}; }

SessionPlan HeadlessPlan(const HostSetup& setup, const HostLog& log) {
    SessionPlan plan;
    plan.Request = setup.Request;
    if (setup.Options.ScreenshotPath.isEmpty()) return plan;
    // Shown for a moment so that there is a picture of it; nobody works with it.
    plan.Show = FormShowing::Briefly;
    const QString path = DialogImagePath(setup.Options.ScreenshotPath);
    plan.FormShown = [path, &log](kv::TDLLBaseController& controller) {
        QString error;
        if (SaveWindowImage(controller.GetHandle(), path, &error)) Report(log, QStringLiteral("screenshot: ") + path);
        else Report(log, QStringLiteral("screenshot of the dialog: ") + error);
    };
    return plan;
}

// The work center as it stands after the run, drawn offscreen: its fields, the
// program list and the run's transcript.
void SaveHeadlessPicture(const HostSetup& setup, const ProgramRunner& runner, HostLog& log,
                         const QStringList& transcript, const SessionOutcome& outcome) {
    WindowSettings settings{GivenIdentity(setup.Options), setup.Options.ProgramCode, std::nullopt, QString()};
    WorkCenterWindow window(setup.Directory, runner, log, settings);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    for (const QString& line : transcript) window.AppendLog(line);
    window.ShowOutcome(setup.Options.ProgramCode, outcome);
    QCoreApplication::processEvents();
    QString error;
    const QString& path = setup.Options.ScreenshotPath;
    if (SaveWidgetImage(window, path, &error)) Report(log, QStringLiteral("screenshot: ") + path);
    else Report(log, QStringLiteral("screenshot: ") + error);
}

int RunHeadless(const HostSetup& setup, HostLog& log) {
    QStringList transcript;
    if (!setup.Options.ScreenshotPath.isEmpty())
        log.AddSink([&transcript](const std::string& line) { transcript << QString::fromStdString(line); });
    RunnerSettings settings = setup.Runner;
    settings.Unattended = true;
    const ProgramRunner runner(settings, log);
    const Identity identity = ChooseIdentity(setup.Directory, GivenIdentity(setup.Options));
    // No host window: nothing of the host's is on screen for the form to repaint.
    const SessionOutcome outcome = runner.Run(runner.ModulePath(setup.Directory, setup.Options.ProgramCode), identity,
                                              0, HeadlessPlan(setup, log));
    if (!setup.Options.ScreenshotPath.isEmpty()) SaveHeadlessPicture(setup, runner, log, transcript, outcome);
    return outcome.ExitCode;
}

int RunWindow(QApplication& app, const HostSetup& setup, HostLog& log) {
    const ProgramRunner runner(setup.Runner, log);
    const QString& shot = setup.Options.ScreenshotPath;
    WindowSettings settings{GivenIdentity(setup.Options), setup.Options.ProgramCode, setup.Request,
                            shot.isEmpty() ? QString() : DialogImagePath(shot)};
    WorkCenterWindow window(setup.Directory, runner, log, settings);
    window.show();
    if (!shot.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, &log, shot] {
            QString error;
            if (SaveWidgetImage(window, shot, &error)) Report(log, QStringLiteral("screenshot: ") + shot);
            else Report(log, QStringLiteral("screenshot: ") + error);
        });
    }
    return app.exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    ChooseOffscreenWithoutDisplay();
    const QStringList arguments = CommandLine(argc, argv);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName("kvhost");
    QApplication::setApplicationVersion("0.2");

    const auto options = ParseHostOptions(arguments);
    if (!options) return kExitUsage;
    HostLog log;
    log.AddStream(std::cout);
    HostSetup setup;
    if (!PrepareSetup(*options, log, setup)) return kExitUsage;
    if (options->Headless || NoDisplay()) return RunHeadless(setup, log);
    return RunWindow(app, setup, log);
}

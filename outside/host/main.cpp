// kvhost: the reference host of report-program plug-ins.
#include <QApplication>

#include <cstdlib>
#include <iostream>

#include "HostOptions.h"
#include "HostSession.h"
#include "PluginModule.h"

namespace {

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

}  // namespace

int main(int argc, char* argv[]) {
    ChooseOffscreenWithoutDisplay();
    const QStringList arguments = CommandLine(argc, argv);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName("kvhost");
    QApplication::setApplicationVersion("0.1");

    const auto options = kvhost::ParseHostOptions(arguments);
    if (!options) return 64;

    const kvhost::PluginModule module(options->PluginPath.toStdString());
    std::cout << "plugin: " << options->PluginPath.toStdString() << "\n";
    if (!module.IsLoaded()) {
        std::cout << "error: " << kvhost::Printable(module.Error()) << "\n";
        return 2;
    }
    kvhost::HostSession session(module, std::cout);
    return session.Run(*options);
}

#include "WorkCenter.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "WorkCenterContext.h"
#include "WorkCenterServices.h"

namespace kv {
namespace {

// A host without Qt still gets working dialogs and SQL: the application lives on
// the calling thread for the rest of the process. Without a display it runs
// offscreen rather than aborting.
void EnsureQtApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "FenmorWorkCenter";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // NOLINT: intentionally never freed
}

}  // namespace

std::string DataFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return (base + QStringLiteral("/kvn")).toStdString();
}

std::string SampleDatabasePath() {
    const QString env = qEnvironmentVariable("KVN_SAMPLE_DB");
    if (!env.isEmpty()) return env.toStdString();
    return DataFolder() + "/FenmorSample.sqlite";
}

Variant CreateWorkCenterManager(const WorkCenterOptions& options) {
    EnsureQtApplication();
    auto context = std::make_shared<workcenter::TWorkCenterContext>(options);
    return Variant(std::make_shared<workcenter::TWorkCenterManager>(std::move(context)));
}

}  // namespace kv

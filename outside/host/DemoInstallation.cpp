#include "DemoInstallation.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace kv::host {

namespace {

void SetUnlessSet(const char* name, const QString& value, QStringList& set) {
    if (!qEnvironmentVariableIsEmpty(name)) return;
    qputenv(name, value.toLocal8Bit());
    set << QStringLiteral("%1=%2").arg(QLatin1String(name), value);
}

}  // namespace

DemoInstallation::DemoInstallation(QString root) : root_(QDir::cleanPath(QDir(std::move(root)).absolutePath())) {}

QString DemoInstallation::RegistryFile() const { return root_ + QStringLiteral("/registry.reg"); }
QString DemoInstallation::ClientPath() const { return root_ + QStringLiteral("/Client"); }
QString DemoInstallation::ServerPath() const { return root_ + QStringLiteral("/Server"); }
QString DemoInstallation::ClientModules() const { return ClientPath() + QStringLiteral("/C_PKG"); }
QString DemoInstallation::ServerModules() const { return ServerPath() + QStringLiteral("/S_PKG"); }
QString DemoInstallation::HostModules() const { return root_ + QStringLiteral("/bin"); }
QString DemoInstallation::SampleDatabase() const { return root_ + QStringLiteral("/Data/FenmorSample.sqlite"); }
QString DemoInstallation::AppServerDatabase() const { return root_ + QStringLiteral("/Data/appserver.sqlite"); }
QString DemoInstallation::HelpFolder() const { return root_ + QStringLiteral("/Data/Help"); }
QString DemoInstallation::LogFolder() const { return ClientPath() + QStringLiteral("/Log"); }

bool DemoInstallation::Check(QString* why) const {
    if (!QFileInfo(RegistryFile()).isFile()) {
        if (why) *why = QStringLiteral("%1 is not a demo installation (no registry.reg; scripts/demo-install makes one)")
                            .arg(root_);
        return false;
    }
    return true;
}

QStringList DemoInstallation::UseForThisProcess() const {
    QStringList set;
    SetUnlessSet("KVN_REGISTRY", RegistryFile(), set);
    // Outside modules loaded by name (the translation library, server modules)
    // are found in the installation's module folders.
    SetUnlessSet("KVN_LIBRARY_PATH", ClientModules() + QLatin1Char(':') + ServerModules(), set);
    SetUnlessSet("KVN_SAMPLE_DB", SampleDatabase(), set);
    SetUnlessSet("KVN_APPSERVER_DB", AppServerDatabase(), set);
    SetUnlessSet("KVN_HELP_DIR", HelpFolder(), set);
    return set;
}

}  // namespace kv::host

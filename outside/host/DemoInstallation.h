// The folders and files of a demo installation as scripts/demo-install lays it
// out, and pointing this process at one. The two must agree: the host's tests run
// the script and read its result through this unit.
#pragma once

#include <QString>
#include <QStringList>

namespace kv::host {

class DemoInstallation {
public:
    explicit DemoInstallation(QString root);

    const QString& Root() const { return root_; }
    QString RegistryFile() const;       // the machine's registry, as a text export
    QString ClientPath() const;         // VornikC.ini, C_PKG, MultiLanguage, Log
    QString ServerPath() const;         // VornikS.ini, S_PKG
    QString ClientModules() const;      // report programs' plug-ins
    QString ServerModules() const;      // report programs' server modules
    QString HostModules() const;        // kvhost, the work-center object, the application server
    QString SampleDatabase() const;
    QString AppServerDatabase() const;
    QString HelpFolder() const;
    QString LogFolder() const;

    // False, with the reason, when the folder holds no installation.
    bool Check(QString* why) const;

    // Points KVN_REGISTRY, KVN_LIBRARY_PATH, KVN_SAMPLE_DB, KVN_APPSERVER_DB and
    // KVN_HELP_DIR at the installation. A variable that is already set is left as
    // it is, so a caller can still override one. Returns "NAME=value" for each one set.
    QStringList UseForThisProcess() const;

private:
    QString root_;
};

}  // namespace kv::host

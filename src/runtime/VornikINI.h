// The installation's configuration: the machine-wide registry key and the client
// (VornikC.ini) and server (VornikS.ini) profiles. Each object reads everything
// when it is created and then only answers; consumers create one per use, so a
// changed installation is seen the next time.
#pragma once

#include "platform/Classes.h"

#include "kv/Variant.h"

#include <QString>
#include <QStringList>

namespace kv {

class TIniFile;

inline constexpr const char* kVornikRegistryKey = "Software\\KVN\\Vornik";

// Message codes left in ErrorCode for the caller.
inline constexpr const char* kErrNoRegistryKey = "E;000015";
inline constexpr const char* kErrNoComputerName = "E;000016";

// A configured path ends with its own separator; one without any gets '/'.
QString IncludeTrailingSeparator(const QString& path, QChar fallback = QLatin1Char('/'));
// A value with a drive ("C:"), a UNC lead ("\\server\share") or a leading '/' is
// absolute and kept; a value led by '\' hangs below base without that '\';
// anything else is appended to base.
QString MakeAbsolutePath(const QString& value, const QString& base);

// What the client and the server profile have in common.
class TVornikIni : public TObject {
public:
    // Reads the registry and the profile again; true when the whole profile was read.
    virtual bool LoadSettings() = 0;

    const QString& ProfileDir() const { return FProfileDir; }
    const QString& ProfileType() const { return FProfileType; }
    const QString& UserName() const { return FUserName; }
    const QString& UICodePage() const { return FUICodePage; }
    const QString& DBCodePage() const { return FDBCodePage; }
    const QString& SystemCodePage() const { return FSystemCodePage; }
    // 2: GB to Big5 for the interface, 4: the reverse, 0: none.
    int UIConvertKind() const { return FUIConvertKind; }
    // 1: Big5 to GB, 2: GB to Big5, 0: none.
    int DBConvertKind() const { return FDBConvertKind; }
    bool SupportCallBack() const { return FSupportCallBack; }
    const QString& IniFileName() const { return FIniFileName; }
    const QString& ErrorCode() const { return FErrorCode; }
    const QStringList& WorkDLLPaths() const { return FWorkDLLPaths; }
    const QString& Version() const { return FVersion; }

protected:
    TVornikIni() = default;

    // The steps every load starts with: initial values, the system code page and
    // the conversion codes that follow from them.
    void ResetCommonValues();
    // Opens the registry key; reads the installation path (registry value
    // pathValueName) and ProfileType. False with E;000015 when the key is missing.
    bool ReadRegistry(const char* pathValueName, QString& path);
    // Chooses the per-user or the shared profile below path (which ends with its
    // separator) and sets ProfileDir, UserName and IniFileName.
    void SelectProfile(const QString& path, const char* iniName);
    // The file-system name of the chosen profile.
    std::string IniFileSystemName() const;
    void ComputeConvertKinds();
    void SetSupportCallBack(const std::string& value);
    void ReadWorkDLLSection(const TIniFile& ini);
    // Each "name=value" line becomes the directory of its value; no lines give
    // path + defaultFolder.
    void ResolveWorkDLLPaths(const QString& path, const char* defaultFolder);

    QString FProfileDir;
    QString FProfileType;
    QString FUserName;
    QString FUICodePage;
    QString FDBCodePage;
    QString FSystemCodePage;
    int FUIConvertKind = 0;
    int FDBConvertKind = 0;
    bool FSupportCallBack = false;
    QString FIniFileName;
    QString FErrorCode;
    QStringList FWorkDLLPaths;
    QString FVersion;
};

class TVornikIniC : public TVornikIni {
public:
    TVornikIniC();
    bool LoadSettings() override;

    const QString& ClientPath() const { return FClientPath; }
    const QString& LangType() const { return FLangType; }
    // [0..1, 0..n-1]: row 0 the hosts (String), row 1 the port (Int); Empty until
    // a ComputerName was read.
    const Variant& ServerList() const { return FServerList; }
#if KV_EDITION != 7
    const QString& CreateGifBeforeSendEF() const { return FCreateGifBeforeSendEF; }
    const QString& AutoCheckNewMsg() const { return FAutoCheckNewMsg; }
    const QString& CheckInterval() const { return FCheckInterval; }
    const QString& PopupMsg() const { return FPopupMsg; }
    const QString& LoginCheck() const { return FLoginCheck; }
#endif

private:
    void ResetValues();
    void ReadProfile(const TIniFile& ini, std::string& computerName, int& port);
    // Hosts split at ';' with the one port; false when no host is named.
    bool BuildServerList(const std::string& computerName, int port);

    QString FClientPath;
    QString FLangType;
    Variant FServerList;
#if KV_EDITION != 7
    QString FCreateGifBeforeSendEF;
    QString FAutoCheckNewMsg;
    QString FCheckInterval;
    QString FPopupMsg;
    QString FLoginCheck;
#endif
};

class TVornikIniS : public TVornikIni {
public:
    TVornikIniS();
    bool LoadSettings() override;

    const QString& ServerPath() const { return FServerPath; }
    // [0..3, 0..7] of database settings; Empty until the registry was read, then
    // cells not configured here stay Empty.
    const Variant& DBSettings() const { return FDBSettings; }
    // 1 Oracle, 2 DB2, else 0.
    int DBKind() const { return FDBKind; }
#if KV_EDITION != 7
    const QString& SystemControlAddress() const { return FSystemControlAddress; }
    const QString& OtherSystemControlAddress() const { return FOtherSystemControlAddress; }
#endif
    // Replaces the caller's list with the module directories.
    void GetWorkDLLPaths(QStringList& list) const { list = FWorkDLLPaths; }

private:
    void ResetValues();
    void ReadProfile(const TIniFile& ini);
    void ApplyDerivedValues();

    QString FServerPath;
    Variant FDBSettings;
    int FDBKind = 0;
#if KV_EDITION != 7
    QString FSystemControlAddress;
    QString FOtherSystemControlAddress;
#endif
};

}  // namespace kv

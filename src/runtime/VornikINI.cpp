#include "runtime/VornikINI.h"

#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/PlatformRegistry.h"
#include "platform/SysUtils.h"
#include "runtime/MirrexGeneratorU.h"

#include <vector>

namespace kv {

namespace {

// The classic user-name buffer holds 32 characters including the terminator.
constexpr int kMaxUserNameLength = 31;

QString FromUtf8(const std::string& s) { return QString::fromStdString(s); }

bool IsSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

QString ReadText(const TIniFile& ini, const char* section, const char* key, const QString& def) {
    return FromUtf8(ini.ReadString(section, key, def.toStdString()));
}

// The text after the first '=' of a "name=value" line; a line without one has no value.
QString ValueOfLine(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.mid(eq + 1);
}

bool HasDrive(const QString& value) {
    return value.size() >= 2 && value[0].isLetter() && value[0].unicode() < 0x80 && value[1] == QLatin1Char(':');
}

}  // namespace

QString IncludeTrailingSeparator(const QString& path, QChar fallback) {
    if (!path.isEmpty() && IsSeparator(path.back()))
        return path;
    // The separator the path itself uses, so "C:\app" and "/opt/kvn" both stay in their form.
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsSeparator(path[i]))
            return path + path[i];
    return path + fallback;
}

QString MakeAbsolutePath(const QString& value, const QString& base) {
    if (HasDrive(value) || value.startsWith(QLatin1String("\\\\")) || value.startsWith(QLatin1Char('/')))
        return value;
    if (value.startsWith(QLatin1Char('\\')))
        return base + value.mid(1);
    return base + value;
}

// ---- TVornikIni ---------------------------------------------------------------------

void TVornikIni::ResetCommonValues() {
    FErrorCode.clear();
    FProfileDir.clear();
    FProfileType = QStringLiteral("0");
    FUserName = QStringLiteral("Default");
    FUICodePage = QStringLiteral("936");
    FDBCodePage = QStringLiteral("936");

    FSystemCodePage = QString::number(::kv::SystemCodePage());
    if (FSystemCodePage != QLatin1String("936") && FSystemCodePage != QLatin1String("950"))
        FSystemCodePage = QStringLiteral("437");
    FUICodePage = FSystemCodePage;

    FSupportCallBack = false;
    FIniFileName.clear();
    FVersion.clear();
    FWorkDLLPaths.clear();
    ComputeConvertKinds();
}

bool TVornikIni::ReadRegistry(const char* pathValueName, QString& path) {
    const std::optional<TRegKey> key = OpenLocalMachineKey(kVornikRegistryKey);
    if (!key) {
        FErrorCode = QString::fromLatin1(kErrNoRegistryKey);
        return false;
    }
    path = FromUtf8(key->ReadString(pathValueName));
    FProfileType = FromUtf8(key->ReadString("ProfileType"));
    return true;
}

void TVornikIni::SelectProfile(const QString& path, const char* iniName) {
    const QChar sep = path.back();
    if (!FProfileType.isEmpty() && FProfileType != QLatin1String("0")) {
        FUserName = FromUtf8(GetUserName()).left(kMaxUserNameLength);
        FProfileDir = path + QStringLiteral("Profile") + sep + FUserName + sep;
    } else {
        FProfileDir = path;
    }
    FIniFileName = FProfileDir + QLatin1String(iniName);
    if (!FileExists(IniFileSystemName())) {
        // No per-user profile: the shared one; UserName keeps the login name.
        FProfileDir = path;
        FIniFileName = path + QLatin1String(iniName);
    }
}

std::string TVornikIni::IniFileSystemName() const {
    // The profile reader matches the name without regard to case; the existence
    // check must agree with it.
    return FindFileCaseInsensitive(NormalizePath(FIniFileName.toStdString()));
}

void TVornikIni::ComputeConvertKinds() {
    const QLatin1String cp936("936"), cp950("950");
    if (FUICodePage == cp950)
        FUIConvertKind = 2;
    else if (FUICodePage == cp936 && FSystemCodePage == cp950)
        FUIConvertKind = 4;
    else
        FUIConvertKind = 0;

    if (FUICodePage == cp950 && FDBCodePage == cp936)
        FDBConvertKind = 2;
    else if (FUICodePage == cp936 && FDBCodePage == cp950)
        FDBConvertKind = 1;
    else
        FDBConvertKind = 0;
}

void TVornikIni::SetSupportCallBack(const std::string& value) {
    const std::string upper = UpperCase(value);
    FSupportCallBack = upper == "1" || upper == "Y" || upper == "YES" || upper == "TRUE";
}

void TVornikIni::ReadWorkDLLSection(const TIniFile& ini) {
    std::vector<std::string> lines;
    ini.ReadSectionValues("WorkDLLPath", lines);
    FWorkDLLPaths.clear();
    for (const std::string& line : lines)
        FWorkDLLPaths << FromUtf8(line);
}

void TVornikIni::ResolveWorkDLLPaths(const QString& path, const char* defaultFolder) {
    const QChar sep = path.back();
    if (FWorkDLLPaths.isEmpty()) {
        FWorkDLLPaths << path + QLatin1String(defaultFolder) + sep;
        return;
    }
    for (QString& line : FWorkDLLPaths)
        line = MakeAbsolutePath(IncludeTrailingSeparator(ValueOfLine(line), sep), path);
}

// ---- TVornikIniC --------------------------------------------------------------------

TVornikIniC::TVornikIniC() { TVornikIniC::LoadSettings(); }

void TVornikIniC::ResetValues() {
    ResetCommonValues();
    FClientPath.clear();
    FLangType = QStringLiteral("ENG");
    FServerList = Variant();
#if KV_EDITION != 7
    FCreateGifBeforeSendEF = QStringLiteral("Y");
    FAutoCheckNewMsg = QStringLiteral("1");
    FCheckInterval = QStringLiteral("1");
    FPopupMsg = QStringLiteral("1");
    FLoginCheck = QStringLiteral("0");
#endif
}

bool TVornikIniC::LoadSettings() {
    // Every load starts from the initial values, so a failed reload leaves no stale ones.
    ResetValues();
    QString path;
    if (!ReadRegistry("ClientPath", path))
        return false;
    if (path.isEmpty())
        return false;
    path = IncludeTrailingSeparator(path);
    FClientPath = path;
    SelectProfile(path, "VornikC.ini");

    const TIniFile ini(IniFileSystemName());
    std::string computerName;
    int port = 0;
    ReadProfile(ini, computerName, port);
    ComputeConvertKinds();

    if (!BuildServerList(computerName, port)) {
        FErrorCode = QString::fromLatin1(kErrNoComputerName);
        return false;
    }
    ResolveWorkDLLPaths(path, "C_PKG");
    return true;
}

void TVornikIniC::ReadProfile(const TIniFile& ini, std::string& computerName, int& port) {
    FLangType = ReadText(ini, "Client Components", "LangType", QStringLiteral("ENG"));
    FVersion = ReadText(ini, "ProductVersion", "Version", QString());
#if KV_EDITION != 7
    FCreateGifBeforeSendEF = ReadText(ini, "UserDefine", "CreateGifBeforeSendEF", QStringLiteral("Y"));
#endif
    FUICodePage = ReadText(ini, "CodePage", "UICodePage", FSystemCodePage);
    FDBCodePage = ReadText(ini, "CodePage", "DBCodePage", QStringLiteral("936"));
    SetSupportCallBack(ini.ReadString("Server Information", "SupportCallBack", "0"));
    computerName = ini.ReadString("Server Information", "ComputerName", "127.0.0.1");
    port = ini.ReadInteger("Server Information", "ServerPort", 211);
    ReadWorkDLLSection(ini);
#if KV_EDITION != 7
    FAutoCheckNewMsg = ReadText(ini, "TaskMessageCenter Setting", "AutoCheckNewMsg", QStringLiteral("1"));
    FCheckInterval = ReadText(ini, "TaskMessageCenter Setting", "CheckInterval", QStringLiteral("1"));
    FPopupMsg = ReadText(ini, "TaskMessageCenter Setting", "PopupMsg", QStringLiteral("1"));
    FLoginCheck = ReadText(ini, "TaskMessageCenter Setting", "LoginCheck", QStringLiteral("0"));
#endif
}

bool TVornikIniC::BuildServerList(const std::string& computerName, int port) {
    std::string hosts = Trim(computerName);
    if (!hosts.empty() && hosts.back() == ';')
        hosts.pop_back();
    if (hosts.empty())
        return false;

    FServerList = Variant::Array2(0, 1, 0, 0);
    std::size_t start = 0;
    for (int i = 0;; ++i) {
        const std::size_t semicolon = hosts.find(';', start);
        FServerList.Redim(i);
        // Pieces are kept as written: a blank after a separator stays part of the host.
        FServerList.At(0, i) = Variant(hosts.substr(start, semicolon - start));
        FServerList.At(1, i) = Variant(static_cast<std::int32_t>(port));
        if (semicolon == std::string::npos)
            break;
        start = semicolon + 1;
    }
    return true;
}

// ---- TVornikIniS --------------------------------------------------------------------

namespace {

// The rows of DBSettings.
enum : int { kMainRow = 0, kTempRow = 1, kConnectionRow = 2, kEctRow = 3 };
constexpr int kServerNameColumn = 5;

// The main database password's key name.
constexpr const char* kMainPasswordKey = "MainPassword";

void PutText(Variant& table, int row, int column, const std::string& value) {
    table.At(row, column) = Variant(value);
}

void PutInt(Variant& table, int row, int column, int value) {
    table.At(row, column) = Variant(static_cast<std::int32_t>(value));
}

}  // namespace

TVornikIniS::TVornikIniS() { TVornikIniS::LoadSettings(); }

void TVornikIniS::ResetValues() {
    ResetCommonValues();
    FServerPath.clear();
    FDBSettings = Variant();
    FDBKind = 0;
#if KV_EDITION != 7
    FSystemControlAddress.clear();
    FOtherSystemControlAddress.clear();
#endif
}

bool TVornikIniS::LoadSettings() {
    // Every load starts from the initial values, so a failed reload leaves no stale ones.
    ResetValues();
    QString path;
    if (!ReadRegistry("ServerPath", path))
        return false;
    FDBSettings = Variant::Array2(0, 3, 0, 7);
    if (path.isEmpty())
        return false;
    path = IncludeTrailingSeparator(path);
    FServerPath = path;
    SelectProfile(path, "VornikS.ini");

    const TIniFile ini(IniFileSystemName());
    ReadProfile(ini);
    ComputeConvertKinds();
    ResolveWorkDLLPaths(path, "S_PKG");
    ApplyDerivedValues();
    return true;
}

void TVornikIniS::ReadProfile(const TIniFile& ini) {
    const char* dbe = "DBE Setting";
    const char* ctrl = "DBPasswordCtrl";
    Variant& t = FDBSettings;

    FVersion = ReadText(ini, "ProductVersion", "Version", QString());
    FUICodePage = ReadText(ini, "CodePage", "UICodePage", FSystemCodePage);
    FDBCodePage = ReadText(ini, "CodePage", "DBCodePage", QStringLiteral("936"));

    PutText(t, kMainRow, 0, ini.ReadString(dbe, "MainAlias", "Fenmor"));
    PutText(t, kMainRow, 1, ini.ReadString(dbe, "MainUserName", "sa"));
    PutText(t, kMainRow, 2, DecodeSQLSa(ini.ReadString(dbe, kMainPasswordKey, "")));
    PutText(t, kMainRow, 3, ini.ReadString(dbe, "MainDBType", "MSSQL"));
    PutText(t, kMainRow, 4, ini.ReadString(dbe, "MainDBName", ""));
    PutText(t, kMainRow, kServerNameColumn, ini.ReadString(dbe, "MainServerName", ""));
#if KV_EDITION != 7
    FSystemControlAddress = ReadText(ini, dbe, "SystemControlAddress", QString());
    FOtherSystemControlAddress = ReadText(ini, dbe, "OtherSystemControlAddress", QString());
#endif
    PutInt(t, kMainRow, 6, ini.ReadInteger(dbe, "MainConnectionTimeOut", 300));
    PutInt(t, kMainRow, 7, ini.ReadInteger(dbe, "MainCommandTimeOut", 3000));

    PutText(t, kTempRow, 0, ini.ReadString(dbe, "TempAlias", "FenmorTemp"));
    PutText(t, kTempRow, 1, ini.ReadString(dbe, "TempUserName", "sa"));
    PutText(t, kTempRow, 2, DecodeSQLSa(ini.ReadString(dbe, "TempPassword", "")));
    PutText(t, kTempRow, 3, ini.ReadString(dbe, "TempDBType", "PARADOX"));
    PutText(t, kTempRow, 4, ini.ReadString(dbe, "TempDBName", ""));
    PutText(t, kTempRow, 5, ini.ReadString(dbe, "TempDriverName", "PostgreSQL"));
    PutInt(t, kTempRow, 6, ini.ReadInteger(dbe, "TempConnectionTimeOut", 300));
    PutInt(t, kTempRow, 7, ini.ReadInteger(dbe, "TempCommandTimeOut", 3000));

    PutText(t, kConnectionRow, 0, Trim(ini.ReadString(ctrl, "ComputerName", "")));
    PutInt(t, kConnectionRow, 1, ini.ReadInteger(ctrl, "ServerPort", 211));
    PutInt(t, kConnectionRow, 2, ini.ReadInteger(ctrl, "ClientSocketPort", 1024));
    SetSupportCallBack(ini.ReadString(ctrl, "SupportCallBack", "0"));

    PutText(t, kConnectionRow, 3, ini.ReadString(dbe, "DataBaseCodeOrder", "Chinese_Taiwan_Stroke_BIN"));
    PutText(t, kEctRow, 0, ini.ReadString(dbe, "EctAlias", "EDIDATA"));
    PutText(t, kEctRow, 1, ini.ReadString(dbe, "EctUserName", "sa"));
    // Kept as stored: the EDI password is not scrambled.
    PutText(t, kEctRow, 2, ini.ReadString(dbe, "EctPassword", ""));

    ReadWorkDLLSection(ini);
}

void TVornikIniS::ApplyDerivedValues() {
    const std::string dbType = FDBSettings.At(kMainRow, 3).ToString();
    if (SameText(dbType, "ORACLE"))
        FDBKind = 1;
    else if (SameText(dbType, "DB2"))
        FDBKind = 2;
    else
        FDBKind = 0;
#if KV_EDITION != 7
    const QString serverName = FromUtf8(FDBSettings.At(kMainRow, kServerNameColumn).ToString());
    if (FSystemControlAddress.trimmed().isEmpty())
        FSystemControlAddress = serverName;
    if (FOtherSystemControlAddress.trimmed().isEmpty())
        FOtherSystemControlAddress = serverName;
#endif
}

}  // namespace kv

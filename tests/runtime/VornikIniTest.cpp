#include "runtime/VornikINI.h"

#include "VornikTestEnv.h"

#include "platform/SysUtils.h"
#include "runtime/MirrexGeneratorU.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>
#include <string>
#include <vector>

namespace kv {
namespace {

using test::VornikEnvTest;

// Both profiles share their loading rules; most cases run for each.
enum class Side { Client, Server };
constexpr Side kBothSides[] = {Side::Client, Side::Server};

const char* SideName(Side s) { return s == Side::Client ? "client" : "server"; }
std::string IniName(Side s) { return s == Side::Client ? "VornikC.ini" : "VornikS.ini"; }
// The section that holds SupportCallBack on each side.
std::string CallBackSection(Side s) { return s == Side::Client ? "Server Information" : "DBPasswordCtrl"; }

std::unique_ptr<TVornikIni> Load(Side s) {
    if (s == Side::Client)
        return std::make_unique<TVornikIniC>();
    return std::make_unique<TVornikIniS>();
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

class VornikIniTest : public VornikEnvTest {
protected:
    std::string App() const { return Root() + "/app/"; }

    // The installation folder of both sides is App().
    void Install(const std::string& profileType = "0") {
        WriteRegistry({{"ClientPath", Root() + "/app"}, {"ServerPath", Root() + "/app"}, {"ProfileType", profileType}});
    }
    void WriteIni(Side s, const std::string& text) { WriteFile(App() + IniName(s), text); }

    static void ExpectInitialCommonValues(const TVornikIni& ini) {
        EXPECT_EQ(ini.ProfileDir(), "");
        EXPECT_EQ(ini.UserName(), "Default");
        EXPECT_EQ(ini.SystemCodePage(), "936");
        EXPECT_EQ(ini.UICodePage(), "936");
        EXPECT_EQ(ini.DBCodePage(), "936");
        EXPECT_EQ(ini.UIConvertKind(), 0);
        EXPECT_EQ(ini.DBConvertKind(), 0);
        EXPECT_FALSE(ini.SupportCallBack());
        EXPECT_EQ(ini.IniFileName(), "");
        EXPECT_EQ(ini.Version(), "");
        EXPECT_TRUE(ini.WorkDLLPaths().isEmpty());
    }
};

// ---- registry ------------------------------------------------------------------------

TEST_F(VornikIniTest, MissingOrUnreadableRegistryKeyLeavesInitialValuesAndE000015) {
    const std::vector<std::pair<const char*, std::string>> registries = {
        {"no file", ""},
        {"garbage", "this is not a registry export\nClientPath=/x\n"},
        {"binary bytes", test::Bytes("\x00\x01\xfe\xff\x80\x90garbage")},
        {"missing header",
         "[HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik]\r\n\"ClientPath\"=\"/x\"\r\n\"ServerPath\"=\"/x\"\r\n"},
        {"other key", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\KVN\\Other]\r\n"
                      "\"ClientPath\"=\"/x\"\r\n"},
    };
    for (const auto& [name, bytes] : registries) {
        QFile::remove(Q(Root() + "/registry.reg"));
        if (!bytes.empty())
            WriteFile(Root() + "/registry.reg", bytes);
        for (Side s : kBothSides) {
            SCOPED_TRACE(std::string(name) + ", " + SideName(s));
            const auto ini = Load(s);
            EXPECT_EQ(ini->ErrorCode(), "E;000015");
            EXPECT_FALSE(ini->LoadSettings());
            EXPECT_EQ(ini->ProfileType(), "0");
            ExpectInitialCommonValues(*ini);
        }
        const TVornikIniC client;
        EXPECT_EQ(client.ClientPath(), "");
        EXPECT_EQ(client.LangType(), "ENG");
        EXPECT_TRUE(client.ServerList().IsEmpty());
        const TVornikIniS server;
        EXPECT_EQ(server.ServerPath(), "");
        EXPECT_TRUE(server.DBSettings().IsEmpty());
        EXPECT_EQ(server.DBKind(), 0);
    }
}

TEST_F(VornikIniTest, EmptyInstallationPathStopsSilently) {
    // A missing value reads as empty, the same as an empty one.
    const std::vector<std::map<std::string, std::string>> registries = {
        {{"ClientPath", ""}, {"ServerPath", ""}, {"ProfileType", "1"}},
        {{"ProfileType", "1"}},
    };
    for (const auto& values : registries) {
        WriteRegistry(values);
        for (Side s : kBothSides) {
            SCOPED_TRACE(SideName(s));
            const auto ini = Load(s);
            EXPECT_FALSE(ini->LoadSettings());
            EXPECT_EQ(ini->ErrorCode(), "");
            EXPECT_EQ(ini->ProfileType(), "1");
            ExpectInitialCommonValues(*ini);
        }
        EXPECT_EQ(TVornikIniC().ClientPath(), "");
        // Once the registry was read the settings table exists, with nothing in it.
        const TVornikIniS server;
        ASSERT_TRUE(server.DBSettings().IsArray());
        EXPECT_EQ(server.DBSettings().LowBound(1), 0);
        EXPECT_EQ(server.DBSettings().HighBound(1), 3);
        EXPECT_EQ(server.DBSettings().LowBound(2), 0);
        EXPECT_EQ(server.DBSettings().HighBound(2), 7);
        for (const Variant& cell : server.DBSettings().Elements())
            EXPECT_TRUE(cell.IsEmpty());
    }
}

TEST_F(VornikIniTest, RegistryIsReadAgainByEveryInstanceAndEveryLoad) {
    Install();
    TVornikIniC first;
    EXPECT_EQ(first.ClientPath(), Q(App()));

    WriteRegistry({{"ClientPath", Root() + "/other"}});
    EXPECT_EQ(TVornikIniC().ClientPath(), Q(Root() + "/other/"));

    // A reload that fails keeps nothing of the earlier load.
    QFile::remove(Q(Root() + "/registry.reg"));
    EXPECT_FALSE(first.LoadSettings());
    EXPECT_EQ(first.ErrorCode(), "E;000015");
    EXPECT_EQ(first.ClientPath(), "");
    EXPECT_TRUE(first.ServerList().IsEmpty());
    EXPECT_TRUE(first.WorkDLLPaths().isEmpty());
}

// ---- code pages ----------------------------------------------------------------------

TEST_F(VornikIniTest, CodePagesAndConversionKinds) {
    struct Case {
        const char* system;    // KVN_SYSTEM_CODEPAGE
        const char* ini;       // [CodePage] lines
        const char* systemCp;  // expected
        const char* uiCp;
        const char* dbCp;
        int uiKind;
        int dbKind;
    };
    const Case cases[] = {
        {"1252", "", "437", "437", "936", 0, 0},
        {"936", "", "936", "936", "936", 0, 0},
        {"950", "", "950", "950", "936", 2, 2},
        {"936", "UICodePage=950\n", "936", "950", "936", 2, 2},
        {"950", "UICodePage=936\nDBCodePage=950\n", "950", "936", "950", 4, 1},
        {"936", "UICodePage=936\nDBCodePage=950\n", "936", "936", "950", 0, 1},
        {"950", "UICodePage=950\nDBCodePage=950\n", "950", "950", "950", 2, 0},
        // Exact text comparison: a padded number is another code page.
        {"936", "UICodePage=0950\n", "936", "0950", "936", 0, 0},
        {"437", "UICodePage=437\nDBCodePage=950\n", "437", "437", "950", 0, 0},
    };
    Install();
    for (const Case& c : cases) {
        SetSystemCodePage(c.system);
        for (Side s : kBothSides) {
            SCOPED_TRACE(std::string(c.system) + " / " + c.ini + " / " + SideName(s));
            WriteIni(s, std::string("[CodePage]\n") + c.ini);
            const auto ini = Load(s);
            EXPECT_EQ(ini->SystemCodePage(), c.systemCp);
            EXPECT_EQ(ini->UICodePage(), c.uiCp);
            EXPECT_EQ(ini->DBCodePage(), c.dbCp);
            EXPECT_EQ(ini->UIConvertKind(), c.uiKind);
            EXPECT_EQ(ini->DBConvertKind(), c.dbKind);
        }
    }
}

TEST_F(VornikIniTest, UnreachableRegistryStillSetsTheSystemCodePage) {
    SetSystemCodePage("950");
    for (Side s : kBothSides) {
        const auto ini = Load(s);
        EXPECT_EQ(ini->ErrorCode(), "E;000015");
        EXPECT_EQ(ini->SystemCodePage(), "950");
        EXPECT_EQ(ini->UICodePage(), "950");
        EXPECT_EQ(ini->UIConvertKind(), 2);
        EXPECT_EQ(ini->DBConvertKind(), 2);
    }
}

// ---- profile selection --------------------------------------------------------------

TEST_F(VornikIniTest, ProfileTypeChoosesPerUserOrSharedProfile) {
    const QString user = Q(GetUserName()).left(31);
    struct Case {
        const char* profileType;
        bool perUserFile;
        bool expectPerUser;
        const char* expectedUserName;  // "*" = the login name
    };
    const Case cases[] = {
        {"0", true, false, "Default"},
        {"", true, false, "Default"},
        {"1", true, true, "*"},
        {"2", true, true, "*"},
        {"1", false, false, "*"},  // falls back to the shared profile, keeps the login name
    };
    for (const Case& c : cases) {
        Install(c.profileType);
        for (Side s : kBothSides) {
            SCOPED_TRACE(std::string("ProfileType '") + c.profileType + "' " + SideName(s) +
                         (c.perUserFile ? " with" : " without") + " per-user file");
            const std::string userDir = App() + "Profile/" + user.toStdString() + "/";
            QDir(Q(App() + "Profile")).removeRecursively();
            WriteIni(s, "[ProductVersion]\nVersion=shared\n");
            if (c.perUserFile)
                WriteFile(userDir + IniName(s), "[ProductVersion]\nVersion=personal\n");

            const auto ini = Load(s);
            EXPECT_TRUE(ini->LoadSettings());
            const std::string dir = c.expectPerUser ? userDir : App();
            EXPECT_EQ(ini->ProfileDir(), Q(dir));
            EXPECT_EQ(ini->IniFileName(), Q(dir + IniName(s)));
            EXPECT_EQ(ini->Version(), c.expectPerUser ? "personal" : "shared");
            EXPECT_EQ(ini->UserName(), std::string(c.expectedUserName) == "*" ? user : QString(c.expectedUserName));
            EXPECT_EQ(ini->ProfileType(), c.profileType);
        }
    }
}

TEST_F(VornikIniTest, PerUserProfileNameMatchesWithoutRegardToCase) {
    const std::string user = Q(GetUserName()).left(31).toStdString();
    Install("1");
    WriteFile(App() + "Profile/" + user + "/vornikc.INI", "[ProductVersion]\nVersion=personal\n");
    const TVornikIniC ini;
    EXPECT_EQ(ini.ProfileDir(), Q(App() + "Profile/" + user + "/"));
    EXPECT_EQ(ini.Version(), "personal");
}

TEST_F(VornikIniTest, MissingProfileFileGivesDefaultsAndSucceeds) {
    Install();
    for (Side s : kBothSides) {
        SCOPED_TRACE(SideName(s));
        const auto ini = Load(s);
        EXPECT_TRUE(ini->LoadSettings());
        EXPECT_EQ(ini->ErrorCode(), "");
        EXPECT_EQ(ini->IniFileName(), Q(App() + IniName(s)));
        EXPECT_EQ(ini->UserName(), "Default");
        EXPECT_EQ(ini->WorkDLLPaths(),
                  QStringList{Q(App() + (s == Side::Client ? "C_PKG/" : "S_PKG/"))});
    }
}

TEST_F(VornikIniTest, MalformedProfileFilesReadAsDefaults) {
    const std::vector<std::pair<const char*, std::string>> files = {
        {"garbage", "%%%% not an ini ]]]\n=\n[\n==[x]==\n"},
        {"binary", test::Bytes("\x00\xff\xfe\x01[CodePage\x00]\nUICodePage=\x80\x81\n")},
        {"keys without section header", "UICodePage=950\nLangType=CHT\nComputerName=h1\n"},
        {"empty", ""},
    };
    Install();
    for (const auto& [name, bytes] : files) {
        for (Side s : kBothSides) {
            SCOPED_TRACE(std::string(name) + ", " + SideName(s));
            WriteIni(s, bytes);
            const auto ini = Load(s);
            EXPECT_TRUE(ini->LoadSettings());
            EXPECT_EQ(ini->ErrorCode(), "");
            EXPECT_EQ(ini->UICodePage(), "936");
            EXPECT_EQ(ini->Version(), "");
        }
        const TVornikIniC client;
        EXPECT_EQ(client.LangType(), "ENG");
        ASSERT_TRUE(client.ServerList().IsArray());
        EXPECT_EQ(client.ServerList().At(0, 0).ToString(), "127.0.0.1");
        EXPECT_EQ(TVornikIniS().DBSettings().At(0, 0).ToString(), "Fenmor");
    }
}

// ---- client values -------------------------------------------------------------------

TEST_F(VornikIniTest, ClientDefaultsWithoutProfile) {
    Install();
    const TVornikIniC ini;
    EXPECT_EQ(ini.ClientPath(), Q(App()));
    EXPECT_EQ(ini.ProfileDir(), Q(App()));
    EXPECT_EQ(ini.LangType(), "ENG");
    EXPECT_EQ(ini.Version(), "");
    EXPECT_FALSE(ini.SupportCallBack());
#if KV_EDITION != 7
    EXPECT_EQ(ini.CreateGifBeforeSendEF(), "Y");
    EXPECT_EQ(ini.AutoCheckNewMsg(), "1");
    EXPECT_EQ(ini.CheckInterval(), "1");
    EXPECT_EQ(ini.PopupMsg(), "1");
    EXPECT_EQ(ini.LoginCheck(), "0");
#endif
    const Variant& list = ini.ServerList();
    ASSERT_TRUE(list.IsArray());
    EXPECT_EQ(list.HighBound(2), 0);
    EXPECT_EQ(list.At(0, 0), Variant("127.0.0.1"));
    EXPECT_EQ(list.At(1, 0), Variant(211));
}

TEST_F(VornikIniTest, ClientValuesFromProfile) {
    Install();
    WriteIni(Side::Client,
             "[Client Components]\nLangType=CHT\n"
             "[ProductVersion]\nVersion=9.1.2\n"
             "[UserDefine]\nCreateGifBeforeSendEF=N\n"
             "[Server Information]\nComputerName=appsrv\nServerPort=3050\n"
             "[TaskMessageCenter Setting]\nAutoCheckNewMsg=0\nCheckInterval=5\nPopupMsg=0\nLoginCheck=1\n");
    const TVornikIniC ini;
    EXPECT_EQ(ini.LangType(), "CHT");
    EXPECT_EQ(ini.Version(), "9.1.2");
#if KV_EDITION != 7
    EXPECT_EQ(ini.CreateGifBeforeSendEF(), "N");
    EXPECT_EQ(ini.AutoCheckNewMsg(), "0");
    EXPECT_EQ(ini.CheckInterval(), "5");
    EXPECT_EQ(ini.PopupMsg(), "0");
    EXPECT_EQ(ini.LoginCheck(), "1");
#endif
    EXPECT_EQ(ini.ServerList().At(0, 0), Variant("appsrv"));
    EXPECT_EQ(ini.ServerList().At(1, 0), Variant(3050));
}

TEST_F(VornikIniTest, ServerListSplitsHostsAtSemicolons) {
    struct Case {
        std::string computerName;
        std::string port;
        std::vector<std::string> hosts;
        int expectedPort;
    };
    const std::vector<Case> cases = {
        {"hostA;hostB;", "2000", {"hostA", "hostB"}, 2000},
        {"hostA; hostB", "2000", {"hostA", " hostB"}, 2000},
        {"single", "211", {"single"}, 211},
        {"a;;b", "1", {"a", "", "b"}, 1},
        {"only;;", "7", {"only", ""}, 7},
        {"h1;h2;h3;h4", "abc", {"h1", "h2", "h3", "h4"}, 211},  // malformed port: default
        {"h", "", {"h"}, 211},
    };
    Install();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.computerName);
        WriteIni(Side::Client, "[Server Information]\nComputerName=" + c.computerName + "\nServerPort=" + c.port + "\n");
        const TVornikIniC ini;
        EXPECT_EQ(ini.ErrorCode(), "");
        const Variant& list = ini.ServerList();
        ASSERT_TRUE(list.IsArray());
        ASSERT_EQ(list.DimCount(), 2);
        EXPECT_EQ(list.LowBound(1), 0);
        EXPECT_EQ(list.HighBound(1), 1);
        EXPECT_EQ(list.LowBound(2), 0);
        ASSERT_EQ(list.HighBound(2), static_cast<int>(c.hosts.size()) - 1);
        for (int i = 0; i < static_cast<int>(c.hosts.size()); ++i) {
            EXPECT_EQ(list.At(0, i), Variant(c.hosts[i])) << i;
            EXPECT_EQ(list.At(1, i), Variant(c.expectedPort)) << i;
        }
    }
}

TEST_F(VornikIniTest, EmptyComputerNameGivesE000016AndKeepsWhatWasRead) {
    Install();
    for (const std::string name : {"", "   ", ";", "\t;"}) {
        SCOPED_TRACE("'" + name + "'");
        WriteIni(Side::Client, "[Client Components]\nLangType=CHS\n[Server Information]\nComputerName=" + name +
                                   "\nSupportCallBack=1\n[WorkDLLPath]\nMods=D:\\mods\nSub=\\sub\n");
        TVornikIniC ini;
        EXPECT_EQ(ini.ErrorCode(), "E;000016");
        EXPECT_TRUE(ini.ServerList().IsEmpty());
        EXPECT_EQ(ini.LangType(), "CHS");
        EXPECT_TRUE(ini.SupportCallBack());
        EXPECT_EQ(ini.WorkDLLPaths(), (QStringList{"Mods=D:\\mods", "Sub=\\sub"}));
        EXPECT_FALSE(ini.LoadSettings());
    }
}

// ---- shared values -------------------------------------------------------------------

TEST_F(VornikIniTest, SupportCallBackAcceptsTheYesWords) {
    struct Case {
        const char* value;
        bool expected;
    };
    const Case cases[] = {{"1", true},     {"y", true},   {"Y", true},  {"yes", true},  {"YeS", true},
                          {"true", true},  {"TRUE", true}, {"2", false}, {"0", false},   {"no", false},
                          {"", false},     {"yess", false}, {"on", false}, {" yes ", true}};
    Install();
    for (Side s : kBothSides) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(SideName(s)) + " '" + c.value + "'");
            WriteIni(s, "[" + CallBackSection(s) + "]\nSupportCallBack=" + c.value + "\n");
            EXPECT_EQ(Load(s)->SupportCallBack(), c.expected);
        }
        // The other side's section does not count.
        WriteIni(s, "[" + CallBackSection(s == Side::Client ? Side::Server : Side::Client) + "]\nSupportCallBack=1\n");
        EXPECT_FALSE(Load(s)->SupportCallBack());
    }
}

TEST_F(VornikIniTest, InstallationPathKeepsItsOwnSeparator) {
    struct Case {
        std::string registry;
        std::string expected;
    };
    const Case cases[] = {
        {"/opt/kvn", "/opt/kvn/"},
        {"/opt/kvn/", "/opt/kvn/"},
        {"C:\\app", "C:\\app\\"},
        {"C:\\app\\", "C:\\app\\"},
        {"relative", "relative/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.registry);
        WriteRegistry({{"ClientPath", c.registry}, {"ServerPath", c.registry}});
        const TVornikIniC client;
        EXPECT_EQ(client.ClientPath(), Q(c.expected));
        EXPECT_EQ(client.IniFileName(), Q(c.expected + "VornikC.ini"));
        EXPECT_EQ(TVornikIniS().ServerPath(), Q(c.expected));
    }
}

TEST_F(VornikIniTest, PerUserProfileDirUsesThePathsSeparator) {
    const std::string user = Q(GetUserName()).left(31).toStdString();
    // The Windows form is resolved against the working folder when read.
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Q(Root())));
    WriteRegistry({{"ClientPath", "C:\\app"}, {"ProfileType", "1"}});
    WriteFile(Root() + "/C:/app/Profile/" + user + "/VornikC.ini", "[ProductVersion]\nVersion=win\n");
    const TVornikIniC ini;
    QDir::setCurrent(saved);
    EXPECT_EQ(ini.ProfileDir(), Q("C:\\app\\Profile\\" + user + "\\"));
    EXPECT_EQ(ini.IniFileName(), Q("C:\\app\\Profile\\" + user + "\\VornikC.ini"));
    EXPECT_EQ(ini.Version(), "win");
}

TEST_F(VornikIniTest, WorkDLLPathsResolveAgainstTheInstallation) {
    struct Case {
        const char* name;
        std::string installation;  // registry value; "C:\app" lives below the working folder
        std::string section;       // [WorkDLLPath] lines
        std::vector<std::string> client;
        std::vector<std::string> server;
    };
    const std::string root = Root();
    const std::vector<Case> cases = {
        {"windows paths", "C:\\app",
         "A=D:\\mods\nB=\\sub\nC=rel\\x\nD=\\\\srv\\share\\m\nE=D:\\done\\\nF=\n",
         {"D:\\mods\\", "C:\\app\\sub\\", "C:\\app\\rel\\x\\", "\\\\srv\\share\\m\\", "D:\\done\\", "C:\\app\\"},
         {}},
        {"empty section, windows", "C:\\app", "", {"C:\\app\\C_PKG\\"}, {"C:\\app\\S_PKG\\"}},
        {"posix paths", root + "/app",
         "A=/opt/mods\nB=sub\nC=/opt/done/\nD=\\win\n",
         {"/opt/mods/", root + "/app/sub/", "/opt/done/", root + "/app/win\\"},
         {}},
        {"empty section, posix", root + "/app", "", {root + "/app/C_PKG/"}, {root + "/app/S_PKG/"}},
        {"order of the section is kept", root + "/app", "Z=/z\nA=/a\nM=/m\n", {"/z/", "/a/", "/m/"}, {}},
    };
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Q(root)));
    for (const Case& c : cases) {
        WriteRegistry({{"ClientPath", c.installation}, {"ServerPath", c.installation}});
        for (Side s : kBothSides) {
            SCOPED_TRACE(std::string(c.name) + ", " + SideName(s));
            std::string folder = NormalizePath(c.installation);
            if (folder.rfind('/', 0) != 0)
                folder = root + "/" + folder;
            WriteFile(folder + "/" + IniName(s), c.section.empty() ? "" : "[WorkDLLPath]\n" + c.section);
            const std::vector<std::string>& expected = (s == Side::Server && !c.server.empty()) ? c.server : c.client;
            QStringList want;
            for (const std::string& e : expected)
                want << Q(e);
            EXPECT_EQ(Load(s)->WorkDLLPaths(), want);
        }
    }
    QDir::setCurrent(saved);
}

TEST(VornikPaths, MakeAbsolutePathAndTrailingSeparator) {
    struct Case {
        const char* value;
        const char* base;
        const char* expected;
    };
    const Case absolute[] = {
        {"D:\\mods\\", "C:\\app\\", "D:\\mods\\"},
        {"d:rel\\", "C:\\app\\", "d:rel\\"},
        {"\\\\srv\\share\\", "C:\\app\\", "\\\\srv\\share\\"},
        {"\\sub\\", "C:\\app\\", "C:\\app\\sub\\"},
        {"sub\\", "C:\\app\\", "C:\\app\\sub\\"},
        {"/opt/x/", "/base/", "/opt/x/"},
        {"x/", "/base/", "/base/x/"},
        {"\\", "/base/", "/base/"},
        {"", "/base/", "/base/"},
    };
    for (const Case& c : absolute)
        EXPECT_EQ(MakeAbsolutePath(c.value, c.base), c.expected) << c.value;

    const Case trailing[] = {
        {"/opt/kvn", "", "/opt/kvn/"},   {"C:\\app", "", "C:\\app\\"}, {"C:\\app\\", "", "C:\\app\\"},
        {"a/b\\c", "", "a/b\\c\\"},      {"name", "", "name/"},       {"", "", "/"},
    };
    for (const Case& c : trailing)
        EXPECT_EQ(IncludeTrailingSeparator(c.value), c.expected) << c.value;
    EXPECT_EQ(IncludeTrailingSeparator("name", QLatin1Char('\\')), "name\\");
}

// ---- server values ---------------------------------------------------------------------

TEST_F(VornikIniTest, ServerDefaultsFillTheSettingsTable) {
    Install();
    const TVornikIniS ini;
    EXPECT_EQ(ini.ErrorCode(), "");
    const Variant& t = ini.DBSettings();
    ASSERT_TRUE(t.IsArray());
    struct Cell {
        int row, col;
        Variant value;
    };
    const Cell cells[] = {
        {0, 0, "Fenmor"},     {0, 1, "sa"},    {0, 2, ""},         {0, 3, "MSSQL"},   {0, 4, ""},
        {0, 5, ""},           {0, 6, 300},     {0, 7, 3000},       {1, 0, "FenmorTemp"}, {1, 1, "sa"},
        {1, 2, ""},           {1, 3, "PARADOX"}, {1, 4, ""},       {1, 5, "PostgreSQL"}, {1, 6, 300},
        {1, 7, 3000},         {2, 0, ""},      {2, 1, 211},        {2, 2, 1024},      {2, 3, "Chinese_Taiwan_Stroke_BIN"},
        {3, 0, "EDIDATA"},    {3, 1, "sa"},    {3, 2, ""},
        {2, 4, Variant()},    {2, 5, Variant()}, {2, 6, Variant()}, {2, 7, Variant()}, {3, 3, Variant()},
        {3, 4, Variant()},    {3, 5, Variant()}, {3, 6, Variant()}, {3, 7, Variant()},
    };
    for (const Cell& c : cells) {
        EXPECT_EQ(t.At(c.row, c.col), c.value) << c.row << "," << c.col;
        EXPECT_EQ(t.At(c.row, c.col).Type(), c.value.Type()) << c.row << "," << c.col;
    }
    EXPECT_EQ(ini.DBKind(), 0);
#if KV_EDITION != 7
    EXPECT_EQ(ini.SystemControlAddress(), "");
    EXPECT_EQ(ini.OtherSystemControlAddress(), "");
#endif
}

TEST_F(VornikIniTest, ServerValuesFromProfile) {
    Install();
    WriteIni(Side::Server,
             "[ProductVersion]\nVersion=9.0\n"
             "[DBE Setting]\nMainAlias=Pay\nMainUserName=hr\nMainPassword=" + EncodeSQLSa("s3cret") +
             "\nMainDBType=oracle\nMainDBName=PAYDB\nMainServerName=db1\n"
             "MainConnectionTimeOut=60\nMainCommandTimeOut=abc\n"
             "TempAlias=Tmp\nTempUserName=tmp\nTempPassword=" + EncodeSQLSa("") +
             "\nTempDBType=SQLITE\nTempDBName=t.db\nTempDriverName=QSQLITE\n"
             "TempConnectionTimeOut=12x\nTempCommandTimeOut=0x10\n"
             "DataBaseCodeOrder=Chinese_PRC_BIN\nEctAlias=EDI2\nEctUserName=edi\nEctPassword=" + EncodeSQLSa("raw") +
             "\n[DBPasswordCtrl]\nComputerName= srv1 \nServerPort=-5\nClientSocketPort=99999999999\n");
    const TVornikIniS ini;
    EXPECT_EQ(ini.Version(), "9.0");
    const Variant& t = ini.DBSettings();
    struct Cell {
        int row, col;
        Variant value;
    };
    const Cell cells[] = {
        {0, 0, "Pay"}, {0, 1, "hr"}, {0, 2, "s3cret"}, {0, 3, "oracle"}, {0, 4, "PAYDB"}, {0, 5, "db1"},
        {0, 6, 60},    {0, 7, 3000},  // malformed integer: default
        {1, 0, "Tmp"}, {1, 1, "tmp"}, {1, 2, ""},      {1, 3, "SQLITE"}, {1, 4, "t.db"},  {1, 5, "QSQLITE"},
        {1, 6, 300},   {1, 7, 16},
        {2, 0, "srv1"}, {2, 1, -5},   {2, 2, 1024},    {2, 3, "Chinese_PRC_BIN"},
        {3, 0, "EDI2"}, {3, 1, "edi"}, {3, 2, Variant(EncodeSQLSa("raw"))},  // taken as stored
    };
    for (const Cell& c : cells) {
        EXPECT_EQ(t.At(c.row, c.col), c.value) << c.row << "," << c.col;
        EXPECT_EQ(t.At(c.row, c.col).Type(), c.value.Type()) << c.row << "," << c.col;
    }
    EXPECT_EQ(ini.DBKind(), 1);
#if KV_EDITION != 7
    EXPECT_EQ(ini.SystemControlAddress(), "db1");
    EXPECT_EQ(ini.OtherSystemControlAddress(), "db1");
#endif
}

TEST_F(VornikIniTest, UndecodablePasswordGivesTheErrorMarkerAndALogReport) {
    Install();
    WriteIni(Side::Server, "[DBE Setting]\nMainPassword=zz\n");
    const TVornikIniS ini;
    EXPECT_EQ(ini.DBSettings().At(0, 2).ToString(), kPasswordErrorMarker);
    const std::string log = ReadFile(App() + "Log/Alert_MirrexGenerator_20040315.log");
    EXPECT_NE(log.find("解析 Sa 时发生错误!"), std::string::npos) << log;
}

TEST_F(VornikIniTest, DBKindFromMainDBType) {
    struct Case {
        const char* type;
        int kind;
    };
    const Case cases[] = {{"ORACLE", 1}, {"Oracle", 1}, {"DB2", 2}, {"db2", 2},    {"MSSQL", 0},
                          {"", 0},       {"ORACLE8", 0}, {"DB", 0}, {" db2 ", 2}};
    Install();
    for (const Case& c : cases) {
        WriteIni(Side::Server, std::string("[DBE Setting]\nMainDBType=") + c.type + "\n");
        EXPECT_EQ(TVornikIniS().DBKind(), c.kind) << c.type;
    }
}

#if KV_EDITION != 7
TEST_F(VornikIniTest, ControlAddressesDefaultToTheMainServer) {
    struct Case {
        const char* lines;
        const char* system;
        const char* other;
    };
    const Case cases[] = {
        {"MainServerName=db1\n", "db1", "db1"},
        {"MainServerName=db1\nSystemControlAddress=ctl\n", "ctl", "db1"},
        {"MainServerName=db1\nOtherSystemControlAddress=oth\n", "db1", "oth"},
        {"MainServerName=db1\nSystemControlAddress=  \nOtherSystemControlAddress=\"  \"\n", "db1", "db1"},
        {"SystemControlAddress=ctl\n", "ctl", ""},
    };
    Install();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        WriteIni(Side::Server, std::string("[DBE Setting]\n") + c.lines);
        const TVornikIniS ini;
        EXPECT_EQ(ini.SystemControlAddress(), c.system);
        EXPECT_EQ(ini.OtherSystemControlAddress(), c.other);
    }
}
#endif

TEST_F(VornikIniTest, GetWorkDLLPathsReplacesTheCallersList) {
    Install();
    WriteIni(Side::Server, "[WorkDLLPath]\nA=/a\nB=/b\n");
    QStringList list{"stale 1", "stale 2", "stale 3"};
    TVornikIniS().GetWorkDLLPaths(list);
    EXPECT_EQ(list, (QStringList{"/a/", "/b/"}));
}

}  // namespace
}  // namespace kv

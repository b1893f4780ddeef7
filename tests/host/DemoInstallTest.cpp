// scripts/demo-install: the registry file, the profiles and the folders it lays
// out, read back by the readers the plug-in uses, and a second run over the first.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "DemoInstallation.h"
#include "HostTestSupport.h"
#include "kv/Registry.h"
#include "runtime/MirrexGeneratorU.h"
#include "runtime/VornikINI.h"

namespace kv::test {
namespace {

constexpr const char* kMachineKey = "HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik";

class DemoInstallTest : public HostEnvTest {
protected:
    void SetUp() override {
        HostEnvTest::SetUp();
        // A blank in the path, as in a user's "My Demo": every path value must survive it.
        install_ = std::make_unique<DemoInstallation>(Path("demo install"));
        const ProcessResult r = RunProcess(QStringLiteral("bash"), {kDemoInstall, install_->Root(), BinFolder()});
        ASSERT_EQ(r.ExitCode, 0) << r.Out.toStdString() << r.Err.toStdString();
    }

    const DemoInstallation& Install() const { return *install_; }

    std::unique_ptr<DemoInstallation> install_;
};

TEST_F(DemoInstallTest, TheRegistryFileNamesTheInstallationAndLibrariesThatExist) {
    RegistryFile reg;
    std::string error;
    ASSERT_TRUE(RegistryFile::Load(Install().RegistryFile().toStdString(), reg, &error)) << error;
    EXPECT_TRUE(reg.SkippedLines().empty());
    EXPECT_EQ(reg.ReadString(kMachineKey, "ClientPath"), Install().ClientPath().toStdString() + "/");
    EXPECT_EQ(reg.ReadString(kMachineKey, "ServerPath"), Install().ServerPath().toStdString() + "/");
    EXPECT_EQ(reg.ReadString(kMachineKey, "ProfileType"), "0");
    for (const char* progId : {"FenmorWorkCenter.Manager", "ReportCounterS.dmReportCounter"}) {
        SCOPED_TRACE(progId);
        const std::optional<std::string> library =
            reg.ReadString(std::string("HKEY_CLASSES_ROOT\\") + progId, "Library");
        ASSERT_TRUE(library.has_value());
        EXPECT_TRUE(QFileInfo(QString::fromStdString(*library)).isFile()) << *library;
        EXPECT_TRUE(QString::fromStdString(*library).startsWith(Install().Root()));
    }
}

TEST_F(DemoInstallTest, TheFoldersAndModulesAreInPlace) {
    for (const QString& file :
         {Install().ClientModules() + "/HRWR07C.so", Install().ClientModules() + "/Vizudiziva.so",
          Install().HostModules() + "/kvhost", Install().HostModules() + "/kvappserver",
          Install().ClientPath() + "/VornikC.ini", Install().ServerPath() + "/VornikS.ini"})
        EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
    for (const QString& folder : {Install().LogFolder(), Install().HelpFolder(), Install().ServerModules(),
                                  Install().ClientPath() + "/MultiLanguage/CHS",
                                  Install().ClientPath() + "/MultiLanguage/CHT",
                                  Install().ClientPath() + "/MultiLanguage/ENG"})
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    QString why;
    EXPECT_TRUE(Install().Check(&why)) << why.toStdString();
}

TEST_F(DemoInstallTest, TheClientProfileReadsAsAnInProcessServerWithTheModuleFolder) {
    SetEnv("KVN_REGISTRY", Install().RegistryFile());
    const TVornikIniC ini;
    EXPECT_TRUE(ini.ErrorCode().isEmpty()) << ini.ErrorCode().toStdString();
    EXPECT_EQ(ini.ClientPath(), Install().ClientPath() + "/");
    EXPECT_EQ(ini.IniFileName(), Install().ClientPath() + "/VornikC.ini");
    EXPECT_EQ(ini.UICodePage(), "936");
    EXPECT_EQ(ini.DBCodePage(), "936");
    EXPECT_EQ(ini.LangType(), "CHS");
    const Variant& servers = ini.ServerList();
    ASSERT_TRUE(servers.IsArray());
    EXPECT_EQ(servers.HighBound(2), 0);
    EXPECT_EQ(servers.At(0, 0).ToString(), "127.0.0.1");
    EXPECT_EQ(servers.At(1, 0).ToInt(), 211);
    EXPECT_EQ(ini.WorkDLLPaths(), QStringList{Install().ClientModules() + "/"});
}

TEST_F(DemoInstallTest, TheServerProfileReadsWithItsScrambledPassword) {
    SetEnv("KVN_REGISTRY", Install().RegistryFile());
    const TVornikIniS ini;
    EXPECT_TRUE(ini.ErrorCode().isEmpty()) << ini.ErrorCode().toStdString();
    EXPECT_EQ(ini.ServerPath(), Install().ServerPath() + "/");
    EXPECT_EQ(ini.DBSettings().At(0, 2).ToString(), "demo");
    EXPECT_EQ(ini.DBSettings().At(2, 1).ToInt(), 211);
    EXPECT_EQ(ini.WorkDLLPaths(), QStringList{Install().ServerModules() + "/"});
    // The script's scrambling is the system's own.
    const QString text = ReadText(Install().ServerPath() + "/VornikS.ini");
    EXPECT_TRUE(text.contains(QString::fromStdString("MainPassword=" + EncodeSQLSa("demo")))) << text.toStdString();
}

TEST_F(DemoInstallTest, RunningAgainRefreshesModulesAndKeepsDataAndProfiles) {
    const QString module = Install().ClientModules() + "/HRWR07C.so";
    const QString data = Install().SampleDatabase();
    const QString profile = Install().ClientPath() + "/VornikC.ini";
    WriteFile(module, "stale");
    WriteFile(data, "the user's data");
    WriteFile(profile, "[CodePage]\nUICodePage=950\n");
    const ProcessResult r = RunProcess(QStringLiteral("bash"), {kDemoInstall, Install().Root(), BinFolder()});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    QFile built(BinFolder() + "/HRWR07C.so");
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    QFile copied(module);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_TRUE(built.readAll() == copied.readAll());
    EXPECT_EQ(ReadText(data), "the user's data");
    EXPECT_EQ(ReadText(profile), "[CodePage]\nUICodePage=950\n");
}

TEST_F(DemoInstallTest, WithoutBuiltBinariesItStopsAndSaysSo) {
    QDir().mkpath(Path("empty-bin"));
    const ProcessResult r = RunProcess(QStringLiteral("bash"), {kDemoInstall, Path("other"), Path("empty-bin")});
    EXPECT_NE(r.ExitCode, 0);
    EXPECT_TRUE(r.Err.contains("missing")) << r.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("other/registry.reg")));
}

TEST_F(DemoInstallTest, UsingTheInstallationSetsOnlyWhatIsNotSetAlready) {
    SetEnv("KVN_SAMPLE_DB", Path("mine.sqlite"));
    for (const char* name : {"KVN_REGISTRY", "KVN_LIBRARY_PATH", "KVN_APPSERVER_DB", "KVN_HELP_DIR"})
        SetEnv(name, std::nullopt);
    const QStringList set = Install().UseForThisProcess();
    EXPECT_EQ(qEnvironmentVariable("KVN_SAMPLE_DB"), Path("mine.sqlite"));
    EXPECT_EQ(qEnvironmentVariable("KVN_REGISTRY"), Install().RegistryFile());
    EXPECT_EQ(qEnvironmentVariable("KVN_LIBRARY_PATH"), Install().ClientModules() + ":" + Install().ServerModules());
    EXPECT_EQ(qEnvironmentVariable("KVN_APPSERVER_DB"), Install().AppServerDatabase());
    EXPECT_EQ(qEnvironmentVariable("KVN_HELP_DIR"), Install().HelpFolder());
    EXPECT_EQ(set.size(), 4);
    EXPECT_FALSE(set.join(' ').contains("KVN_SAMPLE_DB"));
}

TEST(DemoInstallationTest, AFolderWithoutARegistryFileIsNoInstallation) {
    QTemporaryDir dir;
    QString why;
    EXPECT_FALSE(DemoInstallation(dir.path()).Check(&why));
    EXPECT_TRUE(why.contains("demo-install")) << why.toStdString();
}

}  // namespace
}  // namespace kv::test

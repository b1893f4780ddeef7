// kvhost as a process, as scripts/run and a user start it: against the built
// plug-in, against the tests' report program, on a demo installation, and with
// command lines it must refuse.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>

#include "HostSession.h"
#include "HostTestSupport.h"

namespace kv::test {
namespace {

const char* const kFormClassError = "error: KVN DLL Internal Error :\\rNot Assign \"frmBaseGeneClass\" varible\n";

class KvhostTest : public HostEnvTest {
protected:
    ProcessResult Kvhost(const QStringList& arguments) { return RunProcess(kKvhost, arguments); }
};

TEST_F(KvhostTest, ThePayrollPlugInsMissingFormClassIsAnErrorInOutputTranscriptAndExitCode) {
    const QString outcome = Path("Log/outcome.txt");
    const ProcessResult r =
        Kvhost({"--headless", "--plugin", BinFolder() + "/HRWR07C.so", "--outcome", outcome});
    ASSERT_FALSE(r.Crashed) << r.Err.toStdString();
    EXPECT_EQ(r.ExitCode, kExitFailed);
    EXPECT_TRUE(r.Out.contains(kFormClassError)) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("outcome: failed (exit 2)\n")) << r.Out.toStdString();
    // The transcript holds exactly what was printed.
    EXPECT_EQ(ReadText(outcome), r.Out);
}

TEST_F(KvhostTest, TheProgramsOutcomeAndTheRequestReachTheOutput) {
    SetEnv("KVN_TEST_PROGRAM", QStringLiteral("code=1;data=J0042"));
    const QString request = Path("request.json");
    WriteFile(request, R"([0, [true, [[["", "edYear"]], [["2024"]]]]])");
    const ProcessResult r = Kvhost({"--headless", "--plugin", kTestProgram, "--user", "E0103", "--request", request,
                                    "--mode", "1"});
    ASSERT_EQ(r.ExitCode, kExitAccepted) << r.Out.toStdString() << r.Err.toStdString();
    for (const char* line : {
             "Initialize Array[0..4]{\"E0103\", \"C02\", \"FenmorSample\", 0, \"\"}\n",
             "status: 0\n",
             "version: test-1.0\n",
             "info: Array[0..3]{\"E0103\", \"C02\", \"HOSTTEST\", \"the tests' report program\"}\n",
             "request: 0\n",
             "events: 256 304\n",
             "ResultCode: 1\n",
             "outcome: accepted (exit 0)\n",
         })
        EXPECT_TRUE(r.Out.contains(QString::fromUtf8(line))) << line << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("\"request=Array[0..1]{1, Array[0..1]{True,")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("\"data=J0042\"")) << r.Out.toStdString();
}

TEST_F(KvhostTest, AHeadlessScreenshotShowsTheWorkCenterAfterTheRun) {
    SetEnv("KVN_TEST_PROGRAM", QStringLiteral("code=1"));
    const QString shot = Path("shots/kvhost.png");
    const ProcessResult r = Kvhost({"--headless", "--plugin", kTestProgram, "--screenshot", shot});
    ASSERT_EQ(r.ExitCode, kExitAccepted) << r.Out.toStdString() << r.Err.toStdString();
    const QImage image(shot);
    ASSERT_FALSE(image.isNull()) << r.Out.toStdString();
    EXPECT_GT(image.width(), 400);
    EXPECT_GT(image.height(), 300);
    // The form was shown for its picture; the tests' program has no window to take.
    EXPECT_TRUE(r.Out.contains("event 272 FormShow\n")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("screenshot of the dialog: no window")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("screenshot: " + shot)) << r.Out.toStdString();
}

TEST_F(KvhostTest, ADemoInstallationProvidesThePlugInRegistryAndData) {
    const QString demo = Path("demo");
    const ProcessResult installed = RunProcess(QStringLiteral("bash"), {kDemoInstall, demo, BinFolder()});
    ASSERT_EQ(installed.ExitCode, 0) << installed.Err.toStdString();
    for (const char* name : {"KVN_REGISTRY", "KVN_SAMPLE_DB", "KVN_APPSERVER_DB", "KVN_HELP_DIR"})
        SetEnv(name, std::nullopt);
    const ProcessResult r = RunProcess(demo + "/bin/kvhost", {"--install", demo, "--headless"});
    EXPECT_EQ(r.ExitCode, kExitFailed) << r.Out.toStdString() << r.Err.toStdString();
    EXPECT_TRUE(r.Out.contains("install: KVN_REGISTRY=" + demo + "/registry.reg\n")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("plugin: " + demo + "/Client/C_PKG/HRWR07C.so\n")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains(kFormClassError)) << r.Out.toStdString();
    EXPECT_TRUE(QFileInfo(demo + "/Data/FenmorSample.sqlite").isFile());
}

TEST_F(KvhostTest, CommandLinesItCannotCarryOutAreUsageErrors) {
    WriteFile(Path("plain"), "a file, not a folder");
    const struct Case {
        const char* name;
        QStringList arguments;
        const char* says;
    } cases[] = {
        {"Mode not a number", {"--headless", "--mode", "one"}, "--mode"},
        {"unknown option", {"--headless", "--colour"}, "colour"},
        {"stray argument", {"--headless", "HRWR07"}, "unexpected argument"},
        {"request file missing", {"--headless", "--request", Path("none.json")}, "none.json"},
        {"no installation", {"--headless", "--install", Path("nowhere")}, "demo-install"},
        {"transcript not writable", {"--headless", "--outcome", Path("plain/outcome.txt")}, "cannot write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult r = Kvhost(c.arguments);
        EXPECT_EQ(r.ExitCode, kExitUsage) << r.Out.toStdString() << r.Err.toStdString();
        EXPECT_TRUE((r.Out + r.Err).contains(QLatin1String(c.says))) << r.Out.toStdString() << r.Err.toStdString();
    }
}

}  // namespace
}  // namespace kv::test

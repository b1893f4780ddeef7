// The session the window and the headless run share, driven against the tests'
// report program: what the host hands over, the order of its calls, how each
// ending of the plug-in reaches the host's output and exit code.
#include <gtest/gtest.h>

#include <QFileInfo>

#include <sstream>

#include "HostRequest.h"
#include "HostSession.h"
#include "HostTestSupport.h"
#include "ProgramRunner.h"
#include "WorkCenterDirectory.h"

namespace kv::test {
namespace {

class SessionTest : public HostEnvTest {
protected:
    SessionOutcome Run(const QString& behaviour, const SessionPlan& plan, const QString& module = kTestProgram) {
        SetEnv("KVN_TEST_PROGRAM", behaviour);
        HostLog log;
        log.AddStream(transcript_);
        RunnerSettings settings;
        settings.SampleDatabase = Path("Data/FenmorSample.sqlite");
        settings.Unattended = true;
        const ProgramRunner runner(settings, log);
        const WorkCenterDirectory directory = ReadWorkCenterDirectory(settings.SampleDatabase);
        return runner.Run(module, ChooseIdentity(directory, {}), 0, plan);
    }
    std::string Transcript() const { return transcript_.str(); }

    std::ostringstream transcript_;
};

SessionPlan WithRequest(int mode) {
    SessionPlan plan;
    QString error;
    plan.Request = BuildHostRequest(QString(), mode, &error);
    return plan;
}

SessionPlan Showing(FormShowing show) {
    SessionPlan plan;
    plan.Show = show;
    return plan;
}

struct EndingCase {
    const char* name;
    const char* behaviour;
    SessionPlan plan;
    int exitCode;
    std::vector<std::int32_t> events;
    std::int32_t resultCode;
    const char* errorLine;  // "" : no error line
};

TEST_F(SessionTest, EachEndingOfTheProgramGivesItsExitCodeEventsAndOutcome) {
    const std::vector<std::int32_t> createdAndGone{evFormCreated, evFormDestroy};
    const std::vector<std::int32_t> shownAndGone{evFormCreated, evFormShow, evFormHide, evFormDestroy};
    const EndingCase cases[] = {
        {"accepted, closed by the host", "code=1;data=J0001", {}, kExitAccepted, createdAndGone, 1, ""},
        {"parameters refused", "init=refuse;code=0", {}, kExitRefused, createdAndGone, 0, ""},
        {"Initialize raises", "init=throw", {}, kExitFailed, {}, 0,
         "error: the test program's Initialize failed\\ron purpose"},
        {"GetController raises", "get=throw", {}, kExitFailed, {}, 0, "error: the test program has no controller"},
        {"request applied", "apply=0;code=1", WithRequest(1), kExitAccepted, createdAndGone, 1, ""},
        {"request refused", "apply=-1", WithRequest(1), kExitRefused, createdAndGone, 0, ""},
        {"request raises", "apply=throw", WithRequest(1), kExitFailed, createdAndGone, 0,
         "error: the test program's ApplyRequest failed"},
        {"shown briefly", "code=2", Showing(FormShowing::Briefly), kExitAccepted, shownAndGone, 2, ""},
        {"shown modally", "code=2", Showing(FormShowing::Modal), kExitAccepted, shownAndGone, 2, ""},
    };
    for (const EndingCase& c : cases) {
        SCOPED_TRACE(c.name);
        transcript_.str("");
        const SessionOutcome outcome = Run(QString::fromLatin1(c.behaviour), c.plan);
        EXPECT_EQ(outcome.ExitCode, c.exitCode);
        EXPECT_EQ(outcome.Events, c.events);
        EXPECT_EQ(outcome.ResultCode, c.resultCode);
        const std::string transcript = Transcript();
        if (*c.errorLine) EXPECT_NE(transcript.find(std::string(c.errorLine) + "\n"), std::string::npos) << transcript;
        else EXPECT_EQ(transcript.find("error:"), std::string::npos) << transcript;
        EXPECT_NE(transcript.find("outcome: "), std::string::npos) << transcript;
    }
}

TEST_F(SessionTest, TheProgramGetsTheWorkCenterAndTheFiveParameters) {
    const SessionOutcome outcome = Run(QStringLiteral("code=1;data=J0042"), {});
    ASSERT_EQ(outcome.ExitCode, kExitAccepted) << Transcript();
    const Variant& seen = outcome.ResultData;
    // The work-center object answers as the linked FenmorWorkCenter.Manager does.
    EXPECT_EQ(Note(seen, "ProductID"), "1");
    EXPECT_EQ(Note(seen, "GetMessage"), "主程序传入的参数不足！");
    // [user, company, database, window, reserved], from the sample database.
    EXPECT_EQ(Note(seen, "params"), "0..4");
    EXPECT_EQ(Note(seen, "user"), "string:DS");
    EXPECT_EQ(Note(seen, "company"), "string:C01");
    EXPECT_EQ(Note(seen, "db"), "string:FenmorSample");
    EXPECT_EQ(Note(seen, "window"), "int:0");
    EXPECT_EQ(Note(seen, "reserved"), "string:");
    EXPECT_EQ(Note(seen, "data"), "J0042");
    EXPECT_NE(Transcript().find("ResultData: Array[0..8]{"), std::string::npos) << Transcript();
}

TEST_F(SessionTest, TheRequestIsElementOneOfTheApplyRequestArgument) {
    const SessionOutcome outcome = Run(QStringLiteral(""), WithRequest(4));
    ASSERT_EQ(outcome.RequestResult, 0);
    EXPECT_EQ(Note(outcome.ResultData, "request"), "Array[0..1]{4, Array[0..1]{True, Array[0..1]{Array[0..-1]{}, "
                                                   "Array[0..-1]{}}}}");
}

TEST_F(SessionTest, TheFormShownHookRunsOnceAndWhatItRaisesStaysInTheHost) {
    SessionPlan plan = Showing(FormShowing::Modal);
    int calls = 0;
    plan.FormShown = [&calls](TDLLBaseController& controller) {
        ++calls;
        EXPECT_FALSE(controller.IsFormFreed());
        throw std::runtime_error("the picture failed");
    };
    const SessionOutcome outcome = Run(QStringLiteral("code=1"), plan);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(outcome.ExitCode, kExitAccepted);
    EXPECT_NE(Transcript().find("host: the picture failed"), std::string::npos) << Transcript();
}

TEST_F(SessionTest, AModuleThatCannotBeLoadedIsAFailureNamingIt) {
    const QString missing = Path("C_PKG/NOPE01C.so");
    const SessionOutcome outcome = Run(QString(), {}, missing);
    EXPECT_EQ(outcome.ExitCode, kExitFailed);
    EXPECT_NE(outcome.Error.find("NOPE01C.so"), std::string::npos) << outcome.Error;
    EXPECT_NE(Transcript().find("plugin: " + missing.toStdString()), std::string::npos);
}

TEST(HostParametersTest, TheWindowHandleIsAnIntegerElementThree) {
    const Variant p = HostParameters({"E0005", "C01", "Fenmor"}, 4242);
    ASSERT_TRUE(p.IsArray());
    EXPECT_EQ(p.LowBound(), 0);
    EXPECT_EQ(p.HighBound(), 4);
    EXPECT_EQ(p[3].Type(), VarType::Int);
    EXPECT_EQ(p[3].ToInt(), 4242);
    EXPECT_EQ(DebugString(p), "Array[0..4]{\"E0005\", \"C01\", \"Fenmor\", 4242, \"\"}");
}

TEST(PrintableTest, ControlCharactersBecomeEscapesAndTextStays) {
    EXPECT_EQ(Printable("a\rb\nc\td\x01\x7f"), "a\\rb\\nc\\td\\x01\\x7F");
    EXPECT_EQ(Printable("薪资明细表"), "薪资明细表");
}

}  // namespace
}  // namespace kv::test

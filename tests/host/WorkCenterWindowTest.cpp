// The work-center window, offscreen: what it shows at first, a run from it with
// the tests' report program, a failing run, and its picture.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTreeWidget>

#include "HostScreenshot.h"
#include "HostTestSupport.h"
#include "ProgramRunner.h"
#include "WorkCenterDirectory.h"
#include "WorkCenterWindow.h"

namespace kv::test {
namespace {

class WindowTest : public HostEnvTest {
protected:
    void SetUp() override {
        HostEnvTest::SetUp();
        settings_.SampleDatabase = Path("Data/FenmorSample.sqlite");
        settings_.PluginPath = kTestProgram;
        directory_ = ReadWorkCenterDirectory(settings_.SampleDatabase);
    }

    std::unique_ptr<WorkCenterWindow> MakeWindow(WindowSettings window = {}) {
        runner_ = std::make_unique<ProgramRunner>(settings_, log_);
        auto w = std::make_unique<WorkCenterWindow>(directory_, *runner_, log_, std::move(window));
        w->SetErrorPresenter([this](const QString& text) { errors_ << text; });
        w->show();
        return w;
    }

    template <class T>
    static T* Child(QWidget& w, const char* name) {
        T* child = w.findChild<T*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    RunnerSettings settings_;
    WorkCenterDirectory directory_;
    HostLog log_;
    std::unique_ptr<ProgramRunner> runner_;
    QStringList errors_;
};

TEST_F(WindowTest, OpensWithTheSampleDatabasesUserCompanyAndThePayrollProgram) {
    auto w = MakeWindow({{}, QStringLiteral("HRWR07"), std::nullopt, QString()});
    EXPECT_EQ(w->CurrentIdentity().UserID, "DS");
    EXPECT_EQ(w->CurrentIdentity().CompanyID, "C01");
    EXPECT_EQ(w->CurrentIdentity().DbName, "FenmorSample");
    EXPECT_EQ(w->CurrentProgram(), "HRWR07");
    auto* programs = Child<QTreeWidget>(*w, "lvPrograms");
    ASSERT_NE(programs, nullptr);
    EXPECT_EQ(programs->topLevelItemCount(), static_cast<int>(directory_.Programs.size()));
    EXPECT_TRUE(Child<QAction>(*w, "actRun")->isEnabled());
}

TEST_F(WindowTest, CommandLineIdentityIsShownEvenWhenTheDatabaseDoesNotKnowIt) {
    auto w = MakeWindow({{"796", "SDTest60", "SDTest60"}, QStringLiteral("HRWR07"), std::nullopt, QString()});
    EXPECT_EQ(w->CurrentIdentity().UserID, "796");
    EXPECT_EQ(w->CurrentIdentity().CompanyID, "SDTest60");
    EXPECT_EQ(w->CurrentIdentity().DbName, "SDTest60");
}

TEST_F(WindowTest, ChoosingAnotherUserMovesToThatUsersCompany) {
    auto w = MakeWindow();
    auto* user = Child<QComboBox>(*w, "cboUser");
    ASSERT_NE(user, nullptr);
    const int index = user->findData(QStringLiteral("E0103"));
    ASSERT_GE(index, 0);
    user->setCurrentIndex(index);
    emit user->activated(index);
    EXPECT_EQ(w->CurrentIdentity().UserID, "E0103");
    EXPECT_EQ(w->CurrentIdentity().CompanyID, "C02");
}

TEST_F(WindowTest, RunHandsOverTheWindowAndShowsTheSessionInTheLog) {
    SetEnv("KVN_TEST_PROGRAM", QStringLiteral("code=1;data=J0007"));
    auto w = MakeWindow({{}, QStringLiteral("HRWR07"), std::nullopt, QString()});
    Child<QAction>(*w, "actRun")->trigger();
    ASSERT_TRUE(w->LastOutcome().has_value());
    const SessionOutcome& outcome = *w->LastOutcome();
    EXPECT_EQ(outcome.ExitCode, kExitAccepted);
    EXPECT_EQ(outcome.ResultCode, 1);
    // The host window's handle goes to the form as an integer.
    EXPECT_EQ(Note(outcome.ResultData, "window"), "int:" + std::to_string(static_cast<std::int32_t>(w->winId())));
    EXPECT_NE(w->winId(), WId{0});
    // Shown modally: the show and hide events reach the log.
    const QString log = w->LogText();
    EXPECT_TRUE(log.contains("event 272 FormShow")) << log.toStdString();
    EXPECT_TRUE(log.contains("event 288 FormHide")) << log.toStdString();
    EXPECT_TRUE(log.contains("ResultCode: 1")) << log.toStdString();
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_TRUE(Child<QAction>(*w, "actRun")->isEnabled());
}

TEST_F(WindowTest, AFailingProgramIsReportedInTheLogAndAMessageAndTheWindowGoesOn) {
    SetEnv("KVN_TEST_PROGRAM", QStringLiteral("init=throw"));
    auto w = MakeWindow();
    w->RunSelectedProgram();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_.first().contains("Initialize failed\\ron purpose")) << errors_.first().toStdString();
    EXPECT_TRUE(w->LogText().contains("error: the test program's Initialize failed")) << w->LogText().toStdString();
    EXPECT_EQ(w->LastOutcome()->ExitCode, kExitFailed);
    // The next run works.
    SetEnv("KVN_TEST_PROGRAM", QStringLiteral("code=1"));
    w->RunSelectedProgram();
    EXPECT_EQ(w->LastOutcome()->ExitCode, kExitAccepted);
    EXPECT_EQ(errors_.size(), 1);
}

TEST_F(WindowTest, ThePayrollPlugInsFormClassErrorComesAsAMessageNotACrash) {
    settings_.PluginPath = BinFolder() + "/HRWR07C.so";
    auto w = MakeWindow();
    w->RunSelectedProgram();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_.first().contains("Not Assign \"frmBaseGeneClass\" varible")) << errors_.first().toStdString();
    EXPECT_TRUE(w->LogText().contains("error: KVN DLL Internal Error :\\rNot Assign")) << w->LogText().toStdString();
    EXPECT_EQ(w->LastOutcome()->ExitCode, kExitFailed);
}

TEST_F(WindowTest, TheWindowIsSavedAsAPicture) {
    auto w = MakeWindow();
    const QString shot = Path("shots/kvhost.png");
    QString error;
    ASSERT_TRUE(SaveWidgetImage(*w, shot, &error)) << error.toStdString();
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), w->size() * w->devicePixelRatio());
    EXPECT_EQ(DialogImagePath(shot), Path("shots/kvhost-dialog.png"));
}

TEST_F(WindowTest, AHandleOfNoWindowGivesNoPictureAndSaysWhy) {
    QString error;
    EXPECT_FALSE(SaveWindowImage(0, Path("none.png"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Path("none.png")));
}

}  // namespace
}  // namespace kv::test

// What the work center reads from the sample database before anything runs, and
// the identity a run starts with.
#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "WorkCenterDirectory.h"

namespace kv::test {
namespace {

class DirectoryTest : public HostEnvTest {
protected:
    WorkCenterDirectory Read() { return ReadWorkCenterDirectory(Path("Data/FenmorSample.sqlite")); }
};

TEST_F(DirectoryTest, TheSampleDatabaseGivesUsersCompaniesAndReportPrograms) {
    const WorkCenterDirectory d = Read();
    ASSERT_TRUE(d.Error.isEmpty()) << d.Error.toStdString();
    ASSERT_FALSE(d.Users.empty());
    EXPECT_EQ(d.Users.front().ID, "DS");
    EXPECT_EQ(d.Companies.size(), 3u);
    const ProgramEntry* payroll = d.FindProgram(QStringLiteral("hrwr07"));
    ASSERT_NE(payroll, nullptr);
    EXPECT_EQ(payroll->Name, "薪资明细表");
    EXPECT_EQ(payroll->Library, "HRWR07C.so");
    // A batch program is no report plug-in.
    EXPECT_EQ(d.FindProgram(QStringLiteral("HRWB01")), nullptr);
    EXPECT_EQ(d.DbName(), "FenmorSample");
    EXPECT_FALSE(d.SystemName.isEmpty());
}

TEST_F(DirectoryTest, AnUnusableDatabaseIsReportedNotThrown) {
    WriteFile(Path("broken.sqlite"), "this is no SQLite file, and long enough to be looked at as one.");
    const WorkCenterDirectory d = ReadWorkCenterDirectory(Path("broken.sqlite"));
    EXPECT_FALSE(d.Error.isEmpty());
    EXPECT_TRUE(d.Users.empty());
    EXPECT_TRUE(d.Programs.empty());
}

TEST_F(DirectoryTest, GivenIdentityStandsAndTheRestIsChosen) {
    const WorkCenterDirectory d = Read();
    struct Case {
        const char* name;
        Identity given;
        Identity expected;
    } cases[] = {
        {"nothing given", {}, {"DS", "C01", "FenmorSample"}},
        {"a user: that user's company", {"E0103", "", ""}, {"E0103", "C02", "FenmorSample"}},
        {"user ids match in any case", {"e0201", "", ""}, {"e0201", "C03", "FenmorSample"}},
        {"a company given stays", {"E0103", "C01", ""}, {"E0103", "C01", "FenmorSample"}},
        {"an unknown user has no company", {"796", "", "SDTest60"}, {"796", "", "SDTest60"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Identity id = ChooseIdentity(d, c.given);
        EXPECT_EQ(id.UserID, c.expected.UserID);
        EXPECT_EQ(id.CompanyID, c.expected.CompanyID);
        EXPECT_EQ(id.DbName, c.expected.DbName);
    }
}

TEST_F(DirectoryTest, AProgramRunsFromItsTableEntryOrItsCodeWithC) {
    const WorkCenterDirectory d = Read();
    EXPECT_EQ(ProgramLibrary(d, QStringLiteral("HRWR07")), "HRWR07C.so");
    EXPECT_EQ(ProgramLibrary(d, QStringLiteral("hrwr99")), "HRWR99C.so");
}

}  // namespace
}  // namespace kv::test

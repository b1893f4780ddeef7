#include "platform/SysUtils.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

namespace kv {
namespace {

TEST(SysUtils, ComputerNameIsTheHostNameCutTo15) {
    struct Case {
        const char* Host;
        const char* Expected;
    } const cases[] = {
        {"vm", "vm"},
        {"exactly15chars_", "exactly15chars_"},
        {"a-much-longer-host-name", "a-much-longer-h"},
        {"", "Unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComputerNameOf(c.Host), c.Expected) << c.Host;
    const std::string actual = GetComputerName();
    EXPECT_FALSE(actual.empty());
    EXPECT_LE(actual.size(), 15u);
}

TEST(SysUtils, UserNameComesFromTheAccountNotTheEnvironment) {
    const std::string account = GetUserName();
    ASSERT_FALSE(account.empty());
    test::ScopedEnv env;
    env.Set("USER", "someone-else-entirely");
    EXPECT_EQ(GetUserName(), account);
}

TEST(SysUtils, TempPathFollowsTmpdirAndEndsWithSlash) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    test::ScopedEnv env;
    env.Set("TMPDIR", dir.path().toStdString());
    EXPECT_EQ(TempPath(), dir.path().toStdString() + "/");
    env.Set("TMPDIR", "");
    EXPECT_EQ(TempPath(), "/tmp/");
}

TEST(SysUtils, ExecutableDirHoldsTheRunningProgram) {
    const std::string dir = ExecutableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(FileExists(dir + "kv_platform_tests"));
}

TEST(SysUtils, PathTextHelpers) {
    struct Case {
        const char* Input;
        const char* Normalized;
        const char* FilePath;
        const char* FileName;
        const char* WithDelimiter;
    } const cases[] = {
        {"C:\\app\\VornikC.ini", "C:/app/VornikC.ini", "C:\\app\\", "VornikC.ini", "C:\\app\\VornikC.ini/"},
        {"\\sub\\dir\\", "/sub/dir/", "\\sub\\dir\\", "", "\\sub\\dir\\"},
        {"/opt/kvn/x.so", "/opt/kvn/x.so", "/opt/kvn/", "x.so", "/opt/kvn/x.so/"},
        {"\\\\server\\share", "//server/share", "\\\\server\\", "share", "\\\\server\\share/"},
        {"mixed/a\\b", "mixed/a/b", "mixed/a\\", "b", "mixed/a\\b/"},
        {"name", "name", "", "name", "name/"},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizePath(c.Input), c.Normalized) << c.Input;
        EXPECT_EQ(ExtractFilePath(c.Input), c.FilePath) << c.Input;
        EXPECT_EQ(ExtractFileName(c.Input), c.FileName) << c.Input;
        EXPECT_EQ(IncludeTrailingPathDelimiter(c.Input), c.WithDelimiter) << c.Input;
    }
}

TEST(SysUtils, TextComparesWithoutAsciiCaseOnly) {
    EXPECT_TRUE(SameText("ClientPath", "CLIENTPATH"));
    EXPECT_FALSE(SameText("ClientPath", "ClientPath2"));
    EXPECT_FALSE(SameText("\xC4", "\xE4"));  // bytes of multi-byte characters are not folded
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_EQ(CompareText("", ""), 0);
    EXPECT_EQ(UpperCase("Yes\xD6\xD0"), "YES\xD6\xD0");
    EXPECT_EQ(LowerCase("TRUE"), "true");
    EXPECT_EQ(Trim(" \t value x \r\n"), "value x");
    EXPECT_EQ(Trim("   "), "");

    std::map<std::string, int, CaseInsensitiveLess> names{{"ServerPath", 1}};
    EXPECT_EQ(names.count("SERVERPATH"), 1u);
    EXPECT_FALSE(names.emplace("serverpath", 2).second);
}

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }
    std::string Root() const { return Dir.path().toStdString(); }
    void Touch(const std::string& relative) const { std::ofstream(Root() + "/" + relative) << "x"; }

    QTemporaryDir Dir;
};

TEST_F(FileSystemTest, ForceDirectoriesCreatesAllMissingParents) {
    const std::string nested = Root() + "\\Log\\2004\\03";
    EXPECT_TRUE(ForceDirectories(nested));
    EXPECT_TRUE(QDir(QString::fromStdString(Root() + "/Log/2004/03")).exists());
    EXPECT_TRUE(ForceDirectories(nested));  // already there
    EXPECT_TRUE(ForceDirectories(Root() + "/Log/"));
    EXPECT_FALSE(ForceDirectories(""));

    Touch("plain");
    EXPECT_FALSE(ForceDirectories(Root() + "/plain"));        // a file is in the way
    EXPECT_FALSE(ForceDirectories(Root() + "/plain/below"));  // a file as a parent
}

TEST_F(FileSystemTest, FilesAndFoldersAreTold) {
    Touch("VornikC.ini");
    ASSERT_TRUE(ForceDirectories(Root() + "/Profile"));
    EXPECT_TRUE(FileExists(Root() + "/VornikC.ini"));
    EXPECT_TRUE(FileExists(Root() + "\\VornikC.ini"));
    EXPECT_FALSE(FileExists(Root() + "/Profile"));
    EXPECT_FALSE(FileExists(Root() + "/vornikc.ini"));  // exact names only
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(DirectoryExists(Root() + "\\Profile"));
    EXPECT_FALSE(DirectoryExists(Root() + "/VornikC.ini"));
    EXPECT_FALSE(DirectoryExists(""));
}

TEST_F(FileSystemTest, FindFileMatchesTheLastComponentWithoutCase) {
    Touch("VornikC.ini");
    Touch("Exact.ini");
    Touch("EXACT.INI");
    struct Case {
        std::string Input;
        std::string Expected;
    } const cases[] = {
        {Root() + "/VornikC.ini", Root() + "/VornikC.ini"},
        {Root() + "/vornikc.INI", Root() + "/VornikC.ini"},
        {Root() + "\\VORNIKC.ini", Root() + "/VornikC.ini"},
        {Root() + "/exact.ini", Root() + "/EXACT.INI"},   // several: first in byte order
        {Root() + "/Exact.ini", Root() + "/Exact.ini"},   // an exact name wins
        {Root() + "\\missing.ini", Root() + "/missing.ini"},
        {Root() + "/nofolder/VornikC.ini", Root() + "/nofolder/VornikC.ini"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindFileCaseInsensitive(c.Input), c.Expected) << c.Input;
}

}  // namespace
}  // namespace kv

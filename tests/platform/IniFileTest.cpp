#include "platform/IniFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace kv {
namespace {

using Lines = std::vector<std::string>;

// One profile that exercises the classic rules; written with the line end of
// the test parameter.
const Lines kProfile = {
    "\xEF\xBB\xBF; leading comment after the byte-order mark",
    "orphan=before any section",
    "[Server Information]",
    "  ComputerName =  host1; host2;  ",
    "ServerPort=2000",
    "computername=second one loses",
    "[CodePage]",
    "UICodePage=950",
    "Hex=0x1F",
    "HexUpper=0XfF",
    "HexAllOnes=0xFFFFFFFF",
    "HexTooLong=0x100000000",
    "Dollar=$10",
    "Bad=12abc",
    "Empty=",
    "Big=99999999999",
    "Neg= -42 ",
    "Plus=+7",
    "PlusMinus=+-7",
    "Spaced=1 2",
    "Quoted=\" padded \"",
    "Single='x'",
    "Mismatch=\"x'",
    "Bytes=\xD6\xD0\xCE\xC4",
    "NoEquals",
    "=no name",
    "[WorkDLLPath]",
    "b=\\sub",
    "a=D:\\mods",
    "; a comment inside a section",
    "c = x = y",
    "[ server information ]",
    "Extra=merged into the first",
    "[Empty Section]",
    "[Unclosed",
    "Key=v",
};

std::string Join(const Lines& lines, const std::string& eol) {
    std::string text;
    for (const auto& line : lines)
        text += line + eol;
    return text;
}

class IniProfileTest : public ::testing::TestWithParam<std::string> {
protected:
    TIniFile Ini = TIniFile::FromText(Join(kProfile, GetParam()));
};

INSTANTIATE_TEST_SUITE_P(LineEnds, IniProfileTest, ::testing::Values("\n", "\r\n", "\r"),
                         [](const auto& info) {
                             return info.param == "\n" ? "LF" : info.param == "\r\n" ? "CRLF" : "CR";
                         });

TEST_P(IniProfileTest, ReadStringFollowsProfileRules) {
    struct Case {
        const char* Section;
        const char* Key;
        const char* Expected;
    } const cases[] = {
        {"Server Information", "ComputerName", "host1; host2;"},  // trimmed, inner blanks kept
        {"SERVER INFORMATION", "computername", "host1; host2;"},  // names without regard to case
        {"server information", "Extra", "merged into the first"},  // repeated section merged
        {"CodePage", "Empty", ""},                                 // present but empty: not the default
        {"CodePage", "Quoted", " padded "},                        // quotes removed, content kept
        {"CodePage", "Single", "x"},
        {"CodePage", "Mismatch", "\"x'"},
        {"CodePage", "Bytes", "\xD6\xD0\xCE\xC4"},  // bytes as stored
        {"CodePage", "NoEquals", ""},
        {"WorkDLLPath", "c", "x = y"},  // split at the first '='
        {"Unclosed", "Key", "v"},
        {"CodePage", "Missing", "<def>"},
        {"Missing", "UICodePage", "<def>"},
        {"", "orphan", "<def>"},  // keys before the first section belong to none
        {"CodePage", "", "<def>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ini.ReadString(c.Section, c.Key, "<def>"), c.Expected) << c.Section << " / " << c.Key;
}

TEST_P(IniProfileTest, ReadIntegerTakesDecimalOrHexElseDefault) {
    struct Case {
        const char* Key;
        int Expected;
    } const cases[] = {
        {"UICodePage", 950}, {"Hex", 31},         {"HexUpper", 255},  {"HexAllOnes", -1},
        {"Dollar", 16},      {"Neg", -42},        {"Plus", 7},        {"HexTooLong", -5},
        {"Bad", -5},         {"Empty", -5},       {"Big", -5},        {"PlusMinus", -5},
        {"Spaced", -5},      {"Quoted", -5},      {"Missing", -5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ini.ReadInteger("codepage", c.Key, -5), c.Expected) << c.Key;
}

TEST_P(IniProfileTest, ReadBoolIsNonZeroInteger) {
    EXPECT_TRUE(Ini.ReadBool("CodePage", "UICodePage", false));
    EXPECT_FALSE(Ini.ReadBool("CodePage", "Missing", false));
    EXPECT_TRUE(Ini.ReadBool("CodePage", "Bad", true));  // not a number: default
    EXPECT_FALSE(Ini.ReadBool("CodePage", "Bad", false));
}

TEST_P(IniProfileTest, WholeSectionReadsKeepFileOrderAndFirstOfEachKey) {
    Lines lines{"stale"};
    Ini.ReadSectionValues("workdllpath", lines);
    EXPECT_EQ(lines, (Lines{"b=\\sub", "a=D:\\mods", "c=x = y"}));

    Ini.ReadSectionValues("Server Information", lines);
    EXPECT_EQ(lines, (Lines{"ComputerName=host1; host2;", "ServerPort=2000", "Extra=merged into the first"}));

    Lines keys{"stale"};
    Ini.ReadSection("server information", keys);
    EXPECT_EQ(keys, (Lines{"ComputerName", "ServerPort", "Extra"}));

    Ini.ReadSectionValues("Empty Section", lines);
    EXPECT_TRUE(lines.empty());
    Ini.ReadSectionValues("Missing", lines);
    EXPECT_TRUE(lines.empty());
}

TEST_P(IniProfileTest, SectionsAndValuesExist) {
    Lines sections;
    Ini.ReadSections(sections);
    EXPECT_EQ(sections, (Lines{"Server Information", "CodePage", "WorkDLLPath", "Empty Section", "Unclosed"}));
    EXPECT_TRUE(Ini.SectionExists("empty section"));
    EXPECT_FALSE(Ini.SectionExists("Missing"));
    EXPECT_TRUE(Ini.ValueExists("codepage", "noequals"));
    EXPECT_FALSE(Ini.ValueExists("codepage", "nothing"));
}

TEST(IniFromText, OddInputIsReadWithoutHarm) {
    const std::string cases[] = {
        "",
        "\xEF\xBB\xBF",
        "[",
        "[]\n=\n==\n",
        std::string("[a]\nk=v\0w\n", 11),
        "[a]\nk=\"\n",
    };
    for (const auto& text : cases) {
        TIniFile ini = TIniFile::FromText(text);
        EXPECT_EQ(ini.ReadString("x", "y", "d"), "d");
        EXPECT_FALSE(ini.Exists());
    }
    EXPECT_EQ(TIniFile::FromText(std::string("[a]\nk=v\0w\n", 11)).ReadString("a", "k", ""),
              std::string("v\0w", 3));
    EXPECT_EQ(TIniFile::FromText("[a]\nk=\"\n").ReadString("a", "k", "d"), "\"");
}

TEST(IniFromText, ByteOrderMarkDoesNotHideTheFirstSection) {
    TIniFile ini = TIniFile::FromText("\xEF\xBB\xBF[CodePage]\r\nUICodePage=950\r\n");
    EXPECT_EQ(ini.ReadInteger("CodePage", "UICodePage", 0), 950);
}

// Profiles on disk: name matching and when the file is read.
class IniFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

    std::string PathOf(const std::string& name) const { return QDir(Dir.path()).filePath(QString::fromStdString(name)).toStdString(); }

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
        out << text;
    }

    QTemporaryDir Dir;
};

TEST_F(IniFileOnDisk, MissingFileGivesEveryDefault) {
    TIniFile ini(PathOf("VornikC.ini"));
    EXPECT_FALSE(ini.Exists());
    EXPECT_EQ(ini.ReadString("CodePage", "UICodePage", "936"), "936");
    EXPECT_EQ(ini.ReadInteger("Server Information", "ServerPort", 211), 211);
    Lines lines{"stale"};
    ini.ReadSectionValues("WorkDLLPath", lines);
    EXPECT_TRUE(lines.empty());
}

TEST_F(IniFileOnDisk, FileNameMatchedExactlyFirstThenWithoutCase) {
    Write("VornikC.ini", "[A]\nWho=exact\n");
    Write("VORNIKC.INI", "[A]\nWho=upper\n");
    Write("Other.Ini", "[A]\nWho=other\n");
    struct Case {
        std::string Name;
        const char* Expected;
    } const cases[] = {
        {"VornikC.ini", "exact"},
        {"VORNIKC.INI", "upper"},
        {"vornikc.ini", "upper"},  // several matches: the first name in byte order
        {"other.ini", "other"},
        {"OTHER.INI", "other"},
    };
    for (const auto& c : cases) {
        TIniFile ini(PathOf(c.Name));
        EXPECT_TRUE(ini.Exists()) << c.Name;
        EXPECT_EQ(ini.FileName(), PathOf(c.Name));
        EXPECT_EQ(ini.ReadString("a", "who", "none"), c.Expected) << c.Name;
    }
}

TEST_F(IniFileOnDisk, BackslashSeparatorsReachTheFile) {
    ASSERT_TRUE(QDir(Dir.path()).mkdir("Profile"));
    Write("Profile/VornikC.ini", "[CodePage]\r\nUICodePage=950\r\n");
    std::string windowsStyle = Dir.path().toStdString() + "\\Profile\\vornikc.INI";
    TIniFile ini(windowsStyle);
    EXPECT_TRUE(ini.Exists());
    EXPECT_EQ(ini.ResolvedFileName(), PathOf("Profile/VornikC.ini"));
    EXPECT_EQ(ini.ReadInteger("CodePage", "UICodePage", 0), 950);
}

TEST_F(IniFileOnDisk, EachInstanceReadsTheFileOnceAndAlone) {
    Write("VornikC.ini", "[A]\nK=first\n");
    TIniFile before(PathOf("VornikC.ini"));
    Write("VornikC.ini", "[A]\nK=second\n");
    TIniFile after(PathOf("VornikC.ini"));
    EXPECT_EQ(before.ReadString("A", "K", ""), "first");
    EXPECT_EQ(after.ReadString("A", "K", ""), "second");
}

TEST_F(IniFileOnDisk, FolderWithTheProfileNameIsNoProfile) {
    ASSERT_TRUE(QDir(Dir.path()).mkdir("VornikC.ini"));
    TIniFile ini(PathOf("VornikC.ini"));
    EXPECT_FALSE(ini.Exists());
    EXPECT_EQ(ini.ReadString("A", "K", "d"), "d");
}

}  // namespace
}  // namespace kv

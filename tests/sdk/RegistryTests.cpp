#include <gtest/gtest.h>

#include "TestSupport.h"
#include "kv/Registry.h"

namespace kv {
namespace {

const char* const kHeader = "Windows Registry Editor Version 5.00\r\n";
const char* const kVornik = "HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik";

RegistryFile Parse(const std::string& text) {
    RegistryFile reg;
    std::string error;
    EXPECT_TRUE(RegistryFile::LoadFromText(text, reg, &error)) << error;
    return reg;
}

// UTF-16LE with BOM, the way the Windows registry editor saves exports.
std::string Utf16LeWithBom(const std::u16string& text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

TEST(RegistryFile, ReadsValuesOfAnExport) {
    const RegistryFile reg = Parse(std::string(kHeader) +
                                   "\r\n"
                                   "; settings of the client\r\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik]\r\n"
                                   "\"ClientPath\"=\"C:\\\\KVN\\\\Client\\\\\"\r\n"
                                   "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
                                   "\"Loose\"=\"C:\\Path\"\r\n"
                                   "\"Count\"=dword:0000abcd\r\n"
                                   "\"Minus\"=dword:FFFFFFFF\r\n"
                                   "\"Spaced\" = \"yes\"\r\n"
                                   "@=\"the default\"\r\n"
                                   "\"中文\"=\"值\"\r\n");
    struct Case {
        const char* name;
        std::optional<std::string> text;
        std::optional<std::int32_t> dword;
    };
    const Case cases[] = {
        {"ClientPath", "C:\\KVN\\Client\\", std::nullopt},
        {"clientpath", "C:\\KVN\\Client\\", std::nullopt},
        {"Quoted", "say \"hi\"", std::nullopt},
        {"Loose", "C:\\Path", std::nullopt},  // a lone backslash stands as written
        {"Count", "43981", 0xabcd},
        {"Minus", "4294967295", -1},
        {"Spaced", "yes", std::nullopt},
        {"", "the default", std::nullopt},
        {"中文", "值", std::nullopt},
        {"Missing", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reg.ReadString(kVornik, c.name), c.text);
        EXPECT_EQ(reg.ReadDword(kVornik, c.name), c.dword);
    }
    EXPECT_EQ(reg.ValueNames(kVornik), (std::vector<std::string>{"ClientPath", "Quoted", "Loose", "Count", "Minus",
                                                                  "Spaced", "", "中文"}));
    EXPECT_TRUE(reg.SkippedLines().empty());
}

TEST(RegistryFile, KeysMatchWithoutCaseAndWithShortRoots) {
    const RegistryFile reg = Parse(std::string(kHeader) +
                                   "[HKLM\\Software\\KVN\\Vornik\\]\n\"A\"=\"1\"\n"
                                   "[hkey_classes_root\\ReportCounterS.dmReportCounter]\n\"Library\"=\"x.dll\"\n");
    const char* const forms[] = {
        "HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik", "hklm\\software\\kvn\\vornik",
        "HKLM\\\\Software\\KVN\\Vornik\\",           " HKEY_LOCAL_MACHINE\\SOFTWARE\\kvn\\VORNIK ",
    };
    for (const char* key : forms) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(reg.HasKey(key));
        EXPECT_EQ(reg.ReadString(key, "a"), "1");
    }
    EXPECT_EQ(reg.ReadString("HKCR\\reportcounters.DMREPORTCOUNTER", "LIBRARY"), "x.dll");
    // Keys above a written key exist too; siblings and prefixes of names do not.
    EXPECT_TRUE(reg.HasKey("HKLM\\Software\\KVN"));
    EXPECT_TRUE(reg.HasKey("HKLM"));
    EXPECT_FALSE(reg.HasKey("HKLM\\Software\\KV"));
    EXPECT_FALSE(reg.HasKey("HKLM\\Software\\KVN\\Vornik\\Sub"));
    EXPECT_FALSE(reg.HasKey("HKCU\\Software\\KVN\\Vornik"));
    EXPECT_FALSE(reg.HasKey(""));
    EXPECT_EQ(reg.ReadString("HKLM\\Software\\KVN", "A"), std::nullopt);
}

TEST(RegistryFile, AcceptsTheFileEncodingsOfTheTools) {
    struct Case {
        const char* label;
        std::string bytes;
    };
    const Case cases[] = {
        {"utf-8", std::string(kHeader) + "[HKLM\\K]\r\n\"Name\"=\"繁體\"\r\n"},
        {"utf-8 with BOM", "\xEF\xBB\xBF" + std::string(kHeader) + "[HKLM\\K]\r\n\"Name\"=\"繁體\"\r\n"},
        {"regedit4, lf only", "REGEDIT4\n\n[HKLM\\K]\n\"Name\"=\"繁體\"\n"},
        {"utf-16le with BOM",
         Utf16LeWithBom(u"Windows Registry Editor Version 5.00\r\n\r\n[HKLM\\K]\r\n\"Name\"=\"繁體\"\r\n")},
        {"blank lines before the header", "\r\n\r\n" + std::string(kHeader) + "[HKLM\\K]\r\n\"Name\"=\"繁體\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RegistryFile reg;
        std::string error;
        ASSERT_TRUE(RegistryFile::LoadFromText(c.bytes, reg, &error)) << error;
        EXPECT_EQ(reg.ReadString("HKLM\\K", "Name"), "繁體");
    }
}

TEST(RegistryFile, RefusesTextWithoutTheHeader) {
    const std::string cases[] = {
        "",
        "[HKLM\\K]\n\"A\"=\"1\"\n",
        "Windows Registry Editor Version 4.00\n[HKLM\\K]\n",
        "; comment\nREGEDIT4\n",
        std::string("\xFF\xFE", 2),
        std::string("\x00\x01\x02\x03", 4),
    };
    for (const std::string& text : cases) {
        RegistryFile reg;
        std::string error;
        EXPECT_FALSE(RegistryFile::LoadFromText(text, reg, &error));
        EXPECT_NE(error.find("not a registry export"), std::string::npos) << error;
        EXPECT_FALSE(reg.HasKey("HKLM\\K"));
    }
}

TEST(RegistryFile, SkipsMalformedLinesAndReadsTheRest) {
    const RegistryFile reg = Parse(std::string(kHeader) +        // line 1
                                   "\"Orphan\"=\"no key yet\"\n"  // 2
                                   "[HKLM\\K]\n"                   // 3
                                   "\"Good1\"=\"1\"\n"             // 4
                                   "\"Unterminated=\"x\"\n"        // 5
                                   "\"NoValue\"=\n"                // 6
                                   "\"BadDword\"=dword:12345678A\n"  // 7
                                   "\"NotHex\"=dword:xyz\n"        // 8
                                   "garbage line\n"                // 9
                                   "\"Trailing\"=\"x\" junk\n"     // 10
                                   "\"Good2\"=\"2\"\n"             // 11
                                   "\"Deleted\"=-\n"               // 12: a deletion, nothing to read
                                   "[HKLM\\Unclosed\n"             // 13: its values belong nowhere
                                   "[-HKLM\\K]\n"                  // 14
                                   "\"AfterDeletion\"=\"x\"\n"     // 15
                                   "[]\n"                          // 16
                                   "[HKLM\\K]\n"                   // 17
                                   "\"Good1\"=\"again\"\n");       // 18
    EXPECT_EQ(reg.SkippedLines(), (std::vector<int>{2, 5, 6, 7, 8, 9, 10, 13, 15, 16}));
    EXPECT_EQ(reg.ReadString("HKLM\\K", "Good1"), "again");  // the later line wins
    EXPECT_EQ(reg.ReadString("HKLM\\K", "Good2"), "2");
    EXPECT_EQ(reg.ValueNames("HKLM\\K"), (std::vector<std::string>{"Good1", "Good2"}));
    EXPECT_FALSE(reg.HasKey("HKLM\\Unclosed"));
}

TEST(RegistryFile, ParsesPastMultiLineHexValues) {
    const RegistryFile reg = Parse(std::string(kHeader) +
                                   "[HKLM\\K]\n"
                                   "\"Blob\"=hex:01,02,03,\\\n"
                                   "  04,05\n"
                                   "\"After\"=\"still read\"\n"
                                   // "C:\a" as REG_EXPAND_SZ in UTF-16LE
                                   "\"Expand\"=hex(2):43,00,3a,00,5c,00,\\\n"
                                   "  61,00,00,00\n"
                                   "\"AsDword\"=hex(4):0a,00,00,00\n"
                                   "\"Multi\"=hex(7):41,00,00,00,00,00\n"
                                   "\"BadHex\"=hex:zz\n"
                                   "\"Last\"=hex:01,\\\n");
    EXPECT_EQ(reg.ReadString("HKLM\\K", "After"), "still read");
    EXPECT_EQ(reg.ReadString("HKLM\\K", "Blob"), std::nullopt);  // binary: present but not text
    EXPECT_EQ(reg.ReadString("HKLM\\K", "Expand"), "C:\\a");
    EXPECT_EQ(reg.ReadDword("HKLM\\K", "AsDword"), 10);
    EXPECT_EQ(reg.ReadString("HKLM\\K", "Multi"), std::nullopt);
    EXPECT_EQ(reg.ValueNames("HKLM\\K"),
              (std::vector<std::string>{"Blob", "After", "Expand", "AsDword", "Multi", "Last"}));
    EXPECT_EQ(reg.SkippedLines(), std::vector<int>{10});
}

TEST(RegistryFile, NormalizesKeyPaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"HKLM\\Software\\KVN", "hkey_local_machine\\software\\kvn"},
        {"hkcr\\X", "hkey_classes_root\\x"},
        {"HKCU", "hkey_current_user"},
        {"HKU\\.DEFAULT", "hkey_users\\.default"},
        {"HKCC\\a\\\\b\\", "hkey_current_config\\a\\b"},
        {"HKLMX\\a", "hklmx\\a"},
        {"\\\\", ""},
    };
    for (auto [in, out] : cases) EXPECT_EQ(RegistryFile::NormalizeKey(in), out) << in;
}

class RegistryFileOnDisk : public ::testing::Test {
protected:
    test::TempDir dir;
};

TEST_F(RegistryFileOnDisk, LoadsFromThePathOfTheEnvironment) {
    const std::string path =
        dir.Write("registry.reg", std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik]\n"
                                                         "\"ClientPath\"=\"/opt/kvn/\"\n");
    test::ScopedEnv env("KVN_REGISTRY", path);
    EXPECT_EQ(RegistryFile::DefaultPath(), path);
    EXPECT_EQ(ReadRegistryString(kVornik, "ClientPath"), "/opt/kvn/");
    EXPECT_EQ(ReadRegistryString(kVornik, "ServerPath"), std::nullopt);

    // Re-read on every call: a changed file is seen at once.
    dir.Write("registry.reg", std::string(kHeader) + "[HKLM\\Software\\KVN\\Vornik]\n\"ClientPath\"=\"/srv/\"\n");
    EXPECT_EQ(ReadRegistryString(kVornik, "ClientPath"), "/srv/");
}

TEST_F(RegistryFileOnDisk, MissingOrUnreadableFilesAreReportedNotThrown) {
    {
        test::ScopedEnv env("KVN_REGISTRY", std::nullopt);
        EXPECT_EQ(RegistryFile::DefaultPath(), "/etc/kvn/registry.reg");
    }
    {
        test::ScopedEnv env("KVN_REGISTRY", "");
        EXPECT_EQ(RegistryFile::DefaultPath(), "/etc/kvn/registry.reg");
    }
    RegistryFile reg;
    std::string error;
    const std::string missing = dir.File("none.reg");
    EXPECT_FALSE(RegistryFile::Load(missing, reg, &error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;

    EXPECT_FALSE(RegistryFile::Load(dir.Path(), reg, &error));  // a folder

    const std::string bad = dir.Write("bad.reg", "not a registry file\n");
    EXPECT_FALSE(RegistryFile::Load(bad, reg, &error));
    EXPECT_NE(error.find("not a registry export"), std::string::npos) << error;

    test::ScopedEnv env("KVN_REGISTRY", bad);
    EXPECT_EQ(ReadRegistryString(kVornik, "ClientPath"), std::nullopt);
}

}  // namespace
}  // namespace kv

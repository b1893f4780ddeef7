#include "runtime/MirrexGeneratorU.h"

#include "VornikTestEnv.h"

#include "kv/Automation.h"

#include <gtest/gtest.h>

#include <QDir>

#include <stdexcept>
#include <string>
#include <vector>

namespace kv {
namespace {

using test::VornikEnvTest;

constexpr const char* kStamp = "[2004/03/15 10:20:30] ";
constexpr const char* kLogName = "/Log/Alert_MirrexGenerator_20040315.log";

// The log file as the lines of the given texts would make it.
std::string LogOf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += kStamp + l + "\n";
    return out;
}

// ---- password scrambling --------------------------------------------------------

TEST(SQLSaScrambling, EncodesEachByteRotatedRightByItsPosition) {
    struct Case {
        std::string plain;
        std::string scrambled;
    };
    // 'A' = 0x41 = 01000001; rotations right by 1..7, then 0 (8th) and 1 again (9th).
    const Case cases[] = {
        {"A", "a0"},
        {"AA", "a050"},
        {"AAAAAAAA", "a05028140a058241"},
        {"AAAAAAAAA", "a05028140a058241a0"},
        {std::string(1, '\xff'), "ff"},
        {std::string(1, '\x01'), "80"},
        {std::string("\x00", 1), "00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scrambled);
        EXPECT_EQ(EncodeSQLSa(c.plain), c.scrambled);
        EXPECT_EQ(DecodeSQLSa(c.scrambled), c.plain);
    }
}

TEST(SQLSaScrambling, EmptyPasswordTravelsAsTheMarker) {
    const std::string stored = EncodeSQLSa("");
    EXPECT_EQ(stored, EncodeSQLSa(kEmptyPasswordMarker));
    EXPECT_EQ(stored.size(), 2 * std::string(kEmptyPasswordMarker).size());
    EXPECT_EQ(DecodeSQLSa(stored), "");
    EXPECT_EQ(DecodeSQLSa(""), "");
}

TEST(SQLSaScrambling, RoundTripsEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::vector<std::string> plains = {"sa", "p@ss w0rd!", "密码", all};
    for (const std::string& p : plains) {
        const std::string scrambled = EncodeSQLSa(p);
        EXPECT_EQ(scrambled.find_first_not_of("0123456789abcdef"), std::string::npos) << "lowercase hex only";
        EXPECT_EQ(DecodeSQLSa(scrambled), p);
    }
}

TEST(SQLSaScrambling, DecodingIgnoresAnOddLastCharacterAndAcceptsUppercase) {
    EXPECT_EQ(DecodeSQLSa("a0f"), "A");
    EXPECT_EQ(DecodeSQLSa("a"), "");
    EXPECT_EQ(DecodeSQLSa("A0"), "A");
    EXPECT_EQ(DecodeSQLSa("A050"), "AA");
}

class SQLSaErrorTest : public VornikEnvTest {};

TEST_F(SQLSaErrorTest, NonHexPairGivesErrorMarkerAndWritesAReport) {
    struct Case {
        std::string scrambled;
        std::string badPair;
    };
    // Only exactly two hex digits count: no sign, blank or "0x" lead.
    const Case cases[] = {{"zz", "zz"}, {"0x", "0x"}, {"+1", "+1"}, {" a", " a"}, {"a0g1", "g1"}, {"a0-1a0", "-1"}};
    const std::string place = EncodeSQLSa("DecodeSQLSa");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scrambled);
        const std::string dir = Root() + "/inst-" + std::to_string(&c - cases);
        WriteRegistry({{"ClientPath", dir}});

        EXPECT_EQ(DecodeSQLSa(c.scrambled), kPasswordErrorMarker);

        const std::string dashes(34, '-');
        EXPECT_EQ(ReadFile(dir + kLogName),
                  LogOf({dashes + " on " + place + " " + dashes, "讯息信息:",
                         "Exception is EConvertError\r\nMessage 01: '$" + c.badPair + "' is not a valid integer value",
                         "ErrorMessage Count: 1", "Programer Message: 解析 Sa 时发生错误!"}));
    }
}

// ---- the generator log ------------------------------------------------------------

class GeneratorLogTest : public VornikEnvTest {};

TEST_F(GeneratorLogTest, AppendsStampedLinesToTheDailyFile) {
    WriteRegistry({{"ClientPath", Root() + "/client/"}});
    EXPECT_TRUE(WriteGeneratorLog(QStringLiteral("first")));
    EXPECT_TRUE(WriteGeneratorLog(QStringLiteral("第二")));
    EXPECT_EQ(ReadFile(Root() + "/client" + kLogName), LogOf({"first", "第二"}));
}

TEST_F(GeneratorLogTest, FolderComesFromClientPathThenServerPathThenTemp) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> registry;  // values; "@" + text writes no key
        std::string expectedDir;                      // below Root()
    };
    const Case cases[] = {
        {"client path first", {{"ClientPath", "{root}/c"}, {"ServerPath", "{root}/s"}}, "/c"},
        {"server path when client path empty", {{"ClientPath", ""}, {"ServerPath", "{root}/s"}}, "/s"},
        {"server path when client path missing", {{"ServerPath", "{root}/s/"}}, "/s"},
        {"backslashes are separators", {{"ClientPath", "{root}\\win\\app\\"}}, "/win/app"},
        {"temporary folder when both empty", {{"ClientPath", ""}, {"ServerPath", ""}}, "/tmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::map<std::string, std::string> values;
        for (const auto& [k, v] : c.registry) {
            std::string text = v;
            if (auto p = text.find("{root}"); p != std::string::npos)
                text.replace(p, 6, Root());
            values[k] = text;
        }
        WriteRegistry(values);
        const std::string file = Root() + c.expectedDir + kLogName;
        QFile::remove(QString::fromStdString(file));

        EXPECT_TRUE(WriteGeneratorLog(QStringLiteral("x")));
        EXPECT_EQ(ReadFile(file), LogOf({"x"}));
    }
}

TEST_F(GeneratorLogTest, MissingOrMalformedRegistryCountsAsEmptyValues) {
    const std::string tempLog = Root() + "/tmp" + kLogName;
    const std::vector<std::string> registries = {
        "",                                                                  // no file at all
        "[HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik]\r\n\"ClientPath\"=\"/nowhere\"\r\n",  // no header
        test::Bytes("\x00\xff\xfe garbage \x01"),
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"ClientPath\"=\"/nowhere\"\r\n",
    };
    for (const std::string& reg : registries) {
        QFile::remove(QString::fromStdString(Root() + "/registry.reg"));
        if (!reg.empty())
            WriteFile(Root() + "/registry.reg", reg);
        QFile::remove(QString::fromStdString(tempLog));
        EXPECT_TRUE(WriteGeneratorLog(QStringLiteral("y")));
        EXPECT_EQ(ReadFile(tempLog), LogOf({"y"}));
    }
}

TEST_F(GeneratorLogTest, LastResortFolderWhenNoTemporaryFolderFits) {
    WriteRegistry({});
    EXPECT_EQ(GeneratorLogBaseDir(), Root() + "/tmp/");
    // A temporary folder longer than the classic 255-character buffer does not count.
    test::ScopedEnv env;
    env.Set("TMPDIR", "/" + std::string(300, 'd'));
    EXPECT_EQ(GeneratorLogBaseDir(), "/tmp");
}

TEST_F(GeneratorLogTest, UnwritableLogReturnsFalseWithoutThrowing) {
    // Files standing where folders must be: refused even for a privileged user.
    WriteFile(Root() + "/blocked/Log", "not a folder");
    WriteRegistry({{"ClientPath", Root() + "/blocked"}});
    EXPECT_FALSE(WriteGeneratorLog(QStringLiteral("lost")));

    WriteFile(Root() + "/file", "a file, not a folder");
    WriteRegistry({{"ClientPath", Root() + "/file"}});
    EXPECT_FALSE(WriteGeneratorLog(QStringLiteral("lost")));

    QDir().mkpath(QString::fromStdString(Root() + "/dirlog" + kLogName));
    WriteRegistry({{"ClientPath", Root() + "/dirlog"}});
    EXPECT_FALSE(WriteGeneratorLog(QStringLiteral("lost")));

    // Reporting into an unwritable log does not raise either.
    const std::runtime_error e("boom");
    EXPECT_NO_THROW(ReportException(&e, QStringLiteral("place"), QStringLiteral("msg")));
    EXPECT_EQ(DecodeSQLSa("zz"), kPasswordErrorMarker);
}

// ---- exception reports ------------------------------------------------------------

class ReportExceptionTest : public VornikEnvTest {
protected:
    void SetUp() override {
        VornikEnvTest::SetUp();
        WriteRegistry({{"ServerPath", Root() + "/srv"}});
    }
    std::string Log() const { return ReadFile(Root() + "/srv" + kLogName); }
};

TEST_F(ReportExceptionTest, WritesTheLinesOfEachExceptionClass) {
    const std::string dashes(34, '-');
    const std::string header = dashes + " on Load " + dashes;
    const EDBEngineError db("engine", {{13059, "Key violation"}, {9729, "Index is out of date"}});
    const EDBEngineError dbEmpty("engine", {});
    const EWin32Error os(5, "Access is denied");
    const EInOutError io(32, "Sharing violation");
    const EOleError ole("Member not found: Foo");
    const std::runtime_error plain("something broke");
    struct Case {
        const char* name;
        const std::exception* e;
        std::vector<std::string> lines;  // between "讯息信息:" and the count
    };
    const Case cases[] = {
        {"database engine", &db,
         {"EDBEngineError Error 01: Code: 13059, Message: Key violation",
          "EDBEngineError Error 02: Code: 9729, Message: Index is out of date"}},
        {"database engine without errors", &dbEmpty, {}},
        {"platform error", &os, {"EWin32Error Error 01: Code: 5, Message: Access is denied"}},
        {"file error", &io, {"EInOutError Error 01: Code: 32, Message: Sharing violation"}},
        {"automation error", &ole, {"Exception is EOleError\r\nMessage 01: Member not found: Foo"}},
        {"standard exception", &plain, {"Exception is std::runtime_error\r\nMessage 01: something broke"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(QString::fromStdString(Root() + "/srv" + kLogName));
        ReportException(c.e, QStringLiteral("Load"), QStringLiteral("while loading"));

        std::vector<std::string> expected = {header, "讯息信息:"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        expected.push_back("ErrorMessage Count: " + std::to_string(c.lines.size()));
        expected.push_back("Programer Message: while loading");
        EXPECT_EQ(Log(), LogOf(expected));
    }
}

TEST_F(ReportExceptionTest, WithoutExceptionPlaceOrMessageOnlyTheHeaderIsWritten) {
    const std::string dashes(34, '-');
    ReportException(nullptr, QString(), QStringLiteral(" \t "));
    EXPECT_EQ(Log(), LogOf({dashes + " " + dashes}));

    QFile::remove(QString::fromStdString(Root() + "/srv" + kLogName));
    ReportException(nullptr, QStringLiteral("Step"), QStringLiteral(" keep blanks "));
    EXPECT_EQ(Log(), LogOf({dashes + " on Step " + dashes, "Programer Message:  keep blanks "}));
}

}  // namespace
}  // namespace kv

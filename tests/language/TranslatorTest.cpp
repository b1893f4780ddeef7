// TTranslator over the real translation library and over small stand-ins with
// missing or misbehaving entries.
#include "language/TranslatorU.h"

#include <dlfcn.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestSupport.h"

using namespace Qt::StringLiterals;

namespace kv {
namespace {

QString Repeat(const QString& piece, int times) {
    QString text;
    text.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

// The message of the ETranslatorError the action throws; "" when it throws none.
template <class Action>
std::string TranslatorErrorOf(Action action) {
    try {
        action();
    } catch (const ETranslatorError& e) {
        return e.what();
    }
    return {};
}

// ---- the real library -----------------------------------------------------------

class RealTranslatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        FEnv.Set("KVN_LIBRARY_PATH", KV_BIN_DIR);
        ASSERT_NO_THROW(FTranslator = std::make_unique<TTranslator>());
    }

    test::ScopedEnv FEnv;
    std::unique_ptr<TTranslator> FTranslator;
};

enum class To { Big5, GB };

struct ConversionCase {
    const char* what;
    To to;
    QString input;
    QString expected;
};

TEST_F(RealTranslatorTest, ConvertsBetweenSimplifiedAndTaiwanTraditional) {
    const ConversionCase cases[] = {
        {"words", To::Big5, u"员工薪资报表"_s, u"員工薪資報表"_s},
        {"one simplified, two traditional", To::Big5, u"头发干燥"_s, u"頭髮乾燥"_s},
        {"Taiwan form of 台", To::Big5, u"台湾"_s, u"臺灣"_s},
        {"Taiwan form of 着", To::Big5, u"着"_s, u"著"_s},
        {"Taiwan form of 为", To::Big5, u"为"_s, u"為"_s},
        {"Taiwan form of 里", To::Big5, u"里面"_s, u"裡面"_s},
        {"the system's own captions", To::Big5, u"后台处理 直接查询 设计报表"_s, u"後臺處理 直接查詢 設計報表"_s},
        {"mixed text", To::Big5, u"工资 2004/03, Payroll: OK!"_s, u"工資 2004/03, Payroll: OK!"_s},
        {"words back", To::GB, u"員工薪資報表"_s, u"员工薪资报表"_s},
        {"Taiwan forms back", To::GB, u"臺灣 裡面 著"_s, u"台湾 里面 着"_s},
        {"captions back", To::GB, u"後臺處理"_s, u"后台处理"_s},
        {"mixed text back", To::GB, u"部門: Sales 12%"_s, u"部门: Sales 12%"_s},
        {"same in both sets", To::Big5, u"公司"_s, u"公司"_s},
        {"Latin, digits, punctuation", To::Big5, u"Hello, 123 (a+b)!?"_s, u"Hello, 123 (a+b)!?"_s},
        {"full-width punctuation", To::GB, u"「報表」，。"_s, u"「报表」，。"_s},
        {"emoji", To::Big5, u"😀👍"_s, u"😀👍"_s},
        {"Japanese kana", To::GB, u"ひらがなカタカナ"_s, u"ひらがなカタカナ"_s},
        {"empty", To::Big5, QString(), QString()},
        {"NUL inside", To::Big5, u"简"_s + QChar(0) + u"体"_s, u"簡"_s + QChar(0) + u"體"_s},
    };
    for (const ConversionCase& c : cases) {
        const QString result = c.to == To::Big5 ? FTranslator->ToBig5(c.input) : FTranslator->ToGB(c.input);
        EXPECT_EQ(result, c.expected) << c.what;
    }
}

TEST_F(RealTranslatorTest, ConvertsMegabyteText) {
    const int times = 1024 * 1024 / 15;  // five characters of three bytes each
    const QString big5 = FTranslator->ToBig5(Repeat(u"简体中文，"_s, times));
    EXPECT_EQ(big5, Repeat(u"簡體中文，"_s, times));
    EXPECT_EQ(FTranslator->ToGB(big5), Repeat(u"简体中文，"_s, times));
}

// ---- libraries that are missing or incomplete ---------------------------------------

TEST(TranslatorLoadTest, MissingLibraryIsReportedByName) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    test::ScopedEnv env;
    env.Set("KVN_LIBRARY_PATH", empty.path().toStdString());
    try {
        TTranslator translator;
        FAIL() << "a translator without its library";
    } catch (const ETranslatorError& e) {
        EXPECT_STREQ(e.what(), "Load Library Vizudiziva.dll Error!");
        EXPECT_NE(e.Detail().find("Vizudiziva.so"), std::string::npos) << e.Detail();
    }
}

class StandInTranslatorTest : public ::testing::Test {
protected:
    void SetUp() override { FEnv.Set("KVN_LIBRARY_PATH", KV_LANGUAGE_TESTLIBS); }

    static bool IsLoaded(const char* file) {
        const std::string path = std::string(KV_LANGUAGE_TESTLIBS) + "/" + file;
        void* handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (handle) ::dlclose(handle);
        return handle != nullptr;
    }

    test::ScopedEnv FEnv;
};

TEST_F(StandInTranslatorTest, LibraryWithOnlyTheTwoConversionsIsAccepted) {
    TTranslator translator("TwoFunctions.dll");
    EXPECT_EQ(translator.ToBig5(u"ab"_s), u"abab"_s);
    EXPECT_EQ(translator.ToGB(u"ab"_s), u"GB:ab"_s);
}

TEST_F(StandInTranslatorTest, LoadingAgainKeepsTheLoadedLibrary) {
    TTranslator translator("TwoFunctions.dll");
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    FEnv.Set("KVN_LIBRARY_PATH", empty.path().toStdString());  // a new search would fail
    EXPECT_NO_THROW(translator.LoadTranslationLibrary());
    EXPECT_EQ(translator.ToGB(u"ab"_s), u"GB:ab"_s);
}

TEST_F(StandInTranslatorTest, LibraryLackingBig5toGBIsRefusedAndReleased) {
    EXPECT_EQ(TranslatorErrorOf([] { TTranslator translator("NoBig5toGB.dll"); }),
              "Get Library Procedure Address Error!");
    EXPECT_FALSE(IsLoaded("NoBig5toGB.so")) << "the refused library stays mapped";
}

TEST_F(StandInTranslatorTest, LibraryStaysWhileAnotherTranslatorUsesIt) {
    auto first = std::make_unique<TTranslator>("TwoFunctions.dll");
    TTranslator second("TwoFunctions.dll");
    first.reset();
    EXPECT_EQ(second.ToBig5(u"x"_s), u"xx"_s);
    EXPECT_TRUE(IsLoaded("TwoFunctions.so"));
}

TEST_F(StandInTranslatorTest, LastTranslatorReleasesTheLibrary) {
    { TTranslator translator("TwoFunctions.dll"); }
    EXPECT_FALSE(IsLoaded("TwoFunctions.so"));
}

TEST_F(StandInTranslatorTest, ResultLongerThanTheFirstBufferIsComplete) {
    TTranslator translator("TwoFunctions.dll");
    const QString text = Repeat(u"abcdefgh"_s, 1000);
    EXPECT_EQ(translator.ToBig5(text), text + text);
}

TEST_F(StandInTranslatorTest, LibraryFailuresAreErrorsNotSilentTexts) {
    TTranslator translator("TwoFunctions.dll");
    const struct {
        QString input;
        std::string message;
    } cases[] = {
        {u"fail"_s, "BIG5toGB of TwoFunctions.dll failed: the conversion tables could not be loaded"},
        {u"keeps asking"_s, "BIG5toGB of TwoFunctions.dll failed: the result did not fit"},
        {u"overclaim"_s, "BIG5toGB of TwoFunctions.dll failed: the result did not fit"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TranslatorErrorOf([&] { translator.ToGB(c.input); }), c.message) << c.input.toStdString();
}

}  // namespace
}  // namespace kv

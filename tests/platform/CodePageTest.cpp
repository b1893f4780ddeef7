#include "platform/CodePage.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace kv {
namespace {

struct RoundTrip {
    int CodePage;
    const char* Unicode;
    std::string Bytes;
};

const RoundTrip kRoundTrips[] = {
    {936, "中文报表", "\xD6\xD0\xCE\xC4\xB1\xA8\xB1\xED"},
    {936, "€", "\x80"},
    {950, "中文", "\xA4\xA4\xA4\xE5"},
    {950, "€", "\xA3\xE1"},
    {437, "é½", "\x82\xAB"},
    {437, "plain ASCII", "plain ASCII"},
    {936, "", ""},
};

TEST(CodePage, ConvertsBothWaysForTheProductCodePages) {
    for (const auto& c : kRoundTrips) {
        std::string bytes, text;
        ASSERT_TRUE(UnicodeToCodePage(c.Unicode, c.CodePage, bytes)) << c.CodePage << " " << c.Unicode;
        EXPECT_EQ(bytes, c.Bytes) << c.CodePage << " " << c.Unicode;
        ASSERT_TRUE(CodePageToUnicode(c.Bytes, c.CodePage, text)) << c.CodePage;
        EXPECT_EQ(text, c.Unicode) << c.CodePage;
    }
}

TEST(CodePage, RefusesWhatCannotBeConvertedAndLeavesOutputAlone) {
    struct Case {
        bool ToCodePage;
        int CodePage;
        std::string Input;
    } const cases[] = {
        {true, 437, "中"},            // no Chinese in the DOS code page
        {true, 950, "报"},            // simplified character: not in Big5
        {true, 936, "한"},            // Hangul: not in GBK
        {true, 936, "ok\xFF"},        // not UTF-8
        {true, 936, "\xE4\xB8"},      // UTF-8 cut in the middle of a character
        {false, 936, "\xD6"},         // lead byte without its trail byte
        {false, 950, "\xA4\x20"},     // trail byte out of range
        {true, 12345, "abc"},         // no such code page
        {false, 0, "abc"},
        {false, -936, "abc"},
    };
    for (const auto& c : cases) {
        std::string out = "untouched";
        const bool ok = c.ToCodePage ? UnicodeToCodePage(c.Input, c.CodePage, out)
                                     : CodePageToUnicode(c.Input, c.CodePage, out);
        EXPECT_FALSE(ok) << c.CodePage << " " << c.Input;
        EXPECT_EQ(out, "untouched") << c.CodePage << " " << c.Input;
    }
}

TEST(CodePage, KnowsCodePagesByNumber) {
    EXPECT_TRUE(IsCodePageSupported(936));
    EXPECT_TRUE(IsCodePageSupported(950));
    EXPECT_TRUE(IsCodePageSupported(437));
    EXPECT_TRUE(IsCodePageSupported(1252));
    EXPECT_TRUE(IsCodePageSupported(65001));
    EXPECT_FALSE(IsCodePageSupported(12345));
    EXPECT_FALSE(IsCodePageSupported(0));
}

TEST(CodePage, LongTextsGrowTheOutput) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "报表€";
    std::string bytes, back;
    ASSERT_TRUE(UnicodeToCodePage(text, 936, bytes));
    EXPECT_EQ(bytes.size(), 5000u * 5);
    ASSERT_TRUE(CodePageToUnicode(bytes, 936, back));
    EXPECT_EQ(back, text);
}

TEST(CodePage, ThreadsConvertIndependently) {
    // A shared conversion state would mix the threads' texts.
    auto work = [](int codePage, std::string text, bool* allGood) {
        for (int i = 0; i < 2000; ++i) {
            std::string bytes, back;
            if (!UnicodeToCodePage(text, codePage, bytes) || !CodePageToUnicode(bytes, codePage, back) ||
                back != text) {
                *allGood = false;
                return;
            }
        }
    };
    bool good[3] = {true, true, true};
    std::vector<std::thread> threads;
    threads.emplace_back(work, 936, "中文报表一二三", &good[0]);
    threads.emplace_back(work, 950, "中文報表一二三", &good[1]);
    threads.emplace_back(work, 437, "café ½ ±", &good[2]);
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(good[0]);
    EXPECT_TRUE(good[1]);
    EXPECT_TRUE(good[2]);
}

TEST(SystemCodePage, ComesFromOverrideElseLocale) {
    struct Case {
        const char* Override;
        const char* LcAll;
        const char* LcCtype;
        const char* Lang;
        int Expected;
    } const cases[] = {
        {"1252", "", "", "zh_CN.UTF-8", 1252},  // the override wins, taken as it is
        {" 950 ", "", "", "", 950},
        {"abc", "", "", "zh_TW.UTF-8", 950},  // not a number: the locale decides
        {"0", "", "", "zh_CN.UTF-8", 936},
        {"-936", "", "", "", 437},
        {"", "", "", "zh_CN.UTF-8", 936},
        {"", "", "", "zh_TW.UTF-8", 950},
        {"", "", "", "zh_HK", 950},
        {"", "", "", "zh_SG.UTF-8", 936},
        {"", "", "", "zh_cn", 936},
        {"", "", "", "zh_CN.UTF-8@stroke", 936},
        {"", "", "", "en_US.GB18030", 936},  // the codeset alone decides too
        {"", "", "", "en_US.gb2312", 936},
        {"", "", "", "C.big5", 950},
        {"", "", "", "zh_HK.BIG5-HKSCS", 950},
        {"", "", "", "en_US.UTF-8", 437},
        {"", "", "", "de_DE.ISO-8859-1", 437},
        {"", "", "", "C", 437},
        {"", "", "", "", 437},
        {"", "zh_TW.Big5", "zh_CN.GBK", "zh_CN.GBK", 950},  // LC_ALL before the others
        {"", "", "zh_HK.UTF-8", "en_US.UTF-8", 950},       // LC_CTYPE before LANG
    };
    for (const auto& c : cases) {
        test::ScopedEnv env;
        env.Set("KVN_SYSTEM_CODEPAGE", c.Override);
        env.Set("LC_ALL", c.LcAll);
        env.Set("LC_CTYPE", c.LcCtype);
        env.Set("LANG", c.Lang);
        EXPECT_EQ(SystemCodePage(), c.Expected)
            << "override '" << c.Override << "' LC_ALL '" << c.LcAll << "' LC_CTYPE '" << c.LcCtype << "' LANG '"
            << c.Lang << "'";
    }
}

}  // namespace
}  // namespace kv

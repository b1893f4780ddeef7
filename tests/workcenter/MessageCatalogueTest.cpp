// GetMessage: every message the plug-in raises has a text in each language, with
// the placeholders its callers fill.
#include <QString>

#include <map>
#include <set>

#include "WorkCenterTestSupport.h"

namespace kv::test {
namespace {

struct UsedMessage {
    const char* kind;
    const char* id;
    int placeholders;  // "%s" the caller fills
};

// Every kind and id the plug-in looks up, with the parameters it passes.
const UsedMessage kUsed[] = {
    {"E", "000001", 1}, {"E", "000005", 2}, {"E", "000006", 0}, {"E", "000013", 1}, {"E", "000015", 0},
    {"E", "000016", 0}, {"E", "000030", 1}, {"E", "000036", 0}, {"E", "000037", 0}, {"E", "000038", 0},
    {"E", "100082", 2}, {"I", "000003", 1}, {"I", "000004", 1}, {"I", "000005", 0}, {"I", "000008", 0},
    {"I", "000009", 0}, {"I", "000010", 0}, {"I", "000011", 0}, {"W", "000002", 3}, {"W", "000003", 3},
    {"W", "000004", 1}, {"W", "000014", 0}, {"R", "100235", 0}, {"R", "100236", 0}, {"R", "200235", 0},
};

int CountPlaceholders(const QString& text) {
    int n = 0;
    for (qsizetype i = text.indexOf(u'%'); i >= 0; i = text.indexOf(u'%', i + 2)) {
        EXPECT_LT(i + 1, text.size()) << "a lone % ends " << S(text);
        if (i + 1 < text.size()) {
            EXPECT_EQ(text[i + 1], u's') << "only %s placeholders are filled: " << S(text);
            ++n;
        }
    }
    return n;
}

class WorkCenterMessageTest : public WorkCenterFixture {};

TEST_F(WorkCenterMessageTest, EveryUsedMessageHasItsTextInEachLanguage) {
    const char* unknownMarkers[] = {"信息库中没有", "訊息庫中沒有", "No such message"};
    const char* languages[] = {"936", "950", "437"};
    std::map<std::string, std::set<std::string>> textsByLanguage;
    for (int l = 0; l < 3; ++l) {
        Manager().Set("Language", Variant(languages[l]));
        for (const UsedMessage& m : kUsed) {
            const QString text = QString::fromStdString(Manager().Call("GetMessage", m.kind, m.id).ToString());
            SCOPED_TRACE(std::string(languages[l]) + " " + m.kind + " " + m.id + ": " + S(text));
            EXPECT_FALSE(text.trimmed().isEmpty());
            EXPECT_FALSE(text.contains(QString::fromUtf8(unknownMarkers[l])));
            EXPECT_EQ(CountPlaceholders(text), m.placeholders);
            textsByLanguage[languages[l]].insert(S(text));
        }
    }
    // Distinct messages have distinct texts, and the languages differ from English.
    EXPECT_EQ(textsByLanguage["936"].size(), std::size(kUsed));
    EXPECT_EQ(textsByLanguage["437"].size(), std::size(kUsed));
    EXPECT_NE(textsByLanguage["936"], textsByLanguage["437"]);
    EXPECT_NE(textsByLanguage["936"], textsByLanguage["950"]);
}

TEST_F(WorkCenterMessageTest, LanguageComesFromThePropertyOptionOrEnvironment) {
    struct Case {
        const char* option;
        const char* env;
        const char* expected;  // the R 100235 text
    } cases[] = {
        {"", nullptr, "页脚"}, {"936", "eng", "页脚"}, {"cht", nullptr, "頁尾"}, {"437", nullptr, "Footer"},
        {"", "950", "頁尾"},   {"", "ENG", "Footer"},  {"", "klingon", "页脚"},
    };
    for (const Case& c : cases) {
        ScopedEnv env("KVN_LANGUAGE", c.env ? std::optional<std::string>(c.env) : std::nullopt);
        WorkCenterOptions o = options;
        o.Language = c.option;
        const Variant m = CreateWorkCenterManager(o);
        EXPECT_EQ(m.Call("GetMessage", "R", "100235").ToString(), c.expected) << c.option << "/" << (c.env ? c.env : "-");
    }
    EXPECT_EQ(Manager().Get("Language").ToString(), "936");
    Manager().Set("Language", Variant("eng"));
    EXPECT_EQ(Manager().Get("Language").ToString(), "437");
    EXPECT_THROW(Manager().Set("Language", Variant("1252")), EOleError);
    EXPECT_EQ(Manager().Get("Language").ToString(), "437");
}

TEST_F(WorkCenterMessageTest, IdFormsNameTheSameMessage) {
    const std::string expected = Manager().Call("GetMessage", "I", "000004").ToString();
    EXPECT_EQ(Manager().Call("GetMessage", "I", "-000004").ToString(), expected);  // silent code's id
    EXPECT_EQ(Manager().Call("GetMessage", "i", " 4 ").ToString(), expected);
    EXPECT_EQ(Manager().Call("GetMessage", "I", Variant(std::int32_t{4})).ToString(), expected);
    EXPECT_EQ(Manager().Call("GetMessage", "I", Variant::Bytes("000004")).ToString(), expected);
}

TEST_F(WorkCenterMessageTest, UnknownMessagesSayWhichAndCarryNoPlaceholder) {
    struct Case {
        const char* kind;
        const char* id;
        const char* shown;
    } cases[] = {
        {"E", "999999", "E 999999"},
        {"Q", "000001", "Q 000001"},
        {"E", "%s%s%n", "E ssn"},      // "%" never reaches the caller's formatting
        {"", "", ""},
        {"E", "1234567", "E 1234567"},  // more than six digits
    };
    for (const Case& c : cases) {
        const QString text = QString::fromStdString(Manager().Call("GetMessage", c.kind, c.id).ToString());
        EXPECT_TRUE(text.startsWith(QStringLiteral("信息库中没有此信息："))) << S(text);
        EXPECT_TRUE(text.endsWith(QString::fromUtf8(c.shown))) << S(text);
        EXPECT_FALSE(text.contains(u'%')) << S(text);
    }
    EXPECT_THROW(Manager().Call("GetMessage", "E"), EOleError);
    EXPECT_THROW(Manager().Call("GetMessage", "E", Variant::ArrayOf({Variant("1")})), EOleError);
}

}  // namespace
}  // namespace kv::test

// The host request from the command line: JSON to Variant, and the request built
// from a file and/or a Mode.
#include <gtest/gtest.h>

#include "HostRequest.h"
#include "HostTestSupport.h"

namespace kv::test {
namespace {

struct JsonCase {
    const char* json;
    const char* expected;  // DebugString of the Variant; nullptr: refused
    const char* reason;    // part of the refusal
};

TEST(VariantFromJsonTest, ValuesBecomeVariantsAndObjectsAndBadTextAreRefused) {
    const JsonCase cases[] = {
        {"[1, \"HRWR07\", true, null]", "Array[0..3]{1, \"HRWR07\", True, Null}", ""},
        {"[[], [[\"\", \"edYear\"]]]", "Array[0..1]{Array[0..-1]{}, Array[0..0]{Array[0..1]{\"\", \"edYear\"}}}", ""},
        {"\"薪资明细表\"", "\"薪资明细表\"", ""},
        {"-2147483648", "-2147483648", ""},
        {"2147483648", "2147483648", ""},  // no 32-bit integer: a double
        {"2.5", "2.5", ""},
        {"{\"Mode\": 1}", nullptr, "object"},
        {"[1, {\"a\": 2}]", nullptr, "object"},
        {"[1, 2", nullptr, ""},
        {"1, 2", nullptr, ""},
        {"", nullptr, ""},
    };
    for (const JsonCase& c : cases) {
        SCOPED_TRACE(c.json);
        QString error;
        const std::optional<Variant> v = VariantFromJson(QByteArray(c.json), &error);
        if (c.expected) {
            ASSERT_TRUE(v.has_value()) << error.toStdString();
            EXPECT_EQ(DebugString(*v), c.expected);
        } else {
            EXPECT_FALSE(v.has_value());
            EXPECT_FALSE(error.isEmpty());
            EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
        }
    }
}

TEST(VariantFromJsonTest, NumbersKeepTheirVariantKind) {
    QString error;
    EXPECT_EQ(VariantFromJson("7", &error)->Type(), VarType::Int);
    EXPECT_EQ(VariantFromJson("2147483648", &error)->Type(), VarType::Double);
    EXPECT_EQ(VariantFromJson("7.25", &error)->Type(), VarType::Double);
}

TEST(VariantFromJsonTest, NestingDeeperThanAnyRequestIsRefusedNotRecursedInto) {
    const auto nested = [](int levels) { return QByteArray(levels, '[') + QByteArray(levels, ']'); };
    for (const int refused : {33, 500, 100000}) {
        SCOPED_TRACE(refused);
        QString error;
        EXPECT_FALSE(VariantFromJson(nested(refused), &error).has_value());
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    EXPECT_TRUE(VariantFromJson(nested(32), &error).has_value()) << error.toStdString();
}

class BuildRequestTest : public HostEnvTest {};

TEST_F(BuildRequestTest, FileModeAndBothMakeTheRequest) {
    const QString file = Path("request.json");
    WriteFile(file, R"([0, [true, [[["", "edYear"]], [["2024"]]]]])");
    struct Case {
        const char* name;
        QString file;
        std::optional<int> mode;
        const char* expected;
    } cases[] = {
        {"file alone", file, std::nullopt,
         "Array[0..1]{0, Array[0..1]{True, Array[0..1]{Array[0..0]{Array[0..1]{\"\", \"edYear\"}}, "
         "Array[0..0]{Array[0..0]{\"2024\"}}}}}"},
        {"the Mode replaces the file's", file, 3,
         "Array[0..1]{3, Array[0..1]{True, Array[0..1]{Array[0..0]{Array[0..1]{\"\", \"edYear\"}}, "
         "Array[0..0]{Array[0..0]{\"2024\"}}}}}"},
        {"Mode alone", QString(), 1, "Array[0..1]{1, Array[0..1]{True, Array[0..1]{Array[0..-1]{}, Array[0..-1]{}}}}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const std::optional<Variant> request = BuildHostRequest(c.file, c.mode, &error);
        ASSERT_TRUE(request.has_value()) << error.toStdString();
        EXPECT_EQ(DebugString(*request), c.expected);
        EXPECT_TRUE(error.isEmpty());
    }
}

TEST_F(BuildRequestTest, NoRequestIsNotAnError) {
    QString error = QStringLiteral("stale");
    EXPECT_FALSE(BuildHostRequest(QString(), std::nullopt, &error).has_value());
    EXPECT_TRUE(error.isEmpty());
}

TEST_F(BuildRequestTest, UnusableFilesAreRefusedWithTheirName) {
    struct Case {
        const char* name;
        const char* content;  // nullptr: the file does not exist
    } cases[] = {
        {"missing", nullptr},
        {"not JSON", "Mode=1"},
        {"not [Mode, [IsScheme, values]]", "[1, 2]"},
        {"three elements", "[1, [true, []], 3]"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = Path(QStringLiteral("bad-%1.json").arg(++n));
        if (c.content) WriteFile(file, c.content);
        QString error;
        EXPECT_FALSE(BuildHostRequest(file, 1, &error).has_value());
        EXPECT_TRUE(error.contains(file)) << error.toStdString();
    }
}

TEST(ApplyRequestParamsTest, TheRequestIsElementOne) {
    const Variant request = Variant::ArrayOf({Variant(std::int32_t{2}), Variant::ArrayOf({Variant(true)})});
    const Variant params = ApplyRequestParams(request);
    ASSERT_TRUE(params.IsArray());
    EXPECT_EQ(params.LowBound(), 0);
    EXPECT_EQ(params.HighBound(), 1);
    EXPECT_EQ(params[1], request);
}

}  // namespace
}  // namespace kv::test

// The validator: CheckValue and QueryData(table, key, DbName, parameters, var Row)
// for every table and key the dialog uses, with the columns the forms read.
#include <QStringEncoder>

#include "ReportCounterStore.h"
#include "WorkCenterTestSupport.h"

namespace kv::test {
namespace {

class WorkCenterValidatorTest : public WorkCenterFixture {
protected:
    // QueryData through Invoke, as late binding calls it: Row comes back in args[4].
    bool Query(const char* table, const char* key, const Variant& params, Variant& row, const char* member = "QueryData") {
        std::vector<Variant> args = {Variant(table), Variant(key), Variant("DEMO"), params, row};
        const Variant found = Validator().ToDispatch()->Invoke(member, InvokeKind::Method, args);
        EXPECT_EQ(found.Type(), VarType::Bool);
        row = args[4];
        return found.ToBool();
    }
    bool Found(const char* table, const char* key, const Variant& params) {
        Variant row;
        return Query(table, key, params, row);
    }
};

struct RowCase {
    const char* table;
    const char* key;
    std::vector<const char*> params;
    std::size_t columns;
    std::vector<std::pair<int, const char*>> expect;  // column index -> value
};

// What the forms read from each row.
const RowCase kRows[] = {
    // program name [0], log flag [4], English name [7] (more than seven columns)
    {"ADMMB", "01", {"HRWR07"}, 8, {{0, "薪资明细表"}, {4, "Y"}, {7, "Payroll Detail Report"}}},
    {"ADMMB", "01", {"hrwr07"}, 8, {{1, "HRWR07"}}},
    {"ADMMB", "01", {"HRWR01"}, 8, {{0, "员工花名册"}, {4, "N"}}},
    // direct-query lock [3]
    {"ADMMB", "11", {"HRWR02"}, 4, {{3, "Y"}}},
    {"ADMMB", "11", {"HRWR07"}, 4, {{3, "N"}}},
    // footer [0] on [1] lines [3..5], sign-off [6] on [7] lines [9..11]
    {"CMSMT", "01", {"HRWR07"}, 12,
     {{0, "F01"}, {1, "Y"}, {3, "本报表仅供公司内部使用"}, {4, "打印人: ________"}, {5, "如有疑问请联系人力资源部"},
      {6, "S01"}, {7, "Y"}, {9, "制表:"}, {10, "审核:"}, {11, "核准:"}}},
    {"CMSMT", "01", {"HRWR01"}, 12, {{1, "N"}, {7, "N"}}},
    {"CMSMT", "01", {"HRWR02"}, 12, {{6, ""}, {9, ""}}},  // no sign-off: empty, not Null
    // footer or sign-off by [type, ID]: lines [1..3]
    {"CMSMS", "01", {"1", "F01"}, 5, {{0, "F01"}, {1, "本报表仅供公司内部使用"}, {2, "打印人: ________"}, {3, "如有疑问请联系人力资源部"}}},
    {"CMSMS", "01", {"2", "S03"}, 5, {{1, "製表:"}, {2, "覆核:"}, {3, "核准:"}}},
    // the web report site [0]
    {"CMSMA", "02", {""}, 3, {{0, "http://127.0.0.1:8080/WebReport"}}},
    {"CMSMA", "02", {"C02"}, 3, {{0, "http://127.0.0.1:8080/WebReportTW"}}},
    // half-month payroll [3]
    {"PALMA", "01", {""}, 6, {{3, "Y"}}},
    {"PALMA", "01", {"C02"}, 6, {{3, "N"}, {4, "TWD"}}},
    {"TAXMA", "01", {"C01"}, 7, {{0, "C01"}, {1, "芬摩科技股份有限公司"}}},
    {"TAXMA", "01", {"C02"}, 7, {{2, "芬摩台灣"}}},
    {"CMSME", "01", {"T01"}, 5, {{1, "業務部"}, {2, "C02"}}},
    {"CMSME", "01", {"D03"}, 5, {{1, "人力资源部"}}},
    {"CMSMV", "01", {"E0101"}, 7, {{1, "陳美玲"}, {2, "T01"}, {3, "C02"}}},
    {"CMSMV", "01", {"E0001"}, 7, {{1, "张伟"}, {2, "D01"}}},
    // recipient ID, name, mobile, mail [0..3]
    {"KVNMA", "04", {"DS"}, 6, {{0, "DS"}, {1, "系统管理员"}, {2, "13800009999"}, {3, "admin@fenmor.example"}}},
};

TEST_F(WorkCenterValidatorTest, QueryDataGivesTheRowTheFormsRead) {
    for (const RowCase& c : kRows) {
        std::vector<Variant> params(c.params.begin(), c.params.end());
        for (const char* member : {"QueryData", "CheckValue"}) {
            SCOPED_TRACE(std::string(member) + " " + c.table + " " + c.key + " " + (c.params.empty() ? "" : c.params.back()));
            Variant row("stale");
            ASSERT_TRUE(Query(c.table, c.key, Variant::ArrayOf(params), row, member));
            ASSERT_TRUE(row.IsArray());
            EXPECT_EQ(row.LowBound(), 0);
            EXPECT_EQ(row.ElementCount(), c.columns);
            for (const auto& [index, value] : c.expect) EXPECT_EQ(row[index], Variant(value)) << "column " << index;
        }
    }
}

TEST_F(WorkCenterValidatorTest, MissingRowsAnswerFalseAndEmptyTheRow) {
    struct Case {
        const char* table;
        const char* key;
        std::vector<const char*> params;
    } cases[] = {
        {"TAXMA", "01", {"C99"}},  {"CMSMV", "01", {"e0001"}}, {"CMSMS", "01", {"1", "S01"}},  // a sign-off is no footer
        {"ADMMB", "01", {"HRWR99"}}, {"CMSMT", "01", {"HRWB01"}}, {"PALMA", "01", {"C99"}},
        {"KVNMA", "04", {""}},
    };
    for (const Case& c : cases) {
        Variant row("stale");
        EXPECT_FALSE(Query(c.table, c.key, Variant::ArrayOf(std::vector<Variant>(c.params.begin(), c.params.end())), row))
            << c.table << " " << c.params.back();
        EXPECT_TRUE(row.IsEmpty());
    }
}

TEST_F(WorkCenterValidatorTest, ParametersAreValuesNeverSql) {
    const char* attempts[] = {
        "' OR '1'='1",  "C01' --", "C01'; DROP TABLE TAXMA; --", "%", "C0_", "\" OR 1=1 --", "C01\\", "' UNION SELECT 1,2,3,4,5,6,7 --",
    };
    for (const char* a : attempts) {
        EXPECT_FALSE(Found("TAXMA", "01", Texts({a}))) << a;
        EXPECT_FALSE(Found("CMSMS", "01", Texts({"1", a}))) << a;
        EXPECT_FALSE(Found("ADMMB", "01", Texts({a}))) << a;
    }
    // Table and key names choose among fixed queries; they are never spliced in.
    EXPECT_THROW(Found("TAXMA; DROP TABLE TAXMA", "01", Texts({"C01"})), EOleError);
    EXPECT_THROW(Found("TAXMA", "01 OR 1=1", Texts({"C01"})), EOleError);
    EXPECT_TRUE(Found("TAXMA", "01", Texts({"C01"})));
    EXPECT_TRUE(Found(" taxma ", "01", Texts({"C01"})));  // names match trimmed, without regard to case
}

TEST_F(WorkCenterValidatorTest, ParameterShapes) {
    EXPECT_TRUE(Found("TAXMA", "01", Variant("C01")));                    // a single value
    EXPECT_TRUE(Found("TAXMA", "01", Variant::ArrayOf({Variant::Bytes("C01")})));  // single-byte text
    Variant fromOne = Variant::Array(1, 1);                               // any low bound
    fromOne[1] = Variant("C02");
    EXPECT_TRUE(Found("TAXMA", "01", fromOne));
    EXPECT_TRUE(Found("TAXMA", "01", Texts({"C01", "extra", "ignored"})));
    EXPECT_THROW(Found("CMSMS", "01", Texts({"1"})), EOleError);          // too few for the key
    EXPECT_THROW(Found("PALMA", "01", Variant()), EOleError);
    EXPECT_THROW(Found("TAXMA", "01", Variant::ArrayOf({Texts({"C01"})})), EOleError);  // nested
    EXPECT_THROW(Found("TAXMA", "01", Variant::Array2(0, 0, 0, 0)), EOleError);
    std::vector<Variant> tooFew = {Variant("TAXMA"), Variant("01"), Variant("DEMO"), Texts({"C01"})};
    EXPECT_THROW(Validator().ToDispatch()->Invoke("QueryData", InvokeKind::Method, tooFew), EOleError);
}

TEST_F(WorkCenterValidatorTest, BaseLimitedHidesOtherCompanies) {
    EXPECT_EQ(Validator().Get("BaseLimited"), Variant(""));
    Validator().Set("BaseLimited", Variant::Bytes("CMP\x03" "1\x03" "C02\x03"));
    EXPECT_FALSE(Found("TAXMA", "01", Texts({"C01"})));
    EXPECT_TRUE(Found("TAXMA", "01", Texts({"C02"})));
    EXPECT_FALSE(Found("CMSMV", "01", Texts({"E0001"})));
    EXPECT_TRUE(Found("CMSMV", "01", Texts({"E0101"})));
    EXPECT_TRUE(Found("PALMA", "01", Texts({""})));  // the database's own setting belongs to no company
    EXPECT_TRUE(Found("ADMMB", "01", Texts({"HRWR07"})));  // programs are not per company

    // A malformed list is refused and the limit in force stays.
    for (const char* bad : {"C02", "P\x03" "2\x03" "C01\x03", "P\x03x\x03", "P\x03" "1\x03" "C01"})
        EXPECT_THROW(Validator().Set("BaseLimited", Variant(bad)), EOleError) << bad;
    EXPECT_FALSE(Found("TAXMA", "01", Texts({"C01"})));

    Validator().Set("BaseLimited", Variant("\x03" "0\x03"));  // what the server sends without limits
    EXPECT_TRUE(Found("TAXMA", "01", Texts({"C01"})));
    Validator().Set("BaseLimited", Variant(""));
    EXPECT_TRUE(Found("CMSMV", "01", Texts({"E0001"})));

    Validator().Set("ProductID", Variant(std::int32_t{5}));
    EXPECT_EQ(Validator().Get("ProductID"), Variant(std::int32_t{5}));
    EXPECT_THROW(Validator().Set("ProductID", Variant("five")), EOleError);
}

// Schemes live in the application server's store; the save dialog asks whether a
// name is taken before it offers to replace.
TEST_F(WorkCenterValidatorTest, GenesFindsSchemesInTheApplicationServersStore) {
    EXPECT_FALSE(Found("GENES", "01", Texts({"月报", "DS", "HRWR07"})));  // no store yet: no schemes
    const QByteArray gbName = QStringEncoder("GB18030")(QStringLiteral("年报"));
    ASSERT_TRUE(QDir().mkpath(Path("data")));
    {
        appserver::TReportCounterStore store(options.SchemeStorePath);
        store.SaveScheme({Variant("月报"), "DS", "HRWR07", Variant("sp01"), Variant("C01"), "20240517"}, false);
        store.SaveScheme({Variant::Bytes(gbName.toStdString()), "DS", "HRWR07", Variant("sp01"), Variant("C02"), "20240518"},
                         false);
    }
    Variant row;
    ASSERT_TRUE(Query("GENES", "01", Texts({"月报", "DS", "hrwr07"}), row));
    EXPECT_EQ(row[0], Variant("月报"));
    EXPECT_EQ(row[3], Variant("20240517"));
    // A name sent in the database encoding matches the one stored that way.
    EXPECT_TRUE(Found("GENES", "01", Variant::ArrayOf({Variant::Bytes(gbName.toStdString()), Variant("DS"), Variant("HRWR07")})));
    EXPECT_FALSE(Found("GENES", "01", Texts({"月报", "E0005", "HRWR07"})));  // another user's
    EXPECT_FALSE(Found("GENES", "01", Texts({"月报", "DS", "HRWR01"})));     // another program's
    EXPECT_FALSE(Found("GENES", "01", Texts({"月", "DS", "HRWR07"})));
}

}  // namespace
}  // namespace kv::test

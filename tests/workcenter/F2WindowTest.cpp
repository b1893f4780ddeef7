// The lookup-window service: the data behind F2 lookups, the lookup, date and phrase
// dialogs run through the modal seam, and the scripted answers of headless runs.
#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QPixmap>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QStringEncoder>
#include <QTableView>

#include "HostScript.h"
#include "LookupDialogs.h"
#include "TableCatalogue.h"
#include "WorkCenterContext.h"
#include "WorkCenterTestSupport.h"

namespace kv::test {
namespace {

using workcenter::TCalendarDialog;
using workcenter::TLookupDialog;
using workcenter::TPhraseDialog;

// The request the dialog sends: 19 elements in edition 9, 17 in edition 7.
Variant F2Request(const char* table, const char* key, const Variant& params, bool multiple, const Variant& filter,
                  int elements = 19, const Variant& baseLimited = Variant::Bytes("\x03" "0\x03")) {
    std::vector<Variant> r = {Variant(table), Variant(key), params, Variant(multiple), filter, Variant("C01"),
                              Variant("DEMO"), Variant(std::int32_t{0}), Variant(std::int32_t{1}), Variant(false),
                              Variant(std::int32_t{1}), Variant(""), Variant(""), Variant(""), baseLimited,
                              Variant(true), Variant(true), Variant(), Variant("DS")};
    r.resize(static_cast<std::size_t>(elements));
    return Variant::ArrayOf(std::move(r));
}

std::vector<std::string> FirstColumn(const workcenter::TRowSet& set) {
    std::vector<std::string> ids;
    for (const auto& row : set.Rows) ids.push_back(row[0].ToString());
    return ids;
}

class WorkCenterLookupTest : public WorkCenterFixture {
protected:
    workcenter::TRowSet Rows(const char* table, const char* key, std::vector<Variant> params, const char* filter,
                             const workcenter::TCompanyLimit& limit = {}) {
        workcenter::TWorkCenterContext context(options);
        const workcenter::TTableKey* def = workcenter::FindTableKey(QString::fromUtf8(table), QString::fromUtf8(key));
        EXPECT_NE(def, nullptr);
        return workcenter::LookupRows(context, *def, params, QString::fromUtf8(filter), limit,
                                      workcenter::Language::Simplified);
    }
};

TEST_F(WorkCenterLookupTest, LookupRowsAreNarrowedByParametersFilterAndLimit) {
    using V = std::vector<std::string>;
    EXPECT_EQ(FirstColumn(Rows("TAXMA", "01", {Variant("")}, "")), (V{"C01", "C02", "C03"}));
    EXPECT_EQ(FirstColumn(Rows("CMSME", "01", {Variant("C02")}, "")), (V{"T01", "T02"}));
    EXPECT_EQ(FirstColumn(Rows("CMSMV", "01", {Variant("")}, "E010")), (V{"E0101", "E0102", "E0103", "E0104"}));
    EXPECT_EQ(FirstColumn(Rows("CMSMV", "01", {Variant("")}, "陳")), (V{"E0101"}));
    EXPECT_EQ(FirstColumn(Rows("CMSMV", "01", {Variant("")}, " ZHANG wei ")), (V{"E0001"}));  // any column, any case
    EXPECT_EQ(FirstColumn(Rows("CMSMV", "01", {Variant("C01"), Variant("D04")}, "")), (V{"E0007", "E0008", "E0009"}));
    EXPECT_EQ(FirstColumn(Rows("CMSMS", "01", {Variant("2")}, "")), (V{"S01", "S02", "S03"}));
    EXPECT_TRUE(Rows("CMSMV", "01", {Variant("' OR 1=1 --")}, "").Rows.empty());
    EXPECT_EQ(FirstColumn(Rows("TAXMA", "01", {}, "", {true, {QStringLiteral("C03")}})), (V{"C03"}));

    // A footer lookup row: ID, name, then the three lines the form takes from [2..4].
    const auto footers = Rows("CMSMS", "01", {Variant("1")}, "F01");
    ASSERT_EQ(footers.Rows.size(), 1u);
    EXPECT_EQ(footers.Rows[0][1], Variant("标准页脚"));
    EXPECT_EQ(footers.Rows[0][2], Variant("本报表仅供公司内部使用"));
    EXPECT_EQ(footers.Headers, (QStringList{"代号", "名称", "第一行", "第二行", "第三行"}));
}

TEST_F(WorkCenterLookupTest, F2GetDataShowsTheCandidatesAndReturnsThePickedRows) {
    answer = [](QDialog& d) {
        auto& lookup = dynamic_cast<TLookupDialog&>(d);
        EXPECT_FALSE(lookup.Multiple());
        EXPECT_EQ(lookup.windowTitle(), QStringLiteral("员工信息查询"));
        EXPECT_EQ(lookup.FilterEdit()->text(), QStringLiteral("E010"));  // what the user typed
        EXPECT_EQ(lookup.VisibleRowCount(), 4);
        EXPECT_EQ(lookup.ChosenRows().size(), 1u);  // the first fitting row is ready for Enter
        EXPECT_TRUE(lookup.SelectVisibleRows({2}));
        return static_cast<int>(QDialog::Accepted);
    };
    const Variant picked = F2Window().Call("F2GetData", F2Request("CMSMV", "01", Texts({""}), false, Variant("E010")));
    ASSERT_TRUE(picked.IsArray());
    ASSERT_EQ(picked.ElementCount(), 1u);
    EXPECT_EQ(Col(picked[0], 0), "E0103");  // the panel takes [0][0]
    EXPECT_EQ(Col(picked[0], 1), "黃淑芬");
    EXPECT_EQ(dialogsRun, 1);
}

TEST_F(WorkCenterLookupTest, SeveralRowsComeBackInTheOrderShown) {
    answer = [](QDialog& d) {
        auto& lookup = dynamic_cast<TLookupDialog&>(d);
        EXPECT_TRUE(lookup.Multiple());
        EXPECT_TRUE(lookup.ChosenRows().empty());  // nothing is picked for the user
        lookup.FilterEdit()->setText(QStringLiteral("C01"));
        EXPECT_EQ(lookup.VisibleRowCount(), 5);
        EXPECT_TRUE(lookup.SelectVisibleRows({3, 0}));
        return static_cast<int>(QDialog::Accepted);
    };
    const Variant picked = F2Window().Call("F2GetData", F2Request("CMSME", "01", Variant(""), true, Variant("")));
    ASSERT_EQ(picked.ElementCount(), 2u);
    EXPECT_EQ(Col(picked[0], 0), "D01");
    EXPECT_EQ(Col(picked[1], 0), "D04");
    EXPECT_EQ(picked[1].ElementCount(), 5u);  // every column; the panel keeps what it needs
}

TEST_F(WorkCenterLookupTest, CancelOrNoPickGivesEmpty) {
    const std::function<int(QDialog&)> answers[] = {
        [](QDialog&) { return static_cast<int>(QDialog::Rejected); },
        [](QDialog& d) {
            dynamic_cast<TLookupDialog&>(d).SelectVisibleRows({});
            return static_cast<int>(QDialog::Accepted);
        },
        [](QDialog& d) {
            EXPECT_FALSE(dynamic_cast<TLookupDialog&>(d).SelectVisibleRows({0, 99}));
            return static_cast<int>(QDialog::Accepted);
        },
    };
    for (const auto& a : answers) {
        answer = a;
        EXPECT_TRUE(F2Window().Call("F2GetData", F2Request("TAXMA", "01", Variant(""), true, Variant(""))).IsEmpty());
    }
}

TEST_F(WorkCenterLookupTest, RequestShapesAndLimits) {
    std::vector<std::string> seen;
    answer = [&seen](QDialog& d) {
        auto& lookup = dynamic_cast<TLookupDialog&>(d);
        for (const auto& row : lookup.Rows()) seen.push_back(row[0].ToString());
        return static_cast<int>(QDialog::Accepted);
    };
    // Edition 7's 17 elements; a GB18030 filter text is decoded; the limit of element 14 applies.
    const std::string gbFilter = QByteArray(QStringEncoder("GB18030")(QStringLiteral("芬摩"))).toStdString();
    const Variant picked = F2Window().Call(
        "F2GetData", F2Request("TAXMA", "01", Variant(""), false, Variant::Bytes(gbFilter), 17,
                               Variant::Bytes("CMP\x03" "2\x03" "C02\x03" "C03\x03")));
    EXPECT_EQ(seen, (std::vector<std::string>{"C02", "C03"}));
    ASSERT_TRUE(picked.IsArray());
    EXPECT_EQ(Col(picked[0], 0), "C02");

    const int before = dialogsRun;
    EXPECT_THROW(F2Window().Call("F2GetData", F2Request("TAXMA", "01", Variant(""), false, Variant(""), 16)), EOleError);
    EXPECT_THROW(F2Window().Call("F2GetData", Variant("TAXMA")), EOleError);
    EXPECT_THROW(F2Window().Call("F2GetData", F2Request("NOSUCH", "01", Variant(""), false, Variant(""))), EOleError);
    EXPECT_THROW(F2Window().Call("F2GetData", F2Request("TAXMA", "01", Variant(""), false, Variant(""), 19, Variant("junk"))),
                 EOleError);
    EXPECT_EQ(dialogsRun, before);  // no dialog for a bad request
}

TEST_F(WorkCenterLookupTest, ShowInputDayPicksADayWithMinguoYearsWhenAsked) {
    struct Case {
        Variant flag;
        const char* start;
        QDate shown;          // the day the picker opens on
        const char* year;     // the year box's text
        const char* caption;  // the label under the calendar
    } cases[] = {
        {Variant(true), "20240517", QDate(2024, 5, 17), "民国 113 年", "民国113年05月17日 星期五"},
        {Variant(std::int32_t{1}), "20110101", QDate(2011, 1, 1), "民国 100 年", "民国100年01月01日 星期六"},
        {Variant("Y"), "19120101", QDate(1912, 1, 1), "民国 1 年", "民国1年01月01日 星期一"},
        {Variant(false), "20240517", QDate(2024, 5, 17), "2024 年", "2024年05月17日 星期五"},
        {Variant(false), "20240230", QDate::currentDate(), nullptr, nullptr},  // no such day: today
        {Variant(false), "2024051", QDate::currentDate(), nullptr, nullptr},
        {Variant(true), "19000101", QDate(1912, 1, 1), "民国 1 年", nullptr},  // before year 1 of Minguo
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        answer = [&c](QDialog& d) {
            auto& calendar = dynamic_cast<TCalendarDialog&>(d);
            EXPECT_EQ(calendar.SelectedDate(), c.shown);
            if (c.year) {
                EXPECT_EQ(calendar.YearBox()->text(), QString::fromUtf8(c.year));
            }
            if (c.caption) {
                EXPECT_EQ(calendar.DateLabel()->text(), QString::fromUtf8(c.caption));
            }
            calendar.SetSelectedDate(QDate(2024, 6, 1));
            return static_cast<int>(QDialog::Accepted);
        };
        EXPECT_EQ(F2Window().Call("ShowInputDay", Variant::ArrayOf({c.flag, Variant(c.start), Variant("DEMO")})),
                  Variant("20240601"));
    }
    answer = nullptr;  // cancelled
    EXPECT_EQ(F2Window().Call("ShowInputDay", Texts({"1", "20240517", "DEMO"})), Variant(""));
    EXPECT_THROW(F2Window().Call("ShowInputDay", Variant("20240517")), EOleError);
}

TEST_F(WorkCenterLookupTest, CalendarPagesFollowTheYearBox) {
    TCalendarDialog minguo(QDate(2024, 5, 17), true, workcenter::Language::Traditional);
    minguo.YearBox()->setValue(100);
    EXPECT_EQ(minguo.Calendar()->yearShown(), 2011);
    EXPECT_EQ(minguo.YearBox()->minimum(), 1);
    EXPECT_EQ(minguo.Calendar()->minimumDate(), QDate(1912, 1, 1));
    EXPECT_EQ(workcenter::DateCaption(QDate(2024, 5, 17), true, workcenter::Language::Traditional),
              QStringLiteral("民國113年05月17日 星期五"));
    EXPECT_EQ(workcenter::DateCaption(QDate(2024, 5, 17), true, workcenter::Language::English),
              QStringLiteral("ROC 113/05/17 Friday"));
    TCalendarDialog gregorian(QDate(2024, 5, 17), false, workcenter::Language::English);
    gregorian.YearBox()->setValue(1999);
    EXPECT_EQ(gregorian.Calendar()->yearShown(), 1999);
    EXPECT_EQ(gregorian.Calendar()->minimumDate(), QDate(1753, 1, 1));
}

TEST_F(WorkCenterLookupTest, GetPhraseOffersTheUsersOwnPhrasesFirst) {
    QStringList shown;
    answer = [&shown](QDialog& d) {
        auto& phrase = dynamic_cast<TPhraseDialog&>(d);
        for (int i = 0; i < phrase.List()->count(); ++i) shown << phrase.List()->item(i)->text();
        EXPECT_TRUE(phrase.SelectRow(1));
        return static_cast<int>(QDialog::Accepted);
    };
    EXPECT_EQ(F2Window().Call("GetPhrase", "DS", "DEMO", std::int32_t{0}), Variant("本月薪资已核对无误"));
    EXPECT_EQ(shown.value(0), QStringLiteral("月底结账前请再确认一次"));
    EXPECT_EQ(shown.size(), 5);
    shown.clear();
    F2Window().Call("GetPhrase", "E0005", "DEMO", std::int32_t{0});
    EXPECT_EQ(shown.size(), 4);  // everyone's only
    answer = nullptr;
    EXPECT_EQ(F2Window().Call("GetPhrase", "DS", "DEMO", std::int32_t{0}), Variant(""));
}

TEST(WorkCenterHostScriptTest, ParsesAnswersAndReportsBadLines) {
    QStringList problems;
    const workcenter::THostScript script = workcenter::THostScript::Parse(QStringLiteral(
        "# a demo run\n"
        "lookup rows=0,2 filter=E00   # two employees\n"
        "lookup\n"
        "calendar date=20240517\n"
        "calendar cancel\n"
        "phrase row=1\n"
        "lookup rows=a\n"
        "calendar date=20240230\n"
        "phrase row=1,2\n"
        "print everything\n"
        "lookup frobnicate\n"),
        &problems);
    EXPECT_EQ(script.Pending(), 5u);
    EXPECT_EQ(problems.size(), 5);
    EXPECT_TRUE(problems.value(0).startsWith(QStringLiteral("line 7:"))) << S(problems.value(0));
}

TEST_F(WorkCenterLookupTest, ScriptedAnswersDriveTheRealDialogsWithoutBlocking) {
    WriteFile(Path("answers.txt"),
              "lookup rows=0,1 filter=陳\n"  // one row fits: a two-row answer picks nothing
              "lookup rows=1 filter=E010\n"
              "calendar date=20240229\n"
              "phrase row=2\n");
    ScopedEnv script("KVN_HOST_SCRIPT", S(Path("answers.txt")));
    options.RunModal = nullptr;
    EXPECT_TRUE(F2Window().Call("F2GetData", F2Request("CMSMV", "01", Variant(""), true, Variant(""))).IsEmpty());
    const Variant picked = F2Window().Call("F2GetData", F2Request("CMSMV", "01", Variant(""), false, Variant("")));
    EXPECT_EQ(Col(picked[0], 0), "E0102");
    EXPECT_EQ(F2Window().Call("ShowInputDay", Texts({"", "20240517", "DEMO"})), Variant("20240229"));
    EXPECT_EQ(F2Window().Call("GetPhrase", "nobody", "DEMO", std::int32_t{0}), Variant("如有疑问请联系人力资源部"));
    // Nothing left: cancelled at once.
    EXPECT_TRUE(F2Window().Call("F2GetData", F2Request("TAXMA", "01", Variant(""), false, Variant(""))).IsEmpty());
    EXPECT_EQ(F2Window().Call("ShowInputDay", Texts({"", "20240517", "DEMO"})), Variant(""));
}

// Pictures of the two main dialogs, for a person to look at.
TEST_F(WorkCenterLookupTest, ScreenshotsOfTheLookupAndCalendarDialogs) {
    const QString folder = QString::fromStdString(BinDir()) + QStringLiteral("/../workcenter-shots");
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto shoot = [&folder](QDialog& d, const QString& name) {
        d.show();
        QApplication::processEvents();
        const QPixmap picture = d.grab();
        EXPECT_FALSE(picture.isNull());
        EXPECT_TRUE(picture.save(folder + u'/' + name));
        d.hide();
    };
    answer = [&shoot](QDialog& d) {
        auto& lookup = dynamic_cast<TLookupDialog&>(d);
        lookup.SelectVisibleRows({1, 3});
        shoot(d, QStringLiteral("lookup.png"));
        return static_cast<int>(QDialog::Rejected);
    };
    F2Window().Call("F2GetData", F2Request("CMSMV", "01", Variant(""), true, Variant("C0")));
    answer = [&shoot](QDialog& d) {
        shoot(d, QStringLiteral("calendar.png"));
        return static_cast<int>(QDialog::Rejected);
    };
    F2Window().Call("ShowInputDay", Variant::ArrayOf({Variant(true), Variant("20240517"), Variant("DEMO")}));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/lookup.png")).size() > 0);
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/calendar.png")).size() > 0);
}

}  // namespace
}  // namespace kv::test

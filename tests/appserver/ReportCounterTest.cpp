// dmReportCounter on its own (no transport): schemes, rights and the job queue in
// a real SQLite file.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "AppServerTestSupport.h"
#include "dmReportCounter.h"
#include "kv/Wire.h"

namespace kv {
namespace {

using appserver::TdmReportCounter;

Variant SchemeValues(const Variant& name, const std::string& user, const Variant& values, bool replace,
                     const std::string& program = "HRWR07") {
    return Variant::ArrayOf({name, Variant(user), Variant("20240401"), Variant(program),
                             Variant("edEmp.text;cbo06.itemindex;"), values, Variant(replace)});
}

Variant Key(const Variant& name, const std::string& user = "U01", const std::string& program = "HRWR07") {
    return Variant::ArrayOf({name, Variant(user), Variant(program)});
}

class ReportCounterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::string DbPath() const { return (dir_.path() + QStringLiteral("/appserver.sqlite")).toStdString(); }
    std::unique_ptr<TdmReportCounter> Open() { return std::make_unique<TdmReportCounter>(DbPath()); }

    // Scheme rows of one user and program as the provider hands them out.
    static Variant Rows(TdmReportCounter& server, const std::string& user, const std::string& program = "HRWR07") {
        Variant key = Variant::ArrayOf({Variant(user), Variant(program)});
        server.LoadTable(key);
        return server.GetProviderRows("pvdConSave");
    }
    static int RowCount(const Variant& rows) { return rows.HighBound(1) - rows.LowBound(1); }

    std::string Save(TdmReportCounter& server, const Variant& name, const Variant& values, bool replace = false,
                     const std::string& user = "U01") {
        Variant v = SchemeValues(name, user, values, replace);
        return server.InsertConTable(v);
    }

    QTemporaryDir dir_;
};

TEST_F(ReportCounterTest, SchemesSurviveClosingAndReopeningTheFile) {
    const Variant gbName = Variant::Bytes("\xD4\xC2\xB1\xA8");  // a name in the database code page
    const Variant gbValues = Variant::Bytes("001\r\n\xB9\xAB\xCB\xBE\r\n");
    {
        auto server = Open();
        EXPECT_EQ(Save(*server, Variant("\xE5\xB7\xA5\xE8\xB5\x84"), Variant("A\r\n1\r\n")), "");
        EXPECT_EQ(Save(*server, gbName, gbValues), "");
        EXPECT_EQ(Save(*server, Variant("Annual"), Variant("")), "");
        EXPECT_EQ(Save(*server, Variant("Other user"), Variant(""), false, "U02"), "");
    }
    auto server = Open();
    const Variant rows = Rows(*server, "U01");
    ASSERT_EQ(rows.DimCount(), 2);
    ASSERT_EQ(RowCount(rows), 3);
    const std::vector<std::string> header = {"NCONDITION", "CREATOR", "PROGRAMME", "SCONDITION", "VCONDITION", "CREATE_DATE"};
    for (int f = 0; f < 6; ++f) EXPECT_EQ(rows.At(0, f).ToString(), header[static_cast<std::size_t>(f)]);
    // Ordered by name: texts (by their bytes) before code-page names.
    EXPECT_EQ(rows.At(1, 0).ToString(), "Annual");
    EXPECT_EQ(rows.At(2, 0).Type(), VarType::String);
    EXPECT_EQ(rows.At(2, 0).ToString(), "\xE5\xB7\xA5\xE8\xB5\x84");
    EXPECT_EQ(rows.At(2, 1).ToString(), "U01");
    EXPECT_EQ(rows.At(2, 2).ToString(), "HRWR07");
    EXPECT_EQ(rows.At(2, 3).ToString(), "edEmp.text;cbo06.itemindex;");
    EXPECT_EQ(rows.At(2, 4).ToString(), "A\r\n1\r\n");
    EXPECT_EQ(rows.At(2, 5).ToString(), "20240401");
    EXPECT_EQ(rows.At(3, 0).Type(), VarType::Bytes) << "a Bytes name comes back as Bytes";
    EXPECT_EQ(rows.At(3, 0).ToString(), gbName.ToString());
    EXPECT_EQ(rows.At(3, 4).Type(), VarType::Bytes);
    EXPECT_EQ(rows.At(3, 4).ToString(), gbValues.ToString());
}

TEST_F(ReportCounterTest, ProviderIsEmptyBeforeLoadTableAndUnknownProvidersFail) {
    auto server = Open();
    const Variant rows = server->GetProviderRows("PVDCONSAVE");  // provider names without regard to case
    EXPECT_EQ(RowCount(rows), 0);
    EXPECT_THROW(server->GetProviderRows("pvdOther"), EOleError);
}

TEST_F(ReportCounterTest, SavingUnderAnExistingNameNeedsReplace) {
    auto server = Open();
    ASSERT_EQ(Save(*server, Variant("Monthly"), Variant("old\r\n")), "");

    EXPECT_NE(Save(*server, Variant("Monthly"), Variant("new\r\n"), false), "");
    EXPECT_EQ(Rows(*server, "U01").At(1, 4).ToString(), "old\r\n") << "a refused save changes nothing";

    EXPECT_EQ(Save(*server, Variant("Monthly"), Variant("new\r\n"), true), "");
    const Variant rows = Rows(*server, "U01");
    ASSERT_EQ(RowCount(rows), 1);
    EXPECT_EQ(rows.At(1, 4).ToString(), "new\r\n");
}

TEST_F(ReportCounterTest, MalformedSchemeValuesAreAnsweredWithAnErrorText) {
    auto server = Open();
    struct Case {
        const char* what;
        Variant values;
    } cases[] = {
        {"not an array", Variant("x")},
        {"six values", Variant::ArrayOf({Variant("n"), Variant("U01"), Variant("20240401"), Variant("HRWR07"),
                                         Variant(""), Variant("")})},
        {"blank name", SchemeValues(Variant("   "), "U01", Variant(""), false)},
        {"name is an array", SchemeValues(Variant::ArrayOf({Variant("n")}), "U01", Variant(""), false)},
        {"replace flag not a Boolean", Variant::ArrayOf({Variant("n"), Variant("U01"), Variant("20240401"),
                                                         Variant("HRWR07"), Variant(""), Variant(""), Variant("abc")})},
    };
    for (Case& c : cases) EXPECT_NE(server->InsertConTable(c.values), "") << c.what;
    EXPECT_EQ(RowCount(Rows(*server, "U01")), 0);
}

TEST_F(ReportCounterTest, DeleteRemovesOnlyThatSchemeAndIsIdempotent) {
    auto server = Open();
    ASSERT_EQ(Save(*server, Variant("A"), Variant("")), "");
    ASSERT_EQ(Save(*server, Variant("B"), Variant("")), "");
    ASSERT_EQ(Save(*server, Variant("A"), Variant(""), false, "U02"), "");

    Variant key = Key(Variant("A"));
    EXPECT_EQ(server->DeleteConTable(key), "");
    EXPECT_EQ(server->DeleteConTable(key), "") << "already gone is not a failure";
    const Variant rows = Rows(*server, "U01");
    ASSERT_EQ(RowCount(rows), 1);
    EXPECT_EQ(rows.At(1, 0).ToString(), "B");
    EXPECT_EQ(RowCount(Rows(*server, "U02")), 1) << "another user's scheme of the same name stays";

    Variant bad = Variant::ArrayOf({Variant("A")});
    EXPECT_NE(server->DeleteConTable(bad), "");
}

TEST_F(ReportCounterTest, RenameKeepsTheSchemeAndRefusesTakenOrMissingNames) {
    auto server = Open();
    ASSERT_EQ(Save(*server, Variant("Old"), Variant("v\r\n")), "");
    ASSERT_EQ(Save(*server, Variant("Taken"), Variant("t\r\n")), "");

    struct Case {
        const char* what;
        const char* from;
        const char* to;
        bool ok;
    } cases[] = {
        {"to a taken name", "Old", "Taken", false},
        {"a missing scheme", "Missing", "Free", false},
        {"to a blank name", "Old", " ", false},
        {"to a new name", "Old", "New", true},
        {"differing only in case is another name", "New", "new", true},
    };
    for (const Case& c : cases) {
        Variant from = Key(Variant(c.from)), to = Key(Variant(c.to));
        const std::string answer = server->ChangeConName(from, to);
        EXPECT_EQ(answer.empty(), c.ok) << c.what << ": " << answer;
    }
    const Variant rows = Rows(*server, "U01");
    ASSERT_EQ(RowCount(rows), 2);
    EXPECT_EQ(rows.At(1, 0).ToString(), "Taken");
    EXPECT_EQ(rows.At(1, 4).ToString(), "t\r\n");
    EXPECT_EQ(rows.At(2, 0).ToString(), "new");
    EXPECT_EQ(rows.At(2, 4).ToString(), "v\r\n");
}

TEST_F(ReportCounterTest, SqlInjectionAttemptsAreStoredAsPlainText) {
    const std::vector<std::string> hostile = {
        "x'); DROP TABLE schemes; --",
        "' OR '1'='1",
        "Robert\"; DELETE FROM jobs; --",
        "a\\'b",
        "%_*",
    };
    auto server = Open();
    ASSERT_EQ(Save(*server, Variant("keep me"), Variant(""), false, "U02"), "");
    for (const std::string& name : hostile) {
        EXPECT_EQ(Save(*server, Variant(name), Variant(name + "\r\n")), "") << name;
    }
    const Variant rows = Rows(*server, "U01");
    ASSERT_EQ(RowCount(rows), static_cast<int>(hostile.size()));
    std::set<std::string> names, values;
    for (int r = 1; r <= RowCount(rows); ++r) {
        names.insert(rows.At(r, 0).ToString());
        values.insert(rows.At(r, 4).ToString());
    }
    for (const std::string& name : hostile) {
        EXPECT_TRUE(names.count(name)) << name;
        EXPECT_TRUE(values.count(name + "\r\n")) << name;
    }
    // Keys are compared, not interpreted.
    EXPECT_EQ(RowCount(Rows(*server, "' OR '1'='1")), 0);
    EXPECT_EQ(RowCount(Rows(*server, "U01' --")), 0);
    Variant key = Key(Variant("' OR '1'='1"));
    EXPECT_EQ(server->DeleteConTable(key), "");
    EXPECT_EQ(RowCount(Rows(*server, "U01")), static_cast<int>(hostile.size()) - 1);
    EXPECT_EQ(RowCount(Rows(*server, "U02")), 1);
    Variant job = test::SampleRequest("U01'; DROP TABLE jobs; --");
    const std::string number = server->Request(job);
    ASSERT_NE(number, "ERROR");
    EXPECT_EQ(server->Store().Job(number)->user, "U01'; DROP TABLE jobs; --");
}

TEST_F(ReportCounterTest, RequestQueuesTheWholeRequestUnderAnEightDigitNumber) {
    auto server = Open();
    const Variant request = test::SampleRequest("U07");
    const std::string first = server->Request(request);
    EXPECT_EQ(first, "00000001");
    const std::string second = server->Request(test::SampleRequest("U07", true));
    EXPECT_EQ(second, "00000002");

    const auto job = server->Store().Job(first);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->user, "U07");
    EXPECT_EQ(job->program, "HRWR07");
    EXPECT_EQ(job->kind, "R");
    EXPECT_EQ(job->mode, 0);
    EXPECT_EQ(job->status, "QUEUED");
    EXPECT_EQ(wire::EncodeVariant(wire::DecodeVariant(job->request)), wire::EncodeVariant(request))
        << "the stored request is the request, bit for bit";
    const auto periodic = server->Store().Job(second);
    ASSERT_TRUE(periodic);
    EXPECT_EQ(periodic->kind, "r");
    EXPECT_EQ(periodic->mode, 2);
    EXPECT_EQ(wire::DecodeVariant(periodic->request).ElementCount(), 5u);
}

TEST_F(ReportCounterTest, Request1RegistersTheRunWithTheComputerName) {
    auto server = Open();
    const std::string number = server->Request1(test::SampleRequest(), Variant("PC-07"));
    ASSERT_EQ(number.size(), 8u);
    const auto job = server->Store().Job(number);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->computer, "PC-07");
    EXPECT_EQ(job->status, "REGISTERED");
}

TEST_F(ReportCounterTest, BadlyShapedRequestsFailWithADescription) {
    class Opaque : public IDispatchObject {
    public:
        Variant Invoke(const std::string&, InvokeKind, std::vector<Variant>&) override { return Variant(); }
    };
    Variant withObject = test::SampleRequest();
    withObject.Elements()[2] = Variant::ArrayOf({Variant(DispatchPtr(std::make_shared<Opaque>()))});
    struct Case {
        const char* what;
        Variant request;
        const char* description;
    } cases[] = {
        {"empty", Variant(), "not an array"},
        {"a text", Variant("request"), "not an array"},
        {"two elements", Variant::ArrayOf({Variant::Array(1, 1), Variant::Array(1, 1)}), "at least 3"},
        {"two dimensions", Variant::Array2(0, 2, 0, 0), "one-dimensional"},
        {"names not an array",
         Variant::ArrayOf({Variant::Array(1, 1), Variant("names"), Variant::Array(1, 1)}), "option names"},
        {"an automation object inside", withObject, "cannot be stored"},
    };
    auto server = Open();
    for (const Case& c : cases) {
        EXPECT_EQ(server->Request(c.request), "ERROR") << c.what;
        EXPECT_NE(server->ErrorDescript().find(c.description), std::string::npos)
            << c.what << ": " << server->ErrorDescript();
    }
    EXPECT_EQ(server->Request1(Variant(std::int32_t{5}), Variant("PC")), "ERROR");
    EXPECT_EQ(server->Store().JobCount(), 0);
}

TEST_F(ReportCounterTest, UpdateStatus1AppendsToTheJobsHistory) {
    auto server = Open();
    Variant number(server->Request1(test::SampleRequest(), Variant("PC")));
    server->UpdateStatus1(number, Variant("E;000001;"), Variant::Date(45383.5));
    server->UpdateStatus1(number, Variant(""), Variant::Date(45383.75));

    const auto history = server->Store().JobHistory(number.ToString());
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].status, "REGISTERED");
    EXPECT_EQ(history[1].status, "FINISHED");
    EXPECT_EQ(history[1].messages, "E;000001;");
    EXPECT_EQ(history[1].clientTime, std::optional<double>(45383.5));
    EXPECT_EQ(history[2].clientTime, std::optional<double>(45383.75));
    EXPECT_EQ(server->Store().Job(number.ToString())->status, "FINISHED");

    Variant unknown("ERROR");
    EXPECT_THROW(server->UpdateStatus1(unknown, Variant(""), Variant::Date(1)), EOleError);
}

TEST_F(ReportCounterTest, GetPowerGivesFullRightsUnlessTheSiteSaysOtherwise) {
    auto server = Open();
    const Variant query = Variant::ArrayOf({Variant("SDTest60"), Variant("U01"), Variant("HRWR07"), Variant("")});
    const Variant full = server->GetPower(query);
    ASSERT_EQ(full.LowBound(), 0);
    ASSERT_EQ(full.HighBound(), 5);
    EXPECT_EQ(full[1].ToString(), "HRWR07,Y,Y,YYYYYYYY,,");
    EXPECT_EQ(full[4].ToString(), "");
    ASSERT_TRUE(full[5].IsArray());
    EXPECT_EQ(full[5][0].ToInt(), 0);

    server->Store().SetRights("U01", "HRWR07", {"HRWR07,N,Y,YYYYYYNN,x,y", "a", "b", "DEPT", {"D01", "D02"}});
    const Variant limited = server->GetPower(query);
    EXPECT_EQ(limited[1].ToString(), "HRWR07,N,Y,YYYYYYNN,x,y");
    EXPECT_EQ(limited[2].ToString(), "a");
    EXPECT_EQ(limited[3].ToString(), "b");
    EXPECT_EQ(limited[4].ToString(), "DEPT");
    ASSERT_EQ(limited[5].HighBound(), 2);
    EXPECT_EQ(limited[5][0].ToInt(), 2);
    EXPECT_EQ(limited[5][1].ToString(), "D01");
    EXPECT_EQ(limited[5][2].ToString(), "D02");
    EXPECT_EQ(server->GetPower(Variant::ArrayOf({Variant("DB"), Variant("U02"), Variant("HRWR07"), Variant("")}))[1]
                  .ToString(),
              "HRWR07,Y,Y,YYYYYYYY,,")
        << "rights are per user";
}

TEST_F(ReportCounterTest, MembersAreFoundByNameWithoutRegardToCase) {
    auto server = Open();
    std::vector<Variant> args{test::SampleRequest()};
    EXPECT_EQ(server->Invoke("REQUEST", InvokeKind::Method, args).ToString(), "00000001");
    std::vector<Variant> none;
    EXPECT_EQ(server->Invoke("sqltype", InvokeKind::Get, none).ToInt(), appserver::kSQLTypeSQLite);

    struct Case {
        const char* what;
        const char* member;
        InvokeKind kind;
        std::size_t argc;
    } refused[] = {
        {"unknown member", "NoSuchMember", InvokeKind::Method, 0},
        {"too few arguments", "ChangeConName", InvokeKind::Method, 1},
        {"too many arguments", "Request", InvokeKind::Method, 2},
        {"assigning a method", "Request", InvokeKind::Put, 1},
        {"assigning a read-only property", "ErrorDescript", InvokeKind::Put, 1},
        {"malformed LoadTable key", "LoadTable", InvokeKind::Method, 1},
        {"malformed GetPower query", "GetPower", InvokeKind::Method, 1},
    };
    for (const Case& c : refused) {
        std::vector<Variant> a(c.argc, Variant("x"));
        EXPECT_THROW(server->Invoke(c.member, c.kind, a), EOleError) << c.what;
    }
}

TEST_F(ReportCounterTest, AnObjectRefusesCallsFromAnotherThread) {
    auto server = Open();
    std::string error;
    std::thread([&] {
        std::vector<Variant> args{test::SampleRequest()};
        try {
            server->Invoke("Request", InvokeKind::Method, args);
        } catch (const EOleError& e) {
            error = e.what();
        }
    }).join();
    EXPECT_NE(error.find("thread other than"), std::string::npos) << error;
    EXPECT_EQ(server->Store().JobCount(), 0);
}

TEST_F(ReportCounterTest, ConcurrentWritersInProcessGetDistinctNumbers) {
    constexpr int kThreads = 8;
    constexpr int kEach = 50;
    Open();  // the schema exists before the race starts
    std::vector<std::vector<std::string>> numbers(kThreads);
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            try {
                TdmReportCounter server(DbPath());  // each thread its own connection
                for (int i = 0; i < kEach; ++i) {
                    const std::string n = server.Request(test::SampleRequest("T" + std::to_string(t)));
                    if (n == "ERROR") failures[t] = server.ErrorDescript();
                    else numbers[t].push_back(n);
                }
            } catch (const std::exception& e) {
                failures[t] = e.what();
            }
        });
    }
    for (auto& th : threads) th.join();
    std::set<std::string> all;
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], "") << "thread " << t;
        all.insert(numbers[t].begin(), numbers[t].end());
    }
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
    EXPECT_EQ(Open()->Store().JobCount(), kThreads * kEach);
}

TEST_F(ReportCounterTest, AnUnusableDatabaseIsAClearCreationError) {
    const std::string path = (dir_.path() + QStringLiteral("/no/such/folder/db.sqlite")).toStdString();
    try {
        appserver::CreateReportCounter(path);
        FAIL() << "created on a missing folder";
    } catch (const EOleError& e) {
        EXPECT_NE(std::string(e.what()).find("no/such/folder"), std::string::npos) << e.what();
    }
    const std::string notDb = test::WriteFile(dir_.path() + QStringLiteral("/text.sqlite"), std::string(4096, 'x'));
    EXPECT_THROW(appserver::CreateReportCounter(notDb), EOleError);
}

TEST_F(ReportCounterTest, DefaultDatabaseComesFromTheEnvironment) {
    test::ScopedEnv db("KVN_APPSERVER_DB", DbPath());
    EXPECT_EQ(appserver::TReportCounterStore::DefaultPath(), DbPath());
    QTemporaryDir home;
    test::ScopedEnv unset("KVN_APPSERVER_DB", std::nullopt);
    test::ScopedEnv data("XDG_DATA_HOME", home.path().toStdString());
    EXPECT_EQ(appserver::TReportCounterStore::DefaultPath(), home.path().toStdString() + "/kvn/appserver.sqlite");
    EXPECT_TRUE(QDir(home.path() + QStringLiteral("/kvn")).exists());
}

}  // namespace
}  // namespace kv

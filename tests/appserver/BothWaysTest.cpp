// The same calls against the server created in process (ReportCounterS.so through
// the registry file) and against the kvappserver daemon over TCP give the same
// answers.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "AppServerTestSupport.h"
#include "dmReportCounter.h"
#include "platform/SocketConnection.h"

namespace kv {
namespace {

enum class Route { InProcess, OverTcp };

class ServerRoute : public ::testing::TestWithParam<Route> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        db_ = (dir_.path() + QStringLiteral("/appserver.sqlite")).toStdString();
        if (GetParam() == Route::InProcess) {
            const std::string reg = test::WriteFile(dir_.path() + QStringLiteral("/registry.reg"),
                                                    test::RegistryText(appserver::kReportCounterProgId, "ReportCounterS.so"));
            env_.push_back(std::make_unique<test::ScopedEnv>("KVN_REGISTRY", reg));
            env_.push_back(std::make_unique<test::ScopedEnv>("KVN_LIBRARY_PATH", test::BinDir()));
            env_.push_back(std::make_unique<test::ScopedEnv>("KVN_APPSERVER_DB", db_));
        }
        Connect();
    }

    void Connect() {
        if (GetParam() == Route::InProcess) {
            server_ = CreateOleObject(appserver::kReportCounterProgId);
            return;
        }
        if (!daemon_) daemon_ = std::make_unique<test::DaemonProcess>(QString::fromStdString(db_));
        ASSERT_NE(daemon_->Port(), 0) << daemon_->Errors().toStdString();
        connection_.SetAddress(QStringLiteral("127.0.0.1"));
        connection_.SetPort(daemon_->Port());
        connection_.SetServerName(QString::fromLatin1(appserver::kReportCounterProgId));
        connection_.SetConnected(true);
        server_ = connection_.AppServer();
    }

    // Drops the server object and, over TCP, the daemon process with it.
    void Disconnect() {
        server_ = Variant();
        connection_.SetConnected(false);
        daemon_.reset();
    }

    QTemporaryDir dir_;
    std::string db_;
    std::vector<std::unique_ptr<test::ScopedEnv>> env_;
    std::unique_ptr<test::DaemonProcess> daemon_;
    TSocketConnection connection_;
    Variant server_;
};

using Check = std::function<void(const Variant& result)>;

Check Is(const Variant& expected) {
    return [expected](const Variant& r) {
        EXPECT_EQ(r.Type(), expected.Type());
        if (!r.IsArray() && !expected.IsArray()) {
            EXPECT_EQ(r.ToString(), expected.ToString());
        }
    };
}

Check NonEmptyText() {
    return [](const Variant& r) {
        EXPECT_TRUE(r.IsText());
        EXPECT_NE(r.ToString(), "");
    };
}

struct Step {
    const char* what;
    const char* member;
    InvokeKind kind;
    std::vector<Variant> args;
    Check check;  // empty: the call must raise EOleError
};

Variant Key(const Variant& name) { return Variant::ArrayOf({name, Variant("U01"), Variant("HRWR07")}); }

Variant Scheme(const Variant& name, const Variant& values, bool replace) {
    return Variant::ArrayOf({name, Variant("U01"), Variant("20240401"), Variant("HRWR07"),
                             Variant("edEmp.text;cbo06.itemindex;"), values, Variant(replace)});
}

std::vector<Step> Session() {
    const Variant monthly("\xE6\x9C\x88\xE6\x8A\xA5");        // UTF-8 text
    const Variant quarterly = Variant::Bytes("\xBC\xBE\xB1\xA8");  // code-page text
    const Variant now = Variant::Date(45383.5);
    return {
        {"save a scheme", "InsertConTable", InvokeKind::Method, {Scheme(monthly, Variant("A\r\n1\r\n"), false)}, Is(Variant(""))},
        {"save it again without replace", "InsertConTable", InvokeKind::Method,
         {Scheme(monthly, Variant("B\r\n"), false)}, NonEmptyText()},
        {"save a code-page named scheme", "InsertConTable", InvokeKind::Method,
         {Scheme(quarterly, Variant::Bytes("\xB9\xAB\r\n"), false)}, Is(Variant(""))},
        {"load the user's schemes", "LoadTable", InvokeKind::Method, {Variant::ArrayOf({Variant("U01"), Variant("HRWR07")})},
         Is(Variant())},
        {"read the provider", "GetProviderRows", InvokeKind::Method, {Variant("pvdConSave")},
         [=](const Variant& rows) {
             ASSERT_EQ(rows.DimCount(), 2);
             ASSERT_EQ(rows.HighBound(1), 2);
             EXPECT_EQ(rows.At(1, 0).ToString(), monthly.ToString());
             EXPECT_EQ(rows.At(1, 4).ToString(), "A\r\n1\r\n");
             EXPECT_EQ(rows.At(2, 0).Type(), VarType::Bytes);
             EXPECT_EQ(rows.At(2, 0).ToString(), quarterly.ToString());
         }},
        {"rename", "ChangeConName", InvokeKind::Method, {Key(monthly), Key(Variant("Yearly"))}, Is(Variant(""))},
        {"rename onto a taken name", "ChangeConName", InvokeKind::Method, {Key(Variant("Yearly")), Key(quarterly)},
         NonEmptyText()},
        {"delete", "DeleteConTable", InvokeKind::Method, {Key(quarterly)}, Is(Variant(""))},
        {"reload", "LoadTable", InvokeKind::Method, {Variant::ArrayOf({Variant("U01"), Variant("HRWR07")})}, Is(Variant())},
        {"one scheme left", "GetProviderRows", InvokeKind::Method, {Variant("PVDCONSAVE")},
         [](const Variant& rows) {
             ASSERT_EQ(rows.HighBound(1), 1);
             EXPECT_EQ(rows.At(1, 0).ToString(), "Yearly");
         }},
        {"queue a job", "Request", InvokeKind::Method, {test::SampleRequest()}, Is(Variant("00000001"))},
        {"queue a periodic job", "Request", InvokeKind::Method, {test::SampleRequest("U01", true)}, Is(Variant("00000002"))},
        {"queue nonsense", "Request", InvokeKind::Method, {Variant("nonsense")}, Is(Variant("ERROR"))},
        {"why it failed", "ErrorDescript", InvokeKind::Get, {}, Is(Variant("the request is not an array"))},
        {"register a run", "Request1", InvokeKind::Method, {test::SampleRequest(), Variant("PC01")}, Is(Variant("00000003"))},
        {"report its end", "UpdateStatus1", InvokeKind::Method, {Variant("00000003"), Variant("I;000004;"), now},
         Is(Variant())},
        {"report a job that does not exist", "UpdateStatus1", InvokeKind::Method, {Variant("ERROR"), Variant(""), now}, {}},
        {"rights", "GetPower", InvokeKind::Method,
         {Variant::ArrayOf({Variant("SDTest60"), Variant("U01"), Variant("HRWR07"), Variant("")})},
         [](const Variant& r) {
             ASSERT_EQ(r.HighBound(), 5);
             EXPECT_EQ(r[1].ToString(), "HRWR07,Y,Y,YYYYYYYY,,");
             EXPECT_EQ(r[5][0].ToInt(), 0);
         }},
        {"storage kind", "SQLType", InvokeKind::Get, {}, Is(Variant(appserver::kSQLTypeSQLite))},
        {"a member it does not have", "NoSuchMember", InvokeKind::Method, {}, {}},
        {"too few arguments", "Request1", InvokeKind::Method, {test::SampleRequest()}, {}},
    };
}

TEST_P(ServerRoute, EveryMemberAnswersAsExpected) {
    ASSERT_EQ(server_.Type(), VarType::Dispatch);
    for (Step& step : Session()) {
        SCOPED_TRACE(step.what);
        DispatchPtr object = server_.ToDispatch();
        if (!step.check) {
            EXPECT_THROW(object->Invoke(step.member, step.kind, step.args), EOleError);
            continue;
        }
        Variant result;
        try {
            result = object->Invoke(step.member, step.kind, step.args);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "raised: " << e.what();
            continue;
        }
        step.check(result);
    }
}

TEST_P(ServerRoute, SchemesAndJobsOutliveTheServer) {
    Variant values = Variant::ArrayOf({Variant("Kept"), Variant("U01"), Variant("20240401"), Variant("HRWR07"),
                                       Variant("a.text;"), Variant("x\r\n"), Variant(false)});
    ASSERT_EQ(server_.Call("InsertConTable", values).ToString(), "");
    ASSERT_EQ(server_.Call("Request", test::SampleRequest()).ToString(), "00000001");
    Disconnect();
    Connect();
    server_.Call("LoadTable", Variant::ArrayOf({Variant("U01"), Variant("HRWR07")}));
    const Variant rows = server_.Call("GetProviderRows", Variant("pvdConSave"));
    ASSERT_EQ(rows.HighBound(1), 1);
    EXPECT_EQ(rows.At(1, 0).ToString(), "Kept");
    EXPECT_EQ(rows.At(1, 4).ToString(), "x\r\n");
    EXPECT_EQ(server_.Call("Request", test::SampleRequest()).ToString(), "00000002") << "numbering goes on";
}

TEST(InProcessServer, AnUnusableDatabaseIsReportedByCreateOleObject) {
    QTemporaryDir dir;
    const std::string reg = test::WriteFile(dir.path() + QStringLiteral("/registry.reg"),
                                            test::RegistryText(appserver::kReportCounterProgId, "ReportCounterS.so"));
    test::ScopedEnv registry("KVN_REGISTRY", reg);
    test::ScopedEnv libraries("KVN_LIBRARY_PATH", test::BinDir());
    test::ScopedEnv db("KVN_APPSERVER_DB", dir.path().toStdString() + "/missing/appserver.sqlite");
    try {
        CreateOleObject(appserver::kReportCounterProgId);
        FAIL() << "created without a database";
    } catch (const EOleError& e) {
        EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Both, ServerRoute, ::testing::Values(Route::InProcess, Route::OverTcp),
                         [](const ::testing::TestParamInfo<Route>& info) {
                             return info.param == Route::InProcess ? "InProcess" : "OverTcp";
                         });

}  // namespace
}  // namespace kv

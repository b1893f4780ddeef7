// The client's socket connection: var parameters come back, failures are EOleError
// with a reason, and a broken connection never takes the caller down.
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "AppServerDaemon.h"
#include "AppServerTestSupport.h"
#include "dmReportCounter.h"
#include "platform/SocketConnection.h"

namespace kv {
namespace {

using appserver::TAppServerDaemon;
using appserver::TAppServerThread;

constexpr const char* kTestClass = "Test.VarParams";

// A server object whose members change their arguments, answer with what cannot
// travel, or take their time.
class VarParamsObject : public IDispatchObject {
public:
    Variant Invoke(const std::string& member, InvokeKind, std::vector<Variant>& args) override {
        if (member == "Bump") {  // Bump(var n, var list): n + 1, list gets a new last element
            args.at(0) = Variant(args.at(0).ToInt() + 1);
            Variant& list = args.at(1);
            list.Redim(list.HighBound() + 1);
            list[list.HighBound()] = Variant("added");
            return Variant("bumped");
        }
        if (member == "Self") return Variant(DispatchPtr(std::make_shared<VarParamsObject>()));
        if (member == "Count") return Variant(static_cast<std::int32_t>(args.size()));
        if (member == "Slow") {
            std::this_thread::sleep_for(std::chrono::milliseconds(args.at(0).ToInt()));
            return Variant("late");
        }
        throw EOleError("no member " + member);
    }
};

TAppServerDaemon::Options TestOptions() {
    TAppServerDaemon::Options options;
    options.port = 0;
    options.factory = [](const std::string& progId) -> DispatchPtr {
        if (progId != kTestClass) throw EOleError("unknown class " + progId);
        return std::make_shared<VarParamsObject>();
    };
    return options;
}

void Point(TSocketConnection& c, quint16 port, const char* serverName = kTestClass) {
    c.SetAddress(QStringLiteral("127.0.0.1"));
    c.SetPort(port);
    c.SetServerName(QString::fromLatin1(serverName));
}

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EOleError& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("not an EOleError: ") + e.what();
    }
    return "";
}

// A loopback port with nobody listening.
quint16 ClosedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

class SocketConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Listening()) << server_.Error().toStdString();
        Point(connection_, server_.Port());
    }
    TAppServerThread server_{TestOptions()};
    TSocketConnection connection_;
};

TEST_F(SocketConnectionTest, VarParametersComeBackOverTheWire) {
    connection_.SetConnected(true);
    ASSERT_TRUE(connection_.Connected());
    const Variant server = connection_.AppServer();
    Variant n(std::int32_t{41});
    Variant list = Variant::Array(1, 2);
    list[1] = Variant("a");
    list[2] = Variant::Bytes("\xB9\xAB");
    EXPECT_EQ(server.Call("Bump", n, list).ToString(), "bumped");
    EXPECT_EQ(n.ToInt(), 42);
    ASSERT_EQ(list.LowBound(), 1);
    ASSERT_EQ(list.HighBound(), 3);
    EXPECT_EQ(list[2].Type(), VarType::Bytes);
    EXPECT_EQ(list[3].ToString(), "added");
}

TEST_F(SocketConnectionTest, CallFailuresLeaveTheConnectionUsable) {
    connection_.Open();
    const Variant server = connection_.AppServer();
    struct Case {
        const char* what;
        std::function<void()> call;
        const char* reason;
    } cases[] = {
        {"unknown member", [&] { server.Call("Nope"); }, "no member Nope"},
        {"an object as the answer", [&] { server.Call("Self"); }, "cannot be sent"},
        {"an object as an argument", [&] { server.Call("Count", server); }, "cannot be sent"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(c.call);
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_TRUE(connection_.Connected()) << c.what;
        EXPECT_EQ(server.Call("Count", Variant(1), Variant(2)).ToInt(), 2) << "after " << c.what;
    }
}

TEST_F(SocketConnectionTest, OpeningFailsWithTheReason) {
    struct Case {
        const char* what;
        quint16 port;
        const char* serverName;
        const char* reason;
    } cases[] = {
        {"nobody listening", ClosedPort(), kTestClass, "cannot connect to the application server at 127.0.0.1:"},
        {"a class the server does not make", server_.Port(), "No.Such.Class", "unknown class No.Such.Class"},
        {"no server name", server_.Port(), "", "no server name"},
    };
    for (const Case& c : cases) {
        TSocketConnection connection;
        Point(connection, c.port, c.serverName);
        const std::string error = ErrorOf([&] { connection.SetConnected(true); });
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_FALSE(connection.Connected()) << c.what;
        EXPECT_TRUE(connection.AppServer().IsEmpty()) << c.what;
    }
}

TEST_F(SocketConnectionTest, ASlowServerRunsIntoTheCallTimeout) {
    connection_.SetCallTimeout(200);
    connection_.Open();
    const Variant server = connection_.AppServer();
    const std::string error = ErrorOf([&] { server.Call("Slow", Variant(std::int32_t{1500})); });
    EXPECT_NE(error.find("no answer within 200 ms"), std::string::npos) << error;
    EXPECT_FALSE(connection_.Connected()) << "a late answer would be taken for the next call's";
    EXPECT_NE(ErrorOf([&] { server.Call("Count"); }).find("not connected"), std::string::npos);
}

TEST_F(SocketConnectionTest, ClosingMakesHandedOutObjectsFailCleanly) {
    connection_.Open();
    const Variant server = connection_.AppServer();
    connection_.SetConnected(false);
    EXPECT_FALSE(connection_.Connected());
    EXPECT_NE(ErrorOf([&] { server.Call("Count"); }).find("not connected"), std::string::npos);
    connection_.Open();  // and it can connect again
    EXPECT_EQ(connection_.AppServer().Call("Count", Variant(1)).ToInt(), 1);
}

TEST_F(SocketConnectionTest, ObjectsAreReleasedWithTheirSession) {
    {
        TSocketConnection other;
        Point(other, server_.Port());
        other.Open();
        connection_.Open();
        EXPECT_EQ(other.AppServer().Call("Count").ToInt(), 0);
        EXPECT_EQ(server_.SessionCount(), 2);
    }
    connection_.Close();
    for (int i = 0; i < 200 && server_.SessionCount() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(server_.SessionCount(), 0);
}

TEST(SocketConnection, AnInProcessServerNeedsNoSocket) {
    TSocketConnection connection;
    connection.SetAddress(QStringLiteral("127.0.0.1"));
    const Variant local(DispatchPtr(std::make_shared<VarParamsObject>()));
    connection.SetAppServer(local);
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(connection.AppServer().Call("Count", Variant(7)).ToInt(), 1);
}

TEST(SocketConnection, ALostServerIsReportedAndNotCrashedOn) {
    QTemporaryDir dir;
    test::DaemonProcess daemon(dir.path() + QStringLiteral("/appserver.sqlite"));
    ASSERT_NE(daemon.Port(), 0) << daemon.Errors().toStdString();
    TSocketConnection connection;
    Point(connection, daemon.Port(), appserver::kReportCounterProgId);
    connection.Open();
    const Variant server = connection.AppServer();
    ASSERT_EQ(server.Call("Request", test::SampleRequest()).ToString(), "00000001");
    daemon.Stop();
    const std::string error = ErrorOf([&] { server.Call("Request", test::SampleRequest()); });
    EXPECT_NE(error.find("lost"), std::string::npos) << error;
    EXPECT_FALSE(connection.Connected());
}

}  // namespace
}  // namespace kv

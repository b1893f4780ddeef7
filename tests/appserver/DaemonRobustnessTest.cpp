// The kvappserver daemon under bad clients and many clients: broken frames are
// refused for that connection only, and concurrent submissions each get a number
// of their own, stored once.
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "AppServerTestSupport.h"
#include "ReportCounterStore.h"
#include "dmReportCounter.h"
#include "kv/Wire.h"
#include "platform/SocketConnection.h"

namespace kv {
namespace {

// A client that writes whatever bytes it is told to.
class RawClient {
public:
    explicit RawClient(quint16 port) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        connected_ = socket_.waitForConnected(5000);
    }
    bool Connected() const { return connected_; }

    void Send(const std::string& bytes) {
        socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        while (socket_.bytesToWrite() > 0 && socket_.waitForBytesWritten(5000)) {
        }
    }
    void SendMessage(const wire::Message& m) { Send(wire::EncodeMessageFrame(m)); }

    // The next reply, or nullopt when none came within the time or the server hung up.
    std::optional<wire::Message> Reply(int ms = 5000) {
        const QDeadlineTimer deadline(ms);
        for (;;) {
            const QByteArray data = socket_.readAll();
            reader_.Feed(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
            if (auto body = reader_.Take()) return wire::DecodeMessage(*body);
            if (deadline.hasExpired() || !socket_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return std::nullopt;
        }
    }

    bool ClosedByServer(int ms = 5000) {
        if (socket_.state() == QAbstractSocket::UnconnectedState) return true;
        const QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            socket_.readAll();
            if (socket_.state() == QAbstractSocket::UnconnectedState) return true;
            socket_.waitForDisconnected(static_cast<int>(deadline.remainingTime()));
        }
        return socket_.state() == QAbstractSocket::UnconnectedState;
    }

    void Abort() { socket_.abort(); }

private:
    QTcpSocket socket_;
    wire::FrameReader reader_;
    bool connected_ = false;
};

std::string Header(std::uint32_t n) {
    return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
}

class DaemonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        daemon_ = std::make_unique<test::DaemonProcess>(QString::fromStdString(DbPath()), ExtraArguments());
        ASSERT_NE(daemon_->Port(), 0) << daemon_->Errors().toStdString();
    }
    virtual QStringList ExtraArguments() const { return {}; }
    std::string DbPath() const { return (dir_.path() + QStringLiteral("/appserver.sqlite")).toStdString(); }

    // A well-behaved client still gets served: creates the object and queues a job.
    void ExpectServing() {
        TSocketConnection connection;
        connection.SetAddress(QStringLiteral("127.0.0.1"));
        connection.SetPort(daemon_->Port());
        connection.SetServerName(QString::fromLatin1(appserver::kReportCounterProgId));
        connection.SetCallTimeout(10000);
        ASSERT_NO_THROW(connection.Open());
        EXPECT_EQ(connection.AppServer().Call("Request", test::SampleRequest()).ToString().size(), 8u);
        EXPECT_TRUE(daemon_->Running());
    }

    QTemporaryDir dir_;
    std::unique_ptr<test::DaemonProcess> daemon_;
};

TEST_F(DaemonTest, BrokenRequestsGetAnErrorReplyAndTheConnectionGoesOn) {
    RawClient client(daemon_->Port());
    ASSERT_TRUE(client.Connected());
    const std::string valid = wire::EncodeMessage(wire::CreateMessage(appserver::kReportCounterProgId));
    struct Case {
        const char* what;
        std::string frame;
        const char* reason;
    } cases[] = {
        {"garbage body", wire::EncodeFrame("\xFF\xFF\xFF garbage"), "malformed request"},
        {"truncated message", wire::EncodeFrame(valid.substr(0, valid.size() - 3)), "malformed request"},
        {"empty body", wire::EncodeFrame(""), "malformed request"},
        {"a reply sent as a request", wire::EncodeMessageFrame(wire::CreatedMessage(1)), "does not accept"},
        {"an object that was never made", wire::EncodeMessageFrame(wire::InvokeMessage(99, "Request", InvokeKind::Method, {})),
         "no object 99"},
        {"an unknown class", wire::EncodeMessageFrame(wire::CreateMessage("Evil.Class")), "does not serve"},
    };
    for (const Case& c : cases) {
        client.Send(c.frame);
        const auto reply = client.Reply();
        ASSERT_TRUE(reply) << c.what;
        EXPECT_EQ(reply->op, wire::Op::Error) << c.what;
        EXPECT_NE(reply->text.find(c.reason), std::string::npos) << c.what << ": " << reply->text;
    }
    client.SendMessage(wire::CreateMessage(appserver::kReportCounterProgId));
    const auto created = client.Reply();
    ASSERT_TRUE(created);
    ASSERT_EQ(created->op, wire::Op::Created);
    client.SendMessage(wire::InvokeMessage(created->objectId, "Request", InvokeKind::Method, {test::SampleRequest()}));
    const auto result = client.Reply();
    ASSERT_TRUE(result);
    ASSERT_EQ(result->op, wire::Op::Result);
    EXPECT_EQ(result->value.ToString(), "00000001");

    client.SendMessage(wire::ReleaseMessage(created->objectId));
    client.SendMessage(wire::InvokeMessage(created->objectId, "Request", InvokeKind::Method, {test::SampleRequest()}));
    const auto afterRelease = client.Reply();
    ASSERT_TRUE(afterRelease);
    EXPECT_EQ(afterRelease->op, wire::Op::Error) << "a released object is gone";
}

TEST_F(DaemonTest, AnOversizedFrameIsRefusedAndOnlyThatClientIsDropped) {
    RawClient bystander(daemon_->Port());
    bystander.SendMessage(wire::CreateMessage(appserver::kReportCounterProgId));
    const auto created = bystander.Reply();
    ASSERT_TRUE(created && created->op == wire::Op::Created);

    RawClient attacker(daemon_->Port());
    attacker.Send(Header(0xFFFFFFFFu));  // announces 4 GiB; no body follows
    const auto reply = attacker.Reply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->op, wire::Op::Error);
    EXPECT_NE(reply->text.find("exceeds the maximum"), std::string::npos) << reply->text;
    EXPECT_TRUE(attacker.ClosedByServer());

    bystander.SendMessage(wire::InvokeMessage(created->objectId, "SQLType", InvokeKind::Get, {}));
    const auto still = bystander.Reply();
    ASSERT_TRUE(still);
    EXPECT_EQ(still->op, wire::Op::Result) << "the other session and its object live on";
    ExpectServing();
}

TEST_F(DaemonTest, AClientKilledMidFrameLeavesTheServerServing) {
    for (int i = 0; i < 3; ++i) {
        RawClient dying(daemon_->Port());
        ASSERT_TRUE(dying.Connected());
        const std::string frame = wire::EncodeMessageFrame(
            wire::InvokeMessage(1, "Request", InvokeKind::Method, {test::SampleRequest()}));
        dying.Send(frame.substr(0, frame.size() / 2));
        dying.Abort();
    }
    ExpectServing();
}

class SmallFrameDaemonTest : public DaemonTest {
protected:
    QStringList ExtraArguments() const override { return {QStringLiteral("--max-frame"), QStringLiteral("1024")}; }
};

TEST_F(SmallFrameDaemonTest, TheConfiguredMaximumHolds) {
    RawClient small(daemon_->Port());
    small.SendMessage(wire::CreateMessage(appserver::kReportCounterProgId));
    const auto created = small.Reply();
    ASSERT_TRUE(created);
    EXPECT_EQ(created->op, wire::Op::Created);

    RawClient big(daemon_->Port());
    big.Send(Header(1025) + std::string(1025, 'x'));
    const auto reply = big.Reply();
    ASSERT_TRUE(reply);
    EXPECT_NE(reply->text.find("1025"), std::string::npos) << reply->text;
    EXPECT_TRUE(big.ClosedByServer());
    ExpectServing();
}

TEST(Daemon, RefusesToStartWithoutAUsableDatabase) {
    QTemporaryDir dir;
    test::DaemonProcess daemon(dir.path() + QStringLiteral("/missing/appserver.sqlite"));
    EXPECT_EQ(daemon.Port(), 0);
    daemon.Stop();
    EXPECT_NE(daemon.Errors().toStdString().find("does not exist"), std::string::npos);
}

// 32 clients, each on its own thread and connection, submit 200 jobs each.
TEST_F(DaemonTest, ConcurrentClientsEachGetTheirOwnJobNumbers) {
    constexpr int kClients = 32;
    constexpr int kSubmissions = 200;
    const quint16 port = daemon_->Port();
    std::vector<std::vector<std::string>> acknowledged(kClients);
    std::vector<std::string> failures(kClients);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            try {
                TSocketConnection connection;
                connection.SetAddress(QStringLiteral("127.0.0.1"));
                connection.SetPort(port);
                connection.SetServerName(QString::fromLatin1(appserver::kReportCounterProgId));
                connection.SetCallTimeout(30000);
                connection.Open();
                const Variant server = connection.AppServer();
                const Variant request = test::SampleRequest("U" + std::to_string(c));
                for (int i = 0; i < kSubmissions; ++i) {
                    const std::string number = server.Call("Request", request).ToString();
                    if (number == "ERROR") {
                        failures[c] = server.Get("ErrorDescript").ToString();
                        return;
                    }
                    acknowledged[c].push_back(number);
                }
            } catch (const std::exception& e) {
                failures[c] = e.what();
            }
        });
    }
    for (std::thread& t : clients) t.join();

    std::set<std::string> numbers;
    std::size_t total = 0;
    for (int c = 0; c < kClients; ++c) {
        EXPECT_EQ(failures[c], "") << "client " << c;
        total += acknowledged[c].size();
        numbers.insert(acknowledged[c].begin(), acknowledged[c].end());
    }
    EXPECT_EQ(total, static_cast<std::size_t>(kClients * kSubmissions));
    EXPECT_EQ(numbers.size(), total) << "every acknowledged number is different";

    appserver::TReportCounterStore store(DbPath());
    EXPECT_EQ(store.JobCount(), static_cast<std::int64_t>(total)) << "nothing stored twice, nothing unacknowledged";
    for (int c = 0; c < kClients; ++c) {
        for (const std::string& number : acknowledged[c]) {
            const auto job = store.Job(number);
            ASSERT_TRUE(job) << number;
            ASSERT_EQ(job->user, "U" + std::to_string(c)) << number << " belongs to its submitter";
        }
    }
}

}  // namespace
}  // namespace kv

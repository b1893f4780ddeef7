// Request round trips to the application server, in process and over loopback TCP,
// each measured against a raw loopback echo of the same frame bytes in the same
// run. The counter "x_echo" is the request's time over the echo's: what the
// server's work and the codec add to the bare network round trip.
#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <chrono>

#include "AppServerDaemon.h"
#include "dmReportCounter.h"
#include "kv/Wire.h"
#include "platform/SocketConnection.h"

namespace kv {
namespace {

Variant BenchRequest() {
    Variant env = Variant::Array(1, 12);
    const char* texts[] = {"HRWR07", nullptr, nullptr, "C01", "U01", "SDTest60", nullptr, "HRWR07S.Class1", "R"};
    for (int i = 1; i <= 9; ++i)
        if (texts[i - 1]) env[i] = Variant(texts[i - 1]);
    env[2] = Variant(std::int32_t{12});
    env[3] = Variant(std::int32_t{10});
    env[7] = Variant::Date(45383.5);
    env[10] = Variant(std::int32_t{0});
    env[11] = Variant::Date(45383.5);
    env[12] = Variant("");
    Variant names = Variant::Array(1, 10), values = Variant::Array(1, 10);
    for (int i = 1; i <= 10; ++i) {
        names[i] = Variant::ArrayOf({Variant("Caption " + std::to_string(i)), Variant("ed" + std::to_string(i))});
        values[i] = Variant::ArrayOf({Variant("\x04"), Variant("001"), Variant("099")});
    }
    return Variant::ArrayOf({env, names, values});
}

// Echoes every byte back, on a thread of its own.
class EchoServer {
public:
    EchoServer() {
        thread_.start();
        context_ = new QObject;
        context_->moveToThread(&thread_);
        QMetaObject::invokeMethod(
            context_,
            [this] {
                server_ = new QTcpServer;
                QObject::connect(server_, &QTcpServer::newConnection, server_, [this] {
                    while (QTcpSocket* s = server_->nextPendingConnection()) {
                        s->setParent(server_);
                        s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                        QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->write(s->readAll()); });
                    }
                });
                server_->listen(QHostAddress::LocalHost, 0);
                port_ = server_->serverPort();
            },
            Qt::BlockingQueuedConnection);
    }
    ~EchoServer() {
        QMetaObject::invokeMethod(context_, [this] { delete server_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
        delete context_;
    }
    quint16 Port() const { return port_; }

private:
    QThread thread_;
    QObject* context_ = nullptr;
    QTcpServer* server_ = nullptr;
    quint16 port_ = 0;
};

// Seconds per round trip of `bytes` through the echo, over `rounds` trips.
double EchoSecondsPerTrip(const std::string& bytes, int rounds) {
    EchoServer echo;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, echo.Port());
    if (!socket.waitForConnected(5000)) return 0;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket.waitForBytesWritten(5000);
        qint64 got = 0;
        while (got < static_cast<qint64>(bytes.size()) && (socket.bytesAvailable() > 0 || socket.waitForReadyRead(5000)))
            got += socket.readAll().size();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / rounds;
}

std::string RequestFrame() {
    return wire::EncodeMessageFrame(wire::InvokeMessage(1, "Request", InvokeKind::Method, {BenchRequest()}));
}

// The echo is measured just before the benchmark's own loop, under the same load.
double MeasureEcho() { return EchoSecondsPerTrip(RequestFrame(), 500); }

void ReportAgainstEcho(benchmark::State& state, double echo, double secondsPerRequest) {
    state.counters["echo_us"] = echo * 1e6;
    state.counters["x_echo"] = echo > 0 ? secondsPerRequest / echo : 0;
}

void BM_RequestInProcess(benchmark::State& state) {
    QTemporaryDir dir;
    appserver::TdmReportCounter server((dir.path() + QStringLiteral("/bench.sqlite")).toStdString());
    const Variant request = BenchRequest();
    std::vector<Variant> args{request};
    const double echo = MeasureEcho();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        Variant number = server.Invoke("Request", InvokeKind::Method, args);
        benchmark::DoNotOptimize(number);
    }
    const double perRequest =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / static_cast<double>(state.iterations());
    ReportAgainstEcho(state, echo, perRequest);
}

void BM_RequestLoopback(benchmark::State& state) {
    QTemporaryDir dir;
    appserver::TAppServerDaemon::Options options;
    options.port = 0;
    options.factory = appserver::ReportCounterFactory((dir.path() + QStringLiteral("/bench.sqlite")).toStdString());
    appserver::TAppServerThread daemon(options);
    TSocketConnection connection;
    connection.SetAddress(QStringLiteral("127.0.0.1"));
    connection.SetPort(daemon.Port());
    connection.SetServerName(QString::fromLatin1(appserver::kReportCounterProgId));
    connection.Open();
    const Variant server = connection.AppServer();
    const Variant request = BenchRequest();
    const double echo = MeasureEcho();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        Variant number = server.Call("Request", request);
        benchmark::DoNotOptimize(number);
    }
    const double perRequest =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / static_cast<double>(state.iterations());
    ReportAgainstEcho(state, echo, perRequest);
}

void BM_RawEcho(benchmark::State& state) {
    EchoServer echo;
    const std::string bytes = RequestFrame();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, echo.Port());
    socket.waitForConnected(5000);
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    for (auto _ : state) {
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket.waitForBytesWritten(5000);
        qint64 got = 0;
        while (got < static_cast<qint64>(bytes.size()) && (socket.bytesAvailable() > 0 || socket.waitForReadyRead(5000)))
            got += socket.readAll().size();
    }
    state.counters["frame_bytes"] = static_cast<double>(bytes.size());
}

BENCHMARK(BM_RawEcho)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RequestInProcess)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RequestLoopback)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kv

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // sockets and the SQL driver want one
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

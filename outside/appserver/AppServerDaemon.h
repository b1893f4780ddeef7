// The TCP side of the application server: a QTcpServer whose every connection is
// one TAppServerSession. Runs on the thread of its event loop; connections are
// served one frame at a time, so a slow or broken client holds up no one.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QThread>

#include <atomic>
#include <memory>

#include "AppServerSession.h"
#include "kv/Wire.h"

namespace kv::appserver {

// The clients' default server port.
inline constexpr quint16 kDefaultServerPort = 211;

class TAppServerDaemon : public QObject {
    Q_OBJECT
public:
    struct Options {
        QHostAddress address{QHostAddress::LocalHost};
        quint16 port = kDefaultServerPort;  // 0: any free port (see Port())
        std::uint32_t maxFrameBytes = wire::kDefaultMaxFrameBytes;
        ObjectFactory factory;
    };

    explicit TAppServerDaemon(Options options, QObject* parent = nullptr);
    ~TAppServerDaemon() override;

    // Starts listening; false with the reason in *error when it cannot.
    bool Listen(QString* error = nullptr);
    quint16 Port() const { return server_.serverPort(); }
    QHostAddress Address() const { return server_.serverAddress(); }
    // Open client sessions; may be read from any thread.
    int SessionCount() const noexcept { return sessions_.load(); }

private:
    void AcceptConnections();

    Options options_;
    QTcpServer server_{this};
    std::atomic<int> sessions_{0};
};

// A daemon on a thread of its own, for a process that wants to serve while its
// main thread does other work (a host, a test, a benchmark).
class TAppServerThread {
public:
    // Starts the thread and listens. Never raises: check Listening() and Error().
    explicit TAppServerThread(TAppServerDaemon::Options options);
    ~TAppServerThread();
    TAppServerThread(const TAppServerThread&) = delete;
    TAppServerThread& operator=(const TAppServerThread&) = delete;

    bool Listening() const noexcept { return port_ != 0; }
    const QString& Error() const noexcept { return error_; }
    quint16 Port() const noexcept { return port_; }
    int SessionCount() const;

private:
    QThread thread_;
    QObject* context_ = nullptr;
    TAppServerDaemon* daemon_ = nullptr;
    quint16 port_ = 0;
    QString error_;
};

}  // namespace kv::appserver

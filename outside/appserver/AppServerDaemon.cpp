#include "AppServerDaemon.h"

#include <QByteArray>
#include <QTcpSocket>

namespace kv::appserver {
namespace {

// Qt buffers at most this much of a connection's input; the rest waits in the
// kernel until the frames before it have been served.
constexpr qint64 kSocketReadBuffer = 256 * 1024;
constexpr qint64 kReadChunk = 64 * 1024;

// One client connection: its socket, its frame reader and its session.
class TAppServerConnection : public QObject {
public:
    TAppServerConnection(QTcpSocket* socket, const TAppServerDaemon::Options& options)
        : socket_(socket), reader_(options.maxFrameBytes), session_(options.factory, options.maxFrameBytes),
          maxFrameBytes_(options.maxFrameBytes) {
        socket_->setParent(this);
        socket_->setReadBufferSize(kSocketReadBuffer);
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket_, &QTcpSocket::readyRead, this, [this] { ServeFrames(); });
        connect(socket_, &QTcpSocket::disconnected, this, [this] { deleteLater(); });
        connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
            if (socket_->state() == QAbstractSocket::UnconnectedState) deleteLater();
        });
    }

private:
    void ServeFrames() {
        while (!closing_ && socket_->bytesAvailable() > 0) {
            const QByteArray chunk = socket_->read(kReadChunk);
            if (chunk.isEmpty()) break;
            try {
                reader_.Feed(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
            } catch (const wire::EWireError& e) {
                Refuse(e.what());
                return;
            }
            while (auto body = reader_.Take()) {
                if (auto reply = session_.HandleBody(*body)) Send(*reply);
            }
        }
    }

    void Send(const std::string& body) {
        const std::string frame = wire::EncodeFrame(body, maxFrameBytes_);
        socket_->write(frame.data(), static_cast<qint64>(frame.size()));
    }

    // The stream has lost its frame boundaries: say why, then hang up.
    void Refuse(const std::string& why) {
        closing_ = true;
        Send(wire::EncodeMessage(wire::ErrorMessage(why)));
        socket_->disconnectFromHost();
    }

    QTcpSocket* socket_;
    wire::FrameReader reader_;
    TAppServerSession session_;
    std::uint32_t maxFrameBytes_;
    bool closing_ = false;
};

}  // namespace

TAppServerDaemon::TAppServerDaemon(Options options, QObject* parent) : QObject(parent), options_(std::move(options)) {
    connect(&server_, &QTcpServer::newConnection, this, [this] { AcceptConnections(); });
}

TAppServerDaemon::~TAppServerDaemon() = default;

bool TAppServerDaemon::Listen(QString* error) {
    if (!options_.factory) {
        if (error) *error = QStringLiteral("no object factory");
        return false;
    }
    if (server_.listen(options_.address, options_.port)) return true;
    if (error) *error = server_.errorString();
    return false;
}

void TAppServerDaemon::AcceptConnections() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto* connection = new TAppServerConnection(socket, options_);
        connection->setParent(this);
        ++sessions_;
        connect(connection, &QObject::destroyed, this, [this] { --sessions_; });
    }
}

TAppServerThread::TAppServerThread(TAppServerDaemon::Options options) {
    thread_.setObjectName(QStringLiteral("kv-appserver"));
    thread_.start();
    context_ = new QObject;
    context_->moveToThread(&thread_);
    QMetaObject::invokeMethod(
        context_,
        [this, &options] {
            daemon_ = new TAppServerDaemon(std::move(options));
            if (daemon_->Listen(&error_)) port_ = daemon_->Port();
        },
        Qt::BlockingQueuedConnection);
}

TAppServerThread::~TAppServerThread() {
    // The daemon, its sessions and their database connections end on their own thread.
    QMetaObject::invokeMethod(
        context_, [this] { delete daemon_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete context_;
}

int TAppServerThread::SessionCount() const { return daemon_ ? daemon_->SessionCount() : 0; }

}  // namespace kv::appserver

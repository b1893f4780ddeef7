#include "platform/SocketConnection.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QThread>

#include "kv/Automation.h"

namespace kv {

// The socket and its frame reader, shared by the connection and the server
// objects it gave out, so that those fail cleanly once the connection is gone.
class TWireChannel {
public:
    TWireChannel(int callTimeoutMs, std::uint32_t maxFrameBytes)
        : callTimeoutMs_(callTimeoutMs), maxFrameBytes_(maxFrameBytes), reader_(maxFrameBytes),
          thread_(QThread::currentThread()) {}

    void Connect(const QString& host, quint16 port, int timeoutMs) {
        socket_ = std::make_unique<QTcpSocket>();
        socket_->connectToHost(host, port);
        if (!socket_->waitForConnected(timeoutMs)) {
            const QString why = socket_->error() == QAbstractSocket::SocketTimeoutError
                                    ? QStringLiteral("no answer within %1 ms").arg(timeoutMs)
                                    : socket_->errorString();
            socket_.reset();
            throw EOleError("cannot connect to the application server at " + Where(host, port) + ": " +
                            why.toStdString());
        }
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        where_ = Where(host, port);
    }

    bool IsOpen() const {
        return socket_ && !broken_ && socket_->state() == QAbstractSocket::ConnectedState;
    }

    // Sends a request and waits for its one reply; an Error reply raises EOleError.
    wire::Message Call(const wire::Message& request) {
        Send(request);
        wire::Message reply = Receive();
        if (reply.op == wire::Op::Error) throw EOleError(reply.text);
        return reply;
    }

    // Sends a request that has no reply, without waiting; errors are dropped.
    void Post(const wire::Message& request) noexcept {
        try {
            if (!IsOpen() || QThread::currentThread() != thread_) return;
            const std::string frame = wire::EncodeMessageFrame(request, maxFrameBytes_);
            socket_->write(frame.data(), static_cast<qint64>(frame.size()));
            socket_->flush();
        } catch (...) {
        }
    }

    void Close() noexcept {
        if (!socket_) return;
        if (QThread::currentThread() == thread_) {
            socket_->flush();
            socket_->abort();
            socket_.reset();
        } else {
            // A socket may only be touched by its own thread. Closing from another
            // thread is a misuse; the socket is given up (leaked) rather than
            // touched, and every later call is refused.
            (void)socket_.release();
        }
        broken_ = true;
    }

private:
    static std::string Where(const QString& host, quint16 port) {
        return host.toStdString() + ":" + std::to_string(port);
    }

    void CheckUsable() {
        if (!socket_ || broken_) throw EOleError("not connected to the application server");
        if (QThread::currentThread() != thread_)
            throw EOleError("the application server connection is used from a thread other than its own");
    }

    [[noreturn]] void Lost(const std::string& why) {
        broken_ = true;
        if (socket_) socket_->abort();
        throw EOleError("connection to the application server at " + where_ + " lost: " + why);
    }

    void Send(const wire::Message& request) {
        CheckUsable();
        std::string frame;
        try {
            frame = wire::EncodeMessageFrame(request, maxFrameBytes_);
        } catch (const wire::EWireError& e) {
            // Nothing was sent: the connection stays good.
            throw EOleError(std::string("the call cannot be sent: ") + e.what());
        }
        const QDeadlineTimer deadline(callTimeoutMs_);
        if (socket_->write(frame.data(), static_cast<qint64>(frame.size())) != static_cast<qint64>(frame.size()))
            Lost(socket_->errorString().toStdString());
        while (socket_->bytesToWrite() > 0) {
            if (!socket_->waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
                Lost(WaitFailure(deadline, "while sending"));
        }
    }

    wire::Message Receive() {
        const QDeadlineTimer deadline(callTimeoutMs_);
        for (;;) {
            const QByteArray data = socket_->readAll();
            if (!data.isEmpty()) {
                try {
                    reader_.Feed(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
                } catch (const wire::EWireError& e) {
                    Lost(e.what());
                }
            }
            if (std::optional<std::string> body = reader_.Take()) {
                try {
                    return wire::DecodeMessage(*body);
                } catch (const wire::EWireError& e) {
                    Lost(std::string("malformed reply: ") + e.what());
                }
            }
            if (deadline.hasExpired()) Lost(WaitFailure(deadline, "waiting for the reply"));
            if (!socket_->waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                Lost(WaitFailure(deadline, "waiting for the reply"));
        }
    }

    std::string WaitFailure(const QDeadlineTimer& deadline, const char* during) const {
        if (deadline.hasExpired() || socket_->error() == QAbstractSocket::SocketTimeoutError)
            return "no answer within " + std::to_string(callTimeoutMs_) + " ms " + during;
        return socket_->errorString().toStdString() + " (" + during + ")";
    }

    int callTimeoutMs_;
    std::uint32_t maxFrameBytes_;
    wire::FrameReader reader_;
    QThread* thread_;
    std::unique_ptr<QTcpSocket> socket_;
    std::string where_;
    bool broken_ = false;
};

namespace {

// Member by which a client data set asks for a provider's rows; over the wire it
// travels as its own message.
constexpr const char* kProviderRowsMember = "GetProviderRows";

bool IsProviderRowsCall(const std::string& member, InvokeKind kind, const std::vector<Variant>& args) {
    if (kind != InvokeKind::Method || args.size() != 1 || !args[0].IsText()) return false;
    return QString::fromStdString(member).compare(QLatin1String(kProviderRowsMember), Qt::CaseInsensitive) == 0;
}

// A server object on the other side of the connection.
class TRemoteServerObject : public IDispatchObject {
public:
    TRemoteServerObject(std::shared_ptr<TWireChannel> channel, std::uint32_t id) : channel_(std::move(channel)), id_(id) {}
    ~TRemoteServerObject() override { channel_->Post(wire::ReleaseMessage(id_)); }

    Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) override {
        if (IsProviderRowsCall(member, kind, args)) {
            wire::Message reply = channel_->Call(wire::FetchRowsMessage(id_, args[0].ToString()));
            Expect(reply, wire::Op::Rows);
            return std::move(reply.value);
        }
        wire::Message reply = channel_->Call(wire::InvokeMessage(id_, member, kind, args));
        Expect(reply, wire::Op::Result);
        if (reply.args.size() != args.size())
            throw EOleError("the application server answered \"" + member + "\" with a different number of arguments");
        for (std::size_t i = 0; i < args.size(); ++i) args[i] = std::move(reply.args[i]);
        return std::move(reply.value);
    }

private:
    static void Expect(const wire::Message& reply, wire::Op op) {
        if (reply.op != op) throw EOleError("the application server sent an unexpected reply");
    }

    std::shared_ptr<TWireChannel> channel_;
    std::uint32_t id_;
};

}  // namespace

TSocketConnection::TSocketConnection(QObject* owner) : QObject(owner) {}

TSocketConnection::~TSocketConnection() { Close(); }

bool TSocketConnection::Connected() const { return channel_ && channel_->IsOpen(); }

void TSocketConnection::SetConnected(bool value) {
    if (value == Connected()) return;
    if (value) Open();
    else Close();
}

void TSocketConnection::Open() {
    Close();
    if (serverName_.trimmed().isEmpty()) throw EOleError("the connection has no server name");
    if (port_ <= 0 || port_ > 65535) throw EOleError("the connection's port " + std::to_string(port_) + " is not valid");
    auto channel = std::make_shared<TWireChannel>(callTimeoutMs_, maxFrameBytes_);
    channel->Connect(address_, static_cast<quint16>(port_), connectTimeoutMs_);
    try {
        const wire::Message reply = channel->Call(wire::CreateMessage(serverName_.toStdString()));
        if (reply.op != wire::Op::Created) throw EOleError("the application server sent an unexpected reply");
        remoteServer_ = Variant(DispatchPtr(std::make_shared<TRemoteServerObject>(channel, reply.objectId)));
    } catch (...) {
        channel->Close();
        throw;
    }
    channel_ = std::move(channel);
}

void TSocketConnection::Close() {
    remoteServer_ = Variant();
    if (channel_) channel_->Close();
    channel_.reset();
}

Variant TSocketConnection::AppServer() const {
    if (Connected()) return remoteServer_;
    return localServer_;
}

void TSocketConnection::SetAppServer(const Variant& server) { localServer_ = server; }

}  // namespace kv

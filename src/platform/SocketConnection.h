// TSocketConnection: the client's connection to the application server over TCP.
//
// Setting Connected to true connects to Address:Port, asks the server to create the
// object named by ServerName, and makes AppServer a Dispatch whose calls travel over
// the connection synchronously (length-prefixed CBOR frames, kv/Wire.h). Var
// parameters come back into the caller's arguments. A failed connect, a lost
// connection or a timeout raises kv::EOleError with the reason.
//
// The connection itself always uses TCP. A client that wants the server in its own
// process creates the object itself and hands it over with SetAppServer; AppServer
// then returns that object and the socket stays unused.
//
// A connection and the AppServer it gives out are used from the thread that
// connected (the socket is blocking and belongs to that thread).
#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "kv/Variant.h"
#include "kv/Wire.h"

namespace kv {

class TWireChannel;

class TSocketConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Address READ Address WRITE SetAddress)
    Q_PROPERTY(int Port READ Port WRITE SetPort)
    Q_PROPERTY(QString ServerName READ ServerName WRITE SetServerName)
    Q_PROPERTY(bool Connected READ Connected WRITE SetConnected)
    Q_PROPERTY(int ConnectTimeout READ ConnectTimeout WRITE SetConnectTimeout)
    Q_PROPERTY(int CallTimeout READ CallTimeout WRITE SetCallTimeout)

public:
    static constexpr int kDefaultPort = 211;
    static constexpr int kDefaultConnectTimeoutMs = 10000;
    static constexpr int kDefaultCallTimeoutMs = 60000;

    explicit TSocketConnection(QObject* owner = nullptr);
    ~TSocketConnection() override;

    QString Address() const { return address_; }
    void SetAddress(const QString& address) { address_ = address; }
    int Port() const noexcept { return port_; }
    void SetPort(int port) { port_ = port; }
    QString ServerName() const { return serverName_; }
    void SetServerName(const QString& name) { serverName_ = name; }
    int ConnectTimeout() const noexcept { return connectTimeoutMs_; }
    void SetConnectTimeout(int ms) { connectTimeoutMs_ = ms; }
    int CallTimeout() const noexcept { return callTimeoutMs_; }
    void SetCallTimeout(int ms) { callTimeoutMs_ = ms; }
    std::uint32_t MaxFrameBytes() const noexcept { return maxFrameBytes_; }
    void SetMaxFrameBytes(std::uint32_t bytes) { maxFrameBytes_ = bytes; }

    // True while the socket is open and has not failed.
    bool Connected() const;
    // true: Open(); false: Close().
    void SetConnected(bool value);
    // Connects and creates ServerName on the server. EOleError on failure, with the
    // connection left closed.
    void Open();
    // Closes the socket. Server objects given out before fail from now on.
    void Close();

    // The server object: the remote one while connected, else the one handed over
    // with SetAppServer, else Empty.
    Variant AppServer() const;
    void SetAppServer(const Variant& server);

private:
    QString address_;
    int port_ = kDefaultPort;
    QString serverName_;
    int connectTimeoutMs_ = kDefaultConnectTimeoutMs;
    int callTimeoutMs_ = kDefaultCallTimeoutMs;
    std::uint32_t maxFrameBytes_ = wire::kDefaultMaxFrameBytes;
    std::shared_ptr<TWireChannel> channel_;
    Variant remoteServer_;
    Variant localServer_;
};

}  // namespace kv

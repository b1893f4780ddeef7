// kvappserver: the application server daemon. Serves "ReportCounterS.dmReportCounter"
// over TCP to the clients' socket connections.
//
//   kvappserver [--listen ADDRESS] [--port N] [--db FILE] [--max-frame BYTES]
//
// Listens on 127.0.0.1 port 211 unless told otherwise; --port 0 picks a free port.
// Once listening it prints one line "kvappserver listening on ADDRESS:PORT" on
// standard output, so a starter can read the port from it.
//
// Clients are not authenticated: listen on an address other than the loopback one
// only inside a network whose every machine may use the server.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

#include "AppServerDaemon.h"
#include "ReportCounterStore.h"

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "kvappserver: %s\n", message.toLocal8Bit().constData());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kv::appserver;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kvappserver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Application server of the report-request clients"));
    parser.addHelpOption();
    const QCommandLineOption listenOption(QStringLiteral("listen"), QStringLiteral("Address to listen on."),
                                          QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("TCP port (0: any free port)."),
                                        QStringLiteral("N"), QString::number(kDefaultServerPort));
    const QCommandLineOption dbOption(QStringLiteral("db"),
                                      QStringLiteral("SQLite database file (default: $KVN_APPSERVER_DB, else "
                                                     "<data dir>/kvn/appserver.sqlite)."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption maxFrameOption(QStringLiteral("max-frame"), QStringLiteral("Largest frame accepted, in bytes."),
                                            QStringLiteral("BYTES"), QString::number(kv::wire::kDefaultMaxFrameBytes));
    parser.addOptions({listenOption, portOption, dbOption, maxFrameOption});
    parser.process(app);

    TAppServerDaemon::Options options;
    if (!options.address.setAddress(parser.value(listenOption)))
        return Fail(QStringLiteral("not an address: ") + parser.value(listenOption));
    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) return Fail(QStringLiteral("not a port: ") + parser.value(portOption));
    options.port = static_cast<quint16>(port);
    const qulonglong maxFrame = parser.value(maxFrameOption).toULongLong(&ok);
    if (!ok || maxFrame == 0 || maxFrame > 0xFFFFFFFFull)
        return Fail(QStringLiteral("not a frame size: ") + parser.value(maxFrameOption));
    options.maxFrameBytes = static_cast<std::uint32_t>(maxFrame);

    const std::string database =
        parser.isSet(dbOption) ? parser.value(dbOption).toStdString() : TReportCounterStore::DefaultPath();
    try {
        TReportCounterStore check(database);  // fail now rather than at the first client
    } catch (const std::exception& e) {
        return Fail(QString::fromStdString(e.what()));
    }
    options.factory = ReportCounterFactory(database);

    TAppServerDaemon daemon(options);
    QString error;
    if (!daemon.Listen(&error)) return Fail(QStringLiteral("cannot listen: ") + error);
    std::printf("kvappserver listening on %s:%u\n", daemon.Address().toString().toLocal8Bit().constData(),
                static_cast<unsigned>(daemon.Port()));
    std::printf("kvappserver database %s\n", database.c_str());
    std::fflush(stdout);
    return app.exec();
}

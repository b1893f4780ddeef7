// Shared pieces of the application server tests: sample requests and the real
// daemon as a child process, on the helpers all suites share.
#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include "QtTestSupport.h"
#include "kv/Variant.h"

namespace kv::test {

// A job request as the report form sends it: [environment 1..12, option names,
// option values], plus the period and dynamic-field arrays for a periodic job.
inline Variant SampleRequest(const std::string& user = "U01", bool periodic = false) {
    Variant env = Variant::Array(1, 12);
    env[1] = Variant("HRWR07");
    env[2] = Variant(std::int32_t{12});
    env[3] = Variant(std::int32_t{2});
    env[4] = Variant("C01");
    env[5] = Variant(user);
    env[6] = Variant("SDTest60");
    env[7] = Variant::Date(45383.5);
    env[8] = Variant("HRWR07S.Class1");
    env[9] = Variant(periodic ? "r" : "R");
    env[10] = Variant(std::int32_t{periodic ? 2 : 0});
    env[11] = Variant::Date(45383.75);
    env[12] = Variant("");
    Variant names = Variant::Array(1, 2);
    names[1] = Variant::ArrayOf({Variant::Bytes("\xB9\xAB\xCB\xBE"), Variant("sp01")});
    names[2] = Variant::ArrayOf({Variant("Print date"), Variant("edPrintDate")});
    Variant values = Variant::Array(1, 2);
    values[1] = Variant::ArrayOf({Variant("\x04"), Variant("001"), Variant("099")});
    values[2] = Variant("20240401");
    if (!periodic) return Variant::ArrayOf({env, names, values});
    Variant period = Variant::ArrayOf({Variant("0930"), Variant::ArrayOf({Variant("1"), Variant("2")}),
                                       Variant("20240401"), Variant::Null()});
    Variant dynamic = Variant::Array(0, 0);
    dynamic[0] = Variant(std::int32_t{0});
    return Variant::ArrayOf({env, names, values, period, dynamic});
}

// kvappserver started as a child process on a free loopback port.
class DaemonProcess {
public:
    explicit DaemonProcess(const QString& database, const QStringList& extra = {}) {
        const QString program = QString::fromStdString(BinDir()) + QStringLiteral("/kvappserver");
        QStringList args{QStringLiteral("--listen"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                         QStringLiteral("0"), QStringLiteral("--db"), database};
        args += extra;
        process_.setProgram(program);
        process_.setArguments(args);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(10000)) return;
        QByteArray out;
        for (int i = 0; i < 100 && !out.contains('\n'); ++i) {
            if (!process_.waitForReadyRead(100) && process_.state() != QProcess::Running) break;
            out += process_.readAllStandardOutput();
        }
        const QByteArray marker("listening on 127.0.0.1:");
        const int at = out.indexOf(marker);
        if (at >= 0) port_ = static_cast<quint16>(out.mid(at + marker.size()).split('\n').front().trimmed().toUInt());
    }
    ~DaemonProcess() { Stop(); }

    quint16 Port() const { return port_; }
    bool Running() { return process_.state() == QProcess::Running; }
    QString Errors() { return QString::fromLocal8Bit(process_.readAllStandardError()); }
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

private:
    QProcess process_;
    quint16 port_ = 0;
};

}  // namespace kv::test

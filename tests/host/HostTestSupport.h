// Shared pieces of the host's tests: an environment of their own (temporary sample
// and server databases, no registry, nothing from the user's home), kvhost and
// scripts run as processes, and reading the tests' report program's notes.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "QtTestSupport.h"
#include "kv/Variant.h"

namespace kv::host {}

namespace kv::test {

using namespace ::kv::host;

inline const QString kTestProgram = QStringLiteral(KV_HOST_TESTPROGRAM);
inline const QString kKvhost = QStringLiteral(KV_KVHOST);
inline const QString kDemoInstall = QStringLiteral(KV_DEMO_INSTALL);

inline QString BinFolder() { return QString::fromStdString(BinDir()); }

inline QString ReadText(const QString& path) { return QString::fromStdString(ReadFile(path.toStdString())); }

struct ProcessResult {
    int ExitCode = -1;
    bool Crashed = false;
    QString Out;
    QString Err;
};

// Runs a program to its end (a minute at most) in the current environment.
inline ProcessResult RunProcess(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    p.start(program, arguments);
    ProcessResult r;
    if (!p.waitForStarted() || !p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.Err = QStringLiteral("did not run to its end: ") + p.errorString();
        return r;
    }
    r.Crashed = p.exitStatus() != QProcess::NormalExit;
    r.ExitCode = p.exitCode();
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The value the tests' report program noted under a name ("" when none).
inline std::string Note(const Variant& resultData, const std::string& name) {
    if (!resultData.IsArray()) return "";
    for (const Variant& item : resultData.Elements()) {
        const std::string text = item.ToString();
        if (text.rfind(name + "=", 0) == 0) return text.substr(name.size() + 1);
    }
    return "";
}

// A temporary world for one test: every file the host, the work-center object and
// the application server would use lies below Root(), and no KVN_ variable of the
// caller's leaks in.
class HostEnvTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        SetEnv("XDG_DATA_HOME", Path("xdg"));
        SetEnv("KVN_SAMPLE_DB", Path("Data/FenmorSample.sqlite"));
        SetEnv("KVN_APPSERVER_DB", Path("Data/appserver.sqlite"));
        SetEnv("KVN_HELP_DIR", Path("Data/Help"));
        SetEnv("KVN_REGISTRY", Path("no-registry.reg"));
        SetEnv("KVN_LANGUAGE", QStringLiteral("936"));
        SetEnv("KVN_SYSTEM_CODEPAGE", QStringLiteral("936"));
        for (const char* name : {"KVN_LIBRARY_PATH", "KVN_HOST_SCRIPT", "KVN_TEST_PROGRAM", "KVN_UPDATE_DIR"})
            SetEnv(name, std::nullopt);
        SetEnv("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
    }

    QString Root() const { return temp_.path(); }
    QString Path(const QString& relative) const { return temp_.filePath(relative); }
    // nullopt (or an empty text) removes the variable; the test's end puts it back.
    void SetEnv(const std::string& name, const std::optional<QString>& value) {
        env_.Set(name, value ? value->toStdString() : std::string());
    }

private:
    QTemporaryDir temp_;
    ScopedEnv env_;
};

}  // namespace kv::test

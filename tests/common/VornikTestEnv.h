// A throw-away installation for configuration and log tests: a temporary folder,
// a registry file named by KVN_REGISTRY, a fixed system code page and a fixed clock.
#pragma once

#include "TestSupport.h"

#include "platform/DateTime.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

namespace kv::test {

// A byte string from a literal that may hold NUL bytes (the terminator left out).
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

class VornikEnvTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FTemp.isValid());
        FEnv.Set("KVN_REGISTRY", Root() + "/registry.reg");
        FEnv.Set("KVN_SYSTEM_CODEPAGE", "936");
        // Keeps the temporary-folder fallback inside the test's own folder.
        FEnv.Set("TMPDIR", Root() + "/tmp");
        QDir().mkpath(QString::fromStdString(Root() + "/tmp"));
        SetClock([] { return ComposeDateTime(EncodeDate(2004, 3, 15), EncodeTime(10, 20, 30, 0)); });
    }
    void TearDown() override { SetClock({}); }

    std::string Root() const { return FTemp.path().toStdString(); }

    void SetSystemCodePage(const std::string& cp) { FEnv.Set("KVN_SYSTEM_CODEPAGE", cp); }

    // Writes the machine key with the given string values (written with the
    // export format's escapes, so "C:\app" is stored as "C:\\app").
    void WriteRegistry(const std::map<std::string, std::string>& values) {
        WriteFile(Root() + "/registry.reg",
                  RegistryFileText("HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik", {values.begin(), values.end()}));
    }

    static void WriteFile(const std::string& path, const std::string& bytes) { test::WriteFile(path, bytes); }
    static std::string ReadFile(const std::string& path) { return test::ReadFile(path); }

private:
    QTemporaryDir FTemp;
    ScopedEnv FEnv;
};

}  // namespace kv::test

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

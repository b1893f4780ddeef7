// Shared pieces of the work-center tests: environment, a temporary installation
// (sample database, help and update folders, scheme store) and a work-center object
// whose dialogs are answered by the test instead of a user.
#pragma once

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "WorkCenter.h"
#include "kv/Variant.h"

namespace kv::test {

// Sets (or, with nullopt, removes) an environment variable while in scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

inline std::string BinDir() {
    if (const char* dir = std::getenv("KV_BIN_DIR")) return dir;
    return KV_BIN_DIR;
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

inline std::string S(const QString& s) { return s.toStdString(); }

// A 0-based array of texts.
inline Variant Texts(std::initializer_list<const char*> items) {
    std::vector<Variant> v;
    for (const char* i : items) v.emplace_back(i);
    return Variant::ArrayOf(std::move(v));
}

// Column i of a row array as text.
inline std::string Col(const Variant& row, int i) { return row[row.LowBound() + i].ToString(); }

// A temporary installation and a work-center object on it. The test answers every
// dialog through `answer` (a dialog with no answer set is cancelled).
class WorkCenterFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        options.DatabasePath = S(Path("data/FenmorSample.sqlite"));
        options.HelpFolder = S(Path("help"));
        options.UpdateFolder = S(Path("update"));
        options.SchemeStorePath = S(Path("data/appserver.sqlite"));
        options.Language = "936";
        options.RunModal = [this](QDialog& dialog) {
            ++dialogsRun;
            return answer ? answer(dialog) : static_cast<int>(QDialog::Rejected);
        };
        options.OpenUrl = [this](const std::string& url) {
            opened.push_back(url);
            return true;
        };
    }

    QString Path(const QString& relative) const { return dir.filePath(relative); }

    Variant Manager() {
        if (manager.IsEmpty()) manager = CreateWorkCenterManager(options);
        return manager;
    }
    Variant Counter() { return Manager().Get("Com_Counter"); }
    Variant Validator() { return Manager().Get("Com_Validator"); }
    Variant F2Window() { return Manager().Get("Com_F2Window"); }

    QTemporaryDir dir;
    WorkCenterOptions options;
    Variant manager;
    std::function<int(QDialog&)> answer;
    int dialogsRun = 0;
    std::vector<std::string> opened;
};

}  // namespace kv::test

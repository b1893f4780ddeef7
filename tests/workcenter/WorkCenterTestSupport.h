// Shared pieces of the work-center tests: a temporary installation
// (sample database, help and update folders, scheme store) and a work-center object
// whose dialogs are answered by the test instead of a user.
#pragma once

#include <QDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "QtTestSupport.h"
#include "WorkCenter.h"
#include "kv/Variant.h"

namespace kv::test {

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

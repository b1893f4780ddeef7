// The work center's main window: who runs (user, company, database), which report
// program, a Run action, and the event log of each run.
#pragma once

#include <QMainWindow>
#include <QString>

#include <functional>
#include <optional>

#include "HostLog.h"
#include "HostSession.h"
#include "ProgramRunner.h"
#include "WorkCenterDirectory.h"

class QAction;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;

namespace kv::host {

struct WindowSettings {
    Identity Given;             // from the command line; empty fields are chosen
    QString ProgramCode;        // the program selected at first
    std::optional<Variant> Request;
    QString DialogImagePath;    // "" : no picture of the dialog
};

class WorkCenterWindow : public QMainWindow {
    Q_OBJECT

public:
    WorkCenterWindow(WorkCenterDirectory directory, const ProgramRunner& runner, HostLog& log,
                     WindowSettings settings, QWidget* parent = nullptr);

    Identity CurrentIdentity() const;
    QString CurrentProgram() const;
    const std::optional<SessionOutcome>& LastOutcome() const { return lastOutcome_; }

    // Errors are shown in a message box; tests and unattended runs replace it.
    void SetErrorPresenter(std::function<void(const QString&)> presenter) { presentError_ = std::move(presenter); }

    // Lines written to the event log pane (a headless run's transcript, too).
    void AppendLog(const QString& line);
    QString LogText() const;
    // The outcome of a run in the status bar.
    void ShowOutcome(const QString& program, const SessionOutcome& outcome);

public slots:
    void RunSelectedProgram();

private slots:
    void ChooseUserCompany();
    void UpdateRunAction();

private:
    QWidget* BuildIdentityBox();
    QWidget* BuildProgramList();
    QWidget* BuildLogPane();
    void BuildActions();
    void FillIdentity(const Identity& identity);
    void SelectProgram(const QString& code);
    SessionPlan PlanForRun();

    WorkCenterDirectory directory_;
    const ProgramRunner& runner_;
    HostLog& log_;
    WindowSettings settings_;
    QComboBox* user_ = nullptr;
    QComboBox* company_ = nullptr;
    QLineEdit* db_ = nullptr;
    QTreeWidget* programs_ = nullptr;
    QPlainTextEdit* log_pane_ = nullptr;
    QAction* run_ = nullptr;
    bool running_ = false;
    std::optional<SessionOutcome> lastOutcome_;
    std::function<void(const QString&)> presentError_;
};

// The id a combo box of "ID  name" entries stands on.
QString SelectedId(const QComboBox& box);

}  // namespace kv::host

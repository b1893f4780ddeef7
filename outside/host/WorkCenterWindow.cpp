#include "WorkCenterWindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "HostScreenshot.h"

namespace kv::host {

namespace {

enum ProgramColumn { kCodeColumn, kNameColumn, kEnglishColumn, kLibraryColumn, kColumnCount };

QString Entry(const QString& id, const QString& name) { return name.isEmpty() ? id : id + QStringLiteral("  ") + name; }

// Selects the entry of an id, adding one for an id the database does not know.
void SelectId(QComboBox& box, const QString& id) {
    if (id.isEmpty()) return;
    int index = box.findData(id, Qt::UserRole, Qt::MatchFixedString);
    if (index < 0) {
        box.addItem(id, id);
        index = box.count() - 1;
    }
    box.setCurrentIndex(index);
}

QString OutcomeSummary(const QString& program, const SessionOutcome& outcome) {
    if (!outcome.Error.empty())
        return QStringLiteral("%1 failed: %2").arg(program, QString::fromStdString(Printable(outcome.Error)));
    if (outcome.ExitCode == kExitRefused)
        return QStringLiteral("%1 refused (status %2)").arg(program).arg(outcome.Status.value_or(-1));
    return QStringLiteral("%1 done: ResultCode %2, ResultData %3")
        .arg(program)
        .arg(outcome.ResultCode)
        .arg(QString::fromStdString(Printable(DebugString(outcome.ResultData))));
}

}  // namespace

QString SelectedId(const QComboBox& box) {
    const int index = box.currentIndex();
    if (index >= 0 && box.currentText() == box.itemText(index)) return box.itemData(index).toString();
    // Typed by hand: the id is the first word.
    return box.currentText().trimmed().section(QLatin1Char(' '), 0, 0);
}

WorkCenterWindow::WorkCenterWindow(WorkCenterDirectory directory, const ProgramRunner& runner, HostLog& log,
                                   WindowSettings settings, QWidget* parent)
    : QMainWindow(parent), directory_(std::move(directory)), runner_(runner), log_(log), settings_(std::move(settings)) {
    presentError_ = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };
    setWindowTitle(directory_.SystemName.isEmpty()
                       ? QStringLiteral("Fenmor Work Center")
                       : QStringLiteral("Fenmor Work Center - %1").arg(directory_.SystemName));

    auto* top = new QWidget;
    auto* topLayout = new QVBoxLayout(top);
    topLayout->addWidget(BuildIdentityBox());
    topLayout->addWidget(BuildProgramList(), 1);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(top);
    splitter->addWidget(BuildLogPane());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    setCentralWidget(splitter);
    BuildActions();

    FillIdentity(ChooseIdentity(directory_, settings_.Given));
    SelectProgram(settings_.ProgramCode);
    UpdateRunAction();
    resize(860, 640);

    QPointer<QPlainTextEdit> pane = log_pane_;
    log_.AddSink([pane](const std::string& line) {
        if (pane) pane->appendPlainText(QString::fromStdString(line));
    });
    if (!directory_.Error.isEmpty())
        statusBar()->showMessage(QStringLiteral("Sample database not usable: %1").arg(directory_.Error));
    else
        statusBar()->showMessage(QStringLiteral("Sample database: %1").arg(directory_.DatabasePath));
    if (!runner_.Settings().PluginPath.isEmpty())
        AppendLog(QStringLiteral("Every program runs from %1 (--plugin).").arg(runner_.Settings().PluginPath));
}

QWidget* WorkCenterWindow::BuildIdentityBox() {
    auto* box = new QGroupBox(QStringLiteral("Sign-in"));
    auto* form = new QFormLayout(box);
    user_ = new QComboBox;
    user_->setObjectName(QStringLiteral("cboUser"));
    user_->setEditable(true);
    for (const UserEntry& u : directory_.Users) user_->addItem(Entry(u.ID, u.Name), u.ID);
    company_ = new QComboBox;
    company_->setObjectName(QStringLiteral("cboCompany"));
    company_->setEditable(true);
    for (const CompanyEntry& c : directory_.Companies) company_->addItem(Entry(c.ID, c.Name), c.ID);
    db_ = new QLineEdit;
    db_->setObjectName(QStringLiteral("edDatabase"));
    form->addRow(QStringLiteral("&User:"), user_);
    form->addRow(QStringLiteral("&Company:"), company_);
    form->addRow(QStringLiteral("&Database:"), db_);
    connect(user_, &QComboBox::activated, this, &WorkCenterWindow::ChooseUserCompany);
    return box;
}

QWidget* WorkCenterWindow::BuildProgramList() {
    auto* box = new QGroupBox(QStringLiteral("Report programs"));
    auto* layout = new QVBoxLayout(box);
    programs_ = new QTreeWidget;
    programs_->setObjectName(QStringLiteral("lvPrograms"));
    programs_->setColumnCount(kColumnCount);
    programs_->setHeaderLabels({QStringLiteral("Program"), QStringLiteral("Name"), QStringLiteral("English name"),
                                QStringLiteral("Library")});
    programs_->setRootIsDecorated(false);
    programs_->setAllColumnsShowFocus(true);
    for (const ProgramEntry& p : directory_.Programs) {
        auto* item = new QTreeWidgetItem(QStringList{p.Code, p.Name, p.EnglishName, p.Library});
        const bool present = QFileInfo::exists(runner_.ModulePath(directory_, p.Code));
        if (!present) item->setToolTip(kLibraryColumn, QStringLiteral("not installed"));
        if (!present) item->setForeground(kLibraryColumn, palette().brush(QPalette::Disabled, QPalette::Text));
        programs_->addTopLevelItem(item);
    }
    for (int c = 0; c < kColumnCount; ++c) programs_->resizeColumnToContents(c);
    connect(programs_, &QTreeWidget::itemDoubleClicked, this, &WorkCenterWindow::RunSelectedProgram);
    connect(programs_, &QTreeWidget::currentItemChanged, this, &WorkCenterWindow::UpdateRunAction);
    layout->addWidget(programs_);
    return box;
}

QWidget* WorkCenterWindow::BuildLogPane() {
    auto* box = new QGroupBox(QStringLiteral("Event log"));
    auto* layout = new QVBoxLayout(box);
    log_pane_ = new QPlainTextEdit;
    log_pane_->setObjectName(QStringLiteral("memoLog"));
    log_pane_->setReadOnly(true);
    log_pane_->setLineWrapMode(QPlainTextEdit::NoWrap);
    log_pane_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(log_pane_);
    return box;
}

void WorkCenterWindow::BuildActions() {
    run_ = new QAction(QStringLiteral("&Run"), this);
    run_->setObjectName(QStringLiteral("actRun"));
    run_->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
    run_->setStatusTip(QStringLiteral("Run the selected report program"));
    connect(run_, &QAction::triggered, this, &WorkCenterWindow::RunSelectedProgram);
    auto* quit = new QAction(QStringLiteral("&Quit"), this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Work center"));
    menu->addAction(run_);
    menu->addSeparator();
    menu->addAction(quit);
    QToolBar* bar = addToolBar(QStringLiteral("Programs"));
    bar->setObjectName(QStringLiteral("tbPrograms"));
    bar->setMovable(false);
    bar->addAction(run_);
}

void WorkCenterWindow::FillIdentity(const Identity& identity) {
    SelectId(*user_, identity.UserID);
    SelectId(*company_, identity.CompanyID);
    db_->setText(identity.DbName);
}

void WorkCenterWindow::SelectProgram(const QString& code) {
    const QList<QTreeWidgetItem*> found = programs_->findItems(code, Qt::MatchFixedString, kCodeColumn);
    if (!found.isEmpty()) programs_->setCurrentItem(found.first());
    else if (programs_->topLevelItemCount() > 0) programs_->setCurrentItem(programs_->topLevelItem(0));
}

void WorkCenterWindow::ChooseUserCompany() {
    // Signing in as someone else starts in that user's own company.
    if (const UserEntry* user = directory_.FindUser(SelectedId(*user_))) SelectId(*company_, user->CompanyID);
}

void WorkCenterWindow::UpdateRunAction() { run_->setEnabled(!running_ && !CurrentProgram().isEmpty()); }

Identity WorkCenterWindow::CurrentIdentity() const {
    return Identity{SelectedId(*user_), SelectedId(*company_), db_->text().trimmed()};
}

QString WorkCenterWindow::CurrentProgram() const {
    const QTreeWidgetItem* item = programs_->currentItem();
    return item ? item->text(kCodeColumn) : QString();
}

void WorkCenterWindow::AppendLog(const QString& line) { log_pane_->appendPlainText(line); }

QString WorkCenterWindow::LogText() const { return log_pane_->toPlainText(); }

SessionPlan WorkCenterWindow::PlanForRun() {
    SessionPlan plan;
    plan.Show = FormShowing::Modal;
    plan.Request = settings_.Request;
    if (!settings_.DialogImagePath.isEmpty()) {
        const QString path = settings_.DialogImagePath;
        plan.FormShown = [this, path](TDLLBaseController& controller) {
            QString error;
            if (SaveWindowImage(controller.GetHandle(), path, &error))
                log_.Line("screenshot: " + path.toStdString());
            else
                log_.Line("screenshot of the dialog: " + error.toStdString());
        };
    }
    return plan;
}

void WorkCenterWindow::RunSelectedProgram() {
    const QString program = CurrentProgram();
    if (running_ || program.isEmpty()) return;
    running_ = true;
    UpdateRunAction();
    log_.Line("== run " + program.toStdString());
    statusBar()->showMessage(QStringLiteral("Running %1...").arg(program));
    const SessionOutcome outcome = runner_.Run(runner_.ModulePath(directory_, program), CurrentIdentity(),
                                               static_cast<std::int32_t>(winId()), PlanForRun());
    running_ = false;
    UpdateRunAction();
    ShowOutcome(program, outcome);
    if (!outcome.Error.empty()) presentError_(statusBar()->currentMessage());
}

void WorkCenterWindow::ShowOutcome(const QString& program, const SessionOutcome& outcome) {
    lastOutcome_ = outcome;
    statusBar()->showMessage(OutcomeSummary(program, outcome));
}

}  // namespace kv::host

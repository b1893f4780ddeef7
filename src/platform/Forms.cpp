#include "platform/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QToolTip>

#include <cstdlib>

namespace kv {

namespace {

ModalDriver& InstalledDriver() {
    static ModalDriver driver;
    return driver;
}

// The production session: handle events until the form's modal result ends it
// (or the form is gone).
void RunEventLoopModal(TForm& form) {
    QPointer<TForm> alive(&form);
    while (alive && !alive->CheckModalEnd()) {
        if (!alive->Visible()) {
            alive->SetModalResult(mrCancel);
            continue;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
}

// Offers a message to every control below parent, depth first, until one answers
// with a non-zero result.
LRESULT BroadcastUntilAnswered(TWinControl* parent, unsigned msg, WPARAM wParam, LPARAM lParam) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (const LRESULT r = c->Perform(msg, wParam, lParam)) return r;
        if (auto* win = qobject_cast<TWinControl*>(c))
            if (const LRESULT r = BroadcastUntilAnswered(win, msg, wParam, lParam)) return r;
    }
    return 0;
}

}  // namespace

ModalDriver SetModalDriver(ModalDriver driver) {
    ModalDriver old = std::move(InstalledDriver());
    InstalledDriver() = std::move(driver);
    return old;
}

// ---- TFormWidget ------------------------------------------------------------------

TFormWidget::TFormWidget(TForm* form) : QWidget(nullptr, Qt::Window), FForm(form) {}

void TFormWidget::closeEvent(QCloseEvent* event) {
    // The window's close box asks the form, which decides (and may free itself).
    event->ignore();
    if (FForm && !FForm->IsDestroying()) FForm->Close();
}

void TFormWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && FForm && !FForm->IsDestroying()) {
        if (FForm->OnActivate) FForm->OnActivate(FForm);
    }
    QWidget::changeEvent(event);
}

// ---- TForm ------------------------------------------------------------------------

TForm::TForm(TComponent* AOwner) : TForm(AOwner, nullptr) {}

TForm::TForm(TComponent* AOwner, QWidget* handle) : TWinControl(AOwner, handle ? handle : NewWidget<TFormWidget>(this)) {
    Init();
}

void TForm::Init() {
    BeginLoading();
    SetVisibleFlag(false);
    SetParentFont(false);
    SetShowHint(true);
    FHandle->setAttribute(Qt::WA_DeleteOnClose, false);
    FHandle->resize(320, 240);
    ApplyWindowFlags();
}

TForm::~TForm() {
    BeforeDestruction();
    FActiveControl = nullptr;
    FEnteredControl = nullptr;
}

void TForm::AfterConstruction() {
    if (FCreated) return;
    FCreated = true;
    EndLoading();
    DoCreate();
}

void TForm::BeforeDestruction() {
    if (FDestroyDone) return;
    FDestroyDone = true;
    SetComponentStateFlag(csDestroying, true);
    DoDestroy();
}

void TForm::Free() {
    BeforeDestruction();
    delete this;
}

void TForm::Release() { PostMessage(this, CM_RELEASE); }

void TForm::WndProc(TMessage& message) {
    if (message.Msg == CM_DIALOGKEY || message.Msg == CM_DIALOGCHAR) {
        message.Result = BroadcastUntilAnswered(this, message.Msg, message.WParam, message.LParam);
        return;
    }
    if (message.Msg == CM_RELEASE) {
        // Not inside this object's own event handler: Qt deletes it once the
        // current event is done.
        BeforeDestruction();
        deleteLater();
        return;
    }
    TWinControl::WndProc(message);
}

void TForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TForm::DoDestroy() {
    if (OnDestroy) OnDestroy(this);
}

void TForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

void TForm::FocusChanged(TWinControl*) {}

QString TForm::GetText() const { return FHandle ? FHandle->windowTitle() : QString(); }

void TForm::SetText(const QString& text) {
    if (FHandle) FHandle->setWindowTitle(text);
}

int TForm::ClientWidth() const { return Width(); }
int TForm::ClientHeight() const { return Height(); }
void TForm::SetClientWidth(int v) { SetWidth(v); }
void TForm::SetClientHeight(int v) { SetHeight(v); }

void TForm::SetBounds(int left, int top, int width, int height) {
    if (!FHandle) return;
    FHandle->move(left, top);
    if (FBorderStyle == bsDialog || FBorderStyle == bsSingle || FBorderStyle == bsNone)
        FHandle->setFixedSize(std::max(0, width), std::max(0, height));
    else
        FHandle->resize(std::max(0, width), std::max(0, height));
    if (OnResize) OnResize(this);
}

bool TForm::CanFocus() const { return Visible() && Enabled(); }

void TForm::SetVisible(bool on) {
    if (on == Visible()) return;
    QPointer<TForm> alive(this);
    if (on) {
        SetVisibleFlag(true);
        DoShow();
        if (!alive || !Visible()) return;
        PlaceOnScreen();
        FHandle->show();
        if (WindowState() == wsMinimized) FHandle->showMinimized();
        FHandle->activateWindow();
        if (FActiveControl && FActiveControl->CanFocus())
            FActiveControl->SetFocus();
        else
            SelectFirst();
    } else {
        FHandle->hide();
        SetVisibleFlag(false);
        DoHide();
    }
}

void TForm::PlaceOnScreen() {
    QRect area;
    if (FPosition == poOwnerFormCenter) {
        if (auto* owner = qobject_cast<TForm*>(Owner()); owner && owner->Handle()) area = owner->Handle()->frameGeometry();
    }
    if (area.isNull() && (FPosition == poScreenCenter || FPosition == poDesktopCenter ||
                          FPosition == poMainFormCenter || FPosition == poOwnerFormCenter)) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) area = screen->availableGeometry();
    }
    if (area.isNull()) return;
    FHandle->move(area.center().x() - Width() / 2, area.center().y() - Height() / 2);
}

void TForm::ApplyWindowFlags() {
    Qt::WindowFlags flags = Qt::Window;
    switch (FBorderStyle) {
        case bsNone: flags |= Qt::FramelessWindowHint; break;
        case bsDialog:
            flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
            break;
        case bsToolWindow:
        case bsSizeToolWin: flags = Qt::Tool; break;
        default: break;
    }
    if (FFormStyle == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
    const bool shown = FHandle->isVisible();
    FHandle->setWindowFlags(flags);
    if (FBorderStyle == bsDialog || FBorderStyle == bsSingle || FBorderStyle == bsNone)
        FHandle->setFixedSize(FHandle->size());
    else {
        FHandle->setMinimumSize(0, 0);
        FHandle->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (shown) FHandle->show();
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == FBorderStyle) return;
    FBorderStyle = style;
    ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle style) {
    if (style == FFormStyle) return;
    FFormStyle = style;
    ApplyWindowFlags();
}

TWindowState TForm::WindowState() const {
    if (!FHandle) return wsNormal;
    if (FHandle->windowState() & Qt::WindowMinimized) return wsMinimized;
    if (FHandle->windowState() & Qt::WindowMaximized) return wsMaximized;
    return wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
    if (!FHandle) return;
    switch (state) {
        case wsMinimized: FHandle->setWindowState(Qt::WindowMinimized); break;
        case wsMaximized: FHandle->setWindowState(Qt::WindowMaximized); break;
        default: FHandle->setWindowState(Qt::WindowNoState); break;
    }
}

void TForm::BringToForeground() {
    if (!FHandle) return;
    FHandle->raise();
    FHandle->activateWindow();
}

int TForm::ShowModal() {
    if (Visible() || !Enabled() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
    QPointer<TForm> alive(this);
    FModal = true;
    FModalResult = mrNone;
    FHandle->setWindowModality(Qt::ApplicationModal);
    Show();
    if (!alive) return mrCancel;
    const ModalDriver& driver = InstalledDriver();
    try {
        if (driver)
            driver(*this);
        else
            RunEventLoopModal(*this);
    } catch (...) {
        if (alive) {
            FModal = false;
            EndModality();
        }
        throw;
    }
    if (!alive) return mrCancel;
    if (!CheckModalEnd()) {
        // The driver gave up before the session ended: it ends as cancelled,
        // whatever the close handlers would say.
        FModalResult = mrCancel;
        CheckModalEnd();
        if (FModalResult == mrNone) FModalResult = mrCancel;
    }
    const TModalResult result = FModalResult;
    FModal = false;
    if (alive) EndModality();
    return result;
}

void TForm::EndModality() {
    // Hidden while still modal: Qt forgets a modal window only when it hides as
    // one (changing the modality of a visible window is ignored, and the window
    // would stay in Qt's modal list after the form is freed).
    QPointer<TForm> alive(this);
    Hide();
    if (alive && FHandle) FHandle->setWindowModality(Qt::NonModal);
}

bool TForm::CheckModalEnd() {
    if (FModalResult == mrNone) return false;
    CloseModal();
    return FModalResult != mrNone;
}

void TForm::CloseModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    switch (action) {
        case caNone: FModalResult = mrNone; break;
        case caFree: Release(); break;
        default: break;
    }
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    switch (action) {
        case caNone: break;
        case caHide: Hide(); break;
        case caMinimize: SetWindowState(wsMinimized); break;
        case caFree: Release(); break;
    }
}

void TForm::SetActiveControl(TWinControl* control) {
    if (control == FActiveControl) return;
    if (control && (!ContainsControl(control) || control == this))
        throw EInvalidOperation("Invalid active control");
    if (Visible() && control && control->CanFocus()) {
        control->SetFocus();
        return;
    }
    // Remembered for when the form shows.
    FActiveControl = control;
}

void TForm::SetFocusedControl(TWinControl* control) {
    if (control == FActiveControl) return;
    FActiveControl = control;
    if (!control) {
        FEnteredControl = nullptr;
        return;
    }
    if (FEnteredControl && FEnteredControl != control) {
        TWinControl* leaving = FEnteredControl;
        FEnteredControl = nullptr;
        leaving->DoExit();
        // An exit handler that moved the focus has the last word.
        if (FActiveControl != control) return;
    }
    FEnteredControl = control;
    QPointer<TWinControl> entering(control);
    control->DoEnter();
    if (!entering || FActiveControl != control) return;
    if (control->Handle() && control->Handle()->focusPolicy() != Qt::NoFocus && Handle()->isActiveWindow() &&
        !control->Handle()->hasFocus())
        control->Handle()->setFocus(Qt::OtherFocusReason);
    FocusChanged(control);
}

void TForm::ControlRemoved(TWinControl* control) {
    if (FActiveControl && control->ContainsControl(FActiveControl)) FActiveControl = nullptr;
    if (FEnteredControl && control->ContainsControl(FEnteredControl)) FEnteredControl = nullptr;
}

void TForm::SelectFirst() {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
}

void TForm::PreviewKeyDown(std::uint16_t& key, TShiftState shift) { KeyDown(key, shift); }

void TForm::PreviewKeyPress(QChar& key) { KeyPress(key); }

bool TForm::WidgetEvent(QWidget* widget, QEvent* event) {
    if (event->type() == QEvent::Resize && widget == FHandle && OnResize) OnResize(this);
    QPointer<TForm> alive(this);
    if (TWinControl::WidgetEvent(widget, event)) return true;
    // Keys the focused control's widget did not accept arrive here through Qt's
    // propagation to the parent widgets.
    if (alive && event->type() == QEvent::KeyPress && widget == FHandle) return DialogKey(static_cast<QKeyEvent*>(event));
    return false;
}

bool TForm::DialogKey(QKeyEvent* event) {
    const std::uint16_t key = QtKeyToVirtualKey(event->key());
    if (key != VK_RETURN && key != VK_ESCAPE) return false;
    const TShiftState shift = ShiftFromModifiers(event->modifiers());
    return Perform(CM_DIALOGKEY, key, static_cast<LPARAM>(shift.toInt())) != 0;
}

// ---- screen and application --------------------------------------------------------

TScreen::TScreen() {
    FIconFont = new TFont(this);
    FHintFont = new TFont(this);
    FMenuFont = new TFont(this);
    connect(FHintFont, &TFont::Changed, this, [this] { QToolTip::setFont(FHintFont->ToQFont()); });
    connect(FMenuFont, &TFont::Changed, this, [this] { QApplication::setFont(FMenuFont->ToQFont(), "QMenu"); });
}

int TScreen::Width() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 0;
}

int TScreen::Height() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 0;
}

TForm* TScreen::ActiveForm() const {
    QWidget* w = QApplication::activeWindow();
    return qobject_cast<TForm*>(TControl::FromWidget(w));
}

TScreen* Screen() {
    EnsureApplication();
    static TScreen* screen = new TScreen;
    return screen;
}

void TApplication::SetShowHint(bool on) {
    FShowHint = on;
    if (!on) QToolTip::hideText();
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TApplication* Application() {
    EnsureApplication();
    static TApplication* app = new TApplication;
    return app;
}

void EnsureApplication() {
    QCoreApplication* existing = QCoreApplication::instance();
    if (existing) {
        if (!qobject_cast<QApplication*>(existing))
            throw EInvalidOperation("The host's Qt application cannot show windows (it is not a QApplication)");
        return;
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!platform || !*platform) && (!x11 || !*x11) && (!wayland || !*wayland))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Lives as long as the process: the host may load and unload us repeatedly.
    static int argc = 1;
    static char name[] = "HRWR07C";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace kv

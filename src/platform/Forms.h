// Forms, the screen and the application: modal runs through one replaceable
// driver, closing with a close action (hide, free later, minimise), key preview,
// the active control and focus-change notification.
#pragma once

#include <QString>

#include <functional>

#include "platform/Controls.h"

namespace kv {

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

class TForm;

// Runs one modal session of a form. The production driver processes events until
// form.CheckModalEnd() is true; a test driver acts on the form (clicks, typing,
// setting ModalResult) and returns. When a driver returns before the session
// ended, the form ends it with mrCancel. Message dialogs run through it too.
using ModalDriver = std::function<void(TForm& form)>;
// Installs a driver (an empty one restores the production driver) and returns the
// one it replaces.
ModalDriver SetModalDriver(ModalDriver driver);

// The window of a form.
class TFormWidget : public QWidget {
public:
    explicit TFormWidget(TForm* form);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TForm* FForm;
};

class TForm : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(int ClientWidth READ ClientWidth WRITE SetClientWidth)
    Q_PROPERTY(int ClientHeight READ ClientHeight WRITE SetClientHeight)
    Q_PROPERTY(bool KeyPreview READ KeyPreview WRITE SetKeyPreview)
    Q_PROPERTY(kv::Enums::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(kv::Enums::TPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(kv::Enums::TWindowState WindowState READ WindowState WRITE SetWindowState)
    Q_PROPERTY(kv::Enums::TFormStyle FormStyle READ FormStyle WRITE SetFormStyle)
    Q_PROPERTY(bool Scaled MEMBER Scaled)
    Q_PROPERTY(kv::TWinControl* ActiveControl READ ActiveControl WRITE SetActiveControl)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
    Q_PROPERTY(kv::TNotifyEvent OnCreate MEMBER OnCreate)
    Q_PROPERTY(kv::TNotifyEvent OnDestroy MEMBER OnDestroy)
    Q_PROPERTY(kv::TNotifyEvent OnShow MEMBER OnShow)
    Q_PROPERTY(kv::TNotifyEvent OnHide MEMBER OnHide)
    Q_PROPERTY(kv::TNotifyEvent OnActivate MEMBER OnActivate)
    Q_PROPERTY(kv::TNotifyEvent OnResize MEMBER OnResize)
    Q_PROPERTY(kv::TCloseEvent OnClose MEMBER OnClose)
    Q_PROPERTY(kv::TCloseQueryEvent OnCloseQuery MEMBER OnCloseQuery)
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Creates a form of class T and finishes its creation (loading ends, OnCreate
    // runs), as creating a form from its resource does.
    template <class T, class... Args>
    static T* Create(Args&&... args) {
        T* form = new T(std::forward<Args>(args)...);
        form->AfterConstruction();
        return form;
    }
    // Ends loading of the form and everything it owns, then raises OnCreate.
    virtual void AfterConstruction();
    // Raises OnDestroy (once); runs before destruction when a form is freed.
    void BeforeDestruction();
    // Frees the form now (OnDestroy first).
    void Free();
    // Frees the form once the events already queued have been handled.
    void Release();

    void SetVisible(bool on) override;
    bool CanFocus() const override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    void SetBounds(int left, int top, int width, int height) override;

    // Modal run through the installed driver; returns ModalResult.
    virtual int ShowModal();
    bool IsModal() const { return FModal; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result) { FModalResult = result; }
    // For drivers: a non-zero ModalResult ends the session unless OnCloseQuery or
    // OnClose refuses (then ModalResult is 0 again). True once ended.
    bool CheckModalEnd();

    // Closes the form: in a modal run it sets ModalResult to mrCancel; otherwise
    // it asks CloseQuery and acts on the close action.
    void Close();
    virtual bool CloseQuery();

    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool on) { FKeyPreview = on; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition position) { FPosition = position; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style);

    // The control with the focus, or the one that gets it when the form shows.
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    // Focus moved to control: exit the old one, enter the new one, then the
    // focus-change notification. Focus moved away from a control inside an exit
    // handler wins.
    void SetFocusedControl(TWinControl* control);
    // A control (and what it holds) left the form: it can no longer be active.
    void ControlRemoved(TWinControl* control);
    // Focuses the first control in tab order that can take the focus.
    void SelectFirst();

    // The form's own key events when key preview is on (before the control's).
    void PreviewKeyDown(std::uint16_t& key, TShiftState shift);
    void PreviewKeyPress(QChar& key);

    void BringToForeground();

    bool Scaled = true;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnResize;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    TForm(TComponent* AOwner, QWidget* handle);
    QString GetText() const override;
    void SetText(const QString& text) override;
    void WndProc(TMessage& message) override;
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    // Enter or Escape that neither the focused control nor its widget took: the
    // controls of the form are offered it (the default and cancel buttons).
    bool DialogKey(QKeyEvent* event);

    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    // After the focus moved to control (the classic CM_FOCUSCHANGED).
    virtual void FocusChanged(TWinControl* control);

private:
    friend class TFormWidget;
    void Init();
    void PlaceOnScreen();
    void ApplyWindowFlags();
    void CloseModal();
    void EndModality();
    QPointer<TWinControl> FActiveControl;
    QPointer<TWinControl> FEnteredControl;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    bool FKeyPreview = false;
    bool FDestroyDone = false;
    bool FCreated = false;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TPosition FPosition = poDesigned;
    TFormStyle FFormStyle = fsNormal;
};

// The screen: the fonts of icons, hints and menus, and its size.
class TScreen : public QObject {
    Q_OBJECT
public:
    TScreen();
    TFont* IconFont() const { return FIconFont; }
    TFont* HintFont() const { return FHintFont; }
    TFont* MenuFont() const { return FMenuFont; }
    int Width() const;
    int Height() const;
    TForm* ActiveForm() const;

private:
    TFont* FIconFont;
    TFont* FHintFont;
    TFont* FMenuFont;
};
TScreen* Screen();

// What the system's code needs of the application object.
class TApplication : public QObject {
    Q_OBJECT
public:
    bool ShowHint() const { return FShowHint; }
    // Off and on again makes hint windows take a new hint font.
    void SetShowHint(bool on);
    // Handles the events waiting now, then frees what was released.
    void ProcessMessages();

private:
    bool FShowHint = true;
};
TApplication* Application();

// Queues a message for a control; it is performed when events are next handled,
// and dropped when the control is gone by then.
void PostMessage(TControl* control, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);

}  // namespace kv

Q_DECLARE_METATYPE(kv::TCloseEvent)
Q_DECLARE_METATYPE(kv::TCloseQueryEvent)

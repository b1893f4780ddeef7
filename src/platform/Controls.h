// Controls: components with a parent, bounds, texts, colours, a font and input
// events. Each control owns one Qt widget (its handle) that draws and takes input;
// the widget's events are routed to the control's virtual handlers, so the key
// preview of forms, focus tracking and the assignable events work the same for
// every kind of control.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/Types.h"

class QKeyEvent;
class QMouseEvent;

namespace kv {

class TWinControl;
class TForm;
class TPopupMenu;

// Raised for operations that are not allowed in the control's state (focusing a
// hidden control, showing a visible form modally).
class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct TMessage {
    unsigned Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Message numbers keep their classic values.
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_CHAR = 0x0102;
constexpr unsigned WM_USER = 0x0400;
constexpr unsigned CM_BASE = 0xB000;
constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr unsigned CM_FONTCHANGED = CM_BASE + 4;
// Keys no control took (Enter, Escape) and Alt+letter accelerators, offered by
// the form to every control on it until one answers with a non-zero result.
// WParam is the virtual key, LParam the TShiftState bits.
constexpr unsigned CM_DIALOGKEY = CM_BASE + 5;
constexpr unsigned CM_DIALOGCHAR = CM_BASE + 6;
constexpr unsigned CM_FOCUSCHANGED = CM_BASE + 7;
constexpr unsigned CM_VISIBLECHANGED = CM_BASE + 9;
constexpr unsigned CM_TEXTCHANGED = CM_BASE + 18;
constexpr unsigned CM_RELEASE = CM_BASE + 33;
// A control's value changed (a radio button became checked, a radio group's
// selection moved); LParam is the control.
constexpr unsigned CM_CHANGED = CM_BASE + 37;

// A control as a message parameter and back.
inline LPARAM ControlParam(const void* control) { return reinterpret_cast<LPARAM>(control); }
template <class T>
T* ParamControl(LPARAM value) {
    return reinterpret_cast<T*>(value);
}

// Virtual key codes.
constexpr std::uint16_t VK_BACK = 8;
constexpr std::uint16_t VK_TAB = 9;
constexpr std::uint16_t VK_RETURN = 13;
constexpr std::uint16_t VK_SHIFT = 16;
constexpr std::uint16_t VK_CONTROL = 17;
constexpr std::uint16_t VK_MENU = 18;
constexpr std::uint16_t VK_ESCAPE = 27;
constexpr std::uint16_t VK_SPACE = 32;
constexpr std::uint16_t VK_PRIOR = 33;
constexpr std::uint16_t VK_NEXT = 34;
constexpr std::uint16_t VK_END = 35;
constexpr std::uint16_t VK_HOME = 36;
constexpr std::uint16_t VK_LEFT = 37;
constexpr std::uint16_t VK_UP = 38;
constexpr std::uint16_t VK_RIGHT = 39;
constexpr std::uint16_t VK_DOWN = 40;
constexpr std::uint16_t VK_INSERT = 45;
constexpr std::uint16_t VK_DELETE = 46;
constexpr std::uint16_t VK_F1 = 112;
constexpr std::uint16_t VK_F2 = 113;
constexpr std::uint16_t VK_F3 = 114;
constexpr std::uint16_t VK_F4 = 115;
constexpr std::uint16_t VK_F5 = 116;
constexpr std::uint16_t VK_F12 = 123;

// The virtual key of a Qt key (letters and digits are their upper-case ASCII), 0
// when there is none.
std::uint16_t QtKeyToVirtualKey(int qtKey);
int VirtualKeyToQtKey(std::uint16_t key);
TShiftState ShiftFromModifiers(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);

using TKeyEvent = TEvent<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, QChar& Key)>;
using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// A control: owned like any component, placed in a parent, drawn by its widget.
class TControl : public TComponent {
    Q_OBJECT
    Q_CLASSINFO("PropertyType:Color", "TColor")
    Q_CLASSINFO("PropertyType:Cursor", "TCursor")
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(kv::TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor)
    Q_PROPERTY(kv::Enums::TAlign Align READ Align WRITE SetAlign)
    Q_MOC_INCLUDE("platform/Menus.h")
    Q_PROPERTY(kv::TPopupMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(int HelpContext MEMBER HelpContext)
    Q_PROPERTY(kv::TNotifyEvent OnClick MEMBER OnClick)
    Q_PROPERTY(kv::TNotifyEvent OnDblClick MEMBER OnDblClick)
    Q_PROPERTY(kv::TMouseEvent OnMouseDown MEMBER OnMouseDown)
    Q_PROPERTY(kv::TMouseEvent OnMouseUp MEMBER OnMouseUp)
    Q_PROPERTY(kv::TMouseMoveEvent OnMouseMove MEMBER OnMouseMove)
public:
    ~TControl() override;

    // The widget that draws this control.
    QWidget* Handle() const { return FHandle; }
    // The control a widget belongs to (the widget itself or the nearest ancestor
    // that is a control's handle), or null.
    static TControl* FromWidget(const QWidget* widget);

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height);
    QRect BoundsRect() const { return QRect(Left(), Top(), Width(), Height()); }
    virtual int ClientWidth() const { return Width(); }
    virtual int ClientHeight() const { return Height(); }
    void SetClientWidth(int v);
    void SetClientHeight(int v);

    // The window text: what the published Caption or Text of a class shows.
    QString Caption() const { return GetText(); }
    void SetCaption(const QString& text) { SetText(text); }

    QString Hint() const { return FHint; }
    void SetHint(const QString& hint);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool on);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool on);

    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool on);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool on);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to the top.
    bool Showing() const;

    TColor Color() const { return FColor; }
    virtual void SetColor(TColor color);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool on);
    TFont* Font() const { return FFont; }
    void SetFont(TFont* font);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool on);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);
    // Shown on a right click when its AutoPopup is on; without one the click goes
    // on to the parent control.
    TPopupMenu* PopupMenu() const;
    void SetPopupMenu(TPopupMenu* menu);

    // Sends a message to the control now and returns its result.
    LRESULT Perform(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);

    virtual void Click();
    virtual void DblClick();
    void Invalidate();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();
    QPoint ClientToScreen(const QPoint& p) const;
    QPoint ScreenToClient(const QPoint& p) const;

    int HelpContext = 0;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    // The control takes ownership of its widget.
    TControl(TComponent* AOwner, QWidget* handle);

    virtual QString GetText() const;
    virtual void SetText(const QString& text);

    // Message handling; overrides call the inherited one for messages they do not
    // handle.
    virtual void WndProc(TMessage& message);

    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // A left press and release inside the control is a click (for controls whose
    // widget has no click of its own: labels, panels, self-drawn controls).
    void SetClickOnRelease(bool on) { FClickOnRelease = on; }

    // Routes input events of another widget (a viewport, an embedded editor) to
    // this control, as those of its handle are.
    void RouteEventsFrom(QWidget* widget);
    // A widget event before the widget sees it; true consumes it.
    virtual bool WidgetEvent(QWidget* widget, QEvent* event);

    // The font or colour changed (own or inherited); the default applies it to the
    // widget's font and palette.
    virtual void FontChanged();
    virtual void ColorChanged();
    // The hint text shown, "" when hints are off here.
    QString EffectiveHint() const;
    bool EffectiveShowHint() const;
    void UpdateHintDisplay();

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    // The Visible flag without showing or hiding anything (forms start hidden).
    void SetVisibleFlag(bool on) { FVisible = on; }

    QPointer<QWidget> FHandle;

private:
    friend class TWinControl;
    void ParentFontChanged();
    void ParentColorChanged();
    TWinControl* FParent = nullptr;
    QString FText;
    QString FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    bool FEnabled = true;
    bool FVisible = true;
    TColor FColor = clBtnFace;
    bool FParentColor = false;
    TFont* FFont = nullptr;
    bool FParentFont = true;
    bool FFontFromParent = false;
    TCursor FCursor = crDefault;
    TAlign FAlign = alNone;
    bool FClickOnRelease = false;
    bool FPressed = false;
    QPointer<QObject> FPopupMenu;
};

// A control that can hold other controls and take the keyboard focus.
class TWinControl : public TControl {
    Q_OBJECT
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(kv::TNotifyEvent OnEnter MEMBER OnEnter)
    Q_PROPERTY(kv::TNotifyEvent OnExit MEMBER OnExit)
    Q_PROPERTY(kv::TKeyEvent OnKeyDown MEMBER OnKeyDown)
    Q_PROPERTY(kv::TKeyEvent OnKeyUp MEMBER OnKeyUp)
    Q_PROPERTY(kv::TKeyPressEvent OnKeyPress MEMBER OnKeyPress)
public:
    ~TWinControl() override;

    // Child controls in insertion order.
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const;
    bool ContainsControl(const TControl* control) const;

    // Position among the parent's windowed children in tab order; -1 without a
    // parent. Setting it moves the control there (clamped).
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool on) { FTabStop = on; }
    // The windowed children in tab order.
    std::vector<TWinControl*> TabList() const { return FTabList; }
    // Every windowed control below this one, depth first, each followed by its own
    // children, in tab order.
    std::vector<TWinControl*> GetTabOrderList() const;

    // Visible and enabled up to the form, whose window is showing.
    virtual bool CanFocus() const;
    // The form's active control is this one.
    bool Focused() const;
    // Gives this control the keyboard focus; EInvalidOperation when it cannot.
    virtual void SetFocus();
    // The next (or previous) control after current that can take the focus (and
    // has TabStop when checkTabStop), wrapping around; null when none.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    // Focuses the control FindNextControl gives.
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    // Whether Tab is an input key here (multi-line editors, grids) rather than
    // a move to the next control.
    virtual bool WantsTabKey() const { return false; }

    // Where children's widgets live (the handle itself unless a class has a
    // client area widget of its own, like a tab sheet or a group box).
    virtual QWidget* ClientWidget() const { return FHandle; }
    // Lays out the children that have an Align.
    void AlignControls();
    // The part of the client area aligned children share (a panel keeps its
    // border and bevels out of it).
    virtual void AdjustClientRect(QRect& rect) const { (void)rect; }

    // Key handling as the widget reports it: KeyDown, then KeyPress for the
    // character; a key or character set to 0 is swallowed.
    virtual void KeyDown(std::uint16_t& key, TShiftState shift);
    virtual void KeyUp(std::uint16_t& key, TShiftState shift);
    virtual void KeyPress(QChar& key);
    // Focus arrived at or left this control (the form calls these as focus moves).
    virtual void DoEnter();
    virtual void DoExit();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

protected:
    TWinControl(TComponent* AOwner, QWidget* handle);
    bool WidgetEvent(QWidget* widget, QEvent* event) override;
    void FontChanged() override;
    void ColorChanged() override;
    // A key press from the widget; true when it was consumed.
    bool HandleKeyPress(QWidget* widget, QKeyEvent* event);
    bool HandleKeyRelease(QKeyEvent* event);

private:
    friend class TControl;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    bool FTabStop = false;
    bool FInSyntheticKey = false;
    // Set when a focus event has told the form that this control has the focus.
    bool FFocusReported = false;
};

// A plain windowed control with nothing in it (a base for containers and for
// self-drawn windowed controls, which override Paint).
class TCustomControl : public TWinControl {
    Q_OBJECT
public:
    explicit TCustomControl(TComponent* AOwner);

protected:
    TCustomControl(TComponent* AOwner, QWidget* handle);
    friend class TPaintWidget;
    // Draws the control; painter is open on its widget.
    virtual void Paint(class QPainter& painter);
};

// A control without a window of its own in the classic sense: it cannot take the
// focus or hold controls (labels, speed buttons, images). Self-drawn through
// Paint.
class TGraphicControl : public TControl {
    Q_OBJECT
public:
    explicit TGraphicControl(TComponent* AOwner);

protected:
    TGraphicControl(TComponent* AOwner, QWidget* handle);
    friend class TPaintWidget;
    virtual void Paint(class QPainter& painter);
};

// The widget of self-drawn controls: paints through the control's Paint.
class TPaintWidget : public QWidget {
public:
    explicit TPaintWidget(QWidget* parent = nullptr) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Creates a QApplication on the calling thread when the process has none (a host
// without Qt); without a display it draws offscreen. EInvalidOperation when the
// process has a Qt application that cannot show widgets.
void EnsureApplication();

// A control's widget; the application object exists before any widget does.
template <class W, class... Args>
W* NewWidget(Args&&... args) {
    EnsureApplication();
    return new W(std::forward<Args>(args)...);
}

// The form a control sits on (the control itself when it is a form), or null.
TForm* GetParentForm(const TControl* control);

// Binds a member function of a form or component as an event handler, the way
// form resources connect events to published handlers.
template <class Obj, class Ret, class... Args>
auto Handler(Obj* object, Ret (Obj::*method)(Args...)) {
    return [object, method](Args... args) -> Ret { return (object->*method)(std::forward<Args>(args)...); };
}

}  // namespace kv

Q_DECLARE_METATYPE(kv::TKeyEvent)
Q_DECLARE_METATYPE(kv::TKeyPressEvent)
Q_DECLARE_METATYPE(kv::TMouseEvent)
Q_DECLARE_METATYPE(kv::TMouseMoveEvent)

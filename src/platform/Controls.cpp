#include "platform/Controls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "platform/Forms.h"
#include "platform/Menus.h"

namespace kv {

namespace {

constexpr const char* kControlProperty = "kvControl";

// Posted messages travel as this event type.
class TMessageEvent : public QEvent {
public:
    static QEvent::Type Kind() {
        static const int kind = QEvent::registerEventType();
        return static_cast<QEvent::Type>(kind);
    }
    explicit TMessageEvent(const TMessage& m) : QEvent(Kind()), Message(m) {}
    TMessage Message;
};

struct KeyPair {
    int Qt;
    std::uint16_t Vk;
};

constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},  {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},     {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},    {Qt::Key_PageUp, VK_PRIOR},  {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},        {Qt::Key_Home, VK_HOME},     {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},          {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT},  {Qt::Key_Delete, VK_DELETE},
};

// A key press a control's widget leaves unaccepted travels on to the parent
// widgets (Qt's key propagation). The controls met on the way must not take it as
// a key of their own a second time (the form's key preview would see it twice):
// the control that handled a key event first remembers it here.
struct HandledKey {
    const QEvent* Event = nullptr;
    QEvent::Type Type = QEvent::None;
    int Key = 0;
    Qt::KeyboardModifiers Modifiers;
    QPointer<QWidget> Widget;
};

HandledKey& LastHandledKey() {
    static HandledKey handled;
    return handled;
}

bool IsPropagatedKey(const QWidget* widget, const QKeyEvent* event) {
    const HandledKey& k = LastHandledKey();
    return k.Event == event && k.Type == event->type() && k.Key == event->key() && k.Modifiers == event->modifiers() &&
           k.Widget && k.Widget != widget && widget->isAncestorOf(k.Widget);
}

void RememberHandledKey(QWidget* widget, const QKeyEvent* event) {
    HandledKey& k = LastHandledKey();
    k.Event = event;
    k.Type = event->type();
    k.Key = event->key();
    k.Modifiers = event->modifiers();
    k.Widget = widget;
}

TMouseButton MouseButtonOf(Qt::MouseButton b) {
    switch (b) {
        case Qt::RightButton: return mbRight;
        case Qt::MiddleButton: return mbMiddle;
        default: return mbLeft;
    }
}

}  // namespace

std::uint16_t QtKeyToVirtualKey(int qtKey) {
    for (const KeyPair& k : kKeys)
        if (k.Qt == qtKey) return k.Vk;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<std::uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return static_cast<std::uint16_t>(qtKey);
    return 0;
}

int VirtualKeyToQtKey(std::uint16_t key) {
    for (const KeyPair& k : kKeys)
        if (k.Vk == key) return k.Qt;
    if (key >= VK_F1 && key < VK_F1 + 24) return Qt::Key_F1 + (key - VK_F1);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return key;
    return 0;
}

TShiftState ShiftFromModifiers(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TForm* GetParentForm(const TControl* control) {
    const TControl* top = control;
    while (top && top->Parent()) top = top->Parent();
    return qobject_cast<TForm*>(const_cast<TControl*>(top));
}

// ---- TControl ---------------------------------------------------------------------

TControl::TControl(TComponent* AOwner, QWidget* handle) : TComponent(AOwner), FHandle(handle) {
    EnsureApplication();
    FFont = new TFont(this);
    if (FHandle) {
        FHandle->setProperty(kControlProperty, QVariant::fromValue<QObject*>(this));
        FHandle->installEventFilter(this);
        FHandle->hide();
        FFont->SetQFont(FHandle->font());
    }
    connect(FFont, &TFont::Changed, this, [this] {
        if (!FFontFromParent) FParentFont = false;
        FontChanged();
    });
}

TControl::~TControl() {
    if (FParent) FParent->RemoveControl(this);
    if (FHandle) {
        FHandle->removeEventFilter(this);
        delete FHandle.data();
    }
}

TControl* TControl::FromWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant v = w->property(kControlProperty);
        if (v.isValid()) return qobject_cast<TControl*>(v.value<QObject*>());
    }
    return nullptr;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (parent == this) throw EInvalidOperation("A control cannot be its own parent");
    if (FParent) FParent->RemoveControl(this);
    FParent = parent;
    if (FHandle) {
        const QRect geometry = FHandle->geometry();
        FHandle->setParent(parent ? parent->ClientWidget() : nullptr);
        FHandle->setGeometry(geometry);
        if (parent)
            FHandle->setVisible(FVisible);
        else
            FHandle->hide();
    }
    if (parent) {
        parent->InsertControl(this);
        if (FParentFont) ParentFontChanged();
        if (FParentColor) ParentColorChanged();
        UpdateHintDisplay();
        parent->AlignControls();
    }
}

int TControl::Left() const { return FHandle ? FHandle->x() : 0; }
int TControl::Top() const { return FHandle ? FHandle->y() : 0; }
int TControl::Width() const { return FHandle ? FHandle->width() : 0; }
int TControl::Height() const { return FHandle ? FHandle->height() : 0; }

void TControl::SetBounds(int left, int top, int width, int height) {
    if (!FHandle) return;
    const QRect r(left, top, std::max(0, width), std::max(0, height));
    if (r == FHandle->geometry()) return;
    FHandle->setGeometry(r);
    if (FParent && FAlign != alNone) FParent->AlignControls();
}

void TControl::SetClientWidth(int v) { SetWidth(Width() - ClientWidth() + v); }
void TControl::SetClientHeight(int v) { SetHeight(Height() - ClientHeight() + v); }

QString TControl::GetText() const { return FText; }

void TControl::SetText(const QString& text) {
    if (text == FText) return;
    FText = text;
    Perform(CM_TEXTCHANGED);
}

QString TControl::EffectiveHint() const {
    if (!EffectiveShowHint()) return QString();
    // "short|long": the hint window shows the short part.
    const qsizetype bar = FHint.indexOf(QLatin1Char('|'));
    return bar < 0 ? FHint : FHint.left(bar);
}

bool TControl::EffectiveShowHint() const {
    if (FParentShowHint && FParent) return FParent->EffectiveShowHint();
    return FShowHint;
}

void TControl::UpdateHintDisplay() {
    if (FHandle) FHandle->setToolTip(EffectiveHint());
    if (auto* win = qobject_cast<TWinControl*>(this))
        for (int i = 0; i < win->ControlCount(); ++i) win->Controls(i)->UpdateHintDisplay();
}

void TControl::SetHint(const QString& hint) {
    FHint = hint;
    UpdateHintDisplay();
}

void TControl::SetShowHint(bool on) {
    FShowHint = on;
    FParentShowHint = false;
    UpdateHintDisplay();
}

void TControl::SetParentShowHint(bool on) {
    FParentShowHint = on;
    UpdateHintDisplay();
}

void TControl::SetEnabled(bool on) {
    if (on == FEnabled) return;
    FEnabled = on;
    if (FHandle) FHandle->setEnabled(on);
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetVisible(bool on) {
    if (on == FVisible) return;
    FVisible = on;
    // A control without a parent never shows: its widget would become a window.
    if (FHandle && FParent) FHandle->setVisible(on);
    Perform(CM_VISIBLECHANGED, on ? 1 : 0);
    if (FParent && FAlign != alNone) FParent->AlignControls();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->Parent()) {
        if (!c->Visible()) return false;
        if (!c->Parent()) return qobject_cast<const TForm*>(c) != nullptr;
    }
    return false;
}

void TControl::SetColor(TColor color) {
    FParentColor = false;
    if (color == FColor) return;
    FColor = color;
    ColorChanged();
}

void TControl::SetParentColor(bool on) {
    FParentColor = on;
    if (on && FParent) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!FParentColor || !FParent) return;
    FColor = FParent->Color();
    ColorChanged();
}

void TControl::SetFont(TFont* font) {
    if (font && font != FFont) FFont->Assign(font);
}

void TControl::SetParentFont(bool on) {
    FParentFont = on;
    if (on && FParent) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!FParentFont || !FParent) return;
    FFontFromParent = true;
    FFont->Assign(FParent->Font());
    FFontFromParent = false;
}

void TControl::FontChanged() {
    if (!FHandle) return;
    FHandle->setFont(FFont->ToQFont());
    QPalette pal = FHandle->palette();
    const QColor text = ColorToQColor(FFont->Color());
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::ButtonText, text);
    FHandle->setPalette(pal);
}

void TControl::ColorChanged() {
    if (!FHandle) return;
    QPalette pal = FHandle->palette();
    pal.setColor(FHandle->backgroundRole(), ColorToQColor(FColor));
    FHandle->setPalette(pal);
}

void TControl::SetCursor(TCursor cursor) {
    FCursor = cursor;
    if (!FHandle) return;
    switch (cursor) {
        case crDefault: FHandle->unsetCursor(); break;
        case crNone: FHandle->setCursor(Qt::BlankCursor); break;
        case crCross: FHandle->setCursor(Qt::CrossCursor); break;
        case crIBeam: FHandle->setCursor(Qt::IBeamCursor); break;
        case crHourGlass:
        case crSQLWait: FHandle->setCursor(Qt::WaitCursor); break;
        case crAppStart: FHandle->setCursor(Qt::BusyCursor); break;
        case crHandPoint: FHandle->setCursor(Qt::PointingHandCursor); break;
        case crHSplit:
        case crSizeWE: FHandle->setCursor(Qt::SizeHorCursor); break;
        case crVSplit:
        case crSizeNS: FHandle->setCursor(Qt::SizeVerCursor); break;
        case crNo:
        case crNoDrop: FHandle->setCursor(Qt::ForbiddenCursor); break;
        case crHelp: FHandle->setCursor(Qt::WhatsThisCursor); break;
        default: FHandle->setCursor(Qt::ArrowCursor); break;
    }
}

void TControl::SetAlign(TAlign align) {
    if (align == FAlign) return;
    FAlign = align;
    if (FParent) FParent->AlignControls();
}

LRESULT TControl::Perform(unsigned msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage&) {}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::Invalidate() {
    if (FHandle) FHandle->update();
}

void TControl::Repaint() {
    if (FHandle) FHandle->repaint();
}

void TControl::BringToFront() {
    if (FHandle) FHandle->raise();
}

void TControl::SendToBack() {
    if (FHandle) FHandle->lower();
}

QPoint TControl::ClientToScreen(const QPoint& p) const { return FHandle ? FHandle->mapToGlobal(p) : p; }
QPoint TControl::ScreenToClient(const QPoint& p) const { return FHandle ? FHandle->mapFromGlobal(p) : p; }

TPopupMenu* TControl::PopupMenu() const { return static_cast<TPopupMenu*>(FPopupMenu.data()); }

void TControl::SetPopupMenu(TPopupMenu* menu) { FPopupMenu = menu; }

void TControl::RouteEventsFrom(QWidget* widget) {
    if (!widget) return;
    widget->installEventFilter(this);
}

bool TControl::WidgetEvent(QWidget* widget, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint p = widget == FHandle ? me->position().toPoint()
                                               : widget->mapTo(FHandle, me->position().toPoint());
            FPressed = me->button() == Qt::LeftButton;
            MouseDown(MouseButtonOf(me->button()), ShiftFromModifiers(me->modifiers(), me->buttons()), p.x(), p.y());
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint p = widget == FHandle ? me->position().toPoint()
                                               : widget->mapTo(FHandle, me->position().toPoint());
            const bool wasPressed = FPressed && me->button() == Qt::LeftButton;
            FPressed = false;
            QPointer<TControl> alive(this);
            MouseUp(MouseButtonOf(me->button()), ShiftFromModifiers(me->modifiers(), me->buttons()), p.x(), p.y());
            if (alive && FClickOnRelease && wasPressed && FHandle && FHandle->rect().contains(p) && FEnabled) Click();
            break;
        }
        case QEvent::MouseButtonDblClick:
            if (FClickOnRelease) {
                DblClick();
                return true;
            }
            break;
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint p = widget == FHandle ? me->position().toPoint()
                                               : widget->mapTo(FHandle, me->position().toPoint());
            MouseMove(ShiftFromModifiers(me->modifiers(), me->buttons()), p.x(), p.y());
            break;
        }
        case QEvent::ContextMenu:
            if (TPopupMenu* menu = PopupMenu(); menu && menu->AutoPopup()) {
                const QPoint at = static_cast<QContextMenuEvent*>(event)->globalPos();
                menu->SetPopupComponent(this);
                menu->Popup(at.x(), at.y());
                return true;
            }
            break;
        case QEvent::Resize:
            if (widget == FHandle)
                if (auto* win = qobject_cast<TWinControl*>(this)) win->AlignControls();
            break;
        default: break;
    }
    return false;
}

bool TControl::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || IsDestroying()) return false;
    return WidgetEvent(widget, event);
}

bool TControl::event(QEvent* event) {
    if (event->type() == TMessageEvent::Kind()) {
        auto* me = static_cast<TMessageEvent*>(event);
        Perform(me->Message.Msg, me->Message.WParam, me->Message.LParam);
        return true;
    }
    return TComponent::event(event);
}

void PostMessage(TControl* control, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!control) return;
    // Qt drops events posted to an object that is deleted before they run.
    QCoreApplication::postEvent(control, new TMessageEvent(TMessage{msg, wParam, lParam, 0}));
}

// ---- TWinControl ------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner, QWidget* handle) : TControl(AOwner, handle) {
    if (FHandle) FHandle->setFocusPolicy(Qt::NoFocus);
}

TWinControl::~TWinControl() {
    SetComponentStateFlag(csDestroying, true);
    // Leave the parent while still a windowed control, so the form lets go of
    // the focus it may hold.
    if (Parent()) SetParent(nullptr);
    // Child controls go with their parent, the last one first.
    while (!FControls.empty()) {
        TControl* child = FControls.back();
        child->SetParent(nullptr);
        if (!child->Owner() || child->Owner() == this) delete child;
    }
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount()) throw std::out_of_range("Control index out of bounds");
    return FControls[static_cast<size_t>(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* control) {
    FControls.push_back(control);
    if (auto* win = qobject_cast<TWinControl*>(control)) FTabList.push_back(win);
}

void TWinControl::RemoveControl(TControl* control) {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), control), FTabList.end());
    if (TForm* form = GetParentForm(this)) {
        auto* win = qobject_cast<TWinControl*>(control);
        if (win && form != win) form->ControlRemoved(win);
    }
}

int TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    const auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (!Parent()) return;
    auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

std::vector<TWinControl*> TWinControl::GetTabOrderList() const {
    std::vector<TWinControl*> out;
    for (TWinControl* c : FTabList) {
        out.push_back(c);
        const auto below = c->GetTabOrderList();
        out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

bool TWinControl::CanFocus() const {
    TForm* form = GetParentForm(this);
    if (!form || !form->Visible() || !form->Enabled()) return false;
    for (const TControl* c = this; c && c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const {
    TForm* form = GetParentForm(this);
    return form && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
    TForm* form = GetParentForm(this);
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (form == this) {
        form->BringToForeground();
        return;
    }
    if (FHandle) {
        if (FHandle->focusPolicy() == Qt::NoFocus) FHandle->setFocusPolicy(Qt::StrongFocus);
        FFocusReported = false;
        QPointer<TWinControl> alive(this);
        FHandle->setFocus(Qt::OtherFocusReason);
        // In an active window the focus event has already moved the form's focus,
        // exit handlers included; moving it again would run them twice (and undo
        // an exit handler that kept the focus where it was).
        if (!alive || FFocusReported) return;
    }
    // The window may not be active (or may be offscreen): the form still knows.
    form->SetFocusedControl(this);
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
    const auto list = GetTabOrderList();
    if (list.empty()) return nullptr;
    const int n = static_cast<int>(list.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (list[static_cast<size_t>(i)] == current) start = i;
    if (start < 0) start = goForward ? n - 1 : 0;
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c == current) break;
        if ((!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) && c->CanFocus()) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop)) next->SetFocus();
}

void TWinControl::AlignControls() {
    QWidget* client = ClientWidget();
    if (!client) return;
    QRect r = client->rect();
    AdjustClientRect(r);
    auto place = [&](TAlign which) {
        for (TControl* c : FControls) {
            if (c->Align() != which || !c->Visible() || !c->Handle()) continue;
            QWidget* w = c->Handle();
            switch (which) {
                case alTop:
                    w->setGeometry(r.left(), r.top(), r.width(), w->height());
                    r.setTop(r.top() + w->height());
                    break;
                case alBottom:
                    w->setGeometry(r.left(), r.bottom() + 1 - w->height(), r.width(), w->height());
                    r.setBottom(r.bottom() - w->height());
                    break;
                case alLeft:
                    w->setGeometry(r.left(), r.top(), w->width(), r.height());
                    r.setLeft(r.left() + w->width());
                    break;
                case alRight:
                    w->setGeometry(r.right() + 1 - w->width(), r.top(), w->width(), r.height());
                    r.setRight(r.right() - w->width());
                    break;
                case alClient: w->setGeometry(r); break;
                default: break;
            }
        }
    };
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) place(a);
}

void TWinControl::KeyDown(std::uint16_t& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(std::uint16_t& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(QChar& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* c : FControls) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
    TControl::ColorChanged();
    for (TControl* c : FControls) c->ParentColorChanged();
}

bool TWinControl::HandleKeyPress(QWidget* widget, QKeyEvent* event) {
    if (FInSyntheticKey) return false;
    QPointer<TWinControl> alive(this);
    TForm* form = GetParentForm(this);
    QPointer<TForm> formAlive(form);
    const bool preview = form && form != this && form->KeyPreview();
    const TShiftState shift = ShiftFromModifiers(event->modifiers());
    std::uint16_t key = QtKeyToVirtualKey(event->key());
    if (key != 0) {
        if (preview) form->PreviewKeyDown(key, shift);
        if (!alive) return true;
        if (key == 0) return true;
        KeyDown(key, shift);
        if (!alive || key == 0) return true;
        if (key == VK_TAB && !(shift & (ssCtrl | ssAlt)) && !WantsTabKey()) {
            if (formAlive) form->SelectNext(this, !(shift & ssShift), true);
            return true;
        }
        // Alt+letter: an accelerator of a control on the form (a label's focus
        // control, a button).
        if ((shift & ssAlt) && !(shift & ssCtrl) && formAlive &&
            form->Perform(CM_DIALOGCHAR, key, static_cast<LPARAM>(shift.toInt())) != 0)
            return true;
    }
    const QString text = event->text();
    if (text.size() != 1) return false;
    QChar ch = text.at(0);
    const QChar original = ch;
    if (preview && formAlive) form->PreviewKeyPress(ch);
    if (!alive) return true;
    if (ch.isNull()) return true;
    KeyPress(ch);
    if (!alive || ch.isNull()) return true;
    if (ch != original) {
        // The handler changed the character: the widget gets the new one.
        QKeyEvent changed(event->type(), 0, event->modifiers(), QString(ch), event->isAutoRepeat());
        FInSyntheticKey = true;
        QCoreApplication::sendEvent(widget, &changed);
        if (alive) FInSyntheticKey = false;
        return true;
    }
    return false;
}

bool TWinControl::HandleKeyRelease(QKeyEvent* event) {
    std::uint16_t key = QtKeyToVirtualKey(event->key());
    if (key == 0 || FInSyntheticKey) return false;
    KeyUp(key, ShiftFromModifiers(event->modifiers()));
    return key == 0;
}

bool TWinControl::WidgetEvent(QWidget* widget, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* ke = static_cast<QKeyEvent*>(event);
            if (IsPropagatedKey(widget, ke)) return false;
            RememberHandledKey(widget, ke);
            return event->type() == QEvent::KeyPress ? HandleKeyPress(widget, ke) : HandleKeyRelease(ke);
        }
        case QEvent::FocusIn: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Focus coming back with the window is no move between controls.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                if (TForm* form = GetParentForm(this))
                    if (form != this) {
                        FFocusReported = true;
                        form->SetFocusedControl(this);
                    }
            break;
        }
        default: break;
    }
    return TControl::WidgetEvent(widget, event);
}

// ---- self-drawn controls ----------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TCustomControl(AOwner, NewWidget<TPaintWidget>()) {}
TCustomControl::TCustomControl(TComponent* AOwner, QWidget* handle) : TWinControl(AOwner, handle) {}
void TCustomControl::Paint(QPainter&) {}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner, NewWidget<TPaintWidget>()) {}
TGraphicControl::TGraphicControl(TComponent* AOwner, QWidget* handle) : TControl(AOwner, handle) {
    SetClickOnRelease(true);
}
void TGraphicControl::Paint(QPainter&) {}

void TPaintWidget::paintEvent(QPaintEvent*) {
    TControl* control = TControl::FromWidget(this);
    if (!control || control->Handle() != this) return;
    QPainter painter(this);
    if (auto* custom = qobject_cast<TCustomControl*>(control))
        custom->Paint(painter);
    else if (auto* graphic = qobject_cast<TGraphicControl*>(control))
        graphic->Paint(painter);
}

}  // namespace kv

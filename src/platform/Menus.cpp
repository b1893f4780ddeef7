#include "platform/Menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <algorithm>
#include <stdexcept>

#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/ImgList.h"

namespace kv {

// ---- shortcuts ----------------------------------------------------------------------

TShortCut ShortCut(std::uint16_t key, TShiftState shift) {
    if (key & 0xFF00) return scNone;
    TShortCut result = key;
    if (shift & ssShift) result |= scShift;
    if (shift & ssCtrl) result |= scCtrl;
    if (shift & ssAlt) result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift) {
    key = shortCut & 0xFF;
    shift = {};
    if (shortCut & scShift) shift |= ssShift;
    if (shortCut & scCtrl) shift |= ssCtrl;
    if (shortCut & scAlt) shift |= ssAlt;
}

namespace {

struct KeyName {
    std::uint16_t Key;
    const char* Name;
};

// The names the classic shortcut texts use for keys that are not a letter, a
// digit or a function key.
constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},   {VK_ESCAPE, "Esc"}, {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},   {VK_HOME, "Home"},     {VK_LEFT, "Left"},
    {VK_UP, "Up"},     {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"},    {VK_DELETE, "Del"},
};

QString KeyText(std::uint16_t key) {
    for (const KeyName& k : kKeyNames)
        if (k.Key == key) return QString::fromLatin1(k.Name);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return QString(QChar(key));
    if (key >= VK_F1 && key < VK_F1 + 24) return QStringLiteral("F%1").arg(key - VK_F1 + 1);
    return QString();
}

}  // namespace

QString ShortCutToText(TShortCut shortCut) {
    const QString name = KeyText(shortCut & 0xFF);
    if (name.isEmpty()) return QString();
    QString text;
    if (shortCut & scShift) text += QLatin1String("Shift+");
    if (shortCut & scCtrl) text += QLatin1String("Ctrl+");
    if (shortCut & scAlt) text += QLatin1String("Alt+");
    return text + name;
}

TShortCut TextToShortCut(const QString& text) {
    QString rest = text.trimmed();
    TShortCut mods = 0;
    // Modifier prefixes in any order, letter case ignored.
    for (bool found = true; found;) {
        found = false;
        for (auto [prefix, bit] : {std::pair{"Shift+", scShift}, std::pair{"Ctrl+", scCtrl}, std::pair{"Alt+", scAlt}})
            if (rest.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) {
                mods |= bit;
                rest = rest.mid(static_cast<qsizetype>(qstrlen(prefix)));
                found = true;
            }
    }
    for (std::uint16_t key = 1; key < 256; ++key) {
        const QString name = KeyText(key);
        if (!name.isEmpty() && name.compare(rest, Qt::CaseInsensitive) == 0) return static_cast<TShortCut>(key | mods);
    }
    return scNone;
}

namespace {

QKeySequence ShortCutToKeySequence(TShortCut shortCut) {
    std::uint16_t key = 0;
    TShiftState shift;
    ShortCutToKey(shortCut, key, shift);
    const int qtKey = VirtualKeyToQtKey(key);
    if (qtKey == 0) return {};
    Qt::KeyboardModifiers mods;
    if (shift & ssShift) mods |= Qt::ShiftModifier;
    if (shift & ssCtrl) mods |= Qt::ControlModifier;
    if (shift & ssAlt) mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(qtKey)));
}

QString StripAccel(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) out += caption[++i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

}  // namespace

// ---- TMenuItem ----------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
    EnsureApplication();
    FAction = new QAction(this);
    connect(FAction, &QAction::triggered, this, [this] {
        QPointer<TMenuItem> alive(this);
        Click();
        // Qt flips a checkable action itself; the item decides.
        if (alive) FAction->setChecked(FChecked);
    });
    UpdateAction();
}

TMenuItem::~TMenuItem() {
    SetComponentStateFlag(csDestroying, true);
    if (FParent) FParent->Remove(this);
    Clear();
    delete FSubMenu;
    delete FBitmap;
}

void TMenuItem::UpdateAction() {
    FAction->setText(FCaption);
    FAction->setSeparator(IsLine());
    FAction->setEnabled(FEnabled);
    FAction->setVisible(FVisible);
    FAction->setCheckable(FChecked);
    FAction->setChecked(FChecked);
    FAction->setShortcut(ShortCutToKeySequence(FShortCut));
    // Shown in the menu only; the form decides what a key does (TMenu::IsShortCut).
    FAction->setShortcutContext(Qt::WidgetShortcut);
    const QString shortHint = FHint.section(QLatin1Char('|'), 0, 0);
    FAction->setToolTip(shortHint);
    FAction->setStatusTip(FHint.section(QLatin1Char('|'), -1));
    QIcon icon;
    if (FBitmap && !FBitmap->Empty()) {
        icon = QIcon(QPixmap::fromImage(FBitmap->DrawingImage()));
    } else if (TMenu* menu = GetParentMenu(); menu && menu->Images() && FImageIndex >= 0) {
        const QPixmap pm = menu->Images()->Pixmap(FImageIndex);
        if (!pm.isNull()) icon = QIcon(pm);
    }
    FAction->setIcon(icon);
    if (FParent && FParent->FSubMenu)
        if (FParent->FSubMenu->defaultAction() == FAction || FDefault)
            FParent->FSubMenu->setDefaultAction(FDefault ? FAction : nullptr);
}

void TMenuItem::UpdateTree() {
    UpdateAction();
    for (TMenuItem* item : FItems) item->UpdateTree();
}

void TMenuItem::SetCaption(const QString& caption) {
    FCaption = caption;
    UpdateAction();
}

void TMenuItem::SetChecked(bool on) {
    if (on == FChecked) return;
    FChecked = on;
    if (on && FRadioItem) TurnSiblingsOff();
    UpdateAction();
}

void TMenuItem::TurnSiblingsOff() {
    if (!FParent) return;
    for (TMenuItem* sibling : FParent->FItems)
        if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex) sibling->SetChecked(false);
}

void TMenuItem::SetEnabled(bool on) {
    FEnabled = on;
    UpdateAction();
}

void TMenuItem::SetVisible(bool on) {
    FVisible = on;
    UpdateAction();
}

void TMenuItem::SetDefault(bool on) {
    if (on == FDefault) return;
    // One default item per menu.
    if (on && FParent)
        for (TMenuItem* sibling : FParent->FItems)
            if (sibling != this && sibling->FDefault) {
                sibling->FDefault = false;
                sibling->UpdateAction();
            }
    FDefault = on;
    UpdateAction();
}

void TMenuItem::SetRadioItem(bool on) {
    FRadioItem = on;
    if (on && FChecked) TurnSiblingsOff();
}

void TMenuItem::SetGroupIndex(int index) {
    FGroupIndex = index;
    if (FRadioItem && FChecked) TurnSiblingsOff();
}

void TMenuItem::SetShortCut(int shortCut) {
    FShortCut = static_cast<TShortCut>(shortCut);
    UpdateAction();
}

void TMenuItem::SetHint(const QString& hint) {
    FHint = hint;
    UpdateAction();
}

void TMenuItem::SetImageIndex(int index) {
    FImageIndex = index;
    UpdateAction();
}

TBitmap* TMenuItem::Bitmap() const {
    if (!FBitmap) {
        auto* self = const_cast<TMenuItem*>(this);
        self->FBitmap = new TBitmap();
        connect(FBitmap, &TBitmap::Changed, self, [self] { self->UpdateAction(); });
    }
    return FBitmap;
}

void TMenuItem::SetBitmap(TBitmap* bitmap) {
    Bitmap()->Assign(bitmap);
    UpdateAction();
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("Menu index out of range");
    return FItems[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    const auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    // An item cannot go below itself or one of its own items.
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == item) throw EInvalidOperation("Menu inserted twice");
    if (item->FParent) item->FParent->Remove(item);
    if (index < 0 || index > Count()) throw std::out_of_range("Menu index out of range");
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    RebuildSubMenu();
    item->UpdateTree();
    if (item->FChecked && item->FRadioItem) item->TurnSiblingsOff();
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = Items(index);
    FItems.erase(FItems.begin() + index);
    item->FParent = nullptr;
    RebuildSubMenu();
}

void TMenuItem::Remove(TMenuItem* item) {
    const int index = IndexOf(item);
    if (index >= 0) Delete(index);
}

void TMenuItem::Clear() {
    while (!FItems.empty()) delete FItems.back();
}

TMenuItem* TMenuItem::Find(const QString& caption) const {
    const QString wanted = StripAccel(caption);
    for (TMenuItem* item : FItems)
        if (StripAccel(item->FCaption).compare(wanted, Qt::CaseInsensitive) == 0) return item;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* top = this;
    while (top->FParent) top = top->FParent;
    return top->FMenu;
}

void TMenuItem::RebuildSubMenu() {
    if (IsDestroying()) return;
    if (FItems.empty() && !FRoot) {
        FAction->setMenu(nullptr);
        delete FSubMenu;
        FSubMenu = nullptr;
        return;
    }
    if (!FSubMenu) {
        FSubMenu = new QMenu();
        if (!FRoot) FAction->setMenu(FSubMenu);
    }
    FSubMenu->clear();
    for (TMenuItem* item : FItems) {
        FSubMenu->addAction(item->FAction);
        if (item->FDefault) FSubMenu->setDefaultAction(item->FAction);
    }
}

void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck) SetChecked(!FChecked);
    if (OnClick) OnClick(this);
}

// ---- TMenu --------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {
    FItems = new TMenuItem(this);
    FItems->FRoot = true;
    FItems->FMenu = this;
    FItems->RebuildSubMenu();
}

TMenu::~TMenu() {
    // The tree goes before the menu it points back to.
    delete FItems;
    FItems = nullptr;
}

TCustomImageList* TMenu::Images() const { return FImages.data(); }

void TMenu::SetImages(TCustomImageList* images) {
    FImages = images;
    RefreshItems();
}

void TMenu::SetOwnerDraw(bool on) { FOwnerDraw = on; }

void TMenu::RefreshItems() {
    if (!FItems) return;
    FItems->UpdateTree();
}

namespace {

TMenuItem* FindShortCut(TMenuItem* parent, TShortCut shortCut) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible() || !item->Enabled()) continue;
        if (item->ShortCut() == shortCut) return item;
        if (TMenuItem* below = FindShortCut(item, shortCut)) return below;
    }
    return nullptr;
}

}  // namespace

bool TMenu::IsShortCut(std::uint16_t key, TShiftState shift) {
    const TShortCut wanted = ShortCut(key, shift & (ssShift | ssCtrl | ssAlt));
    if (wanted == scNone) return false;
    TMenuItem* item = FindShortCut(FItems, wanted);
    if (!item) return false;
    item->Click();
    return true;
}

// ---- TPopupMenu ---------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

QMenu* TPopupMenu::Menu() const { return Items()->SubMenu(); }

void TPopupMenu::DoPopup() {
    if (OnPopup) OnPopup(this);
}

void TPopupMenu::Popup(int x, int y) {
    QPointer<TPopupMenu> alive(this);
    FPopupPoint = QPoint(x, y);
    DoPopup();
    if (!alive) return;
    RefreshItems();
    Menu()->popup(FPopupPoint);
}

}  // namespace kv

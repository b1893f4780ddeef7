// Menus: a tree of menu items (captions, check marks, radio groups, shortcuts,
// pictures) under a menu component. A pop-up menu shows its tree through a QMenu;
// a control whose PopupMenu is set pops it up on a right click.
#pragma once

#include <QPointer>
#include <QString>

#include <cstdint>
#include <vector>

#include "platform/Controls.h"

class QAction;
class QMenu;

namespace kv {

class TBitmap;
class TCustomImageList;
class TMenu;

// A key with its modifiers, as the classic shortcut word: the virtual key in the
// low byte, Shift 0x2000, Ctrl 0x4000, Alt 0x8000.
using TShortCut = std::uint16_t;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(std::uint16_t key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift);
// "Ctrl+Del", "F2", "Shift+Ctrl+A": the classic texts, "" for none.
QString ShortCutToText(TShortCut shortCut);
TShortCut TextToShortCut(const QString& text);

class TMenuItem : public TComponent {
    Q_OBJECT
    Q_MOC_INCLUDE("platform/ImgList.h")
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool AutoCheck READ AutoCheck WRITE SetAutoCheck)
    Q_PROPERTY(bool RadioItem READ RadioItem WRITE SetRadioItem)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(int ShortCut READ ShortCut WRITE SetShortCut)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(kv::TBitmap* Bitmap READ Bitmap WRITE SetBitmap)
    Q_PROPERTY(int HelpContext MEMBER HelpContext)
    Q_PROPERTY(kv::TNotifyEvent OnClick MEMBER OnClick)
public:
    explicit TMenuItem(TComponent* AOwner);
    // Frees the items below it and leaves its parent item.
    ~TMenuItem() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    // The caption "-" makes the item a separator line.
    bool IsLine() const { return FCaption == QLatin1String("-"); }
    bool Checked() const { return FChecked; }
    // Checking a radio item unchecks the radio items of its group among its
    // siblings.
    void SetChecked(bool on);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool on);
    bool Visible() const { return FVisible; }
    void SetVisible(bool on);
    bool Default() const { return FDefault; }
    void SetDefault(bool on);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool on) { FAutoCheck = on; }
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool on);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(int shortCut);
    QString Hint() const { return FHint; }
    void SetHint(const QString& hint);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    // The item's own picture; it wins over the menu's image list.
    TBitmap* Bitmap() const;
    void SetBitmap(TBitmap* bitmap);

    // The items below this one.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const;
    TMenuItem* operator[](int index) const { return Items(index); }
    int IndexOf(const TMenuItem* item) const;
    // Adds (inserts) an item below this one, taking it from its old parent.
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out of the list; it is not freed.
    void Delete(int index);
    void Remove(TMenuItem* item);
    // Frees every item below this one.
    void Clear();
    // The item with this caption (access keys and letter case ignored), or null.
    TMenuItem* Find(const QString& caption) const;
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
    // The menu the item belongs to, or null.
    TMenu* GetParentMenu() const;

    // Checks an auto-check item, then raises OnClick; nothing when disabled.
    virtual void Click();

    // The action that shows the item in a QMenu, and the QMenu of the items
    // below it (null while it has none).
    QAction* Action() const { return FAction; }
    QMenu* SubMenu() const { return FSubMenu; }

    int HelpContext = 0;
    TNotifyEvent OnClick;

private:
    friend class TMenu;
    void RebuildSubMenu();
    void UpdateAction();
    void UpdateTree();
    void TurnSiblingsOff();
    QString FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    bool FAutoCheck = false;
    bool FRadioItem = false;
    int FGroupIndex = 0;
    TShortCut FShortCut = scNone;
    QString FHint;
    int FImageIndex = -1;
    TBitmap* FBitmap = nullptr;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;
    QAction* FAction = nullptr;
    QMenu* FSubMenu = nullptr;
    bool FRoot = false;
};

// A menu: the root item whose items the menu shows, and the images they use.
class TMenu : public TComponent {
    Q_OBJECT
    Q_PROPERTY(kv::TMenuItem* Items READ Items)
    Q_PROPERTY(kv::TCustomImageList* Images READ Images WRITE SetImages)
    Q_PROPERTY(bool OwnerDraw READ OwnerDraw WRITE SetOwnerDraw)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    TMenuItem* Items() const { return FItems; }
    TCustomImageList* Images() const;
    void SetImages(TCustomImageList* images);
    // Items drawn by the system's code rather than the platform's. Every QMenu
    // already draws in the screen's menu font (which the code-page conversion
    // sets), so this only records the choice.
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool on);
    // The item whose shortcut this is (visible and enabled, at any depth), clicked;
    // true when there was one.
    bool IsShortCut(std::uint16_t key, TShiftState shift);

protected:
    // Brings the Qt side up to date (pictures from the image list) before it shows.
    void RefreshItems();

private:
    TMenuItem* FItems;
    QPointer<TCustomImageList> FImages;
    bool FOwnerDraw = false;
};

class TPopupMenu : public TMenu {
    Q_OBJECT
    Q_PROPERTY(bool AutoPopup READ AutoPopup WRITE SetAutoPopup)
    Q_PROPERTY(kv::TNotifyEvent OnPopup MEMBER OnPopup)
public:
    explicit TPopupMenu(TComponent* AOwner);

    // Raises OnPopup and shows the menu at the screen point. It returns at once;
    // a chosen item is clicked when the user picks it.
    virtual void Popup(int x, int y);
    // Pops up on a right click of a control that names this menu.
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool on) { FAutoPopup = on; }
    // The control the menu was last popped up for by a right click.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* component) { FPopupComponent = component; }
    QPoint PopupPoint() const { return FPopupPoint; }
    // The QMenu that shows the items (tests reach the shown menu through it).
    QMenu* Menu() const;

    TNotifyEvent OnPopup;

protected:
    virtual void DoPopup();

private:
    bool FAutoPopup = true;
    QPointer<TComponent> FPopupComponent;
    QPoint FPopupPoint;
};

}  // namespace kv

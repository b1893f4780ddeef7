// Menus: the item tree, clicks with auto-check and radio groups, shortcuts, and
// pop-up menus shown through a QMenu that tests can reach, also on a right click.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>

#include <gtest/gtest.h>

#include <vector>

#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"

namespace kv {
namespace {

TMenuItem* NewItem(TComponent* owner, const QString& name, const QString& caption) {
    auto* item = CreateNamed<TMenuItem>(owner, name);
    item->SetCaption(caption);
    return item;
}

// The view menu of the scheme list: four view styles, the first ticked.
struct ViewMenuForm {
    ViewMenuForm() {
        form = TForm::Create<TForm>(nullptr);
        menu = CreateNamed<TPopupMenu>(form, "mnList");
        for (auto [name, caption] : {std::pair{"N7", "大型图标(&G)"}, std::pair{"N8", "小型图标(&M)"},
                                     std::pair{"N9", "清单(&L)"}, std::pair{"N10", "详细信息(&D)"}}) {
            TMenuItem* item = NewItem(form, name, caption);
            item->SetRadioItem(true);
            item->SetGroupIndex(1);
            menu->Items()->Add(item);
            items.push_back(item);
        }
        items[0]->SetChecked(true);
    }
    ~ViewMenuForm() {
        if (QMenu* m = menu->Menu()) m->hide();
        form->Free();
    }
    TForm* form;
    TPopupMenu* menu;
    std::vector<TMenuItem*> items;
};

TEST(Menus, ItemTreeAddInsertDeleteAndFree) {
    ViewMenuForm f;
    TMenuItem* root = f.menu->Items();
    EXPECT_EQ(root->Count(), 4);
    EXPECT_EQ(f.items[2]->MenuIndex(), 2);
    EXPECT_EQ(f.items[2]->Parent(), root);
    EXPECT_EQ(f.items[2]->GetParentMenu(), f.menu);
    EXPECT_EQ(root->Find("清单"), nullptr);
    EXPECT_EQ(root->Find("清单(&L)"), f.items[2]);
    EXPECT_EQ(root->Find("清单(l)"), f.items[2]);  // access keys and case do not count

    // A sub-menu, then the item moves elsewhere: it leaves its old parent.
    TMenuItem* sub = NewItem(f.form, "sub", "Sub");
    f.items[3]->Add(sub);
    EXPECT_EQ(f.items[3]->Count(), 1);
    EXPECT_NE(f.items[3]->SubMenu(), nullptr);
    EXPECT_EQ(f.items[3]->Action()->menu(), f.items[3]->SubMenu());
    root->Insert(0, sub);
    EXPECT_EQ(f.items[3]->Count(), 0);
    EXPECT_EQ(f.items[3]->SubMenu(), nullptr);
    EXPECT_EQ(root->Items(0), sub);
    EXPECT_THROW(sub->Add(root), EInvalidOperation);

    // Delete takes the item out without freeing it; freeing an item takes it out too.
    root->Delete(0);
    EXPECT_EQ(sub->Parent(), nullptr);
    EXPECT_EQ(root->Count(), 4);
    delete sub;
    delete f.items[1];
    EXPECT_EQ(root->Count(), 3);
    EXPECT_EQ(root->IndexOf(f.items[2]), 1);
    EXPECT_EQ(f.form->FindComponent("N8"), nullptr);
    // Clear frees the items, and the menu shows none of them.
    root->Clear();
    EXPECT_EQ(root->Count(), 0);
    EXPECT_EQ(f.form->FindComponent("N7"), nullptr);
    EXPECT_TRUE(f.menu->Menu()->actions().isEmpty());
}

TEST(Menus, RadioItemsOfAGroupExcludeEachOtherAndAutoCheckToggles) {
    ViewMenuForm f;
    TMenuItem* other = NewItem(f.form, "other", "Other group");
    other->SetRadioItem(true);
    other->SetGroupIndex(2);
    other->SetChecked(true);
    f.menu->Items()->Add(other);
    f.items[2]->SetChecked(true);
    EXPECT_FALSE(f.items[0]->Checked());
    EXPECT_TRUE(f.items[2]->Checked());
    EXPECT_TRUE(other->Checked());

    std::vector<QString> clicked;
    for (TMenuItem* item : f.items)
        item->OnClick = [&clicked](TObject* sender) { clicked.push_back(static_cast<TMenuItem*>(sender)->Name()); };
    f.items[1]->SetAutoCheck(true);
    f.items[1]->Click();
    EXPECT_TRUE(f.items[1]->Checked());
    EXPECT_FALSE(f.items[2]->Checked());
    f.items[3]->SetEnabled(false);
    f.items[3]->Click();  // disabled: nothing
    EXPECT_EQ(clicked, (std::vector<QString>{"N8"}));
}

TEST(Menus, PopupShowsTheTreeInAQMenuAndAChosenActionClicksItsItem) {
    ViewMenuForm f;
    int popups = 0;
    f.menu->OnPopup = [&](TObject* sender) {
        ++popups;
        EXPECT_EQ(sender, f.menu);
        f.items[3]->SetEnabled(false);  // menus are adjusted just before they show
    };
    TMenuItem* line = NewItem(f.form, "N11", "-");
    f.menu->Items()->Add(line);
    f.items[1]->SetShortCut(ShortCut(VK_DELETE, ssCtrl));
    f.items[2]->SetHint("List|Shows a list");
    QString clicked;
    f.items[2]->OnClick = [&](TObject* sender) { clicked = static_cast<TMenuItem*>(sender)->Name(); };

    f.menu->Popup(40, 50);
    EXPECT_EQ(popups, 1);
    QMenu* qmenu = f.menu->Menu();
    ASSERT_NE(qmenu, nullptr);
    EXPECT_TRUE(qmenu->isVisible());
    EXPECT_EQ(f.menu->PopupPoint(), QPoint(40, 50));
    const QList<QAction*> actions = qmenu->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), "大型图标(&G)");
    EXPECT_TRUE(actions[0]->isChecked());
    EXPECT_FALSE(actions[1]->isChecked());
    EXPECT_EQ(actions[1]->shortcut().toString(), "Ctrl+Del");
    EXPECT_EQ(actions[2]->toolTip(), "List");
    EXPECT_FALSE(actions[3]->isEnabled());
    EXPECT_TRUE(actions[4]->isSeparator());

    actions[2]->trigger();
    EXPECT_EQ(clicked, "N9");
    // Qt does not flip the check mark behind the item's back.
    EXPECT_FALSE(actions[2]->isChecked());
    EXPECT_FALSE(f.items[2]->Checked());
}

TEST(Menus, RightClickOnAControlPopsUpItsMenuOrGoesToTheParent) {
    ViewMenuForm f;
    f.form->SetBounds(0, 0, 200, 100);
    auto* edit = CreateNamed<TEdit>(f.form, "edit");
    edit->SetParent(f.form);
    auto* plain = CreateNamed<TCustomControl>(f.form, "plain");
    plain->SetParent(f.form);
    // By name, as form resources bind it.
    EXPECT_TRUE(edit->setProperty("PopupMenu", QVariant::fromValue(f.menu)));
    EXPECT_EQ(edit->PopupMenu(), f.menu);
    EXPECT_EQ(edit->property("PopupMenu").value<QObject*>(), f.menu);
    f.form->SetPopupMenu(nullptr);
    f.form->Show();

    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(105, 205));
    QApplication::sendEvent(edit->Handle(), &click);
    EXPECT_TRUE(f.menu->Menu()->isVisible());
    EXPECT_EQ(f.menu->PopupComponent(), edit);
    EXPECT_EQ(f.menu->PopupPoint(), QPoint(105, 205));
    f.menu->Menu()->hide();

    f.menu->SetAutoPopup(false);
    QContextMenuEvent again(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(105, 205));
    QApplication::sendEvent(edit->Handle(), &again);
    EXPECT_FALSE(f.menu->Menu()->isVisible());

    // A control without a menu and without a menu of its own widget's (an edit
    // has one) leaves the click to its parent: the form's menu.
    f.menu->SetAutoPopup(true);
    f.form->SetPopupMenu(f.menu);
    QContextMenuEvent onPlain(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(7, 9));
    QApplication::sendEvent(plain->Handle(), &onPlain);
    EXPECT_TRUE(f.menu->Menu()->isVisible());
    EXPECT_EQ(f.menu->PopupComponent(), f.form);

    // A freed menu is no longer named.
    delete f.menu;
    f.menu = CreateNamed<TPopupMenu>(f.form, "spare");
    EXPECT_EQ(edit->PopupMenu(), nullptr);
}

TEST(Menus, ShortcutTextsAndKeys) {
    struct Case {
        TShortCut shortCut;
        const char* text;
    };
    const Case cases[] = {
        {ShortCut(VK_DELETE, ssCtrl), "Ctrl+Del"},
        {ShortCut(VK_F2, {}), "F2"},
        {ShortCut('A', ssShift | ssCtrl), "Shift+Ctrl+A"},
        {ShortCut(VK_RETURN, ssAlt), "Alt+Enter"},
        {scNone, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
        EXPECT_EQ(TextToShortCut(c.text), c.shortCut);
    }
    EXPECT_EQ(TextToShortCut("ctrl+del"), ShortCut(VK_DELETE, ssCtrl));
    EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), scNone);

    ViewMenuForm f;
    int clicks = 0;
    f.items[1]->SetShortCut(TextToShortCut("Ctrl+L"));
    f.items[1]->OnClick = [&](TObject*) { ++clicks; };
    EXPECT_TRUE(f.menu->IsShortCut('L', ssCtrl));
    EXPECT_FALSE(f.menu->IsShortCut('L', {}));
    f.items[1]->SetVisible(false);
    EXPECT_FALSE(f.menu->IsShortCut('L', ssCtrl));
    EXPECT_EQ(clicks, 1);
}

TEST(Menus, PicturesAndTheScreensMenuFont) {
    ViewMenuForm f;
    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(QRect(0, 0, 16, 16));
    f.items[0]->SetBitmap(&glyph);
    EXPECT_FALSE(f.items[0]->Action()->icon().isNull());
    EXPECT_TRUE(f.items[1]->Action()->icon().isNull());
    // The item keeps a copy.
    glyph.SetSize(0, 0);
    EXPECT_FALSE(f.items[0]->Bitmap()->Empty());

    // The code-page conversion switches menus to owner drawing and sets the
    // screen's menu font; every menu, sub-menus too, shows in that font.
    EXPECT_TRUE(f.menu->setProperty("OwnerDraw", true));
    EXPECT_TRUE(f.menu->OwnerDraw());
    const QString before = Screen()->MenuFont()->Name();
    Screen()->MenuFont()->SetName("SimSun");
    TMenuItem* sub = NewItem(f.form, "sub", "Sub");
    f.items[3]->Add(sub);
    f.menu->Popup(0, 0);
    EXPECT_EQ(f.menu->Menu()->font().family(), "SimSun");
    f.items[3]->SubMenu()->ensurePolished();  // a sub-menu takes its font as it shows
    EXPECT_EQ(f.items[3]->SubMenu()->font().family(), "SimSun");
    Screen()->MenuFont()->SetName(before);
}

}  // namespace
}  // namespace kv

// Lookup buttons: construction defaults, one button per control, the square beside
// the control that follows it, and the click that asks the owning form for a lookup.
#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <vector>

#include "components/F2Button.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"

namespace kv {
namespace {

struct LookupRequest {
    WPARAM WParam;
    TControl* Control;
};

// A form that records the lookup requests it gets, with two edits and a button
// bound to the first.
class LookupForm : public TForm {
public:
    explicit LookupForm(TComponent* owner = nullptr) : TForm(owner) {
        SetBounds(0, 0, 360, 200);
        e1 = CreateNamed<TEdit>(this, "e1");
        e1->SetParent(this);
        e1->SetBounds(100, 8, 85, 21);
        e2 = CreateNamed<TEdit>(this, "e2");
        e2->SetParent(this);
        e2->SetBounds(100, 40, 85, 21);
        b1 = CreateNamed<TF2Button>(this, "b1");
        b1->SetParent(this);
        b1->SetF2Control(e1);
    }
    TEdit* e1;
    TEdit* e2;
    TF2Button* b1;
    std::vector<LookupRequest> requests;

protected:
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_USER + 10) {
            requests.push_back({m.WParam, ParamControl<TControl>(m.LParam)});
            return;
        }
        TForm::WndProc(m);
    }
};

class F2ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetModalDriver([this](TForm& form) {
            auto* box = qobject_cast<TMessageForm*>(&form);
            ASSERT_NE(box, nullptr);
            boxes.push_back(box->MessageLabel()->Caption());
            EXPECT_EQ(box->DialogType(), mtError);
            EXPECT_NE(box->Button(mbOK), nullptr);
            EXPECT_EQ(box->Button(mbCancel), nullptr);
            form.SetModalResult(mrOk);
        });
        form = TForm::Create<LookupForm>();
    }
    void TearDown() override {
        form->Free();
        SetModalDriver({});
    }

    std::vector<QString> boxes;
    LookupForm* form = nullptr;
};

const QString kSecondButton = QStringLiteral("不能同时有两个 F2Button 指到同一个 Edit.");

TEST_F(F2ButtonTest, ConstructionDefaults) {
    TF2Button button(nullptr);
    EXPECT_TRUE(button.AutoAlign());
    EXPECT_EQ(button.Gap(), 2);
    EXPECT_EQ(button.GlyphIndex(), 8);
    EXPECT_TRUE(button.Flat());
    EXPECT_EQ(button.F2Control(), nullptr);
    // The lookup glyph came from the library: a picture, no number.
    EXPECT_FALSE(button.Glyph()->Empty());
    EXPECT_EQ(button.Caption(), "");
    EXPECT_EQ(button.ClassName(), "TF2Button");
    EXPECT_TRUE(button.InheritsFrom("TGSpeedButton"));
}

TEST_F(F2ButtonTest, SitsAsASquareToTheRightOfItsControl) {
    form->b1->SetGap(4);
    EXPECT_EQ(form->b1->BoundsRect(), QRect(189, 8, 21, 21));
    // Gap is a byte.
    form->b1->SetGap(300);
    EXPECT_EQ(form->b1->Gap(), 255);
    form->b1->SetGap(-3);
    EXPECT_EQ(form->b1->Gap(), 0);
    EXPECT_EQ(form->b1->Left(), 185);
}

TEST_F(F2ButtonTest, FollowsTheControlAsItMovesAndResizes) {
    form->Show();
    struct Case {
        const char* Name;
        QRect Control;
        QRect Button;
    };
    const Case cases[] = {
        {"moved", QRect(20, 50, 85, 21), QRect(107, 50, 21, 21)},
        {"wider", QRect(20, 50, 120, 21), QRect(142, 50, 21, 21)},
        {"taller: the square grows", QRect(20, 50, 120, 30), QRect(142, 50, 30, 30)},
        {"moved and resized at once", QRect(0, 0, 60, 18), QRect(62, 0, 18, 18)},
    };
    for (const Case& c : cases) {
        form->e1->SetBounds(c.Control.x(), c.Control.y(), c.Control.width(), c.Control.height());
        EXPECT_EQ(form->b1->BoundsRect(), c.Button) << c.Name;
    }
    // Each property that decides the place aligns the button again.
    form->b1->SetBounds(0, 100, 10, 10);
    form->b1->SetGap(5);
    EXPECT_EQ(form->b1->BoundsRect(), QRect(65, 0, 18, 18));
    form->b1->SetBounds(0, 100, 10, 10);
    form->b1->SetAutoAlign(true);
    EXPECT_EQ(form->b1->BoundsRect(), QRect(65, 0, 18, 18));
}

TEST_F(F2ButtonTest, ControlMovedBeforeTheFormShowsIsFollowedWhenItShows) {
    form->e1->SetBounds(30, 60, 70, 24);
    form->Show();
    EXPECT_EQ(form->b1->BoundsRect(), QRect(102, 60, 24, 24));
}

TEST_F(F2ButtonTest, WithoutAutoAlignTheButtonKeepsItsOwnBounds) {
    form->Show();
    form->b1->SetAutoAlign(false);
    form->b1->SetBounds(300, 150, 23, 22);
    form->e1->SetBounds(10, 10, 40, 30);
    form->b1->SetGap(9);
    form->b1->SetF2Control(form->e2);
    EXPECT_EQ(form->b1->BoundsRect(), QRect(300, 150, 23, 22));
}

TEST_F(F2ButtonTest, FollowsTheControlsVisibility) {
    form->Show();
    form->e1->SetVisible(false);
    EXPECT_FALSE(form->b1->Visible());
    form->e1->SetVisible(true);
    EXPECT_TRUE(form->b1->Visible());
    // A button bound elsewhere no longer follows the old control.
    form->b1->SetF2Control(form->e2);
    form->e1->SetVisible(false);
    EXPECT_TRUE(form->b1->Visible());
}

TEST_F(F2ButtonTest, ASecondButtonForOneControlIsRefused) {
    auto* b2 = CreateNamed<TF2Button>(form, "b2");
    b2->SetParent(form);
    b2->SetF2Control(form->e2);
    const QRect placed = b2->BoundsRect();
    b2->SetF2Control(form->e1);
    EXPECT_EQ(boxes, std::vector<QString>{kSecondButton});
    EXPECT_EQ(b2->F2Control(), form->e2);
    EXPECT_EQ(b2->BoundsRect(), placed);
    EXPECT_EQ(form->b1->F2Control(), form->e1);
    // Binding a button to its own control again is silent and changes nothing.
    boxes.clear();
    form->b1->SetBounds(0, 0, 5, 5);
    form->b1->SetF2Control(form->e1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(form->b1->BoundsRect(), QRect(0, 0, 5, 5));
    // Once the first lets go, the control is free for the second.
    form->b1->SetF2Control(nullptr);
    EXPECT_EQ(form->b1->F2Control(), nullptr);
    b2->SetF2Control(form->e1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(b2->F2Control(), form->e1);
}

TEST_F(F2ButtonTest, OnlyButtonsOfTheSameParentCompete) {
    // On a panel that owns nothing, the buttons placed on it still compete.
    auto* panel = CreateNamed<TPanel>(form, "panel");
    panel->SetParent(form);
    auto* edit = CreateNamed<TEdit>(form, "edit");
    edit->SetParent(panel);
    auto* p1 = CreateNamed<TF2Button>(form, "p1");
    p1->SetParent(panel);
    p1->SetF2Control(edit);
    auto* p2 = CreateNamed<TF2Button>(form, "p2");
    p2->SetParent(panel);
    p2->SetF2Control(edit);
    EXPECT_EQ(boxes, std::vector<QString>{kSecondButton});
    EXPECT_EQ(p2->F2Control(), nullptr);
    // A button on the form looks through all the form owns, p1 among them.
    boxes.clear();
    auto* onForm = CreateNamed<TF2Button>(form, "onForm");
    onForm->SetParent(form);
    onForm->SetF2Control(edit);
    EXPECT_EQ(boxes, std::vector<QString>{kSecondButton});
    // A button on another panel is not looked at.
    boxes.clear();
    auto* panel2 = CreateNamed<TPanel>(form, "panel2");
    panel2->SetParent(form);
    auto* other = CreateNamed<TF2Button>(form, "other");
    other->SetParent(panel2);
    other->SetF2Control(edit);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(other->F2Control(), edit);
}

TEST_F(F2ButtonTest, AControlFreedFirstUnbindsItsButton) {
    form->Show();
    const QRect placed = form->b1->BoundsRect();
    int clicks = 0;
    form->b1->OnClick = [&](TObject*) { ++clicks; };
    delete form->e1;
    form->e1 = nullptr;
    EXPECT_EQ(form->b1->F2Control(), nullptr);
    form->b1->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form->requests.empty());
    EXPECT_EQ(form->b1->BoundsRect(), placed);
    // The freed control's place can be taken by binding again.
    form->b1->SetF2Control(form->e2);
    EXPECT_EQ(form->b1->F2Control(), form->e2);
}

TEST_F(F2ButtonTest, ClickAsksTheOwningFormForALookupOfAFocusableControl) {
    struct Case {
        const char* Name;
        bool Bound, Enabled, Visible;
        bool Request;
    };
    const Case cases[] = {
        {"enabled and visible", true, true, true, true},
        {"disabled: OnClick only", true, false, true, false},
        {"hidden: cannot take the focus", true, true, false, false},
        {"unbound: OnClick only", false, true, true, false},
    };
    form->Show();
    for (const Case& c : cases) {
        form->requests.clear();
        form->e2->SetFocus();
        form->e1->SetEnabled(c.Enabled);
        form->e1->SetVisible(c.Visible);
        form->b1->SetVisible(true);
        form->b1->SetF2Control(c.Bound ? form->e1 : nullptr);
        int clicks = 0;
        form->b1->OnClick = [&](TObject*) { ++clicks; };
        // A real press and release on the button.
        const QPointF at(3, 3);
        QMouseEvent press(QEvent::MouseButtonPress, at, form->b1->Handle()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->b1->Handle(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, form->b1->Handle()->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form->b1->Handle(), &release);
        EXPECT_EQ(clicks, 1) << c.Name;
        if (c.Request) {
            ASSERT_EQ(form->requests.size(), 1u) << c.Name;
            EXPECT_EQ(form->requests[0].WParam, 0u) << c.Name;
            EXPECT_EQ(form->requests[0].Control, form->e1) << c.Name;
            EXPECT_EQ(form->ActiveControl(), form->e1) << c.Name;
        } else {
            EXPECT_TRUE(form->requests.empty()) << c.Name;
            EXPECT_EQ(form->ActiveControl(), form->e2) << c.Name;
        }
        form->e1->SetEnabled(true);
        form->e1->SetVisible(true);
        form->b1->SetF2Control(form->e1);
    }
}

TEST_F(F2ButtonTest, NoLookupWhenTheFocusCannotLeaveTheControlBefore) {
    form->Show();
    form->e2->SetFocus();
    form->e2->OnExit = [&](TObject*) { form->e2->SetFocus(); };
    form->b1->Click();
    EXPECT_EQ(form->ActiveControl(), form->e2);
    EXPECT_TRUE(form->requests.empty());
    form->e2->OnExit = nullptr;
}

TEST_F(F2ButtonTest, AControlOwnedByNoControlIsLookedUpOnItsForm) {
    TComponent holder(nullptr);
    auto* edit = CreateNamed<TEdit>(&holder, "loose");
    edit->SetParent(form);
    auto* button = CreateNamed<TF2Button>(form, "b3");
    button->SetParent(form);
    button->SetF2Control(edit);
    form->Show();
    button->Click();
    ASSERT_EQ(form->requests.size(), 1u);
    EXPECT_EQ(form->requests[0].Control, edit);
    delete edit;  // before the form it sits on
}

// The buttons as a user sees them; the picture goes to /tmp/b.png.
TEST_F(F2ButtonTest, Screenshot) {
    form->SetCaption("Lookup and glyph buttons");
    auto* e3 = CreateNamed<TEdit>(form, "e3");
    e3->SetParent(form);
    e3->SetBounds(100, 72, 120, 24);
    auto* b3 = CreateNamed<TF2Button>(form, "b3");
    b3->SetParent(form);
    b3->SetF2Control(e3);
    b3->SetGlyphIndex(78);
    auto* b2 = CreateNamed<TF2Button>(form, "b2");
    b2->SetParent(form);
    b2->SetF2Control(form->e2);
    b2->SetEnabled(false);
    const int numbers[] = {4, 9, 39, 47, 81, 999};
    int left = 8;
    for (int n : numbers) {
        auto* g = CreateNamed<TGSpeedButton>(form, QString("g%1").arg(n));
        g->SetParent(form);
        g->SetBounds(left, 130, n == 4 ? 23 : 40, 22);
        g->SetGlyphIndex(n);
        left += g->Width() + 6;
    }
    form->Show();
    const QImage shot = form->Handle()->grab().toImage();
    ASSERT_TRUE(shot.save("/tmp/b.png"));
    // The lookup button beside e1 shows its glyph: something darker than the face.
    const QRect r = form->b1->BoundsRect();
    bool drawn = false;
    for (int y = r.top() + 2; y < r.bottom() - 1 && !drawn; ++y)
        for (int x = r.left() + 2; x < r.right() - 1 && !drawn; ++x) drawn = qGray(shot.pixel(x, y)) < 128;
    EXPECT_TRUE(drawn);
}

}  // namespace
}  // namespace kv

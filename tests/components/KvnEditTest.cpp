// Labelled edits: the owned label on each side of the edit, following the edit's
// place, parent, enabled state and visibility; the data-aware caption; the lookup
// button beside the edit and the request it sends to the owning form.
#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <vector>

#include "components/KvnEdit.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"

namespace kv {
namespace {

struct LookupRequest {
    WPARAM WParam;
    TControl* Control;
};

// A form that records the lookup requests it gets.
class EditForm : public TForm {
public:
    explicit EditForm(TComponent* owner = nullptr) : TForm(owner) {
        SetBounds(0, 0, 400, 240);
        other = CreateNamed<TEdit>(this, "other");
        other->SetParent(this);
        other->SetBounds(10, 200, 60, 21);
    }
    TEdit* other;
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

// A data-aware edit on a form being designed.
class TDesignedDBEdit : public TKvDBEdit {
public:
    explicit TDesignedDBEdit(TComponent* owner) : TKvDBEdit(owner) { SetComponentStateFlag(csDesigning, true); }
};

class KvnEditTest : public ::testing::Test {
protected:
    void SetUp() override { form = TForm::Create<EditForm>(); }
    void TearDown() override { form->Free(); }

    template <class T>
    T* Edit(const QString& name, QRect bounds = QRect(50, 40, 121, 21)) {
        auto* edit = CreateNamed<T>(form, name);
        edit->SetParent(form);
        edit->SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
        return edit;
    }
    // Makes the label a fixed size, so the place can be worked out by hand.
    static void FixLabel(TKvEdit* edit, int width, int height) {
        edit->EditLabel()->SetAutoSize(false);
        edit->EditLabel()->SetBounds(0, 0, width, height);
        edit->PlaceLabel();
    }

    EditForm* form = nullptr;
};

TEST_F(KvnEditTest, ConstructionDefaults) {
    TKvEdit edit(nullptr);
    EXPECT_EQ(edit.Caption(), "");
    EXPECT_EQ(edit.LabelPosition(), TKvEdit::lpLeft);
    EXPECT_EQ(edit.LabelSpacing(), 4);
    ASSERT_NE(edit.EditLabel(), nullptr);
    EXPECT_EQ(edit.FindComponent("EditLabel"), edit.EditLabel());
    EXPECT_EQ(edit.EditLabel()->ClassName(), "TLabel");
    EXPECT_EQ(edit.EditLabel()->FocusControl(), &edit);
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(edit.ClassName(), "TKvEdit");
    EXPECT_TRUE(edit.InheritsFrom("TEdit"));

    TKvBtnDBEdit btn(nullptr);
    EXPECT_EQ(btn.ButtonSpacing(), 2);
    EXPECT_EQ(btn.GlyphIndex(), 8);
    EXPECT_EQ(btn.ButtonHint(), "");
    ASSERT_NE(btn.F2Button(), nullptr);
    EXPECT_EQ(btn.FindComponent("F2Button"), btn.F2Button());
    EXPECT_EQ(btn.F2Button()->ClassName(), "TGSpeedButton");
    EXPECT_TRUE(btn.F2Button()->Flat());
    EXPECT_EQ(btn.F2Button()->GlyphIndex(), 8);
    EXPECT_EQ(btn.DataSource(), nullptr);
    EXPECT_EQ(btn.DataField(), "");
}

TEST_F(KvnEditTest, LabelOnEachSide) {
    struct Case {
        const char* Name;
        TKvEdit::TLabelPosition Position;
        int Spacing;
        QPoint At;
    };
    // Edit at (50, 40), 121 x 21; label 30 x 13.
    const Case cases[] = {
        {"left: right edge 4 left of the edit, centred", TKvEdit::lpLeft, 4, QPoint(16, 44)},
        {"right", TKvEdit::lpRight, 4, QPoint(175, 44)},
        {"above, left-aligned", TKvEdit::lpAbove, 4, QPoint(50, 23)},
        {"below", TKvEdit::lpBelow, 4, QPoint(50, 65)},
        {"no spacing", TKvEdit::lpLeft, 0, QPoint(20, 44)},
        {"above past the parent's top: not clamped", TKvEdit::lpAbove, 30, QPoint(50, -3)},
    };
    auto* edit = Edit<TKvEdit>("ed");
    FixLabel(edit, 30, 13);
    for (const Case& c : cases) {
        edit->SetLabelSpacing(c.Spacing);
        edit->SetLabelPosition(c.Position);
        EXPECT_EQ(edit->EditLabel()->BoundsRect(), QRect(c.At, QSize(30, 13))) << c.Name;
    }
}

TEST_F(KvnEditTest, NegativeSpacingIsIgnored) {
    auto* edit = Edit<TKvEdit>("ed");
    FixLabel(edit, 30, 13);
    edit->SetLabelSpacing(-1);
    EXPECT_EQ(edit->LabelSpacing(), 4);
    EXPECT_EQ(edit->EditLabel()->Left() + edit->EditLabel()->Width(), 46);
    EXPECT_EQ(edit->EditLabel()->Top(), 44);
}

TEST_F(KvnEditTest, LabelFollowsTheEdit) {
    form->Show();
    auto* edit = Edit<TKvEdit>("ed");
    edit->SetCaption(QStringLiteral("输入发薪年月"));
    const QSize labelSize = edit->EditLabel()->BoundsRect().size();
    // An auto-sized label: a caption gives it its size, the edge stays 4 away.
    EXPECT_GT(labelSize.width(), 0);
    EXPECT_EQ(edit->EditLabel()->Left() + labelSize.width(), 46);
    edit->SetBounds(120, 80, 100, 25);
    EXPECT_EQ(edit->EditLabel()->BoundsRect(),
              QRect(QPoint(116 - labelSize.width(), 80 + (25 - labelSize.height()) / 2), labelSize));
    // A longer caption keeps the right edge where it was.
    edit->SetCaption(QStringLiteral("输入发薪年月，以及更多的说明文字"));
    EXPECT_GT(edit->EditLabel()->Width(), labelSize.width());
    EXPECT_EQ(edit->EditLabel()->Left() + edit->EditLabel()->Width(), 116);

    edit->SetEnabled(false);
    EXPECT_FALSE(edit->EditLabel()->Enabled());
    edit->SetEnabled(true);
    EXPECT_TRUE(edit->EditLabel()->Enabled());
    edit->SetVisible(false);
    EXPECT_FALSE(edit->EditLabel()->Visible());
    edit->SetVisible(true);
    EXPECT_TRUE(edit->EditLabel()->Visible());

    EXPECT_EQ(edit->EditLabel()->Parent(), form);
    auto* panel = CreateNamed<TPanel>(form, "panel");
    panel->SetParent(form);
    edit->SetParent(panel);
    EXPECT_EQ(edit->EditLabel()->Parent(), panel);
    edit->SetParent(nullptr);
    EXPECT_EQ(edit->EditLabel()->Parent(), nullptr);
}

TEST_F(KvnEditTest, AFreedLabelIsForgotten) {
    auto* edit = Edit<TKvEdit>("ed");
    edit->SetCaption("Name");
    delete edit->EditLabel();
    EXPECT_EQ(edit->EditLabel(), nullptr);
    EXPECT_EQ(edit->Caption(), "");
    edit->SetCaption("ignored");
    EXPECT_EQ(edit->Caption(), "");
    // Everything that would move or follow the label still works without it.
    edit->SetBounds(10, 10, 80, 21);
    edit->SetLabelPosition(TKvEdit::lpAbove);
    edit->SetEnabled(false);
    edit->SetVisible(false);
    edit->SetParent(nullptr);
    EXPECT_EQ(edit->Left(), 10);

    auto* btn = Edit<TKvBtnDBEdit>("btn");
    delete btn->F2Button();
    EXPECT_EQ(btn->F2Button(), nullptr);
    btn->SetGlyphIndex(39);
    btn->SetButtonHint("hint");
    btn->SetBounds(0, 0, 50, 21);
    btn->SetVisible(false);
    EXPECT_EQ(btn->GlyphIndex(), 39);
    EXPECT_EQ(btn->ButtonHint(), "hint");
}

TEST_F(KvnEditTest, DataFieldGivesTheCaptionWhileDesigning) {
    auto* dataSet = CreateNamed<TDataSet>(form, "cds");
    dataSet->AddField("PAYYM", QStringLiteral("发薪年月"));
    auto* source = CreateNamed<TDataSource>(form, "ds");
    source->SetDataSet(dataSet);
    struct Case {
        const char* Name;
        bool Designing;
        const char* Field;
        QString Caption;
    };
    const Case cases[] = {
        {"designing, field found", true, "PAYYM", QStringLiteral("发薪年月")},
        {"designing, no such field: unchanged", true, "NOPE", "Before"},
        {"running: unchanged", false, "PAYYM", "Before"},
    };
    for (const Case& c : cases) {
        TKvDBEdit* edit = c.Designing ? Edit<TDesignedDBEdit>("db") : Edit<TKvDBEdit>("db");
        edit->SetCaption("Before");
        edit->SetDataSource(source);
        edit->SetDataField(c.Field);
        EXPECT_EQ(edit->DataField(), c.Field) << c.Name;
        EXPECT_EQ(edit->Caption(), c.Caption) << c.Name;
        delete edit;
    }
    // A docking label beside a data-aware edit takes the same caption.
    auto* edit = Edit<TKvDBEdit>("db");
    edit->SetDataSource(source);
    edit->SetDataField("PAYYM");
    auto* label = CreateNamed<TDBLabel>(form, "lbl");
    label->SetParent(form);
    label->SetFocusControl(edit);
    EXPECT_EQ(label->Caption(), QStringLiteral("发薪年月"));
}

TEST_F(KvnEditTest, ButtonSitsAsASquareToTheRight) {
    form->Show();
    auto* edit = Edit<TKvBtnDBEdit>("btn", QRect(100, 8, 85, 21));
    EXPECT_EQ(edit->F2Button()->BoundsRect(), QRect(187, 8, 21, 21));
    edit->SetButtonSpacing(4);
    EXPECT_EQ(edit->F2Button()->BoundsRect(), QRect(189, 8, 21, 21));
    edit->SetBounds(20, 50, 120, 30);
    EXPECT_EQ(edit->F2Button()->BoundsRect(), QRect(144, 50, 30, 30));
    EXPECT_EQ(edit->F2Button()->Parent(), form);
    edit->SetEnabled(false);
    EXPECT_FALSE(edit->F2Button()->Enabled());
    EXPECT_FALSE(edit->EditLabel()->Enabled());
    edit->SetEnabled(true);
    edit->SetVisible(false);
    EXPECT_FALSE(edit->F2Button()->Visible());
    edit->SetVisible(true);
    EXPECT_TRUE(edit->F2Button()->Visible());
    edit->SetGlyphIndex(39);
    EXPECT_EQ(edit->F2Button()->GlyphIndex(), 39);
    edit->SetButtonHint(QStringLiteral("员工信息查询"));
    EXPECT_EQ(edit->F2Button()->Hint(), QStringLiteral("员工信息查询"));
}

TEST_F(KvnEditTest, ButtonClickAsksTheOwningFormForALookup) {
    struct Case {
        const char* Name;
        bool Enabled, Visible, WithOnDialog;
        bool Request;
    };
    const Case cases[] = {
        {"focusable edit: focused, then looked up", true, true, false, true},
        {"OnDialog takes the click: no focus, no request", true, true, true, false},
        {"hidden edit cannot take the focus", true, false, false, false},
        {"disabled edit cannot take the focus", false, true, false, false},
    };
    form->Show();
    auto* edit = Edit<TKvBtnDBEdit>("btn");
    for (const Case& c : cases) {
        form->requests.clear();
        form->other->SetFocus();
        edit->SetEnabled(c.Enabled);
        edit->SetVisible(c.Visible);
        // Pressed whatever state the edit puts it in.
        edit->F2Button()->SetEnabled(true);
        edit->F2Button()->SetVisible(true);
        std::vector<TObject*> dialogs;
        edit->OnDialog = c.WithOnDialog ? TNotifyEvent([&](TObject* sender) { dialogs.push_back(sender); })
                                        : TNotifyEvent();
        int clicks = 0;
        edit->F2Button()->OnClick = [&](TObject*) { ++clicks; };
        // A real press and release on the button.
        QWidget* w = edit->F2Button()->Handle();
        const QPointF at(3, 3);
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w, &release);
        EXPECT_EQ(clicks, 1) << c.Name;
        EXPECT_EQ(dialogs, c.WithOnDialog ? std::vector<TObject*>{edit} : std::vector<TObject*>{}) << c.Name;
        if (c.Request) {
            ASSERT_EQ(form->requests.size(), 1u) << c.Name;
            EXPECT_EQ(form->requests[0].WParam, 0u) << c.Name;
            EXPECT_EQ(form->requests[0].Control, edit) << c.Name;
            EXPECT_EQ(form->ActiveControl(), edit) << c.Name;
        } else {
            EXPECT_TRUE(form->requests.empty()) << c.Name;
            EXPECT_EQ(form->ActiveControl(), form->other) << c.Name;
        }
        edit->SetEnabled(true);
        edit->SetVisible(true);
    }
}

TEST_F(KvnEditTest, NoLookupWhenTheFocusCannotLeaveTheControlBefore) {
    form->Show();
    auto* edit = Edit<TKvBtnDBEdit>("btn");
    form->other->SetFocus();
    form->other->OnExit = [&](TObject*) { form->other->SetFocus(); };
    edit->F2Button()->Click();
    EXPECT_EQ(form->ActiveControl(), form->other);
    EXPECT_TRUE(form->requests.empty());
    form->other->OnExit = nullptr;
}

TEST_F(KvnEditTest, PublishedPropertiesByName) {
    auto* edit = Edit<TKvBtnDBEdit>("btn");
    EXPECT_TRUE(edit->setProperty("Caption", QStringLiteral("部门")));
    EXPECT_EQ(edit->EditLabel()->Caption(), QStringLiteral("部门"));
    EXPECT_EQ(edit->property("Caption").toString(), QStringLiteral("部门"));
    // The edit's own text is not its caption.
    EXPECT_EQ(edit->property("Text").toString(), "");
    EXPECT_TRUE(edit->setProperty("LabelPosition", QStringLiteral("lpAbove")));
    EXPECT_EQ(edit->LabelPosition(), TKvEdit::lpAbove);
    EXPECT_TRUE(edit->setProperty("LabelSpacing", 7));
    EXPECT_EQ(edit->EditLabel()->Top(), 40 - edit->EditLabel()->Height() - 7);
    EXPECT_TRUE(edit->setProperty("ButtonSpacing", 5));
    EXPECT_EQ(edit->F2Button()->Left(), 50 + 121 + 5);
    EXPECT_TRUE(edit->setProperty("GlyphIndex", 78));
    EXPECT_EQ(edit->F2Button()->GlyphIndex(), 78);
    EXPECT_TRUE(edit->setProperty("ButtonHint", "look"));
    EXPECT_EQ(edit->F2Button()->Hint(), "look");
    EXPECT_TRUE(edit->setProperty("DataField", "EMPNO"));
    EXPECT_EQ(edit->DataField(), "EMPNO");
    // The owned parts are reachable by name for the language files.
    auto* label = edit->property("EditLabel").value<TLabel*>();
    EXPECT_EQ(label, edit->EditLabel());
    auto* button = edit->property("F2Button").value<TGSpeedButton*>();
    EXPECT_EQ(button, edit->F2Button());
    bool raised = false;
    EXPECT_TRUE(edit->setProperty("OnDialog", QVariant::fromValue(TNotifyEvent([&](TObject*) { raised = true; }))));
    edit->ButtonClick();
    EXPECT_TRUE(raised);
}

}  // namespace
}  // namespace kv

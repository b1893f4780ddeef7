// Docking labels: the place beside the control for each side, following the
// control and the label's own size, one label per control, and the caption taken
// from the display label of a data-aware control's field.
#include <gtest/gtest.h>

#include <vector>

#include "components/DBLabel.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"

namespace kv {
namespace {

// A data-aware control as the label sees it: it publishes the data source and
// the field it shows.
class TProbeDBEdit : public TEdit {
    Q_OBJECT
    Q_PROPERTY(kv::TDataSource* DataSource MEMBER DataSource)
    Q_PROPERTY(QString DataField MEMBER DataField)
public:
    explicit TProbeDBEdit(TComponent* owner) : TEdit(owner) {}
    TDataSource* DataSource = nullptr;
    QString DataField;
};

class DockForm : public TForm {
public:
    explicit DockForm(TComponent* owner = nullptr) : TForm(owner) {
        SetBounds(0, 0, 360, 200);
        e1 = CreateNamed<TEdit>(this, "e1");
        e1->SetParent(this);
        e1->SetBounds(100, 8, 85, 21);
        e2 = CreateNamed<TEdit>(this, "e2");
        e2->SetParent(this);
        e2->SetBounds(100, 60, 85, 21);
    }
    // A label of fixed size 52 x 13 on this form.
    TDBLabel* FixedLabel(const QString& name) {
        auto* label = CreateNamed<TDBLabel>(this, name);
        label->SetParent(this);
        label->SetAutoSize(false);
        label->SetBounds(0, 0, 52, 13);
        return label;
    }
    TEdit* e1;
    TEdit* e2;
};

class DBLabelTest : public ::testing::Test {
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
        form = TForm::Create<DockForm>();
    }
    void TearDown() override {
        form->Free();
        SetModalDriver({});
    }

    std::vector<QString> boxes;
    DockForm* form = nullptr;
};

const QString kSecondLabel = QStringLiteral("不能同时有两个 DBLabel 指到同一个 Control.");

TEST_F(DBLabelTest, ConstructionDefaults) {
    TDBLabel label(nullptr);
    EXPECT_EQ(label.Caption(), QStringLiteral("挂靠标签"));
    EXPECT_TRUE(label.AutoAlign());
    EXPECT_TRUE(label.AutoCaption());
    EXPECT_EQ(label.Gap(), 4);
    EXPECT_EQ(label.Pos(), TDBLabel::psLeft);
    EXPECT_EQ(label.FocusControl(), nullptr);
    EXPECT_EQ(label.ClassName(), "TDBLabel");
    EXPECT_TRUE(label.InheritsFrom("TLabel"));
}

TEST_F(DBLabelTest, DocksOnEachSideOfTheControl) {
    struct Case {
        const char* Name;
        TDBLabel::TPos Pos;
        QRect Control;
        int LabelHeight;
        QPoint At;
    };
    const Case cases[] = {
        {"left: centred on the control's height", TDBLabel::psLeft, QRect(100, 8, 85, 21), 13, QPoint(44, 12)},
        {"right", TDBLabel::psRight, QRect(100, 8, 85, 21), 13, QPoint(189, 12)},
        {"equally high: top to top", TDBLabel::psLeft, QRect(100, 8, 85, 21), 21, QPoint(44, 8)},
        {"odd halves round down each", TDBLabel::psRight, QRect(100, 8, 85, 20), 13, QPoint(189, 12)},
        {"above", TDBLabel::psTop, QRect(100, 40, 85, 21), 13, QPoint(100, 23)},
        {"above a control at the top: clamped to 0", TDBLabel::psTop, QRect(100, 8, 85, 21), 13, QPoint(100, 0)},
        {"below", TDBLabel::psBottom, QRect(100, 8, 85, 21), 13, QPoint(100, 33)},
        {"left of a control near the edge: clamped to 0", TDBLabel::psLeft, QRect(20, 8, 85, 21), 13,
         QPoint(0, 12)},
        {"centring above the parent's top: clamped to 0", TDBLabel::psLeft, QRect(100, 0, 85, 4), 13, QPoint(44, 0)},
    };
    for (const Case& c : cases) {
        TDBLabel* label = form->FixedLabel("lbl");
        label->SetHeight(c.LabelHeight);
        form->e1->SetBounds(c.Control.x(), c.Control.y(), c.Control.width(), c.Control.height());
        label->SetPos(c.Pos);
        label->SetFocusControl(form->e1);
        EXPECT_EQ(label->BoundsRect(), QRect(c.At, QSize(52, c.LabelHeight))) << c.Name;
        delete label;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DBLabelTest, EachPropertyThatDecidesThePlaceDocksAgain) {
    TDBLabel* label = form->FixedLabel("lbl");
    label->SetFocusControl(form->e1);
    label->SetGap(10);
    EXPECT_EQ(label->BoundsRect(), QRect(38, 12, 52, 13));
    label->SetPos(TDBLabel::psBottom);
    EXPECT_EQ(label->BoundsRect(), QRect(100, 39, 52, 13));
    // Gap is a byte.
    label->SetGap(300);
    EXPECT_EQ(label->Gap(), 255);
    label->SetGap(-1);
    EXPECT_EQ(label->Gap(), 0);
    EXPECT_EQ(label->Top(), 29);
    // Moved by hand, it comes back when AutoAlign is set again.
    label->SetBounds(5, 150, 52, 13);
    label->SetAutoAlign(true);
    EXPECT_EQ(label->BoundsRect(), QRect(100, 29, 52, 13));
}

TEST_F(DBLabelTest, FollowsTheControlAndItsOwnSize) {
    form->Show();
    TDBLabel* label = form->FixedLabel("lbl");
    label->SetFocusControl(form->e1);
    form->e1->SetBounds(150, 50, 85, 21);
    EXPECT_EQ(label->BoundsRect(), QRect(94, 54, 52, 13));
    form->e1->SetBounds(150, 50, 85, 31);
    EXPECT_EQ(label->BoundsRect(), QRect(94, 59, 52, 13));
    // A longer caption widens an auto-sized label: its right edge stays Gap
    // pixels left of the control.
    label->SetAutoSize(true);
    label->SetCaption("Longer caption");
    EXPECT_GT(label->Width(), 52);
    ASSERT_LT(label->Width(), 146);
    EXPECT_EQ(label->Left() + label->Width(), 146);
    // Without AutoAlign the label keeps its own bounds whatever the control does.
    label->SetAutoAlign(false);
    label->SetBounds(1, 2, 30, 13);
    form->e1->SetBounds(10, 100, 60, 21);
    label->SetGap(9);
    EXPECT_EQ(label->BoundsRect(), QRect(1, 2, 30, 13));
    // A label bound elsewhere no longer follows the old control.
    label->SetAutoAlign(true);
    label->SetFocusControl(form->e2);
    const QRect beside = label->BoundsRect();
    form->e1->SetBounds(200, 150, 60, 21);
    EXPECT_EQ(label->BoundsRect(), beside);
}

TEST_F(DBLabelTest, LabelCreatedWhileLoadingDocksWithItsFinalSize) {
    // As a form resource builds it: caption, size and binding first, the label's
    // own size only once loading ends.
    form->BeginLoading();
    auto* label = CreateNamed<TDBLabel>(form, "lblLoaded");
    label->SetParent(form);
    label->SetCaption(QStringLiteral("制表日期"));
    label->SetFocusControl(form->e2);
    form->EndLoading();
    EXPECT_EQ(label->Left() + label->Width(), form->e2->Left() - 4);
    EXPECT_EQ(label->Caption(), QStringLiteral("制表日期"));
}

TEST_F(DBLabelTest, ASecondLabelForOneControlIsRefused) {
    TDBLabel* first = form->FixedLabel("first");
    first->SetFocusControl(form->e1);
    TDBLabel* second = form->FixedLabel("second");
    second->SetFocusControl(form->e2);
    const QRect placed = second->BoundsRect();
    second->SetFocusControl(form->e1);
    EXPECT_EQ(boxes, std::vector<QString>{kSecondLabel});
    EXPECT_EQ(second->FocusControl(), form->e2);
    EXPECT_EQ(second->BoundsRect(), placed);
    EXPECT_EQ(first->FocusControl(), form->e1);
    // Binding a label to its own control again is silent and changes nothing.
    boxes.clear();
    first->SetAutoAlign(false);
    first->SetBounds(0, 0, 5, 5);
    first->SetAutoAlign(true);
    first->SetBounds(0, 0, 5, 5);
    first->SetFocusControl(form->e1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(first->BoundsRect(), QRect(0, 0, 5, 5));
    // Once the first lets go, the control is free for the second.
    first->SetFocusControl(nullptr);
    second->SetFocusControl(form->e1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(second->FocusControl(), form->e1);
}

TEST_F(DBLabelTest, OnlyLabelsOfTheSameParentCompete) {
    auto* panel = CreateNamed<TPanel>(form, "panel");
    panel->SetParent(form);
    auto* edit = CreateNamed<TEdit>(form, "edit");
    edit->SetParent(panel);
    auto* p1 = CreateNamed<TDBLabel>(form, "p1");
    p1->SetParent(panel);
    p1->SetFocusControl(edit);
    auto* elsewhere = CreateNamed<TDBLabel>(form, "elsewhere");
    auto* panel2 = CreateNamed<TPanel>(form, "panel2");
    panel2->SetParent(form);
    elsewhere->SetParent(panel2);
    elsewhere->SetFocusControl(edit);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(elsewhere->FocusControl(), edit);
    auto* p2 = CreateNamed<TDBLabel>(form, "p2");
    p2->SetParent(panel);
    p2->SetFocusControl(edit);
    EXPECT_EQ(boxes, std::vector<QString>{kSecondLabel});
    EXPECT_EQ(p2->FocusControl(), nullptr);
}

TEST_F(DBLabelTest, AControlFreedFirstUnbindsItsLabel) {
    form->Show();
    TDBLabel* label = form->FixedLabel("lbl");
    label->SetFocusControl(form->e1);
    const QRect placed = label->BoundsRect();
    delete form->e1;
    form->e1 = nullptr;
    EXPECT_EQ(label->FocusControl(), nullptr);
    EXPECT_EQ(label->BoundsRect(), placed);
    label->SetFocusControl(form->e2);
    EXPECT_EQ(label->FocusControl(), form->e2);
    EXPECT_EQ(label->Top(), 64);
}

TEST_F(DBLabelTest, CaptionFromTheDisplayLabelOfTheControlsField) {
    auto* dataSet = CreateNamed<TDataSet>(form, "cdsEmp");
    dataSet->AddField("EMPNO", QStringLiteral("员工编号"));
    dataSet->AddField("DEPT");
    auto* source = CreateNamed<TDataSource>(form, "dsEmp");
    source->SetDataSet(dataSet);
    auto* emptySource = CreateNamed<TDataSource>(form, "dsNone");
    struct Case {
        const char* Name;
        TDataSource* Source;
        const char* Field;
        bool AutoCaption;
        QString Caption;
    };
    const QString unchanged = QStringLiteral("原标题");
    const Case cases[] = {
        {"the field's display label", source, "EMPNO", true, QStringLiteral("员工编号")},
        {"field names ignore letter case", source, "empno", true, QStringLiteral("员工编号")},
        {"no display label: the field's name", source, "DEPT", true, "DEPT"},
        {"no such field: unchanged", source, "SALARY", true, unchanged},
        {"no field named: unchanged", source, "", true, unchanged},
        {"a source without a data set: unchanged", emptySource, "EMPNO", true, unchanged},
        {"no source: unchanged", nullptr, "EMPNO", true, unchanged},
        {"AutoCaption off: unchanged", source, "EMPNO", false, unchanged},
    };
    for (const Case& c : cases) {
        auto* edit = CreateNamed<TProbeDBEdit>(form, "dbEdit");
        edit->SetParent(form);
        edit->DataSource = c.Source;
        edit->DataField = c.Field;
        auto* label = CreateNamed<TDBLabel>(form, "dbLabel");
        label->SetParent(form);
        label->SetAutoCaption(c.AutoCaption);
        label->SetCaption(unchanged);
        label->SetFocusControl(edit);
        EXPECT_EQ(label->Caption(), c.Caption) << c.Name;
        delete label;
        delete edit;
    }
    // A control that is not data-aware leaves the caption alone.
    TDBLabel* label = form->FixedLabel("plain");
    label->SetCaption(unchanged);
    label->SetFocusControl(form->e1);
    EXPECT_EQ(label->Caption(), unchanged);
    // Switching AutoCaption on takes the field's label at once.
    auto* edit = CreateNamed<TProbeDBEdit>(form, "dbEdit2");
    edit->SetParent(form);
    edit->DataSource = source;
    edit->DataField = "EMPNO";
    auto* late = CreateNamed<TDBLabel>(form, "late");
    late->SetParent(form);
    late->SetAutoCaption(false);
    late->SetFocusControl(edit);
    EXPECT_EQ(late->Caption(), QStringLiteral("挂靠标签"));
    late->SetAutoCaption(true);
    EXPECT_EQ(late->Caption(), QStringLiteral("员工编号"));
}

TEST_F(DBLabelTest, PublishedPropertiesByName) {
    TDBLabel* label = form->FixedLabel("lbl");
    EXPECT_TRUE(label->setProperty("FocusControl", QVariant::fromValue<TWinControl*>(form->e1)));
    EXPECT_EQ(label->FocusControl(), form->e1);
    EXPECT_TRUE(label->setProperty("Pos", QStringLiteral("psRight")));
    EXPECT_EQ(label->Pos(), TDBLabel::psRight);
    EXPECT_TRUE(label->setProperty("Gap", 6));
    EXPECT_EQ(label->Left(), 191);
    EXPECT_TRUE(label->setProperty("AutoAlign", false));
    EXPECT_TRUE(label->setProperty("AutoCaption", false));
    EXPECT_FALSE(label->AutoAlign());
    EXPECT_FALSE(label->AutoCaption());
    EXPECT_EQ(label->property("Caption").toString(), QStringLiteral("挂靠标签"));
    // Binding by name goes through the same refusal.
    TDBLabel* other = form->FixedLabel("other");
    other->setProperty("FocusControl", QVariant::fromValue<TWinControl*>(form->e1));
    EXPECT_EQ(other->FocusControl(), nullptr);
    EXPECT_EQ(boxes, std::vector<QString>{kSecondLabel});
}

}  // namespace
}  // namespace kv

#include "DBLabelTest.moc"

// The component framework's core: ownership, string lists, properties and events
// by name, focus moves with enter/exit, key preview, modal runs through the
// driver, deferred release.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaProperty>

#include <gtest/gtest.h>

#include <vector>

#include "platform/Forms.h"

namespace kv {
namespace {

// A bare windowed control over a line edit: enough to exercise the base classes
// without the concrete controls.
class TProbeEdit : public TWinControl {
public:
    explicit TProbeEdit(TComponent* owner) : TWinControl(owner, NewWidget<QLineEdit>()) {
        SetTabStop(true);
        Handle()->setFocusPolicy(Qt::StrongFocus);
    }
    QLineEdit* Line() const { return static_cast<QLineEdit*>(Handle()); }
};

class ProbeForm : public TForm {
public:
    explicit ProbeForm(TComponent* owner = nullptr) : TForm(owner) {
        e1 = CreateNamed<TProbeEdit>(this, "e1");
        e1->SetParent(this);
        e2 = CreateNamed<TProbeEdit>(this, "e2");
        e2->SetParent(this);
        e3 = CreateNamed<TProbeEdit>(this, "e3");
        e3->SetParent(this);
        SetBounds(0, 0, 200, 120);
    }
    TProbeEdit* e1;
    TProbeEdit* e2;
    TProbeEdit* e3;
    std::vector<TWinControl*> focusChanges;

protected:
    void FocusChanged(TWinControl* c) override { focusChanges.push_back(c); }
};

// Restores the production driver when a test ends.
struct DriverGuard {
    ~DriverGuard() { SetModalDriver({}); }
};

TEST(Framework, OwnerFreesOwnedLastFirstAndFreedComponentsLeaveTheirOwner) {
    std::vector<QString> order;
    struct Noisy : TComponent {
        Noisy(TComponent* o, std::vector<QString>* log) : TComponent(o), log(log) {}
        ~Noisy() override { log->push_back(Name()); }
        std::vector<QString>* log;
    };
    auto* owner = new TComponent(nullptr);
    auto* a = new Noisy(owner, &order);
    a->SetName("a");
    auto* b = new Noisy(owner, &order);
    b->SetName("b");
    auto* c = new Noisy(owner, &order);
    c->SetName("c");
    EXPECT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(c->ComponentIndex(), 2);
    EXPECT_EQ(owner->FindComponent("B"), b);
    delete b;
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(c->ComponentIndex(), 1);
    delete owner;
    EXPECT_EQ(order, (std::vector<QString>{"b", "c", "a"}));
}

TEST(Framework, LoadingEndsForTheWholeTreeAfterConstruction) {
    auto* form = TForm::Create<ProbeForm>();
    EXPECT_FALSE(form->IsLoading());
    EXPECT_FALSE(form->e2->IsLoading());
    auto* later = new TComponent(form);
    EXPECT_FALSE(later->IsLoading());
    form->Free();
}

TEST(Framework, StringListTextCommaTextAndValues) {
    TStringList list;
    list.SetText("a\r\nb\nc\r\n");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\n");
    list.SetCommaText("x,\"y z\",\"q\"\"\",");
    EXPECT_EQ(list.ToStringList(), (QStringList{"x", "y z", "q\"", ""}));
    EXPECT_EQ(list.CommaText(), "x,\"y z\",\"q\"\"\",\"\"");
    list.SetText("936=CHS\r\n950=CHT");
    EXPECT_EQ(list.Values("950"), "CHT");
    EXPECT_EQ(list.Values("1252"), "");
    int changes = 0;
    QObject::connect(&list, &TStrings::Changed, [&] { ++changes; });
    list.BeginUpdate();
    list.Add("1");
    list.Add("2");
    list.EndUpdate();
    EXPECT_EQ(changes, 1);
    list.SetSorted(true);
    list.SetDuplicates(dupIgnore);
    list.Add("1");
    EXPECT_EQ(list.IndexOf("950=cht"), list.IndexOf("950=CHT"));
}

TEST(Framework, PropertiesAndEventsByName) {
    auto* form = TForm::Create<ProbeForm>();
    int exits = 0;
    form->e1->OnExit = [&](TObject* s) { exits += s == form->e1 ? 1 : 100; };
    // Save, replace, restore a handler by name.
    const QVariant saved = form->e1->property("OnExit");
    ASSERT_TRUE(saved.isValid());
    form->e1->setProperty("OnExit", QVariant::fromValue(TNotifyEvent()));
    EXPECT_FALSE(form->e1->OnExit);
    form->e1->setProperty("OnExit", saved);
    form->e1->OnExit(form->e1);
    EXPECT_EQ(exits, 1);

    EXPECT_TRUE(form->setProperty("Caption", QString("标题")));
    EXPECT_EQ(form->Caption(), "标题");
    EXPECT_TRUE(form->e1->setProperty("Align", QString("alTop")));
    EXPECT_EQ(form->e1->Align(), alTop);
    EXPECT_EQ(form->e1->Width(), form->ClientWidth());
    auto* font = form->e2->property("Font").value<TFont*>();
    ASSERT_NE(font, nullptr);
    font->SetCharset(GB2312_CHARSET);
    EXPECT_EQ(form->e2->Font()->Charset(), 134);
    form->Free();
}

TEST(Framework, ParentFontFollowsUntilSetOwnFont) {
    auto* form = TForm::Create<ProbeForm>();
    form->Font()->SetName("Tahoma");
    form->Font()->SetHeight(-13);
    EXPECT_EQ(form->e1->Font()->Name(), "Tahoma");
    EXPECT_EQ(form->e1->Font()->Height(), -13);
    EXPECT_TRUE(form->e1->ParentFont());
    form->e1->Font()->SetName("SimSun");
    EXPECT_FALSE(form->e1->ParentFont());
    form->Font()->SetName("Other");
    EXPECT_EQ(form->e1->Font()->Name(), "SimSun");
    EXPECT_EQ(form->e2->Font()->Name(), "Other");
    form->Free();
}

TEST(Framework, FocusMovesRaiseExitThenEnterAndTabOrderDecides) {
    auto* form = TForm::Create<ProbeForm>();
    std::vector<QString> log;
    for (TProbeEdit* e : {form->e1, form->e2, form->e3}) {
        e->OnEnter = [&log](TObject* s) { log.push_back("enter " + static_cast<TComponent*>(s)->Name()); };
        e->OnExit = [&log](TObject* s) { log.push_back("exit " + static_cast<TComponent*>(s)->Name()); };
    }
    form->e3->SetTabOrder(0);
    form->Show();
    EXPECT_EQ(form->ActiveControl(), form->e3);
    form->SelectNext(form->e3, true, true);
    EXPECT_EQ(form->ActiveControl(), form->e1);
    form->e2->SetEnabled(false);
    form->SelectNext(form->e1, true, true);
    EXPECT_EQ(form->ActiveControl(), form->e3);  // wrapped around the disabled one
    EXPECT_EQ(log, (std::vector<QString>{"enter e3", "exit e3", "enter e1", "exit e1", "enter e3"}));
    EXPECT_EQ(form->focusChanges.back(), form->e3);
    EXPECT_THROW(form->e2->SetFocus(), EInvalidOperation);
    form->Free();
}

TEST(Framework, ExitHandlerThatRefocusesKeepsTheFocus) {
    auto* form = TForm::Create<ProbeForm>();
    form->Show();
    form->e1->SetFocus();
    int e2Entered = 0;
    form->e2->OnEnter = [&](TObject*) { ++e2Entered; };
    form->e1->OnExit = [&](TObject*) { form->e1->SetFocus(); };
    form->e2->SetFocus();
    EXPECT_EQ(form->ActiveControl(), form->e1);
    EXPECT_EQ(e2Entered, 0);
    form->Free();
}

TEST(Framework, KeyPreviewSeesKeysFirstAndCanSwallowOrChangeThem) {
    auto* form = TForm::Create<ProbeForm>();
    form->Show();
    form->e1->SetFocus();
    std::vector<QString> log;
    form->SetKeyPreview(true);
    form->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) {
        log.push_back("form down " + QString::number(key));
        if (key == VK_F2) key = 0;
    };
    form->OnKeyPress = [&](TObject*, QChar& ch) {
        if (ch == 'a') ch = 'b';
    };
    form->e1->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) { log.push_back("edit down " + QString::number(key)); };
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(form->e1->Handle(), &f2);
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(form->e1->Handle(), &a);
    EXPECT_EQ(log, (std::vector<QString>{"form down 113", "form down 65", "edit down 65"}));
    EXPECT_EQ(form->e1->Line()->text(), "b");
    // Tab moves in tab order.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::sendEvent(form->e1->Handle(), &tab);
    EXPECT_EQ(form->ActiveControl(), form->e2);
    form->Free();
}

TEST(Framework, ModalRunsGoThroughTheDriverAndCloseQueryCanRefuse) {
    DriverGuard guard;
    auto* form = TForm::Create<ProbeForm>();
    int queries = 0;
    form->OnCloseQuery = [&](TObject*, bool& can) { can = ++queries > 1; };
    SetModalDriver([&](TForm& f) {
        EXPECT_TRUE(f.Visible());
        EXPECT_TRUE(f.IsModal());
        f.SetModalResult(mrOk);
        EXPECT_FALSE(f.CheckModalEnd());  // refused once
        EXPECT_EQ(f.ModalResult(), mrNone);
        f.SetModalResult(mrYes);
        EXPECT_TRUE(f.CheckModalEnd());
    });
    EXPECT_EQ(form->ShowModal(), mrYes);
    EXPECT_FALSE(form->Visible());
    // A driver that gives up ends the session as cancelled.
    SetModalDriver([](TForm&) {});
    EXPECT_EQ(form->ShowModal(), mrCancel);
    form->Visible() ? form->Hide() : void();
    form->Show();
    EXPECT_THROW(form->ShowModal(), EInvalidOperation);
    form->Free();
}

TEST(Framework, CloseWithActionFreeReleasesAfterTheModalRun) {
    DriverGuard guard;
    auto* form = TForm::Create<ProbeForm>();
    QPointer<TForm> alive(form);
    int destroyed = 0;
    form->OnDestroy = [&](TObject*) { ++destroyed; };
    form->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    SetModalDriver([](TForm& f) { f.Close(); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_TRUE(alive);  // freed only when events are next handled
    Application()->ProcessMessages();
    EXPECT_FALSE(alive);
    EXPECT_EQ(destroyed, 1);
}

TEST(Framework, PerformAndPostedMessages) {
    struct Receiver : TForm {
        using TForm::TForm;
        std::vector<unsigned> got;
        void WndProc(TMessage& m) override {
            if (m.Msg == WM_USER + 10) {
                got.push_back(static_cast<unsigned>(m.LParam));
                m.Result = 7;
                return;
            }
            TForm::WndProc(m);
        }
    };
    auto* form = TForm::Create<Receiver>(nullptr);
    EXPECT_EQ(form->Perform(WM_USER + 10, 0, 42), 7);
    PostMessage(form, WM_USER + 10, 0, 43);
    EXPECT_EQ(form->got.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->got, (std::vector<unsigned>{42, 43}));
    // A message posted to a control freed before it runs is dropped.
    auto* other = TForm::Create<Receiver>(nullptr);
    PostMessage(other, WM_USER + 10, 0, 1);
    other->Free();
    QCoreApplication::processEvents();
    form->Free();
}

}  // namespace
}  // namespace kv

// The message dialog: its components and names for each button set, the default
// and cancel buttons, captions by kind, the layout of long texts, and results
// returned through the modal driver when a button is pressed by name.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/Grids.h"
#include "platform/StdCtrls.h"

namespace kv {
namespace {

struct DriverGuard {
    ~DriverGuard() { SetModalDriver({}); }
};

TMsgDlgButtons Set(std::initializer_list<TMsgDlgBtn> list) {
    TMsgDlgButtons set = 0;
    for (TMsgDlgBtn b : list) set |= MsgDlgButton(b);
    return set;
}

QStringList ButtonNames(TForm* form) {
    QStringList names;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (qobject_cast<TButton*>(form->Components(i))) names << form->Components(i)->Name();
    return names;
}

TButton* ButtonNamed(TForm* form, const char* name) { return qobject_cast<TButton*>(form->FindComponent(name)); }

struct SetCase {
    TMsgDlgButtons buttons;
    QStringList names;        // in the order they stand, left to right
    const char* defaultName;  // "" when none
    const char* cancelName;   // "" when none
};

TEST(MessageDialog, ButtonsByNameInClassicOrderWithDefaultAndCancel) {
    const SetCase cases[] = {
        {Set({mbOK}), {"OK"}, "OK", "OK"},
        {mbOKCancel, {"OK", "Cancel"}, "OK", "Cancel"},
        {mbYesNo, {"Yes", "No"}, "Yes", "No"},
        {mbYesNoCancel, {"Yes", "No", "Cancel"}, "Yes", "Cancel"},
        {Set({mbCancel, mbNo, mbYes}), {"Yes", "No", "Cancel"}, "Yes", "Cancel"},
        {mbAbortRetryIgnore, {"Abort", "Retry", "Ignore"}, "Retry", ""},
        {Set({mbOK, mbHelp}), {"OK", "Help"}, "OK", "OK"},
        {Set({mbYes, mbYesToAll, mbNo, mbNoToAll, mbAll}), {"Yes", "No", "All", "NoToAll", "YesToAll"}, "Yes", "No"},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.names.join(",").toStdString());
        TForm* form = CreateMessageDialog("text", mtConfirmation, c.buttons);
        EXPECT_EQ(ButtonNames(form), c.names);
        int lastLeft = -1;
        for (const QString& name : c.names) {
            auto* b = qobject_cast<TButton*>(form->FindComponent(name));
            ASSERT_NE(b, nullptr);
            EXPECT_GT(b->Left(), lastLeft);
            lastLeft = b->Left();
            EXPECT_EQ(b->Default(), name == c.defaultName) << name.toStdString();
            EXPECT_EQ(b->Cancel(), name == c.cancelName) << name.toStdString();
            EXPECT_EQ(b->Parent(), form);
        }
        form->Free();
    }
}

TEST(MessageDialog, EveryButtonHasItsCaptionAndResult) {
    struct Case {
        TMsgDlgBtn b;
        const char* name;
        const char* caption;
        TModalResult result;
    };
    const Case cases[] = {
        {mbYes, "Yes", "&Yes", mrYes},           {mbNo, "No", "&No", mrNo},
        {mbOK, "OK", "OK", mrOk},                {mbCancel, "Cancel", "Cancel", mrCancel},
        {mbAbort, "Abort", "&Abort", mrAbort},   {mbRetry, "Retry", "&Retry", mrRetry},
        {mbIgnore, "Ignore", "&Ignore", mrIgnore}, {mbAll, "All", "&All", mrAll},
        {mbNoToAll, "NoToAll", "N&o to All", mrNoToAll}, {mbYesToAll, "YesToAll", "Yes to &All", mrYesToAll},
        {mbHelp, "Help", "&Help", mrNone},
    };
    TMsgDlgButtons all = 0;
    for (const Case& c : cases) all |= MsgDlgButton(c.b);
    TForm* form = CreateMessageDialog("all buttons", mtInformation, all);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TButton* b = ButtonNamed(form, c.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Caption(), c.caption);
        EXPECT_EQ(b->ModalResult(), c.result);
        EXPECT_EQ(b->property("Caption").toString(), c.caption);
    }
    form->Free();
}

TEST(MessageDialog, CaptionAndIconByKind) {
    QGuiApplication::setApplicationDisplayName("Payroll");
    struct Case {
        TMsgDlgType type;
        const char* caption;
        bool image;
    };
    const Case cases[] = {
        {mtWarning, "Warning", true},         {mtError, "Error", true},
        {mtInformation, "Information", true}, {mtConfirmation, "Confirm", true},
        {mtCustom, "Payroll", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        TForm* form = CreateMessageDialog("x", c.type, MsgDlgButton(mbOK));
        EXPECT_EQ(form->Caption(), c.caption);
        auto* image = qobject_cast<TImage*>(form->FindComponent("Image"));
        EXPECT_EQ(image != nullptr, c.image);
        if (image) {
            EXPECT_EQ(image->Picture()->Width(), 32);
            EXPECT_EQ(image->Width(), 32);
        }
        auto* message = qobject_cast<TLabel*>(form->FindComponent("Message"));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->Caption(), "x");
        EXPECT_EQ(form->BorderStyle(), bsDialog);
        form->Free();
    }
}

// Text to the right of the icon, buttons centred below the text, nothing beyond
// the client area.
void ExpectClassicLayout(TMessageForm* form) {
    TLabel* message = form->MessageLabel();
    ASSERT_NE(message, nullptr);
    if (TImage* image = form->Image()) {
        EXPECT_GT(message->Left(), image->Left() + image->Width());
    }
    EXPECT_LE(message->Left() + message->Width(), form->ClientWidth());
    int left = form->ClientWidth();
    int right = 0;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* b = qobject_cast<TButton*>(form->Components(i))) {
            EXPECT_GE(b->Top(), message->Top() + message->Height()) << b->Name().toStdString();
            EXPECT_LE(b->Top() + b->Height(), form->ClientHeight());
            left = std::min(left, b->Left());
            right = std::max(right, b->Left() + b->Width());
            const QFontMetrics metrics(b->Font()->ToQFont());
            EXPECT_GE(b->Width(), metrics.horizontalAdvance(QString(b->Caption()).remove('&')) + 8);
        }
    EXPECT_LE(std::abs(left - (form->ClientWidth() - right)), 1);  // centred
}

TEST(MessageDialog, LongTextWrapsAtHalfTheScreenAndButtonsStayBelowIt) {
    const QString sentence = "The pay period of this company is not closed yet. ";
    auto* shortForm = static_cast<TMessageForm*>(CreateMessageDialog("Short", mtWarning, mbYesNo));
    auto* longForm = static_cast<TMessageForm*>(CreateMessageDialog(sentence.repeated(12), mtWarning, mbYesNo));
    ExpectClassicLayout(shortForm);
    ExpectClassicLayout(longForm);
    const TLabel* one = shortForm->MessageLabel();
    const TLabel* many = longForm->MessageLabel();
    EXPECT_LE(many->Width(), Screen()->Width() / 2);
    EXPECT_GT(many->Width(), Screen()->Width() / 4);
    EXPECT_GE(many->Height(), 4 * one->Height());
    EXPECT_GT(longForm->ClientHeight(), shortForm->ClientHeight());
    // A short text on its own line: the dialog is as wide as its buttons need.
    EXPECT_LT(shortForm->ClientWidth(), longForm->ClientWidth());

    // Another font and other captions: the dialog arranges itself again.
    ButtonNamed(longForm, "Yes")->SetCaption("是(&Y) with a much longer caption");
    longForm->Font()->SetHeight(-20);
    ExpectClassicLayout(longForm);
    EXPECT_EQ(many->Font()->Height(), -20);
    shortForm->Free();
    longForm->Free();
}

TEST(MessageDialog, ResultsComeBackThroughTheModalDriver) {
    DriverGuard guard;
    struct Case {
        const char* press;
        TMsgDlgButtons buttons;
        TModalResult expected;
    };
    const Case cases[] = {
        {"Yes", mbYesNoCancel, mrYes},
        {"No", mbYesNoCancel, mrNo},
        {"Cancel", mbOKCancel, mrCancel},
        {"Retry", mbAbortRetryIgnore, mrRetry},
        {"NoToAll", Set({mbYes, mbNoToAll}), mrNoToAll},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press);
        QString seenCaption;
        SetModalDriver([&](TForm& form) {
            seenCaption = form.Caption();
            auto* b = qobject_cast<TButton*>(form.FindComponent(c.press));
            ASSERT_NE(b, nullptr);
            b->PushButton()->click();
            form.CheckModalEnd();
        });
        EXPECT_EQ(MessageDlg("Question?", mtConfirmation, c.buttons, 0), c.expected);
        EXPECT_EQ(seenCaption, "Confirm");
    }

    // Help does not end the dialog; a driver that gives up cancels it.
    SetModalDriver([](TForm& form) {
        ButtonNamed(&form, "Help")->PushButton()->click();
        EXPECT_FALSE(form.CheckModalEnd());
    });
    EXPECT_EQ(MessageDlg("Help?", mtInformation, Set({mbOK, mbHelp}), 12), mrCancel);

    // Enter presses the default button, Escape the cancel button.
    SetModalDriver([](TForm& form) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(form.ActiveControl() ? form.ActiveControl()->Handle() : form.Handle(), &esc);
        form.CheckModalEnd();
    });
    EXPECT_EQ(MessageDlg("Leave?", mtWarning, mbYesNo, 0), mrNo);

    std::vector<QString> shown;
    SetModalDriver([&](TForm& form) {
        shown.push_back(form.FindComponent("Message")->property("Caption").toString());
        ButtonNamed(&form, "OK")->Click();
        form.CheckModalEnd();
    });
    ShowMessage("Saved.");
    EXPECT_EQ(shown, (std::vector<QString>{"Saved."}));
}

TEST(MessageDialog, CtrlCCopiesTheDialogAsText) {
    auto* form = static_cast<TMessageForm*>(CreateMessageDialog("R&D budget", mtError, mbOKCancel));
    const QString dash = QString(27, '-') + "\r\n";
    const QString expected = dash + "Error\r\n" + dash + "R&D budget\r\n" + dash + "OK   Cancel   \r\n" + dash;
    EXPECT_EQ(form->GetFormText(), expected);
    form->Show();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, "\x03");
    QApplication::sendEvent(ButtonNamed(form, "OK")->Handle(), &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    form->Free();
}

// Saves a picture of a confirmation dialog beside a string grid when
// KV_SCREENSHOT names a file; the drawing itself is checked either way.
TEST(MessageDialog, ConfirmationDialogAndGridDraw) {
    auto* dialog = static_cast<TMessageForm*>(CreateMessageDialog(
        "Delete the scheme \"Monthly payroll, all departments\"? The scheme and its dynamic dates are removed "
        "for every user of this program.",
        mtConfirmation, mbYesNo));
    dialog->Show();
    const QImage dialogShot = dialog->Handle()->grab().toImage();

    auto* form = TForm::Create<TForm>(nullptr);
    form->SetCaption("Recipients");
    form->SetClientWidth(480);
    form->SetClientHeight(150);
    auto* grid = CreateNamed<TStringGrid>(form, "grReceive");
    grid->SetParent(form);
    grid->SetBounds(8, 8, 464, 134);
    grid->SetColCount(5);
    grid->SetFixedCols(0);
    grid->SetDefaultRowHeight(18);
    const QStringList headers{"收件人", "姓名", "手机号码", "邮箱地址", "类型"};
    const int widths[] = {47, 50, 80, 133, 68};
    for (int c = 0; c < 5; ++c) {
        grid->SetCells(c, 0, headers[c]);
        grid->SetColWidths(c, widths[c]);
    }
    grid->Rows(1)->SetStrings({"DS", "系统管理员", "13800000000", "ds@example.com", "1.系统用户"});
    grid->Rows(2)->SetStrings({"A01", "王小明", "", "", "1.系统用户"});
    form->Show();
    grid->SetFocus();
    const QImage gridShot = form->Handle()->grab().toImage();

    ASSERT_FALSE(dialogShot.isNull());
    ASSERT_FALSE(gridShot.isNull());
    EXPECT_EQ(dialogShot.width(), dialog->Width());
    if (const char* path = std::getenv("KV_SCREENSHOT")) {
        QImage both(dialogShot.width() + gridShot.width() + 24, std::max(dialogShot.height(), gridShot.height()) + 16,
                    QImage::Format_RGB32);
        both.fill(Qt::darkGray);
        QPainter p(&both);
        p.drawImage(8, 8, dialogShot);
        p.drawImage(dialogShot.width() + 16, 8, gridShot);
        p.end();
        EXPECT_TRUE(both.save(path));
    }
    dialog->Free();
    form->Free();
}

}  // namespace
}  // namespace kv

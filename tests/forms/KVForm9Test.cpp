// The edition-9 parts of the base forms: two-state glyphs on the form's glyph
// buttons and the lookup dialog base.
#include "forms/KVDialogCF.h"
#include "forms/KVForm.h"

#include "VornikTestEnv.h"

#include "platform/Buttons.h"
#include "platform/StdCtrls.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace kv {

class TfrmDialogOwner : public TKVForm {
    Q_OBJECT
public:
    explicit TfrmDialogOwner(TComponent* owner = nullptr) : TKVForm(owner) { SetCaption(u"员工薪资报表"_s); }
};

namespace {

class KVForm9Test : public test::VornikEnvTest {
protected:
    void SetUp() override {
        VornikEnvTest::SetUp();
        FEnv.Set("KVN_LIBRARY_PATH", test::BinDir());
        WriteRegistry({{"ClientPath", Root() + "/app/"}, {"ServerPath", Root() + "/app/"}});
        WriteFile(Root() + "/app/VornikC.ini",
                  "[CodePage]\r\nUICodePage=936\r\nDBCodePage=936\r\n[Server Information]\r\nComputerName=127.0.0.1\r\n");
    }
    test::ScopedEnv FEnv;
};

void Filled(TBitmap& b, int w, int h, TColor c) {
    b.SetSize(w, h);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
}

}  // namespace

namespace {

class TfrmGlyphs : public TKVForm {
    Q_OBJECT
public:
    explicit TfrmGlyphs(TComponent* owner = nullptr) : TKVForm(owner) {
        single = CreateNamed<TBitBtn>(this, u"btnSingle"_s);
        twice = CreateNamed<TBitBtn>(this, u"btnTwice"_s);
        speed = CreateNamed<TSpeedButton>(this, u"spdSingle"_s);
        TBitmap g;
        Filled(g, 8, 8, clFuchsia);
        g.SetPixels(3, 3, clNavy);
        single->SetGlyph(&g);
        speed->SetGlyph(&g);
        TBitmap two;
        Filled(two, 16, 8, clFuchsia);
        twice->SetGlyph(&two);
        twice->SetNumGlyphs(2);
        single->SetNumGlyphs(1);
        speed->SetNumGlyphs(1);
    }
    TBitBtn* single;
    TBitBtn* twice;
    TSpeedButton* speed;
};

TEST_F(KVForm9Test, SingleGlyphButtonsGetTwoStateGlyphs) {
    auto* form = TForm::Create<TfrmGlyphs>();
    EXPECT_EQ(form->single->NumGlyphs(), 2);
    EXPECT_EQ(form->single->Glyph()->Width(), 16);
    EXPECT_EQ(form->speed->NumGlyphs(), 2);
    EXPECT_EQ(form->speed->Glyph()->Width(), 16);
    EXPECT_EQ(form->twice->NumGlyphs(), 2);
    EXPECT_EQ(form->twice->Glyph()->Width(), 16);  // left as it was
    form->Free();
}

// ---- the lookup dialog base -----------------------------------------------------------

class TfrmTestDialog : public TfrmKVDialog {
    Q_OBJECT
public:
    explicit TfrmTestDialog(TComponent* owner) : TfrmKVDialog(owner) {
        ed1 = CreateNamed<TEdit>(this, u"ed1"_s);
        ed1->SetParent(this);
        ed2 = CreateNamed<TEdit>(this, u"ed2"_s);
        ed2->SetParent(this);
        ed2->SetTop(30);
        memo = CreateNamed<TMemo>(this, u"memo"_s);
        memo->SetParent(this);
        memo->SetTop(60);
    }
    void DoF2Key(std::uint16_t& key, TWinControl* control) override {
        f2.push_back(control);
        TfrmKVDialog::DoF2Key(key, control);
    }
    TEdit* ed1;
    TEdit* ed2;
    TMemo* memo;
    std::vector<TWinControl*> f2;
};

TEST_F(KVForm9Test, DialogTakesItsOwnersCaptionAndAnswersLookupRequests) {
    auto* owner = TForm::Create<TfrmDialogOwner>();
    auto* dialog = TForm::Create<TfrmTestDialog>(owner);
    EXPECT_EQ(dialog->Caption(), owner->Caption());
    EXPECT_EQ(dialog->ClientWidth(), 394);
    EXPECT_EQ(dialog->ClientHeight(), 322);
    dialog->Show();
    dialog->ed1->SetFocus();
    dialog->Perform(WM_USER + 10, 0, ControlParam(dialog->ed2));
    EXPECT_EQ(dialog->ActiveControl(), dialog->ed2);
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(dialog->ed2->Handle(), &f2);
    EXPECT_EQ(dialog->f2, (std::vector<TWinControl*>{dialog->ed2, dialog->ed2}));
    dialog->Free();
    owner->Free();
}

TEST_F(KVForm9Test, DialogEnterMovesOnExceptInMultiLineEdits) {
    auto* dialog = TForm::Create<TfrmTestDialog>(nullptr);
    dialog->Show();
    dialog->ed1->SetFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(dialog->ed1->Handle(), &enter);
    EXPECT_EQ(dialog->ActiveControl(), dialog->ed2);
    dialog->memo->SetFocus();
    dialog->memo->Lines()->SetStrings({"a"});
    QKeyEvent enter2(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(dialog->memo->Handle(), &enter2);
    EXPECT_EQ(dialog->ActiveControl(), dialog->memo);
    EXPECT_EQ(dialog->memo->Lines()->Count(), 2);
    dialog->Free();
}

}  // namespace
}  // namespace kv

#include "KVForm9Test.moc"

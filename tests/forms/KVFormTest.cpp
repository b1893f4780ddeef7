// The base form: component order, creation steps (input method, English fonts,
// two-state glyphs with their disabled image), one-time conversion, language files
// over the class chain, the lookup dialog base and the busy notice.
#include "forms/KVForm.h"
#include "forms/RunningWinCF.h"

#include "VornikTestEnv.h"

#include "language/LanguageController.h"
#include "platform/Buttons.h"
#include "platform/ComCtrls.h"
#include "platform/ExtCtrls.h"
#include "platform/Grids.h"
#include "platform/Mask.h"
#include "platform/Spin.h"
#include "platform/StdCtrls.h"
#include "runtime/CodeConverter.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace kv {

// Two layers below the base form, named as the system's forms are.
class TfrmTestBase : public TKVForm {
    Q_OBJECT
public:
    explicit TfrmTestBase(TComponent* owner = nullptr) : TKVForm(owner) {
        SetCaption(u"员工薪资报表"_s);
        btnOk = CreateNamed<TButton>(this, u"btnOk"_s);
        btnOk->SetParent(this);
        btnOk->SetCaption(u"后台处理"_s);
        btnOk->SetHint(u"送出"_s);
    }
    TButton* btnOk;
};

class TfrmTestChild : public TfrmTestBase {
    Q_OBJECT
public:
    explicit TfrmTestChild(TComponent* owner = nullptr) : TfrmTestBase(owner) {
        edName = CreateNamed<TEdit>(this, u"edName"_s);
        edName->SetParent(this);
        edName->ImeName = u"Chinese (Simplified) - Pinyin"_s;
        cbo01 = CreateNamed<TComboBox>(this, u"cbo01"_s);
        cbo01->SetParent(this);
        cbo01->Items()->SetStrings({u"简要"_s, u"明细"_s});
        cbo01->SetItemIndex(1);
    }
    TEdit* edName;
    TComboBox* cbo01;
};

namespace {

class KVFormTest : public test::VornikEnvTest {
protected:
    void SetUp() override {
        VornikEnvTest::SetUp();
        FEnv.Set("KVN_LIBRARY_PATH", test::BinDir());
        Configure("936", "936", "936");
    }

    void Configure(const std::string& ui, const std::string& db, const std::string& systemCodePage) {
        WriteRegistry({{"ClientPath", Root() + "/app/"}, {"ServerPath", Root() + "/app/"}});
        const std::string profile = "[CodePage]\r\nUICodePage=" + ui + "\r\nDBCodePage=" + db +
                                    "\r\n[Server Information]\r\nComputerName=127.0.0.1\r\n";
        WriteFile(Root() + "/app/VornikC.ini", profile);
        SetSystemCodePage(systemCodePage);
    }
    // The stand-in library answers GBtoBIG5 with the text twice.
    void UseStandInLibrary() {
        const std::string dir = Root() + "/standin";
        WriteFile(dir + "/Vizudiziva.so", test::ReadFile(KV_RUNTIME_TESTLIBS "/TwoFunctions.so"));
        FEnv.Set("KVN_LIBRARY_PATH", dir);
    }
    void WriteLanguageFile(const std::string& code, const std::string& stem, const std::string& xml) {
        WriteFile(Root() + "/app/MultiLanguage/" + code + "/" + stem + ".Lng", xml);
    }

    test::ScopedEnv FEnv;
};

TEST_F(KVFormTest, ConverterAndLanguageControllerComeFirst) {
    auto* form = TForm::Create<TfrmTestChild>();
    ASSERT_GE(form->ComponentCount(), 3);
    EXPECT_EQ(form->Components(0), form->KvConverter);
    EXPECT_EQ(form->Components(1), form->LangController);
    EXPECT_EQ(form->KvConverter->Name(), "KvConverter");
    EXPECT_FALSE(form->LangController->Active());
    EXPECT_TRUE(form->KeyPreview());
    EXPECT_EQ(form->Font()->Height(), -13);
    EXPECT_EQ(form->Position(), poScreenCenter);
    EXPECT_EQ(form->GetUICodePage(), "936");
    EXPECT_FALSE(form->IsUIConverting());
    form->Free();
}

TEST_F(KVFormTest, CreationClearsInputMethodsAndSetsEnglishFontsOnlyFor437) {
    for (const char* ui : {"936", "437"}) {
        Configure(ui, "936", "936");
        auto* form = TForm::Create<TfrmTestChild>();
        EXPECT_EQ(form->edName->ImeName, "") << ui;
        const bool english = std::string(ui) == "437";
        EXPECT_EQ(form->btnOk->Font()->Name() == "Tahoma", english) << ui;
        EXPECT_EQ(form->edName->Font()->Charset() == GB2312_CHARSET, english) << ui;
        form->Free();
    }
}

TEST_F(KVFormTest, ConvertTextsConvertsOnce) {
    Configure("950", "936", "936");
    UseStandInLibrary();
    auto* form = TForm::Create<TfrmTestChild>();
    EXPECT_TRUE(form->IsUIConverting());
    form->ConvertTexts();
    form->ConvertTexts();
    EXPECT_TRUE(form->TextsConverted);
    EXPECT_EQ(form->btnOk->Caption(), u"后台处理后台处理"_s);
    form->Free();
}

TEST_F(KVFormTest, LanguageFilesOfTheClassChainApplyFromGeneralToSpecific) {
    WriteLanguageFile("CHS", "TKVForm", R"(<TKVForm Caption="Base"><btnOk Hint="from base"/></TKVForm>)");
    WriteLanguageFile("CHS", "TfrmTestChild",
                      R"(<frm Caption="Payroll"><btnOk Caption="Submit"/><cbo01 Items_3="Extra"/></frm>)");
    auto* form = TForm::Create<TfrmTestChild>();
    form->Show();
    EXPECT_TRUE(form->LangController->Active());
    EXPECT_EQ(form->Caption(), "Payroll");           // the descendant's file wins
    EXPECT_EQ(form->btnOk->Hint(), "from base");     // the base's entry stays
    EXPECT_EQ(form->btnOk->Caption(), "Submit");
    EXPECT_EQ(form->cbo01->Items()->Count(), 4);
    EXPECT_EQ(form->cbo01->ItemIndex(), 1);
    form->Free();

    // Below the base: the base form's own file is left out.
    auto* other = TForm::Create<TfrmTestChild>();
    other->TranslateOnShow = false;
    other->ApplyLanguageBelowBase(other, true);
    EXPECT_EQ(other->btnOk->Hint(), u"送出"_s);
    EXPECT_EQ(other->btnOk->Caption(), "Submit");
    other->Free();
}

TEST_F(KVFormTest, WithoutLanguageFilesShowingChangesNothing) {
    auto* form = TForm::Create<TfrmTestChild>();
    form->Show();
    EXPECT_FALSE(form->LangController->Active());
    EXPECT_EQ(form->Caption(), u"员工薪资报表"_s);
    EXPECT_EQ(form->btnOk->Caption(), u"后台处理"_s);
    form->Free();
}

TEST_F(KVFormTest, GetLangTextFallsBackToTheDefaultConvertedOnRequest) {
    Configure("950", "936", "936");
    UseStandInLibrary();
    WriteLanguageFile("CHT", "TfrmBaseGene", R"(<TfrmBaseGene><sDeleteProj Msg="Delete it?"/><sNoMsg/></TfrmBaseGene>)");
    auto* form = TForm::Create<TfrmTestChild>();
    QString text;
    form->GetLangText("TfrmBaseGene", "sDeleteProj", text, true, u"删除"_s);
    EXPECT_EQ(text, "Delete it?");
    form->GetLangText("TfrmBaseGene", "sNoMsg", text, true, u"删除"_s);
    EXPECT_EQ(text, u"删除删除"_s);
    form->GetLangText("TfrmBaseGene", "sMissing", text, false, u"删除"_s);
    EXPECT_EQ(text, u"删除"_s);
    form->Free();
}

// ---- the disabled image --------------------------------------------------------------

TColor Rgb(TColor c) { return QColorToColor(ColorToQColor(c)); }

void Filled(TBitmap& b, int w, int h, TColor c) {
    b.SetSize(w, h);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
}

class DisabledGlyph : public ::testing::Test {
protected:
    void SetUp() override {
        face = Rgb(clBtnFace);
        highlight = Rgb(clBtnHighlight);
        shadow = Rgb(clBtnShadow);
        // The checks below need three colours that can be told apart.
        ASSERT_NE(face, highlight);
        ASSERT_NE(face, shadow);
        ASSERT_NE(highlight, shadow);
        // 7 x 7 in fuchsia (the bottom-left pixel), a white 4 x 4 block at (1, 1)
        // and a dark maroon pixel at (6, 0).
        Filled(glyph, 7, 7, clFuchsia);
        for (int y = 1; y <= 4; ++y)
            for (int x = 1; x <= 4; ++x) glyph.SetPixels(x, y, clWhite);
        glyph.SetPixels(6, 0, clMaroon);
    }
    TBitmap glyph;
    TColor face = 0, highlight = 0, shadow = 0;
};

TEST_F(DisabledGlyph, EmbossesDarkAndEdgePixelsOnly) {
    TBitmap d;
    DisabledImage(glyph, d);
    ASSERT_EQ(d.Width(), 7);
    const struct {
        int x, y;
        TColor expected;
        const char* what;
    } cases[] = {
        {6, 0, shadow, "a dark pixel"},
        {1, 1, shadow, "a white pixel beside the transparent colour"},
        {4, 4, shadow, "the same at the block's other corner"},
        {2, 2, highlight, "inner white, lit from its marked upper-left neighbour"},
        {5, 5, highlight, "transparent, lit from (4, 4)"},
        {3, 3, face, "inner white with no marked neighbour up-left"},
        {0, 6, face, "transparent"},
    };
    for (const auto& c : cases) EXPECT_EQ(d.Pixels(c.x, c.y), c.expected) << c.what;
}

TEST_F(DisabledGlyph, AllTransparentGlyphGivesPlainFace) {
    TBitmap empty, d;
    Filled(empty, 5, 5, clFuchsia);
    DisabledImage(empty, d);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) ASSERT_EQ(d.Pixels(x, y), face) << x << "," << y;
}

TEST_F(DisabledGlyph, BlackTransparentColourStillGivesPlainFaceAroundTheGlyph) {
    TBitmap g, d;
    Filled(g, 3, 3, clBlack);
    g.SetPixels(1, 1, clWhite);
    DisabledImage(g, d);
    EXPECT_EQ(d.Pixels(1, 1), shadow);
    EXPECT_EQ(d.Pixels(2, 2), highlight);
    for (auto [x, y] : {std::pair{0, 0}, {2, 0}, {0, 2}}) EXPECT_EQ(d.Pixels(x, y), face) << x << "," << y;
}

TEST_F(DisabledGlyph, TwoStateGlyphPutsTheDisabledHalfBesideTheOriginal) {
    TBitmap original, d;
    original.Assign(&glyph);
    DisabledImage(original, d);
    MakeTwoStateGlyph(glyph);
    ASSERT_EQ(glyph.Width(), 14);
    ASSERT_EQ(glyph.Height(), 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) {
            ASSERT_EQ(glyph.Pixels(x, y), original.Pixels(x, y)) << x << "," << y;
            ASSERT_EQ(glyph.Pixels(x + 7, y), d.Pixels(x, y)) << x << "," << y;
        }
    EXPECT_EQ(glyph.TransparentColor(), clFuchsia);
}


TEST_F(KVFormTest, RunningNoticeLayoutAndAnimation) {
    auto* owner = TForm::Create<TfrmTestBase>();
    auto* notice = TForm::Create<TfrmRunningWinC>(owner);
    EXPECT_EQ(notice->BorderStyle(), bsNone);
    EXPECT_EQ(notice->ClientWidth(), 158);
    EXPECT_EQ(notice->ClientHeight(), 51);
    EXPECT_EQ(notice->Color(), clAqua);
    EXPECT_EQ(notice->Caption(), u"报表开启中，请稍候..."_s);
    EXPECT_EQ(notice->Label1->Font()->Color(), clRed);
    EXPECT_EQ(QPoint(notice->Label1->Left(), notice->Label1->Top()), QPoint(12, 30));
    EXPECT_EQ(notice->Animate1->BoundsRect(), QRect(68, 8, 16, 16));
    EXPECT_FALSE(notice->Animate1->Active());
    notice->SetRunning(true);
    EXPECT_TRUE(notice->Animate1->Active());
    notice->SetRunning(false);
    EXPECT_FALSE(notice->Animate1->Active());
    notice->Free();
    owner->Free();
}

// ---- how it looks ------------------------------------------------------------------------

class TfrmShowcase : public TKVForm {
    Q_OBJECT
public:
    explicit TfrmShowcase(TComponent* owner = nullptr) : TKVForm(owner) {
        SetCaption(u"薪资明细表"_s);
        SetBorderStyle(bsDialog);
        SetClientWidth(520);
        SetClientHeight(380);
        auto place = [this](TControl* c, int l, int t, int w, int h) {
            c->SetParent(this);
            c->SetBounds(l, t, w, h);
        };
        auto* lbl = CreateNamed<TLabel>(this, u"lblCompany"_s);
        lbl->SetCaption(u"公司代号："_s);
        place(lbl, 12, 14, 80, 16);
        auto* ed = CreateNamed<TEdit>(this, u"edCompany"_s);
        ed->SetTextValue(u"C01 芬摩科技"_s);
        place(ed, 96, 10, 140, 22);
        auto* me = CreateNamed<TMaskEdit>(this, u"me05"_s);
        me->SetEditMask(u"9999/99/99;1;_"_s);
        me->SetEditText(u"2004/03/15"_s);
        place(me, 96, 38, 100, 22);
        auto* spin = CreateNamed<TSpinEdit>(this, u"spMonth"_s);
        spin->SetMaxValue(12);
        spin->SetMinValue(1);
        spin->SetValue(3);
        place(spin, 204, 38, 50, 22);
        auto* cbo = CreateNamed<TComboBox>(this, u"cbo06"_s);
        cbo->Items()->SetStrings({u"上半月"_s, u"下半月"_s, u"全月"_s});
        cbo->SetItemIndex(2);
        place(cbo, 96, 66, 140, 22);
        auto* grp = CreateNamed<TGroupBox>(this, u"grpKind"_s);
        grp->SetCaption(u"报表格式"_s);
        place(grp, 260, 6, 250, 84);
        auto* r1 = CreateNamed<TRadioButton>(this, u"rdoBrief"_s);
        r1->SetCaption(u"简要"_s);
        r1->SetChecked(true);
        r1->SetParent(grp);
        r1->SetBounds(12, 22, 100, 18);
        auto* r2 = CreateNamed<TRadioButton>(this, u"rdoDetail"_s);
        r2->SetCaption(u"明细"_s);
        r2->SetParent(grp);
        r2->SetBounds(12, 46, 100, 18);
        auto* chk = CreateNamed<TCheckBox>(this, u"chkNotify"_s);
        chk->SetCaption(u"完成后通知"_s);
        chk->SetParent(grp);
        chk->SetBounds(120, 22, 120, 18);
        auto* pages = CreateNamed<TPageControl>(this, u"pgOption"_s);
        place(pages, 12, 98, 498, 200);
        auto* page1 = CreateNamed<TTabSheet>(this, u"tsCondition"_s);
        page1->SetPageControl(pages);
        page1->SetCaption(u"条件选项"_s);
        auto* page2 = CreateNamed<TTabSheet>(this, u"tsSystem"_s);
        page2->SetPageControl(pages);
        page2->SetCaption(u"系统选项"_s);
        auto* list = CreateNamed<TListView>(this, u"lvEmployee"_s);
        list->SetParent(page1);
        list->SetBounds(6, 6, 300, 160);
        list->SetViewStyle(vsReport);
        list->Columns()->Add()->SetCaption(u"员工代号"_s);
        list->Columns()->Items(0)->SetWidth(80);
        list->Columns()->Add()->SetCaption(u"姓名"_s);
        for (auto [id, name] : {std::pair{u"E001"_s, u"张伟"_s}, {u"E002"_s, u"李四"_s}, {u"E003"_s, u"王五"_s}}) {
            TListItem* item = list->Items()->Add();
            item->SetCaption(id);
            item->SubItems()->Add(name);
        }
        auto* grid = CreateNamed<TStringGrid>(this, u"sgRecipients"_s);
        grid->SetParent(page1);
        grid->SetBounds(314, 6, 170, 100);
        grid->SetColCount(2);
        grid->SetRowCount(3);
        grid->SetCells(0, 0, u"收件人"_s);
        grid->SetCells(1, 0, u"邮件"_s);
        grid->SetCells(0, 1, u"人事部"_s);
        auto* memo = CreateNamed<TMemo>(this, u"mmNote"_s);
        memo->SetParent(page1);
        memo->SetBounds(314, 112, 170, 54);
        memo->Lines()->SetStrings({u"请于月底前确认"_s});
        auto* panel = CreateNamed<TPanel>(this, u"pnlButtons"_s);
        panel->SetCaption(QString());
        place(panel, 12, 304, 498, 66);
        auto* ok = CreateNamed<TBitBtn>(this, u"btnOk"_s);
        ok->SetKind(bkOK);
        ok->SetCaption(u"后台处理"_s);
        ok->SetParent(panel);
        ok->SetBounds(8, 18, 96, 30);
        auto* query = CreateNamed<TButton>(this, u"btnQuery"_s);
        query->SetCaption(u"直接查询"_s);
        query->SetParent(panel);
        query->SetBounds(112, 18, 96, 30);
        auto* cancel = CreateNamed<TBitBtn>(this, u"btnCancel"_s);
        cancel->SetKind(bkCancel);
        cancel->SetCaption(u"取消"_s);
        cancel->SetParent(panel);
        cancel->SetBounds(216, 18, 96, 30);
        auto* help = CreateNamed<TSpeedButton>(this, u"spdHelp"_s);
        help->SetCaption(u"说明"_s);
        help->SetParent(panel);
        help->SetBounds(320, 18, 60, 30);
    }
};

TEST_F(KVFormTest, ShowcaseInSimplifiedAndTraditionalChinese) {
    const QString dir = QString::fromStdString(test::BinDir()) + "/../screenshots";
    QDir().mkpath(dir);
    for (const char* ui : {"936", "950"}) {
        Configure(ui, "936", "936");
        auto* form = TForm::Create<TfrmShowcase>();
        form->ConvertTexts();
        form->Show();
        const QImage shot = form->Handle()->grab().toImage();
        const QString file = dir + "/kvform-" + (std::string(ui) == "936" ? "chs" : "cht") + ".png";
        EXPECT_TRUE(shot.save(file)) << file.toStdString();
        if (std::string(ui) == "950") {
            // The form's own caption is converted only on a Big5 system.
            EXPECT_EQ(form->Caption(), u"薪资明细表"_s);
            EXPECT_EQ(qobject_cast<TButton*>(form->FindComponent("btnQuery"))->Caption(), u"直接查詢"_s);
            auto* list = qobject_cast<TListView*>(form->FindComponent("lvEmployee"));
            EXPECT_EQ(list->Columns()->Items(0)->Caption(), u"員工代號"_s);
            EXPECT_EQ(list->Items()->Item(0)->SubItems()->Strings(0), u"張偉"_s);
            EXPECT_EQ(qobject_cast<TComboBox*>(form->FindComponent("cbo06"))->ItemIndex(), 2);
            EXPECT_EQ(qobject_cast<TButton*>(form->FindComponent("btnQuery"))->Font()->Charset(), CHINESEBIG5_CHARSET);
        }
        form->Free();
    }
}

}  // namespace
}  // namespace kv

#include "KVFormTest.moc"

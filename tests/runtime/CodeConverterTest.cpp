// The code-page converter: settings and kinds, values and nested arrays, the
// directions to and from the server and the interface, fonts, whole forms and the
// message box, over the real translation library and over a stand-in whose
// conversions are easy to recognise and can fail.
#include "runtime/CodeConverter.h"

#include "VornikTestEnv.h"

#include "language/TranslatorU.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/Grids.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"

#include <QFile>
#include <QMetaProperty>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Qt::StringLiterals;

namespace kv {
namespace {

// ---- components the conversion meets -------------------------------------------------

// A list control as far as the conversion sees it: its selection is lost whenever
// its items or its style change, as a real list rebuilding itself loses it.
class TProbeList : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(QString Hint MEMBER Hint)
    Q_PROPERTY(QString ButtonHint MEMBER ButtonHint)
    Q_PROPERTY(QString Text MEMBER Text)
    Q_PROPERTY(kv::TStrings* Items READ Items)
    Q_PROPERTY(kv::TStrings* Lines READ Lines)
    Q_PROPERTY(int ItemIndex MEMBER ItemIndex)
    Q_PROPERTY(kv::TFont* Font READ Font)
    Q_PROPERTY(kv::TFont* TitleFont READ TitleFont)
    Q_PROPERTY(kv::Enums::TComboBoxStyle Style READ Style WRITE SetStyle)
public:
    explicit TProbeList(TComponent* owner) : TComponent(owner) {
        connect(FItems, &TStrings::Changed, this, [this] { ItemIndex = -1; });
    }
    TStrings* Items() const { return FItems; }
    TStrings* Lines() const { return FLines; }
    TFont* Font() const { return FFont; }
    TFont* TitleFont() const { return FTitleFont; }
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle style) {
        FStyle = style;
        ItemIndex = -1;
    }

    QString Caption, Hint, ButtonHint, Text;
    int ItemIndex = -1;

private:
    TStrings* FItems = new TStringList(this);
    TStrings* FLines = new TStringList(this);
    TFont* FFont = new TFont(this);
    TFont* FTitleFont = new TFont(this);
    TComboBoxStyle FStyle = csDropDown;
};

// A list box as far as the conversion sees it.
class TProbeListBox : public TComponent {
    Q_OBJECT
    Q_PROPERTY(kv::Enums::TListBoxStyle Style MEMBER Style)
public:
    using TComponent::TComponent;
    TListBoxStyle Style = lbStandard;
};

// Properties with the converted names but other types: left alone.
class TProbeOddTypes : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Caption MEMBER Caption)
    Q_PROPERTY(QString Items MEMBER Items)
    Q_PROPERTY(QString Font MEMBER Font)
    Q_PROPERTY(int Style MEMBER Style)
public:
    using TComponent::TComponent;
    int Caption = 7;
    QString Items = u"员工"_s;
    QString Font = u"宋体"_s;
    int Style = 0;
};

// A component above the converter with texts no published property reaches.
class TProbePanel : public TComponent, public ITextConvertible {
    Q_OBJECT
public:
    using TComponent::TComponent;
    void ConvertTexts(const std::function<QString(const QString&)>& convert) override {
        ++Calls;
        for (QString& word : Words) word = convert(word);
    }
    QStringList Words{u"起始"_s, u"终止"_s};
    int Calls = 0;
};

class TProbeForm : public TForm {
    Q_OBJECT
    Q_PROPERTY(QString ButtonHint MEMBER ButtonHint)
public:
    explicit TProbeForm(TComponent* owner = nullptr) : TForm(owner) {
        SetCaption(u"员工薪资报表"_s);
        SetHint(u"后台处理"_s);
        ButtonHint = u"直接查询"_s;
        List = CreateNamed<TProbeList>(this, "cbo01");
        List->Caption = u"部门"_s;
        List->Hint = u"设计报表"_s;
        List->ButtonHint = u"直接查询"_s;
        List->Text = u"员工"_s;
        List->Items()->SetStrings({u"公司"_s, u"部门"_s, u"员工"_s});
        List->Items()->PutObject(1, &FMarker);
        List->Lines()->SetStrings({u"后台处理"_s, u"Payroll 2004"_s});
        List->ItemIndex = 2;
        ListBox = CreateNamed<TProbeListBox>(this, "lst01");
        Odd = CreateNamed<TProbeOddTypes>(this, "odd01");
        Panel = CreateNamed<TProbePanel>(this, "sp01");
    }

    QString ButtonHint;
    TProbeList* List;
    TProbeListBox* ListBox;
    TProbeOddTypes* Odd;
    TProbePanel* Panel;
    TObject FMarker;
};

// ---- the installation ------------------------------------------------------------------

class CodeConverterTest : public test::VornikEnvTest {
protected:
    void SetUp() override {
        VornikEnvTest::SetUp();
        UseRealLibrary();
    }

    // The client (and server) profile with these code pages on a system with
    // systemCodePage.
    void Configure(const std::string& ui, const std::string& db, const std::string& systemCodePage) {
        WriteRegistry({{"ClientPath", Root() + "/app"}, {"ServerPath", Root() + "/app"}});
        const std::string profile = "[CodePage]\r\nUICodePage=" + ui + "\r\nDBCodePage=" + db +
                                    "\r\n[Server Information]\r\nComputerName=127.0.0.1\r\n";
        WriteFile(Root() + "/app/VornikC.ini", profile);
        WriteFile(Root() + "/app/VornikS.ini", profile);
        SetSystemCodePage(systemCodePage);
    }

    void UseRealLibrary() { FEnv.Set("KVN_LIBRARY_PATH", test::BinDir()); }
    // The stand-in answers GBtoBIG5 with the text twice and BIG5toGB with "GB:"
    // and the text, and fails on "fail".
    void UseStandInLibrary() {
        const std::string dir = Root() + "/standin";
        WriteFile(dir + "/Vizudiziva.so", test::ReadFile(KV_RUNTIME_TESTLIBS "/TwoFunctions.so"));
        FEnv.Set("KVN_LIBRARY_PATH", dir);
    }
    void UseNoLibrary() {
        const std::string dir = Root() + "/nolib";
        QDir().mkpath(QString::fromStdString(dir));
        FEnv.Set("KVN_LIBRARY_PATH", dir);
    }

    std::unique_ptr<TCodeConverter> MakeConverter(TDesignType designType = dtClient) {
        return std::make_unique<TCodeConverter>(nullptr, designType);
    }

    test::ScopedEnv FEnv;
};

Variant S(const char* utf8) { return Variant(std::string(utf8)); }

// ---- settings ---------------------------------------------------------------------------

TEST_F(CodeConverterTest, SettingsAndKindsComeFromTheConfiguration) {
    const struct {
        const char* what;
        const char *ui, *db, *system;
        int uiKind, dbKind;
        bool translator;
    } cases[] = {
        {"GB everywhere", "936", "936", "936", 0, 0, false},
        {"Big5 interface, GB database", "950", "936", "936", 2, 2, true},
        {"GB interface on a Big5 system, Big5 database", "936", "950", "950", 4, 1, true},
        {"English system", "437", "936", "437", 0, 0, false},
        // The database is converted at the server boundary even though the
        // interface is not: the library is needed all the same (the earlier
        // edition has no server boundary to convert).
        {"GB interface, Big5 database", "936", "950", "936", 0, 1, KV_EDITION >= 9},
    };
    for (const auto& c : cases) {
        Configure(c.ui, c.db, c.system);
        const auto converter = MakeConverter();
        EXPECT_EQ(converter->UICodePage(), QString::fromLatin1(c.ui)) << c.what;
        EXPECT_EQ(converter->DBCodePage(), QString::fromLatin1(c.db)) << c.what;
        EXPECT_EQ(converter->SystemCodePage(), QString::fromLatin1(c.system)) << c.what;
        EXPECT_EQ(converter->UIConvertKind(), c.uiKind) << c.what;
        EXPECT_EQ(converter->DBConvertKind(), c.dbKind) << c.what;
        EXPECT_EQ(converter->HasTranslator(), c.translator) << c.what;
        EXPECT_EQ(converter->DesignType(), dtClient) << c.what;
    }
}

TEST_F(CodeConverterTest, WithoutAnInstallationNothingIsConverted) {
    // No registry file at all: the defaults of the configuration.
    const auto converter = MakeConverter();
    EXPECT_EQ(converter->UICodePage(), "936");
    EXPECT_EQ(converter->DBCodePage(), "936");
    EXPECT_EQ(converter->UIConvertKind(), 0);
    EXPECT_EQ(converter->DBConvertKind(), 0);
    EXPECT_FALSE(converter->HasTranslator());
}

TEST_F(CodeConverterTest, ServerDesignReadsTheServerProfileAtConstructionOnly) {
    Configure("936", "936", "936");
    WriteFile(Root() + "/app/VornikS.ini", "[CodePage]\r\nUICodePage=950\r\n");
    const auto server = MakeConverter(dtServer);
    EXPECT_EQ(server->DesignType(), dtServer);
    EXPECT_EQ(server->UICodePage(), "950");
    EXPECT_EQ(server->UIConvertKind(), 2);

    // A design type streamed in later (as from a form resource) reloads nothing.
    const auto client = MakeConverter();
    ASSERT_TRUE(client->setProperty("DesignType", u"dtServer"_s));
    EXPECT_EQ(client->DesignType(), dtServer);
    EXPECT_EQ(client->UICodePage(), "936");
    EXPECT_FALSE(client->HasTranslator());
}

TEST_F(CodeConverterTest, MissingTranslationLibraryFailsConstructionOnlyWhereConversionIsNeeded) {
    UseNoLibrary();
    const struct {
        const char* ui;
        const char* db;
        const char* system;
        bool fails;
    } cases[] = {
        {"936", "936", "936", false},
        {"950", "936", "936", true},
        {"936", "936", "950", true},
        {"936", "950", "936", KV_EDITION >= 9},
    };
    for (const auto& c : cases) {
        Configure(c.ui, c.db, c.system);
        const std::string what = std::string(c.ui) + "/" + c.db + " on " + c.system;
        if (!c.fails) {
            EXPECT_NO_THROW(MakeConverter()) << what;
            continue;
        }
        try {
            MakeConverter();
            ADD_FAILURE() << what << ": built without its library";
        } catch (const ETranslatorError& e) {
            EXPECT_STREQ(e.what(), "Load Library Vizudiziva.dll Error!") << what;
        }
    }
}

TEST_F(CodeConverterTest, FormOwningAConverterFailsWithIt) {
    UseNoLibrary();
    Configure("950", "936", "936");
    EXPECT_THROW(
        {
            auto* form = new TForm(nullptr);
            std::unique_ptr<TForm> guard(form);
            new TCodeConverter(form);
        },
        ETranslatorError);
}

// ---- values ----------------------------------------------------------------------------

TEST_F(CodeConverterTest, ConvertValueConvertsTextsOfNestedAndTwoDimensionalArrays) {
    Configure("950", "936", "936");
    const auto converter = MakeConverter();

    EXPECT_EQ(converter->ConvertValue(ckGBToBig5, S("员工薪资报表")), S("員工薪資報表"));
    EXPECT_EQ(converter->ConvertValue(ckBig5ToGB, S("員工薪資報表")), S("员工薪资报表"));

    // One dimension with a nested array; numbers, dates, Null and Empty keep
    // their type.
    const Variant row = Variant::ArrayOf({S("部门"), Variant(5), Variant::Null(), Variant(),
                                          Variant::Date(38061.0),
                                          Variant::ArrayOf({S("后台处理"), Variant(2.5), Variant::ArrayOf({S("设计报表")})})});
    const Variant expectedRow = Variant::ArrayOf({S("部門"), Variant(5), Variant::Null(), Variant(),
                                                  Variant::Date(38061.0),
                                                  Variant::ArrayOf({S("後臺處理"), Variant(2.5), Variant::ArrayOf({S("設計報表")})})});
    EXPECT_EQ(converter->ConvertValue(ckGBToBig5, row), expectedRow) << DebugString(converter->ConvertValue(ckGBToBig5, row));

    // Rows of cells, bounds kept, a nested array in a cell converted too.
    Variant rows = Variant::Array2(0, 1, 1, 2);
    rows.At(0, 1) = S("员工");
    rows.At(0, 2) = Variant(1);
    rows.At(1, 1) = Variant::ArrayOf({S("公司"), S("报表")});
    rows.At(1, 2) = Variant::Null();
    const Variant converted = converter->ConvertValue(ckGBToBig5, rows);
    ASSERT_EQ(converted.DimCount(), 2);
    EXPECT_EQ(converted.LowBound(2), 1);
    EXPECT_EQ(converted.At(0, 1), S("員工"));
    EXPECT_EQ(converted.At(0, 2), Variant(1));
    EXPECT_EQ(converted.At(1, 1), Variant::ArrayOf({S("公司"), S("報表")}));
    EXPECT_TRUE(converted.At(1, 2).IsNull());
    EXPECT_EQ(rows.At(0, 1), S("员工")) << "the input is copied, not changed";
}

TEST_F(CodeConverterTest, ConvertValueCopiesWhatItDoesNotConvert) {
    Configure("950", "936", "936");
    const auto converter = MakeConverter();
    const Variant values[] = {Variant(), Variant::Null(), Variant(42), Variant(true), S(""),
                              Variant::Array(0, -1)};
    for (const Variant& v : values)
        EXPECT_EQ(converter->ConvertValue(ckGBToBig5, v), v) << DebugString(v);
    // Kinds that only choose a font convert nothing.
    for (int kind : {ckNone, ckBig5Font, ckGBFont, 7})
        EXPECT_EQ(converter->ConvertValue(kind, S("员工")), S("员工")) << kind;
}

TEST_F(CodeConverterTest, SingleByteTextsStaySingleByteInTheOtherCodePage) {
    Configure("950", "936", "936");
    const auto converter = MakeConverter();
    const std::string gb = "\xd4\xb1\xb9\xa4";   // 员工 in code page 936
    const std::string big5 = "\xad\xfb\xa4\x75";  // 員工 in code page 950
    EXPECT_EQ(converter->ConvertValue(ckGBToBig5, Variant::Bytes(gb)), Variant::Bytes(big5));
    EXPECT_EQ(converter->ConvertValue(ckBig5ToGB, Variant::Bytes(big5)), Variant::Bytes(gb));
    // Bytes that are no GB text are an error, not a silent copy.
    EXPECT_THROW(converter->ConvertValue(ckGBToBig5, Variant::Bytes("\xff\xff")), ECodeConvertError);
}

TEST_F(CodeConverterTest, SingleTextsAndTheEmptyText) {
    Configure("950", "936", "936");
    const auto converter = MakeConverter();
    EXPECT_EQ(converter->GBToBig5(u"直接查询"_s), u"直接查詢"_s);
    EXPECT_EQ(converter->Big5ToGB(u"直接查詢"_s), u"直接查询"_s);
    EXPECT_EQ(converter->GBToBig5(QString()), QString());
    EXPECT_EQ(converter->Big5ToGB(u""_s), u""_s);
}

TEST_F(CodeConverterTest, ExplicitConversionLoadsTheLibraryWhereTheConfigurationNeedsNone) {
    Configure("936", "936", "936");
    const auto converter = MakeConverter();
    ASSERT_FALSE(converter->HasTranslator());
    EXPECT_EQ(converter->GBToBig5(u"员工"_s), u"員工"_s);
    EXPECT_TRUE(converter->HasTranslator());
}

// ---- directions -------------------------------------------------------------------------

#if KV_EDITION >= 9
TEST_F(CodeConverterTest, DirectionsFollowTheDatabaseAndInterfaceKinds) {
    enum Op { ToServer, FromServer, ToInterface, FromInterface };
    const struct {
        const char *ui, *db, *system;
        Op op;
        const char* input;
        const char* expected;
    } cases[] = {
        // Database kind 1: a Big5 database under a GB interface.
        {"936", "950", "950", ToServer, "员工薪资", "員工薪資"},
        {"936", "950", "950", FromServer, "員工薪資", "员工薪资"},
        {"936", "950", "936", ToServer, "员工薪资", "員工薪資"},
        {"936", "950", "936", FromServer, "員工薪資", "员工薪资"},
        // Database kind 2: a GB database under a Big5 interface.
        {"950", "936", "936", ToServer, "員工薪資", "员工薪资"},
        {"950", "936", "936", FromServer, "员工薪资", "員工薪資"},
        // Interface kind 2 converts built-in GB texts and takes typed ones back.
        {"950", "936", "936", ToInterface, "后台处理", "後臺處理"},
        {"950", "936", "936", FromInterface, "後臺處理", "后台处理"},
        // Interface kind 4 and database kind 0 convert nothing.
        {"936", "950", "950", ToInterface, "后台处理", "后台处理"},
        {"936", "950", "950", FromInterface, "後臺處理", "後臺處理"},
        {"950", "950", "950", ToServer, "員工", "員工"},
        {"950", "950", "950", FromServer, "员工", "员工"},
    };
    for (const auto& c : cases) {
        Configure(c.ui, c.db, c.system);
        const auto converter = MakeConverter();
        Variant result;
        switch (c.op) {
        case ToServer: result = converter->ToServer(S(c.input)); break;
        case FromServer: result = converter->FromServer(S(c.input)); break;
        case ToInterface: result = converter->ToInterface(S(c.input)); break;
        case FromInterface: result = converter->FromInterface(S(c.input)); break;
        }
        EXPECT_EQ(result, S(c.expected)) << c.ui << "/" << c.db << " on " << c.system << " op " << c.op << ": "
                                         << DebugString(result);
    }
}

#endif

TEST_F(CodeConverterTest, ToServerAndFromInterfaceKeepTheValueWhenConversionFails) {
    UseStandInLibrary();
    Configure("950", "936", "936");  // both kinds 2: back to GB goes through BIG5toGB
    const auto converter = MakeConverter();
    const Variant list = Variant::ArrayOf({S("ab"), S("fail")});
    EXPECT_EQ(converter->FromInterface(S("ab")), S("GB:ab"));
    EXPECT_EQ(converter->FromInterface(S("fail")), S("fail"));
    EXPECT_EQ(converter->FromInterface(list), list) << "the whole value, not half of it";
#if KV_EDITION >= 9
    EXPECT_EQ(converter->ToServer(S("ab")), S("GB:ab"));
    EXPECT_EQ(converter->ToServer(list), list);
#endif
    // The other operations let the error reach the caller.
    EXPECT_THROW(converter->ConvertValue(ckBig5ToGB, list), ETranslatorError);
    EXPECT_THROW(converter->Big5ToGB(u"fail"_s), ETranslatorError);
}

#if KV_EDITION >= 9
TEST_F(CodeConverterTest, FromServerLetsConversionErrorsThrough) {
    UseStandInLibrary();
    Configure("936", "950", "950");  // database kind 1: from the server through BIG5toGB
    const auto converter = MakeConverter();
    EXPECT_EQ(converter->FromServer(S("ab")), S("GB:ab"));
    EXPECT_THROW(converter->FromServer(S("fail")), ETranslatorError);
}
#endif

// ---- fonts -------------------------------------------------------------------------------

TEST(CodeConverterFontTest, FontFaceAndCharacterSetByKind) {
    const struct {
        int kind;
        int charset;
    } cases[] = {{0, 134}, {1, 134}, {2, 136}, {3, 136}, {4, 134}};
    for (const auto& c : cases) {
        TFont font;
        font.SetName(u"Tahoma"_s);
        TCodeConverter::SetConvertFont(c.kind, &font);
        EXPECT_EQ(font.Name(), "SimSun") << c.kind;
        EXPECT_EQ(font.Charset(), c.charset) << c.kind;
    }
    TCodeConverter::SetConvertFont(2, nullptr);  // no font, nothing to do
}

// ---- whole forms --------------------------------------------------------------------------

class CodeConverterFormTest : public CodeConverterTest {
protected:
    void TearDown() override {
        FForm.reset();
        CodeConverterTest::TearDown();
    }
    TProbeForm* Form() {
        if (!FForm) FForm.reset(TForm::Create<TProbeForm>());
        return FForm.get();
    }
    std::unique_ptr<TProbeForm> FForm;
};

TEST_F(CodeConverterFormTest, Big5InterfaceConvertsEveryTextOnceAndKeepsTheSelection) {
    Configure("950", "936", "936");
    const auto converter = MakeConverter();
    TProbeForm* form = Form();
    converter->ConvertForm(form);

    // On a GB system the title bar keeps its GB text.
    EXPECT_EQ(form->Caption(), u"员工薪资报表"_s);
    EXPECT_EQ(form->Hint(), u"後臺處理"_s);
    EXPECT_EQ(form->ButtonHint, u"直接查詢"_s);

    TProbeList* list = form->List;
    EXPECT_EQ(list->Caption, u"部門"_s);
    EXPECT_EQ(list->Hint, u"設計報表"_s);
    EXPECT_EQ(list->ButtonHint, u"直接查詢"_s);
    EXPECT_EQ(list->Text, u"員工"_s);
    EXPECT_EQ(list->Items()->ToStringList(), (QStringList{u"公司"_s, u"部門"_s, u"員工"_s}));
    EXPECT_EQ(list->Items()->Objects(1), &form->FMarker) << "objects of the items stay";
    EXPECT_EQ(list->Lines()->ToStringList(), (QStringList{u"後臺處理"_s, u"Payroll 2004"_s}));
    EXPECT_EQ(list->ItemIndex, 2) << "the selection survives the new items and the new style";
    EXPECT_EQ(list->Style(), csOwnerDrawVariable);
    EXPECT_EQ(form->ListBox->Style, lbOwnerDrawFixed);

    for (TFont* font : {list->Font(), list->TitleFont(), Screen()->IconFont(), Screen()->HintFont(),
                        Screen()->MenuFont()}) {
        EXPECT_EQ(font->Name(), "SimSun");
        EXPECT_EQ(font->Charset(), 136);
    }

    EXPECT_EQ(form->Panel->Calls, 1);
    EXPECT_EQ(form->Panel->Words, (QStringList{u"起始"_s, u"終止"_s}));

    // Properties of other types are left as they are.
    EXPECT_EQ(form->Odd->Caption, 7);
    EXPECT_EQ(form->Odd->Items, u"员工"_s);
    EXPECT_EQ(form->Odd->Font, u"宋体"_s);
    EXPECT_EQ(form->Odd->Style, 0);
}

TEST_F(CodeConverterFormTest, Big5SystemConvertsTheTitleBar) {
    const struct {
        const char *ui, *system;
        const char16_t* caption;
        const char16_t* label;
        const char16_t* panelWord;
        int charset;
    } cases[] = {
        {"950", "950", u"員工薪資報表", u"部門", u"終止", 136},
        // A GB interface on a Big5 system: texts stay GB, fonts get GB2312, only
        // the system-drawn title bar is Big5.
        {"936", "950", u"員工薪資報表", u"部门", u"终止", 134},
    };
    for (const auto& c : cases) {
        Configure(c.ui, "936", c.system);
        FForm.reset();
        const auto converter = MakeConverter();
        converter->ConvertForm(Form());
        EXPECT_EQ(Form()->Caption(), QString::fromUtf16(c.caption)) << c.ui;
        EXPECT_EQ(Form()->List->Caption, QString::fromUtf16(c.label)) << c.ui;
        EXPECT_EQ(Form()->List->Font()->Charset(), c.charset) << c.ui;
        EXPECT_EQ(Form()->List->Style(), csOwnerDrawVariable) << c.ui;
        EXPECT_EQ(Form()->List->ItemIndex, 2) << c.ui;
        EXPECT_EQ(Form()->Panel->Words, (QStringList{u"起始"_s, QString::fromUtf16(c.panelWord)})) << c.ui;
    }
}

TEST_F(CodeConverterFormTest, GBInterfaceOnAGBSystemLeavesTheFormAlone) {
    Configure("936", "950", "936");  // the database is converted, the interface is not
    const auto converter = MakeConverter();
    converter->ConvertForm(Form());
    TProbeList* list = Form()->List;
    EXPECT_EQ(Form()->Caption(), u"员工薪资报表"_s);
    EXPECT_EQ(Form()->Hint(), u"后台处理"_s);
    EXPECT_EQ(list->Caption, u"部门"_s);
    EXPECT_EQ(list->Items()->ToStringList(), (QStringList{u"公司"_s, u"部门"_s, u"员工"_s}));
    EXPECT_EQ(list->Style(), csDropDown);
    EXPECT_EQ(list->ItemIndex, 2);
    EXPECT_EQ(list->Font()->Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(Form()->ListBox->Style, lbStandard);
    EXPECT_EQ(Form()->Panel->Calls, 0);
}

TEST_F(CodeConverterFormTest, HintsSwitchedOffStayOff) {
    Configure("950", "936", "936");
    const auto converter = MakeConverter();
    Application()->SetShowHint(false);
    converter->ConvertForm(Form());
    EXPECT_FALSE(Application()->ShowHint());
    Application()->SetShowHint(true);
    converter->ConvertForm(Form());
    EXPECT_TRUE(Application()->ShowHint());
}

// ---- a form of real controls -----------------------------------------------------------

class TControlsForm : public TForm {
    Q_OBJECT
public:
    explicit TControlsForm(TComponent* owner = nullptr) : TForm(owner) {
        SetCaption(u"员工薪资报表"_s);
        lblTitle = Place<TLabel>("lblTitle");
        lblTitle->SetCaption(u"部门"_s);
        lblTitle->SetHint(u"设计报表"_s);
        edName = Place<TEdit>("edName");
        edName->SetTextValue(u"员工"_s);
        meNote = Place<TMemo>("meNote");
        meNote->Lines()->SetStrings({u"后台处理"_s, u"直接查询"_s});
        cboKind = Combo("cboKind", csDropDown, 1);
        cboEmpty = Combo("cboEmpty", csDropDownList, -1);
        cboSimple = Combo("cboSimple", csSimple, -1);
        lstDept = Place<TListBox>("lstDept");
        lstDept->Items()->SetStrings({u"部门"_s, u"员工"_s});
        lstDept->SetItemIndex(1);
        lvUsers = Place<TListView>("lvUsers");
        lvUsers->SetViewStyle(vsReport);
        lvUsers->Columns()->Add()->SetCaption(u"员工"_s);
        lvUsers->Columns()->Add()->SetCaption(u"部门"_s);
        TListItem* item = lvUsers->Items()->Add();
        item->SetCaption(u"张三"_s);
        item->SubItems()->Add(u"财务部门"_s);
        sgCells = Place<TStringGrid>("sgCells");
        sgCells->SetColCount(2);
        sgCells->SetRowCount(2);
        sgCells->SetCells(0, 0, u"员工"_s);
        sgCells->SetCells(1, 1, u"报表 2004"_s);
        pmMain = CreateNamed<TPopupMenu>(this, "pmMain");
    }

    template <class T>
    T* Place(const char* name) {
        T* control = CreateNamed<T>(this, QString::fromLatin1(name));
        control->SetParent(this);
        return control;
    }
    TComboBox* Combo(const char* name, TComboBoxStyle style, int index) {
        auto* combo = Place<TComboBox>(name);
        combo->SetStyle(style);
        combo->Items()->SetStrings({u"公司"_s, u"部门"_s, u"员工"_s});
        combo->SetItemIndex(index);
        return combo;
    }

    TLabel* lblTitle;
    TEdit* edName;
    TMemo* meNote;
    TComboBox* cboKind;
    TComboBox* cboEmpty;
    TComboBox* cboSimple;
    TListBox* lstDept;
    TListView* lvUsers;
    TStringGrid* sgCells;
    TPopupMenu* pmMain;
};

TEST_F(CodeConverterTest, WholeFormOfRealControlsByKind) {
    const QStringList gbItems{u"公司"_s, u"部门"_s, u"员工"_s};
    const QStringList big5Items{u"公司"_s, u"部門"_s, u"員工"_s};
    const struct {
        const char* what;
        const char *ui, *system;
        bool converted;       // texts turned into Big5
        const char16_t* caption;
        int charset;          // of every control's font; 1 = untouched
        TComboBoxStyle kindStyle, emptyStyle;
        int emptyIndex;       // the drop-down list that had nothing selected
        TListBoxStyle listStyle;
        bool menuOwnerDraw;
    } cases[] = {
        {"kind 0", "936", "936", false, u"员工薪资报表", DEFAULT_CHARSET, csDropDown, csDropDownList, -1,
         lbStandard, false},
        {"kind 2", "950", "936", true, u"员工薪资报表", CHINESEBIG5_CHARSET, csOwnerDrawFixed, csOwnerDrawFixed, 0,
         lbOwnerDrawFixed, true},
        {"kind 2 on Big5", "950", "950", true, u"員工薪資報表", CHINESEBIG5_CHARSET, csOwnerDrawFixed,
         csOwnerDrawFixed, 0, lbOwnerDrawFixed, true},
        {"kind 4", "936", "950", false, u"員工薪資報表", GB2312_CHARSET, csOwnerDrawVariable, csOwnerDrawFixed, -1,
         lbOwnerDrawFixed, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Configure(c.ui, "936", c.system);
        const auto converter = MakeConverter();
        std::unique_ptr<TControlsForm> form(TForm::Create<TControlsForm>());
        converter->ConvertForm(form.get());
        const auto text = [&](const char16_t* gb, const char16_t* big5) {
            return QString::fromUtf16(c.converted ? big5 : gb);
        };

        EXPECT_EQ(form->Caption(), QString::fromUtf16(c.caption));
        EXPECT_EQ(form->lblTitle->Caption(), text(u"部门", u"部門"));
        EXPECT_EQ(form->lblTitle->Hint(), text(u"设计报表", u"設計報表"));
        EXPECT_EQ(form->edName->Text(), text(u"员工", u"員工"));
        EXPECT_EQ(form->meNote->Lines()->ToStringList(),
                  (QStringList{text(u"后台处理", u"後臺處理"), text(u"直接查询", u"直接查詢")}));
        EXPECT_EQ(form->lstDept->Items()->ToStringList(), (QStringList{text(u"部门", u"部門"), text(u"员工", u"員工")}));
        EXPECT_EQ(form->lstDept->ItemIndex(), 1);
        EXPECT_EQ(form->lstDept->Style(), c.listStyle);

        for (TComboBox* combo : {form->cboKind, form->cboEmpty, form->cboSimple})
            EXPECT_EQ(combo->Items()->ToStringList(), c.converted ? big5Items : gbItems) << combo->Name().toStdString();
        EXPECT_EQ(form->cboKind->Style(), c.kindStyle);
        EXPECT_EQ(form->cboKind->ItemIndex(), 1);
        EXPECT_EQ(form->cboKind->Text(), text(u"部门", u"部門"));
        EXPECT_EQ(form->cboEmpty->Style(), c.emptyStyle);
        EXPECT_EQ(form->cboEmpty->ItemIndex(), c.emptyIndex);
        EXPECT_EQ(form->cboSimple->Style(), csSimple);

        ASSERT_EQ(form->lvUsers->Columns()->Count(), 2);
        EXPECT_EQ(form->lvUsers->Column(0)->Caption(), text(u"员工", u"員工"));
        EXPECT_EQ(form->lvUsers->Column(1)->Caption(), text(u"部门", u"部門"));
        ASSERT_EQ(form->lvUsers->Items()->Count(), 1);
        EXPECT_EQ(form->lvUsers->Items()->Item(0)->Caption(), text(u"张三", u"張三"));
        EXPECT_EQ(form->lvUsers->Items()->Item(0)->SubItems()->ToStringList(),
                  QStringList{text(u"财务部门", u"財務部門")});

        EXPECT_EQ(form->sgCells->Cells(0, 0), text(u"员工", u"員工"));
        EXPECT_EQ(form->sgCells->Cells(1, 1), text(u"报表 2004", u"報表 2004"));
        EXPECT_EQ(form->sgCells->Cells(1, 0), u""_s);

        EXPECT_EQ(form->pmMain->OwnerDraw(), c.menuOwnerDraw);
        for (TControl* control : std::initializer_list<TControl*>{form->lblTitle, form->edName, form->cboKind,
                                                                  form->lvUsers, form->sgCells}) {
            EXPECT_EQ(control->Font()->Charset(), c.charset) << control->Name().toStdString();
            if (c.charset != DEFAULT_CHARSET) {
                EXPECT_EQ(control->Font()->Name(), "SimSun");
            }
        }
    }
}

// ---- message box --------------------------------------------------------------------------

class CodeConverterMessageTest : public CodeConverterTest {
protected:
    void TearDown() override {
        SetModalDriver({});
        CodeConverterTest::TearDown();
    }

    struct Seen {
        int runs = 0;
        QString text, caption, fontName;
        int charset = -1;
        TWindowState ownerState = wsNormal;
    };

    // Answers the box with result and notes what it showed.
    void Answer(Seen& seen, TModalResult result, TForm* owner = nullptr) {
        SetModalDriver([&seen, result, owner](TForm& form) {
            ++seen.runs;
            auto* box = dynamic_cast<TMessageForm*>(&form);
            ASSERT_NE(box, nullptr);
            seen.text = box->MessageLabel()->Caption();
            seen.caption = box->Caption();
            seen.fontName = box->Font()->Name();
            seen.charset = box->Font()->Charset();
            if (owner) seen.ownerState = owner->WindowState();
            form.SetModalResult(result);
        });
    }
};

TEST_F(CodeConverterMessageTest, SixBlanksWhereEitherCodePageIsGB) {
    const struct {
        const char *ui, *system;
        bool blanks;
        int charset;
    } cases[] = {
        {"936", "936", true, GB2312_CHARSET},
        {"950", "936", true, CHINESEBIG5_CHARSET},
        {"936", "950", true, GB2312_CHARSET},
        {"950", "950", false, CHINESEBIG5_CHARSET},
        {"437", "437", false, GB2312_CHARSET},
    };
    for (const auto& c : cases) {
        Configure(c.ui, "936", c.system);
        std::unique_ptr<TForm> owner(TForm::Create<TForm>(nullptr));
        owner->SetCaption(u"员工薪资报表"_s);
        auto* converter = new TCodeConverter(owner.get());
        Seen seen;
        Answer(seen, mrYes);
        EXPECT_EQ(converter->ShowMessageDialog(u"确定删除?"_s, mtConfirmation, mbYesNo), mrYes);
        EXPECT_EQ(seen.runs, 1);
        EXPECT_EQ(seen.text, c.blanks ? u"确定删除?      "_s : u"确定删除?"_s) << c.ui << " on " << c.system;
        EXPECT_EQ(seen.caption, u"员工薪资报表"_s);
        EXPECT_EQ(seen.fontName, "SimSun");
        EXPECT_EQ(seen.charset, c.charset) << c.ui << " on " << c.system;
    }
}

TEST_F(CodeConverterMessageTest, MinimisedOwnerIsRestoredAndAnEmptyTextShowsNothing) {
    Configure("936", "936", "936");
    std::unique_ptr<TForm> owner(TForm::Create<TForm>(nullptr));
    auto* converter = new TCodeConverter(owner.get());
    owner->Show();
    owner->SetWindowState(wsMinimized);
    Seen seen;
    Answer(seen, mrOk, owner.get());

    EXPECT_EQ(converter->ShowMessageDialog(QString(), mtInformation, MsgDlgButton(mbOK)), mrNone);
    EXPECT_EQ(seen.runs, 0);
    EXPECT_EQ(owner->WindowState(), wsMinimized);

    EXPECT_EQ(converter->ShowMessageDialog(u"完成"_s, mtInformation, MsgDlgButton(mbOK)), mrOk);
    EXPECT_EQ(seen.runs, 1);
    EXPECT_EQ(seen.ownerState, wsNormal);
}

TEST_F(CodeConverterMessageTest, ConverterWithoutAFormKeepsTheBoxCaption) {
    Configure("950", "936", "936");
    const auto converter = MakeConverter();
    Seen seen;
    Answer(seen, mrNo);
    EXPECT_EQ(converter->ShowMessageDialog(u"繼續?"_s, mtWarning, mbYesNo), mrNo);
    EXPECT_EQ(seen.runs, 1);
    EXPECT_EQ(seen.text, u"繼續?      "_s);
    EXPECT_EQ(seen.charset, CHINESEBIG5_CHARSET);
}

}  // namespace
}  // namespace kv

#include "CodeConverterTest.moc"

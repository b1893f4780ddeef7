// Language files: the language folder of the installation, activation of the
// controller from inline text or a file, the reader over a form's component tree
// and its class chain, the entry paths, message texts, and bad input.
#include "language/LanguageController.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "QtTestSupport.h"
#include "language/LibRTTI.h"
#include "platform/CodePage.h"
#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

// Readable texts in failure messages.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kv {
namespace langtest {

// An element of the probe's collection.
class TProbeColumnItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(int Width MEMBER Width)
public:
    explicit TProbeColumnItem(TCollection* c) : TCollectionItem(c) {}
    QString Caption;
    int Width = 50;
};

// A captioned control with a list and a selection. Like a list control, it
// loses its selection whenever its lines change.
class TProbeBox : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(kv::TStrings* Items READ Items WRITE SetItems)
    Q_PROPERTY(kv::TStrings* Lines READ Lines WRITE SetLines)
    Q_PROPERTY(int ItemIndex MEMBER ItemIndex)
    Q_PROPERTY(kv::TCollection* Columns READ Columns)

public:
    explicit TProbeBox(TComponent* owner)
        : TCustomControl(owner),
          FItems(new TStringList(this)),
          FLines(new TStringList(this)),
          FColumns(new TCollection([](TCollection* c) { return new TProbeColumnItem(c); }, this)) {
        connect(FItems, &TStrings::Changed, this, [this] { ItemIndex = -1; });
    }
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* items) { FItems->Assign(items); }
    TStrings* Lines() const { return FLines; }
    void SetLines(TStrings* lines) { FLines->Assign(lines); }
    TCollection* Columns() const { return FColumns; }

    int ItemIndex = -1;

private:
    TStringList* FItems;
    TStringList* FLines;
    TCollection* FColumns;
};

// Carries the class name of the framework's combo base, so the reader factory
// treats it as a combo box.
class TCustomComboBox : public TProbeBox {
    Q_OBJECT
public:
    using TProbeBox::TProbeBox;
};

// Two layers of a form class chain, named as the system's forms are.
class TfrmBaseGene : public TForm {
    Q_OBJECT
public:
    explicit TfrmBaseGene(TComponent* owner = nullptr) : TForm(owner) {
        SetName("frmTest");
        SetCaption("设计标题");
        btnOk = CreateNamed<TButton>(this, "btnOk");
        btnOk->SetCaption("确定");
        btnOk->SetHint("确定提示");
        btnCancel = CreateNamed<TButton>(this, "btnCancel");
        btnCancel->SetCaption("取消");
        edName = CreateNamed<TEdit>(this, "edName");
        cbo01 = CreateNamed<TCustomComboBox>(this, "cbo01");
        cbo01->Items()->Add("one");
        cbo01->ItemIndex = 0;
        pnlHost = CreateNamed<TProbeBox>(this, "pnlHost");
        pnlHost->SetCaption("面板");
        lblInner = CreateNamed<TProbeBox>(pnlHost, "lblInner");
        lblInner->SetCaption("内部");
        lstBox = CreateNamed<TProbeBox>(this, "lstBox");
        lstBox->Items()->Add("one");
        lstBox->ItemIndex = 0;
        for (int i = 0; i < 2; ++i) lstBox->Columns()->Add();
    }
    TButton* btnOk;
    TButton* btnCancel;
    TEdit* edName;
    TCustomComboBox* cbo01;
    TProbeBox* pnlHost;
    TProbeBox* lblInner;
    TProbeBox* lstBox;
};

class TfrmHrwr07 : public TfrmBaseGene {
    Q_OBJECT
public:
    using TfrmBaseGene::TfrmBaseGene;
};

}  // namespace langtest

namespace {

using langtest::TfrmBaseGene;
using langtest::TfrmHrwr07;
using langtest::TProbeBox;
using langtest::TProbeColumnItem;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The message of the LanguageControllerError the action throws; "" without one.
template <class Action>
std::string LangErrorOf(Action action) {
    try {
        action();
    } catch (const LanguageControllerError& e) {
        return e.what();
    }
    return {};
}

// The reason pugixml gives for a text it cannot parse.
std::string ParserReason(const std::string& text) {
    pugi::xml_document document;
    return document.load_buffer(text.data(), text.size()).description();
}

// An installation in a temporary folder: client files under app/, server files
// under srv/, interface code page chosen per test.
class LangEnvTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FTemp.isValid());
        FEnv.Set("KVN_REGISTRY", Root() + "/registry.reg");
        FEnv.Set("KVN_SYSTEM_CODEPAGE", "936");
        test::WriteFile(Root() + "/registry.reg",
                        test::RegistryFileText("HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik",
                                               {{"ClientPath", App()}, {"ServerPath", Srv()}, {"ProfileType", "0"}}));
        SetUICodePage("936");
    }

    std::string Root() const { return FTemp.path().toStdString(); }
    std::string App() const { return Root() + "/app"; }
    std::string Srv() const { return Root() + "/srv"; }

    void SetUICodePage(const std::string& codePage) {
        const std::string ini = "[CodePage]\r\nUICodePage=" + codePage + "\r\n";
        test::WriteFile(App() + "/VornikC.ini", ini);
        test::WriteFile(Srv() + "/VornikS.ini", ini);
    }
    // The client's language folder for the code, created.
    std::string MakeLangDir(const std::string& code, bool server = false) {
        const std::string dir = (server ? Srv() : App()) + "/MultiLanguage/" + code + "/";
        QDir().mkpath(Q(dir));
        return dir;
    }
    std::string WriteLang(const std::string& stem, const std::string& xml, bool server = false) {
        return test::WriteFile(MakeLangDir("CHS", server) + stem + ".Lng", xml);
    }

    // What a form does when it is shown: each class of its chain from the most
    // general one down, with the file of that name when it exists.
    static void TranslateChain(TLanguageController& lc, TForm* form) {
        QStringList names;
        for (const QMetaObject* m = form->metaObject(); m && m != &TForm::staticMetaObject; m = m->superClass())
            names.prepend(QString::fromLatin1(m->className()).section("::", -1));
        names.prepend("TKVForm");
        for (const QString& name : names) {
            lc.SetLangPackageName(name);
            if (!lc.LangFileExists()) continue;
            lc.SetActive(true);
            lc.Reader().ReadComponent(form);
        }
    }

    // Activates a controller on inline text and reads the form with it.
    static void ReadWithText(TForm* form, const std::string& xml, const QStringList& exclude = {}) {
        TKvLangController lc(nullptr);
        lc.ExcludeControls()->SetStrings(exclude);
        lc.LangXML()->SetText(QString::fromStdString(xml));
        lc.SetActive(true);
        lc.Reader().ReadComponent(form);
    }

private:
    QTemporaryDir FTemp;
    test::ScopedEnv FEnv;
};

// ---- the language folder ------------------------------------------------------------------------

TEST_F(LangEnvTest, LanguageFolderFollowsTheInterfaceCodePage) {
    struct Case {
        const char* codePage;
        const char* folder;  // created before the look-up; "" for none
        bool server;
        const char* expected;  // below the installation folder; "" for an empty result
    };
    const Case cases[] = {
        {"936", "CHS", false, "/app/MultiLanguage/CHS/"}, {"950", "CHT", false, "/app/MultiLanguage/CHT/"},
        {"437", "ENG", false, "/app/MultiLanguage/ENG/"}, {"950", "CHT", true, "/srv/MultiLanguage/CHT/"},
        {"1252", "ENG", false, ""},                       {"950", "", false, ""},
        {"950", "CHS", false, ""},                        {"0936", "CHS", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.codePage) + (c.server ? " server" : " client"));
        QDir(Q(App() + "/MultiLanguage")).removeRecursively();
        QDir(Q(Srv() + "/MultiLanguage")).removeRecursively();
        SetUICodePage(c.codePage);
        if (*c.folder) MakeLangDir(c.folder, c.server);
        const QString expected = *c.expected ? Q(Root() + c.expected) : QString();
        EXPECT_EQ(GetLanguageDir(c.server), expected);
    }
}

TEST_F(LangEnvTest, SystemCodePage1252WithoutProfileValueUsesTheEnglishFolder) {
    test::ScopedEnv env("KVN_SYSTEM_CODEPAGE", "1252");
    test::WriteFile(App() + "/VornikC.ini", "");
    MakeLangDir("ENG");
    EXPECT_EQ(GetLanguageDir(false), Q(App() + "/MultiLanguage/ENG/"));
}

TEST_F(LangEnvTest, PackageNameSelectsTheFileOfItsSide) {
    MakeLangDir("CHS");
    MakeLangDir("CHS", true);
    TKvLangController lc(nullptr);
    lc.SetLangPackageName("TfrmBaseGene");
    EXPECT_EQ(lc.LangFileName(), Q(App() + "/MultiLanguage/CHS/TfrmBaseGene.Lng"));
    EXPECT_FALSE(lc.LangFileExists());
    lc.SetDesignType(dtServer);
    lc.SetLangPackageName("TfrmHrwr07");
    EXPECT_EQ(lc.LangFileName(), Q(Srv() + "/MultiLanguage/CHS/TfrmHrwr07.Lng"));
    // The language folder is looked up by published name too.
    EXPECT_TRUE(SetPropertyByPath(&lc, "DesignType", "dtClient"));
    EXPECT_EQ(lc.DesignType(), dtClient);
}

TEST_F(LangEnvTest, FileNameLetterCaseIsForgiven) {
    test::WriteFile(MakeLangDir("CHS") + "tfrmbasegene.lng", R"(<L><btnOk Caption="OK"/></L>)");
    TKvLangController lc(nullptr);
    lc.SetLangPackageName("TfrmBaseGene");
    ASSERT_TRUE(lc.LangFileExists());
    lc.SetActive(true);
    EXPECT_TRUE(lc.Active());
}

// ---- activation ---------------------------------------------------------------------------------

TEST_F(LangEnvTest, ActivationRaisesItsEventsInOrderAndOnlyOnChange) {
    TKvLangController lc(nullptr);
    std::vector<std::string> log;
    lc.BeforeOpen = [&](TObject* s) { log.push_back(s == &lc ? "BeforeOpen" : "?"); };
    lc.AfterOpen = [&](TObject*) { log.push_back("AfterOpen"); };
    lc.BeforeClose = [&](TObject*) { log.push_back("BeforeClose"); };
    lc.AfterClose = [&](TObject*) { log.push_back("AfterClose"); };
    lc.LangXML()->SetText("<L/>");
    lc.SetActive(true);
    EXPECT_TRUE(lc.Active());
    lc.SetActive(true);
    lc.SetActive(false);
    EXPECT_FALSE(lc.Active());
    lc.SetActive(false);
    EXPECT_EQ(log, (std::vector<std::string>{"BeforeOpen", "AfterOpen", "BeforeClose", "AfterClose"}));
}

TEST_F(LangEnvTest, ActivationWithoutSourceFailsWithTheFileMessage) {
    TKvLangController lc(nullptr);
    EXPECT_EQ(LangErrorOf([&] { lc.SetActive(true); }), "Cannot Find File !");
    EXPECT_FALSE(lc.Active());
    EXPECT_EQ(LangErrorOf([&] { lc.Reader(); }), "No active LanguageController!");
    lc.SetLangFileName(Q(Root() + "/missing.Lng"));
    EXPECT_EQ(LangErrorOf([&] { lc.SetActive(true); }), "File was not found");
    EXPECT_FALSE(lc.Active());
}

TEST_F(LangEnvTest, MalformedXmlIsRefusedWithTheParsersReason) {
    const std::string texts[] = {"<L><btnOk Caption='x'></L>", "<L", "plain text", "<?xml version='1.0'?>",
                                 "<L a=b/>", "<L><!-- unterminated </L>"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const std::string reason = ParserReason(text);
        ASSERT_FALSE(reason.empty());
        ASSERT_NE(reason, "No error");
        for (bool fromFile : {false, true}) {
            TKvLangController lc(nullptr);
            bool opened = false;
            lc.AfterOpen = [&](TObject*) { opened = true; };
            if (fromFile)
                lc.SetLangFileName(Q(test::WriteFile(Root() + "/bad.Lng", text)));
            else
                lc.LangXML()->SetText(Q(text));
            EXPECT_EQ(LangErrorOf([&] { lc.SetActive(true); }), reason);
            EXPECT_FALSE(lc.Active());
            EXPECT_FALSE(opened);
            EXPECT_EQ(LangErrorOf([&] { lc.Reader(); }), "No active LanguageController!");
        }
    }
    EXPECT_EQ(ParserReason("<L><a></L>"), "Start-end tags mismatch");
}

TEST_F(LangEnvTest, FileNameAndInlineTextReplaceEachOther) {
    TKvLangController lc(nullptr);
    lc.LangXML()->SetText("<L/>");
    lc.SetActive(true);
    lc.SetLangFileName("other.Lng");
    EXPECT_FALSE(lc.Active());
    EXPECT_EQ(lc.LangXML()->Count(), 0);
    EXPECT_EQ(lc.LangFileName(), "other.Lng");

    lc.SetLangFileName(Q(WriteLang("TfrmBaseGene", "<L/>")));
    lc.SetActive(true);
    ASSERT_TRUE(lc.Active());
    lc.LangXML()->SetText("<M/>");
    EXPECT_FALSE(lc.Active());
    EXPECT_EQ(lc.LangFileName(), "");
    lc.SetActive(true);
    EXPECT_EQ(QString::fromUtf8(lc.Reader().Document()->document_element().name()), "M");
}

TEST_F(LangEnvTest, ActivationWhileLoadingWaitsUntilLoadingEnds) {
    TComponent owner(nullptr);
    owner.BeginLoading();
    auto* lc = new TKvLangController(&owner);
    // A resource sets its properties in any order.
    EXPECT_TRUE(SetPropertyByPath(lc, "Active", "True"));
    lc->LangXML()->SetText("<L/>");
    EXPECT_TRUE(lc->PendingActive());
    EXPECT_FALSE(lc->Active());
    owner.EndLoading();
    EXPECT_TRUE(lc->Active());
    EXPECT_FALSE(lc->PendingActive());

    owner.BeginLoading();
    auto* off = new TKvLangController(&owner);
    off->SetActive(true);
    off->SetActive(false);
    off->LangXML()->SetText("<L/>");
    owner.EndLoading();
    EXPECT_FALSE(off->Active());
}

// ---- reading a form ------------------------------------------------------------------------------

TEST_F(LangEnvTest, DocumentElementGoesToTheFormAndElementsToTheirComponents) {
    auto* form = TForm::Create<TfrmBaseGene>();
    ReadWithText(form, R"(<frm Caption="Title" Hint="form hint">
        <group><btnOk Caption="OK" Hint="Confirm"/></group>
        <btnOk Caption="second element is ignored"/>
        <edName Text="name" Font.Name="Tahoma" Font.Charset="GB2312_CHARSET" Color="clRed"/>
      </frm>)");
    EXPECT_EQ(form->Caption(), "Title");
    EXPECT_EQ(form->Hint(), "form hint");
    EXPECT_EQ(form->btnOk->Caption(), "OK");
    EXPECT_EQ(form->btnOk->Hint(), "Confirm");
    EXPECT_EQ(form->btnCancel->Caption(), "取消");
    EXPECT_EQ(form->edName->Text(), "name");
    EXPECT_EQ(form->edName->Font()->Name(), "Tahoma");
    EXPECT_EQ(form->edName->Font()->Charset(), GB2312_CHARSET);
    EXPECT_EQ(form->edName->Color(), clRed);
    form->Free();
}

TEST_F(LangEnvTest, DocumentElementAttributesApplyOnlyToForms) {
    TProbeBox box(nullptr);
    box.SetName("box");
    box.SetCaption("before");
    TKvLangController lc(nullptr);
    lc.LangXML()->SetText(R"(<L Caption="root"><other Caption="x"/></L>)");
    lc.SetActive(true);
    lc.Reader().ReadComponent(&box);
    EXPECT_EQ(box.Caption(), "before");
    // A form's own element applies as well, after the document element.
    auto* form = TForm::Create<TfrmBaseGene>();
    ReadWithText(form, R"(<L Caption="root" Hint="h"><frmTest Caption="own"/></L>)");
    EXPECT_EQ(form->Caption(), "own");
    EXPECT_EQ(form->Hint(), "h");
    form->Free();
}

TEST_F(LangEnvTest, ClassChainFilesApplyFromGeneralToSpecific) {
    WriteLang("TfrmBaseGene", R"(<TfrmBaseGene Caption="base"><btnOk Caption="base ok" Hint="base hint"/></TfrmBaseGene>)");
    WriteLang("TfrmHrwr07", R"(<TfrmHrwr07><btnOk Caption="own ok"/><btnCancel Caption="own cancel"/></TfrmHrwr07>)");
    auto* form = TForm::Create<TfrmHrwr07>();
    TKvLangController lc(nullptr);
    std::vector<QString> loaded;
    lc.AfterLoadComponent = [&](TComponent* c, const TLangNode& n) { loaded.push_back(c->Name() + "@" + n.Name()); };
    TranslateChain(lc, form);
    EXPECT_EQ(form->Caption(), "base");
    EXPECT_EQ(form->btnOk->Caption(), "own ok");
    EXPECT_EQ(form->btnOk->Hint(), "base hint");
    EXPECT_EQ(form->btnCancel->Caption(), "own cancel");
    EXPECT_EQ(loaded, (std::vector<QString>{"frmTest@TfrmBaseGene", "btnOk@btnOk", "frmTest@TfrmHrwr07",
                                            "btnOk@btnOk", "btnCancel@btnCancel"}));
    form->Free();
}

TEST_F(LangEnvTest, FormWithoutAnyFileStaysAsDesigned) {
    MakeLangDir("CHS");
    auto* form = TForm::Create<TfrmHrwr07>();
    TKvLangController lc(nullptr);
    TranslateChain(lc, form);
    EXPECT_FALSE(lc.Active());
    EXPECT_EQ(form->Caption(), "设计标题");
    EXPECT_EQ(form->btnOk->Caption(), "确定");
    form->Free();
}

TEST_F(LangEnvTest, ExcludedComponentsKeepTheirTextsButWhatTheyOwnIsTranslated) {
    const QStringList excludeLists[] = {{"pnlHost"}, {" PNLHOST "}, {"x", "\tpnlhost"}};
    for (const QStringList& exclude : excludeLists) {
        SCOPED_TRACE(exclude.join(',').toStdString());
        auto* form = TForm::Create<TfrmBaseGene>();
        ReadWithText(form, R"(<L><pnlHost Caption="panel"/><lblInner Caption="inner"/><btnOk Caption="OK"/></L>)",
                     exclude);
        EXPECT_EQ(form->pnlHost->Caption(), "面板");
        EXPECT_EQ(form->lblInner->Caption(), "inner");
        EXPECT_EQ(form->btnOk->Caption(), "OK");
        form->Free();
    }
}

TEST_F(LangEnvTest, ExclusionsChangedWhileActiveReachTheReader) {
    auto* form = TForm::Create<TfrmBaseGene>();
    TKvLangController lc(nullptr);
    lc.LangXML()->SetText(R"(<L><btnOk Caption="OK"/><btnCancel Caption="Cancel"/></L>)");
    lc.SetActive(true);
    lc.ExcludeControls()->Add("btnOk");
    TStringList other;
    other.Add("btnCancel");
    lc.SetExcludeControls(&other);
    EXPECT_EQ(lc.Reader().ExcludeNames(), QStringList{"btnCancel"});
    lc.Reader().ReadComponent(form);
    EXPECT_EQ(form->btnOk->Caption(), "OK");
    EXPECT_EQ(form->btnCancel->Caption(), "取消");
    lc.SetExcludeControls(nullptr);
    EXPECT_TRUE(lc.Reader().ExcludeNames().isEmpty());
    form->Free();
}

TEST_F(LangEnvTest, LoadEventsSeeComponentAndElementWithTheHandlersOfActivation) {
    auto* form = TForm::Create<TfrmBaseGene>();
    TKvLangController lc(nullptr);
    std::vector<std::string> log;
    lc.BeforeLoadComponent = [&](TComponent* c, const TLangNode& n) {
        log.push_back("before " + c->Name().toStdString() + " " + c->property("Caption").toString().toStdString() +
                      " " + std::to_string(n.AttributeCount()));
    };
    lc.AfterLoadComponent = [&](TComponent* c, const TLangNode& n) {
        log.push_back("after " + c->Name().toStdString() + " " + c->property("Caption").toString().toStdString() +
                      " " + n.AttributeValue("Caption").toStdString());
    };
    lc.LangXML()->SetText(R"(<L><btnOk Caption="OK" Hint="h"/></L>)");
    lc.SetActive(true);
    lc.BeforeLoadComponent = {};
    lc.Reader().ReadComponent(form->btnOk);
    EXPECT_EQ(log, (std::vector<std::string>{"before btnOk 确定 2", "after btnOk OK OK"}));
    form->Free();
}

// ---- entry paths -----------------------------------------------------------------------------------

TEST_F(LangEnvTest, ComboBoxKeepsItsSelectionWhileListControlsDoNot) {
    auto* form = TForm::Create<TfrmBaseGene>();
    ReadWithText(form, R"(<L><cbo01 Items_3="three"/><lstBox Items_3="three"/></L>)");
    EXPECT_EQ(form->cbo01->Items()->ToStringList(), (QStringList{"one", "", "", "three"}));
    EXPECT_EQ(form->cbo01->ItemIndex, 0);
    EXPECT_EQ(form->lstBox->Items()->ToStringList(), (QStringList{"one", "", "", "three"}));
    EXPECT_EQ(form->lstBox->ItemIndex, -1);
    form->Free();
}

TEST_F(LangEnvTest, RealComboBoxKeepsItsSelectionAndListViewEntriesReachColumnsAndRows) {
    auto* form = TForm::Create<TfrmBaseGene>();
    auto* combo = CreateNamed<TComboBox>(form, "cbo02");
    combo->SetParent(form);
    combo->Items()->Add("one");
    combo->SetItemIndex(0);
    auto* list = CreateNamed<TListView>(form, "lvData");
    list->SetParent(form);
    list->SetViewStyle(vsReport);
    list->Columns()->Add();
    static_cast<TListColumn*>(list->Columns()->Items(0))->SetCaption("列");
    TListItem* row = list->Items()->Add();
    row->SetCaption("行");
    row->SubItems()->Add("子");
    const int width = list->Width();
    ReadWithText(form, R"(<L>
        <cbo02 Items_3="three" Items_0="first"/>
        <lvData Columns_1.Caption="second column" Columns_3.Width="7" Items_4.Caption="far row"
                Columns_0.Caption="Column" Columns_0.Width="90" Items_0.Caption="Row" Items_0.SubItems_2="sub"/>
      </L>)");
    EXPECT_EQ(combo->Items()->ToStringList(), (QStringList{"first", "", "", "three"}));
    EXPECT_EQ(combo->ItemIndex(), 0);
    ASSERT_EQ(list->Columns()->Count(), 1);
    EXPECT_EQ(list->Column(0)->Caption(), "Column");
    EXPECT_EQ(list->Column(0)->Width(), 90);
    EXPECT_EQ(list->Width(), width);
    ASSERT_EQ(list->Items()->Count(), 1);
    EXPECT_EQ(row->Caption(), "Row");
    EXPECT_EQ(row->SubItems()->ToStringList(), (QStringList{"子", "", "sub"}));
    form->Free();
}

TEST_F(LangEnvTest, ColumnsBeyondTheEndOfAListViewChangeNothing) {
    auto* form = TForm::Create<TfrmBaseGene>();
    auto* list = CreateNamed<TListView>(form, "lvData");
    list->Columns()->Add();
    static_cast<TListColumn*>(list->Columns()->Items(0))->SetCaption("列");
    const QStringList before = {GetStrPropByName(list, "Width"), list->Column(0)->Caption(),
                                QString::number(list->Columns()->Count())};
    ApplyAttribute(list, "Columns_1.Caption", "x");
    ApplyAttribute(list, "Columns_1.Width", "5");
    ApplyAttribute(list, "Columns_1", "x");
    EXPECT_EQ((QStringList{GetStrPropByName(list, "Width"), list->Column(0)->Caption(),
                           QString::number(list->Columns()->Count())}),
              before);
    form->Free();
}

struct EntryCase {
    const char* name;
    const char* value;
    const char* check;     // property path on lstBox to read afterwards ("" : nothing to read)
    const char* expected;  // its text
};

QString ReadOnBox(TProbeBox* box, const QString& path) {
    if (path.startsWith("Columns_")) {
        const int index = path.section('.', 0, 0).section('_', 1).toInt();
        return GetStrPropByName(box->Columns()->Items(index), path.section('.', 1));
    }
    QStringList parts = path.split('.');
    const QString last = parts.takeLast();
    QObject* o = box;
    for (const QString& p : parts) o = GetObjectPropByName(o, p);
    return GetStrPropByName(o, last);
}

TEST_F(LangEnvTest, EntryPathsReachListsLinesAndCollectionElements) {
    const EntryCase cases[] = {
        {"Caption", "c", "Caption", "c"},
        {" Font . Name ", "Tahoma", "Font.Name", "Tahoma"},
        {"Items_0", "first", "Items", "first\r\n"},
        {"Items_2", "third", "Items", "one\r\n\r\nthird\r\n"},
        {"items_1", "x", "Items", "one\r\nx\r\n"},
        {"Lines_0", "line", "Lines", "line\r\n"},
        {"Columns_1.Caption", "col", "Columns_1.Caption", "col"},
        {"columns_0 . Width", "80", "Columns_0.Width", "80"},
        {"Items_0.Caption", "x", "Items", "one\r\n"},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto* form = TForm::Create<TfrmBaseGene>();
        ApplyAttribute(form->lstBox, c.name, c.value);
        EXPECT_EQ(ReadOnBox(form->lstBox, c.check), QString::fromUtf8(c.expected));
        form->Free();
    }
}

// Entries that cannot be applied leave every property of the component (and of
// its lists and collection elements) as it was.
QStringList BoxState(TProbeBox* box) {
    QStringList state;
    const QMetaObject* meta = box->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QString name = QLatin1String(meta->property(i).name());
        state << name + "=" + GetStrPropByName(box, name);
    }
    state << "Font=" + box->Font()->Name() + "/" + QString::number(box->Font()->Charset());
    for (int i = 0; i < box->Columns()->Count(); ++i)
        state << "col=" + GetStrPropByName(box->Columns()->Items(i), "Caption") + "/" +
                     GetStrPropByName(box->Columns()->Items(i), "Width");
    return state;
}

TEST_F(LangEnvTest, UnreachableEntriesChangeNothing) {
    const char* names[] = {
        "NoSuchProperty", "Caption_1", "Panels_0.Text", "Items_x.Caption", "Items_.Caption", "Columns_2.Caption",
        "Columns_1.NoSuch", "Columns_99999999999.Caption", "Lines_0.Foo", "Font_0.Name", "Font.Charset",
        "Items_70000", "Font.NoSuch.Name", "Columns_1.Width", "", ".", "..", "Caption.", ".Caption",
        "Columns_1._2", "ItemIndex",
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        auto* form = TForm::Create<TfrmBaseGene>();
        TProbeBox* box = form->lstBox;
        const QStringList before = BoxState(box);
        ApplyAttribute(box, name, QString::fromUtf8(std::string(name) == "Columns_1.Width" ? "wide" : "GB2312_CHARST"));
        EXPECT_EQ(BoxState(box), before);
        form->Free();
    }
}

TEST_F(LangEnvTest, ReaderByPositionOrNameAppliesOneAttribute) {
    auto* form = TForm::Create<TfrmBaseGene>();
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(R"(<btnOk Caption="OK" Hint="tip"/>)"));
    const TLangNode node(document.document_element());
    EXPECT_EQ(node.AttributeName(1), "Hint");
    EXPECT_EQ(node.AttributeValue(5), "");
    auto reader = TReaderFactory::CreateReader(form->btnOk, node);
    reader->ReadItem(1);
    reader->ReadItem(7);
    reader->ReadItem(-1);
    reader->ReadItem(QStringLiteral("Missing"));
    EXPECT_EQ(form->btnOk->Hint(), "tip");
    EXPECT_EQ(form->btnOk->Caption(), "确定");
    reader->ReadItem(QStringLiteral("Caption"));
    EXPECT_EQ(form->btnOk->Caption(), "OK");
    EXPECT_EQ(reader->GetComponent(), form->btnOk);
    EXPECT_EQ(reader->GetNode().Node(), node.Node());
    EXPECT_NE(dynamic_cast<TCustomComboBoxRead*>(TReaderFactory::CreateReader(form->cbo01, node).get()), nullptr);
    EXPECT_EQ(dynamic_cast<TCustomComboBoxRead*>(TReaderFactory::CreateReader(form->lstBox, node).get()), nullptr);
    form->Free();
}

// ---- file encodings ----------------------------------------------------------------------------------

TEST_F(LangEnvTest, FilesAreReadInTheirDeclaredOrMarkedEncoding) {
    const std::string caption = "确定按钮";
    std::string gbk;
    ASSERT_TRUE(UnicodeToCodePage(caption, 936, gbk));
    std::string big5;
    ASSERT_TRUE(UnicodeToCodePage("確定按鈕", 950, big5));
    std::u16string utf16 = u"\uFEFF<L><btnOk Caption=\"确定按钮\"/></L>";
    const std::string utf16Bytes(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
    struct Case {
        const char* what;
        std::string bytes;
        QString expected;
    };
    const Case cases[] = {
        {"utf-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><L><btnOk Caption=\"" + caption + "\"/></L>",
         QString::fromStdString(caption)},
        {"utf-8 with BOM", "\xEF\xBB\xBF<L><btnOk Caption=\"" + caption + "\"/></L>", QString::fromStdString(caption)},
        {"gb2312", "<?xml version=\"1.0\" encoding=\"GB2312\"?><L><btnOk Caption=\"" + gbk + "\"/></L>",
         QString::fromStdString(caption)},
        {"big5", "<?xml version='1.0' encoding='big5'?><L><btnOk Caption=\"" + big5 + "\"/></L>",
         QString::fromUtf8("確定按鈕")},
        {"utf-16", utf16Bytes, QString::fromStdString(caption)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* form = TForm::Create<TfrmBaseGene>();
        TKvLangController lc(nullptr);
        lc.SetLangFileName(Q(test::WriteFile(Root() + "/enc.Lng", c.bytes)));
        lc.SetActive(true);
        lc.Reader().ReadComponent(form);
        EXPECT_EQ(form->btnOk->Caption(), c.expected);
        form->Free();
    }
}

TEST_F(LangEnvTest, InlineTextIsNotDecodedAgainWhateverItsDeclarationSays) {
    auto* form = TForm::Create<TfrmBaseGene>();
    ReadWithText(form, "<?xml version=\"1.0\" encoding=\"GB2312\"?><L><btnOk Caption=\"确定按钮\"/></L>");
    EXPECT_EQ(form->btnOk->Caption(), "确定按钮");
    form->Free();
}

// ---- messages -------------------------------------------------------------------------------------------

TEST_F(LangEnvTest, MessagesFallBackToTheDefault) {
    WriteLang("Msgs", R"(<Messages>
        <sDeleteProj Msg="Delete the scheme?"/>
        <sNoMsg Text="no Msg here"/>
        <group><sLater/><sLater Msg="second element"/></group>
        <sEmpty Msg=""/>
      </Messages>)");
    WriteLang("Broken", "<Messages><sDeleteProj Msg='x'></Messages>");
    struct Case {
        const char* stem;
        const char* id;
        const char* expected;
    };
    const Case cases[] = {
        {"Msgs", "sDeleteProj", "Delete the scheme?"},
        {"Msgs", "sNoMsg", "default"},
        {"Msgs", "sMissing", "default"},
        {"Msgs", "sLater", "second element"},
        {"Msgs", "sEmpty", ""},
        {"Msgs", "", "default"},
        {"Msgs", "sDeleteProj|//sNoMsg", "default"},
        {"Msgs", "sdeleteproj", "default"},
        {"NoFile", "sDeleteProj", "default"},
        {"Broken", "sDeleteProj", "default"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stem) + "/" + c.id);
        EXPECT_EQ(GetLangMessage(false, c.stem, c.id, "default"), QString::fromUtf8(c.expected));
    }
    // Server files are not client files; the file is read on every call.
    EXPECT_EQ(GetLangMessage(true, "Msgs", "sDeleteProj", "default"), "default");
    WriteLang("Msgs", R"(<M><sDeleteProj Msg="changed"/></M>)");
    EXPECT_EQ(GetLangMessage(false, "Msgs", "sDeleteProj", "default"), "changed");
    // No language folder: the stem is a bare file name.
    SetUICodePage("1252");
    EXPECT_EQ(GetLangMessage(false, "Msgs", "sDeleteProj", "default"), "default");
}

// ---- bad input -----------------------------------------------------------------------------------------

QStringList FormTexts(TfrmBaseGene* form) {
    QStringList texts{form->Caption(), form->Hint()};
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* c = form->Components(i);
        texts << c->Name() + ":" + GetStrPropByName(c, "Caption") + "/" + GetStrPropByName(c, "Hint") + "/" +
                     GetStrPropByName(c, "Text") + "/" + GetStrPropByName(c, "Items");
    }
    return texts;
}

TEST_F(LangEnvTest, DeepTreesManyAttributesAndLongPathsNeverCrash) {
    // An element 10,000 levels down is still found.
    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "<n>";
    deep += R"(<btnOk Caption="deep"/>)";
    for (int i = 0; i < 10000; ++i) deep += "</n>";
    auto* form = TForm::Create<TfrmBaseGene>();
    const QStringList before = FormTexts(form);
    ReadWithText(form, "<L>" + deep + "</L>");
    EXPECT_EQ(form->btnOk->Caption(), "deep");

    // Garbage entries on every component change nothing.
    std::string path;
    for (int i = 0; i < 1000; ++i) path += "Font.";
    path += "Name";
    std::string attributes;
    for (int i = 0; i < 5000; ++i) attributes += " Bogus" + std::to_string(i) + "=\"x\"";
    attributes += " " + path + "=\"x\" Columns_1.Caption=\"x\" Items_9999999=\"x\" Tag=\"notanumber\"";
    std::string garbage = "<L" + attributes + ">";
    for (const char* name : {"frmTest", "btnOk", "btnCancel", "edName", "cbo01", "pnlHost", "lblInner", "lstBox"})
        garbage += "<" + std::string(name) + attributes + "/>";
    garbage += "</L>";
    auto* clean = TForm::Create<TfrmBaseGene>();
    ReadWithText(clean, garbage);
    EXPECT_EQ(FormTexts(clean), before);
    EXPECT_EQ(clean->Tag(), 0);
    clean->Free();
    form->Free();
}

TEST_F(LangEnvTest, ComponentsFreedByALoadEventAreSkipped) {
    auto* form = TForm::Create<TfrmBaseGene>();
    TKvLangController lc(nullptr);
    lc.BeforeLoadComponent = [&](TComponent* c, const TLangNode&) {
        if (c->Name() == "pnlHost") delete c;
    };
    lc.LangXML()->SetText(R"(<L><pnlHost Caption="x"/><lblInner Caption="y"/><btnOk Caption="OK"/></L>)");
    lc.SetActive(true);
    lc.Reader().ReadComponent(form);
    EXPECT_EQ(form->FindComponent("pnlHost"), nullptr);
    EXPECT_EQ(form->btnOk->Caption(), "OK");
    form->Free();
}

}  // namespace
}  // namespace kv

#include "LanguageControllerTest.moc"

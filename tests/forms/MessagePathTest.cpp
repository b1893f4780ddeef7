// The option dialog's message path: codes recorded and shown, texts from the
// host's catalogue filled with parameters (and their fallback), kinds mapped to
// dialog types and buttons, the Cancel-button and page-change rules, button
// captions and fonts by interface code page, focus and mouse capture after a
// dialog. Every dialog runs through a scripted modal driver.
#include "forms/BaseGeneU.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "QtTestSupport.h"
#include "kv/Automation.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "runtime/CodeConverter.h"

using namespace Qt::StringLiterals;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kv {
namespace {

// ---- the host's catalogue ----------------------------------------------------------

// Answers "GetMessage" from its table ("<kind>/<id>" for ids it does not know)
// and remembers what it was asked.
class TCatalogue : public IDispatchObject {
public:
    Variant Invoke(const std::string& member, InvokeKind, std::vector<Variant>& args) override {
        if (member != "GetMessage" || args.size() != 2) throw EOleError("no member " + member);
        const std::string key = args[0].ToString() + "/" + args[1].ToString();
        Asked.push_back(key);
        const auto it = Texts.find(key);
        return it != Texts.end() ? it->second : Variant(key);
    }
    std::map<std::string, Variant> Texts;
    std::vector<std::string> Asked;
};

// An automation object without a catalogue.
class TNoCatalogue : public IDispatchObject {
public:
    Variant Invoke(const std::string& member, InvokeKind, std::vector<Variant>&) override {
        throw EOleError("no member " + member);
    }
};

// ---- the form the path serves ------------------------------------------------------

class TMessageProbeForm : public TForm, public IGeneMessageSite {
public:
    explicit TMessageProbeForm(bool withConverter) : TForm(nullptr) {
        SetCaption(u"员工薪资报表[测试公司]"_s);
        edDate = Placed<TEdit>("edDate");
        edName = Placed<TEdit>("edName");
        btnCancel = Placed<TButton>("btnCancel");
        SetBounds(0, 0, 300, 160);
        if (withConverter) KvConverter = new TCodeConverter(this);
    }

    QString MessageCaption() const override { return Caption(); }
    TWinControl* MessageActiveControl() const override { return ActiveControl(); }
    TWinControl* MessageCancelButton() const override { return btnCancel; }
    Variant MessageHostObject() const override { return HostObject; }
    TCodeConverter* MessageConverter() const override { return KvConverter; }
    void ReleaseMouseCapture(TWinControl* control) override {
        Released.push_back(control);
        PostLeftButtonUp(control);
    }
    void FocusMessageControl(TWinControl* control) override { control->SetFocus(); }

    TEdit* edDate;
    TEdit* edName;
    TButton* btnCancel;
    TCodeConverter* KvConverter = nullptr;
    Variant HostObject;
    std::vector<TWinControl*> Released;
    TGeneMessages Messages{*this, this};

protected:
    void FocusChanged(TWinControl* control) override {
        TForm::FocusChanged(control);
        Messages.FocusChanged(control);
    }

private:
    template <class T>
    T* Placed(const char* name) {
        T* control = CreateNamed<T>(this, QString::fromLatin1(name));
        control->SetParent(this);
        return control;
    }
};

// ---- what a dialog showed ------------------------------------------------------------

struct TShownDialog {
    TMsgDlgType Type = mtCustom;
    QString Caption;
    QString Text;
    std::vector<QString> ButtonNames;
    std::vector<QString> ButtonCaptions;
    QString FontName;
    int FontCharset = 0;
};

// Records every message dialog and presses the named button (the first one when
// the dialog has no such button).
class TDialogScript {
public:
    explicit TDialogScript(QString press = u"OK"_s) : FPress(std::move(press)) {
        SetModalDriver([this](TForm& form) { Run(form); });
    }
    ~TDialogScript() { SetModalDriver({}); }
    TDialogScript(const TDialogScript&) = delete;
    TDialogScript& operator=(const TDialogScript&) = delete;

    std::vector<TShownDialog> Shown;

private:
    void Run(TForm& form) {
        auto* dialog = dynamic_cast<TMessageForm*>(&form);
        ASSERT_NE(dialog, nullptr) << "not a message dialog";
        TShownDialog seen;
        seen.Type = dialog->DialogType();
        seen.Caption = form.Caption();
        seen.Text = dialog->MessageLabel()->Caption();
        seen.FontName = form.Font()->Name();
        seen.FontCharset = form.Font()->Charset();
        TButton* press = nullptr;
        for (int i = 0; i < form.ComponentCount(); ++i) {
            auto* button = qobject_cast<TButton*>(form.Components(i));
            if (!button) continue;
            seen.ButtonNames.push_back(button->Name());
            seen.ButtonCaptions.push_back(button->Caption());
            if (!press || button->Name() == FPress) press = button;
        }
        Shown.push_back(seen);
        // KV_SCREENSHOT_DIR=<folder> keeps a picture of every dialog for a look.
        static int pictures = 0;
        if (const char* dir = std::getenv("KV_SCREENSHOT_DIR"))
            form.Handle()->grab().save(QString::fromLocal8Bit(dir) + u"/message-"_s + QString::number(++pictures) + u".png"_s);
        ASSERT_NE(press, nullptr);
        press->Click();
        form.CheckModalEnd();
    }
    QString FPress;
};

std::vector<QString> Names(std::initializer_list<const char*> names) {
    std::vector<QString> out;
    for (const char* n : names) out.push_back(QString::fromLatin1(n));
    return out;
}

Variant S(const QString& text) { return Variant(text.toStdString()); }

// The fallback form of a text: the text, a carriage return, and each of count
// parameters (the given ones, then empty ones) followed by ";".
QString Fallback(const QString& text, QStringList params, int count = TGeneMessages::kMaxCodeParameters) {
    while (params.size() < count) params.append(QString());
    QString out = text + u'\r';
    for (const QString& p : params) out += p + u';';
    return out;
}

// ---- the installation --------------------------------------------------------------

class MessagePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FTemp.isValid());
        FEnv.Set("KVN_REGISTRY", Root() + "/registry.reg");
        FEnv.Set("KVN_LIBRARY_PATH", test::BinDir());
        Configure("936", "936", "936");
    }
    void TearDown() override {
        if (FForm) FForm->Free();
    }

    std::string Root() const { return FTemp.path().toStdString(); }

    // The client profile's code pages on a system with systemCodePage.
    void Configure(const std::string& ui, const std::string& db, const std::string& systemCodePage) {
        test::WriteFile(Root() + "/registry.reg",
                        test::RegistryFileText("HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik", {{"ClientPath", Root() + "/app"}}));
        test::WriteFile(Root() + "/app/VornikC.ini",
                        "[CodePage]\r\nUICodePage=" + ui + "\r\nDBCodePage=" + db + "\r\n");
        FEnv.Set("KVN_SYSTEM_CODEPAGE", systemCodePage);
    }

    // A shown form with the catalogue as its host object.
    TMessageProbeForm& Form(bool withConverter = true) {
        if (FForm) FForm->Free();
        FForm = TForm::Create<TMessageProbeForm>(withConverter);
        FCatalogue = std::make_shared<TCatalogue>();
        FCatalogue->Texts = {
            {"E/000037", S(u"必须输入的栏位不能为空!"_s)},
            {"I/000004", S(u"作业已送出, 作业编号: %s"_s)},
            {"E/000005", S(u"%s 不是有效的%s"_s)},
            {"I/000003", S(u"共 %d 笔"_s)},
            {"E/000099", S(u"参数 %0:s|%1:s|%2:s|%3:s|%4:s|%5:s|%6:s|%7:s|%8:s|%9:s %z"_s)},
        };
        FForm->HostObject = Variant(DispatchPtr(FCatalogue));
        FForm->Show();
        return *FForm;
    }
    TGeneMessages& Messages() { return FForm->Messages; }

    QTemporaryDir FTemp;
    test::ScopedEnv FEnv;
    TMessageProbeForm* FForm = nullptr;
    std::shared_ptr<TCatalogue> FCatalogue;
};

// ---- classic formatting ----------------------------------------------------------------

TEST(ClassicFormat, PlaceholdersFollowTheClassicRules) {
    const struct {
        const char* format;
        std::vector<Variant> args;
        const char* expected;
    } cases[] = {
        {"作业编号: %s", {Variant("J0001")}, "作业编号: J0001"},
        {"[%5s][%-5s][%.2s]", {Variant("ab"), Variant("cd"), Variant("efgh")}, "[   ab][cd   ][ef]"},
        {"%s/%s/%s/%s", {Variant(42), Variant(2.5), Variant(true), Variant::Null()}, "42/2.5/True/"},
        {"%d|%5.3d|%u", {Variant(-12), Variant(-7), Variant(-1)}, "-12| -007|4294967295"},
        {"%d", {Variant("123")}, "123"},  // a variant text that reads as a number
        {"%x|%.4x", {Variant(255), Variant(255)}, "FF|00FF"},
        {"%1:s %0:s %s", {Variant("a"), Variant("b")}, "b a b"},
        {"%*d|%-*d|", {Variant(4), Variant(7), Variant(3), Variant(8)}, "   7|8  |"},
        {"100%% %f %.1f", {Variant(2.5), Variant(2.25)}, "100% 2.50 2.3"},  // halves round away from zero
        {"%n|%.0n", {Variant(1234567.891), Variant(-1234.5)}, "1,234,567.89|-1,235"},
        {"%e|%.3e", {Variant(1234.5), Variant(0.000123)}, "1.23450000000000E+003|1.23E-004"},
        {"%g|%g|%g", {Variant(0.5), Variant(1e20), Variant(123456.0)}, "0.5|1E20|123456"},
        {"no placeholders", {Variant("left over")}, "no placeholders"},
        {"%s", {Variant::Date(38061.5)}, "2004/03/15 12:00:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected)) << c.format;
}

TEST(ClassicFormat, MismatchesRaise) {
    const struct {
        const char* format;
        std::vector<Variant> args;
    } cases[] = {
        {"%s %s", {Variant("one")}},                   // an argument short
        {"%3:s", {Variant("a")}},                      // index past the arguments
        {"%d", {Variant("abc")}},                      // not a number
        {"%d", {Variant::Null()}},
        {"%f", {Variant("x")}},
        {"%z", {Variant("a")}},                        // unknown type
        {"50%", {}},                                   // a lone percent sign at the end
        {"%s", {Variant::ArrayOf({Variant(1)})}},     // an array shows as no text
        {"%99999999999d", {Variant(1)}},               // a width beyond reason
    };
    for (const auto& c : cases) EXPECT_THROW(Format(QString::fromUtf8(c.format), c.args), EFormatError) << c.format;
}

// ---- codes: recorded, looked up, shown -------------------------------------------------

TEST_F(MessagePathTest, MessageCodesAreRecordedLookedUpAndShownByTheirKind) {
    const struct {
        const char* code;
        const char* asked;     // the catalogue key looked up
        const char* text;      // the message text
        bool shown;
        TMsgDlgType type;
    } cases[] = {
        {"E;000037", "E/000037", "必须输入的栏位不能为空!", true, mtError},
        {"I;000004;J0042", "I/000004", "作业已送出, 作业编号: J0042", true, mtInformation},
        // The silence mark records the text and shows nothing.
        {"I;-000004;J0042", "I/000004", "作业已送出, 作业编号: J0042", false, mtInformation},
        {"W;000014", "W/000014", "W/000014", true, mtWarning},
        {"C;000001", "C/000001", "C/000001", true, mtWarning},
        {"D;000002", "D/000002", "D/000002", true, mtWarning},
        {"Q;000003", "Q/000003", "Q/000003", true, mtConfirmation},
        {"R;100235", "R/100235", "R/100235", true, mtCustom},
        // Ids that are no positive number are recorded, not shown, and looked up
        // as they stand.
        {"E;000000", "E/000000", "E/000000", false, mtError},
        {"E;abc", "E/abc", "E/abc", false, mtError},
        {"E;-1", "E/1", "E/1", false, mtError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        Form();
        TDialogScript script;
        Messages().ShowMessageCode(QString::fromLatin1(c.code));
        EXPECT_EQ(Messages().MessageCodes(), QString::fromLatin1(c.code) + u"; "_s);
        EXPECT_EQ(Messages().MessageTexts(), QString::fromUtf8(c.text) + u"; "_s);
        EXPECT_EQ(FCatalogue->Asked, std::vector<std::string>{c.asked});
        ASSERT_EQ(script.Shown.size(), c.shown ? 1u : 0u);
        if (!c.shown) continue;
        const TShownDialog& d = script.Shown[0];
        EXPECT_EQ(d.Type, c.type);
        EXPECT_EQ(d.Text, QString::fromUtf8(c.text));
        EXPECT_EQ(d.Caption, u"员工薪资报表[测试公司]"_s);
        EXPECT_EQ(d.ButtonNames, Names({"OK"})) << "a code offers OK only";
    }
}

TEST_F(MessagePathTest, ParametersAreCutAtSemicolonsIntoTenArguments) {
    // E/000099 names all ten parameters and then a type no argument fits, so the
    // fallback lists exactly what was handed over.
    const QString text = u"参数 %0:s|%1:s|%2:s|%3:s|%4:s|%5:s|%6:s|%7:s|%8:s|%9:s %z"_s;
    const QStringList ten = {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s, u"9"_s, u"10"_s};
    const struct {
        const char* code;
        QStringList parameters;
    } cases[] = {
        {"E;000099", {}},
        {"E;000099;", {}},
        {"E;000099;a;b", {u"a"_s, u"b"_s}},
        {"E;000099;a;;c", {u"a"_s, u""_s, u"c"_s}},
        {"E;000099;1;2;3;4;5;6;7;8;9;10", ten},
        // More than ten: the rest is not carried.
        {"E;000099;1;2;3;4;5;6;7;8;9;10;11;12", ten},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        Form();
        TDialogScript script;
        Messages().ShowMessageCode(QString::fromLatin1(c.code));
        ASSERT_EQ(script.Shown.size(), 1u);
        EXPECT_EQ(script.Shown[0].Text, Fallback(text, c.parameters));
    }

    // Two parameters fill a text with two placeholders.
    Form();
    TDialogScript script;
    Messages().ShowMessageCode(u"E;000005;2004/13/45;日期"_s);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, u"2004/13/45 不是有效的日期"_s);
}

TEST_F(MessagePathTest, TextsThatDoNotFitTheirParametersFallBack) {
    Form();
    TDialogScript script;
    // %d with a text that is no number; eleven placeholders for ten arguments.
    FCatalogue->Texts["W/000002"] = S(u"%s%s%s%s%s%s%s%s%s%s%s"_s);
    Messages().ShowMessageCode(u"I;000003;abc"_s);
    Messages().ShowMessageCode(u"W;000002;x"_s);
    // A number fills %d.
    Messages().ShowMessageCode(u"I;000003;12"_s);
    ASSERT_EQ(script.Shown.size(), 3u);
    const QString first = Fallback(u"共 %d 笔"_s, {u"abc"_s});
    const QString second = Fallback(u"%s%s%s%s%s%s%s%s%s%s%s"_s, {u"x"_s});
    EXPECT_EQ(script.Shown[0].Text, first);
    EXPECT_EQ(script.Shown[1].Text, second);
    EXPECT_EQ(script.Shown[2].Text, u"共 12 笔"_s);
    EXPECT_EQ(Messages().MessageTexts(), first + u"; "_s + second + u"; 共 12 笔; "_s);
}

// ---- the two logs ------------------------------------------------------------------------

TEST_F(MessagePathTest, LogsKeepEveryCodeButEachTextOnce) {
    Form();
    TDialogScript script;
    auto& m = Messages();
    m.RecordError(u"  连线失败  "_s);
    m.RecordError(u"连线失败"_s);
    m.ShowMessageCode(u"I;-000004;J1"_s);
    m.ShowMessageCode(u"I;-000004;J1"_s);
    m.ShowMessageCode(u"I;-000004;J2"_s);
    // A text that stands inside an earlier one is still a message of its own.
    m.RecordError(u"失败"_s);
    EXPECT_EQ(m.MessageCodes(), u"E;-1; E;-1; I;-000004;J1; I;-000004;J1; I;-000004;J2; E;-1; "_s);
    EXPECT_EQ(m.MessageTexts(), u"连线失败; 作业已送出, 作业编号: J1; 作业已送出, 作业编号: J2; 失败; "_s);
    EXPECT_TRUE(script.Shown.empty()) << "recording shows nothing";

    // The empty code and a blank error both start the logs afresh.
    for (const auto& clear : std::vector<std::function<void()>>{[&] { m.ShowMessageCode(QString()); },
                                                                 [&] { m.RecordError(u" \t\r\n"_s); }}) {
        clear();
        EXPECT_TRUE(m.MessageCodes().isEmpty());
        EXPECT_TRUE(m.MessageTexts().isEmpty());
        m.RecordError(u"连线失败"_s);
        EXPECT_EQ(m.MessageTexts(), u"连线失败; "_s) << "a text seen before the reset counts as new";
    }
}

TEST_F(MessagePathTest, NothingIsRecordedOrShownWhileTheUserLeavesThroughCancel) {
    Form();
    TDialogScript script;
    auto& m = Messages();
    m.RecordError(u"before"_s);
    FForm->btnCancel->SetFocus();
    ASSERT_EQ(FForm->ActiveControl(), FForm->btnCancel);
    m.ShowMessageCode(u"E;000037"_s);
    m.RecordError(u"while leaving"_s);
    m.ShowMessageCode(QString());
    m.RecordError(QString());
#if KV_EDITION >= 9
    EXPECT_EQ(m.MessageCodes(), u"E;-1; "_s);
    EXPECT_EQ(m.MessageTexts(), u"before; "_s);
    EXPECT_TRUE(script.Shown.empty());
#else
    // The earlier edition reports while leaving too (the last two calls clear).
    EXPECT_TRUE(m.MessageCodes().isEmpty());
    EXPECT_EQ(script.Shown.size(), 1u);
#endif
    // Elsewhere the path works again.
    FForm->edName->SetFocus();
    m.ShowMessageCode(u"E;000037"_s);
    EXPECT_EQ(script.Shown.size(), KV_EDITION >= 9 ? 1u : 2u);
}

// ---- by id ----------------------------------------------------------------------------------

TEST_F(MessagePathTest, MessagesByIdTakeTheKindsTypeAndButtonsOrTheCallers) {
    const struct {
        const char* kind;
        TMsgDlgButtons buttons;
        const char* press;
        TMsgDlgType type;
        std::vector<QString> offered;
        TModalResult result;
    } cases[] = {
        {"C", 0, "Cancel", mtWarning, Names({"OK", "Cancel"}), mrCancel},
        {"D", 0, "No", mtWarning, Names({"Yes", "No", "Cancel"}), mrNo},
        {"E", 0, "OK", mtError, Names({"OK"}), mrOk},
        {"I", 0, "OK", mtInformation, Names({"OK"}), mrOk},
        {"Q", 0, "OK", mtConfirmation, Names({"OK", "Cancel"}), mrOk},
        {"W", 0, "Cancel", mtWarning, Names({"OK", "Cancel"}), mrCancel},
        {"R", 0, "OK", mtCustom, Names({"OK"}), mrOk},
        {"Q", mbYesNo, "Yes", mtConfirmation, Names({"Yes", "No"}), mrYes},
        {"E", mbAbortRetryIgnore, "Retry", mtError, Names({"Abort", "Retry", "Ignore"}), mrRetry},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " pressing " + c.press);
        Form();
        TDialogScript script(QString::fromLatin1(c.press));
        EXPECT_EQ(Messages().ShowMessageById(QString::fromLatin1(c.kind), u"000002"_s, {}, -1, c.buttons), c.result);
        ASSERT_EQ(script.Shown.size(), 1u);
        EXPECT_EQ(script.Shown[0].Type, c.type);
        EXPECT_EQ(script.Shown[0].ButtonNames, c.offered);
        EXPECT_EQ(script.Shown[0].Text, QString::fromLatin1(c.kind) + u"/000002"_s);
        EXPECT_TRUE(Messages().MessageCodes().isEmpty()) << "messages by id are not logged";
    }
}

TEST_F(MessagePathTest, MessagesByIdUseTheParametersUpToTheLastIndex) {
    const std::vector<Variant> params{Variant("2004/13/45"), Variant(u"日期"_s.toStdString()), Variant("extra")};
    const struct {
        int lastIndex;
        const char* text;
    } cases[] = {
        {1, "2004/13/45 不是有效的日期"},
        {2, "2004/13/45 不是有效的日期"},  // one left over
        {9, "2004/13/45 不是有效的日期"},  // past the array: what is there
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastIndex);
        Form();
        TDialogScript script;
        Messages().ShowMessageById(u"E"_s, u"000005"_s, params, c.lastIndex);
        ASSERT_EQ(script.Shown.size(), 1u);
        EXPECT_EQ(script.Shown[0].Text, QString::fromUtf8(c.text));
    }
    // Too few for the text: the fallback lists the ones given.
    const struct {
        int lastIndex;
        QStringList shown;
    } shortCases[] = {{0, {u"2004/13/45"_s}}, {-1, {}}};
    for (const auto& c : shortCases) {
        SCOPED_TRACE(c.lastIndex);
        Form();
        TDialogScript script;
        Messages().ShowMessageById(u"E"_s, u"000005"_s, params, c.lastIndex);
        ASSERT_EQ(script.Shown.size(), 1u);
        EXPECT_EQ(script.Shown[0].Text, Fallback(u"%s 不是有效的%s"_s, c.shown, c.lastIndex + 1));
    }
}

// ---- the catalogue ---------------------------------------------------------------------------

TEST_F(MessagePathTest, WithoutACatalogueTheKindAndIdAreShown) {
    const struct {
        const char* what;
        Variant host;
    } cases[] = {
        {"no host object", Variant()},
        {"not an automation object", Variant("FenmorWorkCenter.Manager")},
        {"no GetMessage member", Variant(DispatchPtr(std::make_shared<TNoCatalogue>()))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Form();
        FForm->HostObject = c.host;
        TDialogScript script;
        EXPECT_EQ(Messages().MessageText(u"E"_s, u"000037"_s), u"Can not Get Message\rType= E, ID= 000037 "_s);
        Messages().ShowMessageCode(u"I;000004;J7"_s);
        ASSERT_EQ(script.Shown.size(), 1u);
        // The fallback has no placeholder of its own left: the job number is not lost.
        EXPECT_EQ(script.Shown[0].Text, u"Can not Get Message\rType= I, ID= 000004 "_s);
        EXPECT_EQ(Messages().MessageCodes(), u"I;000004;J7; "_s);
    }
}

TEST_F(MessagePathTest, CatalogueTextsComeFromTheDatabaseEncoding) {
    // A Big5 database under a GB interface: the catalogue's traditional texts
    // (as text or as Big5 bytes) reach the user in simplified characters.
    Configure("936", "950", "936");
    Form();
    ASSERT_EQ(FForm->KvConverter->DBConvertKind(), ckBig5ToGB);
    FCatalogue->Texts["E/000006"] = S(u"無法連線應用伺服器"_s);
    FCatalogue->Texts["E/000013"] = Variant::Bytes("\xad\xfb\xa4\x75");  // 員工 in code page 950
    EXPECT_EQ(Messages().MessageText(u"E"_s, u"000006"_s), u"无法连线应用伺服器"_s);
    EXPECT_EQ(Messages().MessageText(u"E"_s, u"000013"_s), u"员工"_s);
}

// ---- the dialog ------------------------------------------------------------------------------

TEST_F(MessagePathTest, ButtonCaptionsAndFontFollowTheInterfaceCodePage) {
    const struct {
        const char* ui;
        const char* system;
        std::vector<QString> captions;  // Yes, No, Cancel, then Abort, Retry, Ignore, All, NoToAll, YesToAll, Help
        int charset;
    } cases[] = {
        {"936", "936",
         {u"是(&Y)"_s, u"否(&N)"_s, u"确定"_s, u"取消"_s, u"中断(&A)"_s, u"重试(&R)"_s, u"忽略(&I)"_s, u"全部(&A)"_s,
          u"全否(&o)"_s, u"全是(&A)"_s, u"帮助(&H)"_s},
         134},
        {"950", "936",
         {u"是(&Y)"_s, u"否(&N)"_s, u"確定"_s, u"取消"_s, u"中斷(&A)"_s, u"重試(&R)"_s, u"忽略(&I)"_s, u"全部(&A)"_s,
          u"全否(&o)"_s, u"全是(&A)"_s, u"幫助(&H)"_s},
         136},
        // An English interface keeps the platform's own captions.
        {"437", "437",
         {u"&Yes"_s, u"&No"_s, u"OK"_s, u"Cancel"_s, u"&Abort"_s, u"&Retry"_s, u"&Ignore"_s, u"&All"_s, u"N&o to All"_s,
          u"Yes to &All"_s, u"&Help"_s},
         134},
    };
    TMsgDlgButtons all = 0;
    for (int b = mbYes; b <= mbHelp; ++b) all |= MsgDlgButton(static_cast<TMsgDlgBtn>(b));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ui);
        Configure(c.ui, "936", c.system);
        Form();
        TDialogScript script(u"Ignore"_s);
        EXPECT_EQ(Messages().ShowDialog(u"检查完毕"_s, mtConfirmation, all), mrIgnore);
        ASSERT_EQ(script.Shown.size(), 1u);
        const TShownDialog& d = script.Shown[0];
        EXPECT_EQ(d.ButtonNames, Names({"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll",
                                        "YesToAll", "Help"}));
        EXPECT_EQ(d.ButtonCaptions, c.captions);
        EXPECT_EQ(d.Caption, u"员工薪资报表[测试公司]"_s);
        EXPECT_EQ(d.Text, u"检查完毕"_s) << "no blanks added to the text";
        EXPECT_EQ(d.FontName, u"SimSun"_s);
        EXPECT_EQ(d.FontCharset, c.charset);
    }
}

TEST_F(MessagePathTest, WithoutAConverterTheDialogIsShownInGB) {
    Form(false);
    TDialogScript script;
    Messages().ShowMessageCode(u"E;000037"_s);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].ButtonCaptions, std::vector<QString>{u"确定"_s});
    EXPECT_EQ(script.Shown[0].FontCharset, 134);
}

TEST_F(MessagePathTest, WhilePagesChangeOnlyErrorsAreShown) {
    const struct {
        TMsgDlgType type;
        bool shown;
    } cases[] = {
        {mtWarning, false}, {mtInformation, false}, {mtConfirmation, false}, {mtCustom, false}, {mtError, true},
    };
    Form();
    TDialogScript script;
    Messages().SetPageChanging(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        script.Shown.clear();
        EXPECT_EQ(Messages().ShowDialog(u"日期错误"_s, c.type, MsgDlgButton(mbOK)), c.shown ? mrOk : mrNone);
        EXPECT_EQ(script.Shown.size(), c.shown ? 1u : 0u);
    }
    // A warning by code is still recorded; an error by code is shown.
    script.Shown.clear();
    Messages().ShowMessageCode(u"W;000014"_s);
    Messages().ShowMessageCode(u"E;000037"_s);
    EXPECT_EQ(Messages().MessageCodes(), u"W;000014; E;000037; "_s);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Type, mtError);

    Messages().SetPageChanging(false);
    EXPECT_EQ(Messages().ShowDialog(u"日期错误"_s, mtWarning, MsgDlgButton(mbOK)), mrOk);
}

// ---- focus and mouse capture after a dialog --------------------------------------------------

TEST_F(MessagePathTest, FocusChangesAreRememberedAndErrorsGiveTheFocusBack) {
    {
        auto* fresh = TForm::Create<TMessageProbeForm>(false);
        EXPECT_EQ(fresh->Messages.LastFocused(), fresh) << "the form itself before any focus change";
        fresh->Free();
    }
    auto& form = Form();
    EXPECT_EQ(Messages().LastFocused(), form.edDate) << "showing focused the first control";
    form.edName->SetFocus();
    EXPECT_EQ(Messages().LastFocused(), form.edName);
    form.edDate->SetFocus();
    EXPECT_EQ(Messages().LastFocused(), form.edDate);

    const struct {
        const char* what;
        TMsgDlgType type;
        bool nameUsable;
        TWinControl* focusAfter;
    } cases[] = {
        {"error", mtError, true, form.edName},
        {"warning", mtWarning, true, form.edDate},
        {"information", mtInformation, true, form.edDate},
        {"error, remembered control disabled", mtError, false, form.edDate},
    };
    TDialogScript script;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form.edDate->SetFocus();
        // The check that raised the message remembered another control.
        Messages().SetLastFocused(form.edName);
        form.edName->SetEnabled(c.nameUsable);
        Messages().ShowDialog(u"日期错误"_s, c.type, MsgDlgButton(mbOK));
        EXPECT_EQ(form.ActiveControl(), c.focusAfter);
        form.edName->SetEnabled(true);
    }

    // A remembered control that is gone is forgotten, not focused.
    Messages().SetLastFocused(form.edName);
    delete form.edName;
    form.edName = nullptr;
    EXPECT_EQ(Messages().LastFocused(), nullptr);
    Messages().ShowDialog(u"日期错误"_s, mtError, MsgDlgButton(mbOK));
    EXPECT_EQ(form.ActiveControl(), form.edDate);
}

TEST_F(MessagePathTest, TheActiveControlGetsALeftButtonReleaseAfterTheDialog) {
    auto& form = Form();
    std::vector<TMouseButton> ups;
    form.edDate->OnMouseUp = [&](TObject*, TMouseButton button, TShiftState, int, int) { ups.push_back(button); };
    form.edDate->SetFocus();
    TDialogScript script;
    Messages().ShowMessageCode(u"W;000014"_s);
    EXPECT_EQ(form.Released, std::vector<TWinControl*>{form.edDate});
    EXPECT_TRUE(ups.empty()) << "posted, not sent";
    Application()->ProcessMessages();
    EXPECT_EQ(ups, std::vector<TMouseButton>{mbLeft});

    // Nothing to release when nothing was shown.
    Messages().SetPageChanging(true);
    Messages().ShowMessageCode(u"W;000014"_s);
    EXPECT_EQ(form.Released.size(), 1u);
}

}  // namespace
}  // namespace kv

// The work-center object: its properties and services, help and module listings,
// and its creation by ProgID through the registry file.
#include <QDateTime>
#include <QFileInfo>
#include <QUrl>

#include "WorkCenterTestSupport.h"

namespace kv::test {
namespace {

class WorkCenterManagerTest : public WorkCenterFixture {};

TEST_F(WorkCenterManagerTest, PropertiesAndServices) {
    options.ProductID = 5;
    options.VersionType = 3;
    EXPECT_EQ(Manager().Get("VersionType"), Variant(std::int32_t{3}));
    EXPECT_EQ(Manager().Get("productid"), Variant(std::int32_t{5}));  // late binding ignores case
    std::vector<Variant> none;
    EXPECT_EQ(Manager().ToDispatch()->Invoke("ProductID", InvokeKind::Method, none), Variant(std::int32_t{5}));
    for (const char* service : {"Com_Counter", "Com_Validator", "Com_F2Window"}) {
        const Variant first = Manager().Get(service);
        ASSERT_EQ(first.Type(), VarType::Dispatch) << service;
        EXPECT_EQ(Manager().Get(service), first) << service << " is one object";
    }
    EXPECT_THROW(Manager().Get("Com_Printer"), EOleError);
    EXPECT_THROW(Manager().Set("VersionType", Variant(std::int32_t{9})), EOleError);
    EXPECT_THROW(Counter().Call("GetSysInfo"), EOleError);
    EXPECT_THROW(Validator().Call("Delete", "TAXMA"), EOleError);
    EXPECT_THROW(F2Window().Get("F2GetData"), EOleError);
}

TEST_F(WorkCenterManagerTest, CallHelpOpensTheProgramsHelpPage) {
    WriteFile(Path("help/HRW/12070000.html"), "<html>payroll help</html>");
    WriteFile(Path("help/63010000.htm"), "<html>shared</html>");
    EXPECT_EQ(Manager().Call("CallHelp", Texts({"HRW", "12070000"})), Variant(true));
    EXPECT_EQ(Manager().Call("CallHelp", Texts({"hrw", "12070000"})), Variant(true));  // folder in either case
    EXPECT_EQ(Manager().Call("CallHelp", Texts({"ADM", "63010000"})), Variant(true));  // shared folder
    EXPECT_EQ(Manager().Call("CallHelp", Texts({"HRW", "19990000"})), Variant(false));
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(QUrl(QString::fromStdString(opened[0])).toLocalFile(), QFileInfo(Path("help/HRW/12070000.html")).absoluteFilePath());
    EXPECT_EQ(QUrl(QString::fromStdString(opened[2])).toLocalFile(), QFileInfo(Path("help/63010000.htm")).absoluteFilePath());
    for (const Variant& bad : {Texts({"..", "12070000"}), Texts({"HRW", "../../etc/passwd"}), Texts({"HRW"}), Variant("HRW")})
        EXPECT_THROW(Manager().Call("CallHelp", bad), EOleError) << DebugString(bad);
    EXPECT_EQ(opened.size(), 3u);
}

TEST_F(WorkCenterManagerTest, GetFileListDescribesTheCentralCopy) {
    WriteFile(Path("update/hrwr07s.so.zip"), "PK");
    const QFileInfo zip(Path("update/hrwr07s.so.zip"));
    const std::string expected = "<Modify>" +
                                 S(zip.lastModified().toUTC().toString(QStringLiteral("yyyy-MM-ddThh:mm:ssZ"))) +
                                 "</Modify><Path>" + S(zip.absoluteFilePath()) + "</Path>";
    EXPECT_EQ(Manager().Call("GetFileList", Texts({"hrwr07s.so"})), Variant(expected));
    EXPECT_EQ(Manager().Call("GetFileList", Texts({"hrwr01s.so"})), Variant(""));
    for (const char* bad : {"../hrwr07s.so", "/etc/passwd", "", "a/b.so"})
        EXPECT_THROW(Manager().Call("GetFileList", Texts({bad})), EOleError) << bad;
    options.UpdateFolder.clear();
    manager = Variant();
    ScopedEnv env("KVN_UPDATE_DIR", std::nullopt);
    EXPECT_EQ(Manager().Call("GetFileList", Texts({"hrwr07s.so"})), Variant(""));
}

// A dialog outside the plug-in creates the object by its class name; the registry
// file names the library.
TEST_F(WorkCenterManagerTest, CreateOleObjectLoadsTheModuleThroughTheRegistry) {
    WriteFile(Path("registry.reg"),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CLASSES_ROOT\\FenmorWorkCenter.Manager]\r\n"
              "\"Library\"=\"FenmorWorkCenter.so\"\r\n");
    WriteFile(Path("answers.txt"), "lookup rows=1\n");
    ScopedEnv registry("KVN_REGISTRY", S(Path("registry.reg")));
    ScopedEnv libraries("KVN_LIBRARY_PATH", BinDir());
    ScopedEnv database("KVN_SAMPLE_DB", S(Path("so/FenmorSample.sqlite")));
    ScopedEnv language("KVN_LANGUAGE", "cht");
    ScopedEnv script("KVN_HOST_SCRIPT", S(Path("answers.txt")));

    const Variant host = CreateOleObject("FenmorWorkCenter.Manager");
    ASSERT_EQ(host.Type(), VarType::Dispatch);
    EXPECT_EQ(host.Call("GetMessage", "R", "100236"), Variant("簽核"));
    Variant row;
    EXPECT_EQ(host.Get("Com_Validator").Call("QueryData", "ADMMB", "01", "DEMO", Texts({"HRWR07"}), row), Variant(true));
    EXPECT_EQ(Col(row, 0), "薪资明细表");
    EXPECT_TRUE(QFileInfo::exists(Path("so/FenmorSample.sqlite")));
    const Variant lookup = host.Get("Com_F2Window");
    std::vector<Variant> request = {Variant("TAXMA"), Variant("01"), Variant(""), Variant(false), Variant("")};
    request.resize(19);
    EXPECT_EQ(Col(lookup.Call("F2GetData", Variant::ArrayOf(request))[0], 0), "C02");
    EXPECT_TRUE(lookup.Call("F2GetData", Variant::ArrayOf(request)).IsEmpty());  // no answer left: cancelled
    EXPECT_THROW(CreateOleObject("FenmorWorkCenter.Nothing"), EOleError);
}

}  // namespace
}  // namespace kv::test

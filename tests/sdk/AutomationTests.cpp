#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "kv/Automation.h"
#include "kv/Variant.h"

namespace kv {
namespace {

class NamedObject : public IDispatchObject {
public:
    explicit NamedObject(std::string name) : name_(std::move(name)) {}
    Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>&) override {
        if (member == "Name" && kind == InvokeKind::Get) return name_;
        throw EOleError("Unknown name: " + member);
    }

private:
    std::string name_;
};

std::string ErrorOf(const std::string& progId) {
    try {
        CreateOleObject(progId);
    } catch (const EOleError& e) {
        return e.what();
    }
    return "(created)";
}

// Each test gets a registry file of its own that names the test library for the
// test ProgIDs, and a library path that holds the library under its Windows name.
class CreateOleObjectTest : public ::testing::Test {
protected:
    void WriteRegistry(const std::string& body) {
        dir.Write("registry.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + body);
    }
    void RegisterTestClasses() {
        std::string body;
        for (const char* id : {"KvTest.Object", "KvTest.Inner", "KvTest.Recursive", "KvTest.Throws",
                               "KvTest.NotAnObject", "KvTest.Unknown"})
            body += std::string("[HKEY_CLASSES_ROOT\\") + id + "]\r\n\"Library\"=\"TestObj.dll\"\r\n";
        body += "[HKEY_CLASSES_ROOT\\KvTest.Missing]\r\n\"Library\"=\"NoSuchLibrary.dll\"\r\n";
        body += "[HKEY_CLASSES_ROOT\\KvTest.NoExport]\r\n\"Library\"=\"libm.so.6\"\r\n";
        body += "[HKEY_CLASSES_ROOT\\KvTest.NoLibrary]\r\n\"Other\"=\"x\"\r\n";
        WriteRegistry(body);
    }

    test::TempDir dir;
    test::ScopedEnv registry{"KVN_REGISTRY", dir.File("registry.reg")};
    test::ScopedEnv libraryPath{"KVN_LIBRARY_PATH", std::filesystem::path(KV_SDK_TESTOBJ).parent_path().string()};
};

TEST_F(CreateOleObjectTest, UsesTheModulesOwnClassTableFirst) {
    RegisterOleClass("Local.Thing", [] { return Variant(std::make_shared<NamedObject>("local")); });
    for (const char* id : {"Local.Thing", "local.thing", "LOCAL.THING"})
        EXPECT_EQ(CreateOleObject(id).Get("Name"), Variant("local")) << id;
    // A registered class wins over the registry.
    RegisterOleClass("KvTest.Object", [] { return Variant(std::make_shared<NamedObject>("in process")); });
    RegisterTestClasses();
    EXPECT_EQ(CreateOleObject("KvTest.Object").Get("Name"), Variant("in process"));
    // An empty factory takes the class out again.
    RegisterOleClass("KvTest.Object", nullptr);
    RegisterOleClass("Local.Thing", nullptr);
    EXPECT_EQ(CreateOleObject("KvTest.Object").Get("Kind"), Variant("object"));
    EXPECT_NE(ErrorOf("Local.Thing").find("Local.Thing"), std::string::npos);
}

TEST_F(CreateOleObjectTest, CreatesFromTheLibraryTheRegistryNames) {
    RegisterTestClasses();
    const Variant object = CreateOleObject("kvtest.object");
    ASSERT_EQ(object.Type(), VarType::Dispatch);
    EXPECT_EQ(object.Get("Kind"), Variant("object"));
    EXPECT_EQ(object.Call("Twice", 21), Variant(42));
    // The library keeps its own class table, apart from this module's.
    EXPECT_EQ(CreateOleObject("KvTest.Inner").Get("Kind"), Variant("inner"));
    WriteRegistry("");
    EXPECT_NE(ErrorOf("KvTest.Inner").find("KvTest.Inner"), std::string::npos);
}

TEST_F(CreateOleObjectTest, UnknownClassesAndBrokenLibrariesRaiseEOleError) {
    RegisterTestClasses();
    struct Case {
        const char* progId;
        const char* inMessage;
    };
    const Case cases[] = {
        {"Nobody.Knows", "Invalid class string: Nobody.Knows"},
        {"KvTest.NoLibrary", "Invalid class string: KvTest.NoLibrary"},
        {"KvTest.Unknown", "Invalid class string: KvTest.Unknown"},  // the library says no
        {"KvTest.Missing", "NoSuchLibrary.dll"},
        {"KvTest.NoExport", "does not export KvCreateObject"},
        {"KvTest.Throws", "the factory failed"},
        {"KvTest.NotAnObject", "no automation object"},
        // The library answers by asking for the same class again: an error, not an
        // endless recursion.
        {"KvTest.Recursive", "KvTest.Recursive"},
        {"", "Invalid class string"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progId);
        const std::string error = ErrorOf(c.progId);
        EXPECT_NE(error.find(c.inMessage), std::string::npos) << error;
    }
}

TEST_F(CreateOleObjectTest, AMissingRegistryFileIsAnUnknownClass) {
    const std::string error = ErrorOf("KvTest.Object");
    EXPECT_NE(error.find("Invalid class string: KvTest.Object"), std::string::npos) << error;
    EXPECT_NE(error.find(dir.File("registry.reg")), std::string::npos) << error;
}

}  // namespace
}  // namespace kv

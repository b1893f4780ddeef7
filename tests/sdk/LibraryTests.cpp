#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "kv/Library.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

// The automation library built for these tests, outside the test program's folder.
const std::string kTestObj = KV_SDK_TESTOBJ;

std::string CopyTestObj(const test::TempDir& dir, const std::string& fileName) {
    const std::string target = dir.File(fileName);
    fs::create_directories(fs::path(target).parent_path());
    fs::copy_file(kTestObj, target, fs::copy_options::overwrite_existing);
    return target;
}

// Which file a loaded handle came from.
std::string LoadedFrom(void* handle) {
    return ModuleFileName(GetProcAddress(handle, "KvCreateObject"));
}

TEST(LibraryFileName, MapsWindowsNamesToSharedObjects) {
    const std::pair<const char*, const char*> cases[] = {
        {"Vizudiziva.dll", "Vizudiziva.so"},
        {"HRWR07S.DLL", "HRWR07S.so"},
        {"KVDownLoad.Dll", "KVDownLoad.so"},
        {"ReportCounterS", "ReportCounterS.so"},
        {"ReportCounterS.so", "ReportCounterS.so"},
        {"libm.so.6", "libm.so.6"},
        {"/opt/kvn/bin/X.dll", "/opt/kvn/bin/X.so"},
        {"bin\\Tools\\X.DLL", "bin/Tools/X.so"},
        {"/opt/v1.2/Lib", "/opt/v1.2/Lib.so"},  // a dot in a folder is no extension
        {"my.dll.bak", "my.dll.bak"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(LibraryFileName(in), out) << in;
}

TEST(LibrarySearch, ModuleFolderFirstThenTheEnvironment) {
    const std::string exeFolder = fs::canonical("/proc/self/exe").parent_path().string();
    {
        test::ScopedEnv env("KVN_LIBRARY_PATH", "/a/one::/b/two:");
        EXPECT_EQ(LibrarySearchFolders(), (std::vector<std::string>{exeFolder, "/a/one", "/b/two"}));
    }
    test::ScopedEnv env("KVN_LIBRARY_PATH", std::nullopt);
    EXPECT_EQ(LibrarySearchFolders(), std::vector<std::string>{exeFolder});
}

TEST(ModuleFileName, GivesAbsolutePathsOfLoadedModules) {
    EXPECT_EQ(ModuleFileName(reinterpret_cast<const void*>(&LoadedFrom)), fs::canonical("/proc/self/exe").string());
    EXPECT_EQ(ModuleFileName(nullptr), "");
    int onTheStack = 0;
    EXPECT_EQ(ModuleFileName(&onTheStack), "");
    EXPECT_EQ(GetProcAddress(nullptr, "KvCreateObject"), nullptr);
}

class LoadLibraryByNameTest : public ::testing::Test {
protected:
    test::TempDir first, second;
};

TEST_F(LoadLibraryByNameTest, FindsAWindowsNameThroughTheLibraryPath) {
    const std::string path = CopyTestObj(first, "TestObj.so");
    {
        test::ScopedEnv env("KVN_LIBRARY_PATH", std::nullopt);
        std::string error;
        EXPECT_EQ(LoadLibraryByName("TestObj.dll", &error), nullptr);
        EXPECT_NE(error.find("TestObj.dll"), std::string::npos) << error;
        EXPECT_EQ(LastLoadError(), error);
    }
    test::ScopedEnv env("KVN_LIBRARY_PATH", first.Path());
    void* handle = LoadLibraryByName("TestObj.dll");
    ASSERT_NE(handle, nullptr) << LastLoadError();
    EXPECT_EQ(LastLoadError(), "");
    EXPECT_NE(GetProcAddress(handle, "KvCreateObject"), nullptr);
    EXPECT_EQ(GetProcAddress(handle, "NoSuchExport"), nullptr);
    EXPECT_EQ(LoadedFrom(handle), fs::canonical(path).string());
}

TEST_F(LoadLibraryByNameTest, TheFirstFolderThatHoldsTheFileWins) {
    const std::string inFirst = CopyTestObj(first, "Order.so");
    CopyTestObj(second, "Order.so");
    const std::string onlyInSecond = CopyTestObj(second, "Second.so");
    test::ScopedEnv env("KVN_LIBRARY_PATH", first.Path() + ":" + second.Path());
    EXPECT_EQ(LoadedFrom(LoadLibraryByName("Order.DLL")), fs::canonical(inFirst).string());
    EXPECT_EQ(LoadedFrom(LoadLibraryByName("Second")), fs::canonical(onlyInSecond).string());
}

TEST_F(LoadLibraryByNameTest, AcceptsANameThatDiffersOnlyInCase) {
    const std::string exact = CopyTestObj(first, "MixedCase.so");
    const std::string upper = CopyTestObj(second, "UPPERCASE.SO");
    test::ScopedEnv env("KVN_LIBRARY_PATH", first.Path() + ":" + second.Path());
    EXPECT_EQ(LoadedFrom(LoadLibraryByName("uppercase.dll")), fs::canonical(upper).string());
    EXPECT_EQ(LoadedFrom(LoadLibraryByName("MIXEDCASE.dll")), fs::canonical(exact).string());
    // A relative name with a folder part is looked up inside each search folder.
    const std::string nested = CopyTestObj(second, "sub/Nested.so");
    EXPECT_EQ(LoadedFrom(LoadLibraryByName("sub\\nested.DLL")), fs::canonical(nested).string());
}

TEST_F(LoadLibraryByNameTest, AbsolutePathsAreLoadedAsTheyStand) {
    const std::string path = CopyTestObj(first, "Absolute.so");
    test::ScopedEnv env("KVN_LIBRARY_PATH", std::nullopt);
    EXPECT_EQ(LoadedFrom(LoadLibraryByName(first.File("Absolute.DLL"))), fs::canonical(path).string());
    EXPECT_EQ(LoadedFrom(LoadLibraryByName(first.File("absolute.so"))), fs::canonical(path).string());
    EXPECT_EQ(LoadLibraryByName(second.File("Absolute.dll")), nullptr);
}

TEST_F(LoadLibraryByNameTest, FallsBackToTheSystemLoaderPath) {
    test::ScopedEnv env("KVN_LIBRARY_PATH", first.Path());
    void* libm = LoadLibraryByName("libm.so.6");
    ASSERT_NE(libm, nullptr) << LastLoadError();
    EXPECT_NE(GetProcAddress(libm, "cos"), nullptr);
}

TEST_F(LoadLibraryByNameTest, AFileThatIsNoLibraryStopsTheSearchWithItsError) {
    first.Write("Broken.so", "this is not an ELF file");
    CopyTestObj(second, "Broken.so");
    test::ScopedEnv env("KVN_LIBRARY_PATH", first.Path() + ":" + second.Path());
    std::string error;
    EXPECT_EQ(LoadLibraryByName("Broken.dll", &error), nullptr);
    EXPECT_NE(error.find(first.File("Broken.so")), std::string::npos) << error;
    EXPECT_EQ(LoadLibraryByName("", &error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kv

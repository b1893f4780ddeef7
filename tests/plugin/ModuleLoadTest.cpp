// The built module, loaded the way a host loads it: by path, through its one
// export, without any of the plug-in's code linked in.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "kv/Controller.h"

namespace {

const std::string kModulePath = std::string(KV_BIN_DIR) + "/HRWR07C.so";

class ModuleLoadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Never closed, as a host keeps its plug-ins.
        handle_ = dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_) getController_ = reinterpret_cast<GetControllerFn>(dlsym(handle_, "GetController"));
    }

    void SetUp() override {
        ASSERT_NE(handle_, nullptr) << kModulePath << ": " << dlerror();
        ASSERT_NE(getController_, nullptr);
    }

    std::unique_ptr<kv::TDLLBaseController> NewController() {
        return std::unique_ptr<kv::TDLLBaseController>(getController_());
    }

    static inline void* handle_ = nullptr;
    static inline GetControllerFn getController_ = nullptr;
};

TEST_F(ModuleLoadTest, EachGetControllerGivesANewControllerWithNeutralResults) {
    auto first = NewController();
    auto second = NewController();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    for (kv::TDLLBaseController* c : {first.get(), second.get()}) {
        EXPECT_EQ(c->ResultCode, 0);
        EXPECT_TRUE(c->ResultData.IsEmpty());
        EXPECT_TRUE(c->IsFormFreed());
        EXPECT_EQ(c->GetVersion(), "");
        EXPECT_EQ(c->GetVisible(), kv::WordFalse);
        EXPECT_EQ(c->GetHandle(), kv::WindowHandle{0});
        EXPECT_EQ(c->ShowFormModal().ToInt(), 2);
        kv::Variant info("untouched");
        EXPECT_EQ(c->GetInfo(info), -1);
        EXPECT_EQ(info, kv::Variant("untouched"));
        EXPECT_EQ(c->ApplyRequest(kv::Variant::ArrayOf({0, 0})), -1);
        EXPECT_EQ(c->Notify(5, 0, kv::Variant::ArrayOf({0})), -1);
    }
}

TEST_F(ModuleLoadTest, InitializeReportsTheUnregisteredFormClassToTheHost) {
    auto controller = NewController();
    std::set<std::int32_t> events;
    controller->OnEvent = [&](std::int32_t code, kv::TDLLBaseController*) { events.insert(code); };
    try {
        controller->Initialize(kv::Variant::ArrayOf({"796", "SDTest60", "SDTest60", std::int32_t{0}, ""}));
        FAIL() << "Initialize succeeded without a form class";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "KVN DLL Internal Error :\rNot Assign \"frmBaseGeneClass\" varible");
    }
    EXPECT_TRUE(controller->IsFormFreed());
    EXPECT_TRUE(events.empty());
}

TEST_F(ModuleLoadTest, OnlyGetControllerIsExported) {
    // Names that exist inside the module and must stay there.
    for (const char* internal : {"_ZN2kv18DLLControllerClassE", "_ZN2kv16frmBaseGeneClassE",
                                 "_ZN2kv20InitDLLRPCtrllerUnitEv", "_ZN2kv6Variant7ArrayOfESt16initializer_listIS0_E"}) {
        EXPECT_EQ(dlsym(handle_, internal), nullptr) << internal;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> nm(popen(("nm -D --defined-only '" + kModulePath + "' 2>/dev/null").c_str(), "r"),
                                             pclose);
    if (!nm) GTEST_SKIP() << "nm cannot be run";
    std::set<std::string> exported;
    char line[1024];
    while (fgets(line, sizeof line, nm.get())) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) exported.insert(name);
    }
    if (pclose(nm.release()) != 0 && exported.empty()) GTEST_SKIP() << "nm is not available";
    EXPECT_EQ(exported, std::set<std::string>{"GetController"});
}

}  // namespace

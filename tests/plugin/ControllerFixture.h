// A report controller with the stand-in form class registered, and a journal
// in which the form's calls and the host's events appear in the order they came.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestOptionForm.h"
#include "plugin/DLLRPCtrller.h"

namespace kv::test {

// Swaps the module's form class for the test's and puts the old one back.
class ScopedFormClass {
public:
    explicit ScopedFormClass(TFormClass replacement) : saved_(frmBaseGeneClass) {
        frmBaseGeneClass = std::move(replacement);
    }
    ~ScopedFormClass() { frmBaseGeneClass = saved_; }
    ScopedFormClass(const ScopedFormClass&) = delete;
    ScopedFormClass& operator=(const ScopedFormClass&) = delete;

private:
    TFormClass saved_;
};

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest()
        : formClass_(TFormClass{"TTestOptionForm", [this]() -> IOptionForm* {
              ++FormsCreated;
              return new TestOptionForm(Log, Script);
          }}) {}

    void SetUp() override {
        Controller = std::make_unique<TDLLRPCtrller>();
        Controller->OnEvent = [this](std::int32_t code, TDLLBaseController* sender) {
            Log.push_back("host." + std::to_string(code));
            Senders.push_back(sender);
        };
    }

    void TearDown() override {
        Controller.reset();
        EXPECT_TRUE(TestOptionForm::Live().empty()) << "a form outlived its controller";
    }

    static Variant HostParams() { return Variant::ArrayOf({"796", "SDTest60", "SDTest60", std::int32_t{0}, ""}); }

    // Initialize with the usual parameters; the form the controller now holds.
    TestOptionForm& InitializedForm() {
        EXPECT_EQ(Controller->Initialize(HostParams()), 0);
        return HeldForm();
    }
    TestOptionForm& HeldForm() {
        auto* form = dynamic_cast<TestOptionForm*>(Controller->Form);
        if (!form) throw std::logic_error("the controller holds no form");
        return *form;
    }

    std::vector<std::string> HostEvents() const {
        std::vector<std::string> events;
        for (const auto& entry : Log)
            if (entry.rfind("host.", 0) == 0) events.push_back(entry);
        return events;
    }

    Journal Log;
    FormScript Script;
    int FormsCreated = 0;
    std::vector<TDLLBaseController*> Senders;
    std::unique_ptr<TDLLRPCtrller> Controller;

private:
    ScopedFormClass formClass_;
};

}  // namespace kv::test

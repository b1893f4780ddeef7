#include <gtest/gtest.h>

#include <memory>

#include "kv/Controller.h"
#include "plugin/DLLBaseCtrller.h"
#include "plugin/DLLRPCtrller.h"

namespace kv {
namespace {

// Restores the controller class a test changes.
class ControllerClassTest : public ::testing::Test {
protected:
    void TearDown() override { DLLControllerClass = saved_; }

private:
    TControllerClass saved_ = DLLControllerClass;
};

TEST_F(ControllerClassTest, GetControllerWithoutAClassRaisesTheControllerClassError) {
    DLLControllerClass = TControllerClass{};
    try {
        delete GetController();
        FAIL() << "GetController made a controller without a class";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "KVN DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
    }
}

TEST_F(ControllerClassTest, TheUnitRegistersTheReportControllerAndEachCallMakesANewOne) {
    DLLControllerClass = TControllerClass{};
    InitDLLRPCtrllerUnit();
    ASSERT_TRUE(DLLControllerClass);
    std::unique_ptr<TDLLBaseController> first(GetController());
    std::unique_ptr<TDLLBaseController> second(GetController());
    EXPECT_NE(first.get(), second.get());
    EXPECT_NE(dynamic_cast<TDLLRPCtrller*>(first.get()), nullptr);
    EXPECT_NE(dynamic_cast<TDLLRPCtrller*>(second.get()), nullptr);
    EXPECT_EQ(first->ResultCode, 0);
    EXPECT_TRUE(first->ResultData.IsEmpty());
}

TEST(ControllerEvents, EachEventSlotRaisesItsCodeWithTheControllerAsSender) {
    TDLLRPCtrller c;
    std::vector<std::pair<std::int32_t, TDLLBaseController*>> seen;
    c.OnEvent = [&](std::int32_t code, TDLLBaseController* sender) { seen.emplace_back(code, sender); };
    TObject someSender;
    c.DoFormCreated(&someSender);
    c.TDLLBaseController::DoFormShow(&someSender);
    c.TDLLBaseController::DoFormHide(&someSender);
    c.TDLLBaseController::DoFormDestroy(&someSender);
    c.DoSpareEvent();
    c.DoEvent(7);
    c.ReservedHook();
    const std::vector<std::pair<std::int32_t, TDLLBaseController*>> expected{
        {256, &c}, {272, &c}, {288, &c}, {304, &c}, {320, &c}, {7, &c}};
    EXPECT_EQ(seen, expected);
}

TEST(ControllerEvents, NoHandlerMeansNothingHappens) {
    TDLLRPCtrller c;
    EXPECT_NO_THROW(c.DoEvent(evFormCreated));
    EXPECT_NO_THROW(c.DoSpareEvent());
}

}  // namespace
}  // namespace kv

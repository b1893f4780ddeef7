#include <gtest/gtest.h>

#include <QFileInfo>

#include <algorithm>
#include <stdexcept>

#include "ControllerFixture.h"

namespace kv::test {
namespace {

const char* const kFormClassError = "KVN DLL Internal Error :\rNot Assign \"frmBaseGeneClass\" varible";

std::vector<std::string> Without(const Journal& log, const std::string& prefix) {
    std::vector<std::string> kept;
    std::copy_if(log.begin(), log.end(), std::back_inserter(kept),
                 [&](const std::string& e) { return e.rfind(prefix, 0) != 0; });
    return kept;
}

// --- no form -------------------------------------------------------------

TEST(ControllerWithoutForm, EverySlotGivesItsNeutralResultAndChangesNothing) {
    TDLLRPCtrller c;
    EXPECT_EQ(c.ResultCode, 0);
    EXPECT_TRUE(c.ResultData.IsEmpty());
    EXPECT_EQ(c.GetVersion(), "");
    EXPECT_EQ(c.GetVisible(), WordFalse);
    c.SetVisible(WordTrue);
    EXPECT_EQ(c.GetVisible(), WordFalse);
    EXPECT_EQ(c.GetHandle(), WindowHandle{0});
    EXPECT_EQ(c.ApplyRequest(Variant::ArrayOf({0, Variant::ArrayOf({0})})), -1);
    EXPECT_EQ(c.Notify(5, 0, Variant::ArrayOf({0})), -1);
    const Variant modal = c.ShowFormModal();
    EXPECT_EQ(modal.Type(), VarType::Int);
    EXPECT_EQ(modal.ToInt(), 2);
    c.CloseForm();
    Variant info("untouched");
    EXPECT_EQ(c.GetInfo(info), -1);
    EXPECT_EQ(info, Variant("untouched"));
    EXPECT_TRUE(c.IsFormFreed());
    EXPECT_EQ(c.ResultCode, 0);
    EXPECT_TRUE(c.ResultData.IsEmpty());
}

TEST(ControllerWithoutFormClass, InitializeRaisesTheFormClassErrorAndCreatesNoForm) {
    ScopedFormClass none{TFormClass{}};
    TDLLRPCtrller c;
    std::vector<std::int32_t> events;
    c.OnEvent = [&](std::int32_t code, TDLLBaseController*) { events.push_back(code); };
    try {
        c.Initialize(Variant::ArrayOf({"796", "SDTest60", "SDTest60", std::int32_t{0}, ""}));
        FAIL() << "Initialize accepted a missing form class";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), kFormClassError);
        EXPECT_NE(dynamic_cast<const EDLLInternalError*>(&e), nullptr);
    }
    EXPECT_TRUE(c.IsFormFreed());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(TestOptionForm::Live().empty());
}

// --- creation and life events --------------------------------------------

TEST_F(ControllerTest, InitializePreparesTheFormThenAnnouncesItThenHandsOverTheParameters) {
    Controller->HostObject = Variant("work-center");
    const Variant params = HostParams();
    ASSERT_EQ(Controller->Initialize(params), 0);

    const std::vector<std::string> expected{"form.Create", "form.SetModuleFile", "form.SetHostObject", "host.256",
                                            "form.Initialize " + DebugString(params)};
    EXPECT_EQ(Log, expected);
    TestOptionForm& form = HeldForm();
    EXPECT_EQ(form.HostObject, Variant("work-center"));
    // The module file is this code's own module: here the test executable.
    const QFileInfo module(form.ModuleFile);
    EXPECT_TRUE(module.isAbsolute()) << form.ModuleFile.toStdString();
    EXPECT_TRUE(module.isFile()) << form.ModuleFile.toStdString();
    EXPECT_EQ(module.canonicalFilePath(), QFileInfo("/proc/self/exe").canonicalFilePath());
    EXPECT_EQ(Senders, std::vector<TDLLBaseController*>{Controller.get()});
}

TEST_F(ControllerTest, LifeEventsComeInOrderWithTheControllerAsSenderAfterTheFormsOwnHandlers) {
    InitializedForm();
    Controller->SetVisible(WordTrue);
    Controller->SetVisible(WordFalse);
    Controller->CloseForm();

    const std::vector<std::string> lifeOnly = Without(Without(Log, "form.Initialize"), "form.Set");
    const std::vector<std::string> expected{"form.Create",   "host.256",      "form.FormShow",
                                            "host.272",      "form.FormHide", "host.288",
                                            "form.Destroy",  "form.FormDestroy", "host.304"};
    EXPECT_EQ(lifeOnly, expected);
    ASSERT_EQ(Senders.size(), 4u);
    for (TDLLBaseController* s : Senders) EXPECT_EQ(s, Controller.get());
}

TEST_F(ControllerTest, WithoutOwnHandlersTheHooksStillRaiseEveryEvent) {
    Script.OwnHandlers = false;
    TestOptionForm& form = InitializedForm();
    EXPECT_FALSE(Controller->SavedOnShow);
    EXPECT_FALSE(Controller->SavedOnHide);
    EXPECT_FALSE(Controller->SavedOnDestroy);
    const Variant modal = Controller->ShowFormModal();
    EXPECT_EQ(modal.ToInt(), 2);
    form.CloseItself();
    EXPECT_EQ(HostEvents(), (std::vector<std::string>{"host.256", "host.272", "host.288", "host.304"}));
}

TEST_F(ControllerTest, TheFormsOwnHandlersAreSavedAndReplacedOnce) {
    TestOptionForm& form = InitializedForm();
    EXPECT_EQ(form.HandlerAssignments, 3);
    // The saved handlers are the form's own: calling one reaches the form alone.
    Log.clear();
    Controller->SavedOnShow(form.AsSender());
    Controller->SavedOnHide(form.AsSender());
    EXPECT_EQ(Log, (std::vector<std::string>{"form.FormShow", "form.FormHide"}));
    // The installed ones are the controller's: they run the form's, then tell the host.
    Log.clear();
    form.OnShow()(form.AsSender());
    EXPECT_EQ(Log, (std::vector<std::string>{"form.FormShow", "host.272"}));

    // A second Initialize creates no form and hooks nothing again; the form refuses.
    EXPECT_EQ(Controller->Initialize(HostParams()), -1);
    EXPECT_EQ(FormsCreated, 1);
    EXPECT_EQ(&HeldForm(), &form);
    EXPECT_EQ(form.HandlerAssignments, 3);
}

TEST_F(ControllerTest, ARefusingFormGivesMinusOneAndStaysHeld) {
    Script.AcceptParams = false;
    EXPECT_EQ(Controller->Initialize(HostParams()), -1);
    EXPECT_FALSE(Controller->IsFormFreed());
    EXPECT_EQ(FormsCreated, 1);
}

TEST_F(ControllerTest, ShowFormModalReturnsTheModalResultAsAnInteger) {
    Script.ModalResult = 1;
    InitializedForm();
    const Variant modal = Controller->ShowFormModal();
    EXPECT_EQ(modal.Type(), VarType::Int);
    EXPECT_EQ(modal.ToInt(), 1);
    EXPECT_EQ(HostEvents(), (std::vector<std::string>{"host.256", "host.272", "host.288"}));
}

TEST_F(ControllerTest, AHostWithoutEventHandlerGoesThroughTheWholeLife) {
    Controller->OnEvent = nullptr;
    InitializedForm();
    Controller->SetVisible(WordTrue);
    Controller->SetVisible(WordFalse);
    Controller->DoSpareEvent();
    Controller->CloseForm();
    EXPECT_TRUE(Controller->IsFormFreed());
    EXPECT_TRUE(HostEvents().empty());
}

TEST_F(ControllerTest, SpareEventIsRaisedOnlyWhenItsSlotIsCalled) {
    InitializedForm();
    Controller->CloseForm();
    Controller->ReservedHook();
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "host.320"), 0);
    Controller->DoSpareEvent();
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "host.320"), 1);
}

// --- the outcome, by every way the form can go ---------------------------

enum class FormEnd { CloseForm, FormClosesItself, ControllerDestroyed };

class FormEndTest : public ControllerTest, public ::testing::WithParamInterface<FormEnd> {};

TEST_P(FormEndTest, OutcomeIsCopiedAndTheControllerForgetsTheForm) {
    TestOptionForm& form = InitializedForm();
    form.SetOutcome(1, Variant("000123"));
    std::int32_t codeAt304 = -99;
    Variant dataAt304;
    bool freedAt304 = false;
    Controller->OnEvent = [&](std::int32_t code, TDLLBaseController* sender) {
        Log.push_back("host." + std::to_string(code));
        if (code != evFormDestroy) return;
        codeAt304 = sender->ResultCode;
        dataAt304 = sender->ResultData;
        freedAt304 = sender->IsFormFreed();
    };

    switch (GetParam()) {
    case FormEnd::CloseForm: Controller->CloseForm(); break;
    case FormEnd::FormClosesItself: form.CloseItself(); break;
    case FormEnd::ControllerDestroyed: Controller.reset(); break;
    }

    EXPECT_TRUE(TestOptionForm::Live().empty());
    EXPECT_EQ(codeAt304, 1);
    EXPECT_EQ(dataAt304, Variant("000123"));
    EXPECT_TRUE(freedAt304);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "host.304"), 1);
    if (!Controller) return;
    EXPECT_TRUE(Controller->IsFormFreed());
    EXPECT_EQ(Controller->GetHandle(), WindowHandle{0});
    EXPECT_EQ(Controller->GetVisible(), WordFalse);
    EXPECT_EQ(Controller->GetVersion(), "");
    EXPECT_EQ(Controller->ResultCode, 1);
    EXPECT_EQ(Controller->ResultData, Variant("000123"));
    // The outcome stays until a new form goes.
    Controller->CloseForm();
    EXPECT_EQ(Controller->ResultCode, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryPath, FormEndTest,
                         ::testing::Values(FormEnd::CloseForm, FormEnd::FormClosesItself,
                                           FormEnd::ControllerDestroyed),
                         [](const auto& info) -> std::string {
                             switch (info.param) {
                             case FormEnd::CloseForm: return "CloseForm";
                             case FormEnd::FormClosesItself: return "FormClosesItself";
                             case FormEnd::ControllerDestroyed: return "ControllerDestroyed";
                             }
                             return "Unknown";
                         });

TEST_F(ControllerTest, AfterAFormIsGoneInitializeCreatesANewOne) {
    InitializedForm().CloseItself();
    EXPECT_EQ(Controller->Initialize(HostParams()), 0);
    EXPECT_EQ(FormsCreated, 2);
    Log.clear();
    HeldForm().CloseItself();
    EXPECT_EQ(Log, (std::vector<std::string>{"form.Destroy", "form.FormDestroy", "host.304"}));
}

TEST_F(ControllerTest, CloseFormLeavesAFormThatIsAlreadyBeingDestroyedAlone) {
    Script.WhileDestroying = [this] { Controller->CloseForm(); };
    InitializedForm().CloseItself();
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "form.Destroy"), 1);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "host.304"), 1);
    EXPECT_TRUE(Controller->IsFormFreed());
}

// A host that frees the controller as soon as it hears event 304: nothing of the
// controller may be touched afterwards (run under a memory checker to see it).
TEST_F(ControllerTest, TheHostMayFreeTheControllerFromItsDestroyEvent) {
    for (const bool formClosesItself : {false, true}) {
        SCOPED_TRACE(formClosesItself ? "form closes itself" : "CloseForm");
        auto* controller = new TDLLRPCtrller;
        bool freed = false;
        controller->OnEvent = [&](std::int32_t code, TDLLBaseController* sender) {
            if (code != evFormDestroy) return;
            delete sender;
            freed = true;
        };
        ASSERT_EQ(controller->Initialize(HostParams()), 0);
        auto* form = dynamic_cast<TestOptionForm*>(controller->Form);
        ASSERT_NE(form, nullptr);
        if (formClosesItself) form->CloseItself();
        else controller->CloseForm();
        EXPECT_TRUE(freed);
        EXPECT_TRUE(TestOptionForm::Live().empty());
    }
}

// A host whose handler throws on event 256: the exception reaches the host, and
// the form it leaves behind is still tracked when it goes.
TEST_F(ControllerTest, AFailingCreatedEventLeavesTheFormHooked) {
    Controller->OnEvent = [this](std::int32_t code, TDLLBaseController*) {
        Log.push_back("host." + std::to_string(code));
        if (code == evFormCreated) throw std::runtime_error("host failed");
    };
    EXPECT_THROW(Controller->Initialize(HostParams()), std::runtime_error);
    TestOptionForm& form = HeldForm();
    form.SetOutcome(2, Variant());
    form.CloseItself();
    EXPECT_TRUE(Controller->IsFormFreed());
    EXPECT_EQ(Controller->ResultCode, 2);
    EXPECT_EQ(HostEvents().back(), "host.304");
}

// --- information ---------------------------------------------------------

TEST_F(ControllerTest, InfoVersionAndHandleComeFromTheForm) {
    TestOptionForm& form = InitializedForm();
    Variant info;
    ASSERT_EQ(Controller->GetInfo(info), 0);
    ASSERT_TRUE(info.IsArray());
    EXPECT_EQ(info.DimCount(), 1);
    EXPECT_EQ(info.LowBound(), 0);
    EXPECT_EQ(info.HighBound(), 3);
    const std::vector<Variant> expected{Variant("796"), Variant("SDTest60"), Variant("HRWR07"),
                                        Variant(std::string("薪资报表"))};
    for (int i = 0; i <= 3; ++i) {
        EXPECT_EQ(info[i].Type(), VarType::String) << i;
        EXPECT_EQ(info[i], expected[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(Controller->GetVersion(), "881013-0.00.01");
    EXPECT_EQ(Controller->GetHandle(), form.Handle());
}

// --- host requests -------------------------------------------------------

struct RequestCase {
    const char* name;
    Variant params;
    std::int32_t result;
    friend void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }
};

class ApplyRequestTest : public ControllerTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(ApplyRequestTest, HandsOverElementOneWrappedWithTrueOrRefuses) {
    TestOptionForm& form = InitializedForm();
    const RequestCase& c = GetParam();
    EXPECT_EQ(Controller->ApplyRequest(c.params), c.result);
    if (c.result != 0) {
        EXPECT_TRUE(form.Requests.empty());
        return;
    }
    ASSERT_EQ(form.Requests.size(), 1u);
    EXPECT_EQ(form.Requests[0], Variant::ArrayOf({true, c.params[1]}));
    EXPECT_EQ(form.Requests[0].LowBound(), 0);
}

const Variant kRequest = Variant::ArrayOf({std::int32_t{1}, Variant::ArrayOf({true, Variant::ArrayOf({})})});

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyRequestTest,
    ::testing::Values(RequestCase{"Empty", Variant(), -1}, RequestCase{"Null", Variant::Null(), -1},
                      RequestCase{"Integer", Variant(std::int32_t{1}), -1},
                      RequestCase{"Text", Variant("request"), -1},
                      RequestCase{"NoElementOne", Variant::ArrayOf({kRequest}), -1},
                      RequestCase{"TwoDimensional", Variant::Array2(0, 1, 0, 1), -1},
                      RequestCase{"HostArgument", Variant::ArrayOf({"ignored", kRequest}), 0},
                      RequestCase{"ElementOneEmpty", Variant::ArrayOf({"ignored", Variant()}), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControllerTest, NotifyForwardsTheWholeArgumentOnlyForKindsFiveAndNine) {
    TestOptionForm& form = InitializedForm();
    for (const std::int32_t kind : {0, 1, 4, 6, 7, 8, 10, -5}) {
        EXPECT_EQ(Controller->Notify(kind, 0, kRequest), -1) << kind;
    }
    EXPECT_TRUE(form.Requests.empty());
    for (const std::int32_t kind : {5, 9}) {
        EXPECT_EQ(Controller->Notify(kind, 12345, kRequest), 0) << kind;
    }
    ASSERT_EQ(form.Requests.size(), 2u);
    for (const Variant& r : form.Requests) EXPECT_EQ(r, Variant::ArrayOf({false, kRequest}));
}

TEST_F(ControllerTest, ExceptionsWhileTheFormProcessesARequestBecomeMinusOne) {
    for (const auto failure : {FormScript::RequestFailure::StdException, FormScript::RequestFailure::OtherException}) {
        Script.FailRequest = failure;
        TDLLRPCtrller controller;
        ASSERT_EQ(controller.Initialize(HostParams()), 0);
        EXPECT_EQ(controller.ApplyRequest(Variant::ArrayOf({0, kRequest})), -1);
        EXPECT_EQ(controller.Notify(5, 0, kRequest), -1);
        EXPECT_EQ(dynamic_cast<TestOptionForm&>(*controller.Form).Requests.size(), 2u);
    }
}

// --- visibility ----------------------------------------------------------

struct VisibleCase {
    WordBool value;
    bool minimized;
    bool visible;
    int showNormal;
    int foreground;
    friend void PrintTo(const VisibleCase& c, std::ostream* os) {
        *os << "value " << c.value << (c.minimized ? ", minimized" : "");
    }
};

class SetVisibleTest : public ControllerTest, public ::testing::WithParamInterface<VisibleCase> {};

TEST_P(SetVisibleTest, AnyNonZeroValueShowsRestoresAndBringsToFront) {
    const VisibleCase& c = GetParam();
    Script.StartMinimized = c.minimized;
    TestOptionForm& form = InitializedForm();
    Controller->SetVisible(c.value);
    EXPECT_EQ(form.IsVisible(), c.visible);
    EXPECT_EQ(Controller->GetVisible(), c.visible ? WordTrue : WordFalse);
    EXPECT_EQ(form.ShowNormalCalls, c.showNormal);
    EXPECT_EQ(form.ForegroundCalls, c.foreground);
}

INSTANTIATE_TEST_SUITE_P(Values, SetVisibleTest,
                         ::testing::Values(VisibleCase{WordTrue, false, true, 0, 1},
                                           VisibleCase{1, false, true, 0, 1},
                                           VisibleCase{0x100, false, true, 0, 1},
                                           VisibleCase{WordTrue, true, true, 1, 1},
                                           VisibleCase{2, true, true, 1, 1},
                                           VisibleCase{WordFalse, true, false, 0, 0},
                                           VisibleCase{WordFalse, false, false, 0, 0}),
                         [](const auto& info) {
                             const VisibleCase& c = info.param;
                             return "Value" + std::to_string(c.value < 0 ? 0 : c.value) +
                                    (c.value < 0 ? "AllBits" : "") + (c.minimized ? "Minimized" : "Normal");
                         });

TEST_F(ControllerTest, AHostThatClosesTheFormWhenShownDoesNotReachTheGoneForm) {
    InitializedForm();
    Controller->OnEvent = [this](std::int32_t code, TDLLBaseController*) {
        if (code == evFormShow) Controller->CloseForm();
    };
    Controller->SetVisible(WordTrue);
    EXPECT_TRUE(Controller->IsFormFreed());
}

}  // namespace
}  // namespace kv::test

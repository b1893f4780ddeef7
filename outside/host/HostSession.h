// One run of a report program as the host drives it: create the controller, hand
// it the work-center object and the host's parameters, show the form, apply a
// request, let the form go and read the outcome. The window and the headless run
// share it; only the plan differs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostLog.h"
#include "PluginModule.h"
#include "WorkCenterDirectory.h"
#include "kv/Variant.h"

namespace kv::host {

inline constexpr int kExitAccepted = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitFailed = 2;
inline constexpr int kExitUsage = 64;

// The name of a controller life event, "" for an unknown code.
std::string EventName(std::int32_t code);

// Control characters written as escapes, so a message stays on one line.
std::string Printable(const std::string& text);

// [user ID, company ID, database name, host window, reserved].
Variant HostParameters(const Identity& identity, std::int32_t hostWindow);

enum class FormShowing {
    None,     // never shown: a headless run
    Briefly,  // shown and hidden again, so it can be looked at (a screenshot)
    Modal,    // ShowFormModal, as a user works with it
};

struct SessionPlan {
    FormShowing Show = FormShowing::None;
    std::optional<Variant> Request;  // applied after an accepted Initialize
    // Called when the plug-in reports its form shown; what it raises is logged.
    std::function<void(TDLLBaseController&)> FormShown;
};

struct SessionOutcome {
    int ExitCode = kExitFailed;
    std::optional<std::int32_t> Status;         // Initialize's result, when it returned
    std::optional<std::int32_t> RequestResult;  // ApplyRequest's result, when it ran
    std::optional<Variant> ModalResult;
    std::vector<std::int32_t> Events;
    std::int32_t ResultCode = 0;
    Variant ResultData;
    std::string Error;  // what the plug-in raised; "" when nothing
};

class HostSession {
public:
    HostSession(const PluginModule& module, Variant hostObject, const HostLog& log);

    SessionOutcome Run(const Identity& identity, std::int32_t hostWindow, const SessionPlan& plan);

private:
    struct ControllerDeleter {
        void operator()(TDLLBaseController* c) const { delete c; }
    };
    using ControllerPtr = std::unique_ptr<TDLLBaseController, ControllerDeleter>;

    ControllerPtr CreateController();
    void InitializeController(TDLLBaseController& controller, const Identity& identity, std::int32_t hostWindow);
    // What the program says about itself once it accepted the parameters.
    void DescribeProgram(TDLLBaseController& controller);
    void ShowBriefly(TDLLBaseController& controller);
    void ApplyRequest(TDLLBaseController& controller, const Variant& request);
    void ShowModal(TDLLBaseController& controller);
    void FinishController(ControllerPtr controller);
    void RecordEvent(std::int32_t code, TDLLBaseController* sender);
    void RecordError(const std::string& what);
    void SetExitCode();

    const PluginModule& module_;
    Variant hostObject_;
    const HostLog& log_;
    const SessionPlan* plan_ = nullptr;
    SessionOutcome outcome_;
};

// Processes pending events until the form is gone, as a host's message loop
// would; the form frees itself after a modal run only then. Bounded: false when
// the form is still there afterwards.
bool LetFormGo(TDLLBaseController& controller);

}  // namespace kv::host

#include "HostSession.h"

#include <QCoreApplication>
#include <QEvent>

#include <exception>
#include <stdexcept>

#include "HostRequest.h"

namespace kv::host {

namespace {

// Rounds of event processing a form gets to free itself; it needs one or two.
constexpr int kLetGoRounds = 50;

std::string Text(const Variant& v) { return Printable(DebugString(v)); }

const char* OutcomeWord(int exitCode) {
    switch (exitCode) {
    case kExitAccepted: return "accepted";
    case kExitRefused: return "refused";
    default: return "failed";
    }
}

}  // namespace

std::string EventName(std::int32_t code) {
    switch (code) {
    case evFormCreated: return "FormCreated";
    case evFormShow: return "FormShow";
    case evFormHide: return "FormHide";
    case evFormDestroy: return "FormDestroy";
    case evSpare: return "Spare";
    default: return "";
    }
}

std::string Printable(const std::string& text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '\r') out += "\\r";
        else if (ch == '\n') out += "\\n";
        else if (ch == '\t') out += "\\t";
        else if (byte < 0x20 || byte == 0x7F) out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        else out += ch;
    }
    return out;
}

Variant HostParameters(const Identity& identity, std::int32_t hostWindow) {
    return Variant::ArrayOf({identity.UserID.toStdString(), identity.CompanyID.toStdString(),
                             identity.DbName.toStdString(), hostWindow, ""});
}

bool LetFormGo(TDLLBaseController& controller) {
    for (int round = 0; round < kLetGoRounds && !controller.IsFormFreed(); ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    return controller.IsFormFreed();
}

HostSession::HostSession(const PluginModule& module, Variant hostObject, const HostLog& log)
    : module_(module), hostObject_(std::move(hostObject)), log_(log) {}

SessionOutcome HostSession::Run(const Identity& identity, std::int32_t hostWindow, const SessionPlan& plan) {
    outcome_ = SessionOutcome{};
    plan_ = &plan;
    ControllerPtr controller;
    try {
        controller = CreateController();
        InitializeController(*controller, identity, hostWindow);
        if (outcome_.Status == 0) {
            DescribeProgram(*controller);
            if (plan.Show == FormShowing::Briefly) ShowBriefly(*controller);
            if (plan.Request) ApplyRequest(*controller, *plan.Request);
            if (plan.Show == FormShowing::Modal && !controller->IsFormFreed()) ShowModal(*controller);
        }
    } catch (const std::exception& e) {
        RecordError(e.what());
    } catch (...) {
        RecordError("unknown exception from the plug-in");
    }
    if (controller) {
        try {
            FinishController(std::move(controller));
        } catch (const std::exception& e) {
            RecordError(e.what());
        } catch (...) {
            RecordError("unknown exception from the plug-in");
        }
    }
    SetExitCode();
    log_.Line("outcome: " + std::string(OutcomeWord(outcome_.ExitCode)) + " (exit " +
              std::to_string(outcome_.ExitCode) + ")");
    plan_ = nullptr;
    return outcome_;
}

HostSession::ControllerPtr HostSession::CreateController() {
    if (!module_.IsLoaded()) throw std::runtime_error(module_.Error());
    ControllerPtr controller(module_.CreateController());
    if (!controller) throw std::runtime_error("GetController gave no controller");
    controller->HostObject = hostObject_;
    controller->OnEvent = [this](std::int32_t code, TDLLBaseController* sender) { RecordEvent(code, sender); };
    return controller;
}

void HostSession::InitializeController(TDLLBaseController& controller, const Identity& identity,
                                       std::int32_t hostWindow) {
    const Variant params = HostParameters(identity, hostWindow);
    log_.Line("Initialize " + Text(params));
    outcome_.Status = controller.Initialize(params);
    log_.Line("status: " + std::to_string(*outcome_.Status));
}

void HostSession::DescribeProgram(TDLLBaseController& controller) {
    log_.Line("version: " + Printable(controller.GetVersion()));
    Variant info;
    const std::int32_t found = controller.GetInfo(info);
    log_.Line("info: " + (found == 0 ? Text(info) : "none (" + std::to_string(found) + ")"));
}

void HostSession::ShowBriefly(TDLLBaseController& controller) {
    log_.Line("SetVisible True");
    controller.SetVisible(WordTrue);
    if (!controller.IsFormFreed()) controller.SetVisible(WordFalse);
}

void HostSession::ApplyRequest(TDLLBaseController& controller, const Variant& request) {
    const Variant params = ApplyRequestParams(request);
    log_.Line("ApplyRequest " + Text(params));
    outcome_.RequestResult = controller.ApplyRequest(params);
    log_.Line("request: " + std::to_string(*outcome_.RequestResult));
}

void HostSession::ShowModal(TDLLBaseController& controller) {
    log_.Line("ShowFormModal");
    outcome_.ModalResult = controller.ShowFormModal();
    log_.Line("modal result: " + Text(*outcome_.ModalResult));
}

void HostSession::FinishController(ControllerPtr controller) {
    // A form that closed itself goes when events are processed; one still open
    // is closed by the host. The outcome is copied when the form goes.
    if (!LetFormGo(*controller)) {
        log_.Line("CloseForm");
        controller->CloseForm();
    }
    std::string events = "events:";
    for (const std::int32_t code : outcome_.Events) events += " " + std::to_string(code);
    log_.Line(events);
    outcome_.ResultCode = controller->ResultCode;
    outcome_.ResultData = controller->ResultData;
    log_.Line("ResultCode: " + std::to_string(outcome_.ResultCode));
    log_.Line("ResultData: " + Text(outcome_.ResultData));
    controller.reset();
}

void HostSession::RecordEvent(std::int32_t code, TDLLBaseController* sender) {
    outcome_.Events.push_back(code);
    log_.Line("event " + std::to_string(code) + " " + EventName(code));
    if (code != evFormShow || !plan_ || !plan_->FormShown || !sender) return;
    // Runs inside the plug-in's show handler: nothing may escape into it.
    try {
        plan_->FormShown(*sender);
    } catch (const std::exception& e) {
        log_.Line(std::string("host: ") + Printable(e.what()));
    } catch (...) {
        log_.Line("host: unknown exception while the form was shown");
    }
}

void HostSession::RecordError(const std::string& what) {
    if (outcome_.Error.empty()) outcome_.Error = what;
    log_.Line("error: " + Printable(what));
}

void HostSession::SetExitCode() {
    if (!outcome_.Error.empty() || !outcome_.Status) outcome_.ExitCode = kExitFailed;
    else if (*outcome_.Status != 0 || outcome_.RequestResult.value_or(0) != 0) outcome_.ExitCode = kExitRefused;
    else outcome_.ExitCode = kExitAccepted;
}

}  // namespace kv::host

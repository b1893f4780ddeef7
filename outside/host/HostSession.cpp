#include "HostSession.h"

#include <exception>

#include "kv/Variant.h"

namespace kvhost {

namespace {

constexpr int kExitAccepted = 0;
constexpr int kExitRefused = 1;
constexpr int kExitFailed = 2;

kv::Variant HostParameters(const HostOptions& options) {
    // [user ID, company ID, database name, host window, reserved]: no host window.
    return kv::Variant::ArrayOf({options.UserID.toStdString(), options.CompanyID.toStdString(),
                                 options.DbName.toStdString(), std::int32_t{0}, ""});
}

}  // namespace

std::string EventName(std::int32_t code) {
    switch (code) {
    case kv::evFormCreated: return "FormCreated";
    case kv::evFormShow: return "FormShow";
    case kv::evFormHide: return "FormHide";
    case kv::evFormDestroy: return "FormDestroy";
    case kv::evSpare: return "Spare";
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

HostSession::HostSession(const PluginModule& module, std::ostream& out) : module_(module), out_(out) {}

int HostSession::Run(const HostOptions& options) {
    int exitCode = kExitFailed;
    ControllerPtr controller;
    try {
        controller = CreateController();
        const std::int32_t status = InitializeController(*controller, options);
        exitCode = status == 0 ? kExitAccepted : kExitRefused;
    } catch (const std::exception& e) {
        out_ << "error: " << Printable(e.what()) << "\n";
    } catch (...) {
        out_ << "error: unknown exception from the plug-in\n";
    }
    if (controller) {
        try {
            FinishController(std::move(controller));
        } catch (const std::exception& e) {
            out_ << "error: " << Printable(e.what()) << "\n";
            exitCode = kExitFailed;
        }
    }
    return exitCode;
}

HostSession::ControllerPtr HostSession::CreateController() {
    ControllerPtr controller(module_.CreateController());
    controller->HostObject = kv::Variant();  // no work-center object yet
    controller->OnEvent = [this](std::int32_t code, kv::TDLLBaseController*) { RecordEvent(code); };
    return controller;
}

std::int32_t HostSession::InitializeController(kv::TDLLBaseController& controller, const HostOptions& options) {
    const kv::Variant params = HostParameters(options);
    out_ << "Initialize " << kv::DebugString(params) << "\n";
    const std::int32_t status = controller.Initialize(params);
    out_ << "status: " << status << "\n";
    return status;
}

void HostSession::FinishController(ControllerPtr controller) {
    // The outcome is copied when the form goes, so close it before reading.
    controller->CloseForm();
    out_ << "events:";
    for (const std::int32_t code : events_) out_ << " " << code;
    out_ << "\n";
    out_ << "ResultCode: " << controller->ResultCode << "\n";
    out_ << "ResultData: " << Printable(kv::DebugString(controller->ResultData)) << "\n";
    controller.reset();
}

void HostSession::RecordEvent(std::int32_t code) {
    events_.push_back(code);
    out_ << "event " << code << " " << EventName(code) << "\n";
}

}  // namespace kvhost

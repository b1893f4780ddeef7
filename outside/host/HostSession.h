// One run of a report program as the host drives it: create the controller, hand
// it the host's parameters, close the form and read the outcome.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "HostOptions.h"
#include "PluginModule.h"

namespace kvhost {

// The name of a controller life event, "" for an unknown code.
std::string EventName(std::int32_t code);

// Control characters written as escapes, so a message stays on one line.
std::string Printable(const std::string& text);

class HostSession {
public:
    HostSession(const PluginModule& module, std::ostream& out);

    // Runs the session and returns the process exit code: 0 when the plug-in
    // accepted the parameters, 1 when it refused them, 2 when it failed.
    int Run(const HostOptions& options);

private:
    struct ControllerDeleter {
        void operator()(kv::TDLLBaseController* c) const { delete c; }
    };
    using ControllerPtr = std::unique_ptr<kv::TDLLBaseController, ControllerDeleter>;

    ControllerPtr CreateController();
    std::int32_t InitializeController(kv::TDLLBaseController& controller, const HostOptions& options);
    void FinishController(ControllerPtr controller);
    void RecordEvent(std::int32_t code);

    const PluginModule& module_;
    std::ostream& out_;
    std::vector<std::int32_t> events_;
};

}  // namespace kvhost

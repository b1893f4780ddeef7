// A loaded report-program plug-in and its one export.
#pragma once

#include <string>

#include "kv/Controller.h"

namespace kv::host {

class PluginModule {
public:
    // Loads the module at an absolute path and resolves GetController. On failure
    // the module is not usable and Error() says why.
    explicit PluginModule(const std::string& path);

    bool IsLoaded() const { return getController_ != nullptr; }
    const std::string& Error() const { return error_; }

    // A new controller, owned by the caller. The plug-in may throw.
    kv::TDLLBaseController* CreateController() const;

private:
    GetControllerFn getController_ = nullptr;
    std::string error_;
};

}  // namespace kv::host

#include "PluginModule.h"

#include "kv/Library.h"

namespace kv::host {

PluginModule::PluginModule(const std::string& path) {
    // Never unloaded: the plug-in's objects and its Qt registrations may outlive
    // any one controller.
    void* lib = kv::LoadLibraryByName(path, &error_);
    if (!lib) return;
    getController_ = reinterpret_cast<GetControllerFn>(kv::GetProcAddress(lib, "GetController"));
    if (!getController_) error_ = path + " does not export GetController";
}

kv::TDLLBaseController* PluginModule::CreateController() const { return getController_(); }

}  // namespace kv::host

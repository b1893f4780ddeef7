// The plug-in's one export.
#include "kv/Controller.h"
#include "plugin/DLLBaseCtrller.h"

// Each call makes a new controller that the host owns; the module keeps no
// reference to it.
extern "C" __attribute__((visibility("default"))) kv::TDLLBaseController* GetController() {
    if (!kv::DLLControllerClass) throw kv::EDLLInternalError(kv::NotAssignedMessage("DLLControllerClass"));
    return kv::DLLControllerClass.Create();
}

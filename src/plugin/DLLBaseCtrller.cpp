#include "plugin/DLLBaseCtrller.h"

namespace kv {

// A plain pointer, so the reference is empty before any start-up code of the
// module can register into it, whatever order the objects are initialised in.
TControllerClass DLLControllerClass;

std::string NotAssignedMessage(const std::string& variableName) {
    return "KVN DLL Internal Error :\rNot Assign \"" + variableName + "\" varible";
}

TDLLBaseController::~TDLLBaseController() = default;

void TDLLBaseController::DoFormCreated(TObject*) { DoEvent(evFormCreated); }

void TDLLBaseController::DoFormShow(TObject*) { DoEvent(evFormShow); }

void TDLLBaseController::DoFormHide(TObject*) { DoEvent(evFormHide); }

void TDLLBaseController::DoFormDestroy(TObject*) { DoEvent(evFormDestroy); }

void TDLLBaseController::DoSpareEvent() { DoEvent(evSpare); }

void TDLLBaseController::DoEvent(std::int32_t Code) {
    if (!OnEvent) return;
    // A copy: the host may free this controller from inside its handler.
    const TControllerEvent handler = OnEvent;
    handler(Code, this);
}

void TDLLBaseController::ReservedHook() {}

}  // namespace kv

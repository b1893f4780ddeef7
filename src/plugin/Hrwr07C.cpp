// The library project of the payroll report program HRWR07C.
#include "plugin/DLLRPCtrller.h"

namespace {

// The library's start-up block: runs once per load, before the host can call
// GetController. The units initialise first, then the program names its form.
__attribute__((constructor)) void StartLibrary() {
    kv::InitDLLRPCtrllerUnit();
    // The payroll option form is registered into kv::frmBaseGeneClass here once it
    // exists; until then Initialize reports the unassigned form class.
}

}  // namespace

// ReportCounterS.so: the application server created in process. A client whose
// server address is "127.0.0.1" creates "ReportCounterS.dmReportCounter" through
// the registry file's [HKEY_CLASSES_ROOT\ReportCounterS.dmReportCounter]
// "Library"="ReportCounterS.so", which lands here.
#include <cstring>
#include <strings.h>

#include "ReportCounterStore.h"
#include "dmReportCounter.h"
#include "kv/Automation.h"
#include "kv/Variant.h"

// Returns false for a class this library does not make. A class it makes but cannot
// open (its database) raises EOleError with the reason, which CreateOleObject
// passes on to its caller.
extern "C" __attribute__((visibility("default"))) bool KvCreateObject(const char* progId, kv::Variant* out) {
    using namespace kv::appserver;
    if (!progId || !out || strcasecmp(progId, kReportCounterProgId) != 0) return false;
    *out = kv::Variant(CreateReportCounter(TReportCounterStore::DefaultPath()));
    return true;
}

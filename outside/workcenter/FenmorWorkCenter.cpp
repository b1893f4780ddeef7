// FenmorWorkCenter.so: the work-center object by ProgID. A dialog that runs outside
// the plug-in creates "FenmorWorkCenter.Manager" through the registry file's
// [HKEY_CLASSES_ROOT\FenmorWorkCenter.Manager] "Library"="FenmorWorkCenter.so",
// which lands here.
#include <strings.h>

#include "WorkCenter.h"
#include "kv/Variant.h"

// Returns false for a class this library does not make; the object itself is made
// with the default options (language, database and script from the environment).
extern "C" __attribute__((visibility("default"))) bool KvCreateObject(const char* progId, kv::Variant* out) {
    if (!progId || !out || strcasecmp(progId, kv::kWorkCenterProgId) != 0) return false;
    *out = kv::CreateWorkCenterManager();
    return true;
}

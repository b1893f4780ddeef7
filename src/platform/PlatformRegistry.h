// Read-only access to the machine-wide settings key. On Linux the "registry" is a
// text file in the registry editor's export format (see kv/Registry.h); this
// wrapper gives the forms the classic open-key-then-read-values shape.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/SysUtils.h"

namespace kv {

struct TRegKey {
    // Full key path as opened, e.g. "HKEY_LOCAL_MACHINE\Software\KVN\Vornik".
    std::string Path;
    // Every string value of the key, names without regard to case. DWORD values
    // appear as their decimal text.
    std::map<std::string, std::string, CaseInsensitiveLess> Values;

    // The value's text; "" when the value is missing (as the classic reader).
    std::string ReadString(const std::string& name) const;
    bool ValueExists(const std::string& name) const;
};

// Opens HKEY_LOCAL_MACHINE\<subKey> (e.g. "Software\\KVN\\Vornik") read-only from
// the registry file ($KVN_REGISTRY, default /etc/kvn/registry.reg). nullopt when
// the file cannot be read or has no such key. The file is read on every call: the
// settings may change between uses and the file is small.
std::optional<TRegKey> OpenLocalMachineKey(const std::string& subKey);

}  // namespace kv

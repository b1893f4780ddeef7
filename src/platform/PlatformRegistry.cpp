#include "platform/PlatformRegistry.h"

#include <kv/Registry.h>

namespace kv {

namespace {

const std::string kLocalMachine = "HKEY_LOCAL_MACHINE";

std::string LocalMachinePath(const std::string& subKey) {
    std::string_view rest(subKey);
    while (!rest.empty() && (rest.front() == '\\' || rest.front() == '/'))
        rest.remove_prefix(1);
    return rest.empty() ? kLocalMachine : kLocalMachine + '\\' + std::string(rest);
}

}  // namespace

std::string TRegKey::ReadString(const std::string& name) const {
    auto it = Values.find(name);
    return it == Values.end() ? std::string() : it->second;
}

bool TRegKey::ValueExists(const std::string& name) const {
    return Values.find(name) != Values.end();
}

std::optional<TRegKey> OpenLocalMachineKey(const std::string& subKey) {
    RegistryFile file;
    if (!RegistryFile::Load(RegistryFile::DefaultPath(), file))
        return std::nullopt;
    TRegKey key;
    key.Path = LocalMachinePath(subKey);
    if (!file.HasKey(key.Path))
        return std::nullopt;
    // Binary values have no text and are left out; a name written twice keeps
    // the reader's answer for it.
    for (const std::string& name : file.ValueNames(key.Path))
        if (auto text = file.ReadString(key.Path, name))
            key.Values.emplace(name, std::move(*text));
    return key;
}

}  // namespace kv

// libFuzzer entry for the registry file reader: any bytes must parse without
// crashing or throwing, and what is read back must be self-consistent.
#include "kv/Registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Key paths and value names taken from the input itself, so the lookups hit.
void ProbeKey(const kv::RegistryFile& reg, const std::string& key) {
    if (!reg.HasKey(key) && !reg.ValueNames(key).empty()) std::abort();
    for (const std::string& name : reg.ValueNames(key)) {
        const auto text = reg.ReadString(key, name);
        const auto dword = reg.ReadDword(key, name);
        // A dword reads as its unsigned decimal text.
        if (dword && text != std::to_string(static_cast<std::uint32_t>(*dword))) std::abort();
    }
}

void ProbeBracketedKeys(const kv::RegistryFile& reg, std::string_view text) {
    for (std::size_t open = text.find('['); open != std::string_view::npos; open = text.find('[', open + 1)) {
        const std::size_t close = text.find(']', open);
        if (close == std::string_view::npos) break;
        ProbeKey(reg, std::string(text.substr(open + 1, close - open - 1)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    kv::RegistryFile raw;
    std::string error;
    if (!kv::RegistryFile::LoadFromText(bytes, raw, &error) && error.empty()) std::abort();
    ProbeBracketedKeys(raw, bytes);

    // With the header in front every input is a registry file, whatever its lines.
    const std::string withHeader = "Windows Registry Editor Version 5.00\n" + std::string(bytes);
    kv::RegistryFile reg;
    if (!kv::RegistryFile::LoadFromText(withHeader, reg, &error)) std::abort();
    int previous = 1;  // the header's line
    for (int line : reg.SkippedLines()) {
        if (line <= previous) std::abort();
        previous = line;
    }
    ProbeBracketedKeys(reg, withHeader);
    return 0;
}

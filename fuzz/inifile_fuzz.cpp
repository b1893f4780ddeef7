// libFuzzer entry for the profile (INI) reader: any bytes must parse without
// crashing, and every answer must be consistent with the section listing.
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kv::TIniFile ini = kv::TIniFile::FromText(text);

    std::vector<std::string> sections, keys, lines;
    ini.ReadSections(sections);
    for (const std::string& section : sections) {
        if (!ini.SectionExists(section))
            std::abort();
        ini.ReadSection(section, keys);
        ini.ReadSectionValues(section, lines);
        if (keys.size() != lines.size())
            std::abort();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (!ini.ValueExists(section, keys[i]))
                std::abort();
            // The listed line is the key and the value a direct read gives.
            if (lines[i] != keys[i] + '=' + ini.ReadString(section, keys[i], "\x01"))
                std::abort();
            (void)ini.ReadInteger(section, keys[i], 0);
            (void)ini.ReadBool(section, keys[i], false);
        }
    }
    return 0;
}

// The machine's registry, read-only, from a text file in the registry editor's
// export format:
//
//     Windows Registry Editor Version 5.00
//
//     [HKEY_LOCAL_MACHINE\Software\KVN\Vornik]
//     "ClientPath"="/opt/kvn/client/"
//     "Retries"=dword:00000003
//     @="default value"
//
// The file's path comes from KVN_REGISTRY, default /etc/kvn/registry.reg. Key paths
// and value names match without regard to case; "HKLM", "HKCR", "HKCU", "HKU" and
// "HKCC" stand for their long root names. The reader never throws: a file without
// the export header is refused, a malformed line is skipped and remembered.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class RegistryFile {
public:
    // $KVN_REGISTRY when set and not empty, else /etc/kvn/registry.reg.
    static std::string DefaultPath();

    // Reads and parses a file. False, with the reason in *error, when the file
    // cannot be read or is not a registry export; `out` is then empty.
    static bool Load(const std::string& path, RegistryFile& out, std::string* error = nullptr);
    // The same from the file's bytes: UTF-8 (with or without BOM) or UTF-16 with BOM.
    static bool LoadFromText(std::string_view bytes, RegistryFile& out, std::string* error = nullptr);

    // True for a key written in the file and for every key above one (as
    // [HKLM\Software\KVN\Vornik] also makes HKLM\Software\KVN exist).
    bool HasKey(const std::string& key) const;
    // A string value as stored (escapes resolved; hex(1)/hex(2) values decoded), a
    // dword value as its unsigned decimal text. nullopt when the key or value is
    // missing or the value is binary. Name "" reads the key's default value (@).
    std::optional<std::string> ReadString(const std::string& key, const std::string& name) const;
    // A dword value; nullopt for a missing or non-dword value.
    std::optional<std::int32_t> ReadDword(const std::string& key, const std::string& name) const;
    // The key's value names in file order as written ("" for the default value).
    std::vector<std::string> ValueNames(const std::string& key) const;

    // 1-based line numbers of the lines that were skipped as malformed.
    const std::vector<int>& SkippedLines() const { return skipped_; }

    // A key path in the form used for lookups: long root name, single separators,
    // no trailing separator, ASCII lower case.
    static std::string NormalizeKey(std::string_view key);

    enum class ValueKind { String, Dword, Binary };
    struct Value {
        std::string name;   // as written
        ValueKind kind = ValueKind::String;
        std::string text;   // String
        std::uint32_t dword = 0;
    };

private:
    const Value* Find(const std::string& key, const std::string& name) const;

    std::map<std::string, std::vector<Value>> keys_;  // by NormalizeKey
    std::vector<int> skipped_;
};

// Reads one string value from the registry file at RegistryFile::DefaultPath(),
// re-reading the file on every call (it is small and may change between uses).
// nullopt when the file, key or value is missing.
std::optional<std::string> ReadRegistryString(const std::string& key, const std::string& name);

}  // namespace kv

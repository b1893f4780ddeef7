// Profile (INI) file reader with the classic profile semantics:
// - section and key names compare without regard to ASCII case;
// - names and values are trimmed; a value enclosed in a matching pair of single
//   or double quotes loses them;
// - lines starting with ';' are comments; a line without '=' inside a section is
//   a key with an empty value; lines before the first section are ignored;
// - a key given twice in a section: the first one wins; a section given twice:
//   its entries are merged in file order;
// - values are the bytes as stored (a UTF-8 byte-order mark is dropped); line ends
//   may be LF, CRLF or CR;
// - a missing or unreadable file reads as empty: every read gives its default.
// The file name is matched exactly first, then without regard to case in its
// folder; '\' separators are accepted. The file is read once, in the constructor;
// instances share nothing.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SysUtils.h"

namespace kv {

class TIniFile {
public:
    explicit TIniFile(std::string fileName);
    // A profile parsed from memory (FileName() is empty, Exists() false).
    static TIniFile FromText(std::string_view text);

    // The name as given to the constructor.
    const std::string& FileName() const { return FFileName; }
    // The file actually read (after normalisation and the case-insensitive match).
    const std::string& ResolvedFileName() const { return FResolvedName; }
    bool Exists() const { return FExists; }

    // The value when the key exists (even when empty), else def.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal with optional sign, or hexadecimal led by "0x"/"0X" (up to 8 digits,
    // taken as a 32-bit pattern). Anything else, empty or out of range: def.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // ReadInteger(section, key, def ? 1 : 0) != 0, as the classic reader does:
    // "1"/"2" are true, "0" false, a non-number ("yes") gives def.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    // Replaces keys with the key names of the section, in file order.
    void ReadSection(const std::string& section, std::vector<std::string>& keys) const;
    // Replaces lines with one "name=value" line per key of the section, in file
    // order (a key written without '=' gives "name=").
    void ReadSectionValues(const std::string& section, std::vector<std::string>& lines) const;
    // Replaces sections with the section names, in file order.
    void ReadSections(std::vector<std::string>& sections) const;
    // True when the file has a header for the section, even an empty one.
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

private:
    struct Entry {
        std::string Name;
        std::string Value;
    };
    using NameIndex = std::map<std::string, std::size_t, CaseInsensitiveLess>;
    struct Section {
        std::string Name;
        std::vector<Entry> Entries;  // file order, first of each name only
        NameIndex Index;             // name -> position in Entries
    };

    TIniFile() = default;
    void Parse(std::string_view text);
    const Section* FindSection(const std::string& name) const;
    const Entry* FindEntry(const std::string& section, const std::string& key) const;

    std::string FFileName;
    std::string FResolvedName;
    bool FExists = false;
    std::vector<Section> FSections;  // file order
    NameIndex FSectionIndex;         // name -> position in FSections
};

}  // namespace kv

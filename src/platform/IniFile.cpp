#include "platform/IniFile.h"

#include "platform/SysUtils.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>

namespace kv {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// A value written as "text" or 'text' stands for text.
std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Calls onLine for each line; LF, CRLF and a lone CR all end a line.
template <typename Fn>
void ForEachLine(std::string_view text, Fn onLine) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            onLine(text.substr(start));
            return;
        }
        onLine(text.substr(start, end - start));
        start = end + 1;
    }
}

bool ParseHex(std::string_view digits, int& value) {
    if (digits.empty())
        return false;
    std::uint64_t parsed = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed, 16);
    if (ec != std::errc() || end != digits.data() + digits.size() || parsed > 0xFFFFFFFFu)
        return false;
    // Hexadecimal gives the 32-bit pattern: 0xFFFFFFFF reads as -1.
    value = static_cast<int>(static_cast<std::uint32_t>(parsed));
    return true;
}

bool ParseDecimal(std::string_view text, int& value) {
    // from_chars takes a '-' but not a '+'; "+-1" stays malformed.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-')
            return false;
    }
    int parsed = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

bool ParseInteger(std::string_view text, int& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseHex(text.substr(2), value);
    if (text.size() > 1 && text[0] == '$')
        return ParseHex(text.substr(1), value);
    return ParseDecimal(text, value);
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {
    FResolvedName = FindFileCaseInsensitive(FFileName);
    std::string text;
    FExists = FileExists(FResolvedName) && ReadWholeFile(FResolvedName, text);
    if (FExists)
        Parse(text);
}

TIniFile TIniFile::FromText(std::string_view text) {
    TIniFile ini;
    ini.Parse(text);
    return ini;
}

void TIniFile::Parse(std::string_view text) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    Section* current = nullptr;
    ForEachLine(text, [&](std::string_view raw) {
        const std::string line = Trim(raw);
        if (line.empty() || line.front() == ';')
            return;
        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            // "[name" without the bracket still opens a section, as the classic reader does.
            const std::string name =
                Trim(std::string_view(line).substr(1, close == std::string::npos ? std::string::npos : close - 1));
            auto [it, added] = FSectionIndex.try_emplace(name, FSections.size());
            if (added)
                FSections.push_back(Section{name, {}, {}});
            current = &FSections[it->second];
            return;
        }
        if (current == nullptr)
            return;  // keys before the first section belong to none
        const std::size_t eq = line.find('=');
        std::string name = eq == std::string::npos ? line : Trim(std::string_view(line).substr(0, eq));
        if (name.empty())
            return;
        std::string value = eq == std::string::npos ? std::string() : Unquote(Trim(std::string_view(line).substr(eq + 1)));
        if (current->Index.try_emplace(name, current->Entries.size()).second)
            current->Entries.push_back(Entry{std::move(name), std::move(value)});
    });
}

const TIniFile::Section* TIniFile::FindSection(const std::string& name) const {
    auto it = FSectionIndex.find(Trim(name));
    return it == FSectionIndex.end() ? nullptr : &FSections[it->second];
}

const TIniFile::Entry* TIniFile::FindEntry(const std::string& section, const std::string& key) const {
    const Section* found = FindSection(section);
    if (found == nullptr)
        return nullptr;
    auto it = found->Index.find(Trim(key));
    return it == found->Index.end() ? nullptr : &found->Entries[it->second];
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    const Entry* entry = FindEntry(section, key);
    return entry != nullptr ? entry->Value : def;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    const Entry* entry = FindEntry(section, key);
    int value = def;
    if (entry != nullptr && ParseInteger(entry->Value, value))
        return value;
    return def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::ReadSection(const std::string& section, std::vector<std::string>& keys) const {
    keys.clear();
    if (const Section* found = FindSection(section))
        for (const Entry& entry : found->Entries)
            keys.push_back(entry.Name);
}

void TIniFile::ReadSectionValues(const std::string& section, std::vector<std::string>& lines) const {
    lines.clear();
    if (const Section* found = FindSection(section))
        for (const Entry& entry : found->Entries)
            lines.push_back(entry.Name + '=' + entry.Value);
}

void TIniFile::ReadSections(std::vector<std::string>& sections) const {
    sections.clear();
    for (const Section& section : FSections)
        sections.push_back(section.Name);
}

bool TIniFile::SectionExists(const std::string& section) const {
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    return FindEntry(section, key) != nullptr;
}

}  // namespace kv

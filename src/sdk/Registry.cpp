#include "kv/Registry.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "SdkText.h"

namespace kv {

namespace {

// A settings file is a few kilobytes; anything this large is not one.
constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;

struct RootAlias {
    const char* shortName;
    const char* longName;
};
constexpr RootAlias kRoots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKCR", "HKEY_CLASSES_ROOT"}, {"HKCU", "HKEY_CURRENT_USER"},
    {"HKU", "HKEY_USERS"},          {"HKCC", "HKEY_CURRENT_CONFIG"},
};

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD, an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const std::uint32_t lo = unit(i + 2);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
    return out;
}

// The file's text as UTF-8: the registry editor writes UTF-16LE with a BOM
// (version 5.00), older tools and hand-written files plain single-byte text.
std::string DecodeFileText(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return Utf16ToUtf8(bytes.substr(2), false);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)
        return Utf16ToUtf8(bytes.substr(2), true);
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return std::string(bytes);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

bool IsHeader(std::string_view line) {
    line = sdk::Trim(line);
    return line == "Windows Registry Editor Version 5.00" || line == "REGEDIT4";
}

// Reads a quoted text at the start of `s` (which starts with '"'), resolving the
// format's two escapes \\ and \". Any other backslash is kept as it stands, so a
// hand-written "C:\Path" still reads sensibly. Advances `s` past the closing quote.
bool ReadQuoted(std::string_view& s, std::string& out) {
    out.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
        } else {
            out += c;
        }
    }
    return false;  // unterminated
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = sdk::AsciiLower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ReadDwordText(std::string_view s, std::uint32_t& out) {
    s = sdk::Trim(s);
    if (s.empty() || s.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        v = v << 4 | static_cast<std::uint32_t>(d);
    }
    out = v;
    return true;
}

// "hex:..", "hex(N):.." — comma-separated byte pairs (continuations already joined).
bool ReadHexValue(std::string_view s, RegistryFile::Value& value) {
    s.remove_prefix(3);  // "hex"
    std::string type = "3";
    if (!s.empty() && s.front() == '(') {
        const std::size_t close = s.find(')');
        if (close == std::string_view::npos) return false;
        type = sdk::AsciiLowerCopy(sdk::Trim(s.substr(1, close - 1)));
        s.remove_prefix(close + 1);
    }
    if (s.empty() || s.front() != ':') return false;
    s.remove_prefix(1);
    std::string bytes;
    while (true) {
        s = sdk::Trim(s);
        if (s.empty()) break;
        if (s.size() < 2 || HexDigit(s[0]) < 0 || HexDigit(s[1]) < 0) return false;
        bytes += static_cast<char>(HexDigit(s[0]) << 4 | HexDigit(s[1]));
        s.remove_prefix(2);
        s = sdk::Trim(s);
        if (s.empty()) break;
        if (s.front() != ',') return false;
        s.remove_prefix(1);
    }
    if (type == "1" || type == "2") {  // REG_SZ / REG_EXPAND_SZ as UTF-16LE bytes
        std::string text = Utf16ToUtf8(bytes, false);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        value.kind = RegistryFile::ValueKind::String;
        value.text = std::move(text);
    } else if (type == "4" && bytes.size() == 4) {  // REG_DWORD, little-endian
        value.kind = RegistryFile::ValueKind::Dword;
        value.dword = 0;
        for (int i = 3; i >= 0; --i) value.dword = value.dword << 8 | static_cast<unsigned char>(bytes[i]);
    } else {
        value.kind = RegistryFile::ValueKind::Binary;
        value.text = std::move(bytes);
    }
    return true;
}

enum class ValueLine { Parsed, Deletion, Malformed };

ValueLine ParseValueLine(std::string_view line, RegistryFile::Value& value) {
    line = sdk::Trim(line);
    if (line.front() == '@') {
        value.name.clear();
        line.remove_prefix(1);
    } else if (!ReadQuoted(line, value.name)) {
        return ValueLine::Malformed;
    }
    line = sdk::Trim(line);
    if (line.empty() || line.front() != '=') return ValueLine::Malformed;
    line = sdk::Trim(line.substr(1));
    if (line.empty()) return ValueLine::Malformed;
    if (line == "-") return ValueLine::Deletion;
    if (line.front() == '"') {
        value.kind = RegistryFile::ValueKind::String;
        if (!ReadQuoted(line, value.text) || !sdk::Trim(line).empty()) return ValueLine::Malformed;
        return ValueLine::Parsed;
    }
    if (line.size() > 6 && sdk::EqualsNoCase(line.substr(0, 6), "dword:")) {
        value.kind = RegistryFile::ValueKind::Dword;
        return ReadDwordText(line.substr(6), value.dword) ? ValueLine::Parsed : ValueLine::Malformed;
    }
    if (line.size() >= 3 && sdk::EqualsNoCase(line.substr(0, 3), "hex"))
        return ReadHexValue(line, value) ? ValueLine::Parsed : ValueLine::Malformed;
    return ValueLine::Malformed;
}

bool EndsWithContinuation(std::string_view line) {
    line = sdk::Trim(line);
    return !line.empty() && line.back() == '\\';
}

// A hex value may run over several lines, each but the last ending in '\'.
std::string JoinContinuations(const std::vector<std::string_view>& lines, std::size_t& i) {
    std::string joined(lines[i]);
    while (EndsWithContinuation(joined) && i + 1 < lines.size()) {
        joined = std::string(sdk::Trim(joined));
        joined.pop_back();
        joined += ' ';
        joined += lines[++i];
    }
    if (EndsWithContinuation(joined)) {  // the file ended inside the value
        joined = std::string(sdk::Trim(joined));
        joined.pop_back();
    }
    return joined;
}

bool StartsHexData(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string_view data = sdk::Trim(line.substr(eq + 1));
    return data.size() >= 3 && sdk::EqualsNoCase(data.substr(0, 3), "hex");
}

}  // namespace

std::string RegistryFile::DefaultPath() {
    const char* env = std::getenv("KVN_REGISTRY");
    return (env && *env) ? std::string(env) : std::string("/etc/kvn/registry.reg");
}

std::string RegistryFile::NormalizeKey(std::string_view key) {
    key = sdk::Trim(key);
    std::string out;
    out.reserve(key.size() + 16);
    for (char c : key) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out += sdk::AsciiLower(c);
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    const std::size_t sep = out.find('\\');
    const std::string_view root = std::string_view(out).substr(0, sep);
    for (const RootAlias& r : kRoots)
        if (sdk::EqualsNoCase(root, r.shortName))
            return sdk::AsciiLowerCopy(r.longName) + (sep == std::string::npos ? std::string() : out.substr(sep));
    return out;
}

bool RegistryFile::LoadFromText(std::string_view bytes, RegistryFile& out, std::string* error) {
    out = RegistryFile();
    const std::string text = DecodeFileText(bytes);
    const std::vector<std::string_view> lines = SplitLines(text);

    std::size_t i = 0;
    while (i < lines.size() && sdk::Trim(lines[i]).empty()) ++i;
    if (i == lines.size() || !IsHeader(lines[i])) {
        if (error) *error = "not a registry export: the first line is not \"Windows Registry Editor Version 5.00\"";
        return false;
    }

    std::vector<Value>* current = nullptr;
    for (++i; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        const std::string_view line = sdk::Trim(lines[i]);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            current = nullptr;
            const std::size_t close = line.rfind(']');
            if (close == std::string_view::npos || !sdk::Trim(line.substr(close + 1)).empty()) {
                out.skipped_.push_back(lineNo);
                continue;
            }
            const std::string_view path = sdk::Trim(line.substr(1, close - 1));
            if (!path.empty() && path.front() == '-') continue;  // a deletion: nothing to read
            const std::string key = NormalizeKey(path);
            if (key.empty()) {
                out.skipped_.push_back(lineNo);
                continue;
            }
            current = &out.keys_[key];
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            out.skipped_.push_back(lineNo);
            continue;
        }
        const std::string logical = StartsHexData(line) ? JoinContinuations(lines, i) : std::string(line);
        Value value;
        const ValueLine parsed = ParseValueLine(logical, value);
        if (parsed == ValueLine::Malformed || !current) {
            out.skipped_.push_back(lineNo);
            continue;
        }
        if (parsed == ValueLine::Deletion) continue;
        // A repeated name: the later line wins, as when the file is imported.
        auto same = std::find_if(current->begin(), current->end(),
                                 [&](const Value& v) { return sdk::EqualsNoCase(v.name, value.name); });
        if (same != current->end())
            *same = std::move(value);
        else
            current->push_back(std::move(value));
    }
    return true;
}

bool RegistryFile::Load(const std::string& path, RegistryFile& out, std::string* error) {
    out = RegistryFile();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string bytes;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxFileBytes) {
            if (error) *error = path + " is too large for a registry file";
            return false;
        }
    }
    if (in.bad()) {
        if (error) *error = "cannot read " + path;
        return false;
    }
    std::string why;
    if (!LoadFromText(bytes, out, &why)) {
        if (error) *error = path + ": " + why;
        return false;
    }
    return true;
}

bool RegistryFile::HasKey(const std::string& key) const {
    const std::string k = NormalizeKey(key);
    if (k.empty()) return false;
    auto it = keys_.lower_bound(k);
    if (it == keys_.end()) return false;
    return it->first == k || (it->first.size() > k.size() && it->first.compare(0, k.size(), k) == 0 &&
                              it->first[k.size()] == '\\');
}

const RegistryFile::Value* RegistryFile::Find(const std::string& key, const std::string& name) const {
    auto it = keys_.find(NormalizeKey(key));
    if (it == keys_.end()) return nullptr;
    for (const Value& v : it->second)
        if (sdk::EqualsNoCase(v.name, name)) return &v;
    return nullptr;
}

std::optional<std::string> RegistryFile::ReadString(const std::string& key, const std::string& name) const {
    const Value* v = Find(key, name);
    if (!v) return std::nullopt;
    switch (v->kind) {
    case ValueKind::String: return v->text;
    case ValueKind::Dword: return std::to_string(v->dword);
    case ValueKind::Binary: break;
    }
    return std::nullopt;
}

std::optional<std::int32_t> RegistryFile::ReadDword(const std::string& key, const std::string& name) const {
    const Value* v = Find(key, name);
    if (!v || v->kind != ValueKind::Dword) return std::nullopt;
    return static_cast<std::int32_t>(v->dword);
}

std::vector<std::string> RegistryFile::ValueNames(const std::string& key) const {
    std::vector<std::string> names;
    auto it = keys_.find(NormalizeKey(key));
    if (it != keys_.end())
        for (const Value& v : it->second) names.push_back(v.name);
    return names;
}

std::optional<std::string> ReadRegistryString(const std::string& key, const std::string& name) {
    RegistryFile file;
    if (!RegistryFile::Load(RegistryFile::DefaultPath(), file)) return std::nullopt;
    return file.ReadString(key, name);
}

}  // namespace kv

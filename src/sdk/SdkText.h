// Small ASCII text helpers shared by the SDK units. Names in this system (ProgIDs,
// registry keys and values, library file names) compare without regard to case
// the way the Windows originals did, which for our purposes means ASCII folding.
#pragma once

#include <string>
#include <string_view>

namespace kv::sdk {

inline char AsciiLower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLowerCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

inline bool EndsWithNoCase(std::string_view s, std::string_view suffix) noexcept {
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

struct LessNoCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i) {
            const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
            if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        }
        return a.size() < b.size();
    }
};

inline bool IsBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

inline std::string_view Trim(std::string_view s) noexcept {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace kv::sdk

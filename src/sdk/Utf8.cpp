#include "kv/Utf8.h"

namespace kv {

namespace {

// The number of continuation bytes a lead byte announces and the range its first
// continuation byte must lie in (narrower after E0, ED, F0 and F4, which is what
// rules out overlong forms, surrogates and code points above U+10FFFF).
struct LeadByte {
    int extra = -1;  // -1: not a lead byte
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

LeadByte ClassifyLeadByte(unsigned char c) noexcept {
    if (c >= 0xC2 && c <= 0xDF) return {1, 0x80, 0xBF};
    if (c == 0xE0) return {2, 0xA0, 0xBF};
    if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) return {2, 0x80, 0xBF};
    if (c == 0xED) return {2, 0x80, 0x9F};
    if (c == 0xF0) return {3, 0x90, 0xBF};
    if (c >= 0xF1 && c <= 0xF3) return {3, 0x80, 0xBF};
    if (c == 0xF4) return {3, 0x80, 0x8F};
    return {};
}

bool IsContinuation(unsigned char c) noexcept { return c >= 0x80 && c <= 0xBF; }

}  // namespace

bool IsValidUtf8(std::string_view text) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const LeadByte lead = ClassifyLeadByte(*p);
        if (lead.extra < 0 || end - p <= lead.extra) return false;
        if (p[1] < lead.low || p[1] > lead.high) return false;
        for (int i = 2; i <= lead.extra; ++i)
            if (!IsContinuation(p[i])) return false;
        p += lead.extra + 1;
    }
    return true;
}

}  // namespace kv

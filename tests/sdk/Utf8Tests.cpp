#include <gtest/gtest.h>

#include <string>

#include "kv/Utf8.h"

namespace kv {
namespace {

// The edges of each encoding length and of the ranges the lead bytes E0, ED, F0
// and F4 narrow, on both sides.
TEST(Utf8Test, AcceptsExactlyTheWellFormedSequences) {
    const struct {
        const char* what;
        std::string bytes;
        bool valid;
    } cases[] = {
        {"empty", "", true},
        {"ASCII with NUL", std::string("a\0b", 3), true},
        {"U+0080", "\xC2\x80", true},
        {"U+07FF", "\xDF\xBF", true},
        {"U+0800", "\xE0\xA0\x80", true},
        {"U+D7FF", "\xED\x9F\xBF", true},
        {"U+E000", "\xEE\x80\x80", true},
        {"U+FFFF", "\xEF\xBF\xBF", true},
        {"U+10000", "\xF0\x90\x80\x80", true},
        {"U+10FFFF", "\xF4\x8F\xBF\xBF", true},
        {"Chinese text", "薪资报表", true},
        {"overlong NUL", "\xC0\x80", false},
        {"overlong two-byte form (C1)", "\xC1\xBF", false},
        {"overlong three-byte form", "\xE0\x9F\xBF", false},
        {"overlong four-byte form", "\xF0\x8F\xBF\xBF", false},
        {"surrogate U+D800", "\xED\xA0\x80", false},
        {"surrogate U+DFFF", "\xED\xBF\xBF", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"lead byte F5", "\xF5\x80\x80\x80", false},
        {"lone continuation byte", "\x80", false},
        {"second continuation byte missing its high bit", "\xE4\xB8\x41", false},
        {"cut at the end", "a\xE4\xB8", false},
        {"lead byte alone at the end", "a\xF0", false},
        {"byte FE", "\xFE", false},
        {"byte FF", "\xFF", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.what;
}

}  // namespace
}  // namespace kv

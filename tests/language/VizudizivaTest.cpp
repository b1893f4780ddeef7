// The C interface of the translation library, called the way any program that
// loads it by name would call it.
#include "kv/Vizudiziva.h"

#include <elf.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "kv/Library.h"

namespace kv {
namespace {

const std::string kLibraryPath = std::string(KV_BIN_DIR) + "/Vizudiziva.so";

// The names a shared object defines in its dynamic symbol table, read from the
// file's section headers.
std::set<std::string> DefinedDynamicSymbols(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    if (bytes.size() < sizeof(Elf64_Ehdr)) return names;
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(bytes.data());
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(bytes.data() + header->e_shoff);
    for (int i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNSYM) continue;
        const char* strings = bytes.data() + sections[sections[i].sh_link].sh_offset;
        const auto* symbols = reinterpret_cast<const Elf64_Sym*>(bytes.data() + sections[i].sh_offset);
        for (std::size_t s = 0; s < sections[i].sh_size / sizeof(Elf64_Sym); ++s) {
            const unsigned bind = ELF64_ST_BIND(symbols[s].st_info);
            if (symbols[s].st_shndx != SHN_UNDEF && (bind == STB_GLOBAL || bind == STB_WEAK))
                names.insert(strings + symbols[s].st_name);
        }
    }
    return names;
}

class VizudizivaTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string why;
        Library = LoadLibraryByName(kLibraryPath, &why);
        ASSERT_NE(Library, nullptr) << why;
        ToBig5 = reinterpret_cast<VzConvertFunc>(GetProcAddress(Library, "GBtoBIG5"));
        ToGB = reinterpret_cast<VzConvertFunc>(GetProcAddress(Library, "BIG5toGB"));
        ASSERT_NE(ToBig5, nullptr);
        ASSERT_NE(ToGB, nullptr);
    }

    struct Result {
        int status = -1;
        std::string text;
    };

    // A size query, then the conversion into a buffer of exactly that size.
    static Result Convert(VzConvertFunc function, const std::string& input) {
        std::size_t needed = 0;
        int status = function(input.data(), input.size(), nullptr, 0, &needed);
        if (status != VZ_OK && status != VZ_BUFFER_TOO_SMALL) return {status, {}};
        std::string out(needed, '\0');
        std::size_t written = 0;
        status = function(input.data(), input.size(), out.data(), out.size(), &written);
        out.resize(written);
        return {status, out};
    }

    static inline void* Library = nullptr;  // the SDK keeps libraries loaded
    static inline VzConvertFunc ToBig5 = nullptr;
    static inline VzConvertFunc ToGB = nullptr;
};

TEST_F(VizudizivaTest, ExportsTheFiveEntriesOnly) {
    const std::set<std::string> expected = {"GBtoBIG5", "BIG5toGB", "GetBIG5Data", "GetGBData", "SaveOrder"};
    EXPECT_EQ(DefinedDynamicSymbols(kLibraryPath), expected);
}

TEST_F(VizudizivaTest, EntriesKeptForCompatibilitySayUnsupported) {
    for (const char* name : {"GetBIG5Data", "GetGBData", "SaveOrder"}) {
        const auto entry = reinterpret_cast<VzUnsupportedFunc>(GetProcAddress(Library, name));
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry(), VZ_UNSUPPORTED) << name;
    }
}

TEST_F(VizudizivaTest, NullPointersAreRefused) {
    char out[8];
    std::size_t outLen = 99;
    EXPECT_EQ(ToBig5("ab", 2, out, sizeof out, nullptr), VZ_INVALID_ARGUMENT);
    EXPECT_EQ(ToBig5(nullptr, 2, out, sizeof out, &outLen), VZ_INVALID_ARGUMENT);
    EXPECT_EQ(ToBig5("ab", 2, nullptr, 8, &outLen), VZ_INVALID_ARGUMENT);
    // Nothing to read and nothing to write is a valid, empty conversion.
    EXPECT_EQ(ToGB(nullptr, 0, nullptr, 0, &outLen), VZ_OK);
    EXPECT_EQ(outLen, 0u);
}

TEST_F(VizudizivaTest, BufferTooSmallTellsTheSizeAndWritesNothing) {
    const std::string input = "简体";  // six bytes, and six converted
    for (std::size_t capacity : {std::size_t(0), std::size_t(1), std::size_t(5)}) {
        std::string out(8, '#');
        std::size_t outLen = 0;
        EXPECT_EQ(ToBig5(input.data(), input.size(), capacity ? out.data() : nullptr, capacity, &outLen),
                  VZ_BUFFER_TOO_SMALL)
            << capacity;
        EXPECT_EQ(outLen, 6u) << capacity;
        EXPECT_EQ(out, std::string(8, '#')) << capacity;
    }
}

TEST_F(VizudizivaTest, WritesOnlyTheResultIntoALargerBuffer) {
    std::string out(16, '#');
    std::size_t outLen = 0;
    ASSERT_EQ(ToBig5("简体", 6, out.data(), out.size(), &outLen), VZ_OK);
    EXPECT_EQ(out, "簡體" + std::string(10, '#'));
    EXPECT_EQ(outLen, 6u);
}

TEST_F(VizudizivaTest, MalformedUtf8IsRefusedInBothDirections) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"lone continuation byte", "a\x80"},
        {"sequence cut at the end", "简\xE4\xB8"},
        {"sequence cut in the middle", "\xE4\xB8" "a"},
        {"lead byte at the very end", "ab\xF0"},
        {"overlong slash", "\xC0\xAF"},
        {"overlong three-byte form", "\xE0\x80\xAF"},
        {"UTF-16 surrogate", "\xED\xA0\x80"},
        {"above U+10FFFF", "\xF4\x90\x80\x80"},
        {"five-byte form", "\xF8\x88\x80\x80\x80"},
        {"byte FF", "\xFF"},
        {"Big5 bytes", "\xA4\xA4\xA4\xE5"},
    };
    for (const auto& c : cases) {
        for (VzConvertFunc function : {ToBig5, ToGB}) {
            std::string out(32, '#');
            std::size_t outLen = 99;
            EXPECT_EQ(function(c.bytes.data(), c.bytes.size(), out.data(), out.size(), &outLen), VZ_INVALID_UTF8)
                << c.what;
            EXPECT_EQ(outLen, 0u) << c.what;
            EXPECT_EQ(out, std::string(32, '#')) << c.what;
        }
    }
}

TEST_F(VizudizivaTest, KeepsNulBytesAndCharactersWithoutCounterpart) {
    const std::string input = std::string("简\0体", 7) + " 😀 ひらがな \x7F";
    const Result result = Convert(ToBig5, input);
    EXPECT_EQ(result.status, VZ_OK);
    EXPECT_EQ(result.text, std::string("簡\0體", 7) + " 😀 ひらがな \x7F");
}

TEST_F(VizudizivaTest, ConvertsAMegabyteExactly) {
    std::string simplified, traditional;
    while (simplified.size() < 1024 * 1024) {
        simplified += "员工薪资报表 Payroll 2004/03;";
        traditional += "員工薪資報表 Payroll 2004/03;";
    }
    const Result big5 = Convert(ToBig5, simplified);
    ASSERT_EQ(big5.status, VZ_OK);
    EXPECT_TRUE(big5.text == traditional);  // not printed: a megabyte
    const Result gb = Convert(ToGB, traditional);
    ASSERT_EQ(gb.status, VZ_OK);
    EXPECT_TRUE(gb.text == simplified);
}

TEST_F(VizudizivaTest, ConvertsFromSeveralThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (std::size_t t = 0; t < wrong.size(); ++t)
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 100; ++i) {
                const bool toBig5 = (i + t) % 2 == 0;
                const Result r = toBig5 ? Convert(ToBig5, "部门员工") : Convert(ToGB, "部門員工");
                if (r.status != VZ_OK || r.text != (toBig5 ? "部門員工" : "部门员工")) ++wrong[t];
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(wrong.size(), 0));
}

}  // namespace
}  // namespace kv

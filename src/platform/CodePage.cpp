#include "platform/CodePage.h"

#include "platform/SysUtils.h"

#include <iconv.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <map>
#include <utility>

namespace kv {

namespace {

constexpr int kCodePageUtf8 = 65001;
constexpr int kCodePageGbk = 936;
constexpr int kCodePageBig5 = 950;
constexpr int kCodePageUsDos = 437;

std::string IconvName(int codePage) {
    // Windows names UTF-8 as a code page too; iconv does not know "CP65001".
    if (codePage == kCodePageUtf8)
        return "UTF-8";
    return "CP" + std::to_string(codePage);
}

// iconv descriptors carry conversion state and must not be shared between
// threads, so each thread keeps its own, opened on first use.
class ConverterCache {
public:
    ConverterCache() = default;
    ConverterCache(const ConverterCache&) = delete;
    ConverterCache& operator=(const ConverterCache&) = delete;
    ~ConverterCache() {
        for (auto& [key, cd] : FConverters)
            if (cd != Invalid())
                iconv_close(cd);
    }

    // (iconv_t)-1 when the pair cannot be converted.
    iconv_t Get(int codePage, bool toCodePage) {
        const auto key = std::make_pair(codePage, toCodePage);
        auto it = FConverters.find(key);
        if (it == FConverters.end()) {
            const std::string name = IconvName(codePage);
            iconv_t cd = toCodePage ? iconv_open(name.c_str(), "UTF-8") : iconv_open("UTF-8", name.c_str());
            it = FConverters.emplace(key, cd).first;
        }
        return it->second;
    }

    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }

private:
    std::map<std::pair<int, bool>, iconv_t> FConverters;
};

ConverterCache& ThreadConverters() {
    thread_local ConverterCache cache;
    return cache;
}

// Runs the whole input through cd; false on any invalid or unconvertible input.
bool Convert(iconv_t cd, std::string_view input, std::string& output) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    std::string result(input.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t used = 0;
    bool flushing = false;
    for (;;) {
        char* out = result.data() + used;
        std::size_t outLeft = result.size() - used;
        const std::size_t rc =
            flushing ? iconv(cd, nullptr, nullptr, &out, &outLeft) : iconv(cd, &in, &inLeft, &out, &outLeft);
        used = static_cast<std::size_t>(out - result.data());
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno != E2BIG)
                return false;  // EILSEQ: no form in the target; EINVAL: cut-off sequence
            result.resize(result.size() * 2);
            continue;
        }
        if (rc > 0)
            return false;  // a lossy substitution is a failure too, never a silent '?'
        if (flushing)
            break;
        flushing = true;  // emit any shift sequence a stateful encoding still owes
    }
    result.resize(used);
    output = std::move(result);
    return true;
}

bool ConvertWith(int codePage, bool toCodePage, std::string_view input, std::string& output) {
    if (codePage <= 0)
        return false;
    iconv_t cd = ThreadConverters().Get(codePage, toCodePage);
    if (cd == ConverterCache::Invalid())
        return false;
    return Convert(cd, input, output);
}

bool ParsePositive(std::string_view text, int& value) {
    const std::string trimmed = Trim(text);
    int parsed = 0;
    auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), parsed);
    if (ec != std::errc() || end != trimmed.data() + trimmed.size() || parsed <= 0)
        return false;
    value = parsed;
    return true;
}

std::string LocaleName() {
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value != nullptr && value[0] != '\0')
            return value;
    }
    return {};
}

// "GB-18030" and "gb18030" are the same codeset.
std::string CanonicalCodeset(std::string_view codeset) {
    std::string result;
    for (char c : UpperCase(codeset))
        if (c != '-' && c != '_')
            result += c;
    return result;
}

int CodePageOfLocale(const std::string& locale) {
    // language[_territory][.codeset][@modifier]
    std::string_view name(locale);
    if (auto at = name.find('@'); at != std::string_view::npos)
        name = name.substr(0, at);
    std::string_view codeset;
    if (auto dot = name.find('.'); dot != std::string_view::npos) {
        codeset = name.substr(dot + 1);
        name = name.substr(0, dot);
    }
    const std::string set = CanonicalCodeset(codeset);
    if (set == "GBK" || set == "GB2312" || set == "GB18030" || set == "EUCCN" || set == "CP936")
        return kCodePageGbk;
    if (set == "BIG5" || set == "BIG5HKSCS" || set == "CP950")
        return kCodePageBig5;
    for (const char* simplified : {"zh_CN", "zh_SG"})
        if (SameText(name, simplified))
            return kCodePageGbk;
    for (const char* traditional : {"zh_TW", "zh_HK", "zh_MO"})
        if (SameText(name, traditional))
            return kCodePageBig5;
    return kCodePageUsDos;
}

}  // namespace

bool UnicodeToCodePage(std::string_view utf8, int codePage, std::string& bytes) {
    return ConvertWith(codePage, true, utf8, bytes);
}

bool CodePageToUnicode(std::string_view bytes, int codePage, std::string& utf8) {
    return ConvertWith(codePage, false, bytes, utf8);
}

bool IsCodePageSupported(int codePage) {
    return codePage > 0 && ThreadConverters().Get(codePage, true) != ConverterCache::Invalid() &&
           ThreadConverters().Get(codePage, false) != ConverterCache::Invalid();
}

int SystemCodePage() {
    int configured = 0;
    if (const char* value = std::getenv("KVN_SYSTEM_CODEPAGE"); value != nullptr && ParsePositive(value, configured))
        return configured;
    return CodePageOfLocale(LocaleName());
}

}  // namespace kv

// The translation library Vizudiziva: GB <-> Big5 conversion of UTF-8 texts,
// which in Unicode is simplified <-> traditional Chinese. Only the five entries
// below are exported (Vizudiziva.map).
#include "kv/Vizudiziva.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>

#include "ChineseConverter.h"
#include "kv/Utf8.h"

namespace {

using kv::vizudiziva::Direction;

bool ArgumentsValid(const char* in, std::size_t inLen, const char* out, std::size_t outCap,
                    const std::size_t* outLen) noexcept {
    return outLen && (in || inLen == 0) && (out || outCap == 0);
}

// Hands the result over only when all of it fits: a cut text would be a
// different text.
int DeliverResult(const std::string& result, char* out, std::size_t outCap, std::size_t* outLen) noexcept {
    *outLen = result.size();
    if (result.size() > outCap) return VZ_BUFFER_TOO_SMALL;
    if (!result.empty()) std::memcpy(out, result.data(), result.size());
    return VZ_OK;
}

// No exception may cross the C boundary: every failure becomes a status.
int Convert(Direction direction, const char* in, std::size_t inLen, char* out, std::size_t outCap,
            std::size_t* outLen) noexcept {
    if (!ArgumentsValid(in, inLen, out, outCap, outLen)) return VZ_INVALID_ARGUMENT;
    *outLen = 0;
    if (inLen == 0) return VZ_OK;
    const std::string_view text(in, inLen);
    if (!kv::IsValidUtf8(text)) return VZ_INVALID_UTF8;
    try {
        const kv::vizudiziva::ChineseConverter* converter = kv::vizudiziva::ConverterFor(direction);
        if (!converter) return VZ_CONVERTER_UNAVAILABLE;
        std::string result;
        if (!converter->Convert(text, result)) return VZ_CONVERSION_FAILED;
        return DeliverResult(result, out, outCap, outLen);
    } catch (const std::bad_alloc&) {
        return VZ_OUT_OF_MEMORY;
    } catch (...) {
        return VZ_CONVERSION_FAILED;
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int GBtoBIG5(const char* in, size_t inLen, char* out, size_t outCap,
                                                    size_t* outLen) {
    return Convert(Direction::SimplifiedToTraditional, in, inLen, out, outCap, outLen);
}

__attribute__((visibility("default"))) int BIG5toGB(const char* in, size_t inLen, char* out, size_t outCap,
                                                    size_t* outLen) {
    return Convert(Direction::TraditionalToSimplified, in, inLen, out, outCap, outLen);
}

// The three entries below are looked up by the programs that bind this library
// but never called by them; there is nothing for them to do here.
__attribute__((visibility("default"))) int GetBIG5Data(void) { return VZ_UNSUPPORTED; }
__attribute__((visibility("default"))) int GetGBData(void) { return VZ_UNSUPPORTED; }
__attribute__((visibility("default"))) int SaveOrder(void) { return VZ_UNSUPPORTED; }

}  // extern "C"

// The exported entries have exactly the types the binding casts them to.
static_assert(std::is_same_v<decltype(&GBtoBIG5), VzConvertFunc>);
static_assert(std::is_same_v<decltype(&BIG5toGB), VzConvertFunc>);
static_assert(std::is_same_v<decltype(&GetBIG5Data), VzUnsupportedFunc>);
static_assert(std::is_same_v<decltype(&GetGBData), VzUnsupportedFunc>);
static_assert(std::is_same_v<decltype(&SaveOrder), VzUnsupportedFunc>);

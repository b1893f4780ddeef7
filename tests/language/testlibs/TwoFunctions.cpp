// A translation library with the two required entries only. Its conversions are
// easy to recognise, and some inputs make it misbehave the way a faulty library
// could.
#include "kv/Vizudiziva.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

int Deliver(const std::string& result, char* out, size_t outCap, size_t* outLen) {
    *outLen = result.size();
    if (result.size() > outCap) return VZ_BUFFER_TOO_SMALL;
    if (!result.empty()) std::memcpy(out, result.data(), result.size());
    return VZ_OK;
}

}  // namespace

// The text twice: results longer than the caller's first buffer.
extern "C" __attribute__((visibility("default"))) int GBtoBIG5(const char* in, size_t inLen, char* out,
                                                               size_t outCap, size_t* outLen) {
    const std::string text(in, inLen);
    return Deliver(text + text, out, outCap, outLen);
}

extern "C" __attribute__((visibility("default"))) int BIG5toGB(const char* in, size_t inLen, char* out,
                                                               size_t outCap, size_t* outLen) {
    const std::string_view text(in, inLen);
    if (text == "fail") {
        *outLen = 0;
        return VZ_CONVERTER_UNAVAILABLE;
    }
    // Asks for one byte more on each of its first hundred calls: a caller that
    // keeps giving in would spin for a long time before getting a result.
    static thread_local int askedForMore = 0;
    if (text == "keeps asking" && ++askedForMore % 100 != 0) {
        *outLen = outCap + 1;
        return VZ_BUFFER_TOO_SMALL;
    }
    if (text == "overclaim") {  // reports more than the buffer holds
        *outLen = outCap + 100;
        return VZ_OK;
    }
    return Deliver("GB:" + std::string(text), out, outCap, outLen);
}

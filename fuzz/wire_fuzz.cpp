// libFuzzer target for the socket connection's wire codec (kv/Wire.h): frames,
// messages and values from arbitrary bytes. Built with -DKV_FUZZ=ON (docs/fuzzing.md);
// run e.g. as wire_fuzz -max_len=4096.
//
// Anything decoded must encode again, and decode to the same encoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kv/Wire.h"

namespace {

void CheckStable(const kv::Variant& v) {
    const std::string once = kv::wire::EncodeVariant(v);
    const std::string twice = kv::wire::EncodeVariant(kv::wire::DecodeVariant(once));
    if (once != twice) std::abort();
}

void FuzzValue(std::string_view bytes) {
    try {
        CheckStable(kv::wire::DecodeVariant(bytes));
    } catch (const kv::wire::EWireError&) {
    }
}

void FuzzMessage(std::string_view bytes) {
    try {
        const kv::wire::Message m = kv::wire::DecodeMessage(bytes);
        const std::string again = kv::wire::EncodeMessage(m);
        if (kv::wire::EncodeMessage(kv::wire::DecodeMessage(again)) != again) std::abort();
    } catch (const kv::wire::EWireError&) {
    }
}

// The stream cut into pieces of the sizes the first bytes say, as a socket would.
void FuzzStream(std::string_view bytes) {
    kv::wire::FrameReader reader(4096);
    std::size_t pos = 0;
    try {
        while (pos < bytes.size()) {
            const std::size_t piece = 1 + static_cast<unsigned char>(bytes[pos]) % 64;
            ++pos;
            reader.Feed(bytes.substr(pos, piece));
            pos += piece;
            while (auto body = reader.Take()) FuzzMessage(*body);
        }
    } catch (const kv::wire::EWireError&) {
        if (!reader.Failed()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
    case 0: FuzzValue(bytes); break;
    case 1: FuzzMessage(bytes); break;
    default: FuzzStream(bytes); break;
    }
    return 0;
}

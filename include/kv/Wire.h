// The wire format of the socket connection between a client and the application
// server: kv::Variant values and the messages that carry them, as CBOR, in
// length-prefixed frames. No Qt here; the codec itself is the static library
// kv_wire.
//
// Frame: a 4-byte big-endian unsigned body length, then the CBOR body. The length
// is checked against a maximum before any body byte is kept, so a peer cannot make
// us reserve memory by announcing a large frame.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kv/Automation.h"
#include "kv/Variant.h"

namespace kv::wire {

// Malformed, truncated or oversized input, or a value that cannot travel.
class EWireError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::uint32_t kDefaultMaxFrameBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kFrameHeaderBytes = 4;
// Arrays nested deeper than this are refused when decoding (and encoding), which
// bounds the decoder's recursion whatever the input.
inline constexpr int kMaxNesting = 64;

// CBOR tags (first-come range) that mark this format's own kinds:
inline constexpr std::uint64_t kTagDate = 0x4B5601;     // a float: days since 1899-12-30
inline constexpr std::uint64_t kTagRawText = 0x4B5602;  // a byte string: a String that is not valid UTF-8
inline constexpr std::uint64_t kTagArray = 0x4B5603;    // [[low1, high1 (, low2, high2)], [elements...]]

// A Variant as one CBOR item. Plain CBOR where it can: undefined = Empty, null =
// Null, booleans, integers = Int, floats = Double, text = String, bytes = Bytes. Every kind travels: Empty and Null stay apart, Bytes
// and String stay apart (a String that is not valid UTF-8 still comes back byte for
// byte), Date keeps its day count, arrays keep their dimensions and bounds.
// Dispatch values cannot leave the process: EWireError.
std::string EncodeVariant(const Variant& value);
Variant DecodeVariant(std::string_view cbor, int maxNesting = kMaxNesting);

// What travels in one frame. Requests go from the client to the server, every
// request but Release is answered by exactly one reply (Created, Result, Rows or
// Error).
enum class Op : std::uint8_t {
    Create = 1,     // text = ProgID                       -> Created(objectId)
    Invoke = 2,     // objectId, text = member, kind, args -> Result(value, args)
    FetchRows = 3,  // objectId, text = provider name      -> Rows(value)
    Release = 4,    // objectId; no reply
    Created = 16,
    Result = 17,    // args carry the arguments back, so var parameters return
    Rows = 18,
    Error = 31,     // text = the error
};

struct Message {
    Op op = Op::Error;
    std::uint32_t objectId = 0;
    std::string text;
    InvokeKind kind = InvokeKind::Method;
    std::vector<Variant> args;
    Variant value;
};

Message CreateMessage(std::string progId);
Message InvokeMessage(std::uint32_t objectId, std::string member, InvokeKind kind, std::vector<Variant> args);
Message FetchRowsMessage(std::uint32_t objectId, std::string provider);
Message ReleaseMessage(std::uint32_t objectId);
Message CreatedMessage(std::uint32_t objectId);
Message ResultMessage(Variant result, std::vector<Variant> args);
Message RowsMessage(Variant rows);
Message ErrorMessage(std::string text);

std::string EncodeMessage(const Message& message);
Message DecodeMessage(std::string_view body, int maxNesting = kMaxNesting);

// The frame around a body; EWireError when the body exceeds the maximum.
std::string EncodeFrame(std::string_view body, std::uint32_t maxFrameBytes = kDefaultMaxFrameBytes);
// EncodeFrame(EncodeMessage(message)).
std::string EncodeMessageFrame(const Message& message, std::uint32_t maxFrameBytes = kDefaultMaxFrameBytes);

// Cuts a byte stream into frame bodies. Bytes may arrive in any pieces.
class FrameReader {
public:
    explicit FrameReader(std::uint32_t maxFrameBytes = kDefaultMaxFrameBytes);

    // Adds received bytes. Raises EWireError as soon as a header announces more
    // than the maximum; the reader is then unusable (the stream has no boundary
    // left to resynchronise on).
    void Feed(std::string_view bytes);
    // The next complete body, if one has arrived.
    std::optional<std::string> Take();
    // Bytes received but not yet taken.
    std::size_t Buffered() const noexcept { return buffer_.size() - start_; }
    bool Failed() const noexcept { return failed_; }

private:
    void CheckPendingHeader();

    std::uint32_t max_;
    std::string buffer_;
    std::size_t start_ = 0;
    bool failed_ = false;
};

}  // namespace kv::wire

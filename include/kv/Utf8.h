// UTF-8 well-formedness, checked wherever text crosses a boundary: CBOR text on
// the wire must be exactly this, and the conversion tables read past the end of
// truncated or malformed sequences.
#pragma once

#include <string_view>

namespace kv {

// Well-formed UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing above
// U+10FFFF, no truncated sequence. The empty text is well-formed.
bool IsValidUtf8(std::string_view text) noexcept;

}  // namespace kv

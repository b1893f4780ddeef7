// Strict UTF-8 checking for the texts handed to the conversion tables, which
// read past the end of truncated or malformed sequences.
#pragma once

#include <string_view>

namespace kv::vizudiziva {

// Well-formed UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing above
// U+10FFFF, no truncated sequence. The empty text is well-formed.
bool IsWellFormedUtf8(std::string_view text) noexcept;

}  // namespace kv::vizudiziva

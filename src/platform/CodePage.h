// Conversion between Unicode (UTF-8) text and the single/double-byte code pages
// the product speaks: 936 (GBK), 950 (Big5), 437 (DOS Latin US), or any other
// "CP<n>" that the C library's iconv knows. Conversion happens only where bytes
// meet text; text that is already Unicode is never re-decoded.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// utf8 -> bytes of the code page. False (bytes untouched) when the code page is
// unknown, the input is not valid UTF-8, or a character has no form in the code
// page: nothing is replaced by '?' silently.
bool UnicodeToCodePage(std::string_view utf8, int codePage, std::string& bytes);
// bytes of the code page -> utf8. False (utf8 untouched) when the code page is
// unknown or the bytes are not valid in it.
bool CodePageToUnicode(std::string_view bytes, int codePage, std::string& utf8);
// True when the code page can be converted here.
bool IsCodePageSupported(int codePage);

// The system's ANSI code page: $KVN_SYSTEM_CODEPAGE when it holds a positive
// number; else from the locale ($LC_ALL, else $LC_CTYPE, else $LANG):
// a GB codeset (GBK, GB2312, GB18030) or zh_CN/zh_SG -> 936; a Big5 codeset or
// zh_TW/zh_HK/zh_MO -> 950; anything else (also no locale) -> 437.
int SystemCodePage();

}  // namespace kv

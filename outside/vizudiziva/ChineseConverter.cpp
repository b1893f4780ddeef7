#include "ChineseConverter.h"

#include <opencc.h>

namespace kv::vizudiziva {

namespace {

// The configuration's full path when the build found the OpenCC data folder, so
// that a same-named file in the current folder is never picked up instead.
std::string ConfigPath(const char* fileName) {
#ifdef KV_OPENCC_DATA_DIR
    return std::string(KV_OPENCC_DATA_DIR) + "/" + fileName;
#else
    return fileName;
#endif
}

}  // namespace

ChineseConverter::ChineseConverter(const std::string& configFile) {
    const opencc_t handle = opencc_open(configFile.c_str());
    // OpenCC reports failure as (opencc_t)-1, not as a null pointer.
    if (handle != reinterpret_cast<opencc_t>(-1)) FHandle = handle;
}

ChineseConverter::~ChineseConverter() {
    if (FHandle) opencc_close(FHandle);
}

bool ChineseConverter::ConvertPiece(std::string_view piece, std::string& result) const {
    if (piece.empty()) return true;
    char* converted = opencc_convert_utf8(FHandle, piece.data(), piece.size());
    if (!converted) return false;
    try {
        result += converted;
    } catch (...) {
        opencc_convert_utf8_free(converted);
        throw;
    }
    opencc_convert_utf8_free(converted);
    return true;
}

bool ChineseConverter::Convert(std::string_view text, std::string& result) const {
    result.clear();
    if (!FHandle) return false;
    result.reserve(text.size());
    while (true) {
        const std::size_t nul = text.find('\0');
        if (!ConvertPiece(text.substr(0, nul), result)) return false;
        if (nul == std::string_view::npos) return true;
        result += '\0';
        text.remove_prefix(nul + 1);
    }
}

const ChineseConverter* ConverterFor(Direction direction) {
    // Function-local statics: opened once, on first use, safely under threads.
    if (direction == Direction::SimplifiedToTraditional) {
        static const ChineseConverter s2tw(ConfigPath("s2tw.json"));
        return s2tw.IsOpen() ? &s2tw : nullptr;
    }
    static const ChineseConverter tw2s(ConfigPath("tw2s.json"));
    return tw2s.IsOpen() ? &tw2s : nullptr;
}

}  // namespace kv::vizudiziva

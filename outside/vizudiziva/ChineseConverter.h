// Simplified <-> traditional Chinese conversion on OpenCC. Opening a conversion
// table set costs tens of milliseconds, so each direction is opened once per
// process, on first use, and shared by every caller and thread (an opened OpenCC
// converter only reads its tables).
#pragma once

#include <string>
#include <string_view>

namespace kv::vizudiziva {

enum class Direction {
    SimplifiedToTraditional,  // Taiwan standard forms ("s2tw")
    TraditionalToSimplified,  // ("tw2s")
};

class ChineseConverter {
public:
    // Opens the OpenCC configuration; a file name without a folder is looked for
    // in the OpenCC data folder.
    explicit ChineseConverter(const std::string& configFile);
    ~ChineseConverter();
    ChineseConverter(const ChineseConverter&) = delete;
    ChineseConverter& operator=(const ChineseConverter&) = delete;

    bool IsOpen() const { return FHandle != nullptr; }

    // Converts well-formed UTF-8 (the caller checks it). NUL bytes are kept: the
    // text is converted piece by piece between them, since OpenCC stops at a NUL.
    // False when OpenCC fails.
    bool Convert(std::string_view text, std::string& result) const;

private:
    bool ConvertPiece(std::string_view piece, std::string& result) const;

    void* FHandle = nullptr;
};

// The process-wide converter for a direction; nullptr when its tables could not
// be loaded.
const ChineseConverter* ConverterFor(Direction direction);

}  // namespace kv::vizudiziva

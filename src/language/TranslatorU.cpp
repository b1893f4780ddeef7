#include "language/TranslatorU.h"

#include <dlfcn.h>

#include <QByteArray>

#include <limits>

#include "kv/Library.h"

namespace kv {

namespace {

// Room for the usual result in one call: converted Chinese keeps its length in
// UTF-8 but for the odd character outside the basic plane.
qsizetype FirstOutputGuess(qsizetype inputSize) { return inputSize + inputSize / 4 + 16; }

std::string StatusText(int status) {
    switch (status) {
    case VZ_INVALID_ARGUMENT: return "invalid argument";
    case VZ_INVALID_UTF8: return "the text is not valid UTF-8";
    case VZ_BUFFER_TOO_SMALL: return "the result did not fit";
    case VZ_CONVERTER_UNAVAILABLE: return "the conversion tables could not be loaded";
    case VZ_CONVERSION_FAILED: return "the conversion failed";
    case VZ_OUT_OF_MEMORY: return "out of memory";
    case VZ_UNSUPPORTED: return "not supported";
    default: return "status " + std::to_string(status);
    }
}

}  // namespace

void TTranslator::TLibraryRelease::operator()(void* handle) const {
    // The loader counts the handles: another translator holding the library keeps
    // it mapped.
    if (handle) ::dlclose(handle);
}

TTranslator::TTranslator(const std::string& libraryName) : FLibraryName(libraryName) {
    LoadTranslationLibrary();
}

TTranslator::~TTranslator() = default;

void TTranslator::LoadTranslationLibrary() {
    if (FHandle) return;
    std::string why;
    FHandle.reset(LoadLibraryByName(FLibraryName, &why));
    if (!FHandle) throw ETranslatorError("Load Library " + FLibraryName + " Error!", why);

    FGBtoBIG5 = reinterpret_cast<VzConvertFunc>(GetProcAddress(FHandle.get(), "GBtoBIG5"));
    FBIG5toGB = reinterpret_cast<VzConvertFunc>(GetProcAddress(FHandle.get(), "BIG5toGB"));
    FGetBIG5Data = GetProcAddress(FHandle.get(), "GetBIG5Data");
    FGetGBData = GetProcAddress(FHandle.get(), "GetGBData");
    FSaveOrder = GetProcAddress(FHandle.get(), "SaveOrder");
    if (!FGBtoBIG5 || !FBIG5toGB)
        throw ETranslatorError("Get Library Procedure Address Error!",
                               FLibraryName + (FGBtoBIG5 ? " lacks BIG5toGB" : " lacks GBtoBIG5"));
}

QString TTranslator::ToGB(const QString& text) const { return Translate(FBIG5toGB, "BIG5toGB", text); }

QString TTranslator::ToBig5(const QString& text) const { return Translate(FGBtoBIG5, "GBtoBIG5", text); }

QString TTranslator::Translate(VzConvertFunc function, const char* functionName, const QString& text) const {
    if (!function) return text;
    const QByteArray input = text.toUtf8();
    QByteArray output(FirstOutputGuess(input.size()), Qt::Uninitialized);
    std::size_t outLen = 0;
    int status = function(input.constData(), static_cast<std::size_t>(input.size()), output.data(),
                          static_cast<std::size_t>(output.size()), &outLen);
    // One retry with the size the library asked for; a library that asks again
    // is broken, and asking it forever would hang the caller.
    if (status == VZ_BUFFER_TOO_SMALL && outLen > static_cast<std::size_t>(output.size()) &&
        outLen <= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        output.resize(static_cast<qsizetype>(outLen));
        status = function(input.constData(), static_cast<std::size_t>(input.size()), output.data(),
                          static_cast<std::size_t>(output.size()), &outLen);
    }
    if (status == VZ_OK && outLen > static_cast<std::size_t>(output.size()))
        status = VZ_BUFFER_TOO_SMALL;  // claims more than it could have written
    if (status != VZ_OK)
        throw ETranslatorError(std::string(functionName) + " of " + FLibraryName + " failed: " + StatusText(status));
    return QString::fromUtf8(output.constData(), static_cast<qsizetype>(outLen));
}

}  // namespace kv

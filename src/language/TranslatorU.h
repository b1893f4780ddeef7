// The binding of the translation library "Vizudiziva.dll", which converts texts
// between GB and Big5 (simplified and traditional Chinese).
#pragma once

#include <QString>

#include <memory>
#include <stdexcept>
#include <string>

#include "kv/Vizudiziva.h"

namespace kv {

inline constexpr const char* kTranslationLibrary = "Vizudiziva.dll";

// The library cannot be loaded, lacks a conversion entry, or a conversion failed.
// what() is the system's message; Detail() says why, for logs.
class ETranslatorError : public std::runtime_error {
public:
    explicit ETranslatorError(const std::string& message, std::string detail = {})
        : std::runtime_error(message), FDetail(std::move(detail)) {}
    const std::string& Detail() const { return FDetail; }

private:
    std::string FDetail;
};

class TTranslator {
public:
    // Loads the library (LoadTranslationLibrary); throws ETranslatorError when it
    // is missing or lacks "GBtoBIG5" or "BIG5toGB". The library is found by name
    // the way every library is (see kv/Library.h).
    explicit TTranslator(const std::string& libraryName = kTranslationLibrary);
    ~TTranslator();
    TTranslator(const TTranslator&) = delete;
    TTranslator& operator=(const TTranslator&) = delete;

    // Does nothing when the library is loaded already.
    void LoadTranslationLibrary();

    // Big5 (traditional) to GB (simplified) through "BIG5toGB".
    QString ToGB(const QString& text) const;
    // GB (simplified) to Big5 (traditional) through "GBtoBIG5".
    QString ToBig5(const QString& text) const;

private:
    struct TLibraryRelease {
        void operator()(void* handle) const;
    };

    QString Translate(VzConvertFunc function, const char* functionName, const QString& text) const;

    std::string FLibraryName;
    // Released by the destructor and, since a failing constructor runs no
    // destructor, also when loading fails after the library was opened.
    std::unique_ptr<void, TLibraryRelease> FHandle;
    VzConvertFunc FGBtoBIG5 = nullptr;
    VzConvertFunc FBIG5toGB = nullptr;
    void* FGetBIG5Data = nullptr;  // looked up, never called
    void* FGetGBData = nullptr;    // looked up, never called
    void* FSaveOrder = nullptr;    // looked up, never called
};

}  // namespace kv

// The generator's alert log, the exception reports written into it, and the
// reversible scrambling of the database passwords kept in the server profile.
#pragma once

#include <QString>

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv {

// A database-engine failure carries a stack of engine errors; each is reported.
class EDBEngineError : public std::runtime_error {
public:
    struct TDBError {
        int ErrorCode = 0;
        std::string Message;
    };

    EDBEngineError(const std::string& message, std::vector<TDBError> errors)
        : std::runtime_error(message), FErrors(std::move(errors)) {}

    int ErrorCount() const { return static_cast<int>(FErrors.size()); }
    const std::vector<TDBError>& Errors() const { return FErrors; }

private:
    std::vector<TDBError> FErrors;
};

// A failed operating-system call with its error number.
class EWin32Error : public std::runtime_error {
public:
    EWin32Error(int errorCode, const std::string& message)
        : std::runtime_error(message), FErrorCode(errorCode) {}
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

// A failed file read or write with its error number.
class EInOutError : public std::runtime_error {
public:
    EInOutError(int errorCode, const std::string& message)
        : std::runtime_error(message), FErrorCode(errorCode) {}
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

// The folder the generator log lives in (without the "Log" part): the registry's
// ClientPath, else ServerPath, else the temporary folder, else "/tmp".
std::string GeneratorLogBaseDir();

// Appends "[YYYY/MM/DD hh:nn:ss] text" to Log/Alert_MirrexGenerator_YYYYMMDD.log
// below GeneratorLogBaseDir(), creating the folder when missing. False when the
// line could not be written; never throws.
bool WriteGeneratorLog(const QString& text);

// Writes the report of an exception (none when e is null) as one log line per
// report line: a header naming the place, the error lines by exception class,
// their count and the programmer's message when there is one.
void ReportException(const std::exception* e, const QString& place, const QString& programmerMessage);

// The readable class name of an exception object: "EOleError" for kv::EOleError,
// "std::runtime_error" for a standard one.
std::string ExceptionClassName(const std::exception& e);

// Byte-wise password scrambling: byte i (from 1) rotated right by i mod 8 bits,
// written as two lowercase hex digits. An empty password is stored as a marker.
std::string EncodeSQLSa(const std::string& plain);
// The inverse; a text that is not hex pairs gives "KV_Say_Password_Error" and a
// report in the generator log.
std::string DecodeSQLSa(const std::string& scrambled);

inline constexpr const char* kEmptyPasswordMarker = "KV_Say_NoPassWord_ThePassWordIsEmpty";
inline constexpr const char* kPasswordErrorMarker = "KV_Say_Password_Error";

}  // namespace kv

#include "runtime/MirrexGeneratorU.h"

#include "platform/DateTime.h"
#include "platform/PlatformRegistry.h"
#include "platform/SysUtils.h"
#include "runtime/VornikINI.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace kv {

namespace {

constexpr int kHeaderDashes = 34;
// The classic temporary-folder buffer: a longer path does not fit and counts as none.
constexpr std::size_t kMaxTempPathLength = 255;
// Stands for "C:\Temp" when neither the installation nor the system names a folder.
constexpr const char* kLastResortDir = "/tmp";

// Raised inside DecodeSQLSa for a pair that is not hexadecimal, so that the report
// names the conversion failure as such.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string InstallationDirFromRegistry() {
    const std::optional<TRegKey> key = OpenLocalMachineKey(kVornikRegistryKey);
    if (!key)
        return {};
    std::string dir = key->ReadString("ClientPath");
    if (dir.empty())
        dir = key->ReadString("ServerPath");
    return dir;
}

std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string DateStamp(TDateTime now) {
    int y = 0, m = 0, d = 0;
    DecodeDate(now, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

// The platform's short date and long time format, fixed here as
// "YYYY/MM/DD hh:nn:ss" so that the log reads the same on every machine.
std::string TimeStamp(TDateTime now) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    DecodeDateTime(now, y, mo, d, h, mi, s, ms);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    return buf;
}

bool AppendLine(const std::string& fileName, const std::string& line) {
    std::FILE* f = std::fopen(fileName.c_str(), "ab");
    if (f == nullptr)
        return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

std::string ErrorLine(const char* className, int number, int code, const std::string& message) {
    const std::string prefix = std::string(className) + " Error " + TwoDigits(number) + ": Code: ";
    return prefix + std::to_string(code) + ", Message: " + message;
}

// The error lines of one exception, by class.
std::vector<std::string> ExceptionLines(const std::exception& e) {
    std::vector<std::string> lines;
    if (const auto* db = dynamic_cast<const EDBEngineError*>(&e)) {
        int number = 0;
        for (const EDBEngineError::TDBError& err : db->Errors())
            lines.push_back(ErrorLine("EDBEngineError", ++number, err.ErrorCode, err.Message));
    } else if (const auto* os = dynamic_cast<const EWin32Error*>(&e)) {
        lines.push_back(ErrorLine("EWin32Error", 1, os->ErrorCode(), os->what()));
    } else if (const auto* io = dynamic_cast<const EInOutError*>(&e)) {
        lines.push_back(ErrorLine("EInOutError", 1, io->ErrorCode(), io->what()));
    } else {
        lines.push_back("Exception is " + ExceptionClassName(e) + "\r\nMessage " + TwoDigits(1) + ": " + e.what());
    }
    return lines;
}

std::string HeaderLine(const QString& place) {
    const std::string dashes(kHeaderDashes, '-');
    if (place.isEmpty())
        return dashes + " " + dashes;
    return dashes + " on " + place.toStdString() + " " + dashes;
}

void RemovePrefixes(std::string& name, const std::string& prefix) {
    for (std::size_t pos = name.find(prefix); pos != std::string::npos; pos = name.find(prefix))
        name.erase(pos, prefix.size());
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Exactly two hex digits: no sign, blank or "0x" lead.
int ParseHexPair(char hi, char lo) {
    const int h = HexDigitValue(hi);
    const int l = HexDigitValue(lo);
    if (h < 0 || l < 0)
        throw EConvertError("'$" + std::string{hi, lo} + "' is not a valid integer value");
    return h * 16 + l;
}

unsigned char RotateRight(unsigned char b, unsigned n) {
    n %= 8;
    return static_cast<unsigned char>(((b >> n) | (b << (8 - n))) & 0xFF);
}

unsigned char RotateLeft(unsigned char b, unsigned n) {
    n %= 8;
    return static_cast<unsigned char>(((b << n) | (b >> (8 - n))) & 0xFF);
}

}  // namespace

std::string GeneratorLogBaseDir() {
    try {
        std::string dir = InstallationDirFromRegistry();
        if (!dir.empty())
            return dir;
        dir = TempPath();
        if (!dir.empty() && dir.size() <= kMaxTempPathLength)
            return dir;
    } catch (...) {
        // A failing lookup falls through to the last resort, as an empty one does.
    }
    return kLastResortDir;
}

bool WriteGeneratorLog(const QString& text) {
    try {
        const TDateTime now = Now();
        // The base folder may end with its own separator; a doubled one is harmless.
        const std::string logDir = NormalizePath(GeneratorLogBaseDir()) + "/Log";
        if (!ForceDirectories(logDir))
            return false;
        const std::string fileName = logDir + "/Alert_MirrexGenerator_" + DateStamp(now) + ".log";
        return AppendLine(fileName, "[" + TimeStamp(now) + "] " + text.toStdString() + "\n");
    } catch (...) {
        // The log is a side channel: its failure must not disturb the caller.
        return false;
    }
}

std::string ExceptionClassName(const std::exception& e) {
    const char* mangled = typeid(e).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                      std::free);
    std::string name = (status == 0 && demangled) ? std::string(demangled.get()) : std::string(mangled);
    RemovePrefixes(name, "(anonymous namespace)::");
    if (name.rfind("kv::", 0) == 0)
        name.erase(0, 4);
    return name;
}

void ReportException(const std::exception* e, const QString& place, const QString& programmerMessage) {
    WriteGeneratorLog(QString::fromStdString(HeaderLine(place)));
    if (e != nullptr) {
        WriteGeneratorLog(QStringLiteral("讯息信息:"));
        const std::vector<std::string> lines = ExceptionLines(*e);
        for (const std::string& line : lines)
            WriteGeneratorLog(QString::fromStdString(line));
        WriteGeneratorLog(QStringLiteral("ErrorMessage Count: %1").arg(lines.size()));
    }
    if (!programmerMessage.trimmed().isEmpty())
        WriteGeneratorLog(QStringLiteral("Programer Message: ") + programmerMessage);
}

std::string EncodeSQLSa(const std::string& plain) {
    const std::string text = plain.empty() ? std::string(kEmptyPasswordMarker) : plain;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size() * 2);
    for (std::size_t i = 1; i <= text.size(); ++i) {
        const unsigned char b = RotateRight(static_cast<unsigned char>(text[i - 1]), static_cast<unsigned>(i % 8));
        result += kHex[b >> 4];
        result += kHex[b & 0x0F];
    }
    return result;
}

std::string DecodeSQLSa(const std::string& scrambled) {
    try {
        std::string result;
        result.reserve(scrambled.size() / 2);
        for (std::size_t i = 1; 2 * i <= scrambled.size(); ++i) {
            const int value = ParseHexPair(scrambled[2 * i - 2], scrambled[2 * i - 1]);
            result += static_cast<char>(RotateLeft(static_cast<unsigned char>(value), static_cast<unsigned>(i % 8)));
        }
        return result == kEmptyPasswordMarker ? std::string() : result;
    } catch (const EConvertError& e) {
        ReportException(&e, QString::fromStdString(EncodeSQLSa("DecodeSQLSa")), QStringLiteral("解析 Sa 时发生错误!"));
        return kPasswordErrorMarker;
    }
}

}  // namespace kv

#include "runtime/LibStrs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "platform/CodePage.h"
#include "platform/PlatformRegistry.h"
#include "platform/SysUtils.h"

namespace kv {

namespace {

const QChar kFieldMark(0x03);
constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;

// ---- small text helpers ------------------------------------------------------

// Position of separator in text from `from`; an empty separator never occurs
// (QString would find it everywhere, which would make the field loops endless).
qsizetype FindSeparator(const QString& text, const QString& separator, qsizetype from = 0) {
    if (separator.isEmpty())
        return -1;
    return text.indexOf(separator, from, Qt::CaseSensitive);
}

// Removes leading and trailing blanks and control characters (code <= ' ').
QString TrimBlanks(const QString& s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && s.at(end - 1).unicode() <= u' ')
        --end;
    return s.mid(begin, end - begin);
}

// A whole number: optional sign and ASCII digits, nothing else, within int range.
std::optional<int> ToWholeNumber(const QString& s) {
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s.at(i) == u'+' || s.at(i) == u'-')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    if (i == s.size())
        return std::nullopt;
    long long value = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

int ToIntDef(const QString& s, int def) {
    return ToWholeNumber(s).value_or(def);
}

bool AllDigits(const QString& s) {
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// "%.<width>d": at least width digits, a minus sign in front of negative numbers.
QString Digits(int value, int width) {
    return QString::asprintf("%.*d", width, value);
}

// The first character of a separator text (a whole surrogate pair when it is one).
QString FirstCharacter(const QString& s) {
    if (s.isEmpty())
        return {};
    return s.left(s.at(0).isHighSurrogate() && s.size() > 1 ? 2 : 1);
}

// The text of a scalar Variant: Unicode as it is, single-byte text decoded with
// the system code page (byte for byte when that fails), numbers in their classic
// form; anything else is empty.
QString VariantText(const Variant& v) {
    switch (v.Type()) {
    case VarType::String:
        return QString::fromStdString(v.ToString());
    case VarType::Bytes: {
        std::string utf8;
        if (CodePageToUnicode(v.ToString(), SystemCodePage(), utf8))
            return QString::fromStdString(utf8);
        return QString::fromLatin1(v.ToString());
    }
    case VarType::Bool:
    case VarType::Int:
    case VarType::Double:
    case VarType::Date:
        try {
            return QString::fromStdString(v.ToString());
        } catch (const EVariantError&) {
            return {};
        }
    default:
        return {};
    }
}

// ---- date helpers ------------------------------------------------------------

struct Ymd {
    int y = 0, m = 0, d = 0;
};

// The day of a date; nullopt for the date 0 and for values outside 0001..9999.
std::optional<Ymd> DayOf(TDateTime date) {
    if (date == 0 || !std::isfinite(date))
        return std::nullopt;
    Ymd r;
    DecodeDate(date, r.y, r.m, r.d);
    if (r.y == 0)
        return std::nullopt;
    return r;
}

std::optional<TDateTime> DateOf(long long y, long long m, long long d) {
    TDateTime out = 0;
    if (y < kMinYear || y > kMaxYear || m < 1 || m > 12 || d < 1 || d > 31)
        return std::nullopt;
    if (!TryEncodeDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d), out))
        return std::nullopt;
    return out;
}

// Whole day number plus a day offset, when the result stays within 0001..9999.
std::optional<TDateTime> AddDays(TDateTime day, long long days) {
    static const TDateTime first = EncodeDate(kMinYear, 1, 1);
    static const TDateTime last = EncodeDate(kMaxYear, 12, 31);
    const long long result = static_cast<long long>(day) + days;
    if (result < first || result > last)
        return std::nullopt;
    return static_cast<TDateTime>(result);
}

QString StorageText(const Ymd& day) {
    return Digits(day.y, 4) + Digits(day.m, 2) + Digits(day.d, 2);
}

QString StorageText(TDateTime date) {
    const auto day = DayOf(date);
    return day ? StorageText(*day) : QString();
}

// Months on from a day; the day is lowered to the month's last when needed.
// nullopt when the target year leaves 0001..9999 (the classic loop would search
// for a valid day there forever).
std::optional<TDateTime> AddMonths(const Ymd& day, long long months) {
    const long long t = static_cast<long long>(day.y) * 12 + day.m + months;
    long long year = t / 12;
    long long month = t % 12;
    if (month <= 0) {  // t is positive for every year in range
        month += 12;
        year -= 1;
    }
    if (year < kMinYear || year > kMaxYear)
        return std::nullopt;
    const int lastDay = DaysInAMonth(static_cast<int>(year), static_cast<int>(month));
    return DateOf(year, month, std::min(day.d, lastDay));
}

// ---- code-page walk ----------------------------------------------------------

// Converts one text value in place; false when it had to be kept as it was.
using TextConverter = bool (*)(Variant& value, int codePage);

bool EncodeText(Variant& value, int codePage) {
    if (value.Type() != VarType::String)
        return true;
    std::string bytes;
    if (!UnicodeToCodePage(value.ToString(), codePage, bytes))
        return false;
    value = Variant::Bytes(std::move(bytes));
    return true;
}

// Unicode inside: a String is already text, so only Bytes are decoded; narrowing
// a String and decoding it again would only garble it.
bool DecodeText(Variant& value, int codePage) {
    if (value.Type() != VarType::Bytes)
        return true;
    std::string utf8;
    if (!CodePageToUnicode(value.ToString(), codePage, utf8))
        return false;
    value = Variant(std::move(utf8));
    return true;
}

// Walks a value the classic way: a 1-D array recurses into array elements, a 2-D
// array converts its elements without recursion. Returns the number of texts
// that could not be converted.
int ConvertTexts(Variant& value, int codePage, TextConverter convert) {
    if (!value.IsArray())
        return convert(value, codePage) ? 0 : 1;
    int failures = 0;
    const bool oneDimension = value.DimCount() == 1;
    for (Variant& element : value.Elements()) {
        if (element.IsArray()) {
            if (oneDimension)
                failures += ConvertTexts(element, codePage, convert);
        } else if (!convert(element, codePage)) {
            ++failures;
        }
    }
    return failures;
}

QString ConversionFailure(int failures, int codePage, const char* direction) {
    if (!IsCodePageSupported(codePage))
        return QStringLiteral("code page %1 is not supported").arg(codePage);
    return QStringLiteral("%1 text(s) could not be converted %2 code page %3; kept unconverted")
        .arg(failures)
        .arg(QLatin1String(direction))
        .arg(codePage);
}

Variant ConvertWithLog(const Variant& value, int codePage, TextConverter convert, const char* line,
                       const char* direction) {
    if (value.IsEmpty() || value.IsNull())
        return value;
    Variant result = value;
    try {
        const int failures = ConvertTexts(result, codePage, convert);
        if (failures > 0)
            WriteAlertLog(QStringLiteral("libstrs"),
                          QLatin1String(line) + ConversionFailure(failures, codePage, direction),
                          QStringLiteral("D"));
    } catch (const std::exception& e) {
        WriteAlertLog(QStringLiteral("libstrs"), QLatin1String(line) + QString::fromUtf8(e.what()),
                      QStringLiteral("D"));
    }
    return result;
}

// ---- alert log ---------------------------------------------------------------

// "ClientPath", else "ServerPath", else the executable's folder; a registry file
// that cannot be read counts as empty values.
std::string AlertLogBaseDir() {
    try {
        if (const auto key = OpenLocalMachineKey("Software\\KVN\\Vornik")) {
            std::string dir = key->ReadString("ClientPath");
            if (dir.empty())
                dir = key->ReadString("ServerPath");
            if (!dir.empty())
                return dir;
        }
    } catch (const std::exception&) {
    }
    return ExecutableDir();
}

QString AlertLogStamp(const QString& period, const Ymd& day) {
    if (period == u"M")
        return Digits(day.y, 4) + Digits(day.m, 2);
    if (period == u"Y")
        return Digits(day.y, 4);
    return StorageText(day);
}

bool AppendLine(const QString& fileName, const QString& line) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    const QByteArray bytes = (line + u'\n').toUtf8();
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

}  // namespace

// ---- separated texts ------------------------------------------------------------

QString FieldAt(const QString& text, const QString& separator, int n) {
    if (n < 1 || text.isEmpty())
        return {};
    qsizetype start = 0;
    for (int field = 1;; ++field) {
        const qsizetype at = FindSeparator(text, separator, start);
        if (at < 0)
            return field == n ? text.mid(start) : QString();
        if (field == n)
            return text.mid(start, at - start);
        start = at + separator.size();
    }
}

int FieldCount(const QString& text, const QString& separator) {
    if (text.isEmpty())
        return 0;
    int count = 1;
    for (qsizetype at = FindSeparator(text, separator); at >= 0;
         at = FindSeparator(text, separator, at + separator.size()))
        ++count;
    return count;
}

QString CutField(QString& text, const QString& separator) {
    const qsizetype at = FindSeparator(text, separator);
    if (at < 0) {
        QString whole;
        whole.swap(text);
        return whole;
    }
    QString field = text.left(at);
    text.remove(0, at + separator.size());
    return field;
}

// ---- values ---------------------------------------------------------------------

Variant IfThen(bool condition, const Variant& a, const Variant& b) {
    return condition ? a : b;
}

bool IsEmptyValue(const Variant& value) {
    return value.IsEmpty() || value.IsNull();
}

namespace {

QString ReplaceEachOnce(const QString& text, const QString& oldText, const QString& newText) {
    QString result = text;
    return result.replace(oldText, newText, Qt::CaseSensitive);
}

// The classic rescan: replace the first occurrence, search again from the start.
// An occurrence can only appear from old.size()-1 characters before the last
// replacement on, so the search resumes there. Growing replacements can cascade
// without practical end ("ab" -> "bbaa" doubles per leading "a"); past a generous
// budget the single pass is used instead.
std::optional<QString> ReplaceRescanning(const QString& text, const QString& oldText,
                                         const QString& newText) {
    const bool mayGrow = newText.size() >= oldText.size();
    const qsizetype maxLength = text.size() * 16 + 65536;
    const long long maxReplacements = 1LL << 24;
    QString result = text;
    long long replacements = 0;
    qsizetype from = 0;
    for (qsizetype at; (at = result.indexOf(oldText, from, Qt::CaseSensitive)) >= 0;) {
        result.replace(at, oldText.size(), newText);
        if (mayGrow && (result.size() > maxLength || ++replacements > maxReplacements))
            return std::nullopt;
        from = std::max<qsizetype>(0, at - oldText.size() + 1);
    }
    return result;
}

}  // namespace

QString ReplaceAll(const QString& text, const QString& oldText, const QString& newText, bool trim) {
    QString result = text;
    if (!oldText.isEmpty() && oldText.compare(newText, Qt::CaseInsensitive) != 0) {
        if (newText.contains(oldText, Qt::CaseSensitive))
            result = ReplaceEachOnce(text, oldText, newText);
        else
            result = ReplaceRescanning(text, oldText, newText)
                         .value_or(ReplaceEachOnce(text, oldText, newText));
    }
    return trim ? TrimBlanks(result) : result;
}

// ---- dates ----------------------------------------------------------------------

QString FormatDate(int dateType, const QString& separator, TDateTime date) {
    const auto day = DayOf(date);
    if (!day)
        return {};
    const QString sep = FirstCharacter(separator);
    switch (dateType) {
    case 1: return Digits(day->y, 4) + sep + Digits(day->m, 2) + sep + Digits(day->d, 2);
    case 2: return Digits(day->m, 2) + sep + Digits(day->d, 2) + sep + Digits(day->y, 4);
    case 3: return Digits(day->d, 2) + sep + Digits(day->m, 2) + sep + Digits(day->y, 4);
    case 4: return Digits(day->y - 1911, 2) + sep + Digits(day->m, 2) + sep + Digits(day->d, 2);
    case 5: return Digits(day->y - 1911, 3) + sep + Digits(day->m, 2) + sep + Digits(day->d, 2);
    default: return {};
    }
}

QString FormatYearMonth(int dateType, const QString& separator, TDateTime date) {
    const auto day = DayOf(date);
    if (!day)
        return {};
    const QString sep = FirstCharacter(separator);
    switch (dateType) {
    case 1: return Digits(day->y, 4) + sep + Digits(day->m, 2);
    case 2:
    case 3: return Digits(day->m, 2) + sep + Digits(day->y, 4);
    case 4: return Digits(day->y - 1911, 2) + sep + Digits(day->m, 2);
    case 5: return Digits(day->y - 1911, 3) + sep + Digits(day->m, 2);
    default: return {};
    }
}

TDateTime ParseDisplayDate(const QString& text, int dateType, const QString& separator) {
    QString rest = TrimBlanks(text);
    if (rest.isEmpty())
        return 0;
    const int a = ToIntDef(TrimBlanks(CutField(rest, separator)), -1);
    const int b = ToIntDef(TrimBlanks(CutField(rest, separator)), -1);
    const int c = ToIntDef(TrimBlanks(CutField(rest, separator)), -1);
    if (a <= 0 || b <= 0 || c <= 0)
        return 0;
    long long year = 0, month = 0, day = 0;
    switch (dateType) {
    case 1: year = a; month = b; day = c; break;
    case 2: year = c; month = a; day = b; break;
    case 3: year = c; month = b; day = a; break;
    case 4:
    case 5: year = a + 1911LL; month = b; day = c; break;
    default: return 0;
    }
    const auto first = DateOf(year, month, 1);
    if (!first)
        return 0;
    return AddDays(*first, day - 1).value_or(0);
}

TDateTime StorageToDate(const QString& text) {
    if (text.size() != 8)
        return 0;
    const int year = ToIntDef(text.mid(0, 4), 0);
    const int month = ToIntDef(text.mid(4, 2), 0);
    const int day = ToIntDef(text.mid(6, 2), 0);
    if (year == 0 || month == 0 || day == 0)
        return 0;
    return DateOf(year, month, day).value_or(0);
}

bool IsValidStorageDate(const QString& text) {
    if (text.isEmpty())
        return true;
    // Exactly eight digits: "9990101" would otherwise read as the year 999.
    if (text.size() != 8 || !AllDigits(text))
        return false;
    if (!DateOf(text.mid(0, 4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt()))
        return false;
#if KV_EDITION == 7
    return true;
#else
    return text >= u"17530101" && text <= u"99991231";
#endif
}

QString ShiftDate(const Variant& value, const QString& unit, int n) {
    TDateTime date = 0;
    switch (value.Type()) {
    case VarType::String:
    case VarType::Bytes: date = StorageToDate(VariantText(value)); break;
    case VarType::Date:
    case VarType::Double:
    case VarType::Int: date = value.ToDouble(); break;
    default: return {};
    }
    const auto day = DayOf(date);
    if (!day)
        return {};
    const QString u = unit.toUpper();
    if (u == u"D") {
        const auto whole = DateOf(day->y, day->m, day->d);
        const auto shifted = whole ? AddDays(*whole, n) : std::nullopt;
        return shifted ? StorageText(*shifted) : QString();
    }
    if (u == u"M") {
        const auto shifted = AddMonths(*day, n);
        return shifted ? StorageText(*shifted) : QString();
    }
    if (u == u"Y") {
        const long long year = static_cast<long long>(day->y) + n;
        if (year < kMinYear || year > kMaxYear)
            return {};
        // 29 February into a common year: the day stays where it was.
        const auto shifted = DateOf(year, day->m, day->d);
        return shifted ? StorageText(*shifted) : StorageText(*day);
    }
    return {};
}

namespace {

std::optional<int> WholeNumberField(const QString& s) {
    return ToWholeNumber(TrimBlanks(s));
}

QString ShiftByMonths(TDateTime base, int n1, const QString& mode, const QString& n2) {
    const auto baseDay = DayOf(base);
    const auto reached = baseDay ? AddMonths(*baseDay, n1) : std::nullopt;
    if (!reached)
        return {};
    Ymd day = *DayOf(*reached);
    if (mode == u"0") {
        const auto days = WholeNumberField(n2);
        const auto shifted = days ? AddDays(*reached, *days) : std::nullopt;
        return shifted ? StorageText(*shifted) : QString();
    }
    if (mode == u"1") {
        day.d = 1;
        return StorageText(day);
    }
    if (mode == u"2") {
        day.d = DaysInAMonth(day.y, day.m);
        return StorageText(day);
    }
    return {};
}

QString ShiftByWeeks(TDateTime base, int n1, const QString& mode, const QString& n2) {
    const long long weeks = 7LL * n1;
    if (mode == u"0") {
        const auto days = WholeNumberField(n2);
        const auto shifted = days ? AddDays(base, weeks + *days) : std::nullopt;
        return shifted ? StorageText(*shifted) : QString();
    }
    if (mode != u"1" && mode != u"2")
        return {};
    const auto reached = AddDays(base, weeks);
    if (!reached)
        return {};
    const int weekday = DayOfWeek(*reached);
    const auto shifted = AddDays(*reached, (mode == u"1" ? 1 : 7) - weekday);
    return shifted ? StorageText(*shifted) : QString();
}

}  // namespace

QString ShiftDynamicDate(const QString& base, const QString& n1, const QString& unitIndex,
                         const QString& n2, const QString& modeIndex) {
    const auto firstNumber = WholeNumberField(n1);
    if (!firstNumber)
        return {};
    if (base.size() < 7) {
        const QString day = ShiftDate(Variant(base.toStdString() + "01"), QStringLiteral("M"),
                                      *firstNumber);
        return day.left(6);
    }
    const TDateTime date = StorageToDate(base);
    if (date == 0)
        return {};
    if (unitIndex == u"1")
        return ShiftByMonths(date, *firstNumber, modeIndex, n2);
    if (unitIndex == u"0")
        return ShiftByWeeks(date, *firstNumber, modeIndex, n2);
    return {};
}

int DaysInMonth(int year, int month) {
    return DaysInAMonth(year, month);
}

// ---- environment and numbers ----------------------------------------------------

#if KV_EDITION != 7
QString TempDirectory() {
    const QString canonical = QFileInfo(QString::fromStdString(TempPath())).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    return canonical.endsWith(u'/') ? canonical : canonical + u'/';
}
#endif

bool IsLoopbackHost(const QString& host) {
    return host == u"127.0.0.1";
}

#if KV_EDITION != 7
double FloatOrDefault(const QString& text, double def) {
    bool ok = false;
    const double value = TrimBlanks(text).toDouble(&ok);
    return ok && std::isfinite(value) ? value : def;
}
#endif

QString CountedListText(const QString& prefix, const Variant& list) {
    QString result = prefix + kFieldMark;
    if (!list.IsArray() || list.DimCount() != 1 || list.LowBound() > 0 || list.HighBound() < 0)
        return result + u'0' + kFieldMark;
    const QString countText = VariantText(list[0]);
    result += countText + kFieldMark;
    const int count = std::min(ToIntDef(TrimBlanks(countText), 0), list.HighBound());
    for (int i = 1; i <= count; ++i)
        result += VariantText(list[i]) + kFieldMark;
    return result;
}

// ---- code pages -----------------------------------------------------------------

Variant WideToCodePage(const Variant& value, int codePage) {
    return ConvertWithLog(value, codePage, EncodeText, "LINE[2735] ", "to");
}

Variant CodePageToWide(const Variant& value, int codePage) {
    return ConvertWithLog(value, codePage, DecodeText, "LINE[115] ", "from");
}

// ---- general alert log ----------------------------------------------------------

bool WriteAlertLog(const QString& source, const QString& text, const QString& period) {
    try {
        // The source becomes part of a file name: it must not lead elsewhere.
        if (source.contains(u'/') || source.contains(u'\\'))
            return false;
        std::string base = NormalizePath(AlertLogBaseDir());
        if (base.empty())
            return false;
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        const std::string folder = base == "/" ? "/Log" : base + "/Log";
        if (!ForceDirectories(folder))
            return false;

        const TDateTime now = Now();
        int y, mo, d, h, mi, s, ms;
        DecodeDateTime(now, y, mo, d, h, mi, s, ms);
        if (y == 0)
            return false;
        const Ymd today{y, mo, d};

        QString fileName = QString::fromStdString(folder) + QStringLiteral("/Alert_") + source + u'_' +
                           AlertLogStamp(period, today);
        if (!source.contains(u'.'))
            fileName += QStringLiteral(".log");
        const QString stamp = Digits(y, 4) + u'/' + Digits(mo, 2) + u'/' + Digits(d, 2) + u' ' +
                              Digits(h, 2) + u':' + Digits(mi, 2) + u':' + Digits(s, 2) + u':' +
                              Digits(ms, 3);
        return AppendLine(fileName, u'[' + stamp + QStringLiteral("] ") + text);
    } catch (...) {
        return false;
    }
}

}  // namespace kv

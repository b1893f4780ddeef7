#include "kv/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "SdkText.h"

namespace kv {

// Arrays keep their elements in one vector; for two dimensions the first index
// runs fastest, so growing the last dimension only appends and every surviving
// element keeps its place.
struct Variant::ArrayData {
    int dims = 1;
    int low[2] = {0, 0};
    int high[2] = {-1, -1};
    std::vector<Variant> items;

    std::size_t Length(int d) const { return static_cast<std::size_t>(std::int64_t{high[d]} - low[d] + 1); }
};

namespace {

// Larger arrays are refused outright rather than attempted.
constexpr std::int64_t kMaxArrayElements = std::int64_t{1} << 28;

const char* KindName(VarType t) {
    switch (t) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Bool: return "Boolean";
    case VarType::Int: return "Integer";
    case VarType::Double: return "Double";
    case VarType::Date: return "Date";
    case VarType::String: return "String";
    case VarType::Bytes: return "Bytes";
    case VarType::Array: return "Array";
    case VarType::Dispatch: return "Dispatch";
    }
    return "Unknown";
}

[[noreturn]] void ThrowCannotConvert(VarType from, const char* to) {
    throw EVariantError(std::string("Could not convert variant of type (") + KindName(from) + ") into type (" +
                        to + ")");
}

std::int64_t CheckedLength(int low, int high) {
    const std::int64_t n = std::int64_t{high} - low + 1;
    if (n < 0) throw EVariantError("Invalid array bounds " + std::to_string(low) + ".." + std::to_string(high));
    return n;
}

// Parses a whole (trimmed) text as a finite number, C locale; nothing else may follow.
bool ParseNumber(std::string_view text, double& out) {
    text = sdk::Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) return false;
    }
    if (text.empty()) return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

// Round half to even, as the classic variant conversions do.
double RoundHalfEven(double x) {
    const double r = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5 && std::fmod(r, 2.0) != 0.0) return r - std::copysign(1.0, x);
    return r;
}

std::int32_t DoubleToInt(double d, VarType from) {
    if (!std::isfinite(d)) ThrowCannotConvert(from, "Integer");
    const double r = RoundHalfEven(d);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        throw EVariantError(std::string("Overflow while converting variant of type (") + KindName(from) +
                            ") into type (Integer)");
    return static_cast<std::int32_t>(r);
}

// The shortest text that reads back as the same double, written out in full for
// the magnitudes money and counts have (1000000 is "1000000", not "1e+06"), in
// exponent form only for the very large and very small.
std::string DoubleText(double d) {
    if (d == 0) return "0";  // also -0
    if (!std::isfinite(d)) return std::isnan(d) ? "NaN" : (d > 0 ? "INF" : "-INF");
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific);
    if (ec != std::errc()) return {};
    const std::string sci(buf, end);  // e.g. "-1.2345e+06"
    const std::size_t e = sci.find('e');
    const int exp = std::atoi(sci.c_str() + e + 1);
    if (exp < -4 || exp >= 15) return sci;
    const bool negative = sci.front() == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (sci[i] != '.') digits += sci[i];
    std::string out = negative ? "-" : "";
    if (exp < 0) return out + "0." + std::string(static_cast<std::size_t>(-exp - 1), '0') + digits;
    const std::size_t intLen = static_cast<std::size_t>(exp) + 1;
    if (digits.size() <= intLen) return out + digits + std::string(intLen - digits.size(), '0');
    return out + digits.substr(0, intLen) + "." + digits.substr(intLen);
}

// Civil date from a day count since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

// Day 0 is 1899-12-30; a negative value counts days backwards while its fraction
// is still the time of day (-1.25 is 1899-12-29 06:00).
std::string DateText(double days) {
    // Years 100..9999, the range the classic date type covers.
    if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0)
        throw EVariantError("Date value out of range: " + DoubleText(days));
    const double whole = std::trunc(days);
    std::int64_t day = static_cast<std::int64_t>(whole);
    std::int64_t secs = std::llround(std::fabs(days - whole) * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        ++day;
    }
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(day - 25569, y, m, d);
    char buf[96];
    if (secs == 0)
        std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u", static_cast<long long>(y), m, d);
    else
        std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld", static_cast<long long>(y), m, d,
                      static_cast<long long>(secs / 3600), static_cast<long long>(secs / 60 % 60),
                      static_cast<long long>(secs % 60));
    return buf;
}

std::string QuotedText(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

[[noreturn]] void ThrowNotAutomation(const std::string& member, VarType t) {
    throw EOleError("'" + member + "': variant of type (" + KindName(t) + ") is not an automation object");
}

}  // namespace

Variant::Variant() noexcept : i_(0) {}
Variant::Variant(bool v) noexcept : type_(VarType::Bool), b_(v) {}
Variant::Variant(std::int32_t v) noexcept : type_(VarType::Int), i_(v) {}
Variant::Variant(double v) noexcept : type_(VarType::Double), d_(v) {}
Variant::Variant(const char* v) : type_(VarType::String), i_(0), s_(v ? v : "") {}
Variant::Variant(std::string v) noexcept : type_(VarType::String), i_(0), s_(std::move(v)) {}
// A null object reads as Empty, so "no object" is tested the one way.
Variant::Variant(DispatchPtr v) noexcept : type_(v ? VarType::Dispatch : VarType::Empty), i_(0), disp_(std::move(v)) {}

Variant::Variant(const Variant& o) : type_(o.type_), i_(0), s_(o.s_), disp_(o.disp_) {
    switch (o.type_) {
    case VarType::Bool: b_ = o.b_; break;
    case VarType::Int: i_ = o.i_; break;
    case VarType::Double:
    case VarType::Date: d_ = o.d_; break;
    default: break;
    }
    if (o.a_) a_ = std::make_unique<ArrayData>(*o.a_);
}

Variant::Variant(Variant&& o) noexcept
    : type_(o.type_), i_(0), s_(std::move(o.s_)), disp_(std::move(o.disp_)), a_(std::move(o.a_)) {
    switch (o.type_) {
    case VarType::Bool: b_ = o.b_; break;
    case VarType::Int: i_ = o.i_; break;
    case VarType::Double:
    case VarType::Date: d_ = o.d_; break;
    default: break;
    }
    o.release();
}

Variant& Variant::operator=(const Variant& o) {
    if (this != &o) {
        Variant copy(o);  // an element may be assigned its own container
        *this = std::move(copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& o) noexcept {
    if (this != &o) {
        // Keep our array alive until the move is done: `o` may live inside it.
        std::unique_ptr<ArrayData> old = std::move(a_);
        type_ = o.type_;
        switch (o.type_) {
        case VarType::Bool: b_ = o.b_; break;
        case VarType::Int: i_ = o.i_; break;
        case VarType::Double:
        case VarType::Date: d_ = o.d_; break;
        default: i_ = 0; break;
        }
        s_ = std::move(o.s_);
        disp_ = std::move(o.disp_);
        a_ = std::move(o.a_);
        o.release();
    }
    return *this;
}

Variant::~Variant() = default;

void Variant::release() noexcept {
    type_ = VarType::Empty;
    i_ = 0;
    s_.clear();
    disp_.reset();
    a_.reset();
}

Variant Variant::Null() noexcept {
    Variant v;
    v.type_ = VarType::Null;
    return v;
}

Variant Variant::Date(double days) noexcept {
    Variant v(days);
    v.type_ = VarType::Date;
    return v;
}

Variant Variant::Bytes(std::string bytes) noexcept {
    Variant v(std::move(bytes));
    v.type_ = VarType::Bytes;
    return v;
}

Variant Variant::Array(int low, int high) {
    const std::int64_t n = CheckedLength(low, high);
    if (n > kMaxArrayElements) throw EVariantError("Array too large");
    Variant v;
    v.a_ = std::make_unique<ArrayData>();
    v.a_->dims = 1;
    v.a_->low[0] = low;
    v.a_->high[0] = high;
    v.a_->items.resize(static_cast<std::size_t>(n));
    v.type_ = VarType::Array;
    return v;
}

Variant Variant::Array2(int low1, int high1, int low2, int high2) {
    const std::int64_t n1 = CheckedLength(low1, high1);
    const std::int64_t n2 = CheckedLength(low2, high2);
    if (n1 * n2 > kMaxArrayElements) throw EVariantError("Array too large");
    Variant v;
    v.a_ = std::make_unique<ArrayData>();
    v.a_->dims = 2;
    v.a_->low[0] = low1;
    v.a_->high[0] = high1;
    v.a_->low[1] = low2;
    v.a_->high[1] = high2;
    v.a_->items.resize(static_cast<std::size_t>(n1 * n2));
    v.type_ = VarType::Array;
    return v;
}

Variant Variant::ArrayOf(std::initializer_list<Variant> items) { return ArrayOf(std::vector<Variant>(items)); }

Variant Variant::ArrayOf(std::vector<Variant> items) {
    if (static_cast<std::int64_t>(items.size()) > kMaxArrayElements) throw EVariantError("Array too large");
    Variant v = Array(0, static_cast<int>(items.size()) - 1);
    v.a_->items = std::move(items);
    return v;
}

bool Variant::ToBool() const {
    switch (type_) {
    case VarType::Empty: return false;
    case VarType::Bool: return b_;
    case VarType::Int: return i_ != 0;
    case VarType::Double:
    case VarType::Date: return d_ != 0;
    case VarType::String:
    case VarType::Bytes: {
        const std::string_view t = sdk::Trim(s_);
        if (sdk::EqualsNoCase(t, "true")) return true;
        if (sdk::EqualsNoCase(t, "false")) return false;
        double d = 0;
        if (ParseNumber(t, d)) return d != 0;
        break;
    }
    default: break;
    }
    ThrowCannotConvert(type_, "Boolean");
}

std::int32_t Variant::ToInt() const {
    switch (type_) {
    case VarType::Empty: return 0;
    case VarType::Bool: return b_ ? -1 : 0;  // the variant True is all bits set
    case VarType::Int: return i_;
    case VarType::Double:
    case VarType::Date: return DoubleToInt(d_, type_);
    case VarType::String:
    case VarType::Bytes: {
        double d = 0;
        if (ParseNumber(s_, d)) return DoubleToInt(d, type_);
        break;
    }
    default: break;
    }
    ThrowCannotConvert(type_, "Integer");
}

double Variant::ToDouble() const {
    switch (type_) {
    case VarType::Empty: return 0.0;
    case VarType::Bool: return b_ ? -1.0 : 0.0;
    case VarType::Int: return i_;
    case VarType::Double:
    case VarType::Date: return d_;
    case VarType::String:
    case VarType::Bytes: {
        double d = 0;
        if (ParseNumber(s_, d)) return d;
        break;
    }
    default: break;
    }
    ThrowCannotConvert(type_, "Double");
}

std::string Variant::ToString() const {
    switch (type_) {
    case VarType::Empty:
    case VarType::Null: return {};
    case VarType::Bool: return b_ ? "True" : "False";
    case VarType::Int: return std::to_string(i_);
    case VarType::Double: return DoubleText(d_);
    case VarType::Date: return DateText(d_);
    case VarType::String:
    case VarType::Bytes: return s_;
    default: break;
    }
    ThrowCannotConvert(type_, "String");
}

DispatchPtr Variant::ToDispatch() const { return type_ == VarType::Dispatch ? disp_ : nullptr; }

const Variant::ArrayData& Variant::arr() const {
    if (type_ != VarType::Array) throw EVariantError(std::string("Variant of type (") + KindName(type_) + ") is not an array");
    return *a_;
}

Variant::ArrayData& Variant::arr() { return const_cast<ArrayData&>(static_cast<const Variant*>(this)->arr()); }

int Variant::DimCount() const noexcept { return type_ == VarType::Array ? a_->dims : 0; }

int Variant::LowBound(int dim) const {
    const ArrayData& a = arr();
    if (dim < 1 || dim > a.dims) throw EVariantError("Array has no dimension " + std::to_string(dim));
    return a.low[dim - 1];
}

int Variant::HighBound(int dim) const {
    const ArrayData& a = arr();
    if (dim < 1 || dim > a.dims) throw EVariantError("Array has no dimension " + std::to_string(dim));
    return a.high[dim - 1];
}

namespace {
[[noreturn]] void ThrowIndex(int i, int low, int high) {
    throw EVariantError("Variant array index " + std::to_string(i) + " out of bounds " + std::to_string(low) + ".." +
                        std::to_string(high));
}
}  // namespace

const Variant& Variant::operator[](int i) const {
    const ArrayData& a = arr();
    if (a.dims != 1) throw EVariantError("A two-dimensional array needs two indexes");
    if (i < a.low[0] || i > a.high[0]) ThrowIndex(i, a.low[0], a.high[0]);
    return a.items[static_cast<std::size_t>(std::int64_t{i} - a.low[0])];
}

Variant& Variant::operator[](int i) { return const_cast<Variant&>(static_cast<const Variant&>(*this)[i]); }

const Variant& Variant::At(int i, int j) const {
    const ArrayData& a = arr();
    if (a.dims != 2) throw EVariantError("A one-dimensional array takes one index");
    if (i < a.low[0] || i > a.high[0]) ThrowIndex(i, a.low[0], a.high[0]);
    if (j < a.low[1] || j > a.high[1]) ThrowIndex(j, a.low[1], a.high[1]);
    const std::size_t n1 = a.Length(0);
    return a.items[static_cast<std::size_t>(std::int64_t{i} - a.low[0]) +
                   static_cast<std::size_t>(std::int64_t{j} - a.low[1]) * n1];
}

Variant& Variant::At(int i, int j) { return const_cast<Variant&>(static_cast<const Variant&>(*this).At(i, j)); }

void Variant::Redim(int newHigh) {
    ArrayData& a = arr();
    const int last = a.dims - 1;
    const std::int64_t n = CheckedLength(a.low[last], newHigh);
    const std::int64_t others = last == 0 ? 1 : static_cast<std::int64_t>(a.Length(0));
    if (n * others > kMaxArrayElements) throw EVariantError("Array too large");
    a.items.resize(static_cast<std::size_t>(n * others));
    a.high[last] = newHigh;
}

std::size_t Variant::ElementCount() const noexcept { return type_ == VarType::Array ? a_->items.size() : 0; }

std::vector<Variant>& Variant::Elements() { return arr().items; }
const std::vector<Variant>& Variant::Elements() const { return arr().items; }

Variant Variant::CallArgs(const std::string& member, std::vector<Variant>& args) const {
    if (type_ != VarType::Dispatch || !disp_) ThrowNotAutomation(member, type_);
    return disp_->Invoke(member, InvokeKind::Method, args);
}

Variant Variant::Get(const std::string& name) const {
    if (type_ != VarType::Dispatch || !disp_) ThrowNotAutomation(name, type_);
    std::vector<Variant> none;
    return disp_->Invoke(name, InvokeKind::Get, none);
}

void Variant::Set(const std::string& name, const Variant& value) const {
    if (type_ != VarType::Dispatch || !disp_) ThrowNotAutomation(name, type_);
    std::vector<Variant> args{value};
    disp_->Invoke(name, InvokeKind::Put, args);
}

// Same kind and same value, arrays element by element with equal bounds. Int and
// Double are the one pair of kinds compared by numeric value (1 == 1.0); every
// other pair of different kinds is unequal (1 != True, "1" != 1, String != Bytes).
bool Variant::operator==(const Variant& o) const {
    if (type_ != o.type_) {
        if (type_ == VarType::Int && o.type_ == VarType::Double) return static_cast<double>(i_) == o.d_;
        if (type_ == VarType::Double && o.type_ == VarType::Int) return d_ == static_cast<double>(o.i_);
        return false;
    }
    switch (type_) {
    case VarType::Empty:
    case VarType::Null: return true;
    case VarType::Bool: return b_ == o.b_;
    case VarType::Int: return i_ == o.i_;
    case VarType::Double:
    case VarType::Date: return d_ == o.d_;
    case VarType::String:
    case VarType::Bytes: return s_ == o.s_;
    case VarType::Dispatch: return disp_ == o.disp_;
    case VarType::Array: {
        const ArrayData &a = *a_, &b = *o.a_;
        if (a.dims != b.dims) return false;
        for (int d = 0; d < a.dims; ++d)
            if (a.low[d] != b.low[d] || a.high[d] != b.high[d]) return false;
        return a.items == b.items;
    }
    }
    return false;
}

namespace {

void AppendDebug(std::string& out, const Variant& v);

void AppendArray(std::string& out, const Variant& v) {
    out += "Array[";
    for (int d = 1; d <= v.DimCount(); ++d) {
        if (d > 1) out += ", ";
        out += std::to_string(v.LowBound(d)) + ".." + std::to_string(v.HighBound(d));
    }
    out += "]{";
    if (v.DimCount() == 1) {
        for (int i = v.LowBound(1); i <= v.HighBound(1); ++i) {
            if (i > v.LowBound(1)) out += ", ";
            AppendDebug(out, v[i]);
        }
    } else {
        // One row per first index, like the way the table is read.
        for (int i = v.LowBound(1); i <= v.HighBound(1); ++i) {
            if (i > v.LowBound(1)) out += ", ";
            out += "{";
            for (int j = v.LowBound(2); j <= v.HighBound(2); ++j) {
                if (j > v.LowBound(2)) out += ", ";
                AppendDebug(out, v.At(i, j));
            }
            out += "}";
        }
    }
    out += "}";
}

void AppendDebug(std::string& out, const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty: out += "Empty"; break;
    case VarType::Null: out += "Null"; break;
    case VarType::Bool:
    case VarType::Int:
    case VarType::Double: out += v.ToString(); break;
    case VarType::Date:
        try {
            out += "Date(" + v.ToString() + ")";
        } catch (const EVariantError&) {
            out += "Date(" + DoubleText(v.ToDouble()) + ")";
        }
        break;
    case VarType::String: out += QuotedText(v.ToString()); break;
    case VarType::Bytes: out += "Bytes(" + QuotedText(v.ToString()) + ")"; break;
    case VarType::Array: AppendArray(out, v); break;
    case VarType::Dispatch: {
        char buf[48];
        std::snprintf(buf, sizeof buf, "Dispatch(%p)", static_cast<const void*>(v.ToDispatch().get()));
        out += buf;
        break;
    }
    }
}

}  // namespace

std::string DebugString(const Variant& v) {
    std::string out;
    AppendDebug(out, v);
    return out;
}

}  // namespace kv

// kv::Variant — the value that crosses every boundary of the system: host
// parameters, requests, server and service calls. No Qt here: hosts and outside
// modules compile against this header alone.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv {

class IDispatchObject;
using DispatchPtr = std::shared_ptr<IDispatchObject>;

enum class VarType : std::uint8_t {
    Empty,
    Null,
    Bool,
    Int,      // 32-bit signed
    Double,
    Date,     // days since 1899-12-30, fraction = time of day
    String,   // Unicode text as UTF-8
    Bytes,    // single-byte text in some code page
    Array,
    Dispatch,
};

// Raised when a value cannot be converted to the requested kind, or an array is
// indexed outside its bounds.
class EVariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Variant {
public:
    Variant() noexcept;
    Variant(bool v) noexcept;
    Variant(std::int32_t v) noexcept;
    Variant(double v) noexcept;
    Variant(const char* v);
    Variant(std::string v) noexcept;
    Variant(DispatchPtr v) noexcept;
    // Other integer types would otherwise be ambiguous.
    Variant(std::int64_t v) = delete;
    Variant(unsigned v) = delete;

    Variant(const Variant& o);
    Variant(Variant&& o) noexcept;
    Variant& operator=(const Variant& o);
    Variant& operator=(Variant&& o) noexcept;
    ~Variant();

    static Variant Null() noexcept;
    static Variant Date(double days) noexcept;
    static Variant Bytes(std::string bytes) noexcept;
    static Variant Array(int low, int high);
    static Variant Array2(int low1, int high1, int low2, int high2);
    static Variant ArrayOf(std::initializer_list<Variant> items);
    static Variant ArrayOf(std::vector<Variant> items);

    VarType Type() const noexcept { return type_; }
    bool IsEmpty() const noexcept { return type_ == VarType::Empty; }
    bool IsNull() const noexcept { return type_ == VarType::Null; }
    bool IsArray() const noexcept { return type_ == VarType::Array; }
    bool IsText() const noexcept { return type_ == VarType::String || type_ == VarType::Bytes; }

    // Conversions follow the classic variant rules: Empty reads as 0/false/"",
    // numeric texts convert, anything impossible (Null to a number, "abc" to an
    // integer, an array to a scalar) raises EVariantError.
    bool ToBool() const;
    std::int32_t ToInt() const;
    double ToDouble() const;
    std::string ToString() const;   // Null and Empty give ""; Bytes are returned as stored
    DispatchPtr ToDispatch() const; // null pointer unless a Dispatch

    // Arrays: 1 or 2 dimensions, each with its own bounds.
    int DimCount() const noexcept;
    int LowBound(int dim = 1) const;
    int HighBound(int dim = 1) const;
    Variant& operator[](int i);
    const Variant& operator[](int i) const;
    Variant& At(int i, int j);
    const Variant& At(int i, int j) const;
    // Changes the high bound of the last dimension, keeping the elements that remain.
    void Redim(int newHigh);
    // Number of elements in all dimensions; 0 for a non-array.
    std::size_t ElementCount() const noexcept;
    // Elements in storage order (first index runs fastest for 2-D arrays).
    std::vector<Variant>& Elements();
    const std::vector<Variant>& Elements() const;

    // Late-bound automation on a Dispatch value; EOleError when not a Dispatch
    // or the member is missing. Arguments passed as lvalue Variants come back
    // changed when the member treats them as var parameters.
    template <class... A>
    Variant Call(const std::string& member, A&&... args) const;
    Variant CallArgs(const std::string& member, std::vector<Variant>& args) const;
    Variant Get(const std::string& name) const;
    void Set(const std::string& name, const Variant& value) const;

    bool operator==(const Variant& o) const;
    bool operator!=(const Variant& o) const { return !(*this == o); }

private:
    struct ArrayData;
    void release() noexcept;
    const ArrayData& arr() const;
    ArrayData& arr();

    VarType type_ = VarType::Empty;
    union {
        bool b_;
        std::int32_t i_;
        double d_;
    };
    std::string s_;                 // String and Bytes
    DispatchPtr disp_;              // Dispatch
    std::unique_ptr<ArrayData> a_;  // Array
};

// A readable dump of a value, for logs, test failures and the host's output.
std::string DebugString(const Variant& v);

}  // namespace kv

#include "kv/Automation.h"

namespace kv {
namespace detail {
template <class T>
void BindArg(std::vector<Variant>& out, T&& a) { out.emplace_back(std::forward<T>(a)); }
template <class T>
void WriteBack(std::vector<Variant>& args, std::size_t& i, T&&) { ++i; (void)args; }
inline void WriteBack(std::vector<Variant>& args, std::size_t& i, Variant& a) { a = args[i++]; }
}  // namespace detail

template <class... A>
Variant Variant::Call(const std::string& member, A&&... args) const {
    std::vector<Variant> list;
    list.reserve(sizeof...(A));
    (detail::BindArg(list, args), ...);
    Variant r = CallArgs(member, list);
    [[maybe_unused]] std::size_t i = 0;  // unused when there are no arguments
    (detail::WriteBack(list, i, std::forward<A>(args)), ...);
    return r;
}
}  // namespace kv

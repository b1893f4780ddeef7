// The wire codec: values survive the trip exactly, hostile input is refused
// without crashing or reserving what it announces.
#include <QByteArray>
#include <QCborStreamWriter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kv/Wire.h"

namespace kv {
namespace {

using wire::EWireError;

// Same kind, same value, same bounds, all the way down (stricter than ==, which
// need not tell Bytes from String).
::testing::AssertionResult Identical(const Variant& a, const Variant& b, const std::string& at = "value") {
    if (a.Type() != b.Type()) return ::testing::AssertionFailure() << at << ": kinds differ";
    switch (a.Type()) {
    case VarType::Empty:
    case VarType::Null: return ::testing::AssertionSuccess();
    case VarType::Bool:
        return a.ToBool() == b.ToBool() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << at;
    case VarType::Int:
        return a.ToInt() == b.ToInt() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << at;
    case VarType::Double:
    case VarType::Date: {
        const double x = a.ToDouble(), y = b.ToDouble();
        const bool same = (std::isnan(x) && std::isnan(y)) || (x == y && std::signbit(x) == std::signbit(y));
        return same ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << at << ": " << x << " vs " << y;
    }
    case VarType::String:
    case VarType::Bytes:
        return a.ToString() == b.ToString() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << at;
    case VarType::Array: {
        if (a.DimCount() != b.DimCount()) return ::testing::AssertionFailure() << at << ": dimensions differ";
        for (int d = 1; d <= a.DimCount(); ++d)
            if (a.LowBound(d) != b.LowBound(d) || a.HighBound(d) != b.HighBound(d))
                return ::testing::AssertionFailure() << at << ": bounds of dimension " << d << " differ";
        const auto& x = a.Elements();
        const auto& y = b.Elements();
        if (x.size() != y.size()) return ::testing::AssertionFailure() << at << ": sizes differ";
        for (std::size_t i = 0; i < x.size(); ++i) {
            auto r = Identical(x[i], y[i], at + "[" + std::to_string(i) + "]");
            if (!r) return r;
        }
        return ::testing::AssertionSuccess();
    }
    case VarType::Dispatch: return ::testing::AssertionFailure() << at << ": dispatch";
    }
    return ::testing::AssertionFailure() << at;
}

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s.push_back(static_cast<char>(b));
    return s;
}

// Crafts CBOR by hand for inputs our encoder would never make.
template <class Fn>
std::string Cbor(Fn write) {
    QByteArray out;
    QCborStreamWriter w(&out);
    write(w);
    return std::string(out.constData(), static_cast<std::size_t>(out.size()));
}

Variant Grid() {
    Variant g = Variant::Array2(0, 1, 1, 3);
    g.At(0, 1) = Variant("name");
    g.At(1, 1) = Variant(std::int32_t{7});
    g.At(0, 2) = Variant::Bytes("\xB9\xAB");
    g.At(1, 2) = Variant::Null();
    g.At(0, 3) = Variant::ArrayOf({Variant(true), Variant()});
    g.At(1, 3) = Variant::Date(45000.25);
    return g;
}

Variant Nested(int depth) {
    Variant v = Variant(std::int32_t{1});
    for (int i = 0; i < depth; ++i) v = Variant::ArrayOf({v});
    return v;
}

struct RoundTripCase {
    const char* name;
    Variant value;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class WireRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(WireRoundTrip, DecodesToTheIdenticalValue) {
    const Variant& v = GetParam().value;
    EXPECT_TRUE(Identical(wire::DecodeVariant(wire::EncodeVariant(v)), v));
}

Variant Bounded(int low, int high) {
    Variant a = Variant::Array(low, high);
    for (int i = low; i <= high; ++i) a[i] = Variant(static_cast<std::int32_t>(i * 10));
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, WireRoundTrip,
    ::testing::Values(
        RoundTripCase{"Empty", Variant()}, RoundTripCase{"Null", Variant::Null()},
        RoundTripCase{"True", Variant(true)}, RoundTripCase{"False", Variant(false)},
        RoundTripCase{"IntZero", Variant(std::int32_t{0})},
        RoundTripCase{"IntMax", Variant(std::numeric_limits<std::int32_t>::max())},
        RoundTripCase{"IntMin", Variant(std::numeric_limits<std::int32_t>::min())},
        RoundTripCase{"Double", Variant(3.141592653589793)}, RoundTripCase{"NegativeZero", Variant(-0.0)},
        RoundTripCase{"WholeDouble", Variant(2.0)},  // stays a Double, not an Int
        RoundTripCase{"Infinity", Variant(std::numeric_limits<double>::infinity())},
        RoundTripCase{"NaN", Variant(std::numeric_limits<double>::quiet_NaN())},
        RoundTripCase{"Date", Variant::Date(45383.6875)}, RoundTripCase{"EmptyString", Variant("")},
        RoundTripCase{"Chinese", Variant("\xE5\xB7\xA5\xE8\xB5\x84")},
        RoundTripCase{"StringNotUtf8", Variant(std::string("\xB9\xAB\xCB\xBE"))},
        RoundTripCase{"StringWithNul", Variant(std::string("a\0b", 3))},
        RoundTripCase{"StringWithSurrogate", Variant(std::string("\xED\xA0\x80"))},
        RoundTripCase{"StringOverlong", Variant(std::string("\xC0\xAF"))},
        RoundTripCase{"StringCutMidCharacter", Variant(std::string("\xE5\xB7"))},
        RoundTripCase{"StringLargestCodePoint", Variant(std::string("\xF4\x8F\xBF\xBF"))},
        RoundTripCase{"Bytes", Variant::Bytes("\xB9\xAB\xCB\xBE")}, RoundTripCase{"EmptyBytes", Variant::Bytes("")},
        RoundTripCase{"AsciiBytes", Variant::Bytes("abc")},
        RoundTripCase{"ArrayFromOne", Bounded(1, 12)}, RoundTripCase{"ArrayNegativeBounds", Bounded(-2, 1)},
        RoundTripCase{"EmptyArray", Variant::Array(0, -1)}, RoundTripCase{"TwoDimensional", Grid()},
        RoundTripCase{"EmptyRowsGrid", Variant::Array2(0, 0, 0, 5)},
        RoundTripCase{"DeepButAllowed", Nested(wire::kMaxNesting)}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

class NoTransfer : public IDispatchObject {
public:
    Variant Invoke(const std::string&, InvokeKind, std::vector<Variant>&) override { return Variant(); }
};

TEST(WireEncode, RefusesWhatCannotTravel) {
    const Variant object(DispatchPtr(std::make_shared<NoTransfer>()));
    EXPECT_THROW(wire::EncodeVariant(object), EWireError);
    EXPECT_THROW(wire::EncodeVariant(Variant::ArrayOf({Variant(std::int32_t{1}), object})), EWireError);
    EXPECT_THROW(wire::EncodeVariant(Nested(wire::kMaxNesting + 1)), EWireError);
}

TEST(WireDecode, RefusesEveryTruncation) {
    const std::string full = wire::EncodeVariant(Variant::ArrayOf({Grid(), Variant("text"), Variant::Date(1.5)}));
    for (std::size_t n = 0; n < full.size(); ++n)
        EXPECT_THROW(wire::DecodeVariant(std::string_view(full).substr(0, n)), EWireError) << "prefix of " << n;
}

struct BadInput {
    const char* name;
    std::string bytes;
};

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

class WireDecodeRefuses : public ::testing::TestWithParam<BadInput> {};

TEST_P(WireDecodeRefuses, WithAnError) { EXPECT_THROW(wire::DecodeVariant(GetParam().bytes), EWireError); }

// A nesting bomb far deeper than the limit: must end in an error, not a stack overflow.
std::string DeepBomb(int levels) {
    return Cbor([levels](QCborStreamWriter& w) {
        for (int i = 0; i < levels; ++i) {
            w.append(QCborTag(wire::kTagArray));
            w.startArray(2);
            w.startArray(2), w.append(0), w.append(0), w.endArray();
            w.startArray(1);
        }
        w.appendUndefined();
    });
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, WireDecodeRefuses,
    ::testing::Values(
        BadInput{"Nothing", ""}, BadInput{"TrailingBytes", wire::EncodeVariant(Variant(true)) + "x"},
        BadInput{"IntAboveInt32", Cbor([](QCborStreamWriter& w) { w.append(qint64{1} << 31); })},
        BadInput{"IntBelowInt32", Cbor([](QCborStreamWriter& w) { w.append(-(qint64{1} << 31) - 1); })},
        BadInput{"SmallestNegative64", Bytes({0x3B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        BadInput{"TextNotUtf8", Bytes({0x62, 0xB9, 0xAB})},
        BadInput{"TextWithSurrogate", Bytes({0x63, 0xED, 0xA0, 0x80})},
        BadInput{"TextAboveUnicode", Bytes({0x64, 0xF4, 0x90, 0x80, 0x80})},
        BadInput{"Map", Cbor([](QCborStreamWriter& w) { w.startMap(0), w.endMap(); })},
        BadInput{"UntaggedArray", Cbor([](QCborStreamWriter& w) { w.startArray(0), w.endArray(); })},
        BadInput{"UnknownTag", Cbor([](QCborStreamWriter& w) { w.append(QCborTag(1)), w.append(0); })},
        BadInput{"DateNotANumber", Cbor([](QCborStreamWriter& w) { w.append(QCborTag(wire::kTagDate)), w.append(QLatin1String("x")); })},
        BadInput{"SimpleValue", Bytes({0xF0})},
        // Announces 2^64-1 elements / bytes with almost nothing behind.
        BadInput{"HugeArrayLength", Bytes({0xDA, 0x00, 0x4B, 0x56, 0x03, 0x82, 0x82, 0x00, 0x00, 0x9B, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        BadInput{"HugeByteString", Bytes({0x5B, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x41})},
        BadInput{"HugeText", Bytes({0x7A, 0x7F, 0xFF, 0xFF, 0xFF, 0x41})},
        // Bounds that claim two thousand million elements, with one present.
        BadInput{"BoundsLie", Cbor([](QCborStreamWriter& w) {
                     w.append(QCborTag(wire::kTagArray));
                     w.startArray(2);
                     w.startArray(2), w.append(0), w.append(2147483646), w.endArray();
                     w.startArray(1), w.append(1), w.endArray();
                     w.endArray();
                 })},
        BadInput{"BoundsLieIndefinite", Cbor([](QCborStreamWriter& w) {
                     w.append(QCborTag(wire::kTagArray));
                     w.startArray(2);
                     w.startArray(2), w.append(0), w.append(2147483646), w.endArray();
                     w.startArray(), w.append(1), w.endArray();
                     w.endArray();
                 })},
        BadInput{"TooManyElements", Cbor([](QCborStreamWriter& w) {
                     w.append(QCborTag(wire::kTagArray));
                     w.startArray(2);
                     w.startArray(2), w.append(1), w.append(1), w.endArray();
                     w.startArray(), w.append(1), w.append(2), w.endArray();
                     w.endArray();
                 })},
        BadInput{"BoundsReversed", Cbor([](QCborStreamWriter& w) {
                     w.append(QCborTag(wire::kTagArray));
                     w.startArray(2);
                     w.startArray(2), w.append(5), w.append(1), w.endArray();
                     w.startArray(0), w.endArray();
                     w.endArray();
                 })},
        BadInput{"ThreeDimensions", Cbor([](QCborStreamWriter& w) {
                     w.append(QCborTag(wire::kTagArray));
                     w.startArray(2);
                     w.startArray(6);
                     for (int i = 0; i < 6; ++i) w.append(0);
                     w.endArray();
                     w.startArray(1), w.append(1), w.endArray();
                     w.endArray();
                 })},
        BadInput{"NestingBomb", DeepBomb(100000)}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST(WireDecode, NestingLimitIsTheCallersChoice) {
    const std::string bytes = wire::EncodeVariant(Nested(5));
    EXPECT_THROW(wire::DecodeVariant(bytes, 4), EWireError);
    EXPECT_TRUE(Identical(wire::DecodeVariant(bytes, 5), Nested(5)));
}

// ---- messages ----------------------------------------------------------------------

TEST(WireMessage, EveryKindRoundTrips) {
    const std::vector<wire::Message> messages = {
        wire::CreateMessage("ReportCounterS.dmReportCounter"),
        wire::InvokeMessage(7, "ChangeConName", InvokeKind::Method,
                            {Variant::ArrayOf({Variant::Bytes("\xB7\xBD"), Variant("U01")}), Variant(true)}),
        wire::InvokeMessage(0xFFFFFFFFu, "SQLType", InvokeKind::Get, {}),
        wire::InvokeMessage(1, "X", InvokeKind::Put, {Variant()}),
        wire::FetchRowsMessage(3, "pvdConSave"),
        wire::ReleaseMessage(3),
        wire::CreatedMessage(42),
        wire::ResultMessage(Variant("00000001"), {Variant::Null(), Grid()}),
        wire::RowsMessage(Grid()),
        wire::ErrorMessage("no such member \xB9"),  // an error text that is not UTF-8 still travels
    };
    for (const wire::Message& m : messages) {
        const wire::Message back = wire::DecodeMessage(wire::EncodeMessage(m));
        SCOPED_TRACE(static_cast<int>(m.op));
        EXPECT_EQ(back.op, m.op);
        EXPECT_EQ(back.objectId, m.objectId);
        EXPECT_EQ(back.text, m.text);
        EXPECT_EQ(back.kind, m.kind);
        ASSERT_EQ(back.args.size(), m.args.size());
        for (std::size_t i = 0; i < m.args.size(); ++i) EXPECT_TRUE(Identical(back.args[i], m.args[i]));
        EXPECT_TRUE(Identical(back.value, m.value));
    }
}

TEST(WireMessage, RefusesMalformedMessages) {
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"not an array", Cbor([](QCborStreamWriter& w) { w.append(1); })},
        {"unknown operation", Cbor([](QCborStreamWriter& w) { w.startArray(2), w.append(9), w.append(1), w.endArray(); })},
        {"missing field", Cbor([](QCborStreamWriter& w) { w.startArray(2), w.append(2), w.append(1), w.endArray(); })},
        {"extra field", Cbor([](QCborStreamWriter& w) {
             w.startArray(3), w.append(4), w.append(1), w.append(1), w.endArray();
         })},
        {"invoke kind out of range", Cbor([](QCborStreamWriter& w) {
             w.startArray(5), w.append(2), w.append(1), w.append(QLatin1String("m")), w.append(3);
             w.startArray(0), w.endArray(), w.endArray();
         })},
        {"object id above 32 bits", Cbor([](QCborStreamWriter& w) {
             w.startArray(2), w.append(4), w.append(quint64{1} << 32), w.endArray();
         })},
        {"indefinite message", Cbor([](QCborStreamWriter& w) { w.startArray(), w.append(4), w.append(1), w.endArray(); })},
        {"member not a text", Cbor([](QCborStreamWriter& w) {
             w.startArray(3), w.append(3), w.append(1), w.append(7), w.endArray();
         })},
    };
    for (const auto& [what, bytes] : bad) EXPECT_THROW(wire::DecodeMessage(bytes), EWireError) << what;
}

// ---- frames ------------------------------------------------------------------------

TEST(WireFrame, HeaderIsBigEndianLength) {
    const std::string frame = wire::EncodeFrame(std::string(0x0102, 'x'));
    ASSERT_EQ(frame.size(), 4u + 0x0102);
    EXPECT_EQ(frame.substr(0, 4), Bytes({0x00, 0x00, 0x01, 0x02}));
    EXPECT_THROW(wire::EncodeFrame(std::string(17, 'x'), 16), EWireError);
    EXPECT_NO_THROW(wire::EncodeFrame(std::string(16, 'x'), 16));
}

TEST(WireFrame, ReassemblesFramesFedByteByByte) {
    const std::string stream = wire::EncodeFrame("first") + wire::EncodeFrame("") + wire::EncodeFrame("third one");
    wire::FrameReader reader;
    std::vector<std::string> bodies;
    for (char c : stream) {
        reader.Feed(std::string_view(&c, 1));
        while (auto body = reader.Take()) bodies.push_back(*body);
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{"first", "", "third one"}));
    EXPECT_EQ(reader.Buffered(), 0u);
}

TEST(WireFrame, OversizedHeaderIsRefusedBeforeAnyBody) {
    wire::FrameReader reader(1024);
    reader.Feed(Bytes({0xFF, 0xFF}));
    EXPECT_FALSE(reader.Take());
    // The moment the length is known (4 GiB - 1), before a single body byte.
    EXPECT_THROW(reader.Feed(Bytes({0xFF, 0xFF})), EWireError);
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.Buffered(), 0u);
    EXPECT_THROW(reader.Feed("more"), EWireError);
    EXPECT_FALSE(reader.Take());
}

TEST(WireFrame, MaximumItselfIsAccepted) {
    wire::FrameReader reader(8);
    reader.Feed(wire::EncodeFrame("12345678"));
    EXPECT_EQ(reader.Take(), std::optional<std::string>("12345678"));
    EXPECT_THROW(reader.Feed(wire::EncodeFrame("123456789")), EWireError);
}

TEST(WireFrame, OversizedFrameBehindAGoodOneIsRefusedOnArrival) {
    wire::FrameReader reader(8);
    EXPECT_THROW(reader.Feed(wire::EncodeFrame("ok") + Bytes({0x00, 0x01, 0x00, 0x00})), EWireError);
}

}  // namespace
}  // namespace kv

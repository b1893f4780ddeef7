#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <optional>

#include "kv/Variant.h"

namespace kv {
namespace {

// One row per value: what each conversion gives, nullopt when it must raise
// EVariantError.
struct ConversionCase {
    const char* label;
    Variant value;
    std::optional<std::int32_t> asInt;
    std::optional<double> asDouble;
    std::optional<bool> asBool;
    std::optional<std::string> asString;
};

const ConversionCase kConversions[] = {
    {"empty", Variant(), 0, 0.0, false, ""},
    {"null", Variant::Null(), std::nullopt, std::nullopt, std::nullopt, ""},
    {"true", Variant(true), -1, -1.0, true, "True"},
    {"false", Variant(false), 0, 0.0, false, "False"},
    {"int", Variant(42), 42, 42.0, true, "42"},
    {"negative int", Variant(-7), -7, -7.0, true, "-7"},
    {"zero int", Variant(0), 0, 0.0, false, "0"},
    {"double", Variant(1.5), 2, 1.5, true, "1.5"},
    {"double rounds half to even", Variant(2.5), 2, 2.5, true, "2.5"},
    {"negative half", Variant(-2.5), -2, -2.5, true, "-2.5"},
    {"double shortest text", Variant(0.1), 0, 0.1, true, "0.1"},
    {"whole double", Variant(100.0), 100, 100.0, true, "100"},
    {"million is written out", Variant(1000000.0), 1000000, 1e6, true, "1000000"},
    {"small fraction", Variant(0.00012), 0, 0.00012, true, "0.00012"},
    {"huge double", Variant(1.5e20), std::nullopt, 1.5e20, true, "1.5e+20"},
    {"double beyond int", Variant(3e9), std::nullopt, 3e9, true, "3000000000"},
    {"negative zero", Variant(-0.0), 0, -0.0, false, "0"},
    {"int text", Variant("12"), 12, 12.0, true, "12"},
    {"padded int text", Variant(" 12 "), 12, 12.0, true, " 12 "},
    {"signed text", Variant("+3"), 3, 3.0, true, "+3"},
    {"double sign text", Variant("+-3"), std::nullopt, std::nullopt, std::nullopt, "+-3"},
    {"decimal text", Variant("1.5"), 2, 1.5, true, "1.5"},
    {"exponent text", Variant("1e3"), 1000, 1000.0, true, "1e3"},
    {"comma decimal is not C locale", Variant("1,5"), std::nullopt, std::nullopt, std::nullopt, "1,5"},
    {"letters", Variant("abc"), std::nullopt, std::nullopt, std::nullopt, "abc"},
    {"number then letters", Variant("12abc"), std::nullopt, std::nullopt, std::nullopt, "12abc"},
    {"empty text", Variant(""), std::nullopt, std::nullopt, std::nullopt, ""},
    {"nan text", Variant("nan"), std::nullopt, std::nullopt, std::nullopt, "nan"},
    {"true text", Variant(" TRUE "), std::nullopt, std::nullopt, true, " TRUE "},
    {"false text", Variant("False"), std::nullopt, std::nullopt, false, "False"},
    {"zero text", Variant("0"), 0, 0.0, false, "0"},
    {"int text too large", Variant("2147483648"), std::nullopt, 2147483648.0, true, "2147483648"},
    {"int text at limit", Variant("-2147483648"), std::numeric_limits<std::int32_t>::min(), -2147483648.0, true,
     "-2147483648"},
    {"bytes", Variant::Bytes("7"), 7, 7.0, true, "7"},
    {"date", Variant::Date(45292.0), 45292, 45292.0, true, "2024-01-01"},
    {"date and time", Variant::Date(45292.75), 45293, 45292.75, true, "2024-01-01 18:00:00"},
    {"date zero", Variant::Date(0.0), 0, 0.0, false, "1899-12-30"},
    {"date before zero keeps the time", Variant::Date(-1.25), -1, -1.25, true, "1899-12-29 06:00:00"},
    {"leap day", Variant::Date(43890.5), 43890, 43890.5, true, "2020-02-29 12:00:00"},
    {"time rounding to next day", Variant::Date(1.9999999), 2, 1.9999999, true, "1900-01-01"},
    {"date out of range", Variant::Date(1e12), std::nullopt, 1e12, true, std::nullopt},
    {"array", Variant::ArrayOf({1}), std::nullopt, std::nullopt, std::nullopt, std::nullopt},
};

TEST(VariantConversion, FollowsTheClassicRules) {
    for (const ConversionCase& c : kConversions) {
        SCOPED_TRACE(c.label);
        if (c.asInt)
            EXPECT_EQ(c.value.ToInt(), *c.asInt);
        else
            EXPECT_THROW(c.value.ToInt(), EVariantError);
        if (c.asDouble)
            EXPECT_DOUBLE_EQ(c.value.ToDouble(), *c.asDouble);
        else
            EXPECT_THROW(c.value.ToDouble(), EVariantError);
        if (c.asBool)
            EXPECT_EQ(c.value.ToBool(), *c.asBool);
        else
            EXPECT_THROW(c.value.ToBool(), EVariantError);
        if (c.asString)
            EXPECT_EQ(c.value.ToString(), *c.asString);
        else
            EXPECT_THROW(c.value.ToString(), EVariantError);
    }
}

TEST(VariantConversion, DoubleTextRoundTrips) {
    for (double d : {1.0 / 3.0, 123456789.123, 1e-7, 1e300, -2.2250738585072014e-308}) {
        const std::string text = Variant(d).ToString();
        EXPECT_EQ(Variant(text).ToDouble(), d) << text;
    }
}

TEST(VariantConversion, KindsAndDispatch) {
    EXPECT_EQ(Variant().Type(), VarType::Empty);
    EXPECT_EQ(Variant("x").Type(), VarType::String);
    EXPECT_EQ(Variant(static_cast<const char*>(nullptr)).ToString(), "");
    EXPECT_EQ(Variant::Bytes("x").Type(), VarType::Bytes);
    EXPECT_TRUE(Variant::Bytes("x").IsText());
    EXPECT_EQ(Variant::Date(1).Type(), VarType::Date);
    // A null object is "no object": it reads as Empty.
    EXPECT_TRUE(Variant(DispatchPtr()).IsEmpty());
    EXPECT_EQ(Variant(5).ToDispatch(), nullptr);
}

TEST(VariantEquality, ComparesKindAndValueDeeply) {
    struct Case {
        const char* label;
        Variant a, b;
        bool equal;
    };
    const Case cases[] = {
        {"empty", Variant(), Variant(), true},
        {"empty vs null", Variant(), Variant::Null(), false},
        {"int vs same double", Variant(1), Variant(1.0), true},
        {"int vs other double", Variant(1), Variant(1.5), false},
        {"int vs bool", Variant(-1), Variant(true), false},
        {"int vs text", Variant(1), Variant("1"), false},
        {"string vs bytes", Variant("a"), Variant::Bytes("a"), false},
        {"date vs double", Variant::Date(2), Variant(2.0), false},
        {"nested arrays", Variant::ArrayOf({1, Variant::ArrayOf({"a"})}), Variant::ArrayOf({1, Variant::ArrayOf({"a"})}),
         true},
        {"nested element differs", Variant::ArrayOf({1, Variant::ArrayOf({"a"})}),
         Variant::ArrayOf({1, Variant::ArrayOf({"b"})}), false},
        {"same elements other bounds", Variant::Array(1, 1), Variant::Array(0, 0), false},
        {"1-D vs 2-D of same size", Variant::Array(0, 1), Variant::Array2(0, 0, 0, 1), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.a == c.b, c.equal);
        EXPECT_EQ(c.b == c.a, c.equal);
        EXPECT_EQ(c.a != c.b, !c.equal);
    }
}

TEST(VariantArray, OneDimensionKeepsItsBounds) {
    Variant a = Variant::Array(1, 12);
    EXPECT_EQ(a.DimCount(), 1);
    EXPECT_EQ(a.LowBound(), 1);
    EXPECT_EQ(a.HighBound(), 12);
    EXPECT_EQ(a.ElementCount(), 12u);
    a[1] = "first";
    a[12] = 12;
    EXPECT_EQ(a.Elements().front(), Variant("first"));
    EXPECT_EQ(a.Elements().back(), Variant(12));
    EXPECT_TRUE(a[5].IsEmpty());
    for (int bad : {0, 13, -1}) EXPECT_THROW(a[bad], EVariantError) << bad;
    EXPECT_THROW(a.At(1, 1), EVariantError);
    EXPECT_THROW(a.LowBound(2), EVariantError);
}

TEST(VariantArray, TwoDimensionsIndexEachDimension) {
    Variant t = Variant::Array2(0, 3, 1, 7);
    EXPECT_EQ(t.DimCount(), 2);
    EXPECT_EQ(t.LowBound(1), 0);
    EXPECT_EQ(t.HighBound(1), 3);
    EXPECT_EQ(t.LowBound(2), 1);
    EXPECT_EQ(t.HighBound(2), 7);
    EXPECT_EQ(t.ElementCount(), 28u);
    for (int i = 0; i <= 3; ++i)
        for (int j = 1; j <= 7; ++j) t.At(i, j) = i * 10 + j;
    for (int i = 0; i <= 3; ++i)
        for (int j = 1; j <= 7; ++j) EXPECT_EQ(t.At(i, j).ToInt(), i * 10 + j);
    // Storage order: the first index runs fastest.
    EXPECT_EQ(t.Elements()[1], Variant(11));
    EXPECT_EQ(t.Elements()[4], Variant(2));
    const std::pair<int, int> outside[] = {{-1, 1}, {4, 1}, {0, 0}, {0, 8}};
    for (auto [i, j] : outside) EXPECT_THROW(t.At(i, j), EVariantError) << i << "," << j;
    EXPECT_THROW(t[0], EVariantError);
}

TEST(VariantArray, InvalidShapesAndNonArraysRaise) {
    EXPECT_THROW(Variant::Array(5, 3), EVariantError);
    EXPECT_THROW(Variant::Array2(0, 1, 3, 1), EVariantError);
    EXPECT_NO_THROW(Variant::Array(0, -1));  // an empty array is fine
    EXPECT_EQ(Variant::Array(0, -1).ElementCount(), 0u);
    EXPECT_THROW(Variant::Array(std::numeric_limits<int>::min(), std::numeric_limits<int>::max()), EVariantError);
    Variant scalar(3);
    EXPECT_EQ(scalar.DimCount(), 0);
    EXPECT_EQ(scalar.ElementCount(), 0u);
    EXPECT_THROW(scalar[0], EVariantError);
    EXPECT_THROW(scalar.LowBound(), EVariantError);
    EXPECT_THROW(scalar.Redim(3), EVariantError);
    EXPECT_THROW(scalar.Elements(), EVariantError);
}

TEST(VariantArray, RedimOfOneDimensionKeepsSurvivors) {
    Variant a = Variant::ArrayOf({"a", "b", "c"});
    a.Redim(4);
    EXPECT_EQ(a.HighBound(), 4);
    EXPECT_EQ(a[2], Variant("c"));
    EXPECT_TRUE(a[4].IsEmpty());
    a.Redim(0);
    EXPECT_EQ(a.ElementCount(), 1u);
    EXPECT_EQ(a[0], Variant("a"));
    a.Redim(-1);
    EXPECT_EQ(a.ElementCount(), 0u);
    EXPECT_THROW(a.Redim(-2), EVariantError);
}

TEST(VariantArray, RedimOfTwoDimensionsKeepsCellsInPlace) {
    // The [0..1, 0..n] tables the configuration builds grow along n.
    Variant t = Variant::Array2(0, 1, 0, 2);
    for (int k = 0; k <= 2; ++k) {
        t.At(0, k) = "name" + std::to_string(k);
        t.At(1, k) = k;
    }
    t.Redim(5);
    EXPECT_EQ(t.HighBound(2), 5);
    EXPECT_EQ(t.HighBound(1), 1);
    for (int k = 0; k <= 2; ++k) {
        EXPECT_EQ(t.At(0, k), Variant("name" + std::to_string(k)));
        EXPECT_EQ(t.At(1, k), Variant(k));
    }
    EXPECT_TRUE(t.At(0, 5).IsEmpty());
    EXPECT_TRUE(t.At(1, 3).IsEmpty());
    t.Redim(1);
    EXPECT_EQ(t.ElementCount(), 4u);
    EXPECT_EQ(t.At(1, 1), Variant(1));
    EXPECT_THROW(t.At(0, 2), EVariantError);
}

TEST(VariantArray, CopiesAreIndependentAtEveryDepth) {
    Variant original = Variant::ArrayOf({1, Variant::ArrayOf({"inner", 2})});
    Variant copy = original;
    copy[1][0] = "changed";
    copy[0] = 99;
    EXPECT_EQ(original[1][0], Variant("inner"));
    EXPECT_EQ(original[0], Variant(1));

    Variant assigned;
    assigned = original;
    assigned[1].Redim(5);
    EXPECT_EQ(original[1].HighBound(), 1);

    Variant moved = std::move(copy);
    EXPECT_EQ(moved[1][0], Variant("changed"));
    EXPECT_TRUE(copy.IsEmpty());  // NOLINT(bugprone-use-after-move): moved-from is Empty by contract
}

TEST(VariantArray, AssigningAnElementToItsContainer) {
    Variant v = Variant::ArrayOf({Variant::ArrayOf({"deep"}), 2});
    v = v[0];  // copy from inside the value being replaced
    EXPECT_EQ(v, Variant::ArrayOf({"deep"}));
    Variant w = Variant::ArrayOf({Variant::ArrayOf({"deep"})});
    w = std::move(w[0]);
    EXPECT_EQ(w, Variant::ArrayOf({"deep"}));
}

TEST(VariantDebugString, DumpsNestedValuesWithBounds) {
    Variant t = Variant::Array2(0, 1, 1, 2);
    t.At(0, 1) = "a\"b";
    t.At(1, 2) = Variant::Null();
    Variant v = Variant::ArrayOf({Variant(), 1.5, true, Variant::Bytes("x\n"), Variant::Date(45292.5), t});
    EXPECT_EQ(DebugString(v),
              "Array[0..5]{Empty, 1.5, True, Bytes(\"x\\n\"), Date(2024-01-01 12:00:00), "
              "Array[0..1, 1..2]{{\"a\\\"b\", Empty}, {Empty, Null}}}");
    EXPECT_EQ(DebugString(Variant::Date(1e12)), "Date(1000000000000)");  // never throws
}

// Records what reached it and treats "Swap" and "Fill" as having var parameters.
class RecordingObject : public IDispatchObject {
public:
    struct Call {
        std::string member;
        InvokeKind kind;
        std::vector<Variant> args;
    };
    std::vector<Call> calls;
    std::map<std::string, Variant> props;

    Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) override {
        calls.push_back({member, kind, args});
        if (member == "Swap" && args.size() == 2) {
            std::swap(args[0], args[1]);
            return Variant("swapped");
        }
        if (member == "Fill" && args.size() == 2) {
            args[1] = Variant::ArrayOf({args[0], args[0]});
            return true;
        }
        if (kind == InvokeKind::Put && args.size() == 1) {
            props[member] = args[0];
            return {};
        }
        if (kind == InvokeKind::Get && props.count(member)) return props[member];
        throw EOleError("Unknown name: " + member);
    }
};

TEST(VariantAutomation, CallWritesVarParametersBackIntoLvalues) {
    auto object = std::make_shared<RecordingObject>();
    const Variant disp(object);
    Variant a("left"), b(2);
    EXPECT_EQ(disp.Call("Swap", a, b), Variant("swapped"));
    EXPECT_EQ(a, Variant(2));
    EXPECT_EQ(b, Variant("left"));

    Variant out;
    EXPECT_TRUE(disp.Call("Fill", 7, out).ToBool());
    EXPECT_EQ(out, Variant::ArrayOf({7, 7}));

    // Temporaries and const values are passed in but cannot come back.
    const Variant fixed("fixed");
    EXPECT_NO_THROW(disp.Call("Swap", fixed, Variant(1)));
    EXPECT_EQ(fixed, Variant("fixed"));
    ASSERT_EQ(object->calls.size(), 3u);
    EXPECT_EQ(object->calls[2].kind, InvokeKind::Method);
    EXPECT_EQ(object->calls[2].args, (std::vector<Variant>{Variant("fixed"), Variant(1)}));
}

TEST(VariantAutomation, GetSetAndCallArgsUseTheirKinds) {
    auto object = std::make_shared<RecordingObject>();
    const Variant disp(object);
    disp.Set("Caption", "Title");
    EXPECT_EQ(disp.Get("Caption"), Variant("Title"));
    ASSERT_EQ(object->calls.size(), 2u);
    EXPECT_EQ(object->calls[0].kind, InvokeKind::Put);
    EXPECT_EQ(object->calls[0].args, std::vector<Variant>{Variant("Title")});
    EXPECT_EQ(object->calls[1].kind, InvokeKind::Get);
    EXPECT_TRUE(object->calls[1].args.empty());

    std::vector<Variant> args{1, 2};
    disp.CallArgs("Swap", args);
    EXPECT_EQ(args, (std::vector<Variant>{2, 1}));
    EXPECT_EQ(disp.Call("Swap", 1, 2), Variant("swapped"));
    EXPECT_THROW(disp.Call("Missing"), EOleError);
}

TEST(VariantAutomation, NonObjectsRefuseCalls) {
    for (const Variant& v : {Variant(), Variant(3), Variant("x"), Variant::ArrayOf({1})}) {
        SCOPED_TRACE(DebugString(v));
        try {
            v.Call("Run");
            ADD_FAILURE() << "no EOleError";
        } catch (const EOleError& e) {
            EXPECT_NE(std::string(e.what()).find("is not an automation object"), std::string::npos) << e.what();
        }
        EXPECT_THROW(v.Get("Name"), EOleError);
        EXPECT_THROW(v.Set("Name", 1), EOleError);
    }
}

}  // namespace
}  // namespace kv

// Separated texts, replacement, dates and numbers of LibStrs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <climits>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "runtime/LibStrs.h"

namespace kv {
namespace {

const QString kSep3(QChar(0x03));

std::string Show(const QString& s) { return s.toStdString(); }

// ---- separated texts ----------------------------------------------------------

struct FieldAtCase {
    const char* text;
    const char* sep;
    int n;
    const char* expected;
};

TEST(LibStrsFields, FieldAtCutsNumberedFields) {
    const FieldAtCase cases[] = {
        {"a;b;", ";", 3, ""},          // separator at the end: empty last field
        {"a;b;", ";", 4, ""},          // past the last field
        {"a;b", ";", 2, "b"},
        {"a;b", ";", 3, ""},
        {"a;b", ";", 1, "a"},
        {"a;b", ";", 0, ""},
        {"a;b", ";", -5, ""},
        {"", ";", 1, ""},
        {"abc", ";", 1, "abc"},        // no separator: the whole text is field 1
        {"abc", ";", 2, ""},
        {";x", ";", 1, ""},
        {";x", ";", 2, "x"},
        {"a<>b<>c", "<>", 3, "c"},     // multi-character separator
        {"a<>b<>c", "<>", 2, "b"},
        {"a;b", "", 1, "a;b"},         // empty separator never occurs
        {"a;b", "", 2, ""},
        {"中文,表格,数据", ",", 2, "表格"},
        {"a;b", ";", INT_MAX, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(FieldAt(QString::fromUtf8(c.text), QString::fromUtf8(c.sep), c.n)), c.expected)
            << c.text << " sep " << c.sep << " n " << c.n;
}

TEST(LibStrsFields, FieldAtWithControlCharacterSeparator) {
    const QString saved = QStringLiteral("sp_Range") + kSep3 + QStringLiteral("001") + kSep3 +
                          QStringLiteral("099");
    EXPECT_EQ(Show(FieldAt(saved, kSep3, 1)), "sp_Range");
    EXPECT_EQ(Show(FieldAt(saved, kSep3, 3)), "099");
    EXPECT_EQ(FieldCount(saved, kSep3), 3);
}

struct FieldCountCase {
    const char* text;
    const char* sep;
    int expected;
};

TEST(LibStrsFields, FieldCountCountsFields) {
    const FieldCountCase cases[] = {
        {"", ";", 0},
        {"a", ";", 1},
        {"a;b;", ";", 3},
        {";", ";", 2},
        {"a#b#c", "#", 3},
        // A separator starting with "#" used to be overwritten with "#" forever.
        {"a#;b#;c", "#;", 3},
        {"#;", "#;", 2},
        {"a##b", "##", 2},
        // Non-overlapping, as FieldAt cuts them: "aaa" holds one field separator "aa".
        {"aaa", "aa", 2},
        {"abc", "", 1},
        {"甲,乙,丙,", ",", 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldCount(QString::fromUtf8(c.text), QString::fromUtf8(c.sep)), c.expected)
            << c.text << " sep " << c.sep;
}

TEST(LibStrsFields, FieldCountAgreesWithFieldAt) {
    const char* texts[] = {"a;b;c", "a;;", ";", "x", "aaa;aa;", "中;文"};
    for (const char* t : texts) {
        const QString text = QString::fromUtf8(t);
        const int count = FieldCount(text, QStringLiteral(";"));
        // The last field FieldAt sees is field `count`: rebuilding the text from
        // fields 1..count gives the text back.
        QStringList fields;
        for (int i = 1; i <= count; ++i)
            fields << FieldAt(text, QStringLiteral(";"), i);
        EXPECT_EQ(fields.join(u';'), text) << t;
    }
}

struct CutFieldCase {
    const char* text;
    const char* sep;
    const char* field;
    const char* rest;
};

TEST(LibStrsFields, CutFieldSplitsAtFirstSeparator) {
    const CutFieldCase cases[] = {
        {"a;b;c", ";", "a", "b;c"},
        {"abc", ";", "abc", ""},
        {";abc", ";", "", "abc"},
        {"abc;", ";", "abc", ""},
        {"", ";", "", ""},
        {"a::b", "::", "a", "b"},
        {"a;b", "", "a;b", ""},
    };
    for (const auto& c : cases) {
        QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(Show(CutField(text, QString::fromUtf8(c.sep))), c.field) << c.text;
        EXPECT_EQ(Show(text), c.rest) << c.text;
    }
}

// ---- values ---------------------------------------------------------------------

TEST(LibStrsValues, IfThenAndIsEmptyValue) {
    EXPECT_EQ(IfThen(true, Variant("a"), Variant(2)).ToString(), "a");
    EXPECT_EQ(IfThen(false, Variant("a"), Variant(2)).ToInt(), 2);

    EXPECT_TRUE(IsEmptyValue(Variant()));
    EXPECT_TRUE(IsEmptyValue(Variant::Null()));
    EXPECT_FALSE(IsEmptyValue(Variant("")));
    EXPECT_FALSE(IsEmptyValue(Variant(0)));
    EXPECT_FALSE(IsEmptyValue(Variant::Array(0, -1)));
}

// ---- ReplaceAll -----------------------------------------------------------------

struct ReplaceCase {
    const char* text;
    const char* oldText;
    const char* newText;
    bool trim;
    const char* expected;
};

TEST(LibStrsReplace, ReplaceAllRescansUnlessThatCannotEnd) {
    const ReplaceCase cases[] = {
        {"aabb", "ab", "", false, ""},          // rescanning removes the newly formed "ab"
        {"xaaby", "ab", "b", false, "xby"},
        {"a,b,c", ",", "", false, "abc"},
        {"aabb", "ab", "ba", false, "bbaa"},
        {"aab", "ab", "bba", false, "bbbbaa"},  // grows, but ends: rescanned
        {"Abab", "ab", "", false, "Ab"},        // case-sensitive search
        {"abc", "b", "B", false, "abc"},        // equal ignoring case: nothing replaced
        {"abc", "", "x", false, "abc"},         // empty old text
        {"", "a", "", false, ""},
        // new contains old: one pass over the original text.
        {"ab", "ab", "abab", false, "abab"},
        {"aXa", "a", "aa", false, "aaXaa"},
        {"x.y", ".", "..", false, "x..y"},
        // "ab" -> "bbaa" forms a new "ab" after every step: single pass instead.
        {"aab", "ab", "bbaa", false, "abbaa"},
        // trim removes blanks and control characters at both ends only.
        {" \t\x03" "a b\x04 \r\n", "x", "", true, "a b"},
        {"  ab ab  ", "ab", "", true, ""},
        {"  abc  ", "b", "B", true, "abc"},
        {"中文;中文", ";", "", false, "中文中文"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(ReplaceAll(QString::fromUtf8(c.text), QString::fromUtf8(c.oldText),
                                  QString::fromUtf8(c.newText), c.trim)),
                  c.expected)
            << c.text << " / " << c.oldText << " -> " << c.newText;
}

TEST(LibStrsReplace, RunawayReplacementOnLongTextEnds) {
    // 40 leading "a"s would need about 2^40 rescans; the guard stops long before.
    const QString text = QString(40, u'a') + u'b';
    const QString result = ReplaceAll(text, QStringLiteral("ab"), QStringLiteral("bbaa"), false);
    EXPECT_EQ(result, QString(39, u'a') + QStringLiteral("bbaa"));
}

// ---- dates ----------------------------------------------------------------------

TDateTime Day(int y, int m, int d) {
    TDateTime out = 0;
    EXPECT_TRUE(TryEncodeDate(y, m, d, out)) << y << "-" << m << "-" << d;
    return out;
}

struct FormatCase {
    int type;
    const char* sep;
    int y, m, d;
    const char* date;       // FormatDate
    const char* yearMonth;  // FormatYearMonth
};

TEST(LibStrsDates, FormatDateAndYearMonthByType) {
    const FormatCase cases[] = {
        {5, "/", 2004, 3, 15, "093/03/15", "093/03"},
        {4, ".", 2011, 1, 1, "100.01.01", "100.01"},
        {4, "/", 2004, 3, 15, "93/03/15", "93/03"},
        {1, "", 2004, 3, 15, "20040315", "200403"},   // storage form
        {1, "/-", 2004, 3, 15, "2004/03/15", "2004/03"},  // first character only
        {2, "/", 2004, 3, 15, "03/15/2004", "03/2004"},
        {3, "-", 2004, 3, 15, "15-03-2004", "03-2004"},
        {1, "/", 5, 1, 2, "0005/01/02", "0005/01"},
        // Before the Minguo era the year is negative, as the format gives it.
        {4, "/", 1900, 1, 1, "-11/01/01", "-11/01"},
        {5, "/", 1900, 1, 1, "-011/01/01", "-011/01"},
        {0, "/", 2004, 3, 15, "", ""},
        {6, "/", 2004, 3, 15, "", ""},
        {-1, "/", 2004, 3, 15, "", ""},
    };
    for (const auto& c : cases) {
        const TDateTime date = Day(c.y, c.m, c.d);
        const QString sep = QString::fromUtf8(c.sep);
        EXPECT_EQ(Show(FormatDate(c.type, sep, date)), c.date) << "type " << c.type;
        EXPECT_EQ(Show(FormatYearMonth(c.type, sep, date)), c.yearMonth) << "type " << c.type;
    }
}

TEST(LibStrsDates, FormatDateOfNoDateOrUnsupportedDateIsEmpty) {
    const TDateTime values[] = {0, 1e9, -1e9, std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity()};
    for (TDateTime v : values) {
        EXPECT_EQ(FormatDate(1, QStringLiteral("/"), v), QString()) << v;
        EXPECT_EQ(FormatYearMonth(1, QStringLiteral("/"), v), QString()) << v;
    }
    // The time of day plays no part.
    EXPECT_EQ(Show(FormatDate(1, QStringLiteral("/"), Day(2004, 3, 15) + 0.99)), "2004/03/15");
}

struct ParseCase {
    const char* text;
    int type;
    const char* sep;
    int y, m, d;  // 0 = no date
};

TEST(LibStrsDates, ParseDisplayDate) {
    const ParseCase cases[] = {
        {"2004/02/30", 1, "/", 2004, 3, 1},   // day past month's end runs on
        {"93/1/1", 4, "/", 2004, 1, 1},
        {"093/1/1", 5, "/", 2004, 1, 1},
        {"2004/03/15", 1, "/", 2004, 3, 15},
        {"03/15/2004", 2, "/", 2004, 3, 15},
        {"15/03/2004", 3, "/", 2004, 3, 15},
        {" 2004 / 3 / 15 ", 1, "/", 2004, 3, 15},
        {"2004.03.15", 1, ".", 2004, 3, 15},
        {"2004/01/01/05", 1, "/", 2004, 1, 1},  // only three parts are read
        {"2004/12/32", 1, "/", 2005, 1, 1},
        {"2004/13/01", 1, "/", 0, 0, 0},
        {"2004/0/01", 1, "/", 0, 0, 0},
        {"2004/01/0", 1, "/", 0, 0, 0},
        {"2004/01/-1", 1, "/", 0, 0, 0},
        {"2004/01", 1, "/", 0, 0, 0},
        {"2004-01-01", 1, "/", 0, 0, 0},
        {"20040101", 1, "", 0, 0, 0},
        {"", 1, "/", 0, 0, 0},
        {"   ", 1, "/", 0, 0, 0},
        {"abc", 1, "/", 0, 0, 0},
        {"2004/a1/01", 1, "/", 0, 0, 0},
        {"2004/03/15", 0, "/", 0, 0, 0},
        {"2004/03/15", 6, "/", 0, 0, 0},
        {"10000/01/01", 1, "/", 0, 0, 0},
        {"99999999999999/01/01", 1, "/", 0, 0, 0},
        {"2147483647/1/1", 4, "/", 0, 0, 0},   // Minguo year overflowing int
        {"9999/12/32", 1, "/", 0, 0, 0},       // runs past the last supported day
        {"2004/01/2147483647", 1, "/", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const TDateTime expected = c.y ? Day(c.y, c.m, c.d) : 0;
        EXPECT_EQ(ParseDisplayDate(QString::fromUtf8(c.text), c.type, QString::fromUtf8(c.sep)),
                  expected)
            << c.text << " type " << c.type;
    }
}

struct StorageCase {
    const char* text;
    int y, m, d;  // 0 = no date
};

TEST(LibStrsDates, StorageToDate) {
    const StorageCase cases[] = {
        {"20040229", 2004, 2, 29},
        {"00010101", 1, 1, 1},
        {"99991231", 9999, 12, 31},
        {"20040230", 0, 0, 0},
        {"20030229", 0, 0, 0},
        {"2004022", 0, 0, 0},    // seven digits
        {"9990101", 0, 0, 0},
        {"200402291", 0, 0, 0},
        {"", 0, 0, 0},
        {"abcdefgh", 0, 0, 0},
        {"00000101", 0, 0, 0},
        {"20041301", 0, 0, 0},
        {"20040100", 0, 0, 0},
        {"2004-1-1", 0, 0, 0},
        {"中文中文中文中文", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const TDateTime expected = c.y ? Day(c.y, c.m, c.d) : 0;
        EXPECT_EQ(StorageToDate(QString::fromUtf8(c.text)), expected) << c.text;
    }
}

struct ValidCase {
    const char* text;
    bool edition9;
    bool edition7;
};

TEST(LibStrsDates, IsValidStorageDate) {
    const ValidCase cases[] = {
        {"", true, true},
        {"17521231", false, true},  // edition 9 checks the range 1753..9999
        {"17530101", true, true},
        {"20040229", true, true},
        {"20030229", false, false},
        {"99991231", true, true},
        {"09990101", false, true},
        // Exactly eight digits: the seven-character "9990101" is no date.
        {"9990101", false, false},
        {"200402290", false, false},
        {"2004022a", false, false},
        {"+0040229", false, false},
        {" 2004022", false, false},
        {"00000101", false, false},
        {"20041301", false, false},
    };
    for (const auto& c : cases) {
#if KV_EDITION == 7
        const bool expected = c.edition7;
#else
        const bool expected = c.edition9;
#endif
        EXPECT_EQ(IsValidStorageDate(QString::fromUtf8(c.text)), expected) << c.text;
    }
}

struct ShiftCase {
    Variant value;
    const char* unit;
    int n;
    const char* expected;
};

TEST(LibStrsDates, ShiftDate) {
    const ShiftCase cases[] = {
        {Variant("20040131"), "M", 1, "20040229"},
        {Variant("20040229"), "Y", 1, "20040229"},   // no 29 February in 2005: unshifted
        {Variant("20040229"), "Y", 4, "20080229"},
        {Variant("20040229"), "y", -4, "20000229"},
        {Variant("20041215"), "m", 1, "20050115"},
        {Variant("20040101"), "D", -1, "20031231"},
        {Variant("20040101"), "d", 366, "20050101"},
        {Variant("20040510"), "M", 7, "20041210"},   // remainder 0 gives December
        {Variant("20040331"), "M", -13, "20030228"},
        {Variant("20041231"), "M", 2, "20050228"},
        {Variant("20040115"), "M", 0, "20040115"},
        {Variant("20040101"), "W", 1, ""},
        {Variant("20040101"), "", 1, ""},
        {Variant("20040101"), "DD", 1, ""},
        {Variant::Bytes("20040101"), "D", 1, "20040102"},
        {Variant::Date(Day(2004, 1, 1) + 0.75), "D", 1, "20040102"},
        {Variant(Day(2004, 1, 1)), "M", 1, "20040201"},
        {Variant(static_cast<std::int32_t>(Day(2004, 1, 1))), "Y", 1, "20050101"},
        {Variant::Date(Day(1899, 12, 29) + -0.25), "D", 2, "18991231"},
        // No date, or not a date.
        {Variant::Date(0), "D", 1, ""},
        {Variant("20040230"), "D", 1, ""},
        {Variant("2004011"), "D", 1, ""},
        {Variant(""), "D", 1, ""},
        {Variant(), "D", 1, ""},
        {Variant::Null(), "D", 1, ""},
        {Variant(true), "D", 1, ""},
        {Variant::ArrayOf({Variant("20040101")}), "D", 1, ""},
        // Results outside 0001..9999 (months used to search for a day forever).
        {Variant("99991215"), "M", 1, ""},
        {Variant("00010115"), "M", -1, ""},
        {Variant("20040101"), "M", INT_MAX, ""},
        {Variant("20040101"), "M", INT_MIN, ""},
        {Variant("20040101"), "Y", 8000, ""},
        {Variant("20040101"), "Y", -2004, ""},
        {Variant("99991231"), "D", 1, ""},
        {Variant("20040101"), "D", INT_MIN, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(ShiftDate(c.value, QString::fromUtf8(c.unit), c.n)), c.expected)
            << DebugString(c.value) << " " << c.unit << " " << c.n;
}

struct DynamicCase {
    const char* base;
    const char* n1;
    const char* unit;
    const char* n2;
    const char* mode;
    const char* expected;
};

TEST(LibStrsDates, ShiftDynamicDate) {
    const DynamicCase cases[] = {
        {"20240517", "0", "1", "0", "2", "20240531"},
        {"20240517", "-1", "1", "0", "1", "20240401"},
        {"20240517", "1", "0", "-2", "0", "20240522"},
        {"20240517", "0", "0", "0", "1", "20240512"},  // Sunday
        {"20240517", "0", "0", "0", "2", "20240518"},  // Saturday
        {"20240512", "0", "0", "0", "1", "20240512"},  // a Sunday is its own week start
        {"20240518", "0", "0", "0", "2", "20240518"},
        {"20240517", "-1", "0", "0", "1", "20240505"},
        {"20240131", "1", "1", "3", "0", "20240303"},  // 29 Feb + 3 days
        {"20240131", "1", "1", "0", "2", "20240229"},
        {"20240517", " 2 ", "1", "", "1", "20240701"},
        {"202405", "-1", "1", "0", "0", "202404"},      // month base
        {"202401", "-1", "", "", "", "202312"},
        {"202405", "12", "0", "x", "9", "202505"},      // unit, mode, N2 play no part
        // Not whole numbers where a number is needed: no date rather than a guess.
        {"20240517", "abc", "1", "0", "2", ""},
        {"20240517", "", "1", "0", "2", ""},
        {"20240517", "1.5", "0", "0", "0", ""},
        {"20240517", "0", "0", "x", "0", ""},
        {"20240517", "0", "1", "99999999999", "0", ""},
        {"20240517", "0", "1", "x", "1", "20240501"},   // N2 unused in mode 1
        // Unknown unit or mode, bad base, out of range.
        {"20240517", "0", "2", "0", "0", ""},
        {"20240517", "0", "1", "0", "3", ""},
        {"20240517", "0", "0", "0", "", ""},
        {"20241340", "0", "1", "0", "0", ""},
        {"2024051", "0", "1", "0", "0", ""},
        {"2024", "0", "1", "0", "0", ""},
        {"", "0", "1", "0", "0", ""},
        {"99991231", "0", "0", "1", "0", ""},
        {"99991230", "0", "0", "0", "2", ""},
        {"99991215", "1", "1", "0", "1", ""},
        {"999912", "1", "1", "0", "0", ""},
        {"20240517", "2147483647", "0", "0", "0", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(ShiftDynamicDate(QString::fromUtf8(c.base), QString::fromUtf8(c.n1),
                                        QString::fromUtf8(c.unit), QString::fromUtf8(c.n2),
                                        QString::fromUtf8(c.mode))),
                  c.expected)
            << c.base << " N1 " << c.n1 << " unit " << c.unit << " N2 " << c.n2 << " mode "
            << c.mode;
}

TEST(LibStrsDates, DaysInMonth) {
    const struct {
        int y, m, days;
    } cases[] = {{1900, 2, 28}, {2000, 2, 29}, {2004, 2, 29}, {2003, 2, 28}, {2004, 13, 0},
                 {2004, 0, 0},  {2004, 4, 30}, {2004, 6, 30}, {2004, 9, 30}, {2004, 11, 30},
                 {2004, 1, 31}, {2004, 12, 31}};
    for (const auto& c : cases)
        EXPECT_EQ(DaysInMonth(c.y, c.m), c.days) << c.y << "-" << c.m;
}

// ---- environment and numbers ----------------------------------------------------

TEST(LibStrsEnvironment, IsLoopbackHostOnlyForTheLoopbackAddress) {
    EXPECT_TRUE(IsLoopbackHost(QStringLiteral("127.0.0.1")));
    const char* others[] = {"localhost", " 127.0.0.1", "127.0.0.10", "127.0.0.2", "", "::1"};
    for (const char* h : others)
        EXPECT_FALSE(IsLoopbackHost(QString::fromUtf8(h))) << h;
}

#if KV_EDITION != 7
// Sets TMPDIR for one test and puts the old value back.
class TempDirEnv : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* v = std::getenv("TMPDIR"))
            saved_ = v;
    }
    void TearDown() override {
        if (saved_)
            setenv("TMPDIR", saved_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    std::optional<std::string> saved_;
};

TEST_F(TempDirEnv, TempDirectoryIsTheCanonicalExistingFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("real")));
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/real"), dir.path() + QStringLiteral("/link")));
    setenv("TMPDIR", (dir.path() + QStringLiteral("/link")).toUtf8().constData(), 1);
    const QString expected = QFileInfo(dir.path() + QStringLiteral("/real")).canonicalFilePath() + u'/';
    EXPECT_EQ(TempDirectory(), expected);

    // A missing folder is never handed out (the platform falls back to its default).
    setenv("TMPDIR", (dir.path() + QStringLiteral("/missing")).toUtf8().constData(), 1);
    const QString fallback = TempDirectory();
    EXPECT_TRUE(fallback.isEmpty() || QFileInfo(fallback).isDir()) << fallback.toStdString();
}

TEST(LibStrsEnvironment, FloatOrDefault) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"1.5", 1.5},   {"-3e2", -300}, {" 2 ", 2},     {"0", 0},      {"7", 7},
        {"abc", -1},    {"", -1},       {"1.5x", -1},   {"1,5", -1},   {"1e999", -1},
        {"nan", -1},    {"inf", -1},    {"1 2", -1},    {"--1", -1},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(FloatOrDefault(QString::fromUtf8(c.text), -1), c.expected) << c.text;
}
#endif

TEST(LibStrsValues, CountedListText) {
    const QString p = QStringLiteral("P");
    const QString m = kSep3;
    EXPECT_EQ(CountedListText(p, Variant::ArrayOf({Variant(2), Variant("a"), Variant("部门")})),
              p + m + u'2' + m + u'a' + m + QStringLiteral("部门") + m);
    EXPECT_EQ(CountedListText(p, Variant::ArrayOf({Variant(0)})), p + m + u'0' + m);
    EXPECT_EQ(CountedListText(p, Variant::ArrayOf({Variant("1"), Variant("x"), Variant("y")})),
              p + m + u'1' + m + u'x' + m);
    // A count past the array's end takes what is there.
    EXPECT_EQ(CountedListText(p, Variant::ArrayOf({Variant(5), Variant("x")})),
              p + m + u'5' + m + u'x' + m);
    // Not a counted list at all.
    EXPECT_EQ(CountedListText(p, Variant()), p + m + u'0' + m);
    EXPECT_EQ(CountedListText(p, Variant("abc")), p + m + u'0' + m);
    EXPECT_EQ(CountedListText(p, Variant::Array(1, 3)), p + m + u'0' + m);
}

}  // namespace
}  // namespace kv

// Published properties by name: lookups without regard to case, the results for
// missing objects and properties, handlers saved and restored by name, and
// values set from text along dotted paths.
#include "language/LibRTTI.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "platform/Controls.h"
#include "platform/Types.h"

// Readable texts in failure messages.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kv {
namespace rttitest {

// A windowed control with one property of every kind the functions tell apart.
class TProbe : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ GetText WRITE SetText)
    Q_PROPERTY(kv::TStrings* Items READ Items WRITE SetItems)
    Q_PROPERTY(int ItemIndex MEMBER ItemIndex)
    Q_PROPERTY(kv::Enums::TAlignment Alignment MEMBER Alignment)
    Q_PROPERTY(kv::Enums::TShiftState Shift MEMBER Shift)
    Q_PROPERTY(bool Checked MEMBER Checked)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(short Small MEMBER Small)
    Q_PROPERTY(QChar PasswordChar MEMBER PasswordChar)
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(kv::rttitest::TProbe* Next MEMBER Next)
    Q_PROPERTY(kv::TNotifyEvent OnChange MEMBER OnChange)

public:
    explicit TProbe(TComponent* owner) : TCustomControl(owner), FItems(new TStringList(this)) {}
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* items) { FItems->Assign(items); }
    int Count() const { return 7; }

    int ItemIndex = -1;
    TAlignment Alignment = taLeftJustify;
    TShiftState Shift;
    bool Checked = false;
    double Ratio = 0;
    short Small = 0;
    QChar PasswordChar = QLatin1Char('#');
    TProbe* Next = nullptr;
    TNotifyEvent OnChange;

private:
    TStringList* FItems;
};

}  // namespace rttitest

namespace {

using rttitest::TProbe;

class LibRTTITest : public ::testing::Test {
protected:
    void SetUp() override {
        FProbe = std::make_unique<TProbe>(nullptr);
        FProbe->SetCaption("caption");
        FProbe->Items()->SetStrings({"a", "b"});
        FProbe->Next = CreateNamed<TProbe>(FProbe.get(), "next");
        FProbe->Next->SetCaption("inner");
    }
    TProbe& Probe() { return *FProbe; }

    // The texts of every published property of the probe and its inner probe, to
    // show that a write that must fail touched nothing.
    static QStringList Snapshot(const QObject* object) {
        QStringList texts;
        const QMetaObject* meta = object->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QString name = QLatin1String(meta->property(i).name());
            texts << name + "=" + GetStrPropByName(object, name);
        }
        return texts;
    }
    QStringList SnapshotAll() { return Snapshot(FProbe.get()) + Snapshot(FProbe->Next); }

    std::unique_ptr<TProbe> FProbe;
};

// ---- missing objects and properties ------------------------------------------------------

TEST_F(LibRTTITest, MissingObjectOrPropertyGivesEmptyResultsAndWritesNothing) {
    const QStringList before = SnapshotAll();
    struct Case {
        QObject* object;
        const char* name;
    };
    const Case cases[] = {{nullptr, "Caption"}, {FProbe.get(), "NoSuchProperty"}, {FProbe.get(), ""},
                          {FProbe.get(), "Capt"}, {FProbe.get(), "Caption.Name"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(HasProperty(c.object, c.name));
        EXPECT_EQ(GetStrPropByName(c.object, c.name), QString());
        EXPECT_EQ(GetOrdPropByName(c.object, c.name), 0);
        EXPECT_FALSE(GetMethodPropByName(c.object, c.name).isValid());
        EXPECT_EQ(GetObjectPropByName(c.object, c.name), nullptr);
        EXPECT_FALSE(FindPropertyByName(c.object, c.name).isValid());
        SetStrPropByName(c.object, c.name, "x");
        SetOrdPropByName(c.object, c.name, 5);
        SetMethodPropByName(c.object, c.name, QVariant::fromValue(TNotifyEvent([](TObject*) {})));
        EXPECT_FALSE(SetPropertyByPath(c.object, c.name, "x"));
    }
    EXPECT_EQ(SnapshotAll(), before);
}

TEST_F(LibRTTITest, NamesMatchWithoutRegardToCase) {
    EXPECT_TRUE(HasProperty(&Probe(), "cAPTION"));
    EXPECT_EQ(GetStrPropByName(&Probe(), "CAPTION"), "caption");
    SetStrPropByName(&Probe(), "caption", "new");
    EXPECT_EQ(Probe().Caption(), "new");
    SetOrdPropByName(&Probe(), "itemindex", 3);
    EXPECT_EQ(Probe().ItemIndex, 3);
    EXPECT_EQ(GetObjectPropByName(&Probe(), "fONT"), Probe().Font());
}

TEST_F(LibRTTITest, ObjectPropertyOnlyForClassTypedProperties) {
    EXPECT_EQ(GetObjectPropByName(&Probe(), "Items"), Probe().Items());
    EXPECT_EQ(GetObjectPropByName(&Probe(), "Next"), Probe().Next);
    Probe().Next = nullptr;
    EXPECT_EQ(GetObjectPropByName(&Probe(), "Next"), nullptr);
    EXPECT_EQ(GetObjectPropByName(&Probe(), "Caption"), nullptr);
    EXPECT_EQ(GetObjectPropByName(&Probe(), "OnChange"), nullptr);
}

// ---- ordinal and string access --------------------------------------------------------------

TEST_F(LibRTTITest, OrdinalPropertiesReadAndWriteAsNumbers) {
    SetOrdPropByName(&Probe(), "Alignment", taCenter);
    EXPECT_EQ(Probe().Alignment, taCenter);
    EXPECT_EQ(GetOrdPropByName(&Probe(), "Alignment"), 2);
    SetOrdPropByName(&Probe(), "Checked", 1);
    EXPECT_TRUE(Probe().Checked);
    EXPECT_EQ(GetOrdPropByName(&Probe(), "Checked"), 1);
    SetOrdPropByName(&Probe(), "Shift", ssShift | ssCtrl);
    EXPECT_EQ(GetOrdPropByName(&Probe(), "Shift"), ssShift | ssCtrl);
    SetOrdPropByName(&Probe(), "PasswordChar", '*');
    EXPECT_EQ(Probe().PasswordChar, QChar('*'));
    EXPECT_EQ(GetOrdPropByName(&Probe(), "PasswordChar"), '*');
    // Out of the type's range, not ordinal, or read-only: nothing is written.
    SetOrdPropByName(&Probe(), "Small", 70000);
    EXPECT_EQ(Probe().Small, 0);
    SetOrdPropByName(&Probe(), "Caption", 5);
    EXPECT_EQ(Probe().Caption(), "caption");
    EXPECT_EQ(GetOrdPropByName(&Probe(), "Caption"), 0);
    EXPECT_EQ(GetOrdPropByName(&Probe(), "Ratio"), 0);
    SetOrdPropByName(&Probe(), "Count", 1);
    EXPECT_EQ(GetOrdPropByName(&Probe(), "Count"), 7);
}

TEST_F(LibRTTITest, StringAccessGivesTextsOfValuesEnumNamesAndLists) {
    Probe().Alignment = taRightJustify;
    EXPECT_EQ(GetStrPropByName(&Probe(), "Alignment"), "taRightJustify");
    EXPECT_EQ(GetStrPropByName(&Probe(), "ItemIndex"), "-1");
    EXPECT_EQ(GetStrPropByName(&Probe(), "Items"), "a\r\nb\r\n");
    EXPECT_EQ(GetStrPropByName(&Probe(), "OnChange"), QString());
    SetStrPropByName(&Probe(), "Items", "x\r\ny");
    EXPECT_EQ(Probe().Items()->ToStringList(), (QStringList{"x", "y"}));
    SetStrPropByName(&Probe(), "Hint", "tip");
    EXPECT_EQ(Probe().Hint(), "tip");
}

// ---- handlers by name ------------------------------------------------------------------------

TEST_F(LibRTTITest, HandlersAreSavedReplacedAndRestoredByName) {
    int original = 0, replacement = 0;
    Probe().OnExit = [&](TObject*) { ++original; };
    const QVariant saved = GetMethodPropByName(&Probe(), "onexit");
    ASSERT_TRUE(saved.isValid());
    SetEventPropByName(&Probe(), "OnExit", TNotifyEvent([&](TObject*) { ++replacement; }));
    Probe().OnExit(&Probe());
    SetMethodPropByName(&Probe(), "OnExit", saved);
    Probe().OnExit(&Probe());
    EXPECT_EQ(replacement, 1);
    EXPECT_EQ(original, 1);
    EXPECT_TRUE(GetEventPropByName<TNotifyEvent>(&Probe(), "OnExit"));

    // A handler of another type writes nothing; an invalid one clears.
    SetMethodPropByName(&Probe(), "OnExit", QVariant::fromValue(TKeyPressEvent([](TObject*, QChar&) {})));
    EXPECT_TRUE(Probe().OnExit);
    SetMethodPropByName(&Probe(), "OnExit", QVariant());
    EXPECT_FALSE(Probe().OnExit);
    // An unassigned handler reads as a valid, empty one.
    EXPECT_TRUE(GetMethodPropByName(&Probe(), "OnChange").isValid());
    EXPECT_FALSE(GetEventPropByName<TNotifyEvent>(&Probe(), "OnChange"));
}

TEST_F(LibRTTITest, OnlyHandlerPropertiesAreMethodProperties) {
    for (const char* name : {"Caption", "Items", "Alignment", "Shift", "Font", "Next", "ItemIndex"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(GetMethodPropByName(&Probe(), name).isValid());
        EXPECT_FALSE(IsEventProperty(FindPropertyByName(&Probe(), name)));
    }
    for (const char* name : {"OnChange", "OnKeyPress", "OnClick", "OnMouseDown"})
        EXPECT_TRUE(IsEventProperty(FindPropertyByName(&Probe(), name))) << name;
}

// ---- values from text along paths -------------------------------------------------------------

struct PathCase {
    const char* path;
    const char* value;
    bool set;
    const char* readPath;  // where the result shows
    const char* expected;  // its text afterwards
};

// The text of the property at the end of a dotted path.
QString ReadPath(QObject* object, const QString& path) {
    QStringList parts = path.split('.');
    const QString last = parts.takeLast();
    for (const QString& p : parts) object = GetObjectPropByName(object, p);
    return GetStrPropByName(object, last);
}

const PathCase kPathCases[] = {
    // colours: identifiers, hex and decimal numbers
    {"Color", "clRed", true, "Color", "255"},
    {"Color", " clBlue ", true, "Color", "16711680"},
    {"Color", "$0000FF00", true, "Color", "65280"},
    {"Color", "$80000005", true, "Color", "-2147483643"},
    {"Color", "128", true, "Color", "128"},
    {"Color", "clNoSuchColour", false, "Color", "-2147483633"},
    // character sets and fonts
    {"Font.Charset", "GB2312_CHARSET", true, "Font.Charset", "134"},
    {"font.charset", "136", true, "Font.Charset", "136"},
    {"Font.Charset", "GB2312_CHARST", false, "Font.Charset", "1"},
    {"Font.Name", "Tahoma", true, "Font.Name", "Tahoma"},
    {" Font . Color ", "clRed", true, "Font.Color", "255"},
    // cursors
    {"Cursor", "crHourGlass", true, "Cursor", "-11"},
    {"Cursor", "crNoSuch", false, "Cursor", "0"},
    // enumerations by name (any case) or number
    {"Alignment", "taCenter", true, "Alignment", "taCenter"},
    {"Alignment", " tarightjustify ", true, "Alignment", "taRightJustify"},
    {"Alignment", "2", true, "Alignment", "taCenter"},
    {"Alignment", "taMiddle", false, "Alignment", "taLeftJustify"},
    {"Align", "alClient", true, "Align", "alClient"},
    // sets
    {"Shift", "[ssShift, ssCtrl]", true, "Shift", "ssShift|ssCtrl"},
    {"Shift", "ssAlt|ssShift", true, "Shift", "ssShift|ssAlt"},
    {"Shift", "5", true, "Shift", "ssShift|ssCtrl"},
    {"Shift", "[ssShift,ssBogus]", false, "Shift", ""},
    // Booleans
    {"Checked", "True", true, "Checked", "true"},
    {"Checked", "TRUE", true, "Checked", "true"},
    {"Checked", "1", true, "Checked", "true"},
    {"Checked", "yes", false, "Checked", "false"},
    {"Checked", "2", false, "Checked", "false"},
    // integers within their type
    {"ItemIndex", " 42 ", true, "ItemIndex", "42"},
    {"ItemIndex", "-7", true, "ItemIndex", "-7"},
    {"ItemIndex", "abc", false, "ItemIndex", "-1"},
    {"ItemIndex", "4 2", false, "ItemIndex", "-1"},
    {"ItemIndex", "99999999999", false, "ItemIndex", "-1"},
    {"Small", "40000", false, "Small", "0"},
    {"Small", "-300", true, "Small", "-300"},
    {"Tag", "0x10", true, "Tag", "16"},
    // other types
    {"Ratio", "1.5", true, "Ratio", "1.5"},
    {"Ratio", "1,5", false, "Ratio", "0"},
    {"PasswordChar", "*", true, "PasswordChar", "*"},
    {"PasswordChar", "**", false, "PasswordChar", "#"},
    {"Caption", "文本", true, "Caption", "文本"},
    {"Items", "x\r\ny", true, "Items", "x\r\ny\r\n"},
    // nested objects
    {"Next.Caption", "deep", true, "Next.Caption", "deep"},
    {"Next.Font.Charset", "GB2312_CHARSET", true, "Next.Font.Charset", "134"},
    {"Next.Next.Caption", "x", false, "Next.Caption", "inner"},
    {"Caption.Length", "1", false, "Caption", "caption"},
    // not writable, not settable from text, malformed paths
    {"Count", "3", false, "Count", "7"},
    {"Font", "Arial", false, "Font.Name", ""},
    {"OnChange", "x", false, "Caption", "caption"},
    {"", "x", false, "Caption", "caption"},
    {".", "x", false, "Caption", "caption"},
    {"Next..Caption", "x", false, "Next.Caption", "inner"},
};

TEST_F(LibRTTITest, SetPropertyByPathConvertsTextByTheDeclaredType) {
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(std::string(c.path) + " := " + c.value);
        SetUp();
        const QString fontName = Probe().Font()->Name();
        EXPECT_EQ(SetPropertyByPath(&Probe(), c.path, c.value), c.set);
        const QString expected = QString::fromUtf8(c.expected);
        if (QString(c.readPath) == "Font.Name" && expected.isEmpty())
            EXPECT_EQ(ReadPath(&Probe(), c.readPath), fontName);
        else
            EXPECT_EQ(ReadPath(&Probe(), c.readPath), expected);
    }
}

TEST_F(LibRTTITest, AFailedPathChangesNothingAnywhere) {
    for (const PathCase& c : kPathCases) {
        if (c.set) continue;
        SCOPED_TRACE(c.path);
        SetUp();
        const QStringList before = SnapshotAll();
        SetPropertyByPath(&Probe(), c.path, c.value);
        EXPECT_EQ(SnapshotAll(), before);
    }
}

TEST_F(LibRTTITest, VeryLongPathsFailQuietly) {
    const QStringList before = SnapshotAll();
    QStringList segments;
    for (int i = 0; i < 1000; ++i) segments << "Next";
    EXPECT_FALSE(SetPropertyByPath(&Probe(), segments.join('.') + ".Caption", "x"));
    QStringList fonts;
    for (int i = 0; i < 1000; ++i) fonts << "Font";
    EXPECT_FALSE(SetPropertyByPath(&Probe(), fonts.join('.'), "x"));
    EXPECT_EQ(SnapshotAll(), before);
}

// ---- classic integer text ------------------------------------------------------------------------

TEST(TryStrToInt64Test, AcceptsClassicIntegerForms) {
    struct Case {
        const char* text;
        bool ok;
        qint64 value;
    };
    const Case cases[] = {
        {"0", true, 0},          {" 12 ", true, 12},       {"-12", true, -12},     {"+5", true, 5},
        {"$FF", true, 255},      {"0x1f", true, 31},       {"$FFFFFFFF", true, -1}, {"-$10", true, -16},
        {"9223372036854775807", true, INT64_MAX},          {"-9223372036854775808", true, INT64_MIN},
        {"9223372036854775808", false, 0},                 {"", false, 0},          {"$", false, 0},
        {"1e3", false, 0},       {"12abc", false, 0},      {"٣", false, 0},       {"- 1", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        qint64 value = 0;
        EXPECT_EQ(TryStrToInt64(QString::fromUtf8(c.text), value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

}  // namespace
}  // namespace kv

#include "LibRTTITest.moc"

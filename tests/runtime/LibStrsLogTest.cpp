// The general alert log and the code-page routines of LibStrs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/LibStrs.h"

namespace kv {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* v = std::getenv(name))
            saved_ = v;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (saved_)
            setenv(name_, saved_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// A private registry file and a fixed clock (2004-03-15 09:08:07.006).
class AlertLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        registry_.emplace("KVN_REGISTRY", (dir_.path() + QStringLiteral("/registry.reg")).toStdString());
        SetClock([] { return EncodeDate(2004, 3, 15) + EncodeTime(9, 8, 7, 6); });
        WriteRegistry({{"ClientPath", Escape(dir_.path())}});
    }
    void TearDown() override { SetClock({}); }

    static QString Escape(const QString& value) {
        QString v = value;
        return v.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    }

    // Values already in the file's escaped form.
    void WriteRegistry(const std::vector<std::pair<const char*, QString>>& values) {
        QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                      "[HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik]\r\n");
        for (const auto& [name, value] : values)
            text += u'"' + QString::fromUtf8(name) + QStringLiteral("\"=\"") + value +
                    QStringLiteral("\"\r\n");
        QFile file(dir_.path() + QStringLiteral("/registry.reg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

    QString LogDir() const { return dir_.path() + QStringLiteral("/Log"); }

    static QString ReadAll(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("<missing %1>").arg(path);
        return QString::fromUtf8(file.readAll());
    }

    QTemporaryDir dir_;
    std::optional<ScopedEnv> registry_;
};

TEST_F(AlertLogTest, FileNameFollowsSourceAndPeriod) {
    const struct {
        const char* source;
        const char* period;
        const char* file;
    } cases[] = {
        {"libstrs", "M", "Alert_libstrs_200403.log"},
        {"libstrs", "D", "Alert_libstrs_20040315.log"},
        {"libstrs", "Y", "Alert_libstrs_2004.log"},
        {"libstrs", "", "Alert_libstrs_20040315.log"},
        {"libstrs", "W", "Alert_libstrs_20040315.log"},
        {"libstrs", "m", "Alert_libstrs_20040315.log"},  // periods are upper case
        {"my.src", "D", "Alert_my.src_20040315"},         // a dot: no ".log"
        {"报表", "M", "Alert_报表_200403.log"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = LogDir() + u'/' + QString::fromUtf8(c.file);
        QFile::remove(path);
        EXPECT_TRUE(WriteAlertLog(QString::fromUtf8(c.source), QStringLiteral("hello"),
                                  QString::fromUtf8(c.period)));
        EXPECT_EQ(ReadAll(path).toStdString(), "[2004/03/15 09:08:07:006] hello\n");
    }
}

TEST_F(AlertLogTest, LinesAreAppended) {
    EXPECT_TRUE(WriteAlertLog(QStringLiteral("libstrs"), QStringLiteral("first"), QStringLiteral("D")));
    SetClock([] { return EncodeDate(2004, 3, 15) + EncodeTime(23, 59, 59, 999); });
    EXPECT_TRUE(WriteAlertLog(QStringLiteral("libstrs"), QStringLiteral("第二行"), QStringLiteral("D")));
    EXPECT_EQ(ReadAll(LogDir() + QStringLiteral("/Alert_libstrs_20040315.log")).toStdString(),
              "[2004/03/15 09:08:07:006] first\n[2004/03/15 23:59:59:999] 第二行\n");
}

TEST_F(AlertLogTest, FolderComesFromClientPathElseServerPath) {
    const QString client = dir_.path() + QStringLiteral("/client/a/b");
    const QString server = dir_.path() + QStringLiteral("/server");
    const QString clientBackslashed = QString(client).replace(u'/', u'\\') + u'\\';
    const struct {
        const char* what;
        std::vector<std::pair<const char*, QString>> values;
        QString folder;
    } cases[] = {
        // Missing parents are created.
        {"client", {{"ClientPath", Escape(client)}, {"ServerPath", Escape(server)}}, client},
        {"backslashes", {{"ClientPath", Escape(clientBackslashed)}}, client},
        {"empty client", {{"ClientPath", QString()}, {"ServerPath", Escape(server)}}, server},
        {"no client", {{"ServerPath", Escape(server + u'/')}}, server},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(c.folder).removeRecursively();
        WriteRegistry(c.values);
        EXPECT_TRUE(WriteAlertLog(QStringLiteral("x"), QStringLiteral("t"), QStringLiteral("Y")));
        EXPECT_TRUE(QFile::exists(c.folder + QStringLiteral("/Log/Alert_x_2004.log")));
    }
}

TEST_F(AlertLogTest, UnwritableLogGivesFalse) {
    // The configured folder is a file: no Log folder can be made below it.
    const QString file = dir_.path() + QStringLiteral("/plain");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    WriteRegistry({{"ClientPath", Escape(file)}});
    EXPECT_FALSE(WriteAlertLog(QStringLiteral("libstrs"), QStringLiteral("t"), QStringLiteral("D")));

    // The log file's name is taken by a folder.
    WriteRegistry({{"ClientPath", Escape(dir_.path())}});
    ASSERT_TRUE(QDir().mkpath(LogDir() + QStringLiteral("/Alert_libstrs_20040315.log")));
    EXPECT_FALSE(WriteAlertLog(QStringLiteral("libstrs"), QStringLiteral("t"), QStringLiteral("D")));
}

TEST_F(AlertLogTest, SourceCannotLeadOutOfTheLogFolder) {
    ASSERT_TRUE(QDir().mkpath(LogDir() + QStringLiteral("/Alert_..")));
    EXPECT_FALSE(WriteAlertLog(QStringLiteral("../../escape"), QStringLiteral("t"), QStringLiteral("D")));
    EXPECT_FALSE(WriteAlertLog(QStringLiteral("..\\..\\escape"), QStringLiteral("t"), QStringLiteral("D")));
    EXPECT_TRUE(QDir(dir_.path()).entryList({QStringLiteral("*escape*")}).isEmpty());
    EXPECT_TRUE(QDir(LogDir() + QStringLiteral("/Alert_..")).isEmpty());
}

// ---- code pages -----------------------------------------------------------------

const std::string kZhongWenGbk = "\xD6\xD0\xCE\xC4";  // 中文 in code page 936

class CodePageTest : public AlertLogTest {
protected:
    QString Log() const { return ReadAll(LogDir() + QStringLiteral("/Alert_libstrs_20040315.log")); }
    bool LogExists() const { return QFile::exists(LogDir() + QStringLiteral("/Alert_libstrs_20040315.log")); }
};

TEST_F(CodePageTest, SingleTexts) {
    const Variant bytes = WideToCodePage(Variant("中文"), 936);
    EXPECT_EQ(bytes.Type(), VarType::Bytes);
    EXPECT_EQ(bytes.ToString(), kZhongWenGbk);

    const Variant text = CodePageToWide(Variant::Bytes(kZhongWenGbk), 936);
    EXPECT_EQ(text.Type(), VarType::String);
    EXPECT_EQ(text.ToString(), "中文");

    // Unicode is never decoded again, bytes are never encoded again.
    const Variant unicode = CodePageToWide(Variant("中文"), 936);
    EXPECT_EQ(unicode.Type(), VarType::String);
    EXPECT_EQ(unicode.ToString(), "中文");
    const Variant raw = WideToCodePage(Variant::Bytes(kZhongWenGbk), 950);
    EXPECT_EQ(raw.Type(), VarType::Bytes);
    EXPECT_EQ(raw.ToString(), kZhongWenGbk);

    const Variant big5 = WideToCodePage(Variant("中文"), 950);
    EXPECT_EQ(big5.ToString(), "\xA4\xA4\xA4\xE5");
    EXPECT_EQ(CodePageToWide(big5, 950).ToString(), "中文");
    EXPECT_FALSE(LogExists());
}

TEST_F(CodePageTest, NonTextValuesComeBackUnchanged) {
    const Variant values[] = {Variant(), Variant::Null(), Variant(7), Variant(2.5), Variant(true),
                              Variant::Date(38000), Variant(""), Variant::Bytes("")};
    for (const Variant& v : values) {
        SCOPED_TRACE(DebugString(v));
        const Variant a = WideToCodePage(v, 936);
        const Variant b = CodePageToWide(v, 936);
        EXPECT_EQ(a.Type(), v.Type() == VarType::String ? VarType::Bytes : v.Type());
        EXPECT_EQ(b.Type(), v.Type() == VarType::Bytes ? VarType::String : v.Type());
        EXPECT_EQ(a.ToString(), v.ToString());
        EXPECT_EQ(b.ToString(), v.ToString());
    }
    EXPECT_FALSE(LogExists());
}

TEST_F(CodePageTest, OneDimensionalArraysAreWalkedAtEveryDepth) {
    Variant inner = Variant::Array(1, 2);  // own bounds are kept
    inner[1] = Variant("文");
    inner[2] = Variant::ArrayOf({Variant("深"), Variant(3)});
    const Variant request = Variant::ArrayOf({Variant("中"), inner, Variant(5), Variant::Null()});

    const Variant encoded = WideToCodePage(request, 936);
    EXPECT_EQ(encoded[0].Type(), VarType::Bytes);
    EXPECT_EQ(encoded[0].ToString(), "\xD6\xD0");
    EXPECT_EQ(encoded[1].LowBound(), 1);
    EXPECT_EQ(encoded[1][1].Type(), VarType::Bytes);
    EXPECT_EQ(encoded[1][1].ToString(), "\xCE\xC4");
    EXPECT_EQ(encoded[1][2][0].Type(), VarType::Bytes);
    EXPECT_EQ(encoded[1][2][0].ToString(), "\xC9\xEE");
    EXPECT_EQ(encoded[1][2][1].ToInt(), 3);
    EXPECT_EQ(encoded[2].ToInt(), 5);
    EXPECT_TRUE(encoded[3].IsNull());

    const Variant decoded = CodePageToWide(encoded, 936);
    EXPECT_EQ(decoded, request) << DebugString(decoded);
    EXPECT_EQ(decoded[1][2][0].Type(), VarType::String);
}

TEST_F(CodePageTest, TwoDimensionalArraysConvertElementsWithoutRecursion) {
    Variant grid = Variant::Array2(0, 1, 1, 2);
    grid.At(0, 1) = Variant("中");
    grid.At(1, 1) = Variant("文");
    grid.At(0, 2) = Variant::ArrayOf({Variant("深")});
    grid.At(1, 2) = Variant(9);

    const Variant encoded = WideToCodePage(grid, 936);
    EXPECT_EQ(encoded.DimCount(), 2);
    EXPECT_EQ(encoded.LowBound(2), 1);
    EXPECT_EQ(encoded.At(0, 1).ToString(), "\xD6\xD0");
    EXPECT_EQ(encoded.At(1, 1).Type(), VarType::Bytes);
    EXPECT_EQ(encoded.At(0, 2)[0].Type(), VarType::String);  // nested array left alone
    EXPECT_EQ(encoded.At(1, 2).ToInt(), 9);

    Variant bytesGrid = Variant::Array2(0, 0, 0, 1);
    bytesGrid.At(0, 0) = Variant::Bytes(kZhongWenGbk);
    bytesGrid.At(0, 1) = Variant::ArrayOf({Variant::Bytes(kZhongWenGbk)});
    const Variant decoded = CodePageToWide(bytesGrid, 936);
    EXPECT_EQ(decoded.At(0, 0).ToString(), "中文");
    EXPECT_EQ(decoded.At(0, 1)[0].Type(), VarType::Bytes);
}

TEST_F(CodePageTest, RoundTripThroughGbk) {
    Variant grid = Variant::Array2(1, 2, 1, 1);
    grid.At(1, 1) = Variant("薪资报表");
    grid.At(2, 1) = Variant("半月");
    const Variant values[] = {
        Variant("后台处理"),
        Variant::ArrayOf({Variant("公司"), Variant::ArrayOf({Variant("部门"), Variant::ArrayOf({Variant("员工")})}),
                          Variant(1), Variant("")}),
        Variant::ArrayOf({grid, Variant("直接查询")}),
        grid,
    };
    for (const Variant& v : values)
        EXPECT_EQ(CodePageToWide(WideToCodePage(v, 936), 936), v) << DebugString(v);
    EXPECT_FALSE(LogExists());
}

TEST_F(CodePageTest, UnconvertibleTextsAreKeptAndLogged) {
    // "中" has no form in code page 437; the other elements are still converted.
    const Variant mixed = WideToCodePage(Variant::ArrayOf({Variant("中"), Variant("abc")}), 437);
    EXPECT_EQ(mixed[0].Type(), VarType::String);
    EXPECT_EQ(mixed[0].ToString(), "中");
    EXPECT_EQ(mixed[1].Type(), VarType::Bytes);
    EXPECT_EQ(mixed[1].ToString(), "abc");
    ASSERT_TRUE(LogExists());
    EXPECT_TRUE(Log().startsWith(QStringLiteral("[2004/03/15 09:08:07:006] LINE[2735] "))) << Log().toStdString();

    const Variant unknown = WideToCodePage(Variant("abc"), 12345);
    EXPECT_EQ(unknown.Type(), VarType::String);

    // 0xFF starts no character in code page 936.
    const Variant bad = CodePageToWide(Variant::Bytes("\xFF\xFF"), 936);
    EXPECT_EQ(bad.Type(), VarType::Bytes);
    EXPECT_EQ(bad.ToString(), "\xFF\xFF");

    const QStringList lines = Log().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << Log().toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("] LINE[2735] ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("12345")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("] LINE[115] ")));
}

TEST_F(CodePageTest, CountedListTextDecodesSingleByteItemsWithSystemCodePage) {
    ScopedEnv cp("KVN_SYSTEM_CODEPAGE", "936");
    const QString m(QChar(0x03));
    EXPECT_EQ(CountedListText(QStringLiteral("P"), Variant::ArrayOf({Variant(1), Variant::Bytes(kZhongWenGbk)})),
              QStringLiteral("P") + m + u'1' + m + QStringLiteral("中文") + m);
}

}  // namespace
}  // namespace kv

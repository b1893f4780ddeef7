// The counter service: system settings for GetSysInfo, and SIMPLESQL, which runs
// one read-only SELECT and refuses everything else.
#include <QCryptographicHash>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include "SampleDatabase.h"
#include "WorkCenterTestSupport.h"

namespace kv::test {
namespace {

class WorkCenterCounterTest : public WorkCenterFixture {
protected:
    // GetSysInfo as name -> value, checking the answer's shape on the way.
    std::map<std::string, std::string> Settings(const Variant& company) {
        const Variant info = Counter().Call("GetSysInfo", company);
        EXPECT_EQ(info.DimCount(), 2);
        EXPECT_EQ(info.LowBound(1), 0);
        EXPECT_EQ(info.HighBound(1), 1);
        EXPECT_EQ(info.LowBound(2), 0);
        std::map<std::string, std::string> out;
        for (int i = 0; i <= info.HighBound(2); ++i) {
            EXPECT_TRUE(out.emplace(info.At(0, i).ToString(), info.At(1, i).ToString()).second)
                << "setting named twice: " << info.At(0, i).ToString();
        }
        return out;
    }

    Variant SimpleSql(const std::string& sql, const std::string& column = "") {
        return Counter().Call("GetCounter", "SIMPLESQL", Texts({sql.c_str(), column.c_str()}), Texts({"C01", "DEMO"}));
    }

    QByteArray DatabaseDigest() {
        QFile f(QString::fromStdString(options.DatabasePath));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
};

TEST_F(WorkCenterCounterTest, GetSysInfoGivesTheSharedSettingsOverriddenByTheCompanys) {
    const auto shared = Settings(Variant(""));
    const std::map<std::string, std::string> expectShared = {
        {"Sys001", "1"},        {"Sys002", "/"},        {"KVN002", "芬摩示范公司"}, {"SYS026", "2"},
        {"SYS181", "Y"},        {"SYS007", "商品大类"}, {"SYS010", "商品品牌"},
    };
    for (const auto& [name, value] : expectShared) EXPECT_EQ(shared.at(name), value) << name;

    const auto taiwan = Settings(Variant("C02"));
    EXPECT_EQ(taiwan.size(), shared.size());
    EXPECT_EQ(taiwan.at("Sys001"), "4");  // Minguo dates
    EXPECT_EQ(taiwan.at("KVN002"), "芬摩台灣分公司");
    EXPECT_EQ(taiwan.at("SYS026"), "1");
    EXPECT_EQ(taiwan.at("Sys002"), "/");

    // Unknown companies, blanks and quotes get the shared settings only; the ID is trimmed.
    for (const Variant& company : {Variant("C99"), Variant(), Variant::Null(), Variant("C02' OR '1'='1")})
        EXPECT_EQ(Settings(company), shared) << DebugString(company);
    EXPECT_EQ(Settings(Variant(" C02 ")), taiwan);
}

TEST_F(WorkCenterCounterTest, SimpleSqlAnswersThePortalQueriesTheDialogSends) {
    // The notification dialog reads element [0][0].
    const Variant startup = SimpleSql("SELECT MA003 FROM KVNINTMA WHERE MA001='StartupPortal' ", "MA003");
    ASSERT_TRUE(startup.IsArray());
    EXPECT_EQ(startup[0][0], Variant("N"));
    EXPECT_EQ(SimpleSql("SELECT MA003 FROM KVNINTMA WHERE MA001='Portal WS' ", "MA003")[0][0], Variant(""));
    // Operation names and argument forms the dialog may use.
    EXPECT_EQ(Counter().Call("GetCounter", "SimpleSql", Variant("SELECT MA003 FROM KVNINTMA WHERE MA001='StartupPortal'"))[0][0],
              Variant("N"));
    EXPECT_THROW(Counter().Call("GetCounter", "NEXTNO", Texts({"x"})), EOleError);
}

TEST_F(WorkCenterCounterTest, SimpleSqlShapesRowsByColumn) {
    const Variant all = SimpleSql("SELECT MA001, MA002 FROM KVNMA ORDER BY MA001");
    ASSERT_TRUE(all.IsArray());
    EXPECT_EQ(all.ElementCount(), 5u);
    EXPECT_EQ(all[0], Texts({"DS", "系统管理员"}));
    const Variant names = SimpleSql("SELECT MA001, MA002 FROM KVNMA ORDER BY MA001", "ma002");
    EXPECT_EQ(names[0], Texts({"系统管理员"}));
    const Variant number = SimpleSql("SELECT count(*) AS n FROM CMSMV", "N");
    EXPECT_EQ(number[0][0], Variant(std::int32_t{18}));
    EXPECT_TRUE(SimpleSql("SELECT MA001 FROM KVNMA WHERE MA001 = 'nobody'").IsEmpty());
    EXPECT_THROW(SimpleSql("SELECT MA001 FROM KVNMA", "MA009"), EOleError);
    // A runaway result is an error, not a frozen host.
    EXPECT_THROW(SimpleSql("SELECT 1 AS a FROM KVNSYS, CMSMV, CMSMS, CMSME"), EOleError);
}

TEST_F(WorkCenterCounterTest, SimpleSqlRunsPlainSelectsOnly) {
    struct Case {
        const char* sql;
        bool accepted;
    } cases[] = {
        {"SELECT MA001 FROM KVNMA", true},
        {"select ma002 from KVNMA where MA001 = 'DS';", true},
        {"SELECT 'DELETE; DROP TABLE KVNMA' AS t", true},
        {"SELECT \"MA001\" FROM KVNMA -- DELETE FROM KVNMA", true},
        {"WITH u AS (SELECT MA001 FROM KVNMA) SELECT count(*) AS n FROM u", true},
        {"SELECT replace(MA002, '系统', 'x') AS r FROM KVNMA WHERE MA001 = 'DS'", true},
        {"SELECT CASE WHEN 1 THEN 'a' END AS c", true},
        {"DELETE FROM KVNMA", false},
        {"UPDATE KVNMA SET MA002 = 'x'", false},
        {"INSERT INTO KVNMA (MA001) VALUES ('X')", false},
        {"REPLACE INTO KVNMA (MA001) VALUES ('DS')", false},
        {"SELECT 1; DELETE FROM KVNMA", false},
        {"SELECT 1; SELECT 2", false},
        {"SELECT 1;;", false},
        {"PRAGMA writable_schema = 1", false},
        {"SELECT * FROM pragma_table_info('KVNMA')", true},  // a table-valued function only reads
        {"WITH x AS (SELECT 1) DELETE FROM KVNMA", false},
        {"WITH x AS (SELECT 'X') INSERT INTO KVNMA (MA001) SELECT * FROM x", false},
        {"WITH x AS (SELECT 1) UPDATE KVNMA SET MA002 = 'x'", false},
        {"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c", false},
        {"ATTACH DATABASE '/tmp/kv-workcenter-attach.db' AS x", false},
        {"SELECT 1 AS a; ATTACH DATABASE 'x.db' AS x", false},
        {"CREATE TABLE t (a)", false},
        {"DROP TABLE KVNMA", false},
        {"VACUUM", false},
        {"/* SELECT */ DELETE FROM KVNMA", false},
        {"SELECT load_extension('libevil')", false},
        {"SELECT 'unterminated", false},
        {"SELECT 1 /* unterminated", false},
        {"", false},
        {"   ", false},
        {"VALUES (1)", false},
    };
    Counter().Call("GetSysInfo", "");  // creates the database
    const QByteArray before = DatabaseDigest();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        if (c.accepted) {
            EXPECT_NO_THROW(SimpleSql(c.sql));
        } else {
            try {
                SimpleSql(c.sql);
                ADD_FAILURE() << "accepted";
            } catch (const EOleError& e) {
                EXPECT_NE(std::string(e.what()).find("refused"), std::string::npos) << e.what();
            }
        }
    }
    EXPECT_EQ(DatabaseDigest(), before);
    EXPECT_EQ(SimpleSql("SELECT count(*) AS n FROM KVNMA")[0][0], Variant(std::int32_t{5}));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/kv-workcenter-attach.db")));
}

// The second guard: the connection itself cannot write, whatever gets through.
TEST_F(WorkCenterCounterTest, QueriesRunOnAConnectionThatCannotWrite) {
    Counter().Call("GetSysInfo", "");  // creates the database
    workcenter::TReadOnlyConnection connection(QString::fromStdString(options.DatabasePath));
    QSqlQuery q(connection.Db());
    EXPECT_FALSE(q.exec(QStringLiteral("DELETE FROM KVNMA")));
    EXPECT_TRUE(q.lastError().text().contains(QStringLiteral("readonly"), Qt::CaseInsensitive)) << S(q.lastError().text());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM KVNMA")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 5);
}

}  // namespace
}  // namespace kv::test

// The sample company database: where it lives, created once on first use, never
// rewritten, and refused when a newer work center made it.
#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include "WorkCenterTestSupport.h"

namespace kv::test {
namespace {

class WorkCenterDatabaseTest : public WorkCenterFixture {
protected:
    // Runs statements on the file with a writable connection of the test's own.
    void Write(const QStringList& statements) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-writer"));
            db.setDatabaseName(QString::fromStdString(options.DatabasePath));
            ASSERT_TRUE(db.open());
            for (const QString& sql : statements) {
                QSqlQuery q(db);
                EXPECT_TRUE(q.exec(sql)) << S(sql);
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("test-writer"));
    }

    // A count read with the test's own connection, past the work center's checks.
    int RawCount(const QString& sql) {
        int n = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-reader"));
            db.setDatabaseName(QString::fromStdString(options.DatabasePath));
            EXPECT_TRUE(db.open());
            QSqlQuery q(db);
            if (q.exec(sql) && q.next()) n = q.value(0).toInt();
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("test-reader"));
        return n;
    }

    int Count(const char* sql) {
        return Counter().Call("GetCounter", "SIMPLESQL", Texts({sql, "n"}))[0][0].ToInt();
    }
};

TEST_F(WorkCenterDatabaseTest, PathComesFromTheEnvironmentOrTheDataFolder) {
    {
        ScopedEnv db("KVN_SAMPLE_DB", S(Path("elsewhere/demo.sqlite")));
        EXPECT_EQ(SampleDatabasePath(), S(Path("elsewhere/demo.sqlite")));
    }
    ScopedEnv db("KVN_SAMPLE_DB", std::nullopt);
    ScopedEnv home("XDG_DATA_HOME", S(Path("xdg")));
    EXPECT_EQ(DataFolder(), S(Path("xdg/kvn")));
    EXPECT_EQ(SampleDatabasePath(), S(Path("xdg/kvn/FenmorSample.sqlite")));

    // The default object uses it, creating the folder.
    const Variant manager = CreateWorkCenterManager();
    EXPECT_EQ(manager.Get("Com_Validator").Call("QueryData", "TAXMA", "01", "DEMO", Texts({"C01"}), Variant()),
              Variant(true));
    EXPECT_TRUE(QFileInfo::exists(Path("xdg/kvn/FenmorSample.sqlite")));
}

TEST_F(WorkCenterDatabaseTest, CreatedOnceAndThenOnlyRead) {
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(options.DatabasePath)));
    EXPECT_EQ(Count("SELECT count(*) AS n FROM TAXMA"), 3);
    const int employees = Count("SELECT count(*) AS n FROM CMSMV");
    EXPECT_GT(employees, 10);

    // A row added by someone else survives a new object on the same file, and the
    // sample rows are not added again.
    Write({QStringLiteral("INSERT INTO TAXMA (MA001, MA002) VALUES ('C09', '新公司')")});
    const QDateTime stamp = QFileInfo(QString::fromStdString(options.DatabasePath)).lastModified();
    QThread::msleep(20);
    manager = Variant();
    EXPECT_EQ(Count("SELECT count(*) AS n FROM TAXMA"), 4);
    EXPECT_EQ(Count("SELECT count(*) AS n FROM CMSMV"), employees);
    EXPECT_EQ(QFileInfo(QString::fromStdString(options.DatabasePath)).lastModified(), stamp);
}

TEST_F(WorkCenterDatabaseTest, HoldsSimplifiedAndTraditionalNames) {
    const Variant names = Counter().Call("GetCounter", "SIMPLESQL",
                                         Texts({"SELECT MV002 FROM CMSMV WHERE MV001 IN ('E0001', 'E0101') ORDER BY MV001", "MV002"}));
    EXPECT_EQ(names[0][0], Variant("张伟"));
    EXPECT_EQ(names[1][0], Variant("陳美玲"));
}

TEST_F(WorkCenterDatabaseTest, FileOfANewerWorkCenterIsRefusedAndLeftAlone) {
    Count("SELECT count(*) AS n FROM TAXMA");
    Write({QStringLiteral("PRAGMA user_version = 99"), QStringLiteral("DELETE FROM TAXMA")});
    manager = Variant();
    try {
        Validator().Call("QueryData", "TAXMA", "01", "DEMO", Texts({"C01"}), Variant());
        ADD_FAILURE() << "a newer file was used";
    } catch (const EOleError& e) {
        EXPECT_NE(std::string(e.what()).find("newer"), std::string::npos) << e.what();
    }
    EXPECT_THROW(Count("SELECT count(*) AS n FROM TAXMA"), EOleError);  // SIMPLESQL too
    EXPECT_EQ(RawCount(QStringLiteral("SELECT count(*) FROM TAXMA")), 0);  // nothing re-seeded
    EXPECT_EQ(RawCount(QStringLiteral("PRAGMA user_version")), 99);
}

TEST_F(WorkCenterDatabaseTest, UnusableLocationGivesErrorsNotACrash) {
    WriteFile(Path("plainfile"), "x");
    options.DatabasePath = S(Path("plainfile/sub/FenmorSample.sqlite"));
    EXPECT_THROW(Validator().Call("QueryData", "TAXMA", "01", "DEMO", Texts({"C01"}), Variant()), EOleError);
    EXPECT_THROW(Counter().Call("GetSysInfo", "C01"), EOleError);
    // What needs no database still works.
    EXPECT_EQ(Manager().Call("GetMessage", "R", "100235"), Variant("页脚"));
}

}  // namespace
}  // namespace kv::test

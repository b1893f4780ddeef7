// The client data set over the scheme provider, fed by a server in process and by
// the daemon over TCP, and over hand-made provider answers.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "AppServerTestSupport.h"
#include "dmReportCounter.h"
#include "platform/ClientDataSet.h"
#include "platform/SocketConnection.h"

namespace kv {
namespace {

Variant Scheme(const Variant& name, const std::string& user, const std::string& values) {
    return Variant::ArrayOf({name, Variant(user), Variant("20240401"), Variant("HRWR07"), Variant("edEmp.text;"),
                             Variant(values), Variant(false)});
}

void Fill(const Variant& server) {
    for (const char* name : {"Beta", "Alpha", "Gamma"})
        ASSERT_EQ(server.Call("InsertConTable", Scheme(Variant(name), "U01", std::string(name) + "\r\n")).ToString(), "");
    ASSERT_EQ(server.Call("InsertConTable", Scheme(Variant::Bytes("\xD4\xC2"), "U01", "gb\r\n")).ToString(), "");
    ASSERT_EQ(server.Call("InsertConTable", Scheme(Variant("Alpha"), "U02", "other\r\n")).ToString(), "");
    server.Call("LoadTable", Variant::ArrayOf({Variant("U01"), Variant("HRWR07")}));
}

TClientDataSet& Configure(TClientDataSet& set) {
    set.SetProviderName(QStringLiteral("pvdConSave"));
    set.SetIndexFieldNames(QStringLiteral("NCONDITION;CREATOR;PROGRAMME"));
    return set;
}

// What the form does with the scheme rows: list them, find one by its index key,
// rename it in place.
void ExpectSchemeBrowsing(TClientDataSet& set) {
    ASSERT_TRUE(set.Active());
    EXPECT_EQ(set.RecordCount(), 4);
    std::vector<std::string> names;
    for (set.First(); !set.Eof(); set.Next()) names.push_back(set.FieldByName("ncondition").ToString());
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "Gamma", "\xD4\xC2"}));

    ASSERT_TRUE(set.FindKey({Variant("Gamma"), Variant("U01"), Variant("HRWR07")}));
    EXPECT_EQ(set.RecNo(), 3);
    EXPECT_EQ(set.FieldByName("VCONDITION").ToString(), "Gamma\r\n");
    EXPECT_EQ(set.FieldByName("CREATE_DATE").ToString(), "20240401");

    EXPECT_FALSE(set.FindKey({Variant("Alpha"), Variant("U02")})) << "another user's rows were not loaded";
    EXPECT_EQ(set.RecNo(), 3) << "a failed search does not move";
    ASSERT_TRUE(set.FindKey({Variant::Bytes("\xD4\xC2")}));
    EXPECT_EQ(set.FieldByName("VCONDITION").ToString(), "gb\r\n");

    ASSERT_TRUE(set.Locate("VCONDITION", {Variant("Beta\r\n")}));
    set.SetFieldValue("NCONDITION", Variant("Delta"));
    EXPECT_FALSE(set.FindKey({Variant("Beta")}));
    EXPECT_TRUE(set.FindKey({Variant("Delta"), Variant("U01")}));

    EXPECT_THROW(set.FieldByName("NoSuchField"), EDatabaseError);
    EXPECT_THROW(set.Locate("NCONDITION;CREATOR", {Variant("x")}), EDatabaseError);
}

class ClientDataSetServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    std::string DbPath() const { return (dir_.path() + QStringLiteral("/appserver.sqlite")).toStdString(); }
    QTemporaryDir dir_;
};

TEST_F(ClientDataSetServer, ReadsTheProviderOfAServerInProcess) {
    const Variant server(appserver::CreateReportCounter(DbPath()));
    Fill(server);
    TClientDataSet set;
    Configure(set).SetAppServer(server);
    set.SetActive(true);
    ExpectSchemeBrowsing(set);
}

TEST_F(ClientDataSetServer, ReadsTheProviderOverTheConnection) {
    test::DaemonProcess daemon(QString::fromStdString(DbPath()));
    ASSERT_NE(daemon.Port(), 0) << daemon.Errors().toStdString();
    TSocketConnection connection;
    connection.SetAddress(QStringLiteral("127.0.0.1"));
    connection.SetPort(daemon.Port());
    connection.SetServerName(QString::fromLatin1(appserver::kReportCounterProgId));
    connection.Open();
    Fill(connection.AppServer());
    TClientDataSet set;
    Configure(set).SetRemoteServer(&connection);
    set.Open();
    ExpectSchemeBrowsing(set);
}

TEST(ClientDataSet, NavigatesAnEmptyProvider) {
    Variant rows = Variant::Array2(0, 0, 0, 1);
    rows.At(0, 0) = Variant("A");
    rows.At(0, 1) = Variant("B");
    TClientDataSet set;
    set.SetIndexFieldNames(QStringLiteral("A"));
    set.LoadRows(rows);
    EXPECT_EQ(set.RecordCount(), 0);
    EXPECT_TRUE(set.Eof());
    EXPECT_TRUE(set.Bof());
    EXPECT_EQ(set.RecNo(), 0);
    EXPECT_TRUE(set.FieldByName("b").IsEmpty());
    EXPECT_THROW(set.FieldByName("x"), EDatabaseError);
    EXPECT_FALSE(set.FindKey({Variant("a")}));
    EXPECT_THROW(set.SetFieldValue("A", Variant(1)), EDatabaseError);
}

TEST(ClientDataSet, WalksBothWays) {
    Variant rows = Variant::Array2(0, 3, 0, 0);
    rows.At(0, 0) = Variant("N");
    for (int r = 1; r <= 3; ++r) rows.At(r, 0) = Variant(static_cast<std::int32_t>(r));
    TClientDataSet set;
    set.LoadRows(rows);
    std::vector<int> seen;
    for (set.Last(); !set.Bof(); set.Prior()) seen.push_back(set.FieldByName("n").ToInt());
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1}));
    set.First();
    set.Next(), set.Next(), set.Next();
    EXPECT_TRUE(set.Eof());
    EXPECT_EQ(set.FieldByName("N").ToInt(), 3) << "past the end stays on the last record";
}

TEST(ClientDataSet, RefusesWhatItCannotUse) {
    TClientDataSet set;
    EXPECT_THROW(set.First(), EDatabaseError) << "closed";
    set.SetProviderName(QStringLiteral("pvdConSave"));
    EXPECT_THROW(set.Open(), EDatabaseError) << "no server";
    struct Case {
        const char* what;
        Variant rows;
    } malformed[] = {
        {"not an array", Variant("rows")},
        {"one dimension", Variant::ArrayOf({Variant("A")})},
        {"no header row", Variant::Array2(0, -1, 0, 1)},
        {"a field without a name", Variant::Array2(0, 0, 0, 1)},
    };
    for (const Case& c : malformed) EXPECT_THROW(set.LoadRows(c.rows), EDatabaseError) << c.what;
    EXPECT_FALSE(set.Active());
}

}  // namespace
}  // namespace kv

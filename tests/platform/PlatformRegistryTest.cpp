#include "platform/PlatformRegistry.h"

#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace kv {
namespace {

class LocalMachineKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        File = Dir.path().toStdString() + "/registry.reg";
        Env.Set("KVN_REGISTRY", File);
    }

    void Write(const std::string& text) const { std::ofstream(File, std::ios::binary | std::ios::trunc) << text; }

    QTemporaryDir Dir;
    std::string File;
    test::ScopedEnv Env;
};

const char* const kVornik =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik]\r\n"
    "\"ClientPath\"=\"C:\\\\KVN\\\\Client\"\r\n"
    "\"ProfileType\"=\"1\"\r\n"
    "\"Empty\"=\"\"\r\n"
    "\"Retries\"=dword:0000000a\r\n"
    "\"Blob\"=hex:01,02\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\KVN\\Vornik]\r\n"
    "\"ClientPath\"=\"wrong root\"\r\n";

TEST_F(LocalMachineKeyTest, ReadsTheKeysValuesWithoutRegardToCase) {
    Write(kVornik);
    for (const char* subKey : {"Software\\KVN\\Vornik", "software\\kvn\\VORNIK", "\\Software\\KVN\\Vornik"}) {
        auto key = OpenLocalMachineKey(subKey);
        ASSERT_TRUE(key.has_value()) << subKey;
        EXPECT_EQ(key->ReadString("ClientPath"), "C:\\KVN\\Client");
        EXPECT_EQ(key->ReadString("clientpath"), "C:\\KVN\\Client");
        EXPECT_EQ(key->ReadString("ProfileType"), "1");
        EXPECT_EQ(key->ReadString("Retries"), "10");
        EXPECT_TRUE(key->ValueExists("EMPTY"));
        EXPECT_EQ(key->ReadString("Empty"), "");
        EXPECT_FALSE(key->ValueExists("ServerPath"));
        EXPECT_EQ(key->ReadString("ServerPath"), "");
        EXPECT_FALSE(key->ValueExists("Blob"));  // binary: no text to give
    }
}

TEST_F(LocalMachineKeyTest, MissingFileOrKeyOpensNothing) {
    EXPECT_FALSE(OpenLocalMachineKey("Software\\KVN\\Vornik").has_value());  // no file yet
    Write("not a registry export\r\n[HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik]\r\n");
    EXPECT_FALSE(OpenLocalMachineKey("Software\\KVN\\Vornik").has_value());
    Write(kVornik);
    EXPECT_FALSE(OpenLocalMachineKey("Software\\KVN\\Other").has_value());
    EXPECT_TRUE(OpenLocalMachineKey("Software\\KVN").has_value());  // a parent of a written key
}

TEST_F(LocalMachineKeyTest, EveryOpenReadsTheFileAnew) {
    Write(kVornik);
    ASSERT_EQ(OpenLocalMachineKey("Software\\KVN\\Vornik")->ReadString("ProfileType"), "1");
    Write("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software\\KVN\\Vornik]\r\n"
          "\"ProfileType\"=\"0\"\r\n");
    EXPECT_EQ(OpenLocalMachineKey("Software\\KVN\\Vornik")->ReadString("ProfileType"), "0");
}

}  // namespace
}  // namespace kv

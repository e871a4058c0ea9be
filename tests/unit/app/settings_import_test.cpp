// Settings files exported on another kiosk, as `reg export` writes them, and files that are not.
#include "app/settings_import.h"

#include <gtest/gtest.h>

#include "app/password.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/sim/sim_registry.h"
#include "platform/text.h"

namespace corvane {
namespace {

using platform::Hive;

std::vector<uint8_t> AsExported(const std::string& text) {  // UTF-16LE with its mark
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (const char16_t unit : platform::Utf8ToUtf16(text)) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

// A file's first lines: the header, the root key and one value that the tests look at.
const std::string kHead =
    "Windows Registry Editor Version 5.00\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane]\r\n"
    "\"EnablePolicies\"=dword:00000001\r\n";

std::vector<uint8_t> AsAnsi(const std::string& text) {
    return {text.begin(), text.end()};
}

class SettingsImportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(registry, Hive::LocalMachine, kSettingsRoot, key), 0);
        SetDWordValue(*key, "EnablePolicies", 0);
        SetStringValue(*key, "Kept", "here before");
    }
    std::optional<uint32_t> Number(const std::string& sub, const char* name) {
        return ReadDWordAt(registry, Hive::LocalMachine, std::string(kSettingsRoot) + sub, name);
    }
    std::optional<std::string> Text(const std::string& sub, const char* name) {
        return ReadStringAt(registry, Hive::LocalMachine, std::string(kSettingsRoot) + sub, name);
    }
    sim::SimRegistry registry;
};

TEST_F(SettingsImportTest, AnExportOfTheTreeIsWrittenBesideWhatIsThere) {
    const std::string file =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane]\r\n"
        "\"EnablePolicies\"=dword:00000001\r\n"
        "\"AppPath\"=\"C:\\\\Program Files\\\\Corvane\\\\Corvane.exe\"\r\n"
        "\"Quote\"=\"say \\\"hi\\\" \xC3\xA9\"\r\n"
        "\"Gone\"=-\r\n"
        "@=\"default\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane\\Lumbrel]\r\n"
        "\"Blob\"=hex:01,02,\\\r\n  03,ff\r\n"
        "\"Folder\"=hex(2):43,00,3a,00,00,00\r\n"
        "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n";
    const SettingsImport imported = ImportSettingsExport(registry, AsExported(file));
    EXPECT_EQ(imported.error, "");
    EXPECT_EQ(imported.values, 8u);
    EXPECT_EQ(Number("", "EnablePolicies"), 1u);
    EXPECT_EQ(Text("", "AppPath"), "C:\\Program Files\\Corvane\\Corvane.exe");
    EXPECT_EQ(Text("", "Quote"), "say \"hi\" \xC3\xA9");
    EXPECT_EQ(Text("", ""), "default");
    EXPECT_EQ(Text("", "Kept"), "here before");
    platform::RegistryKeyPtr key;
    ASSERT_EQ(
        OpenForReading(registry, Hive::LocalMachine, std::string(kSettingsRoot) + "\\Lumbrel", key),
        0);
    platform::RawValue raw;
    ASSERT_EQ(key->QueryValue("Blob", 64, raw), 0);
    EXPECT_EQ(raw.type, platform::reg::kBinary);
    EXPECT_EQ(raw.data, (std::vector<uint8_t>{1, 2, 3, 0xFF}));
    ASSERT_EQ(key->QueryValue("Folder", 64, raw), 0);
    EXPECT_EQ(raw.type, platform::reg::kExpandSz);
    EXPECT_EQ(raw.data.size(), 6u);
    ASSERT_EQ(key->QueryValue("Big", 64, raw), 0);
    EXPECT_EQ(raw.type, platform::reg::kQword);

    // The older 8-bit format reads the same.
    const SettingsImport old = ImportSettingsExport(
        registry, AsAnsi("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane\\Timers]\n"
                         "\"ActivityTime\"=dword:3c\n"));
    EXPECT_EQ(old.error, "");
    EXPECT_EQ(Number("\\Timers", "ActivityTime"), 60u);
}

// Whatever stops the import, nothing of the file is written and the line is named.
TEST_F(SettingsImportTest, AFileThatCannotBeFullyReadWritesNothing) {
    const std::pair<std::string, std::string> cases[] = {
        {kHead + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
                 "\"Evil\"=\"C:\\\\evil.exe\"\r\n",
         "line 4: the key HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run "
         "is outside Corvane's settings"},
        {kHead + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\CorvaneOther]\r\n",
         "line 4: the key HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\CorvaneOther is outside "
         "Corvane's settings"},
        {kHead + "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane\\Timers]\r\n",
         "line 4: it deletes a key; only values are imported"},
        {kHead + "\"Time\"=dword:123456789\r\n", "line 4: the value's data cannot be read"},
        {kHead + "\"Time\"=dword:xyz\r\n", "line 4: the value's data cannot be read"},
        {kHead + "\"Blob\"=hex:01,,02\r\n", "line 4: the value's data cannot be read"},
        {kHead + "\"Blob\"=hex:01,\r\n", "line 4: the value's data cannot be read"},
        {kHead + "\"Open=dword:1\r\n", "line 4: the value's name does not end"},
        {kHead + "\"Bad\"=\"a\\qb\"\r\n", "line 4: the value's data cannot be read"},
        {kHead + "garbage\r\n", "line 4: neither a key nor a value"},
        {"Windows Registry Editor Version 5.00\r\n\"EnablePolicies\"=dword:1\r\n",
         "line 2: a value before any key"},
        {"EnablePolicies=1\r\n", "line 1: this is not a registry export"},
        {"", "the file is empty"},
    };
    for (const auto& [file, error] : cases) {
        const SettingsImport imported = ImportSettingsExport(registry, AsExported(file));
        EXPECT_EQ(imported.error, error) << file;
        EXPECT_EQ(imported.values, 0u);
        EXPECT_EQ(Number("", "EnablePolicies"), 0u) << file;
    }
}

// Only a hex value's data goes on past a backslash, as `reg export` wraps it: a comment or a
// key line that ends in one must not swallow the key after it and hand its values to the tree.
TEST_F(SettingsImportTest, ABackslashEndsNoCommentOrKeyLine) {
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(registry, Hive::LocalMachine, kSettingsRoot, key), 0);
        SetStringValue(*key, "Password", "secret");
    }
    const std::pair<std::string, std::string> cases[] = {
        {kHead + "; exported from kiosk 7 \\\r\n"
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Other]\r\n\"Password\"=-\r\n",
         "line 5: the key HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Other is outside Corvane's "
         "settings"},
        {kHead + "\"Name\"=\"text\"\\\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Other]\r\n",
         "line 4: the value's data cannot be read"},
        {kHead + "\"Word\"=dword:00000001\\\r\n\"Password\"=-\r\n",
         "line 4: the value's data cannot be read"},
    };
    for (const auto& [file, error] : cases) {
        const SettingsImport imported = ImportSettingsExport(registry, AsExported(file));
        EXPECT_EQ(imported.error, error) << file;
        EXPECT_EQ(Text("", "Password"), "secret") << file;
        EXPECT_EQ(Number("", "EnablePolicies"), 0u) << file;
    }
}

// An older kiosk's export carries its password scrambled: imported, it is the password here,
// not shadowed by this machine's verifier.
TEST_F(SettingsImportTest, AnOlderKiosksPasswordReplacesTheVerifier) {
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(registry, Hive::LocalMachine, kSettingsRoot, key), 0);
        SetStringValue(*key, kPasswordVerifierValue, "pbkdf2-sha256$1$00$00");
    }
    std::u16string scrambled = u"older";
    ScramblePassword(scrambled, u"");
    std::string file =
        "Windows Registry Editor Version 5.00\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane]\r\n"
        "\"Password\"=\"" +
        platform::Utf16ToUtf8(scrambled) + "\"\r\n";
    const SettingsImport imported = ImportSettingsExport(registry, AsExported(file));
    EXPECT_EQ(imported.error, "");
    EXPECT_EQ(Text("", kPasswordVerifierValue), std::nullopt);
    EXPECT_EQ(ReadPassword(registry), "older");
}

// A write that fails half-way: every value is back as it was, the keys the import made are
// gone, and the error says which value failed and that nothing was kept.
TEST_F(SettingsImportTest, AWriteThatFailsPutsEverythingBack) {
    registry.DenyAccess(Hive::LocalMachine, std::string(kSettingsRoot) + "\\Lumbrel",
                        platform::reg::kSetValue);
    const std::string file =
        "Windows Registry Editor Version 5.00\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane]\r\n"
        "\"EnablePolicies\"=dword:00000001\r\n"
        "\"Kept\"=\"changed\"\r\n"
        "\"Kept\"=\"changed twice\"\r\n"
        "\"New\"=hex:01,02\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane\\Timers\\Deeper]\r\n"
        "\"ActivityTime\"=dword:00000005\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane\\Lumbrel]\r\n"
        "\"FilterURLs\"=dword:00000001\r\n";
    const SettingsImport imported = ImportSettingsExport(registry, AsExported(file));
    EXPECT_EQ(imported.error,
              "the value \"FilterURLs\" of HKLM\\Software\\Vemtrix\\Corvane\\Lumbrel could not "
              "be written (error 5): nothing of the file was kept, every value is as it was");
    EXPECT_EQ(imported.values, 0u);
    EXPECT_EQ(Number("", "EnablePolicies"), 0u);
    EXPECT_EQ(Text("", "Kept"), "here before");
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForReading(registry, Hive::LocalMachine, kSettingsRoot, key), 0);
    platform::RawValue raw;
    EXPECT_EQ(key->QueryValue("New", 64, raw), platform::error::kFileNotFound);
    EXPECT_NE(
        OpenForReading(registry, Hive::LocalMachine, std::string(kSettingsRoot) + "\\Timers", key),
        0);
}

}  // namespace
}  // namespace corvane

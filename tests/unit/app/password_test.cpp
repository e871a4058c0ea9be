// The scrambled password: known answers worked out from the algorithm by hand, and storage.
#include <gtest/gtest.h>

#include "app/password.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/sim/sim_registry.h"
#include "platform/text.h"

namespace corvane {
namespace {

std::u16string Scrambled(std::u16string text) {
    ScramblePassword(text, u"");
    return text;
}

TEST(ScramblePassword, KnownAnswersWithTheBuiltInKey) {
    // The key stream of the built-in key begins 5e 5e a5 30 24 d3 87 74 ...
    EXPECT_EQ(Scrambled(u"secret"), (std::u16string{0x2d, 0x3b, 0xc6, 0x42, 0x41, 0xa7}));
    EXPECT_EQ(Scrambled(u"Kiosk2026"),
              (std::u16string{0x15, 0x37, 0xca, 0x43, 0x4f, 0xe1, 0xb7, 0x46, 0x80}));
    // Only the low byte of a unit changes.
    EXPECT_EQ(Scrambled(u"\u00e9t\u00e9"), (std::u16string{0xb7, 0x2a, 0x4c}));
    EXPECT_EQ(Scrambled(u"\u4e2d"), (std::u16string{0x4e73}));
    // A unit that would become a null or a line feed stays: 'T' ^ 0x5e is 0x0a, '^' ^ 0x5e is 0.
    EXPECT_EQ(Scrambled(u"T^x"), (std::u16string{u'T', u'^', 0xdd}));
    // A key of its own, repeated to fill the table.
    std::u16string text = u"ab";
    ScramblePassword(text, u"k");
    std::u16string again = text;
    ScramblePassword(again, u"k");
    EXPECT_EQ(again, u"ab");
    EXPECT_NE(text, Scrambled(u"ab"));
}

TEST(ScramblePassword, TwiceGivesTheTextBack) {
    for (const std::u16string& text :
         {std::u16string(u"secret"), std::u16string(u"T^x"), std::u16string(300, u'z'),
          std::u16string(u"\u00e9t\u00e9 \U0001F511 \u4e2d"), std::u16string()}) {
        EXPECT_EQ(Scrambled(Scrambled(text)), text);
    }
}

class PasswordStorage : public testing::Test {
  protected:
    sim::SimRegistry registry;
};

TEST_F(PasswordStorage, OddPasswordsRoundTrip) {
    for (const std::string& password :
         {std::string("s3cret"), std::string(50, 'p') + "!", std::string(200, 'x'),
          std::string("\xC3\xA9t\xC3\xA9 \xF0\x9F\x94\x91"), std::string("T^x"),
          std::string("with space ")}) {
        ASSERT_EQ(WritePassword(registry, password), 0);
        EXPECT_EQ(ReadPassword(registry), password);
    }
    // Stored scrambled, with as many units as the plain text.
    ASSERT_EQ(WritePassword(registry, "secret"), 0);
    platform::RegistryKeyPtr root;
    ASSERT_EQ(OpenForReading(registry, platform::Hive::LocalMachine, kSettingsRoot, root), 0);
    platform::RawValue raw;
    ASSERT_EQ(root->QueryValue("Password", 100, raw), 0);
    EXPECT_EQ(raw.size, 14u);
    EXPECT_EQ(raw.data[0], 0x2d);
}

TEST_F(PasswordStorage, WhatCountsAsNoPassword) {
    EXPECT_EQ(ReadPassword(registry), "");  // no root
    ASSERT_EQ(WritePassword(registry, ""), 0);
    EXPECT_EQ(ReadPassword(registry), "");
    platform::RegistryKeyPtr root;
    ASSERT_EQ(OpenForWriting(registry, platform::Hive::LocalMachine, kSettingsRoot, root), 0);
    ASSERT_EQ(SetDWordValue(*root, "Password", 1234), 0);  // the wrong type
    EXPECT_EQ(ReadPassword(registry), "");
    ASSERT_EQ(SetStringValue(*root, "Password", std::string(1024, 'x')), 0);  // too long to read
    EXPECT_EQ(ReadPassword(registry), "");
}

TEST_F(PasswordStorage, UnwritableRootIsAFailure) {
    registry.DenyAccess(platform::Hive::LocalMachine, kSettingsRoot, platform::reg::kSetValue);
    EXPECT_NE(WritePassword(registry, "x"), 0);
    EXPECT_EQ(registry.OpenKeyCount(), 0);
}

}  // namespace
}  // namespace corvane

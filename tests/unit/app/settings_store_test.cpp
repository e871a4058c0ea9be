// The readers' rules over values a user or another program may have left in the tree.
#include <gtest/gtest.h>

#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/sim/sim_registry.h"

namespace corvane {
namespace {

namespace reg = platform::reg;

class SettingsStore : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenForWriting(registry, platform::Hive::LocalMachine, kSettingsRoot, key), 0);
    }
    void Raw(const char* name, uint32_t type, std::vector<uint8_t> bytes) {
        ASSERT_EQ(key->SetValue(name, type, bytes), 0);
    }

    sim::SimRegistry registry;
    platform::RegistryKeyPtr key;
};

TEST_F(SettingsStore, NumbersKeepTheFieldUnlessAWellFormedDwordIsThere) {
    Raw("Short", reg::kDword, {1, 0});
    Raw("Binary", reg::kBinary, {1, 0, 0, 0});
    Raw("Wide", reg::kBinary, {1, 0, 0, 0, 0, 0, 0, 0});
    Raw("Qword", reg::kQword, {2, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(SetStringValue(*key, "Text", "1"), 0);
    ASSERT_EQ(SetDWordValue(*key, "Good", 3), 0);
    for (const char* name : {"Missing", "Short", "Binary", "Wide", "Qword", "Text"}) {
        int field = 42;
        ReadFlagOrNumber(*key, name, field);
        EXPECT_EQ(field, 42) << name;
    }
    int field = 0;
    ReadFlagOrNumber(*key, "Good", field);
    EXPECT_EQ(field, 3);
}

TEST_F(SettingsStore, TextsKeepTheFieldWhenMissingOrMalformedAndEmptyWhenTooLong) {
    Raw("Odd", reg::kSz, {'a', 0, 0});
    Raw("Unterminated", reg::kSz, {'a', 0});
    ASSERT_EQ(SetDWordValue(*key, "Number", 1), 0);
    for (const char* name : {"Missing", "Odd", "Unterminated", "Number"}) {
        std::string field = "kept";
        ReadText(*key, name, field, 260);
        EXPECT_EQ(field, "kept") << name;
    }
    ASSERT_EQ(SetStringValue(*key, "Fits", std::string(259, 'x')), 0);
    ASSERT_EQ(SetStringValue(*key, "TooLong", std::string(260, 'x')), 0);
    std::string field = "kept";
    ReadText(*key, "Fits", field, 260);
    EXPECT_EQ(field, std::string(259, 'x'));
    ReadText(*key, "TooLong", field, 260);
    EXPECT_EQ(field, "");
}

TEST_F(SettingsStore, TextStopsAtAnEmbeddedNull) {
    Raw("Embedded", reg::kSz, {'a', 0, 0, 0, 'b', 0, 0, 0});
    std::string field;
    ReadText(*key, "Embedded", field);
    EXPECT_EQ(field, "a");
}

TEST_F(SettingsStore, TextsRoundTripUnpairedSurrogates) {
    const std::string text = "P\xC3\xA4ss \xF0\x9F\x94\x91 \xED\xA0\x80!";  // lone high surrogate
    ASSERT_EQ(SetStringValue(*key, "Odd", text), 0);
    std::string field;
    ReadText(*key, "Odd", field);
    EXPECT_EQ(field, text);
}

TEST_F(SettingsStore, WritingNeedsAWritableKey) {
    registry.DenyAccess(platform::Hive::LocalMachine, "Software\\Locked", reg::kSetValue);
    platform::RegistryKeyPtr locked;
    EXPECT_EQ(OpenForWriting(registry, platform::Hive::LocalMachine, "Software\\Locked", locked),
              platform::error::kAccessDenied);
    EXPECT_EQ(OpenForReading(registry, platform::Hive::LocalMachine, "Software\\Locked", locked),
              0);
    locked.reset();
    key.reset();
    EXPECT_EQ(registry.OpenKeyCount(), 0);
}

}  // namespace
}  // namespace corvane

// The password: the older scrambled form (known answers worked out from the algorithm by hand),
// the verifier that replaces it, and the move from one to the other.
#include <gtest/gtest.h>

#include "app/password.h"
#include "common/event_log.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/sim/world.h"
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
    std::optional<std::string> Stored(const char* name) {
        return ReadStringAt(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, name);
    }
    // As an older version stored it: scrambled under the built-in key.
    void StoreOlderForm(const std::string& password) {
        std::u16string scrambled = platform::Utf8ToUtf16(password);
        ScramblePassword(scrambled, u"");
        platform::RegistryKeyPtr root;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root),
                  0);
        ASSERT_EQ(SetStringValue(*root, "Password", platform::Utf16ToUtf8(scrambled)), 0);
    }

    sim::World world;
    platform::System& sys = world.Driver();
};

// Stored as a salted verifier that holds nothing of the password: the right one passes, any
// other fails, and the same password stored twice gives two verifiers.
TEST_F(PasswordStorage, AVerifierTellsTheRightPasswordAndHoldsNothingOfIt) {
    for (const std::string& password :
         {std::string("s3cret"), std::string(200, 'x'),
          std::string("\xC3\xA9t\xC3\xA9 \xF0\x9F\x94\x91"), std::string("with space ")}) {
        ASSERT_EQ(WritePassword(sys, password), 0);
        EXPECT_TRUE(HasPassword(sys.registry));
        EXPECT_TRUE(CheckPassword(sys, password));
        EXPECT_FALSE(CheckPassword(sys, password + "x"));
        EXPECT_FALSE(CheckPassword(sys, password.substr(1)));
        EXPECT_FALSE(CheckPassword(sys, ""));
        const std::string verifier = Stored(kPasswordVerifierValue).value_or("");
        EXPECT_TRUE(verifier.starts_with("pbkdf2-sha256$100000$")) << verifier;
        EXPECT_EQ(verifier.size(), std::string("pbkdf2-sha256$100000$").size() + 32 + 1 + 64);
        EXPECT_EQ(verifier.find(password), std::string::npos);
        EXPECT_EQ(Stored("Password"), std::nullopt);
    }
    const std::string first = Stored(kPasswordVerifierValue).value_or("");
    ASSERT_EQ(WritePassword(sys, "with space "), 0);
    EXPECT_NE(Stored(kPasswordVerifierValue), first);  // a new salt
}

// A tree from an older version keeps working, and its password is moved to a verifier at the
// first right entry where the root can be written; until then it stays as it was.
TEST_F(PasswordStorage, TheOlderFormIsMovedAtTheFirstRightEntry) {
    StoreOlderForm("secret");
    EXPECT_TRUE(HasPassword(sys.registry));
    EXPECT_EQ(ReadPassword(sys.registry), "secret");
    EXPECT_FALSE(CheckPassword(sys, "Secret"));
    EXPECT_TRUE(Stored("Password").has_value());

    world.Registry().DenyAccess(platform::Hive::LocalMachine, kSettingsRoot,
                                platform::reg::kSetValue);
    EXPECT_TRUE(CheckPassword(sys, "secret"));  // the kiosk's user: accepted, not moved
    EXPECT_TRUE(Stored("Password").has_value());
    EXPECT_EQ(Stored(kPasswordVerifierValue), std::nullopt);
}

TEST_F(PasswordStorage, AnAdministratorsRightEntryMovesTheOlderForm) {
    StoreOlderForm("secret");
    EXPECT_TRUE(CheckPassword(sys, "secret"));
    EXPECT_EQ(Stored("Password"), std::nullopt);
    EXPECT_TRUE(Stored(kPasswordVerifierValue).has_value());
    EXPECT_TRUE(CheckPassword(sys, "secret"));
    EXPECT_FALSE(CheckPassword(sys, "other"));
}

// A verifier that cannot be read accepts nothing (it never falls back to no password) and
// says so; an administrator sets the password again.
TEST_F(PasswordStorage, AVerifierThatCannotBeReadAcceptsNothing) {
    const std::string key(64, 'a');
    for (const std::string& bad :
         {std::string("pbkdf2-sha256$0$00112233$") + key, "pbkdf2-sha256$100000$$" + key,
          std::string("pbkdf2-sha256$100000$0011$abc"), "md5$1$00$" + key,
          "pbkdf2-sha256$99999999$00$" + key, std::string("pbkdf2-sha256$100000$0g$") + key,
          std::string("garbage")}) {
        platform::RegistryKeyPtr root;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root),
                  0);
        ASSERT_EQ(SetStringValue(*root, kPasswordVerifierValue, bad), 0);
        root.reset();
        EXPECT_TRUE(HasPassword(sys.registry)) << bad;
        EXPECT_FALSE(CheckPassword(sys, "")) << bad;
        EXPECT_FALSE(CheckPassword(sys, "anything")) << bad;
    }
    const auto said = ReadEventLines(sys, 1);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("the stored password verifier cannot be read"), std::string::npos);
    ASSERT_EQ(WritePassword(sys, "new"), 0);
    EXPECT_TRUE(CheckPassword(sys, "new"));
}

TEST_F(PasswordStorage, AnEmptyPasswordIsNoPassword) {
    EXPECT_FALSE(HasPassword(sys.registry));  // no root
    ASSERT_EQ(WritePassword(sys, "x"), 0);
    StoreOlderForm("y");
    ASSERT_EQ(WritePassword(sys, ""), 0);
    EXPECT_FALSE(HasPassword(sys.registry));
    EXPECT_EQ(Stored(kPasswordVerifierValue), std::nullopt);
    EXPECT_EQ(Stored("Password"), std::nullopt);
    // The older value of the wrong type, or too long to read, is none either.
    platform::RegistryKeyPtr root;
    ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root), 0);
    ASSERT_EQ(SetDWordValue(*root, "Password", 1234), 0);
    EXPECT_FALSE(HasPassword(sys.registry));
    ASSERT_EQ(SetStringValue(*root, "Password", std::string(1024, 'x')), 0);
    EXPECT_FALSE(HasPassword(sys.registry));
}

TEST_F(PasswordStorage, UnwritableRootIsAFailure) {
    world.Registry().DenyAccess(platform::Hive::LocalMachine, kSettingsRoot,
                                platform::reg::kSetValue);
    EXPECT_NE(WritePassword(sys, "x"), 0);
    EXPECT_FALSE(HasPassword(sys.registry));
}

}  // namespace
}  // namespace corvane

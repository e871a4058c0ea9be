// The registry behaves the same on the sim and on Windows where the settings store relies on it.
#include <vector>

#include "common/settings_store.h"
#include "tests/contract/fixture.h"

namespace contract {
namespace {

using platform::Hive;
using platform::RegistryKeyPtr;
namespace error = platform::error;
namespace reg = platform::reg;

class RegistryContract : public Contract {
  protected:
    void SetUp() override {
        path = "Software\\CorvaneContract\\" + Unique("key");
        ASSERT_EQ(corvane::OpenForWriting(sys.registry, Hive::CurrentUser, path, key), 0);
    }
    void TearDown() override {
        key.reset();
        DeleteTree(path);
        Contract::TearDown();
    }

    void DeleteTree(const std::string& keyPath) {
        RegistryKeyPtr k;
        if (sys.registry.OpenKey(Hive::CurrentUser, keyPath, reg::kRead | reg::kDelete, k) != 0) {
            return;
        }
        // The names first: a child that cannot be deleted must not stall the walk.
        std::vector<std::string> children;
        std::string child;
        for (uint32_t i = 0; k->EnumSubKey(i, child) == 0; ++i) {
            children.push_back(child);
        }
        k.reset();
        for (const std::string& name : children) {
            DeleteTree(keyPath + "\\" + name);
        }
        const size_t slash = keyPath.rfind('\\');
        RegistryKeyPtr parent;
        ASSERT_EQ(
            sys.registry.OpenKey(Hive::CurrentUser, keyPath.substr(0, slash), reg::kRead, parent),
            0);
        EXPECT_EQ(parent->DeleteSubKey(keyPath.substr(slash + 1)), 0);
    }

    void SetRaw(const std::string& name, uint32_t type, std::vector<uint8_t> bytes) {
        ASSERT_EQ(key->SetValue(name, type, bytes), 0);
    }

    std::string path;
    RegistryKeyPtr key;
};

TEST_F(RegistryContract, MissingKeyFailsToOpenAndCreateOpensWhatExists) {
    RegistryKeyPtr missing;
    EXPECT_EQ(corvane::OpenForReading(sys.registry, Hive::CurrentUser, path + "\\Missing", missing),
              error::kFileNotFound);
    EXPECT_EQ(missing, nullptr);

    ASSERT_EQ(corvane::SetDWordValue(*key, "Kept", 7), 0);
    RegistryKeyPtr again;
    ASSERT_EQ(corvane::OpenForWriting(sys.registry, Hive::CurrentUser, path, again), 0);
    uint32_t value = 0;
    EXPECT_EQ(corvane::QueryDWordValue(*again, "kept", value), 0);  // names ignore case
    EXPECT_EQ(value, 7u);

    // Create-or-open makes the missing keys of a deeper path too.
    RegistryKeyPtr deep;
    EXPECT_EQ(corvane::OpenForWriting(sys.registry, Hive::CurrentUser, path + "\\A\\B", deep), 0);
}

TEST_F(RegistryContract, NumbersReadThroughFourBytes) {
    ASSERT_EQ(corvane::SetDWordValue(*key, "Number", 0xA1B2C3D4u), 0);
    uint32_t value = 0;
    EXPECT_EQ(corvane::QueryDWordValue(*key, "Number", value), 0);
    EXPECT_EQ(value, 0xA1B2C3D4u);

    platform::RawValue raw;
    EXPECT_EQ(key->QueryValue("Number", 4, raw), 0);
    EXPECT_EQ(raw.type, reg::kDword);
    EXPECT_EQ(raw.size, 4u);
    EXPECT_EQ(key->QueryValue("Number", 3, raw), error::kMoreData);
    EXPECT_EQ(raw.size, 4u);

    value = 5;
    EXPECT_EQ(corvane::QueryDWordValue(*key, "Absent", value), error::kFileNotFound);
    EXPECT_EQ(value, 5u);
}

TEST_F(RegistryContract, NumberStoredAsTextAndTextStoredAsNumber) {
    ASSERT_EQ(corvane::SetStringValue(*key, "Short", "5"), 0);     // 4 bytes: fits, wrong type
    ASSERT_EQ(corvane::SetStringValue(*key, "Long", "12345"), 0);  // 12 bytes: does not fit
    ASSERT_EQ(corvane::SetDWordValue(*key, "Number", 1), 0);
    uint32_t value = 77;
    EXPECT_EQ(corvane::QueryDWordValue(*key, "Short", value), error::kInvalidData);
    EXPECT_EQ(corvane::QueryDWordValue(*key, "Long", value), error::kMoreData);
    EXPECT_EQ(value, 77u);

    std::string text = "before";
    uint32_t chars = 9;
    EXPECT_EQ(corvane::QueryStringValue(*key, "Number", text, 260, chars), error::kInvalidData);
    EXPECT_EQ(text, "before");
    EXPECT_EQ(chars, 0u);
}

TEST_F(RegistryContract, TextMustFitItsBufferWithTheTerminator) {
    ASSERT_EQ(corvane::SetStringValue(*key, "Ten", "0123456789"), 0);
    platform::RawValue raw;
    ASSERT_EQ(key->QueryValue("Ten", 100, raw), 0);
    EXPECT_EQ(raw.size, 22u);  // (characters + 1) x 2

    std::string text;
    uint32_t chars = 0;
    EXPECT_EQ(corvane::QueryStringValue(*key, "Ten", text, 10, chars), error::kMoreData);
    EXPECT_EQ(corvane::QueryStringValue(*key, "Ten", text, 11, chars), 0);
    EXPECT_EQ(text, "0123456789");
    EXPECT_EQ(chars, 11u);

    // Counted in UTF-16 units: one character outside the basic plane takes two.
    ASSERT_EQ(corvane::SetStringValue(*key, "Wide", "\xF0\x9F\x94\x92\xC3\xA9"), 0);
    EXPECT_EQ(corvane::QueryStringValue(*key, "Wide", text, 3, chars), error::kMoreData);
    EXPECT_EQ(corvane::QueryStringValue(*key, "Wide", text, 4, chars), 0);
    EXPECT_EQ(text, "\xF0\x9F\x94\x92\xC3\xA9");
}

TEST_F(RegistryContract, MalformedTextSizesAreInvalidData) {
    SetRaw("Odd", reg::kSz, {'a', 0, 0});
    SetRaw("Unterminated", reg::kSz, {'a', 0, 'b', 0});
    SetRaw("Expand", reg::kExpandSz, {'%', 0, 'x', 0, 0, 0});
    std::string text = "kept";
    uint32_t chars = 0;
    EXPECT_EQ(corvane::QueryStringValue(*key, "Odd", text, 260, chars), error::kInvalidData);
    EXPECT_EQ(corvane::QueryStringValue(*key, "Unterminated", text, 260, chars),
              error::kInvalidData);
    EXPECT_EQ(text, "kept");

    platform::RawValue raw;
    ASSERT_EQ(key->QueryValue("Unterminated", 520, raw), 0);
    EXPECT_EQ(raw.size, 4u);  // a terminator the system may add is never counted

    EXPECT_EQ(corvane::QueryStringValue(*key, "Expand", text, 260, chars), 0);
    EXPECT_EQ(text, "%x");
}

TEST_F(RegistryContract, EmptyTexts) {
    SetRaw("NoBytes", reg::kSz, {});
    ASSERT_EQ(corvane::SetStringValue(*key, "JustTerminator", ""), 0);
    std::string text = "kept";
    uint32_t chars = 9;
    EXPECT_EQ(corvane::QueryStringValue(*key, "NoBytes", text, 260, chars), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(chars, 0u);
    text = "kept";
    EXPECT_EQ(corvane::QueryStringValue(*key, "JustTerminator", text, 260, chars), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(chars, 1u);
}

// The i686 browser helper is listed for 32-bit browsers through their own view.
TEST_F(RegistryContract, ThirtyTwoBitProgramsHaveTheirOwnViewOfTheMachinesSoftware) {
    const std::string name = Unique("view");
    const std::string inView = "Software\\CorvaneContract\\" + name;
    const std::string asStored = "Software\\WOW6432Node\\CorvaneContract\\" + name;
    RegistryKeyPtr view;
    ASSERT_EQ(sys.registry.CreateKey(Hive::LocalMachine, inView,
                                     reg::kReadWrite | reg::kWow64_32Key, view),
              0);
    ASSERT_EQ(corvane::SetDWordValue(*view, "Seen", 32), 0);
    view.reset();
    // As the 64-bit programs see the machine, whichever this build is.
    RegistryKeyPtr other;
    EXPECT_EQ(
        sys.registry.OpenKey(Hive::LocalMachine, inView, reg::kRead | reg::kWow64_64Key, other),
        error::kFileNotFound);
    ASSERT_EQ(
        sys.registry.OpenKey(Hive::LocalMachine, asStored, reg::kRead | reg::kWow64_64Key, other),
        0);
    uint32_t value = 0;
    EXPECT_EQ(corvane::QueryDWordValue(*other, "Seen", value), 0);
    EXPECT_EQ(value, 32u);
    other.reset();
    RegistryKeyPtr parent;
    ASSERT_EQ(sys.registry.OpenKey(Hive::LocalMachine, "Software\\CorvaneContract",
                                   reg::kReadWrite | reg::kWow64_32Key, parent),
              0);
    EXPECT_EQ(parent->DeleteSubKey(name), 0);
}

TEST_F(RegistryContract, DeletingValuesAndKeys) {
    EXPECT_EQ(key->DeleteValue("Missing"), error::kFileNotFound);
    ASSERT_EQ(corvane::SetDWordValue(*key, "Gone", 1), 0);
    EXPECT_EQ(key->DeleteValue("GONE"), 0);
    EXPECT_EQ(key->DeleteValue("Gone"), error::kFileNotFound);

    RegistryKeyPtr parent;
    ASSERT_EQ(
        corvane::OpenForWriting(sys.registry, Hive::CurrentUser, path + "\\Parent\\Child", parent),
        0);
    parent.reset();
    EXPECT_EQ(key->DeleteSubKey("Missing"), error::kFileNotFound);
    EXPECT_EQ(key->DeleteSubKey("Parent"), error::kAccessDenied);  // it still has a sub-key

    RegistryKeyPtr deletedParent;
    ASSERT_EQ(
        corvane::OpenForReading(sys.registry, Hive::CurrentUser, path + "\\Parent", deletedParent),
        0);
    RegistryKeyPtr writableParent;
    ASSERT_EQ(
        corvane::OpenForWriting(sys.registry, Hive::CurrentUser, path + "\\Parent", writableParent),
        0);
    EXPECT_EQ(writableParent->DeleteSubKey("Child"), 0);
    EXPECT_EQ(key->DeleteSubKey("Parent"), 0);
    RegistryKeyPtr reopened;
    EXPECT_EQ(corvane::OpenForReading(sys.registry, Hive::CurrentUser, path + "\\Parent", reopened),
              error::kFileNotFound);
    // A handle to a deleted key still closes, and reading through it fails.
    uint32_t value = 0;
    EXPECT_EQ(corvane::QueryDWordValue(*deletedParent, "Anything", value), error::kKeyDeleted);
}

TEST_F(RegistryContract, EnumeratingSubKeysWhileDeletingThem) {
    for (const char* name : {"b", "D", "a", "c"}) {
        RegistryKeyPtr k;
        ASSERT_EQ(corvane::OpenForWriting(sys.registry, Hive::CurrentUser, path + "\\" + name, k),
                  0);
    }
    std::vector<std::string> names;
    std::string name;
    for (uint32_t i = 0; key->EnumSubKey(i, name) == 0; ++i) {
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", "D"}));
    EXPECT_EQ(key->EnumSubKey(4, name), error::kNoMoreItems);

    // Deleting while counting up skips every other key.
    std::vector<std::string> deleted;
    for (uint32_t i = 0; key->EnumSubKey(i, name) == 0; ++i) {
        ASSERT_EQ(key->DeleteSubKey(name), 0);
        deleted.push_back(name);
    }
    EXPECT_EQ(deleted, (std::vector<std::string>{"a", "c"}));
    // Deleting at index 0 empties the key.
    while (key->EnumSubKey(0, name) == 0) {
        ASSERT_EQ(key->DeleteSubKey(name), 0);
    }
    EXPECT_EQ(key->EnumSubKey(0, name), error::kNoMoreItems);
}

TEST_F(RegistryContract, ReadOnlyHandleCannotWrite) {
    RegistryKeyPtr readOnly;
    ASSERT_EQ(corvane::OpenForReading(sys.registry, Hive::CurrentUser, path, readOnly), 0);
    EXPECT_EQ(corvane::SetDWordValue(*readOnly, "Value", 1), error::kAccessDenied);
    EXPECT_EQ(readOnly->DeleteValue("Value"), error::kAccessDenied);
}

// What a user without administrator rights meets: keys that refuse some rights to everyone.
TEST_F(RegistryContract, AKeyThatRefusesARightRefusesEveryOpenAskingForIt) {
    const std::string locked = path + "\\Locked";
    env->DenyAccess(Hive::CurrentUser, locked, reg::kSetValue);
    RegistryKeyPtr k;
    EXPECT_EQ(corvane::OpenForReading(sys.registry, Hive::CurrentUser, locked, k), 0);
    k.reset();
    EXPECT_EQ(corvane::OpenForWriting(sys.registry, Hive::CurrentUser, locked, k),
              error::kAccessDenied);
    EXPECT_EQ(k, nullptr);
    EXPECT_EQ(sys.registry.OpenKey(Hive::CurrentUser, locked, reg::kReadWrite, k),
              error::kAccessDenied);
}

TEST_F(RegistryContract, AKeyThatRefusesSubKeysRefusesToCreateThem) {
    const std::string locked = path + "\\NoChildren";
    env->DenyAccess(Hive::CurrentUser, locked, reg::kCreateSubKey);
    RegistryKeyPtr k;
    const long created =
        corvane::OpenForWriting(sys.registry, Hive::CurrentUser, locked + "\\Child", k);
    k.reset();
    if (env->IsWine()) {
        // Wine 8 creates it: its server does not check the parent's list. Windows requires
        // KEY_CREATE_SUB_KEY on the parent to create a sub-key ("Registry Key Security and
        // Access Rights"), and the sim follows Windows.
        EXPECT_EQ(created, error::kSuccess);
        return;
    }
    EXPECT_EQ(created, error::kAccessDenied);
    EXPECT_EQ(corvane::OpenForReading(sys.registry, Hive::CurrentUser, locked + "\\Child", k),
              error::kFileNotFound);
}

TEST_F(RegistryContract, AKeyThatRefusesDeletionStays) {
    // Beside the test's own tree, which is deleted after it: this one cannot be.
    const std::string parentPath = "Software\\CorvaneContract";
    const std::string name = Unique("kept");
    env->DenyAccess(Hive::CurrentUser, parentPath + "\\" + name, reg::kDelete);
    RegistryKeyPtr parent;
    ASSERT_EQ(sys.registry.OpenKey(Hive::CurrentUser, parentPath, reg::kReadWrite, parent), 0);
    const long deleted = parent->DeleteSubKey(name);
    if (env->IsWine()) {
        // Wine 8 deletes it: its server does not check the key's list. Windows checks DELETE on
        // the sub-key itself (the rights of the parent's handle do not matter, as RegDeleteKeyW's
        // documentation says), and the sim follows Windows.
        EXPECT_EQ(deleted, error::kSuccess);
        return;
    }
    EXPECT_EQ(deleted, error::kAccessDenied);
    RegistryKeyPtr k;
    EXPECT_EQ(corvane::OpenForReading(sys.registry, Hive::CurrentUser, parentPath + "\\" + name, k),
              0);
}

}  // namespace
}  // namespace contract

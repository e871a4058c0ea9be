// The COM server's class and application-id entries: written whole, removed without a trace
// of ours, and never taking the shared "AppID" and "CLSID" keys with them.
#include <gtest/gtest.h>

#include "browser/helper/server_registration.h"
#include "common/lumbrel_values.h"
#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/sim/world.h"

namespace lumbrel {
namespace {

using platform::Hive;

const std::string kClassKey = std::string("CLSID\\") + corvane::kLumbrelClassId;

class ServerRegistrationTest : public testing::Test {
  protected:
    std::optional<std::string> Text(const std::string& path, const char* name = "") {
        return corvane::ReadStringAt(registry(), Hive::ClassesRoot, path, name);
    }
    bool Exists(const std::string& path) {
        platform::RegistryKeyPtr key;
        return registry().OpenKey(Hive::ClassesRoot, path, platform::reg::kRead, key) == 0;
    }
    platform::Registry& registry() { return world.Driver().registry; }

    sim::World world;
};

TEST_F(ServerRegistrationTest, RegistrationWritesEveryEntryAndReplacesTheClassKeyWhole) {
    ASSERT_EQ(RegisterAppId(registry()), 0);
    ASSERT_EQ(RegisterHelperClass(registry(), "C:\\Program Files\\Corvane\\Lumbrel.dll"), 0);
    EXPECT_EQ(Text("AppID\\{F2F70899-E640-451A-B21A-39DD9142208F}"), "Lumbrel");
    EXPECT_EQ(Text("AppID\\Lumbrel.DLL", "AppID"), corvane::kLumbrelAppId);
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO.1"), "LumbrelBHO Class");
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO.1\\CLSID"), corvane::kLumbrelClassId);
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO"), "LumbrelBHO Class");
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO\\CLSID"), corvane::kLumbrelClassId);
    EXPECT_EQ(Text("Lumbrel.LumbrelBHO\\CurVer"), "Lumbrel.LumbrelBHO.1");
    EXPECT_EQ(Text(kClassKey), "LumbrelBHO Class");
    EXPECT_EQ(Text(kClassKey, "AppID"), corvane::kLumbrelAppId);
    EXPECT_EQ(Text(kClassKey + "\\ProgID"), "Lumbrel.LumbrelBHO.1");
    EXPECT_EQ(Text(kClassKey + "\\VersionIndependentProgID"), "Lumbrel.LumbrelBHO");
    EXPECT_TRUE(Exists(kClassKey + "\\Programmable"));
    EXPECT_EQ(Text(kClassKey + "\\InprocServer32"), "C:\\Program Files\\Corvane\\Lumbrel.dll");
    EXPECT_EQ(Text(kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Text(kClassKey + "\\TypeLib"), corvane::kLumbrelTypeLibId);

    // Strays under the class key, as an older version or a hand might leave them.
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(registry().CreateKey(Hive::ClassesRoot, kClassKey + "\\LocalServer32\\Deep",
                                       platform::reg::kReadWrite, key),
                  0);
        ASSERT_EQ(registry().OpenKey(Hive::ClassesRoot, kClassKey, platform::reg::kReadWrite, key),
                  0);
        corvane::SetStringValue(*key, "Stray", "x");
    }
    ASSERT_EQ(RegisterHelperClass(registry(), "D:\\Lumbrel.dll"), 0);
    EXPECT_FALSE(Exists(kClassKey + "\\LocalServer32"));
    EXPECT_EQ(Text(kClassKey, "Stray"), std::nullopt);
    EXPECT_EQ(Text(kClassKey + "\\InprocServer32"), "D:\\Lumbrel.dll");
}

TEST_F(ServerRegistrationTest, UnregistrationLeavesTheSharedKeysAndOthersEntries) {
    platform::RegistryKeyPtr other;
    ASSERT_EQ(
        registry().CreateKey(Hive::ClassesRoot, "CLSID\\{00000000-0000-0000-0000-000000000001}",
                             platform::reg::kReadWrite, other),
        0);
    ASSERT_EQ(RegisterAppId(registry()), 0);
    ASSERT_EQ(RegisterHelperClass(registry(), "C:\\Lumbrel.dll"), 0);

    EXPECT_EQ(UnregisterHelperClass(registry()), 0);
    EXPECT_EQ(UnregisterAppId(registry()), 0);
    for (const char* gone : {"Lumbrel.LumbrelBHO.1", "Lumbrel.LumbrelBHO", "AppID\\Lumbrel.DLL",
                             "AppID\\{F2F70899-E640-451A-B21A-39DD9142208F}"}) {
        EXPECT_FALSE(Exists(gone)) << gone;
    }
    EXPECT_FALSE(Exists(kClassKey));
    EXPECT_TRUE(Exists("AppID"));
    EXPECT_TRUE(Exists("CLSID\\{00000000-0000-0000-0000-000000000001}"));

    // Unregistering what is not there is no failure.
    EXPECT_EQ(UnregisterHelperClass(registry()), 0);
    EXPECT_EQ(UnregisterAppId(registry()), 0);
}

}  // namespace
}  // namespace lumbrel

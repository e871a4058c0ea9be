#include "browser/helper/server_registration.h"

#include <initializer_list>
#include <utility>

#include "common/lumbrel_values.h"
#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "platform/constants.h"

namespace lumbrel {

namespace {

using corvane::kLumbrelAppId;
using corvane::kLumbrelClassId;
using platform::Hive;

constexpr const char* kClassDescription = "LumbrelBHO Class";
constexpr const char* kProgId = "Lumbrel.LumbrelBHO.1";
constexpr const char* kIndependentProgId = "Lumbrel.LumbrelBHO";

using Values = std::initializer_list<std::pair<const char*, std::string>>;

std::string ClassKey() {
    return std::string("CLSID\\") + kLumbrelClassId;
}

// Creates the key and writes its texts ("" names the default value).
long WriteKey(platform::Registry& registry, const std::string& path, Values values) {
    platform::RegistryKeyPtr key;
    long status = registry.CreateKey(Hive::ClassesRoot, path, platform::reg::kReadWrite, key);
    for (const auto& [name, data] : values) {
        if (status == platform::error::kSuccess) {
            status = corvane::SetStringValue(*key, name, data);
        }
    }
    return status;
}

// Deletes `parent\name` with everything below it; a parent or key that is not there is done.
long RemoveTree(platform::Registry& registry, const std::string& parent, const std::string& name) {
    platform::RegistryKeyPtr key;
    long status = parent.empty()
                      ? registry.OpenKey(Hive::ClassesRoot, "", platform::reg::kReadWrite, key)
                      : registry.OpenKey(Hive::ClassesRoot, parent, platform::reg::kReadWrite, key);
    if (status == platform::error::kSuccess) {
        status = corvane::DeleteKeyTree(registry, Hive::ClassesRoot, parent, *key, name);
    }
    return status == platform::error::kFileNotFound ? platform::error::kSuccess : status;
}

long FirstFailure(std::initializer_list<long> statuses) {
    for (const long status : statuses) {
        if (status != platform::error::kSuccess) {
            return status;
        }
    }
    return platform::error::kSuccess;
}

}  // namespace

long RegisterAppId(platform::Registry& registry) {
    long status = WriteKey(registry, std::string("AppID\\") + kLumbrelAppId, {{"", "Lumbrel"}});
    if (status == platform::error::kSuccess) {
        status = WriteKey(registry, "AppID\\Lumbrel.DLL", {{"AppID", kLumbrelAppId}});
    }
    return status;
}

long RegisterHelperClass(platform::Registry& registry, const std::string& modulePath) {
    const std::string classKey = ClassKey();
    long status = RemoveTree(registry, "CLSID", kLumbrelClassId);
    const auto write = [&](const std::string& path, Values values) {
        if (status == platform::error::kSuccess) {
            status = WriteKey(registry, path, values);
        }
    };
    write(kProgId, {{"", kClassDescription}});
    write(std::string(kProgId) + "\\CLSID", {{"", kLumbrelClassId}});
    write(kIndependentProgId, {{"", kClassDescription}});
    write(std::string(kIndependentProgId) + "\\CLSID", {{"", kLumbrelClassId}});
    write(std::string(kIndependentProgId) + "\\CurVer", {{"", kProgId}});
    write(classKey, {{"", kClassDescription}, {"AppID", kLumbrelAppId}});
    write(classKey + "\\ProgID", {{"", kProgId}});
    write(classKey + "\\VersionIndependentProgID", {{"", kIndependentProgId}});
    write(classKey + "\\Programmable", {});
    write(classKey + "\\InprocServer32", {{"", modulePath}, {"ThreadingModel", "Apartment"}});
    write(classKey + "\\TypeLib", {{"", corvane::kLumbrelTypeLibId}});
    return status;
}

long UnregisterHelperClass(platform::Registry& registry) {
    return FirstFailure({RemoveTree(registry, "", kProgId),
                         RemoveTree(registry, "", kIndependentProgId),
                         RemoveTree(registry, "CLSID", kLumbrelClassId)});
}

long UnregisterAppId(platform::Registry& registry) {
    return FirstFailure({RemoveTree(registry, "AppID", kLumbrelAppId),
                         RemoveTree(registry, "AppID", "Lumbrel.DLL")});
}

}  // namespace lumbrel

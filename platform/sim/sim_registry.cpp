#include "platform/sim/sim_registry.h"

#include <map>
#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/text.h"

namespace sim {

namespace {

// The registry compares and orders names by their upper-case form.
std::string Fold(std::string_view name) {
    return platform::AsciiUpper(name);
}

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> segments;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = path.find('\\', start);
        const std::string_view part = path.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!part.empty()) {
            segments.push_back(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return segments;
}

}  // namespace

struct SimRegistry::Node {
    struct Value {
        std::string name;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    std::string name;
    std::map<std::string, std::shared_ptr<Node>> children;  // by folded name
    std::map<std::string, Value> values;                    // by folded name
    uint32_t denied = 0;
    bool deleted = false;

    void MarkDeleted() {
        deleted = true;
        for (auto& [_, child] : children) {
            child->MarkDeleted();
        }
    }
};

namespace {

using Node = SimRegistry::Node;
namespace error = platform::error;
namespace reg = platform::reg;

class SimKey final : public platform::RegistryKey {
  public:
    SimKey(std::shared_ptr<Node> node, uint32_t granted, std::shared_ptr<int> openKeys)
        : node_(std::move(node)), granted_(granted), openKeys_(std::move(openKeys)) {
        ++*openKeys_;
    }
    ~SimKey() override { --*openKeys_; }

    long QueryValue(std::string_view name, uint32_t capacity,
                    platform::RawValue& out) const override {
        out = {};
        if (const long status = Check(reg::kQueryValue)) {
            return status;
        }
        const auto it = node_->values.find(Fold(name));
        if (it == node_->values.end()) {
            return error::kFileNotFound;
        }
        out.type = it->second.type;
        out.size = static_cast<uint32_t>(it->second.data.size());
        if (out.size > capacity) {
            return error::kMoreData;
        }
        out.data = it->second.data;
        return error::kSuccess;
    }

    long SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data) override {
        if (const long status = Check(reg::kSetValue)) {
            return status;
        }
        node_->values[Fold(name)] = {std::string(name), type, {data.begin(), data.end()}};
        return error::kSuccess;
    }

    long DeleteValue(std::string_view name) override {
        if (const long status = Check(reg::kSetValue)) {
            return status;
        }
        return node_->values.erase(Fold(name)) ? error::kSuccess : error::kFileNotFound;
    }

    long DeleteSubKey(std::string_view name) override {
        if (node_->deleted) {
            return error::kKeyDeleted;
        }
        const auto it = node_->children.find(Fold(name));
        if (it == node_->children.end()) {
            return error::kFileNotFound;
        }
        // As RegDeleteKeyW: a key with sub-keys, or one that denies deletion, stays.
        if (!it->second->children.empty() || (it->second->denied & reg::kDelete)) {
            return error::kAccessDenied;
        }
        it->second->MarkDeleted();
        node_->children.erase(it);
        return error::kSuccess;
    }

    long EnumSubKey(uint32_t index, std::string& name) const override {
        name.clear();
        if (const long status = Check(reg::kEnumerateSubKeys)) {
            return status;
        }
        if (index >= node_->children.size()) {
            return error::kNoMoreItems;
        }
        auto it = node_->children.begin();
        std::advance(it, index);
        name = it->second->name;
        return error::kSuccess;
    }

    long EnumValue(uint32_t index, std::string& name) const override {
        name.clear();
        if (const long status = Check(reg::kQueryValue)) {
            return status;
        }
        if (index >= node_->values.size()) {
            return error::kNoMoreItems;
        }
        auto it = node_->values.begin();
        std::advance(it, index);
        name = it->second.name;
        return error::kSuccess;
    }

  private:
    long Check(uint32_t right) const {
        if (node_->deleted) {
            return error::kKeyDeleted;
        }
        return (granted_ & right) == right ? error::kSuccess : error::kAccessDenied;
    }

    std::shared_ptr<Node> node_;
    uint32_t granted_;
    std::shared_ptr<int> openKeys_;
};

int HiveIndex(platform::Hive hive) {
    return static_cast<int>(static_cast<uint32_t>(hive) & 3);
}

}  // namespace

SimRegistry::SimRegistry() : openKeys_(std::make_shared<int>(0)) {
    for (auto& root : roots_) {
        root = std::make_shared<Node>();
    }
}

SimRegistry::~SimRegistry() = default;

long SimRegistry::OpenKey(platform::Hive hive, std::string_view path, uint32_t access,
                          platform::RegistryKeyPtr& out) {
    return Open(hive, path, access, false, out);
}

long SimRegistry::CreateKey(platform::Hive hive, std::string_view path, uint32_t access,
                            platform::RegistryKeyPtr& out) {
    return Open(hive, path, access, true, out);
}

long SimRegistry::Open(platform::Hive hive, std::string_view path, uint32_t access, bool create,
                       platform::RegistryKeyPtr& out) {
    out.reset();
    std::shared_ptr<Node> node = roots_[HiveIndex(hive)];
    std::vector<std::string_view> parts = SplitPath(path);
    // The 32-bit programs' view of HKLM\Software is its WOW6432Node sub-key, as on Windows.
    const bool view32 = (access & reg::kWow64_32Key) != 0;
    access &= ~(reg::kWow64_32Key | reg::kWow64_64Key);  // the sim runs 64-bit programs
    if (view32 && hive == platform::Hive::LocalMachine && !parts.empty() &&
        Fold(parts[0]) == "SOFTWARE") {
        parts.insert(parts.begin() + 1, "WOW6432Node");
    }
    for (const std::string_view part : parts) {
        auto& child = node->children[Fold(part)];
        if (!child) {
            if (!create || (node->denied & reg::kCreateSubKey)) {
                node->children.erase(Fold(part));
                return create ? error::kAccessDenied : error::kFileNotFound;
            }
            child = std::make_shared<Node>();
            child->name = std::string(part);
        }
        node = child;
    }
    if (node->denied & access) {
        return error::kAccessDenied;
    }
    out = std::make_unique<SimKey>(node, access, openKeys_);
    return error::kSuccess;
}

void SimRegistry::DenyAccess(platform::Hive hive, std::string_view path, uint32_t rights) {
    std::shared_ptr<Node> node = roots_[HiveIndex(hive)];
    for (const std::string_view part : SplitPath(path)) {
        auto& child = node->children[Fold(part)];
        if (!child) {
            child = std::make_shared<Node>();
            child->name = std::string(part);
        }
        node = child;
    }
    node->denied |= rights;
}

long SimRegistry::LoadUserHive(std::string_view name, std::string_view file) {
    const auto stored = hiveFiles_.find(Fold(file));
    if (stored == hiveFiles_.end()) {
        return error::kFileNotFound;
    }
    auto& slot = roots_[HiveIndex(platform::Hive::Users)]->children[Fold(name)];
    if (slot) {
        return error::kAccessDenied;
    }
    slot = stored->second;
    slot->name = std::string(name);
    loadedFrom_[Fold(name)] = Fold(file);
    hiveFiles_.erase(stored);
    return error::kSuccess;
}

long SimRegistry::UnloadUserHive(std::string_view name) {
    const auto loaded = loadedFrom_.find(Fold(name));
    if (loaded == loadedFrom_.end()) {
        return error::kInvalidParameter;
    }
    auto& users = roots_[HiveIndex(platform::Hive::Users)]->children;
    hiveFiles_[loaded->second] = users[Fold(name)];
    users.erase(Fold(name));
    loadedFrom_.erase(loaded);
    return error::kSuccess;
}

void SimRegistry::LogOffUser(std::string_view name, std::string_view file) {
    auto& users = roots_[HiveIndex(platform::Hive::Users)]->children;
    auto& tree = users[Fold(name)];
    hiveFiles_[Fold(file)] = tree ? tree : std::make_shared<Node>();
    users.erase(Fold(name));
}

int SimRegistry::OpenKeyCount() const {
    return *openKeys_;
}

}  // namespace sim

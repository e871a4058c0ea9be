// The contract tests on the sim: each test gets a world of its own.
#include <gtest/gtest.h>

#include "platform/constants.h"
#include "platform/sim/resources.h"
#include "platform/sim/world.h"
#include "tests/contract/contract_env.h"

namespace contract {

namespace {

class SimEnv final : public Env {
  public:
    SimEnv() {
        world_.RegisterProgram("C:\\tests\\peer.exe", [](platform::System& system) {
            const auto args = system.processes.CommandLineArguments();
            return RunPeer(system, args.size() > 1 ? args[1] : "", args.size() > 2 ? args[2] : "");
        });
    }

    platform::System& Self() override { return world_.Driver(); }

    std::unique_ptr<platform::Process> StartPeer(const std::string& role,
                                                 const std::string& argument) override {
        return Self().processes.StartProcess("peer.exe " + role + " " + argument);
    }

    std::unique_ptr<ProgramResources> Resources(const std::string& script,
                                                const std::string&) override {
        class SimResources final : public ProgramResources {
          public:
            explicit SimResources(std::shared_ptr<sim::Resources> r) : r_(std::move(r)) {}
            std::string String(uint32_t id) const override { return r_->LoadString(id); }
            std::optional<DialogHeader> Dialog(uint32_t id) const override {
                const auto dialog = r_->FindDialog(id);
                if (!dialog) {
                    return std::nullopt;
                }
                return DialogHeader{dialog->caption, dialog->style, dialog->width, dialog->height};
            }

          private:
            std::shared_ptr<sim::Resources> r_;
        };
        return std::make_unique<SimResources>(
            sim::Resources::FromRcFile(std::string(CORVANE_SOURCE_DIR) + "/" + script));
    }

    std::shared_ptr<void> AnswerMessageBoxWhen(const std::string&, int button,
                                               std::function<bool()> ready) override {
        world_.ScriptMessageBoxAnswerWhen(button, std::move(ready));
        return nullptr;
    }

    std::shared_ptr<void> AnswerFolderBrowser(const std::string&,
                                              std::optional<std::string> folder) override {
        world_.ScriptFolderAnswer(std::move(folder));
        return nullptr;
    }

    std::string PeerProgram() override { return "C:\\tests\\peer.exe"; }

    void CheckClean() override { EXPECT_EQ(world_.Registry().OpenKeyCount(), 0); }

    void DenyAccess(platform::Hive hive, const std::string& path, uint32_t rights) override {
        world_.Registry().DenyAccess(hive, path, rights);
    }

    std::string ScratchFolder() override {
        world_.Files().MakeFolder("C:\\scratch");
        return "C:\\scratch";
    }
    void PutFile(const std::string& path, const std::string& bytes) override {
        world_.Files().Put(path, bytes);
    }
    void MakeFolder(const std::string& path) override { world_.Files().MakeFolder(path); }
    void PutShortcut(const std::string& path, const std::string& target,
                     const std::string& arguments) override {
        world_.PutShortcut(path, target, arguments);
    }
    void LetEveryoneWrite(const std::string& path) override {
        platform::Custody custody;
        ASSERT_EQ(world_.Files().ReadCustody(path, custody), 0);
        custody.entries.push_back({platform::AccessEntry::kAllow, "S-1-1-0", 0x001F01FF, false});
        world_.Files().SetCustody(path, custody);
    }
    std::shared_ptr<void> HoldForWriting(const std::string& path) override {
        world_.Files().At(path).openError = platform::error::kSharingViolation;
        return std::shared_ptr<void>(
            nullptr, [this, path](void*) { world_.Files().At(path).openError = 0; });
    }

  private:
    sim::World world_{sim::Resources::FromRcFile(CORVANE_SOURCE_DIR "/tests/contract/contract.rc")};
};

}  // namespace

std::unique_ptr<Env> MakeEnv() {
    return std::make_unique<SimEnv>();
}

}  // namespace contract

// The contract tests on Windows: the peer is this program started again with --peer.
#include "platform/win32/system.h"
#include "tests/contract/contract_env.h"

namespace contract {

namespace {

class Win32Env final : public Env {
  public:
    platform::System& Self() override { return system_.Get(); }

    std::unique_ptr<platform::Process> StartPeer(const std::string& role,
                                                 const std::string& argument) override {
        const std::string self = Self().processes.ModulePath();
        return Self().processes.StartProcess("\"" + self + "\" --peer " + role + " " + argument);
    }

  private:
    platform::win32::Win32System system_;
};

}  // namespace

std::unique_ptr<Env> MakeEnv() {
    return std::make_unique<Win32Env>();
}

}  // namespace contract

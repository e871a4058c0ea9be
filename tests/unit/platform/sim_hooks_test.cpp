// What the sim does where Wine and Windows part: a low-level hook whose thread does not answer
// in time is removed, as Windows 7 and later do ("the hook is silently removed without being
// called", LowLevelKeyboardProc); Wine only passes it over for that event.
#include <gtest/gtest.h>

#include "platform/constants.h"
#include "platform/sim/world.h"

namespace {

class CountingHook final : public platform::HookProcedure {
  public:
    std::intptr_t OnHookEvent(int, std::uintptr_t, std::intptr_t) override {
        ++calls;
        return 0;
    }
    int calls = 0;
};

TEST(SimHooks, AHookWhoseThreadIsBusyIsRemovedAndTheKeyGoesOn) {
    sim::World world;
    CountingHook hook;
    world.RegisterProgram("C:\\busy.exe", [&hook](platform::System& system) {
        system.windows.SetLowLevelHook(platform::HookKind::Keyboard, &hook);
        system.processes.Sleep(60000);  // never waits for messages
        return 0;
    });
    platform::System& driver = world.Driver();
    auto busy = driver.processes.StartProcess("C:\\busy.exe");
    ASSERT_NE(busy, nullptr);
    world.RunFor(10);
    ASSERT_EQ(world.HookCount(), 1);

    const uint64_t before = world.Now();
    EXPECT_TRUE(driver.windows.SendKey('A', false, false));
    EXPECT_GE(world.Now() - before, 1000u);  // the system waited for the hook's time-out
    EXPECT_EQ(world.HookCount(), 0);
    EXPECT_EQ(hook.calls, 0);
    EXPECT_EQ(driver.windows.GetAsyncKeyState('A') & 0x8000, 0x8000);  // not swallowed

    const uint64_t again = world.Now();
    driver.windows.SendKey('A', true, false);
    EXPECT_LT(world.Now() - again, 1000u);  // no hook left to wait for
    busy->Terminate(0);
}

}  // namespace

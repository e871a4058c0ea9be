// A sim world with Corvane.exe installed, for scenario tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/corvane_app.h"
#include "browser/helper/server_registration.h"
#include "platform/constants.h"
#include "platform/sim/html_host.h"
#include "platform/sim/resources.h"
#include "platform/sim/world.h"

namespace corvane::scenario {

inline constexpr const char* kCorvanePath = "C:\\Program Files\\Corvane\\Corvane.exe";

inline std::shared_ptr<const sim::Resources> CorvaneResources() {
    static const std::shared_ptr<const sim::Resources> resources =
        sim::Resources::FromRcFile(CORVANE_SOURCE_DIR "/app/res/corvane.rc");
    return resources;
}

class CorvaneWorld : public testing::Test {
  protected:
    CorvaneWorld() {
        // The system's own files the administrator's shortcuts open; this edition has no
        // policy editor (gpedit.msc).
        world.Files().Put("C:\\Windows\\System32\\inetcpl.cpl", "");
        world.RegisterProgram(
            kCorvanePath, [](platform::System& system) { return CorvaneMain(system, nullptr); },
            CorvaneResources());
    }

    std::unique_ptr<platform::Process> Start(const std::string& switches) {
        auto process =
            sys.processes.StartProcess("\"" + std::string(kCorvanePath) + "\" " + switches);
        EXPECT_NE(process, nullptr);
        world.RunFor(50);  // let it settle into its message loop
        return process;
    }

    // The top-level window of the process with this caption.
    std::optional<sim::WindowInfo> WindowOf(const platform::Process& process,
                                            const std::string& caption = "Corvane") const {
        for (const sim::WindowInfo& info : world.Windows()) {
            if (info.processId == process.Id() && info.title == caption &&
                info.parent == platform::WindowHandle::Null) {
                return info;
            }
        }
        return std::nullopt;
    }

    // The page of the process's dialog with this caption, once it has loaded.
    sim::SimHtmlHost* PageOf(const platform::Process& process,
                             const std::string& caption = "Corvane") {
        world.RunFor(50);
        const auto window = WindowOf(process, caption);
        return window ? world.Page(window->handle) : nullptr;
    }
    // A Lumbrel.dll whose entries do to the registry what the real one does, and count; each
    // answers the given result instead when it is not 0.
    void InstallLumbrel(long registerResult = 0, long unregisterResult = 0) {
        world.InstallLibrary("lumbrel.DLL", {{"DllRegisterServer",
                                              [this, registerResult] {
                                                  ++registrations;
                                                  if (registerResult != 0) {
                                                      return registerResult;
                                                  }
                                                  lumbrel::RegisterAppId(sys.registry);
                                                  return lumbrel::RegisterHelperClass(
                                                      sys.registry, "C:\\Corvane\\Lumbrel.dll");
                                              }},
                                             {"DllUnregisterServer", [this, unregisterResult] {
                                                  ++unregistrations;
                                                  if (unregisterResult != 0) {
                                                      return unregisterResult;
                                                  }
                                                  lumbrel::UnregisterHelperClass(sys.registry);
                                                  return lumbrel::UnregisterAppId(sys.registry);
                                              }}});
    }
    const sim::MessageBoxRecord* LastBox() const {
        return world.MessageBoxes().empty() ? nullptr : &world.MessageBoxes().back();
    }

    // The driver acts as the test program: its own resources are Corvane's, so the dialog
    // classes can be built and driven directly.
    sim::World world{CorvaneResources()};
    platform::System& sys = world.Driver();
    int registrations = 0;
    int unregistrations = 0;
};

}  // namespace corvane::scenario

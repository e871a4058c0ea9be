// The policy settings as plain operations on the registry: the drive mask, the store, the
// Windows policy values, and the administrator's clean-up of the browser's extensions.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/registry.h"
#include "policies/policy_values.h"

namespace corvane {

// Bit n set for each drive box n that is ticked; bits 26 to 31 stay clear.
uint32_t PackDriveMask(const int (&drives)[kDriveCount]);
// Ticks drive box n for each set bit n below 26; a clear bit leaves its box as it was.
void UnpackDriveMask(uint32_t mask, int (&drives)[kDriveCount]);

// The Policies sub-key, the drive mask as it stands; each returns whether the key could be
// opened (load) or created (save).
bool LoadPolicySettings(platform::Registry& registry, PolicySettings& settings);
bool SavePolicySettings(platform::Registry& registry, const PolicySettings& settings);

// What a value written only when ticked held before Corvane first wrote it, under the user's
// own key: a copy of it, or an empty REG_NONE when there was none.
inline constexpr const char* kPoliciesBeforeKey = "Software\\Vemtrix\\Corvane\\Policies Before";
// The same for the machine's values, in the machine's hive beside (not in) the settings tree, so
// no export or import of the settings carries it to another machine.
inline constexpr const char* kMachinePoliciesBeforeKey =
    "Software\\Vemtrix\\Corvane Machine Policies Before";

// Writes the user's values into the current user's policy keys, creating them; a key that cannot
// be created is skipped, and the machine's values are never written here. True when the browser
// key was written.
bool WritePolicyValues(platform::Registry& registry, const PolicySettings& settings);
// Deletes the values from those keys, whoever set them, but puts a value written only when
// ticked back as it was before Corvane wrote it (and leaves it when Corvane never did);
// missing keys are passed over. Edge's and Chrome's values and lists go back as they were too.
void DeletePolicyValues(platform::Registry& registry);

// The machine's values (Switch user, edge swipes), from an administrator's program only: a
// ticked one is written (what it held before is kept first), an unticked one Corvane wrote is
// put back as it was. False when a ticked value could not be written.
bool ApplyMachinePolicyValues(platform::Registry& registry, const PolicySettings& settings);
bool AnyMachinePolicyTicked(const PolicySettings& settings);
// Puts every machine value Corvane wrote back as it was (the cleanup, the Policies switch off);
// returns how many there were.
int RestoreMachinePolicyValues(platform::Registry& registry);

// Removes every sub-key of the browser's extensions key with its whole tree and returns how
// many it found (those that could not be removed are counted and left); no value when the
// key cannot be opened.
std::optional<int> RemoveBrowserExtensions(platform::Registry& registry);

}  // namespace corvane

// The administrator password: its verifier in the settings root (or the older scrambled form,
// moved to a verifier when it is next used), and how it is written and checked.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/system.h"

namespace corvane {

// RC4 over the low byte of each UTF-16 unit; a unit that would become a null or a line feed
// stays as it was. Its own inverse (for texts without line feeds). An empty key selects the
// built-in key.
void ScramblePassword(std::u16string& text, std::u16string_view key);

// The older form: the password scrambled under a key built into the program, which anyone who
// can read the settings root (every user) can undo. Read only to move it to a verifier.
std::string ReadPassword(platform::Registry& registry);

// The verifier: "pbkdf2-sha256$ROUNDS$SALT$KEY" (hex), the password's key derived with a random
// salt by the system's cryptography. It tells a right password from a wrong one and nothing
// more.
inline constexpr const char* kPasswordVerifierValue = "PasswordVerifier";
inline constexpr uint32_t kPasswordRounds = 100000;

// Whether a password is set, in either form.
bool HasPassword(platform::Registry& registry);
// Stores the verifier of `password` and deletes the older value; an empty password removes
// both (no password). 0 on success; non-zero when nothing could be stored.
int WritePassword(platform::System& system, const std::string& password);
// Whether `entered` is the password. A right one against the older value is moved to a verifier
// when the root can be written (an administrator's program); a verifier that cannot be read
// accepts nothing and says so in the event log.
bool CheckPassword(platform::System& system, const std::string& entered);

}  // namespace corvane

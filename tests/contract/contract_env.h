// What a contract test needs of the system under it, the sim or Windows: this process's
// platform and a second process of the same test program running a peer role.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/system.h"

namespace contract {

// A dialog template's header as the program loads it.
struct DialogHeader {
    std::string caption;
    uint32_t style = 0;
    int width = 0;  // dialog units
    int height = 0;
};

// A program's string table and dialog templates.
class ProgramResources {
  public:
    virtual ~ProgramResources() = default;
    virtual std::string String(uint32_t id) const = 0;
    virtual std::optional<DialogHeader> Dialog(uint32_t id) const = 0;
};

class Env {
  public:
    virtual ~Env() = default;
    virtual platform::System& Self() = 0;
    // Starts the test program again, running RunPeer with the role and its argument.
    virtual std::unique_ptr<platform::Process> StartPeer(const std::string& role,
                                                         const std::string& argument) = 0;
    // The full path of the program StartPeer runs.
    virtual std::string PeerProgram() = 0;
    // Checks the sim alone can make, at the end of each test (keys left open and such).
    virtual void CheckClean() {}
    // Makes the key (creating it) refuse these access rights to everyone, this process too: the
    // sim's access rule, and a denying entry in the key's access list on Windows.
    virtual void DenyAccess(platform::Hive hive, const std::string& path, uint32_t rights) = 0;
    // An empty folder of this test's own (a Windows path without the last backslash).
    virtual std::string ScratchFolder() = 0;
    virtual void PutFile(const std::string& path, const std::string& bytes) = 0;
    virtual void MakeFolder(const std::string& path) = 0;
    // A shell shortcut (.lnk) to `target` with these arguments, as the shell saves one.
    virtual void PutShortcut(const std::string& path, const std::string& target,
                             const std::string& arguments) = 0;
    // Gives everyone the right to change the file, as a folder users may change hands down.
    virtual void LetEveryoneWrite(const std::string& path) = 0;
    // Another program holding the file open for writing and sharing nothing, until the
    // returned object goes.
    virtual std::shared_ptr<void> HoldForWriting(const std::string& path) = 0;
    // The resources of a deliverable as it sees them: what the sim reads from the script
    // (a path in the source tree), or the module the Windows build compiled from it (a file
    // beside this program).
    virtual std::unique_ptr<ProgramResources> Resources(const std::string& script,
                                                        const std::string& module) = 0;
    // A user who answers the next message box with this caption by pressing `button`, once
    // `ready` holds (it is asked from another thread on Windows). Done when the object goes.
    virtual std::shared_ptr<void> AnswerMessageBoxWhen(const std::string& caption, int button,
                                                       std::function<bool()> ready) = 0;
    // A user who answers the next folder browser showing this title by choosing `folder`, or
    // by cancelling when there is none. Done when the object goes.
    virtual std::shared_ptr<void> AnswerFolderBrowser(const std::string& title,
                                                      std::optional<std::string> folder) = 0;
    // Whether the Windows underneath is Wine, for the few places where Wine is known to differ.
    virtual bool IsWine() const { return false; }
};

std::unique_ptr<Env> MakeEnv();

// The peer side: returns the peer's exit code.
int RunPeer(platform::System& system, const std::string& role, const std::string& argument);

}  // namespace contract

// The sim's view of a program's resources, read from the same .rc file the Windows build
// compiles: string table entries and dialog templates.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/process_system.h"

namespace sim {

struct DialogTemplate {
    uint32_t id = 0;
    std::string caption;
    uint32_t style = 0;
    int width = 0;
    int height = 0;
};

class Resources final : public platform::Resources {
  public:
    // Reads the script and the headers it includes (relative to the script's folder).
    // Throws std::runtime_error with the file and line of what it cannot read.
    static std::shared_ptr<Resources> FromRcFile(const std::string& path);

    std::string LoadString(uint32_t id) const override;
    std::optional<DialogTemplate> FindDialog(uint32_t id) const;

    // The file of an HTML, SCR or IMG resource, by id.
    std::optional<std::string> FindFile(uint32_t id) const;

    std::map<uint32_t, std::string> strings;
    std::map<uint32_t, std::string> files;
    std::map<uint32_t, DialogTemplate> dialogs;
};

}  // namespace sim

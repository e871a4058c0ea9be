// The rule tester for administrators: which line of a rule file decides an address or a page.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace lumbrel::tools {

// Exit codes: 0 everything allowed (or nothing found by --lint), 1 something refused (or found),
// 2 a usage or file error.
// `imageFolder` is where compiled lists are looked for and --compile writes them, unless
// --images names another; empty: none.
int RunRuleTester(const std::vector<std::string>& args, platform::FileSystem& files,
                  std::istream& in, std::ostream& out, std::ostream& err,
                  std::string_view imageFolder = {});

}  // namespace lumbrel::tools

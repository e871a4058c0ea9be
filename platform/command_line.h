// Splitting a command line into arguments by the Windows runtime's rules, for the sim, which
// has no runtime to do it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Arguments are separated by blanks; double quotes group, 2n backslashes before a quote give n
// backslashes and a quote delimiter, 2n+1 give n and a literal quote, other backslashes stand;
// a quote right after the closing one of a quoted run is literal and ends the run.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace platform

// Where the helper's tests find the server and themselves; set by their main.
#pragma once

#include <string>

namespace corvane::wine {

std::string& LumbrelDll();
std::string& TestProgram();

}  // namespace corvane::wine

#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lt77::host {

// Runs one lt77host command line; returns the process exit code.
int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lt77::host

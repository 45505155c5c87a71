#pragma once
// "vexmora-cli help COMMAND": what one command does, with an example a person can type.
#include <string>

namespace vex::cli {

// Prints the usage line, the explanation and an example of `name` to stdout; false (nothing
// printed) when there is no such command.
bool printCommandHelp(const std::string& name);

}  // namespace vex::cli

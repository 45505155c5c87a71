#pragma once
// The environment variables vexmora-cli reads, checked before any command runs: a value that
// cannot be what it names is a usage error, never silently taken for the default.
#include <string>

namespace vex::cli {

// What is wrong with VEXMORA_HOME (or the folder XDG_DATA_HOME and HOME give), VEXMORA_SIM_SEED
// or VEXMORA_FILE_FAULTS, naming the value (UTF-8); empty when nothing is.
std::string environmentProblem();

}  // namespace vex::cli

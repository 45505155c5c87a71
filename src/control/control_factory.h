#pragma once
// Creates the data-service control the program talks to, chosen by VEXMORA_SERVICE:
//   sim             the simulated service; VEXMORA_SIM_SEED (a number, default 1) picks its world
//   feed:DIR        replay of the record files under DIR (layout in feed_service.h)
//   bridge:COMMAND  the service's own control through vexmora-bridge.exe, started by COMMAND
//                   without a shell (bridge_control.h)
//   unset or empty  the source saved in the control's settings (control_settings.h), which is the
//                   simulated service when nothing is saved
// VEXMORA_FAULTS wraps it in fault injection (fault_injection.h).
#include <cstdint>
#include <memory>
#include <string>

#include "control/control_ui.h"
#include "datalink/data_control.h"

namespace vex::control {

// The presence test: empty when the chosen control can start, else the reason (CP932), for
// example a feed folder that does not exist.
std::string dataControlProblem();

// The control, or null when the presence test fails. `ui` may be null (no dialogs: the settings
// dialog does nothing and the account switch is refused).
std::unique_ptr<DataControl> createDataControl(ControlUi* ui);

// The seed of the simulated world.
std::uint64_t simSeed();

}  // namespace vex::control

namespace vex {
using control::ControlUi;
using control::createDataControl;
using control::dataControlProblem;
}  // namespace vex

#pragma once
// Fault injection for tests and demonstrations: makes chosen operations of the control fail with a
// chosen code, at once or after a number of successful calls (for NVRead: after N records).
//
// Environment: VEXMORA_FAULTS="Operation=code[@N][;Operation=code[@N]...]", for example
//   VEXMORA_FAULTS="NVOpen=-504"              every NVOpen answers -504
//   VEXMORA_FAULTS="NVRead=-502@100"          NVRead fails with -502 after 100 records
//   VEXMORA_FAULTS="RakutenBet=-799@1;RakutenLogin=-5"
// Operation names are those of the control (NVInit ... RakutenDeposit). A code of 0 makes the
// operation succeed without doing anything. In code: setFaultPlan(), or wrap a control yourself.
//   VEXMORA_FAULTS="RakutenBet=pause@K"     the K-th bet is made, then the control says
//                                            "VEXMORA_FAULTS: paused after RakutenBet K" on stderr
//                                            and holds its answer until a stop signal (stop_signal.h)
// so that a test can signal a vote at a known point: the account has charged, the log has not.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "datalink/data_control.h"

namespace vex::control {

struct Fault {
    int code = 0;
    int after = 0;  // successful calls (NVRead: records) before the fault
    bool pause = false;  // RakutenBet only: hold the answer of call `after` until a stop signal
};
using FaultPlan = std::map<std::string, Fault>;

// Parses the text form above; nullopt when it is malformed (names an unknown operation, ...).
std::optional<FaultPlan> parseFaultPlan(const std::string& text);

// The plan createDataControl applies: the one set here, else VEXMORA_FAULTS.
void setFaultPlan(std::optional<FaultPlan> plan);
std::optional<FaultPlan> activeFaultPlan();

// Wraps `inner`; operations named in `plan` fail as planned, the others pass through.
std::unique_ptr<DataControl> withFaults(std::unique_ptr<DataControl> inner, FaultPlan plan);

}  // namespace vex::control

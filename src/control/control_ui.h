#pragma once
// The control's own dialogs. The control stays free of any window code: the desktop program
// implements these with its dialogs, the command line and tests answer them directly. Texts are CP932.
#include <string>
#include <vector>

#include "control/control_settings.h"

namespace vex::control {

class ControlUi {
public:
    virtual ~ControlUi() = default;
    // The settings dialog opened by NVSetUIProperties: shows and edits the data source and the
    // service key. `environmentOverride` is the value of VEXMORA_SERVICE when it is set (it then
    // decides the source whatever is saved), else empty. False when the user cancelled it.
    virtual bool editSettings(ControlSettings& settings, const std::string& environmentOverride) = 0;
    // The account selection shown for the account-switch login: the index of the chosen account in
    // `accountNames`, or -1 when cancelled.
    virtual int chooseAccount(const std::vector<std::string>& accountNames, int current) = 0;
    // A notice of the control's own (an entry of a replayed feed passed over or unreadable), shown
    // without waiting for the user. May be called from the worker.
    virtual void notice(const std::string&) {}
};

}  // namespace vex::control

#pragma once
// Result codes of the data-service control turned into the texts the user sees.
#include <string>
#include <string_view>

namespace vex {

// Message for `code` returned by the control operation `operation` (its name as called, e.g.
// "NVOpen"), followed by the code in brackets: "<message>(<code>)". A code the operation's table
// does not list, or an operation without a table, gives just "(<code>)". CP932.
std::string ResultMessage(std::string_view operation, int code);

// The meaning alone (the message of ResultMessage without the bracketed code); empty when the
// operation's table does not list the code. CP932.
std::string codeMeaning(std::string_view operation, int code);
// The code with its meaning beside it, "-803 購入限度額オーバー", or the code alone when the table
// does not list it: what a message shows where it names a code. CP932.
std::string codeWithMeaning(std::string_view operation, int code);

// The words of the latest failure of the link to an out-of-process control (naming the
// operation, the command and the bridge's last stderr line, never a credential), shown after the
// meaning of the link codes (data_control.h). Set by the control that met it; CP932.
void setLinkFailureDetail(std::string detail);

// What every message of a bet whose answer was lost says.
std::string betResultUnknownText();

}  // namespace vex

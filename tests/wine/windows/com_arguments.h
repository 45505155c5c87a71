#pragma once
// Arguments of IDispatch calls as the control's operations take them: texts are wide strings on
// the COM side and CP932 bytes on ours; out arguments come by reference, either typed (BSTR*,
// long*) or as a VARIANT* holding the value.
#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>

namespace vex::wine {

std::wstring wideOfCp932(const std::string& bytes);
void wideOfCp932(const std::string& bytes, std::wstring& out);  // into `out`, its buffer reused
std::string cp932OfWide(const wchar_t* text, int length);

// The value behind an argument (by reference or not), converted; nullopt when it cannot be.
std::optional<std::string> textArgument(const VARIANT& arg);
std::optional<long> numberArgument(const VARIANT& arg);

// Writes through a by-reference argument; false when it is not one of a fitting type.
bool setText(VARIANT& arg, const std::string& cp932);
bool setNumber(VARIANT& arg, long value);

}  // namespace vex::wine

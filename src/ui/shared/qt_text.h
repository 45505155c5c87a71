#pragma once
// The edge between the core's CP932 texts and Qt's QString.
#include <QString>
#include <string>

#include "vocabulary/cp932.h"

namespace vex::ui {

inline QString fromCp932(const std::string& cp932) { return QString::fromStdString(toUtf8(cp932)); }
inline std::string toCp932(const QString& text) { return vex::toCp932(text.toStdString()); }

}  // namespace vex::ui

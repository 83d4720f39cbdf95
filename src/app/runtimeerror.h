#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QMessageBox;

namespace app {

// "运行时出错!" and, where present, the code and the message, one per paragraph.
QString runtimeErrorText(std::int32_t code, const std::string &message);

// The error box: no owner, caption "错误", the error icon and one OK button.
std::unique_ptr<QMessageBox> runtimeErrorBox(std::int32_t code, const std::string &message);

// Suppresses every handler for good, shows the error box, and when it is closed ends the
// process with exit status -1 without running the clean-up routines.
[[noreturn]] void reportRuntimeError(std::int32_t code, const std::string &message);

} // namespace app

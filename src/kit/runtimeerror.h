#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kit {

// The one way a fatal fault is reported. The program installs its reporter at start-up; the
// reporter never returns (it ends the process, or in a test throws).
using RuntimeErrorReporter = std::function<void(std::int32_t code, const std::string &message)>;

void setRuntimeErrorReporter(RuntimeErrorReporter reporter);
[[noreturn]] void runtimeError(std::int32_t code, const std::string &message);

} // namespace kit

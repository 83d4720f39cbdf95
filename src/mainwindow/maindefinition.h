#pragma once

#include "kit/definition.h"

namespace mainwindow {

inline constexpr std::uint32_t WindowId = 0x52010001;
inline constexpr std::uint32_t WindowControlId = 0x06010000;

// Names of the handlers that the definition binds.
inline constexpr const char *OnWindowSizeChanged = "窗口_尺寸被改变";
inline constexpr const char *OnConfirmClicked = "按钮1_被单击";
inline constexpr const char *StartWindowMove = "startWindowMove";
inline constexpr const char *StartWindowResize = "startWindowResize";

// The program's one window, 窗口, with its nine controls.
const kit::Definition &definition();

} // namespace mainwindow

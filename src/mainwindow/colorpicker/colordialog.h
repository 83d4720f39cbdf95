#pragma once

// The colour dialog behind the palette's custom entry.

#include "kit/definition.h"

#include <optional>

class QWidget;

namespace colorpicker {

// Runs Qt's colour dialog modally over the application and returns the confirmed colour, or
// nothing when it is cancelled or cannot be shown. The initial colour is preselected when given.
// Its 16 custom colours start white in every run and live only as long as the process.
std::optional<kit::ColorValue> askColor(QWidget *parent, std::optional<kit::ColorValue> initial);

} // namespace colorpicker

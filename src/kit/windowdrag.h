#pragma once

#include <QWidget>

namespace kit {

enum class DragKind { Move, ResizeBottomRight };

// Starts the window system's interactive move, or resize from the bottom-right corner, of the
// top-level widget, driven by the left press in progress. Where the platform refuses, the window
// follows the pointer itself until the button is released. Returns at once in both cases.
void beginWindowDrag(QWidget *topLevel, DragKind kind);

// Whether a drag that follows the pointer in this process is in progress.
bool ownDragActive();

} // namespace kit

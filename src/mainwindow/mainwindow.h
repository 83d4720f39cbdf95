#pragma once

// The main window 窗口: its controls, and the four handlers bound to its events.

#include "kit/builder.h"
#include "kit/controls.h"
#include "mainwindow/maindefinition.h"

#include <functional>
#include <string>

namespace mainwindow {

// Every control of a built main window, by its name.
struct Controls {
    kit::Window &窗口;
    kit::ShapeBox &外形框1;
    kit::ShapeBox &外形框2;
    kit::TransLabel &透明标签1;
    kit::GroupBox &分组框1;
    kit::Label &标签1;
    kit::EditBox &编辑框1;
    kit::Button &按钮1;
    kit::ColorPicker &颜色选择器1;
    kit::PicBox &图片框1;

    // Throws std::logic_error when the window lacks one of them.
    static Controls of(kit::Window &window);
};

// Fits the display label to the window and sets its font size from the window's height.
void layoutDisplayLabel(kit::Window &window);

// The size-changed handler: surfaces to the window's size, the label, the grip into the corner.
void layoutWindow(kit::Window &window);

// How the confirm command takes its copy of the entered text; it throws std::bad_alloc when
// the memory cannot be had.
using TextCopier = std::function<std::string(const kit::EditBox &)>;

// The confirm command: the entered text and the picked colour go to the display label, which
// is shown while the input panel goes for good.
void confirm(kit::Window &window, const TextCopier &copyText = {});

void startWindowMove(kit::Window &window, const kit::EventArgs &args);
void startWindowResize(kit::Window &window, const kit::EventArgs &args);

kit::HandlerTable handlers();
// The control kinds the kit has no widget for: the colour picker.
kit::ControlFactories factories();

} // namespace mainwindow

#include "mainwindow.h"

#include "kit/geometry.h"
#include "kit/runtimeerror.h"
#include "mainwindow/colorpicker/colorpicker.h"

#include <new>
#include <stdexcept>

namespace mainwindow {

namespace {

template <class T> T &need(kit::Window &window, const char *name)
{
    if (T *c = window.get<T>(name))
        return *c;
    throw std::logic_error(std::string("the main window has no ") + name);
}

int windowWidth(kit::Window &w) { return w.width(); }
int windowHeight(kit::Window &w) { return w.height(); }

} // namespace

Controls Controls::of(kit::Window &window)
{
    return Controls{
        window,
        need<kit::ShapeBox>(window, "外形框1"),
        need<kit::ShapeBox>(window, "外形框2"),
        need<kit::TransLabel>(window, "透明标签1"),
        need<kit::GroupBox>(window, "分组框1"),
        need<kit::Label>(window, "标签1"),
        need<kit::EditBox>(window, "编辑框1"),
        need<kit::Button>(window, "按钮1"),
        need<kit::ColorPicker>(window, "颜色选择器1"),
        need<kit::PicBox>(window, "图片框1"),
    };
}

void layoutDisplayLabel(kit::Window &window)
{
    auto &label = need<kit::TransLabel>(window, "透明标签1");
    // Each step reads the window's size afresh.
    label.setWidth(windowWidth(window));
    label.setLeft(0);
    label.setHeight(kit::truncate(double(windowHeight(window)) - 50.0));
    label.setTop(40);
    label.setFontSize(kit::truncate(double(windowHeight(window)) - 100.0));
}

void layoutWindow(kit::Window &window)
{
    auto &shape1 = need<kit::ShapeBox>(window, "外形框1");
    auto &shape2 = need<kit::ShapeBox>(window, "外形框2");
    auto &grip = need<kit::PicBox>(window, "图片框1");
    shape1.setWidth(windowWidth(window));
    shape1.setHeight(windowHeight(window));
    shape2.setWidth(windowWidth(window));
    shape2.setHeight(windowHeight(window));
    layoutDisplayLabel(window);
    grip.setLeft(kit::truncate(double(windowWidth(window)) - 16.0));
    grip.setTop(kit::truncate(double(windowHeight(window)) - 16.0));
}

void confirm(kit::Window &window, const TextCopier &copyText)
{
    Controls c = Controls::of(window);
    c.透明标签1.setVisible(true);
    {
        std::string copy;
        try {
            copy = copyText ? copyText(c.编辑框1) : c.编辑框1.text();
        } catch (const std::bad_alloc &) {
            const std::size_t bytes = c.编辑框1.textBytes() + 1;
            kit::runtimeError(0, "分配 " + std::to_string(bytes) + " 字节内存失败!");
        }
        c.透明标签1.setText(copy);
    } // the copy is released here
    c.透明标签1.setTextColor(c.颜色选择器1.color());
    c.分组框1.setVisible(false);
    layoutDisplayLabel(window);
}

void startWindowMove(kit::Window &window, const kit::EventArgs &)
{
    window.sendMessage(kit::WM_NCLBUTTONDOWN, kit::HTCAPTION, 0);
}

void startWindowResize(kit::Window &window, const kit::EventArgs &)
{
    kit::sendMessageA(window.nativeHandle(), kit::WM_NCLBUTTONDOWN, kit::HTBOTTOMRIGHT, 0);
}

kit::HandlerTable handlers()
{
    return {
        {OnWindowSizeChanged, [](kit::Control &sender, const kit::EventArgs &) { layoutWindow(sender.window()); }},
        {OnConfirmClicked, [](kit::Control &sender, const kit::EventArgs &) { confirm(sender.window()); }},
        {StartWindowMove,
         [](kit::Control &sender, const kit::EventArgs &args) { startWindowMove(sender.window(), args); }},
        {StartWindowResize,
         [](kit::Control &sender, const kit::EventArgs &args) { startWindowResize(sender.window(), args); }},
    };
}

kit::ControlFactories factories() { return {{kit::Kind::ColorPicker, colorpicker::create}}; }

} // namespace mainwindow

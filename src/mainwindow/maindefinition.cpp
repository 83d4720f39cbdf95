#include "maindefinition.h"

#include "resources/resources.h"

namespace mainwindow {

using namespace kit;

namespace {

ControlDef control(std::string name, Kind kind, std::uint32_t id, std::string parent, int left, int top, int width,
                   int height, KindSettings settings)
{
    ControlDef c{};
    c.name = std::move(name);
    c.kind = kind;
    c.id = id;
    c.parent = std::move(parent);
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.settings = std::move(settings);
    return c;
}

Definition build()
{
    WindowDef w{};
    w.name = "窗口";
    w.id = WindowId;
    w.controlId = WindowControlId;
    w.title = "";
    w.left = 50;
    w.top = 50;
    w.width = 528;
    w.height = 166;
    w.centred = true;
    w.visible = true;
    w.background = DefaultColor;
    w.minimisable = true;
    w.maximisable = false;
    w.escCloses = true;
    w.enterMovesFocus = false;
    w.pointer = Pointer::Default;
    w.bindings = {{Event::SizeChanged, OnWindowSizeChanged}};

    const ShapeBoxSettings surface{}; // face colour, no line, no fill

    // Creation order.
    ControlDef shape1 = control("外形框1", Kind::ShapeBox, 0x1601001B, "窗口", 0, 0, 528, 224, surface);

    ControlDef shape2 = control("外形框2", Kind::ShapeBox, 0x1601001C, "外形框1", 0, 0, 528, 224, surface);
    shape2.pointer = Pointer::PointingHand;
    shape2.bindings = {{Event::LeftButtonPressed, StartWindowMove}};

    PicBoxSettings grip;
    grip.picture = resources::gripPicture();
    ControlDef grip1 = control("图片框1", Kind::PicBox, 0x1601001D, "外形框2", 512, 208, 16, 16, grip);
    grip1.pointer = Pointer::SizeDiagonal;
    grip1.bindings = {{Event::LeftButtonPressed, StartWindowResize}};

    GroupBoxSettings panel;
    panel.caption = "___编辑框内输入内容后点击确认即可";
    panel.captionColor = rgb(0, 0, 255);
    ControlDef group1 = control("分组框1", Kind::GroupBox, 0x16010021, "外形框2", 16, 24, 504, 120, panel);

    ControlDef picker1 = control("颜色选择器1", Kind::ColorPicker, 0x16010022, "分组框1", 232, 72, 56, 24,
                                 ColorPickerSettings{rgb(0, 0, 0), false});
    picker1.focusable = true;

    ControlDef button1 = control("按钮1", Kind::Button, 0x16010024, "分组框1", 301, 67, 144, 32, ButtonSettings{"确认"});
    button1.focusable = true;
    button1.bindings = {{Event::Clicked, OnConfirmClicked}};

    ControlDef edit1 = control("编辑框1", Kind::EditBox, 0x16010025, "分组框1", 16, 24, 464, 32, EditBoxSettings{});
    edit1.focusable = true;

    TransLabelSettings display;
    display.text = "透明标签";
    ControlDef label1 = control("透明标签1", Kind::TransLabel, 0x16010029, "外形框2", 120, 176, 80, 32, display);
    label1.visible = false;

    LabelSettings caption;
    caption.text = "字体颜色修改为：";
    ControlDef caption1 = control("标签1", Kind::Label, 0x16010030, "分组框1", 133, 68, 96, 32, caption);

    w.controls = {shape1, shape2, grip1, group1, picker1, button1, edit1, label1, caption1};
    w.stacking = {
        {"外形框2", {"透明标签1", "分组框1", "图片框1"}},
        {"分组框1", {"标签1", "编辑框1", "按钮1", "颜色选择器1"}},
    };

    Definition def;
    def.windows.push_back(std::move(w));
    return def;
}

} // namespace

const Definition &definition()
{
    static const Definition def = build();
    return def;
}

} // namespace mainwindow

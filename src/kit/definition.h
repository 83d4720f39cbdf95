#pragma once

// Window definitions as plain data: a window, its controls, their settings and the
// events bound to the program's handlers. Nothing here knows the toolkit that draws them.

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kit {

// 0x00BBGGRR; the top byte is 0 for an ordinary colour.
using ColorValue = std::uint32_t;

// As a background: the system's face colour. As a shape fill: no fill.
inline constexpr ColorValue DefaultColor = 0xFF000000u;

constexpr ColorValue rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return ColorValue(r) | (ColorValue(g) << 8) | (ColorValue(b) << 16);
}
constexpr std::uint8_t redOf(ColorValue c) { return c & 0xFF; }
constexpr std::uint8_t greenOf(ColorValue c) { return (c >> 8) & 0xFF; }
constexpr std::uint8_t blueOf(ColorValue c) { return (c >> 16) & 0xFF; }

enum class Kind { Window, ShapeBox, TransLabel, PicBox, EditBox, GroupBox, Label, Button, ColorPicker };

const char *kindName(Kind kind);

enum class Pointer { Default, Arrow, PointingHand, SizeDiagonal, TextCursor };

enum class Event {
    Created,
    Moved,
    SizeChanged,
    Clicked,
    LeftButtonPressed,
    DoubleClicked,
    ColorChanged,
};

enum class HAlign { Left, Centre, Right };
enum class VAlign { Top, Centre, Bottom };

struct ShapeBoxSettings {
    ColorValue background = DefaultColor;
    bool rectangle = true;
    bool flat = true;
    bool drawLine = false; // line style "none" when false
    int lineWidth = 0;
    ColorValue lineColor = 0x000000;
    ColorValue fillColor = DefaultColor;
};

struct TransLabelSettings {
    std::string text;
    ColorValue textColor = 0x000000;
    HAlign hAlign = HAlign::Centre;
    VAlign vAlign = VAlign::Centre;
    bool wordWrap = false;
};

struct PicBoxSettings {
    std::span<const unsigned char> picture; // PNG bytes
    ColorValue background = DefaultColor;
};

struct EditBoxSettings {
    std::string text;
    ColorValue textColor = 0x000000;
    ColorValue background = 0xFFFFFF;
};

struct GroupBoxSettings {
    std::string caption;
    ColorValue captionColor = 0x000000;
    ColorValue background = DefaultColor;
};

struct LabelSettings {
    std::string text;
    ColorValue textColor = 0x000000;
    ColorValue background = DefaultColor;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Centre;
    bool wordWrap = false;
};

struct ButtonSettings {
    std::string caption;
};

struct ColorPickerSettings {
    ColorValue color = 0x000000;
    bool offerTransparent = false;
};

using KindSettings = std::variant<ShapeBoxSettings, TransLabelSettings, PicBoxSettings, EditBoxSettings,
                                  GroupBoxSettings, LabelSettings, ButtonSettings, ColorPickerSettings>;

struct Binding {
    Event event;
    std::string handler; // a name in the handler table given to the builder
};

struct ControlDef {
    std::string name;
    Kind kind;
    std::uint32_t id;
    std::string parent; // a control's name, or the window's
    int left, top, width, height;
    bool visible = true;
    bool disabled = false;
    bool focusable = false;
    int focusOrder = 0;
    Pointer pointer = Pointer::Default;
    KindSettings settings;
    std::vector<Binding> bindings;
};

struct WindowDef {
    std::string name;
    std::uint32_t id;        // the window as a whole
    std::uint32_t controlId; // the window addressed like a control
    std::string title;
    int left, top, width, height;
    bool centred = true;
    bool visible = true;
    ColorValue background = DefaultColor;
    bool minimisable = true;
    bool maximisable = false;
    bool escCloses = true;
    bool enterMovesFocus = false;
    Pointer pointer = Pointer::Default;
    std::vector<Binding> bindings;
    // Creation order.
    std::vector<ControlDef> controls;
    // Per parent, its children from front to back.
    struct Stack {
        std::string parent;
        std::vector<std::string> frontToBack;
    };
    std::vector<Stack> stacking;
};

// All windows a program carries.
struct Definition {
    std::vector<WindowDef> windows;
};

// Names the first fault that makes the definition unusable, or returns an empty string.
// Checks what the builder relies on: unique names and identifiers, parents that exist and are
// created first, settings that match each kind, stacking lists that name each child once.
std::string checkDefinition(const Definition &def);

const WindowDef *findWindow(const Definition &def, std::uint32_t id);

} // namespace kit

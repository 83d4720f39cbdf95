#include "definition.h"

#include <set>

namespace kit {

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::Window: return "window";
    case Kind::ShapeBox: return "ShapeBox";
    case Kind::TransLabel: return "TransLabel";
    case Kind::PicBox: return "PicBox";
    case Kind::EditBox: return "EditBox";
    case Kind::GroupBox: return "GroupBox";
    case Kind::Label: return "Label";
    case Kind::Button: return "Button";
    case Kind::ColorPicker: return "ColorPicker";
    }
    return "?";
}

namespace {

// The settings alternative that belongs to each kind, in the order of KindSettings.
std::size_t settingsIndex(Kind kind) { return static_cast<std::size_t>(kind) - 1; }

std::string checkWindow(const WindowDef &w, std::set<std::uint32_t> &ids)
{
    if (w.name.empty())
        return "a window without a name";
    if (!ids.insert(w.id).second || !ids.insert(w.controlId).second)
        return "identifier of window " + w.name + " is not unique";

    std::set<std::string> created{w.name};
    std::set<std::string> names{w.name};
    for (const ControlDef &c : w.controls) {
        if (c.name.empty())
            return "a control without a name";
        if (c.kind == Kind::Window)
            return c.name + " is a window among the controls";
        if (!names.insert(c.name).second)
            return "control name " + c.name + " is not unique";
        if (!ids.insert(c.id).second)
            return "identifier of " + c.name + " is not unique";
        if (!created.count(c.parent))
            return "parent " + c.parent + " of " + c.name + " is not created before it";
        if (c.settings.index() != settingsIndex(c.kind))
            return "settings of " + c.name + " do not belong to kind " + kindName(c.kind);
        created.insert(c.name);
    }

    std::set<std::string> stacked;
    for (const WindowDef::Stack &s : w.stacking) {
        if (!created.count(s.parent))
            return "stacking names an unknown parent " + s.parent;
        for (const std::string &child : s.frontToBack) {
            const ControlDef *def = nullptr;
            for (const ControlDef &c : w.controls)
                if (c.name == child)
                    def = &c;
            if (!def || def->parent != s.parent)
                return "stacking of " + s.parent + " names " + child + ", which is not its child";
            if (!stacked.insert(child).second)
                return "stacking names " + child + " twice";
        }
    }
    return {};
}

} // namespace

std::string checkDefinition(const Definition &def)
{
    if (def.windows.empty())
        return "the definition holds no window";
    std::set<std::uint32_t> ids;
    for (const WindowDef &w : def.windows)
        if (std::string fault = checkWindow(w, ids); !fault.empty())
            return fault;
    return {};
}

const WindowDef *findWindow(const Definition &def, std::uint32_t id)
{
    for (const WindowDef &w : def.windows)
        if (w.id == id)
            return &w;
    return nullptr;
}

} // namespace kit

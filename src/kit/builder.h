#pragma once

#include "definition.h"
#include "events.h"
#include "window.h"

#include <functional>
#include <map>
#include <memory>

namespace kit {

using ControlFactory = std::function<std::unique_ptr<Control>(const ControlDef &, Window &, QWidget *parent)>;
using ControlFactories = std::map<Kind, ControlFactory>;

enum class LoadError { None, WindowMissing, CreationFailed };

struct LoadResult {
    std::unique_ptr<Window> window;
    LoadError error = LoadError::None;
    std::string detail; // what failed, for tests and diagnostics
};

// Builds a window from its definition: the window first, then its controls in creation order,
// each put into its parent at its stored left and top, siblings stacked, visibility applied,
// handlers bound; no handler runs meanwhile. Then raises created, moved and size-changed (each
// only while the window exists) and shows it, centred on the primary screen if so defined.
// Factories override or add the widget of a kind (the colour picker has none of its own).
class Builder {
public:
    Builder(const Definition &def, HandlerTable handlers, ControlFactories factories = {});
    LoadResult load(std::uint32_t windowId);

    // Where a window of this size is centred on a screen of that size.
    static QPoint centredPosition(QSize screen, QSize window);

private:
    std::unique_ptr<Control> create(const ControlDef &def, Window &window, QWidget *parent);

    const Definition &m_def;
    HandlerTable m_handlers;
    ControlFactories m_factories;
};

} // namespace kit

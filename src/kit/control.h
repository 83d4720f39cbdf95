#pragma once

#include "definition.h"
#include "events.h"

#include <QPointer>
#include <QWidget>

#include <map>
#include <vector>

namespace kit {

class Window;

// A control of a built window: the handle through which handlers read and write its settings.
// The Qt widget behind it belongs to the window's widget tree and goes with it.
class Control {
public:
    Control(const ControlDef &def, Window &window);
    Control(std::string name, std::uint32_t id, Kind kind, Window &window);
    virtual ~Control();
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    const std::string &name() const { return m_name; }
    std::uint32_t id() const { return m_id; }
    Kind kind() const { return m_kind; }
    Window &window() const { return m_window; }
    QWidget *widget() const { return m_widget; }

    int left() const;
    int top() const;
    int width() const;
    int height() const;
    // Writes are limited (see geometry.h) and take effect at once.
    virtual void setLeft(int v);
    virtual void setTop(int v);
    virtual void setWidth(int v);
    virtual void setHeight(int v);

    bool isVisible() const;
    void setVisible(bool visible);

    // Whether a press inside the rectangle stops at this control. A group box lets presses
    // through to what lies beneath it; every other kind keeps them.
    virtual bool takesPresses() const { return true; }

    void bind(Event event, Handler handler);
    bool isBound(Event event) const { return m_handlers.count(event) != 0; }
    // Runs the handler bound to the event, unless events are suppressed or the window is gone.
    void raise(Event event, const EventArgs &args = {});

    Control *parent() const { return m_parent; }
    // Front to back.
    const std::vector<Control *> &children() const { return m_children; }

protected:
    void setWidget(QWidget *widget) { m_widget = widget; }

private:
    friend class Window;
    friend class Builder;

    std::string m_name;
    std::uint32_t m_id;
    Kind m_kind;
    Window &m_window;
    QPointer<QWidget> m_widget;
    Control *m_parent = nullptr;
    std::vector<Control *> m_children;
    std::map<Event, Handler> m_handlers;
};

} // namespace kit

#include "control.h"

#include "geometry.h"
#include "window.h"

namespace kit {

Control::Control(const ControlDef &def, Window &window)
    : Control(def.name, def.id, def.kind, window)
{
}

Control::Control(std::string name, std::uint32_t id, Kind kind, Window &window)
    : m_name(std::move(name))
    , m_id(id)
    , m_kind(kind)
    , m_window(window)
{
}

Control::~Control() = default;

int Control::left() const { return m_widget ? m_widget->x() : 0; }
int Control::top() const { return m_widget ? m_widget->y() : 0; }
int Control::width() const { return m_widget ? m_widget->width() : 0; }
int Control::height() const { return m_widget ? m_widget->height() : 0; }

void Control::setLeft(int v)
{
    if (m_widget)
        m_widget->move(limitPosition(v), m_widget->y());
}

void Control::setTop(int v)
{
    if (m_widget)
        m_widget->move(m_widget->x(), limitPosition(v));
}

void Control::setWidth(int v)
{
    if (m_widget)
        m_widget->resize(limitExtent(v), m_widget->height());
}

void Control::setHeight(int v)
{
    if (m_widget)
        m_widget->resize(m_widget->width(), limitExtent(v));
}

bool Control::isVisible() const { return m_widget && !m_widget->isHidden(); }

void Control::setVisible(bool visible)
{
    if (m_widget)
        m_widget->setVisible(visible);
}

void Control::bind(Event event, Handler handler) { m_handlers[event] = std::move(handler); }

void Control::raise(Event event, const EventArgs &args)
{
    if (!EventGate::open() || !m_window.exists())
        return;
    auto it = m_handlers.find(event);
    if (it != m_handlers.end() && it->second)
        it->second(*this, args);
}

} // namespace kit

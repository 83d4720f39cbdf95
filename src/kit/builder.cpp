#include "builder.h"

#include "controls.h"
#include "geometry.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <stdexcept>

namespace kit {

namespace {

Qt::CursorShape cursorShape(Pointer pointer, Kind kind)
{
    switch (pointer) {
    case Pointer::Arrow: return Qt::ArrowCursor;
    case Pointer::PointingHand: return Qt::PointingHandCursor;
    case Pointer::SizeDiagonal: return Qt::SizeFDiagCursor;
    case Pointer::TextCursor: return Qt::IBeamCursor;
    case Pointer::Default: break;
    }
    return kind == Kind::EditBox ? Qt::IBeamCursor : Qt::ArrowCursor;
}

template <class T> ControlFactory factoryOf()
{
    return [](const ControlDef &def, Window &window, QWidget *parent) -> std::unique_ptr<Control> {
        return std::make_unique<T>(def, window, parent);
    };
}

} // namespace

Builder::Builder(const Definition &def, HandlerTable handlers, ControlFactories factories)
    : m_def(def)
    , m_handlers(std::move(handlers))
    , m_factories{
          {Kind::ShapeBox, factoryOf<ShapeBox>()}, {Kind::TransLabel, factoryOf<TransLabel>()},
          {Kind::PicBox, factoryOf<PicBox>()},     {Kind::EditBox, factoryOf<EditBox>()},
          {Kind::GroupBox, factoryOf<GroupBox>()}, {Kind::Label, factoryOf<Label>()},
          {Kind::Button, factoryOf<Button>()},
      }
{
    for (auto &[kind, factory] : factories)
        m_factories[kind] = std::move(factory);
}

QPoint Builder::centredPosition(QSize screen, QSize window)
{
    // Integer division truncates toward zero, also for a screen smaller than the window.
    return QPoint((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2);
}

std::unique_ptr<Control> Builder::create(const ControlDef &def, Window &window, QWidget *parent)
{
    auto it = m_factories.find(def.kind);
    if (it == m_factories.end() || !it->second)
        throw std::runtime_error(std::string("no control of kind ") + kindName(def.kind));
    std::unique_ptr<Control> control = it->second(def, window, parent);
    if (!control || !control->widget())
        throw std::runtime_error(def.name + " was not created");
    return control;
}

LoadResult Builder::load(std::uint32_t windowId)
{
    LoadResult result;
    const WindowDef *def = findWindow(m_def, windowId);
    if (!def) {
        result.error = LoadError::WindowMissing;
        result.detail = "no window with that identifier";
        return result;
    }

    // Nothing of the program runs while the window is being put together.
    EventGate::raise();
    auto window = std::make_unique<Window>(*def);
    try {
        QWidget *top = window->widget();
        std::map<std::string, Control *> byName{{def->name, window.get()}};
        for (const ControlDef &c : def->controls) {
            std::unique_ptr<Control> control = create(c, *window, top);
            QWidget *w = control->widget();
            w->setGeometry(limitPosition(c.left), limitPosition(c.top), limitExtent(c.width), limitExtent(c.height));
            w->setEnabled(!c.disabled);
            w->setFocusPolicy(c.focusable ? Qt::StrongFocus : Qt::NoFocus);
            if (c.kind != Kind::GroupBox)
                w->setCursor(cursorShape(c.pointer, c.kind));
            for (const Binding &b : c.bindings) {
                auto h = m_handlers.find(b.handler);
                if (h == m_handlers.end())
                    throw std::runtime_error("no handler " + b.handler);
                control->bind(b.event, h->second);
            }
            byName[c.name] = control.get();
            window->adopt(std::move(control), c.focusable, c.focusOrder);
        }
        for (const Binding &b : def->bindings) {
            auto h = m_handlers.find(b.handler);
            if (h == m_handlers.end())
                throw std::runtime_error("no handler " + b.handler);
            window->bind(b.event, h->second);
        }
        top->setCursor(cursorShape(def->pointer, Kind::Window));

        // Into the parents, keeping the stored left and top.
        for (const ControlDef &c : def->controls) {
            Control *control = byName.at(c.name);
            Control *parent = byName.at(c.parent);
            QWidget *w = control->widget();
            const QPoint pos = w->pos();
            w->setParent(parent->widget());
            w->move(pos);
            control->m_parent = parent;
        }
        // Stacking: the listed order front to back; unlisted children lie beneath, later ones higher.
        for (const ControlDef &c : def->controls) {
            Control *control = byName.at(c.name);
            const WindowDef::Stack *stack = nullptr;
            for (const auto &s : def->stacking)
                if (s.parent == c.parent)
                    stack = &s;
            if (!stack || std::find(stack->frontToBack.begin(), stack->frontToBack.end(), c.name) == stack->frontToBack.end())
                control->m_parent->m_children.insert(control->m_parent->m_children.begin(), control);
        }
        for (const auto &s : def->stacking) {
            Control *parent = byName.at(s.parent);
            std::vector<Control *> front;
            for (const std::string &name : s.frontToBack)
                front.push_back(byName.at(name));
            parent->m_children.insert(parent->m_children.begin(), front.begin(), front.end());
        }
        for (auto &[name, control] : byName) {
            const auto &kids = control->m_children;
            for (auto it = kids.rbegin(); it != kids.rend(); ++it)
                (*it)->widget()->raise();
        }
        for (const ControlDef &c : def->controls)
            byName.at(c.name)->widget()->setVisible(c.visible);

        // Tab walks the focus cycle; everything else takes no focus.
        const auto cycle = window->focusCycle();
        for (std::size_t i = 0; i + 1 < cycle.size(); ++i)
            QWidget::setTabOrder(cycle[i]->widget(), cycle[i + 1]->widget());

        // The window keeps its size however the platform set it up.
        top->resize(std::max(1, limitExtent(def->width)), std::max(1, limitExtent(def->height)));
        if (def->centred) {
            const QScreen *screen = QGuiApplication::primaryScreen();
            const QRect full = screen ? screen->geometry() : QRect();
            top->move(full.topLeft() + centredPosition(full.size(), top->size()));
        }
    } catch (const std::exception &e) {
        EventGate::lower();
        result.error = LoadError::CreationFailed;
        result.detail = e.what();
        return result;
    }
    EventGate::lower();

    // The load-time events, before the window is first shown.
    QPointer<QWidget> top = window->widget();
    for (Event e : {Event::Created, Event::Moved, Event::SizeChanged})
        if (top)
            window->raise(e);
    if (top && def->visible) {
        top->show();
        top->activateWindow();
    }
    result.window = std::move(window);
    return result;
}

} // namespace kit

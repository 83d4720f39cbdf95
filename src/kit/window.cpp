#include "window.h"

#include "controls.h"
#include "geometry.h"
#include "windowdrag.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

#include <algorithm>

namespace kit {

// The top-level widget: turns the window system's notifications into the window's events and
// owns the keys that belong to the window as a whole.
class WindowWidget : public QWidget {
public:
    WindowWidget(Window &window, const WindowDef &def)
        : m_window(window)
        , m_escCloses(def.escCloses)
    {
        Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
        if (def.minimisable)
            flags |= Qt::WindowMinimizeButtonHint;
        if (def.maximisable)
            flags |= Qt::WindowMaximizeButtonHint;
        setWindowFlags(flags);
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QString::fromUtf8(def.title.data(), qsizetype(def.title.size())));
        QPalette p = palette();
        p.setColor(QPalette::Window, toQColor(def.background));
        setPalette(p);
        setAutoFillBackground(true);
    }

protected:
    void resizeEvent(QResizeEvent *) override { m_window.raise(Event::SizeChanged); }
    void moveEvent(QMoveEvent *) override { m_window.raise(Event::Moved); }

    void keyPressEvent(QKeyEvent *e) override
    {
        if (m_escCloses && e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        e->ignore();
    }

    bool event(QEvent *e) override
    {
        // The first time the window gets the focus it goes to the first control of the cycle;
        // later activations give it back to the control that last held it (Qt keeps that).
        if (e->type() == QEvent::WindowActivate && !focusWidget()) {
            const auto cycle = m_window.focusCycle();
            if (!cycle.empty())
                cycle.front()->widget()->setFocus(Qt::ActiveWindowFocusReason);
        }
        return QWidget::event(e);
    }

private:
    Window &m_window;
    bool m_escCloses;
};

// Sends each press to the control that the kit's own hit test names, and raises the control's
// press events before the control receives the press. A group box lets presses through to
// whatever lies beneath it, while its children keep theirs; Qt cannot express that alone.
class PressRouter : public QObject {
public:
    explicit PressRouter(Window &window)
        : QObject(window.widget())
        , m_window(window)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *obj, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove
            && type != QEvent::MouseButtonRelease)
            return false;
        if (m_delivering || !obj->isWidgetType() || ownDragActive())
            return false;
        auto *receiver = static_cast<QWidget *>(obj);
        QWidget *top = m_window.widget();
        if (!top || receiver->window() != top)
            return false;
        auto *me = static_cast<QMouseEvent *>(event);
        const QPoint global = me->globalPosition().toPoint();

        if (type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) {
            if (m_redirect && m_redirectFrom == receiver) {
                if (type == QEvent::MouseButtonRelease && me->buttons() == Qt::NoButton) {
                    QPointer<QWidget> target = m_redirect;
                    m_redirect = nullptr;
                    return deliver(target, me);
                }
                return deliver(m_redirect, me);
            }
            if (type == QEvent::MouseMove && me->buttons() == Qt::NoButton)
                followPointer(receiver, global);
            return false;
        }

        Control *target = m_window.controlAt(top->mapFromGlobal(global));
        if (!target || !target->widget())
            return false;
        const bool redirected = ownerOf(receiver) != target;
        // Qt pairs the presses of a double-click only for the widget it delivered them to, so
        // for presses passed through a group box the pairing is done here.
        QEvent::Type kind = type;
        if (redirected && type == QEvent::MouseButtonPress) {
            if (isSecondPress(target, me))
                kind = QEvent::MouseButtonDblClick;
            else
                m_lastPress = {target->widget(), me->button(), me->timestamp(), global};
        }
        if (me->button() == Qt::LeftButton) {
            const QPoint local = target->widget()->mapFromGlobal(global);
            EventArgs args;
            args.x = std::uint16_t(local.x());
            args.y = std::uint16_t(local.y());
            const Qt::KeyboardModifiers mods = me->modifiers();
            args.keys = (mods & Qt::ControlModifier ? KeyCtrl : 0) | (mods & Qt::ShiftModifier ? KeyShift : 0)
                | (mods & Qt::AltModifier ? KeyAlt : 0);
            QPointer<QWidget> guard = target->widget();
            target->raise(kind == QEvent::MouseButtonDblClick ? Event::DoubleClicked : Event::LeftButtonPressed, args);
            if (!guard || !m_window.exists())
                return true;
        }
        if (!redirected)
            return false;
        m_redirect = target->widget();
        m_redirectFrom = receiver;
        return deliver(m_redirect, me, kind);
    }

private:
    // The control whose widget is this one or holds it (a control's widget may have parts).
    Control *ownerOf(QWidget *w) const
    {
        for (; w; w = w->parentWidget())
            for (Control *c : m_controls())
                if (c->widget() == w)
                    return c;
        return nullptr;
    }

    std::vector<Control *> m_controls() const
    {
        std::vector<Control *> all{&m_window};
        for (const auto &e : m_window.m_controls)
            all.push_back(e.control.get());
        return all;
    }

    bool isSecondPress(Control *target, const QMouseEvent *me)
    {
        const QStyleHints *hints = QGuiApplication::styleHints();
        const bool second = m_lastPress.widget == target->widget() && m_lastPress.button == me->button()
            && me->timestamp() - m_lastPress.time < ulong(hints->mouseDoubleClickInterval())
            && (me->globalPosition().toPoint() - m_lastPress.pos).manhattanLength() <= hints->mouseDoubleClickDistance();
        if (second)
            m_lastPress = {};
        return second;
    }

    bool deliver(QWidget *target, QMouseEvent *original, QEvent::Type type = QEvent::None)
    {
        if (!target)
            return true;
        const QPointF global = original->globalPosition();
        QMouseEvent copy(type == QEvent::None ? original->type() : type, target->mapFromGlobal(global), global, original->button(),
                         original->buttons(), original->modifiers(), original->pointingDevice());
        m_delivering = true;
        QApplication::sendEvent(target, &copy);
        m_delivering = false;
        return true;
    }

    // Over a group box the pointer is that of the control beneath it.
    void followPointer(QWidget *receiver, QPoint global)
    {
        Control *owner = ownerOf(receiver);
        if (!owner || owner->takesPresses() || owner->widget() != receiver)
            return;
        Control *beneath = m_window.controlAt(m_window.widget()->mapFromGlobal(global));
        if (beneath && beneath != owner && beneath->widget())
            receiver->setCursor(beneath->widget()->cursor());
    }

    Window &m_window;
    bool m_delivering = false;
    QPointer<QWidget> m_redirect;
    QPointer<QWidget> m_redirectFrom;
    struct {
        QPointer<QWidget> widget;
        Qt::MouseButton button = Qt::NoButton;
        ulong time = 0;
        QPoint pos;
    } m_lastPress;
};

namespace {
std::vector<Window *> &windows()
{
    static std::vector<Window *> list;
    return list;
}
} // namespace

Window::Window(const WindowDef &def)
    : Control(def.name, def.controlId, Kind::Window, *this)
    , m_windowId(def.id)
    , m_escCloses(def.escCloses)
{
    auto *top = new WindowWidget(*this, def);
    top->resize(limitExtent(def.width), limitExtent(def.height));
    top->move(limitPosition(def.left), limitPosition(def.top));
    setWidget(top);
    QObject::connect(top, &QObject::destroyed, [this] { widgetDestroyed(); });
    m_router = new PressRouter(*this);
    windows().push_back(this);
}

Window::~Window()
{
    std::erase(windows(), this);
    if (QWidget *top = widget()) {
        QObject::disconnect(top, &QObject::destroyed, nullptr, nullptr);
        delete top;
    }
}

void Window::widgetDestroyed()
{
    std::erase(windows(), this);
    if (onDestroyed)
        onDestroyed();
}

Control *Window::find(const std::string &name) const
{
    if (name == this->name())
        return const_cast<Window *>(this);
    for (const auto &e : m_controls)
        if (e.control->name() == name)
            return e.control.get();
    return nullptr;
}

Control *Window::find(std::uint32_t id) const
{
    if (id == m_windowId || id == this->id())
        return const_cast<Window *>(this);
    for (const auto &e : m_controls)
        if (e.control->id() == id)
            return e.control.get();
    return nullptr;
}

void Window::setLeft(int v)
{
    if (QWidget *w = widget())
        w->move(limitPosition(v), w->y());
}

void Window::setTop(int v)
{
    if (QWidget *w = widget())
        w->move(w->x(), limitPosition(v));
}

void Window::setWidth(int v)
{
    if (QWidget *w = widget())
        w->resize(std::max(1, limitExtent(v)), w->height());
}

void Window::setHeight(int v)
{
    if (QWidget *w = widget())
        w->resize(w->width(), std::max(1, limitExtent(v)));
}

void Window::close()
{
    if (QWidget *w = widget())
        w->close();
}

NativeHandle Window::nativeHandle() const
{
    QWidget *w = widget();
    return w ? NativeHandle(w->winId()) : 0;
}

std::int32_t Window::sendMessage(std::uint32_t message, std::int32_t wParam, std::int32_t)
{
    if (message != WM_NCLBUTTONDOWN || !widget())
        return 0;
    if (wParam == HTCAPTION)
        beginWindowDrag(widget(), DragKind::Move);
    else if (wParam == HTBOTTOMRIGHT)
        beginWindowDrag(widget(), DragKind::ResizeBottomRight);
    return 0;
}

Window *Window::fromNativeHandle(NativeHandle handle)
{
    for (Window *w : windows())
        if (w->widget() && NativeHandle(w->widget()->winId()) == handle)
            return w;
    return nullptr;
}

std::vector<Control *> Window::focusCycle() const
{
    std::vector<const Entry *> entries;
    for (const auto &e : m_controls) {
        QWidget *w = e.control->widget();
        if (e.focusable && w && w->isVisibleTo(widget()) && w->isEnabled())
            entries.push_back(&e);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry *a, const Entry *b) { return a->focusOrder < b->focusOrder; });
    std::vector<Control *> cycle;
    for (const Entry *e : entries)
        cycle.push_back(e->control.get());
    return cycle;
}

Control *Window::controlAt(QPoint pos) const
{
    if (Control *c = controlAt(*this, pos))
        return c;
    return const_cast<Window *>(this);
}

Control *Window::controlAt(const Control &parent, QPoint posInParent) const
{
    for (Control *child : parent.children()) {
        QWidget *w = child->widget();
        if (!w || w->isHidden() || !w->geometry().contains(posInParent))
            continue;
        if (Control *inner = controlAt(*child, posInParent - w->pos()))
            return inner;
        if (child->takesPresses())
            return child;
    }
    return nullptr;
}

void Window::adopt(std::unique_ptr<Control> control, bool focusable, int focusOrder)
{
    m_controls.push_back({std::move(control), focusable, focusOrder});
}

std::int32_t sendMessageA(NativeHandle handle, std::uint32_t message, std::int32_t wParam, std::int32_t lParam)
{
    Window *w = Window::fromNativeHandle(handle);
    return w ? w->sendMessage(message, wParam, lParam) : 0;
}

} // namespace kit

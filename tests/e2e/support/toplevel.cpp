#include "toplevel.h"

#include <QElapsedTimer>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace e2e {

namespace {

// Ignores the BadWindow of a window that went away between listing it and asking about it.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

struct ErrorTrap {
    ErrorTrap() : previous(XSetErrorHandler(ignoreErrors)) {}
    ~ErrorTrap() { XSetErrorHandler(previous); }
    int (*previous)(Display *, XErrorEvent *);
};

struct Property {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned char *data = nullptr;
    ~Property()
    {
        if (data)
            XFree(data);
    }
};

bool readProperty(Display *d, Window w, Atom property, Atom type, Property &out)
{
    ErrorTrap trap;
    unsigned long after = 0;
    const int status = XGetWindowProperty(d, w, property, 0, 65536, False, type, &out.type, &out.format,
                                          &out.count, &after, &out.data);
    return status == Success && out.type != 0 && out.data;
}

void sendRootMessage(const XConnection &x, Window w, const char *type, long l0, long l1)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = x.atom(type);
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    XSendEvent(x.display(), x.root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    x.sync();
}

} // namespace

// Without a window manager the top-level windows are the root's children; pop-ups (override
// redirect) are not counted, as a window manager would not list them either.
std::vector<TopLevel> TopLevel::unmanagedOfProcess(const XConnection &x, qint64 pid)
{
    std::vector<TopLevel> result;
    ErrorTrap trap;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(x.display(), x.root(), &root, &parent, &children, &count))
        return result;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(x.display(), children[i], &a) || a.override_redirect)
            continue;
        TopLevel w(x, children[i]);
        if (w.pid() == pid)
            result.push_back(w);
    }
    if (children)
        XFree(children);
    return result;
}

std::vector<TopLevel> TopLevel::ofProcess(const XConnection &x, qint64 pid)
{
    std::vector<TopLevel> result;
    Property list;
    if (!readProperty(x.display(), x.root(), x.atom("_NET_CLIENT_LIST"), XA_WINDOW, list)) {
        if (!x.hasWindowManager())
            result = unmanagedOfProcess(x, pid);
        return result;
    }
    const auto *ids = reinterpret_cast<const unsigned long *>(list.data);
    for (unsigned long i = 0; i < list.count; ++i) {
        TopLevel w(x, ids[i]);
        if (w.pid() == pid)
            result.push_back(w);
    }
    return result;
}

std::optional<TopLevel> TopLevel::waitFor(const XConnection &x, qint64 pid, int timeoutMs,
                                          const std::function<bool(const TopLevel &)> &accept)
{
    QElapsedTimer timer;
    timer.start();
    do {
        for (const TopLevel &w : ofProcess(x, pid))
            if (w.isViewable() && (!accept || accept(w)))
                return w;
        QTest::qWait(20);
    } while (timer.elapsed() < timeoutMs);
    return std::nullopt;
}

bool TopLevel::exists() const
{
    ErrorTrap trap;
    XWindowAttributes a;
    return XGetWindowAttributes(m_x->display(), m_id, &a) != 0;
}

bool TopLevel::isViewable() const
{
    ErrorTrap trap;
    XWindowAttributes a;
    return XGetWindowAttributes(m_x->display(), m_id, &a) != 0 && a.map_state == IsViewable;
}

bool TopLevel::hasInputFocus() const
{
    return m_x->inputFocus() == m_id;
}

QRect TopLevel::geometry() const
{
    ErrorTrap trap;
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_x->display(), m_id, &a))
        return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(m_x->display(), m_id, m_x->root(), 0, 0, &x, &y, &child);
    return {x, y, a.width, a.height};
}

WindowId TopLevel::frame() const
{
    ErrorTrap trap;
    Window w = m_id;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_x->display(), w, &root, &parent, &children, &count))
            return w;
        if (children)
            XFree(children);
        if (parent == 0 || parent == root)
            return w;
        w = parent;
    }
}

QRect TopLevel::frameGeometry() const
{
    return TopLevel(*m_x, frame()).geometry();
}

std::optional<QMargins> TopLevel::frameExtents() const
{
    const std::vector<unsigned long> e = cardinals("_NET_FRAME_EXTENTS", "CARDINAL");
    if (e.size() != 4)
        return std::nullopt;
    // left, right, top, bottom
    return QMargins(int(e[0]), int(e[2]), int(e[1]), int(e[3]));
}

std::optional<qint64> TopLevel::pid() const
{
    const std::vector<unsigned long> p = cardinals("_NET_WM_PID", "CARDINAL");
    if (p.size() != 1)
        return std::nullopt;
    return qint64(p[0]);
}

QString TopLevel::wmName() const
{
    Property p;
    if (!readProperty(m_x->display(), m_id, XA_WM_NAME, AnyPropertyType, p) || p.format != 8)
        return {};
    const auto *bytes = reinterpret_cast<const char *>(p.data);
    if (p.type == m_x->atom("UTF8_STRING"))
        return QString::fromUtf8(bytes, qsizetype(p.count));
    if (p.type == XA_STRING)
        return QString::fromLatin1(bytes, qsizetype(p.count));
    // COMPOUND_TEXT and the like: let Xlib convert.
    XTextProperty text{p.data, p.type, p.format, p.count};
    char **list = nullptr;
    int n = 0;
    QString result;
    if (Xutf8TextPropertyToTextList(m_x->display(), &text, &list, &n) >= Success && n > 0)
        result = QString::fromUtf8(list[0]);
    if (list)
        XFreeStringList(list);
    return result;
}

std::optional<QString> TopLevel::netWmNameIfSet() const
{
    // Xlib hands out a buffer even for an empty property, so set-but-empty reads as "".
    Property p;
    if (!readProperty(m_x->display(), m_id, m_x->atom("_NET_WM_NAME"), m_x->atom("UTF8_STRING"), p))
        return std::nullopt;
    return QString::fromUtf8(reinterpret_cast<const char *>(p.data), qsizetype(p.count));
}

QString TopLevel::netWmName() const
{
    return netWmNameIfSet().value_or(QString());
}

QStringList TopLevel::wmClass() const
{
    Property p;
    if (!readProperty(m_x->display(), m_id, XA_WM_CLASS, XA_STRING, p))
        return {};
    QStringList parts = QString::fromLatin1(reinterpret_cast<const char *>(p.data), qsizetype(p.count))
                            .split(QLatin1Char('\0'));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts;
}

QStringList TopLevel::windowTypes() const
{
    return atomNames("_NET_WM_WINDOW_TYPE");
}

QStringList TopLevel::states() const
{
    return atomNames("_NET_WM_STATE");
}

QStringList TopLevel::allowedActions() const
{
    return atomNames("_NET_WM_ALLOWED_ACTIONS");
}

WindowId TopLevel::transientFor() const
{
    ErrorTrap trap;
    Window owner = 0;
    return XGetTransientForHint(m_x->display(), m_id, &owner) ? owner : 0;
}

std::optional<WmHints> TopLevel::wmHints() const
{
    ErrorTrap trap;
    XWMHints *h = XGetWMHints(m_x->display(), m_id);
    if (!h)
        return std::nullopt;
    WmHints result;
    result.hasInput = h->flags & InputHint;
    result.input = h->input;
    result.hasInitialState = h->flags & StateHint;
    result.initialState = h->initial_state;
    XFree(h);
    return result;
}

std::optional<MotifHints> TopLevel::motifHints() const
{
    Property p;
    const Atom motif = m_x->atom("_MOTIF_WM_HINTS");
    if (!readProperty(m_x->display(), m_id, motif, motif, p) || p.format != 32 || p.count < 3)
        return std::nullopt;
    const auto *v = reinterpret_cast<const unsigned long *>(p.data);
    return MotifHints{v[0], v[1], v[2]};
}

QImage TopLevel::grab() const
{
    return m_x->grab(geometry());
}

void TopLevel::requestClose() const
{
    // Source indication 2: a pager or taskbar, acting for the user.
    sendRootMessage(*m_x, m_id, "_NET_CLOSE_WINDOW", CurrentTime, 2);
}

void TopLevel::requestActivate() const
{
    sendRootMessage(*m_x, m_id, "_NET_ACTIVE_WINDOW", 2, CurrentTime);
}

std::vector<QSize> TopLevel::iconSizes() const
{
    // Each image is its width, its height, then width x height pixels.
    const std::vector<unsigned long> data = cardinals("_NET_WM_ICON", "CARDINAL");
    std::vector<QSize> sizes;
    std::size_t at = 0;
    while (at + 2 <= data.size()) {
        const unsigned long w = data[at], h = data[at + 1];
        if (w == 0 || h == 0 || w * h > data.size() - at - 2)
            break;
        sizes.emplace_back(int(w), int(h));
        at += 2 + w * h;
    }
    return sizes;
}

std::vector<unsigned long> TopLevel::cardinals(const char *property, const char *type) const
{
    Property p;
    if (!readProperty(m_x->display(), m_id, m_x->atom(property), m_x->atom(type), p) || p.format != 32)
        return {};
    const auto *v = reinterpret_cast<const unsigned long *>(p.data);
    return {v, v + p.count};
}

QStringList TopLevel::atomNames(const char *property) const
{
    QStringList names;
    Property p;
    if (!readProperty(m_x->display(), m_id, m_x->atom(property), XA_ATOM, p) || p.format != 32)
        return names;
    const auto *atoms = reinterpret_cast<const Atom *>(p.data);
    for (unsigned long i = 0; i < p.count; ++i)
        names << m_x->atomName(atoms[i]);
    return names;
}

} // namespace e2e

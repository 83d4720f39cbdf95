#pragma once

#include <QImage>
#include <QRect>
#include <QString>

struct _XDisplay;

namespace e2e {

// An X window or atom, as Xlib names them, without pulling Xlib's macros into every test.
using WindowId = unsigned long;
using AtomId = unsigned long;

// A connection to the X server named by DISPLAY, the one the program under test runs on.
class XConnection {
public:
    XConnection();
    // A connection to the named display (":N") instead.
    explicit XConnection(const QByteArray &displayName);
    ~XConnection();
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;

    bool isOpen() const { return m_display != nullptr; }
    _XDisplay *display() const { return m_display; }
    WindowId root() const;
    QSize screenSize() const;

    AtomId atom(const char *name) const;
    QString atomName(AtomId atom) const;

    // Sends what is queued and waits until the server has handled it.
    void sync() const;

    // What the screen shows in this area of the root window, opaque.
    QImage grab(const QRect &area) const;

    // A window manager that follows the EWMH has announced itself on the root window.
    bool hasWindowManager() const;

    // The window that has the keyboard focus, or 0.
    WindowId inputFocus() const;

private:
    _XDisplay *m_display = nullptr;
};

} // namespace e2e

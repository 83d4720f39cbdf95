#pragma once

#include "xconnection.h"

#include <QPoint>

namespace e2e {

// Real input through the XTest extension: it reaches the program exactly as a user's would,
// through the X server and the window manager.
class XInput {
public:
    explicit XInput(const XConnection &x);

    bool isAvailable() const { return m_available; }

    void movePointer(QPoint rootPosition);
    void pressButton(int button = 1);
    void releaseButton(int button = 1);
    // Moves there, then presses and releases with the modifiers held.
    void click(QPoint rootPosition, Qt::KeyboardModifiers modifiers = {}, int button = 1);

    void holdModifiers(Qt::KeyboardModifiers modifiers);
    void releaseModifiers(Qt::KeyboardModifiers modifiers);
    // A key by its keysym name ("Escape", "Tab", "Return", "space", "a").
    void tapKey(const char *keysymName, Qt::KeyboardModifiers modifiers = {});

    // Types any text, non-ASCII included, into the window that has the focus (with xdotool).
    static bool typeText(const QString &text);

private:
    void key(const char *keysymName, bool down);

    const XConnection &m_x;
    bool m_available = false;
};

} // namespace e2e

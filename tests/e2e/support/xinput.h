#pragma once

#include "xconnection.h"

#include <QPoint>
#include <QString>

#include <vector>

namespace e2e {

// Real input through the XTest extension: it reaches the program exactly as a user's would,
// through the X server and the window manager.
class XInput {
public:
    explicit XInput(const XConnection &x);
    ~XInput();
    XInput(const XInput &) = delete;
    XInput &operator=(const XInput &) = delete;

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

    // Waits until no client holds the pointer grabbed: the window manager's interactive move or
    // resize, or the program's own, is over. Input sent earlier could still reach the grabber.
    bool waitUntilPointerFree(int timeoutMs = 3000);

    // Gives each character of the text that no key types yet a spare key of its own, for as long
    // as the object lives. typeText() then uses that key instead of changing the keyboard mapping
    // for every character, which a program that is slow to read the change can miss. Add them
    // before the program starts. Returns false when there are not enough spare keys.
    bool addKeysFor(const QString &text);

    // Types any text, non-ASCII included, into the window that has the focus (with xdotool).
    static bool typeText(const QString &text);

private:
    void key(const char *keysymName, bool down);

    const XConnection &m_x;
    bool m_available = false;
    std::vector<unsigned char> m_addedKeys;
};

// Why this X server cannot run the end-to-end tests (DISPLAY unset, no connection, no XTest where
// input is given, no window manager), or an empty string when it can.
QString endToEndProblem(const XConnection &x, const XInput *input = nullptr);

} // namespace e2e

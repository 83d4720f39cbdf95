#include "xinput.h"

#include <QProcess>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace e2e {

XInput::XInput(const XConnection &x)
    : m_x(x)
{
    int event = 0, error = 0, major = 0, minor = 0;
    m_available = x.isOpen() && XTestQueryExtension(x.display(), &event, &error, &major, &minor);
}

void XInput::movePointer(QPoint rootPosition)
{
    XTestFakeMotionEvent(m_x.display(), DefaultScreen(m_x.display()), rootPosition.x(), rootPosition.y(), CurrentTime);
    m_x.sync();
}

void XInput::pressButton(int button)
{
    XTestFakeButtonEvent(m_x.display(), unsigned(button), True, CurrentTime);
    m_x.sync();
}

void XInput::releaseButton(int button)
{
    XTestFakeButtonEvent(m_x.display(), unsigned(button), False, CurrentTime);
    m_x.sync();
}

void XInput::click(QPoint rootPosition, Qt::KeyboardModifiers modifiers, int button)
{
    movePointer(rootPosition);
    holdModifiers(modifiers);
    pressButton(button);
    releaseButton(button);
    releaseModifiers(modifiers);
}

void XInput::key(const char *keysymName, bool down)
{
    const KeySym sym = XStringToKeysym(keysymName);
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(m_x.display(), sym);
    if (code == 0)
        return;
    XTestFakeKeyEvent(m_x.display(), code, down ? True : False, CurrentTime);
    m_x.sync();
}

void XInput::holdModifiers(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ControlModifier)
        key("Control_L", true);
    if (modifiers & Qt::ShiftModifier)
        key("Shift_L", true);
    if (modifiers & Qt::AltModifier)
        key("Alt_L", true);
}

void XInput::releaseModifiers(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::AltModifier)
        key("Alt_L", false);
    if (modifiers & Qt::ShiftModifier)
        key("Shift_L", false);
    if (modifiers & Qt::ControlModifier)
        key("Control_L", false);
}

void XInput::tapKey(const char *keysymName, Qt::KeyboardModifiers modifiers)
{
    holdModifiers(modifiers);
    key(keysymName, true);
    key(keysymName, false);
    releaseModifiers(modifiers);
}

bool XInput::typeText(const QString &text)
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                              QStringLiteral("--"), text})
        == 0;
}

} // namespace e2e

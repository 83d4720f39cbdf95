#include "xinput.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace e2e {

XInput::XInput(const XConnection &x)
    : m_x(x)
{
    int event = 0, error = 0, major = 0, minor = 0;
    m_available = x.isOpen() && XTestQueryExtension(x.display(), &event, &error, &major, &minor);
}

XInput::~XInput()
{
    if (m_addedKeys.empty())
        return;
    KeySym none[2] = {NoSymbol, NoSymbol};
    for (unsigned char code : m_addedKeys)
        XChangeKeyboardMapping(m_x.display(), code, 2, none, 1);
    m_x.sync();
}

bool XInput::addKeysFor(const QString &text)
{
    Display *d = m_x.display();
    int min = 0, max = 0;
    XDisplayKeycodes(d, &min, &max);
    int perCode = 0;
    KeySym *map = XGetKeyboardMapping(d, KeyCode(min), max - min + 1, &perCode);
    if (!map)
        return false;
    std::vector<int> spare;
    for (int code = max; code >= min; --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i)
            empty = empty && map[(code - min) * perCode + i] == NoSymbol;
        if (empty)
            spare.push_back(code);
    }
    XFree(map);

    for (const char32_t c : text.toUcs4()) {
        // The keysym of a Unicode character, as X11 defines it.
        KeySym sym = c < 0x100 ? KeySym(c) : KeySym(0x01000000 | c);
        if (XKeysymToKeycode(d, sym) != 0)
            continue;
        if (spare.empty())
            return false;
        const int code = spare.back();
        spare.pop_back();
        KeySym both[2] = {sym, sym};
        XChangeKeyboardMapping(d, code, 2, both, 1);
        m_addedKeys.push_back((unsigned char)code);
        m_x.sync();
    }
    return true;
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

bool XInput::waitUntilPointerFree(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        // A grab of our own succeeds only when nobody else holds one; it is let go at once.
        const int status = XGrabPointer(m_x.display(), m_x.root(), False, 0, GrabModeAsync, GrabModeAsync, None,
                                        None, CurrentTime);
        if (status == GrabSuccess) {
            XUngrabPointer(m_x.display(), CurrentTime);
            m_x.sync();
            return true;
        }
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
}

bool XInput::typeText(const QString &text)
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                              QStringLiteral("--"), text})
        == 0;
}

QString endToEndProblem(const XConnection &x, const XInput *input)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("DISPLAY is not set: run the end-to-end tests through scripts/test, which starts an X server");
    if (!x.isOpen())
        return QStringLiteral("cannot connect to the X server named by DISPLAY");
    if (input && !input->isAvailable())
        return QStringLiteral("the X server has no XTest extension");
    if (!x.hasWindowManager())
        return QStringLiteral("no window manager runs on the X server");
    return {};
}

} // namespace e2e

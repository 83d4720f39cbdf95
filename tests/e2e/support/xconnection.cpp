#include "xconnection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>

namespace e2e {

XConnection::XConnection()
    : m_display(XOpenDisplay(nullptr))
{
}

XConnection::XConnection(const QByteArray &displayName)
    : m_display(XOpenDisplay(displayName.constData()))
{
}

XConnection::~XConnection()
{
    if (m_display)
        XCloseDisplay(m_display);
}

WindowId XConnection::root() const
{
    return DefaultRootWindow(m_display);
}

QSize XConnection::screenSize() const
{
    const int screen = DefaultScreen(m_display);
    return {DisplayWidth(m_display, screen), DisplayHeight(m_display, screen)};
}

AtomId XConnection::atom(const char *name) const
{
    return XInternAtom(m_display, name, False);
}

QString XConnection::atomName(AtomId atom) const
{
    if (atom == 0)
        return {};
    char *name = XGetAtomName(m_display, atom);
    const QString result = QString::fromLatin1(name);
    XFree(name);
    return result;
}

void XConnection::sync() const
{
    XSync(m_display, False);
}

namespace {

// Scales a masked channel of a pixel value to 0..255.
int channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long max = mask >> shift;
    return int(((pixel & mask) >> shift) * 255 / max);
}

} // namespace

QImage XConnection::grab(const QRect &area) const
{
    const QRect onScreen = area.intersected(QRect(QPoint(0, 0), screenSize()));
    if (onScreen.isEmpty())
        return {};
    XImage *image = XGetImage(m_display, root(), onScreen.x(), onScreen.y(), onScreen.width(),
                              onScreen.height(), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage result(onScreen.size(), QImage::Format_RGB32);
    for (int y = 0; y < onScreen.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < onScreen.width(); ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            line[x] = qRgb(channel(p, image->red_mask), channel(p, image->green_mask), channel(p, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return result;
}

bool XConnection::hasWindowManager() const
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const bool announced = XGetWindowProperty(m_display, root(), atom("_NET_SUPPORTING_WM_CHECK"), 0, 1, False,
                                              XA_WINDOW, &type, &format, &count, &after, &data)
            == Success
        && count == 1;
    if (data)
        XFree(data);
    return announced;
}

WindowId XConnection::inputFocus() const
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    return focus == PointerRoot ? 0 : focus;
}

} // namespace e2e

#include "clientwindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace e2e {

ClientWindow::ClientWindow(const XConnection &x, const QRect &geometry, const char *title)
    : m_x(x)
{
    Display *d = x.display();
    m_id = XCreateSimpleWindow(d, x.root(), geometry.x(), geometry.y(), unsigned(geometry.width()),
                               unsigned(geometry.height()), 0, 0, WhitePixel(d, DefaultScreen(d)));
    XStoreName(d, m_id, title);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints(d, m_id, &hints);
    XMapWindow(d, m_id);
    x.sync();
}

ClientWindow::~ClientWindow()
{
    XDestroyWindow(m_x.display(), m_id);
    m_x.sync();
}

} // namespace e2e

#pragma once

#include "xconnection.h"

#include <QRect>

namespace e2e {

// A plain top-level window of the connection's own client: another application's window, to
// take the activation away from the program under test. It is destroyed with the object.
class ClientWindow {
public:
    ClientWindow(const XConnection &x, const QRect &geometry, const char *title);
    ~ClientWindow();
    ClientWindow(const ClientWindow &) = delete;
    ClientWindow &operator=(const ClientWindow &) = delete;

    WindowId id() const { return m_id; }

private:
    const XConnection &m_x;
    WindowId m_id = 0;
};

} // namespace e2e

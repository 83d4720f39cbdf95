#pragma once

#include <QProcess>
#include <QString>

namespace e2e {

// A private virtual X server (Xvfb, 1920 x 1080 x 24 at 96 dpi) on a free display number, with
// no window manager. It is stopped when the object goes.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    bool start(int timeoutMs = 10000);
    // ":N", once started.
    QString display() const { return m_display; }
    // What the server wrote, for failure messages.
    QByteArray log();

private:
    QProcess m_process;
    QString m_display;
    QByteArray m_log;
};

} // namespace e2e

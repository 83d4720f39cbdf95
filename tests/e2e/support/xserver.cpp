#include "xserver.h"

#include <QDeadlineTimer>
#include <QFileInfo>

namespace e2e {

XServer::XServer() = default;

XServer::~XServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

bool XServer::start(int timeoutMs)
{
    // Xvfb picks a free display number itself and writes it to the descriptor given; its
    // messages go to standard error.
    m_process.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                     QStringLiteral("-noreset"), QStringLiteral("-screen"), QStringLiteral("0"),
                     QStringLiteral("1920x1080x24"), QStringLiteral("-dpi"), QStringLiteral("96")});
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    QByteArray number;
    while (!number.contains('\n')) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(100);
        number += m_process.readAllStandardOutput();
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    // The socket is there once the number is written; give the server a moment to listen.
    const QString socket = QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(number.trimmed());
    while (!QFileInfo::exists(socket) && !deadline.hasExpired())
        m_process.waitForFinished(20);
    return QFileInfo::exists(socket);
}

QByteArray XServer::log()
{
    m_log += m_process.readAllStandardError();
    return m_log;
}

} // namespace e2e

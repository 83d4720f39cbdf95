#include "appprocess.h"

#include <QProcessEnvironment>

namespace e2e {

AppProcess::AppProcess(QString program, QStringList arguments)
    : m_program(std::move(program))
    , m_arguments(std::move(arguments))
{
    // The program runs on the X server of the tests, whatever platform the tests were given.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_process.setProcessEnvironment(env);
}

AppProcess::~AppProcess()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void AppProcess::setEnvironment(const QString &name, const QString &value)
{
    QProcessEnvironment env = m_process.processEnvironment();
    env.insert(name, value);
    m_process.setProcessEnvironment(env);
}

bool AppProcess::start(int timeoutMs)
{
    m_process.start(m_program, m_arguments);
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    m_pid = m_process.processId();
    return true;
}

bool AppProcess::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

QByteArray AppProcess::standardOutput()
{
    m_stdout += m_process.readAllStandardOutput();
    return m_stdout;
}

QByteArray AppProcess::standardError()
{
    m_stderr += m_process.readAllStandardError();
    return m_stderr;
}

} // namespace e2e

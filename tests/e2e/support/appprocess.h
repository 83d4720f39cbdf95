#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace e2e {

// A program under test, run as a child process on the X display of the tests. It is killed when
// the object goes, so a failing test leaves nothing running behind it.
class AppProcess {
public:
    explicit AppProcess(QString program, QStringList arguments = {});
    ~AppProcess();
    AppProcess(const AppProcess &) = delete;
    AppProcess &operator=(const AppProcess &) = delete;

    // Sets a variable of the program's environment; call before start().
    void setEnvironment(const QString &name, const QString &value);

    bool start(int timeoutMs = 10000);
    qint64 pid() const { return m_pid; }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // True once the process has ended, by itself, within the time.
    bool waitForExit(int timeoutMs = 10000);
    bool exitedNormally() const { return m_process.exitStatus() == QProcess::NormalExit; }
    int exitCode() const { return m_process.exitCode(); }

    // Everything the process has written to its standard output so far.
    QByteArray standardOutput();
    // Its standard error, for failure messages.
    QByteArray standardError();

private:
    QString m_program;
    QStringList m_arguments;
    QProcess m_process;
    qint64 m_pid = 0;
    QByteArray m_stdout;
    QByteArray m_stderr;
};

} // namespace e2e

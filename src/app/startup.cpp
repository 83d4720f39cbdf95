#include "startup.h"

#include "runtimeerror.h"

#include "kit/runtimeerror.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <fontconfig/fontconfig.h>

#include <thread>

#include <functional>
#include <vector>

namespace app {

namespace {

// The program's own start-up and clean-up routines; it has nothing to do in either.
void startupRoutine() {}
void cleanupRoutine() {}

class CleanupList {
public:
    void add(std::function<void()> routine) { m_routines.push_back(std::move(routine)); }
    void runAll()
    {
        for (auto &r : m_routines)
            r();
        m_routines.clear();
    }

private:
    std::vector<std::function<void()>> m_routines;
};

} // namespace

int run(int, char **argv, const Program &program)
{
    // Nothing is taken from the command line: the toolkit sees only the program's name.
    int argc = 1;
    char *args[] = {argv[0], nullptr};
    // Reading the font configuration is the longest single step before the first frame and
    // needs nothing of the toolkit, so it runs on a second core while the toolkit connects.
    std::thread fontConfig([] { FcInit(); });
    QApplication application(argc, args);
    fontConfig.join();
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setDesktopFileName(QStringLiteral("bigtext"));
    // The window's title is empty, and the toolkit must not put the program's name in its place.
    QGuiApplication::setApplicationDisplayName(QStringLiteral(""));
    kit::setRuntimeErrorReporter(reportRuntimeError);

    // 1. The definition must be usable before anything is built from it.
    if (!kit::checkDefinition(program.definition).empty())
        reportRuntimeError(0, "载入窗口模板数据段出错!");

    // 2. and 3.
    startupRoutine();
    CleanupList cleanup;
    cleanup.add(cleanupRoutine);

    // 4. The start-up window.
    kit::Builder builder(program.definition, program.handlers, program.factories);
    kit::LoadResult loaded = builder.load(program.startWindowId);
    if (loaded.error != kit::LoadError::None)
        reportRuntimeError(0, "载入启动窗口失败");

    // 5. The loop ends when the last window of the program is gone.
    bool loopFlag = false;
    loaded.window->onDestroyed = [&loopFlag] {
        if (loopFlag)
            QCoreApplication::exit(0);
    };
    loopFlag = true;
    QTimer::singleShot(0, [] { QApplication::setWindowIcon(QIcon(QStringLiteral(":/bigtext/icon.png"))); });
    if (loaded.window->exists())
        application.exec();

    // 6. Normal end.
    cleanup.runAll();
    return 0;
}

} // namespace app

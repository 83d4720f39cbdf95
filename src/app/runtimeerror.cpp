#include "runtimeerror.h"

#include "kit/events.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace app {

QString runtimeErrorText(std::int32_t code, const std::string &message)
{
    QString text = QStringLiteral("运行时出错!\n\n");
    if (code != 0)
        text += QStringLiteral("错误代码：") + QString::number(code) + QStringLiteral("\n\n");
    if (!message.empty())
        text += QStringLiteral("错误信息：") + QString::fromStdString(message) + QStringLiteral("\n");
    return text;
}

std::unique_ptr<QMessageBox> runtimeErrorBox(std::int32_t code, const std::string &message)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, QStringLiteral("错误"),
                                             runtimeErrorText(code, message), QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

void reportRuntimeError(std::int32_t code, const std::string &message)
{
    // From here on no handler of the program runs, whatever happens in its windows.
    kit::EventGate::raise();
    if (qApp) {
        std::unique_ptr<QMessageBox> box = runtimeErrorBox(code, message);
        box->exec();
    } else {
        std::fputs(runtimeErrorText(code, message).toLocal8Bit().constData(), stderr);
    }
    std::fflush(nullptr);
    // The clean-up routines do not run after a fatal fault, so the process ends here.
    std::_Exit(-1);
}

} // namespace app

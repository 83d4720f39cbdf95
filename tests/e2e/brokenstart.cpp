// bigtext's start-up with a definition that cannot be used, so that the fatal error report can be
// seen on a real display. The first argument picks the fault:
//   unreadable      a definition that holds no window
//   nostartwindow   the real definition, asked for a window it does not have
//   creationfails   the real definition, with a colour picker that cannot be created
// Once the error box is up, its caption, text, icon, buttons and the OK button's place on the
// screen are written to standard output as one line of JSON, for the test to compare.

#include "app/startup.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <string_view>

namespace {

void describeErrorBoxOnceShown()
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible())
                continue;
            QJsonArray buttons;
            for (QAbstractButton *b : box->buttons())
                buttons.append(int(box->standardButton(b)));
            QJsonObject description{
                {QStringLiteral("title"), box->windowTitle()},
                {QStringLiteral("text"), box->text()},
                {QStringLiteral("icon"), int(box->icon())},
                {QStringLiteral("buttons"), buttons},
                {QStringLiteral("hasParent"), box->parentWidget() != nullptr},
            };
            if (QAbstractButton *ok = box->button(QMessageBox::Ok)) {
                const QPoint centre = ok->mapToGlobal(ok->rect().center());
                description.insert(QStringLiteral("okX"), centre.x());
                description.insert(QStringLiteral("okY"), centre.y());
            }
            std::printf("%s\n", QJsonDocument(description).toJson(QJsonDocument::Compact).constData());
            std::fflush(stdout);
            poll->stop();
            return;
        }
    });
    poll->start(50);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(describeErrorBoxOnceShown)

int main(int argc, char **argv)
{
    const std::string_view fault = argc > 1 ? argv[1] : "";

    if (fault == "unreadable") {
        static const kit::Definition empty;
        return app::run(argc, argv, app::Program{empty, mainwindow::handlers(), mainwindow::factories(), mainwindow::WindowId});
    }
    if (fault == "nostartwindow") {
        return app::run(argc, argv,
                        app::Program{mainwindow::definition(), mainwindow::handlers(), mainwindow::factories(),
                                     mainwindow::WindowId + 1});
    }
    if (fault == "creationfails") {
        kit::ControlFactories factories = mainwindow::factories();
        factories[kit::Kind::ColorPicker] = [](const kit::ControlDef &, kit::Window &, QWidget *) {
            return std::unique_ptr<kit::Control>();
        };
        return app::run(argc, argv,
                        app::Program{mainwindow::definition(), mainwindow::handlers(), factories, mainwindow::WindowId});
    }
    std::fprintf(stderr, "usage: %s unreadable|nostartwindow|creationfails\n", argv[0]);
    return 2;
}

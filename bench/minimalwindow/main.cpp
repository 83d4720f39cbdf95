// The baseline for the start-up figures: the least a Qt Widgets program needs to put a
// frameless 528 x 166 window on the screen, centred like bigtext's.
//
//   bench_minimalwindow [--label]
//
// --label adds one line of CJK and Latin text, to tell what drawing any text at all costs.
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <cstring>

int main(int argc, char **argv)
{
    const bool label = argc > 1 && !std::strcmp(argv[1], "--label");
    int qargc = 1;
    QApplication app(qargc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.resize(528, 166);
    if (label)
        (new QLabel(QStringLiteral("字体颜色修改为： BigText"), &window))->move(20, 60);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.move(screen.center() - window.rect().center());
    window.show();
    return app.exec();
}

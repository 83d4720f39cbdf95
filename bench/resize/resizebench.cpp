// The cost of one size change of the main window with the display label shown, against a plain
// window that only fills itself, both measured here and now.
//
// One step is what a live resize does per size the window takes: the top-level widget is given
// the new size, which raises the size-changed event so that the program's handler lays out the
// surfaces, the label and the grip, and then the whole window is repainted at once into its
// backing store and flushed (QWidget::repaint, the path an expose of the whole window takes).
// The size alternates between two heights one pixel apart (h and h + 1, each at 16:9), so the
// font size, the label's rectangle and the backing store change on every step and nothing drawn
// in one step can be reused in the next. (Qt keeps the font engines of both sizes, so creating
// them is not measured; --sweep makes every size new, at the price of measuring mostly the
// backing store's reallocation, which both windows pay.) On a real X server each step also
// waits until the server has the frame.
//
// The baseline is a frameless window of the same sizes whose paint event fills it with the face
// colour, resized and repainted the same way. Rounds of baseline and program steps alternate
// (ABBA), and each case reports medians over the rounds and the median of the per-round ratios.
//
//   bench_resize [--rounds N] [--min-round-ms MS] [--case NAME]... [--sweep N] [--profile STEPS]
//
// --sweep N steps through N heights upwards and back instead of two.
// --profile runs that many program steps of each chosen case and no baseline, untimed, for
// running under a profiler (valgrind --tool=callgrind, perf record).

#include "kit/controls.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <xcb/xcb.h>

namespace {

// On a real X server a frame is done once the server has put it on the screen; the round trip
// waits until the server has handled everything sent before it, the flushed image included.
void waitForFrame()
{
    static xcb_connection_t *connection = [] {
        auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 ? x11->connection() : nullptr;
    }();
    if (connection)
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

class PlainWindow : public QWidget {
public:
    PlainWindow()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QPainter p(this);
        p.fillRect(e->rect(), kit::faceColor());
    }
};

// Where the baseline window sits: below the program's window, clear of it at every size.
constexpr int BaselineTop = 2200;

QSize sizeFor(int height) { return QSize(int(std::lround(height * 16.0 / 9.0)), height); }

struct Case {
    std::string name;
    int height;
    std::string text;
};

std::string longText(std::size_t characters)
{
    // CJK and Latin characters, all in the Basic Multilingual Plane: one UTF-16 unit each.
    const QString unit = QStringLiteral("大字 BigText 显示 ");
    QString s;
    while (s.size() < qsizetype(characters))
        s += unit;
    s.truncate(qsizetype(characters));
    const QByteArray utf8 = s.toUtf8();
    return std::string(utf8.constData(), std::size_t(utf8.size()));
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs steps until at least minMs have passed; returns the mean time of one step in ms.
template <class Step> double timeSteps(Step step, std::size_t &next, double minMs)
{
    QElapsedTimer timer;
    timer.start();
    int steps = 0;
    do {
        step(next++);
        ++steps;
    } while (timer.nsecsElapsed() < qint64(minMs * 1e6) || steps < 2);
    return double(timer.nsecsElapsed()) / 1e6 / steps;
}

// The window sizes the steps go through, over and over: h and h + 1, or with a sweep of n
// heights h, h + 1, ..., h + n - 1 and back down, every step a size different from the last.
std::vector<QSize> stepSizes(int height, int sweep)
{
    std::vector<QSize> sizes;
    for (int k = 0; k < sweep; ++k)
        sizes.push_back(sizeFor(height + k));
    for (int k = sweep - 2; k > 0; --k)
        sizes.push_back(sizeFor(height + k));
    return sizes;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int rounds = 12;
    double minRoundMs = 150;
    std::vector<std::string> only;
    int profileSteps = 0;
    int sweep = 2;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::max(2, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--min-round-ms") && i + 1 < argc)
            minRoundMs = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--case") && i + 1 < argc)
            only.push_back(argv[++i]);
        else if (!std::strcmp(argv[i], "--sweep") && i + 1 < argc)
            sweep = std::max(2, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--profile") && i + 1 < argc)
            profileSteps = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: bench_resize [--rounds N] [--min-round-ms MS] [--case NAME]... [--sweep N] [--profile STEPS]\n");
            return 2;
        }
    }
    int qargc = 1;
    char *qargv[] = {argv[0], nullptr};
    QApplication app(qargc, qargv);

    kit::Builder builder(mainwindow::definition(), mainwindow::handlers(), mainwindow::factories());
    kit::LoadResult loaded = builder.load(mainwindow::WindowId);
    if (!loaded.window) {
        std::fprintf(stderr, "bench_resize: the main window could not be built: %s\n", loaded.detail.c_str());
        return 1;
    }
    kit::Window &window = *loaded.window;
    mainwindow::Controls controls = mainwindow::Controls::of(window);
    QWidget *top = window.widget();

    // Each window gets a screen area of its own, so that neither is clipped by the screen's edge
    // or covered by the other at any size and the server takes every pixel of every frame from
    // both: the program's at the top left, the baseline's below it (bench/run starts a server
    // tall enough for two 3840 x 2160 windows).
    top->move(0, 0);
    PlainWindow plain;
    plain.resize(top->size());
    plain.move(0, BaselineTop);
    plain.show();
    QCoreApplication::processEvents();
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        if (screen.width() < 3840 || screen.height() < BaselineTop + 2161)
            std::fprintf(stderr, "bench_resize: warning: the screen (%dx%d) is too small to show both windows whole; "
                                 "the larger cases measure clipped frames\n", screen.width(), screen.height());
    }

    const std::vector<Case> cases = {
        {"h166", 166, "大字 BigText 显示"},
        {"h600", 600, "大字 BigText 显示"},
        {"h1080", 1080, "大字 BigText 显示"},
        {"h2160", 2160, "大字 BigText 显示"},
        {"long_h1080", 1080, longText(32767)},
    };

    std::printf("Resize step: layout + complete repaint, heights %s (16:9), platform %s%s\n",
                sweep == 2 ? "alternating h, h+1" : qPrintable(QStringLiteral("sweeping h .. h+%1 and back").arg(sweep - 1)),
                qPrintable(QGuiApplication::platformName()),
                QGuiApplication::platformName() == QLatin1String("xcb") ? ", each step waits until the X server has the frame" : "");
    std::printf("baseline: a frameless window filling itself with the face colour, same sizes, same steps\n");
    std::printf("%-11s %6s %6s %7s %11s %11s %7s %7s\n", "case", "width", "height", "chars", "program_ms",
                "baseline_ms", "ratio", "spread");
    controls.颜色选择器1.setColor(kit::rgb(200, 30, 30));
    std::vector<std::string> summary;
    for (const Case &c : cases) {
        if (!only.empty() && std::find(only.begin(), only.end(), c.name) == only.end())
            continue;
        // The text goes in through the edit box and the confirm command, as the user's would.
        controls.编辑框1.setText(c.text);
        mainwindow::confirm(window);
        const std::vector<QSize> sizes = stepSizes(c.height, sweep);

        auto programStep = [&](std::size_t k) {
            top->resize(sizes[k % sizes.size()]);
            top->repaint();
            waitForFrame();
        };
        auto baselineStep = [&](std::size_t k) {
            plain.resize(sizes[k % sizes.size()]);
            plain.repaint();
            waitForFrame();
        };

        // The handler must have run for the new size, or the figures measure nothing.
        programStep(0);
        programStep(1);
        if (controls.外形框1.width() != sizes[1].width() || controls.透明标签1.height() != sizes[1].height() - 50
            || controls.透明标签1.fontSize() != sizes[1].height() - 100) {
            std::fprintf(stderr, "bench_resize: the size change did not reach the layout\n");
            return 1;
        }
        if (profileSteps) {
            for (int k = 0; k < profileSteps; ++k)
                programStep(std::size_t(k));
            continue;
        }
        // Warm-up: fonts, glyph outlines and backing stores of both sizes.
        std::size_t pp = 0, bp = 0;
        timeSteps(programStep, pp, minRoundMs / 2);
        timeSteps(baselineStep, bp, minRoundMs / 2);

        std::vector<double> prog, base, ratios;
        for (int r = 0; r < rounds; ++r) {
            double b, p;
            if (r % 4 == 0 || r % 4 == 3) {
                b = timeSteps(baselineStep, bp, minRoundMs);
                p = timeSteps(programStep, pp, minRoundMs);
            } else {
                p = timeSteps(programStep, pp, minRoundMs);
                b = timeSteps(baselineStep, bp, minRoundMs);
            }
            prog.push_back(p);
            base.push_back(b);
            ratios.push_back(p / b);
        }
        const double ratio = median(ratios);
        std::vector<double> sorted = ratios;
        std::sort(sorted.begin(), sorted.end());
        // Half the interquartile range of the per-round ratios, as a plain noise figure.
        const double spread = (sorted[sorted.size() * 3 / 4] - sorted[sorted.size() / 4]) / 2;
        const int chars = int(QString::fromUtf8(c.text.data(), qsizetype(c.text.size())).size());
        std::printf("%-11s %6d %6d %7d %11.3f %11.3f %7.2f %7.2f\n", c.name.c_str(), sizes[0].width(), c.height, chars,
                    median(prog), median(base), ratio, spread);
        std::fflush(stdout);
        char line[300];
        std::snprintf(line, sizeof line,
                      "resize case=%s platform=%s sizes=%s width=%d height=%d chars=%d program_ms=%.4f baseline_ms=%.4f ratio=%.3f "
                      "spread=%.3f rounds=%d",
                      c.name.c_str(), qPrintable(QGuiApplication::platformName()),
                      sweep == 2 ? "alternate" : qPrintable(QStringLiteral("sweep%1").arg(sweep)), sizes[0].width(), c.height,
                      chars, median(prog), median(base), ratio, spread, rounds);
        summary.push_back(line);
    }
    std::printf("\n");
    for (const std::string &line : summary)
        std::printf("%s\n", line.c_str());
    return 0;
}

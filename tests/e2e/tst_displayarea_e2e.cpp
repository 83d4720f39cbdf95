// The layout following sizes that the window system gives the window: a resize requested by
// another client, and minimising then restoring.

#include "appprocess.h"
#include "toplevel.h"
#include "xconnection.h"
#include "xinput.h"

#include <QProcess>
#include <QTest>

#include <memory>
#include <optional>

using namespace e2e;

namespace {

// The grip's stripes are white where they are fully opaque; nothing else on the bare surface is.
int nearWhite(const QImage &image, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) >= 250;
    return n;
}

bool xdotool(const QStringList &args)
{
    return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

} // namespace

class DisplayAreaE2E : public QObject {
    Q_OBJECT

    std::unique_ptr<XConnection> m_x;
    std::unique_ptr<AppProcess> m_app;
    std::optional<TopLevel> m_window;

    QSize m_before; // the size before the change under test

    // The grip in the bottom-right corner, and the surface everywhere else near the corner.
    bool laidOutFor(QSize size) const
    {
        const QImage shown = m_window->grab();
        if (shown.size() != size)
            return false;
        const QRect grip(size.width() - 16, size.height() - 16, 16, 16);
        const QRgb face = shown.pixel(4, 4);
        const QRect all = shown.rect();
        // The stripes in the corner, the bare surface just left of the grip's bottom row, and
        // nothing of the grip where it was before the size changed.
        return nearWhite(shown, grip.intersected(all)) >= 20
            && (grip.left() < 1 || shown.pixel(grip.left() - 1, grip.bottom()) == face)
            && (m_before.isEmpty() || m_before == size || !all.contains(QPoint(m_before.width() - 2, m_before.height() - 2))
                || shown.pixel(m_before.width() - 2, m_before.height() - 2) == face);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_x = std::make_unique<XConnection>();
        const QString problem = endToEndProblem(*m_x);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void init()
    {
        m_app = std::make_unique<AppProcess>(QStringLiteral(BIGTEXT_EXE));
        QVERIFY(m_app->start());
        m_window = TopLevel::waitFor(*m_x, m_app->pid());
        QVERIFY(m_window);
        QTRY_VERIFY_WITH_TIMEOUT(laidOutFor(QSize(528, 166)), 5000);
    }

    void cleanup()
    {
        m_window.reset();
        m_app.reset();
    }

    void resizeByAnotherClient_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("larger") << QSize(900, 420);
        QTest::newRow("narrower than the panel") << QSize(250, 160);
    }
    void resizeByAnotherClient()
    {
        QFETCH(QSize, size);
        m_before = QSize(528, 166);
        QVERIFY(xdotool({QStringLiteral("windowsize"), QString::number(m_window->id()), QString::number(size.width()),
                         QString::number(size.height())}));
        QTRY_COMPARE_WITH_TIMEOUT(m_window->geometry().size(), size, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(laidOutFor(size), 5000);
    }

    void minimiseThenRestore()
    {
        QVERIFY(xdotool({QStringLiteral("windowsize"), QString::number(m_window->id()), QStringLiteral("640"),
                         QStringLiteral("240")}));
        QTRY_VERIFY_WITH_TIMEOUT(laidOutFor(QSize(640, 240)), 5000);
        QVERIFY(xdotool({QStringLiteral("windowminimize"), QString::number(m_window->id())}));
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isViewable(), 5000);
        QVERIFY(m_window->states().contains(QLatin1String("_NET_WM_STATE_HIDDEN")));
        m_window->requestActivate();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isViewable(), 5000);
        QCOMPARE(m_window->geometry().size(), QSize(640, 240));
        QTRY_VERIFY_WITH_TIMEOUT(laidOutFor(QSize(640, 240)), 5000);
        QVERIFY(m_app->isRunning());
    }
};

QTEST_GUILESS_MAIN(DisplayAreaE2E)
#include "tst_displayarea_e2e.moc"

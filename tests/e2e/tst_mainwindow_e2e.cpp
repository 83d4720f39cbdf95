// bigtext as the user gets it: the built program on a real X server with a window manager,
// driven with real input and looked at through the server.

#include "appprocess.h"
#include "pixels.h"
#include "toplevel.h"
#include "xconnection.h"
#include "xinput.h"

#include <QImage>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>

using namespace e2e;

namespace {

constexpr QSize WindowSize(528, 166);
// Window-local places of the controls, from the window definition.
constexpr QRect Grip(512, 150, 16, 16);
constexpr QRect EditBox(32, 48, 464, 32);
constexpr QPoint BareSurface(4, 4);

bool isDark(QRgb c)
{
    return qGray(c) < 128;
}

} // namespace

class MainWindowE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void windowIsCentredFramelessAndUntitled();
    void gripShowsItsPicture();
    void inputPanelIsShownAndDisplayLabelHidden();
    void escapeEndsTheProgramFromEachControl_data();
    void escapeEndsTheProgramFromEachControl();
    void closeRequestEndsTheProgram();

private:
    // What the window shows, window-local.
    QImage screen() const { return m_window->grab(); }
    QRgb face() const { return screen().pixel(BareSurface); }

    std::unique_ptr<XConnection> m_x;
    std::unique_ptr<XInput> m_input;
    std::unique_ptr<AppProcess> m_app;
    std::optional<TopLevel> m_window;
};

void MainWindowE2E::initTestCase()
{
    m_x = std::make_unique<XConnection>();
    m_input = std::make_unique<XInput>(*m_x);
    const QString problem = endToEndProblem(*m_x, m_input.get());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// Every test gets a fresh program, up and painted, with the keyboard focus.
void MainWindowE2E::init()
{
    m_app = std::make_unique<AppProcess>(QStringLiteral(BIGTEXT_EXE));
    QVERIFY2(m_app->start(), "bigtext did not start");
    m_window = TopLevel::waitFor(*m_x, m_app->pid());
    QVERIFY2(m_window, qPrintable("no window of bigtext appeared; its output: " + QString::fromLocal8Bit(m_app->standardError())));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasInputFocus(), 5000);
    // Painted: the surface is no longer the black of the empty screen and the edit box is white.
    QTRY_VERIFY_WITH_TIMEOUT(face() != qRgb(0, 0, 0) && screen().pixel(EditBox.center()) == qRgb(255, 255, 255), 5000);
}

void MainWindowE2E::cleanup()
{
    m_window.reset();
    m_app.reset(); // kills the program if a test left it running
}

void MainWindowE2E::windowIsCentredFramelessAndUntitled()
{
    const QSize screenSize = m_x->screenSize();
    const QPoint centred((screenSize.width() - WindowSize.width()) / 2, (screenSize.height() - WindowSize.height()) / 2);
    if (screenSize == QSize(1920, 1080))
        QCOMPARE(centred, QPoint(696, 457));
    QTRY_COMPARE(m_window->geometry(), QRect(centred, WindowSize));

    // No decoration: the window manager's frame, if any, is exactly the window.
    QCOMPARE(m_window->frameExtents().value_or(QMargins(-1, -1, -1, -1)), QMargins(0, 0, 0, 0));
    QCOMPARE(m_window->frameGeometry(), m_window->geometry());

    // An ordinary top-level window, listed in the taskbar, with an empty title.
    // (Qt puts KDE's own hint for frameless windows in front of the standard type.)
    QStringList types = m_window->windowTypes();
    types.removeIf([](const QString &t) { return t.startsWith(QLatin1String("_KDE_")); });
    QVERIFY2(types.isEmpty() || types == QStringList{QStringLiteral("_NET_WM_WINDOW_TYPE_NORMAL")}, qPrintable(types.join(u' ')));
    QVERIFY(!m_window->states().contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR")));
    QVERIFY(!m_window->states().contains(QLatin1String("_NET_WM_STATE_ABOVE")));
    QCOMPARE(m_window->transientFor(), WindowId(0));
    QCOMPARE(m_window->netWmName(), QString());
    QCOMPARE(m_window->wmName(), QString());
    QVERIFY(m_window->wmClass().contains(QLatin1String("bigtext")));

    // The program's icon reaches the window, although it is set only after the first frame.
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->iconSizes().empty(), 5000);
    const std::vector<QSize> icons = m_window->iconSizes();
    QVERIFY(std::find(icons.begin(), icons.end(), QSize(128, 128)) != icons.end());
}

void MainWindowE2E::gripShowsItsPicture()
{
    const QImage shown = screen().copy(Grip);
    const QRgb surface = face();
    const QImage expected = expectedGrip(QStringLiteral(BIGTEXT_GRIP_PNG), surface);
    QVERIFY2(!expected.isNull(), "cannot read the grip picture " BIGTEXT_GRIP_PNG);

    // The top-left of the picture is transparent, its bottom-right corner a white stripe.
    QCOMPARE(shown.pixel(0, 0), surface);
    QVERIFY2(channelDistance(shown.pixel(15, 15), qRgb(255, 255, 255)) <= 8, qPrintable(QString::number(shown.pixel(15, 15), 16)));
    QVERIFY(countPixels(shown, shown.rect(), [](QRgb c) { return qGray(c) >= 245; }) >= 10);

    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            QVERIFY2(channelDistance(shown.pixel(x, y), expected.pixel(x, y)) <= 8,
                     qPrintable(QStringLiteral("grip pixel (%1, %2) is #%3, expected #%4")
                                    .arg(x).arg(y)
                                    .arg(shown.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                                    .arg(expected.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'))));

    // Around the grip, the surface.
    QCOMPARE(screen().pixel(Grip.left() - 1, Grip.top() + 2), surface);
    QCOMPARE(screen().pixel(Grip.left() + 2, Grip.top() - 1), surface);
}

void MainWindowE2E::inputPanelIsShownAndDisplayLabelHidden()
{
    const QImage shown = screen();
    const QRgb surface = face();

    // The blue caption of the panel at its top-left.
    const int blue = countPixels(shown, QRect(20, 14, 300, 22),
                                 [](QRgb c) { return qBlue(c) > 150 && qRed(c) < 110 && qGreen(c) < 110; });
    QVERIFY2(blue > 30, qPrintable(QString::number(blue)));

    // The white, empty edit box.
    QCOMPARE(countPixels(shown, EditBox.adjusted(4, 4, -4, -4), isDark), 0);

    // The hidden label would draw its 88-pixel text, centred across rows 40 to 155, in black
    // over the panel. Between the edit box and the row of label, picker and button the panel
    // shows only the surface.
    const QRect gap(90, 82, 350, 8);
    QCOMPARE(countPixels(shown, gap, [surface](QRgb c) { return channelDistance(c, surface) > 6; }), 0);
}

void MainWindowE2E::escapeEndsTheProgramFromEachControl_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<bool>("focusInEditBox");

    // The focus starts on the colour picker; Tab goes picker, button, edit box.
    QTest::newRow("colour picker, first focus") << 0 << false << false;
    QTest::newRow("button, one Tab") << 1 << false << false;
    QTest::newRow("edit box, two Tabs") << 2 << false << true;
    QTest::newRow("colour picker, three Tabs") << 3 << false << false;
    QTest::newRow("edit box, Shift+Tab") << 1 << true << true;
}

void MainWindowE2E::escapeEndsTheProgramFromEachControl()
{
    QFETCH(int, tabs);
    QFETCH(bool, backwards);
    QFETCH(bool, focusInEditBox);

    for (int i = 0; i < tabs; ++i)
        m_input->tapKey("Tab", backwards ? Qt::ShiftModifier : Qt::NoModifier);

    // Typing shows where the focus is: only the edit box takes the text.
    QVERIFY(XInput::typeText(QStringLiteral("WWWWWWWW")));
    const QRect inside = EditBox.adjusted(4, 4, -4, -4);
    if (focusInEditBox) {
        QTRY_VERIFY_WITH_TIMEOUT(countPixels(screen(), inside, isDark) > 60, 3000);
    } else {
        QTest::qWait(300);
        QCOMPARE(countPixels(screen(), inside, isDark), 0);
    }

    m_input->tapKey("Escape");
    QVERIFY2(m_app->waitForExit(5000), "Esc did not end the program");
    QVERIFY(m_app->exitedNormally());
    QCOMPARE(m_app->exitCode(), 0);
}

void MainWindowE2E::closeRequestEndsTheProgram()
{
    m_window->requestClose();
    QVERIFY2(m_app->waitForExit(5000), "the window manager's close request did not end the program");
    QVERIFY(m_app->exitedNormally());
    QCOMPARE(m_app->exitCode(), 0);
}

QTEST_GUILESS_MAIN(MainWindowE2E)
#include "tst_mainwindow_e2e.moc"

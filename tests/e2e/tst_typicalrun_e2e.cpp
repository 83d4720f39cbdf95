// A user's typical run on a real X server with a window manager, with real pointer and keyboard
// input: type a text, pick its colour in the picker's palette, confirm, and see the text across
// the window in exactly that colour; then resize with the grip, move the window and leave with
// Esc. Also the palette's endings that must not reach the window: a click on 确认 and Esc.

#include "appprocess.h"
#include "pixels.h"
#include "toplevel.h"
#include "xconnection.h"
#include "xinput.h"

#include <QTest>

#include <memory>
#include <optional>

using namespace e2e;

namespace {

constexpr QSize StartSize(528, 166);
// Window-local places from the window definition.
constexpr QRect EditBox1(16 + 16, 24 + 24, 464, 32);
constexpr QRect Button1(16 + 301, 24 + 67, 144, 32);
constexpr QRect Picker1(16 + 232, 24 + 72, 56, 24);
constexpr QPoint BareSurface(4, 4);
// Inside the picker's swatch, clear of its focus rectangle.
constexpr QPoint PickerSwatch(Picker1.left() + 20, Picker1.top() + 12);

// The palette opens with its top-left at the picker's bottom-left; a cell of 18 pixels at row r,
// column c lies 6 pixels (frame and margin) in. Index 12 is 红色, index 9 蓝色.
constexpr QPoint PaletteTopLeft(Picker1.left(), Picker1.bottom() + 1);
constexpr QPoint cellCentre(int index)
{
    return PaletteTopLeft + QPoint(6 + (index % 7) * 18 + 9, 6 + (index / 7) * 18 + 9);
}
constexpr int RedCell = 12;
constexpr int BlueCell = 9;
constexpr QRgb Red = qRgb(255, 0, 0);
const QString Text = QStringLiteral("Hi 大字");

bool isWhite(QRgb c)
{
    return c == qRgb(255, 255, 255);
}

// The rows of the display label's text: the bounding box of everything that is not the face
// colour in the label's band, and whether each of those pixels is the text colour or a blend of
// it with the face colour (the glyphs' smoothed edges).
struct TextPixels {
    QRect bounds;
    int exact = 0;
    QString fault;
};

TextPixels textPixels(const QImage &shown, const QRect &band, QRgb face, QRgb color)
{
    TextPixels t;
    // The grip in the window's corner lies partly in the band.
    const QRect grip(shown.width() - 16, shown.height() - 16, 16, 16);
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x) {
            const QRgb c = shown.pixel(x, y);
            if (c == face || grip.contains(x, y))
                continue;
            t.bounds |= QRect(x, y, 1, 1);
            if (c == color) {
                ++t.exact;
                continue;
            }
            // The smoothed edge of a glyph: every channel between the face's and the colour's (the
            // blend need not be linear), channels with the same start and end alike.
            const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
            const int f[3] = {qRed(face), qGreen(face), qBlue(face)};
            const int k[3] = {qRed(color), qGreen(color), qBlue(color)};
            bool blend = true;
            for (int i = 0; i < 3; ++i) {
                blend = blend && v[i] >= std::min(f[i], k[i]) - 2 && v[i] <= std::max(f[i], k[i]) + 2;
                for (int j = 0; j < i; ++j)
                    if (f[i] == f[j] && k[i] == k[j])
                        blend = blend && std::abs(v[i] - v[j]) <= 3;
            }
            if (!blend && t.fault.isEmpty())
                t.fault = QStringLiteral("(%1, %2) is #%3, neither the text colour nor a blend of it with the surface")
                              .arg(x).arg(y).arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        }
    return t;
}

} // namespace

class TypicalRunE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void typicalRun();
    void clickOnConfirmOnlyClosesThePalette();
    void escapeClosesThePaletteNotTheWindow();

private:
    QImage screen() const { return m_window->grab(); }
    QPoint toRoot(QPoint local) const { return m_window->geometry().topLeft() + local; }
    bool paletteOpen() const;
    bool panelShown() const;
    void openPalette();
    void drag(QPoint from, QPoint delta);

    std::unique_ptr<XConnection> m_x;
    std::unique_ptr<XInput> m_input;
    std::unique_ptr<AppProcess> m_app;
    std::optional<TopLevel> m_window;
    QRgb m_face = 0;
};

void TypicalRunE2E::initTestCase()
{
    m_x = std::make_unique<XConnection>();
    m_input = std::make_unique<XInput>(*m_x);
    const QString problem = endToEndProblem(*m_x, m_input.get());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // Keys of their own for the Chinese characters, so that none is lost while typing.
    QVERIFY(m_input->addKeysFor(Text));
}

void TypicalRunE2E::init()
{
    m_app = std::make_unique<AppProcess>(QStringLiteral(BIGTEXT_EXE));
    QVERIFY2(m_app->start(), "bigtext did not start");
    m_window = TopLevel::waitFor(*m_x, m_app->pid());
    QVERIFY2(m_window, qPrintable("no window of bigtext appeared; its output: " + QString::fromLocal8Bit(m_app->standardError())));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasInputFocus(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(screen().pixel(BareSurface) != qRgb(0, 0, 0) && isWhite(screen().pixel(EditBox1.center())), 5000);
    m_face = screen().pixel(BareSurface);
}

void TypicalRunE2E::cleanup()
{
    if (QTest::currentTestFailed())
        m_input->releaseButton();
    m_window.reset();
    m_app.reset();
}

// The palette is shown where it opens: its red and blue cells are on the screen.
bool TypicalRunE2E::paletteOpen() const
{
    const QRect window = m_window->geometry();
    const QImage red = m_x->grab(QRect(window.topLeft() + cellCentre(RedCell) - QPoint(3, 3), QSize(6, 6)));
    const QImage blue = m_x->grab(QRect(window.topLeft() + cellCentre(BlueCell) - QPoint(3, 3), QSize(6, 6)));
    return countPixels(red, red.rect(), [](QRgb c) { return c == Red; }) == 36
        && countPixels(blue, blue.rect(), [](QRgb c) { return c == qRgb(0, 0, 255); }) == 36;
}

bool TypicalRunE2E::panelShown() const
{
    return countPixels(screen(), EditBox1.adjusted(4, 4, -4, -4), isWhite) > 1000;
}

// The palette opens on the release of the button, not on the press.
void TypicalRunE2E::openPalette()
{
    m_input->movePointer(toRoot(Picker1.center()));
    QTest::qWait(50);
    m_input->pressButton();
    QTest::qWait(300);
    QVERIFY2(!paletteOpen(), "the palette opened on the press");
    m_input->releaseButton();
    QTRY_VERIFY_WITH_TIMEOUT(paletteOpen(), 3000);
}

void TypicalRunE2E::drag(QPoint from, QPoint delta)
{
    m_input->movePointer(from);
    QTest::qWait(60);
    m_input->pressButton();
    QTest::qWait(120);
    for (int i = 1; i <= 5; ++i) {
        m_input->movePointer(from + delta * i / 5);
        QTest::qWait(40);
    }
    QTest::qWait(200);
    m_input->releaseButton();
    // Keys sent while the window manager still holds its grab would go to it.
    QVERIFY2(m_input->waitUntilPointerFree(), "the pointer stayed grabbed after the release");
}

void TypicalRunE2E::typicalRun()
{
    const QSize screenSize = m_x->screenSize();
    const QPoint centred((screenSize.width() - StartSize.width()) / 2, (screenSize.height() - StartSize.height()) / 2);
    QCOMPARE(m_window->geometry(), QRect(centred, StartSize));
    QVERIFY(panelShown());

    // The text, typed into the edit box after a click on it.
    m_input->click(toRoot(EditBox1.center()));
    QTest::qWait(100);
    QVERIFY(XInput::typeText(Text));
    QTRY_VERIFY_WITH_TIMEOUT(countPixels(screen(), EditBox1.adjusted(4, 4, -4, -4), [](QRgb c) { return qGray(c) < 100; }) > 40, 3000);

    // 红色 from the palette; the picker's swatch shows it once the palette is gone.
    QCOMPARE(screen().pixel(PickerSwatch), qRgb(0, 0, 0));
    openPalette();
    if (QTest::currentTestFailed())
        return;
    m_input->click(toRoot(cellCentre(RedCell)));
    QTRY_VERIFY_WITH_TIMEOUT(!paletteOpen(), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(screen().pixel(PickerSwatch), Red, 3000);

    // 确认: the panel goes, the text shows across the window in red, in rows 40 to H - 11.
    m_input->click(toRoot(Button1.center()));
    QTRY_VERIFY_WITH_TIMEOUT(!panelShown(), 3000);
    QTest::qWait(200);
    QImage shown = screen();
    const QRect grip(StartSize.width() - 16, StartSize.height() - 16, 16, 16);
    const QRect band(0, 40, StartSize.width(), StartSize.height() - 50);
    TextPixels text = textPixels(shown, band, m_face, Red);
    QVERIFY2(text.fault.isEmpty(), qPrintable(text.fault));
    QVERIFY2(text.exact > 300, qPrintable(QString::number(text.exact)));
    // Centred across the width, at 66 points (an em of 88 pixels).
    QVERIFY2(std::abs(text.bounds.center().x() - StartSize.width() / 2) <= 12, qPrintable(QString::number(text.bounds.center().x())));
    QVERIFY2(text.bounds.height() > 55 && text.bounds.height() <= 88, qPrintable(QString::number(text.bounds.height())));
    const int confirmedHeight = text.bounds.height();
    // Outside the band only the surface and the grip: no trace of the panel.
    for (int y = 0; y < StartSize.height(); ++y)
        for (int x = 0; x < StartSize.width(); ++x)
            if (!band.contains(x, y) && !grip.contains(x, y))
                QVERIFY2(shown.pixel(x, y) == m_face, qPrintable(QStringLiteral("(%1, %2) is not the surface").arg(x).arg(y)));
    QCOMPARE(countPixels(shown, QRect(QPoint(0, 0), StartSize), [](QRgb c) { return qBlue(c) > 150 && qRed(c) < 110; }), 0);

    // The grip's lower rows, below the label: the text grows with the window (316 points, an
    // em of 421 pixels, taller than the label, so the glyphs are cut at its top and bottom).
    const QRect start = m_window->geometry();
    drag(toRoot(QPoint(StartSize.width() - 6, StartSize.height() - 4)), QPoint(400, 250));
    const QSize large = StartSize + QSize(400, 250);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->geometry(), QRect(start.topLeft(), large), 3000);
    const QRect largeBand(0, 40, large.width(), large.height() - 50);
    QTRY_VERIFY_WITH_TIMEOUT(textPixels(screen(), largeBand, m_face, Red).bounds.height() > 2 * confirmedHeight, 3000);
    shown = screen();
    text = textPixels(shown, largeBand, m_face, Red);
    QVERIFY2(text.fault.isEmpty(), qPrintable(text.fault));
    QVERIFY2(std::abs(text.bounds.center().x() - large.width() / 2) <= 25, qPrintable(QString::number(text.bounds.center().x())));
    QCOMPARE(countPixels(shown, QRect(0, 0, large.width(), 40), [this](QRgb c) { return c != m_face; }), 0);
    QCOMPARE(countPixels(shown, QRect(0, large.height() - 10, large.width() - 16, 10), [this](QRgb c) { return c != m_face; }), 0);

    // The top band moves the window.
    drag(toRoot(QPoint(300, 10)), QPoint(-150, -100));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->geometry(), QRect(start.topLeft() - QPoint(150, 100), large), 3000);

    m_input->tapKey("Escape");
    QVERIFY2(m_app->waitForExit(5000), "Esc did not end the program");
    QVERIFY(m_app->exitedNormally());
    QCOMPARE(m_app->exitCode(), 0);
}

void TypicalRunE2E::clickOnConfirmOnlyClosesThePalette()
{
    openPalette();
    if (QTest::currentTestFailed())
        return;
    // The click ends the palette with cancel and goes no further.
    m_input->click(toRoot(Button1.center()));
    QTRY_VERIFY_WITH_TIMEOUT(!paletteOpen(), 3000);
    QTest::qWait(400);
    QVERIFY2(panelShown(), "the click that closed the palette also confirmed");
    QCOMPARE(screen().pixel(PickerSwatch), qRgb(0, 0, 0));

    // The second click confirms.
    m_input->click(toRoot(Button1.center()));
    QTRY_VERIFY_WITH_TIMEOUT(!panelShown(), 3000);
}

void TypicalRunE2E::escapeClosesThePaletteNotTheWindow()
{
    openPalette();
    if (QTest::currentTestFailed())
        return;
    m_input->tapKey("Escape");
    QTRY_VERIFY_WITH_TIMEOUT(!paletteOpen(), 3000);
    QTest::qWait(500);
    QVERIFY2(m_app->isRunning(), "Esc on the palette ended the program");
    QVERIFY(m_window->isViewable());
    QVERIFY(panelShown());

    m_input->tapKey("Escape");
    QVERIFY2(m_app->waitForExit(5000), "the second Esc did not end the program");
    QVERIFY(m_app->exitedNormally());
    QCOMPARE(m_app->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TypicalRunE2E)
#include "tst_typicalrun_e2e.moc"

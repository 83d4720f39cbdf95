// Moving and resizing the frameless window with the mouse, on a real X server: through the
// window manager's own move and resize (openbox, started by scripts/test), and on a private
// server without any window manager, where the program follows the pointer itself. The input is
// real pointer input through XTest; sizes, places and pixels are read back from the server.

#include "appprocess.h"
#include "clientwindow.h"
#include "pixels.h"
#include "toplevel.h"
#include "xconnection.h"
#include "xinput.h"
#include "xserver.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

using namespace e2e;

namespace {

constexpr QSize StartSize(528, 166);
// Window-local places from the window definition: the input panel and its four controls.
constexpr QRect Panel(16, 24, 504, 120);
constexpr QRect Label1(16 + 133, 24 + 68, 96, 32);
constexpr QRect EditBox1(16 + 16, 24 + 24, 464, 32);
constexpr QRect Button1(16 + 301, 24 + 67, 144, 32);
constexpr QRect Picker1(16 + 232, 24 + 72, 56, 24);
constexpr QPoint BareSurface(4, 4);

enum class Outcome { Nothing, Moves, Resizes };

} // namespace

Q_DECLARE_METATYPE(Outcome)

namespace {

QRect gripOf(QSize size)
{
    return QRect(size.width() - 16, size.height() - 16, 16, 16);
}

// A window-local point; negative coordinates count from the right or bottom edge (-1 is the
// last column or row).
QPoint resolve(QPoint p, QSize size)
{
    return {p.x() < 0 ? size.width() + p.x() : p.x(), p.y() < 0 ? size.height() + p.y() : p.y()};
}

QRect expectedGeometry(const QRect &start, QPoint delta, Outcome outcome)
{
    switch (outcome) {
    case Outcome::Moves:
        return start.translated(delta);
    case Outcome::Resizes:
        return QRect(start.topLeft(), start.size() + QSize(delta.x(), delta.y()));
    case Outcome::Nothing:
        break;
    }
    return start;
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(15);
    }
    return true;
}

// The program on one X server, up and painted.
class Program {
public:
    explicit Program(const XConnection &x, const QString &display = {})
        : m_x(x)
        , m_app(QStringLiteral(BIGTEXT_EXE))
    {
        if (!display.isEmpty())
            m_app.setEnvironment(QStringLiteral("DISPLAY"), display);
    }

    // Empty when the window is up, painted and (with a window manager) has the keyboard focus;
    // else what went wrong.
    QString start()
    {
        if (!m_app.start())
            return QStringLiteral("bigtext did not start");
        m_window = TopLevel::waitFor(m_x, m_app.pid());
        if (!m_window)
            return QStringLiteral("no window of bigtext appeared; its output: ") + QString::fromLocal8Bit(m_app.standardError());
        if (m_x.hasWindowManager() && !waitUntil([this] { return m_window->hasInputFocus(); }, 5000))
            return QStringLiteral("the window did not get the keyboard focus");
        const bool painted = waitUntil(
            [this] {
                const QImage shown = screen();
                return shown.size() == StartSize && shown.pixel(BareSurface) != qRgb(0, 0, 0)
                    && shown.pixel(EditBox1.center()) == qRgb(255, 255, 255);
            },
            5000);
        if (!painted)
            return QStringLiteral("the window was not painted");
        m_face = screen().pixel(BareSurface);
        return {};
    }

    AppProcess &process() { return m_app; }
    const TopLevel &window() const { return *m_window; }
    QRect geometry() const { return m_window->geometry(); }
    QImage screen() const { return m_window->grab(); }
    QRgb face() const { return m_face; }
    QPoint toRoot(QPoint local) const { return geometry().topLeft() + local; }

private:
    const XConnection &m_x;
    AppProcess m_app;
    std::optional<TopLevel> m_window;
    QRgb m_face = 0;
};

// What a drag does between its steps.
struct DragSteps {
    int count = 4;
    Qt::KeyboardModifiers modifiers = {};
    int button = 1;
    // Runs after each step with the pointer's offset from the press so far.
    std::function<void(QPoint)> afterStep;
};

// A press at a root point, the pointer moved by delta in even steps with the button held, and
// the release. The pauses give the window manager the time to take over the drag and to see
// every motion; before the release the window is given the time to follow.
void drag(XInput &input, QPoint from, QPoint delta, const DragSteps &steps = {},
          const std::function<bool()> &followed = {})
{
    input.movePointer(from);
    QTest::qWait(60);
    input.holdModifiers(steps.modifiers);
    input.pressButton(steps.button);
    QTest::qWait(120);
    for (int i = 1; i <= steps.count; ++i) {
        const QPoint offset(delta.x() * i / steps.count, delta.y() * i / steps.count);
        input.movePointer(from + offset);
        QTest::qWait(40);
        if (steps.afterStep)
            steps.afterStep(offset);
    }
    QTest::qWait(150);
    if (followed)
        waitUntil(followed, 3000);
    input.releaseButton(steps.button);
    input.releaseModifiers(steps.modifiers);
    QVERIFY2(input.waitUntilPointerFree(), "the pointer stayed grabbed after the release");
}

// After a change of size: the grip shows its picture in the bottom-right corner, and every
// other pixel is the face colour of the surface. The input panel lies above the surface and the
// grip and is not looked at.
QString layoutFaults(const Program &program, QSize size)
{
    const QImage shown = program.screen();
    if (shown.size() != size)
        return QStringLiteral("the window shows %1x%2").arg(shown.width()).arg(shown.height());
    const QRgb face = program.face();
    const QRect grip = gripOf(size);
    const QImage gripPicture = expectedGrip(QStringLiteral(BIGTEXT_GRIP_PNG), face);
    if (gripPicture.isNull())
        return QStringLiteral("cannot read " BIGTEXT_GRIP_PNG);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QPoint p(x, y);
            if (Panel.contains(p))
                continue;
            const bool inGrip = grip.contains(p);
            const QRgb expected = inGrip ? gripPicture.pixel(p - grip.topLeft()) : face;
            if (channelDistance(shown.pixel(p), expected) > (inGrip ? 8 : 0))
                return QStringLiteral("(%1, %2)%3 is #%4, expected #%5")
                    .arg(x).arg(y)
                    .arg(inGrip ? QStringLiteral(" in the grip at (%1, %2)").arg(grip.x()).arg(grip.y()) : QString())
                    .arg(shown.pixel(p) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                    .arg(expected & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        }
    return {};
}

// Drags from a window-local point and checks what became of the window.
void checkDrag(Program &program, XInput &input, QPoint local, QPoint delta, Outcome outcome, DragSteps steps = {})
{
    const QRect start = program.geometry();
    const QRect expected = expectedGeometry(start, delta, outcome);
    drag(input, start.topLeft() + local, delta, steps, [&] { return program.geometry() == expected; });
    if (outcome == Outcome::Nothing) {
        // Give a wrong move or resize the time to show.
        QTest::qWait(400);
    }
    QTRY_COMPARE_WITH_TIMEOUT(program.geometry(), expected, 3000);
}

// Types a text into the edit box and confirms it: the panel goes, the label shows the text.
void confirmText(Program &program, XInput &input)
{
    input.click(program.toRoot(EditBox1.center()));
    QTest::qWait(100);
    QVERIFY(XInput::typeText(QStringLiteral("Text")));
    input.click(program.toRoot(Button1.center()));
    QTRY_VERIFY_WITH_TIMEOUT(countPixels(program.screen(), EditBox1, [](QRgb c) { return c == qRgb(255, 255, 255); }) < 10, 3000);
}

void releaseEverything(XInput &input)
{
    for (int button = 1; button <= 3; ++button)
        input.releaseButton(button);
    input.releaseModifiers(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    QTest::qWait(200);
}

void stillPressData()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("surface") << BareSurface << Outcome::Moves;
    QTest::newRow("grip") << QPoint(-8, -8) << Outcome::Resizes;
}

// A press released where it was pressed leaves the window as it was; the operation it started
// ended with the release, so the pointer then moves on its own; the next drag works as ever.
void checkStillPress(Program &program, XInput &input, QPoint local, Outcome dragOutcome)
{
    const QRect start = program.geometry();
    const QPoint pressAt = program.toRoot(local);
    input.movePointer(pressAt);
    QTest::qWait(60);
    input.pressButton();
    QTest::qWait(250);
    input.releaseButton();
    QVERIFY2(input.waitUntilPointerFree(), "the pointer stayed grabbed after the release");
    QTest::qWait(100);
    input.movePointer(pressAt + QPoint(60, 40));
    QTest::qWait(400);
    QCOMPARE(program.geometry(), start);

    checkDrag(program, input, local, QPoint(25, 15), dragOutcome);
}

// The first press of a double-click starts an operation that ends at once with its release;
// the second press, held and dragged, is the double-click's and drags nothing.
void checkDoubleClick(Program &program, XInput &input, QPoint local, Outcome dragOutcome)
{
    const QRect start = program.geometry();
    const QPoint pressAt = program.toRoot(local);
    input.movePointer(pressAt);
    QTest::qWait(60);
    input.pressButton();
    QTest::qWait(30);
    input.releaseButton();
    QTest::qWait(30);
    input.pressButton();
    QTest::qWait(120);
    for (int i = 1; i <= 4; ++i) {
        input.movePointer(pressAt + QPoint(15 * i, 10 * i));
        QTest::qWait(40);
    }
    QTest::qWait(400);
    input.releaseButton();
    QVERIFY2(input.waitUntilPointerFree(), "the pointer stayed grabbed after the release");
    QTest::qWait(100);
    QCOMPARE(program.geometry(), start);

    // Past the double-click time a press drags again.
    QTest::qWait(500);
    checkDrag(program, input, local, QPoint(-40, -25), dragOutcome);
}

void checkScreen(const XConnection &x)
{
    QVERIFY2(x.isOpen(), "cannot connect to the X server");
    XInput input(x);
    QVERIFY2(input.isAvailable(), "the X server has no XTest extension");
}

} // namespace

// With the window manager: the program hands each drag to it.
class MoveResizeE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void surfaceDragMovesByTheVector_data();
    void surfaceDragMovesByTheVector();
    void gripDragGrowsByTheVector_data();
    void gripDragGrowsByTheVector();
    void layoutFollowsEverySizeStep();
    void gripBeneathThePanelResizes();
    void pressAreas_data();
    void pressAreas();
    void modifiersAndButtons_data();
    void modifiersAndButtons();
    void pressWithoutMovementChangesNothing_data();
    void pressWithoutMovementChangesNothing();
    void doubleClickDoesNotDrag_data();
    void doubleClickDoesNotDrag();
    void pressOnInactiveWindowActivatesAndMoves();

private:
    std::unique_ptr<XConnection> m_x;
    std::unique_ptr<XInput> m_input;
    std::unique_ptr<Program> m_program;
};

void MoveResizeE2E::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QFAIL("DISPLAY is not set: run the end-to-end tests through scripts/test, which starts an X server");
    m_x = std::make_unique<XConnection>();
    checkScreen(*m_x);
    m_input = std::make_unique<XInput>(*m_x);
    QVERIFY2(m_x->hasWindowManager(), "no window manager runs on the X server");
}

void MoveResizeE2E::init()
{
    m_program = std::make_unique<Program>(*m_x);
    const QString fault = m_program->start();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void MoveResizeE2E::cleanup()
{
    // A test that failed in the middle of a drag leaves nothing held for the next one.
    if (QTest::currentTestFailed())
        releaseEverything(*m_input);
    m_program.reset(); // kills the program if a test left it running
}

void MoveResizeE2E::surfaceDragMovesByTheVector_data()
{
    QTest::addColumn<QPoint>("delta");
    QTest::newRow("right and down") << QPoint(120, 75);
    QTest::newRow("left and up") << QPoint(-230, -140);
    QTest::newRow("one pixel") << QPoint(1, 1);
    QTest::newRow("straight down") << QPoint(0, 210);
    QTest::newRow("left, a little up") << QPoint(-333, -7);
}

void MoveResizeE2E::surfaceDragMovesByTheVector()
{
    QFETCH(QPoint, delta);
    const QRect start = m_program->geometry();
    QCOMPARE(start.size(), StartSize);
    checkDrag(*m_program, *m_input, BareSurface, delta, Outcome::Moves);
    // Moving leaves the layout as it was.
    const QString faults = layoutFaults(*m_program, StartSize);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

void MoveResizeE2E::gripDragGrowsByTheVector_data()
{
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<QPoint>("delta");
    QTest::newRow("larger") << QPoint(-8, -8) << QPoint(250, 120);
    QTest::newRow("smaller") << QPoint(-8, -8) << QPoint(-200, -60);
    QTest::newRow("one pixel, from the grip's top-left") << QPoint(-16, -16) << QPoint(1, 1);
    QTest::newRow("wider, lower, from the last pixel") << QPoint(-1, -1) << QPoint(310, -25);
    QTest::newRow("narrower, taller") << QPoint(-12, -3) << QPoint(-140, 230);
}

void MoveResizeE2E::gripDragGrowsByTheVector()
{
    QFETCH(QPoint, pressAt);
    QFETCH(QPoint, delta);
    checkDrag(*m_program, *m_input, resolve(pressAt, StartSize), delta, Outcome::Resizes);
    const QSize size = StartSize + QSize(delta.x(), delta.y());
    QString faults;
    QTRY_VERIFY2_WITH_TIMEOUT((faults = layoutFaults(*m_program, size)).isEmpty(), qPrintable(faults), 3000);
}

void MoveResizeE2E::layoutFollowsEverySizeStep()
{
    // Out and back in within one drag: the size, the grip and the surfaces after every step.
    const QRect start = m_program->geometry();
    const QPoint from = m_program->toRoot(resolve(QPoint(-8, -8), StartSize));
    const QList<QPoint> path{{40, 20}, {90, 45}, {170, 80}, {260, 130}, {200, 60}, {60, 10}, {-80, -30}, {-150, -50}};

    m_input->movePointer(from);
    QTest::qWait(60);
    m_input->pressButton();
    QTest::qWait(120);
    for (const QPoint offset : path) {
        m_input->movePointer(from + offset);
        const QSize size = StartSize + QSize(offset.x(), offset.y());
        QTRY_COMPARE_WITH_TIMEOUT(m_program->geometry(), QRect(start.topLeft(), size), 3000);
        QString faults;
        QTRY_VERIFY2_WITH_TIMEOUT((faults = layoutFaults(*m_program, size)).isEmpty(),
                                  qPrintable(QStringLiteral("at %1x%2: %3").arg(size.width()).arg(size.height()).arg(faults)),
                                  3000);
    }
    m_input->releaseButton();
    QVERIFY2(m_input->waitUntilPointerFree(), "the pointer stayed grabbed after the release");

    // The drag is over: moving the pointer changes nothing more.
    const QRect end = m_program->geometry();
    m_input->movePointer(from + QPoint(30, 30));
    QTest::qWait(300);
    QCOMPARE(m_program->geometry(), end);
}

void MoveResizeE2E::gripBeneathThePanelResizes()
{
    // At 300 x 140 the grip, at (284, 124), lies inside the panel, which reaches to (520, 144):
    // a press on it goes through the panel to the grip.
    checkDrag(*m_program, *m_input, resolve(QPoint(-8, -8), StartSize), QPoint(300, 140) - QPoint(528, 166), Outcome::Resizes);
    if (QTest::currentTestFailed())
        return;
    const QSize small(300, 140);
    QVERIFY(Panel.contains(gripOf(small)));
    QString faults;
    QTRY_VERIFY2_WITH_TIMEOUT((faults = layoutFaults(*m_program, small)).isEmpty(), qPrintable(faults), 3000);

    checkDrag(*m_program, *m_input, resolve(QPoint(-8, -8), small), QPoint(60, 45), Outcome::Resizes);
    if (QTest::currentTestFailed())
        return;
    // And the panel's blank inside beside it still moves the window.
    checkDrag(*m_program, *m_input, QPoint(100, 130), QPoint(-50, 35), Outcome::Moves);
}

void MoveResizeE2E::pressAreas_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<Outcome>("outcome");

    // The input panel shown, the label hidden.
    QTest::newRow("panel: bare surface, top-left") << false << QPoint(4, 4) << Outcome::Moves;
    QTest::newRow("panel: bare surface, right of the panel") << false << QPoint(524, 80) << Outcome::Moves;
    QTest::newRow("panel: bare surface, below the panel") << false << QPoint(300, 155) << Outcome::Moves;
    QTest::newRow("panel: frame, left edge") << false << QPoint(Panel.left() + 1, 100) << Outcome::Moves;
    QTest::newRow("panel: caption") << false << QPoint(60, 30) << Outcome::Moves;
    QTest::newRow("panel: blank inside, left") << false << QPoint(100, 130) << Outcome::Moves;
    QTest::newRow("panel: blank inside, right of the button") << false << QPoint(500, 110) << Outcome::Moves;
    QTest::newRow("panel: 标签1") << false << Label1.center() << Outcome::Nothing;
    QTest::newRow("panel: 编辑框1") << false << EditBox1.center() << Outcome::Nothing;
    QTest::newRow("panel: 按钮1") << false << Button1.center() << Outcome::Nothing;
    QTest::newRow("panel: 颜色选择器1") << false << Picker1.center() << Outcome::Nothing;
    QTest::newRow("panel: grip, middle") << false << QPoint(-8, -8) << Outcome::Resizes;
    QTest::newRow("panel: grip, top-left pixel") << false << QPoint(-16, -16) << Outcome::Resizes;
    QTest::newRow("panel: left of the grip") << false << QPoint(-17, -8) << Outcome::Moves;
    QTest::newRow("panel: above the grip") << false << QPoint(-8, -17) << Outcome::Moves;

    // The label shown across rows 40 to H - 11.
    QTest::newRow("label: top band, row 0") << true << QPoint(264, 0) << Outcome::Moves;
    QTest::newRow("label: top band, row 39") << true << QPoint(4, 39) << Outcome::Moves;
    QTest::newRow("label: row 40") << true << QPoint(4, 40) << Outcome::Nothing;
    QTest::newRow("label: middle") << true << QPoint(264, 100) << Outcome::Nothing;
    QTest::newRow("label: where the button was") << true << Button1.center() << Outcome::Nothing;
    QTest::newRow("label: row H - 11") << true << QPoint(4, -11) << Outcome::Nothing;
    QTest::newRow("label: bottom band, row H - 10") << true << QPoint(4, -10) << Outcome::Moves;
    QTest::newRow("label: bottom band, row H - 1") << true << QPoint(264, -1) << Outcome::Moves;
    QTest::newRow("label: grip's upper rows, H - 16") << true << QPoint(-8, -16) << Outcome::Nothing;
    QTest::newRow("label: grip's upper rows, H - 11") << true << QPoint(-1, -11) << Outcome::Nothing;
    QTest::newRow("label: grip's lower rows, H - 10") << true << QPoint(-16, -10) << Outcome::Resizes;
    QTest::newRow("label: grip's lower rows, H - 1") << true << QPoint(-1, -1) << Outcome::Resizes;
}

void MoveResizeE2E::pressAreas()
{
    QFETCH(bool, confirmed);
    QFETCH(QPoint, at);
    QFETCH(Outcome, outcome);

    if (confirmed) {
        confirmText(*m_program, *m_input);
        if (QTest::currentTestFailed())
            return;
    }
    // Far enough that a drag started on a control ends outside it: no click, no palette.
    checkDrag(*m_program, *m_input, resolve(at, StartSize), QPoint(45, 37), outcome);
}

void MoveResizeE2E::modifiersAndButtons_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<Outcome>("outcome");

    // Alt is left out here: Alt with the left button is the window manager's own move, which
    // the program never sees. The run without a window manager covers it.
    const QPoint grip(-8, -8);
    QTest::newRow("surface, Ctrl") << BareSurface << 1 << Qt::KeyboardModifiers(Qt::ControlModifier) << Outcome::Moves;
    QTest::newRow("surface, Shift") << BareSurface << 1 << Qt::KeyboardModifiers(Qt::ShiftModifier) << Outcome::Moves;
    QTest::newRow("panel's blank inside, Ctrl+Shift") << QPoint(100, 130) << 1
                                                     << (Qt::ControlModifier | Qt::ShiftModifier) << Outcome::Moves;
    QTest::newRow("grip, Ctrl") << grip << 1 << Qt::KeyboardModifiers(Qt::ControlModifier) << Outcome::Resizes;
    QTest::newRow("grip, Ctrl+Shift") << grip << 1 << (Qt::ControlModifier | Qt::ShiftModifier) << Outcome::Resizes;
    QTest::newRow("surface, right button") << BareSurface << 3 << Qt::KeyboardModifiers() << Outcome::Nothing;
    QTest::newRow("surface, middle button") << BareSurface << 2 << Qt::KeyboardModifiers() << Outcome::Nothing;
    QTest::newRow("grip, right button") << grip << 3 << Qt::KeyboardModifiers() << Outcome::Nothing;
    QTest::newRow("grip, middle button") << grip << 2 << Qt::KeyboardModifiers() << Outcome::Nothing;
}

void MoveResizeE2E::modifiersAndButtons()
{
    QFETCH(QPoint, at);
    QFETCH(int, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(Outcome, outcome);

    DragSteps steps;
    steps.button = button;
    steps.modifiers = modifiers;
    checkDrag(*m_program, *m_input, resolve(at, StartSize), QPoint(70, 40), outcome, steps);
    if (QTest::currentTestFailed())
        return;
    // Nothing of the press is left over: a plain drag afterwards does just what it should.
    checkDrag(*m_program, *m_input, BareSurface, QPoint(-30, -20), Outcome::Moves);
}

void MoveResizeE2E::pressWithoutMovementChangesNothing_data()
{
    stillPressData();
}

void MoveResizeE2E::pressWithoutMovementChangesNothing()
{
    QFETCH(QPoint, at);
    QFETCH(Outcome, outcome);
    checkStillPress(*m_program, *m_input, resolve(at, StartSize), outcome);
}

void MoveResizeE2E::doubleClickDoesNotDrag_data()
{
    stillPressData();
}

void MoveResizeE2E::doubleClickDoesNotDrag()
{
    QFETCH(QPoint, at);
    QFETCH(Outcome, outcome);
    checkDoubleClick(*m_program, *m_input, resolve(at, StartSize), outcome);
}

void MoveResizeE2E::pressOnInactiveWindowActivatesAndMoves()
{
    // Another client's window, away from bigtext's, takes the activation.
    XConnection other;
    QVERIFY(other.isOpen());
    const ClientWindow w(other, QRect(80, 80, 240, 120), "another client");

    const TopLevel otherWindow(*m_x, w.id());
    QTRY_VERIFY_WITH_TIMEOUT(otherWindow.isViewable(), 5000);
    otherWindow.requestActivate();
    QTRY_VERIFY_WITH_TIMEOUT(m_x->inputFocus() == w.id(), 5000);
    QVERIFY(!m_program->window().hasInputFocus());

    checkDrag(*m_program, *m_input, BareSurface, QPoint(90, -60), Outcome::Moves);
    QTRY_VERIFY_WITH_TIMEOUT(m_program->window().hasInputFocus(), 3000);
}

// Without a window manager: the program follows the pointer itself, with the same results.
class MoveResizeWithoutWindowManagerE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void surfaceAndGripDrags_data();
    void surfaceAndGripDrags();
    void layoutFollowsEverySizeStep();
    void pressWithoutMovementChangesNothing_data();
    void pressWithoutMovementChangesNothing();
    void doubleClickDoesNotDrag_data();
    void doubleClickDoesNotDrag();

private:
    std::unique_ptr<XServer> m_server;
    std::unique_ptr<XConnection> m_x;
    std::unique_ptr<XInput> m_input;
    std::unique_ptr<Program> m_program;
};

void MoveResizeWithoutWindowManagerE2E::initTestCase()
{
    m_server = std::make_unique<XServer>();
    QVERIFY2(m_server->start(), qPrintable("Xvfb did not start: " + QString::fromLocal8Bit(m_server->log())));
    m_x = std::make_unique<XConnection>(m_server->display().toLatin1());
    checkScreen(*m_x);
    QVERIFY(!m_x->hasWindowManager());
    m_input = std::make_unique<XInput>(*m_x);
}

void MoveResizeWithoutWindowManagerE2E::init()
{
    m_program = std::make_unique<Program>(*m_x, m_server->display());
    const QString fault = m_program->start();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void MoveResizeWithoutWindowManagerE2E::cleanup()
{
    if (QTest::currentTestFailed())
        releaseEverything(*m_input);
    m_program.reset();
}

void MoveResizeWithoutWindowManagerE2E::surfaceAndGripDrags_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("button");
    QTest::addColumn<Outcome>("outcome");

    const QPoint grip(-8, -8);
    const Qt::KeyboardModifiers none;
    const Qt::KeyboardModifiers alt(Qt::AltModifier);
    QTest::newRow("surface, right and down") << BareSurface << QPoint(120, 75) << none << 1 << Outcome::Moves;
    QTest::newRow("surface, left and up") << BareSurface << QPoint(-230, -140) << none << 1 << Outcome::Moves;
    QTest::newRow("panel's caption, Alt") << QPoint(60, 30) << QPoint(33, -44) << alt << 1 << Outcome::Moves;
    QTest::newRow("grip, larger") << grip << QPoint(250, 120) << none << 1 << Outcome::Resizes;
    QTest::newRow("grip, smaller") << grip << QPoint(-200, -60) << none << 1 << Outcome::Resizes;
    QTest::newRow("grip, Alt") << grip << QPoint(41, 29) << alt << 1 << Outcome::Resizes;
    QTest::newRow("edit box") << EditBox1.center() << QPoint(45, 37) << none << 1 << Outcome::Nothing;
    QTest::newRow("surface, right button") << BareSurface << QPoint(45, 37) << none << 3 << Outcome::Nothing;
    QTest::newRow("grip, middle button") << grip << QPoint(45, 37) << none << 2 << Outcome::Nothing;
}

void MoveResizeWithoutWindowManagerE2E::surfaceAndGripDrags()
{
    QFETCH(QPoint, at);
    QFETCH(QPoint, delta);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, button);
    QFETCH(Outcome, outcome);

    DragSteps steps;
    steps.modifiers = modifiers;
    steps.button = button;
    checkDrag(*m_program, *m_input, resolve(at, StartSize), delta, outcome, steps);
    const QSize size = outcome == Outcome::Resizes ? StartSize + QSize(delta.x(), delta.y()) : StartSize;
    QString faults;
    QTRY_VERIFY2_WITH_TIMEOUT((faults = layoutFaults(*m_program, size)).isEmpty(), qPrintable(faults), 3000);
}

void MoveResizeWithoutWindowManagerE2E::layoutFollowsEverySizeStep()
{
    const QRect start = m_program->geometry();
    DragSteps steps;
    steps.count = 6;
    steps.afterStep = [&](QPoint offset) {
        if (QTest::currentTestFailed())
            return;
        const QSize size = StartSize + QSize(offset.x(), offset.y());
        QTRY_COMPARE_WITH_TIMEOUT(m_program->geometry(), QRect(start.topLeft(), size), 3000);
        QString faults;
        QTRY_VERIFY2_WITH_TIMEOUT((faults = layoutFaults(*m_program, size)).isEmpty(), qPrintable(faults), 3000);
    };
    drag(*m_input, m_program->toRoot(resolve(QPoint(-8, -8), StartSize)), QPoint(300, 150), steps);
    if (QTest::currentTestFailed())
        return;

    // The release ended the drag: the pointer moves on its own.
    const QRect end = m_program->geometry();
    QCOMPARE(end, QRect(start.topLeft(), StartSize + QSize(300, 150)));
    m_input->movePointer(end.bottomRight() + QPoint(40, 40));
    QTest::qWait(300);
    QCOMPARE(m_program->geometry(), end);
}

void MoveResizeWithoutWindowManagerE2E::pressWithoutMovementChangesNothing_data()
{
    stillPressData();
}

void MoveResizeWithoutWindowManagerE2E::pressWithoutMovementChangesNothing()
{
    QFETCH(QPoint, at);
    QFETCH(Outcome, outcome);
    checkStillPress(*m_program, *m_input, resolve(at, StartSize), outcome);
}

void MoveResizeWithoutWindowManagerE2E::doubleClickDoesNotDrag_data()
{
    stillPressData();
}

void MoveResizeWithoutWindowManagerE2E::doubleClickDoesNotDrag()
{
    QFETCH(QPoint, at);
    QFETCH(Outcome, outcome);
    checkDoubleClick(*m_program, *m_input, resolve(at, StartSize), outcome);
}

namespace {

bool hasTestFunction(const QObject &test, const QByteArray &name)
{
    const QMetaObject *meta = test.metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        if (meta->method(i).name() == name)
            return true;
    return false;
}

// Runs one of the two test objects with the command line, less the test functions that belong
// to the other; not at all when the command line names only the other's functions.
int run(QObject &test, const QObject &other, const QStringList &arguments)
{
    QStringList mine{arguments.front()};
    bool namesMine = false, namesOthers = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QByteArray function = arguments[i].section(QLatin1Char(':'), 0, 0).toLatin1();
        if (hasTestFunction(test, function))
            namesMine = true;
        else if (hasTestFunction(other, function)) {
            namesOthers = true;
            continue;
        }
        mine << arguments[i];
    }
    if (namesOthers && !namesMine)
        return 0;
    return QTest::qExec(&test, mine);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    MoveResizeE2E managed;
    MoveResizeWithoutWindowManagerE2E unmanaged;
    const int failedManaged = run(managed, unmanaged, arguments);
    const int failedUnmanaged = run(unmanaged, managed, arguments);
    return failedManaged || failedUnmanaged ? 1 : 0;
}

#include "tst_moveresize_e2e.moc"

#include "kit/builder.h"
#include "kit/controls.h"
#include "resources/resources.h"

#include <QApplication>
#include <QStyleHints>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kit;

namespace {

ControlDef make(const char *name, Kind kind, std::uint32_t id, const char *parent, QRect g, KindSettings s)
{
    ControlDef c{};
    c.name = name;
    c.kind = kind;
    c.id = id;
    c.parent = parent;
    c.left = g.x();
    c.top = g.y();
    c.width = g.width();
    c.height = g.height();
    c.settings = std::move(s);
    return c;
}

// A window like the program's own in shape: a surface, a group with three controls, a grip
// beneath the group's right end, and a hidden label on top.
Definition fixture()
{
    WindowDef w{};
    w.name = "w";
    w.id = 0x100;
    w.controlId = 0x101;
    w.width = 300;
    w.height = 200;
    w.bindings = {{Event::Created, "record"}, {Event::Moved, "record"}, {Event::SizeChanged, "record"}};
    ControlDef s = make("s", Kind::ShapeBox, 1, "w", {0, 0, 300, 200}, ShapeBoxSettings{});
    s.bindings = {{Event::LeftButtonPressed, "record"}, {Event::DoubleClicked, "record"}};
    s.pointer = Pointer::PointingHand;
    PicBoxSettings pic;
    pic.picture = resources::gripPicture();
    ControlDef p = make("p", Kind::PicBox, 2, "s", {284, 184, 16, 16}, pic);
    p.bindings = {{Event::LeftButtonPressed, "record"}, {Event::DoubleClicked, "record"}};
    ControlDef g = make("g", Kind::GroupBox, 3, "s", {10, 20, 290, 175}, GroupBoxSettings{"caption", 0xFF0000});
    ControlDef b = make("b", Kind::Button, 4, "g", {10, 30, 80, 30}, ButtonSettings{"OK"});
    b.focusable = true;
    b.bindings = {{Event::Clicked, "record"}, {Event::LeftButtonPressed, "record"}};
    ControlDef e = make("e", Kind::EditBox, 5, "g", {100, 30, 100, 30}, EditBoxSettings{});
    e.focusable = true;
    ControlDef l = make("l", Kind::Label, 6, "g", {10, 80, 80, 30}, LabelSettings{"label"});
    l.bindings = {{Event::LeftButtonPressed, "record"}};
    ControlDef e2 = make("e2", Kind::EditBox, 7, "g", {100, 80, 100, 30}, EditBoxSettings{});
    e2.focusable = true;
    e2.focusOrder = -1; // first in the cycle despite being created last
    ControlDef t = make("t", Kind::TransLabel, 8, "s", {0, 40, 300, 100}, TransLabelSettings{"text"});
    t.visible = false;
    t.bindings = {{Event::LeftButtonPressed, "record"}};
    w.controls = {s, p, g, b, e, l, e2, t};
    w.stacking = {{"s", {"t", "g", "p"}}};
    return Definition{{w}};
}

const char *eventName(Event e)
{
    switch (e) {
    case Event::Created: return "created";
    case Event::Moved: return "moved";
    case Event::SizeChanged: return "size";
    case Event::Clicked: return "clicked";
    case Event::LeftButtonPressed: return "pressed";
    case Event::DoubleClicked: return "double";
    case Event::ColorChanged: return "colour";
    }
    return "?";
}

} // namespace

class TestKit : public QObject {
    Q_OBJECT

    Definition m_def = fixture();
    std::unique_ptr<Window> m_window;
    QStringList m_log; // "control:event"
    std::vector<EventArgs> m_args;
    std::vector<bool> m_shownAtEvent;

    // One recording handler per event kind, so the log names the event; the fixture's bindings
    // are renamed to match.
    HandlerTable recordingTable()
    {
        HandlerTable table;
        // One handler per event kind so the log names the event.
        for (Event e : {Event::Created, Event::Moved, Event::SizeChanged, Event::Clicked, Event::LeftButtonPressed,
                        Event::DoubleClicked}) {
            const std::string name = std::string("record.") + eventName(e);
            table[name] = [this, e](Control &sender, const EventArgs &args) {
                m_log << QString::fromStdString(sender.name()) + QLatin1Char(':') + QLatin1String(eventName(e));
                m_args.push_back(args);
                m_shownAtEvent.push_back(sender.window().widget()->isVisible());
            };
        }
        return table;
    }

    static void renameBindings(Definition &def)
    {
        for (auto &w : def.windows) {
            for (auto &b : w.bindings)
                b.handler = std::string("record.") + eventName(b.event);
            for (auto &c : w.controls)
                for (auto &b : c.bindings)
                    b.handler = std::string("record.") + eventName(b.event);
        }
    }

    LoadResult load(Definition &def)
    {
        renameBindings(def);
        return Builder(def, recordingTable()).load(0x100);
    }

    QWindow *handle() { return m_window->widget()->windowHandle(); }
    QWidget *widgetOf(const char *name) { return m_window->find(name)->widget(); }

private Q_SLOTS:
    void init()
    {
        m_log.clear();
        m_args.clear();
        m_shownAtEvent.clear();
        m_def = fixture();
        LoadResult r = load(m_def);
        QCOMPARE(int(r.error), int(LoadError::None));
        m_window = std::move(r.window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window->widget()));
    }
    void cleanup() { m_window.reset(); }

    void loadTimeEventsComeBeforeTheFirstShow()
    {
        QVERIFY(m_log.size() >= 3);
        QCOMPARE(m_log.mid(0, 3), QStringList({"w:created", "w:moved", "w:size"}));
        QCOMPARE(m_shownAtEvent[0], false);
        QCOMPARE(m_shownAtEvent[2], false);
        QVERIFY(EventGate::open());
    }

    void lookups()
    {
        QCOMPARE(m_window->find(0x100), m_window.get());
        QCOMPARE(m_window->find(0x101), m_window.get());
        QCOMPARE(m_window->find("w"), m_window.get());
        QCOMPARE(m_window->find(std::uint32_t(5)), m_window->find("e"));
        QVERIFY(m_window->get<EditBox>("e"));
        QVERIFY(!m_window->get<Button>("e"));
        QVERIFY(!m_window->find("nothing"));
        QVERIFY(!m_window->find(std::uint32_t(0x999)));
    }

    void treeParentsStackingAndVisibility()
    {
        QCOMPARE(widgetOf("b")->parentWidget(), widgetOf("g"));
        QCOMPARE(widgetOf("g")->parentWidget(), widgetOf("s"));
        QCOMPARE(widgetOf("s")->parentWidget(), m_window->widget());
        // Stored left and top kept inside the parent.
        QCOMPARE(widgetOf("b")->pos(), QPoint(10, 30));
        // Qt lists children back to front.
        QList<QWidget *> order;
        for (QObject *o : widgetOf("s")->children())
            if (o->isWidgetType())
                order << static_cast<QWidget *>(o);
        QCOMPARE(order, (QList<QWidget *>{widgetOf("p"), widgetOf("g"), widgetOf("t")}));
        QVERIFY(widgetOf("t")->isHidden());
        QVERIFY(widgetOf("g")->isVisible());
    }

    void writesAreLimited()
    {
        Control *t = m_window->find("t");
        t->setWidth(-5);
        QCOMPARE(t->width(), 0);
        t->setHeight(40000);
        QCOMPARE(t->height(), 32627);
        t->setLeft(-40000);
        QCOMPARE(t->left(), -32627);
        t->setTop(32627);
        QCOMPARE(t->top(), 32627);
    }

    void pressRouting_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<bool>("labelShown");
        QTest::addColumn<QString>("expected"); // the log after the press
        QTest::newRow("bare surface") << QPoint(5, 5) << false << "s:pressed";
        QTest::newRow("group caption") << QPoint(30, 22) << false << "s:pressed";
        QTest::newRow("group blank inside") << QPoint(250, 150) << false << "s:pressed";
        QTest::newRow("grip beneath the group") << QPoint(290, 190) << false << "p:pressed";
        QTest::newRow("label in the group keeps it") << QPoint(30, 110) << false << "l:pressed";
        QTest::newRow("button") << QPoint(30, 60) << false << "b:pressed,b:clicked";
        QTest::newRow("edit box keeps it") << QPoint(150, 60) << false << "";
        QTest::newRow("display label keeps it") << QPoint(150, 100) << true << "t:pressed";
        QTest::newRow("above the display label") << QPoint(150, 30) << true << "s:pressed";
    }
    void pressRouting()
    {
        QFETCH(QPoint, pos);
        QFETCH(bool, labelShown);
        QFETCH(QString, expected);
        m_window->find("t")->setVisible(labelShown);
        m_log.clear();
        QTest::mousePress(handle(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(handle(), Qt::LeftButton, {}, pos);
        QCOMPARE(m_log.join(QLatin1Char(',')), expected.isEmpty() ? QString() : expected);
    }

    void pressArguments_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<uint>("keys");
        QTest::newRow("plain") << 0 << 0u;
        QTest::newRow("ctrl") << int(Qt::ControlModifier) << 1u;
        QTest::newRow("shift") << int(Qt::ShiftModifier) << 2u;
        QTest::newRow("alt") << int(Qt::AltModifier) << 4u;
        QTest::newRow("all") << int(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier) << 7u;
    }
    void pressArguments()
    {
        QFETCH(int, modifiers);
        m_log.clear();
        m_args.clear();
        // Through the group box onto the grip: coordinates are the grip's own.
        QTest::mousePress(handle(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers), QPoint(290, 193));
        QTest::mouseRelease(handle(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers), QPoint(290, 193));
        QCOMPARE(m_log, QStringList{"p:pressed"});
        QCOMPARE(int(m_args[0].x), 6);
        QCOMPARE(int(m_args[0].y), 9);
        QTEST(m_args[0].keys, "keys");
    }

    void otherButtonsRaiseNothing()
    {
        m_log.clear();
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(handle(), button, {}, QPoint(5, 5));
            QTest::mouseRelease(handle(), button, {}, QPoint(5, 5));
        }
        QCOMPARE(m_log, QStringList());
    }

    void secondPressOfADoubleClick()
    {
        m_log.clear();
        QTest::mouseDClick(handle(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_log, (QStringList{"s:pressed", "s:double"}));
        m_log.clear();
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        QTest::mouseDClick(handle(), Qt::LeftButton, {}, QPoint(290, 190)); // grip through the group
        QCOMPARE(m_log, (QStringList{"p:pressed", "p:double"}));
    }

    void noHandlerRunsWhileSuppressed()
    {
        m_log.clear();
        EventGate::raise();
        QTest::mouseClick(handle(), Qt::LeftButton, {}, QPoint(5, 5));
        m_window->setWidth(310);
        EventGate::lower();
        QCOMPARE(m_log, QStringList());
    }

    void focusCycle()
    {
        QVERIFY(QTest::qWaitForWindowActive(m_window->widget()));
        const auto cycle = m_window->focusCycle();
        QCOMPARE(cycle.size(), std::size_t(3));
        QCOMPARE(cycle[0]->name(), std::string("e2")); // lower focus order first
        QCOMPARE(cycle[1]->name(), std::string("b"));  // then creation order
        QCOMPARE(cycle[2]->name(), std::string("e"));
        QTRY_COMPARE(QApplication::focusWidget(), widgetOf("e2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), widgetOf("b"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), widgetOf("e"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), widgetOf("e2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), widgetOf("e"));
        // Nothing hidden takes part.
        m_window->find("g")->setVisible(false);
        QVERIFY(m_window->focusCycle().empty());
    }

    void enterNeverPressesTheButtonSpaceDoes()
    {
        QVERIFY(QTest::qWaitForWindowActive(m_window->widget()));
        widgetOf("b")->setFocus();
        m_log.clear();
        QTest::keyClick(widgetOf("b"), Qt::Key_Return);
        QTest::keyClick(widgetOf("b"), Qt::Key_Enter);
        QCOMPARE(m_log, QStringList());
        QCOMPARE(QApplication::focusWidget(), widgetOf("b"));
        widgetOf("e")->setFocus();
        QTest::keyClick(widgetOf("e"), Qt::Key_Return);
        QCOMPARE(m_log, QStringList());
        QCOMPARE(QApplication::focusWidget(), widgetOf("e"));
        QTest::keyClick(widgetOf("b"), Qt::Key_Space);
        QCOMPARE(m_log, QStringList{"b:clicked"});
    }

    void escClosesFromAnyControl_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("edit box") << "e";
        QTest::newRow("button") << "b";
    }
    void escClosesFromAnyControl()
    {
        QFETCH(QString, focus);
        QVERIFY(QTest::qWaitForWindowActive(m_window->widget()));
        bool destroyed = false;
        m_window->onDestroyed = [&] { destroyed = true; };
        QWidget *w = widgetOf(focus.toUtf8().constData());
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(destroyed);
        QVERIFY(!m_window->exists());
        // Handles outlive their widgets harmlessly.
        m_window->find("t")->setWidth(10);
        QCOMPARE(m_window->width(), 0);
    }

    void loadFailures_data()
    {
        QTest::addColumn<int>("breakWhat");
        QTest::addColumn<int>("error");
        QTest::newRow("no such window") << 0 << int(LoadError::WindowMissing);
        QTest::newRow("unknown handler") << 1 << int(LoadError::CreationFailed);
        QTest::newRow("undecodable picture") << 2 << int(LoadError::CreationFailed);
        QTest::newRow("kind without a widget") << 3 << int(LoadError::CreationFailed);
    }
    void loadFailures()
    {
        QFETCH(int, breakWhat);
        Definition def = fixture();
        renameBindings(def);
        static const unsigned char junk[] = {1, 2, 3};
        std::uint32_t id = 0x100;
        switch (breakWhat) {
        case 0: id = 0x555; break;
        case 1: def.windows[0].controls[0].bindings.push_back({Event::Clicked, "missing"}); break;
        case 2: std::get<PicBoxSettings>(def.windows[0].controls[1].settings).picture = junk; break;
        case 3:
            def.windows[0].controls.push_back(
                make("c", Kind::ColorPicker, 99, "g", {0, 0, 10, 10}, ColorPickerSettings{}));
            break;
        }
        LoadResult r = Builder(def, recordingTable()).load(id);
        QTEST(int(r.error), "error");
        QVERIFY(!r.window);
        QVERIFY(EventGate::open());
    }
};

QTEST_MAIN(TestKit)
#include "test_kit.moc"

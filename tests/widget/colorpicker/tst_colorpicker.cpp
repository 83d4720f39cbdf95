#include "kit/builder.h"
#include "kit/controls.h"
#include "mainwindow/colorpicker/colorpicker.h"
#include "mainwindow/colorpicker/palettepopup.h"
#include "mainwindow/colorpicker/pickerwidget.h"

#include <QApplication>
#include <QColorDialog>
#include <QDeadlineTimer>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <functional>

using namespace colorpicker;
using kit::ColorValue;
using kit::rgb;

namespace {

// Stands in for the user's configuration directory; holds custom colours of an earlier run that
// must not show up, and must stay exactly as it is.
QTemporaryDir *configHome = nullptr;
const QByteArray earlierRun = "[Qt]\ncustomColors\\0=4294901760\ncustomColors\\1=4278255360\n";

QStringList configFiles()
{
    return QDir(configHome->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray configFile()
{
    QFile f(configHome->filePath(QStringLiteral("QtProject.conf")));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

kit::ControlDef control(const char *name, kit::Kind kind, std::uint32_t id, QRect g, kit::KindSettings s)
{
    kit::ControlDef c{};
    c.name = name;
    c.kind = kind;
    c.id = id;
    c.parent = "w";
    c.left = g.x();
    c.top = g.y();
    c.width = g.width();
    c.height = g.height();
    c.focusable = true;
    c.settings = std::move(s);
    return c;
}

// A window with the picker and a button beside it, the two things a click outside the open
// palette is most likely to land on.
kit::Definition fixture()
{
    kit::WindowDef w{};
    w.name = "w";
    w.id = 0x200;
    w.controlId = 0x201;
    w.width = 300;
    w.height = 120;
    kit::ControlDef picker = control("picker", kit::Kind::ColorPicker, 1, {20, 20, 56, 24},
                                     kit::ColorPickerSettings{rgb(0, 0, 0), false});
    picker.bindings = {{kit::Event::ColorChanged, "colour"}};
    kit::ControlDef button = control("button", kit::Kind::Button, 2, {100, 20, 80, 30}, kit::ButtonSettings{"确认"});
    button.bindings = {{kit::Event::Clicked, "clicked"}};
    w.controls = {picker, button};
    return kit::Definition{{w}};
}

const NamedColor &cell(int i) { return namedColors()[i]; }

} // namespace

class TestColorPicker : public QObject {
    Q_OBJECT

    kit::Definition m_def = fixture();
    std::unique_ptr<kit::Window> m_window;
    int m_changed = 0;
    int m_clicked = 0;

    kit::ColorPicker *handle() const { return m_window->get<kit::ColorPicker>("picker"); }
    PickerWidget *picker() const { return static_cast<PickerWidget *>(handle()->widget()); }
    QWidget *button() const { return m_window->find("button")->widget(); }
    QWindow *window() const { return m_window->widget()->windowHandle(); }
    QPoint inWindow(QWidget *w, QPoint p) const { return w->mapTo(m_window->widget(), p); }

    // Input goes in at the window, as the window system delivers it, so that Qt's pop-up
    // routing is part of what is tested.
    void clickAt(QWidget *w, QPoint p) { QTest::mouseClick(window(), Qt::LeftButton, {}, inWindow(w, p)); }
    void clickPalette(PalettePopup *palette, QPoint p)
    {
        QTest::mouseMove(palette->windowHandle(), p);
        QTest::mouseClick(palette->windowHandle(), Qt::LeftButton, {}, p);
    }

    PalettePopup *open()
    {
        clickAt(picker(), picker()->rect().center());
        PalettePopup *palette = picker()->palette();
        if (palette && !QTest::qWaitForWindowExposed(palette))
            return nullptr;
        return palette;
    }

    // The dialog runs its own modal loop inside the click that asks for it; this acts on it once
    // it is up, and gives up after a while so that a fault cannot hang the test.
    void whenDialogShows(std::function<void(QColorDialog *)> act)
    {
        auto *timer = new QTimer(this);
        auto deadline = std::make_shared<QDeadlineTimer>(5000);
        connect(timer, &QTimer::timeout, this, [timer, deadline, act] {
            auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible()) {
                timer->deleteLater();
                timer->stop();
                act(dialog);
            } else if (deadline->hasExpired()) {
                timer->deleteLater();
                timer->stop();
            }
        });
        timer->start(10);
    }

    // Opens the palette, makes the custom entry hot and clicks it.
    void clickCustomEntry()
    {
        PalettePopup *palette = open();
        QVERIFY(palette);
        clickPalette(palette, palette->model().customRect().center());
    }

private Q_SLOTS:
    void init()
    {
        m_changed = 0;
        m_clicked = 0;
        kit::HandlerTable handlers{
            {"colour", [this](kit::Control &, const kit::EventArgs &) { ++m_changed; }},
            {"clicked", [this](kit::Control &, const kit::EventArgs &) { ++m_clicked; }},
        };
        kit::LoadResult r = kit::Builder(m_def, handlers, {{kit::Kind::ColorPicker, colorpicker::create}}).load(0x200);
        QVERIFY2(r.window, r.detail.c_str());
        m_window = std::move(r.window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window->widget()));
        m_window->widget()->activateWindow();
        QTRY_VERIFY(m_window->widget()->isActiveWindow());
    }

    void cleanup()
    {
        QToolTip::hideText();
        m_window.reset();
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }

    void startsBlackAndFocused()
    {
        QCOMPARE(handle()->color(), rgb(0, 0, 0));
        QTRY_VERIFY(picker()->hasFocus());
        QVERIFY(!picker()->isOpen());
    }

    void opensOnReleaseOnly()
    {
        button()->setFocus();
        QWindow *w = window();
        const QPoint at = inWindow(picker(), picker()->rect().center());

        QTest::mousePress(w, Qt::LeftButton, {}, at);
        QVERIFY(!picker()->isOpen());
        QVERIFY(picker()->isArrowPushed());
        QVERIFY(picker()->hasFocus()); // a click takes the keyboard focus

        QTest::mouseRelease(w, Qt::LeftButton, {}, at);
        QVERIFY(picker()->isOpen());
        PalettePopup *palette = picker()->palette();
        QVERIFY(palette);
        QVERIFY(QTest::qWaitForWindowExposed(palette));
        QCOMPARE(QApplication::activePopupWidget(), palette);
        QVERIFY(picker()->isArrowPushed());
        // The release that opened it is not a click in it.
        QTest::qWait(20);
        QVERIFY(palette->isVisible());
        QCOMPARE(palette->model().hot(), NoItem);
    }

    void keysDoNotOpen_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("down") << int(Qt::Key_Down);
    }

    void keysDoNotOpen()
    {
        QFETCH(int, key);
        QTRY_VERIFY(picker()->hasFocus());
        QTest::keyClick(window(), Qt::Key(key));
        QTest::qWait(20);
        QVERIFY(!picker()->isOpen());
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(m_window->exists());
    }

    void releaseOutsideThePickerDoesNotOpen()
    {
        QWindow *w = window();
        QTest::mousePress(w, Qt::LeftButton, {}, inWindow(picker(), picker()->rect().center()));
        QTest::mouseMove(w, inWindow(picker(), QPoint(-10, 40)));
        QVERIFY(!picker()->isArrowPushed());
        QTest::mouseRelease(w, Qt::LeftButton, {}, inWindow(picker(), QPoint(-10, 40)));
        QVERIFY(!picker()->isOpen());
        QVERIFY(!QApplication::activePopupWidget());
    }

    void opensBelowThePicker()
    {
        handle()->setColor(cell(17).value);
        PalettePopup *palette = open();
        QVERIFY(palette);
        QCOMPARE(palette->pos(), picker()->mapToGlobal(QPoint(0, picker()->height())));
        QCOMPARE(palette->size(), palette->model().size());
        QCOMPARE(palette->model().selected(), 17);
        QCOMPARE(palette->model().hot(), NoItem);
        QCOMPARE(palette->model().opening(), cell(17).value);
    }

    void stayOnScreen_data()
    {
        QTest::addColumn<QPoint>("pickerAt"); // wanted top-left of the picker, from the screen's bottom-right
        QTest::addColumn<bool>("movedLeft");
        QTest::addColumn<bool>("movedUp");
        QTest::newRow("room enough") << QPoint(-400, -400) << false << false;
        QTest::newRow("right edge") << QPoint(-70, -400) << true << false;
        QTest::newRow("bottom edge") << QPoint(-400, -60) << false << true;
        QTest::newRow("bottom-right corner") << QPoint(-60, -40) << true << true;
    }

    void stayOnScreen()
    {
        QFETCH(QPoint, pickerAt);
        QFETCH(bool, movedLeft);
        QFETCH(bool, movedUp);

        const QRect screen = m_window->widget()->screen()->geometry();
        const QPoint pickerTopLeft = screen.bottomRight() + QPoint(1, 1) + pickerAt;
        m_window->widget()->move(pickerTopLeft - picker()->pos());
        QTRY_COMPARE(picker()->mapToGlobal(QPoint(0, 0)), pickerTopLeft);

        PalettePopup *palette = open();
        QVERIFY(palette);
        const QRect g = palette->frameGeometry();
        const QPoint wanted = picker()->mapToGlobal(QPoint(0, picker()->height()));
        QVERIFY2(screen.contains(g), qPrintable(QStringLiteral("palette at %1,%2").arg(g.x()).arg(g.y())));
        if (movedLeft)
            QCOMPARE(g.right(), screen.right());
        else
            QCOMPARE(g.left(), wanted.x());
        if (movedUp)
            QCOMPARE(g.bottom(), screen.bottom());
        else
            QCOMPARE(g.top(), wanted.y());
    }

    void clickInside_data()
    {
        QTest::addColumn<ColorValue>("opening");
        QTest::addColumn<QString>("where"); // a cell index, "separator" or "margin"
        QTest::addColumn<ColorValue>("expected");
        QTest::newRow("first cell") << rgb(0, 0, 128) << "0" << cell(0).value;
        QTest::newRow("last cell") << rgb(0, 0, 0) << "31" << cell(31).value;
        QTest::newRow("same cell as opened with") << cell(9).value << "9" << cell(9).value;
        QTest::newRow("a custom colour, then a cell") << rgb(1, 2, 3) << "23" << cell(23).value;
        QTest::newRow("separator keeps the colour") << rgb(1, 2, 3) << "separator" << rgb(1, 2, 3);
        QTest::newRow("empty end of the grid") << cell(4).value << "margin" << cell(4).value;
    }

    void clickInside()
    {
        QFETCH(ColorValue, opening);
        QFETCH(QString, where);
        QFETCH(ColorValue, expected);

        handle()->setColor(opening);
        PalettePopup *palette = open();
        QVERIFY(palette);
        const PaletteModel &m = palette->model();
        const QPoint at = where == u"separator" ? m.separatorRect().center()
            : where == u"margin"                ? m.cellRect(31).center() + QPoint(2 * CellSize, 0)
                                                : m.cellRect(where.toInt()).center();
        clickPalette(palette, at);

        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), expected);
        QCOMPARE(m_changed, 1);
        QVERIFY(!picker()->isArrowPushed());
        // The swatch shows the new colour.
        const QImage shown = picker()->grab().toImage();
        QCOMPARE(shown.pixelColor(picker()->swatchRect().center()), kit::toQColor(expected));
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QTRY_VERIFY(picker()->hasFocus());
    }

    void clickOutsideOnlyCancels_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("hoverFirst");
        QTest::newRow("on the button") << "button" << false;
        QTest::newRow("on the button after hovering a cell") << "button" << true;
        QTest::newRow("on the picker") << "picker" << false;
        QTest::newRow("on the picker after hovering a cell") << "picker" << true;
        QTest::newRow("on the window") << "window" << true;
    }

    void clickOutsideOnlyCancels()
    {
        QFETCH(QString, target);
        QFETCH(bool, hoverFirst);

        handle()->setColor(cell(12).value);
        PalettePopup *palette = open();
        QVERIFY(palette);
        if (hoverFirst) {
            QTest::mouseMove(palette->windowHandle(), palette->model().cellRect(3).center());
            QCOMPARE(palette->model().pending(), cell(3).value);
        }
        QWidget *on = target == u"button" ? button() : target == u"picker" ? picker() : m_window->widget();
        const QPoint at = target == u"window" ? QPoint(250, 100) : on->rect().center();
        clickAt(on, at);

        QTRY_VERIFY(!QApplication::activePopupWidget());
        QTest::qWait(50); // room for a replayed press to arrive
        QVERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), cell(12).value);
        QCOMPARE(m_changed, 0);
        QCOMPARE(m_clicked, 0);

        // The next click is an ordinary one again.
        clickAt(on, at);
        if (target == u"button")
            QTRY_COMPARE(m_clicked, 1);
        else if (target == u"picker")
            QTRY_VERIFY(picker()->isOpen());
    }

    void pressInsideReleaseOutsideCancels()
    {
        PalettePopup *palette = open();
        QVERIFY(palette);
        QWindow *w = palette->windowHandle();
        QTest::mouseMove(w, palette->model().cellRect(5).center());
        QTest::mousePress(w, Qt::LeftButton, {}, palette->model().cellRect(5).center());
        QTest::mouseMove(w, QPoint(palette->width() + 20, 10));
        QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(palette->width() + 20, 10));
        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), rgb(0, 0, 0));
        QCOMPARE(m_changed, 0);
    }

    void escCancelsAndStaysInThePalette()
    {
        handle()->setColor(cell(20).value);
        PalettePopup *palette = open();
        QVERIFY(palette);
        QTest::keyClick(window(), Qt::Key_Right);
        QTest::keyClick(window(), Qt::Key_Right);
        QCOMPARE(palette->model().hot(), 21);
        QTest::keyClick(window(), Qt::Key_Escape);

        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), cell(20).value);
        QCOMPARE(m_changed, 0);
        QTest::qWait(20);
        QVERIFY(m_window->exists());
        QVERIFY(m_window->widget()->isVisible());

        // With the palette closed, Esc is the window's again.
        QTRY_VERIFY(picker()->hasFocus());
        QTest::keyClick(window(), Qt::Key_Escape);
        QTRY_VERIFY(!m_window->exists());
    }

    void okKeyRightAfterOpening_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<ColorValue>("opening");
        QTest::newRow("return, black") << int(Qt::Key_Return) << rgb(0, 0, 0);
        QTest::newRow("enter, palette colour") << int(Qt::Key_Enter) << cell(26).value;
        QTest::newRow("space, custom colour") << int(Qt::Key_Space) << rgb(1, 2, 3);
    }

    void okKeyRightAfterOpening()
    {
        QFETCH(int, key);
        QFETCH(ColorValue, opening);
        handle()->setColor(opening);
        QVERIFY(open());
        QTest::keyClick(window(), Qt::Key(key));
        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), opening);
        QCOMPARE(m_changed, 1);
        QCOMPARE(m_clicked, 0);
    }

    void arrowsThenEnter()
    {
        handle()->setColor(cell(2).value);
        PalettePopup *palette = open();
        QVERIFY(palette);
        for (Qt::Key k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Left})
            QTest::keyClick(window(), k);
        QCOMPARE(palette->model().hot(), 8);
        // The picker's swatch keeps the opening colour while the palette is open.
        QCOMPARE(handle()->color(), cell(2).value);
        QTest::keyClick(window(), Qt::Key_Return);
        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), cell(8).value);
    }

    void cellTooltips_data()
    {
        QTest::addColumn<int>("item");
        QTest::newRow("first") << 0;
        QTest::newRow("藏蓝") << 17;
        QTest::newRow("last") << 31;
        QTest::newRow("custom entry: none") << CustomItem;
        QTest::newRow("margin: none") << NoItem;
    }

    void cellTooltips()
    {
        QFETCH(int, item);
        PalettePopup *palette = open();
        QVERIFY(palette);
        const QPoint at = item == NoItem ? QPoint(1, 1) : palette->model().itemRect(item).center();
        QHelpEvent help(QEvent::ToolTip, at, palette->mapToGlobal(at));
        QApplication::sendEvent(palette, &help);
        if (item >= 0 && item < CellCount) {
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), QString::fromUtf8(cell(item).name));
        } else {
            QTest::qWait(20);
            QVERIFY(!QToolTip::isVisible());
        }
    }

    void losingTheActivationCancels()
    {
        PalettePopup *palette = open();
        QVERIFY(palette);
        QTest::keyClick(window(), Qt::Key_Down);
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), rgb(0, 0, 0));
        QCOMPARE(m_changed, 0);
    }

    void closedLook()
    {
        // Pushed arrow while the button is held and while the palette is open.
        const QImage up = picker()->grab(picker()->arrowRect()).toImage();
        QTest::mousePress(window(), Qt::LeftButton, {}, inWindow(picker(), picker()->rect().center()));
        QVERIFY(picker()->grab(picker()->arrowRect()).toImage() != up);
        QTest::mouseRelease(window(), Qt::LeftButton, {}, inWindow(picker(), picker()->rect().center()));
        QVERIFY(picker()->isOpen());
        QVERIFY(picker()->grab(picker()->arrowRect()).toImage() != up);
        QTest::keyClick(window(), Qt::Key_Escape);
        QTRY_VERIFY(!picker()->isOpen());
        QTRY_VERIFY(picker()->hasFocus());
        QCOMPARE(picker()->grab(picker()->arrowRect()).toImage(), up);

        // A focus rectangle inside the swatch, seen against the colour.
        handle()->setColor(rgb(255, 255, 0));
        const QRect swatch = picker()->swatchRect();
        const QImage focused = picker()->grab(swatch).toImage();
        button()->setFocus();
        QTRY_VERIFY(!picker()->hasFocus());
        const QImage unfocused = picker()->grab(swatch).toImage();
        QVERIFY(focused != unfocused);
        QCOMPARE(unfocused.pixelColor(unfocused.rect().center()), QColor(255, 255, 0));
        QCOMPARE(unfocused.pixelColor(0, 0), QColor(Qt::black)); // the outline

        // Disabled: the outline takes the face colour.
        picker()->setEnabled(false);
        const QImage disabled = picker()->grab(swatch).toImage();
        QCOMPARE(disabled.pixelColor(0, 0), kit::faceColor());
    }

    // The dialog tests come after the rest: the first of them is the run's first dialog.
    void dialogCustomColoursAreTheRunsOwn()
    {
        QVERIFY(configFile() == earlierRun);
        QList<QColor> customAtFirst;
        whenDialogShows([&](QColorDialog *d) {
            for (int i = 0; i < QColorDialog::customCount(); ++i)
                customAtFirst << QColorDialog::customColor(i);
            QColorDialog::setCustomColor(0, QColor(10, 20, 30)); // as "Add to Custom Colors" does
            d->setCurrentColor(QColor(10, 20, 30));
            d->accept();
        });
        clickCustomEntry();
        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(customAtFirst.size(), 16);
        for (const QColor &c : customAtFirst)
            QCOMPARE(c, QColor(Qt::white));

        // Kept for the rest of the run.
        QColor customLater;
        whenDialogShows([&](QColorDialog *d) {
            customLater = QColorDialog::customColor(0);
            d->reject();
        });
        clickCustomEntry();
        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(customLater, QColor(10, 20, 30));

        // And written nowhere.
        QCOMPARE(configFiles(), QStringList{QStringLiteral("QtProject.conf")});
        QVERIFY(configFile() == earlierRun);
    }

    void dialogChoosesAColour()
    {
        handle()->setColor(cell(14).value);
        bool paletteShown = false;
        bool paletteGrabs = true;
        QColor preselected;
        whenDialogShows([&](QColorDialog *d) {
            PalettePopup *palette = picker()->palette();
            paletteShown = palette && palette->isVisible();
            paletteGrabs = QApplication::activePopupWidget() != nullptr;
            preselected = d->currentColor();
            // The window beneath takes no input meanwhile.
            clickAt(button(), button()->rect().center());
            d->setCurrentColor(QColor(1, 2, 3));
            d->accept();
        });
        clickCustomEntry();
        QTRY_VERIFY(!picker()->isOpen());
        QVERIFY(paletteShown);
        QVERIFY(!paletteGrabs);
        QCOMPARE(preselected, kit::toQColor(cell(14).value));
        QCOMPARE(m_clicked, 0);
        QCOMPARE(handle()->color(), rgb(1, 2, 3));
        QCOMPARE(m_changed, 1);
        QCOMPARE(picker()->grab().toImage().pixelColor(picker()->swatchRect().center()), QColor(1, 2, 3));
        QVERIFY(!QApplication::activeModalWidget());

        // A colour outside the palette: next time the custom entry is the selected item.
        PalettePopup *palette = open();
        QVERIFY(palette);
        QCOMPARE(palette->model().selected(), CustomItem);
    }

    void dialogCancelledKeepsTheColour_data()
    {
        QTest::addColumn<ColorValue>("opening");
        QTest::newRow("black") << rgb(0, 0, 0);
        QTest::newRow("custom colour") << rgb(1, 2, 3);
    }

    void dialogCancelledKeepsTheColour()
    {
        QFETCH(ColorValue, opening);
        handle()->setColor(opening);
        QColor preselected;
        whenDialogShows([&](QColorDialog *d) {
            preselected = d->currentColor();
            d->setCurrentColor(QColor(200, 100, 50));
            d->reject();
        });
        clickCustomEntry();
        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), opening);
        QCOMPARE(m_changed, 0);
        // Black is not preselected: the dialog starts from its own default.
        QCOMPARE(preselected == QColor(Qt::black), false);
        if (opening != rgb(0, 0, 0))
            QCOMPARE(preselected, kit::toQColor(opening));
    }

    void activationLossDuringTheDialogDoesNotCancel()
    {
        whenDialogShows([&](QColorDialog *d) {
            Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
            d->setCurrentColor(QColor(7, 8, 9));
            d->accept();
        });
        clickCustomEntry();
        QTRY_VERIFY(!picker()->isOpen());
        QCOMPARE(handle()->color(), rgb(7, 8, 9));
    }

    void closingTheWindowWithThePaletteOpen()
    {
        QVERIFY(open());
        m_window->close();
        QTRY_VERIFY(!m_window->exists());
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    configHome = &dir;
    {
        QFile f(dir.filePath(QStringLiteral("QtProject.conf")));
        if (!f.open(QIODevice::WriteOnly) || f.write(earlierRun) != earlierRun.size())
            return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    QApplication app(argc, argv);
    TestColorPicker test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_colorpicker.moc"

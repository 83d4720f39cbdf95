#include "mainwindow/colorpicker/palettemodel.h"

#include <QTest>

using namespace colorpicker;
using kit::ColorValue;
using kit::rgb;
using State = PaletteModel::State;

Q_DECLARE_METATYPE(State)

class PaletteModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namedColors_data();
    void namedColors();
    void cellsFillRowByRow();
    void itemAt_data();
    void itemAt();
    void selectedItem_data();
    void selectedItem();
    void arrowWalk_data();
    void arrowWalk();
    void pointerKeepsHotOverGaps();
    void ending_data();
    void ending();
    void dialogInitial_data();
    void dialogInitial();
    void placement_data();
    void placement();
};

void PaletteModelTest::namedColors_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<ColorValue>("value");
    QTest::newRow("first") << 0 << QStringLiteral("黑色") << rgb(0, 0, 0);
    QTest::newRow("end of first row") << 6 << QStringLiteral("褐绿") << rgb(128, 128, 0);
    QTest::newRow("start of second row") << 7 << QStringLiteral("浅灰") << rgb(192, 192, 192);
    QTest::newRow("mixed channels") << 17 << QStringLiteral("藏蓝") << rgb(88, 48, 224);
    QTest::newRow("near white") << 23 << QStringLiteral("银白") << rgb(236, 236, 236);
    QTest::newRow("last") << 31 << QStringLiteral("深灰") << rgb(96, 96, 96);
}

void PaletteModelTest::namedColors()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(ColorValue, value);
    const NamedColor &c = colorpicker::namedColors()[index];
    QCOMPARE(QString::fromUtf8(c.name), name);
    QCOMPARE(c.value, value);
}

void PaletteModelTest::cellsFillRowByRow()
{
    const PaletteModel model(0);
    const QRect grid = model.gridRect();
    QCOMPARE(grid.size(), QSize(7 * 18, 5 * 18));
    for (int i = 0; i < CellCount; ++i) {
        const QRect cell = model.cellRect(i);
        QCOMPARE(cell.size(), QSize(18, 18));
        QCOMPARE(cell.topLeft(), grid.topLeft() + QPoint(i % 7 * 18, i / 7 * 18));
        QCOMPARE(model.itemAt(cell.center()), i);
    }
    // The last row holds 28..31 in columns 0..3.
    QCOMPARE(model.cellRect(31).topLeft(), grid.topLeft() + QPoint(3 * 18, 4 * 18));
    QVERIFY(model.cellRect(32).isNull());

    // Separator and custom entry lie below the grid, across its width, inside the palette.
    QVERIFY(model.separatorRect().top() > grid.bottom());
    QVERIFY(model.customRect().top() > model.separatorRect().bottom());
    QCOMPARE(model.customRect().left(), grid.left());
    QCOMPARE(model.customRect().width(), grid.width());
    QVERIFY(QRect(QPoint(), model.size()).adjusted(PaletteModel::Edge, PaletteModel::Edge, -PaletteModel::Edge,
                                                    -PaletteModel::Edge)
                .contains(model.customRect()));

    // A taller font makes a taller custom entry and palette, nothing else moves.
    const PaletteModel tall(0, 40);
    QCOMPARE(tall.customRect().height(), 40);
    QCOMPARE(tall.size().height(), model.size().height() + 40 - PaletteModel::DefaultCustomHeight);
    QCOMPARE(tall.cellRect(31), model.cellRect(31));
}

void PaletteModelTest::itemAt_data()
{
    const PaletteModel model(0);
    const QRect grid = model.gridRect();
    const QRect sep = model.separatorRect();
    const QRect custom = model.customRect();

    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("item");
    QTest::newRow("frame corner") << QPoint(0, 0) << NoItem;
    QTest::newRow("margin left of cell 0") << grid.topLeft() - QPoint(1, 0) << NoItem;
    QTest::newRow("margin above cell 0") << grid.topLeft() - QPoint(0, 1) << NoItem;
    QTest::newRow("cell 0 first pixel") << grid.topLeft() << 0;
    QTest::newRow("cell 0 last pixel") << grid.topLeft() + QPoint(17, 17) << 0;
    QTest::newRow("cell 1 first pixel") << grid.topLeft() + QPoint(18, 0) << 1;
    QTest::newRow("cell 7 first pixel") << grid.topLeft() + QPoint(0, 18) << 7;
    QTest::newRow("cell 6 last pixel") << grid.topLeft() + QPoint(7 * 18 - 1, 17) << 6;
    QTest::newRow("right of cell 6") << grid.topLeft() + QPoint(7 * 18, 17) << NoItem;
    QTest::newRow("cell 31 last pixel") << grid.topLeft() + QPoint(4 * 18 - 1, 5 * 18 - 1) << 31;
    QTest::newRow("empty end of last row") << grid.topLeft() + QPoint(4 * 18, 4 * 18) << NoItem;
    QTest::newRow("empty end, last pixel") << grid.bottomRight() << NoItem;
    QTest::newRow("below the grid") << QPoint(grid.left(), grid.bottom() + 1) << NoItem;
    QTest::newRow("separator") << sep.center() << NoItem;
    QTest::newRow("custom top-left") << custom.topLeft() << CustomItem;
    QTest::newRow("custom bottom-right") << custom.bottomRight() << CustomItem;
    QTest::newRow("right of custom") << custom.topRight() + QPoint(1, 0) << NoItem;
    QTest::newRow("below custom") << custom.bottomLeft() + QPoint(0, 1) << NoItem;
    QTest::newRow("outside, negative") << QPoint(-5, 10) << NoItem;
    QTest::newRow("outside, far") << QPoint(1000, 1000) << NoItem;
}

void PaletteModelTest::itemAt()
{
    QFETCH(QPoint, pos);
    QFETCH(int, item);
    QCOMPARE(PaletteModel(0).itemAt(pos), item);
}

void PaletteModelTest::selectedItem_data()
{
    QTest::addColumn<ColorValue>("opening");
    QTest::addColumn<int>("selected");
    QTest::newRow("black") << rgb(0, 0, 0) << 0;
    QTest::newRow("white") << rgb(255, 255, 255) << 15;
    QTest::newRow("藏蓝 (all channels differ)") << rgb(88, 48, 224) << 17;
    QTest::newRow("last cell") << rgb(96, 96, 96) << 31;
    QTest::newRow("red and blue swapped is another cell") << rgb(0, 0, 255) << 9;
    QTest::newRow("one step off a cell") << rgb(0, 0, 129) << CustomItem;
    QTest::newRow("not in the palette") << rgb(1, 2, 3) << CustomItem;
    QTest::newRow("the default colour") << kit::DefaultColor << CustomItem;
}

void PaletteModelTest::selectedItem()
{
    QFETCH(ColorValue, opening);
    QFETCH(int, selected);
    const PaletteModel model(opening);
    QCOMPARE(model.selected(), selected);
    QCOMPARE(model.hot(), NoItem);
    QCOMPARE(model.pending(), opening);
    QCOMPARE(model.state(), State::Open);
}

void PaletteModelTest::arrowWalk_data()
{
    QTest::addColumn<ColorValue>("opening");
    QTest::addColumn<QString>("keys"); // L R U D
    QTest::addColumn<int>("hot");
    QTest::addColumn<ColorValue>("pending");

    const auto &c = colorpicker::namedColors();
    const ColorValue custom = rgb(1, 2, 3);
    QTest::newRow("first arrow makes the selected cell hot") << c[17].value << "R" << 17 << c[17].value;
    QTest::newRow("first arrow on a custom colour") << custom << "U" << CustomItem << custom;
    QTest::newRow("right") << c[0].value << "RR" << 1 << c[1].value;
    QTest::newRow("right wraps to the next row") << c[6].value << "RR" << 7 << c[7].value;
    QTest::newRow("left wraps to the previous row") << c[7].value << "LL" << 6 << c[6].value;
    QTest::newRow("right after the last cell") << c[31].value << "RR" << CustomItem << c[31].value;
    QTest::newRow("right after the custom entry") << custom << "RR" << 0 << c[0].value;
    QTest::newRow("left before cell 0") << c[0].value << "LL" << CustomItem << c[0].value;
    QTest::newRow("left from the custom entry") << custom << "LL" << 31 << c[31].value;
    QTest::newRow("down") << c[2].value << "DD" << 9 << c[9].value;
    QTest::newRow("down into the short last row") << c[24].value << "DD" << 31 << c[31].value;
    QTest::newRow("down past a short column") << c[25].value << "DD" << CustomItem << c[25].value;
    QTest::newRow("down past the last row") << c[31].value << "DD" << CustomItem << c[31].value;
    QTest::newRow("up from the top row") << c[3].value << "UU" << CustomItem << c[3].value;
    QTest::newRow("up from custom returns to the column") << c[25].value << "UDU" << 25 << c[25].value;
    QTest::newRow("up from custom, full column") << c[3].value << "UUU" << 31 << c[31].value;
    QTest::newRow("down from custom to the top") << c[25].value << "UDD" << 4 << c[4].value;
    QTest::newRow("custom colour: down from custom") << custom << "DD" << 0 << c[0].value;
    QTest::newRow("a whole column round") << c[1].value << "DDDDDDD" << 1 << c[1].value;
}

void PaletteModelTest::arrowWalk()
{
    QFETCH(ColorValue, opening);
    QFETCH(QString, keys);
    QFETCH(int, hot);
    QFETCH(ColorValue, pending);

    PaletteModel model(opening);
    for (QChar k : keys) {
        const Arrow a = k == u'L' ? Arrow::Left : k == u'R' ? Arrow::Right : k == u'U' ? Arrow::Up : Arrow::Down;
        QVERIFY(model.move(a));
    }
    QCOMPARE(model.hot(), hot);
    QCOMPARE(model.pending(), pending);
    QCOMPARE(model.selected(), PaletteModel::itemFor(opening));
}

void PaletteModelTest::pointerKeepsHotOverGaps()
{
    const auto &c = colorpicker::namedColors();
    PaletteModel model(c[3].value);
    QVERIFY(model.setHot(model.itemAt(model.cellRect(12).center())));
    QCOMPARE(model.pending(), c[12].value);

    // Over the separator or a margin nothing changes.
    QVERIFY(!model.setHot(model.itemAt(model.separatorRect().center())));
    QVERIFY(!model.setHot(model.itemAt(QPoint(1, 1))));
    QCOMPARE(model.hot(), 12);

    // The custom entry becomes hot but keeps the pending colour.
    QVERIFY(model.setHot(CustomItem));
    QCOMPARE(model.hot(), CustomItem);
    QCOMPARE(model.pending(), c[12].value);
    QVERIFY(!model.setHot(CustomItem));
}

void PaletteModelTest::ending_data()
{
    QTest::addColumn<ColorValue>("opening");
    QTest::addColumn<int>("hot");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("dialog"); // -1 none, 0 cancelled, 1 confirmed with 'chosen'
    QTest::addColumn<State>("state");
    QTest::addColumn<ColorValue>("pending");

    const auto &c = colorpicker::namedColors();
    const ColorValue chosen = rgb(10, 20, 30);
    const ColorValue custom = rgb(1, 2, 3);
    QTest::newRow("OK at once keeps a palette colour") << c[5].value << NoItem << true << -1 << State::Accepted << c[5].value;
    QTest::newRow("OK at once keeps a custom colour") << custom << NoItem << true << -1 << State::Accepted << custom;
    QTest::newRow("OK on a cell") << c[0].value << 20 << true << -1 << State::Accepted << c[20].value;
    QTest::newRow("cancel after a cell") << c[0].value << 20 << false << -1 << State::Cancelled << c[0].value;
    QTest::newRow("cancel on a custom colour") << custom << 3 << false << -1 << State::Cancelled << custom;
    QTest::newRow("OK on custom asks for a colour") << c[0].value << CustomItem << true << -1 << State::AskingColor << c[0].value;
    QTest::newRow("dialog confirmed") << c[0].value << CustomItem << true << 1 << State::Accepted << chosen;
    QTest::newRow("dialog cancelled") << c[9].value << CustomItem << true << 0 << State::Cancelled << c[9].value;
    QTest::newRow("cancel on custom skips the dialog") << c[9].value << CustomItem << false << -1 << State::Cancelled << c[9].value;
}

void PaletteModelTest::ending()
{
    QFETCH(ColorValue, opening);
    QFETCH(int, hot);
    QFETCH(bool, ok);
    QFETCH(int, dialog);
    QFETCH(State, state);
    QFETCH(ColorValue, pending);

    PaletteModel model(opening);
    if (hot != NoItem)
        QVERIFY(model.setHot(hot));
    if (ok)
        model.accept();
    else
        model.cancel();
    if (dialog == 1)
        model.colorChosen(rgb(10, 20, 30));
    else if (dialog == 0)
        model.cancel();
    QCOMPARE(model.state(), state);
    QCOMPARE(model.pending(), pending);

    if (state != State::AskingColor) {
        // An ended palette takes no more input, and a late dialog result changes nothing.
        QVERIFY(!model.setHot(hot == 1 ? 2 : 1));
        QVERIFY(!model.move(Arrow::Right));
        model.colorChosen(rgb(99, 99, 99));
        model.cancel();
        QCOMPARE(model.accept(), state);
        QCOMPARE(model.state(), state);
        QCOMPARE(model.pending(), pending);
    }
}

void PaletteModelTest::dialogInitial_data()
{
    QTest::addColumn<ColorValue>("opening");
    QTest::addColumn<bool>("preselected");
    QTest::newRow("black is not preselected") << rgb(0, 0, 0) << false;
    QTest::newRow("a palette colour") << rgb(255, 0, 0) << true;
    QTest::newRow("almost black") << rgb(0, 0, 1) << true;
}

void PaletteModelTest::dialogInitial()
{
    QFETCH(ColorValue, opening);
    QFETCH(bool, preselected);
    const PaletteModel model(opening);
    QCOMPARE(model.dialogInitial().has_value(), preselected);
    if (preselected)
        QCOMPARE(*model.dialogInitial(), opening);
}

void PaletteModelTest::placement_data()
{
    QTest::addColumn<QPoint>("wanted");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("placed");
    const QRect screen(0, 0, 1920, 1080);
    const QSize size = PaletteModel(0).size();
    const int w = size.width();
    const int h = size.height();
    QTest::newRow("fits") << QPoint(100, 200) << screen << QPoint(100, 200);
    QTest::newRow("touches the right edge") << QPoint(1920 - w, 200) << screen << QPoint(1920 - w, 200);
    QTest::newRow("past the right edge") << QPoint(1900, 200) << screen << QPoint(1920 - w, 200);
    QTest::newRow("past the bottom edge") << QPoint(100, 1050) << screen << QPoint(100, 1080 - h);
    QTest::newRow("bottom-right corner") << QPoint(1910, 1070) << screen << QPoint(1920 - w, 1080 - h);
    QTest::newRow("left of the screen") << QPoint(-40, 200) << screen << QPoint(0, 200);
    QTest::newRow("above the screen stays") << QPoint(100, -30) << screen << QPoint(100, -30);
    QTest::newRow("wider than the screen: left edge wins") << QPoint(50, 10) << QRect(0, 0, w - 20, 1080) << QPoint(0, 10);
    QTest::newRow("second screen") << QPoint(3800, 500) << QRect(1920, 0, 1920, 1080) << QPoint(3840 - w, 500);
}

void PaletteModelTest::placement()
{
    QFETCH(QPoint, wanted);
    QFETCH(QRect, screen);
    QFETCH(QPoint, placed);
    QCOMPARE(placePalette(wanted, PaletteModel(0).size(), screen), placed);
}

QTEST_APPLESS_MAIN(PaletteModelTest)
#include "tst_palettemodel.moc"

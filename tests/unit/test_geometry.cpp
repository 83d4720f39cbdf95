#include "kit/builder.h"
#include "kit/geometry.h"

#include <QTest>

using namespace kit;

class TestGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void limits_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("extent");
        QTest::addColumn<int>("position");
        QTest::newRow("zero") << 0 << 0 << 0;
        QTest::newRow("negative") << -34 << 0 << -34;
        QTest::newRow("at the limit") << 32627 << 32627 << 32627;
        QTest::newRow("above the limit") << 32628 << 32627 << 32627;
        QTest::newRow("far below") << -100000 << 0 << -32627;
        QTest::newRow("int max") << 2147483647 << 32627 << 32627;
    }
    void limits()
    {
        QFETCH(int, value);
        QTEST(limitExtent(value), "extent");
        QTEST(limitPosition(value), "position");
    }

    void truncation_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("positive") << 65.9 << 65;
        QTest::newRow("negative toward zero") << -2.5 << -2;
        QTest::newRow("huge") << 1e12 << 2147483647;
    }
    void truncation()
    {
        QFETCH(double, value);
        QTEST(kit::truncate(value), "expected");
    }

    void centring_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QPoint(696, 457);
        QTest::newRow("1023x767") << QSize(1023, 767) << QPoint(247, 300);
        QTest::newRow("narrower than the window") << QSize(523, 160) << QPoint(-2, -3);
        QTest::newRow("exactly the window") << QSize(528, 166) << QPoint(0, 0);
    }
    void centring()
    {
        QFETCH(QSize, screen);
        QTEST(Builder::centredPosition(screen, QSize(528, 166)), "expected");
    }
};

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"

#include "kit/picture.h"
#include "resources/resources.h"

#include <QTest>

using namespace kit;

class TestPicture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gripDecodesToRgba()
    {
        const QImage grip = decodePng(resources::gripPicture());
        QCOMPARE(grip.size(), QSize(32, 32));
        QCOMPARE(grip.format(), QImage::Format_RGBA8888);
        // Every visible pixel is a grey whose channels equal its alpha or lie one below it.
        int visible = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const uchar *p = grip.constScanLine(y) + 4 * x;
                if (p[3] == 0)
                    continue;
                ++visible;
                QCOMPARE(p[0], p[1]);
                QCOMPARE(p[1], p[2]);
                QVERIFY2(p[0] == p[3] || p[0] + 1 == p[3], qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        QVERIFY(visible > 100);
        // Row 0: the first stripe begins at column 31 with alpha 128; the top-left corner is clear.
        QCOMPARE(int(grip.constScanLine(0)[4 * 31 + 3]), 128);
        QCOMPARE(int(grip.constScanLine(0)[3]), 0);
        // Row 31: the first stripe begins at column 0: 128, 255, 255, 255, 183, 8.
        const int profile[] = {128, 255, 255, 255, 183, 8};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(int(grip.constScanLine(31)[4 * i + 3]), profile[i]);
    }

    void brokenBytesGiveNoPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a png") << QByteArray("GIF89a not at all a png file");
        const auto grip = resources::gripPicture();
        QTest::newRow("truncated") << QByteArray(reinterpret_cast<const char *>(grip.data()), 120);
    }
    void brokenBytesGiveNoPicture()
    {
        QFETCH(QByteArray, bytes);
        const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
        QVERIFY(decodePng({data, std::size_t(bytes.size())}).isNull());
    }

    void blending_data()
    {
        QTest::addColumn<QColor>("pixel"); // with alpha
        QTest::addColumn<QColor>("expected");
        const QColor face(239, 239, 239);
        QTest::newRow("transparent") << QColor(0, 0, 0, 0) << face;
        QTest::newRow("opaque stays") << QColor(255, 255, 255, 255) << QColor(255, 255, 255);
        // 128/255*128 + 127/255*239 = 64.25 + 119.03 = 183.28 -> 183
        QTest::newRow("half grey") << QColor(128, 128, 128, 128) << QColor(183, 183, 183);
        // 8/255*7 + 247/255*239 = 0.22 + 231.50 = 231.72 -> 231 (truncated, not rounded)
        QTest::newRow("faint") << QColor(7, 7, 7, 8) << QColor(231, 231, 231);
    }
    void blending()
    {
        QFETCH(QColor, pixel);
        QFETCH(QColor, expected);
        QImage one(1, 1, QImage::Format_RGBA8888);
        uchar *p = one.scanLine(0);
        p[0] = uchar(pixel.red());
        p[1] = uchar(pixel.green());
        p[2] = uchar(pixel.blue());
        p[3] = uchar(pixel.alpha());
        const QImage out = blendOver(one, QColor(239, 239, 239));
        QCOMPARE(out.pixelColor(0, 0), expected);
    }

    void fit_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("grip halves") << QSize(32, 32) << QSize(16, 16) << QRect(0, 0, 16, 16);
        QTest::newRow("fits, centred") << QSize(10, 10) << QSize(16, 16) << QRect(3, 3, 10, 10);
        QTest::newRow("odd remainder truncated") << QSize(10, 11) << QSize(16, 16) << QRect(3, 2, 10, 11);
        QTest::newRow("never enlarged") << QSize(4, 4) << QSize(100, 50) << QRect(48, 23, 4, 4);
        QTest::newRow("wide scaled by width") << QSize(64, 16) << QSize(16, 16) << QRect(0, 6, 16, 4);
        QTest::newRow("scaled size truncated") << QSize(30, 20) << QSize(16, 16) << QRect(0, 3, 16, 10);
    }
    void fit()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, box);
        QTEST(fitRect(picture, box), "expected");
    }
};

QTEST_APPLESS_MAIN(TestPicture)
#include "test_picture.moc"

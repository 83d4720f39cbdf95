#include "kit/outlinefill.h"

#include <QPainter>
#include <QTest>

#include <cmath>

using namespace kit;

namespace {

constexpr QSize ImageSize(200, 160);
const QColor Ink(200, 30, 30);

// A background that changes along both axes, so that blending against it shows.
QImage background(QImage::Format format)
{
    QImage img(ImageSize, format);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x, y, 255 - (x + y) / 2));
    return img;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    p.addPolygon(QPolygonF(points));
    p.closeSubpath();
    return p;
}

QPainterPath rectangle(const QRectF &r)
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    p.addRect(r);
    return p;
}

// A disc with a hole: the inner circle runs the other way round.
QPainterPath ring(QPointF centre, qreal outer, qreal inner)
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    p.addEllipse(centre, outer, outer);
    QPainterPath hole;
    hole.addEllipse(centre, inner, inner);
    p.addPath(hole.toReversed());
    return p;
}

QPainterPath star(QPointF centre, qreal radius)
{
    QPolygonF points;
    for (int k = 0; k < 5; ++k) {
        const double a = -M_PI / 2 + k * 4 * M_PI / 5;
        points << centre + radius * QPointF(std::cos(a), std::sin(a));
    }
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    p.addPolygon(points);
    p.closeSubpath();
    return p;
}

struct Comparison {
    int largest = 0;    // the largest difference in any channel
    int over = 0;       // pixels with a channel more than 8 off
    int outside = 0;    // pixels outside the clip that changed
};

Comparison compare(const QImage &drawn, const QImage &expected, const QImage &before, const QRegion &clip)
{
    Comparison c;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb a = drawn.pixel(x, y), b = expected.pixel(x, y);
            if (!clip.contains(QPoint(x, y))) {
                c.outside += a != before.pixel(x, y);
                continue;
            }
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b))});
            c.largest = std::max(c.largest, d);
            c.over += d > 8;
        }
    }
    return c;
}

} // namespace

class TestOutlineFill : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The same pixels as the painter's own fill of each outline in turn: exactly outside the
    // clip, within a level or two along straight edges, a few levels along curves.
    void matchesThePainter_data()
    {
        QTest::addColumn<QList<QPainterPath>>("outlines");
        QTest::addColumn<QRegion>("clip"); // in painter coordinates
        QTest::addColumn<QPoint>("shift"); // the painter's translation
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<int>("format");

        const QRegion whole(QRect(QPoint(0, 0), ImageSize));
        const QPoint none(0, 0);
        const int rgb32 = QImage::Format_RGB32, premultiplied = QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("rectangle on fractional edges")
            << QList{rectangle({20.3, 30.7, 100.25, 60.5})} << whole << none << 2 << premultiplied;
        QTest::newRow("slanted edges") << QList{polygon({{10, 150}, {190.5, 10.25}, {120.7, 155.9}})} << whole << none
                                       << 2 << rgb32;
        QTest::newRow("near-level edges") << QList{polygon({{0, 40}, {200, 43.5}, {200, 46}, {0, 41}})} << whole << none
                                          << 2 << premultiplied;
        QTest::newRow("thin sliver") << QList{polygon({{5, 5}, {195, 150}, {195.3, 150}, {5.3, 5}})} << whole << none << 2
                                     << premultiplied;
        QTest::newRow("ring with its hole") << QList{ring({100, 80}, 70, 40)} << whole << none << 24 << premultiplied;
        QTest::newRow("self-crossing star, centre filled") << QList{star({100, 85}, 75)} << whole << none << 2 << rgb32;
        {
            // One outline: where its parts overlap they are filled once.
            QPainterPath twice = rectangle({30, 30, 100, 80});
            twice.addRect(QRectF(70.5, 60.5, 100, 80));
            QTest::newRow("overlapping parts of one outline") << QList{twice} << whole << none << 2 << premultiplied;
        }
        QTest::newRow("two outlines, each on its own")
            << QList{rectangle({30.5, 30.5, 100, 80}), rectangle({70.25, 60.75, 100, 80})} << whole << none << 2
            << premultiplied;
        QTest::newRow("beyond all four sides of the image")
            << QList{polygon({{-500, 80}, {100, -400}, {700, 80}, {100, 600}})} << whole << none << 2 << premultiplied;
        QTest::newRow("left and right of the clip")
            << QList{ring({100, 80}, 90, 30)} << QRegion(60, 0, 80, 160) << none << 24 << premultiplied;
        QTest::newRow("clip of two rectangles")
            << QList{ring({100, 80}, 70, 40), polygon({{-50, 0}, {250, 100}, {250, 120}})}
            << (QRegion(10, 10, 70, 50) | QRegion(90, 95, 100, 60)) << none << 24 << premultiplied;
        QTest::newRow("shifted painter") << QList{ring({80, 90}, 60, 20)} << QRegion(-13, 7, 200, 160)
                                         << QPoint(13, -7) << 24 << premultiplied;
        QTest::newRow("curves far larger than the image")
            << QList{ring({100, 15080}, 15000, 14990)} << whole << none << 24 << premultiplied;
        QTest::newRow("wholly left of the clip")
            << QList{rectangle({5, 5, 40, 100})} << QRegion(60, 0, 140, 160) << none << 0 << premultiplied;
    }

    void matchesThePainter()
    {
        QFETCH(QList<QPainterPath>, outlines);
        QFETCH(QRegion, clip);
        QFETCH(QPoint, shift);
        QFETCH(int, tolerance);
        QFETCH(int, format);

        const QImage before = background(QImage::Format(format));
        QImage expected = before;
        {
            QPainter p(&expected);
            p.setRenderHint(QPainter::Antialiasing);
            p.translate(shift);
            p.setClipRegion(clip);
            for (const QPainterPath &o : outlines)
                p.fillPath(o, Ink);
        }
        QImage drawn = before;
        {
            QPainter p(&drawn);
            p.translate(shift);
            QVERIFY(fillOutlines(p, std::vector<QPainterPath>(outlines.begin(), outlines.end()), Ink, clip));
        }
        const QRegion inImage = clip.translated(shift);
        const Comparison c = compare(drawn, expected, before, inImage);
        QCOMPARE(c.outside, 0);
        QVERIFY2(c.largest <= tolerance, qPrintable(QStringLiteral("a channel %1 off").arg(c.largest)));
        QVERIFY2(c.over <= (tolerance > 8 ? 100 : 0), qPrintable(QStringLiteral("%1 pixels more than 8 off").arg(c.over)));
        // Something was drawn wherever the painter drew something.
        QCOMPARE(drawn == before, expected == before);
    }

    // Where the result could not be the painter's, nothing is drawn and the caller is told.
    void refusesWhatItCannotDrawExactly_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<qreal>("opacity");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QPainterPath>("outline");

        const QPainterPath square = rectangle({20, 20, 100, 100});
        const int argb = QImage::Format_ARGB32_Premultiplied;
        const int over = QPainter::CompositionMode_SourceOver;
        QTest::newRow("24-bit image") << int(QImage::Format_RGB888) << QTransform() << Ink << 1.0 << over << square;
        QTest::newRow("straight-alpha image") << int(QImage::Format_ARGB32) << QTransform() << Ink << 1.0 << over << square;
        QTest::newRow("scaled painter") << argb << QTransform::fromScale(2, 2) << Ink << 1.0 << over << square;
        QTest::newRow("half-pixel shift") << argb << QTransform::fromTranslate(0.5, 0) << Ink << 1.0 << over << square;
        QTest::newRow("translucent colour") << argb << QTransform() << QColor(200, 30, 30, 128) << 1.0 << over << square;
        QTest::newRow("painter opacity") << argb << QTransform() << Ink << 0.5 << over << square;
        QTest::newRow("source composition") << argb << QTransform() << Ink << 1.0 << int(QPainter::CompositionMode_Source)
                                            << square;
        QPainterPath oddEven = square;
        oddEven.setFillRule(Qt::OddEvenFill);
        QTest::newRow("odd-even rule") << argb << QTransform() << Ink << 1.0 << over << oddEven;
        QTest::newRow("beyond the coordinate limit")
            << argb << QTransform() << Ink << 1.0 << over << polygon({{0, 0}, {40000, 100}, {0, 100}});
        QTest::newRow("not a number") << argb << QTransform() << Ink << 1.0 << over
                                      << polygon({{0, 0}, {std::nan(""), 100}, {0, 100}});
    }

    void refusesWhatItCannotDrawExactly()
    {
        QFETCH(int, format);
        QFETCH(QTransform, transform);
        QFETCH(QColor, colour);
        QFETCH(qreal, opacity);
        QFETCH(int, mode);
        QFETCH(QPainterPath, outline);

        const QImage before = background(QImage::Format(format));
        QImage drawn = before;
        QPainter p(&drawn);
        p.setTransform(transform);
        p.setOpacity(opacity);
        p.setCompositionMode(QPainter::CompositionMode(mode));
        QVERIFY(!fillOutlines(p, {outline}, colour, QRegion(0, 0, 200, 160)));
        p.end();
        QCOMPARE(drawn, before);
    }

    // An empty clip, or one outside the image, draws nothing and is done.
    void drawsNothingOutsideTheImage()
    {
        const QImage before = background(QImage::Format_ARGB32_Premultiplied);
        QImage drawn = before;
        QPainter p(&drawn);
        const std::vector<QPainterPath> square{rectangle({-1000, -1000, 3000, 3000})};
        QVERIFY(fillOutlines(p, square, Ink, QRegion()));
        QVERIFY(fillOutlines(p, square, Ink, QRegion(300, 0, 50, 50)));
        p.setClipRect(QRect(0, 0, 10, 10));
        QVERIFY(fillOutlines(p, square, Ink, QRegion(50, 50, 50, 50)));
        p.end();
        QCOMPARE(drawn, before);
    }
};

QTEST_GUILESS_MAIN(TestOutlineFill)
#include "test_outlinefill.moc"

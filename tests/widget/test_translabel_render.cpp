// The display label draws what QPainter::drawText draws for one centred line, although it
// lays the text out once and fills only the glyphs that can be seen.
#include "kit/builder.h"
#include "kit/controls.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace kit;

namespace {

constexpr QRgb TextColour = qRgb(200, 30, 30);

// A window with a surface and the label laid out as the program lays it out: full width, 40
// pixels from the top, 10 from the bottom.
Definition fixture(QSize size)
{
    WindowDef w{};
    w.name = "w";
    w.id = 0x200;
    w.controlId = 0x201;
    w.width = size.width();
    w.height = size.height();
    ControlDef s{};
    s.name = "s";
    s.kind = Kind::ShapeBox;
    s.id = 1;
    s.parent = "w";
    s.width = size.width();
    s.height = size.height();
    s.settings = ShapeBoxSettings{};
    ControlDef t{};
    t.name = "t";
    t.kind = Kind::TransLabel;
    t.id = 2;
    t.parent = "s";
    t.top = 40;
    t.width = size.width();
    t.height = std::max(0, size.height() - 50);
    t.settings = TransLabelSettings{"", 0};
    w.controls = {s, t};
    Definition d;
    d.windows = {w};
    return d;
}

QImage render(QWidget *window, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage img(window->size(), format);
    img.fill(Qt::white);
    window->render(&img);
    return img;
}

// Pixels whose channels differ by more than tolerance, with the first of them for the message,
// and the largest difference of any channel.
int differences(const QImage &a, const QImage &b, int tolerance, QPoint *first, int *largest)
{
    int n = 0;
    *largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d = std::max({std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                    std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
            *largest = std::max(*largest, d);
            if (d > tolerance && n++ == 0)
                *first = QPoint(x, y);
        }
    }
    return n;
}

int inkIn(const QImage &img, const QRect &r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += img.pixel(x, y) == TextColour;
    return n;
}

} // namespace

class TestTransLabelRender : public QObject {
    Q_OBJECT

    Definition m_def;
    std::unique_ptr<Window> m_window;
    TransLabel *m_label = nullptr;

    void build(QSize size, int points)
    {
        m_def = fixture(size);
        LoadResult r = Builder(m_def, {}).load(0x200);
        QCOMPARE(int(r.error), int(LoadError::None));
        m_window = std::move(r.window);
        m_label = m_window->get<TransLabel>("t");
        QVERIFY(m_label);
        m_label->setFontSize(points);
        m_label->setTextColor(rgb(qRed(TextColour), qGreen(TextColour), qBlue(TextColour)));
    }

    QImage labelWith(const QString &text, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
    {
        m_label->setText(text.toStdString());
        m_label->setVisible(true);
        return render(m_window->widget(), format);
    }

    // The surface without the label, then the text as drawText puts it into the label's rectangle.
    QImage drawTextOf(const QString &text, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
    {
        m_label->setVisible(false);
        QImage img = render(m_window->widget(), format);
        const QRect r = m_label->widget()->geometry();
        QPainter p(&img);
        p.setClipRect(r);
        p.translate(r.topLeft());
        p.setFont(m_label->font());
        p.setPen(QColor(TextColour));
        p.drawText(QRect(QPoint(0, 0), r.size()), Qt::AlignCenter | Qt::TextSingleLine, text);
        return img;
    }

private Q_SLOTS:
    void cleanup()
    {
        m_label = nullptr;
        m_window.reset();
    }

    void sameAsDrawText_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QString>("text");
        const QList<std::pair<const char *, QString>> texts = {
            {"CJK and Latin", QStringLiteral("大字 BigText 显示")},
            {"wider than the label", QStringLiteral("宽字 WideWideWide 文本 Латиница ελληνικά")},
            {"ampersands", QStringLiteral("&Save && exit &")},
            {"markup", QStringLiteral("<b>x</b> &amp; <i>y</i>")},
            {"line breaks and tabs", QStringLiteral("line1\nline2\r\n\tend")},
            // Combining strokes cross their base letters' edges: one fill differs there from two.
            {"overlapping glyphs", QStringLiteral("o\u0337x\u0336o\u0337")},
        };
        // Window sizes give the label font sizes of 66 points (88 px), 980 points (1307 px, glyphs
        // filled apart), 30 points (40 px, glyphs from the glyph cache) and 0 (the default height).
        const QList<QSize> windows = {{528, 166}, {1920, 1080}, {300, 130}, {300, 100}};
        for (const QSize &w : windows)
            for (const auto &[name, text] : texts)
                QTest::addRow("%s %dx%d", name, w.width(), w.height()) << w << text;
    }

    void sameAsDrawText()
    {
        QFETCH(QSize, window);
        QFETCH(QString, text);
        build(window, window.height() - 100);
        const QImage drawn = labelWith(text);
        const QImage expected = drawTextOf(text);
        QVERIFY(inkIn(expected, QRect(QPoint(0, 0), window)) > 0);
        QPoint first;
        int largest = 0;
        if (window.height() < 1000) {
            const int n = differences(drawn, expected, 0, &first, &largest);
            QVERIFY2(n == 0, qPrintable(QStringLiteral("%1 pixels differ, the first at (%2, %3)").arg(n).arg(first.x()).arg(first.y())));
            return;
        }
        // Glyphs over 256 pixels high are filled by the kit's own filler, which cuts curves
        // into lines a little differently from Qt's: the same pixels inside and outside, and on
        // the edges coverage a few steps apart.
        const int ink = inkIn(expected, QRect(QPoint(0, 0), window));
        QVERIFY(std::abs(inkIn(drawn, QRect(QPoint(0, 0), window)) - ink) <= ink / 1000);
        const int far = differences(drawn, expected, 48, &first, &largest);
        QVERIFY2(far == 0, qPrintable(QStringLiteral("%1 pixels far off, the first at (%2, %3)").arg(far).arg(first.x()).arg(first.y())));
        const int n = differences(drawn, expected, 8, &first, &largest);
        QVERIFY2(n <= ink / 200, qPrintable(QStringLiteral("%1 pixels differ, the first at (%2, %3)").arg(n).arg(first.x()).arg(first.y())));
    }

    // On an image the kit's filler cannot write to, large glyphs are the painter's own again.
    void largeGlyphsOnOtherImagesAsDrawText()
    {
        build({1920, 1080}, 980);
        const QString text = QStringLiteral("大字 BigText 显示");
        const QImage drawn = labelWith(text, QImage::Format_RGB888);
        const QImage expected = drawTextOf(text, QImage::Format_RGB888);
        QVERIFY(inkIn(expected, QRect(0, 0, 1920, 1080)) > 0);
        QCOMPARE(drawn, expected);
    }

    // What the user typed is what shows: no mnemonic, no markup, no second line.
    void drawnAsTyped()
    {
        build({528, 166}, 66);
        const QRect label(0, 40, 528, 116);
        QVERIFY(inkIn(labelWith(QStringLiteral("&")), label) > 0);
        QVERIFY(inkIn(labelWith(QStringLiteral("<b>x</b>")), label) > 3 * inkIn(labelWith(QStringLiteral("x")), label));
        QCOMPARE(labelWith(QStringLiteral("a\nb")), labelWith(QStringLiteral("a b")));
        QCOMPARE(labelWith(QStringLiteral("a\u2028b")), labelWith(QStringLiteral("a b")));
    }

    // The longest text the edit box takes is one line too, centred: the one bar in its middle
    // stands at the middle of the label.
    void longTextIsCentred()
    {
        build({1920, 1080}, 980);
        const QString half(16383, QChar(u'x'));
        const QImage img = labelWith(half + QChar(u'|') + half);
        const QRect label(0, 40, 1920, 1030);
        // Columns solidly inked over the middle half of the label's height: only a bar has them.
        const int em = int(std::lround(980 * 96 / 72.0));
        int left = -1, right = -1;
        for (int x = 0; x < 1920; ++x) {
            bool solid = true;
            for (int y = label.top() + label.height() / 4; solid && y < label.bottom() - label.height() / 4; ++y)
                solid = img.pixel(x, y) == TextColour;
            if (solid) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        QVERIFY2(left >= 0, "no bar drawn");
        const int middle = (left + right) / 2;
        QVERIFY2(std::abs(middle - 960) <= em / 50, qPrintable(QStringLiteral("bar at %1").arg(middle)));
        // And the x on both sides of it.
        QVERIFY(inkIn(img, QRect(0, 40, left - 10, 1030)) > 0);
        QVERIFY(inkIn(img, QRect(right + 10, 40, 1920 - right - 10, 1030)) > 0);
    }
};

QTEST_MAIN(TestTransLabelRender)
#include "test_translabel_render.moc"

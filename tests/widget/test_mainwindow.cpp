#include "kit/runtimeerror.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <stdexcept>

using namespace mainwindow;

namespace {

struct ReportedError {
    std::int32_t code;
    std::string message;
};

QColor pixel(const QImage &img, int x, int y) { return img.pixelColor(x, y); }

// Pixels of exactly this colour in the rectangle.
int count(const QImage &img, const QRect &r, QColor c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += img.pixelColor(x, y) == c;
    return n;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<kit::Window> m_window;

    Controls c() { return Controls::of(*m_window); }

    void resizeWindow(int w, int h)
    {
        m_window->widget()->resize(w, h);
        QCOMPARE(m_window->widget()->size(), QSize(w, h));
    }

    QImage render() { return m_window->widget()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    void confirmWith(const QString &text, kit::ColorValue colour)
    {
        static_cast<QLineEdit *>(c().编辑框1.widget())->setText(text);
        c().颜色选择器1.setColor(colour);
        confirm(*m_window);
        QVERIFY(c().透明标签1.isVisible());
    }

private Q_SLOTS:
    void initTestCase()
    {
        kit::setRuntimeErrorReporter([](std::int32_t code, const std::string &message) {
            throw ReportedError{code, message};
        });
    }

    void init()
    {
        kit::LoadResult r = kit::Builder(definition(), handlers(), factories()).load(WindowId);
        QCOMPARE(int(r.error), int(kit::LoadError::None));
        m_window = std::move(r.window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window->widget()));
    }
    void cleanup() { m_window.reset(); }

    void initialLayout()
    {
        QCOMPARE(m_window->widget()->size(), QSize(528, 166));
        QCOMPARE(c().外形框1.widget()->geometry(), QRect(0, 0, 528, 166));
        QCOMPARE(c().外形框2.widget()->geometry(), QRect(0, 0, 528, 166));
        QCOMPARE(c().透明标签1.widget()->geometry(), QRect(0, 40, 528, 116));
        QCOMPARE(c().透明标签1.fontSize(), 66);
        QVERIFY(!c().透明标签1.isVisible());
        QCOMPARE(c().图片框1.widget()->geometry(), QRect(512, 150, 16, 16));
        QVERIFY(c().分组框1.isVisible());
        QCOMPARE(QString::fromStdString(c().透明标签1.text()), QStringLiteral("透明标签"));
    }

    void inputPanelLooksFlatOnTheSurface()
    {
        const QImage img = render();
        const QColor face = kit::faceColor();
        // The blank inside of the panel is the surface's own colour, its caption pure blue,
        // the label's text black on the face colour, and the edit box white.
        QCOMPARE(pixel(img, 30, 135), face);
        QCOMPARE(pixel(img, 250, 135), face);
        int blue = 0;
        for (int y = 24; y < 40; ++y)
            for (int x = 16; x < 316; ++x) {
                const QColor c = pixel(img, x, y);
                blue += c.blue() - c.red() > 100 && c.red() == c.green();
            }
        QVERIFY(blue > 20);
        int dark = 0;
        for (int y = 92; y < 124; ++y)
            for (int x = 149; x < 245; ++x)
                dark += qGray(img.pixel(x, y)) < 80;
        QVERIFY(dark > 20);
        QCOMPARE(pixel(img, 149 + 2, 92 + 2), face);
        QCOMPARE(pixel(img, 260, 64), QColor(255, 255, 255));
        // The frame is drawn: something other than the face colour along its left edge.
        int edge = 0;
        for (int y = 60; y < 130; ++y)
            edge += pixel(img, 16, y) != face;
        QCOMPARE(edge, 70);
    }

    void firstFocusIsThePicker()
    {
        QVERIFY(QTest::qWaitForWindowActive(m_window->widget()));
        QTRY_COMPARE(QApplication::focusWidget(), c().颜色选择器1.widget());
        const auto cycle = m_window->focusCycle();
        QCOMPARE(cycle.size(), std::size_t(3));
        QCOMPARE(cycle[0], &c().颜色选择器1);
        QCOMPARE(cycle[1], &c().按钮1);
        QCOMPARE(cycle[2], &c().编辑框1);
    }

    void layoutFollowsTheSize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("label");
        QTest::addColumn<int>("points");
        QTest::addColumn<QPoint>("grip");
        QTest::newRow("taller") << QSize(800, 250) << QRect(0, 40, 800, 200) << 150 << QPoint(784, 234);
        QTest::newRow("101 high: one point") << QSize(528, 101) << QRect(0, 40, 528, 51) << 1 << QPoint(512, 85);
        QTest::newRow("100 high: default height") << QSize(528, 100) << QRect(0, 40, 528, 50) << 0 << QPoint(512, 84);
        QTest::newRow("50 high: no label height") << QSize(300, 50) << QRect(0, 40, 300, 0) << 0 << QPoint(284, 34);
        QTest::newRow("below 50") << QSize(300, 20) << QRect(0, 40, 300, 0) << 0 << QPoint(284, 4);
        QTest::newRow("under 16") << QSize(10, 12) << QRect(0, 40, 10, 0) << 0 << QPoint(-6, -4);
        QTest::newRow("tallest") << QSize(120, 32627) << QRect(0, 40, 120, 32577) << 32527 << QPoint(104, 32611);
    }
    void layoutFollowsTheSize()
    {
        QFETCH(QSize, size);
        resizeWindow(size.width(), size.height());
        QCOMPARE(c().外形框1.widget()->geometry(), QRect(QPoint(0, 0), size));
        QCOMPARE(c().外形框2.widget()->geometry(), QRect(QPoint(0, 0), size));
        QTEST(c().透明标签1.widget()->geometry(), "label");
        QTEST(c().透明标签1.fontSize(), "points");
        QFETCH(QPoint, grip);
        QCOMPARE(c().图片框1.widget()->geometry(), QRect(grip, QSize(16, 16)));
        // The input panel stays where it is.
        QCOMPARE(c().分组框1.widget()->geometry(), QRect(16, 24, 504, 120));
    }

    void emHeight_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("pixels");
        QTest::newRow("66 points") << 166 << 88;
        QTest::newRow("150 points") << 250 << 200;
        QTest::newRow("1 point") << 101 << 1;
    }
    void emHeight()
    {
        QFETCH(int, height);
        QCOMPARE(c().透明标签1.widget()->logicalDpiY(), 96);
        resizeWindow(528, height);
        const QFont f = c().透明标签1.font();
        QTEST(f.pixelSize(), "pixels");
        QCOMPARE(f.family(), QApplication::font().family());
        QCOMPARE(f.weight(), QApplication::font().weight());
        QCOMPARE(f.italic(), QApplication::font().italic());
    }

    void defaultHeightAtZeroPoints()
    {
        resizeWindow(528, 90);
        QCOMPARE(c().透明标签1.fontSize(), 0);
        QCOMPARE(c().透明标签1.font(), QApplication::font());
    }

    void confirmCommand_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("colour");
        QTest::newRow("empty text") << QString() << 0x0000FFu;
        QTest::newRow("cjk and latin") << QStringLiteral("大字 BigText") << 0x00FF00u;
        QTest::newRow("kept exactly, spaces and markup")
            << QStringLiteral("  <b>&amp; & a\tb</b>  ") << 0x123456u;
    }
    void confirmCommand()
    {
        QFETCH(QString, text);
        QFETCH(uint, colour);
        resizeWindow(600, 300);
        static_cast<QLineEdit *>(c().编辑框1.widget())->setText(text);
        c().颜色选择器1.setColor(colour);
        QTest::mouseClick(c().按钮1.widget(), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(c().透明标签1.text()), text);
        QCOMPARE(c().透明标签1.textColor(), kit::ColorValue(colour));
        QVERIFY(!c().分组框1.isVisible());
        QVERIFY(!c().编辑框1.widget()->isVisible());
        QVERIFY(!c().按钮1.widget()->isVisible());
        QCOMPARE(c().透明标签1.widget()->geometry(), QRect(0, 40, 600, 250));
        QCOMPARE(c().透明标签1.fontSize(), 200);
        // Only the surface remains for Tab.
        QVERIFY(m_window->focusCycle().empty());
    }

    void untouchedPickerGivesBlack()
    {
        static_cast<QLineEdit *>(c().编辑框1.widget())->setText(QStringLiteral("x"));
        QTest::mouseClick(c().按钮1.widget(), Qt::LeftButton);
        QCOMPARE(c().透明标签1.textColor(), kit::ColorValue(0));
    }

    void failedCopyIsReported()
    {
        static_cast<QLineEdit *>(c().编辑框1.widget())->setText(QStringLiteral("大字ab"));
        try {
            confirm(*m_window, [](const kit::EditBox &) -> std::string { throw std::bad_alloc(); });
            QFAIL("the failure went unreported");
        } catch (const ReportedError &e) {
            QCOMPARE(e.code, 0);
            // 3 + 3 + 1 + 1 bytes of UTF-8, and one for the terminator.
            QCOMPARE(QString::fromStdString(e.message), QStringLiteral("分配 9 字节内存失败!"));
        }
    }

    void shownLabelDrawsOverTheSurface()
    {
        const QColor red(255, 0, 0);
        resizeWindow(528, 166);
        confirmWith(QStringLiteral("大字"), kit::rgb(255, 0, 0));
        const QImage img = render();
        const QRect label(0, 40, 528, 116);
        QVERIFY(count(img, label, red) > 500);
        // Nothing of the text outside the label, and the face colour shows around the glyphs.
        QCOMPARE(count(img, QRect(0, 0, 528, 40), red), 0);
        QCOMPARE(count(img, QRect(0, 156, 528, 10), red), 0);
        QCOMPARE(pixel(img, 2, 60), kit::faceColor());
        // The grip still shows in the corner: its lower rows are outside the label, and its
        // upper rows show through the label where no glyph is.
        QVERIFY(pixel(img, 527, 165) != kit::faceColor() || pixel(img, 526, 165) != kit::faceColor());
        int gripPixels = 0;
        for (int x = 512; x < 528; ++x)
            gripPixels += pixel(img, x, 152) != kit::faceColor();
        QVERIFY(gripPixels > 0);
    }

    void tallTextIsCutAtTheLabelsEdges()
    {
        const QColor blue(0, 0, 255);
        resizeWindow(528, 1000); // a 1200 px em in a 950 px label
        confirmWith(QStringLiteral("█"), kit::rgb(0, 0, 255)); // a full block reaches above the ascent and below the descent
        const QImage img = render();
        QCOMPARE(count(img, QRect(0, 0, 528, 40), blue), 0);
        QCOMPARE(count(img, QRect(0, 990, 528, 10), blue), 0);
        QVERIFY(count(img, QRect(0, 40, 528, 1), blue) > 0);
        QVERIFY(count(img, QRect(0, 989, 528, 1), blue) > 0);
    }

    void wideTextIsCentredAndCutAtBothSides()
    {
        const QColor black(0, 0, 0);
        resizeWindow(300, 166);
        confirmWith(QString(40, QChar(u'田')), 0);
        const QImage img = render();
        const QRect label(0, 40, 300, 116);
        int left = 0, right = 0;
        for (int y = label.top(); y <= label.bottom(); ++y) {
            left += pixel(img, 0, y) == black;
            right += pixel(img, 299, y) == black;
        }
        QVERIFY(left > 0);
        QVERIFY(right > 0);
        // Centred: the two halves carry about the same ink.
        const int a = count(img, QRect(0, 40, 150, 116), black);
        const int b = count(img, QRect(150, 40, 150, 116), black);
        QVERIFY2(qAbs(a - b) <= (a + b) / 10, qPrintable(QStringLiteral("%1 vs %2").arg(a).arg(b)));
    }

    void emptyTextDrawsNothing()
    {
        confirmWith(QString(), 0);
        const QImage img = render();
        QCOMPARE(count(img, QRect(0, 40, 528, 110), QColor(0, 0, 0)), 0);
    }

    void escFromEachFocusableControlCloses_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::newRow("colour picker") << 0;
        QTest::newRow("button") << 1;
        QTest::newRow("edit box") << 2;
    }
    void escFromEachFocusableControlCloses()
    {
        QFETCH(int, tabs);
        QVERIFY(QTest::qWaitForWindowActive(m_window->widget()));
        QTRY_VERIFY(QApplication::focusWidget());
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_window->focusCycle()[std::size_t(tabs)]->widget());
        bool destroyed = false;
        m_window->onDestroyed = [&] { destroyed = true; };
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(destroyed);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"

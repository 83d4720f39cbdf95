#include "kit/definition.h"
#include "mainwindow/maindefinition.h"
#include "resources/resources.h"

#include <QCryptographicHash>
#include <QTest>

#include <functional>

using namespace kit;

namespace {

Definition small()
{
    WindowDef w{};
    w.name = "w";
    w.id = 1;
    w.controlId = 2;
    w.width = 100;
    w.height = 100;
    ControlDef a{};
    a.name = "a";
    a.kind = Kind::ShapeBox;
    a.id = 10;
    a.parent = "w";
    a.settings = ShapeBoxSettings{};
    ControlDef b = a;
    b.name = "b";
    b.id = 11;
    b.parent = "a";
    w.controls = {a, b};
    w.stacking = {{"w", {"a"}}};
    return Definition{{w}};
}

using Breaker = std::function<void(Definition &)>;

} // namespace

Q_DECLARE_METATYPE(Breaker)

class TestDefinition : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void faults_data()
    {
        QTest::addColumn<Breaker>("breakIt");
        QTest::addColumn<QString>("fault");
        QTest::newRow("no window") << Breaker([](Definition &d) { d.windows.clear(); }) << "holds no window";
        QTest::newRow("control id twice")
            << Breaker([](Definition &d) { d.windows[0].controls[1].id = 10; }) << "identifier of b";
        QTest::newRow("control id is the window's")
            << Breaker([](Definition &d) { d.windows[0].controls[0].id = 2; }) << "identifier of a";
        QTest::newRow("name twice") << Breaker([](Definition &d) { d.windows[0].controls[1].name = "a"; })
                                    << "name a is not unique";
        QTest::newRow("parent created later")
            << Breaker([](Definition &d) { std::swap(d.windows[0].controls[0], d.windows[0].controls[1]); })
            << "parent a of b";
        QTest::newRow("unknown parent") << Breaker([](Definition &d) { d.windows[0].controls[1].parent = "x"; })
                                        << "parent x of b";
        QTest::newRow("settings of another kind")
            << Breaker([](Definition &d) { d.windows[0].controls[1].settings = LabelSettings{}; })
            << "do not belong to kind ShapeBox";
        QTest::newRow("stacking a stranger")
            << Breaker([](Definition &d) { d.windows[0].stacking[0].frontToBack.push_back("b"); })
            << "names b, which is not its child";
        QTest::newRow("stacking twice")
            << Breaker([](Definition &d) { d.windows[0].stacking[0].frontToBack.push_back("a"); }) << "a twice";
    }
    void faults()
    {
        QFETCH(Breaker, breakIt);
        QFETCH(QString, fault);
        Definition d = small();
        QVERIFY(checkDefinition(d).empty());
        breakIt(d);
        const QString found = QString::fromStdString(checkDefinition(d));
        QVERIFY2(found.contains(fault), qPrintable(found));
    }

    void mainDefinitionIsUsable()
    {
        const Definition &d = mainwindow::definition();
        QCOMPARE(QString::fromStdString(checkDefinition(d)), QString());
        const WindowDef *w = findWindow(d, 0x52010001);
        QVERIFY(w);
        QCOMPARE(w->controlId, 0x06010000u);
        QCOMPARE(QSize(w->width, w->height), QSize(528, 166));
        QVERIFY(w->title.empty());
        QVERIFY(w->centred && w->escCloses && w->minimisable && !w->maximisable && !w->enterMovesFocus);
    }

    void mainControls_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<uint>("id");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("focusable");
        // In creation order.
        auto row = [](int i, const char *n, Kind k, uint id, const char *p, QRect g, bool v, bool f) {
            QTest::newRow(n) << i << QString::fromUtf8(n) << int(k) << id << QString::fromUtf8(p) << g << v << f;
        };
        row(0, "外形框1", Kind::ShapeBox, 0x1601001B, "窗口", {0, 0, 528, 224}, true, false);
        row(1, "外形框2", Kind::ShapeBox, 0x1601001C, "外形框1", {0, 0, 528, 224}, true, false);
        row(2, "图片框1", Kind::PicBox, 0x1601001D, "外形框2", {512, 208, 16, 16}, true, false);
        row(3, "分组框1", Kind::GroupBox, 0x16010021, "外形框2", {16, 24, 504, 120}, true, false);
        row(4, "颜色选择器1", Kind::ColorPicker, 0x16010022, "分组框1", {232, 72, 56, 24}, true, true);
        row(5, "按钮1", Kind::Button, 0x16010024, "分组框1", {301, 67, 144, 32}, true, true);
        row(6, "编辑框1", Kind::EditBox, 0x16010025, "分组框1", {16, 24, 464, 32}, true, true);
        row(7, "透明标签1", Kind::TransLabel, 0x16010029, "外形框2", {120, 176, 80, 32}, false, false);
        row(8, "标签1", Kind::Label, 0x16010030, "分组框1", {133, 68, 96, 32}, true, false);
    }
    void mainControls()
    {
        QFETCH(int, index);
        const auto &controls = mainwindow::definition().windows[0].controls;
        QCOMPARE(controls.size(), std::size_t(9));
        const ControlDef &c = controls[std::size_t(index)];
        QTEST(QString::fromStdString(c.name), "name");
        QTEST(int(c.kind), "kind");
        QTEST(uint(c.id), "id");
        QTEST(QString::fromStdString(c.parent), "parent");
        QTEST(QRect(c.left, c.top, c.width, c.height), "geometry");
        QTEST(c.visible, "visible");
        QTEST(c.focusable, "focusable");
        QVERIFY(!c.disabled);
        QCOMPARE(c.focusOrder, 0);
    }

    void mainTextsAndColours()
    {
        const auto &w = mainwindow::definition().windows[0];
        auto of = [&](const char *name) -> const ControlDef & {
            for (const auto &c : w.controls)
                if (c.name == name)
                    return c;
            throw std::logic_error(name);
        };
        const auto &group = std::get<GroupBoxSettings>(of("分组框1").settings);
        QCOMPARE(QString::fromStdString(group.caption), QStringLiteral("___编辑框内输入内容后点击确认即可"));
        QCOMPARE(group.captionColor, ColorValue(0x00FF0000));
        QCOMPARE(QString::fromStdString(std::get<LabelSettings>(of("标签1").settings).text),
                 QStringLiteral("字体颜色修改为："));
        QCOMPARE(QString::fromStdString(std::get<ButtonSettings>(of("按钮1").settings).caption), QStringLiteral("确认"));
        const auto &display = std::get<TransLabelSettings>(of("透明标签1").settings);
        QCOMPARE(QString::fromStdString(display.text), QStringLiteral("透明标签"));
        QCOMPARE(display.textColor, ColorValue(0));
        QVERIFY(!display.wordWrap);
        const auto &edit = std::get<EditBoxSettings>(of("编辑框1").settings);
        QVERIFY(edit.text.empty());
        QCOMPARE(edit.background, ColorValue(0xFFFFFF));
        const auto &picker = std::get<ColorPickerSettings>(of("颜色选择器1").settings);
        QCOMPARE(picker.color, ColorValue(0));
        QVERIFY(!picker.offerTransparent);
        QCOMPARE(of("外形框2").pointer, Pointer::PointingHand);
        QCOMPARE(of("图片框1").pointer, Pointer::SizeDiagonal);
        for (const char *surface : {"外形框1", "外形框2"}) {
            const auto &s = std::get<ShapeBoxSettings>(of(surface).settings);
            QCOMPARE(s.background, DefaultColor);
            QCOMPARE(s.fillColor, DefaultColor);
            QVERIFY(!s.drawLine);
        }
        QCOMPARE(w.stacking.size(), std::size_t(2));
        QCOMPARE(w.stacking[0].frontToBack, (std::vector<std::string>{"透明标签1", "分组框1", "图片框1"}));
        QCOMPARE(w.stacking[1].frontToBack, (std::vector<std::string>{"标签1", "编辑框1", "按钮1", "颜色选择器1"}));
    }

    void gripPictureIsTheShippedBytes()
    {
        const auto bytes = resources::gripPicture();
        QCOMPARE(bytes.size(), std::size_t(297));
        const QByteArray digest = QCryptographicHash::hash(
            QByteArrayView(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())),
            QCryptographicHash::Sha256);
        QCOMPARE(digest.toHex(), QByteArray("573837bb0aec35df723af6b5064c78873b9a83773c1cd4f3c8a2380bceb0d82e"));
    }
};

QTEST_APPLESS_MAIN(TestDefinition)
#include "test_definition.moc"

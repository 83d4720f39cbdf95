#include "app/runtimeerror.h"

#include <QMessageBox>
#include <QTest>

class TestRuntimeError : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void text_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");
        QTest::newRow("code and message")
            << 6 << QStringLiteral("调用DLL命令后发现堆栈错误")
            << QStringLiteral("运行时出错!\n\n错误代码：6\n\n错误信息：调用DLL命令后发现堆栈错误\n");
        QTest::newRow("message only") << 0 << QStringLiteral("载入启动窗口失败")
                                      << QStringLiteral("运行时出错!\n\n错误信息：载入启动窗口失败\n");
        QTest::newRow("negative code, no message") << -3 << QString() << QStringLiteral("运行时出错!\n\n错误代码：-3\n\n");
        QTest::newRow("neither") << 0 << QString() << QStringLiteral("运行时出错!\n\n");
    }
    void text()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        QTEST(app::runtimeErrorText(code, message.toStdString()), "expected");
    }

    void box()
    {
        auto box = app::runtimeErrorBox(6, "调用DLL命令后发现堆栈错误");
        QCOMPARE(box->windowTitle(), QStringLiteral("错误"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!box->parentWidget());
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->text(), app::runtimeErrorText(6, "调用DLL命令后发现堆栈错误"));
    }
};

QTEST_MAIN(TestRuntimeError)
#include "test_runtimeerror.moc"

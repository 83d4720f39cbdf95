// The fatal error report of a start-up that cannot load its window, on a real X server: the
// error box comes up on its own, and closing it ends the process with status -1 (255).

#include "appprocess.h"
#include "toplevel.h"
#include "xconnection.h"
#include "xinput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QTest>

#include <memory>

using namespace e2e;

class StartupErrorE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void errorBoxEndsTheProcess_data();
    void errorBoxEndsTheProcess();

private:
    std::unique_ptr<XConnection> m_x;
    std::unique_ptr<XInput> m_input;
};

void StartupErrorE2E::initTestCase()
{
    m_x = std::make_unique<XConnection>();
    m_input = std::make_unique<XInput>(*m_x);
    const QString problem = endToEndProblem(*m_x, m_input.get());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void StartupErrorE2E::errorBoxEndsTheProcess_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("closeBy");

    const QString unreadable = QStringLiteral("运行时出错!\n\n错误信息：载入窗口模板数据段出错!\n");
    const QString noWindow = QStringLiteral("运行时出错!\n\n错误信息：载入启动窗口失败\n");
    QTest::newRow("unreadable definition, Return") << "unreadable" << unreadable << "Return";
    QTest::newRow("start window missing, click on OK") << "nostartwindow" << noWindow << "click";
    QTest::newRow("control cannot be created, Escape") << "creationfails" << noWindow << "Escape";
    QTest::newRow("unreadable definition, close request") << "unreadable" << unreadable << "close";
}

void StartupErrorE2E::errorBoxEndsTheProcess()
{
    QFETCH(QString, fault);
    QFETCH(QString, text);
    QFETCH(QString, closeBy);

    AppProcess app(QStringLiteral(BIGTEXT_BROKEN_START_EXE), {fault});
    QVERIFY(app.start());

    const auto box = TopLevel::waitFor(*m_x, app.pid());
    QVERIFY2(box, qPrintable("no error box appeared; output: " + QString::fromLocal8Bit(app.standardError())));
    QCOMPARE(box->netWmName(), QStringLiteral("错误"));
    QCOMPARE(box->wmName(), QStringLiteral("错误"));
    // The box is the only window: nothing of the half-built main window is shown.
    QTest::qWait(200);
    QCOMPARE(int(TopLevel::ofProcess(*m_x, app.pid()).size()), 1);

    // The box as the program built it.
    QTRY_VERIFY_WITH_TIMEOUT(app.standardOutput().contains('\n'), 5000);
    const QJsonObject shown = QJsonDocument::fromJson(app.standardOutput().trimmed()).object();
    QCOMPARE(shown[QLatin1String("title")].toString(), QStringLiteral("错误"));
    QCOMPARE(shown[QLatin1String("text")].toString(), text);
    QCOMPARE(shown[QLatin1String("icon")].toInt(), int(QMessageBox::Critical));
    QCOMPARE(shown[QLatin1String("buttons")].toArray(), QJsonArray{int(QMessageBox::Ok)});
    QCOMPARE(shown[QLatin1String("hasParent")].toBool(), false);

    QTRY_VERIFY_WITH_TIMEOUT(box->hasInputFocus(), 5000);
    if (closeBy == QLatin1String("click"))
        m_input->click({shown[QLatin1String("okX")].toInt(), shown[QLatin1String("okY")].toInt()});
    else if (closeBy == QLatin1String("close"))
        box->requestClose();
    else
        m_input->tapKey(qPrintable(closeBy));

    QVERIFY2(app.waitForExit(5000), "the process did not end after the error box was closed");
    QVERIFY(app.exitedNormally());
    QCOMPARE(app.exitCode(), 255);
}

QTEST_GUILESS_MAIN(StartupErrorE2E)
#include "tst_startuperror_e2e.moc"

// When the sender plans each message, from the script's waits and the link's pacing.
#include "script.h"
#include "sender.h"
#include "tcpclientlink.h"

#include <QTest>

Q_DECLARE_METATYPE(Pacing)

class TestSender : public QObject
{
    Q_OBJECT

private slots:
    void schedule_takesTheLongerOfTheWaitAndThePause_data();
    void schedule_takesTheLongerOfTheWaitAndThePause();
};

void TestSender::schedule_takesTheLongerOfTheWaitAndThePause_data()
{
    QTest::addColumn<QList<int>>("waits");
    QTest::addColumn<Pacing>("pacing");
    QTest::addColumn<QList<qint64>>("due");
    // Three-byte messages; at 19200 baud 8N1 they take 30 bits / 19.2 bits a ms = 1.6 ms,
    // 2 ms rounded up.
    QTest::newRow("tcp") << QList<int>{0, 50, 0} << Pacing{10, 0} << QList<qint64>{0, 50, 60, 70};
    QTest::newRow("serial") << QList<int>{5, 50, 0} << Pacing{20, 19200} << QList<qint64>{5, 55, 77, 99};
    QTest::newRow("nothing to send") << QList<int>{} << Pacing{10, 0} << QList<qint64>{0};
}

void TestSender::schedule_takesTheLongerOfTheWaitAndThePause()
{
    QFETCH(QList<int>, waits);
    QFETCH(Pacing, pacing);
    QFETCH(QList<qint64>, due);
    Script script;
    for (const int wait : waits)
        script.steps.append({QByteArrayLiteral("A45"), wait});
    TcpClientLink link(QStringLiteral("127.0.0.1"), 1);
    const Sender sender(&link, pacing, script, QString(), QString());
    QCOMPARE(sender.schedule(), due);
}

QTEST_GUILESS_MAIN(TestSender)
#include "tst_sender.moc"

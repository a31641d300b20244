#include "messagelog.h"

#include <QTest>

class TestMessageLog : public QObject
{
    Q_OBJECT

private slots:
    void everyByteSurvivesARow();
};

void TestMessageLog::everyByteSurvivesARow()
{
    QByteArray bytes;
    for (int b = 255; b >= 0; --b)
        bytes.append(char(b));
    const QByteArray line = MessageLog::format({42, QStringLiteral("tcp ::1"), bytes, QStringLiteral("Q1=45")});
    QCOMPARE(line.count('\n'), 1);
    const std::optional<MessageLog::Row> row = MessageLog::parse(QString::fromUtf8(line.chopped(1)));
    QVERIFY(row);
    QCOMPARE(row->ms, 42);
    QCOMPARE(row->source, QStringLiteral("tcp ::1"));
    QCOMPARE(row->bytes, bytes);
    QCOMPARE(row->outcome, QStringLiteral("Q1=45"));
    QVERIFY(!MessageLog::parse(u"0,serie,\"\\xG1\",Q1=45"));
}

QTEST_GUILESS_MAIN(TestMessageLog)
#include "tst_messagelog.moc"

#include "ptypair.h"
#include "seriallink.h"
#include "winansi.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Reads through the link until `expected` characters have come or the wait is over.
QString readUntil(SerialLink &link, qsizetype expected, int timeoutMs = 5000)
{
    QString received;
    QElapsedTimer timer;
    timer.start();
    while (received.size() < expected && timer.elapsed() < timeoutMs) {
        QTest::qWait(10);
        received += link.input();
    }
    return received;
}

} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void open_data();
    void open();
    void open_refusedDevice_data();
    void open_refusedDevice();
    void input_moreThanTheBuffer_losesNothing();
    void output_putsExactBytesOnTheLine_clearDropsUnread();
    void farEndGoesAway_reportedOnceAndClosed();

private:
    SerialSettings settings(const QString &line = QStringLiteral("19200,n,8,1")) const;

    std::unique_ptr<PtyPair> m_pty;
};

void TestSerialLink::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->start());
}

void TestSerialLink::cleanup()
{
    m_pty.reset();
}

SerialSettings TestSerialLink::settings(const QString &line) const
{
    SerialSettings s;
    s.device = m_pty->devicePath();
    s.line = line;
    return s;
}

void TestSerialLink::open_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("opens");
    QTest::newRow("simulator line") << "19200,n,8,1" << true;
    QTest::newRow("terminal line") << "9600,n,8,1" << true;
    QTest::newRow("even parity, 7 bits, 2 stops") << "4800,E,7,2" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("parity letter") << "19200,x,8,1" << false;
    QTest::newRow("data bits") << "19200,n,9,1" << false;
    QTest::newRow("missing field") << "19200,n,8" << false;
}

void TestSerialLink::open()
{
    QFETCH(QString, line);
    QFETCH(bool, opens);
    SerialLink link;
    QSignalSpy events(&link, &SerialLink::commEvent);
    // DTR off is refused by a pseudo-terminal: that must not count as a failure.
    QCOMPARE(link.open(settings(line)), opens);
    QCOMPARE(link.isOpen(), opens);
    if (!opens)
        QVERIFY(link.errorString().contains(line));
    QTest::qWait(50);
    QCOMPARE(events.count(), 0);
}

void TestSerialLink::open_refusedDevice_data()
{
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << true << "no existe";
    QTest::newRow("held by another port") << false << "otra ventana u otro programa";
}

void TestSerialLink::open_refusedDevice()
{
    QFETCH(bool, missing);
    QFETCH(QString, reason);
    SerialSettings s = settings();
    QSerialPort holder(s.device);
    if (missing)
        s.device += QStringLiteral("-missing");
    else
        QVERIFY(holder.open(QIODevice::ReadWrite));
    SerialLink link;
    QVERIFY(!link.open(s));
    QVERIFY(!link.isOpen());
    QVERIFY2(link.errorString().contains(reason), qPrintable(link.errorString()));
    // Closing the holder frees the device for the link.
    holder.close();
    if (!missing)
        QVERIFY2(link.open(s), qPrintable(link.errorString()));
}

void TestSerialLink::input_moreThanTheBuffer_losesNothing()
{
    SerialLink link;
    QVERIFY(link.open(settings())); // a buffer of 1024
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char(i % 256));
    QVERIFY(m_pty->writePeer(bytes));
    QCOMPARE(readUntil(link, bytes.size(), 10000), WinAnsi::decode(bytes));
}

void TestSerialLink::output_putsExactBytesOnTheLine_clearDropsUnread()
{
    SerialLink link;
    QVERIFY(link.open(settings(QStringLiteral("9600,n,8,1"))));
    QSignalSpy events(&link, &SerialLink::commEvent);
    QVERIFY(link.output(QString::fromUtf16(u"Hola\u20AC\u00C7") + QChar(0) + QStringLiteral("x")));
    QByteArray onLine;
    QTRY_VERIFY_WITH_TIMEOUT((onLine += m_pty->readPeer(0)).size() >= 8, 5000);
    QCOMPARE(onLine, QByteArray("Hola\x80\xC7\0x", 8));
    // The emptied transmit buffer is an event too.
    QTRY_VERIFY_WITH_TIMEOUT(events.count() > 0, 5000);
    // What came and was not read yet can be dropped.
    QVERIFY(m_pty->writePeer("stale"));
    QTest::qWait(100);
    link.clearInput();
    QCOMPARE(link.input(), QString());
    QVERIFY(m_pty->writePeer("new"));
    QCOMPARE(readUntil(link, 3), QStringLiteral("new"));
    link.close();
    QVERIFY(!link.output(QStringLiteral("A45")));
}

void TestSerialLink::farEndGoesAway_reportedOnceAndClosed()
{
    SerialLink link;
    QVERIFY(link.open(settings()));
    QSignalSpy errors(&link, &SerialLink::communicationError);
    const QString device = m_pty->devicePath();
    m_pty->hangUp();
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 5000);
    QCOMPARE(errors.at(0).at(0).toString(), device);
    // Said as what it is, not with the system's words for a failed request.
    QVERIFY(errors.at(0).at(1).toString().contains(QStringLiteral("se desconectó")));
    QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), 1000);
    QTest::qWait(200);
    QCOMPARE(errors.count(), 1);
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"

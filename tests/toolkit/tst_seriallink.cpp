#include "ptypair.h"
#include "seriallink.h"
#include "winansi.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

SerialSettings lineAt(const QString &settings = QStringLiteral("19200,n,8,1"))
{
    SerialSettings s;
    s.settings = settings;
    return s;
}

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

class TstSerialLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deviceFor_data();
    void deviceFor();
    void open_onPseudoTerminal_succeedsWithoutEvents_data();
    void open_onPseudoTerminal_succeedsWithoutEvents();
    void open_badLineSettings_failsWithReason_data();
    void open_badLineSettings_failsWithReason();
    void open_missingDevice_failsWithReason();
    void open_deviceHeldByAnotherPort_failsWithReason();
    void close_releasesThePort();
    void input_peerBytes_arriveAsWindows1252_data();
    void input_peerBytes_arriveAsWindows1252();
    void input_nullDiscard_dropsNuls();
    void input_moreThanTheBuffer_losesNothing();
    void input_whenClosed_isEmpty();
    void output_putsExactBytesOnPeer();
    void output_whenClosed_fails();
    void clearInput_dropsUnreadInput();
    void peerGoesAway_reportsOnceAndCloses();

private:
    std::unique_ptr<PtyPair> m_pty;
};

void TstSerialLink::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->start());
    QVERIFY(m_pty->openPeer());
    qputenv("BRAZO_SERIAL_PORT", m_pty->devicePath().toLocal8Bit());
}

void TstSerialLink::cleanup()
{
    m_pty.reset();
}

void TstSerialLink::deviceFor_data()
{
    QTest::addColumn<QByteArray>("env");
    QTest::addColumn<int>("commPort");
    QTest::addColumn<QString>("device");
#ifdef Q_OS_WIN
    QTest::newRow("port 1, no variable") << QByteArray() << 1 << "COM1";
    QTest::newRow("port 2, empty variable") << QByteArray("") << 2 << "COM2";
#else
    QTest::newRow("port 1, no variable") << QByteArray() << 1 << "/dev/ttyS0";
    QTest::newRow("port 2, empty variable") << QByteArray("") << 2 << "/dev/ttyS1";
#endif
    QTest::newRow("adapter") << QByteArray("/dev/ttyUSB0") << 1 << "/dev/ttyUSB0";
    QTest::newRow("adapter, port 2") << QByteArray("/dev/ttyUSB3") << 2 << "/dev/ttyUSB3";
}

void TstSerialLink::deviceFor()
{
    QFETCH(QByteArray, env);
    QFETCH(int, commPort);
    QFETCH(QString, device);
    if (env.isNull())
        qunsetenv("BRAZO_SERIAL_PORT");
    else
        qputenv("BRAZO_SERIAL_PORT", env);
    QCOMPARE(SerialLink::deviceFor(commPort), device);
}

void TstSerialLink::open_onPseudoTerminal_succeedsWithoutEvents_data()
{
    QTest::addColumn<QString>("settings");
    QTest::newRow("simulator line") << "19200,n,8,1";
    QTest::newRow("terminal line") << "9600,n,8,1";
    QTest::newRow("even parity, 7 bits, 2 stops") << "4800,E,7,2";
}

void TstSerialLink::open_onPseudoTerminal_succeedsWithoutEvents()
{
    QFETCH(QString, settings);
    SerialLink link;
    QSignalSpy events(&link, &SerialLink::commEvent);
    QSignalSpy errors(&link, &SerialLink::communicationError);
    // DTR off is refused by a pseudo-terminal: that must not count as a failure.
    QVERIFY2(link.open(lineAt(settings)), qPrintable(link.errorString()));
    QVERIFY(link.isOpen());
    QCOMPARE(link.deviceName(), m_pty->devicePath());
    QTest::qWait(50);
    QCOMPARE(events.count(), 0);
    QCOMPARE(errors.count(), 0);
}

void TstSerialLink::open_badLineSettings_failsWithReason_data()
{
    QTest::addColumn<QString>("settings");
    QTest::newRow("empty") << "";
    QTest::newRow("no baud") << ",n,8,1";
    QTest::newRow("parity letter") << "19200,x,8,1";
    QTest::newRow("data bits") << "19200,n,9,1";
    QTest::newRow("stop bits") << "19200,n,8,3";
    QTest::newRow("missing field") << "19200,n,8";
}

void TstSerialLink::open_badLineSettings_failsWithReason()
{
    QFETCH(QString, settings);
    SerialLink link;
    QVERIFY(!link.open(lineAt(settings)));
    QVERIFY(!link.isOpen());
    QVERIFY(link.errorString().contains(settings));
}

void TstSerialLink::open_missingDevice_failsWithReason()
{
    const QString missing = m_pty->devicePath() + QStringLiteral("-missing");
    qputenv("BRAZO_SERIAL_PORT", missing.toLocal8Bit());
    SerialLink link;
    QSignalSpy errors(&link, &SerialLink::communicationError);
    QVERIFY(!link.open(SerialSettings()));
    QVERIFY(!link.isOpen());
    QCOMPARE(link.deviceName(), missing);
    QVERIFY(!link.errorString().isEmpty());
    QCOMPARE(errors.count(), 0);
}

void TstSerialLink::open_deviceHeldByAnotherPort_failsWithReason()
{
    QSerialPort holder(m_pty->devicePath());
    QVERIFY(holder.open(QIODevice::ReadWrite));
    SerialLink link;
    QVERIFY(!link.open(SerialSettings()));
    QVERIFY(!link.isOpen());
    QVERIFY(!link.errorString().isEmpty());
}

void TstSerialLink::close_releasesThePort()
{
    {
        SerialLink link;
        QVERIFY(link.open(SerialSettings()));
        link.close();
        QVERIFY(!link.isOpen());
        QSerialPort other(m_pty->devicePath());
        QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
        other.close();
        QVERIFY(link.open(SerialSettings()));
    }
    // Destroying the link releases it too.
    QSerialPort other(m_pty->devicePath());
    QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
}

void TstSerialLink::input_peerBytes_arriveAsWindows1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("message") << QByteArray("A45") << "A45";
    QTest::newRow("NUL kept") << QByteArray("B\0" "3", 3) << QString(QStringLiteral("B") + QChar(0) + "3");
    QTest::newRow("euro") << QByteArray("\x80") << QString(QChar(0x20AC));
    QTest::newRow("C cedilla") << QByteArray("\xC7") << QString(QChar(0xC7));
    QTest::newRow("quotes and dashes") << QByteArray("\x93\x94\x96\x97")
                                       << QString::fromUtf16(u"\u201C\u201D\u2013\u2014");
    QTest::newRow("undefined bytes") << QByteArray("\x81\x8D\x8F\x90\x9D")
                                     << QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D");
    QTest::newRow("latin-1 half") << QByteArray("\xA0\xF1\xFF") << QString::fromUtf16(u"\u00A0\u00F1\u00FF");
}

void TstSerialLink::input_peerBytes_arriveAsWindows1252()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    SerialLink link;
    QVERIFY(link.open(SerialSettings()));
    QSignalSpy events(&link, &SerialLink::commEvent);
    QVERIFY(m_pty->writePeer(bytes));
    QTRY_VERIFY_WITH_TIMEOUT(events.count() > 0, 5000);
    QCOMPARE(readUntil(link, text.size()), text);
}

void TstSerialLink::input_nullDiscard_dropsNuls()
{
    SerialSettings settings;
    settings.nullDiscard = true;
    SerialLink link;
    QVERIFY(link.open(settings));
    QVERIFY(m_pty->writePeer(QByteArray("\0A\0" "45\0", 6)));
    QCOMPARE(readUntil(link, 3), QStringLiteral("A45"));
    QTest::qWait(50);
    QCOMPARE(link.input(), QString());
}

void TstSerialLink::input_moreThanTheBuffer_losesNothing()
{
    SerialLink link;
    QVERIFY(link.open(SerialSettings())); // a buffer of 1024
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char(i % 251));
    QVERIFY(m_pty->writePeer(bytes));
    const QString received = readUntil(link, bytes.size(), 10000);
    QCOMPARE(received.size(), bytes.size());
    QCOMPARE(received, WinAnsi::decode(bytes));
}

void TstSerialLink::input_whenClosed_isEmpty()
{
    SerialLink link;
    QCOMPARE(link.input(), QString());
    QVERIFY(link.open(SerialSettings()));
    QSignalSpy events(&link, &SerialLink::commEvent);
    QVERIFY(m_pty->writePeer("A1"));
    QTRY_VERIFY_WITH_TIMEOUT(events.count() > 0, 5000);
    link.close();
    QCOMPARE(link.input(), QString());
}

void TstSerialLink::output_putsExactBytesOnPeer()
{
    SerialLink link;
    QVERIFY(link.open(lineAt(QStringLiteral("9600,n,8,1"))));
    QSignalSpy events(&link, &SerialLink::commEvent);
    const QString text = QString::fromUtf16(u"Hola\u20AC\u00C7") + QChar(0) + QStringLiteral("x");
    QVERIFY(link.output(text));
    // The port writes from the event loop.
    QByteArray onPeer;
    QTRY_VERIFY_WITH_TIMEOUT((onPeer += m_pty->readPeer(0)).size() >= 8, 5000);
    QCOMPARE(onPeer, QByteArray("Hola\x80\xC7\0x", 8));
    // The emptied transmit buffer is an event too.
    QTRY_VERIFY_WITH_TIMEOUT(events.count() > 0, 5000);
    QCOMPARE(link.input(), QString());
}

void TstSerialLink::output_whenClosed_fails()
{
    SerialLink link;
    QVERIFY(!link.output(QStringLiteral("A45")));
    QVERIFY(link.open(SerialSettings()));
    link.close();
    QVERIFY(!link.output(QStringLiteral("A45")));
    QCOMPARE(m_pty->readPeer(100), QByteArray());
}

void TstSerialLink::clearInput_dropsUnreadInput()
{
    SerialLink link;
    QVERIFY(link.open(SerialSettings()));
    QSignalSpy events(&link, &SerialLink::commEvent);
    QVERIFY(m_pty->writePeer("stale"));
    QTRY_VERIFY_WITH_TIMEOUT(events.count() > 0, 5000);
    QTest::qWait(50);
    link.clearInput();
    QCOMPARE(link.input(), QString());
    QVERIFY(m_pty->writePeer("new"));
    QCOMPARE(readUntil(link, 3), QStringLiteral("new"));
}

void TstSerialLink::peerGoesAway_reportsOnceAndCloses()
{
    SerialLink link;
    QVERIFY(link.open(SerialSettings()));
    QSignalSpy errors(&link, &SerialLink::communicationError);
    const QString device = m_pty->devicePath();
    m_pty.reset(); // socat ends: the line is gone
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 5000);
    QCOMPARE(errors.at(0).at(0).toString(), device);
    QVERIFY(!errors.at(0).at(1).toString().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), 1000);
    QTest::qWait(200);
    QCOMPARE(errors.count(), 1);
}

QTEST_GUILESS_MAIN(TstSerialLink)
#include "tst_seriallink.moc"

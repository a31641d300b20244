#include "deleteinside.h"
#include "ptypair.h"
#include "seriallink.h"

#include <QFile>
#include <QPointer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Everything the link receives until `expected` bytes have come or the wait is over.
QByteArray receiveUntil(SerialLink &link, qsizetype expected, int timeoutMs = 5000)
{
    QByteArray received;
    const auto connection =
        QObject::connect(&link, &SerialLink::received, [&received](const QByteArray &bytes) { received += bytes; });
    (void)QTest::qWaitFor([&] { return received.size() >= expected; }, timeoutMs);
    QObject::disconnect(connection);
    return received;
}

} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void open();
    void open_refusedDevice_data();
    void open_refusedDevice();
    void received_moreThanTheBuffer_losesNothing();
    void write_putsExactBytesOnTheLine_clearDropsUnread();
    void farEndGoesAway_reportedOnceAndClosed();
    void destroyedInsideOwnSignal_data();
    void destroyedInsideOwnSignal();

private:
    SerialSettings settings() const { return {m_pty->devicePath()}; }

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

void TestSerialLink::open()
{
    SerialLink link(settings());
    QSignalSpy ready(&link, &Link::ready);
    QSignalSpy failed(&link, &Link::failed);
    // DTR off is refused by a pseudo-terminal: that must not count as a failure.
    QVERIFY2(link.open(), qPrintable(link.errorString()));
    QVERIFY(link.isOpen());
    QCOMPARE(link.cause(), Link::Cause::None);
    // Told from the event loop, as every link tells it, never from inside open().
    QCOMPARE(ready.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, 5000);
    QCOMPARE(failed.count(), 0);
    // Closed before the loop turns: no news of an opening that is over.
    QVERIFY(link.open());
    link.close();
    QCoreApplication::processEvents();
    QCOMPARE(ready.count(), 1);
}

void TestSerialLink::open_refusedDevice_data()
{
    // %pty is the line's device; %file a file that is no terminal.
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("held");
    QTest::addColumn<Link::Cause>("cause");
    QTest::newRow("missing") << "%pty-missing" << false << Link::Cause::Missing;
    QTest::newRow("held by another port") << "%pty" << true << Link::Cause::Busy;
    QTest::newRow("a file, no terminal") << "%file" << false << Link::Cause::NotSerial;
}

void TestSerialLink::open_refusedDevice()
{
    QFETCH(QString, device);
    QFETCH(bool, held);
    QFETCH(Link::Cause, cause);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("fichero")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    SerialSettings s = settings();
    QSerialPort holder(s.device);
    if (held)
        QVERIFY(holder.open(QIODevice::ReadWrite));
    s.device = device.replace(QStringLiteral("%pty"), s.device).replace(QStringLiteral("%file"), file.fileName());
    SerialLink link(s);
    QSignalSpy ready(&link, &Link::ready);
    QVERIFY(!link.open());
    QVERIFY(!link.isOpen());
    QCOMPARE(link.cause(), cause);
    QVERIFY(!link.errorString().isEmpty());
    // Closing the holder frees the device for the link.
    holder.close();
    QCOMPARE(link.open(), held);
    QCoreApplication::processEvents();
    QCOMPARE(ready.count(), held ? 1 : 0);
}

void TestSerialLink::received_moreThanTheBuffer_losesNothing()
{
    SerialLink link(settings());
    QVERIFY(link.open());
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char(i % 256));
    QVERIFY(m_pty->writePeer(bytes));
    QCOMPARE(receiveUntil(link, bytes.size(), 10000), bytes);
}

void TestSerialLink::write_putsExactBytesOnTheLine_clearDropsUnread()
{
    SerialLink link({m_pty->devicePath(), 9600});
    QVERIFY(link.open());
    QSignalSpy sent(&link, &Link::sent);
    const QByteArray bytes("Hola\x80\xC7\0x", 8);
    QVERIFY(link.write(bytes));
    QByteArray onLine;
    QTRY_VERIFY_WITH_TIMEOUT((onLine += m_pty->readPeer(0)).size() >= bytes.size(), 5000);
    QCOMPARE(onLine, bytes);
    // The emptied transmit buffer is told.
    QTRY_VERIFY_WITH_TIMEOUT(sent.count() > 0, 5000);
    QCOMPARE(link.bytesToWrite(), 0);
    // What came and was not read yet can be dropped.
    QVERIFY(m_pty->writePeer("stale"));
    QVERIFY(PtyPair::waitUntilUnread(*link.findChild<QSerialPort *>(), 5));
    link.clearInput();
    QVERIFY(m_pty->writePeer("new"));
    QCOMPARE(receiveUntil(link, 3), QByteArray("new"));
    link.close();
    QVERIFY(!link.write("A45"));
}

void TestSerialLink::farEndGoesAway_reportedOnceAndClosed()
{
    SerialLink link(settings());
    QVERIFY(link.open());
    QSignalSpy failed(&link, &Link::failed);
    m_pty->hangUp();
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 5000);
    // Said as what it is, not as a failed request.
    QCOMPARE(failed.at(0).at(0).value<Link::Cause>(), Link::Cause::Vanished);
    QVERIFY(!link.isOpen());
    QTest::qWait(200);
    QCOMPARE(failed.count(), 1);
}

void TestSerialLink::destroyedInsideOwnSignal_data()
{
    QTest::addColumn<DeleteInside>("watch");
    QTest::newRow("ready") << deleteInside(&Link::ready);
    QTest::newRow("received") << deleteInside(&Link::received);
    QTest::newRow("sent") << deleteInside(&Link::sent);
    QTest::newRow("failed") << deleteInside(&Link::failed);
}

void TestSerialLink::destroyedInsideOwnSignal()
{
    QFETCH(DeleteInside, watch);
    auto *link = new SerialLink(settings(), this);
    const QPointer<SerialLink> alive(link);
    watch(link);
    QVERIFY(link->open());
    // Bytes each way, then, for the link that is still there, the line ends.
    QVERIFY(link->write("A45") && m_pty->writePeer("B30"));
    if (!QTest::qWaitFor([&] { return !alive; }, 500))
        m_pty->hangUp();
    QTRY_VERIFY(!alive);
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"

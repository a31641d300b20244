#include "armpanel.h"
#include "frminternetservidor.h"
#include "kinematics.h"
#include "loopback.h"
#include "socketlink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

namespace {

constexpr int kPort = 1007;
constexpr int kCycles = 1000;
constexpr int kMessages = 100000;
// What the process may grow by over a run without being called a leak: a hundred times
// the noise seen here, and a third of what one lost socket per session adds up to.
constexpr qint64 kRssSlackKiB = 2 * 1024;
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed memory aside on purpose: resident size says nothing there.
constexpr bool kRssMeaningful = false;
#else
constexpr bool kRssMeaningful = true;
#endif

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Runs the event loop until the condition holds, without the pauses of QTest::qWaitFor
// (a hundred thousand round trips would take minutes with them).
bool spinUntil(const std::function<bool()> &done, int timeoutMs = Loopback::kWaitMs)
{
    QTimer wake;
    wake.start(20);
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

} // namespace

class TestFrmInternetServidorSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void connectSendDisconnect_thousandCycles_memoryFlat();
    void pacedMessages_hundredThousand_finalPoseRightMemoryFlat();

private:
    // One client session: connect, send the message, wait for it to be handled, leave.
    bool cycle(const QByteArray &message);
    void comparePose(const std::array<int, 4> &degrees);

    QMdiArea *m_area = nullptr;
    frmInternetServidor *m_form = nullptr;
};

void TestFrmInternetServidorSoak::initTestCase()
{
    if (!Loopback::mayListenOnPrivilegedPort(kPort))
        QSKIP("port 1007 needs privilege here");
    m_area = new QMdiArea;
    m_area->resize(800, 800);
    m_area->show();
    m_form = new frmInternetServidor;
    m_form->showIn(m_area);
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Listening));
}

void TestFrmInternetServidorSoak::cleanupTestCase()
{
    delete m_area;
}

bool TestFrmInternetServidorSoak::cycle(const QByteArray &message)
{
    SocketLink *link = m_form->Winsock1;
    QSignalSpy arrivals(link, &SocketLink::DataArrival);
    auto client = Loopback::connectTo(kPort);
    if (!spinUntil([&] { return link->State() == SocketLink::Connected; }))
        return false;
    client->write(message);
    if (!spinUntil([&] { return arrivals.count() == 1; }))
        return false;
    client->disconnectFromHost();
    return spinUntil([&] { return link->State() == SocketLink::Listening; });
}

void TestFrmInternetServidorSoak::comparePose(const std::array<int, 4> &degrees)
{
    arm::ArmModel expected;
    expected.load(degrees);
    expected.chainProduct();
    const arm::ArmModel &actual = m_form->armPanel()->model();
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 16; ++i)
            QCOMPARE(actual.transform[t].m[i], expected.transform[t].m[i]);
    }
    for (int i = 0; i < 16; ++i)
        QCOMPARE(actual.pose[3].m[i], expected.pose[3].m[i]);
}

void TestFrmInternetServidorSoak::connectSendDisconnect_thousandCycles_memoryFlat()
{
    // Warm up: the first sessions fill caches and pools that stay.
    for (int i = 0; i < 50; ++i)
        QVERIFY2(cycle("B" + QByteArray::number(i)), qPrintable(QString::number(i)));
    const qint64 before = residentKiB();
    QVERIFY(before > 0);

    for (int i = 0; i < kCycles; ++i)
        QVERIFY2(cycle("B" + QByteArray::number(i % 360 - 179)), qPrintable(QString::number(i)));

    const qint64 after = residentKiB();
    qInfo("RSS %lld KiB before, %lld KiB after %d sessions", before, after, kCycles);
    if (kRssMeaningful)
        QVERIFY2(after - before < kRssSlackKiB, qPrintable(QStringLiteral("grew by %1 KiB").arg(after - before)));
    QCOMPARE(m_form->armPanel()->txtQ2->text(), QString::number((kCycles - 1) % 360 - 179));
}

void TestFrmInternetServidorSoak::pacedMessages_hundredThousand_finalPoseRightMemoryFlat()
{
    SocketLink *link = m_form->Winsock1;
    auto client = Loopback::connectTo(kPort);
    QVERIFY(spinUntil([&] { return link->State() == SocketLink::Connected; }));

    // Message k sets joint k % 4 to an angle that differs from the one it replaces, so
    // that every message is a change. The next goes once the previous one was handled.
    auto message = [](int k) {
        const int joint = k % 4;
        const int angle = (k / 4) % 2 == 0 ? (k / 8) % 170 + 1 : -((k / 8) % 170 + 1);
        return QByteArray(1, char('A' + joint)) + QByteArray::number(angle);
    };
    int handled = 0;
    int sent = 0;
    // A counter, not a QSignalSpy: a spy keeps a record per signal and would grow itself.
    int updates = 0;
    connect(m_form->armPanel(), &ArmPanel::armUpdated, client.get(), [&updates] { ++updates; });
    auto sendNext = [&] {
        if (sent < kMessages)
            client->write(message(sent++));
    };
    connect(link, &SocketLink::DataArrival, client.get(), [&] {
        ++handled;
        sendNext();
    }, Qt::QueuedConnection);

    qint64 before = 0;
    sendNext();
    for (int checkpoint : {kMessages / 10, kMessages}) {
        QVERIFY2(spinUntil([&] { return handled >= checkpoint; }, 600000),
                 qPrintable(QStringLiteral("%1 of %2 handled").arg(handled).arg(checkpoint)));
        if (before == 0)
            before = residentKiB();
    }
    const qint64 after = residentKiB();
    qInfo("RSS %lld KiB after %d messages, %lld KiB after %d", before, kMessages / 10, after, kMessages);

    QCOMPARE(handled, kMessages);
    // Paced one at a time: no two messages were ever read as one.
    QCOMPARE(updates, kMessages);
    std::array<int, 4> last{};
    for (int k = kMessages - 4; k < kMessages; ++k)
        last[k % 4] = message(k).mid(1).toInt();
    comparePose(last);
    if (kRssMeaningful)
        QVERIFY2(after - before < kRssSlackKiB, qPrintable(QStringLiteral("grew by %1 KiB").arg(after - before)));
    QCOMPARE(client->bytesAvailable(), qint64(0));
}

QTEST_MAIN(TestFrmInternetServidorSoak)
#include "tst_frminternetservidor_soak.moc"

// One window's use of serial port 1, on real pseudo-terminals that come and go.
#include "forms.h"
#include "ptypair.h"
#include "seriallink.h"
#include "serialportchoice.h"
#include "serialports.h"
#include "serialportuse.h"

#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

using Forms::kWaitMs;

namespace {

// What a use told, line by line, and whether it offered the chooser.
struct Told
{
    explicit Told(SerialPortUse *use)
    {
        QObject::connect(use, &SerialPortUse::tell, use, [this](const QStringList &lines, bool chooser) {
            texts << lines.join(QLatin1Char(' '));
            offers << chooser;
        });
    }
    QStringList texts;
    QList<bool> offers;
};

// A window's port: the link and its use, as a window's load holds them.
struct Window
{
    explicit Window(SerialPortChoice *choice)
        : link({choice->device(), 19200})
        , use(&link, choice, &link)
        , told(&use)
    {
        QObject::connect(&link, &Link::received, &link, [this](const QByteArray &bytes) { received += bytes; });
    }
    SerialLink link;
    SerialPortUse use;
    Told told;
    QByteArray received;
};

} // namespace

class TestSerialPortUse : public QObject
{
    Q_OBJECT

private slots:
    void awayThenBack_openedAgainByItself_toldOnceEach_data();
    void awayThenBack_openedAgainByItself_toldOnceEach();
    void anotherChosen_closesTheOldOpensTheNew();
    void anotherReader_namedOnce_theLinesFarEndIsNot();
};

void TestSerialPortUse::awayThenBack_openedAgainByItself_toldOnceEach_data()
{
    QTest::addColumn<bool>("thereAtOpen");
    QTest::newRow("missing at the opening, then plugged in") << false;
    QTest::newRow("vanished, then the cable back") << true;
}

void TestSerialPortUse::awayThenBack_openedAgainByItself_toldOnceEach()
{
    QFETCH(bool, thereAtOpen);
    PtyPair pty;
    SerialPortChoice choice(pty.devicePath());
    Window window(&choice);
    if (thereAtOpen) {
        QVERIFY(pty.start());
        window.use.open();
        QVERIFY(window.use.isOpen());
        QVERIFY(window.told.texts.isEmpty());
        pty.hangUp();
    } else {
        window.use.open();
    }
    QTRY_COMPARE_WITH_TIMEOUT(window.told.texts.size(), 1, kWaitMs);
    QVERIFY2(window.told.texts[0].contains(pty.devicePath()), qPrintable(window.told.texts[0]));
    QCOMPARE(window.told.offers, QList<bool>{true});
    QVERIFY(!window.use.isOpen() && window.use.isWaiting());
    QVERIFY(window.use.menuText().contains(QStringLiteral("(cerrado)")));

    // The same device back: opened within about a second, told once.
    QVERIFY(pty.start());
    QTRY_VERIFY_WITH_TIMEOUT(window.use.isOpen(), kWaitMs);
    QCOMPARE(window.told.texts.size(), 2);
    QCOMPARE(window.told.offers.last(), false);
    QVERIFY(window.use.menuText().contains(QStringLiteral("(abierto)")));
    QVERIFY(!window.use.isWaiting());
    QVERIFY(pty.writePeer("A45"));
    QTRY_COMPARE_WITH_TIMEOUT(window.received, QByteArray("A45"), kWaitMs);
}

void TestSerialPortUse::anotherChosen_closesTheOldOpensTheNew()
{
    PtyPair first;
    PtyPair second;
    QVERIFY(first.start() && second.start());
    SerialPortChoice choice(first.devicePath());
    Window window(&choice);
    window.use.open();
    QVERIFY(window.use.isOpen());
    choice.choose(second.devicePath());
    QCOMPARE(window.use.device(), second.devicePath());
    QVERIFY(window.use.isOpen());
    QVERIFY(second.writePeer("C-30"));
    QTRY_COMPARE_WITH_TIMEOUT(window.received, QByteArray("C-30"), kWaitMs);
    // The first port is free for anyone.
    QSerialPort other(first.devicePath());
    QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
}

void TestSerialPortUse::anotherReader_namedOnce_theLinesFarEndIsNot()
{
    PtyPair pty;
    QVERIFY(pty.start());
    // socat holds the device too, as the line's other end: no reader.
    QVERIFY(SerialPorts::otherHolders(pty.devicePath()).isEmpty());
    QProcess cat;
    cat.start(QStringLiteral("cat"), {pty.devicePath()});
    QVERIFY(cat.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(SerialPorts::otherHolders(pty.devicePath()).size(), 1, kWaitMs);
    SerialPortChoice choice(pty.devicePath());
    Window window(&choice);
    window.use.open();
    QVERIFY(window.use.isOpen());
    QCOMPARE(window.told.texts.size(), 1);
    QVERIFY2(window.told.texts[0].contains(QStringLiteral("cat (PID %1)").arg(cat.processId())),
             qPrintable(window.told.texts[0]));
    cat.kill();
    cat.waitForFinished();
}

QTEST_GUILESS_MAIN(TestSerialPortUse)
#include "tst_serialportuse.moc"

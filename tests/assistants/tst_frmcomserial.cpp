#include "forms.h"
#include "frmcomserial.h"
#include "linkwords.h"
#include "messageboxcatcher.h"
#include "ptypair.h"
#include "receivedtext.h"
#include "serialportchoice.h"
#include "winansi.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

using namespace Forms;

namespace {

// Everything the far end receives while the window's event loop runs (the port writes from
// it): at least `atLeast` bytes, then until the line has been quiet for a moment.
QByteArray collectAtPeer(PtyPair &pty, qsizetype atLeast)
{
    QByteArray received;
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    while (total.elapsed() < 20000 && (received.size() < atLeast || quiet.elapsed() < 300)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const QByteArray chunk = pty.readPeer(5);
        if (!chunk.isEmpty()) {
            received += chunk;
            quiet.restart();
        }
    }
    return received;
}

QString shown(const QWidget *form)
{
    return control<QLabel>(form, "lblRecibe")->text();
}

} // namespace

class TestFrmComSerial : public QObject
{
    Q_OBJECT

private slots:
    void receivedText_data();
    void receivedText();
    void receivedText_memoryStaysFlat();
    void transmit_data();
    void transmit();
    void reopened_goesOnAppendingAndPortWasFree();
    void portUnavailable_toldOnceAndTypedTextKept_receivedTextLabelled();
};

void TestFrmComSerial::receivedText_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QString>("text");
    QTest::newRow("terminator dropped") << QByteArrayList{"ab", "\xC7", "cd"} << "abcd";
    QTest::newRow("small c cedilla kept") << QByteArrayList{"\xE7\xC7\xE7"} << "çç";
    QTest::newRow("NUL kept") << QByteArrayList{QByteArray("a\0b", 3)} << QString(QStringLiteral("a") + QChar(0) + 'b');
    // Seeded bytes, terminators among them, cut anywhere: what shows is the beginning of it
    // all, however it was cut.
    QRandomGenerator random(4096);
    QByteArray stream(3 * ReceivedText::kShownLength, Qt::Uninitialized);
    for (char &b : stream)
        b = random.bounded(8) == 0 ? '\xC7' : char(random.bounded(256));
    QByteArrayList cut;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype length = random.bounded(0, 600);
        cut.append(stream.mid(at, length));
        at += length;
    }
    QString all = WinAnsi::decode(stream);
    all.remove(ReceivedText::kTerminator);
    QTest::newRow("any cut") << cut << all;
    QTest::newRow("in one piece") << QByteArrayList{stream} << all;
}

void TestFrmComSerial::receivedText()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QString, text);
    ReceivedText received;
    QString shown;
    for (const QByteArray &read : reads) {
        if (received.append(WinAnsi::decode(read)))
            shown = received.shown();
    }
    // The beginning, as much as a display of the terminal's size holds, is all there is.
    QCOMPARE(received.shown(), text.left(ReceivedText::kShownLength));
    // What it says changed is all a display has to be given again.
    QCOMPARE(shown, received.shown());
}

void TestFrmComSerial::receivedText_memoryStaysFlat()
{
    // Hours of a board that prints: the memory is that of what a display shows.
    ReceivedText received;
    const QString line = QStringLiteral("temperatura 21.5\r\n");
    for (int i = 0; i < 200000; ++i)
        received.append(line);
    QVERIFY2(received.shown().capacity() <= 2 * ReceivedText::kShownLength,
             qPrintable(QString::number(received.shown().capacity())));
}

void TestFrmComSerial::transmit_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("untouched box") << false << QString() << QByteArray("Teclee aqui el mensaje a transmitir\xC7");
    QTest::newRow("empty box") << true << QString() << QByteArray("\xC7");
    QTest::newRow("windows-1252") << true << QStringLiteral("año €Ç") << QByteArray("a\xF1o \x80\xC7\xC7");
    // Seeded letters: a lost, repeated or swapped stretch changes the bytes.
    QRandomGenerator random(2024);
    QByteArray message(100000, Qt::Uninitialized);
    for (char &c : message)
        c = char('a' + random.bounded(26));
    QTest::newRow("long, whole and in order") << true << QString::fromLatin1(message) << message + "\xC7";
}

void TestFrmComSerial::transmit()
{
    QFETCH(bool, edit);
    QFETCH(QString, text);
    QFETCH(QByteArray, wire);
    PtyPair pty;
    QVERIFY(pty.start());
    Frame frame;
    SerialPortChoice choice(pty.devicePath());
    frmComSerial form(&choice, &frame.area);
    form.showIn(&frame.area);
    if (edit)
        control<QLineEdit>(&form, "txtDisplay")->setText(text);
    QVERIFY(QTest::qWaitForWindowActive(&frame.area));
    // Bytes that came and were not read yet are thrown away by the transmission.
    QVERIFY(pty.writePeer("xyz"));
    QVERIFY(PtyPair::waitUntilUnread(*form.findChild<QSerialPort *>(), 3));
    QTest::keyClick(&form, Qt::Key_T, Qt::AltModifier);

    QVERIFY(collectAtPeer(pty, wire.size()) == wire);
    QCOMPARE(Forms::text(&form, "txtDisplay"), QString());
    QCOMPARE(shown(&form), QStringLiteral(" "));
    QVERIFY(pty.writePeer("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(shown(&form), QStringLiteral(" ok"), kWaitMs);
}

void TestFrmComSerial::reopened_goesOnAppendingAndPortWasFree()
{
    PtyPair pty;
    QVERIFY(pty.start());
    Frame frame;
    SerialPortChoice choice(pty.devicePath());
    frmComSerial form(&choice, &frame.area);
    form.showIn(&frame.area);
    QVERIFY(pty.writePeer("ab"));
    QTRY_COMPARE_WITH_TIMEOUT(shown(&form), QStringLiteral("ab"), kWaitMs);

    form.subWindow()->close();
    QSerialPort other(pty.devicePath());
    QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
    other.close();

    form.showIn(&frame.area);
    QCOMPARE(shown(&form), QStringLiteral("No se ha recibido nada"));
    QVERIFY(pty.writePeer("cd"));
    QTRY_COMPARE_WITH_TIMEOUT(shown(&form), QStringLiteral("abcd"), kWaitMs);
}

void TestFrmComSerial::portUnavailable_toldOnceAndTypedTextKept_receivedTextLabelled()
{
    MessageBoxCatcher boxes;
    Frame frame;
    SerialPortChoice choice(kMissingDevice);
    QSignalSpy chooser(&choice, &SerialPortChoice::chooserRequested);
    boxes.setPressOffer(LinkWords::kChooseButton);
    frmComSerial form(&choice, &frame.area);
    form.showIn(&frame.area);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, kWaitMs);
    // The box offers the chooser, and its button opens it.
    QCOMPARE(boxes.boxes().first().offers, QStringList{LinkWords::kChooseButton});
    QTRY_COMPARE_WITH_TIMEOUT(chooser.count(), 1, kWaitMs);
    // A screen reader says what the received text is, then what it holds.
    QAccessibleInterface *received = QAccessible::queryAccessibleInterface(control(&form, "lblRecibe"));
    const auto labels = received->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("Mensaje Recibido"));
    QCOMPARE(received->text(QAccessible::Name), QStringLiteral("No se ha recibido nada"));
    control<QLineEdit>(&form, "txtDisplay")->setText(QStringLiteral("guardado"));
    control<QPushButton>(&form, "cmdTransmite")->click();
    QCOMPARE(Forms::text(&form, "txtDisplay"), QStringLiteral("guardado"));
    QVERIFY(shown(&form).contains(QStringLiteral("no se envió")));
    // A box the click asked for would be on screen once the loop has turned.
    QCoreApplication::processEvents();
    QCOMPARE(boxes.boxes().size(), 1);
}

QTEST_MAIN(TestFrmComSerial)
#include "tst_frmcomserial.moc"

#include "armpanel.h" // frmbrazo.h needs it complete for armPanel()
#include "frmbrazo.h"
#include "frmcomserial.h"

#include "messageboxcatcher.h"
#include "ptypair.h"
#include "seriallink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

const QString kDesignText = QStringLiteral("Teclee aqui el mensaje a transmitir");
const QString kNothingYet = QStringLiteral("No se ha recibido nada");

// Everything the far end receives, while the program's event loop keeps running (the
// link writes from it): waits for at least `atLeast` bytes, then until the line has been
// quiet for a moment, so that a stray extra byte is caught too.
QByteArray collectAtPeer(PtyPair &pair, qsizetype atLeast, int quietMs = 300)
{
    QByteArray received;
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    while (total.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const QByteArray chunk = pair.readPeer(5);
        if (!chunk.isEmpty()) {
            received += chunk;
            quiet.restart();
        } else if (received.size() >= atLeast && quiet.elapsed() >= quietMs) {
            break;
        }
    }
    return received;
}

// Puts bytes on the line without letting the program run, so that they wait unread in the
// port until the next event (or until a transmission throws them away).
void arriveUnread(PtyPair &pair, const QByteArray &bytes)
{
    QVERIFY(pair.writePeer(bytes));
    QThread::msleep(200);
}

// One terminal window in its own frame, on a real pseudo-terminal pair.
struct Terminal
{
    PtyPair pair;
    MessageBoxCatcher catcher;
    QMdiArea area;
    frmComSerial form;

    bool start()
    {
        if (!pair.start() || !pair.openPeer())
            return false;
        qputenv("BRAZO_SERIAL_PORT", pair.devicePath().toLocal8Bit());
        area.resize(800, 600);
        area.show();
        form.showIn(&area);
        return QTest::qWaitForWindowActive(&area);
    }
};

} // namespace

class TestFrmComSerial : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void window_captionSizeIconAndFocus();

    void transmit_sendsTextThenTerminator_data();
    void transmit_sendsTextThenTerminator();
    void transmit_discardsUnreadInput();
    void transmit_twiceInARow_leavesBlank();
    void altT_transmits();
    void longMessage_arrivesWholeAndInOrder();

    void receive_dropsOnlyTheTerminator_data();
    void receive_dropsOnlyTheTerminator();
    void emptyEvent_firstShowsEmptyTextThenChangesNothing();
    void reopen_keepsReceivedTextAndReleasesPort();

    void portUnavailable_reportedOnceAndNothingLost_data();
    void portUnavailable_reportedOnceAndNothingLost();
    void simulatorOpenedAfter_terminalKeepsSending();
    void lineLostWhileOpen_reportedOnceAndNothingLost();
};

void TestFrmComSerial::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<QColor>("textColour");

    // Twips / 15, written out by hand.
    const QColor purple(128, 0, 128);
    const QColor darkBlue(0, 0, 192);
    QTest::newRow("txtDisplay") << "txtDisplay" << QRect(104, 152, 193, 33) << purple;
    QTest::newRow("cmdTransmite") << "cmdTransmite" << QRect(8, 152, 81, 33) << QColor();
    QTest::newRow("lblMsgRx") << "lblMsgRx" << QRect(24, 24, 121, 17) << darkBlue;
    QTest::newRow("lblMsgTx") << "lblMsgTx" << QRect(160, 136, 121, 17) << darkBlue;
    QTest::newRow("lblRecibe") << "lblRecibe" << QRect(24, 40, 273, 33) << QColor(255, 0, 0);
}

void TestFrmComSerial::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(QColor, textColour);

    Terminal t;
    QVERIFY(t.start());
    auto *control = t.form.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), pixels);
    if (textColour.isValid()) {
        const QPalette::ColorRole role = qobject_cast<QLineEdit *>(control) ? QPalette::Text : QPalette::WindowText;
        QCOMPARE(control->palette().color(role), textColour);
    }
}

void TestFrmComSerial::window_captionSizeIconAndFocus()
{
    Terminal t;
    QVERIFY(t.start());
    QMdiSubWindow *window = t.form.subWindow();
    QVERIFY(window);

    QCOMPARE(window->windowTitle(), QStringLiteral("Comunicación Serial"));
    QCOMPARE(window->size(), QSize(320, 240));
    QVERIFY(!window->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QVERIFY(t.form.minimumSize() != t.form.maximumSize());

    const QList<QSize> sizes = window->windowIcon().availableSizes();
    QVERIFY2(sizes.contains(QSize(32, 32)) && sizes.contains(QSize(16, 16)), "the icon has both images");

    // Creation order of the controls, the serial control among them.
    QStringList order;
    for (QObject *child : t.form.cmdTransmite->parent()->children())
        order << child->objectName();
    QCOMPARE(order, QStringList({"txtDisplay", "cmdTransmite", "Comm1", "lblMsgRx", "lblMsgTx", "lblRecibe"}));

    QCOMPARE(t.form.txtDisplay->text(), kDesignText);
    QCOMPARE(t.form.lblRecibe->text(), kNothingYet);
    QCOMPARE(t.form.lblRecibe->frameShape(), QFrame::Box);
    QVERIFY(t.form.lblRecibe->alignment() & Qt::AlignHCenter);

    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(t.form.cmdTransmite.data()));
    QCOMPARE(t.form.cmdTransmite->nextInFocusChain(), static_cast<QWidget *>(t.form.txtDisplay.data()));
    QVERIFY(t.catcher.boxes().isEmpty());
}

void TestFrmComSerial::transmit_sendsTextThenTerminator_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("untouched box") << false << QString() << QByteArray("Teclee aqui el mensaje a transmitir\xC7");
    QTest::newRow("empty box") << true << QString() << QByteArray("\xC7");
    QTest::newRow("accents in windows-1252") << true << QStringLiteral("año ç €") << QByteArray("a\xF1o \xE7 \x80\xC7");
    QTest::newRow("a terminator inside goes out as typed") << true << QStringLiteral("aÇb")
                                                            << QByteArray("a\xC7" "b\xC7");
}

void TestFrmComSerial::transmit_sendsTextThenTerminator()
{
    QFETCH(bool, edit);
    QFETCH(QString, text);
    QFETCH(QByteArray, wire);

    Terminal t;
    QVERIFY(t.start());
    QCOMPARE(t.form.txtDisplay->text(), kDesignText);
    QVERIFY(t.pair.writePeer("hola"));
    QTRY_COMPARE(t.form.lblRecibe->text(), QStringLiteral("hola"));

    if (edit)
        t.form.txtDisplay->setText(text);
    t.form.cmdTransmite->click();

    QCOMPARE(collectAtPeer(t.pair, wire.size()), wire);
    QCOMPARE(t.form.txtDisplay->text(), QString());
    QCOMPARE(t.form.lblRecibe->text(), QStringLiteral(" "));
    QVERIFY(t.catcher.boxes().isEmpty());
}

void TestFrmComSerial::transmit_discardsUnreadInput()
{
    Terminal t;
    QVERIFY(t.start());
    arriveUnread(t.pair, "xyz");
    t.form.txtDisplay->setText(QStringLiteral("m"));
    t.form.cmdTransmite->click();

    QCOMPARE(collectAtPeer(t.pair, 2), QByteArray("m\xC7"));
    QTest::qWait(200);
    QCOMPARE(t.form.lblRecibe->text(), QStringLiteral(" "));

    // What arrives afterwards is shown after the blank.
    QVERIFY(t.pair.writePeer("ok"));
    QTRY_COMPARE(t.form.lblRecibe->text(), QStringLiteral(" ok"));
}

void TestFrmComSerial::transmit_twiceInARow_leavesBlank()
{
    Terminal t;
    QVERIFY(t.start());
    t.form.cmdTransmite->click();
    QCOMPARE(collectAtPeer(t.pair, 36), kDesignText.toLatin1() + "\xC7");
    t.form.txtDisplay->setText(QStringLiteral("otra"));
    t.form.cmdTransmite->click();

    QCOMPARE(collectAtPeer(t.pair, 5), QByteArray("otra\xC7"));
    QCOMPARE(t.form.lblRecibe->text(), QStringLiteral(" "));
}

void TestFrmComSerial::altT_transmits()
{
    Terminal t;
    QVERIFY(t.start());
    t.form.txtDisplay->setText(QStringLiteral("alt"));
    QTest::keyClick(&t.form, Qt::Key_T, Qt::AltModifier);

    QCOMPARE(collectAtPeer(t.pair, 4), QByteArray("alt\xC7"));
    QCOMPARE(t.form.txtDisplay->text(), QString());
}

void TestFrmComSerial::longMessage_arrivesWholeAndInOrder()
{
    Terminal t;
    QVERIFY(t.start());

    // Seeded letters and digits: a lost, repeated or swapped stretch changes the bytes.
    QRandomGenerator random(20240611);
    const QByteArray alphabet("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ");
    QByteArray message(100000, Qt::Uninitialized);
    for (char &c : message)
        c = alphabet.at(random.bounded(int(alphabet.size())));

    t.form.txtDisplay->setText(QString::fromLatin1(message));
    QCOMPARE(t.form.txtDisplay->text().size(), message.size());
    t.form.cmdTransmite->click();
    QCOMPARE(t.form.txtDisplay->text(), QString());

    const QByteArray received = collectAtPeer(t.pair, message.size() + 1);
    QCOMPARE(received.size(), message.size() + 1);
    QVERIFY(received == message + "\xC7");
}

void TestFrmComSerial::receive_dropsOnlyTheTerminator_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<bool>("together");
    QTest::addColumn<QString>("shown");

    const QByteArrayList abcd{"ab", "\xC7", "cd"};
    QTest::newRow("ab, terminator, cd in three reads") << abcd << false << QStringLiteral("abcd");
    QTest::newRow("ab, terminator, cd in one read") << abcd << true << QStringLiteral("abcd");
    QTest::newRow("small c cedilla kept, capital dropped")
        << QByteArrayList{"\xE7\xC7\xE7"} << false << QStringLiteral("çç");
    QTest::newRow("terminator alone shows empty text") << QByteArrayList{"\xC7"} << false << QString();
    QTest::newRow("NUL kept") << QByteArrayList{QByteArray("a\0b", 3)} << false
                              << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    QTest::newRow("windows-1252, not Latin-1") << QByteArrayList{"\x80\x93"} << false << QStringLiteral("€“");
    QTest::newRow("markup shown as text") << QByteArrayList{"<b>x</b>"} << false << QStringLiteral("<b>x</b>");
}

void TestFrmComSerial::receive_dropsOnlyTheTerminator()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(bool, together);
    QFETCH(QString, shown);

    Terminal t;
    QVERIFY(t.start());
    QSignalSpy events(t.form.Comm1.data(), &SerialLink::commEvent);

    if (together) {
        arriveUnread(t.pair, reads.join());
    } else {
        for (const QByteArray &read : reads) {
            const qsizetype before = events.count();
            QVERIFY(t.pair.writePeer(read));
            QTRY_VERIFY(events.count() > before);
        }
    }
    QTRY_COMPARE(t.form.lblRecibe->text(), shown);
    if (shown == QStringLiteral("<b>x</b>"))
        QCOMPARE(t.form.lblRecibe->textFormat(), Qt::PlainText);
}

void TestFrmComSerial::emptyEvent_firstShowsEmptyTextThenChangesNothing()
{
    Terminal t;
    QVERIFY(t.start());
    QCOMPARE(t.form.lblRecibe->text(), kNothingYet);

    // An event with nothing waiting, as the port raises after a transmission.
    emit t.form.Comm1->commEvent();
    QCOMPARE(t.form.lblRecibe->text(), QString());

    QVERIFY(t.pair.writePeer("ab"));
    QTRY_COMPARE(t.form.lblRecibe->text(), QStringLiteral("ab"));
    emit t.form.Comm1->commEvent();
    QCOMPARE(t.form.lblRecibe->text(), QStringLiteral("ab"));
}

void TestFrmComSerial::reopen_keepsReceivedTextAndReleasesPort()
{
    Terminal t;
    QVERIFY(t.start());
    QVERIFY(t.pair.writePeer("ab"));
    QTRY_COMPARE(t.form.lblRecibe->text(), QStringLiteral("ab"));
    t.form.txtDisplay->setText(QStringLiteral("borrador"));

    t.form.subWindow()->close();
    QVERIFY(!t.form.isLoaded());
    QVERIFY(t.form.Comm1.isNull());

    // The port is free again while the window is closed.
    {
        QSerialPort other;
        other.setPortName(t.pair.devicePath());
        QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
    }

    t.form.showIn(&t.area);
    QCOMPARE(t.form.lblRecibe->text(), kNothingYet);
    QCOMPARE(t.form.txtDisplay->text(), kDesignText);
    QVERIFY(t.pair.writePeer("cd"));
    QTRY_COMPARE(t.form.lblRecibe->text(), QStringLiteral("abcd"));
    QVERIFY(t.catcher.boxes().isEmpty());
}

void TestFrmComSerial::portUnavailable_reportedOnceAndNothingLost_data()
{
    QTest::addColumn<QString>("holder");
    QTest::newRow("device absent") << "none";
    QTest::newRow("held by another program's port") << "port";
    QTest::newRow("held by the serial simulator window") << "simulator";
}

void TestFrmComSerial::portUnavailable_reportedOnceAndNothingLost()
{
    QFETCH(QString, holder);

    PtyPair pair;
    QVERIFY(pair.start());
    QVERIFY(pair.openPeer());
    MessageBoxCatcher catcher;
    QMdiArea area;
    area.show();

    const QString device = holder == QLatin1String("none") ? pair.devicePath() + QStringLiteral("-absent")
                                                            : pair.devicePath();
    qputenv("BRAZO_SERIAL_PORT", device.toLocal8Bit());

    QSerialPort otherPort;
    std::unique_ptr<frmBrazo> simulator;
    if (holder == QLatin1String("port")) {
        otherPort.setPortName(device);
        QVERIFY(otherPort.open(QIODevice::ReadWrite));
    } else if (holder == QLatin1String("simulator")) {
        simulator = std::make_unique<frmBrazo>();
        simulator->showIn(&area);
        QVERIFY(simulator->isPortOpen());
    }

    frmComSerial form;
    form.showIn(&area);
    QTRY_COMPARE(catcher.boxes().size(), 1);
    QCOMPARE(catcher.boxes().first().title, QStringLiteral("Comunicación Serial"));
    QVERIFY2(catcher.boxes().first().text.contains(device), qPrintable(catcher.boxes().first().text));
    QCOMPARE(catcher.boxes().first().buttonCount, 1);

    // The window stays up and usable; a transmission says why nothing went out and keeps
    // what was typed.
    QVERIFY(form.isLoaded());
    QVERIFY(form.subWindow()->isVisible());
    form.txtDisplay->setText(QStringLiteral("no lo pierdas"));
    form.cmdTransmite->click();
    form.cmdTransmite->click();
    QCOMPARE(form.txtDisplay->text(), QStringLiteral("no lo pierdas"));
    QVERIFY2(form.lblRecibe->text().contains(QStringLiteral("no se envió")), qPrintable(form.lblRecibe->text()));
    QCOMPARE(collectAtPeer(pair, 0), QByteArray());
    QCOMPARE(catcher.boxes().size(), 1);

    if (simulator) {
        // The holder keeps its port; once it lets go, the terminal opened again gets it.
        QVERIFY(simulator->isPortOpen());
        simulator->subWindow()->close();
        form.subWindow()->close();
        form.showIn(&area);
        QVERIFY(form.Comm1->isOpen());
        form.cmdTransmite->click();
        QCOMPARE(collectAtPeer(pair, 36), kDesignText.toLatin1() + "\xC7");
        QCOMPARE(catcher.boxes().size(), 1);
    }
}

void TestFrmComSerial::simulatorOpenedAfter_terminalKeepsSending()
{
    Terminal t;
    QVERIFY(t.start());
    frmBrazo simulator;
    simulator.showIn(&t.area);
    QTRY_COMPARE(t.catcher.boxes().size(), 1);
    QVERIFY(!simulator.isPortOpen());
    QVERIFY(simulator.isLoaded());

    t.form.txtDisplay->setText(QStringLiteral("sigo"));
    t.form.cmdTransmite->click();
    QCOMPARE(collectAtPeer(t.pair, 5), QByteArray("sigo\xC7"));
    QCOMPARE(t.catcher.boxes().size(), 1);
}

void TestFrmComSerial::lineLostWhileOpen_reportedOnceAndNothingLost()
{
    auto pair = std::make_unique<PtyPair>();
    QVERIFY(pair->start());
    const QString device = pair->devicePath();
    qputenv("BRAZO_SERIAL_PORT", device.toLocal8Bit());
    MessageBoxCatcher catcher;
    QMdiArea area;
    area.show();
    frmComSerial form;
    form.showIn(&area);
    QVERIFY(form.Comm1->isOpen());

    // The far end of the line goes away under the open port.
    pair.reset();
    QTRY_COMPARE(catcher.boxes().size(), 1);
    QCOMPARE(catcher.boxes().first().title, QStringLiteral("Comunicación Serial"));
    QVERIFY2(catcher.boxes().first().text.contains(device), qPrintable(catcher.boxes().first().text));

    QTRY_VERIFY(!form.Comm1->isOpen());
    form.txtDisplay->setText(QStringLiteral("pendiente"));
    form.cmdTransmite->click();
    QCOMPARE(form.txtDisplay->text(), QStringLiteral("pendiente"));
    QVERIFY(form.lblRecibe->text().contains(QStringLiteral("no se envió")));
    QTest::qWait(200);
    QCOMPARE(catcher.boxes().size(), 1);
}

QTEST_MAIN(TestFrmComSerial)
#include "tst_frmcomserial.moc"

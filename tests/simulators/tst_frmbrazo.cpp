#include "armpanel.h"
#include "frmbrazo.h"
#include "messageboxcatcher.h"
#include "picturearea.h"
#include "ptypair.h"
#include "seriallink.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

QString chars(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

} // namespace

class TstFrmBrazo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void load_layoutAndColours();
    void load_defaultsWithPortOpen();
    void tabOrder_viewsReadoutsThenEntries();

    void receive_oneRead_isOneMessage_data();
    void receive_oneRead_isOneMessage();
    void receive_readout_followsTheJoint();
    void receive_selectorThenAngleInTwoReads_takesTwoMessages();
    void receive_sameText_leavesArmAlone();
    void receive_eventWithNothingToRead_changesNothing();

    void openFailure_showsBoxOverWindow_typingStillWorks_data();
    void openFailure_showsBoxOverWindow_typingStillWorks();
    void lineLost_reportedOnce_typingStillWorks();
    void close_releasesPort_andReopenLoadsAgain();

private:
    // Opens the window in a fresh frame.
    void openForm();
    // Writes bytes as the machine and waits until the window has handled them.
    void send(const QByteArray &bytes);
    QLineEdit *entry(int joint) const { return m_form->armPanel()->entry(joint); }
    QStringList entries() const;
    QStringList readouts() const;

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<QMdiArea> m_area;
    QPointer<frmBrazo> m_form;
};

void TstFrmBrazo::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->start());
    QVERIFY(m_pty->openPeer());
    qputenv("BRAZO_SERIAL_PORT", m_pty->devicePath().toLocal8Bit());
}

void TstFrmBrazo::cleanup()
{
    // Whatever happened, the window never writes to the line.
    if (m_pty)
        QCOMPARE(m_pty->readPeer(50), QByteArray());
    m_area.reset();
    m_pty.reset();
}

void TstFrmBrazo::openForm()
{
    m_area = std::make_unique<QMdiArea>();
    m_area->resize(1000, 800);
    m_area->show();
    m_form = new frmBrazo(m_area.get());
    m_form->showIn(m_area.get());
}

void TstFrmBrazo::send(const QByteArray &bytes)
{
    QSignalSpy events(m_form->Comm1.data(), &SerialLink::commEvent);
    QVERIFY(m_pty->writePeer(bytes));
    // The window's handler is connected first, so it has run when the spy counts.
    QTRY_VERIFY_WITH_TIMEOUT(events.count() > 0, 5000);
}

QStringList TstFrmBrazo::entries() const
{
    return {entry(1)->text(), entry(2)->text(), entry(3)->text(), entry(4)->text()};
}

QStringList TstFrmBrazo::readouts() const
{
    const ArmPanel *arm = m_form->armPanel();
    return {arm->txtPosicionX->text(), arm->txtPosicionY->text(), arm->txtPosicionZ->text()};
}

void TstFrmBrazo::load_layoutAndColours()
{
    openForm();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Torvane Electronico"));
    QCOMPARE(m_form->subWindow()->windowTitle(), QStringLiteral("Torvane Electronico"));
    QCOMPARE(m_form->palette().color(m_form->backgroundRole()), QColor(0, 0, 255));
    // Sizable: the user can resize it.
    QVERIFY(m_form->minimumSize() != m_form->maximumSize());

    const QWidget *surface = m_form->findChild<QWidget *>(QStringLiteral("surface"));
    QVERIFY(surface);
    QCOMPARE(surface->size(), QSize(721, 530)); // 10815 x 7950 twips

    const ArmPanel *arm = m_form->armPanel();
    QCOMPARE(arm->picSuperior->geometry(), QRect(40, 56, 281, 193));
    QCOMPARE(arm->picLateral->geometry(), QRect(424, 56, 281, 193));
    QCOMPARE(arm->lblXsup->geometry(), QRect(304, 248, 17, 17));
    QCOMPARE(arm->lblX->geometry(), QRect(688, 248, 17, 17));
    QCOMPARE(arm->txtPosicionY->geometry(), QRect(312, 336, 97, 33));
    QCOMPARE(arm->txtQ1->geometry(), QRect(96, 424, 81, 33));
    QCOMPARE(arm->txtQ4->geometry(), QRect(544, 424, 81, 33));
    QCOMPARE(arm->vislat->pos(), QPoint(432, 32));
    QCOMPARE(arm->lblPosicionZ->pos(), QPoint(496, 296));

    QCOMPARE(arm->lblPosicionX->palette().color(arm->lblPosicionX->backgroundRole()), QColor(0x80, 0xFF, 0xFF));
    QCOMPARE(arm->lblPosicionY->palette().color(arm->lblPosicionY->backgroundRole()), QColor(0xC0, 0xFF, 0xFF));
    QCOMPARE(arm->txtQ3->palette().color(QPalette::Base), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(arm->lblZ->text(), QStringLiteral("  z"));
}

void TstFrmBrazo::load_defaultsWithPortOpen()
{
    openForm();
    QVERIFY(m_form->isLoaded());
    QVERIFY(m_form->isPortOpen());
    QCOMPARE(m_form->Comm1->deviceName(), m_pty->devicePath());
    QCOMPARE(entries(), QStringList({"0", "0", "0", "-90"}));
    // The load draws nothing: the readouts wait for the first change.
    QCOMPARE(readouts(), QStringList({"", "", ""}));
    QVERIFY(m_form->armPanel()->picSuperior->image().allGray());
}

void TstFrmBrazo::tabOrder_viewsReadoutsThenEntries()
{
    openForm();
    QApplication::setActiveWindow(m_area.get());
    QVERIFY(QTest::qWaitForWindowActive(m_area.get()));
    const ArmPanel *arm = m_form->armPanel();
    const QList<QWidget *> order = {arm->picLateral,   arm->picSuperior,  arm->txtPosicionX,
                                    arm->txtPosicionY, arm->txtPosicionZ, arm->txtQ1,
                                    arm->txtQ2,        arm->txtQ3,        arm->txtQ4};
    arm->picLateral->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), order.first());
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }
}

void TstFrmBrazo::receive_oneRead_isOneMessage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");

    const QStringList unchanged = {"0", "0", "0", "-90"};
    QTest::newRow("A45") << QByteArray("A45") << QStringList({"45", "0", "0", "-90"});
    QTest::newRow("bare D writes its default") << QByteArray("D") << unchanged;
    QTest::newRow("D0") << QByteArray("D0") << QStringList({"0", "0", "0", "0"});
    QTest::newRow("C-30") << QByteArray("C-30") << QStringList({"0", "0", "-30", "-90"});
    QTest::newRow("blank kept") << QByteArray("B 30") << QStringList({"0", " 30", "0", "-90"});
    QTest::newRow("lower-case selector") << QByteArray("a45") << unchanged;
    QTest::newRow("no selector") << QByteArray("45") << unchanged;
    QTest::newRow("unknown selector") << QByteArray("Z1") << unchanged;
    QTest::newRow("two messages in one read") << QByteArray("A30B45") << QStringList({"30B45", "0", "0", "-90"});
    QTest::newRow("NUL kept") << QByteArray("A4\0" "5", 4)
                              << QStringList({QStringLiteral("4") + QChar(0) + QStringLiteral("5"), "0", "0", "-90"});

    QByteArray high("B");
    for (int b = 0x80; b <= 0xFF; ++b)
        high.append(char(b));
    QString highText = chars(u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021"
                             u"\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F"
                             u"\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014"
                             u"\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178");
    for (int c = 0xA0; c <= 0xFF; ++c)
        highText.append(QChar(c));
    QTest::newRow("bytes 0x80-0xFF") << high << QStringList({"0", highText, "0", "-90"});
}

void TstFrmBrazo::receive_oneRead_isOneMessage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    openForm();
    send(bytes);
    QCOMPARE(this->entries(), entries);
}

void TstFrmBrazo::receive_readout_followsTheJoint()
{
    openForm();
    QSignalSpy updates(m_form->armPanel(), &ArmPanel::armUpdated);
    send("A0");
    // "0" is already there: nothing to do.
    QCOMPARE(updates.count(), 0);
    send("A90");
    QCOMPARE(updates.count(), 1);
    const QStringList at90 = readouts();
    send("A45");
    QCOMPARE(updates.count(), 2);
    const QStringList at45 = readouts();
    send("A0");
    QCOMPARE(updates.count(), 3);
    const QStringList at0 = readouts();

    // The base joint turns the arm about the vertical axis: the height stays, the reach
    // swings from x to y, and at 45 degrees x and y are equal.
    QCOMPARE(at0[2], at45[2]);
    QCOMPARE(at0[2], at90[2]);
    QCOMPARE(at45[0], at45[1]);
    QCOMPARE(at90[1], at0[0]);
    QCOMPARE(at0, QStringList({"21.125", "00.000", "09.750"}));
    QCOMPARE(at45, QStringList({"14.938", "14.938", "09.750"}));
}

void TstFrmBrazo::receive_selectorThenAngleInTwoReads_takesTwoMessages()
{
    openForm();
    send("A10");
    QCOMPARE(entry(1)->text(), QStringLiteral("10"));
    send("A");
    QCOMPARE(entry(1)->text(), QStringLiteral("0"));
    send("45");
    QCOMPARE(entries(), QStringList({"0", "0", "0", "-90"}));

    // A bare selector writes the joint's default.
    send("D10");
    QCOMPARE(entry(4)->text(), QStringLiteral("10"));
    send("D");
    QCOMPARE(entry(4)->text(), QStringLiteral("-90"));
}

void TstFrmBrazo::receive_sameText_leavesArmAlone()
{
    openForm();
    send("C-30");
    QSignalSpy updates(m_form->armPanel(), &ArmPanel::armUpdated);
    send("C-30");
    send("D");
    QCOMPARE(updates.count(), 0);
    QCOMPARE(entries(), QStringList({"0", "0", "-30", "-90"}));
}

void TstFrmBrazo::receive_eventWithNothingToRead_changesNothing()
{
    openForm();
    send("B12");
    const QStringList before = readouts();
    QSignalSpy updates(m_form->armPanel(), &ArmPanel::armUpdated);
    // An event of the port that brings no data (a line change, the transmit buffer).
    emit m_form->Comm1->commEvent();
    QCOMPARE(updates.count(), 0);
    QCOMPARE(entries(), QStringList({"0", "12", "0", "-90"}));
    QCOMPARE(readouts(), before);
}

void TstFrmBrazo::openFailure_showsBoxOverWindow_typingStillWorks_data()
{
    QTest::addColumn<bool>("held");
    QTest::newRow("device absent") << false;
    QTest::newRow("device held by another port") << true;
}

void TstFrmBrazo::openFailure_showsBoxOverWindow_typingStillWorks()
{
    QFETCH(bool, held);
    QString device = m_pty->devicePath();
    QSerialPort holder(device);
    if (held) {
        QVERIFY(holder.open(QIODevice::ReadWrite));
    } else {
        device += QStringLiteral("-absent");
        qputenv("BRAZO_SERIAL_PORT", device.toLocal8Bit());
    }

    // Seen from inside the box's own event loop: is the window already on screen behind it?
    bool windowShownUnderBox = false;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            windowShownUnderBox = m_form && m_form->isVisible() && m_form->subWindow()->isVisible();
    });
    watch.start();
    MessageBoxCatcher catcher;
    openForm();
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes().size(), 1, 5000);
    watch.stop();
    QVERIFY(windowShownUnderBox);

    const MessageBoxCatcher::Box box = catcher.boxes().first();
    QCOMPARE(box.title, QStringLiteral("Torvane Electronico"));
    QVERIFY2(box.text.contains(device), qPrintable(box.text));
    QVERIFY2(box.text.startsWith(QStringLiteral("No se pudo abrir el puerto serie")), qPrintable(box.text));
    QCOMPARE(box.buttonCount, 1);

    QVERIFY(m_form->isLoaded());
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_form->isPortOpen());
    QSignalSpy updates(m_form->armPanel(), &ArmPanel::armUpdated);
    entry(1)->selectAll();
    QTest::keyClicks(entry(1), "45");
    QCOMPARE(entry(1)->text(), QStringLiteral("45"));
    QVERIFY(updates.count() > 0);
    QCOMPARE(readouts(), QStringList({"14.938", "14.938", "09.750"}));
    QTest::qWait(50);
    QCOMPARE(catcher.boxes().size(), 1);
}

void TstFrmBrazo::lineLost_reportedOnce_typingStillWorks()
{
    MessageBoxCatcher catcher;
    openForm();
    QVERIFY(m_form->isPortOpen());
    const QString device = m_pty->devicePath();
    m_pty.reset(); // the machine's end of the line goes away
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes().size(), 1, 5000);
    QCOMPARE(catcher.boxes().first().title, QStringLiteral("Torvane Electronico"));
    QVERIFY(catcher.boxes().first().text.contains(device));
    QVERIFY(!m_form->isPortOpen());

    entry(3)->selectAll();
    QTest::keyClicks(entry(3), "-30");
    QCOMPARE(entry(3)->text(), QStringLiteral("-30"));
    QVERIFY(!readouts().first().isEmpty());
    QTest::qWait(200);
    QCOMPARE(catcher.boxes().size(), 1);
}

void TstFrmBrazo::close_releasesPort_andReopenLoadsAgain()
{
    openForm();
    send("A45");
    QVERIFY(!readouts().first().isEmpty());
    QPointer<SerialLink> firstLink = m_form->Comm1;

    m_form->subWindow()->close();
    QVERIFY(!m_form->isLoaded());
    QVERIFY(!firstLink);
    QVERIFY(!m_form->isPortOpen());
    {
        QSerialPort other(m_pty->devicePath());
        QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
    }

    MessageBoxCatcher catcher;
    m_form->showIn(m_area.get());
    QVERIFY(m_form->isLoaded());
    QVERIFY(m_form->isPortOpen());
    QCOMPARE(entries(), QStringList({"0", "0", "0", "-90"}));
    QCOMPARE(readouts(), QStringList({"", "", ""}));
    send("D-45");
    QCOMPARE(entry(4)->text(), QStringLiteral("-45"));
    QCOMPARE(catcher.boxes().size(), 0);
}

QTEST_MAIN(TstFrmBrazo)
#include "tst_frmbrazo.moc"

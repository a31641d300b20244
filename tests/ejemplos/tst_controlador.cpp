// The example controller built on the host against a stand-in for the board, driven by
// scripted potentiometer readings; what it prints read as the simulator reads it.
#include "Arduino.h"
#include "controlador_brazo.ino"
#include "jointmessage.h"

#include <QTest>

class TestControlador : public QObject
{
    Q_OBJECT

private slots:
    void readings_sendEachChangedJointAlone();
};

void TestControlador::readings_sendEachChangedJointAlone()
{
    const auto runFor = [](unsigned long ms) {
        for (const unsigned long end = board::now + ms; board::now < end; ++board::now)
            loop();
    };
    board::readings = {512, 0, 1023, 767};  // middle, both ends, three quarters
    setup();
    QCOMPARE(Serial.baud, 19200ul);
    runFor(300);
    board::readings[0] = 515;  // less than a degree: noise
    runFor(300);
    board::readings[0] = 520;
    board::readings[2] = 0;
    runFor(300);

    // Each message whole in one pass: a read never ends inside one that the board wrote
    // apart.
    std::string together;
    for (const auto &[ms, text] : board::printed) {
        QCOMPARE(protocol::split(text).size(), std::size_t(1));
        together += text;
    }
    // All of it read at once, as an adapter that holds the bytes may hand it over: each
    // message still taken alone, ended by CR LF.
    QStringList messages;
    for (const std::string_view piece : protocol::split(together)) {
        QVERIFY2(piece.size() > 2 && piece.substr(piece.size() - 2) == "\r\n", std::string(piece).c_str());
        const std::string angle = protocol::angleText(piece);
        messages << QStringLiteral("Q%1 %2").arg(protocol::jointOf(piece)).arg(
                        QString::fromStdString(angle.substr(0, angle.size() - 2)));
    }
    QCOMPARE(messages, (QStringList{"Q1 0", "Q2 -90", "Q3 90", "Q4 45", "Q1 1", "Q3 -90"}));
}

QTEST_APPLESS_MAIN(TestControlador)
#include "tst_controlador.moc"

// The example controller built on the host against a stand-in for the board, driven by
// scripted potentiometer readings.
#include "Arduino.h"
#include "controlador_brazo.ino"

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

    // Each message whole in one pass, and the next one late enough for the simulator, which
    // takes all it reads at once as one message, to have read it alone.
    QStringList messages;
    unsigned long previous = 0;
    for (const auto &[ms, text] : board::printed) {
        QVERIFY(messages.isEmpty() || ms - previous >= 20);
        messages << QString::fromStdString(text);
        previous = ms;
    }
    QCOMPARE(messages, (QStringList{"A0", "B-90", "C90", "D45", "A1", "C-90"}));
}

QTEST_APPLESS_MAIN(TestControlador)
#include "tst_controlador.moc"

#include "linkwords.h"
#include "serialports.h"

#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(Link::Cause)

class TestLinkWords : public QObject
{
    Q_OBJECT

private slots:
    void serialFailure_data();
    void serialFailure();
    void listenFailure_data();
    void listenFailure();
    void portsInTheirOrder();
};

void TestLinkWords::serialFailure_data()
{
    QTest::addColumn<Link::Cause>("cause");
    QTest::addColumn<bool>("atOpen");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("advises");
    // What failed in a few words, and what the user can do about it from inside the program.
    QTest::newRow("missing") << Link::Cause::Missing << true << "no existe" << "Conecte la placa";
    QTest::newRow("busy") << Link::Cause::Busy << true << "otra ventana u otro programa" << "Cierre";
#ifdef Q_OS_LINUX
    QTest::newRow("no permission") << Link::Cause::NoPermission << true << "permiso" << "dialout";
#else
    QTest::newRow("no permission") << Link::Cause::NoPermission << true << "permiso" << "Pida permiso";
#endif
    QTest::newRow("no serial port") << Link::Cause::NotSerial << true << "no es un puerto serie" << "Elija";
    QTest::newRow("cable pulled") << Link::Cause::Vanished << false << "se desconectó" << "Vuelva a conectarla";
    QTest::newRow("other: the system's words") << Link::Cause::Other << true << "razón del sistema" << "Compruebe";
}

void TestLinkWords::serialFailure()
{
    QFETCH(Link::Cause, cause);
    QFETCH(bool, atOpen);
    QFETCH(QString, says);
    QFETCH(QString, advises);
    const QStringList lines =
        LinkWords::serialFailure(QStringLiteral("/dev/ttyACM0"), cause, QStringLiteral("razón del sistema"), atOpen);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].contains(QStringLiteral("/dev/ttyACM0")) && lines[0].contains(says), qPrintable(lines[0]));
    QVERIFY(lines[0].startsWith(atOpen ? QStringLiteral("No se pudo abrir") : QStringLiteral("Falló")));
    QVERIFY2(lines[1].contains(advises), qPrintable(lines[1]));
    // The way out is the program's own chooser; command-line options belong to the command line.
    QVERIFY2(lines[1].contains(QStringLiteral("«") + LinkWords::kChooseButton + QStringLiteral("»")), qPrintable(lines[1]));
    QVERIFY(!lines.join(QString()).contains(QStringLiteral("--")));
}

void TestLinkWords::listenFailure_data()
{
    QTest::addColumn<Link::Cause>("cause");
    QTest::addColumn<QStringList>("says");
    QTest::newRow("in use") << Link::Cause::AddressInUse << QStringList{"1007", "otra ventana u otro programa"};
    QTest::newRow("privileged") << Link::Cause::Privileged
                                << QStringList{"1007", "setcap cap_net_bind_service", "ip_unprivileged_port_start=1007"};
    QTest::newRow("other") << Link::Cause::Other << QStringList{"1007", "razón del sistema"};
}

void TestLinkWords::listenFailure()
{
    QFETCH(Link::Cause, cause);
    QFETCH(QStringList, says);
    const QString text = LinkWords::listenFailure(1007, cause, QStringLiteral("razón del sistema"));
    for (const QString &part : says)
        QVERIFY2(text.contains(part), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("--")), qPrintable(text));
}

void TestLinkWords::portsInTheirOrder()
{
    // Numbers as numbers; the stems first.
    QStringList names{"COM10", "ttyS10", "COM2", "ttyACM0", "ttyS2", "COM1"};
    std::sort(names.begin(), names.end(), SerialPorts::naturalLess);
    QCOMPARE(names, (QStringList{"COM1", "COM2", "COM10", "ttyACM0", "ttyS2", "ttyS10"}));
}

QTEST_GUILESS_MAIN(TestLinkWords)
#include "tst_linkwords.moc"

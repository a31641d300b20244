#include "conversions.h"
#include "systemerror.h"
#include "winansi.h"

#include <QHash>
#include <QStringDecoder>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void toInt32_data();
    void toInt32();
    void toFixed_data();
    void toFixed();
    void winAnsi_matchesTheSystemsCodePage();
    void joinLines_data();
    void joinLines();
    void systemError_data();
    void systemError();
};

void TestConversions::toInt32_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("value");

    const QLocale c = QLocale::c();
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    QTest::newRow("whole") << c << "30" << true << 30;
    QTest::newRow("negative") << c << "-90" << true << -90;
    QTest::newRow("blanks around") << c << "  45 " << true << 45;
    QTest::newRow("half to even, down") << c << "12.5" << true << 12;
    QTest::newRow("half to even, up") << c << "13.5" << true << 14;
    QTest::newRow("minus half") << c << "-0.5" << true << 0;
    QTest::newRow("exponent") << c << "1e3" << true << 1000;
    QTest::newRow("largest") << c << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << c << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("rounds past the largest") << c << "2147483647.5" << false << 0;
    QTest::newRow("too large") << c << "2147483648" << false << 0;
    QTest::newRow("empty") << c << "" << false << 0;
    QTest::newRow("lone minus") << c << "-" << false << 0;
    QTest::newRow("letters") << c << "abc" << false << 0;
    QTest::newRow("two messages") << c << "30B45" << false << 0;
    QTest::newRow("line end") << c << "45\r\n" << true << 45;
    QTest::newRow("infinity") << c << "inf" << false << 0;
    QTest::newRow("NUL inside") << c << QString(QStringLiteral("4") + QChar(0) + QStringLiteral("5")) << false << 0;
    QTest::newRow("es: decimal comma") << spanish << "12,5" << true << 12;
    QTest::newRow("es: four digits grouped") << spanish << "1.000" << true << 1000;
    QTest::newRow("es: grouped with decimals") << spanish << "1.000,5" << true << 1000;
    QTest::newRow("es: five digits grouped") << spanish << "10.000" << true << 10000;
    QTest::newRow("es: negative grouped") << spanish << "-1.000" << true << -1000;
    QTest::newRow("es: group out of place") << spanish << "1.00" << false << 0;
    QTest::newRow("es: group after the comma") << spanish << "1,000.5" << false << 0;
    QTest::newRow("C: comma is no decimal") << c << "12,5" << false << 0;
}

void TestConversions::toInt32()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(int, value);
    const std::optional<qint32> result = Conversions::toInt32(text, locale);
    QCOMPARE(result.has_value(), converts);
    if (converts)
        QCOMPARE(*result, value);
}

void TestConversions::toFixed_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const QLocale c = QLocale::c();
    QTest::newRow("21.125") << c << 21.125 << "21.125";
    QTest::newRow("padded") << c << 9.750011 << "09.750";
    QTest::newRow("rounded") << c << 5.874967 << "05.875";
    QTest::newRow("negative") << c << -8.249989 << "-08.250";
    QTest::newRow("negative zero") << c << -0.000011 << "00.000";
    QTest::newRow("three integer digits") << c << -123.4567 << "-123.457";
    QTest::newRow("decimal comma") << QLocale(QLocale::Spanish, QLocale::Spain) << 9.750011 << "09,750";
}

void TestConversions::toFixed()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(Conversions::toFixed(value, locale), text);
}

void TestConversions::winAnsi_matchesTheSystemsCodePage()
{
    // The system's converter is the oracle: every byte reads as its character, and every
    // character writes as its byte or, outside the code page, as '?'.
    QStringDecoder oracle("windows-1252");
    if (!oracle.isValid())
        QSKIP("Qt has no converter for windows-1252 on this system");
    QHash<char16_t, char> byteOf;
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        const QString expected = oracle.decode(byte);
        QCOMPARE(expected.size(), 1);
        QVERIFY2(WinAnsi::decode(byte) == expected, qPrintable(QString::number(b, 16)));
        byteOf.insert(expected.at(0).unicode(), char(b));
    }
    QCOMPARE(byteOf.size(), 256);

    QString everyCharacter(0x10000, Qt::Uninitialized);
    QByteArray expected(0x10000, Qt::Uninitialized);
    for (int c = 0; c < 0x10000; ++c) {
        everyCharacter[c] = QChar(char16_t(c));
        expected[c] = byteOf.value(char16_t(c), '?');
    }
    const QByteArray encoded = WinAnsi::encode(everyCharacter);
    QCOMPARE(encoded.size(), expected.size());
    for (int c = 0; c < 0x10000; ++c)
        QVERIFY2(encoded[c] == expected[c], qPrintable(QString::number(c, 16)));
}

void TestConversions::joinLines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QStringList() << "";
    QTest::newRow("one") << QStringList{"a"} << "a";
    QTest::newRow("three, one empty") << QStringList{"a", "", "b "} << "a\r\n\r\nb ";
}

void TestConversions::joinLines()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, text);
    QCOMPARE(Conversions::joinLines(lines), text);
}

void TestConversions::systemError_data()
{
    QTest::addColumn<QString>("systemText");
    QTest::addColumn<QString>("says");
#ifdef Q_OS_WIN
    QTest::newRow("said in the system's language") << qt_error_string(ERROR_FILE_NOT_FOUND) << qt_error_string(ERROR_FILE_NOT_FOUND);
    return;
#endif
    QTest::newRow("not a serial device") << qt_error_string(ENOTTY) << "no es un puerto serie";
    QTest::newRow("a folder") << qt_error_string(EISDIR) << "carpeta";
    QTest::newRow("no permission") << qt_error_string(EACCES) << "permiso";
    QTest::newRow("no such file") << qt_error_string(ENOENT) << "no existe";
    QTest::newRow("disk full") << qt_error_string(ENOSPC) << "espacio";
    QTest::newRow("anything else, as it came") << qt_error_string(EMLINK) << qt_error_string(EMLINK);
}

void TestConversions::systemError()
{
    QFETCH(QString, systemText);
    QFETCH(QString, says);
    QVERIFY2(SystemError::inSpanish(systemText).contains(says), qPrintable(SystemError::inSpanish(systemText)));
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"

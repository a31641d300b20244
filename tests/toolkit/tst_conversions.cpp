#include "conversions.h"
#include "winansi.h"

#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(std::optional<qint32>)

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void toInt32_data();
    void toInt32();
    void toFixed_data();
    void toFixed();
    void fromInt();
    void winAnsi_roundTripsEveryByte();
    void winAnsi_mapsTheHighControlsAndTheTerminator();
};

void TestConversions::toInt32_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<qint32>>("expected");

    const std::optional<qint32> none;
    for (const QString &locale : {QStringLiteral("C"), QStringLiteral("es_ES")}) {
        const QString dot = locale == QLatin1String("C") ? QStringLiteral(".") : QStringLiteral(",");
        auto row = [&](const char *name, const QString &text, std::optional<qint32> expected) {
            QTest::addRow("%s %s", qPrintable(locale), name) << locale << text << expected;
        };
        row("whole", QStringLiteral("30"), 30);
        row("negative", QStringLiteral("-90"), -90);
        row("half down to even", QStringLiteral("12") + dot + QStringLiteral("5"), 12);
        row("half up to even", QStringLiteral("13") + dot + QStringLiteral("5"), 14);
        row("minus half to zero", QStringLiteral("-0") + dot + QStringLiteral("5"), 0);
        row("45.5", QStringLiteral("45") + dot + QStringLiteral("5"), 46);
        row("44.5", QStringLiteral("44") + dot + QStringLiteral("5"), 44);
        row("nearest", QStringLiteral("44") + dot + QStringLiteral("51"), 45);
        row("blanks around", QStringLiteral("  30 "), 30);
        row("blank then number", QStringLiteral(" 30"), 30);
        row("CR LF after", QStringLiteral("45\r\n"), 45);
        row("empty", QString(), none);
        row("blanks only", QStringLiteral("   "), none);
        row("lone minus", QStringLiteral("-"), none);
        row("letters", QStringLiteral("abc"), none);
        row("number then letters", QStringLiteral("30B45"), none);
        row("nan", QStringLiteral("nan"), none);
        row("inf", QStringLiteral("inf"), none);
        row("minus inf", QStringLiteral("-inf"), none);
        row("NUL inside", QStringLiteral("4") + QChar(0) + QStringLiteral("5"), none);
        row("largest", QStringLiteral("2147483647"), 2147483647);
        row("smallest", QStringLiteral("-2147483648"), qint32(-2147483647 - 1));
        row("one past largest", QStringLiteral("2147483648"), none);
        row("rounds past largest", QStringLiteral("2147483647") + dot + QStringLiteral("5"), none);
        row("one below smallest", QStringLiteral("-2147483649"), none);
        row("huge", QStringLiteral("1e300"), none);
    }
}

void TestConversions::toInt32()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(std::optional<qint32>, expected);
    QCOMPARE(Conversions::toInt32(text, QLocale(locale)), expected);
}

void TestConversions::toFixed_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("X of the defaults") << "C" << 21.125 << "21.125";
    QTest::newRow("padded") << "C" << 9.750011 << "09.750";
    QTest::newRow("rounded up") << "C" << 5.874967 << "05.875";
    QTest::newRow("negative") << "C" << -8.249989 << "-08.250";
    QTest::newRow("whole") << "C" << 18.0 << "18.000";
    QTest::newRow("zero") << "C" << 0.0 << "00.000";
    QTest::newRow("negative rounding to zero") << "C" << -0.000011 << "00.000";
    QTest::newRow("negative just past zero") << "C" << -0.0006 << "-00.001";
    QTest::newRow("three integer digits") << "C" << 123.4567 << "123.457";
    QTest::newRow("decimal comma") << "es_ES" << 21.125 << "21,125";
    QTest::newRow("decimal comma negative") << "es_ES" << -8.249989 << "-08,250";
}

void TestConversions::toFixed()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(Conversions::toFixed(value, QLocale(locale)), expected);
}

void TestConversions::fromInt()
{
    QCOMPARE(Conversions::fromInt(3, true), QStringLiteral(" 3"));
    QCOMPARE(Conversions::fromInt(0, true), QStringLiteral(" 0"));
    QCOMPARE(Conversions::fromInt(-3, true), QStringLiteral("-3"));
    QCOMPARE(Conversions::fromInt(1007), QStringLiteral("1007"));
    QCOMPARE(Conversions::fromInt(-1), QStringLiteral("-1"));
}

void TestConversions::winAnsi_roundTripsEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = WinAnsi::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(WinAnsi::encode(text), all);
}

void TestConversions::winAnsi_mapsTheHighControlsAndTheTerminator()
{
    QCOMPARE(WinAnsi::decode(QByteArray("\x80")), QString(QChar(0x20AC)));
    QCOMPARE(WinAnsi::decode(QByteArray("\x9F")), QString(QChar(0x0178)));
    QCOMPARE(WinAnsi::decode(QByteArray("\x81")), QString(QChar(0x81)));
    QCOMPARE(WinAnsi::decode(QByteArray("\xC7")), QStringLiteral("Ç"));
    QCOMPARE(WinAnsi::decode(QByteArray("\xE7")), QStringLiteral("ç"));
    QCOMPARE(WinAnsi::decode(QByteArray("a\0b", 3)), QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")));
    QCOMPARE(WinAnsi::encode(QStringLiteral("Comunicación Ç")), QByteArray("Comunicaci\xF3n \xC7"));
    QCOMPARE(WinAnsi::encode(QStringLiteral("€")), QByteArray("\x80"));
    // Outside the code page: one byte still, never dropped.
    QCOMPARE(WinAnsi::encode(QStringLiteral("a\u4E2Db")), QByteArray("a?b"));
}

QTEST_APPLESS_MAIN(TestConversions)
#include "tst_conversions.moc"

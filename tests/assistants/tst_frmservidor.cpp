#include "forms.h"
#include "frmservidor.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace Forms;

namespace {

QStringList log(const QWidget *form)
{
    QStringList lines;
    const auto *list = control<QListWidget>(form, "lstDatos");
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

} // namespace

class TestFrmServidor : public QObject
{
    Q_OBJECT

private slots:
    void clientSession_isLoggedLineByLine();
    void portTaken_isOneLogLine_borderFixed();
};

void TestFrmServidor::clientSession_isLoggedLineByLine()
{
    Frame frame;
    frmServidor form(kAnyPort, &frame.area);
    form.showIn(&frame.area);
    auto *send = control<QPushButton>(&form, "cmdEnviar");
    control<QLineEdit>(&form, "txtDatos")->setText(QStringLiteral("hola ñ"));
    send->click();

    auto client = connectTo(shownPort(&form));
    QVERIFY(client);
    QTRY_COMPARE_WITH_TIMEOUT(log(&form).size(), 3, kWaitMs);
    Forms::send(*client, "\x93" "eco\x94");
    QTRY_COMPARE_WITH_TIMEOUT(log(&form).size(), 4, kWaitMs);
    send->click();
    send->click();
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT(received += client->readAll(), QByteArray("hola \xF1hola \xF1"), kWaitMs);
    client->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(log(&form).size(), 8, kWaitMs);
    send->click();
    QCOMPARE(log(&form), QStringList({"[Esperando Conexión]", "[Sin Conexión]", "[Aceptado cliente 127.0.0.1 ]",
                                      "<-“eco”", "->hola ñ", "->hola ñ", "[Cliente Desconectado]",
                                      "[Esperando Conexión]", "[Sin Conexión]"}));
}

void TestFrmServidor::portTaken_isOneLogLine_borderFixed()
{
    Frame frame;
    frmServidor first(kAnyPort, &frame.area);
    first.showIn(&frame.area);
    const quint16 taken = shownPort(&first);
    frmServidor second(taken, &frame.area);
    second.showIn(&frame.area);
    const QStringList lines = log(&second);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(QString::number(taken)), qPrintable(lines.first()));
    // The user cannot resize the window.
    const QSize designed = second.subWindow()->size();
    second.subWindow()->resize(designed + QSize(40, 30));
    QCOMPARE(second.subWindow()->size(), designed);
}

QTEST_MAIN(TestFrmServidor)
#include "tst_frmservidor.moc"

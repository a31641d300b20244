#include "forms.h"
#include "frmayudasimulador.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QWindow>

using namespace Forms;

class TestFrmAyudaSimulador : public QObject
{
    Q_OBJECT

private slots:
    void pointer_showsTheTextOfWhatItIsOver();
};

void TestFrmAyudaSimulador::pointer_showsTheTextOfWhatItIsOver()
{
    Frame frame;
    auto *form = new frmAyudaSimulador(&frame.area);
    form->showIn(&frame.area);
    // The pointer moves through the window system, so that mouse tracking decides who sees
    // a move without a button pressed; the answer is what the box says then.
    auto moveOver = [&](const char *name, QPoint at = QPoint(-1, -1)) {
        QWidget *widget = control(form, name);
        QWindow *window = frame.area.windowHandle();
        QTest::mouseMove(window, window->mapFromGlobal(widget->mapToGlobal(at.x() < 0 ? widget->rect().center() : at)));
        return control<QPlainTextEdit>(form, "txtExplicacion")->toPlainText();
    };

    QCOMPARE(moveOver("imgVistaLateral"), QString());
    const QString general = moveOver("surface", QPoint(5, 5));
    QStringList texts{general};
    for (const char *picture : {"imgQ1", "imgQ2", "imgQ3", "imgQ4", "imgX", "imgY", "imgZ", "imgLateral", "imgSuperior"}) {
        const QString text = moveOver(picture);
        QVERIFY2(!texts.contains(text), picture);
        // Anywhere over the picture, the same.
        QCOMPARE(moveOver(picture, QPoint(1, 1)), text);
        texts << text;
        // The caption's picture and the box itself leave it as it is.
        QCOMPARE(moveOver("imgVistaLateral"), text);
        QCOMPARE(moveOver("txtExplicacion"), text);
    }
    QVERIFY(!control<QLabel>(form, "imgQ1")->pixmap().isNull());

    QTest::keyClicks(control(form, "txtExplicacion"), QStringLiteral("hola"));
    QCOMPARE(moveOver("surface", QPoint(5, 5)), general);
    form->subWindow()->close();
    form->showIn(&frame.area);
    QCOMPARE(control<QPlainTextEdit>(form, "txtExplicacion")->toPlainText(), QString());
}

QTEST_MAIN(TestFrmAyudaSimulador)
#include "tst_frmayudasimulador.moc"

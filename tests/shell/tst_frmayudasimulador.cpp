#include "forms.h"
#include "frmayudasimulador.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QWindow>

using namespace Forms;

class TestFrmAyudaSimulador : public QObject
{
    Q_OBJECT

private slots:
    void eachPicture_byPointerAndByTab_showsItsOwnText();
};

void TestFrmAyudaSimulador::eachPicture_byPointerAndByTab_showsItsOwnText()
{
    Frame frame;
    auto *form = frame.open<frmAyudaSimulador>();
    QVERIFY(QTest::qWaitForWindowActive(&frame.area));
    auto *box = control<QPlainTextEdit>(form, "txtExplicacion");
    // The pointer moves through the window system, so that mouse tracking decides who sees
    // a move without a button pressed; the answer is what the box says then.
    auto moveOver = [&](const char *name, QPoint at = QPoint(-1, -1)) {
        QWidget *widget = control(form, name);
        QWindow *window = frame.area.windowHandle();
        QTest::mouseMove(window, window->mapFromGlobal(widget->mapToGlobal(at.x() < 0 ? widget->rect().center() : at)));
        return box->toPlainText();
    };

    QCOMPARE(moveOver("imgVistaLateral"), QString());
    const QString general = moveOver("surface", QPoint(5, 5));
    QVERIFY(general.contains(QStringLiteral("Coloque el mouse")));
    // In the order Tab visits them, each picture with a few words that only its text holds,
    // so that two pictures that swapped their texts fail here.
    const QList<QPair<const char *, QString>> pictures = {
        {"imgQ1", "del brazo en el eje x."}, {"imgQ2", "el brazo se mueve hacia abajo"},
        {"imgQ3", "del codo a la muñeca"},                  {"imgQ4", "de la mano del brazo"},
        {"imgX", "respecto al eje x"},                      {"imgY", "vista superior"},
        {"imgZ", "vista lateral"},                          {"imgLateral", "parte lateral."},
        {"imgSuperior", "parte superior."}};
    QStringList texts{general};
    box->setFocus();
    for (const auto &[picture, words] : pictures) {
        // Tab leaves the box instead of typing into it, and goes round the pictures that
        // explain something; each says, in the box and to a screen reader, its text.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        QCOMPARE(focused->objectName(), QLatin1String(picture));
        const QString text = box->toPlainText();
        QVERIFY2(text.contains(words) && !texts.contains(text), picture);
        QCOMPARE(QAccessible::queryAccessibleInterface(focused)->text(QAccessible::Description).remove(QLatin1Char('\r')),
                 text);
        texts << text;
        // The pointer anywhere over the picture shows the same, from the general text.
        QCOMPARE(moveOver("surface", QPoint(6, 6)), general);
        QCOMPARE(moveOver(picture), text);
        QCOMPARE(moveOver(picture, QPoint(1, 1)), text);
        // The caption's picture and the box itself leave it as it is.
        QCOMPARE(moveOver("imgVistaLateral"), text);
        QCOMPARE(moveOver("txtExplicacion"), text);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box);
    QVERIFY(!box->toPlainText().contains(QLatin1Char('\t')));
    QVERIFY(!control<QLabel>(form, "imgQ1")->pixmap().isNull());

    QTest::keyClicks(box, QStringLiteral("hola"));
    QCOMPARE(moveOver("surface", QPoint(5, 5)), general);
    form->subWindow()->close();
    form->showIn(&frame.area);
    // Loaded again, with new controls.
    QCOMPARE(control<QPlainTextEdit>(form, "txtExplicacion")->toPlainText(), QString());
}

QTEST_MAIN(TestFrmAyudaSimulador)
#include "tst_frmayudasimulador.moc"

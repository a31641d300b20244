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
    void pointer_showsTheTextOfWhatItIsOver();
    void keyboard_reachesEachExplanationWithTab();
};

void TestFrmAyudaSimulador::pointer_showsTheTextOfWhatItIsOver()
{
    Frame frame;
    auto *form = frame.open<frmAyudaSimulador>();
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
    QVERIFY(general.contains(QStringLiteral("Coloque el mouse")));
    // Each picture leads to the text about what it shows: a few words that only that
    // text holds, so that two pictures that swapped their texts fail here.
    const QList<QPair<const char *, QString>> pictures = {
        {"imgQ1", "del brazo en el eje x."}, {"imgQ2", "el brazo se mueve hacia abajo"},
        {"imgQ3", "del codo a la muñeca"},                  {"imgQ4", "de la mano del brazo"},
        {"imgX", "respecto al eje x"},                      {"imgY", "vista superior"},
        {"imgZ", "vista lateral"},                          {"imgLateral", "parte lateral."},
        {"imgSuperior", "parte superior."}};
    QStringList texts{general};
    for (const auto &[picture, words] : pictures) {
        const QString text = moveOver(picture);
        QVERIFY2(text.contains(words), picture);
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

void TestFrmAyudaSimulador::keyboard_reachesEachExplanationWithTab()
{
    Frame frame;
    auto *form = frame.open<frmAyudaSimulador>();
    QVERIFY(QTest::qWaitForWindowActive(&frame.area));
    auto *box = control<QPlainTextEdit>(form, "txtExplicacion");
    box->setFocus();
    // Tab leaves the box instead of typing into it, and goes round the pictures that
    // explain something; each says, in the box and to a screen reader, what the pointer
    // would show over it.
    QStringList visited;
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *picture = QApplication::focusWidget();
        QVERIFY(picture && picture != box);
        const QString shown = box->toPlainText();
        QCOMPARE(QAccessible::queryAccessibleInterface(picture)->text(QAccessible::Description).remove(QLatin1Char('\r')),
                 shown);
        visited << picture->objectName();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box);
    QVERIFY(!box->toPlainText().contains(QLatin1Char('\t')));
    QCOMPARE(visited, (QStringList{"imgQ1", "imgQ2", "imgQ3", "imgQ4", "imgX", "imgY", "imgZ", "imgLateral", "imgSuperior"}));
}

QTEST_MAIN(TestFrmAyudaSimulador)
#include "tst_frmayudasimulador.moc"

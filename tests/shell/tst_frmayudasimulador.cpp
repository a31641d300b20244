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
    void init();
    void cleanup();
    void pointer_showsTheTextOfWhatItIsOver();

private:
    QString moveOver(const char *control, QPoint at = QPoint(-1, -1));

    Frame *m_frame = nullptr;
    frmAyudaSimulador *m_form = nullptr;
};

void TestFrmAyudaSimulador::init()
{
    m_frame = new Frame;
    m_form = new frmAyudaSimulador(&m_frame->area);
    m_form->showIn(&m_frame->area);
}

void TestFrmAyudaSimulador::cleanup()
{
    delete m_frame;
}

// Moves the pointer through the window system, so that mouse tracking decides who sees a
// move without a button pressed; returns what the box says then.
QString TestFrmAyudaSimulador::moveOver(const char *control, QPoint at)
{
    QWidget *widget = Forms::control(m_form, control);
    QWindow *window = m_frame->area.windowHandle();
    QTest::mouseMove(window, window->mapFromGlobal(widget->mapToGlobal(at.x() < 0 ? widget->rect().center() : at)));
    return Forms::control<QPlainTextEdit>(m_form, "txtExplicacion")->toPlainText();
}

void TestFrmAyudaSimulador::pointer_showsTheTextOfWhatItIsOver()
{
    QCOMPARE(moveOver("imgVistaLateral"), QString());
    const QString general = moveOver("surface", QPoint(5, 5));
    const char *const pictures[] = {"imgQ1", "imgQ2", "imgQ3", "imgQ4", "imgX",
                                    "imgY", "imgZ", "imgLateral", "imgSuperior"};
    QStringList texts{general};
    for (const char *picture : pictures) {
        const QString text = moveOver(picture);
        QVERIFY2(!texts.contains(text), picture);
        // Anywhere over the picture, the same.
        QCOMPARE(moveOver(picture, QPoint(1, 1)), text);
        texts << text;
        // The caption's picture and the box itself leave it as it is.
        QCOMPARE(moveOver("imgVistaLateral"), text);
        QCOMPARE(moveOver("txtExplicacion"), text);
    }
    QVERIFY(!control<QLabel>(m_form, "imgQ1")->pixmap().isNull());

    QTest::keyClicks(control(m_form, "txtExplicacion"), QStringLiteral("hola"));
    QCOMPARE(moveOver("surface", QPoint(5, 5)), general);
    m_form->subWindow()->close();
    m_form->showIn(&m_frame->area);
    QCOMPARE(control<QPlainTextEdit>(m_form, "txtExplicacion")->toPlainText(), QString());
}

QTEST_MAIN(TestFrmAyudaSimulador)
#include "tst_frmayudasimulador.moc"

// Every window's controls, whatever their design: inside the client area, no input over
// another, each focusable control visited once by Tab, every caption readable whole, and a
// name for a screen reader to say.
#include "application.h"
#include "forms.h"
#include "frmayudasimulador.h"
#include "frmbrazo.h"
#include "frmcomserial.h"
#include "frminternetservidor.h"
#include "frmregistros.h"
#include "frmservidor.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Forms;

namespace {

using MakeForm = std::function<MdiForm *(QWidget *)>;

// The controls a user works with: they take the focus (the record navigator's buttons do not).
bool isInput(const QWidget *widget)
{
    return widget->focusPolicy() != Qt::NoFocus || widget->objectName() == QLatin1String("datEmpleados");
}

QString captionOf(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->wordWrap() ? QString() : label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return QString(button->text()).remove(QLatin1Char('&'));
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(MakeForm)

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyWindow_data();
    void everyWindow();

private:
    QTemporaryDir m_data;
};

void TestLayout::initTestCase()
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
}

void TestLayout::everyWindow_data()
{
    QTest::addColumn<MakeForm>("make");
    QTest::newRow("frmBrazo") << MakeForm([](QWidget *p) { return new frmBrazo(settings(), p); });
    QTest::newRow("frmInternetServidor") << MakeForm([](QWidget *p) { return new frmInternetServidor(settings(), p); });
    QTest::newRow("frmComSerial") << MakeForm([](QWidget *p) { return new frmComSerial(settings(), p); });
    QTest::newRow("frmServidor") << MakeForm([](QWidget *p) { return new frmServidor(settings(), p); });
    QTest::newRow("frmRegistros") << MakeForm([](QWidget *p) { return new frmRegistros(p); });
    QTest::newRow("frmAyudaSimulador") << MakeForm([](QWidget *p) { return new frmAyudaSimulador(p); });
}

void TestLayout::everyWindow()
{
    QFETCH(MakeForm, make);
    Frame frame;
    MdiForm *form = make(&frame.area);
    form->showIn(&frame.area);
    const QWidget *surface = control(form, "surface");
    const QList<QWidget *> controls = surface->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QList<QWidget *> inputs;
    for (QWidget *widget : controls) {
        const QString name = widget->objectName();
        QVERIFY2(surface->rect().contains(widget->geometry()), qPrintable(name));
        QVERIFY2(!QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty(), qPrintable(name));
        const QString caption = captionOf(widget);
        if (!caption.isEmpty()) {
            const QFontMetrics metrics = widget->fontMetrics();
            const QRect room = widget->contentsRect();
            QVERIFY2(metrics.horizontalAdvance(caption) <= room.width() && metrics.height() <= room.height(),
                     qPrintable(QStringLiteral("%1: %2 in %3 x %4").arg(name, caption).arg(room.width()).arg(room.height())));
        }
        if (!isInput(widget))
            continue;
        for (const QWidget *other : std::as_const(inputs))
            QVERIFY2(!widget->geometry().intersects(other->geometry()), qPrintable(name + " / " + other->objectName()));
        inputs << widget;
    }

    QList<QWidget *> focusable;
    for (QWidget *widget : surface->findChildren<QWidget *>())
        if (widget->focusPolicy() & Qt::TabFocus)
            focusable << widget;
    focusable.first()->setFocus();
    QWidget *start = QApplication::focusWidget();
    QList<QWidget *> visited;
    for (int i = 0; i < focusable.size(); ++i) {
        visited << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), start);
    for (QWidget *widget : std::as_const(focusable))
        QVERIFY2(visited.count(widget) == 1, qPrintable(widget->objectName()));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Application::setUp(app);
    TestLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_layout.moc"

#include "frmayudasimulador.h"
#include "kinematics.h"
#include "vbunits.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTest>
#include <QWindow>
#include <QtEndian>

#include <cstdlib>

// The guide as a user meets it: the window shown in a frame, the pointer moved over the
// controls with real mouse events, and the bitmaps read from the embedded resources.
class TestFrmAyudaSimulador : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void design();
    void mouseMove_showsTheSourcesText_data();
    void mouseMove_showsTheSourcesText();
    void mouseMove_overNoHandler_changesNothing_data();
    void mouseMove_overNoHandler_changesNothing();
    void background_bringsBackTheGeneralInstruction();
    void typedText_isReplacedByTheNextMove();
    void reopening_startsWithAnEmptyBox();
    void picture_is24BitBitmapStretchedToItsControl_data();
    void picture_is24BitBitmapStretchedToItsControl();
    void sideViewPicture_showsTheArmAtThePose();
    void topViewPicture_showsTheArmAtThePose();

private:
    QWidget *surface() const { return m_form->findChild<QWidget *>(QStringLiteral("surface")); }
    QPlainTextEdit *box() const { return m_form->txtExplicacion; }
    // The box's text with each line break as CR LF, the way the texts are written.
    QString boxText() const;
    // Moves the pointer to a point of a widget, or of the window's client area, over
    // whatever is there.
    void moveTo(QWidget *widget, const QPoint &point);
    void moveTo(const QPoint &clientPoint);
    void moveOver(const QString &objectName);

    QMdiArea *m_area = nullptr;
    frmAyudaSimulador *m_form = nullptr;
};

namespace {

const QString kGeneral = QStringLiteral("Coloque el mouse sobre cada elemento\r\n"
                                        "para saber su funcionemiento");
const QString kQ1 = QStringLiteral(
    "Este cuadro permite controlar las posiciones\r\n"
    "del brazo en el eje x.\r\n"
    "Al darle clic en el signo mas se reflejara un movimiento en el eje x\r\n"
    "que simulara que el brazo se mueve hacia atras.\r\n"
    "Al darle clic en el signo menos se reflejara un movimiento en el eje x\r\n"
    "que simulara que el brazo se mueve hacia adelante.");
const QString kQ2 = QStringLiteral(
    "Este cuadro permite controlar las posiciones\r\n"
    "del brazo en el eje z.\r\n"
    "Al darle clic en el signo mas se reflejara un movimiento en el eje z\r\n"
    "que simulara que el brazo se mueve hacia abajo.\r\n"
    "Al darle clic en el signo menos se reflejara un movimiento en el eje z\r\n"
    "que simulara que el brazo se mueve hacia arriba.");
const QString kQ3 = QStringLiteral(
    "Este cuadro permite controlar las posiciones\r\n"
    "del brazo del codo a la mu\u00f1eca.\r\n"
    "Al darle clic en el signo mas se reflejara un movimiento en el eje z\r\n"
    "que simulara que una parte del brazo (del codo a la mu\u00f1eca)se mueve hacia abajo.\r\n"
    "Al darle clic en el signo menos se reflejara un movimiento en el eje z\r\n"
    "que simulara que el brazo se mueve hacia arriba.");
const QString kQ4 = QStringLiteral(
    "Este cuadro permite controlar las posiciones\r\n"
    "de la mano del brazo en el eje z.\r\n"
    "Al darle clic en el signo mas se reflejara un movimiento en el eje z\r\n"
    "que simulara que la mano  se mueve hacia abajo.\r\n"
    "Al darle clic en el signo menos se reflejara un movimiento en el eje z\r\n"
    "que simulara que la mano se mueve hacia arriba.");
const QString kX = QStringLiteral("Este cuadro muestra las posiciones\r\n"
                                  "es decir las coordenadas con respecto al eje x");
const QString kY = QStringLiteral(
    "Este cuadro muestra las posiciones\r\n"
    "es decir las coordenadas con respecto al eje y, que es la vista superior");
const QString kZ = QStringLiteral(
    "Este cuadro muestra las posiciones\r\n"
    "es decir las coordenadas con respecto al eje Z, que es la vista lateral");
const QString kLateral = QStringLiteral("Este cuadro muestra y refleja\r\n"
                                        "ilustrativamente los diferentes movimientos \r\n"
                                        "que se ejecuten al instante de darle clic a los\r\n"
                                        "botones de comando, viendolos de la parte lateral.");
const QString kSuperior = QStringLiteral("Este cuadro muestra y refleja\r\n"
                                         "ilustrativamente los diferentes movimientos \r\n"
                                         "que se ejecuten al instante de darle clic a los\r\n"
                                         "botones de comando, viendolos de la parte superior.");

// A point of the blue background, clear of every control.
const QPoint kBackground(10, 10);

bool isDark(QRgb pixel)
{
    return qRed(pixel) < 90 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

bool isWhite(QRgb pixel)
{
    return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240;
}

// The bounding box of the white pixels: the drawing area of a view.
QRect whiteArea(const QImage &image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isWhite(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

bool darkNear(const QImage &image, QPointF point, int radius = 2)
{
    const QPoint centre = point.toPoint();
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = centre + QPoint(dx, dy);
            if (image.valid(p) && isDark(image.pixel(p)))
                return true;
        }
    }
    return false;
}

arm::ArmModel modelAtThePose()
{
    arm::ArmModel model;
    model.load({18, -18, -38, -52});
    model.chainProduct();
    return model;
}

} // namespace

void TestFrmAyudaSimulador::init()
{
    m_area = new QMdiArea;
    m_area->resize(900, 750);
    m_area->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_area));
    m_form = new frmAyudaSimulador(m_area);
    m_form->showIn(m_area);
    QVERIFY(m_form->isLoaded());
}

void TestFrmAyudaSimulador::cleanup()
{
    delete m_area;
    m_area = nullptr;
    m_form = nullptr;
}

QString TestFrmAyudaSimulador::boxText() const
{
    // A line break is a paragraph break in the box; a stray CR would be a fault.
    const QString text = box()->toPlainText();
    if (text.contains(QLatin1Char('\r')))
        return QStringLiteral("<CR in the box>");
    return QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void TestFrmAyudaSimulador::moveTo(QWidget *widget, const QPoint &point)
{
    // Through the window system, so that the application finds the control under the
    // pointer and mouse tracking decides who sees a move without a button pressed.
    QWindow *window = m_area->windowHandle();
    QTest::mouseMove(window, window->mapFromGlobal(widget->mapToGlobal(point)));
}

void TestFrmAyudaSimulador::moveTo(const QPoint &clientPoint)
{
    moveTo(surface(), clientPoint);
}

void TestFrmAyudaSimulador::moveOver(const QString &objectName)
{
    auto *control = surface()->findChild<QWidget *>(objectName);
    QVERIFY2(control, qPrintable(objectName));
    moveTo(control, control->rect().center());
}

void TestFrmAyudaSimulador::design()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(surface()->size(), QSize(721, 549));
    // The frame shows the whole client area.
    QCOMPARE(m_form->size(), QSize(721, 549));
    QCOMPARE(surface()->palette().color(surface()->backgroundRole()), QColor(0, 0, 255));
    QCOMPARE(surface()->grab().toImage().pixelColor(kBackground), QColor(0, 0, 255));

    QCOMPARE(box()->geometry(), QRect(176, 344, 305, 177));
    QCOMPARE(box()->palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(box()->palette().color(QPalette::Base),
             QGuiApplication::palette().color(QPalette::Base));
    QVERIFY(box()->toPlainText().isEmpty());
    QVERIFY(!box()->isReadOnly());
    QCOMPARE(box()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    // First in the tab order: the first of the window's controls that Tab reaches.
    QWidget *first = surface()->nextInFocusChain();
    const auto takesTab = [this](QWidget *widget) {
        return surface()->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus);
    };
    while (first != surface() && !takesTab(first))
        first = first->nextInFocusChain();
    QCOMPARE(first, static_cast<QWidget *>(box()));
}

void TestFrmAyudaSimulador::mouseMove_showsTheSourcesText_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expected");

    QTest::newRow("imgQ1") << "imgQ1" << kQ1;
    QTest::newRow("imgQ2") << "imgQ2" << kQ2;
    QTest::newRow("imgQ3") << "imgQ3" << kQ3;
    QTest::newRow("imgQ4") << "imgQ4" << kQ4;
    QTest::newRow("imgX") << "imgX" << kX;
    QTest::newRow("imgY") << "imgY" << kY;
    QTest::newRow("imgZ") << "imgZ" << kZ;
    QTest::newRow("imgLateral") << "imgLateral" << kLateral;
    QTest::newRow("imgSuperior") << "imgSuperior" << kSuperior;
    QTest::newRow("background") << QString() << kGeneral;
}

void TestFrmAyudaSimulador::mouseMove_showsTheSourcesText()
{
    QFETCH(QString, source);
    QFETCH(QString, expected);

    // From another source first, so that the text really has to change.
    moveOver(source == QLatin1String("imgQ1") ? QStringLiteral("imgZ") : QStringLiteral("imgQ1"));
    if (source.isEmpty())
        moveTo(kBackground);
    else
        moveOver(source);
    QCOMPARE(boxText(), expected);

    // Anywhere over the picture, again and again.
    if (!source.isEmpty()) {
        auto *picture = surface()->findChild<QWidget *>(source);
        moveTo(picture, QPoint(1, 1));
        moveTo(picture, QPoint(picture->width() - 2, picture->height() - 2));
        QCOMPARE(boxText(), expected);
    }
}

void TestFrmAyudaSimulador::mouseMove_overNoHandler_changesNothing_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("imgVistaLateral") << "imgVistaLateral";
    QTest::newRow("txtExplicacion") << "txtExplicacion";
}

void TestFrmAyudaSimulador::mouseMove_overNoHandler_changesNothing()
{
    QFETCH(QString, control);

    moveOver(control);
    QVERIFY(box()->toPlainText().isEmpty());

    moveOver(QStringLiteral("imgQ2"));
    moveOver(control);
    QCOMPARE(boxText(), kQ2);

    // Nor with a button held down: the move stays with the control and goes no further.
    auto *widget = surface()->findChild<QWidget *>(control);
    QWindow *window = m_area->windowHandle();
    const QPoint start = window->mapFromGlobal(widget->mapToGlobal(QPoint(4, 4)));
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(window, start + QPoint(6, 3));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, start + QPoint(6, 3));
    QCOMPARE(boxText(), kQ2);

    moveTo(kBackground);
    moveOver(control);
    QCOMPARE(boxText(), kGeneral);
}

void TestFrmAyudaSimulador::background_bringsBackTheGeneralInstruction()
{
    moveOver(QStringLiteral("imgSuperior"));
    QCOMPARE(boxText(), kSuperior);
    // Between two pictures, over the blue.
    const QRect q1 = m_form->imgQ1->geometry();
    moveTo(QPoint(q1.center().x(), q1.bottom() + 3));
    QCOMPARE(boxText(), kGeneral);

    // The window made larger than designed: the blue beyond the designed area is the
    // background too.
    moveOver(QStringLiteral("imgY"));
    m_form->subWindow()->resize(m_form->subWindow()->size() + QSize(60, 40));
    QCOMPARE(m_form->size(), QSize(781, 589));
    moveTo(m_form, QPoint(760, 570));
    QCOMPARE(boxText(), kGeneral);
}

void TestFrmAyudaSimulador::typedText_isReplacedByTheNextMove()
{
    moveOver(QStringLiteral("imgX"));
    box()->setFocus();
    QTest::keyClicks(box(), QStringLiteral("hola"));
    QVERIFY(box()->toPlainText().contains(QStringLiteral("hola")));

    moveTo(m_form->imgX, QPoint(3, 3));
    QCOMPARE(boxText(), kX);

    QTest::keyClicks(box(), QStringLiteral("adios"));
    moveTo(kBackground);
    QCOMPARE(boxText(), kGeneral);
}

void TestFrmAyudaSimulador::reopening_startsWithAnEmptyBox()
{
    moveOver(QStringLiteral("imgQ4"));
    QCOMPARE(boxText(), kQ4);

    m_form->subWindow()->close();
    QVERIFY(!m_form->isLoaded());

    m_form->showIn(m_area);
    QVERIFY(m_form->isLoaded());
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->size(), QSize(721, 549));
    QVERIFY(box()->toPlainText().isEmpty());
    QVERIFY(!m_form->imgQ1->pixmap().isNull());

    // The reloaded controls answer the pointer as the first ones did.
    moveOver(QStringLiteral("imgQ3"));
    QCOMPARE(boxText(), kQ3);
    moveTo(kBackground);
    QCOMPARE(boxText(), kGeneral);
}

void TestFrmAyudaSimulador::picture_is24BitBitmapStretchedToItsControl_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QSize>("bitmapSize");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("imgQ1") << "imgQ1" << QSize(129, 74) << QRect(480, 480, 1935, 1110);
    QTest::newRow("imgQ2") << "imgQ2" << QSize(128, 69) << QRect(480, 1760, 1935, 1095);
    QTest::newRow("imgQ3") << "imgQ3" << QSize(129, 73) << QRect(480, 3040, 1935, 1095);
    QTest::newRow("imgQ4") << "imgQ4" << QSize(128, 74) << QRect(480, 4320, 1935, 1095);
    QTest::newRow("imgX") << "imgX" << QSize(212, 37) << QRect(3000, 720, 3135, 615);
    QTest::newRow("imgY") << "imgY" << QSize(211, 34) << QRect(3000, 2340, 3135, 615);
    QTest::newRow("imgZ") << "imgZ" << QSize(211, 33) << QRect(3000, 3960, 3135, 615);
    QTest::newRow("imgVistaLateral") << "imgVistaLateral" << QSize(82, 28)
                                     << QRect(7560, 720, 1095, 375);
    QTest::newRow("imgLateral") << "imgLateral" << QSize(300, 204) << QRect(7200, 1200, 3135, 2895);
    QTest::newRow("imgSuperior") << "imgSuperior" << QSize(298, 231)
                                 << QRect(7200, 4080, 3135, 3015);
}

void TestFrmAyudaSimulador::picture_is24BitBitmapStretchedToItsControl()
{
    QFETCH(QString, control);
    QFETCH(QSize, bitmapSize);
    QFETCH(QRect, twips);

    QFile file(frmAyudaSimulador::bitmapPath(control));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.size() > 54);
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    QCOMPARE(qFromLittleEndian<qint32>(data + 18), bitmapSize.width());
    QCOMPARE(std::abs(qFromLittleEndian<qint32>(data + 22)), bitmapSize.height());
    QCOMPARE(qFromLittleEndian<quint16>(data + 28), quint16(24));
    QCOMPARE(qFromLittleEndian<quint32>(data + 30), quint32(0)); // uncompressed

    auto *label = surface()->findChild<QLabel *>(control);
    QVERIFY(label);
    QCOMPARE(label->geometry(), VbUnits::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(label->pixmap().size(), bitmapSize);

    // What the control shows is the whole bitmap stretched over its rectangle.
    const QImage shown = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), label->size());
    const QImage stretched =
        QImage(file.fileName())
            .scaled(label->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = stretched.pixel(x, y);
            const int distance = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b))
                                 + std::abs(qBlue(a) - qBlue(b));
            if (distance > 60)
                ++differing;
        }
    }
    QVERIFY2(differing * 50 < shown.width() * shown.height(),
             qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
}

void TestFrmAyudaSimulador::sideViewPicture_showsTheArmAtThePose()
{
    const QImage picture(frmAyudaSimulador::bitmapPath(QStringLiteral("imgLateral")));
    QVERIFY(!picture.isNull());
    const QRect area = whiteArea(picture);
    QVERIFY(area.width() > picture.width() / 2 && area.height() > picture.height() / 2);

    // The side view's scale: model x + 5 to the right, model z up from the bottom edge.
    constexpr double kWidth = 118.714287;
    constexpr double kHeight = 77.571342;
    auto place = [&](double x, double y) {
        return QPointF(area.left() + x / kWidth * area.width(),
                       area.top() + y / kHeight * area.height());
    };
    const arm::ArmModel model = modelAtThePose();
    for (int frame = 1; frame <= 4; ++frame) {
        const arm::Point3 o = model.jointOrigin(frame);
        QVERIFY2(darkNear(picture, place(o.x + 5, kHeight - o.z)),
                 qPrintable(QStringLiteral("joint %1").arg(frame)));
    }
    const arm::Point3 o1 = model.jointOrigin(1);
    QVERIFY(darkNear(picture, place(5, (35 + kHeight - o1.z) / 2)));   // the base
    const arm::Point3 tool = model.tool();
    const arm::Point3 o4 = model.jointOrigin(4);
    QVERIFY(darkNear(picture, place((o4.x + tool.x) / 2 + 5, kHeight - (o4.z + tool.z) / 2)));
    // Away from the arm the area is white.
    QVERIFY(isWhite(picture.pixel(place(kWidth * 0.75, kHeight * 0.25).toPoint())));
}

void TestFrmAyudaSimulador::topViewPicture_showsTheArmAtThePose()
{
    const QImage picture(frmAyudaSimulador::bitmapPath(QStringLiteral("imgSuperior")));
    QVERIFY(!picture.isNull());
    const QRect area = whiteArea(picture);
    QVERIFY(area.width() > picture.width() / 2 && area.height() > picture.height() / 2);

    constexpr double kWidth = 69.25;
    constexpr double kHeight = 47.25;
    auto place = [&](double x, double y) {
        return QPointF(area.left() + x / kWidth * area.width(),
                       area.top() + y / kHeight * area.height());
    };
    const arm::Point3 tool = modelAtThePose().tool();
    for (double along : {0.25, 0.5, 0.9})
        QVERIFY(darkNear(picture, place(kWidth / 2 + along * tool.x,
                                        kHeight / 2 - along * tool.y)));
    // The segment goes right and up from the centre, not anywhere else.
    const QPointF opposite = place(kWidth / 2 - 0.5 * tool.x, kHeight / 2 + 0.5 * tool.y);
    QVERIFY(isWhite(picture.pixel(opposite.toPoint())));
}

QTEST_MAIN(TestFrmAyudaSimulador)
#include "tst_frmayudasimulador.moc"

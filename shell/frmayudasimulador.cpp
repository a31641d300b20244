#include "frmayudasimulador.h"

#include "controls.h"
#include "vbunits.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>

namespace {

enum Explanation { General, Lateral, Superior, Q1, Q2, Q3, Q4, X, Y, Z, ExplanationCount };

constexpr int kMaxLines = 6;

// What the box says over each source, line by line. The blanks at the ends and inside
// the lines are part of the texts.
const char *const kExplanations[ExplanationCount][kMaxLines] = {
    /* General */ {"Coloque el mouse sobre cada elemento",
                   "para saber su funcionemiento"},
    /* Lateral */ {"Este cuadro muestra y refleja",
                   "ilustrativamente los diferentes movimientos ",
                   "que se ejecuten al instante de darle clic a los",
                   "botones de comando, viendolos de la parte lateral."},
    /* Superior */ {"Este cuadro muestra y refleja",
                    "ilustrativamente los diferentes movimientos ",
                    "que se ejecuten al instante de darle clic a los",
                    "botones de comando, viendolos de la parte superior."},
    /* Q1 */ {"Este cuadro permite controlar las posiciones",
              "del brazo en el eje x.",
              "Al darle clic en el signo mas se reflejara un movimiento en el eje x",
              "que simulara que el brazo se mueve hacia atras.",
              "Al darle clic en el signo menos se reflejara un movimiento en el eje x",
              "que simulara que el brazo se mueve hacia adelante."},
    /* Q2 */ {"Este cuadro permite controlar las posiciones",
              "del brazo en el eje z.",
              "Al darle clic en el signo mas se reflejara un movimiento en el eje z",
              "que simulara que el brazo se mueve hacia abajo.",
              "Al darle clic en el signo menos se reflejara un movimiento en el eje z",
              "que simulara que el brazo se mueve hacia arriba."},
    /* Q3 */ {"Este cuadro permite controlar las posiciones",
              "del brazo del codo a la muñeca.",
              "Al darle clic en el signo mas se reflejara un movimiento en el eje z",
              "que simulara que una parte del brazo (del codo a la muñeca)se mueve hacia abajo.",
              "Al darle clic en el signo menos se reflejara un movimiento en el eje z",
              "que simulara que el brazo se mueve hacia arriba."},
    /* Q4 */ {"Este cuadro permite controlar las posiciones",
              "de la mano del brazo en el eje z.",
              "Al darle clic en el signo mas se reflejara un movimiento en el eje z",
              "que simulara que la mano  se mueve hacia abajo.",
              "Al darle clic en el signo menos se reflejara un movimiento en el eje z",
              "que simulara que la mano se mueve hacia arriba."},
    /* X */ {"Este cuadro muestra las posiciones",
             "es decir las coordenadas con respecto al eje x"},
    /* Y */ {"Este cuadro muestra las posiciones",
             "es decir las coordenadas con respecto al eje y, que es la vista superior"},
    /* Z */ {"Este cuadro muestra las posiciones",
             "es decir las coordenadas con respecto al eje Z, que es la vista lateral"},
};

QStringList lines(Explanation which)
{
    QStringList result;
    for (const char *line : kExplanations[which]) {
        if (line)
            result.append(QString::fromUtf8(line));
    }
    return result;
}

constexpr quint32 kBlue = 0x00FF0000;
constexpr quint32 kBlack = 0x00000000;
constexpr quint32 kRed = 0x000000FF;

} // namespace

frmAyudaSimulador::frmAyudaSimulador(QWidget *parent)
    : MdiForm(parent)
{
    // The bitmaps sit in a static library: naming their initialiser makes the linker keep it.
    Q_INIT_RESOURCE(guia);
    setObjectName(QStringLiteral("frmAyudaSimulador"));
    setWindowTitle(QStringLiteral("Form1"));
    // The whole client area is the form, also where the window is made larger than designed.
    Controls::setBackColor(this, VbUnits::color(kBlue));
    Controls::setForeColor(this, VbUnits::color(kBlack));
    setMouseTracking(true);
}

QString frmAyudaSimulador::bitmapPath(const QString &imageName)
{
    return QStringLiteral(":/guia/%1.bmp").arg(imageName);
}

QSize frmAyudaSimulador::designClientSize() const
{
    return QSize(10815, 8235);
}

void frmAyudaSimulador::createControls(QWidget *surface)
{
    m_mouseMoveHandlers.clear();
    Controls::setBackColor(surface, VbUnits::color(kBlue));
    Controls::setForeColor(surface, VbUnits::color(kBlack));
    // Moves without a button pressed reach only widgets that track the mouse.
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
    m_mouseMoveHandlers.insert(surface, &frmAyudaSimulador::Form_MouseMove);

    // Created first, so first in the tab order.
    txtExplicacion = new QPlainTextEdit(surface);
    txtExplicacion->setObjectName(QStringLiteral("txtExplicacion"));
    txtExplicacion->setGeometry(VbUnits::rect(2640, 5160, 4575, 2655));
    txtExplicacion->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtExplicacion->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The default background of a text box, not the blue the surface hands down.
    QPalette palette = txtExplicacion->palette();
    palette.setColor(QPalette::Base, QGuiApplication::palette().color(QPalette::Base));
    txtExplicacion->setPalette(palette);
    Controls::setForeColor(txtExplicacion, VbUnits::color(kRed));

    imgQ1 = image(surface, "imgQ1", 480, 480, 1935, 1110, &frmAyudaSimulador::imgQ1_MouseMove);
    imgQ2 = image(surface, "imgQ2", 480, 1760, 1935, 1095, &frmAyudaSimulador::imgQ2_MouseMove);
    imgQ3 = image(surface, "imgQ3", 480, 3040, 1935, 1095, &frmAyudaSimulador::imgQ3_MouseMove);
    imgQ4 = image(surface, "imgQ4", 480, 4320, 1935, 1095, &frmAyudaSimulador::imgQ4_MouseMove);
    imgX = image(surface, "imgX", 3000, 720, 3135, 615, &frmAyudaSimulador::imgX_MouseMove);
    imgY = image(surface, "imgY", 3000, 2340, 3135, 615, &frmAyudaSimulador::imgY_MouseMove);
    imgZ = image(surface, "imgZ", 3000, 3960, 3135, 615, &frmAyudaSimulador::imgZ_MouseMove);
    imgVistaLateral = image(surface, "imgVistaLateral", 7560, 720, 1095, 375, nullptr);
    imgLateral = image(surface, "imgLateral", 7200, 1200, 3135, 2895,
                       &frmAyudaSimulador::imgLateral_MouseMove);
    imgSuperior = image(surface, "imgSuperior", 7200, 4080, 3135, 3015,
                        &frmAyudaSimulador::imgSuperior_MouseMove);
}

QLabel *frmAyudaSimulador::image(QWidget *surface, const char *name, int left, int top, int width,
                                 int height, MouseMoveHandler handler)
{
    auto *control = new QLabel(surface);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(VbUnits::rect(left, top, width, height));
    control->setScaledContents(true);
    control->setPixmap(QPixmap(bitmapPath(control->objectName())));
    if (handler) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
        m_mouseMoveHandlers.insert(control, handler);
    } else {
        // A picture without a handler: moving over it leaves the box as it is.
        control->setAttribute(Qt::WA_NoMousePropagation);
    }
    return control;
}

bool frmAyudaSimulador::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const MouseMoveHandler handler = m_mouseMoveHandlers.value(watched);
        if (handler) {
            const auto *move = static_cast<QMouseEvent *>(event);
            (this->*handler)(move->buttons(), move->modifiers(), move->position().x(),
                             move->position().y());
            event->accept();
            return true;
        }
    }
    return MdiForm::eventFilter(watched, event);
}

void frmAyudaSimulador::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove(event->buttons(), event->modifiers(), event->position().x(),
                   event->position().y());
}

void frmAyudaSimulador::explain(const QStringList &lines)
{
    txtExplicacion->setPlainText(lines.join(QStringLiteral("\r\n")));
}

void frmAyudaSimulador::Form_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(General));
}

void frmAyudaSimulador::imgLateral_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(Lateral));
}

void frmAyudaSimulador::imgSuperior_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(Superior));
}

void frmAyudaSimulador::imgQ1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(Q1));
}

void frmAyudaSimulador::imgQ2_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(Q2));
}

void frmAyudaSimulador::imgQ3_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(Q3));
}

void frmAyudaSimulador::imgQ4_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(Q4));
}

void frmAyudaSimulador::imgX_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(X));
}

void frmAyudaSimulador::imgY_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(Y));
}

void frmAyudaSimulador::imgZ_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, qreal, qreal)
{
    explain(lines(Z));
}

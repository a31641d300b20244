#include "frmayudasimulador.h"

#include "controls.h"
#include "designunits.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
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

struct frmAyudaSimulador::Ui : FormControls
{
    using FormControls::FormControls;
    QPlainTextEdit *txtExplicacion = nullptr;
    // Which handler a control's mouse moves go to.
    QHash<QObject *, MouseMoveHandler> mouseMoveHandlers;
};

frmAyudaSimulador::frmAyudaSimulador(QWidget *parent)
    : MdiForm(parent)
{
    setObjectName(QStringLiteral("frmAyudaSimulador"));
    setWindowTitle(QStringLiteral("Form1"));
    // The whole client area is the form, also where the window is made larger than designed.
    Controls::setBackColor(this, DesignUnits::color(kBlue));
    Controls::setForeColor(this, DesignUnits::color(kBlack));
    setMouseTracking(true);
}

QSize frmAyudaSimulador::designClientSize() const
{
    return QSize(10815, 8235);
}

void frmAyudaSimulador::createControls(QWidget *surface)
{
    m_ui = new Ui(surface);
    Controls::setBackColor(surface, DesignUnits::color(kBlue));
    Controls::setForeColor(surface, DesignUnits::color(kBlack));
    // Moves without a button pressed reach only widgets that track the mouse.
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
    m_ui->mouseMoveHandlers.insert(surface, &frmAyudaSimulador::Form_MouseMove);

    // Created first, so first in the tab order.
    auto *box = new QPlainTextEdit(surface);
    box->setObjectName(QStringLiteral("txtExplicacion"));
    box->setAccessibleName(QStringLiteral("Explicación"));
    box->setGeometry(DesignUnits::rect(2640, 5160, 4575, 2655));
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Controls::setForeColor(box, DesignUnits::color(kRed));
    m_ui->txtExplicacion = box;

    using Form = frmAyudaSimulador;
    image(surface, "imgQ1", QStringLiteral("Ángulo Q1"), 480, 480, 1935, 1110, &Form::imgQ1_MouseMove);
    image(surface, "imgQ2", QStringLiteral("Ángulo Q2"), 480, 1760, 1935, 1095, &Form::imgQ2_MouseMove);
    image(surface, "imgQ3", QStringLiteral("Ángulo Q3"), 480, 3040, 1935, 1095, &Form::imgQ3_MouseMove);
    image(surface, "imgQ4", QStringLiteral("Ángulo Q4"), 480, 4320, 1935, 1095, &Form::imgQ4_MouseMove);
    image(surface, "imgX", QStringLiteral("Posición en X"), 3000, 720, 3135, 615, &Form::imgX_MouseMove);
    image(surface, "imgY", QStringLiteral("Posición en Y"), 3000, 2340, 3135, 615, &Form::imgY_MouseMove);
    image(surface, "imgZ", QStringLiteral("Posición en Z"), 3000, 3960, 3135, 615, &Form::imgZ_MouseMove);
    image(surface, "imgVistaLateral", QStringLiteral("Título Vista Lateral"), 7560, 720, 1095, 375, nullptr);
    image(surface, "imgLateral", QStringLiteral("Vista lateral"), 7200, 1200, 3135, 2895, &Form::imgLateral_MouseMove);
    image(surface, "imgSuperior", QStringLiteral("Vista superior"), 7200, 4080, 3135, 3015, &Form::imgSuperior_MouseMove);
}

void frmAyudaSimulador::image(QWidget *surface, const char *name, const QString &description, int left,
                              int top, int width, int height, MouseMoveHandler handler)
{
    auto *control = new QLabel(surface);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(DesignUnits::rect(left, top, width, height));

    control->setAccessibleName(description);
    // Stretched to the control once, as the label would on every paint; only the stretched
    // picture is kept.
    control->setPixmap(QPixmap::fromImage(QImage(QStringLiteral(":/guia/%1.bmp").arg(QLatin1String(name)))
                                              .scaled(control->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    if (handler) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
        m_ui->mouseMoveHandlers.insert(control, handler);
    } else {
        // A picture without a handler: moving over it leaves the box as it is.
        control->setAttribute(Qt::WA_NoMousePropagation);
    }
}

bool frmAyudaSimulador::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const MouseMoveHandler handler = m_ui ? m_ui->mouseMoveHandlers.value(watched) : nullptr;
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
    if (!m_ui)
        return;
    Form_MouseMove(event->buttons(), event->modifiers(), event->position().x(),
                   event->position().y());
}

void frmAyudaSimulador::explain(const QStringList &lines)
{
    m_ui->txtExplicacion->setPlainText(lines.join(QStringLiteral("\r\n")));
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

#include "frmayudasimulador.h"

#include "controls.h"
#include "conversions.h"
#include "designunits.h"
#include "imagecontrol.h"

#include <QImage>
#include <QMouseEvent>
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

} // namespace

struct frmAyudaSimulador::Ui : FormControls
{
    using FormControls::FormControls;
    QPlainTextEdit *txtExplicacion = nullptr;
};

frmAyudaSimulador::frmAyudaSimulador(QWidget *parent)
    : MdiForm(parent)
{
    setObjectName(QStringLiteral("frmAyudaSimulador"));
    setWindowTitle(QStringLiteral("Form1"));
    // The whole client area is the form, also where the window is made larger than designed.
    Controls::setBackColor(this, DesignUnits::color(DesignUnits::kBlue));
    Controls::setForeColor(this, DesignUnits::color(DesignUnits::kBlack));
    setMouseTracking(true);
}

QSize frmAyudaSimulador::designClientSize() const
{
    return QSize(10815, 8235);
}

QString frmAyudaSimulador::accessibleWindowName() const
{
    return QStringLiteral("Form1 - Guía del simulador");
}

void frmAyudaSimulador::createControls(QWidget *surface)
{
    m_ui = new Ui(surface);
    Controls::setBackColor(surface, DesignUnits::color(DesignUnits::kBlue));
    Controls::setForeColor(surface, DesignUnits::color(DesignUnits::kBlack));
    // The bare background's moves go on to the form, which tracks them.
    surface->setMouseTracking(true);

    // Created first, so first in the tab order.
    auto *box = new QPlainTextEdit(surface);
    box->setObjectName(QStringLiteral("txtExplicacion"));
    box->setAccessibleName(QStringLiteral("Explicación"));
    box->setGeometry(DesignUnits::rect(2640, 5160, 4575, 2655));
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab goes on to the pictures instead of typing a tab character.
    box->setTabChangesFocus(true);
    Controls::setForeColor(box, DesignUnits::color(DesignUnits::kRed));
    m_ui->txtExplicacion = box;

    using Form = frmAyudaSimulador;
    explainOver(image(surface, "imgQ1", QStringLiteral("Ángulo Q1"), 480, 480, 1935, 1110), Q1, &Form::imgQ1_MouseMove);
    explainOver(image(surface, "imgQ2", QStringLiteral("Ángulo Q2"), 480, 1760, 1935, 1095), Q2, &Form::imgQ2_MouseMove);
    explainOver(image(surface, "imgQ3", QStringLiteral("Ángulo Q3"), 480, 3040, 1935, 1095), Q3, &Form::imgQ3_MouseMove);
    explainOver(image(surface, "imgQ4", QStringLiteral("Ángulo Q4"), 480, 4320, 1935, 1095), Q4, &Form::imgQ4_MouseMove);
    explainOver(image(surface, "imgX", QStringLiteral("Posición en X"), 3000, 720, 3135, 615), X, &Form::imgX_MouseMove);
    explainOver(image(surface, "imgY", QStringLiteral("Posición en Y"), 3000, 2340, 3135, 615), Y, &Form::imgY_MouseMove);
    explainOver(image(surface, "imgZ", QStringLiteral("Posición en Z"), 3000, 3960, 3135, 615), Z, &Form::imgZ_MouseMove);
    // The caption's picture explains nothing: moving over it leaves the box as it is.
    image(surface, "imgVistaLateral", QStringLiteral("Título Vista Lateral"), 7560, 720, 1095, 375);
    explainOver(image(surface, "imgLateral", QStringLiteral("Vista lateral"), 7200, 1200, 3135, 2895), Lateral,
                &Form::imgLateral_MouseMove);
    explainOver(image(surface, "imgSuperior", QStringLiteral("Vista superior"), 7200, 4080, 3135, 3015), Superior,
                &Form::imgSuperior_MouseMove);
}

ImageControl *frmAyudaSimulador::image(QWidget *surface, const char *name, const QString &description, int left,
                                       int top, int width, int height)
{
    auto *control = new ImageControl(QImage(QStringLiteral(":/guia/%1.bmp").arg(QLatin1String(name))),
                                     DesignUnits::rect(left, top, width, height), surface);
    control->setObjectName(QLatin1String(name));
    control->setAccessibleName(description);
    return control;
}

void frmAyudaSimulador::explainOver(ImageControl *picture, int explanation, void (frmAyudaSimulador::*handler)())
{
    // The keyboard reaches the same text as the pointer: focus on the picture shows it, and
    // a screen reader says it.
    picture->setExplanation(Conversions::joinLines(lines(Explanation(explanation))));
    connect(picture, &ImageControl::mouseMove, this, handler);
    connect(picture, &ImageControl::focused, this, handler);
}

void frmAyudaSimulador::mouseMoveEvent(QMouseEvent *)
{
    if (m_ui)
        Form_MouseMove();
}

void frmAyudaSimulador::explain(const QStringList &lines)
{
    m_ui->txtExplicacion->setPlainText(Conversions::joinLines(lines));
}

void frmAyudaSimulador::Form_MouseMove() { explain(lines(General)); }
void frmAyudaSimulador::imgLateral_MouseMove() { explain(lines(Lateral)); }
void frmAyudaSimulador::imgSuperior_MouseMove() { explain(lines(Superior)); }
void frmAyudaSimulador::imgQ1_MouseMove() { explain(lines(Q1)); }
void frmAyudaSimulador::imgQ2_MouseMove() { explain(lines(Q2)); }
void frmAyudaSimulador::imgQ3_MouseMove() { explain(lines(Q3)); }
void frmAyudaSimulador::imgQ4_MouseMove() { explain(lines(Q4)); }
void frmAyudaSimulador::imgX_MouseMove() { explain(lines(X)); }
void frmAyudaSimulador::imgY_MouseMove() { explain(lines(Y)); }
void frmAyudaSimulador::imgZ_MouseMove() { explain(lines(Z)); }

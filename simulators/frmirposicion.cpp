#include "frmirposicion.h"

#include "armpanel.h"
#include "simulatorform.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

// Beyond the arm's reach on every side, so that a target out of reach can be typed and
// told why.
constexpr double kFarthest = 100.0;

QString describeSolution(const arm::InverseSolution &solution, const QLocale &locale)
{
    QString text = QStringLiteral("Codo %1%2: Q1 %3, Q2 %4, Q3 %5, Q4 %6 — error %7")
                       .arg(solution.elbow == arm::Elbow::Up ? QStringLiteral("arriba") : QStringLiteral("abajo"),
                            solution.baseTurned ? QStringLiteral(", base girada") : QString())
                       .arg(solution.degrees[0])
                       .arg(solution.degrees[1])
                       .arg(solution.degrees[2])
                       .arg(solution.degrees[3])
                       .arg(locale.toString(solution.error, 'f', 3));
    if (solution.belowFloor)
        text += QStringLiteral(" — pasa por debajo del suelo");
    return text;
}

QDoubleSpinBox *coordinate(QWidget *surface, const char *name, double from, double to)
{
    auto *box = new QDoubleSpinBox(surface);
    box->setObjectName(QLatin1String(name));
    box->setRange(from, to);
    box->setDecimals(3);
    box->setSingleStep(0.5);
    return box;
}

} // namespace

struct frmIrAPosicion::Ui : FormControls
{
    using FormControls::FormControls;
    QDoubleSpinBox *txtX = nullptr;
    QDoubleSpinBox *txtY = nullptr;
    QDoubleSpinBox *txtZ = nullptr;
    QCheckBox *chkCabeceo = nullptr;
    QDoubleSpinBox *txtCabeceo = nullptr;
    QLabel *lblResultado = nullptr;
    QListWidget *lstSoluciones = nullptr;
    QPushButton *cmdMover = nullptr;
    const QLocale locale = QLocale::system();
};

frmIrAPosicion::frmIrAPosicion(const QString &caption, QWidget *parent)
    : CompanionForm("frmIrAPosicion", caption, parent)
{
}

frmIrAPosicion::~frmIrAPosicion() = default;

QSize frmIrAPosicion::designClientSize() const
{
    return QSize(7200, 4800);
}

void frmIrAPosicion::createControls(QWidget *surface)
{
    m_ui = new Ui(surface);
    m_ui->txtX = coordinate(surface, "txtX", -kFarthest, kFarthest);
    m_ui->txtY = coordinate(surface, "txtY", -kFarthest, kFarthest);
    m_ui->txtZ = coordinate(surface, "txtZ", -kFarthest, kFarthest);
    m_ui->chkCabeceo = new QCheckBox(QStringLiteral("&Cabeceo (°):"), surface);
    m_ui->chkCabeceo->setObjectName(QStringLiteral("chkCabeceo"));
    m_ui->txtCabeceo = coordinate(surface, "txtCabeceo", -180.0, 180.0);
    m_ui->txtCabeceo->setDecimals(1);
    m_ui->txtCabeceo->setSingleStep(5.0);
    m_ui->txtCabeceo->setEnabled(false);
    m_ui->txtCabeceo->setAccessibleName(QStringLiteral("Cabeceo en grados"));
    m_ui->lblResultado = new QLabel(surface);
    m_ui->lblResultado->setObjectName(QStringLiteral("lblResultado"));
    m_ui->lblResultado->setWordWrap(true);
    m_ui->lstSoluciones = new QListWidget(surface);
    m_ui->lstSoluciones->setObjectName(QStringLiteral("lstSoluciones"));
    m_ui->cmdMover = new QPushButton(QStringLiteral("&Mover"), surface);
    m_ui->cmdMover->setObjectName(QStringLiteral("cmdMover"));
    auto *hint = new QLabel(QStringLiteral("Cabeceo: ángulo de la herramienta sobre la horizontal (0: horizontal "
                                           "hacia fuera, 90: hacia arriba, -90: hacia abajo). Sin marcar, se elige "
                                           "el más cercano a la horizontal que llega al punto."),
                            surface);
    hint->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&X:"), m_ui->txtX);
    form->addRow(QStringLiteral("&Y:"), m_ui->txtY);
    form->addRow(QStringLiteral("&Z:"), m_ui->txtZ);
    form->addRow(m_ui->chkCabeceo, m_ui->txtCabeceo);
    auto *solutions = new QLabel(QStringLiteral("&Soluciones:"), surface);
    solutions->setBuddy(m_ui->lstSoluciones);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ui->cmdMover);
    auto *layout = new QVBoxLayout(surface);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(m_ui->lblResultado);
    layout->addWidget(solutions);
    layout->addWidget(m_ui->lstSoluciones, 1);
    layout->addLayout(buttons);

    for (QDoubleSpinBox *box : {m_ui->txtX, m_ui->txtY, m_ui->txtZ, m_ui->txtCabeceo})
        connect(box, &QDoubleSpinBox::valueChanged, this, &frmIrAPosicion::solve);
    connect(m_ui->chkCabeceo, &QCheckBox::toggled, this, [this](bool fixed) {
        m_ui->txtCabeceo->setEnabled(fixed);
        solve();
    });
    connect(m_ui->lstSoluciones, &QListWidget::itemActivated, this, &frmIrAPosicion::cmdMover_Click);
    connect(m_ui->cmdMover, &QPushButton::clicked, this, &frmIrAPosicion::cmdMover_Click);
}

void frmIrAPosicion::Form_Load()
{
    // Where the tool is now: a target to change from.
    if (simulator() && simulator()->arm()) {
        const arm::Point3 tool = simulator()->arm()->tool();
        const QSignalBlocker x(m_ui->txtX), y(m_ui->txtY), z(m_ui->txtZ);
        m_ui->txtX->setValue(tool.x);
        m_ui->txtY->setValue(tool.y);
        m_ui->txtZ->setValue(tool.z);
    }
    solve();
    m_ui->txtX->setFocus();
}

void frmIrAPosicion::Form_Unload()
{
    if (simulator())
        simulator()->setTarget(std::nullopt);
}

void frmIrAPosicion::solve()
{
    const arm::Point3 target{m_ui->txtX->value(), m_ui->txtY->value(), m_ui->txtZ->value()};
    const std::optional<double> pitch =
        m_ui->chkCabeceo->isChecked() ? std::optional<double>(m_ui->txtCabeceo->value()) : std::nullopt;
    m_result = arm::inverse(target, pitch);
    if (simulator())
        simulator()->setTarget(target);

    m_ui->lstSoluciones->clear();
    if (m_result.status != arm::InverseResult::Status::Reached) {
        m_ui->lblResultado->setText(QString::fromStdString(arm::describe(m_result, m_ui->locale.decimalPoint().at(0).toLatin1())));
        m_ui->cmdMover->setEnabled(false);
        return;
    }
    QString said = m_result.pitchChosen
                       ? QStringLiteral("Cabeceo elegido: %1°.").arg(m_ui->locale.toString(m_result.pitchDeg, 'f', 1))
                       : QStringLiteral("Cabeceo: %1°.").arg(m_ui->locale.toString(m_result.pitchDeg, 'f', 1));
    if (m_result.onAxis)
        said += QStringLiteral(" El punto está sobre el eje de la base: Q1 puede ser cualquiera, se toma 0.");
    m_ui->lblResultado->setText(said);
    for (const arm::InverseSolution &solution : m_result.solutions)
        m_ui->lstSoluciones->addItem(describeSolution(solution, m_ui->locale));
    m_ui->lstSoluciones->setCurrentRow(0);
    m_ui->cmdMover->setEnabled(true);
}

void frmIrAPosicion::cmdMover_Click()
{
    const int row = m_ui->lstSoluciones->currentRow();
    if (!simulator() || !simulator()->arm() || row < 0 || row >= int(m_result.solutions.size()))
        return;
    simulator()->arm()->setJointTexts(m_result.solutions[std::size_t(row)].degrees);
}

#include "frmvista3d.h"

#include "armpanel.h"
#include "armview3d.h"
#include "conversions.h"
#include "simulatorform.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>

#include <cmath>

namespace {

enum Column { kLink, kTheta, kD, kA, kAlpha, kColumns };
constexpr int kLinks = 5;

// The joint angle a link transform was built from, in whole degrees in (-180, 180]: the
// entries take whole degrees, and dividing by the same 3.1416 that made the radians gives
// them back exactly. Read from the model, so that it is the angle drawn even when an entry
// holds a text that does not convert.
int thetaDegrees(const arm::LinkTransform &t)
{
    const long degrees = std::lround(std::atan2(t(2, 1), t(1, 1)) / arm::PI_APPROX * 180.0);
    return degrees == -180 ? 180 : int(degrees);
}

QString toolText(const QString &x, const QString &y, const QString &z)
{
    return QStringLiteral("Herramienta\nX  %1\nY  %2\nZ  %3").arg(x, y, z);
}

} // namespace

struct frmVista3D::Ui : FormControls
{
    using FormControls::FormControls;
    ArmView3D *picVista3D = nullptr;
    QTableWidget *tblParametros = nullptr;
    QLabel *lblHerramienta = nullptr;
    const QLocale locale = QLocale::system();
};

frmVista3D::frmVista3D(const QString &caption, QWidget *parent)
    : CompanionForm("frmVista3D", caption, parent)
{
}

frmVista3D::~frmVista3D() = default;

void frmVista3D::setTarget(const std::optional<arm::Point3> &target)
{
    m_target = target;
    if (m_ui)
        m_ui->picVista3D->setTarget(target);
}

QSize frmVista3D::designClientSize() const
{
    return QSize(7800, 8100);
}

void frmVista3D::createControls(QWidget *surface)
{
    m_ui = new Ui(surface);
    m_ui->picVista3D = new ArmView3D(surface);
    m_ui->picVista3D->setObjectName(QStringLiteral("picVista3D"));

    auto *caption = new QLabel(QStringLiteral("Parámetros de Denavit-Hartenberg"), surface);
    auto *table = new QTableWidget(kLinks, kColumns, surface);
    m_ui->tblParametros = table;
    table->setObjectName(QStringLiteral("tblParametros"));
    caption->setBuddy(table);
    table->setHorizontalHeaderLabels({QStringLiteral("Eslabón"), QStringLiteral("θ (°)"), QStringLiteral("d"),
                                      QStringLiteral("a"), QStringLiteral("α (°)")});
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    // The widest text each column takes. The columns are sized once for them: sized to
    // their contents at every change, the table cost two thirds of the whole 3D drawing.
    const QString widest[kColumns] = {QStringLiteral("5"), QStringLiteral("-180"), QStringLiteral("-00.000"),
                                      QStringLiteral("-00.000"), QStringLiteral("-180")};
    for (int row = 0; row < kLinks; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            auto *item = new QTableWidgetItem(widest[column]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
        setCell(row, kLink, QString::number(row + 1));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Of a fixed size too, like the tool's label below: a new text then lays out nothing
    // but itself.
    table->setFixedSize(table->sizeHint());

    auto *chkMarcos = new QCheckBox(QStringLiteral("Marcos D-H"), surface);
    chkMarcos->setObjectName(QStringLiteral("chkMarcos"));
    connect(chkMarcos, &QCheckBox::toggled, m_ui->picVista3D, &ArmView3D::setFramesShown);
    // Of a fixed size, the widest it can be, for the same reason.
    m_ui->lblHerramienta = new QLabel(toolText(QStringLiteral("-00.000"), QStringLiteral("-00.000"),
                                               QStringLiteral("-00.000")),
                                      surface);
    m_ui->lblHerramienta->setObjectName(QStringLiteral("lblHerramienta"));
    m_ui->lblHerramienta->setFixedSize(m_ui->lblHerramienta->sizeHint());
    // Painted over with its own background: a new position repaints the label alone, not
    // the window and its frame beneath it.
    m_ui->lblHerramienta->setAutoFillBackground(true);
    auto *hint = new QLabel(QStringLiteral("Arrastre o flechas: girar. Rueda, + o -: acercar o alejar. "
                                           "Doble clic o Inicio: vista inicial."),
                            surface);
    hint->setWordWrap(true);

    auto *tableColumn = new QVBoxLayout;
    tableColumn->addWidget(caption);
    tableColumn->addWidget(table);
    auto *sideColumn = new QVBoxLayout;
    sideColumn->addWidget(chkMarcos);
    sideColumn->addWidget(m_ui->lblHerramienta);
    sideColumn->addWidget(hint);
    sideColumn->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(tableColumn);
    bottom->addLayout(sideColumn, 1);
    auto *layout = new QVBoxLayout(surface);
    layout->addWidget(m_ui->picVista3D, 1);
    layout->addLayout(bottom);
}

void frmVista3D::Form_Load()
{
    m_arm = simulator() ? simulator()->arm() : nullptr;
    if (!m_arm)
        return;
    m_target = simulator()->target();
    connect(m_arm, &ArmPanel::armUpdated, m_ui, [this] {
        // Every move, at once: the drawing paints it with the window's next paint.
        m_ui->picVista3D->setModel(m_arm->model());
        showNumbers(m_arm->model());
    });
    // Until the simulator's arm first moves, its poses are not worked out; the same
    // product of the same transforms gives the poses it shows after any move.
    arm::ArmModel now = m_arm->model();
    now.chainProduct();
    for (int row = 0; row < kLinks; ++row) {
        const arm::DhLink &link = now.links[row];
        setCell(row, kD, Conversions::toFixed(link.d, m_ui->locale));
        setCell(row, kA, Conversions::toFixed(link.a, m_ui->locale));
        setCell(row, kAlpha, QString::number(link.alphaDeg));
    }
    m_ui->picVista3D->setModel(now);
    m_ui->picVista3D->setTarget(m_target);
    showNumbers(now);
}


void frmVista3D::setCell(int row, int column, const QString &text)
{
    // A cell written again with the same text would be repainted for nothing.
    QTableWidgetItem *item = m_ui->tblParametros->item(row, column);
    if (item->text() != text)
        item->setText(text);
}

void frmVista3D::showNumbers(const arm::ArmModel &model)
{
    // The links' d, a and alpha are the same in every pose: written at the load.
    for (int row = 0; row < kLinks; ++row)
        setCell(row, kTheta, QString::number(thetaDegrees(model.transform[row])));
    const arm::Point3 tool = model.tool();
    const QString x = Conversions::toFixed(tool.x, m_ui->locale);
    const QString y = Conversions::toFixed(tool.y, m_ui->locale);
    const QString z = Conversions::toFixed(tool.z, m_ui->locale);
    m_ui->lblHerramienta->setText(toolText(x, y, z));
    m_ui->picVista3D->setAccessibleDescription(QStringLiteral("Herramienta en X %1, Y %2, Z %3").arg(x, y, z));
}

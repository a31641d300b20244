#include "frmregistros.h"

#include "controls.h"
#include "messagebox.h"
#include "vbunits.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kTitle = QStringLiteral("Registro de Usuarios");

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

frmRegistros::frmRegistros(QWidget *parent)
    : MdiForm(parent)
{
    setWindowTitle(QStringLiteral("Form1"));
}

frmRegistros::~frmRegistros()
{
    // The record set must let go of the connection before the connection goes.
    if (isLoaded())
        datEmpleados->close();
    m_db.close();
}

QSize frmRegistros::designClientSize() const
{
    return QSize(8460, 2595);
}

void frmRegistros::createControls(QWidget *surface)
{
    Label1 = Controls::label(surface, "Label1", QStringLiteral("Id del Empleado:"), VbUnits::rect(120, 360, 1185, 195));
    Controls::autoSize(Label1);
    Label2 = Controls::label(surface, "Label2", QStringLiteral("Nombre:"), VbUnits::rect(240, 840, 600, 195));
    Controls::autoSize(Label2);
    txtidEmpleado = Controls::textBox(surface, "txtidEmpleado", QString(), VbUnits::rect(1920, 240, 1695, 285));
    txtnombreEmpleado =
        Controls::textBox(surface, "txtnombreEmpleado", QString(), VbUnits::rect(1920, 840, 4935, 285));
    cmdagregar = Controls::button(surface, "cmdagregar", QStringLiteral("&Agregar"), VbUnits::rect(7080, 360, 1215, 495));
    cmdeliminar =
        Controls::button(surface, "cmdeliminar", QStringLiteral("&Eliminar"), VbUnits::rect(7080, 1200, 1215, 495));
    datEmpleados = new RecordNavigator(surface);
    datEmpleados->setObjectName(QStringLiteral("datEmpleados"));
    datEmpleados->setGeometry(VbUnits::rect(960, 2040, 6060, 345));
    datEmpleados->bind(txtidEmpleado, QStringLiteral("IdEmpleado"));
    datEmpleados->bind(txtnombreEmpleado, QStringLiteral("Nombre"));

    Controls::setTabOrder({txtidEmpleado, txtnombreEmpleado, cmdagregar, cmdeliminar});

    connect(cmdagregar, &QPushButton::clicked, this, &frmRegistros::cmdagregar_Click);
    connect(cmdeliminar, &QPushButton::clicked, this, &frmRegistros::cmdeliminar_Click);
    connect(datEmpleados, &RecordNavigator::failed, this, &frmRegistros::datEmpleados_Failed);
}

void frmRegistros::Form_Load()
{
    switch (m_db.open()) {
    case EmpleadosDb::Status::Failed:
        warn(QStringLiteral("No se pudo abrir la base de datos de empleados %1: %2.\n"
                            "El archivo no se ha modificado. Compruebe que es la base de datos de este "
                            "programa o restaure su copia de seguridad, y vuelva a abrir esta ventana.")
                 .arg(shownPath(m_db.path()), m_db.errorText()));
        return;
    case EmpleadosDb::Status::ReadOnly:
        warn(QStringLiteral("La base de datos de empleados %1 es de solo lectura: %2.\n"
                            "Puede ver los registros, pero no agregarlos, cambiarlos ni eliminarlos. "
                            "Compruebe los permisos del archivo y de su carpeta.")
                 .arg(shownPath(m_db.path()), m_db.errorText()));
        datEmpleados->open(m_db.database(), EmpleadosDb::tableName(), true);
        return;
    case EmpleadosDb::Status::Open:
    case EmpleadosDb::Status::Closed:
        datEmpleados->open(m_db.database(), EmpleadosDb::tableName());
        return;
    }
}

void frmRegistros::closeEvent(QCloseEvent *event)
{
    if (!savePending()) {
        event->ignore();
        return;
    }
    MdiForm::closeEvent(event);
}

void frmRegistros::Form_Unload()
{
    datEmpleados->close();
    m_db.close();
}

void frmRegistros::Form_Activate()
{
    datEmpleados->setCaption(QStringLiteral("inicio de sesion"));
}

bool frmRegistros::savePending()
{
    return !isLoaded() || datEmpleados->savePending();
}

void frmRegistros::cmdagregar_Click()
{
    if (!datEmpleados->isOpen()) {
        warn(QStringLiteral("No se puede agregar: la base de datos de empleados no está abierta.\n"
                            "Cierre esta ventana y vuelva a abrirla cuando el archivo esté disponible."));
        return;
    }
    if (datEmpleados->isReadOnly()) {
        warn(QStringLiteral("No se puede agregar: la base de datos de empleados es de solo lectura."));
        return;
    }
    // A refusal to write the record on screen first has been reported by the navigator.
    if (!datEmpleados->addNew())
        return;
    txtidEmpleado->setFocus();
    datEmpleados->setCaption(QStringLiteral("proceso de agregado"));
}

void frmRegistros::cmdeliminar_Click()
{
    if (datEmpleados->isReadOnly()) {
        warn(QStringLiteral("No se puede eliminar: la base de datos de empleados es de solo lectura."));
        return;
    }
    if (!datEmpleados->hasCurrentRecord()) {
        warn(QStringLiteral("No hay un registro guardado que eliminar: la tabla está vacía, el registro ya se "
                            "eliminó o el nuevo aún no se ha guardado.\n"
                            "Muévase a un registro con los botones de navegación y vuelva a intentarlo."));
        return;
    }
    if (!datEmpleados->deleteCurrent())
        return;
    txtidEmpleado->setFocus();
    datEmpleados->setCaption(QStringLiteral("se eliminò el registro que està viendo"));
}

void frmRegistros::datEmpleados_Failed(RecordNavigator::Failure what, const QString &engineMessage)
{
    switch (what) {
    case RecordNavigator::Failure::Open:
        warn(QStringLiteral("No se pudo abrir la tabla Empleados: %1.\nEl archivo no se ha modificado.")
                 .arg(engineMessage));
        return;
    case RecordNavigator::Failure::Write:
        warn(QStringLiteral("No se pudo guardar el registro: %1.\n"
                            "Corrija el identificador y vuelva a intentarlo; lo escrito sigue en pantalla.")
                 .arg(engineMessage));
        return;
    case RecordNavigator::Failure::Delete:
        warn(QStringLiteral("No se pudo eliminar el registro: %1.\nEl registro sigue en la tabla.")
                 .arg(engineMessage));
        return;
    }
}

void frmRegistros::warn(const QString &text)
{
    MessageBox::show(this, text, kTitle);
}

#include "frmregistros.h"

#include "controls.h"
#include "conversions.h"
#include "messagebox.h"
#include "designunits.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <utility>

namespace {

const QString kTitle = QStringLiteral("Registro de Usuarios");

} // namespace

struct frmRegistros::Ui : FormControls
{
    using FormControls::FormControls;
    QLineEdit *txtidEmpleado = nullptr;
    QLineEdit *txtnombreEmpleado = nullptr;
    RecordNavigator *datEmpleados = nullptr;
};

frmRegistros::frmRegistros(const QString &databasePath, QWidget *parent)
    : MdiForm(parent)
    , m_db(databasePath)
{
    setObjectName(QStringLiteral("frmRegistros"));
    setWindowTitle(QStringLiteral("Form1"));
}

frmRegistros::~frmRegistros()
{
    // The record set must let go of the connection before the connection goes.
    if (isLoaded())
        m_ui->datEmpleados->close();
    m_db.close();
}

QSize frmRegistros::designClientSize() const
{
    return QSize(8460, 2595);
}

QString frmRegistros::accessibleWindowName() const
{
    return QStringLiteral("Form1 - Registro de Usuarios");
}

void frmRegistros::createControls(QWidget *surface)
{
    using DesignUnits::rect;

    m_ui = new Ui(surface);
    QLabel *idCaption = Controls::label(surface, "Label1", QStringLiteral("Id del Empleado:"), rect(120, 360, 1185, 195));
    Controls::autoSize(idCaption);
    QLabel *nameCaption = Controls::label(surface, "Label2", QStringLiteral("Nombre:"), rect(240, 840, 600, 195));
    Controls::autoSize(nameCaption);
    m_ui->txtidEmpleado = Controls::textBox(surface, "txtidEmpleado", QString(), rect(1920, 240, 1695, 285));
    m_ui->txtnombreEmpleado = Controls::textBox(surface, "txtnombreEmpleado", QString(), rect(1920, 840, 4935, 285));
    // The captions name their boxes for a screen reader.
    idCaption->setBuddy(m_ui->txtidEmpleado);
    nameCaption->setBuddy(m_ui->txtnombreEmpleado);
    QPushButton *add = Controls::button(surface, "cmdagregar", QStringLiteral("&Agregar"), rect(7080, 360, 1215, 495));
    QPushButton *remove = Controls::button(surface, "cmdeliminar", QStringLiteral("&Eliminar"), rect(7080, 1200, 1215, 495));
    m_ui->datEmpleados = new RecordNavigator(surface);
    m_ui->datEmpleados->setObjectName(QStringLiteral("datEmpleados"));
    m_ui->datEmpleados->setAccessibleName(QStringLiteral("Registros de empleados"));
    m_ui->datEmpleados->setGeometry(rect(960, 2040, 6060, 345));
    m_ui->datEmpleados->bind(m_ui->txtidEmpleado, QStringLiteral("IdEmpleado"));
    m_ui->datEmpleados->bind(m_ui->txtnombreEmpleado, QStringLiteral("Nombre"));
    m_ui->datEmpleados->setNoRecordHint(QStringLiteral("Pulse «Agregar» para añadir un empleado"));

    Controls::setTabOrder(surface, {"txtidEmpleado", "txtnombreEmpleado", "cmdagregar", "cmdeliminar"});

    connect(add, &QPushButton::clicked, this, &frmRegistros::cmdagregar_Click);
    connect(remove, &QPushButton::clicked, this, &frmRegistros::cmdeliminar_Click);
    connect(m_ui->datEmpleados, &RecordNavigator::failed, this, &frmRegistros::datEmpleados_Failed);
    connect(m_ui->datEmpleados, &RecordNavigator::moved, this, &frmRegistros::datEmpleados_Moved);
}

void frmRegistros::Form_Load()
{
    const QString file = QDir::toNativeSeparators(m_db.path());
    switch (m_db.open()) {
    case EmpleadosDb::Status::Failed:
        warn({QStringLiteral("No se pudo abrir la base de datos de empleados %1: %2.").arg(file, m_db.errorText()),
              QStringLiteral("El archivo no se ha modificado. Compruebe que es la base de datos de este programa o "
                             "restaure su copia de seguridad, y vuelva a abrir esta ventana.")});
        return;
    case EmpleadosDb::Status::InUse:
        warn({QStringLiteral("La base de datos de empleados %1 está en uso por otro programa.").arg(file),
              QStringLiteral("Ciérrelo y vuelva a abrir esta ventana.")});
        return;
    case EmpleadosDb::Status::ReadOnly:
        warn({QStringLiteral("La base de datos de empleados %1 es de solo lectura: %2.").arg(file, m_db.errorText()),
              QStringLiteral("Puede ver los registros, pero no agregarlos, cambiarlos ni eliminarlos. Compruebe "
                             "los permisos del archivo y de su carpeta.")});
        openRecords(true);
        return;
    case EmpleadosDb::Status::Open:
        if (openRecords(false))
            m_kept = m_db.keptRecord();
        return;
    }
}

bool frmRegistros::openRecords(bool readOnly)
{
    if (m_ui->datEmpleados->open(m_db.createModel(), readOnly))
        return true;
    warn({QStringLiteral("No se pudo leer la tabla Empleados: %1.").arg(m_db.explain(m_ui->datEmpleados->lastError())),
          QStringLiteral("El archivo no se ha modificado.")});
    return false;
}

void frmRegistros::closeEvent(QCloseEvent *event)
{
    if (isLoaded() && !m_ui->datEmpleados->savePending()) {
        const QString why = m_db.explain(m_ui->datEmpleados->lastError());
        const QString question = Conversions::joinLines(
            {QStringLiteral("No se pudo guardar el registro: %1.").arg(why),
             QStringLiteral("¿Cerrar de todos modos? El registro se guardará aparte y volverá a aparecer la próxima "
                            "vez que abra el registro de usuarios."),
             QStringLiteral("Elija No para seguir editándolo.")});
        if (!MessageBox::ask(this, question, kTitle)) {
            event->ignore();
            return;
        }
        if (!m_db.keepRecord(shownRecord())) {
            warn({QStringLiteral("Tampoco se pudo guardar el registro aparte, junto a %1. La ventana sigue abierta "
                                 "con lo escrito.")
                      .arg(QDir::toNativeSeparators(m_db.path()))});
            event->ignore();
            return;
        }
    }
    MdiForm::closeEvent(event);
}

void frmRegistros::keepPendingForExit()
{
    if (isLoaded() && !m_ui->datEmpleados->savePending() && !m_db.keepRecord(shownRecord())) {
        std::fprintf(stderr, "brazo: no se pudo guardar el registro pendiente (%s) junto a %s\n",
                     qUtf8Printable(shownRecord().id), qUtf8Printable(m_db.path()));
    }
}

void frmRegistros::Form_Unload()
{
    m_ui->datEmpleados->close();
    m_db.close();
    m_kept.reset();
    m_showingKept = false;
}

void frmRegistros::Form_Activate()
{
    m_ui->datEmpleados->setCaption(QStringLiteral("inicio de sesion"));
    if (!m_kept)
        return;
    // The record the database refused last time comes back as a new record, to be written
    // like any other.
    const EmpleadosDb::Record kept = *std::exchange(m_kept, std::nullopt);
    // Nothing can be pending yet; if the record cannot begin, it waits in its file.
    if (!m_ui->datEmpleados->addNew())
        return;
    m_ui->txtidEmpleado->setText(kept.id);
    m_ui->txtnombreEmpleado->setText(kept.name);
    m_ui->txtidEmpleado->setFocus();
    m_ui->datEmpleados->setCaption(QStringLiteral("proceso de agregado"));
    m_showingKept = true;
    showMessageLater(QStringLiteral("Este registro no se pudo guardar la última vez y se guardó aparte. "
                                    "Revíselo y muévase a otro registro para guardarlo en la base de datos."),
                     kTitle);
}

void frmRegistros::datEmpleados_Moved()
{
    // The kept record has been written, or left blank and dropped.
    if (m_showingKept && !m_ui->datEmpleados->isAddingNew()) {
        m_db.forgetKeptRecord();
        m_showingKept = false;
    }
}

EmpleadosDb::Record frmRegistros::shownRecord() const
{
    return {m_ui->txtidEmpleado->text(), m_ui->txtnombreEmpleado->text()};
}

void frmRegistros::cmdagregar_Click()
{
    if (!m_ui->datEmpleados->isOpen()) {
        warn({QStringLiteral("No se puede agregar: la base de datos de empleados no está abierta."),
              QStringLiteral("Cierre esta ventana y vuelva a abrirla cuando el archivo esté disponible.")});
        return;
    }
    if (m_ui->datEmpleados->isReadOnly()) {
        warn({QStringLiteral("No se puede agregar: la base de datos de empleados es de solo lectura.")});
        return;
    }
    // The record on screen is written first, and may be refused.
    if (!m_ui->datEmpleados->addNew()) {
        warnNotSaved(m_ui->datEmpleados->lastError());
        return;
    }
    m_ui->txtidEmpleado->setFocus();
    m_ui->datEmpleados->setCaption(QStringLiteral("proceso de agregado"));
}

void frmRegistros::cmdeliminar_Click()
{
    if (!m_ui->datEmpleados->isOpen()) {
        warn({QStringLiteral("No se puede eliminar: la base de datos de empleados no está abierta."),
              QStringLiteral("Cierre esta ventana y vuelva a abrirla cuando el archivo esté disponible.")});
        return;
    }
    if (m_ui->datEmpleados->isReadOnly()) {
        warn({QStringLiteral("No se puede eliminar: la base de datos de empleados es de solo lectura.")});
        return;
    }
    if (!m_ui->datEmpleados->hasCurrentRecord()) {
        warn({QStringLiteral("No hay un registro guardado que eliminar: la tabla está vacía, el registro ya se "
                             "eliminó o el nuevo aún no se ha guardado."),
              QStringLiteral("Muévase a un registro con los botones de navegación y vuelva a intentarlo.")});
        return;
    }
    if (!m_ui->datEmpleados->deleteCurrent()) {
        warn({QStringLiteral("No se pudo eliminar el registro: %1.").arg(m_db.explain(m_ui->datEmpleados->lastError())),
              QStringLiteral("El registro sigue en la tabla.")});
        return;
    }
    m_ui->txtidEmpleado->setFocus();
    m_ui->datEmpleados->setCaption(QStringLiteral("se eliminò el registro que està viendo"));
}

void frmRegistros::datEmpleados_Failed(const QSqlError &error)
{
    warnNotSaved(error);
}

void frmRegistros::warnNotSaved(const QSqlError &error)
{
    warn({QStringLiteral("No se pudo guardar el registro: %1.").arg(m_db.explain(error)),
          QStringLiteral("Lo escrito sigue en pantalla: corríjalo o vuelva a intentarlo.")});
}

void frmRegistros::warn(const QStringList &lines)
{
    MessageBox::show(this, Conversions::joinLines(lines), kTitle);
}

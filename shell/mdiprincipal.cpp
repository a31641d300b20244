#include "mdiprincipal.h"

#include "conversions.h"
#include "designunits.h"
#include "frameclock.h"
#include "frmayudasimulador.h"
#include "frmbrazo.h"
#include "frmcomserial.h"
#include "frminternetservidor.h"
#include "frmpuertoserie.h"
#include "frmregistros.h"
#include "frmservidor.h"
#include "messagebox.h"
#include "messagerecorder.h"
#include "programclock.h"
#include "serialportchoice.h"
#include "stopsignals.h"

#include <QCloseEvent>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

MDIPrincipal::MDIPrincipal(const Settings &settings, QWidget *parent)
    : QMainWindow(parent)
    , m_settings(settings)
    , m_area(new QMdiArea(this))
    , m_preferences(settings.preferencesFile)
    , m_serialPort(new SerialPortChoice(settings.serialDevice, this))
    , m_recorder(new MessageRecorder(this))
{
    // The recording's clock and the monitors' start with the main window.
    ProgramClock::ms();
    // Every child window is painted with the frame, once a frame of the screen.
    FrameClock::of(this);
    setObjectName(QStringLiteral("MDIPrincipal"));
    setWindowTitle(QStringLiteral("MDIForm1"));
    m_area->setBackground(DesignUnits::color(DesignUnits::kMenu));
    setCentralWidget(m_area);
    createMenus();
    connect(StopSignals::instance(), &StopSignals::stopRequested, this, &MDIPrincipal::endProgram);
    connect(m_serialPort, &SerialPortChoice::chosen, this,
            [this](const QString &device) { m_preferences.setSerialPort(device); });
    connect(m_serialPort, &SerialPortChoice::chooserRequested, this, &MDIPrincipal::showPortChooser);
    connect(m_recorder, &MessageRecorder::writeFailed, this,
            [this](const QString &reason) { recordingFailed(m_recorder->fileName(), reason, false); });
    if (!settings.messageLog.isEmpty() && !m_recorder->open(settings.messageLog))
        recordingFailed(settings.messageLog, m_recorder->errorString(), true);
    // The client area when the frame is restored; it opens maximized.
    resize(DesignUnits::px(10815), DesignUnits::px(8235) + menuBar()->sizeHint().height());
}

void MDIPrincipal::showAtStart()
{
    showMaximized();
}

QMenu *MDIPrincipal::addMenu(QMenu *parent, const char *name, const QString &caption)
{
    QMenu *menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

template <typename Handler>
QAction *MDIPrincipal::addEntry(QMenu *menu, const char *name, const QString &caption, Handler handler)
{
    QAction *action = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void MDIPrincipal::createMenus()
{
    addEntry(nullptr, "mnuSalir", QStringLiteral("&Salir"), &MDIPrincipal::mnuSalir_Click);

    QMenu *mnuVer = addMenu(nullptr, "mnuVer", QStringLiteral("&Ver"));
    QMenu *mnuVer_Comunicacion = addMenu(mnuVer, "mnuVer_Comunicacion", QStringLiteral("&Asistente de Comunicacion"));
    addEntry(mnuVer_Comunicacion, "mnuVer_Comunicacion_Internet", QStringLiteral("Maquina &Internet"),
             &MDIPrincipal::mnuVer_Comunicacion_Internet_Click);
    addEntry(mnuVer_Comunicacion, "mnuVer_Comunicacion_MaquinaSeral", QStringLiteral("Maquina &Serial"),
             &MDIPrincipal::mnuVer_Comunicacion_MaquinaSeral_Click);
    addEntry(mnuVer, "mnuVer_RegistroUsuarios", QStringLiteral("&Registro de Usuarios"),
             &MDIPrincipal::mnuVer_RegistroUsuarios_Click);

    QMenu *mnuControlar = addMenu(nullptr, "mnuControlar", QStringLiteral("&Controlar desde..."));
    addEntry(mnuControlar, "mnuControlar_Internet", QStringLiteral("&Internet"),
             &MDIPrincipal::mnuControlar_Internet_Click);
    addEntry(mnuControlar, "mnuControlar_MaquinaSerial", QStringLiteral("&Maquina Serial"),
             &MDIPrincipal::mnuControlar_MaquinaSerial_Click);

    QMenu *mnuAyuda = addMenu(nullptr, "mnuAyuda", QStringLiteral("&Ayuda"));
    QMenu *mnuAyuda_Informacion = addMenu(mnuAyuda, "mnuAyuda_Informacion", QStringLiteral("&Informacion General"));
    addEntry(mnuAyuda_Informacion, "mnuAyuda_Informacion_Plantel", QStringLiteral("&Plantel"),
             &MDIPrincipal::mnuAyuda_Informacion_Plantel_Click);
    addEntry(mnuAyuda_Informacion, "mnuAyuda_Informacion_Profesor", QStringLiteral("P&rofesor"),
             &MDIPrincipal::mnuAyuda_Informacion_Profesor_Click);
    addEntry(mnuAyuda_Informacion, "mnuayuda_Informacion_Integrantes", QStringLiteral("&Integrantes"),
             &MDIPrincipal::mnuayuda_Informacion_Integrantes_Click);
    addEntry(mnuAyuda_Informacion, "mnuAyuda_Informacion_Objetivo", QStringLiteral("&Objetivo"),
             &MDIPrincipal::mnuAyuda_Informacion_Objetivo_Click);
    addEntry(mnuAyuda, "mnuAyuda_Simulador", QStringLiteral("¿&Como Utilizar el Simulador?"),
             &MDIPrincipal::mnuAyuda_Simulador_Click);
}

template <typename Form, typename... Arguments>
Form *MDIPrincipal::openChild(Form *&reference, const Arguments &...arguments)
{
    if (!reference)
        reference = new Form(arguments..., this);
    reference->showIn(m_area);
    return reference;
}

void MDIPrincipal::recordingFailed(const QString &fileName, const QString &reason, bool atStart)
{
    const QString why = QStringLiteral("No se puede escribir el registro de mensajes %1: %2.")
                            .arg(QDir::toNativeSeparators(fileName), reason);
    // Whoever named the file on the command line looks at the standard error; from the
    // desktop, another file can be chosen in a simulator's monitor.
    if (atStart)
        std::fprintf(stderr, "brazo: %s Los simuladores siguen sin registrar; elija otro archivo con "
                             "--registro-mensajes.\n",
                     qUtf8Printable(why));
    const QString what = QStringLiteral("Los simuladores siguen sin grabar; elija otro archivo con «Grabar…» en el "
                                        "monitor de un simulador.");
    // The box waits for the frame to be on screen and for the receive that failed to end.
    QTimer::singleShot(0, this, [this, why, what] {
        MessageBox::show(this, Conversions::joinLines({why, what}), QStringLiteral("Registro de mensajes"));
    });
}

void MDIPrincipal::showPortChooser()
{
    if (!m_portChooser)
        m_portChooser = new frmPuertoSerie(m_serialPort, this);
    m_portChooser->showIn(m_area);
}

void MDIPrincipal::mnuSalir_Click()
{
    endProgram();
}

void MDIPrincipal::endProgram()
{
    // The program ends at once and no window's closing step runs. A record typed into the
    // registry and not yet written is written first, or kept beside the database for the
    // next opening when the database refuses it; the recording is on disk already.
    if (m_forms.frmRegistros)
        m_forms.frmRegistros->keepPendingForExit();
    m_recorder->close();
    std::fflush(nullptr);
    std::_Exit(0);
}

void MDIPrincipal::mnuVer_Comunicacion_Internet_Click() { openChild(m_forms.frmServidor, m_settings.tcpPort); }
void MDIPrincipal::mnuVer_Comunicacion_MaquinaSeral_Click()
{
    openChild(m_forms.frmComSerial, m_serialPort);
}

void MDIPrincipal::mnuVer_RegistroUsuarios_Click() { openChild(m_forms.frmRegistros, m_settings.registryPath); }
void MDIPrincipal::mnuControlar_Internet_Click()
{
    openChild(m_forms.frmInternetServidor, m_settings.tcpPort)->setRecorder(m_recorder);
}

void MDIPrincipal::mnuControlar_MaquinaSerial_Click()
{
    openChild(m_forms.frmBrazo, m_serialPort)->setRecorder(m_recorder);
}

void MDIPrincipal::mnuAyuda_Simulador_Click() { openChild(m_forms.frmAyudaSimulador); }

void MDIPrincipal::mnuAyuda_Informacion_Plantel_Click()
{
    MessageBox::show(this, m_settings.schoolTexts.school, QStringLiteral("Nombre del Plantel"));
}

void MDIPrincipal::mnuAyuda_Informacion_Profesor_Click()
{
    MessageBox::show(this, m_settings.schoolTexts.teacher, QStringLiteral("Nombre del Profesor"));
}

void MDIPrincipal::mnuayuda_Informacion_Integrantes_Click()
{
    MessageBox::show(this, Conversions::joinLines(m_settings.schoolTexts.members), QStringLiteral("Integrantes"));
}

void MDIPrincipal::mnuAyuda_Informacion_Objetivo_Click()
{
    const QStringList lines = {QStringLiteral("Simular por medio de una aplicacion por computadora el manejo"),
                               QStringLiteral("y la manipulacion de un brazo robotico cuyas applicaciones practicas se"),
                               QStringLiteral("reflejen directamente en las areas de la industria, tanto de fabricacion"),
                               QStringLiteral("Como de servicios")};
    MessageBox::show(this, Conversions::joinLines(lines), QStringLiteral("Objetivo"));
}

void MDIPrincipal::closeEvent(QCloseEvent *event)
{
    // Every open child closes first, running its own closing step.
    m_area->closeAllSubWindows();
    for (QMdiSubWindow *window : m_area->subWindowList()) {
        if (window->isVisible()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

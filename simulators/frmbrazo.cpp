#include "frmbrazo.h"

#include "armpanel.h"
#include "controls.h"
#include "designunits.h"
#include "seriallink.h"

namespace {

const QString kCaption = QStringLiteral("Torvane Electronico");
constexpr quint32 kBlue = 0x00FF0000;

} // namespace

struct frmBrazo::Ui : FormControls
{
    using FormControls::FormControls;
    ArmPanel *arm = nullptr;
    SerialLink *Comm1 = nullptr;
};

frmBrazo::frmBrazo(const Settings &settings, QWidget *parent)
    : MdiForm(parent)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("frmBrazo"));
    setWindowTitle(kCaption);
    Controls::setBackColor(this, DesignUnits::color(kBlue));
}

frmBrazo::~frmBrazo() = default;

QSize frmBrazo::designClientSize() const
{
    return QSize(10815, 7950);
}

void frmBrazo::createControls(QWidget *surface)
{
    using DesignUnits::rect;

    m_ui = new Ui(surface);
    ArmPanelLayout layout;
    layout.vislat = rect(6480, 480, 870, 195);
    layout.Label1 = rect(600, 480, 975, 195);
    layout.picSuperior = rect(600, 840, 4215, 2895);
    layout.picLateral = rect(6360, 840, 4215, 2895);
    layout.lblY = rect(360, 840, 255, 255);
    layout.lblXsup = rect(4560, 3720, 255, 255);
    layout.lblZ = rect(6120, 840, 255, 255);
    layout.lblX = rect(10320, 3720, 255, 255);
    layout.lblPosicionX = rect(2160, 4440, 1185, 195);
    layout.lblPosicionY = rect(4800, 4440, 1185, 195);
    layout.lblPosicionZ = rect(7440, 4440, 1185, 195);
    layout.txtPosicionX = rect(2040, 5040, 1455, 495);
    layout.txtPosicionY = rect(4680, 5040, 1455, 495);
    layout.txtPosicionZ = rect(7320, 5040, 1455, 495);
    layout.txtQ1 = rect(1440, 6360, 1215, 495);
    layout.txtQ2 = rect(3675, 6360, 1215, 495);
    layout.txtQ3 = rect(5925, 6360, 1215, 495);
    layout.txtQ4 = rect(8160, 6360, 1215, 495);
    m_ui->arm = new ArmPanel(surface, layout);
    Controls::setTabOrder(surface, {"picLateral", "picSuperior", "txtPosicionX", "txtPosicionY",
                                    "txtPosicionZ", "txtQ1", "txtQ2", "txtQ3", "txtQ4"});

    // A control of the window: it goes with the surface when the window closes, and the
    // port with it.
    m_ui->Comm1 = new SerialLink(surface);
    m_ui->Comm1->setObjectName(QStringLiteral("Comm1"));
    connect(m_ui->Comm1, &SerialLink::commEvent, this, &frmBrazo::Comm1_OnComm);
    connect(m_ui->Comm1, &SerialLink::communicationError, this, &frmBrazo::Comm1_Error);
}

void frmBrazo::Form_Load()
{
    m_ui->arm->Form_Load();
    // A 1024-byte buffer, reads that take everything, 19200,n,8,1, no handshaking, DTR
    // off, NULs kept: the defaults.
    SerialSettings serial;
    serial.device = m_settings.serialDevice;
    if (!m_ui->Comm1->open(serial)) {
        showMessageLater(QStringLiteral("No se pudo abrir el puerto serie %1: %2.\r\n"
                                        "El brazo se puede mover escribiendo los ángulos. Cierre la "
                                        "otra ventana o programa que use el puerto, o indique otro "
                                        "dispositivo con --puerto-serie.")
                             .arg(serial.device, m_ui->Comm1->errorString()),
                         kCaption);
    }
}

void frmBrazo::Comm1_OnComm()
{
    // Whatever the event, everything waiting is one message; an empty read changes nothing.
    const QString received = m_ui->Comm1->input();
    const JointMessageOutcome outcome = m_ui->arm->JointMessage(received);
    if (m_recorder)
        m_recorder->record(QStringLiteral("serie"), received, outcome);
}

void frmBrazo::Comm1_Error(const QString &device, const QString &reason)
{
    showMessageLater(QStringLiteral("Falló la comunicación por el puerto serie %1: %2.\r\n"
                                    "El brazo se puede seguir moviendo escribiendo los ángulos; "
                                    "cierre y vuelva a abrir esta ventana para volver a usar el puerto.")
                         .arg(device, reason),
                     kCaption);
}

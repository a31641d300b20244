#include "frmbrazo.h"

#include "controls.h"
#include "picturearea.h"
#include "vbunits.h"

#include <QLineEdit>
#include <QList>

namespace {

const QString kCaption = QStringLiteral("Torvane Electronico");
constexpr quint32 kBlue = 0x00FF0000;

} // namespace

frmBrazo::frmBrazo(QWidget *parent)
    : MdiForm(parent)
{
    setObjectName(QStringLiteral("frmBrazo"));
    setWindowTitle(kCaption);
    Controls::setBackColor(this, VbUnits::color(kBlue));
}

frmBrazo::~frmBrazo() = default;

QSize frmBrazo::designClientSize() const
{
    return QSize(10815, 7950);
}

void frmBrazo::createControls(QWidget *surface)
{
    using VbUnits::rect;

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
    m_arm = new ArmPanel(surface, layout);

    // The two views take the keyboard focus like the entries, first in the tab order.
    m_arm->picLateral->setFocusPolicy(Qt::StrongFocus);
    m_arm->picSuperior->setFocusPolicy(Qt::StrongFocus);
    Controls::setTabOrder({m_arm->picLateral, m_arm->picSuperior,
                          m_arm->txtPosicionX, m_arm->txtPosicionY,
                          m_arm->txtPosicionZ, m_arm->txtQ1, m_arm->txtQ2,
                          m_arm->txtQ3, m_arm->txtQ4});

    // A control of the window: it goes with the surface when the window closes, and the
    // port with it.
    Comm1 = new SerialLink(surface);
    Comm1->setObjectName(QStringLiteral("Comm1"));
    connect(Comm1, &SerialLink::commEvent, this, &frmBrazo::Comm1_OnComm);
    connect(Comm1, &SerialLink::communicationError, this, &frmBrazo::Comm1_Error);
}

void frmBrazo::Form_Load()
{
    m_arm->Form_Load();
    // Port 1, 1024-byte buffer, reads take everything, 19200,n,8,1, an event per byte
    // received and per send, no handshaking, DTR off, NULs kept: the defaults.
    const SerialSettings settings;
    if (!Comm1->open(settings)) {
        showMessageLater(QStringLiteral("No se pudo abrir el puerto serie %1: %2.\r\n"
                                        "El brazo se puede mover escribiendo los ángulos; cierre la "
                                        "otra ventana o programa que use el puerto, o indique otro "
                                        "dispositivo con BRAZO_SERIAL_PORT.")
                             .arg(Comm1->deviceName(), Comm1->errorString()),
                         kCaption);
    }
}

bool frmBrazo::isPortOpen() const
{
    return Comm1 && Comm1->isOpen();
}

void frmBrazo::Comm1_OnComm()
{
    // Whatever the event, everything waiting is one message; an empty read changes nothing.
    m_arm->JointMessage(Comm1->input());
}

void frmBrazo::Comm1_Error(const QString &device, const QString &reason)
{
    showMessageLater(QStringLiteral("Falló la comunicación por el puerto serie %1: %2.\r\n"
                                    "El brazo se puede seguir moviendo escribiendo los ángulos; "
                                    "cierre y vuelva a abrir esta ventana para volver a usar el puerto.")
                         .arg(device, reason),
                     kCaption);
}

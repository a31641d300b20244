#include "frmbrazo.h"

#include "armpanel.h"
#include "controls.h"
#include "conversions.h"
#include "designunits.h"
#include "seriallink.h"

namespace {

const QString kCaption = QStringLiteral("Torvane Electronico");
constexpr qint32 kBaudRate = 19200;

} // namespace

frmBrazo::frmBrazo(const QString &serialDevice, QWidget *parent)
    : SimulatorForm(parent)
    , m_serialDevice(serialDevice)
{
    setObjectName(QStringLiteral("frmBrazo"));
    setWindowTitle(kCaption);
    Controls::setBackColor(this, DesignUnits::color(DesignUnits::kBlue));
}

QSize frmBrazo::designClientSize() const
{
    return QSize(10815, 7950);
}

void frmBrazo::createControls(QWidget *surface)
{
    using DesignUnits::rect;

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
    // A control of the window: it goes with the surface when the window closes, and the
    // port with it.
    auto *Comm1 = new SerialLink({m_serialDevice, kBaudRate}, surface);
    Comm1->setObjectName(QStringLiteral("Comm1"));
    createArm(surface, layout, Comm1);
    Controls::setTabOrder(surface, {"picLateral", "picSuperior", "txtPosicionX", "txtPosicionY",
                                    "txtPosicionZ", "txtQ1", "txtQ2", "txtQ3", "txtQ4"});
}

QString frmBrazo::origin() const
{
    return QStringLiteral("serie");
}

void frmBrazo::linkFailed(const QString &reason, bool atLoad)
{
    const QString text =
        atLoad ? Conversions::joinLines({QStringLiteral("No se pudo abrir el puerto serie %1: %2.").arg(m_serialDevice, reason),
                                         QStringLiteral("El brazo se puede mover escribiendo los ángulos. Cierre la "
                                                        "otra ventana o programa que use el puerto, o indique otro "
                                                        "dispositivo con --puerto-serie.")})
               : Conversions::joinLines({QStringLiteral("Falló la comunicación por el puerto serie %1: %2.").arg(m_serialDevice, reason),
                                         QStringLiteral("El brazo se puede seguir moviendo escribiendo los ángulos; "
                                                        "cierre y vuelva a abrir esta ventana para volver a usar el puerto.")});
    showMessageLater(text, kCaption);
}

QString frmBrazo::view3dCaption() const
{
    // The simulator as the menu "Controlar desde..." names it.
    return QStringLiteral("Vista 3D - Maquina Serial");
}

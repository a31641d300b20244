#include "frminternetservidor.h"

#include "armpanel.h"
#include "controls.h"
#include "conversions.h"
#include "picturearea.h"
#include "socketlink.h"
#include "vbunits.h"

#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr quint32 kBlue = 0x00FF0000;

QString listenFailureText(const SocketLink &socket)
{
    QString text = QStringLiteral("No se puede escuchar en el puerto %1: %2.\n")
                       .arg(frmInternetServidor::kPort)
                       .arg(socket.errorString());
    if (socket.errorCode() == QAbstractSocket::SocketAccessError) {
        text += QStringLiteral("Los puertos por debajo de 1024 necesitan privilegios. Para permitirlo:\n"
                               "sudo setcap cap_net_bind_service=+ep %1\n"
                               "o bien: sudo sysctl net.ipv4.ip_unprivileged_port_start=%2\n")
                    .arg(QCoreApplication::applicationFilePath())
                    .arg(frmInternetServidor::kPort);
    } else if (socket.errorCode() == QAbstractSocket::AddressInUseError) {
        text += QStringLiteral("Otra ventana (Maquina Internet) u otro programa ocupa el puerto: "
                               "ciérrelo y vuelva a abrir esta ventana.\n");
    }
    text += QStringLiteral("Ningún cliente podrá conectarse; los ángulos escritos siguen moviendo el brazo.");
    return text;
}

} // namespace

frmInternetServidor::frmInternetServidor(QWidget *parent)
    : MdiForm(parent)
{
    setObjectName(QStringLiteral("frmInternetServidor"));
    setWindowTitle(QStringLiteral("Form1"));
    Controls::setBackColor(this, VbUnits::color(kBlue));
}

frmInternetServidor::~frmInternetServidor() = default;

QSize frmInternetServidor::designClientSize() const
{
    return QSize(10815, 8460);
}

void frmInternetServidor::createControls(QWidget *surface)
{
    using VbUnits::rect;

    Label3 = Controls::label(surface, "Label3", QStringLiteral("SERVIDOR"), rect(0, 120, 1695, 375));
    QFont heading(QStringLiteral("MS Sans Serif"));
    heading.setPointSizeF(13.5);
    heading.setBold(true);
    Label3->setFont(heading);
    Controls::setForeColor(Label3, VbUnits::color(VbUnits::kActiveTitleBar));

    lblServidor = Controls::label(surface, "lblServidor", QStringLiteral("IP Servidor"),
                                  rect(3120, 360, 855, 255));
    txtIPservidor = Controls::textBox(surface, "txtIPservidor", QString(), rect(4320, 360, 2055, 285));
    lblPuerto = Controls::label(surface, "lblPuerto", QStringLiteral("Puerto"), rect(3120, 960, 975, 255));
    txtPuerto = Controls::textBox(surface, "txtPuerto", QString(), rect(4320, 960, 975, 285));

    ArmPanelLayout layout;
    layout.Label1 = rect(240, 1440, 975, 195);
    layout.vislat = rect(6480, 1440, 870, 195);
    layout.picSuperior = rect(240, 1800, 4215, 2895);
    layout.picLateral = rect(6360, 1800, 4215, 2895);
    layout.lblY = rect(0, 1800, 255, 255);
    layout.lblZ = rect(6120, 1800, 255, 255);
    layout.lblXsup = rect(4200, 4680, 255, 255);
    layout.lblX = rect(10320, 4680, 255, 255);
    layout.lblPosicionX = rect(1800, 5400, 1185, 195);
    layout.lblPosicionY = rect(4440, 5400, 1185, 195);
    layout.lblPosicionZ = rect(7440, 5400, 1185, 195);
    layout.txtPosicionX = rect(1680, 6000, 1455, 495);
    layout.txtPosicionY = rect(4320, 6000, 1455, 495);
    layout.txtPosicionZ = rect(7320, 6000, 1455, 495);
    layout.txtQ1 = rect(1200, 7200, 1215, 495);
    layout.txtQ2 = rect(3435, 7200, 1215, 495);
    layout.txtQ3 = rect(5685, 7200, 1215, 495);
    layout.txtQ4 = rect(7920, 7200, 1215, 495);
    m_arm = new ArmPanel(surface, layout);

    Winsock1 = new SocketLink(surface);
    Winsock1->setObjectName(QStringLiteral("Winsock1"));
    connect(Winsock1, &SocketLink::ConnectionRequest, this, &frmInternetServidor::Winsock1_ConnectionRequest);
    connect(Winsock1, &SocketLink::DataArrival, this, &frmInternetServidor::Winsock1_DataArrival);
    connect(Winsock1, &SocketLink::peerClosed, this, &frmInternetServidor::Winsock1_Close);
    connect(Winsock1, &SocketLink::error, this, &frmInternetServidor::Winsock1_Error);

    Controls::setTabOrder({txtPuerto, txtIPservidor, m_arm->txtPosicionY,
                          m_arm->txtPosicionX, m_arm->picSuperior, m_arm->txtPosicionZ,
                          m_arm->picLateral, m_arm->txtQ4, m_arm->txtQ3,
                          m_arm->txtQ2, m_arm->txtQ1});
}

void frmInternetServidor::Form_Load()
{
    m_arm->Form_Load();
    txtIPservidor->setText(Winsock1->LocalIP());
    Winsock1->setLocalPort(kPort);
    txtPuerto->setText(Conversions::fromInt(Winsock1->LocalPort()));
    listenOrReport();
}

void frmInternetServidor::Form_Unload()
{
    Winsock1->Close();
    // The controls go with the surface right after this.
    Label3 = nullptr;
    lblServidor = nullptr;
    txtIPservidor = nullptr;
    lblPuerto = nullptr;
    txtPuerto = nullptr;
    Winsock1 = nullptr;
    m_arm = nullptr;
}

void frmInternetServidor::Winsock1_ConnectionRequest(qint32 requestID)
{
    if (Winsock1->State() != SocketLink::Closed)
        Winsock1->Close();
    Winsock1->Accept(requestID);
}

void frmInternetServidor::Winsock1_DataArrival(qint32 bytesTotal)
{
    Q_UNUSED(bytesTotal);
    m_arm->JointMessage(Winsock1->GetData());
}

void frmInternetServidor::Winsock1_Close()
{
    Winsock1->Close();
    listenOrReport();
}

void frmInternetServidor::Winsock1_Error(const QString &reason)
{
    Q_UNUSED(reason);
    // A broken connection is treated like the client's own close: the next client may come.
    Winsock1->Close();
    listenOrReport();
}

void frmInternetServidor::listenOrReport()
{
    if (Winsock1->Listen())
        return;
    showMessageLater(listenFailureText(*Winsock1), QStringLiteral("Controlar desde Internet"));
}

#include "frminternetservidor.h"

#include "armpanel.h"
#include "controls.h"
#include "conversions.h"
#include "designunits.h"
#include "linkwords.h"
#include "oneclientserver.h"

#include <QLabel>
#include <QLineEdit>

struct frmInternetServidor::Ui : FormControls
{
    using FormControls::FormControls;
    QLineEdit *txtIPservidor = nullptr;
    QLineEdit *txtPuerto = nullptr;
    OneClientServer *Winsock1 = nullptr;
};

frmInternetServidor::frmInternetServidor(quint16 tcpPort, QWidget *parent)
    : SimulatorForm(parent)
    , m_tcpPort(tcpPort)
{
    setObjectName(QStringLiteral("frmInternetServidor"));
    setWindowTitle(QStringLiteral("Form1"));
    Controls::setBackColor(this, DesignUnits::color(DesignUnits::kBlue));
}

frmInternetServidor::~frmInternetServidor() = default;

QSize frmInternetServidor::designClientSize() const
{
    return QSize(10815, 8460);
}

QString frmInternetServidor::accessibleWindowName() const
{
    return QStringLiteral("Form1 - Simulador por Internet");
}

void frmInternetServidor::createControls(QWidget *surface)
{
    using DesignUnits::rect;

    m_ui = new Ui(surface);
    Controls::heading(surface, "Label3", QStringLiteral("SERVIDOR"), rect(0, 120, 1695, 375));
    m_ui->txtIPservidor = Controls::textBox(surface, "txtIPservidor", QString(), rect(4320, 360, 2055, 285));
    // The captions name their boxes for a screen reader.
    Controls::label(surface, "lblServidor", QStringLiteral("IP Servidor"), rect(3120, 360, 855, 255))
        ->setBuddy(m_ui->txtIPservidor);
    m_ui->txtPuerto = Controls::textBox(surface, "txtPuerto", QString(), rect(4320, 960, 975, 285));
    Controls::label(surface, "lblPuerto", QStringLiteral("Puerto"), rect(3120, 960, 975, 255))->setBuddy(m_ui->txtPuerto);

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
    m_ui->Winsock1 = new OneClientServer(m_tcpPort, surface);
    m_ui->Winsock1->setObjectName(QStringLiteral("Winsock1"));
    createArm(surface, layout, m_ui->Winsock1);
    connect(m_ui->Winsock1, &OneClientServer::listening, this, &SimulatorForm::linkStateChanged);
    Controls::setTabOrder(surface, {"txtPuerto", "txtIPservidor", "txtPosicionY", "txtPosicionX",
                                    "picSuperior", "txtPosicionZ", "picLateral", "txtQ4", "txtQ3",
                                    "txtQ2", "txtQ1"});
}

void frmInternetServidor::Form_Load()
{
    SimulatorForm::Form_Load();
    m_ui->txtIPservidor->setText(OneClientServer::LocalIP());
    m_ui->txtPuerto->setText(QString::number(m_ui->Winsock1->port()));
}

QString frmInternetServidor::simulatorName() const
{
    return QStringLiteral("Internet");
}

QString frmInternetServidor::linkState() const
{
    if (!m_ui)
        return QString();
    const OneClientServer *server = m_ui->Winsock1;
    if (server->isOpen())
        return QStringLiteral("Cliente %1 conectado al puerto TCP %2").arg(server->clientAddress()).arg(server->port());
    if (server->isListening())
        return QStringLiteral("Escuchando en el puerto TCP %1, en todas las direcciones").arg(server->port());
    return QStringLiteral("No escucha en el puerto TCP %1").arg(server->port());
}

QString frmInternetServidor::origin() const
{
    return QStringLiteral("tcp ") + m_ui->Winsock1->clientAddress();
}

void frmInternetServidor::linkFailed(bool)
{
    // Listening fails the same way at the load and after a client has left.
    const OneClientServer *server = m_ui->Winsock1;
    showMessageLater(Conversions::joinLines({LinkWords::listenFailure(server->port(), server->cause(), server->errorString()),
                                             QStringLiteral("Ningún cliente podrá conectarse; los ángulos escritos siguen "
                                                            "moviendo el brazo.")}),
                     QStringLiteral("Controlar desde Internet"));
}

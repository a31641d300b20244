#include "frmservidor.h"

#include "controls.h"
#include "conversions.h"
#include "socketlink.h"
#include "vbunits.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

frmServidor::frmServidor(QWidget *parent)
    : MdiForm(parent)
{
    setObjectName(QStringLiteral("frmServidor"));
    setWindowTitle(QStringLiteral("Servidor"));
}

frmServidor::~frmServidor() = default;

QSize frmServidor::designClientSize() const
{
    return QSize(6480, 4695);
}

void frmServidor::createControls(QWidget *surface)
{
    using VbUnits::rect;

    Winsock1 = new SocketLink(surface);
    Winsock1->setObjectName(QStringLiteral("Winsock1"));
    connect(Winsock1, &SocketLink::ConnectionRequest, this, &frmServidor::Winsock1_ConnectionRequest);
    connect(Winsock1, &SocketLink::DataArrival, this, &frmServidor::Winsock1_DataArrival);
    connect(Winsock1, &SocketLink::peerClosed, this, &frmServidor::Winsock1_Close);
    connect(Winsock1, &SocketLink::error, this, &frmServidor::Winsock1_Error);

    txtDatos = Controls::textBox(surface, "txtDatos", QString(), rect(360, 4200, 4815, 285));
    cmdEnviar = Controls::button(surface, "cmdEnviar", QStringLiteral("Enviar"), rect(5280, 4200, 1095, 375));
    connect(cmdEnviar, &QPushButton::clicked, this, &frmServidor::cmdEnviar_Click);

    lstDatos = new QListWidget(surface);
    lstDatos->setObjectName(QStringLiteral("lstDatos"));
    lstDatos->setGeometry(rect(360, 1320, 5895, 2595));

    txtPuerto = Controls::textBox(surface, "txtPuerto", QString(), rect(1320, 720, 975, 285));
    txtIPservidor = Controls::textBox(surface, "txtIPservidor", QString(), rect(1320, 240, 2055, 285));

    Label3 = Controls::label(surface, "Label3", QStringLiteral("SERVIDOR"), rect(4680, 120, 1695, 375));
    QFont heading(QStringLiteral("MS Sans Serif"));
    heading.setPointSizeF(13.5);
    heading.setBold(true);
    Label3->setFont(heading);
    Controls::setForeColor(Label3, VbUnits::color(VbUnits::kActiveTitleBar));
    Label2 = Controls::label(surface, "Label2", QStringLiteral("Puerto"), rect(120, 720, 975, 255));
    Label1 = Controls::label(surface, "Label1", QStringLiteral("IP Servidor"), rect(120, 240, 855, 255));

    // Labels take no focus: the order runs over the boxes, the log and the button.
    Controls::setTabOrder({txtIPservidor, txtPuerto, lstDatos, cmdEnviar, txtDatos});
}

void frmServidor::Form_Load()
{
    txtIPservidor->setText(Winsock1->LocalIP());
    Winsock1->setLocalPort(kPort);
    txtPuerto->setText(Conversions::fromInt(Winsock1->LocalPort()));
    listenAndLog();
}

void frmServidor::Form_Unload()
{
    Winsock1->Close();
    // The controls go with the surface right after this.
    Winsock1 = nullptr;
    txtDatos = nullptr;
    cmdEnviar = nullptr;
    lstDatos = nullptr;
    txtPuerto = nullptr;
    txtIPservidor = nullptr;
    Label3 = nullptr;
    Label2 = nullptr;
    Label1 = nullptr;
}

void frmServidor::Winsock1_ConnectionRequest(qint32 requestID)
{
    if (Winsock1->State() != SocketLink::Closed)
        Winsock1->Close();
    Winsock1->Accept(requestID);
    log(QStringLiteral("[Aceptado cliente ") + Winsock1->RemoteHostIP() + QStringLiteral(" ]"));
}

void frmServidor::Winsock1_DataArrival(qint32 bytesTotal)
{
    Q_UNUSED(bytesTotal);
    const QString data = Winsock1->GetData();
    log(QStringLiteral("<-") + data);
}

void frmServidor::cmdEnviar_Click()
{
    if (Winsock1->State() == SocketLink::Connected) {
        Winsock1->SendData(txtDatos->text());
        log(QStringLiteral("->") + txtDatos->text());
    } else {
        log(QStringLiteral("[Sin Conexión]"));
    }
}

void frmServidor::Winsock1_Close()
{
    Winsock1->Close();
    log(QStringLiteral("[Cliente Desconectado]"));
    listenAndLog();
}

void frmServidor::Winsock1_Error(const QString &reason)
{
    Winsock1->Close();
    log(QStringLiteral("[Error de red: ") + reason + QStringLiteral("]"));
    listenAndLog();
}

void frmServidor::listenAndLog()
{
    if (Winsock1->Listen()) {
        log(QStringLiteral("[Esperando Conexión]"));
        return;
    }
    QString line = QStringLiteral("[No se puede escuchar en el puerto %1: %2.").arg(kPort).arg(Winsock1->errorString());
    if (Winsock1->errorCode() == QAbstractSocket::SocketAccessError) {
        line += QStringLiteral(" Los puertos por debajo de 1024 necesitan privilegios: setcap "
                               "cap_net_bind_service=+ep sobre el programa, o el sysctl "
                               "net.ipv4.ip_unprivileged_port_start.");
    } else if (Winsock1->errorCode() == QAbstractSocket::AddressInUseError) {
        line += QStringLiteral(" Cierre la ventana o el programa que lo ocupa y vuelva a abrir esta.");
    }
    log(line + QStringLiteral("]"));
}

void frmServidor::log(const QString &line)
{
    lstDatos->addItem(line);
}

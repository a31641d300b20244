#include "frmcomserial.h"

#include "controls.h"
#include "seriallink.h"
#include "vbunits.h"

#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

#include <limits>

namespace {

const QString kCaption = QStringLiteral("Comunicación Serial");
// Ends every message on the wire (byte 0xC7 in Windows-1252) and is dropped from what
// arrives.
constexpr QChar kTerminator(0x00C7);

} // namespace

frmComSerial::frmComSerial(QWidget *parent)
    : MdiForm(parent)
{
    // The icon lives in a static library; naming it here makes sure the linker keeps it.
    Q_INIT_RESOURCE(comserial);
    setWindowTitle(kCaption);
    setWindowIcon(QIcon(QStringLiteral(":/iconos/comserial.ico")));
}

frmComSerial::~frmComSerial() = default;

QSize frmComSerial::designClientSize() const
{
    return QSize(4680, 3195);
}

void frmComSerial::createControls(QWidget *surface)
{
    txtDisplay = Controls::textBox(surface, "txtDisplay", QStringLiteral("Teclee aqui el mensaje a transmitir"),
                                   VbUnits::rect(1560, 2280, 2895, 495));
    Controls::setForeColor(txtDisplay, VbUnits::color(0x00800080));
    // A line edit stops at 32,767 characters by default; a long message must go out whole.
    txtDisplay->setMaxLength(std::numeric_limits<int>::max());
    // The sentence is read from its start, not scrolled to its end.
    txtDisplay->home(false);

    cmdTransmite = Controls::button(surface, "cmdTransmite", QStringLiteral("&Transmitir"),
                                    VbUnits::rect(120, 2280, 1215, 495));

    Comm1 = new SerialLink(surface);
    Comm1->setObjectName(QStringLiteral("Comm1"));

    lblMsgRx = Controls::label(surface, "lblMsgRx", QStringLiteral("Mensaje Recibido"),
                               VbUnits::rect(360, 360, 1815, 255));
    Controls::setForeColor(lblMsgRx, VbUnits::color(0x00C00000));

    lblMsgTx = Controls::label(surface, "lblMsgTx", QStringLiteral("Mensaje a transmitir"),
                               VbUnits::rect(2400, 2040, 1815, 255));
    Controls::setForeColor(lblMsgTx, VbUnits::color(0x00C00000));

    lblRecibe = Controls::label(surface, "lblRecibe", QStringLiteral("No se ha recibido nada"),
                                VbUnits::rect(360, 600, 4095, 495));
    Controls::setForeColor(lblRecibe, VbUnits::color(0x000000FF));
    lblRecibe->setFrameStyle(QFrame::Box | QFrame::Plain);
    lblRecibe->setLineWidth(1);
    lblRecibe->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblRecibe->setWordWrap(true);
    // Whatever arrives on the line is shown as it is, never read as markup.
    lblRecibe->setTextFormat(Qt::PlainText);

    // The button comes first in the tab order and holds the focus when the window opens.
    setTabOrder(cmdTransmite, txtDisplay);
    cmdTransmite->setFocus();

    connect(cmdTransmite, &QPushButton::clicked, this, &frmComSerial::cmdTransmite_Click);
    connect(Comm1, &SerialLink::commEvent, this, &frmComSerial::Comm1_OnComm);
    connect(Comm1, &SerialLink::communicationError, this, &frmComSerial::reportLinkError);
}

void frmComSerial::Form_Load()
{
    setOuterSizeTwips(4800, 3600);
    if (QMdiSubWindow *window = subWindow())
        window->setWindowIcon(windowIcon());

    m_problemShown = false;
    SerialSettings settings;
    settings.settings = QStringLiteral("9600,n,8,1");
    if (!Comm1->open(settings))
        reportOpenFailure();
}

void frmComSerial::cmdTransmite_Click()
{
    // Without a port nothing can go out; the typed text stays in the box for later.
    if (!Comm1 || !Comm1->isOpen()) {
        lblRecibe->setText(QStringLiteral("Puerto serie cerrado: no se envió nada"));
        return;
    }

    receivedText = QStringLiteral(" ");
    lblRecibe->setText(receivedText);
    Comm1->clearInput();
    const QString message = txtDisplay->text() + kTerminator;
    Comm1->clearOutput();
    // One character at a time, the terminator last. The link queues what the line cannot
    // take yet and the event loop drains it, so a long message neither blocks the window
    // nor is cut short.
    for (const QChar c : message) {
        if (!Comm1->output(QString(c))) {
            lblRecibe->setText(QStringLiteral("Puerto serie cerrado: el mensaje no se envió entero"));
            return;
        }
    }
    txtDisplay->clear();
}

void frmComSerial::Comm1_OnComm()
{
    // Every event reads, whatever its kind: an event with nothing waiting still shows
    // receivedText, which is how the display leaves its first text.
    QString text = Comm1 ? Comm1->input() : QString();
    text.remove(kTerminator);
    receivedText += text;
    lblRecibe->setText(receivedText);
}

void frmComSerial::reportOpenFailure()
{
    const QString device = Comm1->deviceName();
    QString text;
    if (QFileInfo(device).isAbsolute() && !QFileInfo::exists(device)) {
        text = QStringLiteral("No se pudo abrir el puerto serie %1: el dispositivo no existe.\r\n"
                              "Conecte el puerto, o indique otro dispositivo con BRAZO_SERIAL_PORT, "
                              "y vuelva a abrir esta ventana.")
                   .arg(device);
    } else {
        text = QStringLiteral("No se pudo abrir el puerto serie %1: está en uso o no hay permiso (%2).\r\n"
                              "Cierre la otra ventana o programa que lo use y vuelva a abrir esta ventana.")
                   .arg(device, Comm1->errorString());
    }
    showProblemLater(text);
}

void frmComSerial::reportLinkError(const QString &device, const QString &reason)
{
    showProblemLater(QStringLiteral("Falló el puerto serie %1 (%2).\r\n"
                                    "Cierre esta ventana y vuelva a abrirla para usar el puerto de nuevo.")
                         .arg(device, reason));
}

void frmComSerial::showProblemLater(const QString &text)
{
    if (m_problemShown)
        return;
    m_problemShown = true;
    showMessageLater(text, kCaption);
}

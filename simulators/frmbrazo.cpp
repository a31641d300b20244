#include "frmbrazo.h"

#include "armpanel.h"
#include "controls.h"
#include "conversions.h"
#include "designunits.h"
#include "jointmessage.h"
#include "linkwords.h"
#include "seriallink.h"
#include "serialportchoice.h"
#include "serialportuse.h"

#include <QMdiSubWindow>
#include <QMenu>

namespace {

const QString kCaption = QStringLiteral("Torvane Electronico");

} // namespace

struct frmBrazo::Ui : FormControls
{
    using FormControls::FormControls;
    SerialPortUse *port = nullptr;
};

frmBrazo::frmBrazo(SerialPortChoice *choice, QWidget *parent)
    : SimulatorForm(parent)
    , m_choice(choice)
{
    setObjectName(QStringLiteral("frmBrazo"));
    setWindowTitle(kCaption);
    Controls::setBackColor(this, DesignUnits::color(DesignUnits::kBlue));
}

frmBrazo::~frmBrazo() = default;

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
    m_ui = new Ui(surface);
    // A control of the window: it goes with the surface when the window closes, and the
    // port with it.
    auto *Comm1 = new SerialLink({m_choice->device(), protocol::kSimulatorBaudRate}, surface);
    Comm1->setObjectName(QStringLiteral("Comm1"));
    m_ui->port = new SerialPortUse(Comm1, m_choice, m_ui);
    connect(m_ui->port, &SerialPortUse::tell, this, &frmBrazo::tell);
    connect(m_ui->port, &SerialPortUse::stateChanged, this, &frmBrazo::portStateChanged);
    createArm(surface, layout, Comm1);
    Controls::setTabOrder(surface, {"picLateral", "picSuperior", "txtPosicionX", "txtPosicionY",
                                    "txtPosicionZ", "txtQ1", "txtQ2", "txtQ3", "txtQ4"});
}

void frmBrazo::openLink()
{
    m_ui->port->open();
}

QString frmBrazo::simulatorName() const
{
    return QStringLiteral("Maquina Serial");
}

QString frmBrazo::linkState() const
{
    return m_ui ? QStringLiteral("Puerto serie %1").arg(m_ui->port->state()) : QString();
}

QString frmBrazo::origin() const
{
    return QStringLiteral("serie");
}

void frmBrazo::fillViewMenu(QMenu *menu)
{
    SimulatorForm::fillViewMenu(menu);
    connect(menu->addAction(m_ui->port->menuText()), &QAction::triggered, m_choice, &SerialPortChoice::requestChooser);
}

void frmBrazo::tell(const QStringList &lines, bool chooser)
{
    QStringList text = lines;
    if (!m_ui->port->isOpen())
        text.append(QStringLiteral("Mientras tanto, el brazo se mueve escribiendo los ángulos."));
    showMessageLater(Conversions::joinLines(text), kCaption, chooser ? LinkWords::kChooseButton : QString(),
                     [choice = QPointer<SerialPortChoice>(m_choice)] {
                         if (choice)
                             choice->requestChooser();
                     });
}

void frmBrazo::portStateChanged()
{
    // What the window's frame says of it to a screen reader; the caption stays as designed.
    const QString state = linkState();
    setAccessibleDescription(state);
    if (subWindow())
        subWindow()->setAccessibleDescription(state);
    emit linkStateChanged();
}

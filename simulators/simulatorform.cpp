#include "simulatorform.h"

#include "armpanel.h"
#include "frmirposicion.h"
#include "frmmonitor.h"
#include "frmvista3d.h"
#include "link.h"
#include "messagerecorder.h"
#include "programclock.h"
#include "receipt.h"
#include "receiptlog.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

struct SimulatorForm::Ui : FormControls
{
    using FormControls::FormControls;
    ArmPanel *arm = nullptr;
    Link *link = nullptr;
};

SimulatorForm::SimulatorForm(QWidget *parent)
    : MdiForm(parent)
    , m_log(new ReceiptLog(this))
{
    connect(this, &SimulatorForm::messageTaken, m_log, &ReceiptLog::append);
}

SimulatorForm::~SimulatorForm()
{
    // The companions go with their simulator: their frames are the sub-windows that hold them.
    for (MdiForm *companion : std::initializer_list<MdiForm *>{m_view3d, m_monitor, m_goTo}) {
        if (companion)
            delete companion->subWindow();
    }
}

void SimulatorForm::setRecorder(MessageRecorder *recorder)
{
    m_recorder = recorder;
}

ArmPanel *SimulatorForm::arm() const
{
    return m_ui ? m_ui->arm : nullptr;
}

Link *SimulatorForm::link() const
{
    return m_ui ? m_ui->link : nullptr;
}

void SimulatorForm::setTarget(const std::optional<arm::Point3> &target)
{
    m_target = target;
    if (m_view3d)
        m_view3d->setTarget(target);
}

void SimulatorForm::createArm(QWidget *surface, const ArmPanelLayout &layout, Link *link)
{
    m_ui = new Ui(surface);
    m_ui->arm = new ArmPanel(surface, layout);
    m_ui->link = link;
    connect(link, &Link::received, this, &SimulatorForm::received);
    connect(link, &Link::failed, this, [this] { linkFailed(false); });
    for (auto signal : {&Link::ready, &Link::closed})
        connect(link, signal, this, &SimulatorForm::linkStateChanged);
    connect(link, &Link::failed, this, &SimulatorForm::linkStateChanged);
    connect(m_ui->arm, &ArmPanel::viewMenuAboutToShow, this, &SimulatorForm::fillViewMenu);
}

void SimulatorForm::Form_Load()
{
    m_ui->arm->Form_Load();
    openLink();
    emit linkStateChanged();
}

void SimulatorForm::openLink()
{
    if (!m_ui->link->open())
        linkFailed(true);
}

void SimulatorForm::Form_Unload()
{
    m_ui->link->close();
    for (MdiForm *companion : std::initializer_list<MdiForm *>{m_view3d, m_monitor, m_goTo}) {
        if (companion && companion->isLoaded())
            companion->subWindow()->close();
    }
    m_target.reset();
}

void SimulatorForm::fillViewMenu(QMenu *menu)
{
    connect(menu->addAction(QStringLiteral("Vista &3D…")), &QAction::triggered, this,
            [this] { showCompanion(m_view3d, QStringLiteral("Vista 3D")); });
    connect(menu->addAction(QStringLiteral("&Monitor…")), &QAction::triggered, this,
            [this] { showCompanion(m_monitor, QStringLiteral("Monitor")); });
    connect(menu->addAction(QStringLiteral("&Ir a posición…")), &QAction::triggered, this,
            [this] { showCompanion(m_goTo, QStringLiteral("Ir a posición")); });
}

template <typename Form>
void SimulatorForm::showCompanion(QPointer<Form> &form, const QString &what)
{
    // Its caption names the simulator, as the menu "Controlar desde..." does.
    if (!form)
        form = new Form(what + QStringLiteral(" - ") + simulatorName(), this);
    // An open companion already follows this load: it closed with the previous one.
    form->setSimulator(this);
    form->showIn(subWindow()->mdiArea());
}

void SimulatorForm::received(const QByteArray &bytes)
{
    m_ui->arm->Receive(bytes, [this](const QByteArray &message, const protocol::Outcome &outcome) {
        Receipt receipt;
        receipt.ms = ProgramClock::ms();
        receipt.source = origin();
        receipt.bytes = message;
        receipt.outcome = outcome;
        receipt.joints = m_ui->arm->jointDegrees();
        receipt.tool = m_ui->arm->tool();
        if (m_recorder)
            m_recorder->record(receipt);
        emit messageTaken(receipt);
    });
}

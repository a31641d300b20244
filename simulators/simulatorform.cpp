#include "simulatorform.h"

#include "armpanel.h"
#include "frmvista3d.h"
#include "link.h"
#include "messagerecorder.h"
#include "winansi.h"

#include <QMdiArea>
#include <QMdiSubWindow>

struct SimulatorForm::Ui : FormControls
{
    using FormControls::FormControls;
    ArmPanel *arm = nullptr;
    Link *link = nullptr;
};

SimulatorForm::SimulatorForm(QWidget *parent)
    : MdiForm(parent)
{
}

SimulatorForm::~SimulatorForm()
{
    // The 3D view goes with its simulator: its frame is the sub-window that holds it.
    if (m_view3d)
        delete m_view3d->subWindow();
}

void SimulatorForm::setRecorder(MessageRecorder *recorder)
{
    m_recorder = recorder;
}

void SimulatorForm::createArm(QWidget *surface, const ArmPanelLayout &layout, Link *link)
{
    m_ui = new Ui(surface);
    m_ui->arm = new ArmPanel(surface, layout);
    m_ui->link = link;
    connect(link, &Link::received, this, &SimulatorForm::received);
    connect(link, &Link::failed, this, [this](const QString &reason) { linkFailed(reason, false); });
    connect(m_ui->arm, &ArmPanel::view3dRequested, this, &SimulatorForm::showView3d);
}

void SimulatorForm::Form_Load()
{
    m_ui->arm->Form_Load();
    if (!m_ui->link->open())
        linkFailed(m_ui->link->errorString(), true);
}

void SimulatorForm::Form_Unload()
{
    m_ui->link->close();
    if (m_view3d && m_view3d->isLoaded())
        m_view3d->subWindow()->close();
}

void SimulatorForm::showView3d()
{
    if (!m_view3d)
        m_view3d = new frmVista3D(view3dCaption(), this);
    // An open 3D view already shows this load's arm: it closed with the previous load.
    m_view3d->setArm(m_ui->arm);
    m_view3d->showIn(subWindow()->mdiArea());
}

void SimulatorForm::received(const QByteArray &bytes)
{
    // Whatever arrived in one read is one message.
    const JointMessageOutcome outcome = m_ui->arm->JointMessage(WinAnsi::decode(bytes));
    if (m_recorder)
        m_recorder->record(origin(), bytes, outcome);
}

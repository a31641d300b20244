#include "simulatorform.h"

#include "armpanel.h"
#include "link.h"
#include "messagerecorder.h"
#include "winansi.h"

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

SimulatorForm::~SimulatorForm() = default;

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
}

void SimulatorForm::received(const QByteArray &bytes)
{
    // Whatever arrived in one read is one message.
    const JointMessageOutcome outcome = m_ui->arm->JointMessage(WinAnsi::decode(bytes));
    if (m_recorder)
        m_recorder->record(origin(), bytes, outcome);
}

#pragma once

#include "mdiform.h"

#include <QPointer>

class SimulatorForm;

// A window that belongs to one simulator window: its caption names the simulator, it is
// opened from the simulator's views and closes with it, and each load shows the simulator
// of its opening. Its controls are laid out and grow with it.
class CompanionForm : public MdiForm
{
    Q_OBJECT

public:
    CompanionForm(const char *name, const QString &caption, QWidget *parent)
        : MdiForm(parent)
    {
        setObjectName(QLatin1String(name));
        setWindowTitle(caption);
    }

    // The simulator shown from the next load on.
    void setSimulator(SimulatorForm *simulator) { m_simulator = simulator; }

protected:
    SimulatorForm *simulator() const { return m_simulator; }
    bool laidOut() const override { return true; }

private:
    QPointer<SimulatorForm> m_simulator;
};

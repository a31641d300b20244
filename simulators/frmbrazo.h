#pragma once

#include "armpanel.h"
#include "mdiform.h"
#include "seriallink.h"

#include <QPointer>
#include <QString>

// The simulator whose arm follows a machine on serial port 1: every serial event reads
// whatever is waiting and takes it as one joint message. Nothing is ever sent on the line.
class frmBrazo : public MdiForm
{
    Q_OBJECT

public:
    explicit frmBrazo(QWidget *parent = nullptr);
    ~frmBrazo() override;

    // The arm of the current load; null while the window is closed.
    ArmPanel *armPanel() const { return m_arm; }
    // Whether the serial port is open (false while the window is closed, when the port
    // could not be opened, and after the line failed).
    bool isPortOpen() const;

    // The serial control of the current load; null while the window is closed.
    QPointer<SerialLink> Comm1;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;

private:
    void Comm1_OnComm();
    void Comm1_Error(const QString &device, const QString &reason);

    // The box waits for the event loop, so that it appears over the shown window and not
    // in the middle of the load or of a serial notification.

    QPointer<ArmPanel> m_arm;
};

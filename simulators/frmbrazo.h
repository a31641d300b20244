#pragma once

#include "simulatorform.h"

#include <QString>

// The simulator whose arm follows a machine on serial port 1: every read takes whatever is
// waiting as one joint message. Nothing is ever sent on the line.
class frmBrazo : public SimulatorForm
{
    Q_OBJECT

public:
    // serialDevice plays serial port 1.
    explicit frmBrazo(const QString &serialDevice, QWidget *parent = nullptr);

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    QString origin() const override;
    void linkFailed(const QString &reason, bool atLoad) override;
    QString view3dCaption() const override;

private:
    const QString m_serialDevice;
};

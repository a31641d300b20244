#pragma once

#include "simulatorform.h"

#include <QPointer>

// The simulator whose arm a remote program moves over TCP: one client at a time on the
// chosen port, each receive taken as one joint message, nothing ever sent back.
class frmInternetServidor : public SimulatorForm
{
    Q_OBJECT

public:
    // tcpPort: the port to listen on; 0 lets the system choose one.
    explicit frmInternetServidor(quint16 tcpPort, QWidget *parent = nullptr);
    ~frmInternetServidor() override;

    QString simulatorName() const override;
    QString linkState() const override;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    // Its caption, "Form1", is that of two other windows too.
    QString accessibleWindowName() const override;
    void Form_Load() override;
    QString origin() const override;
    void linkFailed(bool atLoad) override;

private:
    struct Ui;

    const quint16 m_tcpPort;
    QPointer<Ui> m_ui;
};

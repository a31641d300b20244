#pragma once

#include "mdiform.h"

#include <QPointer>

// A one-client TCP server for trying the network link by hand: listens on the chosen
// port, logs every event as one line of lstDatos and sends what the user types.
class frmServidor : public MdiForm
{
    Q_OBJECT

public:
    // tcpPort: the port to listen on; 0 lets the system choose one.
    explicit frmServidor(quint16 tcpPort, QWidget *parent = nullptr);
    ~frmServidor() override;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    bool fixedBorder() const override { return true; }
    void Form_Load() override;
    void Form_Unload() override;

private:
    struct Ui;

    void cmdEnviar_Click();
    void log(const QString &line);
    void logListenFailure();

    const quint16 m_tcpPort;
    QPointer<Ui> m_ui;
};

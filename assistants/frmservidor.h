#pragma once

#include "mdiform.h"

#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class SocketLink;

// A one-client TCP server for trying the network link by hand: listens on port 1007,
// logs every event as one line of lstDatos and sends what the user types.
class frmServidor : public MdiForm
{
    Q_OBJECT

public:
    static constexpr int kPort = 1007;

    explicit frmServidor(QWidget *parent = nullptr);
    ~frmServidor() override;

    // The controls of the current load (null while the window is closed).
    SocketLink *Winsock1 = nullptr;
    QLineEdit *txtDatos = nullptr;
    QPushButton *cmdEnviar = nullptr;
    QListWidget *lstDatos = nullptr;
    QLineEdit *txtPuerto = nullptr;
    QLineEdit *txtIPservidor = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    bool fixedBorder() const override { return true; }
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Winsock1_ConnectionRequest(qint32 requestID);
    void Winsock1_DataArrival(qint32 bytesTotal);
    void cmdEnviar_Click();
    void Winsock1_Close();
    void Winsock1_Error(const QString &reason);

    // Listens on the port set at load and logs the outcome in one line.
    void listenAndLog();
    void log(const QString &line);
};

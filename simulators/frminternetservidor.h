#pragma once

#include "mdiform.h"

#include <QString>

class ArmPanel;
class QLabel;
class QLineEdit;
class SocketLink;

// The simulator whose arm a remote program moves over TCP: one client at a time on port
// 1007, each receive taken as one joint message, nothing ever sent back.
class frmInternetServidor : public MdiForm
{
    Q_OBJECT

public:
    static constexpr int kPort = 1007;

    explicit frmInternetServidor(QWidget *parent = nullptr);
    ~frmInternetServidor() override;

    // The arm of the current load; null while the window is closed.
    ArmPanel *armPanel() const { return m_arm; }

    // The controls of the current load (null while the window is closed).
    QLabel *Label3 = nullptr;
    QLabel *lblServidor = nullptr;
    QLineEdit *txtIPservidor = nullptr;
    QLabel *lblPuerto = nullptr;
    QLineEdit *txtPuerto = nullptr;
    SocketLink *Winsock1 = nullptr;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Winsock1_ConnectionRequest(qint32 requestID);
    void Winsock1_DataArrival(qint32 bytesTotal);
    void Winsock1_Close();
    void Winsock1_Error(const QString &reason);

    // Listens on the port set at load; a refusal is reported once the window is shown.
    void listenOrReport();

    ArmPanel *m_arm = nullptr;
};

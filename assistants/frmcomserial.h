#pragma once

#include "mdiform.h"

#include <QPointer>
#include <QSize>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class SerialLink;

// A small terminal for trying out serial port 1 by hand at 9600 baud: the typed message
// goes out followed by the terminator byte 0xC7 ("Ç"), and whatever arrives is shown, the
// terminators dropped, as one growing line.
class frmComSerial : public MdiForm
{
    Q_OBJECT

public:
    explicit frmComSerial(QWidget *parent = nullptr);
    ~frmComSerial() override;

    // The controls of the current load. They are rebuilt on every load and null while the
    // window is closed; Comm1 holds the port, so closing the window releases it.
    QPointer<QLineEdit> txtDisplay;
    QPointer<QPushButton> cmdTransmite;
    QPointer<SerialLink> Comm1;
    QPointer<QLabel> lblMsgRx;
    QPointer<QLabel> lblMsgTx;
    QPointer<QLabel> lblRecibe;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;

private:
    void cmdTransmite_Click();
    void Comm1_OnComm();

    void reportOpenFailure();
    void reportLinkError(const QString &device, const QString &reason);
    void showProblemLater(const QString &text);

    // What has arrived since the last transmission. A window-level variable: it outlives
    // the controls, so a reopened window goes on appending to it.
    QString receivedText;
    // One message box per load is enough: a failing port tends to fail again and again.
    bool m_problemShown = false;
};

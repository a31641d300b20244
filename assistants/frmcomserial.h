#pragma once

#include "mdiform.h"
#include "receivedtext.h"

#include <QPointer>

class SerialPortChoice;

// A small terminal for trying out serial port 1 by hand at 9600 baud: the typed message
// goes out followed by the terminator byte 0xC7 ("Ç"), and whatever arrives is shown, the
// terminators dropped, as one growing line. Its context menu chooses the port.
class frmComSerial : public MdiForm
{
    Q_OBJECT

public:
    // The choice names the device that plays serial port 1, and the window follows it.
    explicit frmComSerial(SerialPortChoice *choice, QWidget *parent = nullptr);
    ~frmComSerial() override;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;

private:
    struct Ui;

    void cmdTransmite_Click();
    // Every event of the port: what it brought (nothing, for the transmit buffer emptied or
    // a failure) goes to the display.
    void Comm1_OnComm(const QByteArray &received);
    void tell(const QStringList &lines, bool chooser);
    void showMenu(const QPoint &at);
    void portStateChanged();

    SerialPortChoice *const m_choice;
    QPointer<Ui> m_ui;
    // What has arrived since the last transmission. A window-level variable: it outlives
    // the controls, so a reopened window goes on appending to it.
    ReceivedText receivedText;
    // Whether the display shows receivedText, rather than its first text or a message.
    bool m_shown = false;
};

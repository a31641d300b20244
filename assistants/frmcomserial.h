#pragma once

#include "mdiform.h"
#include "receivedtext.h"
#include "settings.h"

#include <QPointer>

// A small terminal for trying out serial port 1 by hand at 9600 baud: the typed message
// goes out followed by the terminator byte 0xC7 ("Ç"), and whatever arrives is shown, the
// terminators dropped, as one growing line.
class frmComSerial : public MdiForm
{
    Q_OBJECT

public:
    explicit frmComSerial(const Settings &settings, QWidget *parent = nullptr);
    ~frmComSerial() override;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;

private:
    struct Ui;

    void cmdTransmite_Click();
    void Comm1_OnComm();
    void reportProblem(const QString &text);

    const Settings m_settings;
    QPointer<Ui> m_ui;
    // What has arrived since the last transmission. A window-level variable: it outlives
    // the controls, so a reopened window goes on appending to it.
    ReceivedText receivedText;
    // Whether the display shows receivedText, rather than its first text or a message.
    bool m_shown = false;
    // One message box per load is enough: a failing port tends to fail again and again.
    bool m_problemShown = false;
};

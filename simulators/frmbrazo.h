#pragma once

#include "simulatorform.h"

#include <QPointer>

class SerialPortChoice;

// The simulator whose arm follows a machine on serial port 1: every read takes whatever is
// waiting as one receive of joint messages. Nothing is ever sent on the line.
class frmBrazo : public SimulatorForm
{
    Q_OBJECT

public:
    // The choice names the device that plays serial port 1, and the window follows it.
    explicit frmBrazo(SerialPortChoice *choice, QWidget *parent = nullptr);
    ~frmBrazo() override;

    QString simulatorName() const override;
    QString linkState() const override;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    QString origin() const override;
    // The port's use opens it, tells the user what fails and opens a port that comes back.
    void openLink() override;
    void fillViewMenu(QMenu *menu) override;

private:
    struct Ui;

    void tell(const QStringList &lines, bool chooser);
    void portStateChanged();

    SerialPortChoice *const m_choice;
    QPointer<Ui> m_ui;
};

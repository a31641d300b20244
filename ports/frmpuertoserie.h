#pragma once

#include "mdiform.h"

#include <QPointer>

class SerialPortChoice;

// The port chooser, "Puerto serie": the serial ports the system has, each with what it is,
// kept up to date while the window is open, and a box where any device can be typed. The
// port chosen is serial port 1 for both serial windows from then on.
class frmPuertoSerie : public MdiForm
{
    Q_OBJECT

public:
    explicit frmPuertoSerie(SerialPortChoice *choice, QWidget *parent = nullptr);
    ~frmPuertoSerie() override;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;
    bool laidOut() const override { return true; }

private:
    struct Ui;

    // The list as the system has it now, the selected port kept selected.
    void refresh();
    void choose();
    void closeLater();

    SerialPortChoice *const m_choice;
    QPointer<Ui> m_ui;
};

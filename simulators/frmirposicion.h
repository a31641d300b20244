#pragma once

#include "inverse.h"
#include "companionform.h"

#include <QPointer>


// "Go to a position" for one simulator: a target X, Y, Z and, if the user wants one, the
// tool's pitch; every way the arm reaches it in whole degrees, with what each misses by;
// and "Mover", which writes the four joint entries as typing them would. While it is open
// the simulator's 3D view marks the target.
class frmIrAPosicion : public CompanionForm
{
    Q_OBJECT

public:
    // The caption names the simulator it belongs to.
    explicit frmIrAPosicion(const QString &caption, QWidget *parent = nullptr);
    ~frmIrAPosicion() override;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    struct Ui;

    void solve();
    void cmdMover_Click();

    QPointer<Ui> m_ui;
    arm::InverseResult m_result;
};

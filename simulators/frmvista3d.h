#pragma once

#include "kinematics.h"
#include "companionform.h"

#include <QPointer>
#include <QString>

#include <optional>

class ArmPanel;

// The arm of one simulator window in three dimensions, with the Denavit-Hartenberg
// parameters of its links and the tool position. It follows that window's arm alone and
// draws the latest pose once a frame, however many messages move it.
class frmVista3D : public CompanionForm
{
    Q_OBJECT

public:
    // The caption names the simulator window it belongs to.
    explicit frmVista3D(const QString &caption, QWidget *parent = nullptr);
    ~frmVista3D() override;

    // The point marked as the tool's target; none, no mark.
    void setTarget(const std::optional<arm::Point3> &target);

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;

private:
    struct Ui;

    // The joint angles, the tool position and the view's description.
    void showNumbers(const arm::ArmModel &model);
    void setCell(int row, int column, const QString &text);

    QPointer<ArmPanel> m_arm;
    std::optional<arm::Point3> m_target;
    QPointer<Ui> m_ui;
};

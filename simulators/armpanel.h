#pragma once

#include "kinematics.h"

#include <QObject>
#include <QRect>

class PictureArea;
class QLabel;
class QLineEdit;
class QWidget;

// Where one window puts the controls of its arm, as pixel rectangles (VbUnits::rect).
struct ArmPanelLayout
{
    QRect vislat, Label1, picSuperior, picLateral;
    QRect lblY, lblXsup, lblZ, lblX;
    QRect lblPosicionX, lblPosicionY, lblPosicionZ;
    QRect txtPosicionX, txtPosicionY, txtPosicionZ;
    QRect txtQ1, txtQ2, txtQ3, txtQ4;
};

// The arm of a simulator window: the four joint entries, the three position readouts,
// the two views with their titles and axis letters, the model behind them, the
// UpdateArm step and the handling of one received joint message. Both simulator windows
// host one, whatever feeds it.
class ArmPanel : public QObject
{
    Q_OBJECT

public:
    // Creates the controls on surface, at their design values and at the given places.
    ArmPanel(QWidget *surface, const ArmPanelLayout &layout);

    // The window's load: link table, default texts, T1..T5. No UpdateArm: the readouts
    // stay empty and the views blank until the first change of an entry.
    void Form_Load();

    // One receive: the first character selects the joint ("A".."D", exactly), the rest
    // goes unchanged into its entry; a bare selector writes the joint's default.
    // Anything else changes nothing.
    void JointMessage(const QString &received);

    // Chain product, clear both views, readouts X, Y, Z, draw side and top view.
    void UpdateArm();

    const arm::ArmModel &model() const { return m_model; }
    QLineEdit *entry(int joint) const;

    QLabel *vislat = nullptr;
    QLabel *Label1 = nullptr;
    PictureArea *picSuperior = nullptr;
    PictureArea *picLateral = nullptr;
    QLabel *lblY = nullptr;
    QLabel *lblXsup = nullptr;
    QLabel *lblZ = nullptr;
    QLabel *lblX = nullptr;
    QLabel *lblPosicionX = nullptr;
    QLabel *lblPosicionY = nullptr;
    QLabel *lblPosicionZ = nullptr;
    QLineEdit *txtPosicionX = nullptr;
    QLineEdit *txtPosicionY = nullptr;
    QLineEdit *txtPosicionZ = nullptr;
    QLineEdit *txtQ1 = nullptr;
    QLineEdit *txtQ2 = nullptr;
    QLineEdit *txtQ3 = nullptr;
    QLineEdit *txtQ4 = nullptr;

signals:
    // After every UpdateArm, once the views are drawn.
    void armUpdated();

private:
    void txtQ1_Change();
    void txtQ2_Change();
    void txtQ3_Change();
    void txtQ4_Change();
    // SetJointAngle then UpdateArm, unless the entry's text does not convert: then the
    // joint's transform, the readouts and the views stay as they were.
    void jointChanged(int joint);

    arm::ArmModel m_model;
};

#pragma once

#include "jointmessage.h"
#include "kinematics.h"

#include <QLocale>
#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>

class PictureArea;
class QLineEdit;
class QMenu;
class QWidget;

// Where one window puts the controls of its arm, as pixel rectangles (DesignUnits::rect).
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
// host one, whatever feeds it. Its controls carry their designed names. Each view has a
// context menu, from the mouse or the keyboard, whose entries the window gives.
class ArmPanel : public QObject
{
    Q_OBJECT

public:
    // Creates the controls on surface, at their design values and at the given places.
    ArmPanel(QWidget *surface, const ArmPanelLayout &layout);

    // The window's load: link table, default texts, T1..T5. No UpdateArm: the readouts
    // stay empty and the views blank until the first change of an entry.
    void Form_Load();

    // One message, as its bytes came: the first selects the joint ("A".."D", exactly), the
    // rest goes unchanged into its entry, whose change moves the arm before this returns; a
    // bare selector writes the joint's opening angle. Anything else changes nothing.
    protocol::Outcome JointMessage(const QByteArray &message);
    // One receive of a link: each joint message it holds (protocol::split) taken in order
    // by JointMessage, and told to taken once the arm has done with it.
    void Receive(const QByteArray &bytes,
                 const std::function<void(const QByteArray &message, const protocol::Outcome &outcome)> &taken);

    // Chain product, clear both views, readouts X, Y, Z, draw side and top view.
    void UpdateArm();

    const arm::ArmModel &model() const { return m_model; }
    // The joint angles the arm was last built from, Q1..Q4.
    std::array<int, 4> jointDegrees() const { return m_degrees; }
    // Where the tool is, also before the first UpdateArm.
    arm::Point3 tool() const;
    // Writes the four entries as typing them would: each changed entry moves the arm.
    void setJointTexts(const std::array<int, 4> &degrees);

signals:
    // After every UpdateArm, once the views are drawn.
    void armUpdated();
    // A view's context menu is about to open: the window adds its entries.
    void viewMenuAboutToShow(QMenu *menu);

private:
    // SetJointAngle then UpdateArm, unless the entry's text does not convert: then the
    // joint's transform, the readouts and the views stay as they were.
    void txtQ_Change(int joint);
    // The context menu of a view, at a point of it.
    void showViewMenu(QWidget *view, const QPoint &at);

    arm::ArmModel m_model;
    std::array<int, 4> m_degrees = arm::kOpeningPose;
    // The user's locale, read once: reading it costs more than the kinematics.
    const QLocale m_locale = QLocale::system();
    QLineEdit *m_entries[4] = {};
    QLineEdit *m_readouts[3] = {};
    PictureArea *m_side = nullptr;
    PictureArea *m_top = nullptr;
};

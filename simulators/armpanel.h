#pragma once

#include "kinematics.h"

#include <QLocale>
#include <QObject>
#include <QPoint>
#include <QRect>

class PictureArea;
class QLineEdit;
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

// What one received text did to the arm.
struct JointMessageOutcome
{
    enum class Kind {
        Moved,            // the joint took the angle
        UnknownSelector,  // empty, or not starting with "A".."D"
        NotANumber,       // the entry took the text, which does not convert: the arm stays
        SameText,         // the entry already held that text
    };
    Kind kind = Kind::UnknownSelector;
    int joint = 0;        // 1..4 once a selector was recognised
    qint32 degrees = 0;   // the angle taken, for Moved
};

// The arm of a simulator window: the four joint entries, the three position readouts,
// the two views with their titles and axis letters, the model behind them, the
// UpdateArm step and the handling of one received joint message. Both simulator windows
// host one, whatever feeds it. Its controls carry their designed names. Each view has a
// context menu whose one entry asks for the window's 3D view.
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
    // goes unchanged into its entry, whose change moves the arm before this returns; a
    // bare selector writes the joint's opening angle. Anything else changes nothing.
    JointMessageOutcome JointMessage(const QString &received);

    // Chain product, clear both views, readouts X, Y, Z, draw side and top view.
    void UpdateArm();

    const arm::ArmModel &model() const { return m_model; }

signals:
    // After every UpdateArm, once the views are drawn.
    void armUpdated();
    // The user chose "Vista 3D…" in a view's context menu.
    void view3dRequested();

private:
    // SetJointAngle then UpdateArm, unless the entry's text does not convert: then the
    // joint's transform, the readouts and the views stay as they were.
    void txtQ_Change(int joint);
    // The context menu of a view, at a point of it.
    void showViewMenu(QWidget *view, const QPoint &at);

    arm::ArmModel m_model;
    // The user's locale, read once: reading it costs more than the kinematics.
    const QLocale m_locale = QLocale::system();
    QLineEdit *m_entries[4] = {};
    QLineEdit *m_readouts[3] = {};
    PictureArea *m_side = nullptr;
    PictureArea *m_top = nullptr;
};

#pragma once

#include "kinematics.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QObject>
#include <QRect>
#include <QTimer>

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
// host one, whatever feeds it. Its controls carry their designed names.
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
    JointMessageOutcome JointMessage(const QString &received);

    // Chain product, clear both views, draw side and top view, readouts X, Y, Z (as often as
    // the readout interval allows).
    void UpdateArm();

    const arm::ArmModel &model() const { return m_model; }

    // The readouts follow the arm at most this often while it keeps moving, and show its
    // last position at the end of each interval; a move after a quiet interval shows at
    // once. Default one screen frame; 0 writes them with every move.
    void setReadoutInterval(int ms) { m_readoutIntervalMs = ms; }

signals:
    // After every UpdateArm, once the views are drawn.
    void armUpdated();

private:
    // SetJointAngle then UpdateArm, unless the entry's text does not convert: then the
    // joint's transform, the readouts and the views stay as they were.
    void txtQ_Change(int joint);
    void readoutsChanged();
    void writeReadouts();

    arm::ArmModel m_model;
    // The user's locale, read once: reading it costs more than the kinematics.
    const QLocale m_locale = QLocale::system();
    QLineEdit *m_entries[4] = {};
    QLineEdit *m_readouts[3] = {};
    PictureArea *m_side = nullptr;
    PictureArea *m_top = nullptr;
    // The tool position of the last UpdateArm, until the readouts show it.
    arm::Point3 m_tool{};
    QTimer m_readoutTimer;
    QElapsedTimer m_readoutAge;
    int m_readoutIntervalMs;
};

#pragma once

#include "kinematics.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QObject>
#include <QRect>
#include <QTimer>

#include <optional>

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
    // Anything else changes nothing. The arm moves at once; the entry shows the text with
    // the readouts.
    JointMessageOutcome JointMessage(const QString &received);

    // Chain product, clear both views, draw side and top view, readouts X, Y, Z (as often as
    // the display interval allows).
    void UpdateArm();

    const arm::ArmModel &model() const { return m_model; }

    // The readouts, and the entries a link writes to, follow the arm at most this often
    // while it keeps moving, and show its last position at the end of each interval; a
    // move after a quiet interval shows at once. 0 writes them with every move.
    void setDisplayInterval(int ms) { m_displayIntervalMs = ms; }
    // Ten times a second: numbers that change faster cannot be read, and each write lays
    // out its text and repaints its box. The views still show every frame.
    static constexpr int kDisplayIntervalMs = 100;

signals:
    // After every UpdateArm, once the views are drawn.
    void armUpdated();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // SetJointAngle then UpdateArm, unless the entry's text does not convert: then the
    // joint's transform, the readouts and the views stay as they were.
    void txtQ_Change(int joint);
    // The text an entry holds, or will show at the end of the interval.
    QString entryText(int joint) const;
    void displayChanged();
    void writeDisplay();

    arm::ArmModel m_model;
    // The user's locale, read once: reading it costs more than the kinematics.
    const QLocale m_locale = QLocale::system();
    QLineEdit *m_entries[4] = {};
    QLineEdit *m_readouts[3] = {};
    PictureArea *m_side = nullptr;
    PictureArea *m_top = nullptr;
    // The tool position of the last UpdateArm, until the readouts show it. None before
    // the first move: the readouts stay empty rather than show a position never worked out.
    std::optional<arm::Point3> m_pendingTool;
    // A link's texts, until their entries show them.
    std::optional<QString> m_pendingEntries[4];
    bool m_writingEntries = false;
    QTimer m_displayTimer;
    QElapsedTimer m_displayAge;
    int m_displayIntervalMs;
};

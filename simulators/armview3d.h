#pragma once

#include "camera.h"
#include "kinematics.h"

#include <QFrame>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>

#include <optional>
#include <vector>

// The arm in three dimensions, painted with QPainter in perspective: on a ground grid in
// model units with the base axes x, y and z, the arm as thick segments from the base
// through the frame origins to the tool with a disc at each joint, nearer parts over
// farther ones, and, when asked, the x, y and z axes of every Denavit-Hartenberg frame. A drag or the arrow
// keys orbit the camera, the wheel or + and - zoom, a double click or Home brings back the
// first camera; none of it touches the model. A target point, when given, is marked where
// the tool should go. Its border is the flat views' sunken panel.
class FrameTask;

class ArmView3D : public QFrame
{
    Q_OBJECT

public:
    explicit ArmView3D(QWidget *parent = nullptr);

    // A copy of a model whose poses are worked out, painted with the window's next paint.
    void setModel(const arm::ArmModel &model);
    void setFramesShown(bool shown);
    // The point marked as the tool's target; none, no mark.
    void setTarget(const std::optional<arm::Point3> &target);
    const arm::Camera &camera() const { return m_camera; }
    // Where the tool marker is painted, in pixels of this widget.
    QPointF toolPixel() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    struct Figure;

    arm::ScreenPoint place(const arm::Point3 &p) const;
    // The strokes and discs of the arm, farthest first, the tool marker last.
    std::vector<Figure> armFigures() const;
    // The grid, the base axes and their letters, which only the camera and the size change.
    void paintGround();
    // A new camera: a new ground, and all of the drawing repainted.
    void cameraMoved();
    // Where the arm was and where it goes, to be painted.
    void poseMoved();

    arm::ArmModel m_model;
    arm::Camera m_camera;
    bool m_framesShown = false;
    std::optional<arm::Point3> m_target;
    QPoint m_dragFrom;
    QImage m_ground;
    // The pixels the arm covered when last painted.
    QRect m_armPainted;
    FrameTask *m_poseMoved = nullptr;
};

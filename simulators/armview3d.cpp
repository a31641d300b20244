#include "armview3d.h"

#include "frameclock.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

using arm::Point3;

// One stroke or disc of the arm's drawing.
struct ArmView3D::Figure
{
    QPointF from;
    QPointF to;
    double depth = 0.0;
    QRgb color = 0;
    double width = 0.0;    // the pen: the stroke, or the disc's outline
    double radius = 0.0;   // a disc at from, when above zero; a ring of -radius below zero

    // The pixels it may touch, antialiasing included.
    QRect reach() const
    {
        const double r = std::fabs(radius) + width / 2.0 + 1.0;
        return QRectF(from, to).normalized().adjusted(-r, -r, r, r).toAlignedRect();
    }
};

namespace {

// Sizes in model units, where the arm's links are 9 long.
constexpr double kGridHalf = 25.0;
constexpr double kGridStep = 5.0;
constexpr double kBaseAxisLength = 12.0;
constexpr double kFrameAxisLength = 4.0;
constexpr double kLinkWidth = 1.2;
constexpr double kJointRadius = 1.3;
// Sizes in pixels, the same however far.
constexpr double kBaseAxisPen = 2.0;
constexpr double kFrameAxisPen = 1.5;
constexpr double kOutlinePen = 1.5;
constexpr double kToolMarkerRadius = 5.0;

constexpr double kOrbitStepDeg = 5.0;
constexpr double kDragDegPerPixel = 0.5;
constexpr double kZoomStep = 1.1;

constexpr QRgb kGridColor = 0xFFD8D8D8;
constexpr QRgb kLinkColor = 0xFF505860;
constexpr QRgb kJointColor = 0xFFFF0000;
constexpr QRgb kOutlineColor = 0xFF202020;
constexpr QRgb kToolColor = 0xFFFF8C00;
constexpr QRgb kTargetColor = 0xFF00A0C0;
constexpr double kTargetMarkerRadius = 7.0;
constexpr QRgb kAxisColors[3] = {0xFFD02020, 0xFF20A020, 0xFF2040D0};

QPointF pixel(const arm::ScreenPoint &p)
{
    return QPointF(p.x, p.y);
}

Point3 along(const arm::LinkTransform &frame, int axis, double length)
{
    const Point3 o = arm::origin(frame);
    return {o.x + length * frame(1, axis), o.y + length * frame(2, axis), o.z + length * frame(3, axis)};
}

Point3 alongBase(int axis, double length)
{
    return {axis == 1 ? length : 0.0, axis == 2 ? length : 0.0, axis == 3 ? length : 0.0};
}

} // namespace

ArmView3D::ArmView3D(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    setAccessibleName(QStringLiteral("Vista 3D del brazo"));
    // The figures of a pose are worked out once a frame, right before the window paints,
    // however many poses came since: a pose that no screen shows needs none.
    m_poseMoved = new FrameTask(this, [this] { poseMoved(); });
}

void ArmView3D::setModel(const arm::ArmModel &model)
{
    m_model = model;
    m_poseMoved->request();
}

void ArmView3D::poseMoved()
{
    // Where the arm was and where it goes, over the ground painted once per camera: the
    // whole drawing, grid and letters included, with every pose cost three times as much.
    QRect changed = m_armPainted;
    for (const Figure &figure : armFigures())
        changed |= figure.reach();
    update(changed & contentsRect());
}

void ArmView3D::setFramesShown(bool shown)
{
    m_framesShown = shown;
    update(contentsRect());
}

void ArmView3D::setTarget(const std::optional<arm::Point3> &target)
{
    m_target = target;
    update(contentsRect());
}

arm::ScreenPoint ArmView3D::place(const Point3 &p) const
{
    return m_camera.project(p, width(), height());
}

QPointF ArmView3D::toolPixel() const
{
    return pixel(place(m_model.tool()));
}

std::vector<ArmView3D::Figure> ArmView3D::armFigures() const
{
    std::vector<Figure> figures;
    const double w = width();
    const double h = height();
    if (m_framesShown) {
        auto axes = [&](const arm::LinkTransform &frame) {
            const arm::ScreenPoint o = place(arm::origin(frame));
            for (int axis = 1; axis <= 3; ++axis) {
                const arm::ScreenPoint tip = place(along(frame, axis, kFrameAxisLength));
                figures.push_back({pixel(o), pixel(tip), (o.depth + tip.depth) / 2.0, kAxisColors[axis - 1],
                                   kFrameAxisPen});
            }
        };
        axes(m_model.transform[0]);
        for (const arm::LinkTransform &pose : m_model.pose)
            axes(pose);
    }
    const std::array<Point3, 6> chain = {Point3{}, m_model.jointOrigin(1), m_model.jointOrigin(2),
                                         m_model.jointOrigin(3), m_model.jointOrigin(4), m_model.tool()};
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
        const arm::ScreenPoint a = place(chain[i]);
        const arm::ScreenPoint b = place(chain[i + 1]);
        const double depth = (a.depth + b.depth) / 2.0;
        figures.push_back({pixel(a), pixel(b), depth, kLinkColor, kLinkWidth * m_camera.pixelsPerUnit(depth, w, h)});
    }
    for (int frame = 1; frame <= 4; ++frame) {
        const arm::ScreenPoint c = place(chain[frame]);
        figures.push_back({pixel(c), pixel(c), c.depth, kJointColor, kOutlinePen,
                           kJointRadius * m_camera.pixelsPerUnit(c.depth, w, h)});
    }
    std::stable_sort(figures.begin(), figures.end(),
                     [](const Figure &a, const Figure &b) { return a.depth > b.depth; });
    // The target and the point the readouts give are never hidden behind the arm; the
    // target is a ring, so that a tool that reached it shows inside.
    if (m_target) {
        const QPointF target = pixel(place(*m_target));
        figures.push_back({target, target, 0.0, kTargetColor, kOutlinePen, -kTargetMarkerRadius});
    }
    const QPointF tool = toolPixel();
    figures.push_back({tool, tool, 0.0, kToolColor, kOutlinePen, kToolMarkerRadius});
    return figures;
}

void ArmView3D::paintGround()
{
    // In the screen's own pixels, which a high-density screen has more of.
    m_ground = QImage(size() * devicePixelRatioF(), QImage::Format_RGB32);
    m_ground.setDevicePixelRatio(devicePixelRatioF());
    m_ground.fill(Qt::white);
    QPainter painter(&m_ground);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(kGridColor), 1.0));
    for (double k = -kGridHalf; k <= kGridHalf; k += kGridStep) {
        painter.drawLine(pixel(place({k, -kGridHalf, 0.0})), pixel(place({k, kGridHalf, 0.0})));
        painter.drawLine(pixel(place({-kGridHalf, k, 0.0})), pixel(place({kGridHalf, k, 0.0})));
    }
    // The base axes lie with the ground, under the arm, which stands on them.
    const QPointF base = pixel(place({}));
    for (int axis = 1; axis <= 3; ++axis) {
        const QColor color(kAxisColors[axis - 1]);
        painter.setPen(QPen(color, kBaseAxisPen, Qt::SolidLine, Qt::RoundCap));
        const QPointF tip = pixel(place(alongBase(axis, kBaseAxisLength)));
        painter.drawLine(base, tip);
        painter.drawText(tip + QPointF(5.0, -3.0), QString(QLatin1Char("xyz"[axis - 1])));
    }
}

void ArmView3D::cameraMoved()
{
    m_ground = QImage();
    update(contentsRect());
}

void ArmView3D::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // The border only when uncovered: a new pose repaints the inside alone.
    if (!contentsRect().contains(event->rect()))
        drawFrame(&painter);
    if (m_ground.deviceIndependentSize() != QSizeF(size()) || m_ground.devicePixelRatio() != devicePixelRatioF())
        paintGround();
    const QRect inside = event->rect() & contentsRect();
    painter.setClipRect(inside);
    const qreal ratio = m_ground.devicePixelRatio();
    painter.drawImage(QRectF(inside), m_ground, QRectF(QPointF(inside.topLeft()) * ratio, QSizeF(inside.size()) * ratio));

    painter.setRenderHint(QPainter::Antialiasing);
    m_armPainted = QRect();
    for (const Figure &figure : armFigures()) {
        if (figure.radius < 0.0) {
            painter.setPen(QPen(QColor(figure.color), 2.0 * figure.width));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(figure.from, -figure.radius, -figure.radius);
        } else if (figure.radius > 0.0) {
            // The outline as a larger disc below: stroked, it cost three times as much.
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(kOutlineColor));
            painter.drawEllipse(figure.from, figure.radius + figure.width / 2.0, figure.radius + figure.width / 2.0);
            painter.setBrush(QColor(figure.color));
            painter.drawEllipse(figure.from, figure.radius - figure.width / 2.0, figure.radius - figure.width / 2.0);
        } else {
            painter.setPen(QPen(QColor(figure.color), figure.width, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(figure.from, figure.to);
        }
        m_armPainted |= figure.reach();
    }

    // A dotted line inside the border: some styles' focus frame tints the whole drawing.
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}

void ArmView3D::keyPressEvent(QKeyEvent *event)
{
    // The arrows turn the arm as a drag that way would.
    switch (event->key()) {
    case Qt::Key_Left: m_camera.orbit(kOrbitStepDeg, 0.0); break;
    case Qt::Key_Right: m_camera.orbit(-kOrbitStepDeg, 0.0); break;
    case Qt::Key_Up: m_camera.orbit(0.0, -kOrbitStepDeg); break;
    case Qt::Key_Down: m_camera.orbit(0.0, kOrbitStepDeg); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: m_camera.zoom(kZoomStep); break;
    case Qt::Key_Minus: m_camera.zoom(1.0 / kZoomStep); break;
    case Qt::Key_Home: m_camera.reset(); break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    cameraMoved();
}

void ArmView3D::mousePressEvent(QMouseEvent *event)
{
    m_dragFrom = event->position().toPoint();
}

void ArmView3D::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint to = event->position().toPoint();
    const QPoint moved = to - m_dragFrom;
    m_dragFrom = to;
    m_camera.orbit(-moved.x() * kDragDegPerPixel, moved.y() * kDragDegPerPixel);
    cameraMoved();
}

void ArmView3D::mouseDoubleClickEvent(QMouseEvent *)
{
    m_camera.reset();
    cameraMoved();
}

void ArmView3D::wheelEvent(QWheelEvent *event)
{
    // One notch of an ordinary wheel is 120.
    m_camera.zoom(std::pow(kZoomStep, event->angleDelta().y() / 120.0));
    cameraMoved();
}

#include "monitorplot.h"

#include "frameclock.h"
#include "programclock.h"
#include "receiptlog.h"

#include <QBoxLayout>

#include <qcustomplot.h>

namespace {

// The arm reaches 21.125 from its shoulder, which stands 9.75 up.
constexpr double kLowestPosition = -25.0;
constexpr double kHighestPosition = 35.0;
// Data older than the longest window is let go a few seconds at a time.
constexpr double kTrimSlackSeconds = 5.0;

const QColor kCurveColors[7] = {QColor(0xD0, 0x20, 0x20), QColor(0x20, 0x90, 0x20), QColor(0x20, 0x40, 0xD0),
                                QColor(0xB0, 0x60, 0x00), QColor(0x80, 0x20, 0x80), QColor(0x00, 0x90, 0x90),
                                QColor(0x50, 0x50, 0x50)};
const char *const kCurveNames[7] = {"Q1", "Q2", "Q3", "Q4", "X", "Y", "Z"};

// Seconds since the epoch, as the plot's time axis counts.
double keyOf(qint64 ms)
{
    return double(ProgramClock::epochMs(ms)) / 1000.0;
}

} // namespace

MonitorPlot::MonitorPlot(QWidget *parent)
    : QWidget(parent)
    , m_plot(new QCustomPlot(this))
    , m_draw(new FrameTask(this, [this] { draw(); }))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    m_plot->setObjectName(QStringLiteral("plotArticulaciones"));
    m_plot->setAccessibleName(QStringLiteral("Gráfica de las articulaciones"));
    // Drawn once a frame from inside the window's paint: a repaint of its own would paint
    // the window a second time.
    m_plot->setPlottingHint(QCP::phImmediateRefresh, false);
    m_plot->setPlottingHint(QCP::phFastPolylines, true);
    m_plot->setPlottingHint(QCP::phCacheLabels, true);
    m_plot->setNotAntialiasedElements(QCP::aeAll);
    // The tick labels change as time goes by; numbers need no shaper.
    QFont labels = m_plot->xAxis->tickLabelFont();
    labels.setStyleStrategy(QFont::PreferNoShaping);
    for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis, m_plot->yAxis2})
        axis->setTickLabelFont(labels);

    QSharedPointer<QCPAxisTickerDateTime> clock(new QCPAxisTickerDateTime);
    clock->setDateTimeFormat(QStringLiteral("HH:mm:ss"));
    m_plot->xAxis->setTicker(clock);
    m_plot->xAxis->setLabel(QStringLiteral("Hora"));
    m_plot->yAxis->setLabel(QStringLiteral("Ángulo (°)"));
    m_plot->yAxis2->setLabel(QStringLiteral("Posición de la herramienta"));
    m_plot->yAxis->setRange(m_lowestAngle, m_highestAngle);
    m_plot->yAxis2->setRange(kLowestPosition, kHighestPosition);
    for (int curve = 0; curve < 7; ++curve) {
        QCPAxis *values = curve < 4 ? m_plot->yAxis : m_plot->yAxis2;
        m_curves[curve] = m_plot->addGraph(m_plot->xAxis, values);
        m_curves[curve]->setName(QLatin1String(kCurveNames[curve]));
        // One-pixel pens: a curve of a thousand steps is drawn as a fast polyline.
        m_curves[curve]->setPen(QPen(kCurveColors[curve], 1, curve < 4 ? Qt::SolidLine : Qt::DashLine));
        // The arm holds each angle until the next message.
        m_curves[curve]->setLineStyle(QCPGraph::lsStepLeft);
    }
    m_plot->legend->setVisible(true);
    QFont small = m_plot->legend->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_plot->legend->setFont(small);
    m_plot->legend->setBrush(QColor(255, 255, 255, 200));
    // Over the oldest data: the newest comes in on the right.
    m_plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);
    setMinimumHeight(180);
    setPositionShown(false);
    follow();
}

void MonitorPlot::seed(const ReceiptLog &log)
{
    clear();
    for (int row = 0; row < log.rowCount(); ++row)
        append(log.receipt(row));
}

void MonitorPlot::append(const Receipt &receipt)
{
    const double key = keyOf(receipt.ms);
    const double values[7] = {double(receipt.joints[0]), double(receipt.joints[1]), double(receipt.joints[2]),
                              double(receipt.joints[3]), receipt.tool.x, receipt.tool.y, receipt.tool.z};
    for (int curve = 0; curve < 7; ++curve)
        m_curves[curve]->addData(key, values[curve]);
    for (int joint = 0; joint < 4; ++joint) {
        m_lowestAngle = std::min(m_lowestAngle, values[joint]);
        m_highestAngle = std::max(m_highestAngle, values[joint]);
    }
    m_newestKey = key;
    m_draw->request();
}

void MonitorPlot::clear()
{
    for (QCPGraph *curve : m_curves)
        curve->data()->clear();
    m_lowestAngle = -180.0;
    m_highestAngle = 180.0;
    m_draw->request();
}

void MonitorPlot::setWindowSeconds(int seconds)
{
    m_windowSeconds = seconds;
    follow();
    m_draw->request();
}

void MonitorPlot::setPositionShown(bool shown)
{
    for (int curve = 4; curve < 7; ++curve) {
        m_curves[curve]->setVisible(shown);
        if (shown)
            m_curves[curve]->addToLegend();
        else
            m_curves[curve]->removeFromLegend();
    }
    m_plot->yAxis2->setVisible(shown);
    m_draw->request();
}

void MonitorPlot::setPaused(bool paused)
{
    m_paused = paused;
    // Zoom and drag while the plot stands still; following again, it shows the newest.
    m_plot->setInteractions(paused ? QCP::iRangeDrag | QCP::iRangeZoom : QCP::Interactions());
    if (!paused)
        follow();
    m_draw->request();
}

bool MonitorPlot::savePng(const QString &fileName) const
{
    return m_plot->savePng(fileName, m_plot->width(), m_plot->height());
}

QList<QPointF> MonitorPlot::points(int curve) const
{
    QList<QPointF> points;
    for (const QCPGraphData &point : *m_curves[curve]->data())
        points.append(QPointF(point.key, point.value));
    return points;
}

void MonitorPlot::follow()
{
    const double newest = m_newestKey > 0.0 ? m_newestKey : keyOf(ProgramClock::ms());
    m_plot->xAxis->setRange(newest - m_windowSeconds, newest);
}

void MonitorPlot::draw()
{
    // Points older than the longest window go, a few seconds of them at a time.
    const double oldest = m_newestKey - kLongestSeconds;
    if (!m_curves[0]->data()->isEmpty() && m_curves[0]->data()->constBegin()->key < oldest - kTrimSlackSeconds) {
        for (QCPGraph *curve : m_curves)
            curve->data()->removeBefore(oldest);
    }
    if (!m_paused) {
        follow();
        m_plot->yAxis->setRange(m_lowestAngle, m_highestAngle);
    }
    m_plot->replot(QCustomPlot::rpQueuedRefresh);
}

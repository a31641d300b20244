#pragma once

#include <QWidget>

class FrameTask;
class QCPAxis;
class QCPGraph;
class QCustomPlot;
class ReceiptLog;
struct Receipt;

// The live plot of one simulator's joints: Q1..Q4 in degrees over the last seconds, and,
// when asked, the tool's X, Y and Z on a second axis, with a legend and labelled axes. The
// data takes every message at once; the plot is drawn once a frame, right before its window
// paints. Paused, it stands still and can be zoomed and dragged.
class MonitorPlot : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kLongestSeconds = 120;

    explicit MonitorPlot(QWidget *parent = nullptr);

    // The messages kept so far, as the plot's first data.
    void seed(const ReceiptLog &log);
    void append(const Receipt &receipt);
    void clear();

    // How many seconds, up to the newest message, are shown.
    void setWindowSeconds(int seconds);
    void setPositionShown(bool shown);
    void setPaused(bool paused);

    bool savePng(const QString &fileName) const;
    // The points of a curve: 0..3 the joints, 4..6 X, Y and Z.
    QList<QPointF> points(int curve) const;

private:
    void draw();
    void follow();

    QCustomPlot *m_plot = nullptr;
    FrameTask *m_draw = nullptr;
    QCPGraph *m_curves[7] = {};
    int m_windowSeconds = 10;
    bool m_paused = false;
    double m_newestKey = 0.0;
    // What the data has reached, for the axes: they grow to it and never jump about.
    double m_lowestAngle = -180.0;
    double m_highestAngle = 180.0;
};

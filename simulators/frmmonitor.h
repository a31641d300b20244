#pragma once

#include "companionform.h"

#include <QPointer>

struct Receipt;

// What one simulator's link brought, seen: every message with its time, the gap since the
// one before, its bytes and what the arm made of it, newest last and followed unless the
// user scrolled up; the counters and the rate; how the link stands; a live plot of the
// joints; saving the rows and the plot; starting and stopping the recording.
class frmMonitor : public CompanionForm
{
    Q_OBJECT

public:
    // The caption names the simulator it belongs to.
    explicit frmMonitor(const QString &caption, QWidget *parent = nullptr);
    ~frmMonitor() override;

    // The kept rows in the recording's columns; false, with the reason, when the file
    // cannot be written.
    bool saveData(const QString &fileName, QString *error) const;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;

private:
    struct Ui;

    void taken(const Receipt &receipt);
    void showCounters();
    void showLink();
    void showRecording();
    void setPaused(bool paused);
    void clearAll();
    void record();
    void askSaveData();
    void askSaveImage();

    QPointer<Ui> m_ui;
};

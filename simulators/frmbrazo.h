#pragma once

#include "mdiform.h"
#include "messagerecorder.h"
#include "settings.h"

#include <QPointer>

// The simulator whose arm follows a machine on serial port 1: every serial event reads
// whatever is waiting and takes it as one joint message. Nothing is ever sent on the line.
class frmBrazo : public MdiForm
{
    Q_OBJECT

public:
    explicit frmBrazo(const Settings &settings, QWidget *parent = nullptr);
    ~frmBrazo() override;

    // Every receive is recorded there from now on; null records nothing.
    void setRecorder(MessageRecorder *recorder) { m_recorder = recorder; }

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;

private:
    struct Ui;

    void Comm1_OnComm();
    void Comm1_Error(const QString &device, const QString &reason);

    const Settings m_settings;
    QPointer<Ui> m_ui;
    QPointer<MessageRecorder> m_recorder;
};

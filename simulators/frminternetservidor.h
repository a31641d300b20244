#pragma once

#include "mdiform.h"
#include "messagerecorder.h"
#include "settings.h"

#include <QPointer>

// The simulator whose arm a remote program moves over TCP: one client at a time on the
// chosen port, each receive taken as one joint message, nothing ever sent back.
class frmInternetServidor : public MdiForm
{
    Q_OBJECT

public:
    explicit frmInternetServidor(const Settings &settings, QWidget *parent = nullptr);
    ~frmInternetServidor() override;

    // Every receive is recorded there from now on; null records nothing.
    void setRecorder(MessageRecorder *recorder) { m_recorder = recorder; }

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    struct Ui;

    void Winsock1_DataArrival(const QString &received);
    void Winsock1_ListenFailed(const QString &message);

    const Settings m_settings;
    QPointer<Ui> m_ui;
    QPointer<MessageRecorder> m_recorder;
};

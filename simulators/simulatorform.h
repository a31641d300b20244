#pragma once

#include "mdiform.h"

#include <QByteArray>
#include <QPointer>

class ArmPanel;
class Link;
struct ArmPanelLayout;
class MessageRecorder;
class frmVista3D;

// What the two simulator windows share: the arm, a link whose every receive is one joint
// message for it, the recording of those receives, and a load that opens the link. A
// window supplies its caption, its layout, its link, where a receive came from, what the
// user is told when the link fails and its 3D view's caption; nothing is ever sent on the
// link. Each window has its own 3D view, opened from its views' context menu and closed
// with the window.
class SimulatorForm : public MdiForm
{
    Q_OBJECT

public:
    ~SimulatorForm() override;

    // Every receive is recorded there from now on; null records nothing.
    void setRecorder(MessageRecorder *recorder);

protected:
    explicit SimulatorForm(QWidget *parent = nullptr);

    // From createControls: the arm of this load, at the window's places, fed by the
    // window's link, both controls of surface.
    void createArm(QWidget *surface, const ArmPanelLayout &layout, Link *link);

    // The arm's load, then the link opens. A link that cannot open leaves the window
    // usable: the typed angles still move the arm.
    void Form_Load() override;
    void Form_Unload() override;

    // Where the receives come from, as the recording names it.
    virtual QString origin() const = 0;
    // Tells the user that the link could not open at load, or failed later.
    virtual void linkFailed(const QString &reason, bool atLoad) = 0;
    // The caption of this window's 3D view.
    virtual QString view3dCaption() const = 0;

private:
    struct Ui;

    void received(const QByteArray &bytes);
    // Opens the 3D view in this window's frame, or brings it to the front.
    void showView3d();

    QPointer<Ui> m_ui;
    QPointer<MessageRecorder> m_recorder;
    // Created at the first request, one for the window's life.
    QPointer<frmVista3D> m_view3d;
};

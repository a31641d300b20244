#pragma once

#include "kinematics.h"
#include "mdiform.h"
#include "messagerecorder.h"

#include <QByteArray>
#include <QPointer>

#include <optional>

class ArmPanel;
class Link;
struct ArmPanelLayout;
class QMenu;
class ReceiptLog;
struct Receipt;
class frmIrAPosicion;
class frmMonitor;
class frmVista3D;

// What the two simulator windows share: the arm, a link whose receives are joint messages
// for it, the recording and the monitor's log of those messages, and a load that opens the
// link. A window supplies its caption, its layout, its link, where a message came from,
// what the user is told when the link fails, how its link stands and its name among the
// simulators; nothing is ever sent on the link.
//
// Each window has its companions, opened from its views' context menu and closed with it:
// its 3D view, its monitor and its "go to a position" window.
class SimulatorForm : public MdiForm
{
    Q_OBJECT

public:
    ~SimulatorForm() override;

    // Every message is recorded there from now on; null records nothing.
    void setRecorder(MessageRecorder *recorder);
    MessageRecorder *recorder() const { return m_recorder; }
    // The messages taken, kept across loads for the monitor.
    ReceiptLog *receiptLog() const { return m_log; }
    // The arm of this load; null while the window is closed.
    ArmPanel *arm() const;
    // The simulator as the menu "Controlar desde..." names it: "Maquina Serial", "Internet".
    virtual QString simulatorName() const = 0;
    // How the link stands now, in a few Spanish words: the port or the listening address,
    // open or not, the client.
    virtual QString linkState() const = 0;

    // A point that the companions mark as the tool's target; none, no mark.
    void setTarget(const std::optional<arm::Point3> &target);
    std::optional<arm::Point3> target() const { return m_target; }

signals:
    // After each message, once the arm has done with it.
    void messageTaken(const Receipt &receipt);
    void linkStateChanged();

protected:
    explicit SimulatorForm(QWidget *parent = nullptr);

    // From createControls: the arm of this load, at the window's places, fed by the
    // window's link, both controls of surface.
    void createArm(QWidget *surface, const ArmPanelLayout &layout, Link *link);
    Link *link() const;

    // The arm's load, then the link opens. A link that cannot open leaves the window
    // usable: the typed angles still move the arm.
    void Form_Load() override;
    void Form_Unload() override;

    // Where the messages come from, as the recording names it.
    virtual QString origin() const = 0;
    // Opens the link at the load: by itself, unless the window has its own way.
    virtual void openLink();
    // Tells the user that the link could not open at load, or failed later; nothing for a
    // window whose way of opening its link tells it.
    virtual void linkFailed(bool atLoad) { Q_UNUSED(atLoad); }
    // The entries of the views' context menu; a window adds its own after these.
    virtual void fillViewMenu(QMenu *menu);

private:
    struct Ui;

    void received(const QByteArray &bytes);
    template <typename Form>
    void showCompanion(QPointer<Form> &form, const QString &what);

    QPointer<Ui> m_ui;
    QPointer<MessageRecorder> m_recorder;
    ReceiptLog *m_log = nullptr;
    std::optional<arm::Point3> m_target;
    // Created at the first request, one each for the window's life.
    QPointer<frmVista3D> m_view3d;
    QPointer<frmMonitor> m_monitor;
    QPointer<frmIrAPosicion> m_goTo;
};

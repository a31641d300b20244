#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>

class QMdiArea;
class QMdiSubWindow;

// The controls of one load of a window. Every window keeps its controls in a struct derived
// from this, built in createControls() as a child of the load's surface and held through a
// QPointer: the controls go with the surface when the window closes, and the pointer reads
// null until the next load instead of dangling.
class FormControls : public QObject
{
public:
    explicit FormControls(QWidget *surface)
        : QObject(surface)
    {
    }
};

// A child window of the multiple-document frame, with the life of the designed windows:
// one instance for the whole program; every load builds its controls afresh at their
// design values and runs Form_Load; closing runs Form_Unload and destroys the controls
// (and with them any port they hold), while the members of the subclass, its
// window-level variables, keep their values for the next load.
class MdiForm : public QWidget
{
    Q_OBJECT

public:
    explicit MdiForm(QWidget *parent = nullptr);
    ~MdiForm() override;

    // Loads and shows the window in the frame if it is not open; otherwise only brings it
    // to the front. Either way it becomes the active child window.
    void showIn(QMdiArea *area);

    bool isLoaded() const { return m_surface != nullptr; }
    // The designed client area: the sub-window sizes itself around it.
    QSize sizeHint() const override;
    QMdiSubWindow *subWindow() const { return m_subWindow; }

protected:
    // Creates the controls, with their design-time values, as children of surface.
    virtual void createControls(QWidget *surface) = 0;
    // The client area in twips as designed.
    virtual QSize designClientSize() const = 0;
    // A fixed border: the user cannot resize the window, nor maximize or minimize it.
    virtual bool fixedBorder() const { return false; }
    // What a screen reader calls the window; its caption unless that says nothing of it.
    virtual QString accessibleWindowName() const { return windowTitle(); }
    // Controls in layouts rather than at designed places: the surface follows the window's
    // size, and a larger window gives them the room.
    virtual bool laidOut() const { return false; }

    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // Each time the window becomes the active child window, including its first showing;
    // not when the whole application merely regains the focus.
    virtual void Form_Activate() {}

    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // Shows an application-modal message once the window is on screen, rather than from
    // inside its load or a port's notification. Dropped if the window has closed by then.
    // With an offer, a second button beside OK runs onOffer.
    void showMessageLater(const QString &text, const QString &title, const QString &offer = QString(),
                          const std::function<void()> &onOffer = {});
    // Sets the outer size of the window, frame included, in twips.
    void setOuterSizeTwips(int width, int height);

private:
    void load();
    void unload();
    void subWindowActivated(QMdiSubWindow *window);

    QWidget *m_surface = nullptr;
    QMdiSubWindow *m_subWindow = nullptr;
    bool m_active = false;
};

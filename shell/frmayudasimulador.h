#pragma once

#include "mdiform.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMouseEvent;

// The guide to the simulator windows: ten pictures of a simulator's elements and a red box
// that explains whichever picture the pointer moves over, or gives the general
// instruction over the bare background. It has no other behaviour and keeps no state
// beyond the box's text, which a new load starts empty.
class frmAyudaSimulador : public MdiForm
{
    Q_OBJECT

public:
    explicit frmAyudaSimulador(QWidget *parent = nullptr);

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    using MouseMoveHandler = void (frmAyudaSimulador::*)(Qt::MouseButtons, Qt::KeyboardModifiers,
                                                         qreal, qreal);
    struct Ui;

    // A picture, named for a screen reader by what it shows.
    void image(QWidget *surface, const char *name, const QString &description, int left, int top,
               int width, int height, MouseMoveHandler handler);

    // The arguments are those of every mouse move; the guide needs none of them.
    void Form_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X, qreal Y);
    void imgLateral_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X,
                              qreal Y);
    void imgSuperior_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X,
                               qreal Y);
    void imgQ1_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X, qreal Y);
    void imgQ2_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X, qreal Y);
    void imgQ3_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X, qreal Y);
    void imgQ4_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X, qreal Y);
    void imgX_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X, qreal Y);
    void imgY_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X, qreal Y);
    void imgZ_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, qreal X, qreal Y);

    // Replaces the whole text of the box, every time, whatever it holds.
    void explain(const QStringList &lines);

    QPointer<Ui> m_ui;
};

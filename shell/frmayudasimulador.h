#pragma once

#include "mdiform.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class ImageControl;
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
    // Its caption, "Form1", is that of two other windows too.
    QString accessibleWindowName() const override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    struct Ui;

    // A picture, named for a screen reader by what it shows.
    ImageControl *image(QWidget *surface, const char *name, const QString &description, int left, int top,
                        int width, int height);
    // The picture explains with that text when the pointer moves over it or it takes the
    // focus, through its handler.
    void explainOver(ImageControl *picture, int explanation, void (frmAyudaSimulador::*handler)());

    void Form_MouseMove();
    void imgLateral_MouseMove();
    void imgSuperior_MouseMove();
    void imgQ1_MouseMove();
    void imgQ2_MouseMove();
    void imgQ3_MouseMove();
    void imgQ4_MouseMove();
    void imgX_MouseMove();
    void imgY_MouseMove();
    void imgZ_MouseMove();

    // Replaces the whole text of the box, every time, whatever it holds.
    void explain(const QStringList &lines);

    QPointer<Ui> m_ui;
};

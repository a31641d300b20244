#include "mdiform.h"

#include "designunits.h"
#include "messagebox.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStyle>
#include <QTimer>

MdiForm::MdiForm(QWidget *parent)
    : QWidget(parent)
{
}

MdiForm::~MdiForm() = default;

void MdiForm::showIn(QMdiArea *area)
{
    if (!m_subWindow) {
        // Our own sub-window, not deleted on close: the instance lives as long as the
        // program, and a closed window only waits to be loaded again.
        m_subWindow = new QMdiSubWindow(area);
        m_subWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        m_subWindow->setWidget(this);
        if (fixedBorder()) {
            m_subWindow->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        }
        // A window without an icon of its own keeps the frame's standard one, not the
        // program's.
        if (!testAttribute(Qt::WA_SetWindowIcon))
            m_subWindow->setWindowIcon(m_subWindow->style()->standardIcon(QStyle::SP_TitleBarMenuButton, nullptr, m_subWindow));
        area->addSubWindow(m_subWindow);
        connect(area, &QMdiArea::subWindowActivated, this, &MdiForm::subWindowActivated);
    }
    if (!isLoaded()) {
        load();
        // Closing the sub-window hid the form with it.
        show();
        m_subWindow->show();
    }
    area->setActiveSubWindow(m_subWindow);
    m_subWindow->raise();
}

QSize MdiForm::sizeHint() const
{
    return QSize(DesignUnits::px(designClientSize().width()), DesignUnits::px(designClientSize().height()));
}

void MdiForm::load()
{
    m_surface = new QWidget(this);
    m_surface->setObjectName(QStringLiteral("surface"));
    const QSize client = sizeHint();
    m_surface->setGeometry(QRect(QPoint(0, 0), client));
    createControls(m_surface);
    m_surface->show();
    resize(client);
    if (fixedBorder())
        setFixedSize(client);
    if (m_subWindow) {
        m_subWindow->adjustSize();
        if (fixedBorder())
            m_subWindow->setFixedSize(m_subWindow->size());
    }
    Form_Load();
}

void MdiForm::unload()
{
    Form_Unload();
    delete m_surface;
    m_surface = nullptr;
    m_active = false;
}

void MdiForm::subWindowActivated(QMdiSubWindow *window)
{
    // The area reports null when the whole application loses the focus, and this window
    // again when it comes back: that is no change of the active child window.
    if (!window)
        return;
    const bool wasActive = m_active;
    m_active = window == m_subWindow;
    if (m_active && !wasActive && isLoaded())
        Form_Activate();
}

void MdiForm::closeEvent(QCloseEvent *event)
{
    if (isLoaded())
        unload();
    event->accept();
}

void MdiForm::showMessageLater(const QString &text, const QString &title)
{
    const QPointer<QWidget> loadedSurface(m_surface);
    QTimer::singleShot(0, this, [this, loadedSurface, text, title] {
        if (loadedSurface)
            MessageBox::show(this, text, title);
    });
}

void MdiForm::setOuterSizeTwips(int width, int height)
{
    if (m_subWindow)
        m_subWindow->resize(DesignUnits::px(width), DesignUnits::px(height));
}

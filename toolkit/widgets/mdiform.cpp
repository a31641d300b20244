#include "mdiform.h"

#include "designunits.h"
#include "messagebox.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QResizeEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStyle>
#include <QTimer>

namespace {

// The frame of a child window. A screen reader calls Qt's sub-windows by their caption
// alone; ours by their accessible name when they have one, so that windows that share a
// caption can be told apart without changing what the caption shows.
class FormSubWindow : public QMdiSubWindow
{
    Q_OBJECT

public:
    using QMdiSubWindow::QMdiSubWindow;
};

class FormSubWindowAccessible : public QAccessibleWidget
{
public:
    explicit FormSubWindowAccessible(QWidget *window)
        : QAccessibleWidget(window, QAccessible::Window)
    {
    }

    QString text(QAccessible::Text which) const override
    {
        if (which != QAccessible::Name)
            return QAccessibleWidget::text(which);
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? widget()->windowTitle() : name;
    }
};

QAccessibleInterface *formSubWindowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("FormSubWindow") && object && object->isWidgetType())
        return new FormSubWindowAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

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
        static const bool factoryInstalled = (QAccessible::installFactory(formSubWindowAccessible), true);
        Q_UNUSED(factoryInstalled);
        m_subWindow = new FormSubWindow(area);
        m_subWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        m_subWindow->setWidget(this);
        m_subWindow->setAccessibleName(accessibleWindowName());
        setAccessibleName(accessibleWindowName());
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

void MdiForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (laidOut() && m_surface)
        m_surface->resize(event->size());
}

void MdiForm::showMessageLater(const QString &text, const QString &title, const QString &offer,
                               const std::function<void()> &onOffer)
{
    const QPointer<QWidget> loadedSurface(m_surface);
    QTimer::singleShot(0, this, [this, loadedSurface, text, title, offer, onOffer] {
        if (!loadedSurface)
            return;
        if (offer.isEmpty())
            MessageBox::show(this, text, title);
        else if (MessageBox::showOffering(this, text, title, offer) && onOffer)
            onOffer();
    });
}

void MdiForm::setOuterSizeTwips(int width, int height)
{
    if (m_subWindow)
        m_subWindow->resize(DesignUnits::px(width), DesignUnits::px(height));
}

#include "mdiform.moc"

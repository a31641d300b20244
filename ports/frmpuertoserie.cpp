#include "frmpuertoserie.h"

#include "serialportchoice.h"
#include "serialports.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

namespace {

// A board plugged in or pulled out shows within about a second.
constexpr int kRefreshMs = 1000;
constexpr int kDeviceRole = Qt::UserRole;

} // namespace

struct frmPuertoSerie::Ui : FormControls
{
    using FormControls::FormControls;
    QListWidget *lstPuertos = nullptr;
    QLineEdit *txtDispositivo = nullptr;
    QLabel *lblActual = nullptr;
    QTimer refresh;
};

frmPuertoSerie::frmPuertoSerie(SerialPortChoice *choice, QWidget *parent)
    : MdiForm(parent)
    , m_choice(choice)
{
    setObjectName(QStringLiteral("frmPuertoSerie"));
    setWindowTitle(QStringLiteral("Puerto serie"));
}

frmPuertoSerie::~frmPuertoSerie() = default;

QSize frmPuertoSerie::designClientSize() const
{
    return QSize(6000, 4200);
}

void frmPuertoSerie::createControls(QWidget *surface)
{
    m_ui = new Ui(surface);
    auto *ports = new QLabel(QStringLiteral("&Puertos del sistema:"), surface);
    m_ui->lstPuertos = new QListWidget(surface);
    m_ui->lstPuertos->setObjectName(QStringLiteral("lstPuertos"));
    ports->setBuddy(m_ui->lstPuertos);
    auto *device = new QLabel(QStringLiteral("&Dispositivo (elija uno de la lista o escríbalo):"), surface);
    m_ui->txtDispositivo = new QLineEdit(surface);
    m_ui->txtDispositivo->setObjectName(QStringLiteral("txtDispositivo"));
    device->setBuddy(m_ui->txtDispositivo);
    m_ui->lblActual = new QLabel(surface);
    m_ui->lblActual->setObjectName(QStringLiteral("lblActual"));
    m_ui->lblActual->setWordWrap(true);
    auto *use = new QPushButton(QStringLiteral("&Usar este puerto"), surface);
    use->setObjectName(QStringLiteral("cmdUsar"));
    use->setAutoDefault(true);
    auto *close = new QPushButton(QStringLiteral("&Cerrar"), surface);
    close->setObjectName(QStringLiteral("cmdCerrar"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(use);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(surface);
    layout->addWidget(ports);
    layout->addWidget(m_ui->lstPuertos, 1);
    layout->addWidget(device);
    layout->addWidget(m_ui->txtDispositivo);
    layout->addWidget(m_ui->lblActual);
    layout->addLayout(buttons);

    connect(m_ui->lstPuertos, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            m_ui->txtDispositivo->setText(item->data(kDeviceRole).toString());
    });
    connect(m_ui->lstPuertos, &QListWidget::itemActivated, this, &frmPuertoSerie::choose);
    connect(m_ui->txtDispositivo, &QLineEdit::returnPressed, this, &frmPuertoSerie::choose);
    connect(use, &QPushButton::clicked, this, &frmPuertoSerie::choose);
    connect(close, &QPushButton::clicked, this, &frmPuertoSerie::closeLater);
    m_ui->refresh.setInterval(kRefreshMs);
    connect(&m_ui->refresh, &QTimer::timeout, this, &frmPuertoSerie::refresh);
}

void frmPuertoSerie::Form_Load()
{
    m_ui->lblActual->setText(QStringLiteral("En uso ahora: %1").arg(m_choice->device()));
    m_ui->txtDispositivo->setText(m_choice->device());
    refresh();
    m_ui->refresh.start();
    m_ui->txtDispositivo->setFocus();
    m_ui->txtDispositivo->selectAll();
}


void frmPuertoSerie::refresh()
{
    QListWidget *list = m_ui->lstPuertos;
    const QList<SerialPortInfo> ports = SerialPorts::available();
    QStringList labels;
    for (const SerialPortInfo &port : ports)
        labels.append(port.label());
    // Rebuilt only when the system's list changed: a list rebuilt every second would lose
    // the user's place and make a screen reader say it all again.
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
        shown.append(list->item(row)->text());
    if (shown == labels)
        return;
    const QString selected = list->currentItem() ? list->currentItem()->data(kDeviceRole).toString() : QString();
    const QSignalBlocker quiet(list);
    list->clear();
    for (const SerialPortInfo &port : ports) {
        auto *item = new QListWidgetItem(port.label(), list);
        item->setData(kDeviceRole, port.device);
        if (port.device == selected)
            list->setCurrentItem(item);
    }
}

void frmPuertoSerie::choose()
{
    const QString device = m_ui->txtDispositivo->text().trimmed();
    if (device.isEmpty()) {
        m_ui->lblActual->setText(QStringLiteral("Escriba el dispositivo, o elija uno de la lista."));
        return;
    }
    m_choice->choose(device);
    closeLater();
}

void frmPuertoSerie::closeLater()
{
    // From the event loop: the control that asked goes with the window, and may not be
    // destroyed inside its own key press or click.
    QMetaObject::invokeMethod(subWindow(), &QWidget::close, Qt::QueuedConnection);
}

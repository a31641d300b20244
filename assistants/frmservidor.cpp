#include "frmservidor.h"

#include "controls.h"
#include "conversions.h"
#include "designunits.h"
#include "linkwords.h"
#include "oneclientserver.h"
#include "winansi.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace {

// A log line is kept whole in the list, however long it is, but only the beginning that
// fits the row is laid out and painted: a line of megabytes costs what a short one does.
class LogLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_narrowest == 0) {
            m_narrowest = option->fontMetrics.horizontalAdvance(QLatin1Char(' '));
            for (char c = '!'; c <= '~'; ++c)
                m_narrowest = qMin(m_narrowest, option->fontMetrics.horizontalAdvance(QLatin1Char(c)));
            m_narrowest = qMax(m_narrowest, 1);
        }
        const qsizetype fits = option->rect.width() / m_narrowest + 1;
        if (option->text.size() > fits)
            option->text.truncate(fits);
    }

private:
    // The advance of the font's narrowest character, in pixels.
    mutable int m_narrowest = 0;
};

} // namespace

struct frmServidor::Ui : FormControls
{
    using FormControls::FormControls;
    OneClientServer *Winsock1 = nullptr;
    QLineEdit *txtDatos = nullptr;
    QListWidget *lstDatos = nullptr;
    QLineEdit *txtPuerto = nullptr;
    QLineEdit *txtIPservidor = nullptr;
};

frmServidor::frmServidor(quint16 tcpPort, QWidget *parent)
    : MdiForm(parent)
    , m_tcpPort(tcpPort)
{
    setObjectName(QStringLiteral("frmServidor"));
    setWindowTitle(QStringLiteral("Servidor"));
}

frmServidor::~frmServidor() = default;

QSize frmServidor::designClientSize() const
{
    return QSize(6480, 4695);
}

void frmServidor::createControls(QWidget *surface)
{
    using DesignUnits::rect;

    m_ui = new Ui(surface);
    m_ui->Winsock1 = new OneClientServer(m_tcpPort, surface);
    m_ui->Winsock1->setObjectName(QStringLiteral("Winsock1"));
    connect(m_ui->Winsock1, &OneClientServer::listening, this, [this] { log(QStringLiteral("[Esperando Conexión]")); });
    connect(m_ui->Winsock1, &OneClientServer::failed, this, [this] { logListenFailure(); });
    connect(m_ui->Winsock1, &OneClientServer::ready, this, [this] {
        log(QStringLiteral("[Aceptado cliente ") + m_ui->Winsock1->clientAddress() + QStringLiteral(" ]"));
    });
    connect(m_ui->Winsock1, &OneClientServer::received, this,
            [this](const QByteArray &bytes) { log(QStringLiteral("<-") + WinAnsi::decode(bytes)); });
    connect(m_ui->Winsock1, &OneClientServer::closed, this,
            [this] { log(QStringLiteral("[Cliente Desconectado]")); });
    connect(m_ui->Winsock1, &OneClientServer::clientLost, this,
            [this](const QString &systemReason) { log(QStringLiteral("[Cliente perdido: %1]").arg(systemReason)); });

    m_ui->txtDatos = Controls::textBox(surface, "txtDatos", QString(), rect(360, 4200, 4815, 285));
    m_ui->txtDatos->setAccessibleName(QStringLiteral("Texto a enviar"));
    QPushButton *send = Controls::button(surface, "cmdEnviar", QStringLiteral("Enviar"), rect(5280, 4200, 1095, 375));
    connect(send, &QPushButton::clicked, this, &frmServidor::cmdEnviar_Click);

    m_ui->lstDatos = new QListWidget(surface);
    m_ui->lstDatos->setObjectName(QStringLiteral("lstDatos"));
    m_ui->lstDatos->setAccessibleName(QStringLiteral("Registro de la conexión"));
    m_ui->lstDatos->setGeometry(rect(360, 1320, 5895, 2595));
    // Every line is one text line high: the list need not measure each to lay them out.
    m_ui->lstDatos->setUniformItemSizes(true);
    m_ui->lstDatos->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ui->lstDatos->setItemDelegate(new LogLineDelegate(m_ui->lstDatos));

    m_ui->txtPuerto = Controls::textBox(surface, "txtPuerto", QString(), rect(1320, 720, 975, 285));
    m_ui->txtIPservidor = Controls::textBox(surface, "txtIPservidor", QString(), rect(1320, 240, 2055, 285));

    Controls::heading(surface, "Label3", QStringLiteral("SERVIDOR"), rect(4680, 120, 1695, 375));
    // The captions name their boxes for a screen reader.
    Controls::label(surface, "Label2", QStringLiteral("Puerto"), rect(120, 720, 975, 255))->setBuddy(m_ui->txtPuerto);
    Controls::label(surface, "Label1", QStringLiteral("IP Servidor"), rect(120, 240, 855, 255))
        ->setBuddy(m_ui->txtIPservidor);

    // Labels take no focus: the order runs over the boxes, the log and the button.
    Controls::setTabOrder(surface, {"txtIPservidor", "txtPuerto", "lstDatos", "cmdEnviar", "txtDatos"});
}

void frmServidor::Form_Load()
{
    m_ui->txtIPservidor->setText(OneClientServer::LocalIP());
    if (!m_ui->Winsock1->open())
        logListenFailure();
    m_ui->txtPuerto->setText(QString::number(m_ui->Winsock1->port()));
}

void frmServidor::logListenFailure()
{
    const OneClientServer *server = m_ui->Winsock1;
    log(QLatin1Char('[') + LinkWords::listenFailure(server->port(), server->cause(), server->errorString())
        + QLatin1Char(']'));
}

void frmServidor::Form_Unload()
{
    m_ui->Winsock1->close();
}

void frmServidor::cmdEnviar_Click()
{
    const QString text = m_ui->txtDatos->text();
    if (!m_ui->Winsock1->isOpen())
        log(QStringLiteral("[Sin Conexión]"));
    else if (m_ui->Winsock1->write(WinAnsi::encode(text)))
        log(QStringLiteral("->") + text);
    else
        log(QStringLiteral("[No se pudo enviar: %1]").arg(m_ui->Winsock1->errorString()));
}

void frmServidor::log(const QString &line)
{
    m_ui->lstDatos->addItem(line);
}

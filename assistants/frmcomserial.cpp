#include "frmcomserial.h"

#include "controls.h"
#include "conversions.h"
#include "designunits.h"
#include "jointmessage.h"
#include "linkwords.h"
#include "seriallink.h"
#include "serialportchoice.h"
#include "serialportuse.h"
#include "winansi.h"

#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

namespace {

const QString kCaption = QStringLiteral("Comunicación Serial");

} // namespace

struct frmComSerial::Ui : FormControls
{
    using FormControls::FormControls;
    QLineEdit *txtDisplay = nullptr;
    QPushButton *cmdTransmite = nullptr;
    SerialLink *Comm1 = nullptr;
    QLabel *lblRecibe = nullptr;
    SerialPortUse *port = nullptr;
};

frmComSerial::frmComSerial(SerialPortChoice *choice, QWidget *parent)
    : MdiForm(parent)
    , m_choice(choice)
{
    setObjectName(QStringLiteral("frmComSerial"));
    setWindowTitle(kCaption);
    setWindowIcon(QIcon(QStringLiteral(":/iconos/comserial.ico")));
}

frmComSerial::~frmComSerial() = default;

QSize frmComSerial::designClientSize() const
{
    return QSize(4680, 3195);
}

void frmComSerial::createControls(QWidget *surface)
{
    using DesignUnits::rect;

    m_ui = new Ui(surface);
    m_ui->txtDisplay = Controls::textBox(surface, "txtDisplay", QStringLiteral("Teclee aqui el mensaje a transmitir"),
                                         rect(1560, 2280, 2895, 495));
    Controls::setForeColor(m_ui->txtDisplay, DesignUnits::color(0x00800080));
    // The sentence is read from its start, not scrolled to its end.
    m_ui->txtDisplay->home(false);

    m_ui->cmdTransmite = Controls::button(surface, "cmdTransmite", QStringLiteral("&Transmitir"),
                                          rect(120, 2280, 1215, 495));

    m_ui->Comm1 = new SerialLink({m_choice->device(), protocol::kTerminalBaudRate}, surface);
    m_ui->Comm1->setObjectName(QStringLiteral("Comm1"));
    m_ui->port = new SerialPortUse(m_ui->Comm1, m_choice, m_ui);
    connect(m_ui->port, &SerialPortUse::tell, this, &frmComSerial::tell);
    connect(m_ui->port, &SerialPortUse::stateChanged, this, &frmComSerial::portStateChanged);

    QLabel *received = Controls::label(surface, "lblMsgRx", QStringLiteral("Mensaje Recibido"),
                                       rect(360, 360, 1815, 255));
    Controls::setForeColor(received, DesignUnits::color(0x00C00000));
    QLabel *toSend = Controls::label(surface, "lblMsgTx", QStringLiteral("Mensaje a transmitir"),
                                     rect(2400, 2040, 1815, 255));
    Controls::setForeColor(toSend, DesignUnits::color(0x00C00000));
    // The caption names the box for a screen reader.
    toSend->setBuddy(m_ui->txtDisplay);

    m_ui->lblRecibe = Controls::label(surface, "lblRecibe", QStringLiteral("No se ha recibido nada"),
                                      rect(360, 600, 4095, 495));
    Controls::setForeColor(m_ui->lblRecibe, DesignUnits::color(0x000000FF));
    m_ui->lblRecibe->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_ui->lblRecibe->setLineWidth(1);
    m_ui->lblRecibe->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_ui->lblRecibe->setWordWrap(true);
    // Whatever arrives on the line is shown as it is, never read as markup.
    m_ui->lblRecibe->setTextFormat(Qt::PlainText);
    // A screen reader says what the text is, not only the text.
    received->setBuddy(m_ui->lblRecibe);

    // The button comes first in the tab order and holds the focus when the window opens.
    Controls::setTabOrder(surface, {"cmdTransmite", "txtDisplay"});
    m_ui->cmdTransmite->setFocus();

    connect(m_ui->cmdTransmite, &QPushButton::clicked, this, &frmComSerial::cmdTransmite_Click);
    connect(m_ui->Comm1, &SerialLink::received, this, &frmComSerial::Comm1_OnComm);
    connect(m_ui->Comm1, &SerialLink::sent, this, [this] { Comm1_OnComm(QByteArray()); });
    connect(m_ui->Comm1, &SerialLink::failed, this, [this] { Comm1_OnComm(QByteArray()); });

    // The window's own menu, over its background, its labels and its button: the port.
    surface->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(surface, &QWidget::customContextMenuRequested, this, &frmComSerial::showMenu);
    // Shift+F10 is the menu key's other name, which only some platforms translate.
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), m_ui->cmdTransmite);
    menuKey->setContext(Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this, [this] {
        showMenu(m_ui->cmdTransmite->geometry().center());
    });
}

void frmComSerial::Form_Load()
{
    setOuterSizeTwips(4800, 3600);
    if (QMdiSubWindow *window = subWindow())
        window->setWindowIcon(windowIcon());

    m_shown = false;
    m_ui->port->open();
}

void frmComSerial::showMenu(const QPoint &at)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *port = menu->addAction(m_ui->port->menuText());
    connect(port, &QAction::triggered, m_choice, &SerialPortChoice::requestChooser);
    menu->setActiveAction(port);
    menu->popup(static_cast<QWidget *>(m_ui->parent())->mapToGlobal(at));
}

void frmComSerial::portStateChanged()
{
    // What the window's frame says of it to a screen reader; the caption stays as designed.
    const QString state = QStringLiteral("Puerto serie %1").arg(m_ui->port->state());
    setAccessibleDescription(state);
    if (subWindow())
        subWindow()->setAccessibleDescription(state);
}

void frmComSerial::cmdTransmite_Click()
{
    // Without a port nothing can go out; the typed text stays in the box for later.
    if (!m_ui->Comm1->isOpen()) {
        m_ui->lblRecibe->setText(QStringLiteral("Puerto serie cerrado: no se envió nada"));
        m_shown = false;
        return;
    }

    receivedText.reset(QStringLiteral(" "));
    m_ui->lblRecibe->setText(receivedText.shown());
    m_shown = true;
    m_ui->Comm1->clearInput();
    const QString message = m_ui->txtDisplay->text() + ReceivedText::kTerminator;
    m_ui->Comm1->clearOutput();
    // One character at a time, the terminator last. The link queues what the line cannot
    // take yet and the event loop drains it, so a long message neither blocks the window
    // nor is cut short.
    for (const QChar c : message) {
        if (!m_ui->Comm1->write(WinAnsi::encode(QString(c)))) {
            m_ui->lblRecibe->setText(QStringLiteral("Puerto serie cerrado: el mensaje no se envió entero"));
            m_shown = false;
            return;
        }
    }
    m_ui->txtDisplay->clear();
}

void frmComSerial::Comm1_OnComm(const QByteArray &received)
{
    // An event that brought nothing still shows receivedText, which is how the display
    // leaves its first text.
    if (receivedText.append(WinAnsi::decode(received)) || !m_shown) {
        m_ui->lblRecibe->setText(receivedText.shown());
        m_shown = true;
    }
}

void frmComSerial::tell(const QStringList &lines, bool chooser)
{
    showMessageLater(Conversions::joinLines(lines), kCaption, chooser ? LinkWords::kChooseButton : QString(),
                     [choice = QPointer<SerialPortChoice>(m_choice)] {
                         if (choice)
                             choice->requestChooser();
                     });
}

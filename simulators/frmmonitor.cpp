#include "frmmonitor.h"

#include "countersline.h"
#include "frameclock.h"
#include "messagebox.h"
#include "messagelog.h"
#include "messagerecorder.h"
#include "monitorplot.h"
#include "receiptlog.h"
#include "simulatorform.h"
#include "systemerror.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>

namespace {

const int kWindows[] = {10, 30, 120};

} // namespace

struct frmMonitor::Ui : FormControls
{
    using FormControls::FormControls;
    QLabel *lblEnlace = nullptr;
    CountersLine *lblContadores = nullptr;
    QTableView *tblMensajes = nullptr;
    QPushButton *cmdPausa = nullptr;
    QPushButton *cmdGrabar = nullptr;
    MonitorPlot *plot = nullptr;
    // The table follows the newest row unless the user scrolled up; brought to it once a
    // frame, right before the window paints.
    FrameTask *scrollDown = nullptr;
    bool following = true;
    bool scrolling = false;
};

frmMonitor::frmMonitor(const QString &caption, QWidget *parent)
    : CompanionForm("frmMonitor", caption, parent)
{
}

frmMonitor::~frmMonitor() = default;

QSize frmMonitor::designClientSize() const
{
    return QSize(9600, 8400);
}

void frmMonitor::createControls(QWidget *surface)
{
    m_ui = new Ui(surface);
    m_ui->lblEnlace = new QLabel(surface);
    m_ui->lblEnlace->setObjectName(QStringLiteral("lblEnlace"));
    m_ui->lblContadores = new CountersLine(surface);
    m_ui->lblContadores->setObjectName(QStringLiteral("lblContadores"));

    m_ui->tblMensajes = new QTableView(surface);
    QTableView *table = m_ui->tblMensajes;
    table->setObjectName(QStringLiteral("tblMensajes"));
    table->setAccessibleName(QStringLiteral("Mensajes recibidos"));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    // Times, numbers and message bytes need no kerning or ligatures: laid out without a
    // shaper, a frame of new rows costs a fraction.
    QFont cells = table->font();
    cells.setStyleStrategy(QFont::PreferNoShaping);
    table->setFont(cells);
    // Rows of one height, which the view need not measure, and columns sized once: a row
    // then costs the same whatever it holds.
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    connect(table->verticalScrollBar(), &QScrollBar::valueChanged, m_ui, [this](int value) {
        if (!m_ui->scrolling)
            m_ui->following = value >= m_ui->tblMensajes->verticalScrollBar()->maximum();
    });
    m_ui->scrollDown = new FrameTask(table, [this] {
        m_ui->scrolling = true;
        m_ui->tblMensajes->scrollToBottom();
        m_ui->scrolling = false;
    });

    m_ui->cmdPausa = new QPushButton(QStringLiteral("&Pausa"), surface);
    m_ui->cmdPausa->setObjectName(QStringLiteral("cmdPausa"));
    m_ui->cmdPausa->setCheckable(true);
    connect(m_ui->cmdPausa, &QPushButton::toggled, this, &frmMonitor::setPaused);
    auto *clear = new QPushButton(QStringLiteral("&Borrar"), surface);
    clear->setObjectName(QStringLiteral("cmdBorrar"));
    connect(clear, &QPushButton::clicked, this, &frmMonitor::clearAll);
    m_ui->cmdGrabar = new QPushButton(surface);
    m_ui->cmdGrabar->setObjectName(QStringLiteral("cmdGrabar"));
    connect(m_ui->cmdGrabar, &QPushButton::clicked, this, &frmMonitor::record);
    auto *saveData = new QPushButton(QStringLiteral("Guardar &datos…"), surface);
    saveData->setObjectName(QStringLiteral("cmdGuardarDatos"));
    connect(saveData, &QPushButton::clicked, this, &frmMonitor::askSaveData);
    auto *saveImage = new QPushButton(QStringLiteral("Guardar &imagen…"), surface);
    saveImage->setObjectName(QStringLiteral("cmdGuardarImagen"));
    connect(saveImage, &QPushButton::clicked, this, &frmMonitor::askSaveImage);

    m_ui->plot = new MonitorPlot(surface);
    auto *windowCaption = new QLabel(QStringLiteral("Ú&ltimos:"), surface);
    auto *window = new QComboBox(surface);
    window->setObjectName(QStringLiteral("cmbVentana"));
    window->addItems({QStringLiteral("10 s"), QStringLiteral("30 s"), QStringLiteral("2 min")});
    windowCaption->setBuddy(window);
    connect(window, &QComboBox::currentIndexChanged, m_ui->plot,
            [this](int index) { m_ui->plot->setWindowSeconds(kWindows[qBound(0, index, 2)]); });
    auto *position = new QCheckBox(QStringLiteral("Mostrar &X, Y, Z"), surface);
    position->setObjectName(QStringLiteral("chkPosicion"));
    connect(position, &QCheckBox::toggled, m_ui->plot, &MonitorPlot::setPositionShown);

    auto *buttons = new QHBoxLayout;
    for (QWidget *button : std::initializer_list<QWidget *>{m_ui->cmdPausa, clear, m_ui->cmdGrabar, saveData, saveImage})
        buttons->addWidget(button);
    buttons->addStretch();
    auto *plotOptions = new QHBoxLayout;
    plotOptions->addWidget(windowCaption);
    plotOptions->addWidget(window);
    plotOptions->addWidget(position);
    plotOptions->addStretch();
    auto *plotBox = new QWidget(surface);
    auto *plotLayout = new QVBoxLayout(plotBox);
    plotLayout->setContentsMargins(0, 0, 0, 0);
    plotLayout->addLayout(plotOptions);
    plotLayout->addWidget(m_ui->plot, 1);
    auto *split = new QSplitter(Qt::Vertical, surface);
    split->addWidget(table);
    split->addWidget(plotBox);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    // Half and half to begin with; the user moves the line between them.
    split->setSizes({300, 300});
    auto *layout = new QVBoxLayout(surface);
    layout->addWidget(m_ui->lblEnlace);
    layout->addWidget(m_ui->lblContadores);
    layout->addLayout(buttons);
    layout->addWidget(split, 1);
}

void frmMonitor::Form_Load()
{
    if (!simulator())
        return;
    ReceiptLog *log = simulator()->receiptLog();
    m_ui->tblMensajes->setModel(log);
    QHeaderView *columns = m_ui->tblMensajes->horizontalHeader();
    const QFontMetrics metrics = m_ui->tblMensajes->fontMetrics();
    columns->resizeSection(ReceiptLog::Time, metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    columns->resizeSection(ReceiptLog::Gap, metrics.horizontalAdvance(QStringLiteral("000000 ms")) + 16);
    columns->resizeSection(ReceiptLog::Bytes, metrics.horizontalAdvance(QStringLiteral("A-180\\x0D\\x0A")) + 40);
    m_ui->plot->seed(*log);
    connect(simulator(), &SimulatorForm::messageTaken, m_ui, [this](const Receipt &receipt) { taken(receipt); });
    connect(log, &ReceiptLog::countersChanged, m_ui, [this] { showCounters(); });
    connect(simulator(), &SimulatorForm::linkStateChanged, m_ui, [this] { showLink(); });
    if (MessageRecorder *recorder = simulator()->recorder())
        connect(recorder, &MessageRecorder::recordingChanged, m_ui, [this] { showRecording(); });
    showCounters();
    showLink();
    showRecording();
    m_ui->scrollDown->request();
}


void frmMonitor::taken(const Receipt &receipt)
{
    m_ui->plot->append(receipt);
    if (m_ui->following && !m_ui->cmdPausa->isChecked())
        m_ui->scrollDown->request();
}

void frmMonitor::showCounters()
{
    const ReceiptLog::Counters &counters = simulator()->receiptLog()->counters();
    const QString shortest = counters.shortestGapMs ? QStringLiteral("%1 ms").arg(*counters.shortestGapMs)
                                                    : QStringLiteral("—");
    m_ui->lblContadores->setText(
        QStringLiteral("Mensajes: %1 · movieron el brazo: %2 · no es un número: %3 · selector desconocido: %4 · "
                       "mismo texto: %5 · %6 por segundo · hueco más corto: %7")
            .arg(counters.receives)
            .arg(counters.moved)
            .arg(counters.notANumber)
            .arg(counters.unknownSelector)
            .arg(counters.sameText)
            .arg(simulator()->receiptLog()->perSecond())
            .arg(shortest));
}

void frmMonitor::showLink()
{
    const QString state = simulator()->linkState();
    m_ui->lblEnlace->setText(QStringLiteral("Enlace: %1").arg(state.isEmpty() ? QStringLiteral("ventana cerrada") : state));
}

void frmMonitor::showRecording()
{
    const MessageRecorder *recorder = simulator()->recorder();
    const bool recording = recorder && recorder->isRecording();
    m_ui->cmdGrabar->setEnabled(recorder != nullptr);
    m_ui->cmdGrabar->setText(recording ? QStringLiteral("Detener la &grabación") : QStringLiteral("&Grabar…"));
    m_ui->cmdGrabar->setToolTip(recording ? QStringLiteral("Grabando en %1").arg(QDir::toNativeSeparators(recorder->fileName()))
                                          : QString());
}

void frmMonitor::setPaused(bool paused)
{
    m_ui->plot->setPaused(paused);
    if (!paused) {
        m_ui->following = true;
        m_ui->scrollDown->request();
    }
}

void frmMonitor::clearAll()
{
    simulator()->receiptLog()->clear();
    m_ui->plot->clear();
}

void frmMonitor::record()
{
    MessageRecorder *recorder = simulator()->recorder();
    if (recorder->isRecording()) {
        recorder->close();
        return;
    }
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Grabar los mensajes en"),
                                                      QStringLiteral("mensajes.csv"),
                                                      QStringLiteral("Registro de mensajes (*.csv)"), nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (file.isEmpty())
        return;
    if (!recorder->open(file)) {
        MessageBox::show(this,
                         QStringLiteral("No se puede grabar en %1: %2. Elija otro archivo.")
                             .arg(QDir::toNativeSeparators(file), recorder->errorString()),
                         windowTitle());
    }
}

bool frmMonitor::saveData(const QString &fileName, QString *error) const
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly)) {
        const ReceiptLog *log = simulator()->receiptLog();
        file.write(MessageLog::header());
        for (int row = 0; row < log->rowCount(); ++row) {
            const Receipt &receipt = log->receipt(row);
            file.write(MessageLog::format({receipt.ms, receipt.source, receipt.bytes,
                                           QString::fromStdString(protocol::words(receipt.outcome))}));
        }
        if (file.commit())
            return true;
    }
    *error = SystemError::inSpanish(file.errorString());
    return false;
}

void frmMonitor::askSaveData()
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Guardar los mensajes en"),
                                                      QStringLiteral("monitor.csv"), QStringLiteral("CSV (*.csv)"));
    QString error;
    if (!file.isEmpty() && !saveData(file, &error))
        MessageBox::show(this, QStringLiteral("No se pudo guardar %1: %2.").arg(QDir::toNativeSeparators(file), error),
                         windowTitle());
}

void frmMonitor::askSaveImage()
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Guardar la gráfica en"),
                                                      QStringLiteral("monitor.png"), QStringLiteral("PNG (*.png)"));
    if (!file.isEmpty() && !m_ui->plot->savePng(file))
        MessageBox::show(this, QStringLiteral("No se pudo guardar la imagen %1.").arg(QDir::toNativeSeparators(file)),
                         windowTitle());
}

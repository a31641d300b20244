#include "countersline.h"
#include "forms.h"
#include "frmbrazo.h"
#include "frminternetservidor.h"
#include "frmmonitor.h"
#include "messageboxcatcher.h"
#include "messagelog.h"
#include "monitorplot.h"
#include "ptypair.h"
#include "receiptlog.h"
#include "serialportchoice.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Forms;

namespace {

Receipt receipt(qint64 ms, const char *bytes, protocol::Outcome::Kind kind, int q1 = 0)
{
    Receipt r;
    r.ms = ms;
    r.source = QStringLiteral("serie");
    r.bytes = bytes;
    r.outcome = {kind, 1, q1};
    r.joints = {q1, 0, 0, -90};
    return r;
}

// A simulator's monitor, opened from its view's context menu by the entry's access key.
frmMonitor *openMonitor(Frame &frame, SimulatorForm *simulator)
{
    return fromMenu(simulator, "picSuperior", Qt::Key_M) ? frame.find<frmMonitor>(simulator->simulatorName()) : nullptr;
}

// The rows a monitor shows: bytes as the recording escapes them, and the outcome's words.
QStringList rows(const frmMonitor *monitor)
{
    const QAbstractItemModel *model = control<QTableView>(monitor, "tblMensajes")->model();
    QStringList shown;
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->index(row, ReceiptLog::Bytes).data().toString() + QLatin1Char(' ')
                     + model->index(row, ReceiptLog::Outcome).data().toString();
    return shown;
}

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT

private slots:
    void log_keepsTheLastInOrder_countsThemAll();
    void eachSimulatorItsOwn_withTheRightWords();
    void plotAndSaved_forAKnownSequence();
};

void TestMonitor::log_keepsTheLastInOrder_countsThemAll()
{
    using Kind = protocol::Outcome::Kind;
    ReceiptLog log(nullptr, 3);
    const Kind kinds[] = {Kind::Moved, Kind::NotANumber, Kind::UnknownSelector, Kind::SameText, Kind::Moved};
    const qint64 times[] = {1000, 1020, 1025, 1900, 2100};
    for (int i = 0; i < 5; ++i)
        log.append(receipt(times[i], QByteArray::number(i).constData(), kinds[i], i));
    QCOMPARE(log.rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(log.receipt(row).bytes, QByteArray::number(row + 2));
    // Since the one before, also across the rows let go.
    QCOMPARE(log.gapMs(0), std::optional<qint64>(5));
    QCOMPARE(log.gapMs(2), std::optional<qint64>(200));
    const ReceiptLog::Counters &counters = log.counters();
    QCOMPARE(counters.receives, 5);
    QCOMPARE(counters.moved, 2);
    QCOMPARE(counters.notANumber, 1);
    QCOMPARE(counters.unknownSelector, 1);
    QCOMPARE(counters.sameText, 1);
    QCOMPARE(counters.shortestGapMs, std::optional<qint64>(5));
    // Within the second before the newest: 1900 and 2100.
    QCOMPARE(log.perSecond(), 2);
    // What moved nothing stands out.
    QVERIFY(!log.data(log.index(0, ReceiptLog::Bytes), Qt::BackgroundRole).isNull());
    QVERIFY(log.data(log.index(2, ReceiptLog::Bytes), Qt::BackgroundRole).isNull());
    log.clear();
    QCOMPARE(log.rowCount(), 0);
    QCOMPARE(log.counters().receives, 0);
    QVERIFY(!log.counters().shortestGapMs);
}

void TestMonitor::eachSimulatorItsOwn_withTheRightWords()
{
    MessageBoxCatcher boxes;
    PtyPair pty;
    QVERIFY(pty.start());
    Frame frame;
    SerialPortChoice choice(pty.devicePath());
    auto *serial = frame.open<frmBrazo>(&choice);
    auto *network = frame.open<frmInternetServidor>(kAnyPort);
    frmMonitor *serialMonitor = openMonitor(frame, serial);
    frmMonitor *networkMonitor = openMonitor(frame, network);
    QVERIFY(serialMonitor && networkMonitor);
    QCOMPARE(serialMonitor->windowTitle(), QStringLiteral("Monitor - Maquina Serial"));
    QCOMPARE(networkMonitor->windowTitle(), QStringLiteral("Monitor - Internet"));
    QVERIFY(control<QLabel>(serialMonitor, "lblEnlace")->text().contains(pty.devicePath()));

    auto client = connectTo(shownPort(network));
    QVERIFY(client);
    send(*client, "A45");
    QTRY_COMPARE_WITH_TIMEOUT(rows(networkMonitor), QStringList{"A45 Q1=45"}, kWaitMs);
    QVERIFY(pty.writePeer("X1\r\nB2\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(rows(serialMonitor), (QStringList{"X1\\x0D\\x0A selector desconocido", "B2\\x0D\\x0A Q2=2"}),
                              kWaitMs);
    QCOMPARE(rows(networkMonitor), QStringList{"A45 Q1=45"});
    QVERIFY2(control<QLabel>(networkMonitor, "lblEnlace")->text().contains(QStringLiteral("127.0.0.1")),
             qPrintable(control<QLabel>(networkMonitor, "lblEnlace")->text()));
    QVERIFY(control<CountersLine>(serialMonitor, "lblContadores")->text().contains(QStringLiteral("selector desconocido: 1")));

    // Asked for again from the other view, the same window comes to the front.
    QVERIFY(fromMenu(serial, "picLateral", Qt::Key_M));
    QCOMPARE(frame.area.findChildren<frmMonitor *>().size(), 2);
    QCOMPARE(frame.area.activeSubWindow(), serialMonitor->subWindow());
    // Closed with its simulator, and gone with it.
    network->subWindow()->close();
    QVERIFY(!networkMonitor->isLoaded());
    QVERIFY(serialMonitor->isLoaded());
    const QPointer<frmMonitor> serialGone(serialMonitor);
    delete serial;
    QVERIFY(!serialGone);
}

void TestMonitor::plotAndSaved_forAKnownSequence()
{
    Frame frame;
    auto *network = frame.open<frmInternetServidor>(kAnyPort);
    frmMonitor *monitor = openMonitor(frame, network);
    QVERIFY(monitor);
    auto client = connectTo(shownPort(network));
    QVERIFY(client);
    for (const char *message : {"A10\n", "A20\n", "B-5\n", "D0\n"})
        send(*client, message);
    QTRY_COMPARE_WITH_TIMEOUT(network->receiptLog()->rowCount(), 4, kWaitMs);

    // Each joint's curve steps to every angle it took, in order, one point a message.
    auto *plot = monitor->findChild<MonitorPlot *>();
    const auto values = [plot](int curve) {
        QList<double> ys;
        for (const QPointF &point : plot->points(curve))
            ys << point.y();
        return ys;
    };
    QCOMPARE(values(0), (QList<double>{10, 20, 20, 20}));
    QCOMPARE(values(3), (QList<double>{-90, -90, -90, 0}));
    // X of the last pose, (20, -5, 0, 0): the links raised 5 degrees, the tool 85 degrees
    // below the horizontal, all turned 20 degrees about the base.
    const auto cosine = [](double degrees) { return std::cos(degrees / 180.0 * 3.1416); };
    const double x = (18.0 * cosine(5) + 3.125 * cosine(85)) * cosine(20);
    QVERIFY2(std::fabs(plot->points(4).last().y() - x) < 0.001, qPrintable(QString::number(plot->points(4).last().y())));

    QTemporaryDir dir;
    QString error;
    const QString csv = dir.filePath(QStringLiteral("monitor.csv"));
    QVERIFY2(monitor->saveData(csv, &error), qPrintable(error));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0] + QLatin1Char('\n'), QString::fromUtf8(MessageLog::header()));
    const std::optional<MessageLog::Row> last = MessageLog::parse(lines[4]);
    QVERIFY(last);
    QCOMPARE(last->bytes, QByteArray("D0\n"));
    QCOMPARE(last->outcome, QStringLiteral("Q4=0"));
    QVERIFY(!monitor->saveData(dir.filePath(QStringLiteral("no/existe/monitor.csv")), &error));
    QVERIFY(!error.isEmpty());

    const QString png = dir.filePath(QStringLiteral("monitor.png"));
    QVERIFY(plot->savePng(png));
    const QImage image(png);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 100 && image.height() > 50);

    // The README's picture, a controller's sweep of Q1 and its mistakes:
    // BRAZO_MONITOR_PNG=doc/monitor.png tst_monitor plotAndSaved_forAKnownSequence
    const QString save = qEnvironmentVariable("BRAZO_MONITOR_PNG");
    if (!save.isEmpty()) {
        frame.area.resize(1000, 800);
        monitor->subWindow()->resize(760, 640);
        for (int q1 = -90; q1 <= 90; q1 += 5) {
            send(*client, "A" + QByteArray::number(q1) + "\r\n");
            QTest::qWait(20);
        }
        for (const char *mistake : {"A", "X45", "A4 5", "B999999999999", "B12.5"}) {
            send(*client, mistake);
            QTest::qWait(50);
        }
        QTest::qWait(200);
        QVERIFY(monitor->subWindow()->grab().save(save));
    }
}

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"

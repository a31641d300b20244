// The progress of a replay as a terminal shows it and as a file or a pipe takes it, on a
// clock the test turns.
#include "replayprogress.h"

#include <QTest>

namespace {

// What a terminal shows of the text written: a carriage return goes back to the start of
// the line and what follows writes over it; a line feed starts a new line.
QStringList screen(const QByteArray &written)
{
    QStringList lines{QString()};
    qsizetype column = 0;
    for (const QChar c : QString::fromUtf8(written)) {
        if (c == QLatin1Char('\r')) {
            column = 0;
        } else if (c == QLatin1Char('\n')) {
            lines << QString();
            column = 0;
        } else {
            QString &line = lines.last();
            if (column < line.size())
                line[column] = c;
            else
                line.append(c);
            ++column;
        }
    }
    return lines;
}

// A replay of 400 messages, one due every 100 ms from 0, ending at 40 s.
QList<qint64> everyTenthOfASecond()
{
    QList<qint64> schedule;
    for (int i = 0; i < 400; ++i)
        schedule << i * 100;
    return schedule << 40000;
}

struct Run
{
    qint64 now = 0;
    QByteArray written;
    QList<QByteArray> writes;

    ReplayProgress progress(const QList<qint64> &schedule, bool terminal)
    {
        return ReplayProgress(schedule, terminal, [this] { return now; }, [this](const QByteArray &text) {
            written += text;
            writes << text;
        });
    }
    // Messages first to last of everyTenthOfASecond(), each sent when it is due.
    void sendOnTime(ReplayProgress &progress, int first, int last)
    {
        for (int sent = first; sent <= last; ++sent) {
            now = (sent - 1) * 100;
            progress.sent(sent);
        }
    }
};

} // namespace

class TestReplayProgress : public QObject
{
    Q_OBJECT

private slots:
    void pipe_getsALineEveryFiveSeconds();
    void pipe_hearsOfALongPause();
    void terminal_redrawsOneLineInPlace();
    void shortReplay_saysNothing_data();
    void shortReplay_saysNothing();
};

void TestReplayProgress::pipe_getsALineEveryFiveSeconds()
{
    Run run;
    ReplayProgress progress = run.progress(everyTenthOfASecond(), false);
    progress.sent(0);
    run.sendOnTime(progress, 1, 400);
    progress.finish();
    // Worked by hand: the message counted at t left at t = (count - 1) * 100 ms, when it
    // was due, so 40 s - t remain.
    QCOMPARE(QString::fromUtf8(run.written).split('\n', Qt::SkipEmptyParts),
             (QStringList{"brazo-enviar: 0 de 400 mensajes (0 %), faltan unos 40 s",
                          "brazo-enviar: 51 de 400 mensajes (12 %), faltan unos 35 s",
                          "brazo-enviar: 101 de 400 mensajes (25 %), faltan unos 30 s",
                          "brazo-enviar: 151 de 400 mensajes (37 %), faltan unos 25 s",
                          "brazo-enviar: 201 de 400 mensajes (50 %), faltan unos 20 s",
                          "brazo-enviar: 251 de 400 mensajes (62 %), faltan unos 15 s",
                          "brazo-enviar: 301 de 400 mensajes (75 %), faltan unos 10 s",
                          "brazo-enviar: 351 de 400 mensajes (87 %), faltan unos 5 s"}));
    QVERIFY(!run.written.contains('\r'));
}

void TestReplayProgress::pipe_hearsOfALongPause()
{
    Run run;
    // Two messages, the second 70 s after the first: a recording left running over a break.
    ReplayProgress progress = run.progress({0, 70000, 70010}, false);
    progress.sent(0);
    progress.sent(1);
    run.now = 4000;
    progress.tick();
    run.now = 6000;
    progress.tick();
    run.now = 66000;
    progress.tick();
    QCOMPARE(QString::fromUtf8(run.written).split('\n', Qt::SkipEmptyParts),
             (QStringList{"brazo-enviar: 0 de 2 mensajes (0 %), faltan unos 1 min 10 s",
                          "brazo-enviar: 1 de 2 mensajes (50 %), faltan unos 1 min 4 s",
                          "brazo-enviar: 1 de 2 mensajes (50 %), faltan unos 4 s"}));
}

void TestReplayProgress::terminal_redrawsOneLineInPlace()
{
    Run run;
    ReplayProgress progress = run.progress(everyTenthOfASecond(), true);
    progress.sent(0);
    run.sendOnTime(progress, 1, 200);
    // Each message redraws: the line stays one, and shows the last count.
    QVERIFY(run.writes.size() >= 200);
    for (const QByteArray &write : std::as_const(run.writes))
        QVERIFY2(write.startsWith('\r') && !write.contains('\n'), write.constData());
    QCOMPARE(screen(run.written),
             QStringList{"brazo-enviar: [##########----------] 200 de 400 mensajes (50 %), faltan unos 20 s"});

    // From 20 s left to 9 s the line gets shorter: nothing of the longer one is left over.
    run.sendOnTime(progress, 310, 311);
    QCOMPARE(screen(run.written).constFirst().trimmed(),
             "brazo-enviar: [###############-----] 311 de 400 mensajes (77 %), faltan unos 9 s");

    run.sendOnTime(progress, 312, 400);
    progress.finish();
    // Ended, so that what is written next starts a line of its own.
    QCOMPARE(screen(run.written).size(), 2);
    QCOMPARE(screen(run.written).constFirst().trimmed(),
             "brazo-enviar: [####################] 400 de 400 mensajes (100 %)");
    QCOMPARE(screen(run.written).constLast(), QString());
}

void TestReplayProgress::shortReplay_saysNothing_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::newRow("terminal") << true;
    QTest::newRow("pipe") << false;
}

void TestReplayProgress::shortReplay_saysNothing()
{
    QFETCH(bool, terminal);
    Run run;
    ReplayProgress progress = run.progress({0, 900, 1900, 1999}, terminal);
    progress.sent(0);
    for (int sent = 1; sent <= 3; ++sent) {
        run.now += 900;
        progress.sent(sent);
        progress.tick();
    }
    progress.finish();
    QCOMPARE(run.written, QByteArray());
}

QTEST_APPLESS_MAIN(TestReplayProgress)
#include "tst_replayprogress.moc"

#include "recordnavigator.h"
#include "sqlitefile.h"

#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

using SqliteFile::Rows;

const QString kConnection = QStringLiteral("navigator");
const QString kReader = QStringLiteral("reader");

Rows readBack(const QString &path)
{
    return SqliteFile::readRows(path, QStringLiteral("SELECT id, name FROM people ORDER BY rowid"));
}

using SqliteFile::fileBytes;

} // namespace

class TestRecordNavigator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void open_showsTheFirstRecord();
    void moveButtons_data();
    void moveButtons();
    void editThenMove_writesBeforeMoving();
    void moveWithoutEdit_leavesTheFileAlone();
    void refusedWrite_staysWithEverythingTyped_data();
    void refusedWrite_staysWithEverythingTyped();
    void refusedEditTypedBack_isNotWrittenLater();
    void addNew_thenMove_addsOneRecord();
    void addNew_leftBlank_isDropped();
    void addNew_duplicate_isRefusedThenCorrected();
    void deleteCurrent_keepsTheValuesUntilAMove_data();
    void deleteCurrent_keepsTheValuesUntilAMove();
    void savePending_writesTheNewRecord();
    void emptyTable_showsBlankBoxesAndAcceptsANewRecord();
    void moveLast_reachesTheEndOfALongTable();
    void readOnly_neitherEditsNorAddsNorDeletes();
    void missingTable_isReportedWithTheEnginesMessage();

private:
    void createTable(const Rows &rows);
    bool openNavigator(bool readOnly = false);
    void click(const char *button);
    QString shownId() const { return m_id->text(); }
    QString shownName() const { return m_name->text(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<QWidget> m_host;
    QLineEdit *m_id = nullptr;
    QLineEdit *m_name = nullptr;
    RecordNavigator *m_navigator = nullptr;
    std::unique_ptr<QSignalSpy> m_failures;
};

void TestRecordNavigator::init()
{
    // A connection still in use when it is removed, or any other complaint of Qt SQL, is a fault.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QSql")));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("people.db"));
    m_host = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_host.get());
    m_id = new QLineEdit(m_host.get());
    m_name = new QLineEdit(m_host.get());
    m_navigator = new RecordNavigator(m_host.get());
    layout->addWidget(m_id);
    layout->addWidget(m_name);
    layout->addWidget(m_navigator);
    m_navigator->bind(m_id, QStringLiteral("id"));
    m_navigator->bind(m_name, QStringLiteral("name"));
    m_failures = std::make_unique<QSignalSpy>(m_navigator, &RecordNavigator::failed);
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
}

void TestRecordNavigator::cleanup()
{
    if (m_navigator)
        m_navigator->close();
    m_failures.reset();
    m_host.reset();
    m_navigator = nullptr;
    QSqlDatabase::removeDatabase(kConnection);
    m_dir.reset();
}

void TestRecordNavigator::createTable(const Rows &rows)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kReader);
        db.setDatabaseName(m_path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral(
            "CREATE TABLE people (id TEXT PRIMARY KEY NOT NULL CHECK (id <> ''), name TEXT)")));
        QVERIFY(db.transaction());
        QVERIFY(query.prepare(QStringLiteral("INSERT INTO people (id, name) VALUES (?, ?)")));
        for (const auto &row : rows) {
            query.addBindValue(row.first);
            query.addBindValue(row.second);
            QVERIFY(query.exec());
        }
        QVERIFY(db.commit());
    }
    QSqlDatabase::removeDatabase(kReader);
}

bool TestRecordNavigator::openNavigator(bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(m_path);
    return db.open() && m_navigator->open(db, QStringLiteral("people"), readOnly);
}

void TestRecordNavigator::click(const char *button)
{
    auto *target = m_navigator->findChild<QToolButton *>(QLatin1String(button));
    QVERIFY2(target, button);
    QTest::mouseClick(target, Qt::LeftButton);
}

void TestRecordNavigator::open_showsTheFirstRecord()
{
    createTable({{"A1", "Ana"}, {"B2", "Beto"}});
    QVERIFY(openNavigator());
    QCOMPARE(shownId(), QStringLiteral("A1"));
    QCOMPARE(shownName(), QStringLiteral("Ana"));
    QVERIFY(m_navigator->hasCurrentRecord());
    QCOMPARE(m_failures->count(), 0);
}

void TestRecordNavigator::moveButtons_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("id");

    QTest::newRow("next") << QStringList{"moveNext"} << "B2";
    QTest::newRow("next past the end stays on the last") << QStringList{"moveNext", "moveNext", "moveNext"}
                                                         << "C3";
    QTest::newRow("previous at the start stays on the first") << QStringList{"movePrevious"} << "A1";
    QTest::newRow("last") << QStringList{"moveLast"} << "C3";
    QTest::newRow("last then previous") << QStringList{"moveLast", "movePrevious"} << "B2";
    QTest::newRow("last then first") << QStringList{"moveLast", "moveFirst"} << "A1";
}

void TestRecordNavigator::moveButtons()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, id);
    createTable({{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Cira"}});
    QVERIFY(openNavigator());
    for (const QString &button : std::as_const(clicks))
        click(button.toLatin1().constData());
    QCOMPARE(shownId(), id);
    QCOMPARE(m_failures->count(), 0);
}

void TestRecordNavigator::editThenMove_writesBeforeMoving()
{
    createTable({{"A1", "Ana"}, {"B2", "Beto"}});
    QVERIFY(openNavigator());
    m_name->clear();
    QTest::keyClicks(m_name, "Anabel");
    click("moveNext");
    QCOMPARE(shownId(), QStringLiteral("B2"));
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Anabel"}, {"B2", "Beto"}}));
    // A changed key is written too, and the record keeps its place.
    m_id->clear();
    QTest::keyClicks(m_id, "B9");
    click("moveFirst");
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Anabel"}, {"B9", "Beto"}}));
    click("moveLast");
    QCOMPARE(shownId(), QStringLiteral("B9"));
    QCOMPARE(m_failures->count(), 0);
}

void TestRecordNavigator::moveWithoutEdit_leavesTheFileAlone()
{
    createTable({{"A1", "Ana"}, {"B2", "Beto"}});
    QVERIFY(openNavigator());
    const QByteArray before = fileBytes(m_path);
    // Typing and typing back is no edit either.
    QTest::keyClicks(m_name, "x");
    QTest::keyClick(m_name, Qt::Key_Backspace);
    click("moveNext");
    click("moveFirst");
    QVERIFY(m_navigator->savePending());
    QCOMPARE(fileBytes(m_path), before);
}

void TestRecordNavigator::refusedWrite_staysWithEverythingTyped_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("engine");

    QTest::newRow("duplicate key") << "A1" << "UNIQUE constraint failed: people.id";
    QTest::newRow("empty key") << "" << "CHECK constraint failed";
}

void TestRecordNavigator::refusedWrite_staysWithEverythingTyped()
{
    QFETCH(QString, id);
    QFETCH(QString, engine);
    const Rows rows{{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Cira"}};
    createTable(rows);
    QVERIFY(openNavigator());
    click("moveNext");
    m_id->setText(id);
    m_name->setText(QStringLiteral("Bruno"));

    click("moveNext");
    QCOMPARE(m_failures->count(), 1);
    QCOMPARE(m_failures->at(0).at(0).value<RecordNavigator::Failure>(), RecordNavigator::Failure::Write);
    QVERIFY2(m_failures->at(0).at(1).toString().startsWith(engine), qPrintable(m_failures->at(0).at(1).toString()));
    QCOMPARE(m_navigator->currentRow(), 1);
    QCOMPARE(shownId(), id);
    QCOMPARE(shownName(), QStringLiteral("Bruno"));
    QCOMPARE(readBack(m_path), rows);
    // Closing would fail the same way, and still keep everything.
    QVERIFY(!m_navigator->savePending());
    QCOMPARE(shownName(), QStringLiteral("Bruno"));

    m_id->setText(QStringLiteral("B5"));
    click("moveNext");
    QCOMPARE(m_failures->count(), 2);
    QCOMPARE(shownId(), QStringLiteral("C3"));
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"B5", "Bruno"}, {"C3", "Cira"}}));
}

void TestRecordNavigator::refusedEditTypedBack_isNotWrittenLater()
{
    const Rows rows{{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Cira"}};
    createTable(rows);
    QVERIFY(openNavigator());
    click("moveNext");
    m_id->setText(QStringLiteral("A1"));
    click("moveNext");
    QCOMPARE(m_failures->count(), 1);
    m_id->setText(QStringLiteral("B2"));
    click("moveNext");
    QCOMPARE(shownId(), QStringLiteral("C3"));
    // The refused change must not ride along with the next write.
    m_name->setText(QStringLiteral("Ciro"));
    click("moveFirst");
    QCOMPARE(m_failures->count(), 1);
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Ciro"}}));
}

void TestRecordNavigator::addNew_thenMove_addsOneRecord()
{
    createTable({{"A1", "Ana"}, {"B2", "Beto"}});
    QVERIFY(openNavigator());
    QVERIFY(m_navigator->addNew());
    QVERIFY(m_navigator->isAddingNew());
    QVERIFY(!m_navigator->hasCurrentRecord());
    QCOMPARE(shownId(), QString());
    QCOMPARE(shownName(), QString());
    QTest::keyClicks(m_id, "D4");
    QTest::keyClicks(m_name, "Dora");
    click("moveFirst");
    QCOMPARE(shownId(), QStringLiteral("A1"));
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"B2", "Beto"}, {"D4", "Dora"}}));
    click("moveLast");
    QCOMPARE(shownName(), QStringLiteral("Dora"));
    QCOMPARE(m_failures->count(), 0);
}

void TestRecordNavigator::addNew_leftBlank_isDropped()
{
    const Rows rows{{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Cira"}};
    createTable(rows);
    QVERIFY(openNavigator());
    click("moveNext");
    QVERIFY(m_navigator->addNew());
    click("moveNext");
    // Back where the user was, then one on; nothing written, nothing to complain about.
    QCOMPARE(shownId(), QStringLiteral("C3"));
    QCOMPARE(m_failures->count(), 0);
    QCOMPARE(readBack(m_path), rows);
}

void TestRecordNavigator::addNew_duplicate_isRefusedThenCorrected()
{
    createTable({{"A1", "Ana"}});
    QVERIFY(openNavigator());
    QVERIFY(m_navigator->addNew());
    QTest::keyClicks(m_id, "A1");
    QTest::keyClicks(m_name, "Otra Ana");
    click("moveFirst");
    QCOMPARE(m_failures->count(), 1);
    QVERIFY(m_navigator->isAddingNew());
    QCOMPARE(shownId(), QStringLiteral("A1"));
    QCOMPARE(shownName(), QStringLiteral("Otra Ana"));
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}}));
    // Beginning another record must not drop this one either.
    QVERIFY(!m_navigator->addNew());
    QCOMPARE(shownName(), QStringLiteral("Otra Ana"));

    QTest::keyClicks(m_id, "b");
    click("moveFirst");
    QCOMPARE(m_failures->count(), 2);
    QCOMPARE(shownId(), QStringLiteral("A1"));
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"A1b", "Otra Ana"}}));
}

void TestRecordNavigator::deleteCurrent_keepsTheValuesUntilAMove_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("id");

    QTest::newRow("next goes to the one after") << "moveNext" << "C3";
    QTest::newRow("previous goes to the one before") << "movePrevious" << "A1";
    QTest::newRow("last") << "moveLast" << "D4";
}

void TestRecordNavigator::deleteCurrent_keepsTheValuesUntilAMove()
{
    QFETCH(QString, button);
    QFETCH(QString, id);
    createTable({{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Cira"}, {"D4", "Dora"}});
    QVERIFY(openNavigator());
    click("moveNext");
    // An edit that was never written goes with its record.
    m_name->setText(QStringLiteral("Bruno"));
    QVERIFY(m_navigator->deleteCurrent());
    QCOMPARE(shownId(), QStringLiteral("B2"));
    QCOMPARE(shownName(), QStringLiteral("Bruno"));
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"C3", "Cira"}, {"D4", "Dora"}}));
    QVERIFY(!m_navigator->hasCurrentRecord());
    QVERIFY(!m_navigator->deleteCurrent());

    click(button.toLatin1().constData());
    QCOMPARE(shownId(), id);
    QVERIFY(m_navigator->hasCurrentRecord());
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"C3", "Cira"}, {"D4", "Dora"}}));
    QCOMPARE(m_failures->count(), 0);
}

void TestRecordNavigator::savePending_writesTheNewRecord()
{
    createTable({{"A1", "Ana"}});
    QVERIFY(openNavigator());
    QVERIFY(m_navigator->addNew());
    QTest::keyClicks(m_id, "E5");
    QVERIFY(m_navigator->savePending());
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"E5", ""}}));
    // It stays on the written record, which is a record like any other now.
    QCOMPARE(shownId(), QStringLiteral("E5"));
    QVERIFY(m_navigator->hasCurrentRecord());
    QVERIFY(m_navigator->deleteCurrent());
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}}));
}

void TestRecordNavigator::emptyTable_showsBlankBoxesAndAcceptsANewRecord()
{
    createTable({});
    m_id->setText(QStringLiteral("left over"));
    QVERIFY(openNavigator());
    QCOMPARE(shownId(), QString());
    QVERIFY(!m_navigator->hasCurrentRecord());
    QVERIFY(!m_navigator->deleteCurrent());
    click("moveNext");
    click("moveLast");
    QCOMPARE(shownId(), QString());
    QVERIFY(m_navigator->addNew());
    QTest::keyClicks(m_id, "F6");
    click("movePrevious");
    QCOMPARE(shownId(), QStringLiteral("F6"));
    QCOMPARE(readBack(m_path), (Rows{{"F6", ""}}));
    QCOMPARE(m_failures->count(), 0);
}

void TestRecordNavigator::moveLast_reachesTheEndOfALongTable()
{
    // More rows than the model reads in one go.
    Rows rows;
    for (int i = 0; i < 700; ++i)
        rows.append({QStringLiteral("P%1").arg(i, 4, 10, QLatin1Char('0')), QString()});
    createTable(rows);
    QVERIFY(openNavigator());
    click("moveLast");
    QCOMPARE(shownId(), QStringLiteral("P0699"));
    QVERIFY(m_navigator->addNew());
    QTest::keyClicks(m_id, "Q");
    click("moveFirst");
    QCOMPARE(readBack(m_path).size(), 701);
    click("moveLast");
    QCOMPARE(shownId(), QStringLiteral("Q"));
}

void TestRecordNavigator::readOnly_neitherEditsNorAddsNorDeletes()
{
    const Rows rows{{"A1", "Ana"}, {"B2", "Beto"}};
    createTable(rows);
    QVERIFY(openNavigator(true));
    QVERIFY(m_id->isReadOnly());
    QTest::keyClicks(m_name, "zzz");
    click("moveNext");
    QCOMPARE(shownId(), QStringLiteral("B2"));
    QVERIFY(!m_navigator->addNew());
    QVERIFY(!m_navigator->deleteCurrent());
    QCOMPARE(readBack(m_path), rows);
    m_navigator->close();
    QVERIFY(!m_id->isReadOnly());
}

void TestRecordNavigator::missingTable_isReportedWithTheEnginesMessage()
{
    createTable({});
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(m_path);
    QVERIFY(db.open());
    QVERIFY(!m_navigator->open(db, QStringLiteral("nobody")));
    QVERIFY(!m_navigator->isOpen());
    QCOMPARE(m_failures->count(), 1);
    QCOMPARE(m_failures->at(0).at(0).value<RecordNavigator::Failure>(), RecordNavigator::Failure::Open);
    QVERIFY(!m_failures->at(0).at(1).toString().isEmpty());
    // The boxes answer nothing and change nothing.
    click("moveNext");
    QVERIFY(!m_navigator->addNew());
}

QTEST_MAIN(TestRecordNavigator)
#include "tst_recordnavigator.moc"

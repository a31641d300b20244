#include "recordnavigator.h"
#include "sqlitefile.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlTableModel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

using SqliteFile::Rows;
// What the user does with the navigator before typing.
using Steps = std::function<void(RecordNavigator &)>;

Q_DECLARE_METATYPE(Steps)

class TestRecordNavigator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void moves_data();
    void moves();
    void editThenMove_writesFirst_typedBackIsNoEdit();
    void refusedWrite_keepsEverythingTypedUntilCorrected_data();
    void refusedWrite_keepsEverythingTypedUntilCorrected();
    void refusedEditTypedBack_isNotWrittenLater();
    void addNew_data();
    void addNew();
    void typing_needsARecordToGoInto_data();
    void typing_needsARecordToGoInto();

private:
    void createTable(const Rows &rows)
    {
        QVERIFY(SqliteFile::create(
            m_path, QStringLiteral("CREATE TABLE people (id TEXT PRIMARY KEY NOT NULL CHECK (id <> ''), name TEXT)"), rows));
    }
    bool openNavigator();
    void click(const char *button);
    Rows stored() const
    {
        return SqliteFile::readRows(m_path, QStringLiteral("SELECT id, name FROM people ORDER BY rowid"));
    }

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
    m_path = m_dir->filePath(QStringLiteral("people.db"));
    m_host = std::make_unique<QWidget>();
    m_id = new QLineEdit(m_host.get());
    m_name = new QLineEdit(m_host.get());
    m_navigator = new RecordNavigator(m_host.get());
    m_navigator->bind(m_id, QStringLiteral("id"));
    m_navigator->bind(m_name, QStringLiteral("name"));
    m_failures = std::make_unique<QSignalSpy>(m_navigator, &RecordNavigator::failed);
    m_host->show();
}

void TestRecordNavigator::cleanup()
{
    m_navigator->close();
    m_failures.reset();
    m_host.reset();
    QSqlDatabase::removeDatabase(QStringLiteral("navigator"));
    m_dir.reset();
}

bool TestRecordNavigator::openNavigator()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("navigator"));
    db.setDatabaseName(m_path);
    if (!db.open())
        return false;
    auto *model = new QSqlTableModel(nullptr, db);
    model->setTable(QStringLiteral("people"));
    return m_navigator->open(model);
}

void TestRecordNavigator::click(const char *button)
{
    QTest::mouseClick(m_navigator->findChild<QToolButton *>(QLatin1String(button)), Qt::LeftButton);
}

void TestRecordNavigator::moves_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("id");
    QTest::newRow("opening shows the first") << QStringList() << "P000";
    QTest::newRow("next") << QStringList{"moveNext"} << "P001";
    QTest::newRow("previous at the start stays") << QStringList{"movePrevious"} << "P000";
    // More rows than the model reads in one go.
    QTest::newRow("last") << QStringList{"moveLast"} << "P299";
    QTest::newRow("next past the end stays") << QStringList{"moveLast", "moveNext"} << "P299";
    QTest::newRow("last then previous") << QStringList{"moveLast", "movePrevious"} << "P298";
    QTest::newRow("last then first") << QStringList{"moveLast", "moveFirst"} << "P000";
}

void TestRecordNavigator::moves()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, id);
    Rows rows;
    for (int i = 0; i < 300; ++i)
        rows.append({QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("n%1").arg(i)});
    createTable(rows);
    QVERIFY(openNavigator());
    for (const QString &button : std::as_const(clicks))
        click(button.toLatin1().constData());
    QCOMPARE(m_id->text(), id);
    QCOMPARE(m_name->text(), QStringLiteral("n%1").arg(id.mid(1).toInt()));
    QCOMPARE(m_failures->count(), 0);
}

void TestRecordNavigator::editThenMove_writesFirst_typedBackIsNoEdit()
{
    createTable({{"A1", "Ana"}, {"B2", "Beto"}});
    QVERIFY(openNavigator());
    m_name->setText(QStringLiteral("Anabel"));
    click("moveNext");
    QCOMPARE(m_id->text(), QStringLiteral("B2"));
    QCOMPARE(stored(), (Rows{{"A1", "Anabel"}, {"B2", "Beto"}}));

    const QByteArray before = SqliteFile::fileBytes(m_path);
    QTest::keyClicks(m_name, "x");
    QTest::keyClick(m_name, Qt::Key_Backspace);
    click("moveFirst");
    QVERIFY(m_navigator->savePending());
    QCOMPARE(SqliteFile::fileBytes(m_path), before);
}

void TestRecordNavigator::refusedWrite_keepsEverythingTypedUntilCorrected_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("engine");
    QTest::newRow("duplicate key") << "A1" << "UNIQUE constraint failed: people.id";
    QTest::newRow("empty key") << "" << "CHECK constraint failed";
}

void TestRecordNavigator::refusedWrite_keepsEverythingTypedUntilCorrected()
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
    QVERIFY2(m_navigator->lastError().databaseText().startsWith(engine),
             qPrintable(m_navigator->lastError().databaseText()));
    QCOMPARE(m_navigator->currentRow(), 1);
    QCOMPARE(m_id->text(), id);
    QCOMPARE(m_name->text(), QStringLiteral("Bruno"));
    // Called by the window's own code, the navigator says it through the result alone.
    QVERIFY(!m_navigator->savePending());
    QVERIFY(!m_navigator->addNew());
    QVERIFY(m_navigator->lastError().databaseText().startsWith(engine));
    QCOMPARE(m_failures->count(), 1);
    QCOMPARE(m_id->text(), id);
    QCOMPARE(stored(), rows);

    m_id->setText(QStringLiteral("B5"));
    click("moveNext");
    QCOMPARE(m_id->text(), QStringLiteral("C3"));
    QCOMPARE(stored(), (Rows{{"A1", "Ana"}, {"B5", "Bruno"}, {"C3", "Cira"}}));
}

void TestRecordNavigator::refusedEditTypedBack_isNotWrittenLater()
{
    createTable({{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Cira"}});
    QVERIFY(openNavigator());
    click("moveNext");
    m_id->setText(QStringLiteral("A1"));
    click("moveNext");
    QCOMPARE(m_failures->count(), 1);
    m_id->setText(QStringLiteral("B2"));
    click("moveNext");
    QCOMPARE(m_id->text(), QStringLiteral("C3"));
    // The refused change must not ride along with the next write.
    m_name->setText(QStringLiteral("Ciro"));
    click("moveFirst");
    QCOMPARE(m_failures->count(), 1);
    QCOMPARE(stored(), (Rows{{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Ciro"}}));
}

void TestRecordNavigator::addNew_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("move");
    QTest::addColumn<Rows>("after");
    QTest::addColumn<QString>("shownAfterMove");
    QTest::newRow("typed, written on the move")
        << "D4" << "Dora" << "moveFirst" << Rows{{"A1", "Ana"}, {"B2", "Beto"}, {"D4", "Dora"}} << "A1";
    // Back where the user was, then one on.
    QTest::newRow("left blank, dropped") << "" << "" << "moveNext" << Rows{{"A1", "Ana"}, {"B2", "Beto"}} << "B2";
}

void TestRecordNavigator::addNew()
{
    QFETCH(QString, id);
    QFETCH(QString, name);
    QFETCH(QString, move);
    QFETCH(Rows, after);
    QFETCH(QString, shownAfterMove);
    createTable({{"A1", "Ana"}, {"B2", "Beto"}});
    QVERIFY(openNavigator());
    QVERIFY(m_navigator->addNew());
    QVERIFY(m_navigator->isAddingNew() && !m_navigator->hasCurrentRecord());
    QCOMPARE(m_id->text() + m_name->text(), QString());
    QTest::keyClicks(m_id, id);
    QTest::keyClicks(m_name, name);
    click(move.toLatin1().constData());
    QCOMPARE(m_id->text(), shownAfterMove);
    QCOMPARE(stored(), after);
    QCOMPARE(m_failures->count(), 0);
}

void TestRecordNavigator::typing_needsARecordToGoInto_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<bool>("takesText");
    const Rows two{{"A1", "Ana"}, {"B2", "Beto"}};
    QTest::newRow("empty table") << Rows() << Steps([](RecordNavigator &) {}) << false;
    QTest::newRow("a record") << two << Steps([](RecordNavigator &) {}) << true;
    QTest::newRow("a new record left blank") << Rows()
                                             << Steps([](RecordNavigator &n) { n.addNew(), n.moveFirst(); }) << false;
    QTest::newRow("a deleted record") << two << Steps([](RecordNavigator &n) { n.deleteCurrent(); }) << false;
    QTest::newRow("deleted, then moved off")
        << two << Steps([](RecordNavigator &n) { n.deleteCurrent(), n.moveNext(); }) << true;
    QTest::newRow("the last one deleted, then moved off")
        << Rows{{"A1", "Ana"}} << Steps([](RecordNavigator &n) { n.deleteCurrent(), n.moveNext(); }) << false;
    QTest::newRow("record set closed") << two << Steps([](RecordNavigator &n) { n.close(); }) << false;
}

void TestRecordNavigator::typing_needsARecordToGoInto()
{
    QFETCH(Rows, rows);
    QFETCH(Steps, steps);
    QFETCH(bool, takesText);
    const QString hint = QStringLiteral("sin registro");
    m_navigator->setNoRecordHint(hint);
    createTable(rows);
    QVERIFY(openNavigator());
    steps(*m_navigator);
    const QString before = m_id->text();
    QTest::keyClicks(m_id, "9");
    QTest::keyClicks(m_name, "z");
    QCOMPARE(m_id->text(), takesText ? before + "9" : before);
    QCOMPARE(m_id->placeholderText(), takesText ? QString() : hint);
    QCOMPARE(m_name->placeholderText(), takesText ? QString() : hint);
    QCOMPARE(m_failures->count(), 0);
}

QTEST_MAIN(TestRecordNavigator)
#include "tst_recordnavigator.moc"

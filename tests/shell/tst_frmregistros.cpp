#include "empleadosdb.h"
#include "forms.h"
#include "frmregistros.h"
#include "messageboxcatcher.h"
#include "sqlitefile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Forms;
using SqliteFile::Rows;

namespace {

const QString kAdding = QStringLiteral("proceso de agregado");
const QString kGreeting = QStringLiteral("inicio de sesion");

} // namespace

class TestFrmRegistros : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void browseAddDelete_captionsFollowTheChildWindow();
    void unusableFile_isToldAndTheButtonsRefuse_data();
    void unusableFile_isToldAndTheButtonsRefuse();
    void readOnlyFile_isBrowsedButNeverWritten();
    void refusedMove_isToldOnce();
    void refusedRecordOnClose_isKeptForTheNextOpening();
    void emptyRegistry_takesTextOnlyAfterAgregar();

private:
    void open();
    void seed(const Rows &rows) { QVERIFY(SqliteFile::create(m_path, SqliteFile::kEmpleados, rows)); }
    void click(const char *name) { QTest::mouseClick(control<QAbstractButton>(m_form, name), Qt::LeftButton); }
    void type(const char *box, const QString &text) { control<QLineEdit>(m_form, box)->setText(text); }
    // Typed key by key, accents too (QTest::keyClicks takes ASCII alone).
    static void typeKeys(QWidget *box, const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QString caption() const { return control<QLabel>(m_form, "caption")->text(); }
    Rows stored() const
    {
        return SqliteFile::readRows(m_path, QStringLiteral("SELECT IdEmpleado, Nombre FROM Empleados ORDER BY rowid"));
    }
    // Another program's connection to the database file, holding what the statement takes;
    // an empty one lets go.
    void fromAnotherProgram(const QString &statement);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Frame> m_frame;
    std::unique_ptr<MessageBoxCatcher> m_boxes;
    QString m_path;
    frmRegistros *m_form = nullptr;
};

void TestFrmRegistros::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QSql")));
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("TorvaneElectronico/TorvaneElectronico.db"));
    m_frame = std::make_unique<Frame>();
    m_form = nullptr;
    m_boxes = std::make_unique<MessageBoxCatcher>();
}

void TestFrmRegistros::cleanup()
{
    m_boxes.reset();
    m_frame.reset();
    fromAnotherProgram(QString());
    SqliteFile::setReadOnly(m_path, false);
    m_dir.reset();
    // Every window let go of its connection when it went.
    QCOMPARE(QSqlDatabase::connectionNames(), QStringList());
}

void TestFrmRegistros::open()
{
    if (!m_form)
        m_form = new frmRegistros(m_path, &m_frame->area);
    m_form->showIn(&m_frame->area);
}

void TestFrmRegistros::fromAnotherProgram(const QString &statement)
{
    if (statement.isEmpty()) {
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    db.setDatabaseName(m_path);
    QVERIFY(db.open() && QSqlQuery(db).exec(statement));
}

void TestFrmRegistros::browseAddDelete_captionsFollowTheChildWindow()
{
    // Longer than a line edit takes unless told: kept whole.
    const QString longName(100000, QLatin1Char('n'));
    open();
    QCOMPARE(caption(), kGreeting);
    click("cmdagregar");
    QCOMPARE(caption(), kAdding);
    QVERIFY(control<QLineEdit>(m_form, "txtidEmpleado")->hasFocus());
    type("txtidEmpleado", QStringLiteral("A1"));
    click("cmdagregar");
    type("txtidEmpleado", QStringLiteral("B2"));
    type("txtnombreEmpleado", longName);
    click("moveFirst");
    QCOMPARE(stored(), (Rows{{"A1", ""}, {"B2", longName}}));
    click("cmdeliminar");
    QCOMPARE(caption(), QStringLiteral("se elimin\u00F2 el registro que est\u00E0 viendo"));
    QCOMPARE(text(m_form, "txtidEmpleado"), QStringLiteral("A1"));
    QCOMPARE(stored(), (Rows{{"B2", longName}}));

    // Another application comes to the front, then this one again: no change of child window.
    click("cmdagregar");
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QEvent activate(QEvent::ApplicationActivate);
    QCoreApplication::sendEvent(qApp, &activate);
    m_frame->area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_frame->area));
    QCOMPARE(caption(), kAdding);
    // Another child window, then this one again.
    QMdiSubWindow *other = m_frame->area.addSubWindow(new QWidget);
    other->show();
    m_frame->area.setActiveSubWindow(other);
    m_frame->area.setActiveSubWindow(m_form->subWindow());
    QCOMPARE(caption(), kGreeting);
    QVERIFY(m_boxes->boxes().isEmpty());
}

void TestFrmRegistros::unusableFile_isToldAndTheButtonsRefuse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("held");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("not a database") << QByteArray("A1;Ana") << "" << true;
    // A lock is no damage: nothing says to restore a copy.
    QTest::newRow("held by another program") << QByteArray() << "BEGIN EXCLUSIVE" << false;
}

void TestFrmRegistros::unusableFile_isToldAndTheButtonsRefuse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, held);
    QFETCH(bool, damaged);
    seed({{"A1", "Ana"}});
    if (!bytes.isEmpty()) {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    }
    if (!held.isEmpty())
        fromAnotherProgram(held);
    open();
    click("cmdeliminar");
    click("cmdagregar");
    QCOMPARE(m_boxes->boxes().size(), 3);
    const QString told = m_boxes->boxes().at(0).text;
    QVERIFY2(told.contains(QDir::toNativeSeparators(m_path)), qPrintable(told));
    QCOMPARE(told.contains(QStringLiteral("copia de seguridad")), damaged);
    QVERIFY(m_boxes->boxes().at(1).text.contains(QStringLiteral("no está abierta")));
    QVERIFY(m_boxes->boxes().at(2).text.contains(QStringLiteral("no está abierta")));
    QVERIFY(m_form->subWindow()->close());
}

void TestFrmRegistros::readOnlyFile_isBrowsedButNeverWritten()
{
    const Rows rows{{"A1", "Ana"}, {"B2", "Beto"}};
    seed(rows);
    if (!SqliteFile::setReadOnly(m_path, true) || QFile(m_path).open(QIODevice::ReadWrite))
        QSKIP("this system lets this user write the file all the same");
    open();
    QVERIFY(m_boxes->texts().contains(QStringLiteral("es de solo lectura")));
    QVERIFY(control<QLineEdit>(m_form, "txtidEmpleado")->isReadOnly());
    click("moveNext");
    QCOMPARE(text(m_form, "txtidEmpleado"), QStringLiteral("B2"));
    click("cmdeliminar");
    QCOMPARE(m_boxes->boxes().size(), 2);
    QVERIFY(m_form->subWindow()->close());
    QCOMPARE(stored(), rows);
}

// What is kept on screen, and how the engine's refusal is worded, the navigator's and the
// database's tests show; the window tells each refusal once, in those words.
void TestFrmRegistros::refusedMove_isToldOnce()
{
    seed({{"A1", "Ana"}, {"B2", "Beto"}});
    open();
    type("txtidEmpleado", QStringLiteral("B2"));
    click("moveNext");
    QCOMPARE(m_boxes->boxes().size(), 1);
    QVERIFY2(m_boxes->texts().contains(QStringLiteral("el identificador ya lo tiene otro empleado")),
             qPrintable(m_boxes->texts()));
    // "&Agregar" writes the record on screen first: refused again, and told once again.
    click("cmdagregar");
    QCOMPARE(m_boxes->boxes().size(), 2);
}

void TestFrmRegistros::refusedRecordOnClose_isKeptForTheNextOpening()
{
    seed({{"A1", "Ana"}});
    open();
    fromAnotherProgram(QStringLiteral("BEGIN IMMEDIATE"));
    click("cmdagregar");
    type("txtidEmpleado", QStringLiteral("A1"));
    type("txtnombreEmpleado", QStringLiteral("Ana Dos"));
    // No: the user goes on editing.
    m_boxes->setAnswer(QMessageBox::No);
    QVERIFY(!m_form->subWindow()->close());
    QCOMPARE(m_boxes->boxes().size(), 1);
    QCOMPARE(text(m_form, "txtnombreEmpleado"), QStringLiteral("Ana Dos"));
    // Yes: the window closes and the record waits beside the database.
    m_boxes->setAnswer(QMessageBox::Yes);
    QVERIFY(m_form->subWindow()->close());
    QVERIFY(m_boxes->boxes().at(1).buttons.testFlag(QMessageBox::Yes));
    fromAnotherProgram(QString());

    m_boxes->clear();
    open();
    QCOMPARE(text(m_form, "txtnombreEmpleado"), QStringLiteral("Ana Dos"));
    QCOMPARE(caption(), kAdding);
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes->boxes().size(), 1, kWaitMs);
    // Still a duplicate: corrected, it is written, and nothing is kept any more.
    type("txtidEmpleado", QStringLiteral("A2"));
    click("moveFirst");
    QCOMPARE(stored(), (Rows{{"A1", "Ana"}, {"A2", "Ana Dos"}}));
    QVERIFY(!EmpleadosDb(m_path).keptRecord());
}

void TestFrmRegistros::emptyRegistry_takesTextOnlyAfterAgregar()
{
    open();
    auto *id = control<QLineEdit>(m_form, "txtidEmpleado");
    auto *name = control<QLineEdit>(m_form, "txtnombreEmpleado");
    typeKeys(id, QStringLiteral("1"));
    typeKeys(name, QStringLiteral("Ana Pérez"));
    QCOMPARE(id->text() + name->text(), QString());
    // The empty boxes say what to do.
    QVERIFY2(id->placeholderText().contains(QStringLiteral("Agregar")), qPrintable(id->placeholderText()));
    QCOMPARE(name->placeholderText(), id->placeholderText());

    click("cmdagregar");
    typeKeys(id, QStringLiteral("1"));
    typeKeys(name, QStringLiteral("Ana Pérez"));
    QCOMPARE(id->text(), QStringLiteral("1"));
    QCOMPARE(name->text(), QStringLiteral("Ana Pérez"));
    QVERIFY(m_form->subWindow()->close());
    QCOMPARE(stored(), (Rows{{"1", "Ana Pérez"}}));
    QVERIFY(!EmpleadosDb(m_path).keptRecord());
    QVERIFY(m_boxes->boxes().isEmpty());
}

QTEST_MAIN(TestFrmRegistros)
#include "tst_frmregistros.moc"

#include "schooltexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// What the build gave, in the test's own words.
const SchoolTexts kBuilt{QStringLiteral("Plantel de la compilación"), QStringLiteral("Profesor de la compilación"),
                         {QStringLiteral("Uno"), QStringLiteral("Dos")}};

// In place of a file's bytes: a folder where the file should be, which nobody reads, root
// neither.
const QByteArray kFolder = QByteArrayLiteral("/");

bool writeFile(const QString &path, const QByteArray &bytes)
{
    if (bytes == kFolder)
        return QDir().mkpath(path);
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

} // namespace

class TestSchoolTexts : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void standardFiles_theMachinesFirstThenTheUsers();
};

void TestSchoolTexts::read_data()
{
    // The machine's file and the user's, read in that order; empty: no file.
    QTest::addColumn<QByteArray>("machine");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QString>("school");
    QTest::addColumn<QString>("teacher");
    QTest::addColumn<QStringList>("members");
    // Which files are told on the standard error, and a word of what it says.
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<QString>("says");

    const QStringList built = kBuilt.members;
    const QStringList four{"Ana Pérez", "Luis Ortega", "Marta Ríos", "Juan Díaz"};
    QTest::newRow("no files") << QByteArray() << QByteArray() << kBuilt.school << kBuilt.teacher << built
                              << QStringList() << "";
    QTest::newRow("all three, accents") << QByteArray()
                                        << QByteArray("[escuela]\n"
                                                      "plantel = Escuela Técnica Industrial N.º 3\n"
                                                      "profesor = Ing. Laura Gómez\n"
                                                      "integrantes = Ana Pérez; Luis Ortega;Marta Ríos ; Juan Díaz\n")
                                        << "Escuela Técnica Industrial N.º 3" << "Ing. Laura Gómez" << four
                                        << QStringList() << "";
    QTest::newRow("names on indented lines, blank and comment lines among them")
        << QByteArray() << QByteArray("[escuela]\nintegrantes =\n    Ana Pérez\n    Luis Ortega\n\n"
                                      "  # la tercera\n    Marta Ríos; Juan Díaz\nprofesor: Ana\n")
        << kBuilt.school << "Ana" << four << QStringList() << "";
    QTest::newRow("a long name over two lines")
        << QByteArray("[escuela]\nplantel = Escuela Técnica\n\tIndustrial N.º 3\n") << QByteArray()
        << "Escuela Técnica Industrial N.º 3" << kBuilt.teacher << built << QStringList() << "";
    QTest::newRow("comma and semicolon are text in a name")
        << QByteArray() << QByteArray("[escuela]\nplantel = Escuela N.º 3, turno tarde; anexo\n")
        << "Escuela N.º 3, turno tarde; anexo" << kBuilt.teacher << built << QStringList() << "";
    QTest::newRow("byte-order mark, CR LF, keys in capitals")
        << QByteArray() << QByteArray("\xEF\xBB\xBF[escuela]\r\nPLANTEL=Escuela\r\nProfesor = Ana\r\n")
        << "Escuela" << "Ana" << built << QStringList() << "";
    QTest::newRow("comments and other groups")
        << QByteArray() << QByteArray("# profesor = no\n; profesor = no\n[otro]\nprofesor = no\n"
                                      "[escuela]\n; plantel = no\nprofesor = Sí\n[Escuela]\nintegrantes = no\n")
        << kBuilt.school << "Sí" << built << QStringList() << "";
    QTest::newRow("the user's file over one key of the machine's")
        << QByteArray("[escuela]\nplantel = Escuela\nprofesor = Ana\nintegrantes = Uno; Dos; Tres\n")
        << QByteArray("[escuela]\nprofesor = Beto\n") << "Escuela" << "Beto" << QStringList{"Uno", "Dos", "Tres"}
        << QStringList() << "";
    QTest::newRow("blank values") << QByteArray() << QByteArray("[escuela]\nplantel =\nprofesor = \nintegrantes = ; ;\n")
                                  << kBuilt.school << kBuilt.teacher << built << QStringList{"user"}
                                  << "ningún texto";
    QTest::newRow("no group") << QByteArray("plantel = Escuela\n") << QByteArray() << kBuilt.school << kBuilt.teacher
                              << built << QStringList{"machine"} << "[escuela]";
    // As Windows-1252, the way an editor may save it.
    QTest::newRow("not UTF-8, the machine's left")
        << QByteArray("[escuela]\nprofesor = Ana\n") << QByteArray("[escuela]\nplantel = Escuela T\xE9" "cnica\n")
        << kBuilt.school << "Ana" << built << QStringList{"user"} << "UTF-8";
    QTest::newRow("unreadable, the machine's left") << QByteArray("[escuela]\nprofesor = Ana\n") << kFolder
                                                    << kBuilt.school << "Ana" << built << QStringList{"user"}
                                                    << "carpeta";
}

void TestSchoolTexts::read()
{
    QFETCH(QByteArray, machine);
    QFETCH(QByteArray, user);
    QFETCH(QString, school);
    QFETCH(QString, teacher);
    QFETCH(QStringList, members);
    QFETCH(QStringList, told);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QHash<QString, QString> paths{{"machine", dir.filePath(QStringLiteral("etc/escuela.ini"))},
                                        {"user", dir.filePath(QStringLiteral("home/escuela.ini"))}};
    if (!machine.isEmpty())
        QVERIFY(writeFile(paths["machine"], machine));
    if (!user.isEmpty())
        QVERIFY(writeFile(paths["user"], user));

    QStringList problems;
    const SchoolTexts texts = SchoolTexts::read(kBuilt, {paths["machine"], paths["user"]}, &problems);
    QCOMPARE(texts.school, school);
    QCOMPARE(texts.teacher, teacher);
    QCOMPARE(texts.members, members);
    QCOMPARE(problems.size(), told.size());
    for (int i = 0; i < told.size(); ++i) {
        QVERIFY2(problems.at(i).contains(QDir::toNativeSeparators(paths[told.at(i)])), qPrintable(problems.at(i)));
        QVERIFY2(problems.at(i).contains(says), qPrintable(problems.at(i)));
    }
}

void TestSchoolTexts::standardFiles_theMachinesFirstThenTheUsers()
{
    QStringList expected;
#ifdef Q_OS_WIN
    // The system's own names for the two folders.
    expected << qEnvironmentVariable("PROGRAMDATA") << qEnvironmentVariable("APPDATA");
#else
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("home")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir.filePath("first") + ":" + dir.filePath("second")));
    // The least important machine folder first: each later file wins.
    expected << dir.filePath("second") << dir.filePath("first") << dir.filePath("home");
#endif
    for (QString &folder : expected)
        folder = QDir(folder).filePath(QStringLiteral("TorvaneElectronico/escuela.ini"));
    QStringList files = SchoolTexts::standardFiles();
    for (QStringList *list : {&files, &expected})
        std::transform(list->begin(), list->end(), list->begin(), [](const QString &f) { return QDir::cleanPath(f); });
    QCOMPARE(files, expected);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The program's name names its folders.
    QCoreApplication::setApplicationName(QStringLiteral("TorvaneElectronico"));
    TestSchoolTexts test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_schooltexts.moc"

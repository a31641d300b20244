#include "deployment.h"

#include <QTest>

class TestDeployment : public QObject
{
    Q_OBJECT

private slots:
    void texts_reachTheBoxesAsGiven();
};

void TestDeployment::texts_reachTheBoxesAsGiven()
{
    // As given to the build: quotes, a backslash and accents; names split at ';' and at
    // line ends, blanks around them and empty ones dropped.
    QCOMPARE(Deployment::schoolName(), QStringLiteral("Escuela \"Benito Juárez\" C:\\aulas"));
    QCOMPARE(Deployment::teacherName(), QStringLiteral("Ana Núñez"));
    QCOMPARE(Deployment::teamMembers(), (QStringList{"Uno", "Dos", "Tres"}));
}

QTEST_GUILESS_MAIN(TestDeployment)
#include "tst_deployment.moc"

#include "schooltexts.h"

#include "deployment.h"
#include "systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <iterator>

namespace {

const QString kFileName = QStringLiteral("escuela.ini");
const QString kGroup = QStringLiteral("escuela");
const QString kSchoolKey = QStringLiteral("plantel");
const QString kTeacherKey = QStringLiteral("profesor");
const QString kMembersKey = QStringLiteral("integrantes");

// The keys of one group of an INI text, each with its value line by line, read as Python's
// configparser reads a file, so that a school may write it by hand or with a script:
// "key = value" or "key: value", the key in any case; a value goes on over the lines
// indented deeper than its key, past blank and comment lines; a line that starts with '#'
// or ';' is a comment, and anywhere else both are text. A key given twice keeps the last.
//
// Not QSettings: its INI format reads ';' anywhere as the start of a comment, an unquoted
// ',' as a list separator and '\' as an escape, and has no continuation lines, so
// "Ana Pérez; Luis Ortega" or "Escuela N.º 3, turno tarde" would not reach the boxes whole.
QHash<QString, QStringList> readGroup(const QString &text, const QString &group)
{
    QHash<QString, QStringList> values;
    bool inGroup = false;
    // The key whose value a deeper line goes on with; none after a group's header.
    QString key;
    qsizetype keyIndent = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString content = line.trimmed();
        if (content.isEmpty() || content.startsWith(QLatin1Char('#')) || content.startsWith(QLatin1Char(';')))
            continue;
        qsizetype indent = 0;
        while (line.at(indent).isSpace())
            ++indent;
        if (!key.isEmpty() && indent > keyIndent) {
            if (inGroup)
                values[key].append(content);
            continue;
        }
        key.clear();
        keyIndent = indent;
        const qsizetype headerEnd = content.lastIndexOf(QLatin1Char(']'));
        if (content.startsWith(QLatin1Char('[')) && headerEnd > 1) {
            inGroup = QStringView(content).sliced(1, headerEnd - 1) == group;
            continue;
        }
        const auto delimiter = std::find_if(content.cbegin(), content.cend(), [](QChar c) {
            return c == QLatin1Char('=') || c == QLatin1Char(':');
        });
        if (delimiter == content.cend())
            continue;
        const qsizetype at = delimiter - content.cbegin();
        key = content.first(at).trimmed().toLower();
        if (inGroup && !key.isEmpty())
            values[key] = QStringList{content.sliced(at + 1).trimmed()};
    }
    return values;
}

// A school's or a teacher's name, which a long value may break over lines.
QString oneLine(const QStringList &lines)
{
    QStringList parts;
    std::copy_if(lines.cbegin(), lines.cend(), std::back_inserter(parts), [](const QString &l) { return !l.isEmpty(); });
    return parts.join(QLatin1Char(' '));
}

// One name a line or between semicolons, blanks around them and empty ones dropped.
QStringList names(const QStringList &lines)
{
    QStringList found;
    for (const QString &line : lines) {
        for (const QString &name : line.split(QLatin1Char(';'))) {
            if (!name.trimmed().isEmpty())
                found.append(name.trimmed());
        }
    }
    return found;
}

// Puts what the group gives over the texts; false when it gives none of them.
bool apply(const QHash<QString, QStringList> &values, SchoolTexts &texts)
{
    const QString school = oneLine(values.value(kSchoolKey));
    const QString teacher = oneLine(values.value(kTeacherKey));
    const QStringList members = names(values.value(kMembersKey));
    if (!school.isEmpty())
        texts.school = school;
    if (!teacher.isEmpty())
        texts.teacher = teacher;
    if (!members.isEmpty())
        texts.members = members;
    return !school.isEmpty() || !teacher.isEmpty() || !members.isEmpty();
}

} // namespace

SchoolTexts SchoolTexts::fromBuild()
{
    return {Deployment::schoolName(), Deployment::teacherName(), Deployment::teamMembers()};
}

QStringList SchoolTexts::standardFiles()
{
    QStringList folders;
#ifdef Q_OS_WIN
    // %PROGRAMDATA%\TorvaneElectronico, second among Qt's configuration folders (the first
    // is the user's local one, the others the program's own folder), then the user's
    // roaming %APPDATA%\TorvaneElectronico, which holds the employees' database too.
    folders << QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).value(1)
            << QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#else
    // The user's folder, then the machine's from the most important: read the other way.
    const QStringList config = QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation);
    std::reverse_copy(config.cbegin(), config.cend(), std::back_inserter(folders));
#endif
    QStringList files;
    for (const QString &folder : std::as_const(folders)) {
        if (!folder.isEmpty())
            files.append(QDir(folder).filePath(kFileName));
    }
    return files;
}

SchoolTexts SchoolTexts::read(const SchoolTexts &defaults, const QStringList &files, QStringList *problems)
{
    SchoolTexts texts = defaults;
    for (const QString &path : files) {
        const QFileInfo info(path);
        if (!info.exists())
            continue;
        const QString shown = QDir::toNativeSeparators(path);
        QFile file(path);
        if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
            const QString reason = info.isDir() ? QStringLiteral("es una carpeta, no un archivo")
                                                : SystemError::inSpanish(file.errorString());
            problems->append(QStringLiteral("No se pudo leer el archivo %1 (%2) y no se usa. Compruebe que es un "
                                            "archivo que este usuario puede leer.")
                                 .arg(shown, reason));
            continue;
        }
        // A byte-order mark, which some editors put first, is skipped.
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(file.readAll());
        if (utf8.hasError()) {
            problems->append(QStringLiteral("El archivo %1 no está en UTF-8 y no se usa. Guárdelo de nuevo con la "
                                            "codificación UTF-8.")
                                 .arg(shown));
            continue;
        }
        if (!apply(readGroup(text, kGroup), texts)) {
            problems->append(QStringLiteral("El archivo %1 no da ningún texto de la escuela y no se usa. Escriba en "
                                            "él el grupo [%2] con %3, %4 o %5.")
                                 .arg(shown, kGroup, kSchoolKey, kTeacherKey, kMembersKey));
        }
    }
    return texts;
}

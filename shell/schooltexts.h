#pragma once

#include <QString>
#include <QStringList>

// What a school shows in the information boxes of the Ayuda menu: the school's name, the
// teacher's name and the team's members, one name a line. The build gives them (see
// -DBRAZO_PLANTEL in the README), and a small file named escuela.ini may give them after
// the program is installed:
//
//   [escuela]
//   plantel = Escuela Técnica Industrial N.º 3
//   profesor = Ing. Laura Gómez
//   integrantes =
//       Ana Pérez
//       Luis Ortega; Marta Ríos
struct SchoolTexts
{
    QString school;
    QString teacher;
    QStringList members;

    // As the program was built.
    static SchoolTexts fromBuild();

    // Where escuela.ini may be, in the order the files are read: the machine's folders
    // (on Linux those of XDG_CONFIG_DIRS, the least important first), then the user's.
    static QStringList standardFiles();

    // The defaults with what each file gives put over them, file by file and key by key,
    // so that a later file wins each key it gives. A missing file is no fault; a file that
    // cannot be read, is not UTF-8 or gives none of the texts changes nothing and adds one
    // line to problems, in Spanish, naming the file and what to do.
    static SchoolTexts read(const SchoolTexts &defaults, const QStringList &files, QStringList *problems);
};

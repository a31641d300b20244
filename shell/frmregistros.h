#pragma once

#include "empleadosdb.h"
#include "mdiform.h"
#include "recordnavigator.h"

#include <QPointer>
#include <QStringList>

class QCloseEvent;

// The user registry: the employees of the table "Empleados", browsed, added and deleted
// through the record navigator and the two boxes bound to the table's fields. The window's
// own code only answers its two buttons and its activation, and says what it did in the
// navigator's caption.
class frmRegistros : public MdiForm
{
    Q_OBJECT

public:
    // databasePath: the employees' SQLite file.
    explicit frmRegistros(const QString &databasePath, QWidget *parent = nullptr);
    ~frmRegistros() override;

    // For the end of the program, which asks nothing: writes a pending edit or new record,
    // or keeps it beside the database when the database refuses it.
    void keepPendingForExit();

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    // Its caption, "Form1", is that of two other windows too.
    QString accessibleWindowName() const override;
    void Form_Load() override;
    void Form_Unload() override;
    void Form_Activate() override;
    // A pending record that cannot be written: the user either goes on editing it or
    // closes and finds it again at the next opening. Nothing typed is lost.
    void closeEvent(QCloseEvent *event) override;

private:
    struct Ui;

    void cmdagregar_Click();
    void cmdeliminar_Click();
    void datEmpleados_Failed(const QSqlError &error);
    void datEmpleados_Moved();
    bool openRecords(bool readOnly);
    EmpleadosDb::Record shownRecord() const;
    void warnNotSaved(const QSqlError &error);
    void warn(const QStringList &lines);

    EmpleadosDb m_db;
    QPointer<Ui> m_ui;
    // A record kept from an earlier session, put back on screen at the first activation.
    std::optional<EmpleadosDb::Record> m_kept;
    bool m_showingKept = false;
};

#pragma once

#include "empleadosdb.h"
#include "mdiform.h"
#include "recordnavigator.h"

class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// The user registry: the employees of the table "Empleados", browsed, added and deleted
// through the record navigator and the two boxes bound to the table's fields. The window's
// own code only answers its two buttons and its activation, and says what it did in the
// navigator's caption.
class frmRegistros : public MdiForm
{
    Q_OBJECT

public:
    explicit frmRegistros(QWidget *parent = nullptr);
    ~frmRegistros() override;

    // Writes a pending edit or new record, as leaving it would. False when the engine
    // refused it: the message has been shown and the typed values are still on screen.
    // True when nothing was pending or the window is not loaded.
    bool savePending();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtidEmpleado = nullptr;
    QLineEdit *txtnombreEmpleado = nullptr;
    QPushButton *cmdagregar = nullptr;
    QPushButton *cmdeliminar = nullptr;
    RecordNavigator *datEmpleados = nullptr;

protected:
    void createControls(QWidget *surface) override;
    QSize designClientSize() const override;
    void Form_Load() override;
    void Form_Unload() override;
    void Form_Activate() override;
    // A pending record that cannot be written keeps the window open, so that nothing typed
    // is lost.
    void closeEvent(QCloseEvent *event) override;

private:
    void cmdagregar_Click();
    void cmdeliminar_Click();
    void datEmpleados_Failed(RecordNavigator::Failure what, const QString &engineMessage);
    void warn(const QString &text);

    EmpleadosDb m_db;
};

#pragma once

#include "preferences.h"
#include "settings.h"

#include <QMainWindow>

class QAction;
class QMdiArea;
class QMenu;
class MessageRecorder;
class SerialPortChoice;
class frmAyudaSimulador;
class frmBrazo;
class frmComSerial;
class frmInternetServidor;
class frmPuertoSerie;
class frmRegistros;
class frmServidor;

// The one instance of each child window, created by the first command that needs it and
// kept for the program's life.
struct ChildForms
{
    ::frmBrazo *frmBrazo = nullptr;
    ::frmInternetServidor *frmInternetServidor = nullptr;
    ::frmComSerial *frmComSerial = nullptr;
    ::frmServidor *frmServidor = nullptr;
    ::frmRegistros *frmRegistros = nullptr;
    ::frmAyudaSimulador *frmAyudaSimulador = nullptr;
};

// The multiple-document frame: the menu bar, the child windows and the information boxes.
class MDIPrincipal : public QMainWindow
{
    Q_OBJECT

public:
    // The settings go to every child window the frame opens; the school's texts to the
    // information boxes.
    explicit MDIPrincipal(const Settings &settings, QWidget *parent = nullptr);

    // Shows the frame maximized; restored, it has its designed client area.
    void showAtStart();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void mnuSalir_Click();
    void mnuVer_Comunicacion_Internet_Click();
    void mnuVer_Comunicacion_MaquinaSeral_Click();
    void mnuVer_RegistroUsuarios_Click();
    void mnuControlar_Internet_Click();
    void mnuControlar_MaquinaSerial_Click();
    void mnuAyuda_Informacion_Plantel_Click();
    void mnuAyuda_Informacion_Profesor_Click();
    void mnuayuda_Informacion_Integrantes_Click();
    void mnuAyuda_Informacion_Objetivo_Click();
    void mnuAyuda_Simulador_Click();

    // What "&Salir" does, and a request from the system to stop: the program ends at once,
    // what the registry holds and the recording kept.
    void endProgram();
    void createMenus();
    void recordingFailed(const QString &fileName, const QString &reason, bool atStart);
    void showPortChooser();
    QMenu *addMenu(QMenu *parent, const char *name, const QString &caption);
    template <typename Handler>
    QAction *addEntry(QMenu *menu, const char *name, const QString &caption, Handler handler);
    template <typename Form, typename... Arguments>
    Form *openChild(Form *&reference, const Arguments &...arguments);

    const Settings m_settings;
    QMdiArea *m_area = nullptr;
    ChildForms m_forms;
    Preferences m_preferences;
    // Serial port 1 for both serial windows, as the user chose it last.
    SerialPortChoice *m_serialPort = nullptr;
    frmPuertoSerie *m_portChooser = nullptr;
    // Closed unless the command line or a monitor started a recording.
    MessageRecorder *m_recorder = nullptr;
};

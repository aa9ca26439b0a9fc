#pragma once

#include "platform/MailslotWire.h"
#include "prefs/GeneralSettings.h"
#include "prefs/NetworkSettings.h"

#include <QDialog>

class CRegistry;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The program's own choices, in three sections: General, Appearance and Network. It shows
// what is stored and changes nothing until OK; OK stores what changed and applies it (the
// network's names and wires from the next start), Cancel leaves the settings file as it was.
class PreferencesWindow : public QDialog {
    Q_OBJECT

public:
    enum ControlId {
        IDC_START_WITH_DESKTOP = 1301,
        IDC_SOUNDS = 1302,
        IDC_NOTIFY = 1303,
        IDC_DESKTOP_COLORS = 1304,
        IDC_RESET_COLORS = 1305,
        IDC_COMPUTER_NAME = 1306,
        IDC_WORKGROUP = 1307,
        IDC_CODE_PAGE = 1308,
        IDC_NAME_PROBLEM = 1309,
        IDC_WINDOWS_PEERS = 1310,
        IDC_EXTRA_NETWORKS = 1311,
        IDC_WIRE_STATE = 1312,
        IDC_OK = 1,
        IDC_CANCEL = 2,
    };

    // exePath: the running program, for the autostart entry and the command that grants the port.
    PreferencesWindow(CRegistry& registry, QString exePath, QWidget* parent = nullptr);

    // What the Windows peers' wire is doing in this run.
    void SetWindowsWireState(MailslotWire::State state);

    void accept() override;

    // Puts the choices that act inside the running program into effect: sounds and colours.
    static void ApplyChoices(const GeneralSettings& settings);

private:
    GeneralSettings ChosenGeneral() const;
    NetworkSettings ChosenNetwork() const;
    void ShowNameProblems();

    CRegistry& m_registry;
    const QString m_strExePath;
    GeneralSettings m_general;
    NetworkSettings m_network;
    bool m_bResetColors = false;

    QCheckBox* m_pStartWithDesktop = nullptr;
    QCheckBox* m_pSounds = nullptr;
    QCheckBox* m_pNotify = nullptr;
    QCheckBox* m_pDesktopColors = nullptr;
    QPushButton* m_pResetColors = nullptr;
    QLineEdit* m_pComputerName = nullptr;
    QLineEdit* m_pWorkgroup = nullptr;
    QComboBox* m_pCodePage = nullptr;
    QLabel* m_pNameProblem = nullptr;
    QCheckBox* m_pWindowsPeers = nullptr;
    QLineEdit* m_pExtraNetworks = nullptr;
    QPlainTextEdit* m_pWireState = nullptr;
};

// Why the Windows peers' wire is off and what helps; empty while it is on.
QString WindowsWireOffReason(MailslotWire::State state, const QString& exePath);

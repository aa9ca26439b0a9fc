#include "preferences/PreferencesWindow.h"

#include "platform/MailslotWire.h"
#include "platform/OemCodePage.h"
#include "platform/SambaWorkgroup.h"
#include "prefs/Autostart.h"
#include "prefs/CRegistry.h"
#include "prefs/Preferences.h"
#include "prefs/PreferencesLayout.h"
#include "ui/DialogBuilder.h"
#include "ui/PaletteWatch.h"
#include "ui/PlaySoundResource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>

namespace {

using W = PreferencesWindow;

// The code-page list: the locale's, then the known pages in this order.
constexpr std::array<int, 3> kCodePages = {0, OemCodePage::kCyrillic, OemCodePage::kWesternEuropean};

DialogTemplate PreferencesTemplate(int localeCodePage)
{
    using C = DialogControl;
    const QString codePages = QStringLiteral("By language (CP%1)\nCP866 (Cyrillic)\nCP850 (Western)")
                                  .arg(localeCodePage);
    return DialogTemplate{
        .id = 0,
        .caption = QStringLiteral("Pellwick Preferences"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 250,
        .cy = 300,
        .controls = {
            {-1, C::GroupBox, QStringLiteral("General"), 3, 3, 244, 50, 0},
            {W::IDC_START_WITH_DESKTOP, C::CheckBox, QStringLiteral("Start Pellwick with the desktop"), 10, 14, 230, 10, C::TabStop},
            {W::IDC_SOUNDS, C::CheckBox, QStringLiteral("Play sounds"), 10, 26, 230, 10, C::TabStop},
            {W::IDC_NOTIFY, C::CheckBox, QStringLiteral("Show new messages as desktop notifications"), 10, 38, 230, 10, C::TabStop},
            {-1, C::GroupBox, QStringLiteral("Appearance"), 3, 56, 244, 32, 0},
            {W::IDC_DESKTOP_COLORS, C::CheckBox, QStringLiteral("Use the desktop's colours"), 10, 69, 115, 10, C::TabStop},
            {W::IDC_RESET_COLORS, C::PushButton, QStringLiteral("Reset to the desktop's colours"), 128, 67, 112, 14, C::TabStop},
            {-1, C::GroupBox, QStringLiteral("Network"), 3, 91, 244, 186, 0},
            {-1, C::Static, QStringLiteral("This computer's name:"), 10, 104, 110, 8, 0},
            {W::IDC_COMPUTER_NAME, C::Edit, {}, 125, 102, 115, 12, C::Border | C::TabStop},
            {-1, C::Static, QStringLiteral("Workgroup:"), 10, 120, 110, 8, 0},
            {W::IDC_WORKGROUP, C::Edit, {}, 125, 118, 115, 12, C::Border | C::TabStop},
            {-1, C::Static, QStringLiteral("Code page of the names:"), 10, 136, 110, 8, 0},
            {W::IDC_CODE_PAGE, C::ComboBox, codePages, 125, 134, 115, 14, C::TabStop},
            {W::IDC_NAME_PROBLEM, C::Static, {}, 10, 151, 230, 16, 0},
            {W::IDC_WINDOWS_PEERS, C::CheckBox, QStringLiteral("Reach Windows computers (UDP port 138)"), 10, 169, 230, 10, C::TabStop},
            {-1, C::Static, QStringLiteral("Other networks (hosts or subnets, separated by spaces):"), 10, 183, 230, 8, 0},
            {W::IDC_EXTRA_NETWORKS, C::Edit, {}, 10, 193, 230, 12, C::Border | C::TabStop},
            {W::IDC_WIRE_STATE, C::Edit, {}, 10, 209, 230, 52, C::Multiline | C::ReadOnly | C::Border | C::TabStop},
            {-1, C::Static, QStringLiteral("Network changes take effect when Pellwick starts again."), 10, 264, 230, 8, 0},
            {W::IDC_OK, C::PushButton, QStringLiteral("OK"), 152, 282, 46, 14, C::DefPushButton | C::TabStop},
            {W::IDC_CANCEL, C::PushButton, QStringLiteral("Cancel"), 201, 282, 46, 14, C::TabStop},
        },
    };
}

} // namespace

PreferencesWindow::PreferencesWindow(CRegistry& registry, QString exePath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_registry(registry)
    , m_strExePath(std::move(exePath))
    , m_general(LoadGeneralSettings(registry))
    , m_network(LoadNetworkSettings(registry))
{
    const int localeCodePage = OemCodePage::ForLocale(QLocale::system());
    DialogBuilder::Build(this, PreferencesTemplate(localeCodePage));
    m_pStartWithDesktop = DialogBuilder::Control<QCheckBox>(this, IDC_START_WITH_DESKTOP);
    m_pSounds = DialogBuilder::Control<QCheckBox>(this, IDC_SOUNDS);
    m_pNotify = DialogBuilder::Control<QCheckBox>(this, IDC_NOTIFY);
    m_pDesktopColors = DialogBuilder::Control<QCheckBox>(this, IDC_DESKTOP_COLORS);
    m_pResetColors = DialogBuilder::Control<QPushButton>(this, IDC_RESET_COLORS);
    m_pComputerName = DialogBuilder::Control<QLineEdit>(this, IDC_COMPUTER_NAME);
    m_pWorkgroup = DialogBuilder::Control<QLineEdit>(this, IDC_WORKGROUP);
    m_pCodePage = DialogBuilder::Control<QComboBox>(this, IDC_CODE_PAGE);
    m_pNameProblem = DialogBuilder::Control<QLabel>(this, IDC_NAME_PROBLEM);
    m_pWindowsPeers = DialogBuilder::Control<QCheckBox>(this, IDC_WINDOWS_PEERS);
    m_pExtraNetworks = DialogBuilder::Control<QLineEdit>(this, IDC_EXTRA_NETWORKS);
    m_pWireState = DialogBuilder::Control<QPlainTextEdit>(this, IDC_WIRE_STATE);
    m_pWireState->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pWireState->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // Fields whose label is a control of its own are named for screen readers here.
    m_pComputerName->setAccessibleName(QStringLiteral("This computer's name on Windows networks"));
    m_pWorkgroup->setAccessibleName(QStringLiteral("Workgroup"));
    m_pCodePage->setAccessibleName(QStringLiteral("Code page of the names"));
    m_pExtraNetworks->setAccessibleName(QStringLiteral("Other networks"));
    m_pWireState->setAccessibleName(QStringLiteral("State of the Windows computers' connection"));
    m_pNameProblem->setAccessibleName(QStringLiteral("Names that cannot be written"));

    m_pStartWithDesktop->setChecked(m_general.startWithDesktop);
    m_pSounds->setChecked(m_general.sounds);
    m_pNotify->setChecked(m_general.notify);
    m_pDesktopColors->setChecked(m_general.desktopColors);
    m_pComputerName->setPlaceholderText(QString::fromLocal8Bit(ComputerName()));
    m_pComputerName->setText(m_network.computerName);
    m_pWorkgroup->setPlaceholderText(MachineWorkgroup());
    m_pWorkgroup->setText(m_network.workgroup);
    const auto codePage = std::find(kCodePages.begin(), kCodePages.end(), m_network.codePage);
    m_pCodePage->setCurrentIndex(codePage == kCodePages.end() ? 0 : static_cast<int>(codePage - kCodePages.begin()));
    m_pWindowsPeers->setChecked(m_network.windowsPeers);
    m_pExtraNetworks->setText(m_network.extraNetworks);
    SetWindowsWireState(m_network.windowsPeers ? MailslotWire::State::Open : MailslotWire::State::Off);
    ShowNameProblems();

    connect(m_pResetColors, &QPushButton::clicked, this, [this] {
        m_bResetColors = true;
        m_pDesktopColors->setChecked(true);
        m_pResetColors->setEnabled(false);
        m_pResetColors->setText(QStringLiteral("Reset on OK"));
    });
    connect(m_pComputerName, &QLineEdit::textChanged, this, &PreferencesWindow::ShowNameProblems);
    connect(m_pWorkgroup, &QLineEdit::textChanged, this, &PreferencesWindow::ShowNameProblems);
    connect(m_pCodePage, &QComboBox::currentIndexChanged, this, &PreferencesWindow::ShowNameProblems);
    connect(DialogBuilder::Control<QPushButton>(this, IDC_OK), &QPushButton::clicked, this, &QDialog::accept);
    connect(DialogBuilder::Control<QPushButton>(this, IDC_CANCEL), &QPushButton::clicked, this, &QDialog::reject);
}

void PreferencesWindow::SetWindowsWireState(MailslotWire::State state)
{
    const QString firewall = QStringLiteral("If this computer has a firewall, allow UDP broadcasts on ports 47364 and "
                                            "138 from the local network.");
    QString text;
    if (state == MailslotWire::State::Open)
        text = QStringLiteral("On: Windows computers of the workgroup see you and you see them.");
    else if (state == MailslotWire::State::Off)
        text = QStringLiteral("Off: turned off here.");
    else
        text = QStringLiteral("Off. ") + WindowsWireOffReason(state, m_strExePath);
    m_pWireState->setPlainText(text + u'\n' + firewall);
}

GeneralSettings PreferencesWindow::ChosenGeneral() const
{
    return GeneralSettings{
        .startWithDesktop = m_pStartWithDesktop->isChecked(),
        .sounds = m_pSounds->isChecked(),
        .notify = m_pNotify->isChecked(),
        .desktopColors = m_pDesktopColors->isChecked(),
    };
}

NetworkSettings PreferencesWindow::ChosenNetwork() const
{
    return NetworkSettings{
        .computerName = m_pComputerName->text().trimmed(),
        .workgroup = m_pWorkgroup->text().trimmed(),
        .codePage = kCodePages.at(static_cast<std::size_t>(std::max(0, m_pCodePage->currentIndex()))),
        .windowsPeers = m_pWindowsPeers->isChecked(),
        .extraNetworks = m_pExtraNetworks->text().simplified(),
    };
}

void PreferencesWindow::ShowNameProblems()
{
    const WindowsNames names = ResolveWindowsNames(ChosenNetwork());
    QStringList lines;
    for (const QString& name : names.unwritable)
        lines.append(QStringLiteral("\"%1\" cannot be written in code page %2: the host name or WORKGROUP goes out.")
                         .arg(name)
                         .arg(names.codePage));
    m_pNameProblem->setText(lines.join(u'\n'));
}

void PreferencesWindow::accept()
{
    const GeneralSettings general = ChosenGeneral();
    const NetworkSettings network = ChosenNetwork();
    if (m_bResetColors)
        ForgetPickedColors(m_registry);
    if (!(general == m_general))
        SaveGeneralSettings(m_registry, general);
    if (!(network == m_network))
        SaveNetworkSettings(m_registry, network);
    if (general.startWithDesktop != m_general.startWithDesktop)
        ApplyAutostartChoice(m_registry, m_strExePath);
    ApplyChoices(general);
    if (m_bResetColors || general.desktopColors != m_general.desktopColors)
        PaletteWatch::Instance().Notify();
    QDialog::accept();
}

void PreferencesWindow::ApplyChoices(const GeneralSettings& settings)
{
    SetSoundsOn(settings.sounds);
    Preferences::SetDesktopColors(settings.desktopColors);
}

QString WindowsWireOffReason(MailslotWire::State state, const QString& exePath)
{
    switch (state) {
    case MailslotWire::State::NoPermission:
        return QStringLiteral("Pellwick may not use the port that Windows computers talk on (UDP 138). "
                              "An administrator can allow it once with:\n"
                              "sudo setcap cap_net_bind_service=+ep %1\n"
                              "Then start Pellwick again.")
            .arg(exePath);
    case MailslotWire::State::Failed:
        return QStringLiteral("Another program holds the port that Windows computers talk on (UDP 138).");
    case MailslotWire::State::Off:
    case MailslotWire::State::Open:
        break;
    }
    return {};
}

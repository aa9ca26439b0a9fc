#include "preferences/PreferencesWindow.h"
#include "chat/CChatDialog.h"
#include "chat/CChatListBox.h"
#include "prefs/Autostart.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesLayout.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"
#include "support/TypeText.h"
#include "ui/DialogBuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;
using W = PreferencesWindow;

namespace {

class PreferencesWindowTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", dir.path().toUtf8()); }
    void TearDown() override
    {
        qunsetenv("XDG_CONFIG_HOME");
        QApplication::setPalette(desktop);
        PreferencesWindow::ApplyChoices({});
    }

    // Opens the window as the tray menu does, lets change() work on it and closes it with the button.
    void WithWindow(const std::function<void(W&)>& change, int button)
    {
        W window(registry, exePath);
        window.show();
        change(window);
        QTest::mouseClick(DialogBuilder::Control<QPushButton>(&window, button), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
    }

    static void Click(W& window, int id)
    {
        QTest::mouseClick(DialogBuilder::Control<QWidget>(&window, id), Qt::LeftButton, {}, QPoint(4, 4));
    }

    QTemporaryDir dir;
    const QString registryPath = dir.filePath(u"pellwick/registry.reg"_s);
    const QString entryPath = dir.filePath(u"autostart/org.pellwick.Pellwick.desktop"_s);
    const QString exePath = u"/usr/bin/pellwick"_s;
    CRegistry registry{registryPath};
    const QPalette desktop = QApplication::palette();
};

} // namespace

// Every control is named for screen readers; Cancel changes nothing; autostart off stays off.
TEST_F(PreferencesWindowTest, CancelChangesNothingAndStartWithTheDesktopOffRemovesTheEntryForGood)
{
    ASSERT_TRUE(ApplyAutostartChoice(registry, exePath)); // what every start does
    ASSERT_TRUE(registry.Flush());
    const QByteArray before = FileBytes(registryPath);
    ASSERT_FALSE(before.isEmpty());
    WithWindow(
        [](W& window) {
            for (QWidget* control : window.findChildren<QWidget*>()) {
                if (control->focusPolicy() & Qt::TabFocus) {
                    EXPECT_FALSE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
                        << control->objectName().toStdString();
                }
            }
            for (const int id : {W::IDC_START_WITH_DESKTOP, W::IDC_SOUNDS, W::IDC_NOTIFY, W::IDC_DESKTOP_COLORS,
                                 W::IDC_RESET_COLORS, W::IDC_WINDOWS_PEERS})
                Click(window, id);
            TypeText(DialogBuilder::Control<QLineEdit>(&window, W::IDC_WORKGROUP), u"ОФИС"_s);
            DialogBuilder::Control<QComboBox>(&window, W::IDC_CODE_PAGE)->setCurrentIndex(2);
        },
        W::IDC_CANCEL);
    ASSERT_TRUE(registry.Flush());
    EXPECT_EQ(FileBytes(registryPath), before);
    EXPECT_TRUE(QFile::exists(entryPath));

    WithWindow([](W& window) { Click(window, W::IDC_START_WITH_DESKTOP); }, W::IDC_OK);
    EXPECT_FALSE(QFile::exists(entryPath));
    QString run;
    EXPECT_FALSE(registry.ReadString(u"Microsoft", u"Windows", u"CurrentVersion\\Run\\Pellwick", run));
    EXPECT_TRUE(ApplyAutostartChoice(registry, exePath)); // the next start
    EXPECT_FALSE(QFile::exists(entryPath));
    WithWindow([](W& window) { Click(window, W::IDC_START_WITH_DESKTOP); }, W::IDC_OK);
    EXPECT_TRUE(QFile::exists(entryPath));
}

TEST_F(PreferencesWindowTest, NetworkNamesAreStoredAndOnesTheCodePageCannotHoldAreShown)
{
    WithWindow(
        [](W& window) {
            auto* problem = DialogBuilder::Control<QLabel>(&window, W::IDC_NAME_PROBLEM);
            TypeText(DialogBuilder::Control<QLineEdit>(&window, W::IDC_COMPUTER_NAME), u"ПК-Петров"_s);
            DialogBuilder::Control<QComboBox>(&window, W::IDC_CODE_PAGE)->setCurrentIndex(2); // CP850
            EXPECT_TRUE(problem->text().contains(u"\"ПК-Петров\" cannot be written in code page 850"_s));
            DialogBuilder::Control<QComboBox>(&window, W::IDC_CODE_PAGE)->setCurrentIndex(1); // CP866
            EXPECT_TRUE(problem->text().isEmpty());
            TypeText(DialogBuilder::Control<QLineEdit>(&window, W::IDC_EXTRA_NETWORKS), u"10.1.0.0/16  hq"_s);
        },
        W::IDC_OK);
    const NetworkSettings stored = LoadNetworkSettings(registry);
    EXPECT_EQ(stored.extraNetworks, u"10.1.0.0/16 hq"_s);
    EXPECT_EQ(ResolveWindowsNames(stored).computer, QByteArray::fromHex("8f8a2d8f8592908e82")); // CP866
}

TEST_F(PreferencesWindowTest, AThemeChangeRecoloursWhatFollowsTheDesktopAndAPickedColourStaysUntilReset)
{
    registry.WriteNumber(u"Ravelstone", u"Pellwick", u"Preferences\\Chat Dialog\\Title", 0x0000FF);
    CChatDialog chat(registry);
    CChatListBox* list = chat.ChatList();

    QPalette dark = desktop;
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    QApplication::setPalette(dark);
    EXPECT_EQ(list->TextColor(), 0xEEEEEEu);
    EXPECT_EQ(list->BackgroundColor(), 0x202020u);
    EXPECT_EQ(list->TitleColor(), 0x0000FFu);

    // The desktop's colours off: the classic ones, whatever the theme.
    WithWindow([](W& window) { Click(window, W::IDC_DESKTOP_COLORS); }, W::IDC_OK);
    EXPECT_EQ(list->TextColor(), 0u);
    EXPECT_EQ(list->BackgroundColor(), 0xFFFFFFu);

    // Reset: on again, and the pick is forgotten.
    WithWindow([](W& window) { Click(window, W::IDC_RESET_COLORS); }, W::IDC_OK);
    EXPECT_EQ(list->TitleColor(), 0xEEEEEEu);
    EXPECT_EQ(list->BackgroundColor(), 0x202020u);
    ASSERT_TRUE(registry.Flush());
    EXPECT_FALSE(FileBytes(registryPath).contains("\"Title\""));
}

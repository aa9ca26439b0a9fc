#include "ui/MessageBoxAlerts.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <thread>

TEST(MessageBoxAlertsTest, AlertFromAnotherThreadOpensAPlainTextBoxOnTheGuiThread)
{
    MessageBoxAlerts alerts;
    std::thread worker([&] { alerts.ShowAlert(QStringLiteral("<b>can't read mailslot</b>")); });
    worker.join();
    ASSERT_TRUE(WaitFor([&] { return alerts.OpenBoxes().size() == 1; }));
    QMessageBox* box = alerts.OpenBoxes().front();
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), QStringLiteral("<b>can't read mailslot</b>"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
}

TEST(MessageBoxAlertsTest, WhenAllClosedWaitsForTheLastBox)
{
    MessageBoxAlerts alerts;
    alerts.ShowAlert(QStringLiteral("Невозможно создать почтовый ящик."));
    alerts.ShowAlert(QStringLiteral("Ошибка в работе сети."));
    bool done = false;
    alerts.WhenAllClosed([&] { done = true; });
    alerts.OpenBoxes().front()->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(done);
    alerts.OpenBoxes().front()->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(WaitFor([&] { return done; }));
}

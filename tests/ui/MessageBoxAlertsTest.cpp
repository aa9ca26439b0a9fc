#include "ui/MessageBoxAlerts.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <thread>

// An alert from another thread opens a plain-text box; WhenAllClosed waits for the last box.
TEST(MessageBoxAlertsTest, AlertsFromAnyThreadOpenPlainTextBoxesAndTheLastCloseIsAwaited)
{
    MessageBoxAlerts alerts;
    std::thread worker([&] { alerts.ShowAlert(QStringLiteral("<b>can't read mailslot</b>")); });
    worker.join();
    ASSERT_TRUE(WaitFor([&] { return alerts.OpenBoxes().size() == 1; }));
    QMessageBox* box = alerts.OpenBoxes().front();
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), QStringLiteral("<b>can't read mailslot</b>"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);

    alerts.ShowAlert(QStringLiteral("Ошибка в работе сети."));
    bool done = false;
    alerts.WhenAllClosed([&] { done = true; });
    alerts.OpenBoxes().front()->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(done);
    alerts.OpenBoxes().front()->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(WaitFor([&] { return done; }));
}

#include "app/CIconFlashThread.h"
#include "platform/PostedEventOrder.h"
#include "support/WaitFor.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

class IconRecorder : public QObject {
public:
    IconRecorder() { m_order.Watch(this); }

    std::vector<int> icons;

protected:
    void customEvent(QEvent* event) override
    {
        if (event->type() == CIconFlashThread::IconEvent::EventType())
            icons.push_back(static_cast<CIconFlashThread::IconEvent*>(event)->m_nIconId);
    }

private:
    PostedEventOrder m_order; // the flash thread posts through it
};

} // namespace

TEST(CIconFlashThreadTest, LimitedFlashMakesSevenChangesThenAsksForTheNormalIcon)
{
    IconRecorder tray;
    CIconFlashThread flash(&tray, 165, 128, 6, QStringLiteral("New User"), std::chrono::milliseconds(2));
    flash.Start();
    ASSERT_TRUE(WaitFor([&] { return flash.IsDone(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(tray.icons, (std::vector<int>{165, 128, 165, 128, 165, 128, 165, 128, 0}));
}

TEST(CIconFlashThreadTest, EndlessFlashStopsAtOnceInTheMiddleOfAStep)
{
    IconRecorder tray;
    CIconFlashThread flash(&tray, 165, 128, -1, QStringLiteral("New User"), std::chrono::seconds(30));
    flash.Start();
    ASSERT_TRUE(WaitFor([&] { return !tray.icons.empty(); }));
    QElapsedTimer timer;
    timer.start();
    flash.Stop();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(flash.IsDone());
    QCoreApplication::processEvents();
    EXPECT_EQ(tray.icons, std::vector<int>{165});
}

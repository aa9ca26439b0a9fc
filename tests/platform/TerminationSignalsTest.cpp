#include "platform/TerminationSignals.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

TEST(TerminationSignalsTest, SigtermAndSigintArriveAsSignalsOnTheEventLoop)
{
    TerminationSignals watcher;
    std::vector<int> received;
    QObject::connect(&watcher, &TerminationSignals::TerminationRequested, &watcher,
                     [&](int number) { received.push_back(number); });
    ASSERT_EQ(raise(SIGTERM), 0);
    ASSERT_EQ(raise(SIGINT), 0);
    EXPECT_TRUE(WaitFor([&] { return received.size() == 2; }));
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT}));
}

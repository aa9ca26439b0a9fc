#include "platform/NamedEndpoint.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(NamedEndpointTest, OneHolderPerNameUntilItLetsGoAndNamesThatDoNotFitAreRefused)
{
    const QByteArray name = "pellwick-test/endpoint-" + QByteArray::number(getpid());
    NamedEndpoint first;
    ASSERT_TRUE(first.Claim(name));
    EXPECT_TRUE(first.IsHeld());

    NamedEndpoint second;
    EXPECT_FALSE(second.Claim(name));
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_TRUE(second.Claim(name));

    EXPECT_FALSE(first.Claim(QByteArray()));
    EXPECT_FALSE(first.Claim(QByteArray(200, 'n')));
}

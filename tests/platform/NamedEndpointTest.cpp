#include "platform/NamedEndpoint.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(NamedEndpointTest, OneHolderPerNameUntilItLetsGo)
{
    const QByteArray name = "pellwick-test/endpoint-" + QByteArray::number(getpid());
    NamedEndpoint first;
    ASSERT_TRUE(first.Claim(name));
    EXPECT_TRUE(first.IsHeld());

    NamedEndpoint second;
    EXPECT_FALSE(second.Claim(name));
    EXPECT_FALSE(second.IsHeld());
    EXPECT_TRUE(second.Claim(name + "-other"));

    first.Release();
    EXPECT_TRUE(second.Claim(name));
}

TEST(NamedEndpointTest, NamesThatDoNotFitAreRefused)
{
    NamedEndpoint endpoint;
    EXPECT_FALSE(endpoint.Claim(QByteArray()));
    EXPECT_FALSE(endpoint.Claim(QByteArray(200, 'n')));
}

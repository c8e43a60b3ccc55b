#include "platform/win/dde.h"

#include <gtest/gtest.h>

#include <string>

TEST(Dde, NoProgramAnswersByDefault)
{
    dde::SetResponder(nullptr);
    EXPECT_EQ(dde::Request("IExplore", "WWW_GetWindowInfo", "-1"), "");
}

TEST(Dde, AStandInServerAnswersWhatItIsAsked)
{
    dde::SetResponder([](const std::string& service, const std::string& topic, const std::string& item) {
        return service + "/" + topic + "/" + item;
    });
    EXPECT_EQ(dde::Request("netscape", "WWW_GetWindowInfo", "0xFFFFFFFF"), "netscape/WWW_GetWindowInfo/0xFFFFFFFF");
    dde::SetResponder(nullptr);
    EXPECT_EQ(dde::Request("netscape", "WWW_GetWindowInfo", "0xFFFFFFFF"), "");
}

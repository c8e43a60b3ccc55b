#include "client/core/features.h"
#include "client/core/peercallrecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Listed(const TPeerCallRecord& record) { return { record.Calls().begin(), record.Calls().end() }; }

}  // namespace

TEST(PeerCallRecord, OnlyAnInstalledRecordSeesTheDispatchersCalls)
{
    std::vector<std::string> saved;
    Features().PeerFrame.SaveNivlet = [&](const std::string& from, const std::string&, const std::string&) {
        saved.push_back(from);
    };
    TPeerCallRecord record;
    peerhooks::Nivlet("bob", "link", "before");
    EXPECT_TRUE(record.Calls().empty());
    record.Install();
    peerhooks::Nivlet("carol", "http://example.org", "see you");
    peerhooks::Persons("bob*", { "bob", "carol" });
    TPeerCallRecord::Uninstall();
    peerhooks::Nivlet("dave", "link", "after");
    Features().PeerFrame = {};
    // The hook ran every time, listened to or not.
    EXPECT_EQ(saved, (std::vector<std::string> { "bob", "carol", "dave" }));
    EXPECT_EQ(Listed(record), (std::vector<std::string> { "SaveNivlet|carol|http://example.org|see you", "ChatPersons|bob*|bob,carol" }));
}

TEST(PeerCallRecord, KeepsTheLatestTwoHundredCalls)
{
    TPeerCallRecord record;
    record.Install();
    for (int i = 0; i < 205; ++i)
        peerhooks::RaiseChat("room" + std::to_string(i));
    TPeerCallRecord::Uninstall();
    ASSERT_EQ(record.Calls().size(), 200u);
    EXPECT_EQ(record.Calls().front(), "RaiseChatWindow|room5");
    EXPECT_EQ(record.Calls().back(), "RaiseChatWindow|room204");
    record.Clear();
    EXPECT_TRUE(record.Calls().empty());
}

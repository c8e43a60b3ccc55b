#include "addressbook/contactstore.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Root(const ScratchDirs& dirs) { return codepage::FromUtf8(dirs.appDir()) + "/Address Book"; }

}  // namespace

TEST(ContactStore, FileNameJoinsLastFirstMiddleWithUnderscores)
{
    EXPECT_EQ(ContactBaseName("Ada", "", "Grant"), "Grant_Ada");
    EXPECT_EQ(ContactBaseName("Ada Jane", "", "O'Hara"), "O'Hara_Ada_Jane");
    EXPECT_EQ(ContactBaseName("", "J", ""), "J");
    EXPECT_EQ(ContactBaseName(" ", "", "  "), "");
    EXPECT_EQ(ContactBaseName("", "", ""), "");
    EXPECT_EQ(ContactBaseName("a,b:c*d?e\"f<g>h|i", "", ""), "a_b_c_d_e_f_g_h_i");
}

TEST(ContactStore, NameWithSeparatorsStaysInItsFolder)
{
    EXPECT_EQ(ContactBaseName("..", "", "../../etc/passwd"), ".._.._etc_passwd_..");
    EXPECT_EQ(ContactBaseName("a\\b", "", ""), "a_b");
}

TEST(ContactStore, MissingSettingsFilePutsRootInProgramFolder)
{
    ScratchDirs dirs;
    EXPECT_EQ(AddressBookRoot(), Root(dirs));
}

TEST(ContactStore, GroupsAreEntriesWithoutDotsExceptMessages)
{
    ScratchDirs dirs;
    dirs.write("app/Address Book/Friends/Grant_Ada.zkt", "");
    dirs.write("app/Address Book/Messages/x.txt", "");
    dirs.write("app/Address Book/NoExtension", "");
    dirs.write("app/Address Book/Root_Contact.zkt", "");
    EXPECT_EQ(ListGroups(Root(dirs)), (std::vector<std::string> { "Friends", "NoExtension" }));
}

TEST(ContactStore, BadGroupNamesAreRefusedAndMakeNoFolder)
{
    ScratchDirs dirs;
    const std::string root = Root(dirs);
    CreateAddressBookRoot(root);
    for (const char* name : { "", "  ", "a/b", "a\\b", "..", "x.y", "MESSAGES" }) {
        EXPECT_FALSE(GroupNameProblem(name).empty()) << name;
        EXPECT_FALSE(CreateGroupFolder(root, name)) << name;
    }
    EXPECT_TRUE(CreateGroupFolder(root, "Family"));
    EXPECT_EQ(ListGroups(root), (std::vector<std::string> { "Family" }));
}

TEST(ContactStore, DeleteGroupFolderReportsAnUndeletableFileAndKeepsTheFolder)
{
    ScratchDirs dirs;
    dirs.write("app/Address Book/Work/a.zkt", "x");
    dirs.write("app/Address Book/Work/b.zkt", "x");
    dirs.write("app/Address Book/Work/Sub/c.zkt", "x");
    const std::string folder = Root(dirs) + "/Work";
    std::vector<std::string> messages;
    DeleteGroupFolder(Root(dirs), "Work", [&](const std::string& m) { messages.push_back(m); });
    EXPECT_FALSE(dirs.exists("app/Address Book/Work/a.zkt"));
    EXPECT_FALSE(dirs.exists("app/Address Book/Work/b.zkt"));
    EXPECT_EQ(messages, (std::vector<std::string> { "\rUnable to delete directory " + folder }));

    if (geteuid() == 0)
        GTEST_SKIP() << "root deletes files in read-only folders";
    dirs.write("app/Address Book/Locked/a.zkt", "x");
    const std::string locked = Root(dirs) + "/Locked";
    chmod((dirs.appDir() + "/Address Book/Locked").c_str(), 0555);
    messages.clear();
    DeleteGroupFolder(Root(dirs), "Locked", [&](const std::string& m) { messages.push_back(m); });
    chmod((dirs.appDir() + "/Address Book/Locked").c_str(), 0755);
    EXPECT_EQ(messages, (std::vector<std::string> { "\rUnable to delete " + locked + "/a.zkt",
                            "\rUnable to delete directory " + locked }));
}

TEST(ContactStore, DeleteGroupFolderNeverDeletesTheRootOrAFolderAboveIt)
{
    ScratchDirs dirs;
    dirs.write("app/Address Book/a.zkt", "x");
    dirs.write("app/Address Book/Work/b.zkt", "x");
    DeleteGroupFolder(Root(dirs), "..", {});
    DeleteGroupFolder(Root(dirs), "", {});
    DeleteGroupFolder(Root(dirs), "Work/..", {});
    EXPECT_TRUE(dirs.exists("app/Address Book/Work/b.zkt"));
    EXPECT_TRUE(dirs.exists("app/Address Book/a.zkt"));

    // A group that is a link to a folder elsewhere: only the link goes.
    dirs.write("elsewhere/c.zkt", "x");
    ASSERT_EQ(::symlink((dirs.root() + "/elsewhere").c_str(), (dirs.appDir() + "/Address Book/Linked").c_str()), 0);
    std::vector<std::string> messages;
    DeleteGroupFolder(Root(dirs), "Linked", [&](const std::string& m) { messages.push_back(m); });
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(dirs.exists("elsewhere/c.zkt"));
    EXPECT_FALSE(std::filesystem::is_symlink(dirs.appDir() + "/Address Book/Linked"));
    EXPECT_EQ(ListGroups(Root(dirs)), (std::vector<std::string> { "Work" }));
}

TEST(ContactStore, ChildrenSkipBlankLinesKeepingTheirNumbers)
{
    ScratchDirs dirs;
    const std::string path = codepage::FromUtf8(dirs.appDir()) + "/c.zkt";
    TIniFile ini(path);
    ini.Rewrite([](TIniText& text) { WriteListSection(text, "Children", { "Tom", " ", "Ann" }, true); });
    EXPECT_EQ(dirs.read("app/c.zkt"), "[Children]\r\n0=Tom\r\n2=Ann\r\n");
    EXPECT_EQ(ReadListSection(ini, "Children"), (std::vector<std::string> { "Tom", "Ann" }));
}

TEST(ContactStore, TheLastOfTwoDefaultMarksIsTheAddress)
{
    EXPECT_EQ(DefaultAddress({ "a@x (Default E-Mail)", "b@x", " c@x  (Default E-Mail)" }), "c@x");
    EXPECT_EQ(DefaultAddress({ "a@x", "b@x" }), "");
}

TEST(ContactStore, SavedContactBytesOnDisk)
{
    ScratchDirs dirs;
    TContact contact;
    contact.FirstName = " Ada ";
    contact.LastName = "Grant";
    contact.MailAccounts = { "ada@example.org (Default E-Mail)" };
    contact.Children = { "Tom" };
    contact.Birthday = EncodeDate(1990, 3, 4);
    contact.Anniversary = EncodeDate(2015, 12, 24);
    const std::string path = codepage::FromUtf8(dirs.appDir()) + "/Grant_Ada.zkt";
    WriteContact(path, contact);
    EXPECT_EQ(dirs.read("app/Grant_Ada.zkt"),
        "[General]\r\nFirstName=Ada\r\nMiddleName=\r\nLastName=Grant\r\nNickname=\r\nDisplayName=Ada Grant\r\n"
        "OnBuddyList=0\r\nEmail=ada@example.org\r\n"
        "\r\n[Home]\r\nCity=\r\nState=\r\nZip=\r\nCountry=\r\nPhone=\r\nFax=\r\ncellular=\r\noffice=\r\nIP=\r\n"
        "Web Page=Http://\r\nGender=Unspecified\r\n"
        "\r\n[business]\r\nCompany=\r\nCity=\r\nState=\r\nZip=\r\nCountry=\r\nJob Title=\r\nDepartment=\r\nPhone=\r\n"
        "Fax=\r\ncellular=\r\nPager=\r\nAssistant=\r\nWeb Page=http://\r\n"
        "\r\n[personal]\r\nSpouse=\r\nBirthday=3/4/1990\r\nAnniversary=12/24/2015\r\nSport=\r\nFood=\r\nHobby=\r\n"
        "AnniversaryAlert=0\r\nBirthdayAlert=0\r\n"
        "\r\n[Children]\r\n0=Tom\r\n\r\n[Mail Accounts]\r\n0=ada@example.org (Default E-Mail)\r\n");
    const TContact back = ReadContact(path);
    EXPECT_EQ(back.FirstName, "Ada");
    EXPECT_EQ(back.Email, "ada@example.org");
    EXPECT_EQ(back.Birthday, EncodeDate(1990, 3, 4));

    // Saving again, with a long note, replaces the file once, not once per key or line.
    contact.Notes.assign(500, "a line of the note");
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    // Each write's temporary file comes between two replacements, so they are not merged into one event.
    ASSERT_GE(::inotify_add_watch(watch, dirs.appDir().c_str(), IN_MOVED_TO | IN_CREATE), 0);
    WriteContact(path, contact);
    int replaced = 0;
    alignas(inotify_event) char events[64 * 1024];
    for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if ((event->mask & IN_MOVED_TO) && event->len > 0 && std::string(event->name) == "Grant_Ada.zkt")
                ++replaced;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watch);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(ReadContact(path).Notes.size(), 500u);
}

TEST(ContactStore, MissingKeysReadAsTheirDefaults)
{
    ScratchDirs dirs;
    dirs.write("app/x.zkt", "[General]\r\nEmail=a@x\r\n");
    const TContact c = ReadContact(codepage::FromUtf8(dirs.appDir()) + "/x.zkt");
    EXPECT_EQ(c.DisplayName, "a@x");
    EXPECT_EQ(c.HomeWebPage, "Http://");
    EXPECT_EQ(c.BusinessWebPage, "http://");
    EXPECT_EQ(c.Gender, "Unspecified");
    EXPECT_EQ(c.Birthday, Date());
}

TEST(ContactStore, BadDatesReadAsTodayAndTheListsStillLoad)
{
    ScratchDirs dirs;
    dirs.write("app/x.zkt", "[personal]\r\nBirthday=31.02.x\r\nAnniversary=2001-05-06\r\n[Children]\r\n0=Tom\r\n");
    const TContact c = ReadContact(codepage::FromUtf8(dirs.appDir()) + "/x.zkt");
    EXPECT_EQ(c.Birthday, Date());
    EXPECT_EQ(c.Anniversary, EncodeDate(2001, 5, 6));
    EXPECT_EQ(c.Children, (std::vector<std::string> { "Tom" }));
    EXPECT_EQ(ReadContactDate("7/4/99"), EncodeDate(1999, 7, 4));
}

TEST(ContactStore, ViewSettingsLiveInTheTivraSection)
{
    ScratchDirs dirs;
    const TViewSettings defaults = ReadViewSettings();
    EXPECT_TRUE(defaults.GroupVisible);
    EXPECT_FALSE(defaults.ShowFirstnameFirst);
    EXPECT_EQ(defaults.ViewStyle, 0);
    WriteViewSettings({ false, true, 3 });
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[tivra]\r\nGroupVisible=0\r\nShowFirstnameFirst=1\r\nViewStyle=3\r\n");
    dirs.write("windows/larkspire.ini", "[tivra]\r\nViewStyle=9\r\n");
    EXPECT_EQ(ReadViewSettings().ViewStyle, 0);
}

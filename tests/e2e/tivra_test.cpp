#include "larkspire_process.h"

#include "platform/testing/scratch.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string Socket(const ScratchDirs& dirs, const char* name) { return dirs.root() + "/" + name + ".sock"; }

// Started, and listening on its socket before the first command connects.
std::unique_ptr<LarkspireProcess> StartTivra(const ScratchDirs& dirs, const char* socket, const QStringList& arguments = {})
{
    auto program = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), Socket(dirs, socket), "",
        "tivra", arguments);
    const QString path = QString::fromStdString(Socket(dirs, socket));
    Application::ProcessMessagesUntil([&] { return QFile::exists(path) || !program->running(); }, 20000);
    return program;
}

// True once the window shows, asked through the program's own socket.
bool WaitForWindow(LarkspireProcess& program, const std::string& window)
{
    return Application::ProcessMessagesUntil(
        [&] { return program.command("find\t" + window).find("\t1\t") != std::string::npos; }, 20000);
}

std::string Fixture(const char* name) { return std::string(KORVO_SOURCE_DIR) + "/addressbook/tests/vcards/" + name; }

}  // namespace

TEST(Tivra, SecondStartRaisesTheRunningWindowAndEnds)
{
    ScratchDirs dirs;
    auto first = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*first, "Korvo - Address Book"));
    auto second = StartTivra(dirs, "b");
    ASSERT_TRUE(second->waitForEnd());
    EXPECT_EQ(second->exitCode(), 0) << second->errors();
    EXPECT_EQ(second->errors().find("[message box]"), std::string::npos);
    EXPECT_TRUE(first->running());
    EXPECT_EQ(first->command("text\tKorvo - Address Book\tStatusPanel2"), "ok 0 contact(s)");
}

TEST(Tivra, EditorStartedAloneDoesNotKeepTheAddressBookFromOpening)
{
    ScratchDirs dirs;
    auto editor = StartTivra(dirs, "e", { "/new" });
    ASSERT_TRUE(WaitForWindow(*editor, "Properties"));
    auto book = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*book, "Korvo - Address Book"));
    EXPECT_TRUE(editor->running());

    ASSERT_EQ(editor->command("set\tProperties\tFirstName\tAda"), "ok");
    ASSERT_EQ(editor->command("set\tForm2\tLastName\tGrant"), "ok");
    EXPECT_NE(editor->command("windows").find("Form2:Ada Grant Properties"), std::string::npos);
    ASSERT_EQ(editor->command("click\tAda Grant Properties\tOkButton"), "ok");
    ASSERT_TRUE(editor->waitForEnd());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dirs.appDir() + "/Address Book/Grant_Ada.zkt")));
}

TEST(Tivra, DroppedCardsOfEveryVersionShowAsContacts)
{
    ScratchDirs dirs;
    auto book = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*book, "Korvo - Address Book"));
    ASSERT_EQ(book->command("drop\tKorvo - Address Book\t" + Fixture("v21-quoted-printable.vcf") + "\t"
                  + Fixture("v30-utf8-folded.vcf") + "\t" + Fixture("v40-two-cards.vcf")),
        "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return book->command("text\tKorvo - Address Book\tStatusPanel2") != "ok 0 contact(s)"; }, 10000));
    const std::string rows = book->command("rows");
    EXPECT_NE(rows.find("Müller, Jürgen Karl|0|juergen@example.de|"), std::string::npos) << rows;
    EXPECT_NE(rows.find("Brontë, Charlotte Jane|0|charlotte@example.org|"), std::string::npos) << rows;
    EXPECT_EQ(book->command("text\tKorvo - Address Book\tStatusPanel2"), "ok 4 contact(s)");
}

TEST(Tivra, ViewedFileIsAddedToTheAddressBook)
{
    ScratchDirs dirs;
    dirs.write("inbox/card.zkt", "[General]\r\nFirstName=Bo\r\nLastName=Lee\r\n");
    auto editor = StartTivra(dirs, "v", { QString::fromStdString(dirs.root() + "/inbox/card.zkt") });
    ASSERT_TRUE(WaitForWindow(*editor, "Bo Lee Properties"));
    ASSERT_EQ(editor->command("click\tBo Lee Properties\tAddToBookButton"), "ok");
    ASSERT_TRUE(editor->waitForEnd());
    EXPECT_FALSE(dirs.exists("inbox/card.zkt"));
    EXPECT_TRUE(dirs.exists("app/Address Book/Lee_Bo.zkt"));
}

#include "larkspire_process.h"

#include "platform/testing/scratch.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_NE(rows.find("Reagan, Nancy|0|nancy@example.com|"), std::string::npos) << rows;
    EXPECT_EQ(book->command("text\tKorvo - Address Book\tStatusPanel2"), "ok 4 contact(s)");
    // What had no place in the store is not dropped without a word.
    EXPECT_NE(book->command("boxes").find("2 field(s) of the cards in " + Fixture("v30-utf8-folded.vcf")
                  + " have no place in the address book and were left out."),
        std::string::npos)
        << book->command("boxes");
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

namespace {

// True once a message box holding the text has been shown.
bool WaitForBox(LarkspireProcess& program, const std::string& text)
{
    return Application::ProcessMessagesUntil(
        [&] { return program.command("boxes").find(text) != std::string::npos; }, 20000);
}

}  // namespace

TEST(Tivra, AddingAViewedContactOverAnotherOfItsNameAsksFirst)
{
    ScratchDirs dirs;
    const std::string kept = "[General]\r\nFirstName=Bo\r\nLastName=Lee\r\n[personal]\r\nHobby=Chess\r\n"
                             "[Mail Accounts]\r\n0=bo@example.org (Default E-Mail)\r\n";
    dirs.write("app/Address Book/Lee_Bo.zkt", kept);
    dirs.write("inbox/Lee_Bo.zkt", "[General]\r\nFirstName=Bo\r\nLastName=Lee\r\n");
    const QStringList viewed { QString::fromStdString(dirs.root() + "/inbox/Lee_Bo.zkt") };

    auto declined = StartTivra(dirs, "v", viewed);
    ASSERT_TRUE(WaitForWindow(*declined, "Bo Lee Properties"));
    ASSERT_EQ(declined->command("answer\tno"), "ok");
    ASSERT_EQ(declined->command("click\tBo Lee Properties\tAddToBookButton"), "ok");
    ASSERT_TRUE(declined->waitForEnd());
    EXPECT_NE(declined->errors().find("already exists"), std::string::npos) << declined->errors();
    EXPECT_EQ(dirs.read("app/Address Book/Lee_Bo.zkt"), kept);
    EXPECT_TRUE(dirs.exists("inbox/Lee_Bo.zkt"));

    auto replaced = StartTivra(dirs, "w", viewed);
    ASSERT_TRUE(WaitForWindow(*replaced, "Bo Lee Properties"));
    ASSERT_EQ(replaced->command("answer\tyes"), "ok");
    ASSERT_EQ(replaced->command("click\tBo Lee Properties\tAddToBookButton"), "ok");
    ASSERT_TRUE(replaced->waitForEnd());
    EXPECT_FALSE(dirs.exists("inbox/Lee_Bo.zkt"));
    EXPECT_EQ(dirs.read("app/Address Book/Lee_Bo.zkt").find("bo@example.org"), std::string::npos);
}

TEST(Tivra, AddingTheStoresOwnFileUnderAnotherSpellingKeepsIt)
{
    ScratchDirs dirs;
    const std::string contact = "[General]\r\nFirstName=Bo\r\nLastName=Lee\r\n[personal]\r\nHobby=Chess\r\n";
    dirs.write("app/Address Book/Lee_Bo.zkt", contact);
    ASSERT_EQ(::symlink((dirs.appDir() + "/Address Book").c_str(), (dirs.root() + "/linked").c_str()), 0);
    for (const std::string& spelling : { dirs.appDir() + "/Address Book/./Lee_Bo.zkt", dirs.appDir() + "/Address Book//Lee_Bo.zkt",
             dirs.root() + "/linked/Lee_Bo.zkt" }) {
        auto editor = StartTivra(dirs, "v", { QString::fromStdString(spelling) });
        ASSERT_TRUE(WaitForWindow(*editor, "Bo Lee Properties")) << spelling;
        // Were the file taken for another contact's, the question would be answered yes.
        ASSERT_EQ(editor->command("answer\tyes"), "ok");
        ASSERT_EQ(editor->command("click\tBo Lee Properties\tAddToBookButton"), "ok");
        ASSERT_TRUE(editor->waitForEnd());
        EXPECT_EQ(editor->errors().find("already exists"), std::string::npos) << spelling << editor->errors();
        EXPECT_NE(dirs.read("app/Address Book/Lee_Bo.zkt").find("Hobby=Chess"), std::string::npos) << spelling;
    }
}

TEST(Tivra, RelativeFileArgumentIsTakenFromTheStartFolder)
{
    ScratchDirs dirs;
    dirs.write("inbox/card.zkt", "[General]\r\nFirstName=Bo\r\nLastName=Lee\r\n[Home]\r\nPhone=555\r\n");
    dirs.write("windows/card.zkt", "[General]\r\nFirstName=Wrong\r\nLastName=File\r\n");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dirs.root() + "/inbox")));
    auto editor = StartTivra(dirs, "v", { "card.zkt" });
    QDir::setCurrent(saved);
    ASSERT_TRUE(WaitForWindow(*editor, "Bo Lee Properties"));
    ASSERT_EQ(editor->command("click\tBo Lee Properties\tAddToBookButton"), "ok");
    ASSERT_TRUE(editor->waitForEnd());
    EXPECT_FALSE(dirs.exists("inbox/card.zkt"));
    EXPECT_TRUE(dirs.exists("windows/card.zkt"));
    EXPECT_NE(dirs.read("app/Address Book/Lee_Bo.zkt").find("Phone=555"), std::string::npos);
}

TEST(Tivra, EmptyCardsAreSkippedAndAnImportStopsAtTheLimit)
{
    ScratchDirs dirs;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "BEGIN:VCARD\r\nEND:VCARD\r\n";
    for (int i = 0; i < 10005; ++i)
        text += "BEGIN:VCARD\r\nN:Name" + std::to_string(i) + ";Ada\r\nEND:VCARD\r\n";
    dirs.write("cards/many.vcf", text);
    auto book = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*book, "Korvo - Address Book"));
    ASSERT_EQ(book->command("drop\tKorvo - Address Book\t" + dirs.root() + "/cards/many.vcf"), "ok");
    ASSERT_TRUE(WaitForBox(*book, "100 empty card(s) in ")) << book->command("boxes");
    EXPECT_NE(book->command("boxes").find("only the first 10000 were imported"), std::string::npos);
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return book->command("text\tKorvo - Address Book\tStatusPanel2") == "ok 10000 contact(s)"; }, 60000))
        << book->command("text\tKorvo - Address Book\tStatusPanel2");
    EXPECT_EQ(QDir(QString::fromStdString(dirs.appDir() + "/Address Book")).entryList({ "*.zkt" }, QDir::Files).size(),
        10000);
    EXPECT_FALSE(dirs.exists("app/Address Book/Name10000_Ada.zkt"));
}

TEST(Tivra, ACardFileThatIsAPipeIsRefusedAndTheNextOneRead)
{
    ScratchDirs dirs;
    dirs.write("cards/real.vcf", "BEGIN:VCARD\r\nN:Grant;Ada\r\nEND:VCARD\r\n");
    ASSERT_EQ(::mkfifo((dirs.root() + "/cards/pipe.vcf").c_str(), 0600), 0);
    // A pipe named like a contact file in the store must not hold up the window either.
    dirs.write("app/Address Book/.keep", "");
    ASSERT_EQ(::mkfifo((dirs.appDir() + "/Address Book/stuck.zkt").c_str(), 0600), 0);
    auto book = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*book, "Korvo - Address Book"));
    ASSERT_EQ(book->command("drop\tKorvo - Address Book\t" + dirs.root() + "/cards/pipe.vcf\t" + dirs.root()
                  + "/cards/real.vcf"),
        "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return book->command("rows").find("Grant, Ada|") != std::string::npos; }, 20000));
    EXPECT_NE(book->command("boxes").find("Unable to read " + dirs.root() + "/cards/pipe.vcf"), std::string::npos);
}

TEST(Tivra, AContactWhoseFileCannotBeDeletedKeepsItsRow)
{
    ScratchDirs dirs;
    dirs.write("app/Address Book/Grant_Ada.zkt", "[General]\r\nFirstName=Ada\r\nLastName=Grant\r\n");
    auto book = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*book, "Korvo - Address Book"));
    ASSERT_EQ(book->command("text\tKorvo - Address Book\tStatusPanel2"), "ok 1 contact(s)");
    // Something the program cannot delete now stands at the contact's path.
    const QString path = QString::fromStdString(dirs.appDir() + "/Address Book/Grant_Ada.zkt");
    ASSERT_TRUE(QFile::remove(path));
    dirs.write("app/Address Book/Grant_Ada.zkt/inside", "");

    ASSERT_EQ(book->command("key\tKorvo - Address Book\tIconView1\tHome"), "ok");
    ASSERT_EQ(book->command("key\tKorvo - Address Book\tIconView1\tSpace"), "ok");
    ASSERT_EQ(book->command("answer\tyes"), "ok");
    ASSERT_EQ(book->command("key\tKorvo - Address Book\tIconView1\tDelete"), "ok");
    ASSERT_TRUE(WaitForBox(*book, "Unable to delete " + dirs.appDir() + "/Address Book/Grant_Ada.zkt"))
        << book->errors();
    EXPECT_NE(book->command("rows").find("Grant, Ada|"), std::string::npos);
}

TEST(Tivra, AFailedSaveAddsNoRow)
{
    ScratchDirs dirs;
    dirs.write("app/Address Book/Friends/keep.txt", "");
    auto book = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*book, "Korvo - Address Book"));
    ASSERT_EQ(book->command("key\tKorvo - Address Book\tTreeView1\tDown"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return book->command("text\tKorvo - Address Book\tStatusPanel1") == "ok Friends"; }, 20000));
    // The group's folder goes away under the running window, so no contact can be written there.
    ASSERT_TRUE(QDir(QString::fromStdString(dirs.appDir() + "/Address Book/Friends")).removeRecursively());
    ASSERT_EQ(book->command("click\tKorvo - Address Book\tAddContactButton"), "ok");
    ASSERT_TRUE(WaitForWindow(*book, "Form2"));
    ASSERT_EQ(book->command("set\tForm2\tFirstName\tAda"), "ok");
    ASSERT_EQ(book->command("set\tForm2\tLastName\tGrant"), "ok");
    ASSERT_EQ(book->command("click\tForm2\tOkButton"), "ok");
    ASSERT_TRUE(WaitForBox(*book, "Unable to write to " + dirs.appDir() + "/Address Book/Friends/Grant_Ada.zkt"))
        << book->errors();
    ASSERT_EQ(book->command("click\tForm2\tCancelButton"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return book->command("find\tForm2").find("\t1\t") == std::string::npos; }, 20000));
    EXPECT_EQ(book->command("rows"), "ok");
    EXPECT_EQ(book->command("text\tKorvo - Address Book\tStatusPanel2"), "ok 0 contact(s)");
}

TEST(Tivra, RowsSortWithoutRegardToLetterCase)
{
    ScratchDirs dirs;
    for (const char* last : { "carter", "Baker", "adams", "Dunn" })
        dirs.write(std::string("app/Address Book/") + last + ".zkt", std::string("[General]\r\nLastName=") + last + "\r\n");
    auto book = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*book, "Korvo - Address Book"));
    const std::string root = dirs.appDir() + "/Address Book/";
    EXPECT_EQ(book->command("rows"), "ok adams,|0||" + root + "adams.zkt\tBaker,|0||" + root + "Baker.zkt\tcarter,|0||"
            + root + "carter.zkt\tDunn,|0||" + root + "Dunn.zkt");

    // Renamed in the editor, a contact is saved under its new name and listed in its sorted place.
    ASSERT_EQ(book->command("key\tKorvo - Address Book\tIconView1\tHome"), "ok");
    ASSERT_EQ(book->command("key\tKorvo - Address Book\tIconView1\tSpace"), "ok");
    ASSERT_EQ(book->command("click\tKorvo - Address Book\tEditContactButton"), "ok");
    ASSERT_TRUE(WaitForWindow(*book, "Form2"));
    ASSERT_EQ(book->command("set\tForm2\tLastName\tAble"), "ok");
    ASSERT_EQ(book->command("click\tForm2\tOkButton"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return book->command("find\tForm2").find("\t1\t") == std::string::npos; }, 20000));
    EXPECT_EQ(book->command("rows"), "ok Able,|0||" + root + "Able.zkt\tadams,|0||" + root + "adams.zkt\tBaker,|0||" + root
            + "Baker.zkt\tcarter,|0||" + root + "carter.zkt\tDunn,|0||" + root + "Dunn.zkt");
    EXPECT_EQ(book->command("text\tKorvo - Address Book\tStatusPanel2"), "ok 5 contact(s)");
}

TEST(Tivra, EachViewStyleLaysTheRowsOutDifferently)
{
    ScratchDirs dirs;
    for (const char* last : { "Ames", "Bell", "Cole" })
        dirs.write(std::string("app/Address Book/") + last + ".zkt", std::string("[General]\r\nLastName=") + last + "\r\n");
    auto book = StartTivra(dirs, "a");
    ASSERT_TRUE(WaitForWindow(*book, "Korvo - Address Book"));
    ASSERT_EQ(book->command("text\tKorvo - Address Book\tStatusPanel2"), "ok 3 contact(s)");
    std::vector<QByteArray> pictures;
    for (const char* style : { "Large Icon", "Small Icon", "List", "Details" }) {
        ASSERT_EQ(book->command(std::string("menu\tKorvo - Address Book\t") + style), "ok");
        const std::string file = dirs.root() + "/" + style + ".png";
        // The menu item runs from the event loop; the stored style says it has.
        ASSERT_TRUE(Application::ProcessMessagesUntil([&] {
            return dirs.read("windows/larkspire.ini").find("ViewStyle=" + std::to_string(pictures.size()))
                != std::string::npos;
        }, 20000));
        ASSERT_EQ(book->command("grab\tKorvo - Address Book\t" + file).rfind("ok ", 0), 0u);
        QFile png(QString::fromStdString(file));
        ASSERT_TRUE(png.open(QIODevice::ReadOnly));
        pictures.push_back(png.readAll());
    }
    for (std::size_t a = 0; a < pictures.size(); ++a) {
        for (std::size_t b = a + 1; b < pictures.size(); ++b)
            EXPECT_NE(pictures[a], pictures[b]) << "styles " << a << " and " << b;
    }
}

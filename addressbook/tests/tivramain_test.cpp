#include "addressbook/tivramain.h"

#include "addressbook/groupnamedialog.h"
#include "kit/qorapplication.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/win/shell.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string Contact(const std::string& first, const std::string& middle, const std::string& last,
    const std::string& email = "")
{
    return "[General]\r\nFirstName=" + first + "\r\nMiddleName=" + middle + "\r\nLastName=" + last + "\r\nEmail=" + email
        + "\r\n";
}

// One address book window on a scratch program folder.
class AddressBookWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        QORInitialize();
        dialogs::ClearHistory();
        shell::SetOpenHook([this](const std::string& url) { opened.push_back(url); });
    }

    void TearDown() override
    {
        form.reset();
        shell::SetOpenHook(nullptr);
        QORFinalize();
    }

    void open()
    {
        form = std::make_unique<tivra::TForm1>();
        form->Show();
    }

    std::vector<std::string> captions() const
    {
        std::vector<std::string> result;
        for (const auto& row : form->Rows())
            result.push_back(row[0]);
        return result;
    }

    QTreeWidgetItem* node(const char* text) const
    {
        const auto found = form->TreeView1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    // Keys and the Delete button act on the control that has the focus, as a user's would.
    bool focus(QWidget* widget) const
    {
        form->activateWindow();
        widget->setFocus();
        return Application::ProcessMessagesUntil([widget] { return widget->hasFocus(); }, 5000);
    }

    std::string root() const { return dirs.appDir() + "/Address Book"; }
    std::string book(const std::string& relative) const { return "app/Address Book/" + relative; }

    ScratchDirs dirs;
    std::unique_ptr<tivra::TForm1> form;
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(AddressBookWindow, ListsEveryContactUnderTheTopNodeWithCounts)
{
    dirs.write(book("Grant_Ada.zkt"), Contact("Ada", "J", "Grant", "ada@example.org"));
    dirs.write(book("Friends/Lee_Bo.zkt"), Contact("Bo", "", "Lee"));
    dirs.write(book("Messages/Hidden_X.zkt"), Contact("X", "", "Hidden"));
    open();
    EXPECT_EQ(form->windowTitle().toStdString(), "Korvo - Address Book");
    EXPECT_EQ(form->Width(), 552);
    EXPECT_EQ(captions(), (std::vector<std::string> { "Grant, Ada J", "Lee, Bo" }));
    EXPECT_EQ(form->GroupPanel->text().toStdString(), "Address Book");
    EXPECT_EQ(form->CountPanel->text().toStdString(), "2 contact(s)");
    ASSERT_NE(node("Friends"), nullptr);
    EXPECT_EQ(node("Messages"), nullptr);
    EXPECT_EQ(form->Rows()[0][2], "ada@example.org");
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    EXPECT_TRUE(form->grab().save(KORVO_BUILD_DIR "/screenshots/tivra.png"));
}

TEST_F(AddressBookWindow, ChoosingAGroupListsItsContactsOnly)
{
    dirs.write(book("Grant_Ada.zkt"), Contact("Ada", "", "Grant"));
    dirs.write(book("Friends/Lee_Bo.zkt"), Contact("Bo", "", "Lee"));
    open();
    form->TreeView1->setCurrentItem(node("Friends"));
    EXPECT_EQ(captions(), (std::vector<std::string> { "Lee, Bo" }));
    EXPECT_EQ(form->GroupPanel->text().toStdString(), "Friends");
    EXPECT_EQ(form->CountPanel->text().toStdString(), "1 contact(s)");
    EXPECT_TRUE(form->DeleteButton->isEnabled());
    EXPECT_TRUE(form->SendMailButton->isEnabled());
}

TEST_F(AddressBookWindow, FirstNamesFirstChangesCaptionsAndIsRemembered)
{
    dirs.write(book("Grant_Ada.zkt"), Contact("Ada", "J", "Grant"));
    dirs.write(book("Bo.zkt"), Contact("Bo", "", ""));
    open();
    EXPECT_EQ(captions(), (std::vector<std::string> { "Bo", "Grant, Ada J" }));
    form->ShowFirstNamesFirst1->trigger();
    EXPECT_EQ(captions(), (std::vector<std::string> { "Ada J, Grant", "Bo," }));
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("ShowFirstnameFirst=1"), std::string::npos);
}

TEST_F(AddressBookWindow, NameSearchMarksTheFirstMatchAndUnmarksOnEmpty)
{
    dirs.write(book("Grant_Ada.zkt"), Contact("Ada", "", "Grant"));
    dirs.write(book("Green_Al.zkt"), Contact("Al", "", "Green"));
    dirs.write(book("Griffin_Cy.zkt"), Contact("Cy", "", "Griffin"));
    open();
    form->Edit1->setText("gr");
    auto rows = form->Rows();
    EXPECT_EQ(rows[0][1], "1");
    EXPECT_EQ(rows[1][1], "0");
    EXPECT_EQ(rows[2][1], "0");
    form->Edit1->setText("GRI");
    rows = form->Rows();
    EXPECT_EQ(rows[0][1], "0");
    EXPECT_EQ(rows[2][1], "1");
    form->Edit1->setText("");
    for (const auto& row : form->Rows())
        EXPECT_EQ(row[1], "0");
    EXPECT_TRUE(form->ListView1->selectedItems().isEmpty());
}

TEST_F(AddressBookWindow, ViewsStepThroughFourStylesAndAreStored)
{
    dirs.write("windows/larkspire.ini", "[tivra]\r\nViewStyle=3\r\nGroupVisible=0\r\n");
    open();
    EXPECT_EQ(form->ViewStyle(), 3);
    EXPECT_FALSE(form->TreeView1->isVisible());
    EXPECT_FALSE(form->ListView1->isHeaderHidden());
    form->ViewsClick();
    EXPECT_EQ(form->ViewStyle(), 0);
    EXPECT_TRUE(form->ListView1->isHeaderHidden());
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[tivra]\r\nViewStyle=0\r\nGroupVisible=0\r\nShowFirstnameFirst=0\r\n");
    form->SpeedButton1->click();
    EXPECT_TRUE(form->TreeView1->isVisible());
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("GroupVisible=1"), std::string::npos);
    form->SetViewStyle(2);
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("ViewStyle=2"), std::string::npos);
}

TEST_F(AddressBookWindow, SmallIconsFlowInRowsAndTheListRunsDownAColumn)
{
    for (const char* last : { "Aho", "Berg", "Chen", "Diaz" })
        dirs.write(book(std::string(last) + ".zkt"), Contact("Al", "", last));
    open();
    const auto place = [this](int row) {
        Application::ProcessMessagesUntil([this] { return form->IconView1->visualRect(form->IconView1->model()->index(3, 0)).isValid(); }, 5000);
        return form->IconView1->visualRect(form->IconView1->model()->index(row, 0));
    };
    form->SetViewStyle(1);
    ASSERT_TRUE(form->IconView1->isVisible());
    EXPECT_EQ(form->IconView1->iconSize(), QSize(16, 16));
    EXPECT_EQ(place(1).top(), place(0).top());
    EXPECT_GT(place(1).left(), place(0).left());
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    form->grab().save(KORVO_BUILD_DIR "/screenshots/tivra-small-icons.png");

    form->SetViewStyle(2);
    EXPECT_EQ(form->IconView1->iconSize(), QSize(16, 16));
    EXPECT_EQ(place(1).left(), place(0).left());
    EXPECT_GT(place(1).top(), place(0).top());
    EXPECT_EQ(place(3).left(), place(0).left());
    form->grab().save(KORVO_BUILD_DIR "/screenshots/tivra-list.png");
}

TEST_F(AddressBookWindow, DeletingAGroupAsksThenRemovesFolderAndNode)
{
    dirs.write(book("Friends/Lee_Bo.zkt"), Contact("Bo", "", "Lee"));
    open();
    form->TreeView1->setCurrentItem(node("Friends"));
    ASSERT_TRUE(focus(form->TreeView1));
    dialogs::QueueAnswer(IDNO);
    form->DeleteClick();
    EXPECT_TRUE(dirs.exists(book("Friends/Lee_Bo.zkt")));
    ASSERT_FALSE(dialogs::History().empty());
    EXPECT_EQ(dialogs::History().back().request.text,
        "\rDelete the 'FRIENDS GROUP' permanently from your Address Book?");
    ASSERT_TRUE(focus(form->TreeView1));
    dialogs::QueueAnswer(IDYES);
    form->DeleteClick();
    EXPECT_FALSE(dirs.exists(book("Friends")));
    EXPECT_EQ(node("Friends"), nullptr);
    EXPECT_TRUE(dirs.exists("app/Address Book"));
}

TEST_F(AddressBookWindow, DeletingAContactAsksThenRemovesFileAndRow)
{
    dirs.write(book("Grant_Ada.zkt"), Contact("Ada", "", "Grant"));
    dirs.write(book("Lee_Bo.zkt"), Contact("Bo", "", "Lee"));
    open();
    form->ListView1->topLevelItem(0)->setSelected(true);
    ASSERT_TRUE(focus(form->IconView1));
    dialogs::QueueAnswer(IDYES);
    form->DeleteClick();
    ASSERT_FALSE(dialogs::History().empty());
    EXPECT_EQ(dialogs::History().back().request.text, "\rDelete 'Grant, Ada' permanently from your Address Book?");
    EXPECT_FALSE(dirs.exists(book("Grant_Ada.zkt")));
    EXPECT_EQ(captions(), (std::vector<std::string> { "Lee, Bo" }));
}

TEST_F(AddressBookWindow, MailGoesToOneAddressOrToEveryAddressGiven)
{
    dirs.write(book("Grant_Ada.zkt"), Contact("Ada", "", "Grant", "ada@example.org"));
    dirs.write(book("Lee_Bo.zkt"), Contact("Bo", "", "Lee"));
    dirs.write(book("Moe_Cy.zkt"), Contact("Cy", "", "Moe", " cy@example.org "));
    open();
    form->ListView1->topLevelItem(0)->setSelected(true);
    form->SendMailClick();
    form->ListView1->topLevelItem(1)->setSelected(true);
    form->ListView1->topLevelItem(2)->setSelected(true);
    form->SendMailClick();
    EXPECT_EQ(opened, (std::vector<std::string> { "mailto:ada@example.org", "mailto:ada@example.org; cy@example.org; " }));
}

TEST_F(AddressBookWindow, AnAddressThatWouldAddHeadersGoesToNoMessage)
{
    dirs.write(book("Grant_Ada.zkt"), Contact("Ada", "", "Grant", "eve@x?bcc=spy@evil&subject=hi"));
    dirs.write(book("Lee_Bo.zkt"), Contact("Bo", "", "Lee", "bo@example.org"));
    dirs.write(book("Moe_Cy.zkt"), Contact("Cy", "", "Moe", "cy@x#top"));
    open();
    form->ListView1->topLevelItem(0)->setSelected(true);
    form->SendMailClick();
    form->ListView1->topLevelItem(1)->setSelected(true);
    form->ListView1->topLevelItem(2)->setSelected(true);
    form->SendMailClick();
    EXPECT_EQ(opened, (std::vector<std::string> { "mailto:", "mailto:bo@example.org; " }));
}

TEST_F(AddressBookWindow, DroppedCardsAreStoredInTheListedGroup)
{
    dirs.write(book("Friends/keep.txt"), "");
    dirs.write("cards/one.vcf", "BEGIN:VCARD\r\nN:Grant;Ada;J\r\nEMAIL;INTERNET:ada@example.org\r\nEND:VCARD\r\n");
    dirs.write("cards/two.VCF", "BEGIN:VCARD\r\nN:Lee;Bo\r\nEND:VCARD\r\n");
    open();
    form->TreeView1->setCurrentItem(node("Friends"));
    const std::string cards = codepage::FromUtf8(dirs.root()) + "/cards/";
    form->WMDropFiles({ cards + "two.VCF", cards + "one.vcf" });
    EXPECT_EQ(captions(), (std::vector<std::string> { "Grant, Ada J" }));
    EXPECT_TRUE(dirs.exists(book("Friends/Grant_Ada_J.zkt")));
    EXPECT_FALSE(dirs.exists(book("Friends/Lee_Bo.zkt")));
    EXPECT_EQ(form->Rows()[0][2], "ada@example.org");
}

TEST_F(AddressBookWindow, AnOversizedCardFileIsRefusedWithAMessage)
{
    dirs.write("cards/big.vcf", std::string(16u * 1024u * 1024u + 1u, 'x'));
    open();
    form->WMDropFiles({ codepage::FromUtf8(dirs.root()) + "/cards/big.vcf" });
    ASSERT_FALSE(dialogs::History().empty());
    EXPECT_TRUE(form->Rows().empty());
}

TEST_F(AddressBookWindow, ALargeImportLetsTheWindowWorkAndDropsMeanwhileWaitTheirTurn)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "BEGIN:VCARD\r\nN:Name" + std::to_string(i) + ";Ada\r\nEND:VCARD\r\n";
    dirs.write("cards/many.vcf", text);
    dirs.write("cards/late.vcf", "BEGIN:VCARD\r\nN:Late;Bo\r\nEND:VCARD\r\n");
    open();
    const std::string cards = codepage::FromUtf8(dirs.root()) + "/cards/";
    const QString folder = QString::fromStdString(root());
    qsizetype filesWhenWorking = -1;
    // Posted before the drop: it runs as soon as the window gets to work between batches.
    QTimer::singleShot(0, [&] {
        filesWhenWorking = QDir(folder).entryList({ "*.zkt" }, QDir::Files).size();
        form->WMDropFiles({ cards + "late.vcf" });
    });
    form->WMDropFiles({ cards + "many.vcf" });
    EXPECT_GT(filesWhenWorking, 0);
    EXPECT_LT(filesWhenWorking, 1000);
    EXPECT_EQ(form->Rows().size(), 1001u);
    EXPECT_TRUE(dirs.exists(book("Late_Bo.zkt")));
}

TEST_F(AddressBookWindow, NewGroupGetsANodeAndAFolder)
{
    open();
    QTimer::singleShot(0, form.get(), [this] {
        form->GroupNameDialog->Edit1->setText("Work");
        form->GroupNameDialog->Button1->click();
    });
    form->NewGroupClick();
    EXPECT_TRUE(dirs.exists(book("Work")));
    ASSERT_NE(node("Work"), nullptr);
    EXPECT_TRUE(node("Work")->isSelected());
    EXPECT_EQ(form->GroupPanel->text().toStdString(), "Work");
}

TEST_F(AddressBookWindow, GroupNamesThatCannotBeOneFolderAreRefused)
{
    open();
    for (const char* name : { "../x", "a\\b", "v1.2", "MESSAGES", "  " }) {
        QTimer::singleShot(0, form.get(), [this, name] {
            form->GroupNameDialog->Edit1->setText(name);
            form->GroupNameDialog->Button1->click();
        });
        dialogs::ClearHistory();
        form->NewGroupClick();
        EXPECT_EQ(dialogs::History().size(), 1u) << name;
        EXPECT_EQ(form->TreeView1->topLevelItem(0)->childCount(), 0) << name;
    }
    EXPECT_FALSE(dirs.exists("app/x"));
    EXPECT_FALSE(dirs.exists(book("MESSAGES")));
}

TEST_F(AddressBookWindow, CancelledGroupDialogAddsNothing)
{
    open();
    QTimer::singleShot(0, form.get(), [this] {
        form->GroupNameDialog->Edit1->setText("Work");
        form->GroupNameDialog->Button2->click();
    });
    form->NewGroupClick();
    EXPECT_EQ(form->TreeView1->topLevelItem(0)->childCount(), 0);
    EXPECT_TRUE(dialogs::History().empty());
}

TEST_F(AddressBookWindow, PullingSelectedRowsBeyondTenPixelsDragsThemOut)
{
    dirs.write(book("Grant_Ada.zkt"), Contact("Ada", "", "Grant"));
    dirs.write(book("Lee_Bo.zkt"), Contact("Bo", "", "Lee"));
    open();
    form->SetViewStyle(3);
    QWidget* rows = form->ListView1->viewport();
    const QRect first = form->ListView1->visualItemRect(form->ListView1->topLevelItem(0));
    const QRect second = form->ListView1->visualItemRect(form->ListView1->topLevelItem(1));
    const auto send = [rows](QEvent::Type type, QPoint at, Qt::MouseButtons held, Qt::KeyboardModifiers keys) {
        QMouseEvent event(type, QPointF(at), QPointF(rows->mapToGlobal(at)),
            type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, keys);
        QCoreApplication::sendEvent(rows, &event);
    };
    const auto pull = [&](Qt::KeyboardModifiers keys) {
        form->ListView1->clearSelection();
        send(QEvent::MouseButtonPress, first.center(), Qt::LeftButton, Qt::NoModifier);
        send(QEvent::MouseMove, first.center() + QPoint(0, 3), Qt::LeftButton, keys);
        send(QEvent::MouseMove, second.center(), Qt::LeftButton, keys);
        send(QEvent::MouseButtonRelease, second.center(), Qt::NoButton, keys);
        return form->ListView1->selectedItems().size();
    };
    // With a key held the move is the list's own: it selects the rows passed over.
    EXPECT_EQ(pull(Qt::ShiftModifier), 2);
    // Plain, the move past the threshold carries the chosen row out instead.
    EXPECT_EQ(pull(Qt::NoModifier), 1);
    EXPECT_TRUE(form->DropTargetEnabled());
    EXPECT_EQ(form->Rows().size(), 2u);
}

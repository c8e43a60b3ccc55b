#include "platform/ui/dialogs.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/exceptions.h"
#include "platform/ui/form.h"
#include "platform/win/messages.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialogs::SetResponder({});
        dialogs::ClearHistory();
    }
    void TearDown() override
    {
        dialogs::SetResponder({});
        dialogs::ClearHistory();
    }
};

}  // namespace

TEST_F(Dialogs, TheResponderSeesCaptionTextKindAndButtonsAndAnswers)
{
    dialogs::DialogRequest seen;
    dialogs::SetResponder([&](const dialogs::DialogRequest& request) {
        seen = request;
        return IDNO;
    });
    EXPECT_EQ(MessageBox(nullptr, "\rDelete this buddy?", "Confirm", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(seen.caption, "Confirm");
    EXPECT_EQ(seen.text, "\rDelete this buddy?");
    EXPECT_EQ(seen.kind, dialogs::DialogKind::Question);
    EXPECT_EQ(seen.buttons, (std::vector<int> { IDYES, IDNO }));
    EXPECT_EQ(seen.defaultButton, IDYES);
}

TEST_F(Dialogs, WithoutAResponderAHeadlessBoxAnswersItsDefaultButton)
{
    EXPECT_EQ(MessageBox(nullptr, "Sure?", "Korvo", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Go on?", "Korvo", MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Again?", "Korvo", MB_RETRYCANCEL), IDRETRY);
    ASSERT_EQ(dialogs::History().size(), 3u);
    EXPECT_EQ(dialogs::History()[0].request.text, "Sure?");
    EXPECT_EQ(dialogs::History()[0].answer, IDNO);
}

TEST_F(Dialogs, QueuedAnswersComeFirstInOrder)
{
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDCANCEL; });
    dialogs::QueueAnswer(IDNO);
    dialogs::QueueAnswer(IDYES);
    EXPECT_EQ(MessageBox(nullptr, "one", "c", MB_YESNOCANCEL), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "two", "c", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(MessageBox(nullptr, "three", "c", MB_YESNOCANCEL), IDCANCEL);
}

TEST_F(Dialogs, AnAnswerTheBoxDoesNotOfferCountsAsItsCancelButton)
{
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDYES; });
    EXPECT_EQ(MessageBox(nullptr, "Save?", "c", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Note", "c", MB_OK), IDOK);
}

TEST_F(Dialogs, MessageDlgCaptionsByTypeAndOrdersButtonsAsTheClassLibraryDoes)
{
    dialogs::DialogRequest seen;
    dialogs::SetResponder([&](const dialogs::DialogRequest& request) {
        seen = request;
        return request.defaultButton;
    });
    EXPECT_EQ(MessageDlg("Remove it?", mtConfirmation, mbNo | mbYes | mbCancel, 0), mrYes);
    EXPECT_EQ(seen.caption, "Confirm");
    EXPECT_EQ(seen.buttons, (std::vector<int> { mrYes, mrNo, mrCancel }));
    EXPECT_EQ(seen.cancelButton, mrCancel);
    EXPECT_EQ(MessageDlg("Failed", mtError, mbOK, 0), mrOk);
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.kind, dialogs::DialogKind::Error);
    MessageDlg("Careful", mtWarning, mbOKCancel, 0);
    EXPECT_EQ(seen.caption, "Warning");
    EXPECT_EQ(seen.defaultButton, mrOk);
}

TEST_F(Dialogs, ShowMessageIsAnOkBoxCaptionedWithTheApplicationTitle)
{
    Application::SetTitle("Korvo");
    ShowMessage("Hello");
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.caption, "Korvo");
    EXPECT_EQ(dialogs::History()[0].request.buttons, (std::vector<int> { IDOK }));
    Application::SetTitle("");
}

TEST_F(Dialogs, ALeadingCarriageReturnShowsAsABlankFirstLine)
{
    EXPECT_EQ(dialogs::DisplayText("\rUnable to delete x"), "\nUnable to delete x");
    EXPECT_EQ(dialogs::DisplayText("a\r\nb\rc\nd"), "a\nb\nc\nd");
}

TEST_F(Dialogs, HistoryKeepsTheLatestBoxesAndClears)
{
    for (int i = 0; i < 250; ++i)
        MessageBox(nullptr, "box " + std::to_string(i), "c", MB_OK);
    ASSERT_EQ(dialogs::History().size(), 200u);
    EXPECT_EQ(dialogs::History().back().request.text, "box 249");
    dialogs::ClearHistory();
    EXPECT_TRUE(dialogs::History().empty());
}

TEST_F(Dialogs, InputQueryTakesAQueuedTextAndKeepsTheValueOnCancel)
{
    std::string value = "old";
    dialogs::QueueInput("typed");
    EXPECT_TRUE(InputQuery("Name", "Enter a name", value));
    EXPECT_EQ(value, "typed");
    dialogs::QueueAnswer(IDCANCEL);
    EXPECT_FALSE(InputQuery("Name", "Enter a name", value));
    EXPECT_EQ(value, "typed");
    EXPECT_EQ(InputBox("Name", "Enter", "fallback"), "fallback") << "headless OK keeps the prefilled text";
}

TEST_F(Dialogs, AnExceptionLeavingAHandlerIsShownWithTheTitleAndTheLoopGoesOn)
{
    Application::SetTitle("Korvo");
    ui::InstallExceptionHandler();
    Application::Guarded([] { throw EConvertError("'abc' is not a valid integer value"); });
    Application::Guarded([] { throw std::runtime_error("Stopped!"); });
    ASSERT_EQ(dialogs::History().size(), 2u);
    EXPECT_EQ(dialogs::History()[0].request.text, "'abc' is not a valid integer value.");
    EXPECT_EQ(dialogs::History()[0].request.caption, "Korvo");
    EXPECT_EQ(dialogs::History()[0].request.kind, dialogs::DialogKind::Error);
    EXPECT_EQ(dialogs::History()[1].request.text, "Stopped!") << "text ending below '.' gets no period";
    Application::SetTitle("");
    Application::SetExceptionHandler([](const std::exception& error) {
        ADD_FAILURE() << "exception left a message handler: " << error.what();
    });
}

TEST_F(Dialogs, TheShownBoxHasABlankFirstLineAndTheRequestedButtons)
{
    dialogs::DialogRequest request;
    request.caption = "Korvo";
    request.text = Ansi("\rUnable to delete Caf\xc3\xa9\\notes.txt");
    request.kind = dialogs::DialogKind::Warning;
    request.buttons = { IDYES, IDNO };
    request.defaultButton = IDNO;
    request.cancelButton = IDNO;
    const auto box = dialogs::MakeBox(nullptr, request, true);
    EXPECT_EQ(box->text(), QString::fromUtf8("\nUnable to delete Caf\xc3\xa9\\notes.txt"));
    EXPECT_EQ(box->windowTitle(), "Korvo");
    EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint);
    const auto buttons = box->buttons();
    ASSERT_EQ(buttons.size(), 2);
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(box->defaultButton()->text(), "&No");
    EXPECT_EQ(box->defaultButton()->property("korvoButtonId").toInt(), IDNO);
    box->show();
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    box->grab().save(dir + "/messagebox_leading_cr.png");
}

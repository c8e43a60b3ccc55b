#include "platform/ui/filedialogs.h"

#include <gtest/gtest.h>

TEST(FileDialogs, AQueuedNameAnswersTheNextDialogAndTheOneAfterIsCancelled)
{
    dialogs::QueueFileName("/home/alice/photo.jpeg");
    TOpenDialog first;
    ASSERT_TRUE(first.Execute());
    EXPECT_EQ(first.FileName, "/home/alice/photo.jpeg");
    TOpenDialog second;
    second.FileName = "kept";
    EXPECT_FALSE(second.Execute()) << "no person answers on the offscreen platform";
    EXPECT_EQ(second.FileName, "kept");
}

TEST(FileDialogs, QueuedNamesAnswerInOrder)
{
    dialogs::QueueFileName("/tmp/one.txt");
    dialogs::QueueFileName("/tmp/two.txt");
    TOpenDialog dialog;
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "/tmp/one.txt");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "/tmp/two.txt");
}

TEST(FileDialogs, SavingANameWithoutExtensionAddsTheDefaultOne)
{
    TSaveDialog dialog;
    dialog.DefaultExt = ".txt";
    dialogs::QueueFileName("/tmp/chat");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "/tmp/chat.txt");
    dialogs::QueueFileName("/tmp/chat.rtf");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "/tmp/chat.rtf");
    dialogs::QueueFileName("/tmp/v1.2/chat");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "/tmp/v1.2/chat.txt") << "a dot in a folder's name is no extension";
}

TEST(FileDialogs, OpeningKeepsTheChosenNameAsItIs)
{
    TOpenDialog dialog;
    dialog.DefaultExt = "txt";
    dialogs::QueueFileName("/tmp/README");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "/tmp/README");
}

TEST(FileDialogs, FiltersShowTheirPatternsAsTheDialogExpects)
{
    EXPECT_EQ(dialogs::QtFilter("Rich Text Document (*.rtf)|*.rtf"), "Rich Text Document (*.rtf)");
    EXPECT_EQ(dialogs::QtFilter("Pictures|*.gif;*.bmp|All files|*.*"), "Pictures (*.gif *.bmp);;All files (*.*)");
    EXPECT_EQ(dialogs::QtFilter(""), "");
}

TEST(FileDialogs, AQueuedColourAnswersTheColourDialogAndWithoutOneItIsCancelled)
{
    dialogs::QueueColor(RGB(255, 0, 0));
    TColorDialog dialog;
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color, RGB(255, 0, 0));
    dialog.Color = clBlue;
    EXPECT_FALSE(dialog.Execute()) << "no person answers on the offscreen platform";
    EXPECT_EQ(dialog.Color, clBlue);
}

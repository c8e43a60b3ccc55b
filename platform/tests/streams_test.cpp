#include "platform/rtl/streams.h"

#include "platform/rtl/exceptions.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(Streams, MemoryStreamReadsBackWhatWasWritten)
{
    TMemoryStream stream;
    stream.WriteString("hello world");
    EXPECT_EQ(stream.Size(), 11);
    EXPECT_EQ(stream.Position(), 11);
    stream.SetPosition(6);
    char buffer[16] = {};
    EXPECT_EQ(stream.Read(buffer, 16), 5);
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(stream.Read(buffer, 16), 0);
    EXPECT_EQ(std::string(stream.Memory(), 5), "hello");
}

TEST(Streams, WritingPastTheEndFillsTheGapWithZeros)
{
    TMemoryStream stream;
    EXPECT_EQ(stream.Seek(3, soBeginning), 3);
    stream.WriteString("x");
    EXPECT_EQ(std::string(stream.Memory(), 4), std::string("\0\0\0x", 4));
    stream.SetSize(2);
    EXPECT_EQ(stream.Size(), 2);
    EXPECT_EQ(stream.Position(), 2);
    stream.SetSize(4);
    EXPECT_EQ(std::string(stream.Memory(), 4), std::string(4, '\0'));
    EXPECT_EQ(stream.Seek(-1, soEnd), 3);
    EXPECT_EQ(stream.Seek(-10, soCurrent), -1);
    EXPECT_EQ(stream.Position(), 3);
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(Streams, ReadBufferAndWriteBufferAreAllOrNothing)
{
    TStringStream stream("abc");
    char buffer[8];
    try {
        stream.ReadBuffer(buffer, 4);
        ADD_FAILURE() << "short read accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    stream.SetPosition(0);
    stream.ReadBuffer(buffer, 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_THROW(stream.ReadBuffer(buffer, -1), EReadError);

    ScratchDirs dirs;
    dirs.write("ro.bin", "x");
    TFileStream readOnly(dirs.root() + "/ro.bin", fmOpenRead);
    try {
        readOnly.WriteBuffer("y", 1);
        ADD_FAILURE() << "write to a read-only stream accepted";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Stream write error");
    }
}

TEST(Streams, StringStreamHoldsItsText)
{
    TStringStream stream("line one");
    EXPECT_EQ(stream.ReadString(4), "line");
    EXPECT_EQ(stream.ReadString(100), " one");
    EXPECT_EQ(stream.ReadString(5), "");
    stream.WriteString("!");
    EXPECT_EQ(stream.DataString(), "line one!");
}

TEST(Streams, FileStreamCreatesWritesAndReopens)
{
    ScratchDirs dirs;
    const std::string name = dirs.root() + "/Reply.htm";
    {
        TFileStream out(name, fmCreate | fmShareExclusive);
        out.WriteString("<html>\r\n");
        EXPECT_EQ(out.Size(), 8);
    }
    EXPECT_EQ(dirs.read("Reply.htm"), "<html>\r\n");
    {
        TFileStream again(dirs.root() + "/REPLY.HTM", fmOpenReadWrite | fmShareDenyNone);
        EXPECT_EQ(again.Seek(0, soEnd), 8);
        again.WriteString("</html>");
        again.SetPosition(1);
        char buffer[4];
        again.ReadBuffer(buffer, 4);
        EXPECT_EQ(std::string(buffer, 4), "html");
        again.SetSize(6);
    }
    EXPECT_EQ(dirs.read("Reply.htm"), "<html>");
    EXPECT_FALSE(dirs.exists("REPLY.HTM"));
    {
        TFileStream truncate(name, fmCreate);
    }
    EXPECT_EQ(dirs.read("Reply.htm"), "");
}

TEST(Streams, FileStreamFailuresCarryTheFileName)
{
    ScratchDirs dirs;
    const std::string missing = dirs.root() + "/missing.dat";
    try {
        TFileStream in(missing, fmOpenRead);
        ADD_FAILURE() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\"");
    }
    const std::string nowhere = dirs.root() + "/no/folder.dat";
    try {
        TFileStream out(nowhere, fmCreate);
        ADD_FAILURE() << "created a file in a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + nowhere + "\"");
    }
    EXPECT_THROW(TFileStream(dirs.root(), fmOpenRead), EFOpenError);
}

TEST(Streams, CopyFromMovesBytesBetweenStreams)
{
    TStringStream source(std::string(200000, 'q') + "tail");
    TMemoryStream target;
    source.SetPosition(100);
    EXPECT_EQ(target.CopyFrom(source, 0), 200004);
    EXPECT_EQ(target.Size(), 200004);
    source.SetPosition(200000);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(source, 4), 4);
    EXPECT_EQ(std::string(part.Memory(), 4), "tail");
    EXPECT_THROW(part.CopyFrom(source, 1), EReadError);
}

TEST(Streams, MemoryStreamLoadsAndSavesFiles)
{
    ScratchDirs dirs;
    dirs.write("Face.gif", std::string("GIF89a\0\xFF", 8));
    TMemoryStream stream;
    stream.LoadFromFile(dirs.root() + "/face.GIF");
    EXPECT_EQ(stream.Size(), 8);
    EXPECT_EQ(stream.Position(), 0);
    stream.SaveToFile(dirs.root() + "/copy.gif");
    EXPECT_EQ(dirs.read("copy.gif"), std::string("GIF89a\0\xFF", 8));
    EXPECT_THROW(stream.LoadFromFile(dirs.root() + "/none.gif"), EFOpenError);
    EXPECT_EQ(stream.Size(), 8);
    EXPECT_THROW(stream.SaveToFile(dirs.root() + "/no/x.gif"), EFCreateError);

    TFileStream file(dirs.root() + "/copy.gif", fmOpenRead);
    TMemoryStream fromFile;
    fromFile.LoadFromStream(file);
    EXPECT_EQ(std::string(fromFile.Memory(), 6), "GIF89a");
    TStringStream out;
    fromFile.SaveToStream(out);
    EXPECT_EQ(out.DataString(), std::string("GIF89a\0\xFF", 8));
}

#include "platform/rtl/stringlist.h"

#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/testing/lists.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(StringList, AddInsertDeleteAndObjects)
{
    TStringList list;
    int a = 1, b = 2;
    EXPECT_EQ(list.Add("one"), 0);
    EXPECT_EQ(list.AddObject("two", &b), 1);
    list.InsertObject(0, "zero", &a);
    EXPECT_EQ(itemsOf(list), (Lines { "zero", "one", "two" }));
    EXPECT_EQ(list.Objects(0), &a);
    EXPECT_EQ(list.Objects(1), nullptr);
    EXPECT_EQ(list.IndexOfObject(&b), 2);
    list.Delete(1);
    EXPECT_EQ(itemsOf(list), (Lines { "zero", "two" }));
    list.Put(1, "TWO");
    list.Exchange(0, 1);
    EXPECT_EQ(itemsOf(list), (Lines { "TWO", "zero" }));
    EXPECT_EQ(list.Objects(0), &b);
    list.Add("x");
    list.Move(2, 0);
    EXPECT_EQ(itemsOf(list), (Lines { "x", "TWO", "zero" }));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, BadIndexesRaiseTheListError)
{
    TStringList list;
    list.Add("a");
    try {
        list.Get(1);
        ADD_FAILURE() << "no exception";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (1)");
    }
    EXPECT_THROW(list[-1], EStringListError);
    EXPECT_THROW(list.Delete(5), EStringListError);
    EXPECT_THROW(list.Insert(2, "x"), EStringListError);
    EXPECT_THROW(list.Put(1, "x"), EStringListError);
    EXPECT_THROW(list.Objects(3), EStringListError);
    EXPECT_THROW(list.Exchange(0, 1), EStringListError);
    list.Insert(1, "end");
    EXPECT_EQ(list[1], "end");
}

TEST(StringList, IndexOfIsCaseBlind)
{
    TStringList list;
    list.Add("Alice");
    list.Add("BOB");
    list.Add("J\xC9R\xD4ME");
    EXPECT_EQ(list.IndexOf("alice"), 0);
    EXPECT_EQ(list.IndexOf("bob"), 1);
    EXPECT_EQ(list.IndexOf("j\xE9r\xF4me"), 2);
    EXPECT_EQ(list.IndexOf("carol"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("bob"), -1);
}

TEST(StringList, NamesAndValues)
{
    TStringList list;
    list.Add("Host=chat.example");
    list.Add("no separator");
    list.Add("Port=8096");
    list.Add("port=1");
    list.Add("Empty=");
    list.Add("Eq=a=b");
    EXPECT_EQ(list.Names(0), "Host");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.Values("PORT"), "8096");
    EXPECT_EQ(list.Values("Eq"), "a=b");
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.IndexOfName("empty"), 4);
    EXPECT_EQ(list.ValueFromIndex(5), "a=b");
    EXPECT_EQ(list.ValueFromIndex(1), "");

    list.SetValue("port", "9000");
    EXPECT_EQ(list[2], "port=9000");
    list.SetValue("New", "v");
    EXPECT_EQ(list[list.Count() - 1], "New=v");
    list.SetValue("Host", "");
    EXPECT_EQ(list.IndexOfName("Host"), -1);
    EXPECT_EQ(list[0], "no separator");
    list.SetValue("absent", "");
    EXPECT_EQ(list.Count(), 6);
}

TEST(StringList, TextJoinsWithCrLfAndSplitsOnAnyLineBreak)
{
    TStringList list;
    list.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(itemsOf(list), (Lines { "a", "b", "c", "d" }));
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    list.SetText("x\r\n\r\ny\r\n");
    EXPECT_EQ(itemsOf(list), (Lines { "x", "", "y" }));
    list.SetText("\n");
    EXPECT_EQ(itemsOf(list), (Lines { "" }));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), "");
    list.SetText("p\n\rq");
    EXPECT_EQ(itemsOf(list), (Lines { "p", "", "q" }));

    TStringList again;
    list.SetText("one\r\ntwo\r\n");
    again.SetText(list.Text());
    EXPECT_EQ(again.Text(), "one\r\ntwo\r\n");
}

TEST(StringList, CommaTextQuotesWhatNeedsIt)
{
    TStringList list;
    list.Add("plain");
    list.Add("two words");
    list.Add("a,b");
    list.Add("say \"hi\"");
    list.Add("");
    EXPECT_EQ(list.CommaText(), "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",");

    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(itemsOf(back), itemsOf(list));

    back.SetCommaText("a b, c ,\"d e\",");
    EXPECT_EQ(itemsOf(back), (Lines { "a", "b", "c", "d e", "" }));
    back.SetCommaText("");
    EXPECT_EQ(back.Count(), 0);
    back.Add("");
    EXPECT_EQ(back.CommaText(), "\"\"");
}

TEST(StringList, DelimitedTextWithOtherDelimiters)
{
    TStringList list;
    list.Delimiter = ';';
    list.StrictDelimiter = true;
    list.SetDelimitedText("a b;c;;d");
    EXPECT_EQ(itemsOf(list), (Lines { "a b", "c", "", "d" }));
    EXPECT_EQ(list.DelimitedText(), "a b;c;;d");
    EXPECT_EQ(list.CommaText(), "\"a b\",c,,d");
    EXPECT_EQ(list.Delimiter, ';');
}

TEST(StringList, SortedListsKeepCaseBlindOrder)
{
    TStringList list;
    list.SetSorted(true);
    list.Add("pear");
    list.Add("Apple");
    list.Add("banana");
    list.Add("apple");
    EXPECT_EQ(itemsOf(list), (Lines { "Apple", "banana", "pear" }));
    int index = -1;
    EXPECT_TRUE(list.Find("BANANA", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find("cherry", index));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(list.IndexOf("PEAR"), 2);
    EXPECT_THROW(list.Insert(0, "x"), EStringListError);
    EXPECT_THROW(list.Put(0, "x"), EStringListError);
}

TEST(StringList, DuplicatesAreIgnoredAcceptedOrRefused)
{
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    list.Add("b");
    list.Add("a");
    list.Add("B");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "a");

    list.SetDuplicates(dupError);
    try {
        list.Add("A");
        ADD_FAILURE() << "duplicate accepted";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(list.Count(), 3);

    // Unsorted lists take everything, as the runtime's do.
    TStringList plain;
    plain.SetDuplicates(dupError);
    plain.Add("x");
    plain.Add("x");
    EXPECT_EQ(plain.Count(), 2);
}

TEST(StringList, SetSortedSortsTheExistingItems)
{
    TStringList list;
    list.SetText("delta\nAlpha\ncharlie\nBravo\n");
    list.SetSorted(true);
    EXPECT_EQ(itemsOf(list), (Lines { "Alpha", "Bravo", "charlie", "delta" }));
    list.SetValue("charlie", "3");
    EXPECT_EQ(itemsOf(list), (Lines { "Alpha", "Bravo", "charlie", "charlie=3", "delta" }));
}

TEST(StringList, CustomSortUsesTheCallersOrder)
{
    TStringList list;
    list.SetText("10\n9\n100\n1\n55\n");
    list.CustomSort([](TStringList* l, int i, int j) { return std::stoi(l->Get(i)) - std::stoi(l->Get(j)); });
    EXPECT_EQ(itemsOf(list), (Lines { "1", "9", "10", "55", "100" }));
    list.Sort();
    EXPECT_EQ(itemsOf(list), (Lines { "1", "10", "100", "55", "9" }));
}

TEST(StringList, OnChangeFiresOncePerUpdateBlock)
{
    TStringList list;
    int changes = 0;
    list.OnChange = [&](TStringList* sender) {
        EXPECT_EQ(sender, &list);
        ++changes;
    };
    list.Add("a");
    EXPECT_EQ(changes, 1);
    list.BeginUpdate();
    list.Add("b");
    list.Add("c");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(changes, 2);
    list.SetText("x\ny\nz");
    EXPECT_EQ(changes, 3);
}

TEST(StringList, LoadFromFileReadsBytesAndLineBreaks)
{
    ScratchDirs dirs;
    dirs.write("Keywords.TXT", "first\r\nsecond\nthird \xB6\r\n");
    TStringList list;
    list.LoadFromFile(dirs.root() + "/keywords.txt");
    EXPECT_EQ(itemsOf(list), (Lines { "first", "second", "third \xB6" }));
}

TEST(StringList, LoadFromAMissingFileRaisesTheOpenError)
{
    ScratchDirs dirs;
    TStringList list;
    list.Add("kept");
    const std::string name = dirs.root() + "/missing.txt";
    try {
        list.LoadFromFile(name);
        ADD_FAILURE() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + name + "\"");
    }
    EXPECT_EQ(itemsOf(list), (Lines { "kept" }));
}

TEST(StringList, SaveToFileWritesCrLfOverTheExistingSpelling)
{
    ScratchDirs dirs;
    dirs.write("Friends.txt", "old\n");
    TStringList list;
    list.SetText("ann\nbob");
    list.SaveToFile(dirs.root() + "/FRIENDS.TXT");
    EXPECT_EQ(dirs.read("Friends.txt"), "ann\r\nbob\r\n");
    EXPECT_FALSE(dirs.exists("FRIENDS.TXT"));
    EXPECT_THROW(list.SaveToFile(dirs.root() + "/no/such/folder.txt"), EFCreateError);
}

TEST(StringList, StreamsCarryTheTextFromThePositionOn)
{
    TStringList list;
    list.SetText("one\ntwo");
    TStringStream stream("head");
    stream.Seek(0, soEnd);
    list.SaveToStream(stream);
    EXPECT_EQ(stream.DataString(), "headone\r\ntwo\r\n");
    stream.SetPosition(4);
    TStringList back;
    back.LoadFromStream(stream);
    EXPECT_EQ(itemsOf(back), (Lines { "one", "two" }));
    EXPECT_EQ(stream.Position(), stream.Size());
}

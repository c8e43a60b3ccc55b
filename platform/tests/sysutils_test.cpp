#include "platform/rtl/sysutils.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <climits>

TEST(SysUtils, PosIsOneBasedAndZeroWhenAbsent)
{
    EXPECT_EQ(Pos("b", "abc"), 2);
    EXPECT_EQ(Pos("a", "abc"), 1);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("abcd", "abc"), 0);
}

TEST(SysUtils, CopyIsOneBasedAndClipsOutOfRangeParts)
{
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 1, 100), "hello");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(Copy("hello", -5, 2), "he");
    EXPECT_EQ(Copy("hello", 6, 1), "");
    EXPECT_EQ(Copy("hello", 3, 0), "");
    EXPECT_EQ(Copy("hello", 3, -1), "");
    EXPECT_EQ(Copy("", 1, 1), "");
}

TEST(SysUtils, DeleteAndInsertWorkOnOneBasedPositions)
{
    std::string s = "hello";
    Delete(s, 2, 2);
    EXPECT_EQ(s, "hlo");
    Delete(s, 10, 1);
    EXPECT_EQ(s, "hlo");
    Delete(s, 3, 100);
    EXPECT_EQ(s, "hl");
    Insert("XY", s, 2);
    EXPECT_EQ(s, "hXYl");
    Insert("!", s, 99);
    EXPECT_EQ(s, "hXYl!");
}

TEST(SysUtils, TrimDropsBlanksAndControlBytes)
{
    EXPECT_EQ(Trim("  \t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\xA0x"), "\xA0x");
}

TEST(SysUtils, CaseRoutinesFoldAsciiOrCodePageLetters)
{
    EXPECT_EQ(UpperCase("abc\xE9"), "ABC\xE9");
    EXPECT_EQ(AnsiUpperCase("abc\xE9\x9A"), "ABC\xC9\x8A");
    EXPECT_EQ(AnsiLowerCase("\xC9\xD7"), "\xE9\xD7");
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("Hello", "Hell"));
    EXPECT_TRUE(AnsiSameText("J\xC9R\xD4ME", "j\xE9r\xF4me"));
    EXPECT_LT(CompareText("apple", "Banana"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_LT(CompareStr("B", "a"), 0);
}

TEST(SysUtils, StrToIntReadsDecimalSignsAndHex)
{
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("-42"), -42);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("  12"), 12);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("2147483647"), INT_MAX);
    EXPECT_EQ(StrToInt("-2147483648"), INT_MIN);
}

TEST(SysUtils, StrToIntRefusesJunkAndOverflowWithTheRuntimeMessage)
{
    for (const char* bad : { "", " ", "12 ", "1x", "abc", "-", "$", "0x", "2147483648", "-2147483649",
                             "99999999999999999999", "1.5", "\xB6" "1" }) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

TEST(SysUtils, StrToIntDefFallsBackToTheDefault)
{
    EXPECT_EQ(StrToIntDef("17", 5), 17);
    EXPECT_EQ(StrToIntDef("seventeen", 5), 5);
    EXPECT_EQ(StrToIntDef("", -1), -1);
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 3), 3);
}

TEST(SysUtils, IntToStrAndIntToHex)
{
    EXPECT_EQ(IntToStr(-15), "-15");
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0x1234, 2), "1234");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(std::int64_t { -1 }, 1), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(0xFFFFFFFFu, 8), "FFFFFFFF");
    EXPECT_EQ(IntToHex(static_cast<unsigned char>(0xAB), 2), "AB");
    EXPECT_EQ(IntToHex(static_cast<short>(-2), 1), "FFFFFFFE");
    EXPECT_EQ(IntToHex(123456789012LL, 1), "1CBE991A14");
}

TEST(SysUtils, HexDigitsReadInEitherCaseAndNothingElseReadsAsOne)
{
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    for (const char c : { 'g', 'G', '%', ' ', '\0', '\xC4' })
        EXPECT_EQ(HexDigitValue(c), -1) << int(c);
}

TEST(SysUtils, FloatsRoundTripAndRefuseJunk)
{
    EXPECT_EQ(FloatToStr(1.5), "1.5");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_DOUBLE_EQ(StrToFloat(" 2.25 "), 2.25);
    EXPECT_THROW(StrToFloat("nan"), EConvertError);
    EXPECT_DOUBLE_EQ(StrToFloatDef("1e999", 4.0), 4.0);
}

TEST(SysUtils, FormatHandlesPrintfConversionsAndLongText)
{
    EXPECT_EQ(Format("%d-%s-%c", 5, std::string("x"), 'y'), "5-x-y");
    EXPECT_EQ(Format("%5d|%-5d|%05d", 42, 42, 42), "   42|42   |00042");
    EXPECT_EQ(Format("%x %X %o", 255, 255, 8), "ff FF 10");
    EXPECT_EQ(Format("%x", -1), "ffffffff");
    EXPECT_EQ(Format("%.2f", 3.14159), "3.14");
    EXPECT_EQ(Format("%u", 4000000000u), "4000000000");
    EXPECT_EQ(Format("%ld %lld", 1L, 2LL), "1 2");
    EXPECT_EQ(Format("%.3s|%5s|%-3s|", "abcdef", "ab", "a"), "abc|   ab|a  |");
    EXPECT_EQ(Format("%*d", 4, 7), "   7");
    EXPECT_EQ(Format("100%%"), "100%");
    const std::string big(100000, 'z');
    EXPECT_EQ(Format("<%s>", big), "<" + big + ">");
}

TEST(SysUtils, FormatRaisesOnMissingOrMismatchedArguments)
{
    EXPECT_THROW(Format("%d %d", 1), EConvertError);
    EXPECT_THROW(Format("%s", 5), EConvertError);
    EXPECT_THROW(Format("%d", "five"), EConvertError);
    EXPECT_THROW(Format("%n", 1), EConvertError);
    EXPECT_THROW(Format("50%"), EConvertError);
    EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "(null)");
}

TEST(SysUtils, StringReplaceOnceAllAndIgnoringCase)
{
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
    EXPECT_EQ(StringReplace("Foo foo FOO", "foo", "x", rfReplaceAll | rfIgnoreCase), "x x x");
    EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
    EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
}

TEST(SysUtils, QuotedStrDoublesQuotes)
{
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(StringOfChar('-', 3), "---");
    EXPECT_EQ(StringOfChar('-', -3), "");
}

TEST(SysUtils, FileNamePartsUseTheSlash)
{
    EXPECT_EQ(ExtractFilePath("/a/b/c.ini"), "/a/b/");
    EXPECT_EQ(ExtractFileDir("/a/b/c.ini"), "/a/b");
    EXPECT_EQ(ExtractFileName("/a/b/c.ini"), "c.ini");
    EXPECT_EQ(ExtractFileName("c.ini"), "c.ini");
    EXPECT_EQ(ExtractFilePath("c.ini"), "");
    EXPECT_EQ(ExtractFileExt("/a/b/c.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ChangeFileExt("/a/b/c.ini", ".bak"), "/a/b/c.bak");
    EXPECT_EQ(ChangeFileExt("/a.b/c", ".txt"), "/a.b/c.txt");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(IncludeTrailingBackslash("x"), "x/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(SysUtils, FileRoutinesFindFilesWhateverTheirCase)
{
    ScratchDirs dirs;
    const std::string root = dirs.root();
    dirs.write("Data/Readme.TXT", "12345");
    EXPECT_TRUE(FileExists(root + "/Data/readme.txt"));
    EXPECT_FALSE(FileExists(root + "/Data"));
    EXPECT_TRUE(DirectoryExists(root + "/Data"));
    EXPECT_TRUE(DirectoryExists(root + "/data/"));
    EXPECT_EQ(FileSizeOf(root + "/Data/README.txt"), 5);
    EXPECT_EQ(FileSizeOf(root + "/Data/none.txt"), -1);
    EXPECT_NE(FileAge(root + "/Data/readme.txt"), -1);
    EXPECT_EQ(FileAge(root + "/Data/none.txt"), -1);
    TDateTime age = 0;
    ASSERT_TRUE(FileAge(root + "/Data/readme.txt", age));
    EXPECT_NEAR(age, Now(), 1.0);

    EXPECT_TRUE(RenameFile(root + "/Data/readme.txt", root + "/Data/notes.txt"));
    EXPECT_TRUE(dirs.exists("Data/notes.txt"));
    EXPECT_FALSE(dirs.exists("Data/Readme.TXT"));
    dirs.write("Data/other.txt", "x");
    EXPECT_FALSE(RenameFile(root + "/Data/other.txt", root + "/Data/NOTES.txt"));
    EXPECT_EQ(dirs.read("Data/notes.txt"), "12345");

    EXPECT_TRUE(DeleteFile(root + "/Data/Notes.Txt"));
    EXPECT_FALSE(dirs.exists("Data/notes.txt"));
    EXPECT_FALSE(DeleteFile(root + "/Data/notes.txt"));
    EXPECT_FALSE(DeleteFile(root + "/Data"));
}

TEST(SysUtils, ForceDirectoriesMakesTheWholeChain)
{
    ScratchDirs dirs;
    const std::string deep = dirs.root() + "/one/two/" + Ansi("drei ö");
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(dirs.exists("one/two/drei \xC3\xB6"));
    EXPECT_TRUE(ForceDirectories(deep + "/"));
    EXPECT_FALSE(CreateDir(deep));
    EXPECT_TRUE(RemoveDir(deep));
    EXPECT_FALSE(DirectoryExists(deep));
}

TEST(SysUtils, FindFirstListsMatchingEntriesCaseBlind)
{
    ScratchDirs dirs;
    dirs.write("list/a.ini", "1");
    dirs.write("list/B.INI", "22");
    dirs.write("list/c.txt", "333");
    dirs.write("list/.hidden.ini", "");
    dirs.write("list/sub.ini/x", "");
    TSearchRec rec;
    std::vector<std::string> names;
    for (int rc = FindFirst(dirs.root() + "/list/*.ini", faAnyFile & ~faDirectory & ~faHidden, rec); rc == 0;
         rc = FindNext(rec))
        names.push_back(rec.Name);
    FindClose(rec);
    EXPECT_EQ(names, (std::vector<std::string> { "B.INI", "a.ini" }));

    const auto all = ListDirectory(dirs.root() + "/list/*.*", faAnyFile);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].Name, ".hidden.ini");
    EXPECT_EQ(all[1].Name, "B.INI");
    EXPECT_EQ(all[1].Size, 2);
    EXPECT_EQ(all[4].Name, "sub.ini");
    EXPECT_TRUE(all[4].Attr & faDirectory);

    EXPECT_EQ(FindFirst(dirs.root() + "/list/*.doc", faAnyFile, rec), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirst(dirs.root() + "/missing/*", faAnyFile, rec), ERROR_PATH_NOT_FOUND);
}

TEST(SysUtils, MatchesMaskUsesStarAndQuestionMark)
{
    EXPECT_TRUE(MatchesMask("News.ini", "*.INI"));
    EXPECT_TRUE(MatchesMask("abc", "a?c"));
    EXPECT_FALSE(MatchesMask("abc", "a?"));
    EXPECT_TRUE(MatchesMask("abc", "*"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.*.c"));
    EXPECT_FALSE(MatchesMask("abc", "*d*"));
    EXPECT_TRUE(MatchesMask(std::string(200, 'a'), std::string(50, '*') + "a"));
}

#include "platform/rtl/inifile.h"

#include "platform/rtl/stringlist.h"
#include "platform/testing/lists.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <thread>

TEST(IniFile, BareNamesLiveInTheWindowsDirectory)
{
    ScratchDirs dirs;
    TIniFile ini("larkspire.ini");
    EXPECT_EQ(ini.FileName(), dirs.windowsDir() + "/larkspire.ini");
    ini.WriteString("MAIN", "Nick", "ann");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[MAIN]\r\nNick=ann\r\n");

    TIniFile full(dirs.appDir() + "/Channels.ini");
    EXPECT_EQ(full.FileName(), dirs.appDir() + "/Channels.ini");
}

TEST(IniFile, SectionsAndKeysAreCaseBlind)
{
    ScratchDirs dirs;
    dirs.write("windows/Larkspire.INI", "[Main]\r\nServerHost=chat.example\r\n");
    TIniFile ini("larkspire.ini");
    EXPECT_EQ(ini.ReadString("MAIN", "serverhost", "none"), "chat.example");
    EXPECT_EQ(ini.ReadString("main", "SERVERHOST", "none"), "chat.example");
    ini.WriteString("MAIN", "SERVERHOST", "other.example");
    EXPECT_EQ(dirs.read("windows/Larkspire.INI"), "[Main]\r\nServerHost=other.example\r\n");
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
}

TEST(IniFile, TheFirstSectionAndTheFirstKeyWin)
{
    ScratchDirs dirs;
    dirs.write("windows/a.ini", "[S]\nk=first\nk=second\n[s]\nk=third\nonly=later\n");
    TIniFile ini("a.ini");
    EXPECT_EQ(ini.ReadString("s", "k", ""), "first");
    EXPECT_EQ(ini.ReadString("s", "only", "default"), "default");
    ini.WriteString("S", "K", "new");
    EXPECT_EQ(dirs.read("windows/a.ini"), "[S]\r\nk=new\r\nk=second\r\n[s]\r\nk=third\r\nonly=later\r\n");
}

TEST(IniFile, ValuesAreTrimmedAndUnquoted)
{
    ScratchDirs dirs;
    dirs.write("windows/q.ini",
               "[Q]\n  spaced  =   some value  \t\ndouble=\"  kept  \"\nsingle='x'\nmixed=\"x'\nlone=\"\n"
               "inner=a \"b\" c\nempty=\n");
    TIniFile ini("q.ini");
    EXPECT_EQ(ini.ReadString("Q", "spaced", ""), "some value");
    EXPECT_EQ(ini.ReadString("Q", "double", ""), "  kept  ");
    EXPECT_EQ(ini.ReadString("Q", "single", ""), "x");
    EXPECT_EQ(ini.ReadString("Q", "mixed", ""), "\"x'");
    EXPECT_EQ(ini.ReadString("Q", "lone", ""), "\"");
    EXPECT_EQ(ini.ReadString("Q", "inner", ""), "a \"b\" c");
    EXPECT_EQ(ini.ReadString("Q", "empty", "default"), "");
}

TEST(IniFile, MissingFilesReadAsEmptyAndAreCreatedByTheFirstWrite)
{
    ScratchDirs dirs;
    TIniFile ini(dirs.appDir() + "/News.ini");
    EXPECT_EQ(ini.ReadString("Headlines", "Count", "none"), "none");
    EXPECT_FALSE(ini.SectionExists("Headlines"));
    EXPECT_FALSE(dirs.exists("app/News.ini"));
    ini.WriteInteger("Headlines", "Count", 3);
    EXPECT_EQ(dirs.read("app/News.ini"), "[Headlines]\r\nCount=3\r\n");
}

TEST(IniFile, AWriteIntoAMissingFolderRaisesAndCreatesNothing)
{
    ScratchDirs dirs;
    TIniFile ini(dirs.root() + "/absent/x.ini");
    try {
        ini.WriteString("S", "k", "v");
        ADD_FAILURE() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + dirs.root() + "/absent/x.ini");
    }
    EXPECT_FALSE(dirs.exists("absent"));
}

TEST(IniFile, WritesKeepOrderCommentsAndUnknownLinesByteForByte)
{
    ScratchDirs dirs;
    const std::string original = "; settings\r\n"
                                 "stray line before sections\r\n"
                                 "[MAIN]\r\n"
                                 "Nick=ann\r\n"
                                 "  ; a note\r\n"
                                 "not a key\r\n"
                                 "Port = 8096\r\n"
                                 "\r\n"
                                 "[Mail]\r\n"
                                 "Server=pop.example\r\n";
    dirs.write("windows/larkspire.ini", original);
    TIniFile ini("larkspire.ini");
    ini.WriteString("main", "port", "9000");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "; settings\r\n"
                                                  "stray line before sections\r\n"
                                                  "[MAIN]\r\n"
                                                  "Nick=ann\r\n"
                                                  "  ; a note\r\n"
                                                  "not a key\r\n"
                                                  "Port=9000\r\n"
                                                  "\r\n"
                                                  "[Mail]\r\n"
                                                  "Server=pop.example\r\n");
    EXPECT_EQ(ini.ReadString("MAIN", "not a key", "default"), "default");
    EXPECT_EQ(ini.ReadString("MAIN", "; a note", "default"), "default");
}

TEST(IniFile, LfFilesAreReadAndWrittenBackWithCrLf)
{
    ScratchDirs dirs;
    dirs.write("windows/lf.ini", "[A]\nx=1\ny=2");
    TIniFile ini("lf.ini");
    EXPECT_EQ(ini.ReadString("A", "y", ""), "2");
    ini.WriteString("A", "x", "one");
    EXPECT_EQ(dirs.read("windows/lf.ini"), "[A]\r\nx=one\r\ny=2\r\n");
}

TEST(IniFile, NewKeysGoAfterTheSectionsLastKey)
{
    ScratchDirs dirs;
    dirs.write("windows/k.ini", "[A]\r\na=1\r\n; trailing note\r\n\r\n[B]\r\nb=1\r\n\r\n\r\n");
    TIniFile ini("k.ini");
    ini.WriteString("A", "new", "x");
    ini.WriteString("B", "new", "y");
    EXPECT_EQ(dirs.read("windows/k.ini"),
              "[A]\r\na=1\r\nnew=x\r\n; trailing note\r\n\r\n[B]\r\nb=1\r\nnew=y\r\n\r\n\r\n");
}

TEST(IniFile, AKeyOfAnEmptySectionGoesRightUnderItsHeader)
{
    ScratchDirs dirs;
    dirs.write("windows/e.ini", "[Empty]\r\n\r\n[Next]\r\nn=1\r\n");
    TIniFile ini("e.ini");
    ini.WriteString("Empty", "k", "v");
    EXPECT_EQ(dirs.read("windows/e.ini"), "[Empty]\r\nk=v\r\n\r\n[Next]\r\nn=1\r\n");
}

TEST(IniFile, NewSectionsAreAppendedAfterABlankLine)
{
    ScratchDirs dirs;
    dirs.write("windows/n.ini", "[A]\r\na=1");
    TIniFile ini("n.ini");
    ini.WriteString("B", "b", "2");
    EXPECT_EQ(dirs.read("windows/n.ini"), "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
    ini.WriteString("C", "c", "3");
    EXPECT_EQ(dirs.read("windows/n.ini"), "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n\r\n[C]\r\nc=3\r\n");
}

TEST(IniFile, ValuesCannotSmuggleInLinesOfTheirOwn)
{
    ScratchDirs dirs;
    TIniFile ini("s.ini");
    ini.WriteString("MAIN", "Away", "gone\r\n[MAIN]\r\nServer=evil");
    EXPECT_EQ(ini.ReadString("MAIN", "Server", "none"), "none");
    EXPECT_EQ(ini.ReadString("MAIN", "Away", ""), "gone  [MAIN]  Server=evil");
    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(itemsOf(sections), (Lines { "MAIN" }));
}

TEST(IniFile, IntegersBooleansAndFloats)
{
    ScratchDirs dirs;
    dirs.write("windows/i.ini", "[N]\nhex=0x1F\ndollar=$10\nbad=12abc\nneg=-4\nyes=1\nno=0\nword=true\nf=2.5\n");
    TIniFile ini("i.ini");
    EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "dollar", 0), 16);
    EXPECT_EQ(ini.ReadInteger("N", "bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -4);
    EXPECT_EQ(ini.ReadInteger("N", "missing", 99), 99);
    EXPECT_TRUE(ini.ReadBool("N", "yes", false));
    EXPECT_FALSE(ini.ReadBool("N", "no", true));
    EXPECT_TRUE(ini.ReadBool("N", "word", true));
    EXPECT_FALSE(ini.ReadBool("N", "word", false));
    EXPECT_TRUE(ini.ReadBool("N", "missing", true));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "f", 0), 2.5);
    ini.WriteBool("N", "yes", false);
    ini.WriteBool("N", "flag", true);
    ini.WriteInteger("N", "neg", -12);
    ini.WriteFloat("N", "f", 0.25);
    EXPECT_EQ(ini.ReadString("N", "yes", ""), "0");
    EXPECT_EQ(ini.ReadString("N", "flag", ""), "1");
    EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -12);
    EXPECT_EQ(ini.ReadString("N", "f", ""), "0.25");
}

TEST(IniFile, ListsSectionsKeysAndValuesInFileOrder)
{
    ScratchDirs dirs;
    dirs.write("windows/l.ini", "[Z]\nb=2\na=\"1\"\nB=3\nnote\n[y]\n[z]\nc=4\n");
    TIniFile ini("l.ini");
    TStringList list;
    ini.ReadSections(list);
    EXPECT_EQ(itemsOf(list), (Lines { "Z", "y" }));
    ini.ReadSection("z", list);
    EXPECT_EQ(itemsOf(list), (Lines { "b", "a" }));
    ini.ReadSectionValues("Z", list);
    EXPECT_EQ(itemsOf(list), (Lines { "b=2", "a=1" }));
    ini.ReadSection("missing", list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(ini.SectionExists("Y"));
    EXPECT_FALSE(ini.SectionExists("x"));
    EXPECT_TRUE(ini.ValueExists("z", "A"));
    EXPECT_FALSE(ini.ValueExists("z", "c"));
    EXPECT_FALSE(ini.ValueExists("z", "note"));
}

TEST(IniFile, EraseSectionRemovesItWithAllItsLines)
{
    ScratchDirs dirs;
    dirs.write("windows/d.ini", "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n; about b\r\n\r\n[C]\r\nc=1\r\n[b]\r\nx=2\r\n");
    TIniFile ini("d.ini");
    ini.EraseSection("b");
    EXPECT_EQ(dirs.read("windows/d.ini"), "[A]\r\na=1\r\n\r\n[C]\r\nc=1\r\n");
    EXPECT_FALSE(ini.SectionExists("B"));
    ini.EraseSection("absent");
    EXPECT_EQ(dirs.read("windows/d.ini"), "[A]\r\na=1\r\n\r\n[C]\r\nc=1\r\n");
}

TEST(IniFile, DeleteKeyRemovesOnlyThatKeysLines)
{
    ScratchDirs dirs;
    dirs.write("windows/k.ini", "[A]\r\nk=1\r\nkeep=2\r\nK=3\r\n[B]\r\nk=4\r\n");
    TIniFile ini("k.ini");
    ini.DeleteKey("a", "K");
    EXPECT_EQ(dirs.read("windows/k.ini"), "[A]\r\nkeep=2\r\n[B]\r\nk=4\r\n");
    EXPECT_FALSE(ini.ValueExists("A", "k"));
    EXPECT_EQ(ini.ReadString("B", "k", ""), "4");
    ini.DeleteKey("A", "absent");
    ini.DeleteKey("absent", "k");
    EXPECT_EQ(dirs.read("windows/k.ini"), "[A]\r\nkeep=2\r\n[B]\r\nk=4\r\n");
}

TEST(IniFile, CodePageTextSurvivesTheFile)
{
    ScratchDirs dirs;
    TIniFile ini("c.ini");
    ini.WriteString("Caf\xE9", "Stra\xDF" "e", "M\xFCller \xB6");
    EXPECT_EQ(ini.ReadString("CAF\xC9", "stra\xDF" "e", ""), "M\xFCller \xB6");
    EXPECT_EQ(dirs.read("windows/c.ini"), "[Caf\xE9]\r\nStra\xDF" "e=M\xFCller \xB6\r\n");
}

TEST(IniFile, ManyWritesToAFewHundredLineFileStayConsistent)
{
    ScratchDirs dirs;
    TIniFile ini("big.ini");
    for (int s = 0; s < 10; ++s)
        for (int k = 0; k < 30; ++k)
            ini.WriteInteger("Section" + std::to_string(s), "Key" + std::to_string(k), s * 100 + k);
    for (int s = 0; s < 10; ++s)
        for (int k = 0; k < 30; ++k)
            ASSERT_EQ(ini.ReadInteger("section" + std::to_string(s), "key" + std::to_string(k), -1), s * 100 + k);
    TStringList keys;
    ini.ReadSection("Section9", keys);
    EXPECT_EQ(keys.Count(), 30);
    EXPECT_EQ(keys[29], "Key29");
}

TEST(IniFile, WritersTakingTurnsLoseNoKeys)
{
    ScratchDirs dirs;
    const std::string name = dirs.windowsDir() + "/shared.ini";
    auto writer = [&](const std::string& section) {
        TIniFile ini(name);
        for (int k = 0; k < 40; ++k)
            ini.WriteInteger(section, "Key" + std::to_string(k), k);
    };
    std::thread a(writer, "Mail");
    std::thread b(writer, "MAIN");
    writer("tivra");
    a.join();
    b.join();
    TIniFile ini(name);
    for (const char* section : { "Mail", "MAIN", "tivra" }) {
        TStringList keys;
        ini.ReadSection(section, keys);
        EXPECT_EQ(keys.Count(), 40) << section;
    }
}

TEST(IniFile, SeveralValuesReadAsSingleReadsWouldGiveThem)
{
    ScratchDirs dirs;
    dirs.write("windows/m.ini", "[General]\nFirstName= \"Ada\" \nfirstname=second\n[HOME]\nPhone=555\n");
    const TIniFile ini("m.ini");
    const auto values = ini.ReadValues({ { "general", "FIRSTNAME" }, { "Home", "phone" }, { "Home", "Fax" },
        { "Nowhere", "Phone" } });
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0], std::optional<std::string>("Ada"));
    EXPECT_EQ(values[1], std::optional<std::string>("555"));
    EXPECT_FALSE(values[2].has_value());
    EXPECT_FALSE(values[3].has_value());
}

TEST(IniFile, TextBuiltInMemoryIsWhatTheSameWritesGiveAFile)
{
    ScratchDirs dirs;
    TIniFile file("m.ini");
    TIniText text;
    const auto both = [&](auto write) {
        write(file);
        write(text);
    };
    both([](auto& ini) { ini.WriteString("General", "FirstName", " Ada "); });
    both([](auto& ini) { ini.WriteString("General", "Note", "two\r\nlines"); });
    both([](auto& ini) { ini.WriteString("Mail Accounts", "0", "old@x"); });
    both([](auto& ini) { ini.WriteString("Home", "Phone", ""); });
    both([](auto& ini) { ini.WriteString("general", "firstname", "Bea"); });
    both([](auto& ini) { ini.EraseSection("mail accounts"); });
    both([](auto& ini) { ini.EraseSection("absent"); });
    both([](auto& ini) { ini.WriteString("Mail Accounts", "0", "new@x"); });
    EXPECT_EQ(text.Bytes(), dirs.read("windows/m.ini"));
    EXPECT_EQ(text.Bytes(), "[General]\r\nFirstName=Bea\r\nNote=two  lines\r\n\r\n[Home]\r\nPhone=\r\n\r\n"
                            "[Mail Accounts]\r\n0=new@x\r\n");

    // A whole section at once is what erasing it and writing its keys one by one gives.
    file.EraseSection("home");
    file.WriteString("Home", "0", "a");
    file.WriteString("Home", "1", "b\r\nc");
    text.WriteSection("Home", { { "0", "a" }, { "1", "b\r\nc" } });
    EXPECT_EQ(text.Bytes(), dirs.read("windows/m.ini"));
    text.WriteSection("Home", {});
    EXPECT_EQ(text.Bytes().find("[Home]"), std::string::npos);

    // A rewrite keeps what it does not touch and writes the file once.
    dirs.write("windows/n.ini", "; kept\n[A]\nx=1\n");
    TIniFile("n.ini").Rewrite([](TIniText& ini) {
        ini.WriteString("A", "y", "2");
        ini.WriteSection("B", { { "0", "z" } });
    });
    EXPECT_EQ(dirs.read("windows/n.ini"), "; kept\r\n[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\n0=z\r\n");
}

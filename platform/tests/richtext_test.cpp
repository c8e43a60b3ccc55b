#include "platform/ui/richtext.h"

#include "platform/rtl/codepage.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <string>

namespace {

// The look of one character as a reader of the window sees it.
struct Look {
    bool bold;
    bool italic;
    bool underline;
    double points;
    QColor color;
};

Look LookAt(const QTextDocument& document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(position + 1);
    const QTextCharFormat format = cursor.charFormat();
    return { format.fontWeight() >= QFont::DemiBold, format.fontItalic(), format.fontUnderline(), format.fontPointSize(),
             format.foreground().style() == Qt::NoBrush ? QColor() : format.foreground().color() };
}

QString Text(const QTextDocument& document) { return document.toPlainText(); }

const std::string kJoined = richtext::Header()
    + "\\deflang1033\\pard\\plain\\f2\\fs20\\cf0\\b    Bob \\plain\\f2\\fs20\\cf0 has joined this conference\\par }}";

TEST(RichText, JoinedNoticeShowsTheNameInBoldAtTenPoints)
{
    QTextDocument document;
    ASSERT_TRUE(richtext::Load(document, kJoined));
    EXPECT_EQ(Text(document), "   Bob has joined this conference\n");
    const Look name = LookAt(document, 3);
    EXPECT_TRUE(name.bold);
    EXPECT_DOUBLE_EQ(name.points, 10);
    EXPECT_EQ(name.color, QColor(0, 0, 0));
    EXPECT_FALSE(LookAt(document, 10).bold);
}

TEST(RichText, EscapedTextReadsBackAsWrittenWithoutItsControlBytes)
{
    const std::string name = "{Zo" + Ansi("ë") + "}\\\x01\t" + "x";
    const std::string escaped = richtext::Escape(name);
    for (char c : escaped) {
        const auto byte = static_cast<unsigned char>(c);
        ASSERT_TRUE(byte >= 0x20 && byte < 0x80) << "no raw control or high byte goes out";
    }
    QTextDocument document;
    ASSERT_TRUE(richtext::Load(document, richtext::Header() + "\\pard " + escaped + "\\par }"));
    EXPECT_EQ(Text(document), QString::fromUtf8("{Zoë}\\x\n"));
}

TEST(RichText, RefusalNoticeUsesElevenPointsAndTheWindowsOwnColour)
{
    QTextDocument document;
    const std::string refusal = richtext::Header()
        + "\\deflang1033\\pard\\plain\\f2\\fs22\\cf1\\b ***Sorry amy \\plain\\f2\\fs22\\cf1 is unavailable to chat at this time.\\par }";
    ASSERT_TRUE(richtext::Load(document, refusal));
    EXPECT_EQ(Text(document), "***Sorry amy is unavailable to chat at this time.\n");
    const Look look = LookAt(document, 0);
    EXPECT_TRUE(look.bold);
    EXPECT_DOUBLE_EQ(look.points, 11);
    // Colour 1 is not in the one-colour table: the text keeps the window's colour.
    EXPECT_FALSE(look.color.isValid());
}

TEST(RichText, SpeakerLineShowsSpeakerBoldAndTheTextAsWritten)
{
    QTextDocument document;
    const std::string line = richtext::Header()
        + "\\deflang1033\\pard\\plain\\f2\\fs20\\b\\cf0 amy: \\plain \\f2 \\fs24 \\cf0 \\i hello\\par }";
    ASSERT_TRUE(richtext::Load(document, line));
    EXPECT_EQ(Text(document), "amy: hello\n");
    EXPECT_TRUE(LookAt(document, 0).bold);
    const Look text = LookAt(document, 5);
    EXPECT_FALSE(text.bold);
    EXPECT_TRUE(text.italic);
    EXPECT_DOUBLE_EQ(text.points, 12);
}

QTextDocument* Formatted()
{
    auto* document = new QTextDocument;
    QTextCursor cursor(document);
    QTextCharFormat plain;
    plain.setFontPointSize(10);
    cursor.insertText("Plain \"quoted\" {braces} back\\slash ", plain);
    QTextCharFormat bold = plain;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText("bold ", bold);
    QTextCharFormat italic = plain;
    italic.setFontItalic(true);
    italic.setFontPointSize(14);
    cursor.insertText("italic ", italic);
    QTextCharFormat under = plain;
    under.setFontUnderline(true);
    under.setForeground(QColor(200, 10, 30));
    cursor.insertText("under", under);
    cursor.insertBlock(QTextBlockFormat(), plain);
    std::string high;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        high += static_cast<char>(byte);
    QTextCharFormat big = plain;
    big.setFontPointSize(36);
    big.setForeground(QColor(0, 0, 255));
    cursor.insertText(codepage::ToUnicode(high), big);
    return document;
}

TEST(RichText, FormattedDocumentWrittenAndReadBackIsUnchanged)
{
    std::unique_ptr<QTextDocument> original(Formatted());
    const std::string rtf = richtext::Write(*original);
    QTextDocument copy;
    ASSERT_TRUE(richtext::Load(copy, rtf));
    ASSERT_EQ(Text(copy), Text(*original));
    for (int i = 0; i < Text(copy).size(); ++i) {
        if (Text(copy)[i] == u'\u2029' || Text(copy)[i] == u'\n')
            continue;
        const Look was = LookAt(*original, i);
        const Look is = LookAt(copy, i);
        EXPECT_EQ(is.bold, was.bold) << i;
        EXPECT_EQ(is.italic, was.italic) << i;
        EXPECT_EQ(is.underline, was.underline) << i;
        EXPECT_DOUBLE_EQ(is.points, was.points) << i;
        EXPECT_EQ(is.color.isValid() ? is.color : QColor(0, 0, 0), was.color.isValid() ? was.color : QColor(0, 0, 0)) << i;
    }
}

TEST(RichText, WrittenTextHasNoRawHighBytesAndKeepsQuotes)
{
    std::unique_ptr<QTextDocument> original(Formatted());
    const std::string rtf = richtext::Write(*original);
    for (char c : rtf)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    EXPECT_NE(rtf.find("\"quoted\""), std::string::npos);
    EXPECT_NE(rtf.find("\\{braces\\}"), std::string::npos);
    EXPECT_NE(rtf.find("\\'ef"), std::string::npos);
    EXPECT_EQ(rtf.rfind(richtext::Header().substr(0, richtext::Header().size() - 2), 0), 0u);
}

TEST(RichText, WrittenControlWordsSurviveLineEndsBeingStripped)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("one");
    cursor.insertBlock();
    cursor.insertText("two");
    std::string rtf = richtext::Write(document);
    // What a sender does before a line goes on the wire.
    std::erase(rtf, '\r');
    std::erase(rtf, '\n');
    QTextDocument copy;
    ASSERT_TRUE(richtext::Load(copy, rtf));
    EXPECT_EQ(Text(copy), "one\ntwo");
}

TEST(RichText, SelectionIsWrittenAlone)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("before middle after");
    cursor.setPosition(7);
    cursor.setPosition(13, QTextCursor::KeepAnchor);
    QTextDocument copy;
    ASSERT_TRUE(richtext::Load(copy, richtext::WriteSelection(cursor)));
    EXPECT_EQ(Text(copy), "middle");
}

TEST(RichText, InsertReplacesTheSelection)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText("keep XXX keep");
    cursor.setPosition(5);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    ASSERT_TRUE(richtext::Insert(cursor, "{\\rtf1 new}"));
    EXPECT_EQ(Text(document), "keep new keep");
}

void ExpectPlain(const std::string& rtf)
{
    QTextDocument document;
    EXPECT_FALSE(richtext::Load(document, rtf));
    EXPECT_EQ(Text(document), codepage::ToUnicode(rtf.substr(0, richtext::kMaxText)));
}

TEST(RichText, UnbalancedBracesShowAsPlainText) { ExpectPlain("{\\rtf1 {\\b open but never closed"); }

TEST(RichText, DeepNestingShowsAsPlainText)
{
    ExpectPlain("{\\rtf1 " + std::string(10000, '{') + "x" + std::string(10000, '}') + "}");
}

TEST(RichText, TruncatedByteEscapeShowsAsPlainText)
{
    ExpectPlain("{\\rtf1 caf\\'e");
    ExpectPlain("{\\rtf1 caf\\'zz}");
}

TEST(RichText, OverlongWordsAndNumbersShowAsPlainText)
{
    ExpectPlain("{\\rtf1 \\fs99999999999999999 x}");
    ExpectPlain("{\\rtf1 \\" + std::string(100, 'a') + " x}");
}

TEST(RichText, TextThatIsNotRichTextShowsAsIs) { ExpectPlain("just words"); }

TEST(RichText, HugeDocumentIsBoundedAndShownPlain)
{
    const std::string huge = "{\\rtf1 " + std::string(richtext::kMaxText + 10, 'a') + "}";
    QTextDocument document;
    EXPECT_FALSE(richtext::Load(document, huge));
    EXPECT_EQ(Text(document).size(), static_cast<qsizetype>(richtext::kMaxText));
}

TEST(RichText, SkippedDestinationsShowNothing)
{
    QTextDocument document;
    ASSERT_TRUE(richtext::Load(document, "{\\rtf1{\\*\\generator Secret;}{\\stylesheet{style}}{\\info{\\title t}}shown}"));
    EXPECT_EQ(Text(document), "shown");
}

TEST(RichText, UnicodeEscapeSkipsItsFallback)
{
    QTextDocument document;
    ASSERT_TRUE(richtext::Load(document, "{\\rtf1 a\\u8364?b\\uc2\\u-3913\\'3f\\'3fc}"));
    EXPECT_EQ(Text(document), QString::fromUtf16(u"a\u20ACb\uF0B7c"));
}

TEST(RichText, ColourOutsideTheTableIsIgnored)
{
    QTextDocument document;
    ASSERT_TRUE(richtext::Load(document, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 red\\cf9 plain}"));
    EXPECT_EQ(LookAt(document, 0).color, QColor(255, 0, 0));
    EXPECT_FALSE(LookAt(document, 4).color.isValid());
}

}  // namespace

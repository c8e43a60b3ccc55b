#include "client/features/transcriptcap.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

void TrimTranscript(QTextDocument& transcript, int blocksPerLine)
{
    const int maxBlocks = static_cast<int>(kMaxTranscriptLines) * blocksPerLine;
    const int blocks = transcript.blockCount();
    const int characters = transcript.characterCount();
    if (blocks <= maxBlocks && characters <= kMaxTranscriptCharacters)
        return;
    const int keepBlocks = maxBlocks - maxBlocks / 10;
    const int keepCharacters = kMaxTranscriptCharacters - kMaxTranscriptCharacters / 10;
    // The first block from which on no more than that is kept; the last block always stays.
    QTextBlock first = transcript.findBlockByNumber(std::max(0, blocks - keepBlocks));
    while (first.isValid() && first.next().isValid() && characters - first.position() > keepCharacters)
        first = first.next();
    if (!first.isValid() || first.position() == 0)
        return;
    QTextCursor cursor(&transcript);
    cursor.setPosition(first.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

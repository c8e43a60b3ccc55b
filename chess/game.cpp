#include "chess/game.h"

#include <cctype>

namespace chess {

void ChessGame::NewGame()
{
    m_state = ChessState();
    m_currentMove = 1;
    m_threefold = false;
    m_recorded.reset();
}

std::optional<ChessGame::HistoryEntry> ChessGame::History(int fullMove, bool white) const
{
    if (fullMove < 1 || fullMove > kMaxFullMoves || !m_recorded[static_cast<std::size_t>(slotOf(fullMove, white))])
        return std::nullopt;
    return m_history[static_cast<std::size_t>(slotOf(fullMove, white))];
}

void ChessGame::record(int from, int to)
{
    // Past the last slot the game goes on unrecorded.
    if (m_currentMove > kMaxFullMoves)
        return;
    const auto slot = static_cast<std::size_t>(slotOf(m_currentMove, m_state.WhiteToMove()));
    m_history[slot] = HistoryEntry { m_state.Placement(), m_state.Castling(), m_state.EnPassant(), from, to };
    m_recorded[slot] = true;
}

bool ChessGame::IsLegalMove(int from, int to) const
{
    if (m_threefold)
        return false;
    return m_state.FindLegal(from, to, m_promotion).has_value();
}

std::optional<ChessGame::Outcome> ChessGame::MakeMove(int from, int to, const Hooks& hooks)
{
    if (!IsLegalMove(from, to))
        return std::nullopt;
    const ChessState before = m_state;
    const char piece = before.At(from);
    Outcome outcome;
    outcome.captured = before.At(to);

    record(from, to);
    if (!before.WhiteToMove())
        ++m_currentMove;

    // Handlers see the piece on its new square before promotion, en passant and the rook's move.
    std::string shown = before.Placement();
    shown[static_cast<std::size_t>(to - 1)] = piece;
    shown[static_cast<std::size_t>(from - 1)] = ' ';
    m_state.SetPlacement(shown);
    m_state.SetWhiteToMove(!before.WhiteToMove());
    if (hooks.moved)
        hooks.moved(outcome.captured);

    const bool promotes = (piece == 'P' && RankOf(to) == 8) || (piece == 'p' && RankOf(to) == 1);
    if (promotes && hooks.promotion) {
        char letter = m_promotion;
        hooks.promotion(letter);
        m_promotion = letter;
    }
    const auto move = before.FindLegal(from, to, m_promotion);
    m_state = before;
    m_state.Play(*move);

    outcome.givesCheck = m_state.InCheck();
    outcome.opponentHasMove = m_state.HasLegalMove();
    int pieces = 0;
    bool whiteKing = false;
    bool blackKing = false;
    for (int square = 1; square <= 64; ++square) {
        const char c = m_state.At(square);
        if (c == ' ')
            continue;
        ++pieces;
        whiteKing |= c == 'K';
        blackKing |= c == 'k';
    }
    outcome.onlyTwoKingsLeft = pieces == 2 && whiteKing && blackKing;

    record(0, 0);
    if (m_currentMove <= kMaxFullMoves) {
        const int slot = slotOf(m_currentMove, m_state.WhiteToMove());
        const std::string now = m_state.Placement();
        int seen = 0;
        for (int earlier = 0; earlier < slot; ++earlier)
            if (m_recorded[static_cast<std::size_t>(earlier)] && m_history[static_cast<std::size_t>(earlier)].placement == now)
                ++seen;
        if (seen >= 2) {
            m_threefold = true;
            outcome.threefold = true;
        }
    }
    return outcome;
}

}  // namespace chess

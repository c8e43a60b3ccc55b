#pragma once

#include "chess/rules.h"

#include <array>
#include <bitset>
#include <functional>
#include <optional>
#include <string>

namespace chess {

// A game on one board: the position, the full-move number, the promotion
// piece and the history of positions that repetition is judged by.
class ChessGame {
public:
    static constexpr int kMaxFullMoves = 256;

    struct HistoryEntry {
        std::string placement;
        TCastlingSet castling { 0 };
        int enPassant { 0 };
        int from { 0 };
        int to { 0 };
    };

    // What happened, for the board's events.
    struct Outcome {
        char captured { ' ' };
        bool givesCheck { false };
        bool opponentHasMove { true };
        bool onlyTwoKingsLeft { false };
        bool threefold { false };
    };

    // Called while a move is made: once the piece stands on its new square, and
    // with the promotion letter when a pawn reached the last rank.
    struct Hooks {
        std::function<void(char captured)> moved;
        std::function<void(char& letter)> promotion;
    };

    ChessGame() { NewGame(); }

    void NewGame();

    const ChessState& State() const { return m_state; }
    std::string Placement() const { return m_state.Placement(); }
    // Only the squares change; the rest of the game is kept.
    void SetPlacement(const std::string& text) { m_state.SetPlacement(text); }
    void SetWhiteToMove(bool white) { m_state.SetWhiteToMove(white); }
    void SetCastling(TCastlingSet rights) { m_state.SetCastling(rights); }
    void SetEnPassant(int square) { m_state.SetEnPassant(square); }

    int CurrentMove() const { return m_currentMove; }
    bool ThreefoldReached() const { return m_threefold; }
    char PromotionLetter() const { return m_promotion; }

    // The slot of a full move (1..256) and side, when recorded.
    std::optional<HistoryEntry> History(int fullMove, bool white) const;

    bool IsLegalMove(int from, int to) const;
    // Plays the move when legal; nullopt, changing nothing, otherwise.
    std::optional<Outcome> MakeMove(int from, int to, const Hooks& hooks = {});

private:
    static int slotOf(int fullMove, bool white) { return (fullMove - 1) * 2 + (white ? 0 : 1); }
    void record(int from, int to);

    ChessState m_state;
    int m_currentMove { 1 };
    char m_promotion { 'q' };
    bool m_threefold { false };
    std::array<HistoryEntry, kMaxFullMoves * 2> m_history;
    std::bitset<kMaxFullMoves * 2> m_recorded;
};

}  // namespace chess

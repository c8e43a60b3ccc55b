#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The rules of chess over a 64-square board, without any window, so the board
// control, the tests and the benchmark all play by the same code.
//
// Squares are 1..64 row by row from the top-left with White at the bottom
// (1 = a8, 8 = h8, 57 = a1, 64 = h1); 0 means no square. Pieces are the letters
// "PNBRQK" for White and "pnbrqk" for Black; a blank is an empty square.
namespace chess {

enum TCastlingRight : unsigned { WhiteKingSide = 1, WhiteQueenSide = 2, BlackKingSide = 4, BlackQueenSide = 8 };
using TCastlingSet = unsigned;
inline constexpr TCastlingSet kAllCastling = WhiteKingSide | WhiteQueenSide | BlackKingSide | BlackQueenSide;

inline constexpr int FileOf(int square) { return (square - 1) % 8 + 1; }
inline constexpr int RankOf(int square) { return 8 - (square - 1) / 8; }
// 0 when file or rank is off the board.
inline constexpr int SquareAt(int file, int rank)
{
    return file < 1 || file > 8 || rank < 1 || rank > 8 ? 0 : (8 - rank) * 8 + file;
}

inline constexpr bool IsWhitePiece(char c) { return c == 'P' || c == 'N' || c == 'B' || c == 'R' || c == 'Q' || c == 'K'; }
inline constexpr bool IsBlackPiece(char c) { return c == 'p' || c == 'n' || c == 'b' || c == 'r' || c == 'q' || c == 'k'; }
inline constexpr bool IsPiece(char c) { return IsWhitePiece(c) || IsBlackPiece(c); }

extern const char* const kStartPosition;

struct Move {
    std::uint8_t from { 0 };
    std::uint8_t to { 0 };
    // Lower-case piece letter a pawn becomes on the last rank, else 0.
    char promotion { 0 };
};

// Room for every legal move of any position that can arise.
struct MoveList {
    std::array<Move, 256> moves;
    int count { 0 };
    void Add(int from, int to, char promotion = 0)
    {
        if (count < static_cast<int>(moves.size()))
            moves[count++] = Move { static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to), promotion };
    }
    const Move* begin() const { return moves.data(); }
    const Move* end() const { return moves.data() + count; }
};

// One position with everything the rules need: placement, side to move,
// castling rights and the en-passant square. Plain data, cheap to copy.
class ChessState {
public:
    ChessState();

    // The 64-character placement; anything but the twelve letters is a blank,
    // a shorter text is padded, a longer one cut.
    std::string Placement() const { return std::string(m_board.data(), 64); }
    void SetPlacement(const std::string& text);
    char At(int square) const { return square >= 1 && square <= 64 ? m_board[square - 1] : ' '; }

    bool WhiteToMove() const { return m_whiteToMove; }
    void SetWhiteToMove(bool white) { m_whiteToMove = white; }
    TCastlingSet Castling() const { return m_castling; }
    void SetCastling(TCastlingSet rights) { m_castling = rights & kAllCastling; }
    int EnPassant() const { return m_enPassant; }
    void SetEnPassant(int square) { m_enPassant = square; }

    // Whether a piece of that colour attacks the square.
    bool Attacked(int square, bool byWhite) const;
    // The side to move's king is attacked (a side without a king counts as attacked).
    bool InCheck() const;
    bool KingAttacked(bool white) const;

    // Every legal move of the side to move; a promotion gives four moves.
    void LegalMoves(MoveList& list) const;
    bool HasLegalMove() const;
    // The legal move from -> to, promoting to `promotion` when a pawn reaches the last rank.
    std::optional<Move> FindLegal(int from, int to, char promotion = 'q') const;
    // Plays a move assumed legal; returns the letter that stood on the target square.
    char Play(const Move& move);

    // "<placement> <w|b> <KQkq|-> <square|->" plus optional counters; nullopt when malformed.
    static std::optional<ChessState> FromFen(const std::string& fen);

private:
    void pseudoMoves(MoveList& list) const;
    bool legalAfter(const Move& move, bool inCheck) const;
    int kingSquare(bool white) const;
    void findKings();

    std::array<char, 64> m_board;
    bool m_whiteToMove { true };
    TCastlingSet m_castling { kAllCastling };
    int m_enPassant { 0 };
    // First square holding each king, 0 when none.
    int m_king[2] { 0, 0 };
    // At most one king a side, so a king's move need not look for another.
    bool m_singleKings { true };
};

// Leaf count of the legal move tree below the position.
std::uint64_t Perft(const ChessState& state, int depth);

}  // namespace chess

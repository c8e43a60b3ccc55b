#include "chess/rules.h"

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace chess {

const char* const kStartPosition = "rnbqkbnrpppppppp                                PPPPPPPPRNBQKBNR";

namespace {

// Indexes below are 0..63 (square - 1): row 0 is rank 8, column 0 is file a.
struct Tables {
    std::array<std::array<std::int8_t, 9>, 64> knight {};
    std::array<std::array<std::int8_t, 9>, 64> king {};

    Tables()
    {
        static const int kKnight[8][2] = { { 1, 2 }, { 2, 1 }, { -1, 2 }, { -2, 1 }, { 1, -2 }, { 2, -1 }, { -1, -2 }, { -2, -1 } };
        static const int kKing[8][2] = { { 1, 0 }, { -1, 0 }, { 0, 1 }, { 0, -1 }, { 1, 1 }, { 1, -1 }, { -1, 1 }, { -1, -1 } };
        for (int i = 0; i < 64; ++i) {
            fill(knight[i], i, kKnight);
            fill(king[i], i, kKing);
        }
    }

    static void fill(std::array<std::int8_t, 9>& out, int i, const int (&steps)[8][2])
    {
        int n = 0;
        for (const auto& s : steps) {
            const int r = i / 8 + s[0];
            const int c = i % 8 + s[1];
            if (r >= 0 && r < 8 && c >= 0 && c < 8)
                out[n++] = static_cast<std::int8_t>(r * 8 + c);
        }
        out[n] = -1;
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

const int kDiagonals[4][2] = { { 1, 1 }, { 1, -1 }, { -1, 1 }, { -1, -1 } };
const int kLines[4][2] = { { 1, 0 }, { -1, 0 }, { 0, 1 }, { 0, -1 } };

// Colour of each byte: 1 White's piece, 2 Black's, 0 anything else.
struct ColourTable {
    std::array<std::uint8_t, 256> colour {};
    ColourTable()
    {
        for (char c : std::string("PNBRQK"))
            colour[static_cast<unsigned char>(c)] = 1;
        for (char c : std::string("pnbrqk"))
            colour[static_cast<unsigned char>(c)] = 2;
    }
};

const ColourTable kColours;

inline bool own(char c, bool white) { return kColours.colour[static_cast<unsigned char>(c)] == (white ? 1 : 2); }
inline char colored(char lower, bool white) { return white ? static_cast<char>(std::toupper(lower)) : lower; }

constexpr int kE1 = 60, kF1 = 61, kG1 = 62, kH1 = 63, kA1 = 56, kB1 = 57, kC1 = 58, kD1 = 59;
constexpr int kE8 = 4, kF8 = 5, kG8 = 6, kH8 = 7, kA8 = 0, kB8 = 1, kC8 = 2, kD8 = 3;

// The right that a move starting or ending on this index takes away.
TCastlingSet rightsTouched(int i)
{
    switch (i) {
    case kA8: return BlackQueenSide;
    case kE8: return BlackKingSide | BlackQueenSide;
    case kH8: return BlackKingSide;
    case kA1: return WhiteQueenSide;
    case kE1: return WhiteKingSide | WhiteQueenSide;
    case kH1: return WhiteKingSide;
    default: return 0;
    }
}

}  // namespace

ChessState::ChessState()
{
    SetPlacement(kStartPosition);
}

void ChessState::SetPlacement(const std::string& text)
{
    for (int i = 0; i < 64; ++i) {
        const char c = i < static_cast<int>(text.size()) ? text[static_cast<std::size_t>(i)] : ' ';
        m_board[i] = IsPiece(c) ? c : ' ';
    }
    findKings();
}

void ChessState::findKings()
{
    m_king[0] = m_king[1] = 0;
    int kings = 0;
    for (int i = 63; i >= 0; --i) {
        if (m_board[i] == 'K')
            m_king[0] = i + 1;
        else if (m_board[i] == 'k')
            m_king[1] = i + 1;
        else
            continue;
        ++kings;
    }
    m_singleKings = kings <= 2 && (m_king[0] != 0) + (m_king[1] != 0) == kings;
}

int ChessState::kingSquare(bool white) const { return m_king[white ? 0 : 1]; }

bool ChessState::Attacked(int square, bool byWhite) const
{
    const int i = square - 1;
    const int r = i / 8;
    const int c = i % 8;
    const auto& b = m_board;
    // A white pawn attacks towards row 0, so it stands one row below the square.
    const int pawnRow = byWhite ? r + 1 : r - 1;
    const char pawn = byWhite ? 'P' : 'p';
    if (pawnRow >= 0 && pawnRow < 8) {
        if (c > 0 && b[pawnRow * 8 + c - 1] == pawn)
            return true;
        if (c < 7 && b[pawnRow * 8 + c + 1] == pawn)
            return true;
    }
    const Tables& t = tables();
    const char knight = byWhite ? 'N' : 'n';
    for (const std::int8_t* p = t.knight[i].data(); *p >= 0; ++p)
        if (b[*p] == knight)
            return true;
    const char king = byWhite ? 'K' : 'k';
    for (const std::int8_t* p = t.king[i].data(); *p >= 0; ++p)
        if (b[*p] == king)
            return true;
    const char bishop = byWhite ? 'B' : 'b';
    const char rook = byWhite ? 'R' : 'r';
    const char queen = byWhite ? 'Q' : 'q';
    for (const auto& d : kDiagonals) {
        for (int rr = r + d[0], cc = c + d[1]; rr >= 0 && rr < 8 && cc >= 0 && cc < 8; rr += d[0], cc += d[1]) {
            const char x = b[rr * 8 + cc];
            if (x == ' ')
                continue;
            if (x == bishop || x == queen)
                return true;
            break;
        }
    }
    for (const auto& d : kLines) {
        for (int rr = r + d[0], cc = c + d[1]; rr >= 0 && rr < 8 && cc >= 0 && cc < 8; rr += d[0], cc += d[1]) {
            const char x = b[rr * 8 + cc];
            if (x == ' ')
                continue;
            if (x == rook || x == queen)
                return true;
            break;
        }
    }
    return false;
}

bool ChessState::KingAttacked(bool white) const
{
    const int k = kingSquare(white);
    return k == 0 || Attacked(k, !white);
}

bool ChessState::InCheck() const { return KingAttacked(m_whiteToMove); }

void ChessState::pseudoMoves(MoveList& list) const
{
    const bool white = m_whiteToMove;
    const auto& b = m_board;
    const Tables& t = tables();
    for (int i = 0; i < 64; ++i) {
        const char piece = b[i];
        if (!own(piece, white))
            continue;
        const int r = i / 8;
        const int c = i % 8;
        const auto addTarget = [&](int j) {
            if (!own(b[j], white))
                list.Add(i + 1, j + 1);
        };
        const auto slide = [&](const int (&dirs)[4][2]) {
            for (const auto& d : dirs) {
                for (int rr = r + d[0], cc = c + d[1]; rr >= 0 && rr < 8 && cc >= 0 && cc < 8; rr += d[0], cc += d[1]) {
                    const char x = b[rr * 8 + cc];
                    if (!own(x, white))
                        list.Add(i + 1, rr * 8 + cc + 1);
                    if (x != ' ')
                        break;
                }
            }
        };
        // Piece letters differ from their lower case only in bit 0x20.
        switch (piece | 0x20) {
        case 'p': {
            const int dir = white ? -1 : 1;
            const int next = r + dir;
            if (next < 0 || next > 7)
                break;
            const bool promotes = next == (white ? 0 : 7);
            const auto addPawn = [&](int j) {
                if (promotes) {
                    for (char p : { 'q', 'r', 'b', 'n' })
                        list.Add(i + 1, j + 1, p);
                } else {
                    list.Add(i + 1, j + 1);
                }
            };
            const int ahead = next * 8 + c;
            if (b[ahead] == ' ') {
                addPawn(ahead);
                if (r == (white ? 6 : 1) && b[ahead + dir * 8] == ' ')
                    list.Add(i + 1, ahead + dir * 8 + 1);
            }
            // En passant only onto the row a double step passes, beside the pawn that made it.
            const int epRow = white ? 2 : 5;
            for (int dc : { -1, 1 }) {
                const int cc = c + dc;
                if (cc < 0 || cc > 7)
                    continue;
                const int j = next * 8 + cc;
                if (own(b[j], !white))
                    addPawn(j);
                else if (b[j] == ' ' && j + 1 == m_enPassant && next == epRow && b[r * 8 + cc] == (white ? 'p' : 'P'))
                    list.Add(i + 1, j + 1);
            }
            break;
        }
        case 'n':
            for (const std::int8_t* p = t.knight[i].data(); *p >= 0; ++p)
                addTarget(*p);
            break;
        case 'b': slide(kDiagonals); break;
        case 'r': slide(kLines); break;
        case 'q':
            slide(kDiagonals);
            slide(kLines);
            break;
        case 'k': {
            for (const std::int8_t* p = t.king[i].data(); *p >= 0; ++p)
                addTarget(*p);
            const bool enemy = !white;
            if (white && i == kE1 && piece == 'K') {
                if ((m_castling & WhiteKingSide) && b[kH1] == 'R' && b[kF1] == ' ' && b[kG1] == ' '
                    && !Attacked(kE1 + 1, enemy) && !Attacked(kF1 + 1, enemy) && !Attacked(kG1 + 1, enemy))
                    list.Add(kE1 + 1, kG1 + 1);
                if ((m_castling & WhiteQueenSide) && b[kA1] == 'R' && b[kB1] == ' ' && b[kC1] == ' ' && b[kD1] == ' '
                    && !Attacked(kE1 + 1, enemy) && !Attacked(kD1 + 1, enemy) && !Attacked(kC1 + 1, enemy))
                    list.Add(kE1 + 1, kC1 + 1);
            } else if (!white && i == kE8 && piece == 'k') {
                if ((m_castling & BlackKingSide) && b[kH8] == 'r' && b[kF8] == ' ' && b[kG8] == ' '
                    && !Attacked(kE8 + 1, enemy) && !Attacked(kF8 + 1, enemy) && !Attacked(kG8 + 1, enemy))
                    list.Add(kE8 + 1, kG8 + 1);
                if ((m_castling & BlackQueenSide) && b[kA8] == 'r' && b[kB8] == ' ' && b[kC8] == ' ' && b[kD8] == ' '
                    && !Attacked(kE8 + 1, enemy) && !Attacked(kD8 + 1, enemy) && !Attacked(kC8 + 1, enemy))
                    list.Add(kE8 + 1, kC8 + 1);
            }
            break;
        }
        default: break;
        }
    }
}

bool ChessState::legalAfter(const Move& move, bool inCheck) const
{
    const int k = kingSquare(m_whiteToMove);
    if (k == 0)
        return false;
    const char piece = m_board[move.from - 1];
    const bool kingMove = piece == 'K' || piece == 'k';
    const bool enPassant = (piece == 'P' || piece == 'p') && move.to == m_enPassant;
    if (!inCheck && !kingMove && !enPassant) {
        // A piece off every line through its king cannot uncover an attack on it.
        const int dr = (move.from - 1) / 8 - (k - 1) / 8;
        const int dc = (move.from - 1) % 8 - (k - 1) % 8;
        if (dr != 0 && dc != 0 && dr != dc && dr != -dc)
            return true;
    }
    ChessState after = *this;
    after.Play(move);
    return !after.KingAttacked(m_whiteToMove);
}

void ChessState::LegalMoves(MoveList& list) const
{
    MoveList pseudo;
    pseudoMoves(pseudo);
    const bool check = InCheck();
    list.count = 0;
    for (const Move& m : pseudo)
        if (legalAfter(m, check))
            list.Add(m.from, m.to, m.promotion);
}

bool ChessState::HasLegalMove() const
{
    MoveList pseudo;
    pseudoMoves(pseudo);
    const bool check = InCheck();
    for (const Move& m : pseudo)
        if (legalAfter(m, check))
            return true;
    return false;
}

std::optional<Move> ChessState::FindLegal(int from, int to, char promotion) const
{
    if (from < 1 || from > 64 || to < 1 || to > 64)
        return std::nullopt;
    const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(promotion)));
    const char letter = wanted == 'r' || wanted == 'b' || wanted == 'n' ? wanted : 'q';
    MoveList list;
    LegalMoves(list);
    for (const Move& m : list)
        if (m.from == from && m.to == to && (m.promotion == 0 || m.promotion == letter))
            return m;
    return std::nullopt;
}

char ChessState::Play(const Move& move)
{
    const int from = move.from - 1;
    const int to = move.to - 1;
    const char piece = m_board[from];
    const char captured = m_board[to];
    const bool white = IsWhitePiece(piece);
    m_board[to] = piece;
    m_board[from] = ' ';

    const int previousEnPassant = m_enPassant;
    m_enPassant = 0;
    if (piece == 'P' || piece == 'p') {
        if (move.to == previousEnPassant && from % 8 != to % 8 && captured == ' ')
            m_board[white ? to + 8 : to - 8] = ' ';
        else if (to / 8 == (white ? 0 : 7))
            m_board[to] = colored(move.promotion ? move.promotion : 'q', white);
        else if (from / 8 - to / 8 == (white ? 2 : -2))
            m_enPassant = (from + to) / 2 + 1;
    } else if (piece == 'K' && from == kE1) {
        if (to == kG1) {
            m_board[kF1] = m_board[kH1];
            m_board[kH1] = ' ';
        } else if (to == kC1) {
            m_board[kD1] = m_board[kA1];
            m_board[kA1] = ' ';
        }
    } else if (piece == 'k' && from == kE8) {
        if (to == kG8) {
            m_board[kF8] = m_board[kH8];
            m_board[kH8] = ' ';
        } else if (to == kC8) {
            m_board[kD8] = m_board[kA8];
            m_board[kA8] = ' ';
        }
    }
    // A rook taken on its corner takes the right with it.
    m_castling &= ~(rightsTouched(from) | rightsTouched(to));
    int& king = m_king[white ? 0 : 1];
    if (captured == 'K' || captured == 'k')
        findKings();
    else if ((piece == 'K' || piece == 'k') && king == from + 1 && m_singleKings)
        king = to + 1;
    else if (piece == 'K' || piece == 'k')
        findKings();
    m_whiteToMove = !m_whiteToMove;
    return captured;
}

std::optional<ChessState> ChessState::FromFen(const std::string& fen)
{
    std::istringstream in(fen);
    std::string placement, side, rights, ep;
    if (!(in >> placement >> side))
        return std::nullopt;
    in >> rights >> ep;
    std::string board;
    int rows = 1;
    for (char c : placement) {
        if (c == '/') {
            if (board.size() != static_cast<std::size_t>(rows) * 8)
                return std::nullopt;
            ++rows;
        } else if (c >= '1' && c <= '8') {
            board.append(static_cast<std::size_t>(c - '0'), ' ');
        } else if (IsPiece(c)) {
            board += c;
        } else {
            return std::nullopt;
        }
        if (board.size() > 64)
            return std::nullopt;
    }
    if (board.size() != 64 || rows != 8 || (side != "w" && side != "b"))
        return std::nullopt;
    ChessState state;
    state.SetPlacement(board);
    state.m_whiteToMove = side == "w";
    state.m_castling = 0;
    for (char c : rights) {
        switch (c) {
        case 'K': state.m_castling |= WhiteKingSide; break;
        case 'Q': state.m_castling |= WhiteQueenSide; break;
        case 'k': state.m_castling |= BlackKingSide; break;
        case 'q': state.m_castling |= BlackQueenSide; break;
        case '-': break;
        default: return std::nullopt;
        }
    }
    if (!ep.empty() && ep != "-") {
        if (ep.size() != 2)
            return std::nullopt;
        const int square = SquareAt(ep[0] - 'a' + 1, ep[1] - '0');
        if (square == 0)
            return std::nullopt;
        state.m_enPassant = square;
    }
    return state;
}

std::uint64_t Perft(const ChessState& state, int depth)
{
    if (depth <= 0)
        return 1;
    MoveList list;
    state.LegalMoves(list);
    if (depth == 1)
        return static_cast<std::uint64_t>(list.count);
    std::uint64_t nodes = 0;
    for (const Move& m : list) {
        ChessState next = state;
        next.Play(m);
        nodes += Perft(next, depth - 1);
    }
    return nodes;
}

}  // namespace chess

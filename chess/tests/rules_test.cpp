#include "chess/rules.h"
#include "chess/tests/squarename.h"

#include <gtest/gtest.h>

using namespace chess;

namespace {

const char* const kKiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";

ChessState Fen(const std::string& fen)
{
    auto state = ChessState::FromFen(fen);
    EXPECT_TRUE(state.has_value()) << fen;
    return state.value_or(ChessState());
}

bool Legal(const ChessState& state, const char* from, const char* to)
{
    return state.FindLegal(Sq(from), Sq(to)).has_value();
}

}  // namespace

TEST(ChessRules, SquaresNumberRowByRowFromA8)
{
    EXPECT_EQ(Sq("a8"), 1);
    EXPECT_EQ(Sq("h8"), 8);
    EXPECT_EQ(Sq("a1"), 57);
    EXPECT_EQ(Sq("h1"), 64);
    EXPECT_EQ(SquareAt(0, 4), 0);
    EXPECT_EQ(FileOf(64), 8);
    EXPECT_EQ(RankOf(64), 1);
}

TEST(ChessRules, PerftOfTheStartPositionMatchesPublishedCounts)
{
    const ChessState start;
    EXPECT_EQ(Perft(start, 1), 20u);
    EXPECT_EQ(Perft(start, 2), 400u);
    EXPECT_EQ(Perft(start, 3), 8902u);
    EXPECT_EQ(Perft(start, 4), 197281u);
    EXPECT_EQ(Perft(start, 5), 4865609u);
}

TEST(ChessRules, PerftOfACastlingAndPromotionRichPositionMatchesPublishedCounts)
{
    const ChessState state = Fen(kKiwipete);
    EXPECT_EQ(Perft(state, 1), 48u);
    EXPECT_EQ(Perft(state, 2), 2039u);
    EXPECT_EQ(Perft(state, 3), 97862u);
}

TEST(ChessRules, PerftOfEnPassantPinsMatchesPublishedCounts)
{
    // Published position 3: en passant along the king's rank is a trap.
    const ChessState state = Fen("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -");
    EXPECT_EQ(Perft(state, 1), 14u);
    EXPECT_EQ(Perft(state, 2), 191u);
    EXPECT_EQ(Perft(state, 3), 2812u);
    EXPECT_EQ(Perft(state, 4), 43238u);
}

TEST(ChessRules, EnPassantThatExposesTheKingIsRefused)
{
    // Black's pawn just came d7-d5; taking it would open the fifth rank to the rook.
    const ChessState state = Fen("8/8/8/K2pP2r/8/8/8/7k w - d6");
    EXPECT_FALSE(Legal(state, "e5", "d6"));
    EXPECT_TRUE(Legal(state, "e5", "e6"));
}

TEST(ChessRules, EnPassantThatEndsACheckIsAllowed)
{
    // The pawn that just moved gives check; taking it en passant is the answer.
    const ChessState state = Fen("8/8/8/3pP3/4K3/8/8/7k w - d6");
    ASSERT_TRUE(state.InCheck());
    EXPECT_TRUE(Legal(state, "e5", "d6"));
    ChessState after = state;
    after.Play(*state.FindLegal(Sq("e5"), Sq("d6")));
    EXPECT_EQ(after.At(Sq("d5")), ' ') << "the captured pawn leaves the board";
    EXPECT_EQ(after.At(Sq("d6")), 'P');
}

TEST(ChessRules, ARookTakenOnItsCornerTakesTheCastlingRight)
{
    ChessState state = Fen("4k3/8/8/8/8/8/6b1/R3K1RR b KQ -");
    state.Play(*state.FindLegal(Sq("g2"), Sq("h1")));
    EXPECT_EQ(state.Castling() & WhiteKingSide, 0u);
    // Another rook reaching h1 does not bring the right back.
    state.Play(*state.FindLegal(Sq("g1"), Sq("h1")));
    state.Play(*state.FindLegal(Sq("e8"), Sq("d8")));
    EXPECT_FALSE(Legal(state, "e1", "g1"));
    EXPECT_TRUE(Legal(state, "e1", "c1"));
}

TEST(ChessRules, CastlingNeedsTheRookOnItsCornerAndSafeSquares)
{
    EXPECT_FALSE(Legal(Fen("4k3/8/8/8/8/8/8/4K3 w K -"), "e1", "g1")) << "no rook on h1";
    EXPECT_FALSE(Legal(Fen("4k3/8/8/8/8/8/5r2/4K2R w K -"), "e1", "g1")) << "f1 attacked";
    EXPECT_FALSE(Legal(Fen("4k3/8/8/8/8/8/4r3/4K2R w K -"), "e1", "g1")) << "in check";
    EXPECT_TRUE(Legal(Fen("4k3/8/8/8/8/8/1r6/R3K3 w Q -"), "e1", "c1")) << "b1 may be attacked";
    EXPECT_FALSE(Legal(Fen("4k3/8/8/8/8/8/3r4/R3K3 w Q -"), "e1", "c1")) << "d1 attacked";
}

TEST(ChessRules, PromotionGivesTheChosenPieceAndCountsFourMoves)
{
    ChessState state = Fen("8/P7/8/8/8/8/8/k6K w - -");
    MoveList list;
    state.LegalMoves(list);
    int promotions = 0;
    for (const Move& m : list)
        promotions += m.from == Sq("a7") ? 1 : 0;
    EXPECT_EQ(promotions, 4);
    state.Play(*state.FindLegal(Sq("a7"), Sq("a8"), 'n'));
    EXPECT_EQ(state.At(Sq("a8")), 'N');
}

TEST(ChessRules, ASideWithoutAKingHasNoMove)
{
    ChessState state;
    state.SetPlacement(std::string(63, ' ') + "R");
    EXPECT_FALSE(state.HasLegalMove());
}

TEST(ChessRules, MalformedFenIsRefused)
{
    EXPECT_FALSE(ChessState::FromFen("").has_value());
    EXPECT_FALSE(ChessState::FromFen("8/8/8 w - -").has_value());
    EXPECT_FALSE(ChessState::FromFen("9/8/8/8/8/8/8/8 w - -").has_value());
    EXPECT_FALSE(ChessState::FromFen("8/8/8/8/8/8/8/8 x - -").has_value());
    EXPECT_FALSE(ChessState::FromFen("8/8/8/8/8/8/8/8 w - z9").has_value());
    EXPECT_TRUE(ChessState::FromFen(kKiwipete).has_value());
}

#include "chess/game.h"
#include "chess/tests/squarename.h"

#include <gtest/gtest.h>

using namespace chess;

TEST(ChessGame, HistoryKeepsWhatEachSideMovedFrom)
{
    ChessGame game;
    ASSERT_TRUE(game.MakeMove(Sq("e2"), Sq("e4")));
    ASSERT_TRUE(game.MakeMove(Sq("e8"), Sq("e7")) == std::nullopt);
    ASSERT_TRUE(game.MakeMove(Sq("g8"), Sq("f6")));

    const auto white = game.History(1, true);
    ASSERT_TRUE(white.has_value());
    EXPECT_EQ(white->placement, kStartPosition);
    EXPECT_EQ(white->from, Sq("e2"));
    EXPECT_EQ(white->to, Sq("e4"));
    EXPECT_EQ(white->castling, kAllCastling);

    const auto black = game.History(1, false);
    ASSERT_TRUE(black.has_value());
    EXPECT_EQ(black->enPassant, Sq("e3")) << "Black moved with the passed square open";
    EXPECT_EQ(black->from, Sq("g8"));

    const auto next = game.History(2, true);
    ASSERT_TRUE(next.has_value()) << "the position now to move from is recorded";
    EXPECT_EQ(next->placement, game.Placement());
    EXPECT_FALSE(game.History(2, false).has_value());
    EXPECT_FALSE(game.History(0, true).has_value());
    EXPECT_FALSE(game.History(300, true).has_value());
}

TEST(ChessGame, HandlersSeeThePieceMovedBeforeTheRookFollows)
{
    ChessGame game;
    game.SetPlacement("k" + std::string(59, ' ') + "K  R");
    std::string seen;
    ChessGame::Hooks hooks;
    hooks.moved = [&](char) { seen = game.Placement(); };
    ASSERT_TRUE(game.MakeMove(Sq("e1"), Sq("g1"), hooks).has_value());
    EXPECT_EQ(seen.substr(56), "      KR");
    EXPECT_EQ(game.Placement().substr(56), "     RK ");
}

TEST(ChessGame, NewGameForgetsTheRepetitionAndTheHistory)
{
    ChessGame game;
    for (int round = 0; round < 2; ++round)
        for (auto [f, t] : { std::pair { "g1", "f3" }, { "g8", "f6" }, { "f3", "g1" }, { "f6", "g8" } })
            ASSERT_TRUE(game.MakeMove(Sq(f), Sq(t)));
    EXPECT_TRUE(game.ThreefoldReached());
    game.NewGame();
    EXPECT_FALSE(game.ThreefoldReached());
    EXPECT_FALSE(game.History(1, true).has_value());
    EXPECT_EQ(game.CurrentMove(), 1);
}

#include "chess/chessbrd.h"
#include "chess/tests/squarename.h"

#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPixmap>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Every event of a board, in the order fired.
struct Recorder {
    std::vector<std::string> events;

    explicit Recorder(TChessBrd& board)
    {
        board.OnLegalMove = [this](TChessBrd*, int f, int t) { add("legal " + std::to_string(f) + "-" + std::to_string(t)); };
        board.OnCapture = [this](TChessBrd*, int, char piece, int) { add(std::string("capture ") + piece); };
        board.OnCheck = [this](TChessBrd*, int, int) { add("check"); };
        board.OnMate = [this](TChessBrd*, int, int) { add("mate"); };
        board.OnStaleMate = [this](TChessBrd*, int, int) { add("stalemate"); };
        board.OnOnlyTwoKingsLeft = [this](TChessBrd*, int count) { add("twokings " + std::to_string(count)); };
        board.OnThreefoldPosition = [this](TChessBrd*) { add("threefold"); };
        board.OnIllegalMove = [this](TChessBrd*, int from) { add("illegal " + std::to_string(from)); };
    }
    void add(const std::string& e) { events.push_back(e); }
    bool has(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
};

bool Play(TChessBrd& board, const char* from, const char* to) { return board.MakeMove(Sq(from), Sq(to)); }

std::string Placement(std::initializer_list<std::pair<const char*, char>> pieces)
{
    std::string p(64, ' ');
    for (const auto& [square, piece] : pieces)
        p[static_cast<std::size_t>(Sq(square) - 1)] = piece;
    return p;
}

void Mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent e(type, at, w.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

QPoint Centre(const TChessBrd& board, int square)
{
    for (int y = 0; y < board.height(); y += 4)
        for (int x = 0; x < board.width(); x += 4)
            if (board.SquareAtPoint(x, y) == square)
                return QPoint(x + board.SizeOfSquare() / 2, y + board.SizeOfSquare() / 2);
    return QPoint();
}

void Drag(TChessBrd& board, int from, int to)
{
    const QPoint a = Centre(board, from);
    const QPoint b = Centre(board, to);
    Mouse(board, QEvent::MouseButtonPress, a, Qt::LeftButton);
    Mouse(board, QEvent::MouseMove, (a + b) / 2, Qt::LeftButton);
    Mouse(board, QEvent::MouseMove, b, Qt::LeftButton);
    Mouse(board, QEvent::MouseButtonRelease, b, Qt::NoButton);
}

}  // namespace

TEST(ChessBrd, StartsWithTheStartPositionAtItsDefaultSize)
{
    TChessBrd board;
    EXPECT_EQ(board.Position(), "rnbqkbnrpppppppp" + std::string(32, ' ') + "PPPPPPPPRNBQKBNR");
    EXPECT_TRUE(board.WhiteToMove());
    EXPECT_EQ(board.CurrentMove(), 1);
    EXPECT_EQ(board.EnPassant(), 0);
    EXPECT_EQ(board.CastlingAllowed(), unsigned(WhiteKingSide | WhiteQueenSide | BlackKingSide | BlackQueenSide));
    EXPECT_EQ(board.width(), 368);
    EXPECT_EQ(board.height(), 368);
}

TEST(ChessBrd, PositionTakesInitAnyLengthAndOnlyPieceLetters)
{
    TChessBrd board;
    board.SetPosition(std::string(70, 'Q'));
    EXPECT_EQ(board.Position(), std::string(64, 'Q')) << "only the first 64 characters";
    board.SetPosition("InIt");
    EXPECT_EQ(board.Position().substr(0, 8), "rnbqkbnr");
    board.SetPosition("NEWGAME");
    EXPECT_EQ(board.Position().substr(56), "RNBQKBNR");
    board.SetPosition("kxK");
    EXPECT_EQ(board.Position(), "k K" + std::string(61, ' ')) << "a non-piece is a blank, the rest is padded";
    board.SetPosition(std::string("kK\0Q", 4));
    EXPECT_EQ(board.Position(), "kK" + std::string(62, ' ')) << "a NUL ends the text";
    board.SetPosition("");
    EXPECT_EQ(board.Position(), std::string(64, ' '));
}

TEST(ChessBrd, SettingThePositionKeepsSideAndRights)
{
    TChessBrd board;
    ASSERT_TRUE(Play(board, "e2", "e4"));
    board.SetPosition("init");
    EXPECT_FALSE(board.WhiteToMove());
    EXPECT_EQ(board.CurrentMove(), 1);
}

TEST(ChessBrd, EnPassantSetterTakesOnlyRanksThreeAndSix)
{
    TChessBrd board;
    board.SetEnPassant(30);
    EXPECT_EQ(board.EnPassant(), 0);
    board.SetEnPassant(20);
    EXPECT_EQ(board.EnPassant(), 20);
    board.SetEnPassant(44);
    EXPECT_EQ(board.EnPassant(), 44);
}

TEST(ChessBrd, AMoveFiresLegalMoveAndFlipsTheSide)
{
    TChessBrd board;
    Recorder r(board);
    EXPECT_FALSE(Play(board, "e7", "e5")) << "not Black's turn";
    EXPECT_FALSE(Play(board, "e2", "e5"));
    EXPECT_TRUE(r.events.empty());
    ASSERT_TRUE(Play(board, "e2", "e4"));
    EXPECT_EQ(r.events, std::vector<std::string>({ "legal 53-37" }));
    EXPECT_FALSE(board.WhiteToMove());
    EXPECT_EQ(board.CurrentMove(), 1);
    ASSERT_TRUE(Play(board, "e7", "e5"));
    EXPECT_EQ(board.CurrentMove(), 2);
}

TEST(ChessBrd, ADoubleStepSetsEnPassantForOneHalfMove)
{
    TChessBrd board;
    ASSERT_TRUE(Play(board, "e2", "e4"));
    EXPECT_EQ(board.EnPassant(), Sq("e3"));
    ASSERT_TRUE(Play(board, "g8", "f6"));
    EXPECT_EQ(board.EnPassant(), 0);
}

TEST(ChessBrd, EnPassantRemovesThePassedPawnWithoutACaptureEvent)
{
    TChessBrd board;
    Recorder r(board);
    for (auto [f, t] : { std::pair { "e2", "e4" }, { "a7", "a6" }, { "e4", "e5" }, { "d7", "d5" } })
        ASSERT_TRUE(Play(board, f, t));
    r.events.clear();
    ASSERT_TRUE(Play(board, "e5", "d6"));
    EXPECT_EQ(board.Position()[static_cast<std::size_t>(Sq("d5") - 1)], ' ');
    EXPECT_EQ(r.events, std::vector<std::string>({ "legal 29-20" }));
}

TEST(ChessBrd, EnPassantExposingTheKingIsRefusedAndOneEndingCheckIsTaken)
{
    TChessBrd board;
    Recorder r(board);
    board.SetPosition(Placement({ { "a5", 'K' }, { "e5", 'P' }, { "h5", 'r' }, { "h1", 'k' }, { "d7", 'p' } }));
    board.SetCastlingAllowed(0);
    board.SetWhiteToMove(false);
    ASSERT_TRUE(Play(board, "d7", "d5"));
    EXPECT_FALSE(board.IsLegalMove(Sq("e5"), Sq("d6")));

    TChessBrd checked;
    Recorder c(checked);
    checked.SetPosition(Placement({ { "e4", 'K' }, { "e5", 'P' }, { "h1", 'k' }, { "d7", 'p' } }));
    checked.SetCastlingAllowed(0);
    checked.SetWhiteToMove(false);
    ASSERT_TRUE(Play(checked, "d7", "d5"));
    EXPECT_TRUE(c.has("check")) << "the pawn's double step gives check";
    EXPECT_TRUE(Play(checked, "e5", "d6"));
    EXPECT_EQ(checked.Position()[static_cast<std::size_t>(Sq("d5") - 1)], ' ');
}

TEST(ChessBrd, OnlyTwoKingsLeftAfterACaptureIsReported)
{
    TChessBrd board;
    Recorder r(board);
    board.SetPosition(Placement({ { "d4", 'K' }, { "e5", 'p' }, { "h1", 'k' } }));
    ASSERT_TRUE(Play(board, "d4", "e5"));
    EXPECT_TRUE(r.has("capture p"));
    EXPECT_TRUE(r.has("twokings 0"));
}

TEST(ChessBrd, CastlingMovesTheRookAndATakenCornerRookEndsTheRight)
{
    TChessBrd board;
    board.SetPosition(Placement({ { "e1", 'K' }, { "h1", 'R' }, { "a1", 'R' }, { "e8", 'k' } }));
    ASSERT_TRUE(Play(board, "e1", "g1"));
    EXPECT_EQ(board.Position()[static_cast<std::size_t>(Sq("f1") - 1)], 'R');
    EXPECT_EQ(board.Position()[static_cast<std::size_t>(Sq("h1") - 1)], ' ');
    EXPECT_EQ(board.CastlingAllowed() & (WhiteKingSide | WhiteQueenSide), 0u);

    TChessBrd taken;
    taken.SetPosition(Placement({ { "e1", 'K' }, { "h1", 'R' }, { "g1", 'R' }, { "e8", 'k' }, { "g2", 'b' } }));
    taken.SetWhiteToMove(false);
    ASSERT_TRUE(Play(taken, "g2", "h1"));
    ASSERT_TRUE(Play(taken, "g1", "h1"));
    ASSERT_TRUE(Play(taken, "e8", "d8"));
    EXPECT_FALSE(taken.IsLegalMove(Sq("e1"), Sq("g1"))) << "another rook on h1 does not bring the right back";
}

TEST(ChessBrd, PromotionGivesAQueenUnlessTheHandlerChoosesAndKeepsTheChoice)
{
    TChessBrd board;
    board.SetPosition(Placement({ { "a7", 'P' }, { "b7", 'P' }, { "h1", 'K' }, { "h3", 'k' } }));
    ASSERT_TRUE(Play(board, "a7", "a8"));
    EXPECT_EQ(board.Position()[0], 'Q');

    TChessBrd chosen;
    chosen.SetPosition(Placement({ { "a7", 'P' }, { "b7", 'P' }, { "h1", 'K' }, { "h3", 'k' }, { "h5", 'p' } }));
    int asked = 0;
    chosen.OnPromotion = [&](TChessBrd*, int, char& piece, int) {
        EXPECT_EQ(piece, asked == 0 ? 'q' : 'n');
        ++asked;
        piece = 'n';
    };
    ASSERT_TRUE(Play(chosen, "a7", "a8"));
    EXPECT_EQ(chosen.Position()[0], 'N');
    ASSERT_TRUE(Play(chosen, "h5", "h4"));
    chosen.OnPromotion = nullptr;
    ASSERT_TRUE(Play(chosen, "b7", "b8"));
    EXPECT_EQ(chosen.Position()[1], 'N') << "the handler's choice is kept for later promotions";
}

TEST(ChessBrd, CheckMateAndStalemateAreReported)
{
    TChessBrd board;
    Recorder r(board);
    for (auto [f, t] : { std::pair { "f2", "f3" }, { "e7", "e5" }, { "g2", "g4" } })
        ASSERT_TRUE(Play(board, f, t));
    ASSERT_TRUE(Play(board, "d8", "h4"));
    EXPECT_TRUE(r.has("check"));
    EXPECT_TRUE(r.has("mate"));

    TChessBrd stale;
    Recorder s(stale);
    stale.SetPosition(Placement({ { "a8", 'k' }, { "c6", 'K' }, { "b5", 'Q' } }));
    ASSERT_TRUE(Play(stale, "b5", "b6"));
    EXPECT_TRUE(s.has("stalemate"));
    EXPECT_FALSE(s.has("check"));
}

TEST(ChessBrd, ACaptureNamesTheTakenPiece)
{
    TChessBrd board;
    Recorder r(board);
    for (auto [f, t] : { std::pair { "e2", "e4" }, { "d7", "d5" }, { "e4", "d5" } })
        ASSERT_TRUE(Play(board, f, t));
    EXPECT_TRUE(r.has("capture p"));
}

TEST(ChessBrd, TheThirdSamePlacementRefusesEveryMoveUntilANewGame)
{
    TChessBrd board;
    Recorder r(board);
    const std::pair<const char*, const char*> shuffle[] = { { "g1", "f3" }, { "g8", "f6" }, { "f3", "g1" }, { "f6", "g8" } };
    for (int round = 0; round < 2; ++round)
        for (auto [f, t] : shuffle)
            ASSERT_TRUE(Play(board, f, t));
    EXPECT_TRUE(r.has("threefold"));
    EXPECT_FALSE(board.IsLegalMove(Sq("e2"), Sq("e4")));
    EXPECT_FALSE(Play(board, "e2", "e4"));
    board.NewGame();
    EXPECT_TRUE(Play(board, "e2", "e4"));
}

TEST(ChessBrd, PastTheLastRecordedMoveTheGameGoesOn)
{
    TChessBrd board;
    board.SetPosition(Placement({ { "a1", 'K' }, { "h8", 'k' }, { "d4", 'R' }, { "e5", 'r' } }));
    board.SetCastlingAllowed(0);
    // Every move goes to a placement not seen before, so nothing repeats.
    std::set<std::string> seen { board.Position() };
    for (int half = 0; half < 2 * 270; ++half) {
        chess::MoveList list;
        board.Game().State().LegalMoves(list);
        bool played = false;
        for (const auto& m : list) {
            chess::ChessState next = board.Game().State();
            if (next.Play(m) != ' ' || seen.count(next.Placement()))
                continue;
            ASSERT_TRUE(board.MakeMove(m.from, m.to));
            seen.insert(board.Position());
            played = true;
            break;
        }
        ASSERT_TRUE(played) << "half-move " << half;
    }
    EXPECT_GT(board.CurrentMove(), 256);
    EXPECT_TRUE(board.Game().History(256, false).has_value());
    EXPECT_FALSE(board.Game().History(257, true).has_value());
}

TEST(ChessBrd, PointerToSquareFollowsTheBorderAndTurning)
{
    TChessBrd board;
    EXPECT_EQ(board.SquareAtPoint(10, 10), 0) << "the border is no square";
    EXPECT_EQ(board.SquareAtPoint(25, 25), 1);
    EXPECT_EQ(board.SquareAtPoint(24 + 319, 24 + 319), 64);
    board.SetWhiteOnTop(true);
    EXPECT_EQ(board.SquareAtPoint(25, 25), 64);
}

TEST(ChessBrd, SizeOfSquareSetsTheSideAndResizingKeepsItSquare)
{
    TChessBrd board;
    board.SetSizeOfSquare(64);
    EXPECT_EQ(board.width(), 8 * 64 + 48);
    board.show();
    board.resize(400, 300);
    EXPECT_EQ(board.width(), board.height());
    EXPECT_EQ(board.SizeOfSquare(), ((400 + 300) / 2 - 48) / 8);
    board.SetResizeMaxSize(50);
    EXPECT_EQ(board.ResizeMaxSize(), board.ResizeMinSize()) << "max is kept at least min";
}

TEST(ChessBrd, ACustomPieceSetNeedsSixByFourPieces)
{
    TChessBrd board;
    QImage wrong(100, 100, QImage::Format_RGB32);
    board.SetCustomPieceSet(wrong);
    EXPECT_TRUE(board.CustomPieceSet().isNull());
    QImage right(6 * 20, 4 * 20, QImage::Format_RGB32);
    right.fill(Qt::red);
    board.SetCustomPieceSet(right);
    EXPECT_EQ(board.CustomPieceSet().size(), right.size());
}

TEST(ChessBrd, DraggingAPieceMakesTheMoveAndARefusedDropPutsItBack)
{
    TChessBrd board;
    Recorder r(board);
    Drag(board, Sq("e2"), Sq("e5"));
    EXPECT_EQ(r.events, std::vector<std::string>({ "illegal 53" }));
    EXPECT_EQ(board.Position()[static_cast<std::size_t>(Sq("e2") - 1)], 'P');
    r.events.clear();
    Drag(board, Sq("e2"), Sq("e2"));
    EXPECT_TRUE(r.events.empty()) << "dropping on the starting square just puts it back";
    Drag(board, Sq("e2"), Sq("e4"));
    EXPECT_EQ(board.Position()[static_cast<std::size_t>(Sq("e4") - 1)], 'P');
    EXPECT_TRUE(r.has("legal 53-37"));
}

TEST(ChessBrd, ATurnedBoardDrawsWithCoordinatesAndEveryBuiltInSet)
{
    QDir().mkpath(QStringLiteral(KORVO_BUILD_DIR "/screenshots"));
    for (auto [size, name] : { std::pair { Size32, "32" }, { Size40, "40" }, { Size64, "64" }, { Size80, "80" } }) {
        TChessBrd board;
        board.SetStandardSize(size);
        board.SetSizeOfSquare(size == Size32 ? 32 : size == Size40 ? 40 : size == Size64 ? 64 : 80);
        board.SetBoardLines(true);
        const QImage shot = board.grab().toImage();
        shot.save(QStringLiteral(KORVO_BUILD_DIR "/screenshots/chess_board_%1.png").arg(name));
        // The white king stands on e1: its square is not a plain square colour any more.
        const QPoint e1 = Centre(board, Sq("e1"));
        EXPECT_NE(shot.pixelColor(e1).rgb() & 0xFFFFFF, shot.pixelColor(e1 + QPoint(board.SizeOfSquare() / 2 - 2, board.SizeOfSquare() / 2 - 2)).rgb() & 0xFFFFFF)
            << "set " << name;
        // Every piece is solid: no part of it takes a square's grey and vanishes on that square.
        const QImage set(QStringLiteral(":/chess/pieces/pieces%1.bmp").arg(name));
        ASSERT_FALSE(set.isNull()) << "set " << name;
        const int piece = set.height() / 4;
        int squareColoured = 0;
        for (const int row : { 0, 2 })
            for (int y = 0; y < piece; ++y)
                for (int x = 0; x < set.width(); ++x)
                    if (qGray(set.pixel(x, (row + 1) * piece + y)) < 128) {
                        const QRgb colour = set.pixel(x, row * piece + y) & 0xFFFFFF;
                        squareColoured += colour == 0x808080 || colour == 0xC0C0C0;
                    }
        EXPECT_EQ(squareColoured, 0) << "set " << name;
    }
    TChessBrd turned;
    turned.SetWhiteOnTop(true);
    turned.grab().save(QStringLiteral(KORVO_BUILD_DIR "/screenshots/chess_board_turned.png"));
    EXPECT_EQ(turned.SquareAtPoint(30, 30), 64);
}

#pragma once

#include "chess/game.h"
#include "platform/ui/automation.h"
#include "platform/ui/graphics.h"

#include <QImage>
#include <QPen>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

using chess::BlackKingSide;
using chess::BlackQueenSide;
using chess::TCastlingSet;
using chess::WhiteKingSide;
using chess::WhiteQueenSide;

enum TSizeOfPieces { Size32, Size40, Size64, Size80 };
enum TDisplayCoord : unsigned { West = 1, North = 2, East = 4, South = 8 };
using TDisplayCoords = unsigned;

class TChessBrd;
using TChessMoveEvent = std::function<void(TChessBrd* Sender, int from, int to)>;

// The chess board control: draws the board and its coordinates, lets the user
// drag pieces, enforces the rules and tells its owner what happened.
class TChessBrd : public QWidget, public automation::TextSource {
public:
    explicit TChessBrd(QWidget* owner = nullptr);

    // 64 characters in square order (1 = a8 ... 64 = h1).
    std::string Position() const { return m_game.Placement(); }
    void SetPosition(const std::string& text);
    bool WhiteToMove() const { return m_game.State().WhiteToMove(); }
    void SetWhiteToMove(bool white) { m_game.SetWhiteToMove(white); }
    int CurrentMove() const { return m_game.CurrentMove(); }
    void SetCurrentMove(int) {}
    int EnPassant() const { return m_game.State().EnPassant(); }
    // Only a square of rank 6 (17..24) or rank 3 (41..48) is taken.
    void SetEnPassant(int square);
    TCastlingSet CastlingAllowed() const { return m_game.State().Castling(); }
    void SetCastlingAllowed(TCastlingSet rights) { m_game.SetCastling(rights); }
    bool WhiteOnTop() const { return m_whiteOnTop; }
    void SetWhiteOnTop(bool onTop);
    int SizeOfSquare() const { return m_squareSize; }
    void SetSizeOfSquare(int pixels);
    int SizeOfBorder() const { return m_border; }
    void SetSizeOfBorder(int pixels);
    TSizeOfPieces StandardSize() const { return m_standardSize; }
    void SetStandardSize(TSizeOfPieces size);
    const QImage& CustomPieceSet() const { return m_customSet; }
    // Taken only when width * 2 = height * 3 (6 pieces by 4 rows); an empty picture restores the built-in set.
    void SetCustomPieceSet(const QImage& set);
    TColor SquareColorDark() const { return m_darkColor; }
    void SetSquareColorDark(TColor color) { m_darkColor = color; update(); }
    TColor SquareColorLight() const { return m_lightColor; }
    void SetSquareColorLight(TColor color) { m_lightColor = color; update(); }
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor color) { m_borderColor = color; update(); }
    const QImage& SquareDark() const { return m_darkTile; }
    void SetSquareDark(const QImage& tile) { m_darkTile = tile; update(); }
    const QImage& SquareLight() const { return m_lightTile; }
    void SetSquareLight(const QImage& tile) { m_lightTile = tile; update(); }
    const QImage& BorderBitmap() const { return m_borderTile; }
    void SetBorderBitmap(const QImage& tile) { m_borderTile = tile; update(); }
    bool BoardLines() const { return m_boardLines; }
    void SetBoardLines(bool lines) { m_boardLines = lines; update(); }
    TDisplayCoords DisplayCoords() const { return m_coords; }
    void SetDisplayCoords(TDisplayCoords coords) { m_coords = coords; update(); }
    const TFontSpec& CoordFont() const { return m_coordFont; }
    void SetCoordFont(const TFontSpec& font) { m_coordFont = font; update(); }
    const QPen& LineStyle() const { return m_lineStyle; }
    void SetLineStyle(const QPen& pen) { m_lineStyle = pen; update(); }
    bool Resizable() const { return m_resizable; }
    void SetResizable(bool resizable) { m_resizable = resizable; }
    int ResizeMinSize() const { return m_resizeMin; }
    void SetResizeMinSize(int pixels);
    int ResizeMaxSize() const { return m_resizeMax; }
    void SetResizeMaxSize(int pixels);

    void NewGame();
    // Redraws each square whose character differs from text (a short text redraws the rest too).
    void RefreshSquares(const std::string& text);
    bool IsLegalMove(int from, int to) const { return m_game.IsLegalMove(from, to); }
    bool MakeMove(int from, int to);
    // The square under a point of the control, 0 outside the squares.
    int SquareAtPoint(int x, int y) const;

    const chess::ChessGame& Game() const { return m_game; }

    TChessMoveEvent OnLegalMove;
    std::function<void(TChessBrd* Sender, int from, char piece, int to)> OnCapture;
    std::function<void(TChessBrd* Sender, int from, char& piece, int to)> OnPromotion;
    TChessMoveEvent OnCheck;
    TChessMoveEvent OnMate;
    TChessMoveEvent OnStaleMate;
    std::function<void(TChessBrd* Sender, int count)> OnOnlyTwoKingsLeft;
    std::function<void(TChessBrd* Sender)> OnThreefoldPosition;
    std::function<void(TChessBrd* Sender, int from)> OnIllegalMove;
    // Kept for owners that set it; the board never calls it.
    TChessMoveEvent OnCastle;

    std::string AutomationText() const override { return Position(); }
    // Layouts keep the board at the size its squares give it.
    QSize sizeHint() const override { return size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void loadPieceSet();
    QRect squareRect(int square) const;
    const QPixmap* pieceImage(char piece) const;
    bool nearResizeCorner(const QPoint& at) const;
    void endDrag(const QPoint& at, bool cancelled);

    chess::ChessGame m_game;
    bool m_whiteOnTop { false };
    int m_squareSize { 40 };
    int m_border { 24 };
    TSizeOfPieces m_standardSize { Size40 };
    QImage m_customSet;
    // White's six pieces then Black's, in the set's column order (pawn ... king).
    std::array<QPixmap, 12> m_pieces;
    TColor m_darkColor { 0x808080 };
    TColor m_lightColor { 0xC0C0C0 };
    TColor m_borderColor { 0x008080 };
    QImage m_darkTile;
    QImage m_lightTile;
    QImage m_borderTile;
    bool m_boardLines { false };
    TDisplayCoords m_coords { West | North | East | South };
    TFontSpec m_coordFont { "Arial", 7, 0, clWhite };
    QPen m_lineStyle;
    bool m_resizable { false };
    int m_resizeMin { 100 };
    int m_resizeMax { 1000 };

    int m_dragFrom { 0 };
    QPoint m_dragAt;
    bool m_resizing { false };
};

#include "chess/chessbrd.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

const char* const kPieceOrder = "pnbrqk";

QString builtInSetName(TSizeOfPieces size)
{
    switch (size) {
    case Size32: return QStringLiteral(":/chess/pieces/pieces32.bmp");
    case Size64: return QStringLiteral(":/chess/pieces/pieces64.bmp");
    case Size80: return QStringLiteral(":/chess/pieces/pieces80.bmp");
    case Size40: break;
    }
    return QStringLiteral(":/chess/pieces/pieces40.bmp");
}

// A picture of the set cut to one piece, transparent where its mask is light.
QPixmap cutPiece(const QImage& set, int column, int row, int size)
{
    QImage piece = set.copy(column * size, row * size, size, size).convertToFormat(QImage::Format_ARGB32);
    const QImage mask = set.copy(column * size, (row + 1) * size, size, size).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (qGray(mask.pixel(x, y)) >= 128)
                piece.setPixel(x, y, 0);
        }
    }
    return QPixmap::fromImage(piece);
}

void fillTiled(QPainter& painter, const QRect& rect, const QImage& tile, TColor color)
{
    if (tile.isNull())
        painter.fillRect(rect, ToQColor(color));
    else
        painter.drawTiledPixmap(rect, QPixmap::fromImage(tile), rect.topLeft());
}

}  // namespace

TChessBrd::TChessBrd(QWidget* owner)
    : QWidget(owner)
{
    setObjectName(QStringLiteral("ChessBrd1"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(368, 368);
    loadPieceSet();
    NewGame();
}

void TChessBrd::NewGame()
{
    m_game.NewGame();
    update();
}

void TChessBrd::SetPosition(const std::string& text)
{
    std::string lower(text.substr(0, std::min<std::size_t>(text.size(), 8)));
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "init" || lower == "newgame") {
        m_game.SetPlacement(chess::kStartPosition);
    } else {
        // A NUL ends the text; the rules core blanks everything but piece letters.
        m_game.SetPlacement(text.substr(0, std::min<std::size_t>(text.find('\0'), 64)));
    }
    update();
}

void TChessBrd::SetEnPassant(int square)
{
    if ((square >= 17 && square <= 24) || (square >= 41 && square <= 48))
        m_game.SetEnPassant(square);
}

void TChessBrd::SetWhiteOnTop(bool onTop)
{
    m_whiteOnTop = onTop;
    update();
}

void TChessBrd::SetSizeOfSquare(int pixels)
{
    m_squareSize = std::max(1, pixels);
    const int side = 8 * m_squareSize + 2 * m_border;
    resize(side, side);
    update();
}

void TChessBrd::SetSizeOfBorder(int pixels)
{
    m_border = std::max(0, pixels);
    update();
}

void TChessBrd::SetStandardSize(TSizeOfPieces size)
{
    m_standardSize = size;
    loadPieceSet();
    update();
}

void TChessBrd::SetCustomPieceSet(const QImage& set)
{
    if (!set.isNull() && set.width() * 2 != set.height() * 3)
        return;
    m_customSet = set;
    loadPieceSet();
    update();
}

void TChessBrd::SetResizeMinSize(int pixels)
{
    m_resizeMin = std::min(pixels, m_resizeMax);
}

void TChessBrd::SetResizeMaxSize(int pixels)
{
    m_resizeMax = std::max(pixels, m_resizeMin);
}

void TChessBrd::loadPieceSet()
{
    const QImage set = m_customSet.isNull() ? QImage(builtInSetName(m_standardSize)) : m_customSet;
    const int size = set.height() / 4;
    if (size <= 0)
        return;
    for (int column = 0; column < 6; ++column) {
        m_pieces[static_cast<std::size_t>(column)] = cutPiece(set, column, 0, size);
        m_pieces[static_cast<std::size_t>(column + 6)] = cutPiece(set, column, 2, size);
    }
}

const QPixmap* TChessBrd::pieceImage(char piece) const
{
    if (!chess::IsPiece(piece))
        return nullptr;
    const char* at = std::strchr(kPieceOrder, std::tolower(static_cast<unsigned char>(piece)));
    const auto index = static_cast<std::size_t>(at - kPieceOrder) + (chess::IsBlackPiece(piece) ? 6 : 0);
    return &m_pieces[index];
}

QRect TChessBrd::squareRect(int square) const
{
    int index = square - 1;
    if (m_whiteOnTop)
        index = 63 - index;
    return QRect(m_border + (index % 8) * m_squareSize, m_border + (index / 8) * m_squareSize, m_squareSize, m_squareSize);
}

int TChessBrd::SquareAtPoint(int x, int y) const
{
    x -= m_border;
    y -= m_border;
    if (m_squareSize <= 0 || x < 0 || y < 0 || x >= 8 * m_squareSize || y >= 8 * m_squareSize)
        return 0;
    int column = x / m_squareSize;
    int row = y / m_squareSize;
    if (m_whiteOnTop) {
        column = 7 - column;
        row = 7 - row;
    }
    return row * 8 + column + 1;
}

void TChessBrd::RefreshSquares(const std::string& text)
{
    const std::string now = Position();
    for (int square = 1; square <= 64; ++square) {
        const auto i = static_cast<std::size_t>(square - 1);
        if (i >= text.size() || text[i] != now[i])
            update(squareRect(square));
    }
}

bool TChessBrd::MakeMove(int from, int to)
{
    const std::string before = Position();
    chess::ChessGame::Hooks hooks;
    hooks.moved = [&](char captured) {
        RefreshSquares(before);
        if (OnLegalMove)
            OnLegalMove(this, from, to);
        if (captured != ' ' && OnCapture)
            OnCapture(this, from, captured, to);
    };
    hooks.promotion = [&](char& letter) {
        if (OnPromotion)
            OnPromotion(this, from, letter, to);
    };
    const auto outcome = m_game.MakeMove(from, to, hooks);
    if (!outcome)
        return false;
    update();
    if (outcome->givesCheck) {
        if (OnCheck)
            OnCheck(this, from, to);
        if (!outcome->opponentHasMove && OnMate)
            OnMate(this, from, to);
    } else if (!outcome->opponentHasMove && OnStaleMate) {
        OnStaleMate(this, from, to);
    }
    if (outcome->onlyTwoKingsLeft && OnOnlyTwoKingsLeft)
        OnOnlyTwoKingsLeft(this, 0);
    if (outcome->threefold && OnThreefoldPosition)
        OnThreefoldPosition(this);
    return true;
}

void TChessBrd::resizeEvent(QResizeEvent*)
{
    // The board is always square: the side follows the mean of width and height.
    const int square = std::max(1, ((width() + height()) / 2 - 2 * m_border) / 8);
    const int side = 8 * square + 2 * m_border;
    m_squareSize = square;
    if (width() != side || height() != side)
        resize(side, side);
    updateGeometry();
}

void TChessBrd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int side = 8 * m_squareSize + 2 * m_border;
    const QRect whole(0, 0, side, side);
    const QRect squares(m_border, m_border, 8 * m_squareSize, 8 * m_squareSize);

    fillTiled(painter, whole, m_borderTile, m_borderColor);
    painter.setFont(ToQFont(m_coordFont));
    painter.setPen(ToQColor(m_coordFont.Color));
    for (int i = 0; i < 8; ++i) {
        const QString rank = QString::number(m_whiteOnTop ? i + 1 : 8 - i);
        const QString file = QString(QChar(m_whiteOnTop ? 'H' - i : 'A' + i));
        const int offset = m_border + i * m_squareSize;
        if (m_coords & West)
            painter.drawText(QRect(0, offset, m_border, m_squareSize), Qt::AlignCenter, rank);
        if (m_coords & East)
            painter.drawText(QRect(squares.right() + 1, offset, m_border, m_squareSize), Qt::AlignCenter, rank);
        if (m_coords & North)
            painter.drawText(QRect(offset, 0, m_squareSize, m_border), Qt::AlignCenter, file);
        if (m_coords & South)
            painter.drawText(QRect(offset, squares.bottom() + 1, m_squareSize, m_border), Qt::AlignCenter, file);
    }

    const std::string position = Position();
    for (int square = 1; square <= 64; ++square) {
        const QRect r = squareRect(square);
        const bool light = ((square % 2) ^ (((square - 1) / 8) % 2)) == 1;
        fillTiled(painter, r, light ? m_lightTile : m_darkTile, light ? m_lightColor : m_darkColor);
        if (square == m_dragFrom)
            continue;
        if (const QPixmap* image = pieceImage(position[static_cast<std::size_t>(square - 1)]))
            painter.drawPixmap(r.x() + (r.width() - image->width()) / 2, r.y() + (r.height() - image->height()) / 2, *image);
    }
    if (m_boardLines) {
        painter.setPen(Qt::black);
        for (int i = 1; i < 8; ++i) {
            const int at = m_border + i * m_squareSize;
            painter.drawLine(at, squares.top(), at, squares.bottom());
            painter.drawLine(squares.left(), at, squares.right(), at);
        }
    }
    painter.setPen(m_lineStyle);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(whole.adjusted(0, 0, -1, -1));
    painter.drawRect(squares.adjusted(-1, -1, 0, 0));

    if (m_dragFrom != 0) {
        if (const QPixmap* image = pieceImage(position[static_cast<std::size_t>(m_dragFrom - 1)]))
            painter.drawPixmap(m_dragAt.x() - image->width() / 2, m_dragAt.y() - image->height() / 2, *image);
    }
}

bool TChessBrd::nearResizeCorner(const QPoint& at) const
{
    return m_resizable && at.x() >= width() - 10 && at.y() >= height() - 10;
}

void TChessBrd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (nearResizeCorner(at)) {
        m_resizing = true;
        return;
    }
    const int square = SquareAtPoint(at.x(), at.y());
    if (square == 0 || !chess::IsPiece(Position()[static_cast<std::size_t>(square - 1)]))
        return;
    m_dragFrom = square;
    m_dragAt = at;
    update();
}

void TChessBrd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (m_resizing) {
        const int side = std::clamp(std::max(at.x(), at.y()), m_resizeMin, m_resizeMax);
        resize(side, height());
        return;
    }
    if (m_dragFrom != 0) {
        m_dragAt = at;
        update();
        return;
    }
    setCursor(nearResizeCorner(at) ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
}

void TChessBrd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_resizing) {
        m_resizing = false;
        return;
    }
    if (m_dragFrom != 0)
        endDrag(event->position().toPoint(), false);
}

void TChessBrd::changeEvent(QEvent* event)
{
    // A board disabled under the pointer cancels the drag.
    if (event->type() == QEvent::EnabledChange && !isEnabled() && m_dragFrom != 0)
        endDrag(QPoint(), true);
    QWidget::changeEvent(event);
}

void TChessBrd::endDrag(const QPoint& at, bool cancelled)
{
    const int from = m_dragFrom;
    m_dragFrom = 0;
    update();
    const int to = cancelled ? 0 : SquareAtPoint(at.x(), at.y());
    if (to == from)
        return;
    if (to == 0 || !IsLegalMove(from, to) || !MakeMove(from, to)) {
        if (OnIllegalMove)
            OnIllegalMove(this, from);
    }
}

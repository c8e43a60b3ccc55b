// Perft of the start position at depth 6 with the board's rules core, against
// stockfish's own perft in the same run, both in turn until their ratio holds
// still and the best of each printed; or, with --fen and --depth, the node
// count of any position.
#include "bench/bestof.h"
#include "chess/rules.h"

#include <QProcess>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::uint64_t kStartDepth6 = 119060324;

// Stockfish's perft of the start position; its count and seconds, or a count of 0.
std::pair<std::uint64_t, double> StockfishPerft(int depth)
{
    QProcess engine;
    engine.start(QStringLiteral("stockfish"), {});
    if (!engine.waitForStarted(10000)) {
        engine.start(QStringLiteral("/usr/games/stockfish"), {});
        if (!engine.waitForStarted(10000))
            return { 0, 0 };
    }
    auto readUntil = [&](const QByteArray& marker) {
        QByteArray seen;
        while (!seen.contains(marker) && engine.waitForReadyRead(300000))
            seen += engine.readAll();
        return seen;
    };
    engine.write("uci\nposition startpos\nisready\n");
    readUntil("readyok");
    const auto start = std::chrono::steady_clock::now();
    engine.write(QByteArray("go perft ") + QByteArray::number(depth) + "\n");
    QByteArray out = readUntil("Nodes searched");
    while (!out.mid(out.indexOf("Nodes searched")).contains('\n') && engine.waitForReadyRead(10000))
        out += engine.readAll();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    engine.write("quit\n");
    engine.waitForFinished(10000);
    const int at = out.indexOf("Nodes searched:");
    if (at < 0)
        return { 0, seconds };
    const QByteArray line = out.mid(at + 15, out.indexOf('\n', at) - at - 15).trimmed();
    return { line.toULongLong(), seconds };
}

}  // namespace

int main(int argc, char** argv)
{
    std::string fen;
    int depth = 6;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--fen" && i + 1 < argc)
            fen = argv[++i];
        else if (arg == "--depth" && i + 1 < argc)
            depth = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: bench_chess_perft [--fen \"<FEN>\" --depth N]\n");
            return 2;
        }
    }
    if (!fen.empty()) {
        const auto state = chess::ChessState::FromFen(fen);
        if (!state || depth < 0 || depth > 8) {
            std::fprintf(stderr, "bad position or depth\n");
            return 2;
        }
        std::printf("nodes %llu\n", static_cast<unsigned long long>(chess::Perft(*state, depth)));
        return 0;
    }

    if (StockfishPerft(1).first == 0) {
        std::fprintf(stderr, "stockfish did not answer (is the stockfish package installed?)\n");
        return 1;
    }
    // Both in turn until their ratio holds still; the best rate of each is printed.
    std::uint64_t ours = 0;
    std::uint64_t theirs = 0;
    const BestRates best = BestOfInterleaved(
        [&] {
            const auto start = std::chrono::steady_clock::now();
            ours = chess::Perft(chess::ChessState(), 6);
            return ours / std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        },
        [&] {
            const auto [nodes, seconds] = StockfishPerft(6);
            theirs = nodes;
            return nodes > 0 ? nodes / seconds : 0.0;
        });
    std::printf("rules core perft 6: %llu nodes in %.3f s, %.0f nodes/s\n", static_cast<unsigned long long>(ours),
        ours / best.measured, best.measured);
    std::printf("stockfish perft 6: %llu nodes in %.3f s, %.0f nodes/s\n", static_cast<unsigned long long>(theirs),
        best.reference > 0 ? theirs / best.reference : 0.0, best.reference);
    std::printf("ratio %.3f\n", best.reference > 0 ? best.measured / best.reference : 0.0);
    if (ours != kStartDepth6 || theirs != kStartDepth6) {
        std::fprintf(stderr, "node counts differ from %llu\n", static_cast<unsigned long long>(kStartDepth6));
        return 1;
    }
    return 0;
}

// A line from the plug-in port, and the same bytes as a board position: a move
// it names is tried on a game set up from them.
#include "chess/game.h"
#include "chess/pluginlines.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const chess::PluginLine parsed = chess::ParsePluginLine(line);
    chess::ChessGame game;
    game.SetPlacement(line);
    for (bool white : { true, false }) {
        game.SetWhiteToMove(white);
        if (parsed.kind == chess::PluginLine::Kind::Move)
            game.MakeMove(parsed.from, parsed.to);
        chess::MoveList list;
        game.State().LegalMoves(list);
        for (const auto& move : list)
            if (move.from < 1 || move.from > 64 || move.to < 1 || move.to > 64)
                __builtin_trap();
    }
    return 0;
}

// News benchmark: the headline scan of a 64 MiB page against a plain split of the
// same bytes into lines (both in turn until their ratio holds still, the best of
// each printed), and the ticker's paint per second scrolled against redrawing the
// visible text every frame.
#include "bench/bestof.h"
#include "client/features/newscharset.h"
#include "client/features/newsfiles.h"
#include "client/features/newsparser.h"
#include "client/features/newsticker.h"
#include "platform/ui/drawtext.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kPageBytes = 64u * 1024u * 1024u;
constexpr int kSteps = 40;  // one second of scrolling at 25 ms a step

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double CpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

std::string WritePage(const std::string& folder)
{
    const std::string path = folder + "/page.htm";
    std::ofstream out(path, std::ios::binary);
    std::size_t written = 0;
    for (int i = 0; written < kPageBytes; ++i) {
        const std::string line = "<a href=\"news/" + std::to_string(i) + ".htm\" target=\"_top\"><b>Headline number "
                                 + std::to_string(i) + " of the day</b></a>\r\n";
        out << line;
        written += line.size();
    }
    return path;
}

void BenchParse(const std::string& folder)
{
    const std::string page = WritePage(folder);
    long lines = 0;
    {
        // Warm the page cache for both runs.
        std::ifstream in(page, std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            ++lines;
    }
    const auto split = [&] {
        lines = 0;
        const auto start = std::chrono::steady_clock::now();
        std::ifstream in(page, std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            ++lines;
        return lines / Seconds(start);
    };
    const auto scan = [&] {
        long headlines = 0;
        const auto start = std::chrono::steady_clock::now();
        LineDecoder decoder("");
        NewsEntry entry;
        ForEachPageLine(page, [&](std::string_view raw) {
            if (ScanNewsLine(decoder.Decode(raw), "http://site/", "news/", entry))
                ++headlines;
            return true;
        });
        return headlines / Seconds(start);
    };
    const BestRates best = BestOfInterleaved(scan, split);
    std::printf("news parse: %.0f headlines/s (reference line split: %.0f lines/s) ratio %.2f\n", best.measured,
                best.reference, best.reference > 0 ? best.measured / best.reference : 0.0);
}

// The visible band drawn from the text each frame, as a ticker without the
// off-screen picture must: every line laid out from the top down to the band,
// those inside it drawn.
void RedrawText(QPainter& canvas, const std::vector<TTickerObj>& lines, int width, int height, int offset)
{
    canvas.fillRect(0, 0, width, height, Qt::black);
    int top = 0;
    for (const TTickerObj& line : lines) {
        if (top > offset + height)
            break;
        canvas.setFont(ToQFont(TFontSpec(line.FontName, line.FontSize)));
        QRect rect(line.Indent, top, width - line.Indent, 150);
        DrawTextA(canvas, line.Text, rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        if (rect.bottom() >= offset) {
            QRect shown = rect.translated(0, -offset);
            canvas.setPen(ToQColor(line.Color));
            DrawTextA(canvas, line.Text, shown, DT_WORDBREAK | DT_NOCLIP | DT_NOPREFIX);
        }
        top = rect.bottom() + 1 + line.SpaceAfter;
    }
}

void BenchTicker(const std::string& folder)
{
    std::string ini;
    std::vector<TTickerObj> lines;
    for (const char* name : { "World News", "Sport" }) {
        ini += std::string("[") + name + "]\r\n";
        for (int i = 0; i < 31; ++i)
            ini += std::to_string(i) + "=A long headline about the things of the day, number " + std::to_string(i)
                   + "\xB6http://site/" + std::to_string(i) + ".htm\r\n";
    }
    std::ofstream(folder + "/News.ini", std::ios::binary) << ini;
    const std::vector<NewsSection> sections = ReadNewsIni(folder + "/News.ini");
    for (int k = 0; k < 6; ++k) {
        for (const NewsSection& section : sections) {
            lines.push_back({ 2, "Small Fonts", section.name, clBtnFace, 0, true, false, 7, 0, {}, {} });
            lines.push_back({ 3, "Arial", section.entries[k].headline, clWhite, 10, false, false, 8, 0, {}, {} });
        }
        lines.push_back({ 3, "Arial", "Today is Monday\rMarch 9, 2026", clInfoBk, 10, true, false, 8, 0, {}, {} });
    }
    QWidget box;
    box.resize(105, 150);
    QObject owner;
    TScroller ticker;
    ticker.Init(&box, &owner);
    ticker.Build(folder + "/News.ini");
    ticker.StopTops.clear();  // no pauses: a second of rolling
    QImage frame(box.size(), QImage::Format_RGB32);
    // Both roll the same second from the middle of the text, where a ticker is on average.
    const int middle = ticker.NextTop / 2;
    ticker.Offset = middle;
    double start = CpuMs();
    for (int i = 0; i < kSteps; ++i) {
        ticker.Step();
        QPainter canvas(&frame);
        ticker.PaintTo(canvas);
    }
    const double painted = CpuMs() - start;
    start = CpuMs();
    for (int i = 0; i < kSteps; ++i) {
        QPainter canvas(&frame);
        RedrawText(canvas, lines, box.width(), box.height(), middle + 1 + i);
    }
    const double redrawn = CpuMs() - start;
    std::printf("ticker paint: %.2f ms CPU per s scrolled (reference full redraw: %.2f ms)\n", painted, redrawn);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    BenchParse(folder);
    BenchTicker(folder);
    return 0;
}

#include "plughost/cli/progress_bar.h"

#include <cstdio>

namespace {

constexpr int kBarWidth = 40;  // characters between the brackets
constexpr int kPercent = 100;

bool barEnabled = false;
std::string barLabel;
int drawnCells = -1;  // -1: nothing drawn for this picture yet

}  // namespace

void enableProgressBar(bool enabled) { barEnabled = enabled; }

void startProgressBar(const std::string& label) {
    barLabel = label;
    drawnCells = -1;
}

void showProgress(int32 done, int32 total) {
    if (!barEnabled || total <= 0) return;
    const int64_t clamped = done < 0 ? 0 : (done > total ? total : done);
    const int cells = int(clamped * kBarWidth / total);
    if (cells == drawnCells) return;
    drawnCells = cells;
    std::fprintf(stderr, "\r%s [%-*s] %3d%%", barLabel.c_str(), kBarWidth,
                 std::string(size_t(cells), '#').c_str(), int(clamped * kPercent / total));
    std::fflush(stderr);
}

void endProgressBar(const std::string& line) {
    if (!barEnabled) return;
    // Blank out the bar before the line, which may be shorter.
    if (drawnCells >= 0) std::fprintf(stderr, "\r%*s\r", int(barLabel.size()) + kBarWidth + 8, "");
    std::fprintf(stderr, "%s\n", line.c_str());
    drawnCells = -1;
}

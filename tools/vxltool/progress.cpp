#include "tools/vxltool/progress.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int64_t barWidth = 24;
constexpr int64_t secondsPerMinute = 60;

std::string duration(int64_t seconds) {
    char text[32];
    if (seconds < secondsPerMinute) {
        std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(seconds));
    } else {
        std::snprintf(text, sizeof text, "%lld min %02lld s",
                      static_cast<long long>(seconds / secondsPerMinute),
                      static_cast<long long>(seconds % secondsPerMinute));
    }
    return text;
}

}  // namespace

std::string progressLine(int64_t done, int64_t total, double seconds) {
    const int64_t filled = total > 0 ? done * barWidth / total : barWidth;
    std::string line = "[";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(barWidth - filled), '.');
    line += ']';
    char counts[64];
    std::snprintf(counts, sizeof counts, "  %lld/%lld maps", static_cast<long long>(done),
                  static_cast<long long>(total));
    line += counts;
    if (done > 0 && seconds > 0) {
        const double rate = static_cast<double>(done) / seconds;
        char speed[32];
        std::snprintf(speed, sizeof speed, "  %.1f maps/s", rate);
        line += speed;
        if (done < total) {
            const auto left =
                static_cast<int64_t>(std::ceil(static_cast<double>(total - done) / rate));
            line += "  " + duration(left) + " left";
        }
    }
    return line;
}

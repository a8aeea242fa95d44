#include "tools/vxltool/progress.h"

#include <gtest/gtest.h>

TEST(ProgressLine, ShowsDoneRateAndTimeLeft) {
    struct Case {
        int64_t done, total;
        double seconds;
        const char* line;
    };
    const Case cases[] = {
        {0, 100, 0.0, "[........................]  0/100 maps"},
        {0, 100, 2.0, "[........................]  0/100 maps"},  // no rate before a map
        {25, 100, 2.5, "[######..................]  25/100 maps  10.0 maps/s  8 s left"},
        {1, 3, 4.0,
         "[########................]  1/3 maps  0.2 maps/s  8 s left"},  // 7.5 s, rounded up
        {10, 1000, 10.0, "[........................]  10/1000 maps  1.0 maps/s  16 min 30 s left"},
        {100, 100, 8.0, "[########################]  100/100 maps  12.5 maps/s"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(progressLine(c.done, c.total, c.seconds), c.line);
    }
}

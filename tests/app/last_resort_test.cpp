#include "app/last_resort.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

TEST(RunToTheEnd, AnEscapedExceptionIsOneLineAndStatusOne) {
    struct Case {
        int (*run)(int, char**);
        int status;
        const char* line;
    };
    const Case cases[] = {
        {[](int, char**) { return 3; }, 3, ""},
        {[](int, char**) -> int { throw std::bad_alloc(); }, 1, "tool: out of memory\n"},
        {[](int, char**) -> int { throw std::runtime_error("cannot start a thread"); }, 1,
         "tool: cannot start a thread\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        testing::internal::CaptureStderr();
        EXPECT_EQ(runToTheEnd("tool", c.run, 0, nullptr), c.status);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    }
}

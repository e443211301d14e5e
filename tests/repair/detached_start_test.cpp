#include "repair/detached_start.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace nimbra::repair {
namespace {

// The detached program's own state is checked end to end in the program tests.
TEST(StartDetached, MissingProgramIsAnErrorNotAStart) {
    const StartResult result = startDetached("/nonexistent/nimbraplus");
    EXPECT_EQ(result.error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(result.pid, -1);
}

}  // namespace
}  // namespace nimbra::repair

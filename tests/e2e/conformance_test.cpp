// The conformance cases, one test each, run by their own checker against the
// built zyray.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/test_support.h"

namespace {

class Conformance : public ::testing::TestWithParam<const char*> {};

TEST_P(Conformance, MatchesByteForByte) {
    const zy::test::CommandRun run = zy::test::run_command(std::string("python3 '") + ZY_CONFORMANCE_DIR +
                                                           "/check.py' '" + ZY_ZYRAY_PATH + "' " + GetParam() + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
}

// Listed by name so that a case added later is not run unnoticed, and a case
// that disappears is an error.
INSTANTIATE_TEST_SUITE_P(Cases, Conformance,
                         ::testing::Values("01-no-shade-file", "02-shade-magic", "03-settings-cut-short",
                                           "04-break-file-short", "05-frame-file-size", "06-vertex-index",
                                           "07-negative-surface", "08-missing-texture", "09-zero-frames",
                                           "10-break-at-end", "11-background", "12-fog", "13-ambient-triangle",
                                           "14-two-lights-shadows", "15-glass-and-mirror",
                                           "16-spot-and-light-sphere", "17-odd-size", "18-animation-autosave",
                                           "19-resume", "20-checkered-floor", "21-image-flat",
                                           "22-image-cylinder", "23-camera-above-the-dome"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::ranges::replace(name, '-', '_');
                             return "case_" + name;
                         });

}  // namespace

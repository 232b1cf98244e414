// Shared set-up of the command-line tests: a scratch folder, synthetic
// tilted pages written in any of the four formats, and format checks of the
// files the tool writes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmpbase/bitmap24.h"
#include "tests/cli/tool_runner.h"
#include "tests/support/test_support.h"

namespace CliTest {

// Small pages keep the suite fast; the engine still finds their tilt.
constexpr uint32_t kPageRows = 420;
constexpr uint32_t kPageCols = 320;
constexpr int32_t k300DpiPpm = 11811;

class CliTestBase : public testing::Test {
  protected:
    // Writes a page tilted by `tiltDeg` to `name` in `format` ("bmp", "jpg",
    // "png", "tif"), whatever the name says. Returns the path.
    std::string WritePage(const std::string& name, double tiltDeg, const std::string& format,
                          uint32_t seed = 1);

    ToolRun Run(const std::vector<std::string>& args) { return RunTool(args, dir.path()); }

    // The report of a run with --format json, parsed; fails the test when it
    // does not parse.
    Json JsonReport(const ToolRun& run);

    // Reads any of the four formats back into a bitmap (through the
    // converter library for the compressed ones).
    bool ReadAny(const std::string& path, BmpBase::CBitmap24& bmp);

    // The signature of a file: "bmp", "jpg", "png", "tif" or "".
    static std::string Signature(const std::string& path);

    std::string File(const std::string& name) const { return dir.File(name); }

    TestSupport::ScratchDir dir;
};

}  // namespace CliTest

// PageResult: what happened to one page of a batch, as the worker that
// handled it reports it to the batch runner and the runner to the report.
// Serialize/Deserialize carry it through the pipe from a worker process,
// SerializeAll/DeserializeAll the results of a task of several pages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/page_note.h"

namespace Cli {

struct PageResult {
    std::string input;
    uint32_t page = 1;   // of a multi-page file, from 1
    uint32_t pages = 1;  // the file's page count
    std::string output;  // empty when nothing is written (estimate)
    bool ok = false;
    std::string error;  // one line, when !ok
    bool hasAngle = false;
    int angle = 0;                    // whole degrees, -89 .. 90
    bool turned = false;              // the page was rotated (auto, rotate)
    bool copied = false;              // unchanged page kept byte for byte
    bool precise = false;             // decided by precise mode
    bool notSure = false;             // precise: no trusted angle; the page is kept as it was
    double preciseAngle = 0.0;        // precise: the correction in degrees, when hasAngle
    double confidence = 0.0;          // precise: 0 .. 1
    double turnAngle = 0.0;           // rotate: the angle the page was turned by
    bool skipped = false;             // nothing to do: the note says why
    PageNote note = PageNote::kNone;  // why a page was skipped or kept as it was
    std::string changeNotes;          // what writing the page in its kind gave up (ChangeNotes)
    bool hasFingerprint = false;      // the input's size and digest, read before the work
    uint64_t inputBytes = 0;
    std::string inputSha256;  // lowercase hex
    double decodeMs = 0.0;
    double processMs = 0.0;
    double encodeMs = 0.0;
};

std::string Serialize(const PageResult& result);
// False when `bytes` is not a complete serialised result.
bool Deserialize(const std::string& bytes, PageResult& result);

// The results of one task (one per page of its file), in order.
std::string SerializeAll(const std::vector<PageResult>& results);
// False when `bytes` is not a complete serialised list of at least one.
bool DeserializeAll(const std::string& bytes, std::vector<PageResult>& results);

}  // namespace Cli

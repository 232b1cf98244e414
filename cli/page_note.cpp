#include "cli/page_note.h"

namespace Cli {

namespace {

struct NoteEntry {
    PageNote note;
    const char* text;
};

constexpr NoteEntry kNotes[] = {
    {PageNote::kSmallTilt, "3 degrees or less"},
    {PageNote::kBelowMinAngle, "below --min-angle"},
    {PageNote::kBelowMinConfidence, "below --min-confidence"},
    {PageNote::kNoClearDirection, "no clear direction of text"},
    {PageNote::kNoSkewFound, "no skew could be estimated"},
    {PageNote::kNotSureInReport, "not sure in the report"},
    {PageNote::kFailedInReport, "failed in the report"},
    {PageNote::kUnchangedInReport, "unchanged in the report"},
    {PageNote::kSkippedInReport, "skipped in the report"},
    {PageNote::kNoAngleInReport, "no angle in the report"},
    {PageNote::kTurnedInPlace, "turned in place when the report was written"},
    {PageNote::kPageChanged, "the page changed since the report"},
    {PageNote::kOutputExists, "output exists"},
    {PageNote::kNoRowInReport, "no row in the report"},
};

}  // namespace

const char* NoteText(PageNote note) {
    for (const NoteEntry& e : kNotes) {
        if (e.note == note) {
            return e.text;
        }
    }
    return "";
}

}  // namespace Cli

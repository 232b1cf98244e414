// PageNote: why a page was left as it was, skipped or kept, and the one
// table of the texts the reports give for it (the report's note column).
//
// The list is fixed and documented in the man page, so scripts may act on
// a note; a new reason is a new entry here and there.
#pragma once

namespace Cli {

enum class PageNote {
    kNone,
    kSmallTilt,           // whole-degrees auto: the small-tilt rule leaves the page
    kBelowMinAngle,       // precise auto: the correction is below --min-angle
    kBelowMinConfidence,  // precise: an angle was found, with too little confidence
    kNoClearDirection,    // precise: the page shows no clear direction of text
    kNoSkewFound,         // auto: no skew could be estimated; the page is kept
    kNotSureInReport,     // rotate --from-report: what the row's status says
    kFailedInReport,
    kUnchangedInReport,
    kSkippedInReport,
    kNoAngleInReport,  // rotate --from-report: the row gives no angle
    kTurnedInPlace,    // rotate --from-report: the report's run turned the file already
    kPageChanged,      // rotate --from-report: the input's fingerprint differs
    kOutputExists,     // --out-dir: the output is there from an earlier run
    kNoRowInReport,    // rotate --from-report: a page of a multi-page file the report omits
};

// The note as the reports write it; "" for kNone.
const char* NoteText(PageNote note);

}  // namespace Cli

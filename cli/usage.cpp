// The texts are kept in one place so that --help, the man page and the
// README tell the same story.
#include "cli/usage.h"

namespace Cli {

namespace {

const char kGeneral[] =
    R"(Usage: skewmend COMMAND [OPTIONS] INPUT...

Straighten pictures of document pages (BMP, JPEG, PNG or TIFF). A TIFF
file of several pages is one task: each page is decided on its own, and the
file is written whole, pages that are not turned carried over as stored and
turned pages in their own kind and compression (see 'man skewmend').

Commands:
  auto      find the skew of each page and turn it upright
            (precise mode unless --whole-degrees)
  rotate    turn pages by a given angle
  estimate  report the skew of each page without writing anything

Output (auto, rotate; choose one):
  -o, --output FILE    the output file (one input only); its extension
                       (.bmp .jpg .jpeg .png .tif .tiff) picks the format;
                       '-o -' writes the picture to standard output (the
                       report then goes to standard error)
      --output-format bmp|jpg|png|tif
                       the format where the name cannot say it (-o -,
                       names under --out-dir without a picture extension)
      --out-dir DIR    write each output under DIR with the input's name
      --in-place       replace the inputs
  -f, --force          replace existing output files (otherwise an output
                       under --out-dir that exists is skipped: re-running
                       a batch does only what is left)

Options:
      --corner white|black|paper
                       fill for the corners a turn uncovers (default white;
                       paper = the page's mean background colour, auto only;
                       a 1-bit page gets white unless black is asked)
      --canvas expand|keep
                       auto, rotate: the size of a turned page: expand (the
                       default) grows it to hold every pixel; keep gives the
                       input's size, the turned page centred on it
      --bilevel otsu|sauvola|dotsu|multibg|best
                       auto, rotate: write every page 1-bit, made bilevel
                       after the turn by the engine's method (best picks
                       one by the page's lighting); Group 4 TIFF, 1-bit
                       PNG or BMP; JPEG inputs under --out-dir become .tif
      --angle DEGREES  rotate: positive turns clockwise as displayed
  -r, --recursive      take pictures from subfolders of folder inputs too
      --format text|json|csv
                       report format on standard output (default text)
  -j, --jobs N         worker processes (default: one per core)
      --no-progress    no progress bar on standard error
      --timings        add decode/process/encode times to the report
      --whole-degrees  auto, estimate: the engine's own automatic rule
                       (whole degrees; tilts of 3 degrees or less are left
                       alone) instead of precise mode
      --precise        auto, estimate: precise mode, the default (a
                       sub-degree angle, a confidence, "not sure" rather
                       than a guess)
      --min-confidence X
                       precise: below X (default 0.5) is "not sure"
      --min-angle D    precise auto: smaller corrections (default 0.05
                       degrees) leave the page unchanged
      --report FILE    auto, estimate: also write each page's decision to
                       FILE, CSV or JSON by its extension (.csv, .json)
      --from-report FILE
                       rotate: turn each page by the angle FILE gives
  -v, --verbose        show the engine's log lines on standard error
  -h, --help           this help (or: skewmend help COMMAND)
  -V, --version        the version

Inputs are recognised by their content, not their names; '-' reads one
picture from standard input (with -o, or for estimate). Folders
contribute the pictures directly inside them (with --recursive, also those
in subfolders). Outputs are written to a temporary file and renamed into
place; an input is never replaced without --in-place, an existing output
never without --force.

Reports name the mode that decided the pages (precise or whole-degrees).

When standard output is not a terminal, failed pages are also announced
on standard error.

Exit status: 0 all pages done ("not sure" and skipped pages included), 1
some pages failed, 2 usage error.

Examples:
  skewmend auto scan.jpg -o scan-straight.jpg
  skewmend auto scans/ --recursive --out-dir straight/ --jobs 4
  skewmend auto *.png --in-place --corner paper
  skewmend rotate page.tif -o page.png --angle -2.5
  skewmend estimate scans/*.jpg --format csv > angles.csv
  skewmend estimate scans/ --report angles.csv
  skewmend rotate --from-report angles.csv --out-dir straight/
  skewmend auto --whole-degrees scan.bmp -o scan-straight.bmp
  cat scan.jpg | skewmend auto - -o - --output-format png > page.png
)";

const char kAuto[] =
    R"(Usage: skewmend auto INPUT... (-o OUTPUT | --out-dir DIR | --in-place)
                     [--corner white|black|paper] [--canvas expand|keep]
                     [--bilevel METHOD] [--force] [--recursive]
                     [--format text|json|csv] [--jobs N] [--verbose]
                     [--min-confidence X] [--min-angle D] [--whole-degrees]
                     [--report FILE.csv|FILE.json]

Finds how far the lines of text of each page are tilted and turns the page
upright. The angle is found to a tenth of a degree or better (precise
mode), with a confidence from 0 to 1; a page without a clear direction of
text (a blank sheet, a photograph) is reported "not sure" and kept as it
was (copied unchanged when the output has the input's format), as is a
page whose tilt cannot be estimated at all. Prints one line per page with
the angle and whether the page was turned, and names the mode in the
summary. With --canvas keep a turned page keeps the input's size.

With --whole-degrees the page is decided exactly as the engine's automatic
rotation decides it: the angle in whole degrees, and tilts of 3 degrees or
less left alone; a page whose tilt cannot be estimated is kept, reported
"unchanged" with the note "no skew could be estimated".

--report FILE also writes each page's decision to FILE, as CSV or JSON by
its extension, whatever --format is, in the layout of --format csv and
json: input, page, pages, output, status, angle, confidence, mode, note,
error, input_bytes, input_sha256 (paths absolute); 'skewmend rotate
--from-report' applies such a file, or what --format csv printed, after
review.

Example:
  skewmend auto scan.jpg -o scan-straight.jpg
  skewmend auto scans/ --out-dir straight/ --format csv
  skewmend auto scans/ --out-dir review/ --report review.csv
  skewmend auto scan.jpg -o scan.tif --bilevel best
)";

const char kRotate[] =
    R"(Usage: skewmend rotate INPUT... (-o OUTPUT | --out-dir DIR | --in-place)
                       --angle DEGREES [--corner white|black] [--force]
                       [--canvas expand|keep] [--bilevel METHOD]
       skewmend rotate --from-report FILE (--out-dir DIR | --in-place)
                       [--corner white|black] [--canvas expand|keep]
                       [--force] [--jobs N]

Turns each page by DEGREES; positive turns clockwise as displayed. The
turned page grows to hold the whole of the original (with --canvas keep it
keeps the input's size, the turned page centred on it); the uncovered
corners are white (or black). A page turned by 0 degrees is kept as it was
(copied unchanged when the output has the input's format).

With --from-report, the pages and their angles come from a report that
'auto' or 'estimate' wrote (with --report, or as --format csv or json on
standard output; possibly edited by hand since): each row's input is
turned by its angle in place or into DIR, under its path below the folder
all the report's inputs share. Rows whose status is "not sure", "failed",
"unchanged" or "skipped", or that have no angle, are reported as skipped
and left alone; to turn such a page after review, give its row an angle
and another status (such as "rotated"). A "rotated" row whose output is
its input (a report of --in-place) is skipped too: that file is turned
already. A row whose input has changed since it was measured (its size or
SHA-256 digest differs) is skipped, so applying a report twice turns each
page once. Relative paths are taken from the report's folder (from the
current folder for a report in the older seven-column layout, with a
warning). A malformed file is a usage error naming its line.

Example:
  skewmend rotate page.bmp -o page-turned.png --angle 7
  skewmend rotate --from-report review.csv --out-dir straight/
)";

const char kEstimate[] =
    R"(Usage: skewmend estimate INPUT... [--recursive] [--format text|json|csv]
                         [--jobs N] [--verbose] [--min-confidence X]
                         [--whole-degrees] [--report FILE.csv|FILE.json]

Reports the skew of each page without turning or writing anything: in
degrees with two decimals and a confidence, or "not sure" (precise mode);
with --whole-degrees, in whole degrees (-89 .. 90) as the engine's
automatic rotation finds it. --report FILE also writes the angles to FILE
(CSV or JSON), for 'skewmend rotate --from-report'.

Example:
  skewmend estimate scans/ --format json
)";

}  // namespace

void PrintHelp(std::ostream& out, Command command) {
    switch (command) {
        case Command::kAuto:
            out << kAuto;
            break;
        case Command::kRotate:
            out << kRotate;
            break;
        case Command::kEstimate:
            out << kEstimate;
            break;
        default:
            out << kGeneral;
            break;
    }
}

void PrintVersion(std::ostream& out) {
    out << "skewmend " << LEVELORA_VERSION << "\n";
}

void PrintUsageHint(std::ostream& out) {
    out << "Try 'skewmend --help' for more information.\n";
}

}  // namespace Cli

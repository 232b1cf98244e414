// Command line of the skewmend tool: the parsed options and the parser.
//
// The parser is table-driven: every option is one entry (names, whether it
// takes a value, the commands it applies to, and how it sets Options), so a
// new option is one new entry and one new field. Values may follow as the
// next argument or after "=" ("--jobs 4", "--jobs=4"); "--" ends the
// options. ParseArguments checks the options one by one; ValidateOptions
// then checks how they combine for the chosen command.
#pragma once

#include <string>
#include <vector>

#include "cli/image_format.h"
#include "cli/page_canvas.h"
#include "engine/binarizer/binarizer.h"
#include "engine/corner_fill.h"

namespace Cli {

enum class Command { kNone, kAuto, kRotate, kEstimate, kHelp, kVersion };
enum class ReportFormat { kText, kJson, kCsv };
// What fills the area a turned page no longer covers.
using Corner = Skewmend::CornerFill;

struct Options {
    Command command = Command::kNone;
    std::vector<std::string> inputs;  // files and folders as given; "-" standard input
    std::string output;               // -o: one output file; "-" standard output
    std::string outDir;               // --out-dir: outputs keep the input names
    bool inPlace = false;
    bool force = false;  // replace existing outputs
    bool recursive = false;
    Corner corner = Corner::kWhite;
    Canvas canvas = Canvas::kExpand;  // auto, rotate: the size of a turned page
    double angle = 0.0;               // rotate: degrees, positive turns clockwise as displayed
    bool angleGiven = false;
    ReportFormat format = ReportFormat::kText;
    int jobs = 0;  // worker processes; 0 = one per core
    bool verbose = false;
    bool progress = true;
    bool timings = false;  // per-page decode/process/encode times in the report
    // auto, estimate: precise mode (sub-degree angle with a confidence, "not
    // sure" rather than a guess) unless --whole-degrees asks for the
    // automatic pipeline's own decision.
    bool precise = true;
    bool preciseGiven = false;  // --precise, accepted for older scripts; changes nothing
    bool wholeDegrees = false;
    double minConfidence = 0.5;  // precise: less is "not sure"
    bool minConfidenceGiven = false;
    double minAngle = 0.05;  // precise auto: smaller corrections leave the page unchanged
    bool minAngleGiven = false;
    std::string reportFile;            // auto, estimate: the per-page decisions, .csv or .json
    std::string fromReport;            // rotate: turn each page by the angle such a report gives
    Command helpFor = Command::kNone;  // --help after a command
    // --output-format: the written format where the output's name cannot
    // say it (-o -, names under --out-dir without a picture extension).
    ImageFormat outputFormat = ImageFormat::kUnknown;
    // --bilevel METHOD (auto, rotate): every page written 1-bit, made
    // bilevel by the engine's method after the turn (bilevel_output.h).
    bool bilevel = false;
    Skewmend::BinarizeMethod bilevelMethod = Skewmend::BinarizeMethod::kOtsu;
};

// The name that stands for standard input (as an input) and standard
// output (as -o's value).
constexpr const char kStdStream[] = "-";

// Parses argv. False with a one-line message in `error` for a usage error
// (an unknown help topic included).
bool ParseArguments(int argc, const char* const* argv, Options& options, std::string& error);

// Checks the combination of options for the command. False with a message.
bool ValidateOptions(const Options& options, std::string& error);

// The form of a report file by its extension (.csv, .json, either case);
// kText for any other name, which no report file may have.
ReportFormat ReportFileFormat(const std::string& path);

// The command's name as typed ("auto", "rotate", "estimate").
const char* CommandName(Command command);

// The mode that decides the pages of `auto` and `estimate` as the reports
// name it: "precise" or "whole-degrees"; "" for the other commands.
const char* ModeName(const Options& options);

}  // namespace Cli

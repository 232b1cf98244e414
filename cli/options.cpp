// The option table and the two checking passes. Each entry lists the
// commands it belongs to; an option given to another command is a usage
// error naming both, rather than being silently ignored.
#include "cli/options.h"

#include "cli/bilevel_output.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace Cli {

namespace {

constexpr unsigned kAuto = 1u << 0;
constexpr unsigned kRotate = 1u << 1;
constexpr unsigned kEstimate = 1u << 2;
constexpr unsigned kAll = kAuto | kRotate | kEstimate;
constexpr unsigned kWriting = kAuto | kRotate;
constexpr int kMaxJobs = 256;

unsigned Bit(Command command) {
    switch (command) {
        case Command::kAuto:
            return kAuto;
        case Command::kRotate:
            return kRotate;
        case Command::kEstimate:
            return kEstimate;
        default:
            return 0;
    }
}

using Setter = std::function<bool(Options&, const std::string& value, std::string& error)>;

struct OptionRule {
    const char* longName;  // without the leading "--"
    char shortName;        // 0 when none
    bool takesValue;
    unsigned commands;  // where the option is accepted
    Setter set;
};

bool ParseInt(const std::string& text, long& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    // strtod reports ERANGE for overflow (an infinity, refused below) and
    // also for a subnormal number such as 1e-310, which is finite and
    // stands as given (a caller printing 5e-324 with %.17g sends it).
    return (errno == 0 || errno == ERANGE) && *end == '\0' && std::isfinite(value);
}

Setter Flag(bool Options::*field, bool value = true) {
    return [field, value](Options& o, const std::string&, std::string&) {
        o.*field = value;
        return true;
    };
}

const std::vector<OptionRule>& Table() {
    static const std::vector<OptionRule> table = {
        {"output", 'o', true, kWriting,
         [](Options& o, const std::string& v, std::string&) {
             o.output = v;
             return true;
         }},
        {"out-dir", 0, true, kWriting,
         [](Options& o, const std::string& v, std::string&) {
             o.outDir = v;
             return true;
         }},
        {"output-format", 0, true, kWriting,
         [](Options& o, const std::string& v, std::string& error) {
             o.outputFormat = v == "bmp"   ? ImageFormat::kBmp
                              : v == "jpg" ? ImageFormat::kJpeg
                              : v == "png" ? ImageFormat::kPng
                              : v == "tif" ? ImageFormat::kTiff
                                           : ImageFormat::kUnknown;
             if (o.outputFormat == ImageFormat::kUnknown) {
                 error = "--output-format must be bmp, jpg, png or tif, not '" + v + "'";
                 return false;
             }
             return true;
         }},
        {"in-place", 0, false, kWriting, Flag(&Options::inPlace)},
        {"force", 'f', false, kWriting, Flag(&Options::force)},
        {"recursive", 'r', false, kAll, Flag(&Options::recursive)},
        {"corner", 0, true, kWriting,
         [](Options& o, const std::string& v, std::string& error) {
             if (v == "white") {
                 o.corner = Corner::kWhite;
             } else if (v == "black") {
                 o.corner = Corner::kBlack;
             } else if (v == "paper") {
                 o.corner = Corner::kPaper;
             } else {
                 error = "--corner must be white, black or paper, not '" + v + "'";
                 return false;
             }
             return true;
         }},
        {"bilevel", 0, true, kWriting,
         [](Options& o, const std::string& v, std::string& error) {
             if (!ParseBilevelMethod(v, o.bilevelMethod)) {
                 error = "--bilevel must be otsu, sauvola, dotsu, multibg or best, not '" + v + "'";
                 return false;
             }
             o.bilevel = true;
             return true;
         }},
        {"canvas", 0, true, kWriting,
         [](Options& o, const std::string& v, std::string& error) {
             if (v == "expand") {
                 o.canvas = Canvas::kExpand;
             } else if (v == "keep") {
                 o.canvas = Canvas::kKeep;
             } else {
                 error = "--canvas must be expand or keep, not '" + v + "'";
                 return false;
             }
             return true;
         }},
        {"quality", 0, true, kWriting,
         [](Options& o, const std::string& v, std::string& error) {
             long n = 0;
             if (!ParseInt(v, n) || n < 1 || n > kMaxJpegQuality) {
                 error = "--quality needs a whole number from 1 to " +
                         std::to_string(kMaxJpegQuality) + ", not '" + v + "'";
                 return false;
             }
             o.quality = static_cast<int>(n);
             return true;
         }},
        {"angle", 0, true, kRotate,
         [](Options& o, const std::string& v, std::string& error) {
             if (!ParseDouble(v, o.angle)) {
                 error = "--angle needs a number of degrees, not '" + v + "'";
                 return false;
             }
             o.angleGiven = true;
             return true;
         }},
        {"format", 0, true, kAll,
         [](Options& o, const std::string& v, std::string& error) {
             if (v == "text") {
                 o.format = ReportFormat::kText;
             } else if (v == "json") {
                 o.format = ReportFormat::kJson;
             } else if (v == "csv") {
                 o.format = ReportFormat::kCsv;
             } else {
                 error = "--format must be text, json or csv, not '" + v + "'";
                 return false;
             }
             return true;
         }},
        {"jobs", 'j', true, kAll,
         [](Options& o, const std::string& v, std::string& error) {
             long n = 0;
             if (!ParseInt(v, n) || n < 1 || n > kMaxJobs) {
                 error = "--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) +
                         ", not '" + v + "'";
                 return false;
             }
             o.jobs = static_cast<int>(n);
             return true;
         }},
        {"verbose", 'v', false, kAll, Flag(&Options::verbose)},
        {"no-progress", 0, false, kAll, Flag(&Options::progress, false)},
        {"timings", 0, false, kAll, Flag(&Options::timings)},
        {"precise", 0, false, kAuto | kEstimate, Flag(&Options::preciseGiven)},
        {"whole-degrees", 0, false, kAuto | kEstimate,
         [](Options& o, const std::string&, std::string&) {
             o.wholeDegrees = true;
             o.precise = false;
             return true;
         }},
        {"min-confidence", 0, true, kAuto | kEstimate,
         [](Options& o, const std::string& v, std::string& error) {
             if (!ParseDouble(v, o.minConfidence) || o.minConfidence < 0.0 ||
                 o.minConfidence > 1.0) {
                 error = "--min-confidence needs a number from 0 to 1, not '" + v + "'";
                 return false;
             }
             o.minConfidenceGiven = true;
             return true;
         }},
        {"min-angle", 0, true, kAuto,
         [](Options& o, const std::string& v, std::string& error) {
             if (!ParseDouble(v, o.minAngle) || o.minAngle < 0.0) {
                 error = "--min-angle needs a number of degrees of 0 or more, not '" + v + "'";
                 return false;
             }
             o.minAngleGiven = true;
             return true;
         }},
        {"report", 0, true, kAuto | kEstimate,
         [](Options& o, const std::string& v, std::string& error) {
             if (v.empty()) {
                 error = "--report needs a file name ending in .csv or .json";
                 return false;
             }
             o.reportFile = v;
             return true;
         }},
        {"from-report", 0, true, kRotate,
         [](Options& o, const std::string& v, std::string& error) {
             if (v.empty()) {
                 error = "--from-report needs the file of a report";
                 return false;
             }
             o.fromReport = v;
             return true;
         }},
    };
    return table;
}

const OptionRule* FindLong(const std::string& name) {
    for (const OptionRule& rule : Table()) {
        if (name == rule.longName) {
            return &rule;
        }
    }
    return nullptr;
}

const OptionRule* FindShort(char name) {
    for (const OptionRule& rule : Table()) {
        if (rule.shortName != 0 && rule.shortName == name) {
            return &rule;
        }
    }
    return nullptr;
}

Command CommandFromName(const std::string& name) {
    if (name == "auto") {
        return Command::kAuto;
    }
    if (name == "rotate") {
        return Command::kRotate;
    }
    if (name == "estimate") {
        return Command::kEstimate;
    }
    if (name == "help") {
        return Command::kHelp;
    }
    return Command::kNone;
}

// rotate --from-report: the pages, their angles and their inputs come from
// the report, so inputs, --angle, -o and --recursive have no place.
bool ValidateFromReport(const Options& o, std::string& error) {
    if (!o.inputs.empty()) {
        error = "--from-report takes the pages from the report; give no inputs";
    } else if (o.angleGiven) {
        error = "--from-report takes the angles from the report; give no --angle";
    } else if (!o.output.empty()) {
        error = "--from-report writes with --out-dir DIR or --in-place, not -o";
    } else if (o.recursive) {
        error = "--recursive does not apply to --from-report";
    } else if (o.outDir.empty() == !o.inPlace) {
        error = "choose exactly one of --out-dir DIR and --in-place";
    } else if (o.corner == Corner::kPaper) {
        error = "'rotate' fills corners with white or black only";
    } else {
        return true;
    }
    return false;
}

// --bilevel writes 1-bit pages: never over colour originals, never as JPEG.
bool ValidateBilevel(const Options& o, std::string& error) {
    if (o.inPlace) {
        error =
            "--bilevel cannot replace inputs in place (their colour would be lost); use -o "
            "or --out-dir";
    } else if (FormatFromExtension(o.output) == ImageFormat::kJpeg ||
               o.outputFormat == ImageFormat::kJpeg) {
        error = "--bilevel writes 1-bit pages, which JPEG cannot hold; use .tif, .png or .bmp";
    } else {
        return true;
    }
    return false;
}

// "-" as the input (one picture from standard input) and as -o's value
// (the picture to standard output, the report to standard error).
bool ValidateStreams(const Options& o, std::string& error) {
    size_t fromStdin = 0;
    for (const std::string& input : o.inputs) {
        fromStdin += input == kStdStream ? 1 : 0;
    }
    if (fromStdin > 1) {
        error = "standard input ('-') can be read only once";
    } else if (fromStdin == 1 && !o.outDir.empty()) {
        error = "standard input ('-') has no name to write under --out-dir; use -o";
    } else if (fromStdin == 1 && o.inPlace) {
        error = "standard input ('-') cannot be replaced in place; use -o";
    } else if (o.output == kStdStream && o.format != ReportFormat::kText && o.reportFile.empty()) {
        error =
            "-o - writes the picture to standard output; --format json or csv then "
            "needs --report FILE";
    } else {
        return true;
    }
    return false;
}

}  // namespace

ReportFormat ReportFileFormat(const std::string& path) {
    const std::string::size_type dot = path.rfind('.');
    const std::string::size_type slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return ReportFormat::kText;
    }
    std::string ext = path.substr(dot + 1);
    for (char& ch : ext) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    if (ext == "csv") {
        return ReportFormat::kCsv;
    }
    return ext == "json" ? ReportFormat::kJson : ReportFormat::kText;
}

const char* CommandName(Command command) {
    switch (command) {
        case Command::kAuto:
            return "auto";
        case Command::kRotate:
            return "rotate";
        case Command::kEstimate:
            return "estimate";
        default:
            return "";
    }
}

const char* ModeName(const Options& o) {
    if (o.command != Command::kAuto && o.command != Command::kEstimate) {
        return "";
    }
    return o.precise ? "precise" : "whole-degrees";
}

bool ParseArguments(int argc, const char* const* argv, Options& options, std::string& error) {
    if (argc < 2) {
        error = "no command given";
        return false;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") {
        options.command = Command::kHelp;
        return true;
    }
    if (first == "--version" || first == "-V") {
        options.command = Command::kVersion;
        return true;
    }
    options.command = CommandFromName(first);
    if (options.command == Command::kNone) {
        error = "unknown command '" + first + "'";
        return false;
    }
    if (options.command == Command::kHelp) {
        if (argc > 2) {
            options.helpFor = CommandFromName(argv[2]);
            if (options.helpFor == Command::kNone || options.helpFor == Command::kHelp) {
                error = std::string("unknown help topic '") + argv[2] +
                        "'; the topics are auto, rotate and estimate";
                return false;
            }
        }
        return true;
    }
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.helpFor = options.command;
            options.command = Command::kHelp;
            return true;
        }
        const OptionRule* rule = nullptr;
        std::string value;
        bool haveValue = false;
        std::string shown = arg;
        if (arg.compare(0, 2, "--") == 0) {
            const std::string::size_type eq = arg.find('=');
            const std::string name = arg.substr(2, eq == std::string::npos ? eq : eq - 2);
            shown = "--" + name;
            rule = FindLong(name);
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                haveValue = true;
            }
        } else if (arg.size() == 2) {
            rule = FindShort(arg[1]);
        }
        if (rule == nullptr) {
            error = "unknown option '" + shown + "'";
            return false;
        }
        if ((rule->commands & Bit(options.command)) == 0) {
            error =
                "option '" + shown + "' does not apply to '" + CommandName(options.command) + "'";
            return false;
        }
        if (rule->takesValue && !haveValue) {
            if (i + 1 >= argc) {
                error = "option '" + shown + "' needs a value";
                return false;
            }
            value = argv[++i];
        } else if (!rule->takesValue && haveValue) {
            error = "option '" + shown + "' takes no value";
            return false;
        }
        if (!rule->set(options, value, error)) {
            return false;
        }
    }
    // Only auto and estimate decide pages; rotate turns by the angle given.
    options.precise = options.precise && options.command != Command::kRotate;
    return true;
}

bool ValidateOptions(const Options& o, std::string& error) {
    if (o.command != Command::kAuto && o.command != Command::kRotate &&
        o.command != Command::kEstimate) {
        return true;
    }
    if (o.bilevel && !ValidateBilevel(o, error)) {
        return false;
    }
    if (!o.fromReport.empty()) {
        return ValidateFromReport(o, error);
    }
    if (o.inputs.empty()) {
        error = std::string("'") + CommandName(o.command) + "' needs at least one input";
        return false;
    }
    if (!o.reportFile.empty() && ReportFileFormat(o.reportFile) == ReportFormat::kText) {
        error = "the report file '" + o.reportFile + "' must end in .csv or .json";
        return false;
    }
    if (o.wholeDegrees && o.preciseGiven) {
        error = "--precise and --whole-degrees exclude each other";
        return false;
    }
    if (o.wholeDegrees && (o.minConfidenceGiven || o.minAngleGiven)) {
        error = std::string(o.minConfidenceGiven ? "--min-confidence" : "--min-angle") +
                " applies to precise mode only, not to --whole-degrees";
        return false;
    }
    if (!ValidateStreams(o, error)) {
        return false;
    }
    if (o.command == Command::kEstimate) {
        return true;
    }
    const int destinations =
        (o.output.empty() ? 0 : 1) + (o.outDir.empty() ? 0 : 1) + (o.inPlace ? 1 : 0);
    if (destinations != 1) {
        error = "choose exactly one of -o OUTPUT, --out-dir DIR and --in-place";
        return false;
    }
    if (!o.output.empty() && o.inputs.size() != 1) {
        error = "-o names one output file; use --out-dir for several inputs";
        return false;
    }
    if (o.command == Command::kRotate) {
        if (!o.angleGiven) {
            error = "'rotate' needs --angle DEGREES";
            return false;
        }
        if (o.corner == Corner::kPaper) {
            error = "'rotate' fills corners with white or black only";
            return false;
        }
    }
    return true;
}

}  // namespace Cli

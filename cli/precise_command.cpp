// The precise-mode commands: parse, estimate (and turn) the page through the
// engine's precise mode, and report the decision as JSON or CSV.
#include "precise_command.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "bmpbase/bitmap24.h"
#include "deskew/precise.h"

namespace SkewmendCli {

namespace {

struct PreciseArgs {
    bool rotate = false;  // auto (true) or estimate (false)
    std::string input;
    std::string output;
    std::string report;
    int corner = 2;
    double minConfidence = Skewmend::PreciseDeskew::kDefaultMinConfidence;
    double minAngle = Skewmend::PreciseDeskew::kDefaultMinAngleDeg;
};

int Usage() {
    std::cerr << "usage: skewmend auto --precise INPUT -o OUTPUT [--corner white|black|paper]\n"
                 "           [--min-confidence X] [--min-angle D] [--report FILE]\n"
                 "       skewmend estimate --precise INPUT [--report FILE]\n";
    return 2;
}

bool ParseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

bool Parse(int argc, char** argv, PreciseArgs& a) {
    a.rotate = std::strcmp(argv[1], "auto") == 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--precise") {
            continue;
        }
        if (a.rotate && (arg == "-o" || arg == "--output") && hasValue) {
            a.output = argv[++i];
        } else if (arg == "--report" && hasValue) {
            a.report = argv[++i];
        } else if (a.rotate && arg == "--corner" && hasValue) {
            const std::string v = argv[++i];
            if (v == "white") {
                a.corner = 2;
            } else if (v == "black") {
                a.corner = 1;
            } else if (v == "paper") {
                a.corner = 0;
            } else {
                return false;
            }
        } else if (a.rotate && arg == "--min-confidence" && hasValue) {
            if (!ParseNumber(argv[++i], a.minConfidence)) {
                return false;
            }
        } else if (a.rotate && arg == "--min-angle" && hasValue) {
            if (!ParseNumber(argv[++i], a.minAngle) || a.minAngle < 0) {
                return false;
            }
        } else if (a.input.empty() && !arg.empty() && arg[0] != '-') {
            a.input = arg;
        } else {
            return false;
        }
    }
    return !a.input.empty() && (!a.rotate || !a.output.empty());
}

std::string Fixed(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(ch));
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

struct Report {
    std::string file;
    std::string status;
    bool hasAngle = false;
    double angle = 0.0;
    double confidence = 0.0;

    std::string Json() const {
        return "{\"file\": " + JsonString(file) + ", \"status\": \"" + status +
               "\", \"angle\": " + (hasAngle ? Fixed(angle, 2) : "null") +
               ", \"confidence\": " + Fixed(confidence, 2) + "}";
    }
    std::string Csv() const {
        std::string quoted = "\"";
        for (char ch : file) {
            quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        }
        quoted += "\"";
        return "file,status,angle,confidence\n" + quoted + "," + status + "," +
               (hasAngle ? Fixed(angle, 2) : "") + "," + Fixed(confidence, 2) + "\n";
    }
};

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool WriteReport(const Report& report, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << (EndsWith(path, ".csv") ? report.Csv() : report.Json() + "\n");
    out.close();
    return static_cast<bool>(out);
}

// Swallows the engine's log lines for its lifetime.
class QuietEngine {
  public:
    QuietEngine() : saved_(std::cout.rdbuf(sink_.rdbuf())) {}
    ~QuietEngine() { std::cout.rdbuf(saved_); }
    QuietEngine(const QuietEngine&) = delete;
    QuietEngine& operator=(const QuietEngine&) = delete;

  private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

}  // namespace

bool IsPreciseCommand(int argc, char** argv) {
    if (argc < 2 || (std::strcmp(argv[1], "auto") != 0 && std::strcmp(argv[1], "estimate") != 0)) {
        return false;
    }
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--precise") == 0) {
            return true;
        }
    }
    return false;
}

int RunPreciseCommand(int argc, char** argv) {
    PreciseArgs a;
    if (!Parse(argc, argv, a)) {
        return Usage();
    }
    BmpBase::CBitmap24 src;
    if (!src.Read(a.input.c_str())) {
        std::cerr << "skewmend: " << a.input << " does not exist or is not a 24-bit BMP file\n";
        return 1;
    }
    Report report;
    report.file = a.input;
    Skewmend::PreciseEstimate estimate;
    BmpBase::CBitmap24 dst;
    if (a.rotate) {
        Skewmend::PreciseAction action;
        {
            QuietEngine quiet;
            action = Skewmend::PreciseDeskew::Apply(src, dst, a.corner, a.minConfidence, a.minAngle,
                                                    estimate);
        }
        report.status = Skewmend::PreciseActionName(action);
        report.hasAngle = action == Skewmend::PreciseAction::kRotated ||
                          action == Skewmend::PreciseAction::kUnchanged;
    } else {
        {
            QuietEngine quiet;
            Skewmend::PreciseDeskew::Estimate(src, estimate);
        }
        report.hasAngle = estimate.status == Skewmend::PreciseStatus::kSure;
        report.status = report.hasAngle                                        ? "found"
                        : estimate.status == Skewmend::PreciseStatus::kNotSure ? "not sure"
                                                                               : "failed";
    }
    report.angle = estimate.angle;
    report.confidence = estimate.confidence;
    const bool failed = report.status == "failed";
    if (a.rotate && !failed && !dst.Write(a.output.c_str())) {
        std::cerr << "skewmend: could not write " << a.output << "\n";
        return 1;
    }
    std::cout << report.Json() << std::endl;
    // The engine's timers report on standard output when the process ends;
    // keep them out of the report that scripts read there.
    std::cout.setstate(std::ios_base::badbit);
    if (!a.report.empty() && !WriteReport(report, a.report)) {
        std::cerr << "skewmend: could not write the report " << a.report << "\n";
        return 1;
    }
    return failed ? 1 : 0;
}

}  // namespace SkewmendCli

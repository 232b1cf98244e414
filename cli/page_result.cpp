// The serial form is a sequence of fields, each its byte length in decimal,
// a colon and the bytes, so file names may hold any character. Numbers are
// written with enough digits to come back exactly.
#include "cli/page_result.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace Cli {

namespace {

void Put(std::string& out, const std::string& field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

std::string Num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

bool Take(const std::string& in, size_t& pos, std::string& field) {
    const size_t colon = in.find(':', pos);
    if (colon == std::string::npos || colon == pos) {
        return false;
    }
    char* end = nullptr;
    const unsigned long long n = std::strtoull(in.c_str() + pos, &end, 10);
    if (end != in.c_str() + colon || n > in.size() - colon - 1) {
        return false;
    }
    field = in.substr(colon + 1, n);
    pos = colon + 1 + n;
    return true;
}

}  // namespace

std::string Serialize(const PageResult& r) {
    std::string out;
    Put(out, r.input);
    Put(out, r.output);
    Put(out, r.ok ? "1" : "0");
    Put(out, r.error);
    Put(out, r.hasAngle ? "1" : "0");
    Put(out, std::to_string(r.angle));
    Put(out, r.turned ? "1" : "0");
    Put(out, r.copied ? "1" : "0");
    Put(out, Num(r.decodeMs));
    Put(out, Num(r.processMs));
    Put(out, Num(r.encodeMs));
    Put(out, r.precise ? "1" : "0");
    Put(out, r.notSure ? "1" : "0");
    Put(out, Num(r.preciseAngle));
    Put(out, Num(r.confidence));
    Put(out, Num(r.turnAngle));
    Put(out, r.skipped ? "1" : "0");
    Put(out, std::to_string(static_cast<int>(r.note)));
    Put(out, r.hasFingerprint ? "1" : "0");
    Put(out, std::to_string(r.inputBytes));
    Put(out, r.inputSha256);
    Put(out, std::to_string(r.page));
    Put(out, std::to_string(r.pages));
    Put(out, r.changeNotes);
    return out;
}

bool Deserialize(const std::string& bytes, PageResult& r) {
    std::vector<std::string> f(24);
    size_t pos = 0;
    for (std::string& field : f) {
        if (!Take(bytes, pos, field)) {
            return false;
        }
    }
    if (pos != bytes.size()) {
        return false;
    }
    r.input = f[0];
    r.output = f[1];
    r.ok = f[2] == "1";
    r.error = f[3];
    r.hasAngle = f[4] == "1";
    r.angle = std::atoi(f[5].c_str());
    r.turned = f[6] == "1";
    r.copied = f[7] == "1";
    r.decodeMs = std::strtod(f[8].c_str(), nullptr);
    r.processMs = std::strtod(f[9].c_str(), nullptr);
    r.encodeMs = std::strtod(f[10].c_str(), nullptr);
    r.precise = f[11] == "1";
    r.notSure = f[12] == "1";
    r.preciseAngle = std::strtod(f[13].c_str(), nullptr);
    r.confidence = std::strtod(f[14].c_str(), nullptr);
    r.turnAngle = std::strtod(f[15].c_str(), nullptr);
    r.skipped = f[16] == "1";
    r.note = static_cast<PageNote>(std::atoi(f[17].c_str()));
    r.hasFingerprint = f[18] == "1";
    r.inputBytes = std::strtoull(f[19].c_str(), nullptr, 10);
    r.inputSha256 = f[20];
    r.page = static_cast<uint32_t>(std::strtoul(f[21].c_str(), nullptr, 10));
    r.pages = static_cast<uint32_t>(std::strtoul(f[22].c_str(), nullptr, 10));
    r.changeNotes = f[23];
    return true;
}

std::string SerializeAll(const std::vector<PageResult>& results) {
    std::string out;
    Put(out, std::to_string(results.size()));
    for (const PageResult& r : results) {
        Put(out, Serialize(r));
    }
    return out;
}

bool DeserializeAll(const std::string& bytes, std::vector<PageResult>& results) {
    size_t pos = 0;
    std::string field;
    if (!Take(bytes, pos, field)) {
        return false;
    }
    const unsigned long long count = std::strtoull(field.c_str(), nullptr, 10);
    if (count == 0 || count > bytes.size()) {
        return false;
    }
    results.assign(static_cast<size_t>(count), PageResult());
    for (PageResult& r : results) {
        if (!Take(bytes, pos, field) || !Deserialize(field, r)) {
            return false;
        }
    }
    return pos == bytes.size();
}

}  // namespace Cli

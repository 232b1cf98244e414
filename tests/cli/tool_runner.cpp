#include "tests/cli/tool_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/test_support.h"

namespace CliTest {

namespace {

std::string Drain(int fd) {
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) {
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

class JsonReader {
  public:
    explicit JsonReader(const std::string& s) : s_(s) {}

    bool Document(Json& v) {
        if (!Value(v)) {
            return false;
        }
        Space();
        return pos_ == s_.size();
    }

  private:
    void Space() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_])) != 0) {
            ++pos_;
        }
    }
    bool Literal(const char* word) {
        const std::string w = word;
        if (s_.compare(pos_, w.size(), w) != 0) {
            return false;
        }
        pos_ += w.size();
        return true;
    }
    bool String(std::string& out) {
        if (pos_ >= s_.size() || s_[pos_] != '"') {
            return false;
        }
        ++pos_;
        while (pos_ < s_.size() && s_[pos_] != '"') {
            char ch = s_[pos_++];
            if (static_cast<unsigned char>(ch) < 0x20) {
                return false;
            }
            if (ch == '\\') {
                if (pos_ >= s_.size()) {
                    return false;
                }
                const char e = s_[pos_++];
                switch (e) {
                    case 'n':
                        ch = '\n';
                        break;
                    case 't':
                        ch = '\t';
                        break;
                    case 'r':
                        ch = '\r';
                        break;
                    case 'u':
                        if (pos_ + 4 > s_.size()) {
                            return false;
                        }
                        ch =
                            static_cast<char>(std::strtol(s_.substr(pos_, 4).c_str(), nullptr, 16));
                        pos_ += 4;
                        break;
                    case '"':
                    case '\\':
                    case '/':
                        ch = e;
                        break;
                    default:
                        return false;
                }
            }
            out += ch;
        }
        if (pos_ >= s_.size()) {
            return false;
        }
        ++pos_;
        return true;
    }
    bool Value(Json& v) {
        Space();
        if (pos_ >= s_.size()) {
            return false;
        }
        const char ch = s_[pos_];
        if (ch == '{') {
            ++pos_;
            v.kind = Json::Kind::kObject;
            Space();
            if (pos_ < s_.size() && s_[pos_] == '}') {
                ++pos_;
                return true;
            }
            for (;;) {
                Space();
                std::string key;
                if (!String(key)) {
                    return false;
                }
                Space();
                if (pos_ >= s_.size() || s_[pos_++] != ':') {
                    return false;
                }
                if (!Value(v.fields[key])) {
                    return false;
                }
                Space();
                if (pos_ < s_.size() && s_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                return pos_ < s_.size() && s_[pos_++] == '}';
            }
        }
        if (ch == '[') {
            ++pos_;
            v.kind = Json::Kind::kArray;
            Space();
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                return true;
            }
            for (;;) {
                v.items.emplace_back();
                if (!Value(v.items.back())) {
                    return false;
                }
                Space();
                if (pos_ < s_.size() && s_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                return pos_ < s_.size() && s_[pos_++] == ']';
            }
        }
        if (ch == '"') {
            v.kind = Json::Kind::kString;
            return String(v.text);
        }
        if (Literal("null")) {
            v.kind = Json::Kind::kNull;
            return true;
        }
        if (Literal("true") || Literal("false")) {
            v.kind = Json::Kind::kBool;
            v.flag = s_[pos_ - 1] == 'e' && s_[pos_ - 2] == 'u';
            return true;
        }
        char* end = nullptr;
        v.number = std::strtod(s_.c_str() + pos_, &end);
        if (end == s_.c_str() + pos_) {
            return false;
        }
        v.kind = Json::Kind::kNumber;
        pos_ = static_cast<size_t>(end - s_.c_str());
        return true;
    }

    const std::string& s_;
    size_t pos_ = 0;
};

}  // namespace

ToolRun RunTool(const std::vector<std::string>& args, const std::string& workDir,
                const std::string& stdinPath) {
    const std::string binary = TestSupport::BinaryDir() + "/skewmend";
    // Files rather than pipes: the tool may write a lot to either stream,
    // and nothing reads them while it runs.
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) {
        throw std::runtime_error("cannot create capture files");
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
        if (!stdinPath.empty()) {
            const int in = open(stdinPath.c_str(), O_RDONLY);
            if (in < 0 || dup2(in, STDIN_FILENO) < 0) {
                _exit(127);
            }
        }
        if (chdir(workDir.c_str()) != 0) {
            _exit(127);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    lseek(fileno(out), 0, SEEK_SET);
    lseek(fileno(err), 0, SEEK_SET);
    run.out = Drain(fileno(out));
    run.err = Drain(fileno(err));
    std::fclose(out);
    std::fclose(err);
    return run;
}

const Json& Json::operator[](const std::string& key) const {
    static const Json kMissing;
    const auto it = fields.find(key);
    return it == fields.end() ? kMissing : it->second;
}

bool ParseJson(const std::string& text, Json& value) {
    return JsonReader(text).Document(value);
}

std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false, any = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                cell += ch;
            }
            continue;
        }
        if (ch == '"') {
            quoted = true;
            any = true;
        } else if (ch == ',') {
            row.push_back(cell);
            cell.clear();
        } else if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            row.push_back(cell);
            rows.push_back(row);
            row.clear();
            cell.clear();
            any = false;
        } else {
            cell += ch;
            any = true;
        }
    }
    if (any || !row.empty()) {
        row.push_back(cell);
        rows.push_back(row);
    }
    return rows;
}

size_t Column(const std::vector<std::string>& header, const std::string& name) {
    size_t i = 0;
    while (i < header.size() && header[i] != name) {
        ++i;
    }
    return i;
}

}  // namespace CliTest

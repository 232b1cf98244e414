// Recursive descent over the text with one character of look-ahead, the
// line counted as white space is skipped. Nesting is limited so that a
// hostile file cannot exhaust the stack. \u escapes become UTF-8, surrogate
// pairs included; a lone surrogate, a raw control character in a string, an
// unknown escape or anything after the document is an error.
#include "cli/json_reader.h"

#include <cctype>

namespace Cli {

namespace {

constexpr int kMaxJsonDepth = 64;

class JsonParser {
  public:
    explicit JsonParser(const std::string& text) : text_(text) {}

    bool Document(JsonValue& value, std::string& why) {
        if (!Value(value, 0)) {
            why = why_;
            return false;
        }
        Space();
        if (pos_ != text_.size()) {
            why = "text after the end of the document";
            return false;
        }
        return true;
    }
    size_t Line() const { return line_; }

  private:
    bool Fail(const std::string& why) {
        why_ = why;
        return false;
    }

    void Space() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\r' || text_[pos_] == '\n')) {
            line_ += text_[pos_] == '\n' ? 1 : 0;
            ++pos_;
        }
    }

    bool Literal(const char* word) {
        const std::string w = word;
        if (text_.compare(pos_, w.size(), w) != 0) {
            return Fail("unexpected text");
        }
        pos_ += w.size();
        return true;
    }

    static void PutUtf8(std::string& out, unsigned long cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    bool Hex4(unsigned long& cp) {
        if (pos_ + 4 > text_.size()) {
            return Fail("a \\u escape needs four hex digits");
        }
        cp = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                return Fail("a \\u escape needs four hex digits");
            }
            cp = cp * 16 + static_cast<unsigned long>(
                               std::isdigit(static_cast<unsigned char>(c))
                                   ? c - '0'
                                   : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
        }
        return true;
    }

    bool String(std::string& out) {
        ++pos_;  // the opening quote
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return Fail("a control character inside a string");
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) {
                break;
            }
            const char e = text_[pos_++];
            static const std::string kFrom = "\"\\/bfnrt";
            static const std::string kTo = "\"\\/\b\f\n\r\t";
            const size_t k = kFrom.find(e);
            if (k != std::string::npos) {
                out += kTo[k];
            } else if (e == 'u') {
                unsigned long cp = 0;
                if (!Hex4(cp)) {
                    return false;
                }
                if (cp >= 0xD800 && cp < 0xDC00) {
                    unsigned long low = 0;
                    if (!Literal("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000) {
                        return Fail("a broken \\u surrogate pair");
                    }
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= kRawByteSurrogate && cp < kRawByteSurrogate + 0x80) {
                    out += static_cast<char>(cp - kRawByteSurrogate + 0x80);
                    continue;
                } else if (cp >= 0xDC00 && cp < 0xE000) {
                    return Fail("a broken \\u surrogate pair");
                }
                PutUtf8(out, cp);
            } else {
                return Fail(std::string("an unknown escape \\") + e);
            }
        }
        return Fail("a string without its closing quote");
    }

    bool Number(std::string& out) {
        const size_t start = pos_;
        auto digits = [&]() {
            const size_t from = pos_;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
                ++pos_;
            }
            return pos_ > from;
        };
        if (text_[pos_] == '-') {
            ++pos_;
        }
        // The integer part is 0 or starts with 1 .. 9: no leading zeros.
        if (pos_ < text_.size() && text_[pos_] == '0') {
            ++pos_;
            if (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
                return Fail("a number with a leading zero");
            }
        } else if (!digits()) {
            return Fail("unexpected text");
        }
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (!digits()) {
                return Fail("a number without digits after its point");
            }
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
                ++pos_;
            }
            if (!digits()) {
                return Fail("a number without digits in its exponent");
            }
        }
        out = text_.substr(start, pos_ - start);
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth > kMaxJsonDepth) {
            return Fail("nested too deeply");
        }
        Space();
        v.line = line_;
        if (pos_ >= text_.size()) {
            return Fail("the document ends too early");
        }
        const char c = text_[pos_];
        using Kind = JsonValue::Kind;
        if (c == '{' || c == '[') {
            const bool object = c == '{';
            v.kind = object ? Kind::kObject : Kind::kArray;
            ++pos_;
            Space();
            if (pos_ < text_.size() && text_[pos_] == (object ? '}' : ']')) {
                ++pos_;
                return true;
            }
            for (;;) {
                JsonValue item;
                if (object) {
                    std::string key;
                    Space();
                    if (pos_ >= text_.size() || text_[pos_] != '"') {
                        return Fail("a member name must be a string");
                    }
                    if (!String(key)) {
                        return false;
                    }
                    Space();
                    if (!Literal(":")) {
                        return Fail("a ':' must follow a member name");
                    }
                    if (!Value(item, depth + 1)) {
                        return false;
                    }
                    v.members.emplace_back(key, std::move(item));
                } else {
                    if (!Value(item, depth + 1)) {
                        return false;
                    }
                    v.items.push_back(std::move(item));
                }
                Space();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                if (pos_ < text_.size() && text_[pos_] == (object ? '}' : ']')) {
                    ++pos_;
                    return true;
                }
                return Fail(object ? "a ',' or '}' is missing" : "a ',' or ']' is missing");
            }
        }
        if (c == '"') {
            v.kind = Kind::kString;
            return String(v.text);
        }
        if (c == 't' || c == 'f') {
            v.kind = Kind::kBool;
            v.text = c == 't' ? "true" : "false";
            return Literal(v.text.c_str());
        }
        if (c == 'n') {
            v.kind = Kind::kNull;
            return Literal("null");
        }
        v.kind = Kind::kNumber;
        return Number(v.text);
    }

    const std::string& text_;
    size_t pos_ = 0;
    size_t line_ = 1;
    std::string why_;
};

}  // namespace

bool ParseJson(const std::string& text, JsonValue& value, size_t& line, std::string& why) {
    JsonParser parser(text);
    const bool ok = parser.Document(value, why);
    line = parser.Line();
    return ok;
}

}  // namespace Cli

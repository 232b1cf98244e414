// The discarding buffer is created once and never destroyed: the engine's
// timers print their summary from static destructors at exit, after main
// has returned, and must still find a valid buffer behind std::cout.
#include "engine_log.h"

#include <iostream>

namespace Cli {

namespace {

class NullBuffer : public std::streambuf {
  protected:
    int overflow(int ch) override { return traits_type::not_eof(ch); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

std::streambuf* RouteEngineLog(bool verbose) {
    std::streambuf* const original = std::cout.rdbuf();
    static std::streambuf* const discard = new NullBuffer();
    std::cout.rdbuf(verbose ? std::cerr.rdbuf() : discard);
    return original;
}

}  // namespace Cli

#include "pictconv/temp_name.h"

#include <atomic>
#include <chrono>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace Pictconv {

namespace {

constexpr int kSuffixLength = 6;

#ifdef _WIN32
constexpr const char* kSeparators = "\\/";

uint64_t ProcessId() {
    return GetCurrentProcessId();
}
#else
constexpr const char* kSeparators = "/";

uint64_t ProcessId() {
    return static_cast<uint64_t>(getpid());
}
#endif

uint64_t NextRandom() {
    static std::atomic<uint64_t> counter{0};
    uint64_t x =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (ProcessId() << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x;
}

std::string RandomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr uint64_t kLetterCount = sizeof kLetters - 1;
    uint64_t x = NextRandom();
    std::string suffix;
    for (int i = 0; i < kSuffixLength; ++i) {
        suffix += kLetters[x % kLetterCount];
        x /= kLetterCount;
    }
    return suffix;
}

}  // namespace

std::string TempSibling(const std::string& destPath) {
    const std::string::size_type end = destPath.find_last_of(kSeparators);
    const std::string folder =
        end == std::string::npos ? std::string() : destPath.substr(0, end + 1);
    const std::string name = end == std::string::npos ? destPath : destPath.substr(end + 1);
    if (name.empty()) {
        return std::string();
    }
    return folder + "." + name + "." + RandomSuffix();
}

}  // namespace Pictconv

// The file-mode contract of AtomicOutput, under several umasks: a new file
// gets 0666 less the umask, a replaced file keeps its mode, the umask is the
// same afterwards and nothing is left beside the destination. Each case runs
// the probe program under a shell that sets the umask, so that this test
// process keeps its own.
#include <gtest/gtest.h>

#ifdef _WIN32

TEST(AtomicOutputModes, NotOnWindows) {
    GTEST_SKIP() << "file modes and the umask are POSIX; a new file on Windows gets the "
                    "permissions its folder passes on";
}

#else

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>

#include "tests/support/test_support.h"

namespace {

using TestSupport::ScratchDir;

struct ProbeRun {
    int status = -1;
    std::string printed;  // "BEFORE AFTER" umasks
};

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (const char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

std::string Octal(unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04o", value);
    return buf;
}

ProbeRun RunProbe(unsigned mask, const std::string& dest, const char* how,
                  const std::string& text) {
    const std::string command = "umask " + Octal(mask) + " && exec " +
                                Quoted(TestSupport::BinaryDir() + "/atomic_output_probe") + " " +
                                Quoted(dest) + " " + how + " " + Quoted(text);
    ProbeRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buf[64];
    while (std::fgets(buf, sizeof buf, pipe) != nullptr) {
        run.printed += buf;
    }
    run.status = pclose(pipe);
    return run;
}

unsigned ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string Text(const std::string& path) {
    const std::vector<uint8_t> bytes = TestSupport::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

size_t EntriesIn(const std::string& folder) {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++n;
    }
    return n;
}

struct ModeCase {
    unsigned umask;
    const char* how;  // the probe writes by "stream" or by a released "fd"
};

void PrintTo(const ModeCase& c, std::ostream* os) {
    *os << "umask " << Octal(c.umask) << ", by " << c.how;
}

class AtomicOutputModes : public testing::TestWithParam<ModeCase> {};

TEST_P(AtomicOutputModes, NewFileGetsTheUsualModeAndTheUmaskStays) {
    const ModeCase c = GetParam();
    ScratchDir dir;
    const std::string dest = dir.File("new.bin");
    const ProbeRun run = RunProbe(c.umask, dest, c.how, "fresh");
    ASSERT_EQ(run.status, 0) << run.printed;
    EXPECT_EQ(run.printed, Octal(c.umask) + " " + Octal(c.umask) + "\n");
    EXPECT_EQ(Octal(ModeOf(dest)), Octal(0666 & ~c.umask));
    EXPECT_EQ(Text(dest), "fresh");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST_P(AtomicOutputModes, ReplacedFileKeepsItsMode) {
    const ModeCase c = GetParam();
    for (const unsigned mode : {0640u, 0604u, 0600u, 0666u}) {
        ScratchDir dir;
        const std::string dest = dir.File("old.bin");
        TestSupport::WriteBytes(dest, {'o', 'l', 'd'});
        ASSERT_EQ(chmod(dest.c_str(), mode), 0);
        const ProbeRun run = RunProbe(c.umask, dest, c.how, "replaced");
        ASSERT_EQ(run.status, 0) << run.printed;
        EXPECT_EQ(run.printed, Octal(c.umask) + " " + Octal(c.umask) + "\n");
        EXPECT_EQ(Octal(ModeOf(dest)), Octal(mode)) << "was " << Octal(mode);
        EXPECT_EQ(Text(dest), "replaced");
        EXPECT_EQ(EntriesIn(dir.path()), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Umasks, AtomicOutputModes,
                         testing::Values(ModeCase{022, "stream"}, ModeCase{077, "stream"},
                                         ModeCase{002, "stream"}, ModeCase{022, "fd"},
                                         ModeCase{077, "fd"}, ModeCase{002, "fd"}),
                         [](const testing::TestParamInfo<ModeCase>& param) {
                             return "umask" + Octal(param.param.umask) + "_" + param.param.how;
                         });

}  // namespace

#endif

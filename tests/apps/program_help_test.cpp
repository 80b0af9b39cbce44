#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_process.h"

namespace kestra {
namespace {

using testing::run_process;

struct Program {
    const char* path;
    const char* name;
    const char* usage;  // how its usage text begins
};

const Program kPrograms[] = {
    {KESTRA_PATH, "kestra", "usage: kestra [--device"},
    {KESTRA_CTL_PATH, "kestra-ctl", "usage: kestra-ctl [--state FILE]"},
    {KESTRA_SIM_PATH, "kestra-sim", "usage: kestra-sim --listen"},
};

// Help goes to standard output with status 0 (a pager or grep reads it), from either spelling,
// and ahead of the options a program would otherwise insist on.
TEST(ProgramHelp, HelpAndHIsTheUsageOnStandardOutput) {
    for (const Program& p : kPrograms) {
        for (const char* flag : {"--help", "-h"}) {
            const auto r = run_process(p.path, {flag});
            EXPECT_EQ(r.exit_code, 0) << p.name << " " << flag << ": " << r.err;
            EXPECT_EQ(r.out.rfind(p.usage, 0), 0u) << p.name << " " << flag << ":\n" << r.out;
            EXPECT_NE(r.out.find("--version"), std::string::npos) << p.name;
            EXPECT_TRUE(r.err.empty()) << p.name << " " << flag << ": " << r.err;
        }
    }
    // After a global option too.
    const auto ctl = run_process(KESTRA_CTL_PATH, {"--data-dir", "/nonexistent", "--help"});
    EXPECT_EQ(ctl.exit_code, 0) << ctl.err;
    EXPECT_EQ(ctl.out.rfind(kPrograms[1].usage, 0), 0u);
}

TEST(ProgramHelp, VersionIsTheProjectsVersion) {
    for (const Program& p : kPrograms) {
        const auto r = run_process(p.path, {"--version"});
        EXPECT_EQ(r.exit_code, 0) << p.name << ": " << r.err;
        EXPECT_EQ(r.out, std::string(p.name) + " " + KESTRA_VERSION + "\n");
    }
}

// A mistake still goes to standard error with status 2, so scripts can tell it from help.
TEST(ProgramHelp, AnUnknownOptionIsStillAnError) {
    for (const Program& p : kPrograms) {
        const auto r = run_process(p.path, {"--helpme"});
        EXPECT_EQ(r.exit_code, 2) << p.name;
        EXPECT_TRUE(r.out.empty()) << p.name << ": " << r.out;
        EXPECT_FALSE(r.err.empty()) << p.name;
    }
}

// Both programs read --device through the one reading of the controller's options: the same
// words, each in its program's error form, before anything opens.
TEST(ProgramHelp, ABrokenDeviceAddressIsRefusedInTheSameWordsByBothPrograms) {
    const std::string why = "--device takes A.B.C.D or A.B.C.D:PORT, not '127.0.0'";
    const auto window = run_process(KESTRA_PATH, {"--device", "127.0.0"});
    EXPECT_EQ(window.exit_code, 2);
    EXPECT_EQ(window.err.rfind("kestra: " + why + "\nusage: kestra [--device", 0), 0u)
        << window.err;
    const auto ctl = run_process(KESTRA_CTL_PATH, {"--device", "127.0.0", "pull"});
    EXPECT_EQ(ctl.exit_code, 2);
    EXPECT_EQ(ctl.err, "error: " + why + "\n");
}

}  // namespace
}  // namespace kestra

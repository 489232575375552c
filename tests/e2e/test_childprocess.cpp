// A program run with its arguments as they are: the benchmarks hand dd file
// names inside a folder the user chose, and a name with a quote, a blank or a
// command substitution stays a name. The exit status comes back as it was.

#include "tests/e2e/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>

namespace {

TEST(ChildProcess, ArgumentsReachTheProgramWithoutAShell) {
    const char* names[] = {"it's", "two words", "$(touch hacked)", "a;touch hacked", "`id`"};
    for (const char* name : names) {
        TTempFolder folder;
        const std::filesystem::path out = std::filesystem::path(folder.Path()) / name;
        TChildProcess dd(
            {.Program = "/usr/bin/dd",
             .Args = {"if=/dev/zero", "of=" + out.string(), "bs=1", "count=3", "status=none"},
             .WorkDir = folder.Path()});
        EXPECT_TRUE(dd.WaitSucceeded()) << name;
        EXPECT_EQ(std::filesystem::file_size(out), 3u) << name;
        int entries = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(folder.Path()))
            ++entries;
        EXPECT_EQ(entries, 1) << name << ": nothing but the file";
    }
}

TEST(ChildProcess, FailureIsReported) {
    TTempFolder folder;
    TChildProcess dd({.Program = "/usr/bin/dd",
                      .Args = {"if=" + folder.Path() + "missing", "of=/dev/null", "status=none"},
                      .StderrPath = "/dev/null"});
    EXPECT_FALSE(dd.WaitSucceeded());
    EXPECT_EQ(WEXITSTATUS(dd.ExitStatus()), 1);
}

} // namespace

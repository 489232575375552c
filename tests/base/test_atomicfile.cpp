// Whole-file writes: the user's umask for a new file, the old mode for a
// replaced one, nothing half written or left behind.
#include "base/AtomicFile.h"

#include "tests/support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Sets the process umask for one scope.
class TUmask {
public:
    explicit TUmask(mode_t mask) : FOld(::umask(mask)) {}
    ~TUmask() { ::umask(FOld); }

private:
    mode_t FOld;
};

struct TModeCase {
    mode_t Umask;
    mode_t Existing; // 0: no file yet
    mode_t Expected;
};
} // namespace

TEST(AtomicFile, NewFilesFollowTheUmaskReplacedFilesKeepTheirMode) {
    const TModeCase cases[] = {
        {022, 0, 0644},    {077, 0, 0600},    {002, 0, 0664},  {027, 0, 0640},
        {022, 0600, 0600}, {077, 0664, 0664}, {0, 0640, 0640},
    };
    for (const TModeCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << std::oct << "umask " << c.Umask << " existing " << c.Existing);
        TTempFolder folder;
        const std::string path = folder.Path() + "UserParaIni.ini";
        if (c.Existing) {
            WriteBytes(path, "old");
            ASSERT_EQ(::chmod(path.c_str(), c.Existing), 0);
        }
        TUmask mask(c.Umask);
        WriteFileAtomically(path, "new text");
        EXPECT_EQ(ReadBytes(path), "new text");
        EXPECT_EQ(ModeOf(path), c.Expected);
        EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"UserParaIni.ini"});
    }
}

TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    TTempFolder folder;
    const std::string missing = folder.Path() + "no/such/TreeNode.dat";
    EXPECT_THROW(WriteFileAtomically(missing, "x"), std::runtime_error);

    const std::string path = folder.Path() + "report.csv";
    WriteBytes(path, "old contents");
    {
        TAtomicFile file(path);
        ASSERT_EQ(file.Error(), 0);
        ASSERT_TRUE(WriteAll(file.Fd(), "half"));
    } // given up: a cancelled or failed write
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"report.csv"});

    if (::geteuid() == 0)
        GTEST_SKIP() << "running with rights that ignore a read-only file";
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_THROW(WriteFileAtomically(path, "new"), std::runtime_error);
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"report.csv"});
}

TEST(AtomicFile, PlaceNewNeverReplacesATakenName) {
    TTempFolder folder;
    const std::string taken = folder.Path() + "EventLog1.dat";
    WriteBytes(taken, "earlier backup");
    TUmask mask(027);
    TAtomicFile file(taken);
    ASSERT_EQ(file.Error(), 0);
    ASSERT_TRUE(WriteAll(file.Fd(), "records"));
    EXPECT_EQ(file.PlaceNew(taken), TAtomicFile::TPlaced::Exists);
    EXPECT_EQ(file.PlaceNew(folder.Path() + "EventLog2.dat"), TAtomicFile::TPlaced::Placed);
    EXPECT_EQ(ReadBytes(taken), "earlier backup");
    EXPECT_EQ(ReadBytes(folder.Path() + "EventLog2.dat"), "records");
    EXPECT_EQ(ModeOf(folder.Path() + "EventLog2.dat"), 0640u);
    EXPECT_EQ(Entries(folder.Path()), (std::vector<std::string>{"EventLog1.dat", "EventLog2.dat"}));
}

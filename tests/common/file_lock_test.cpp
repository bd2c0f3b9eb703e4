#include "common/file_lock.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

using qt::LockKind;
using qt::OpenStatus;

// What a second process gets: a child of the test, not a built program, as
// the lock must be another process's; an alarm ends it should it ever block.
static OpenStatus openInChild(const std::string& path, int flags, LockKind kind) {
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(5);
        qt::LockedFile f;
        _exit(static_cast<int>(f.open(path, flags, kind)));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the child blocked or crashed";
    return static_cast<OpenStatus>(WEXITSTATUS(status));
}

TEST(FileLock, SharingAcrossProcessesAndCloseOnExec) {
    qt::test::TempFolder folder;
    const std::string path = folder.write("scenario.dat", "keep");
    // clang-format off
    const struct { LockKind held, wanted; int flags; OpenStatus result; } cases[] = {
        {LockKind::exclusive, LockKind::shared, O_RDONLY, OpenStatus::sharingViolation},
        {LockKind::exclusive, LockKind::exclusive, O_WRONLY | O_CREAT, OpenStatus::sharingViolation},
        {LockKind::shared, LockKind::exclusive, O_WRONLY, OpenStatus::sharingViolation},
        {LockKind::shared, LockKind::shared, O_RDONLY, OpenStatus::ok}};
    // clang-format on
    for (const auto& c : cases) {
        qt::LockedFile held;
        ASSERT_EQ(held.open(path, O_RDONLY, c.held), OpenStatus::ok);
        EXPECT_EQ(openInChild(path, c.flags, c.wanted), c.result);
        EXPECT_TRUE(held.close());
        EXPECT_EQ(openInChild(path, c.flags, c.wanted), OpenStatus::ok) << "lock not released";
    }
    EXPECT_EQ(qt::test::readFile(path), "keep");

    qt::LockedFile f;
    EXPECT_EQ(f.open(folder / "none.dat", O_RDONLY, LockKind::shared), OpenStatus::notFound);
    EXPECT_FALSE(f.isOpen());
    ASSERT_EQ(f.open(folder / "new.dat", O_WRONLY | O_CREAT, LockKind::exclusive), OpenStatus::ok);
    EXPECT_NE(fcntl(f.fd(), F_GETFD) & FD_CLOEXEC, 0);
    const qt::LockedFile moved = std::move(f);
    EXPECT_EQ(openInChild(folder / "new.dat", O_RDONLY, LockKind::shared), OpenStatus::sharingViolation);
}

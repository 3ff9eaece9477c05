// The single-copy lock between users: its name is open to every user of the
// system, and only a copy of the player's own counts. Each case is proven
// through the hooks that make the system report another user (every run),
// and, where the test runs as root, once more against a real process of
// another user.
#include "platform/core/Process.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"
#include "tests/support/PlatformTesting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using platform::testing::ScopedTempFolder;
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// The user that the hooks make the system report: not the one running the
// test, whoever that is. A real process of another user's runs as 65534.
const uid_t kHookedUser = geteuid() == 65534 ? 65533 : 65534;
const std::string kHookedUserWords = "(uid " + std::to_string(kHookedUser) + ")";
constexpr uid_t kOtherUser = 65534;

// Root, in a system that lets it become kOtherUser (a user namespace may
// have no such user).
bool CanRunAsAnotherUser()
{
    static const bool can = [] {
        if (geteuid() != 0)
            return false;
        const pid_t probe = fork();
        if (probe == 0)
            _exit(setgroups(0, nullptr) == 0 && setgid(kOtherUser) == 0 && setuid(kOtherUser) == 0 ? 0 : 1);
        int status = 0;
        return probe > 0 && waitpid(probe, &status, 0) == probe && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }();
    return can;
}

// The socket address of a name as the system lists it ("@…": abstract).
sockaddr_un AddressOf(const std::string& name, socklen_t* length)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data() + 1, name.size() - 1); // '@' stands for the leading 0
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
    return address;
}

// A process of another user's on the system's name of a lock (as the system
// lists it, "@…"). Holding, it binds the name and, unless told not to,
// listens on it; knocking, it connects to the name and knocks as a later
// copy would. The child makes system calls only (the test process has
// threads), and runs as kOtherUser, so the test process must be root.
class OtherUsersSocket {
public:
    enum class Role { Hold, HoldWithoutListening, Knock };

    OtherUsersSocket(const std::string& name, Role role)
    {
        socklen_t length = 0;
        sockaddr_un address = AddressOf(name, &length);
        if (pipe(report_) != 0 || pipe(release_) != 0)
            return;
        pid_ = fork();
        if (pid_ != 0) {
            close(report_[1]);
            close(release_[0]);
            report_[1] = release_[0] = -1;
            return;
        }
        close(report_[0]);
        close(release_[1]);
        if (setgroups(0, nullptr) != 0 || setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0 || getuid() != kOtherUser)
            Say('U');
        const int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
        char verdict = 0;
        if (role == Role::Knock) {
            if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0)
                Say('R');
            const char knock = 'N';
            if (send(fd, &knock, 1, MSG_NOSIGNAL) != 1)
                Say('S');
            Report('k');
            // What came back: an answer, or the end of the connection.
            char answer = 0;
            verdict = recv(fd, &answer, 1, 0) == 1 ? answer : 'E';
        } else {
            if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0)
                Say('B');
            if (role == Role::Hold && listen(fd, 4) != 0)
                Say('L');
            Report('h');
            verdict = 'h';
        }
        // Held (or the verdict kept) until the test lets go.
        char byte = 0;
        while (read(release_[0], &byte, 1) < 0 && errno == EINTR) {
        }
        Say(verdict);
    }

    ~OtherUsersSocket()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {report_[0], release_[1]})
            if (fd >= 0)
                close(fd);
    }

    OtherUsersSocket(const OtherUsersSocket&) = delete;
    OtherUsersSocket& operator=(const OtherUsersSocket&) = delete;

    // What the process says once it stands as asked: 'h' holding, 'k'
    // knocked; otherwise the step it failed at.
    char Ready() { return Next(); }
    // Lets the process go on to its end; what it says then: for a knock,
    // 'E' when the connection ended unanswered.
    char Finish()
    {
        close(release_[1]);
        release_[1] = -1;
        return Next();
    }

private:
    void Report(char what) { (void)!write(report_[1], &what, 1); }
    [[noreturn]] void Say(char what)
    {
        Report(what);
        _exit(0);
    }
    char Next()
    {
        char byte = 0;
        ssize_t n = 0;
        while ((n = read(report_[0], &byte, 1)) < 0 && errno == EINTR) {
        }
        return n == 1 ? byte : '?';
    }

    pid_t pid_ = -1;
    int report_[2] = {-1, -1};
    int release_[2] = {-1, -1};
};


} // namespace

// The name held by another user keeps no copy of the player's from
// starting: this copy starts, says whose the name is and that it passes it
// over, and its lock file still keeps a second copy of this user out, which
// knocks at no other user's door.
TEST(SingleInstanceUsers, ANameHeldByAnotherUserIsPassedOverAndTheLockFileStillHolds)
{
    ScopedTempFolder root;
    SingleInstance mine(root.Path(), "Game"), again(root.Path(), "Game");
    const auto passesOverTheName = [&](const ::testing::Matcher<const std::string&>& holder) {
        ASSERT_TRUE(mine.Acquire()) << "kept from starting by another user's hold";
        EXPECT_THAT(mine.PassedOver(), holder);
        EXPECT_EQ(mine.Doubt(), "") << "the lock file is this copy's";
        EXPECT_FALSE(again.Acquire()) << "a second copy of this user";
        EXPECT_EQ(again.PassedOver(), "");
        EXPECT_FALSE(again.NotifyFirstInstance()) << "a knock at another user's door";
        EXPECT_THAT(again.Unreachable(), holder) << "why the first cannot be reached";
        mine.Release();
    };

    SingleInstance holder(root.Path(), "Game"); // stands for the other user: the name alone
    platform::testing::FailNext("SingleInstance.LockFile", EROFS);
    ASSERT_TRUE(holder.Acquire());
    platform::testing::FailEveryCall("SingleInstance.HolderIsAnotherUser", kHookedUser);
    passesOverTheName(AllOf(StartsWith("held by another user, "), EndsWith(kHookedUserWords)));
    platform::testing::StopFailing("SingleInstance.HolderIsAnotherUser");
    EXPECT_EQ(holder.TakeNotifications(), 0);
    holder.Release();

    // Nor does a name bound by a program that takes no knocks on it count.
    socklen_t length = 0;
    const sockaddr_un address = AddressOf(mine.ClaimName(), &length);
    const int squatter = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    ASSERT_EQ(bind(squatter, reinterpret_cast<const sockaddr*>(&address), length), 0);
    passesOverTheName(Eq("held by a program that takes no knocks on it (Connection refused)"));
    close(squatter);

    if (CanRunAsAnotherUser()) {
        OtherUsersSocket other(mine.ClaimName(), OtherUsersSocket::Role::Hold);
        ASSERT_EQ(other.Ready(), 'h');
        passesOverTheName(AllOf(StartsWith("held by another user, "), EndsWith("(uid 65534)")));
        other.Finish();
    }
}

// Where no lock file can be made either (here a folder stands in its place,
// which refuses root too), a copy whose name another user holds starts as
// one that cannot tell whether another copy runs, and says why.
TEST(SingleInstanceUsers, WithoutALockFileANameHeldByAnotherUserLeavesACopyThatCannotTell)
{
    ScopedTempFolder root;
    SingleInstance mine(root.Path(), "Game");
    MakeDirectories(mine.LockFilePath());
    const auto cannotTell = [&](const std::string& userWords) {
        ASSERT_TRUE(mine.Acquire());
        EXPECT_THAT(mine.PassedOver(), HasSubstr(userWords));
        EXPECT_THAT(mine.Doubt(), HasSubstr("neither the system's lock (its name is held by another user, "));
        EXPECT_THAT(mine.Doubt(), HasSubstr(userWords + ") nor the lock file " + mine.LockFilePath() +
                                            " (Is a directory) could be taken"));
        mine.Release();
    };

    SingleInstance holder(root.Path(), "Game");
    ASSERT_TRUE(holder.Acquire());
    platform::testing::FailNext("SingleInstance.HolderIsAnotherUser", kHookedUser);
    cannotTell(kHookedUserWords);
    holder.Release();

    if (CanRunAsAnotherUser()) {
        OtherUsersSocket other(mine.ClaimName(), OtherUsersSocket::Role::Hold);
        ASSERT_EQ(other.Ready(), 'h');
        cannotTell("(uid 65534)");
        other.Finish();
    }
}

// A knock from another user is not heard: it brings no window forward and
// gets no answer, while a knock of the player's own beside it still does.
TEST(SingleInstanceUsers, AKnockFromAnotherUserIsIgnoredAndOneOfThisUsersIsStillAnswered)
{
    ScopedTempFolder root;
    SingleInstance first(root.Path(), "Game");
    ASSERT_TRUE(first.Acquire());
    SingleInstance stranger(root.Path(), "Game"), later(root.Path(), "Game");
    ASSERT_TRUE(stranger.NotifyFirstInstance());
    platform::testing::FailNext("SingleInstance.KnockerIsAnotherUser", kHookedUser);
    EXPECT_EQ(first.TakeNotifications(), 0) << "another user's knock";
    ASSERT_FALSE(later.Acquire());
    ASSERT_TRUE(later.NotifyFirstInstance());
    EXPECT_EQ(first.TakeNotifications(), 1);
    first.AnswerNotifications();
    EXPECT_TRUE(later.AwaitAnswer(0));
    EXPECT_FALSE(stranger.AwaitAnswer(0)) << "another user was answered";

    if (CanRunAsAnotherUser()) {
        OtherUsersSocket other(first.ClaimName(), OtherUsersSocket::Role::Knock);
        ASSERT_EQ(other.Ready(), 'k') << "R: refused, S: not sent";
        EXPECT_EQ(first.TakeNotifications(), 0) << "a knock of uid 65534";
        first.AnswerNotifications();
        first.Release();
        EXPECT_EQ(other.Finish(), 'E') << "uid 65534 was answered";
    }
}

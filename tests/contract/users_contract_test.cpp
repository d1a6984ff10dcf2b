// Who the process runs as, and who is signed in to the desktop that shows
// its windows.
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using UsersContract = PlatformContract;

// A SID: revision 1, its count of sub-authorities, then six bytes of
// authority and four bytes for each sub-authority.
bool IsWellFormedSid(const Bytes& sid) { return sid.size() >= 8 && sid[0] == 1 && sid.size() == 8 + 4u * sid[1]; }

// The tests run as the user signed in to the desktop (under Wine every
// program does), elevated or not: the two are the same account.
TEST_F(UsersContract, AProgramStartedByThePlayerRunsAsTheUserOfItsDesktop) {
    bool elevated = false;
    EXPECT_TRUE(os().GetProcessElevation(&elevated)) << "error " << os().LastError();
    Bytes process;
    ASSERT_TRUE(os().GetProcessUser(&process)) << "error " << os().LastError();
    EXPECT_TRUE(IsWellFormedSid(process));
    Bytes desktop;
    ASSERT_TRUE(os().GetDesktopUser(&desktop)) << "error " << os().LastError();
    EXPECT_EQ(desktop, process);
}

// "Run as administrator" from a standard account: an administrator's
// password, and the process runs elevated as that administrator while the
// desktop stays the player's. Wine runs every program as its one user and
// has no other to sign in, so this rule runs against the double alone.
TEST_F(UsersContract, ElevatedWithAnotherAccountsPasswordTheProcessIsThatAccounts) {
    Bytes player;
    ASSERT_TRUE(os().GetDesktopUser(&player));
    if (!env().ElevateAsAnotherUser()) {
        GTEST_SKIP() << "this system signs in no other user (Wine has one): the double alone shows this rule";
    }
    bool elevated = false;
    ASSERT_TRUE(os().GetProcessElevation(&elevated));
    EXPECT_TRUE(elevated);
    Bytes process;
    ASSERT_TRUE(os().GetProcessUser(&process));
    EXPECT_TRUE(IsWellFormedSid(process));
    EXPECT_NE(process, player);
    Bytes desktop;
    ASSERT_TRUE(os().GetDesktopUser(&desktop));
    EXPECT_EQ(desktop, player);
}

}  // namespace
}  // namespace contract

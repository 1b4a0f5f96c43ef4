#include "netopt/shutdown.h"

#include <gtest/gtest.h>

#include "platform/system_seam.h"
#include "support/seam_recorder.h"

namespace velotune {
namespace {

// Every restart call, recorded instead of made.
struct Calls {
  DWORD version = 0x0A000000;  // NT family
  std::vector<std::string> log;
  bool lookupFailsFor(const char* name) const { return failLookup == name; }
  std::string failLookup;
  BOOL answer = TRUE;
};
Calls* calls = nullptr;

class ShutdownTest : public testing::Test {
 protected:
  void SetUp() override {
    calls = &c;
    auto& seam = Sys();
    seam.GetVersion = [] { return calls->version; };
    seam.ExitWindowsEx = [](UINT flags, DWORD reserved) {
      calls->log.push_back("ExitWindowsEx " + std::to_string(flags) + " " +
                           std::to_string(reserved));
      return calls->answer;
    };
    seam.OpenProcessToken = [](HANDLE process, DWORD access, PHANDLE token) {
      calls->log.push_back("OpenProcessToken " + std::to_string(access) +
                           (process == GetCurrentProcess() ? " self" : " other"));
      *token = nullptr;
      return TRUE;
    };
    seam.LookupPrivilegeValueA = [](LPCSTR system, LPCSTR name, PLUID luid) {
      calls->log.push_back(std::string("Lookup ") + (system ? system : "(local)") + " " + name);
      luid->LowPart = 19;
      luid->HighPart = 0;
      return calls->failLookup == name ? FALSE : TRUE;
    };
    seam.AdjustTokenPrivileges = [](HANDLE, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD length,
                                    PTOKEN_PRIVILEGES previous, PDWORD returned) {
      calls->log.push_back("Adjust " + std::to_string(disableAll) + " " +
                           std::to_string(state->PrivilegeCount) + " " +
                           std::to_string(state->Privileges[0].Attributes) + " " +
                           std::to_string(length) + (previous && returned ? " room" : ""));
      return TRUE;
    };
    seam.InitiateSystemShutdownA = [](LPSTR machine, LPSTR message, DWORD timeout, BOOL force,
                                      BOOL reboot) {
      calls->log.push_back(std::string("Initiate ") + (machine ? machine : "(local)") +
                           (message ? " message" : "") + " " + std::to_string(timeout) + " " +
                           std::to_string(force) + " " + std::to_string(reboot));
      return calls->answer;
    };
  }
  void TearDown() override {
    Sys() = RealSystem();
    test::GuardRestart(Sys());
  }
  Calls c;
};

TEST_F(ShutdownTest, WindowsNtEnablesBothPrivilegesThenRestarts) {
  EXPECT_TRUE(ShutdownWindows("", false, true));
  EXPECT_EQ(c.log, (std::vector<std::string>{
                       "OpenProcessToken 40 self", "Lookup (local) SeShutdownPrivilege",
                       "Adjust 0 1 2 16 room", "Lookup (local) SeRemoteShutdownPrivilege",
                       "Adjust 0 1 2 16 room", "Initiate (local) 0 0 1"}));
  c.answer = FALSE;
  EXPECT_FALSE(ShutdownWindows("", false, true));
}

TEST_F(ShutdownTest, AFailedLookupStopsBeforeTheShutdown) {
  for (const char* failing : {"SeShutdownPrivilege", "SeRemoteShutdownPrivilege"}) {
    c.log.clear();
    c.failLookup = failing;
    EXPECT_FALSE(ShutdownWindows("", false, true)) << failing;
    EXPECT_TRUE(c.log.back().rfind("Lookup", 0) == 0) << failing;
  }
}

TEST_F(ShutdownTest, Windows9xUsesExitWindowsExFlags) {
  c.version = 0xC0000A04;
  EXPECT_TRUE(ShutdownWindows("", false, true));
  EXPECT_TRUE(ShutdownWindows("", true, false));
  EXPECT_FALSE(ShutdownWindows("OTHERPC", false, true));
  EXPECT_EQ(c.log, (std::vector<std::string>{"ExitWindowsEx 3 0", "ExitWindowsEx 5 0"}));
}

}  // namespace
}  // namespace velotune

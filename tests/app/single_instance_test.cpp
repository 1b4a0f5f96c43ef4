#include "app/single_instance.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace velotune {
namespace {

std::string UniqueName(const char* what) {
  return std::string("VelotuneTest-") + what + "-" + std::to_string(GetCurrentProcessId());
}

// Opened with SYNCHRONIZE only. A copy started elevated makes a mutex a limited
// copy may not open at all; that refusal also counts as a copy (Wine grants
// every open, so only Windows shows that branch).
TEST(SingleInstanceTest, TheFirstCopyRunsAndTheNextOneFindsIt) {
  const std::string name = UniqueName("plain");
  EXPECT_FALSE(AnotherCopyRuns(name.c_str()));
  EXPECT_TRUE(AnotherCopyRuns(name.c_str()));
}

}  // namespace
}  // namespace velotune

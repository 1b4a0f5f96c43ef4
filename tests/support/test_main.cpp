#include <gtest/gtest.h>

#include "support/seam_recorder.h"

int main(int argc, char** argv) {
  // From the first test on, nothing can restart the machine.
  velotune::test::GuardRestart(velotune::Sys());
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

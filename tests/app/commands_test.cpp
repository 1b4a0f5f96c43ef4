#include "app/commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line_run.h"
#include "netopt/profiles.h"
#include "support/registry_sandbox.h"
#include "support/seam_recorder.h"

namespace velotune {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTest, SwitchesAndValues) {
  const struct {
    Args args;
    CommandLine::Kind kind;
    bool quiet = false;
  } cases[] = {
      // Lines without a switch of ours start the window, as they always did.
      {{}, CommandLine::Window},
      {{"-s"}, CommandLine::Window},
      {{"--s"}, CommandLine::Window},
      {{"x", "-s"}, CommandLine::Window},
      {{"/s"}, CommandLine::Window},
      // Help.
      {{"--help"}, CommandLine::Help},
      {{"/?"}, CommandLine::Help},
      {{"--HELP", "--quiet"}, CommandLine::Help, true},
      // Runs.
      {{"--apply-profile=1"}, CommandLine::Run},
      {{"--apply-profile=4", "--quiet"}, CommandLine::Run, true},
      {{"--quiet", "--Apply-Profile=2"}, CommandLine::Run, true},
      {{"--apply-enhancements=10101010101"}, CommandLine::Run},
      {{"--erase"}, CommandLine::Run},
      {{"--erase=111111111", "--quiet"}, CommandLine::Run, true},
      // Wrong values, unknown or repeated switches, nothing to run.
      {{"--apply-profile=0"}, CommandLine::Invalid},
      {{"--apply-profile=5"}, CommandLine::Invalid},
      {{"--apply-profile=12"}, CommandLine::Invalid},
      {{"--apply-profile="}, CommandLine::Invalid},
      {{"--apply-profile"}, CommandLine::Invalid},
      {{"--apply-profile=a"}, CommandLine::Invalid},
      {{"--apply-enhancements=1010101010"}, CommandLine::Invalid},
      {{"--apply-enhancements=101010101010"}, CommandLine::Invalid},
      {{"--apply-enhancements=1010101010x"}, CommandLine::Invalid},
      {{"--erase=12"}, CommandLine::Invalid},
      {{"--erase="}, CommandLine::Invalid},
      {{"--erase=0000000002"}, CommandLine::Invalid},
      {{"--quiet"}, CommandLine::Invalid, true},
      {{"--apply-profile=1", "--erase"}, CommandLine::Invalid},
      {{"--apply-profile=1", "--apply-profile=2"}, CommandLine::Invalid},
      {{"--apply-profile=1", "--bogus"}, CommandLine::Invalid},
      {{"--apply-profile=1", "-s"}, CommandLine::Invalid},
      {{"--apply-profile=1", "--quiet", "--quiet"}, CommandLine::Invalid, true},
      {{"--quiet=yes", "--erase"}, CommandLine::Invalid},
      // Setup's start, alone only.
      {{"--start-as-user"}, CommandLine::StartAsUser},
      {{"--start-as-user", "--quiet"}, CommandLine::Invalid, true},
      {{"--start-as-user", "-s"}, CommandLine::Invalid},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const auto& a : c.args) line += a + " ";
    const CommandLine parsed = ParseCommandLine(c.args);
    EXPECT_EQ(parsed.kind, c.kind) << line;
    EXPECT_EQ(parsed.quiet, c.quiet) << line;
  }
}

TEST(CommandLineTest, WhatARunIsGiven) {
  CommandLine line = ParseCommandLine({"--apply-profile=3"});
  EXPECT_EQ(line.request.command, Command::ApplyProfile);
  EXPECT_EQ(line.request.profile, 3);

  line = ParseCommandLine({"--apply-enhancements=10000000001"});
  EXPECT_EQ(line.request.command, Command::ApplyEnhancements);
  EXPECT_EQ(line.request.ticks, (EnhancementTicks{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));

  line = ParseCommandLine({"--erase=010000001"});
  EXPECT_EQ(line.request.command, Command::Erase);
  EXPECT_FALSE(line.request.savedBoxes);
  EXPECT_EQ(line.request.boxes, (EraseChoices{0, 1, 0, 0, 0, 0, 0, 0, 1}));

  line = ParseCommandLine({"--erase"});
  EXPECT_TRUE(line.request.savedBoxes);
}

// What the window starts an elevated copy with is what the copy reads back.
TEST(CommandLineTest, EveryRequestsSwitchReadsBackAsTheSameRequest) {
  std::vector<CommandRequest> requests;
  for (int n = 1; n <= kProfileCount; ++n)
    requests.push_back({.command = Command::ApplyProfile, .profile = n});
  requests.push_back({.command = Command::ApplyEnhancements,
                      .ticks = {1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 0}});
  requests.push_back({.command = Command::Erase, .boxes = {0, 0, 1, 1, 0, 1, 0, 0, 1}});
  requests.push_back({.command = Command::Erase, .savedBoxes = true});
  for (const CommandRequest& r : requests) {
    const std::string text = SwitchOf(r);
    const CommandLine line = ParseCommandLine({text});
    ASSERT_EQ(line.kind, CommandLine::Run) << text;
    EXPECT_EQ(line.request.command, r.command) << text;
    EXPECT_EQ(line.request.profile, r.profile) << text;
    EXPECT_EQ(line.request.ticks, r.ticks) << text;
    EXPECT_EQ(line.request.boxes, r.boxes) << text;
    EXPECT_EQ(line.request.savedBoxes, r.savedBoxes) << text;
  }
  EXPECT_EQ(SwitchOf({.command = Command::ApplyProfile, .profile = 2}), "--apply-profile=2");
}

class CommandLineRunTest : public test::RegistryTest {
 protected:
  test::SeamRecorder seam;
};

TEST_F(CommandLineRunTest, HelpAndWrongSwitchesSayWhatThereIsUnlessQuiet) {
  EXPECT_EQ(RunFromCommandLine(nullptr, SW_SHOW, ParseCommandLine({"/?"})), kExitDone);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kUsageText);
  EXPECT_EQ(seam.boxes[0].caption, "Velotune");

  seam.boxes.clear();
  EXPECT_EQ(RunFromCommandLine(nullptr, SW_SHOW, ParseCommandLine({"--erase=12"})),
            kExitBadSwitch);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_NE(seam.boxes[0].text.find(kUsageText), std::string::npos);

  seam.boxes.clear();
  EXPECT_EQ(RunFromCommandLine(nullptr, SW_SHOW, ParseCommandLine({"--erase=12", "--quiet"})),
            kExitBadSwitch);
  EXPECT_TRUE(seam.boxes.empty());
  EXPECT_TRUE(test::SnapshotValues(HKEY_CURRENT_USER).empty()) << "nothing is stored either";
}

TEST_F(CommandLineRunTest, ARefusedProfileExitsThreeAndStoresNothing) {
  test::RegistryFaults faults;
  faults.refuseCreateOf = "CurrentControlSet";
  EXPECT_EQ(RunFromCommandLine(nullptr, SW_SHOW,
                               ParseCommandLine({"--apply-profile=2", "--quiet"})),
            kExitRefused);
  EXPECT_FALSE(test::ReadRaw(HKEY_CURRENT_USER, "Software\\Quorvane\\Velotune", "noset"));
  EXPECT_TRUE(seam.boxes.empty());
  EXPECT_TRUE(seam.pauses.empty()) << "a quiet run has nothing to pace";
}

}  // namespace
}  // namespace velotune

#include "app/commands.h"

#include <algorithm>
#include <array>

#include "enhance/catalogue.h"
#include "netopt/optimization_run.h"
#include "netopt/profiles.h"
#include "platform/original_values.h"
#include "platform/settings.h"

namespace velotune {
namespace {

bool Always(const CommandRequest&) { return true; }
bool Never(const CommandRequest&) { return false; }

// Only the machine-wide tweak is out of a limited token's reach, and only
// when it has to change.
bool MachineTweakChanges(const CommandRequest& request) {
  for (size_t row = 0; row < kEnhancements.size(); ++row)
    if (kEnhancements[row].machine && !HoldsEnhancement(kEnhancements[row], "", request.ticks[row]))
      return true;
  return false;
}

CommandResult RunProfile(const CommandRequest& request, RunReport& report) {
  report.SetDetail(std::string(LookupProfile(request.profile).name));
  ApplyConnectionProfile(request.profile, report);
  // A profile only counts as applied when the registry holds all of it.
  if (!ProfileHeld(request.profile)) return {};
  WriteAppliedProfile(request.profile);
  return {.done = true};
}

CommandResult RunEnhancements(const CommandRequest& request, RunReport& report) {
  ApplyEnhancements(report, request.ticks);
  // A refused rewrite of a value that is already right takes nothing away.
  return {.done = EnhancementsHeld(request.ticks)};
}

CommandResult RunErase(const CommandRequest& request, RunReport& report) {
  EraseChoices boxes = request.boxes;
  if (request.savedBoxes)
    for (int box = 1; box <= kEraseBoxes; ++box) boxes[box - 1] = ReadEraseBox(box, 1) != 0;
  const BrowserSet skip = request.skipBrowsers ? *request.skipBrowsers : RunningBrowsers(boxes);
  const EraseOutcome outcome = RunTracksEraser(report, boxes, skip);
  return {.done = outcome.EverythingWent(), .whatStayed = ClosingMessage(outcome)};
}

CommandResult RunRestore(const CommandRequest&, RunReport& report) {
  return {.done = RestoreOriginalSettings(report).AllRestored()};
}

constexpr std::array kCommands = {
    CommandEntry{Command::ApplyProfile, "--apply-profile", 1, false, "Network Optimization",
                TitleFirst::After, Always, RunProfile},
    CommandEntry{Command::ApplyEnhancements, "--apply-enhancements", 11, false,
                "Applying Enhancements", TitleFirst::Before, MachineTweakChanges, RunEnhancements},
    CommandEntry{Command::Erase, "--erase", kEraseBoxes, true, "Erasing Tracks", TitleFirst::Before,
                Never, RunErase},
    CommandEntry{Command::Restore, "--restore", 0, false, kRestoreTitle, TitleFirst::Before, Always,
                RunRestore},
};

constexpr std::string_view kStartAsUser = "--start-as-user";

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return lower;
}

const CommandEntry* EntryNamed(std::string_view name) {
  for (const CommandEntry& entry : kCommands)
    if (entry.switchName == name) return &entry;
  return nullptr;
}

bool IsOurs(const std::string& arg) {
  if (arg == "/?") return true;
  const std::string name = Lower(std::string_view(arg).substr(0, arg.find('=')));
  return name == "--quiet" || name == "--help" || name == kStartAsUser || EntryNamed(name);
}

template <size_t N>
bool ReadBits(std::string_view value, std::array<bool, N>& bits) {
  if (value.size() != N) return false;
  for (size_t i = 0; i < N; ++i) {
    if (value[i] != '0' && value[i] != '1') return false;
    bits[i] = value[i] == '1';
  }
  return true;
}

// The switch's value into the request; false when it is not one the switch takes.
bool ReadValue(const CommandEntry& entry, std::string_view value, bool hasValue,
               CommandRequest& request) {
  request.command = entry.command;
  if (!hasValue) {
    request.savedBoxes = entry.command == Command::Erase;
    return entry.valueLength == 0 || entry.valueOptional;
  }
  switch (entry.command) {
    case Command::ApplyProfile:
      if (value.size() != 1 || value[0] < '1' || value[0] > '0' + kProfileCount) return false;
      request.profile = value[0] - '0';
      return true;
    case Command::ApplyEnhancements:
      return ReadBits(value, request.ticks);
    case Command::Erase:
      return ReadBits(value, request.boxes);
    case Command::Restore:
      return false;
  }
  return false;
}

std::string BitsOf(std::span<const bool> bits) {
  std::string text;
  for (bool b : bits) text += b ? '1' : '0';
  return text;
}

}  // namespace

const CommandEntry& EntryOf(Command command) {
  for (const CommandEntry& entry : kCommands)
    if (entry.command == command) return entry;
  return kCommands.front();
}

std::string SwitchOf(const CommandRequest& request) {
  std::string text(EntryOf(request.command).switchName);
  switch (request.command) {
    case Command::ApplyProfile:
      return text + "=" + std::to_string(request.profile);
    case Command::ApplyEnhancements:
      return text + "=" + BitsOf(request.ticks);
    case Command::Erase:
      return request.savedBoxes ? text : text + "=" + BitsOf(request.boxes);
    case Command::Restore:
      return text;
  }
  return text;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  if (std::none_of(args.begin(), args.end(), IsOurs)) return line;
  if (args.size() == 1 && Lower(args[0]) == kStartAsUser) {
    line.kind = CommandLine::StartAsUser;
    return line;
  }
  bool help = false, haveRun = false, invalid = false;
  for (const std::string& arg : args) {
    const size_t equals = arg.find('=');
    const std::string name = Lower(std::string_view(arg).substr(0, equals));
    const bool hasValue = equals != std::string::npos;
    if (arg == "/?" || (name == "--help" && !hasValue)) {
      help = true;
    } else if (name == "--quiet" && !hasValue && !line.quiet) {
      line.quiet = true;
    } else if (const CommandEntry* entry = EntryNamed(name); entry && !haveRun) {
      haveRun = true;
      const std::string_view value =
          hasValue ? std::string_view(arg).substr(equals + 1) : std::string_view();
      if (!ReadValue(*entry, value, hasValue, line.request)) invalid = true;
    } else {
      invalid = true;  // not ours, given twice, or a second run
    }
  }
  if (help)
    line.kind = CommandLine::Help;
  else if (invalid || !haveRun)
    line.kind = CommandLine::Invalid;
  else
    line.kind = CommandLine::Run;
  return line;
}

const char* const kUsageText =
    "Velotune can also run from a command prompt started as an administrator:\n"
    "\n"
    "velotune.exe --apply-profile=N\n"
    "    Applies connection profile N: 1 Internet Dialup, 2 ADSL, DSL, Cable Modem,\n"
    "    3 Home, Office LAN, 4 T1, Satellite or Corporate LAN.\n"
    "velotune.exe --apply-enhancements=BITS\n"
    "    Writes all eleven enhancements: BITS is 11 digits, 1 on and 0 off, in the\n"
    "    order of the Enhancements page.\n"
    "velotune.exe --erase[=BITS]\n"
    "    Erases the tracks ticked on the Tracks Eraser page, or those BITS names:\n"
    "    9 digits, 1 erase and 0 keep, in the order of that page.\n"
    "velotune.exe --restore\n"
    "    Puts back every setting as it was before Velotune first changed it.\n"
    "\n"
    "--quiet with any of them: no window and no message at all.\n"
    "--help or /?: this message.\n"
    "\n"
    "Exit codes: 0 done; 3 finished, but some settings were not written or some\n"
    "traces stayed; 2 a wrong switch or value, and nothing was changed.";

UINT StateChangedMessage() {
  static const UINT message = RegisterWindowMessageA("Quorvane Velotune state changed");
  return message;
}

void TellRunningWindows() {
  if (const UINT message = StateChangedMessage())
    PostMessageA(HWND_BROADCAST, message, 0, 0);
}

}  // namespace velotune

#pragma once
// The runs the program offers, in one table: the window, the tray menu, an
// elevated copy and the command line all start them from here.
#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "enhance/apply.h"
#include "eraser/tracks_eraser.h"
#include "platform/run_report.h"
#include "progress/prg_wnd.h"

namespace velotune {

enum class Command { ApplyProfile, ApplyEnhancements, Erase, Restore };

// One run with what it works on.
struct CommandRequest {
  Command command = Command::ApplyProfile;
  int profile = 1;                // ApplyProfile: 1 to 4
  EnhancementTicks ticks{};       // ApplyEnhancements
  EraseChoices boxes{};           // Erase
  bool savedBoxes = false;        // Erase: the ticks stored for this account
  // Erase: the browsers to leave alone, as the user chose; unset, whichever
  // are running (nobody is there to ask).
  std::optional<BrowserSet> skipBrowsers = std::nullopt;
};

// How a run ended.
struct CommandResult {
  bool done = false;    // every value reads back as asked, and nothing stayed
  std::string whatStayed = {};  // for the window: what could not be done, if it says more
};

struct CommandEntry {
  Command command;
  std::string_view switchName;  // "--apply-profile"
  // Characters of the switch's value: 0 none, else exactly that many; with
  // `valueOptional` the bare switch is accepted too.
  int valueLength;
  bool valueOptional;
  // The progress window's title and whether it shows before the window.
  const char* title;
  TitleFirst titleFirst;
  // Whether this run writes machine-wide values that a limited token cannot.
  bool (*needsAdministrator)(const CommandRequest&);
  CommandResult (*run)(const CommandRequest&, RunReport&);
};

const CommandEntry& EntryOf(Command command);

// "--apply-profile=3": what an elevated copy is started with.
std::string SwitchOf(const CommandRequest& request);

// Exit codes of a command-line run.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 3;  // finished, but something was not done
inline constexpr int kExitBadSwitch = 2;

struct CommandLine {
  enum Kind {
    Window,   // no switch of ours: the program starts as ever
    Help,     // --help or /?
    Invalid,  // a switch or value we do not take; nothing runs
    Run,
    StartAsUser,  // --start-as-user, from Setup: the window, with the user's own token

  } kind = Window;
  CommandRequest request;
  bool quiet = false;
};

// The arguments after the program's name. A line with none of our switches
// keeps its old meaning ("-s", or anything else, starts the window); once one
// of them is there, every argument must be ours.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// What --help shows: the switches and the exit codes.
extern const char* const kUsageText;

// Posted to every top-level window once a run from the command line has
// ended, so that a running window shows the new state.
UINT StateChangedMessage();
void TellRunningWindows();

}  // namespace velotune

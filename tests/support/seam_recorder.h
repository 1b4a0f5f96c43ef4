#pragma once
// Records the calls that block or reach outside the process, so tests neither
// wait out pauses nor show boxes nor launch anything. The restart calls stay
// refused throughout: no test may reach the real restart.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/system_seam.h"

namespace velotune::test {

struct MessageBoxCall {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

struct ShellCall {
  HWND owner;
  std::string verb;
  std::string file;
  bool hasParams;
  bool hasDir;
  int show;
};

// A request to start a program with ShellExecuteExW ("runas" and the like).
struct ElevationCall {
  HWND owner;
  std::string verb;
  std::string file;
  std::string params;
};

struct AnimationCall {
  HWND hwnd;
  int id;
  RECT from;
  RECT to;
};

class SeamRecorder {
 public:
  SeamRecorder();
  ~SeamRecorder();
  SeamRecorder(const SeamRecorder&) = delete;
  SeamRecorder& operator=(const SeamRecorder&) = delete;

  std::vector<DWORD> pauses;
  int seeds = 0;
  std::vector<MessageBoxCall> boxes;
  std::vector<ShellCall> launches;
  std::vector<AnimationCall> animations;
  std::vector<ElevationCall> elevations;

  // What the token says: elevated unless a test says otherwise, so that runs
  // stay in the test's process whatever rights it has.
  bool elevated = true;
  // Answers a ShellExecuteExW request: a process handle the caller takes
  // over (ShellExecuteExW succeeds), or null with the last error to fail with.
  std::function<HANDLE(const ElevationCall&)> onElevation;
  DWORD elevationError = ERROR_CANCELLED;

  // Answer given to every message box (IDOK unless set).
  int boxAnswer = IDOK;
  // The random draw: returns this value (clamped below n) unless set otherwise.
  int randomValue = 0;
  // Called with every pause, to look at the screen at that moment.
  std::function<void(DWORD)> onPause;
  // Called with every message box, before it is answered.
  std::function<void(const MessageBoxCall&)> onBox;

  static SeamRecorder* Current();
};

// The restart entries of the seam, refusing and failing the running test.
void GuardRestart(SystemSeam& seam);

// A real process that ends at once with the given exit code; its handle.
HANDLE ProcessExitingWith(DWORD code);

}  // namespace velotune::test

#pragma once
// Where start-up time goes. Off unless VELOTUNE_STARTUP_TRACE names a file;
// then each phase's own time in milliseconds (a phase inside another counts
// for itself only) is added to that file as "name ms" lines once the window
// is up: "loader" (from the process's creation to the program's entry), the
// phases below, "other" and "total". When off, a phase costs one test of a flag.
#include <windows.h>

namespace velotune::trace {

enum class Phase {
  Application,  // the application object and its hidden window
  Controls,     // building the layout and creating the windows
  Resources,    // finding and loading artwork resources
  Decoding,     // turning artwork into pixels
  Tray,         // the tray menu, the icon and the startup event
  Outline,      // the window region
  Registry,     // settings, restored choices, enhancement read-back
  Progress,     // the progress window
  Show,         // showing and painting the main window
  Count
};

bool Enabled();

// Times a phase while in scope.
class Scope {
 public:
  explicit Scope(Phase phase) {
    if (Enabled()) Begin(phase);
  }
  ~Scope() {
    if (open_) End();
  }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  void Begin(Phase phase);
  void End();
  bool open_ = false;
  Phase phase_ = Phase::Count;
  LONGLONG start_ = 0;
  LONGLONG nested_ = 0;
  Scope* outer_ = nullptr;
};

// Marks the program's entry; the time before it is the loader's.
void MarkEntry();
// Writes the phases to the file, once; the later calls do nothing.
void Report();

}  // namespace velotune::trace

#include "platform/startup_trace.h"

#include <cstdio>
#include <iterator>
#include <string>

namespace velotune::trace {
namespace {

struct State {
  bool checked = false;
  bool enabled = false;
  std::wstring file;
  LONGLONG frequency = 1;
  double loaderMs = 0;
  LONGLONG entry = 0;
  LONGLONG phases[static_cast<int>(Phase::Count)] = {};
  Scope* innermost = nullptr;
  bool reported = false;
};

State& Get() {
  static State state;
  return state;
}

LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Ms(LONGLONG ticks) { return 1000.0 * static_cast<double>(ticks) / Get().frequency; }

// Milliseconds from the process's creation to now, by the system clock.
double SinceProcessCreated() {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  GetSystemTimeAsFileTime(&now);
  auto value = [](const FILETIME& f) {
    return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  return static_cast<double>(value(now) - value(created)) / 10000.0;
}

}  // namespace

bool Enabled() {
  State& s = Get();
  if (!s.checked) {
    s.checked = true;
    const DWORD n = GetEnvironmentVariableW(L"VELOTUNE_STARTUP_TRACE", nullptr, 0);
    if (n > 1) {
      s.file.resize(n);
      s.file.resize(GetEnvironmentVariableW(L"VELOTUNE_STARTUP_TRACE", s.file.data(), n));
      s.enabled = !s.file.empty();
      LARGE_INTEGER f;
      QueryPerformanceFrequency(&f);
      s.frequency = f.QuadPart;
    }
  }
  return s.enabled;
}

void Scope::Begin(Phase phase) {
  State& s = Get();
  open_ = true;
  phase_ = phase;
  outer_ = s.innermost;
  s.innermost = this;
  start_ = Now();
}

void Scope::End() {
  const LONGLONG spent = Now() - start_;
  State& s = Get();
  s.phases[static_cast<int>(phase_)] += spent - nested_;
  if (outer_) outer_->nested_ += spent;
  s.innermost = outer_;
}

void MarkEntry() {
  if (!Enabled()) return;
  Get().loaderMs = SinceProcessCreated();
  Get().entry = Now();
}

void Report() {
  State& s = Get();
  if (!Enabled() || s.reported) return;
  s.reported = true;
  static const char* const kNames[] = {"application", "controls", "resources", "decoding", "tray",
                                       "outline",     "registry", "progress",  "show"};
  static_assert(std::size(kNames) == static_cast<size_t>(Phase::Count));
  FILE* out = _wfopen(s.file.c_str(), L"a");
  if (!out) return;
  const double main = Ms(Now() - s.entry);
  double phases = 0;
  std::fprintf(out, "loader %.2f\n", s.loaderMs);
  for (int i = 0; i < static_cast<int>(Phase::Count); ++i) {
    std::fprintf(out, "%s %.2f\n", kNames[i], Ms(s.phases[i]));
    phases += Ms(s.phases[i]);
  }
  std::fprintf(out, "other %.2f\n", main - phases);
  std::fprintf(out, "total %.2f\n", s.loaderMs + main);
  std::fclose(out);
}

}  // namespace velotune::trace

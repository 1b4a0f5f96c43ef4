#pragma once

namespace velotune {

inline constexpr const char* kMutexName = "imVelotunewhoaREyOu";

// True when another copy holds the named mutex. When this copy is the one that
// runs, the mutex is created and kept open for the life of the process.
bool AnotherCopyRuns(const char* name);

}  // namespace velotune

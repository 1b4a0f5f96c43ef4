#include "platform/command_line.h"

namespace velotune {
namespace {

bool IsBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

}  // namespace

std::string CommandLineArgumentOf(std::string_view line, int n) {
  line = line.substr(0, line.find('\0'));
  const size_t len = line.size();
  size_t p = 0;
  for (int index = 0;; ++index) {
    // Blanks, and empty quoted pairs standing between arguments, are skipped.
    for (;;) {
      while (p < len && IsBlank(line[p])) ++p;
      if (p + 1 < len && line[p] == '"' && line[p + 1] == '"') {
        p += 2;
        continue;
      }
      break;
    }
    const size_t start = p;
    while (p < len && !IsBlank(line[p])) {
      if (line[p] == '"') {
        // A quoted stretch keeps its blanks; an unclosed one runs to the end.
        ++p;
        while (p < len && line[p] != '"') ++p;
        if (p < len) ++p;
      } else {
        ++p;
      }
    }
    std::string_view token = line.substr(start, p - start);
    if (token.empty()) return std::string();
    if (index == n) {
      if (token.size() >= 2 && token.front() == '"' && token.back() == '"')
        token = token.substr(1, token.size() - 2);
      return std::string(token);
    }
  }
}

}  // namespace velotune

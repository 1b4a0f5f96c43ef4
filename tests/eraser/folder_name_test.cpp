#include "eraser/folder_name.h"

#include <gtest/gtest.h>

namespace velotune {
namespace {

TEST(NormalizeFolderName, TrimsAndEndsWithABackslash) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"C:\\Cache", "C:\\Cache\\"},
      {"  C:\\Cache \t", "C:\\Cache\\"},
      {"C:\\Cache\\", "C:\\Cache\\"},
      {"\r\nC:\\a b\\\n", "C:\\a b\\"},
      {"", ""},
      {"   \t  ", ""},
      {"\x01x\x1F", "x\\"},
      // Characters beyond ASCII (UTF-8 bytes above 127), a no-break space
      // among them, are not blanks.
      {"\xC2\xA0"
       "C:\\Caf\xC3\xA9\xC2\xA0",
       "\xC2\xA0"
       "C:\\Caf\xC3\xA9\xC2\xA0\\"},
      {"\\", "\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeFolderName(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace velotune

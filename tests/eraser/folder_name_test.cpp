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
      // Bytes above 127 are letters of the code page, not blanks.
      {"\xa0"
       "C:\\Caf\xe9\xa0",
       "\xa0"
       "C:\\Caf\xe9\xa0\\"},
      {"\\", "\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeFolderName(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace velotune

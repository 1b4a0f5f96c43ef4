#include "eraser/file_handle.h"

#include <vector>

namespace velotune {

void CloseFile(HANDLE file) { CloseHandle(file); }

UniqueFile OpenEntry(const std::wstring& path, DWORD access) {
  HANDLE file =
      CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return UniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool ReadFacts(HANDLE file, EntryFacts& facts) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  facts.identity = {info.dwVolumeSerialNumber,
                    (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  facts.attributes = info.dwFileAttributes;
  return true;
}

namespace {

// Reads the name into `buffer`, which holds up to `chars` characters; false
// when it fails or the name is longer.
bool ReadVolumePath(HANDLE file, std::vector<BYTE>& buffer, size_t chars) {
  buffer.resize(sizeof(FILE_NAME_INFO) + chars * sizeof(wchar_t));
  return GetFileInformationByHandleEx(file, FileNameInfo, buffer.data(),
                                      static_cast<DWORD>(buffer.size())) != 0;
}

std::wstring_view NameIn(const std::vector<BYTE>& buffer) {
  const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
  return std::wstring_view(info->FileName, info->FileNameLength / sizeof(wchar_t));
}

}  // namespace

std::wstring VolumePathOf(HANDLE file) {
  std::vector<BYTE> buffer;
  for (size_t chars = MAX_PATH; chars <= 32768; chars *= 4)
    if (ReadVolumePath(file, buffer, chars)) return std::wstring(NameIn(buffer));
  return std::wstring();
}

bool IsItself(HANDLE file, const std::wstring& expected) {
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) ||
      (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  // Room for the expected name only: a longer one is another file anyway.
  static std::vector<BYTE> buffer;
  return ReadVolumePath(file, buffer, expected.size() + 1) && NameIn(buffer) == expected;
}

bool DeleteOnClose(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) !=
         0;
}

}  // namespace velotune

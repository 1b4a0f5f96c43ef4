#include "eraser/file_handle.h"

#include <winternl.h>

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

constexpr auto kObjectNameInformation = static_cast<OBJECT_INFORMATION_CLASS>(1);

// As ReadVolumePath, for the object's name.
bool ReadObjectName(HANDLE file, std::vector<BYTE>& buffer, size_t chars) {
  buffer.resize(sizeof(UNICODE_STRING) + chars * sizeof(wchar_t));
  ULONG got = 0;
  return NT_SUCCESS(NtQueryObject(file, kObjectNameInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &got));
}

std::wstring_view ObjectNameIn(const std::vector<BYTE>& buffer) {
  const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
  return std::wstring_view(name->Buffer, name->Length / sizeof(wchar_t));
}

// Either name, in a buffer grown until it fits.
std::wstring NameOf(HANDLE file, bool (*read)(HANDLE, std::vector<BYTE>&, size_t),
                    std::wstring_view (*name)(const std::vector<BYTE>&)) {
  std::vector<BYTE> buffer;
  for (size_t chars = MAX_PATH; chars <= 32768; chars *= 4)
    if (read(file, buffer, chars)) return std::wstring(name(buffer));
  return std::wstring();
}

}  // namespace

std::wstring VolumePathOf(HANDLE file) { return NameOf(file, ReadVolumePath, NameIn); }

std::wstring ObjectNameOf(HANDLE file) { return NameOf(file, ReadObjectName, ObjectNameIn); }

bool IsItself(HANDLE file, const std::wstring& expected) {
  // Room for the expected name only: a longer one is another file anyway.
  std::vector<BYTE> buffer;
  if (!ReadObjectName(file, buffer, expected.size() + 1)) return false;
  const std::wstring_view name = ObjectNameIn(buffer);
  if (name == expected) return true;
  // Wine names "trace." and "trace " (also as folders on the way) without
  // their last dots and blanks. So reported, the entry is still where it was
  // expected: a link would have named its target instead.
  std::wstring trimmed;
  trimmed.reserve(expected.size());
  for (wchar_t c : expected) {
    if (c == L'\\')
      while (!trimmed.empty() && (trimmed.back() == L'.' || trimmed.back() == L' '))
        trimmed.pop_back();
    trimmed += c;
  }
  while (!trimmed.empty() && (trimmed.back() == L'.' || trimmed.back() == L' ')) trimmed.pop_back();
  return trimmed != expected && name == trimmed;
}

bool DeleteOnClose(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) !=
         0;
}

}  // namespace velotune

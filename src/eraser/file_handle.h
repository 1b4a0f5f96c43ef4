#pragma once
// Handles on single entries, opened as themselves and never through a link,
// and deletion through such a handle.
#include <windows.h>

#include <compare>
#include <cstdint>
#include <string>

#include "platform/unique_handle.h"

namespace velotune {

void CloseFile(HANDLE file);
// The null handle stands for one that failed to open.
using UniqueFile = UniqueHandle<HANDLE, CloseFile>;

// Opens an entry itself: a link is opened as the link, not as its target,
// wherever the system can tell them apart.
UniqueFile OpenEntry(const std::wstring& path, DWORD access);

// What a handle reports of itself.
struct FileIdentity {
  DWORD volume = 0;
  uint64_t index = 0;
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

struct EntryFacts {
  FileIdentity identity;
  DWORD attributes = 0;
};

bool ReadFacts(HANDLE file, EntryFacts& facts);

// The path of the opened object below its volume's root ("\users\x\a.txt"),
// as the file system reports it; empty on failure. Wine opens the target of a
// Unix symbolic link and names the target here, at any depth (its final-path
// call stops at about 264 characters).
std::wstring VolumePathOf(HANDLE file);

// The name of the opened object with its volume, as Windows gives it
// ("\Device\HarddiskVolume3\users\x\a.txt") or Wine ("\??\C:\users\x\a.txt",
// naming a link's target, at any depth). One request to the Wine server where
// VolumePathOf takes two; empty on failure.
std::wstring ObjectNameOf(HANDLE file);

// True when the handle is the entry the caller expects, `expected` being its
// object name: not some other file a link led to. The caller lists the entry
// first and leaves links alone; one put in its place after that is opened as
// itself on Windows, so at worst the link itself goes, never its target.
bool IsItself(HANDLE file, const std::wstring& expected);

// Marks an opened entry for deletion when its handle closes; a folder must be
// empty, and a read-only file is refused.
bool DeleteOnClose(HANDLE file);

}  // namespace velotune

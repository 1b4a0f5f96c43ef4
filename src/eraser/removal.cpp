#include "eraser/removal.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <exception>
#include <vector>

#include "platform/folders.h"
#include "platform/system_seam.h"
#include "platform/text.h"

namespace velotune {

int StayCounts::Total() const {
  int total = 0;
  for (int n : count) total += n;
  return total;
}

StayCounts& StayCounts::operator+=(const StayCounts& other) {
  for (int i = 0; i < kStayReasons; ++i) count[i] += other.count[i];
  return *this;
}

bool MatchesMask(const std::wstring& name, const std::wstring& mask) {
  if (mask == L"*.*" || mask == L"*") return true;
  auto same = [](wchar_t a, wchar_t b) { return a == b || towupper(a) == towupper(b); };
  // Greedy with one step back to the last star.
  size_t n = 0, m = 0, starMask = std::wstring::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == L'?' || (mask[m] != L'*' && same(mask[m], name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == L'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::wstring::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == L'*') ++m;
  return m == mask.size();
}

namespace {

// The handle named another entry (a link put in its place): left alone.
constexpr DWORD kNotItself = 0xFFFFFFFF;

// `path` is what the file calls take, `expected` the object name the entry's
// handle must report for it to be this entry and not a link's target. Gives 0
// when it goes, else why not.
DWORD DeleteIfItself(const std::wstring& path, const std::wstring& expected) {
  const UniqueFile entry = OpenEntry(path, DELETE);
  if (!entry) return GetLastError();
  if (!IsItself(entry, expected)) return kNotItself;
  return DeleteOnClose(entry) ? 0 : GetLastError();
}

// The reason an entry stayed, or none when it is gone anyway or was left
// alone on purpose.
int ReasonIndex(DWORD error, DWORD attributes, size_t pathLength) {
  switch (error) {
    case 0:
    case kNotItself:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DIR_NOT_EMPTY:  // what stays inside is counted
      return -1;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return static_cast<int>(StayReason::InUse);
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return static_cast<int>(StayReason::PathTooLong);
    case ERROR_PATH_NOT_FOUND:
      return pathLength >= 32767 ? static_cast<int>(StayReason::PathTooLong) : -1;
    default:
      if (pathLength >= 32767) return static_cast<int>(StayReason::PathTooLong);
      return static_cast<int>(attributes & FILE_ATTRIBUTE_READONLY ? StayReason::ReadOnly
                                                                   : StayReason::AccessDenied);
  }
}

struct Tally {
  std::atomic<int> count[kStayReasons] = {};
  void Note(DWORD error, DWORD attributes, size_t pathLength) {
    const int reason = ReasonIndex(error, attributes, pathLength);
    if (reason >= 0) ++count[reason];
  }
  void AddTo(StayCounts* stayed) const {
    if (stayed)
      for (int i = 0; i < kStayReasons; ++i) stayed->count[i] += count[i];
  }
};

std::wstring WithoutBackslash(const std::wstring& folder) {
  return folder.substr(0, folder.size() - 1);
}

struct FileItem {
  std::wstring name;
  DWORD attributes;
};

// The files of one batch, deleted by whichever thread takes the next.
struct FileBatch {
  const std::wstring& path;
  const std::wstring& expected;
  const std::vector<FileItem>& files;
  Tally& tally;
  std::atomic<size_t> next{0};
};

void DeleteFromBatch(FileBatch& batch) noexcept {
  for (size_t i; (i = batch.next++) < batch.files.size();) {
    try {
      const FileItem& file = batch.files[i];
      const std::wstring path = batch.path + file.name;
      batch.tally.Note(DeleteIfItself(path, batch.expected + file.name), file.attributes,
                       path.size());
    } catch (const std::exception&) {
      // Passed over like any deletion that fails.
    }
  }
}

void CALLBACK DeleteFromBatchWork(PTP_CALLBACK_INSTANCE, void* batch, PTP_WORK) {
  DeleteFromBatch(*static_cast<FileBatch*>(batch));
}

// Each deletion mostly waits on the file system (under Wine on its server,
// which takes four requests per file), so a few at once finish sooner. The
// helpers come from the process's thread pool, which keeps its threads from
// one folder to the next.
constexpr size_t kHelpers = 2;
constexpr size_t kFilesPerHelper = 16;  // fewer are not worth handing out
// Files are deleted in batches while the listing goes on, so a flat folder
// of any size takes bounded memory.
constexpr size_t kFilesPerBatch = 4096;

void DeleteFiles(const std::wstring& path, const std::wstring& expected,
                 const std::vector<FileItem>& files, Tally& tally) {
  FileBatch batch{path, expected, files, tally};
  const size_t helpers = std::min(kHelpers, files.size() / kFilesPerHelper);
  PTP_WORK work = helpers ? CreateThreadpoolWork(DeleteFromBatchWork, &batch, nullptr) : nullptr;
  if (work)
    for (size_t i = 0; i < helpers; ++i) SubmitThreadpoolWork(work);
  DeleteFromBatch(batch);
  if (work) {
    // A helper still queued has nothing left to take: cancel it rather than
    // wait for a pool that may be starved.
    WaitForThreadpoolWorkCallbacks(work, TRUE);
    CloseThreadpoolWork(work);
  }
}

// One folder of the walk: the lengths of its path and object name (each
// ending with a backslash), and its sub-folders still to handle.
struct Frame {
  size_t pathLength, expectedLength;
  std::vector<std::wstring> folders;
  size_t next = 0;
};

// Lists the folder at `path` (ending with a backslash), deletes its matching
// files in batches as they come, and gives the sub-folders to enter.
Frame ListFolder(const std::wstring& path, const std::wstring& expected, const std::wstring& mask,
                 Tally& tally, bool& hadEntries) {
  Frame frame{path.size(), expected.size(), {}, 0};
  std::vector<FileItem> files;
  EnumerateFolder search;
  FolderEntry entry;
  DWORD status = search.First(path + L"*", kFilterAll, entry);
  if (status != 0 && status != ERROR_FILE_NOT_FOUND && status != ERROR_NO_MORE_FILES)
    tally.Note(status, 0, path.size());  // the folder could not be listed
  for (; status == 0; status = search.Next(entry)) {
    // The folder itself is handled by the caller; its parent is never ours.
    if (entry.name == L"." || entry.name == L"..") continue;
    hadEntries = true;
    // A link, junction or mount point is left as it is, and so is all it leads to.
    if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    // The listing's own matching also tries the short (8.3) name.
    if (!MatchesMask(entry.name, mask)) continue;
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      frame.folders.push_back(std::move(entry.name));
    } else {
      files.push_back({std::move(entry.name), entry.attributes});
      if (files.size() == kFilesPerBatch) {
        DeleteFiles(path, expected, files, tally);
        files.clear();
      }
    }
  }
  search.Close();
  DeleteFiles(path, expected, files, tally);
  return frame;
}

// Walks the tree below the folder with a stack of pending folders, so a tree
// of any depth takes no more of the thread's stack. `removeFolders` is false
// for the .arl mask.
void RemoveEntries(std::wstring path, std::wstring expected, const std::wstring& mask,
                   bool removeFolders, Tally& tally, bool& hadEntries) {
  std::vector<Frame> stack;
  stack.push_back(ListFolder(path, expected, mask, tally, hadEntries));
  while (!stack.empty()) {
    Frame& top = stack.back();
    path.resize(top.pathLength);
    expected.resize(top.expectedLength);
    if (top.next == top.folders.size()) {
      stack.pop_back();
      if (stack.empty()) break;
      // The folder just emptied; it stays when it still holds something.
      if (removeFolders) {
        path.pop_back();
        expected.pop_back();
        tally.Note(DeleteIfItself(path, expected), 0, path.size());
      }
      continue;
    }
    const std::wstring& name = top.folders[top.next++];
    path += name;
    expected += name;
    if (name[0] == L'.') {
      if (removeFolders) DeleteIfItself(path, expected);  // goes only when empty
    } else if (IsItself(OpenEntry(path, 0), expected)) {
      // No handle stays open meanwhile: one with delete access would keep
      // the folder's own listing from opening.
      path += L'\\';
      expected += L'\\';
      bool innerEntries = false;
      stack.push_back(ListFolder(path, expected, mask, tally, innerEntries));
    }
  }
}

bool RemoveTree(const EraseGuard& guard, const std::string& folder, const wchar_t* mask,
                bool removeFolders, StayCounts* stayed) {
  Tally tally;
  bool completed = true;
  try {
    if (const auto top = guard.Open(folder)) {
      bool hadEntries = false;
      RemoveEntries(top->path, top->name, mask, removeFolders, tally, hadEntries);
      // A folder that was empty from the start goes, as its own "." entry would take it.
      if (removeFolders && !hadEntries)
        DeleteIfItself(WithoutBackslash(top->path), WithoutBackslash(top->name));
    }
  } catch (const std::exception& failure) {
    Sys().MessageBoxA(nullptr, failure.what(), "Error", MB_OK | MB_ICONERROR);
    completed = false;
  }
  tally.AddTo(stayed);
  return completed;
}

}  // namespace

bool RemoveFolderContents(const EraseGuard& guard, const std::string& folder, StayCounts* stayed) {
  return RemoveTree(guard, folder, L"*.*", true, stayed);
}

bool RemoveArlFiles(const EraseGuard& guard, const std::string& folder, StayCounts* stayed) {
  return RemoveTree(guard, folder, L"*.arl", false, stayed);
}

void EraseFile(const EraseGuard& guard, const std::string& folder, const std::string& name,
               StayCounts* stayed) {
  const auto where = guard.Open(folder);
  if (!where || name.empty() || name.find_first_of("\\/*?") != std::string::npos) return;
  // The listing gives the name as the file system spells it, which is what
  // the handle will report, and tells a link from a file.
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((where->path + Widen(name)).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  FindClose(find);
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return;
  Tally tally;
  const std::wstring path = where->path + data.cFileName;
  tally.Note(DeleteIfItself(path, where->name + data.cFileName), data.dwFileAttributes,
             path.size());
  tally.AddTo(stayed);
}

}  // namespace velotune

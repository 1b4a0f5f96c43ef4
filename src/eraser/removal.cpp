#include "eraser/removal.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <vector>

#include "platform/folders.h"
#include "platform/system_seam.h"
#include "platform/text.h"

namespace velotune {
namespace {

// `path` is what the file calls take, `expected` the object name the entry's
// handle must report for it to be this entry and not a link's target.
bool DeleteIfItself(const std::wstring& path, const std::wstring& expected) {
  const UniqueFile entry = OpenEntry(path, DELETE);
  return entry && IsItself(entry, expected) && DeleteOnClose(entry);
}

std::wstring WithoutBackslash(const std::wstring& folder) {
  return folder.substr(0, folder.size() - 1);
}

// The files of one folder, deleted by whichever thread takes the next.
struct FileBatch {
  const std::wstring& path;
  const std::wstring& expected;
  const std::vector<std::wstring>& names;
  std::atomic<size_t> next{0};
};

void DeleteFromBatch(FileBatch& batch) noexcept {
  for (size_t i; (i = batch.next++) < batch.names.size();) {
    try {
      DeleteIfItself(batch.path + batch.names[i], batch.expected + batch.names[i]);
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

void DeleteFiles(const std::wstring& path, const std::wstring& expected,
                 const std::vector<std::wstring>& names) {
  FileBatch batch{path, expected, names};
  const size_t helpers = std::min(kHelpers, names.size() / kFilesPerHelper);
  PTP_WORK work = helpers ? CreateThreadpoolWork(DeleteFromBatchWork, &batch, nullptr) : nullptr;
  if (work)
    for (size_t i = 0; i < helpers; ++i) SubmitThreadpoolWork(work);
  DeleteFromBatch(batch);
  if (work) {
    WaitForThreadpoolWorkCallbacks(work, FALSE);
    CloseThreadpoolWork(work);
  }
}

// One folder of either routine; `removeFolders` is false for the .arl mask.
// `path` and `expected` end with a backslash; both grow while a sub-folder is
// handled and are given back as they came. The folder is listed first, so no
// listing stays open while its entries go.
bool RemoveEntries(std::wstring& path, std::wstring& expected, const wchar_t* mask,
                   bool removeFolders, bool& hadEntries) {
  const size_t pathLength = path.size(), expectedLength = expected.size();
  try {
    std::vector<std::wstring> files, folders;
    EnumerateFolder search;
    FolderEntry entry;
    for (DWORD status = search.First(path + mask, kFilterAll, entry); status == 0;
         status = search.Next(entry)) {
      // The folder itself is handled by the caller; its parent is never ours.
      if (entry.name == L"." || entry.name == L"..") continue;
      hadEntries = true;
      // A link, junction or mount point is left as it is, and so is all it leads to.
      if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      (entry.attributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files)
          .push_back(std::move(entry.name));
    }
    search.Close();
    DeleteFiles(path, expected, files);
    for (const std::wstring& name : folders) {
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
        RemoveEntries(path, expected, mask, removeFolders, innerEntries);
        path.pop_back();
        expected.pop_back();
        // A folder that still holds something stays.
        if (removeFolders) DeleteIfItself(path, expected);
      }
      path.resize(pathLength);
      expected.resize(expectedLength);
    }
    return true;
  } catch (const std::exception& failure) {
    path.resize(pathLength);
    expected.resize(expectedLength);
    Sys().MessageBoxA(nullptr, failure.what(), "Error", MB_OK | MB_ICONERROR);
    return false;
  }
}

bool RemoveTree(const EraseGuard& guard, const std::string& folder, const wchar_t* mask,
                bool removeFolders) {
  try {
    const auto top = guard.Open(folder);
    if (!top) return true;  // nothing there that may be touched
    std::wstring path = top->path, expected = top->name;
    bool hadEntries = false;
    const bool completed = RemoveEntries(path, expected, mask, removeFolders, hadEntries);
    // A folder that was empty from the start goes, as its own "." entry would take it.
    if (removeFolders && !hadEntries)
      DeleteIfItself(WithoutBackslash(top->path), WithoutBackslash(top->name));
    return completed;
  } catch (const std::exception& failure) {
    Sys().MessageBoxA(nullptr, failure.what(), "Error", MB_OK | MB_ICONERROR);
    return false;
  }
}

}  // namespace

bool RemoveFolderContents(const EraseGuard& guard, const std::string& folder) {
  return RemoveTree(guard, folder, L"*.*", true);
}

bool RemoveArlFiles(const EraseGuard& guard, const std::string& folder) {
  return RemoveTree(guard, folder, L"*.arl", false);
}

void EraseFile(const EraseGuard& guard, const std::string& folder, const std::string& name) {
  const auto where = guard.Open(folder);
  if (!where || name.empty() || name.find_first_of("\\/*?") != std::string::npos) return;
  // The listing gives the name as the file system spells it, which is what
  // the handle will report, and tells a link from a file.
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((where->path + Widen(name)).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  FindClose(find);
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return;
  DeleteIfItself(where->path + data.cFileName, where->name + data.cFileName);
}

}  // namespace velotune

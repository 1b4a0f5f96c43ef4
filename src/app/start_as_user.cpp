#include "app/start_as_user.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <windows.h>

#include "platform/system_library.h"

namespace velotune {
namespace {

// COM is loaded for this one request only: the program's start never needs it.
struct Com {
  HRESULT(WINAPI* initialize)(LPVOID, DWORD) = nullptr;
  void(WINAPI* uninitialize)() = nullptr;
  HRESULT(WINAPI* create)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*) = nullptr;
  BSTR(WINAPI* allocString)(const OLECHAR*) = nullptr;
  void(WINAPI* freeString)(BSTR) = nullptr;

  bool Load() {
    HMODULE ole = LoadSystemLibrary(L"ole32.dll");
    HMODULE automation = LoadSystemLibrary(L"oleaut32.dll");
    Bind(initialize, ole, "CoInitializeEx");
    Bind(uninitialize, ole, "CoUninitialize");
    Bind(create, ole, "CoCreateInstance");
    Bind(allocString, automation, "SysAllocString");
    Bind(freeString, automation, "SysFreeString");
    return initialize && uninitialize && create && allocString && freeString;
  }
  template <typename F>
  static void Bind(F& f, HMODULE module, const char* name) {
    f = ExportOf<F>(module, name);
  }
};

// Releases a COM pointer at the end of its scope.
template <typename T>
struct Ref {
  T* p = nullptr;
  ~Ref() {
    if (p) p->Release();
  }
  void** Out() { return reinterpret_cast<void**>(&p); }
};

// The desktop folder view's automation object, from which the shell runs things.
HRESULT DesktopShell(Com& com, IShellDispatch2** shell) {
  Ref<IShellWindows> windows;
  HRESULT hr = com.create(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                          windows.Out());
  if (FAILED(hr)) return hr;
  VARIANT location{}, root{};
  location.vt = root.vt = VT_EMPTY;
  long hwnd = 0;
  Ref<IDispatch> desktop;
  hr = windows.p->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH,
                               &desktop.p);
  if (hr != S_OK || !desktop.p) return FAILED(hr) ? hr : E_FAIL;
  Ref<IServiceProvider> provider;
  if (FAILED(hr = desktop.p->QueryInterface(IID_IServiceProvider, provider.Out()))) return hr;
  Ref<IShellBrowser> browser;
  if (FAILED(hr = provider.p->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                           browser.Out())))
    return hr;
  Ref<IShellView> view;
  if (FAILED(hr = browser.p->QueryActiveShellView(&view.p))) return hr;
  Ref<IDispatch> background;
  if (FAILED(hr = view.p->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.Out())))
    return hr;
  Ref<IShellFolderViewDual> folderView;
  if (FAILED(hr = background.p->QueryInterface(IID_IShellFolderViewDual, folderView.Out())))
    return hr;
  Ref<IDispatch> application;
  if (FAILED(hr = folderView.p->get_Application(&application.p))) return hr;
  return application.p->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(shell));
}

}  // namespace

bool StartThroughDesktopShell(const std::wstring& exe) {
  Com com;
  if (!com.Load()) return false;
  const HRESULT init = com.initialize(nullptr, COINIT_APARTMENTTHREADED);
  bool started = false;
  {
    Ref<IShellDispatch2> shell;
    if (SUCCEEDED(DesktopShell(com, &shell.p)) && shell.p) {
      BSTR file = com.allocString(exe.c_str());
      VARIANT none{}, show{};
      none.vt = VT_EMPTY;
      show.vt = VT_I4;
      show.lVal = SW_SHOWNORMAL;
      started = file && SUCCEEDED(shell.p->ShellExecute(file, none, none, none, show));
      com.freeString(file);
    }
  }
  if (SUCCEEDED(init)) com.uninitialize();
  return started;
}

}  // namespace velotune

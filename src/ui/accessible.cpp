#include "ui/accessible.h"

#include <oleacc.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_library.h"
#include "ui/application.h"
#include "ui/control.h"

namespace velotune::ui {
namespace {

// {618736E0-3C3D-11CF-810C-00AA00389B71}: named here, so nothing links oleacc.
constexpr IID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using AllocStringLenFn = BSTR(WINAPI*)(const OLECHAR*, UINT);

// oleacc and the string allocator of oleaut32, loaded on the first request
// from a screen reader: linking either would load COM with every start.
struct Oleacc {
  CreateStdFn createStd = nullptr;
  LresultFn lresult = nullptr;
  AllocStringLenFn allocString = nullptr;
};

bool loaded = false;

const Oleacc& LoadOleacc() {
  static const Oleacc functions = [] {
    Oleacc o;
    HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
    HMODULE automation = LoadSystemLibrary(L"oleaut32.dll");
    o.createStd = ExportOf<CreateStdFn>(oleacc, "CreateStdAccessibleObject");
    o.lresult = ExportOf<LresultFn>(oleacc, "LresultFromObject");
    o.allocString = ExportOf<AllocStringLenFn>(automation, "SysAllocStringLen");
    loaded = o.createStd && o.lresult && o.allocString;
    return o;
  }();
  return functions;
}

// A variant holding nothing, as VariantInit leaves it.
void Empty(VARIANT* v) {
  *v = VARIANT{};
  v->vt = VT_EMPTY;
}

BSTR ToBstr(const std::string& text) {
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR out = LoadOleacc().allocString(nullptr, static_cast<UINT>(n));
  if (out && n > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out, n);
  return out;
}

HRESULT Text(const std::optional<std::string>& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!text) return S_FALSE;
  *out = ToBstr(*text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard object of a window with our control's answers laid over it.
// It holds the control through a token that goes null when the control goes,
// after which it answers as the standard object alone.
class Wrapper final : public IAccessible {
 public:
  Wrapper(IAccessible* inner, std::shared_ptr<Control*> token, LONG objectId)
      : inner_(inner), token_(std::move(token)), objectId_(objectId) {}
  ~Wrapper() { inner_->Release(); }
  Wrapper(const Wrapper&) = delete;
  Wrapper& operator=(const Wrapper&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // IEnumVARIANT, IOleWindow and the like: the standard object's.
    return inner_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: scripting clients are not served.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return inner_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (Client()) {
      if (!count) return E_POINTER;
      *count = static_cast<LONG>(Elements().size());
      return S_OK;
    }
    return inner_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (Client()) {
      if (!out) return E_POINTER;
      *out = nullptr;
      return Element(child) ? S_FALSE : E_INVALIDARG;  // simple elements, no objects
    }
    return inner_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    if (Control* c = Target(child)) {
      if (auto name = c->AccessibleName()) return Text(name, out);
      if (!IsSelf(child)) return Text(std::nullopt, out);
    }
    return inner_->get_accName(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    if (Control* c = Target(child)) {
      if (auto value = c->AccessibleValue()) return Text(value, out);
      if (!IsSelf(child)) return Text(std::nullopt, out);
    }
    return inner_->get_accValue(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    if (Element(child)) return Text(std::nullopt, out);
    return inner_->get_accDescription(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (Control* c = Target(child)) {
      if (const LONG role = c->AccessibleRole(); role != 0 && objectId_ == OBJID_CLIENT) {
        if (!out) return E_POINTER;
        out->vt = VT_I4;
        out->lVal = role;
        return S_OK;
      }
    }
    return inner_->get_accRole(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    if (Control* c = Element(child)) {
      out->vt = VT_I4;
      out->lVal = STATE_SYSTEM_READONLY | (c->Visible() ? 0 : STATE_SYSTEM_INVISIBLE);
      return S_OK;
    }
    const HRESULT hr = inner_->get_accState(child, out);
    Control* c = Target(child);
    if (c && objectId_ == OBJID_CLIENT) {
      if (FAILED(hr) || out->vt != VT_I4) {
        Empty(out);
        out->vt = VT_I4;
        out->lVal = 0;
      }
      out->lVal |= c->AccessibleState();
      return S_OK;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    if (Element(child)) return Text(std::nullopt, out);
    return inner_->get_accHelp(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    if (Element(child)) return S_FALSE;
    return inner_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    if (Element(child)) return Text(std::nullopt, out);
    return inner_->get_accKeyboardShortcut(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    return inner_->get_accFocus(out);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    return inner_->get_accSelection(out);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    if (Control* c = Target(child); c && IsSelf(child) && objectId_ == OBJID_CLIENT)
      if (const char* action = c->AccessibleAction()) return Text(std::string(action), out);
    if (Element(child)) return Text(std::nullopt, out);
    return inner_->get_accDefaultAction(child, out);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return inner_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h,
                                        VARIANT child) override {
    if (Control* c = Element(child)) {
      if (!x || !y || !w || !h) return E_POINTER;
      POINT origin = {c->Left(), c->Top()};
      ClientToScreen(c->Parent()->Handle(), &origin);
      *x = origin.x;
      *y = origin.y;
      *w = c->Width();
      *h = c->Height();
      return S_OK;
    }
    return inner_->accLocation(x, y, w, h, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* out) override {
    if (Client() && out) {
      const LONG count = static_cast<LONG>(Elements().size());
      LONG to = 0;
      if (IsSelf(start) && dir == NAVDIR_FIRSTCHILD) to = 1;
      if (IsSelf(start) && dir == NAVDIR_LASTCHILD) to = count;
      if (Element(start) && (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN)) to = start.lVal + 1;
      if (Element(start) && (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP)) to = start.lVal - 1;
      Empty(out);
      if (to < 1 || to > count) return S_FALSE;
      out->vt = VT_I4;
      out->lVal = to;
      return S_OK;
    }
    return inner_->accNavigate(dir, start, out);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
    if (Client() && out) {
      const auto elements = Elements();
      for (size_t i = 0; i < elements.size(); ++i) {
        Control* c = elements[i];
        POINT p = {x, y};
        ScreenToClient(c->Parent()->Handle(), &p);
        const RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) {
          out->vt = VT_I4;
          out->lVal = static_cast<LONG>(i + 1);
          return S_OK;
        }
      }
    }
    return inner_->accHitTest(x, y, out);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (Control* c = Target(child);
        c && IsSelf(child) && objectId_ == OBJID_CLIENT && c->AccessibleAction()) {
      // From the message loop: the caller may be another process waiting on us.
      if (auto* app = Application::Instance()) {
        app->Post([token = token_] {
          if (Control* still = *token) still->Click();
        });
        return S_OK;
      }
    }
    return inner_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  WinControl* Self() const {
    Control* c = *token_;
    return c && c->IsWindowed() ? static_cast<WinControl*>(c) : nullptr;
  }
  // The control's client object that shows its graphic children as elements.
  WinControl* Client() const {
    WinControl* self = Self();
    return self && objectId_ == OBJID_CLIENT && !self->AccessibleElements().empty() ? self
                                                                                    : nullptr;
  }
  std::vector<Control*> Elements() const {
    WinControl* self = Self();
    return self ? self->AccessibleElements() : std::vector<Control*>{};
  }
  Control* Element(const VARIANT& child) const {
    if (child.vt != VT_I4 || child.lVal == CHILDID_SELF || !Client()) return nullptr;
    const auto elements = Elements();
    if (child.lVal < 1 || child.lVal > static_cast<LONG>(elements.size())) return nullptr;
    return elements[static_cast<size_t>(child.lVal - 1)];
  }
  // The control itself for CHILDID_SELF, or one of its elements.
  Control* Target(const VARIANT& child) const {
    if (IsSelf(child)) return Self();
    return Element(child);
  }

  IAccessible* inner_;
  std::shared_ptr<Control*> token_;
  LONG objectId_;
  LONG refs_ = 1;
};

bool WantsWrapper(WinControl& control, LONG objectId) {
  if (objectId == OBJID_WINDOW) return control.AccessibleNameSet() && !control.Parent();
  if (objectId != OBJID_CLIENT) return false;
  return control.AccessibleNameSet() || control.AccessibleRole() != 0 ||
         !control.AccessibleElements().empty();
}

}  // namespace

bool AccessibilityLoaded() { return loaded; }

LRESULT AnswerGetObject(WinControl& control, WPARAM wParam, LPARAM lParam) {
  const LONG objectId = static_cast<LONG>(lParam);
  if (!control.Handle() || !WantsWrapper(control, objectId)) return 0;
  const Oleacc& oleacc = LoadOleacc();
  if (!loaded) return 0;
  IAccessible* inner = nullptr;
  if (FAILED(oleacc.createStd(control.Handle(), objectId, kIidAccessible,
                              reinterpret_cast<void**>(&inner))) ||
      !inner)
    return 0;
  auto* wrapper = new Wrapper(inner, control.AccessToken(), objectId);
  const LRESULT result = oleacc.lresult(kIidAccessible, wParam, wrapper);
  wrapper->Release();  // LresultFromObject holds its own reference
  return result;
}

}  // namespace velotune::ui

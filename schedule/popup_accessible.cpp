#include "schedule/popup_accessible.h"

#include <oleacc.h>

#include "core/system_library.h"
#include "core/window.h"

namespace tavik {
namespace {

// IID_IAccessible, written out so that nothing of the library is linked in; the library
// itself is loaded at the first question a reader asks.
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);

BSTR Bstr(const std::u16string& text) {
  static const auto alloc = SystemFunction<SysAllocStringFn>(L"oleaut32.dll", "SysAllocString");
  return alloc ? alloc(reinterpret_cast<const OLECHAR*>(text.c_str())) : nullptr;
}

bool IsSelf(const VARIANT& v) { return v.vt == VT_I4 && v.lVal == CHILDID_SELF; }

}  // namespace

// Everything as the system's object has it, but the role and the name of the popup itself.
class PopupAccessibility::Accessible final : public IAccessible {
 public:
  Accessible(HWND hwnd, const std::function<std::u16string()>* name) : name_(name) {
    if (const auto create = SystemFunction<CreateStdAccessibleObjectFn>(L"oleacc.dll", "CreateStdAccessibleObject"))
      create(hwnd, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&standard_));
  }
  bool usable() const { return standard_ != nullptr; }
  void Forget() { name_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
      if (standard_) standard_->Release();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  // IDispatch: not offered; readers use the IAccessible methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible: the popup's own name and role; the rest is the system's.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return standard_->get_accName(child, name);
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!name_) return RPC_E_DISCONNECTED;
    *name = Bstr((*name_)());
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_ALERT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return standard_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return standard_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return standard_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override { return standard_->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) override {
    return standard_->accLocation(x, y, w, h, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(dir, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* at) override { return standard_->accHitTest(x, y, at); }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return standard_->accDoDefaultAction(child); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  virtual ~Accessible() = default;
  LONG refs_ = 1;
  const std::function<std::u16string()>* name_;
  IAccessible* standard_ = nullptr;
};

void PopupAccessibility::Forget() {
  if (!object_) return;
  object_->Forget();
  object_->Release();
  object_ = nullptr;
}

IAccessible* PopupAccessibility::Object(HWND hwnd) {
  if (!object_) {
    object_ = new Accessible(hwnd, &name_);
    if (!object_->usable()) {
      Forget();
      return nullptr;
    }
  }
  object_->AddRef();
  return object_;
}

LRESULT PopupAccessibility::OnGetObject(HWND hwnd, WPARAM wp, LPARAM lp) {
  if (static_cast<LONG>(lp) != OBJID_CLIENT) return 0;
  static const auto lresult = SystemFunction<LresultFromObjectFn>(L"oleacc.dll", "LresultFromObject");
  if (!lresult) return 0;
  // The object is marshalled to the reader's process through COM, on this thread.
  static const bool com = [] {
    using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    const auto init = SystemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    return init && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
  }();
  static_cast<void>(com);
  IAccessible* object = Object(hwnd);
  if (!object) return 0;
  const LRESULT result = lresult(kIidAccessible, wp, object);
  object->Release();
  return result > 0 ? result : 0;
}

}  // namespace tavik

#include "core/accessible.h"

#include "core/system_library.h"

namespace tavik {
namespace {

// IID_IAccessible, written out so that nothing of the library is linked in.
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);

}  // namespace

StandardAccessible::StandardAccessible(HWND hwnd) {
  if (const auto create = SystemFunction<CreateStdAccessibleObjectFn>(L"oleacc.dll", "CreateStdAccessibleObject"))
    create(hwnd, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&standard_));
}

StandardAccessible::~StandardAccessible() {
  if (standard_) standard_->Release();
}

BSTR StandardAccessible::Bstr(const std::u16string& text) {
  static const auto alloc = SystemFunction<SysAllocStringFn>(L"oleaut32.dll", "SysAllocString");
  return alloc ? alloc(reinterpret_cast<const OLECHAR*>(text.c_str())) : nullptr;
}

HRESULT STDMETHODCALLTYPE StandardAccessible::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidAccessible) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE StandardAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG STDMETHODCALLTYPE StandardAccessible::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE StandardAccessible::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE StandardAccessible::get_accParent(IDispatch** parent) {
  return standard_ ? standard_->get_accParent(parent) : E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accChildCount(LONG* count) {
  return standard_ ? standard_->get_accChildCount(count) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accChild(VARIANT child, IDispatch** out) {
  return standard_ ? standard_->get_accChild(child, out) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accName(VARIANT child, BSTR* name) {
  return standard_ ? standard_->get_accName(child, name) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accValue(VARIANT child, BSTR* value) {
  return standard_ ? standard_->get_accValue(child, value) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accDescription(VARIANT child, BSTR* text) {
  return standard_ ? standard_->get_accDescription(child, text) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accRole(VARIANT child, VARIANT* role) {
  return standard_ ? standard_->get_accRole(child, role) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accState(VARIANT child, VARIANT* state) {
  return standard_ ? standard_->get_accState(child, state) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accHelp(VARIANT child, BSTR* help) {
  return standard_ ? standard_->get_accHelp(child, help) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
  return standard_ ? standard_->get_accHelpTopic(file, child, topic) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* keys) {
  return standard_ ? standard_->get_accKeyboardShortcut(child, keys) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accFocus(VARIANT* focus) {
  return standard_ ? standard_->get_accFocus(focus) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accSelection(VARIANT* selection) {
  return standard_ ? standard_->get_accSelection(selection) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  return standard_ ? standard_->get_accDefaultAction(child, action) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::accSelect(LONG flags, VARIANT child) {
  return standard_ ? standard_->accSelect(flags, child) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) {
  return standard_ ? standard_->accLocation(x, y, w, h, child) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::accNavigate(LONG dir, VARIANT start, VARIANT* end) {
  return standard_ ? standard_->accNavigate(dir, start, end) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::accHitTest(LONG x, LONG y, VARIANT* at) {
  return standard_ ? standard_->accHitTest(x, y, at) : S_FALSE;
}
HRESULT STDMETHODCALLTYPE StandardAccessible::accDoDefaultAction(VARIANT child) {
  return standard_ ? standard_->accDoDefaultAction(child) : S_FALSE;
}

LRESULT AnswerGetObject(IAccessible* object, WPARAM wp, LPARAM lp) {
  if (!object || static_cast<LONG>(lp) != OBJID_CLIENT) return 0;
  static const auto lresult = SystemFunction<LresultFromObjectFn>(L"oleacc.dll", "LresultFromObject");
  if (!lresult) return 0;
  // The object is marshalled to the reader's process through COM, on this thread.
  static const bool com = [] {
    using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    const auto init = SystemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    return init && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
  }();
  static_cast<void>(com);
  const LRESULT result = lresult(kIidAccessible, wp, object);
  return result > 0 ? result : 0;  // a failure: the system's own object answers instead
}

}  // namespace tavik

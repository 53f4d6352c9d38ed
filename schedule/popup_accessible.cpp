#include "schedule/popup_accessible.h"

#include "core/accessible.h"

namespace tavik {

// Everything as the system's object has it, but the role and the name of the popup itself.
class PopupAccessibility::Accessible final : public StandardAccessible {
 public:
  Accessible(HWND hwnd, const std::function<std::u16string()>* name) : StandardAccessible(hwnd), name_(name) {}
  void Forget() { name_ = nullptr; }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return StandardAccessible::get_accName(child, name);
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!name_) return RPC_E_DISCONNECTED;
    *name = Bstr((*name_)());
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return StandardAccessible::get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_ALERT;
    return S_OK;
  }

 private:
  ~Accessible() override = default;
  const std::function<std::u16string()>* name_;
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
  IAccessible* object = Object(hwnd);
  const LRESULT result = AnswerGetObject(object, wp, lp);
  if (object) object->Release();
  return result;
}

}  // namespace tavik

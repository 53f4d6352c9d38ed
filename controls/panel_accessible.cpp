#include "controls/panel_accessible.h"

#include "controls/clock_panel.h"
#include "core/accessible.h"

namespace tavik {
namespace {

// Children 1..4 in the order a reader walks them.
constexpr PanelPart kParts[] = {PanelPart::Title, PanelPart::Clock, PanelPart::Minimise, PanelPart::Close};
constexpr LONG kChildCount = 4;

bool IsChild(const VARIANT& v) { return v.vt == VT_I4 && v.lVal >= 1 && v.lVal <= kChildCount; }
PanelPart PartOf(const VARIANT& v) { return kParts[v.lVal - 1]; }
bool IsButton(PanelPart part) { return part == PanelPart::Minimise || part == PanelPart::Close; }

}  // namespace

class PanelAccessibility::Accessible final : public StandardAccessible {
 public:
  explicit Accessible(ClockPanel& panel) : StandardAccessible(panel.hwnd()), panel_(&panel) {}
  void Forget() { panel_ = nullptr; }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!count) return E_POINTER;
    *count = panel_ ? kChildCount : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return IsChild(child) ? S_FALSE : E_INVALIDARG;  // simple elements, no objects of their own
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!panel_) return RPC_E_DISCONNECTED;
    if (IsSelf(child)) return standard() ? standard()->get_accName(child, name) : S_FALSE;
    if (!IsChild(child)) return E_INVALIDARG;
    *name = Bstr(panel_->AccessibleName(PartOf(child)));
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (IsSelf(child) && standard()) return standard()->get_accValue(child, value);
    if (value) *value = nullptr;
    return IsChild(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    if (IsSelf(child) && standard()) return standard()->get_accDescription(child, text);
    if (text) *text = nullptr;
    return IsChild(child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    if (IsSelf(child) && standard()) return standard()->get_accRole(child, role);
    if (!IsChild(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = IsButton(PartOf(child)) ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_STATICTEXT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    if (IsSelf(child) && standard()) return standard()->get_accState(child, state);
    if (!IsChild(child)) return E_INVALIDARG;
    state->vt = VT_I4;
    state->lVal = IsButton(PartOf(child)) ? 0 : STATE_SYSTEM_READONLY;
    if (panel_ && !IsWindowVisible(panel_->hwnd())) state->lVal |= STATE_SYSTEM_INVISIBLE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    if (help) *help = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* keys) override {
    if (keys) *keys = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    if (IsSelf(child)) return standard() ? standard()->get_accDefaultAction(child, action) : S_FALSE;
    if (!IsChild(child)) return E_INVALIDARG;
    if (!IsButton(PartOf(child))) return S_FALSE;
    *action = Bstr(u"按下");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    if (IsSelf(child) && standard()) return standard()->accSelect(flags, child);
    return IsChild(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) override {
    if (!x || !y || !w || !h) return E_POINTER;
    if (!panel_) return RPC_E_DISCONNECTED;
    if (IsSelf(child) && standard()) return standard()->accLocation(x, y, w, h, child);
    if (!IsChild(child)) return E_INVALIDARG;
    RECT r = panel_->PartRect(PartOf(child));
    MapWindowPoints(panel_->hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    *x = r.left;
    *y = r.top;
    *w = r.right - r.left;
    *h = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    end->vt = VT_EMPTY;
    LONG next = 0;
    if (IsSelf(start)) {
      if (dir == NAVDIR_FIRSTCHILD) next = 1;
      else if (dir == NAVDIR_LASTCHILD) next = kChildCount;
      else return standard() ? standard()->accNavigate(dir, start, end) : S_FALSE;
    } else if (IsChild(start)) {
      if (dir == NAVDIR_NEXT || dir == NAVDIR_RIGHT || dir == NAVDIR_DOWN) next = start.lVal + 1;
      else if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_LEFT || dir == NAVDIR_UP) next = start.lVal - 1;
    } else {
      return E_INVALIDARG;
    }
    if (next < 1 || next > kChildCount) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = next;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* at) override {
    if (!at) return E_POINTER;
    at->vt = VT_EMPTY;
    if (!panel_) return RPC_E_DISCONNECTED;
    POINT p{x, y};
    ScreenToClient(panel_->hwnd(), &p);
    RECT client;
    GetClientRect(panel_->hwnd(), &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    at->vt = VT_I4;
    at->lVal = CHILDID_SELF;
    for (LONG i = 1; i <= kChildCount; ++i) {
      const RECT r = panel_->PartRect(kParts[i - 1]);
      if (PtInRect(&r, p)) at->lVal = i;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (IsSelf(child)) return standard() ? standard()->accDoDefaultAction(child) : DISP_E_MEMBERNOTFOUND;
    if (!IsChild(child)) return E_INVALIDARG;
    if (!IsButton(PartOf(child))) return DISP_E_MEMBERNOTFOUND;
    if (!panel_) return RPC_E_DISCONNECTED;
    panel_->Press(PartOf(child));
    return S_OK;
  }

 private:
  ~Accessible() override = default;
  ClockPanel* panel_;
};

PanelAccessibility::~PanelAccessibility() {
  if (!object_) return;
  object_->Forget();  // readers may hold it longer than the panel lives
  object_->Release();
}

IAccessible* PanelAccessibility::Object() {
  if (!object_) object_ = new Accessible(panel_);
  object_->AddRef();
  return object_;
}

LRESULT PanelAccessibility::OnGetObject(WPARAM wp, LPARAM lp) {
  if (static_cast<LONG>(lp) != OBJID_CLIENT) return 0;
  IAccessible* object = Object();
  const LRESULT result = AnswerGetObject(object, wp, lp);
  object->Release();
  return result;
}

}  // namespace tavik

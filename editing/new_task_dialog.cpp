#include "editing/new_task_dialog.h"

#include "core/common_controls.h"
#include "core/dpi.h"
#include "core/drawing.h"
#include "core/keyboard.h"
#include "core/look.h"
#include "core/system_library.h"
#include "core/wide.h"
#include "editing/task_form.h"

namespace tavik {
namespace {

constexpr wchar_t kClass[] = L"TavikNewTask";
constexpr wchar_t kOwnerClass[] = L"TavikNewTaskOwner";
constexpr wchar_t kCaption[] = L"新任务";
constexpr UINT_PTR kKeyFilterId = 1;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

std::size_t SelectionLength(HWND edit) {
  DWORD from = 0, to = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  return to > from ? to - from : 0;
}

// Drops a typed character once the text is full, unless it replaces a selection; a paste
// is cut to what fits. Esc goes to the dialog, which decides whether it closes.
LRESULT CALLBACK TipsKeyFilter(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_CHAR) {
    if (wp == VK_ESCAPE) return 0;
    const auto length = static_cast<std::size_t>(GetWindowTextLengthW(edit));
    if (!KeyPasses(static_cast<unsigned>(wp), SelectionLength(edit), length, kMaxInfoLength)) return 0;
  } else if (msg == WM_KEYDOWN && wp == VK_ESCAPE) {
    SendMessageW(GetParent(edit), WM_COMMAND, IDCANCEL, 0);
    return 0;
  } else if (msg == WM_PASTE) {
    if (!OpenClipboard(edit)) return 0;
    std::u16string pasted;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
        // Another program's text need not end where its block does.
        const size_t room = GlobalSize(data) / sizeof(wchar_t);
        pasted.assign(reinterpret_cast<const char16_t*>(text), wcsnlen(text, room));
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    const auto length = static_cast<std::size_t>(GetWindowTextLengthW(edit));
    const std::size_t kept = length - std::min(SelectionLength(edit), length);
    const std::size_t room = kept < kMaxInfoLength ? kMaxInfoLength - kept : 0;
    const std::u16string fitted = FitInsertion(pasted, room);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(W(fitted)));
    return 0;
  } else if (msg == WM_NCDESTROY) {
    RemoveSubclass(edit, &TipsKeyFilter, kKeyFilterId);
  }
  return DefSubclass(edit, msg, wp, lp);
}

// A window that is never shown: owning the dialog keeps it off the taskbar.
HWND HiddenOwner() {
  static HWND owner = nullptr;
  if (owner && IsWindow(owner)) return owner;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kOwnerClass;
  RegisterClassExW(&wc);
  owner = CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  return owner;
}

void FillList(HWND list, const std::vector<std::u16string>& texts) {
  for (const auto& t : texts) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(t)));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

// The closed list takes the designed height whatever the font's line height is. Systems
// differ in what they add to the height they are given, so it is measured until it fits.
void FitListHeight(HWND list, int height) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT r;
    GetWindowRect(list, &r);
    const int off = height - (r.bottom - r.top);
    if (off == 0) return;
    const auto field = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    if (field + off <= 0) return;
    SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + off * (attempt + 1));
  }
}

// The window's outer size for a client area at dpi, as the system draws its frame there.
SIZE FrameSize(int clientWidth, int clientHeight, int dpi) {
  RECT frame{0, 0, clientWidth, clientHeight};
  // Windows 10 and later.
  static const auto adjustForDpi =
      SystemFunction<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&frame, kDialogStyle, FALSE, kDialogExStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&frame, kDialogStyle, FALSE, kDialogExStyle);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace

// Every control and where the layout puts it.
std::vector<std::pair<int, PixelRect>> NewTaskDialog::Boxes() const {
  const DialogLayout& d = layout_;
  std::vector<std::pair<int, PixelRect>> boxes{
      {kCreateId, d.create},
      {kCancelId, d.cancel},
      {kTipsId, d.tips},
      {kHourId, {d.hour.left, d.hour.top, d.hour.right, d.hour.top + d.dropHeight}},
      {kMinuteId, {d.minute.left, d.minute.top, d.minute.right, d.minute.top + d.dropHeight}},
      {kSoundId, d.sound},
      {kTimeLabelId, d.timeLabel},
      {kHourLabelId, d.hourLabel},
      {kMinuteLabelId, d.minuteLabel},
      {kRepeatLabelId, d.repeatLabel},
      {kTipsLabelId, d.tipsLabel},
      {kCounterId, d.counter},
  };
  for (int i = 0; i < 7; ++i) boxes.emplace_back(kWeekId + i, d.week[static_cast<size_t>(i)]);
  return boxes;
}

HWND NewTaskDialog::AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
  PixelRect box{};
  for (const auto& [boxId, where] : Boxes())
    if (boxId == id) box = where;
  return AddChild(hwnd(), cls, text, style, id, ToRect(box), YaHei9(dpi_));
}

void NewTaskDialog::ApplyDpi(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  layout_ = LayoutDialog(dpi);
  if (suggested) {
    SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The client area is the layout's, with the frame the system draws now.
  RECT client;
  GetClientRect(hwnd(), &client);
  if (client.right != layout_.clientWidth || client.bottom != layout_.clientHeight) {
    const RECT outer = Bounds();
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(hwnd(), nullptr, outer.left, outer.top, layout_.clientWidth + frameWidth,
                 layout_.clientHeight + frameHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (const auto& [id, box] : Boxes()) {
    HWND control = Control(id);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(YaHei9(dpi)), FALSE);
    SetWindowPos(control, nullptr, box.left, box.top, Width(box), Height(box), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FitListHeight(Control(kHourId), layout_.listHeight);
  FitListHeight(Control(kMinuteId), layout_.listHeight);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void NewTaskDialog::Load() {
  if (IsAlive()) return;
  RegisterClassOnce(kClass);
  dpi_ = SystemDpi();
  layout_ = LayoutDialog(dpi_);
  const SIZE frame = FrameSize(layout_.clientWidth, layout_.clientHeight, dpi_);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - frame.cx) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - frame.cy) / 2;
  if (!CreateWnd(kDialogExStyle, kClass, kCaption, kDialogStyle, x, y, frame.cx, frame.cy, HiddenOwner())) return;
  ID.reset();

  // Created in tab order: "创建", "取消", the text, then the rest.
  AddControl(L"BUTTON", L"创建", BS_PUSHBUTTON | WS_TABSTOP, kCreateId);
  AddControl(L"BUTTON", L"取消", BS_PUSHBUTTON | WS_TABSTOP, kCancelId);
  HWND tips = AddControl(L"EDIT", L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                         kTipsId);
  SetWindowLongW(tips, GWL_EXSTYLE, GetWindowLongW(tips, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(tips, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  SendMessageW(tips, EM_SETLIMITTEXT, kMaxInfoLength, 0);
  SetSubclass(tips, &TipsKeyFilter, kKeyFilterId, 0);

  HWND hour = AddControl(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kHourId);
  HWND minute = AddControl(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kMinuteId);
  FillList(hour, HourTexts());
  FillList(minute, MinuteTexts());
  FitListHeight(hour, layout_.listHeight);
  FitListHeight(minute, layout_.listHeight);
  for (int i = 0; i < 7; ++i)
    AddControl(L"BUTTON", W(kWeekBoxTexts[i]), BS_AUTOCHECKBOX | WS_TABSTOP, kWeekId + i);
  // Every reminder plays the alert, so the box says so and cannot be changed; nothing reads it.
  HWND sound = AddControl(L"BUTTON", L"提示音", BS_AUTOCHECKBOX | WS_TABSTOP | WS_DISABLED, kSoundId);
  SendMessageW(sound, BM_SETCHECK, BST_CHECKED, 0);

  AddControl(L"STATIC", L"时间", SS_LEFT | SS_NOPREFIX, kTimeLabelId);
  AddControl(L"STATIC", L"时", SS_LEFT | SS_NOPREFIX, kHourLabelId);
  AddControl(L"STATIC", L"分", SS_LEFT | SS_NOPREFIX, kMinuteLabelId);
  AddControl(L"STATIC", L"重复", SS_LEFT | SS_NOPREFIX, kRepeatLabelId);
  AddControl(L"STATIC", L"提醒标签", SS_LEFT | SS_NOPREFIX, kTipsLabelId);
  AddControl(L"STATIC", L"", SS_RIGHT | SS_NOPREFIX, kCounterId);
  UpdateCounter();
  // The monitor may have a resolution of its own: laid out for it, and centred again.
  if (const int dpi = WindowDpi(hwnd()); dpi != dpi_) {
    ApplyDpi(dpi, nullptr);
    const RECT r = Bounds();
    SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  TakeDialogKeys(hwnd());
  pristine_ = Snapshot();
}

NewTaskDialog::State NewTaskDialog::Snapshot() const {
  State state;
  state.hour = static_cast<int>(SendMessageW(Control(kHourId), CB_GETCURSEL, 0, 0));
  state.minute = static_cast<int>(SendMessageW(Control(kMinuteId), CB_GETCURSEL, 0, 0));
  for (int i = 0; i < 7; ++i)
    state.week[static_cast<size_t>(i)] = SendMessageW(Control(kWeekId + i), BM_GETCHECK, 0, 0) == BST_CHECKED;
  state.tips = Text(kTipsId);
  return state;
}

void NewTaskDialog::Escape() {
  // One key must not throw away what the user typed or picked.
  if (Snapshot() == pristine_) Unload();
}

void NewTaskDialog::Show() {
  Load();
  if (!IsAlive()) return;
  ShowWindow(hwnd(), SW_SHOW);
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(hwnd());
  // Like a dialog: the keyboard starts on the first control in tab order, "创建".
  if (!IsChild(hwnd(), GetFocus())) SetFocus(Control(kCreateId));
}

void NewTaskDialog::Unload() {
  ID.reset();
  Destroy();
}

void NewTaskDialog::FillFrom(std::size_t at, const Task& task) {
  Load();
  if (!IsAlive()) return;
  ID = at;
  const EditFill fill = FillFromTask(task);
  SendMessageW(Control(kHourId), CB_SETCURSEL, static_cast<WPARAM>(fill.hour), 0);
  SendMessageW(Control(kMinuteId), CB_SETCURSEL, static_cast<WPARAM>(fill.minute), 0);
  for (int i = 0; i < 7; ++i)
    SendMessageW(Control(kWeekId + i), BM_SETCHECK, fill.week[static_cast<size_t>(i)] ? BST_CHECKED : BST_UNCHECKED,
                 0);
  SetTips(fill.info);
  pristine_ = Snapshot();  // what the edit shows is the task itself, not the user's input
}

void NewTaskDialog::SetTips(const std::u16string& text) {
  SetWindowTextW(Control(kTipsId), W(text));
  UpdateCounter();  // a multi-line box reports no change for text set by the program
}

void NewTaskDialog::TaskRemoved(std::size_t at) {
  if (!IsAlive() || !ID) return;
  if (*ID == at)
    Unload();
  else if (*ID > at)
    --*ID;
}

std::u16string NewTaskDialog::Text(int id) const { return WindowText(Control(id)); }

void NewTaskDialog::UpdateCounter() {
  SetWindowTextW(Control(kCounterId), W(CounterText(static_cast<size_t>(GetWindowTextLengthW(Control(kTipsId))))));
}

void NewTaskDialog::Create() {
  if (!IsAlive()) return;
  WeekChecks week{};
  for (int i = 0; i < 7; ++i)
    week[static_cast<size_t>(i)] = SendMessageW(Control(kWeekId + i), BM_GETCHECK, 0, 0) == BST_CHECKED;
  const std::optional<Task> task = BuildTask(Text(kHourId), Text(kMinuteId), week, Text(kTipsId));
  if (!task) return;  // no hour or no minute picked
  if (Text(kTipsId).empty()) SetTips(task->info);

  const std::optional<std::size_t> at = ID;
  if (!at) {
    // Closed before the row slides in: a press of "新建任务" during the slide then gets a
    // fresh dialog instead of this one, which would be thrown away under the user's hands.
    ShowWindow(hwnd(), SW_HIDE);
    Unload();
    items_.AddItem(task->time, task->cycle, task->info);
    items_.SaveData();
    return;
  }
  items_.EditItem(*at, task->time, task->cycle, task->info);
  items_.SaveData();
  Unload();
}

LRESULT NewTaskDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kCreateId:
          if (HIWORD(wp) == BN_CLICKED) Create();
          return 0;
        case kCancelId:
          if (HIWORD(wp) == BN_CLICKED) Cancel();
          return 0;
        case kTipsId:
          if (HIWORD(wp) == EN_CHANGE) UpdateCounter();
          return 0;
        case IDCANCEL:  // Esc, from any control
          Escape();
          return 0;
        case IDOK: {
          // Enter presses the button that has the focus; on a list or a box it does nothing.
          const HWND focus = GetFocus();
          if (focus == Control(kCreateId) || focus == Control(kCancelId)) {
            SendMessageW(focus, BM_CLICK, 0, 0);
          }
          return 0;
        }
        default:
          return 0;
      }
    case WM_NEXTDLGCTL: {
      // The multi-line text box asks for this on Tab and Shift+Tab.
      HWND next = lp ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(hwnd(), GetFocus(), wp != 0);
      if (next) {
        SetFocus(next);
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
      }
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd(), &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_DPICHANGED:  // moved onto a monitor of another resolution
      ApplyDpi(DpiOfChange(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tavik

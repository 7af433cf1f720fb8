// The templates as a user sees them in the font the program really gets: every control inside its
// page and its group, no two controls on top of each other, no caption or list item cut off.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/win32/wide.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

struct Control {
  HWND window;
  int id;
  std::wstring kind;
  LONG style;
  std::wstring text;
  RECT rect;  // in the page's client coordinates
};

std::vector<Control> ChildrenOf(HWND page) {
  std::vector<Control> controls;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t kind[64] = {};
    GetClassNameW(child, kind, 64);
    wchar_t text[512] = {};
    GetWindowTextW(child, text, 512);
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    controls.push_back({child, GetDlgCtrlID(child), kind, GetWindowLongW(child, GWL_STYLE), text, rect});
  }
  return controls;
}

bool IsKind(const Control& control, const wchar_t* kind) { return _wcsicmp(control.kind.c_str(), kind) == 0; }
bool IsGroup(const Control& control) {
  return IsKind(control, L"Button") && (control.style & BS_TYPEMASK) == BS_GROUPBOX;
}
bool IsCheckBox(const Control& control) {
  const LONG type = control.style & BS_TYPEMASK;
  return IsKind(control, L"Button") && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
}

// Places in dialog units become pixels edge by edge, so neighbours may share a rounded pixel.
bool Overlap(const RECT& a, const RECT& b) {
  RECT both{};
  return IntersectRect(&both, &a, &b) && both.right - both.left > 1 && both.bottom - both.top > 1;
}
bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

SIZE TextSize(HWND control, const std::wstring& text) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

std::string Describe(const Control& control) {
  std::ostringstream out;
  out << control.id << " \"" << platform::Narrow(control.text) << "\"";
  return out.str();
}

// Every fault of one page's layout, one line each.
std::vector<std::string> LayoutFaults(HWND page, const std::vector<std::pair<int, int>>& stacked = {}) {
  std::vector<std::string> faults;
  RECT client{};
  GetClientRect(page, &client);
  const std::vector<Control> controls = ChildrenOf(page);
  const int check_box = GetSystemMetrics(SM_CXMENUCHECK);
  const int arrow = GetSystemMetrics(SM_CXVSCROLL);
  for (const Control& control : controls) {
    if (!Inside(control.rect, client)) faults.push_back(Describe(control) + " leaves the page");
    const int width = control.rect.right - control.rect.left;
    const int height = control.rect.bottom - control.rect.top;
    if (!control.text.empty()) {
      const SIZE text = TextSize(control.window, control.text);
      int needed = text.cx;
      if (IsGroup(control)) needed += 16;
      else if (IsCheckBox(control)) needed += check_box + 4;
      else if (IsKind(control, L"Button")) needed += 6;
      else if (control.style & SS_SUNKEN) needed += 2;
      if (needed > width) {
        faults.push_back(Describe(control) + " needs " + std::to_string(needed) + " px, has " + std::to_string(width));
      }
      if (!IsGroup(control) && text.cy > height) {
        faults.push_back(Describe(control) + " is " + std::to_string(height) + " px high for a line of " +
                         std::to_string(text.cy));
      }
    }
    if (IsKind(control, L"ComboBox")) {
      const int room = width - arrow - 6;
      const int count = static_cast<int>(SendMessageW(control.window, CB_GETCOUNT, 0, 0));
      for (int index = 0; index < count; ++index) {
        wchar_t item[128] = {};
        SendMessageW(control.window, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item));
        if (TextSize(control.window, item).cx > room) {
          faults.push_back(Describe(control) + " cuts off its item \"" + platform::Narrow(item) + "\"");
          break;
        }
      }
    }
  }
  for (const Control& group : controls) {
    if (!IsGroup(group)) continue;
    for (const Control& control : controls) {
      if (&control == &group || IsGroup(control)) continue;
      if (Overlap(control.rect, group.rect) && !Inside(control.rect, group.rect)) {
        faults.push_back(Describe(control) + " crosses the frame of " + Describe(group));
      }
    }
  }
  for (size_t a = 0; a < controls.size(); ++a) {
    for (size_t b = a + 1; b < controls.size(); ++b) {
      if (IsGroup(controls[a]) || IsGroup(controls[b])) continue;
      const auto pair = std::minmax(controls[a].id, controls[b].id);
      if (std::find(stacked.begin(), stacked.end(), std::pair<int, int>(pair.first, pair.second)) != stacked.end()) {
        continue;
      }
      if (Overlap(controls[a].rect, controls[b].rect)) {
        faults.push_back(Describe(controls[a]) + " overlaps " + Describe(controls[b]));
      }
    }
  }
  return faults;
}

TEST(PageLayout, EveryPageFitsItsControlsAndCaptions) {
  TempDir folder;
  MainWindowRun main(folder);
  for (int index = 0; index < PAGE_COUNT; ++index) {
    EXPECT_EQ(LayoutFaults(main.page(index)), std::vector<std::string>()) << "page " << index;
    RECT page{};
    RECT tab{};
    GetWindowRect(main.page(index), &page);
    GetClientRect(main.tab(), &tab);
    MapWindowPoints(main.tab(), nullptr, reinterpret_cast<POINT*>(&tab), 2);
    EXPECT_TRUE(Inside(page, tab)) << "page " << index;
  }
  // The tab strip stays uncovered: the pages start below the bottom of the tabs.
  RECT first_tab{};
  SendMessageW(main.tab(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first_tab));
  RECT page{};
  GetWindowRect(main.page(PAGE_SETTINGS), &page);
  MapWindowPoints(nullptr, main.tab(), reinterpret_cast<POINT*>(&page), 2);
  EXPECT_GE(page.top, first_tab.bottom);
}

INT_PTR CALLBACK TemplateOnly(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST(PageLayout, ProgressDialogFitsItsTextsWithItsTwoButtonsStacked) {
  DesktopLock desktop;
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS), nullptr,
                                   TemplateOnly, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(LayoutFaults(dialog, {{IDC_PROGRESS_CLOSE, IDC_PROGRESS_ABORT}}), std::vector<std::string>());
  EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & WS_SYSMENU, 0);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace clipwright::testing

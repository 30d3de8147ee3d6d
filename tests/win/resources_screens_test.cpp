// Every dialog of every language created on the screen: no text may need
// more room than its control has, and no letter may be missing from the
// dialog's font. The dialogs of three languages (English, German and, for a
// Central European code page, Czech) are also saved as pictures under
// artefacts/screens beside the test, to be looked at (all seventeen with
// SETUP_SCREENSHOTS=all).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources_support.h"

#include <commctrl.h>

using namespace res_test;

namespace {

// What the pages put in place of "%s" (the destination page shows it as is).
const char16_t kProduct[] = u"Keyboard Driver";

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Every template as a child of one host window, as a property sheet hosts
// its pages. Only the host is a window of the X server: Wine under Xvfb
// waits two seconds at every unmapping of a top-level window, and now and
// then stalls on mapping many in a row.
HWND CreateInHost(HWND host, WORD id, LANGID lang) {
  const BYTE* data = nullptr;
  DWORD size = 0;
  if (!ResourceBytes(SetupData(), RT_DIALOG, MAKEINTRESOURCEA(id), lang, &data, &size)) return nullptr;
  std::vector<BYTE> copy(data, data + size);
  DWORD style;
  memcpy(&style, copy.data(), 4);
  style &= ~(WS_POPUP | WS_DISABLED | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  style |= WS_CHILD | WS_VISIBLE;
  memcpy(copy.data(), &style, 4);
  HWND dlg = CreateDialogIndirectParamW(SetupData(), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), host,
                                        PassiveDialogProc, 0);
  if (dlg == nullptr) return nullptr;
  RECT r;
  GetWindowRect(dlg, &r);
  SetWindowPos(host, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return dlg;
}

std::u16string Text(HWND hwnd) {
  WCHAR buf[1024] = {};
  GetWindowTextW(hwnd, buf, 1024);
  return reinterpret_cast<const char16_t*>(buf);
}

// Fills the product name in as the pages do (the destination page does not).
void FillProductName(HWND dlg, WORD id) {
  if (id == IDD_DESTINATION) return;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::u16string t = Text(c);
    for (size_t at; (at = t.find(u"%s")) != std::u16string::npos;) t.replace(at, 2, kProduct);
    SetWindowTextW(c, reinterpret_cast<LPCWSTR>(t.c_str()));
  }
}

void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  MSG m;
  while (GetTickCount() - start < ms) {
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&m);
    else
      Sleep(10);
  }
}

enum class Fit { None, Wrapped, Line, Radio, Push, Group };

Fit FitKind(HWND c) {
  char cls[32] = {};
  GetClassNameA(c, cls, sizeof cls);
  LONG style = GetWindowLongA(c, GWL_STYLE);
  if (!lstrcmpiA(cls, "Static")) {
    LONG type = style & SS_TYPEMASK;
    if (type == SS_LEFT || type == SS_CENTER) return Fit::Wrapped;
    if (type == SS_LEFTNOWORDWRAP) return Fit::None;  // a path, cut with an ellipsis on purpose
    return Fit::None;
  }
  if (!lstrcmpiA(cls, "Button")) {
    LONG type = style & BS_TYPEMASK;
    if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) return Fit::Radio;
    if (type == BS_GROUPBOX) return Fit::Group;
    return Fit::Push;
  }
  return Fit::None;
}

// Room the text needs beyond the control's client area, in pixels (0 when
// it fits), measured with the control's own font as the control draws it.
struct Overflow {
  int width = 0, height = 0;
};

Overflow Measure(HWND c, HDC dc, const std::u16string& text) {
  RECT client;
  GetClientRect(c, &client);
  RECT r = {0, 0, client.right, 0};
  const auto* w = reinterpret_cast<LPCWSTR>(text.c_str());
  Overflow o;
  switch (FitKind(c)) {
    case Fit::Wrapped:
      DrawTextW(dc, w, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
      o.width = r.right - client.right;
      o.height = r.bottom - client.bottom;
      break;
    case Fit::Radio:  // the round box, a gap, the text
      DrawTextW(dc, w, -1, &r, DT_CALCRECT | DT_SINGLELINE);
      o.width = r.right + GetSystemMetrics(SM_CXMENUCHECK) + 4 - client.right;
      break;
    case Fit::Push:  // edges and a little air on both sides
      DrawTextW(dc, w, -1, &r, DT_CALCRECT | DT_SINGLELINE);
      o.width = r.right + 8 - client.right;
      break;
    case Fit::Group:
      DrawTextW(dc, w, -1, &r, DT_CALCRECT | DT_SINGLELINE);
      o.width = r.right + 16 - client.right;
      break;
    default:
      break;
  }
  if (o.width < 0) o.width = 0;
  if (o.height < 0) o.height = 0;
  return o;
}

// Characters of the text for which the font has no glyph.
std::u16string MissingGlyphs(HDC dc, const std::u16string& text) {
  std::u16string printable;
  for (char16_t ch : text)
    if (ch >= 0x20 && ch != u'&') printable.push_back(ch);
  std::vector<WORD> glyphs(printable.size() + 1);
  std::u16string missing;
  if (GetGlyphIndicesW(dc, reinterpret_cast<LPCWSTR>(printable.c_str()), static_cast<int>(printable.size()),
                       glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
    return u"?";
  for (size_t i = 0; i < printable.size(); ++i)
    if (glyphs[i] == 0xFFFF) missing.push_back(printable[i]);
  return missing;
}

// The result page's privilege text (1005) is the one text of the English
// table that its control cannot hold: 23 dialog units are two lines and the
// top of a third, so the third line loses the bottom of its descenders. The
// layout is kept as the table gives it; no translation may need more.
int AllowedHeightOverflow(WORD dialog, int control) {
  return dialog == IDD_RESULT && control == IDC_RESULT_PRIVILEGE ? 3 : 0;
}

void CheckTexts(HWND dlg, WORD id) {
  HDC dc = GetDC(dlg);
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::u16string text = Text(c);
    if (text.empty() || FitKind(c) == Fit::None) continue;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
    Overflow o = Measure(c, dc, text);
    SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(c) << ": " << Narrow(text));
    EXPECT_EQ(0, o.width) << "pixels too narrow";
    EXPECT_LE(o.height, AllowedHeightOverflow(id, GetDlgCtrlID(c))) << "pixels too low";
    EXPECT_TRUE(MissingGlyphs(dc, text).empty()) << "no glyph for " << Narrow(MissingGlyphs(dc, text));
    SelectObject(dc, old);
  }
  ReleaseDC(dlg, dc);
}

void SaveBitmap(const std::string& path, HWND dlg) {
  RECT r;
  GetWindowRect(dlg, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  const DWORD stride = (w * 3 + 3) & ~3, image = stride * h;
  BITMAPFILEHEADER fh = {0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + image), 0, 0,
                         static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
  if (FILE* f = fopen(path.c_str(), "wb")) {
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    fwrite(bits, image, 1, f);
    fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

// The glyph check is only worth something if the font can lack a glyph:
// private-use characters are in no dialog font.
void ExpectGlyphCheckSeesGaps(HWND dlg) {
  HDC dc = GetDC(dlg);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0)));
  EXPECT_TRUE(MissingGlyphs(dc, u"Ab\xE000") == u"\xE000");
  SelectObject(dc, old);
  ReleaseDC(dlg, dc);
}

bool Saved(LANGID lang) {
  char all[16] = {};
  GetEnvironmentVariableA("SETUP_SCREENSHOTS", all, sizeof all);
  return lang == 1033 || lang == 1031 || lang == 1029 || !lstrcmpiA(all, "all");
}

}  // namespace

TEST(DialogScreens, TextsFitAndHaveGlyphsInEveryLanguage) {
  char display[64] = {};
  if (!GetEnvironmentVariableA("DISPLAY", display, sizeof display))
    GTEST_SKIP() << "no X display: Wine draws nothing to measure or capture";
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_ANIMATE_CLASS | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  const std::string folder = testing_support::BinDir() + "\\artefacts\\screens";
  testing_support::MakeDirs(folder);
  HWND host = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 20, 20,
                              640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, host);
  for (const Language& lang : kLanguages) {
    for (WORD id : kDialogs) {
      if (id == IDD_LICENSE && !lang.hasLicense) continue;
      SCOPED_TRACE(testing::Message() << lang.name << " dialog " << id);
      HWND dlg = CreateInHost(host, id, lang.id);
      ASSERT_NE(nullptr, dlg);
      FillProductName(dlg, id);
      CheckTexts(dlg, id);
      if (lang.id == kEnglish && id == IDD_WELCOME) ExpectGlyphCheckSeesGaps(dlg);
      if (Saved(lang.id)) {
        Pump(100);
        char name[64];
        wsprintfA(name, "\\%u-%s-%u.bmp", lang.id, lang.name, id);
        SaveBitmap(folder + name, host);
      }
      DestroyWindow(dlg);
    }
  }
  DestroyWindow(host);
}

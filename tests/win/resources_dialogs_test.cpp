// Every dialog of every language created on the screen: the controls of the
// English dialog in the same places, texts that keep the English "%s"
// places and mnemonics and fit their controls in the dialog's font; the
// loader's choice of language; and the string table. The dialogs of three
// languages (English, German and, for a Central European code page, Czech)
// are also saved as pictures under artefacts/screens beside the test, to be
// looked at (all seventeen with SETUP_SCREENSHOTS=all).
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "resources_support.h"
// After windows.h, which it needs.
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
  if (!ResourceBytes(SetupData(), RT_DIALOG, MAKEINTRESOURCEA(id), lang, &data, &size))
    return nullptr;
  std::vector<BYTE> copy(data, data + size);
  DWORD style;
  memcpy(&style, copy.data(), 4);
  style &= ~(WS_POPUP | WS_DISABLED | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  style |= WS_CHILD | WS_VISIBLE;
  memcpy(copy.data(), &style, 4);
  HWND dlg = CreateDialogIndirectParamW(SetupData(), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()),
                                        host, PassiveDialogProc, 0);
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
  if (GetGlyphIndicesW(dc, reinterpret_cast<LPCWSTR>(printable.c_str()),
                       static_cast<int>(printable.size()), glyphs.data(),
                       GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
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
    EXPECT_TRUE(MissingGlyphs(dc, text).empty())
        << "no glyph for " << Narrow(MissingGlyphs(dc, text));
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

// A control as the live dialog has it; its place relative to the dialog.
struct Control {
  int id;
  std::string cls;
  LONG style;
  RECT r;
  std::u16string text;
};

// The controls, after the dialog itself: its client size and caption.
std::vector<Control> Controls(HWND dlg) {
  std::vector<Control> out{{0, "dialog", 0, {}, Text(dlg)}};
  GetClientRect(dlg, &out[0].r);
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    Control k{GetDlgCtrlID(c), "", GetWindowLongA(c, GWL_STYLE), {}, Text(c)};
    char cls[32] = {};
    GetClassNameA(c, cls, sizeof cls);
    CharLowerA(cls);
    k.cls = cls;
    GetWindowRect(c, &k.r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&k.r), 2);
    out.push_back(k);
  }
  return out;
}

// "%s" places ("%%" is a percent sign) and single "&" mnemonics ("&&" an ampersand).
int Places(const std::u16string& t) {
  int n = 0;
  for (size_t i = 0; i + 1 < t.size(); ++i)
    if (t[i] == u'%') n += t[++i] == u's';
  return n;
}
std::u16string Mnemonics(const std::u16string& t) {
  std::u16string m;
  for (size_t i = 0; i + 1 < t.size(); ++i)
    if (t[i] == u'&' && t[++i] != u'&') m.push_back(t[i]);
  return m;
}

// Translations keep the English controls: same identifiers, classes,
// styles and places; wider where the text needs it, never narrower or past
// the dialog's edge. A text keeps its "%s" places (a wrong count formats
// past the arguments) and its mnemonic, unique in the dialog.
void CompareWithEnglish(HWND dlg, const std::vector<Control>& english) {
  std::vector<Control> got = Controls(dlg);
  RECT client;
  GetClientRect(dlg, &client);
  ASSERT_EQ(english.size(), got.size());
  std::map<char16_t, int> mnemonics;
  for (size_t i = 0; i < got.size(); ++i) {
    const Control &e = english[i], &c = got[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " id " << e.id << ": " << Narrow(c.text));
    EXPECT_EQ(e.id, c.id);
    EXPECT_EQ(e.cls, c.cls);
    EXPECT_EQ(e.style, c.style);
    EXPECT_EQ(e.r.left, c.r.left);
    EXPECT_EQ(e.r.top, c.r.top);
    EXPECT_EQ(e.r.bottom, c.r.bottom);
    EXPECT_GE(c.r.right, e.r.right);
    EXPECT_LE(c.r.right, client.right) << "wider than the dialog";
    if (i == 0) {
      EXPECT_EQ(e.r.right, c.r.right) << "the dialog's size";
      EXPECT_FALSE(c.text.empty()) << "a caption";
    }
    EXPECT_EQ(Places(e.text), Places(c.text));
    EXPECT_EQ(e.text.empty(), c.text.empty());
    EXPECT_EQ(Mnemonics(e.text).size(), Mnemonics(c.text).size());
    EXPECT_EQ(c.text.find(u'\xFFFD'), std::u16string::npos) << "a byte the code page could not map";
    for (char16_t m : Mnemonics(c.text)) {
      CharUpperBuffW(reinterpret_cast<LPWSTR>(&m), 1);
      EXPECT_EQ(1, ++mnemonics[m]) << "mnemonic used twice";
    }
  }
}

// What the pages rely on in their English dialog: the kind of control
// under an identifier the code uses.
struct Needed {
  WORD dialog;
  int id;
  const char* cls;
  LONG set, clear;
};
const Needed kNeeded[] = {
    {IDD_DESTINATION, IDC_DEST_PATH, "static", SS_PATHELLIPSIS, 0},
    {IDD_LICENSE, IDC_LICENSE_TEXT, "edit", ES_MULTILINE | ES_READONLY | WS_VSCROLL, WS_HSCROLL},
    {IDD_START, IDC_START_SUMMARY, "edit", ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL, 0},
    {IDD_PROGRAM_FOLDER, IDC_FOLDER_LIST, "listbox", LBS_SORT, 0},
    {IDD_INTERFACE, IDC_INTERFACE_PS2, "button", BS_AUTORADIOBUTTON | WS_GROUP, 0},
    {IDD_INTERFACE, IDC_INTERFACE_USB, "button", BS_AUTORADIOBUTTON, WS_GROUP},
    {IDD_RESULT, IDC_RESULT_RESTART_NOW, "button", BS_AUTORADIOBUTTON | WS_GROUP, 0},
    {IDD_PROGRESS, IDC_PROGRESS_COPY_ANIMATION, "sysanimate32", ACS_CENTER | ACS_TRANSPARENT, 0},
    {IDD_PROGRESS, IDC_PROGRESS_REGISTRY_ANIMATION, "sysanimate32", ACS_CENTER | ACS_TRANSPARENT,
     0},
    {IDD_PROGRESS, IDC_PROGRESS_UPDATING, "static", 0, WS_VISIBLE},
    {IDD_RESULT, IDC_RESULT_DONE_TEXT, "static", 0, WS_VISIBLE},
    {IDD_RESULT, IDC_RESULT_FAILED, "static", 0, WS_VISIBLE},
    {IDD_CHOOSE_FOLDER, IDC_CHOOSE_TREE, "systreeview32", 0, 0},
    {IDD_CHOOSE_FOLDER, IDC_CHOOSE_DRIVES, "combobox", CBS_DROPDOWNLIST, 0},
    {IDD_EXIT_SETUP, IDC_EXIT_RESUME, "button", BS_DEFPUSHBUTTON, 0},
};

}  // namespace

TEST(DialogScreens, EveryLanguageHasTheEnglishControlsAndItsTextsFit) {
  char display[64] = {};
  if (!GetEnvironmentVariableA("DISPLAY", display, sizeof display))
    GTEST_SKIP() << "no X display: Wine draws nothing to measure or capture";
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_ANIMATE_CLASS | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  const std::string folder = testing_support::BinDir() + "\\artefacts\\screens";
  testing_support::MakeDirs(folder);
  HWND host =
      CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 20, 20,
                      640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, host);
  for (WORD id : kDialogs) {
    HWND englishDialog = CreateInHost(host, id, kEnglish);
    ASSERT_NE(nullptr, englishDialog) << "dialog " << id;
    const std::vector<Control> english = Controls(englishDialog);
    DestroyWindow(englishDialog);
    for (const Needed& n : kNeeded) {
      if (n.dialog != id) continue;
      SCOPED_TRACE(testing::Message() << "dialog " << id << " control " << n.id);
      const Control* c = nullptr;
      for (const Control& k : english) c = k.id == n.id ? &k : c;
      ASSERT_NE(nullptr, c);
      EXPECT_EQ(n.cls, c->cls);
      EXPECT_EQ(n.set, c->style & n.set);
      EXPECT_EQ(0, c->style & n.clear);
    }
    for (const Language& lang : kLanguages) {
      if (id == IDD_LICENSE && !lang.hasLicense) continue;
      SCOPED_TRACE(testing::Message() << lang.name << " dialog " << id);
      HWND dlg = CreateInHost(host, id, lang.id);
      ASSERT_NE(nullptr, dlg);
      CompareWithEnglish(dlg, english);
      FillProductName(dlg, id);
      CheckTexts(dlg, id);
      if (lang.id == kEnglish && id == IDD_WELCOME) ExpectGlyphCheckSeesGaps(dlg);
      if (Saved(lang.id)) {
        testing_support::PumpFor(30);  // paint before the capture
        char name[64];
        wsprintfA(name, "\\%u-%s-%u.bmp", lang.id, lang.name, id);
        SaveBitmap(folder + name, host);
      }
      DestroyWindow(dlg);
    }
  }
  DestroyWindow(host);
}

// Under the thread locale of each language the loader picks that language's
// template; the license page, missing in five of them, falls back to
// English: a lookup without a language tries the thread's language, then
// the user's and the system's, then US English. No language-neutral copy is
// shipped: Wine's loader tries neutral resources before the thread's
// language, so such a copy would hide every translation of the page.
TEST(DialogLookup, ThreadLocalePicksTheLanguageAndLicenseFallsBackToEnglish) {
  HMODULE module = SetupData();
  ASSERT_NE(nullptr, module);
  HRSRC englishLicense =
      FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_LICENSE), kEnglish);
  ASSERT_NE(nullptr, englishLicense);
  for (const Language& lang : kLanguages) {
    SCOPED_TRACE(lang.name);
    ScopedThreadLocale locale(lang.id);
    ASSERT_TRUE(locale.ok());
    HRSRC own = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_WELCOME), lang.id);
    EXPECT_EQ(own, FindResourceA(module, MAKEINTRESOURCEA(IDD_WELCOME), RT_DIALOG));
    HRSRC license = FindResourceA(module, MAKEINTRESOURCEA(IDD_LICENSE), RT_DIALOG);
    EXPECT_EQ(lang.hasLicense
                  ? FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_LICENSE), lang.id)
                  : englishLicense,
              license);
  }
  // The page opens as the property sheet opens it: by identifier, as a
  // child of a window.
  HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  ScopedThreadLocale danish(1030);
  HWND page = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_LICENSE), host, PassiveDialogProc, 0);
  EXPECT_NE(nullptr, page) << "error " << GetLastError();
  EXPECT_NE(nullptr, GetDlgItem(page, IDC_LICENSE_TEXT));
  DestroyWindow(host);
}

constexpr UINT kDefined[] = {IDS_RESTART_PROMPT,      IDS_RESTART_CAPTION,    IDS_LABEL_PRODUCT,
                             IDS_LABEL_VERSION,       IDS_LABEL_INTERFACE,    IDS_UNUSED_9,
                             IDS_VALUE_PS2,           IDS_VALUE_USB,          IDS_LABEL_INSTALL_DIR,
                             IDS_WARNING_CAPTION,     IDS_UNSUPPORTED_SYSTEM, IDS_TITLE_SUFFIX,
                             IDS_LABEL_PROGRAM_FOLDER};
constexpr UINT kUndefined[] = {8, 11, 13, 14, 19};

TEST(StringTable, EveryLanguageHasEveryStringAndNoOther) {
  ASSERT_NE(nullptr, SetupData());
  for (const Language& lang : kLanguages) {
    SCOPED_TRACE(lang.name);
    for (UINT id : kDefined) {
      bool present = false, englishPresent = false;
      std::u16string text = TableString(id, lang.id, &present);
      std::u16string english = TableString(id, kEnglish, &englishPresent);
      EXPECT_TRUE(present && englishPresent) << "string " << id;
      EXPECT_EQ(Places(english), Places(text)) << "string " << id;
      EXPECT_LT(text.size(), 260u) << "string " << id << " is loaded into 260-character buffers";
      EXPECT_EQ(text.find(u'\xFFFD'), std::u16string::npos) << Narrow(text);
    }
    for (UINT id : kUndefined) {
      bool present = true;
      TableString(id, lang.id, &present);
      EXPECT_FALSE(present) << "string " << id << " is not defined";
    }
  }
}

// LoadString under the thread locale gives that language's letters: one
// row for each code page of the scripts (a script saved in the wrong code
// page shows up as wrong letters). The title suffix and the warning caption
// are read before any window exists, through the ANSI call.
TEST(StringTable, LoadStringUnderEachCodePage) {
  struct Row {
    LANGID lang;
    UINT id;
    const char16_t* text;
  } const rows[] = {
      {1029, IDS_WARNING_CAPTION, u"Upozornění instalačního programu"},  // 1250
      {1031, IDS_RESTART_PROMPT,                                         // 1252
       u"Entfernen Sie alle Disketten aus den Laufwerken, und klicken Sie dann auf „OK“, um den "
       u"Computer neu zu starten."},
      {1055, IDS_RESTART_CAPTION, u"Uyarı"},  // 1254
      {kEnglish, IDS_TITLE_SUFFIX, u"Setup"},
      {kEnglish, IDS_WARNING_CAPTION, u"Setup Warning"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "language " << row.lang << " string " << row.id);
    ScopedThreadLocale locale(row.lang);
    ASSERT_TRUE(locale.ok());
    WCHAR buf[260];
    int n = LoadStringW(SetupData(), row.id, buf, 260);
    ASSERT_GT(n, 0) << "error " << GetLastError();
    std::u16string got(reinterpret_cast<const char16_t*>(buf), n);
    EXPECT_TRUE(got == row.text) << "got " << Narrow(got) << ", want " << Narrow(row.text);
    if (row.lang != kEnglish) continue;
    char ansi[260];
    ASSERT_GT(LoadStringA(SetupData(), row.id, ansi, sizeof ansi), 0);
    EXPECT_EQ(Narrow(row.text), ansi);
  }
}

// Every dialog of every language, read from Setup.exe as a data file, has
// the controls of the English table: identifiers, kinds, positions; and its
// texts keep the English "%s" places and unique mnemonics.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "resources_support.h"

#include <commctrl.h>

using namespace res_test;

namespace {

enum class Kind {
  Text, HiddenText, PathText, CentredStatic, Bitmap, Icon, GroupBox, Push, DefPush,
  RadioFirst, Radio, Edit, ReadOnlyV, ReadOnlyVH, SortedList, Animation, Tree, DropList,
};

struct Row {
  int id;
  Kind kind;
  int x, y, cx, cy;
};

struct DialogTable {
  WORD id;
  int cx, cy;
  const char16_t* face;
  std::vector<Row> rows;
};

const std::vector<DialogTable>& Tables() {
  static const std::vector<DialogTable> tables = {
      {IDD_WELCOME, 310, 162, u"MS Sans Serif",
       {{710, Kind::Text, 130, 5, 172, 35}, {720, Kind::Text, 102, 44, 200, 49},
        {1006, Kind::Bitmap, 4, 4, 87, 183}, {-1, Kind::Icon, 102, 4, 20, 20}}},
      {IDD_LICENSE, 310, 162, u"MS Sans Serif",
       {{1010, Kind::ReadOnlyV, 99, 35, 203, 86}, {711, Kind::Text, 99, 5, 207, 25},
        {1006, Kind::Bitmap, 4, 4, 87, 183}, {712, Kind::Text, 99, 127, 207, 34}}},
      {IDD_INTERFACE, 310, 162, u"MS Sans Serif",
       {{202, Kind::Text, 102, 5, 203, 20}, {301, Kind::RadioFirst, 104, 31, 186, 11},
        {303, Kind::Radio, 104, 54, 186, 11}, {1006, Kind::Bitmap, 4, 4, 87, 183}}},
      {IDD_DESTINATION, 310, 162, u"MS Sans Serif",
       {{31, Kind::Push, 244, 133, 50, 14}, {202, Kind::Text, 102, 5, 196, 51},
        {-1, Kind::GroupBox, 102, 122, 199, 31}, {201, Kind::PathText, 109, 141, 126, 8},
        {1006, Kind::Bitmap, 4, 4, 87, 183}, {203, Kind::Text, 102, 60, 197, 26}}},
      {IDD_CHOOSE_FOLDER, 211, 229, u"MS Sans Serif",
       {{-1, Kind::Text, 7, 6, 197, 8}, {IDC_CHOOSE_PATH, Kind::Edit, 7, 17, 197, 12},
        {-1, Kind::Text, 7, 36, 197, 8}, {IDC_CHOOSE_TREE, Kind::Tree, 7, 47, 197, 128},
        {-1, Kind::Text, 7, 181, 197, 8}, {IDC_CHOOSE_DRIVES, Kind::DropList, 7, 192, 197, 80},
        {IDOK, Kind::DefPush, 97, 210, 50, 14}, {IDCANCEL, Kind::Push, 154, 210, 50, 14}}},
      {IDD_CONFIRM_NEW_FOLDER, 229, 102, u"MS Sans Serif",
       {{IDC_CONFIRM_TEXT, Kind::Text, 10, 12, 209, 50}, {IDYES, Kind::DefPush, 58, 78, 50, 14},
        {IDNO, Kind::Push, 121, 78, 50, 14}}},
      {IDD_PROGRAM_FOLDER, 310, 162, u"MS Sans Serif",
       {{710, Kind::Text, 102, 5, 203, 33}, {-1, Kind::Text, 102, 39, 203, 8},
        {301, Kind::Edit, 102, 52, 206, 12}, {-1, Kind::Text, 102, 71, 203, 8},
        {401, Kind::SortedList, 102, 84, 206, 85}, {1006, Kind::Bitmap, 4, 4, 87, 183}}},
      {IDD_START, 310, 162, u"MS Sans Serif",
       {{711, Kind::Text, 102, 5, 204, 33}, {701, Kind::Text, 102, 41, 185, 8},
        {301, Kind::ReadOnlyVH, 102, 53, 200, 100}, {1006, Kind::Bitmap, 4, 4, 87, 183}}},
      {IDD_PROGRESS, 310, 162, u"MS Sans Serif",
       {{1006, Kind::Bitmap, 4, 4, 87, 183}, {1450, Kind::Text, 102, 5, 200, 22},
        {1003, Kind::HiddenText, 102, 6, 200, 22}, {1500, Kind::Text, 102, 25, 20, 8},
        {1002, Kind::Text, 102, 41, 201, 8}, {2, Kind::Text, 102, 56, 12, 8},
        {1001, Kind::Text, 102, 72, 201, 8}, {1009, Kind::Animation, 98, 88, 200, 32},
        {1010, Kind::Animation, 98, 88, 200, 32}, {1400, Kind::CentredStatic, 102, 131, 200, 12}}},
      {IDD_RESULT, 310, 162, u"MS Sans Serif",
       {{711, Kind::Text, 102, 5, 204, 46}, {713, Kind::HiddenText, 102, 5, 204, 46},
        {1004, Kind::HiddenText, 102, 5, 201, 23}, {1005, Kind::HiddenText, 102, 28, 201, 23},
        {1007, Kind::HiddenText, 102, 28, 201, 23}, {502, Kind::RadioFirst, 103, 57, 200, 12},
        {503, Kind::Radio, 103, 78, 200, 12}, {712, Kind::Text, 102, 104, 195, 23},
        {1006, Kind::Bitmap, 4, 4, 87, 183}}},
      {IDD_EXIT_SETUP, 230, 114, u"Helv",
       {{1032, Kind::Text, 10, 10, 210, 23}, {65534, Kind::Text, 10, 36, 210, 16},
        {1033, Kind::Text, 10, 58, 210, 25}, {1, Kind::DefPush, 46, 92, 60, 14},
        {2, Kind::Push, 126, 92, 58, 14}}},
  };
  return tables;
}

bool ClassNamed(const DialogControl& c, const char16_t* name) {
  return !c.className.isOrdinal &&
         CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, reinterpret_cast<LPCWSTR>(c.className.text.c_str()),
                        -1, reinterpret_cast<LPCWSTR>(name), -1) == CSTR_EQUAL;
}

// A system class given by its atom or, as the resource compiler writes
// CONTROL statements, by its name.
bool ClassIs(const DialogControl& c, uint16_t atom) {
  if (c.className.isOrdinal) return c.className.ordinal == atom;
  switch (atom) {
    case 0x80: return ClassNamed(c, u"Button");
    case 0x81: return ClassNamed(c, u"Edit");
    case 0x82: return ClassNamed(c, u"Static");
    case 0x83: return ClassNamed(c, u"ListBox");
    case 0x85: return ClassNamed(c, u"ComboBox");
  }
  return false;
}

// Does the control in the template have the kind the table names?
bool IsKind(const DialogControl& c, Kind kind) {
  const DWORD s = c.style;
  const DWORD ss = s & SS_TYPEMASK, bs = s & BS_TYPEMASK;
  const bool visible = (s & WS_VISIBLE) != 0;
  switch (kind) {
    case Kind::Text: return ClassIs(c, 0x82) && ss == SS_LEFT && visible;
    case Kind::HiddenText: return ClassIs(c, 0x82) && ss == SS_LEFT && !visible;
    case Kind::PathText: return ClassIs(c, 0x82) && ss == SS_LEFTNOWORDWRAP && (s & SS_PATHELLIPSIS);
    case Kind::CentredStatic: return ClassIs(c, 0x82) && ss == SS_CENTER && visible;
    case Kind::Bitmap: return ClassIs(c, 0x82) && ss == SS_BITMAP && c.text.isOrdinal && c.text.ordinal == IDB_SIDE;
    case Kind::Icon: return ClassIs(c, 0x82) && ss == SS_ICON && c.text.isOrdinal && c.text.ordinal == IDI_SETUP;
    case Kind::GroupBox: return ClassIs(c, 0x80) && bs == BS_GROUPBOX;
    case Kind::Push: return ClassIs(c, 0x80) && bs == BS_PUSHBUTTON && visible;
    case Kind::DefPush: return ClassIs(c, 0x80) && bs == BS_DEFPUSHBUTTON && visible;
    case Kind::RadioFirst: return ClassIs(c, 0x80) && bs == BS_AUTORADIOBUTTON && (s & WS_GROUP);
    case Kind::Radio: return ClassIs(c, 0x80) && bs == BS_AUTORADIOBUTTON && !(s & WS_GROUP);
    case Kind::Edit: return ClassIs(c, 0x81) && !(s & ES_MULTILINE) && !(s & ES_READONLY);
    case Kind::ReadOnlyV:
      return ClassIs(c, 0x81) && (s & ES_MULTILINE) && (s & ES_READONLY) && (s & WS_VSCROLL) && !(s & WS_HSCROLL);
    case Kind::ReadOnlyVH:
      return ClassIs(c, 0x81) && (s & ES_MULTILINE) && (s & ES_READONLY) && (s & WS_VSCROLL) && (s & WS_HSCROLL);
    case Kind::SortedList: return ClassIs(c, 0x83) && (s & LBS_SORT);
    case Kind::Animation: return ClassNamed(c, u"SysAnimate32") && (s & ACS_CENTER) && (s & ACS_TRANSPARENT);
    case Kind::Tree: return ClassNamed(c, u"SysTreeView32");
    case Kind::DropList: return ClassIs(c, 0x85) && (s & 3) == CBS_DROPDOWNLIST;
  }
  return false;
}

bool Present(const Language& lang, WORD dialog) { return dialog != IDD_LICENSE || lang.hasLicense; }

}  // namespace

TEST(DialogTemplates, EnglishMatchesItsTables) {
  ASSERT_NE(nullptr, SetupData()) << "Setup.exe not loadable from " << testing_support::BinDir();
  for (const DialogTable& table : Tables()) {
    SCOPED_TRACE(testing::Message() << "dialog " << table.id);
    DialogTemplate d;
    ASSERT_EQ(1, LoadTemplate(table.id, kEnglish, d));
    EXPECT_EQ(table.cx, d.cx);
    EXPECT_EQ(table.cy, d.cy);
    EXPECT_TRUE(d.hasFont && d.pointSize == 8 && d.faceName == table.face) << Narrow(d.faceName);
    EXPECT_FALSE(d.caption.empty());
    ASSERT_EQ(table.rows.size(), d.controls.size());
    for (size_t i = 0; i < table.rows.size(); ++i) {
      const Row& row = table.rows[i];
      const DialogControl& c = d.controls[i];
      SCOPED_TRACE(testing::Message() << "control " << i << " id " << row.id);
      EXPECT_EQ(static_cast<uint16_t>(row.id), c.id);
      EXPECT_TRUE(IsKind(c, row.kind)) << "style 0x" << std::hex << c.style;
      EXPECT_EQ(row.x, c.x);
      EXPECT_EQ(row.y, c.y);
      EXPECT_EQ(row.cx, c.cx);
      EXPECT_EQ(row.cy, c.cy);
    }
  }
}

// Translations: the same controls in the same order with the same styles
// and places; a control may be wider where its text needs it, never
// narrower, and never past the dialog's edge.
TEST(DialogTemplates, EveryLanguageHasTheEnglishControls) {
  for (const Language& lang : kLanguages) {
    for (const DialogTable& table : Tables()) {
      SCOPED_TRACE(testing::Message() << lang.name << " dialog " << table.id);
      DialogTemplate english, d;
      ASSERT_EQ(1, LoadTemplate(table.id, kEnglish, english));
      int found = LoadTemplate(table.id, lang.id, d);
      if (!Present(lang, table.id)) {
        EXPECT_EQ(0, found) << "the license page exists only in its twelve languages";
        continue;
      }
      ASSERT_EQ(1, found);
      EXPECT_EQ(english.style, d.style);
      EXPECT_EQ(english.cx, d.cx);
      EXPECT_EQ(english.cy, d.cy);
      EXPECT_TRUE(english.faceName == d.faceName && english.pointSize == d.pointSize);
      EXPECT_FALSE(d.caption.empty());
      ASSERT_EQ(english.controls.size(), d.controls.size());
      for (size_t i = 0; i < d.controls.size(); ++i) {
        const DialogControl& e = english.controls[i];
        const DialogControl& c = d.controls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " id " << e.id);
        EXPECT_EQ(e.id, c.id);
        EXPECT_EQ(e.style, c.style);
        EXPECT_TRUE(e.className.isOrdinal == c.className.isOrdinal && e.className.ordinal == c.className.ordinal &&
                    e.className.text == c.className.text);
        EXPECT_EQ(e.x, c.x);
        EXPECT_EQ(e.y, c.y);
        EXPECT_EQ(e.cy, c.cy);
        EXPECT_GE(c.cx, e.cx);
        EXPECT_LE(c.x + c.cx, d.cx) << "wider than the dialog";
      }
    }
  }
}

TEST(DialogTexts, KeepPlacesAndMnemonics) {
  for (const Language& lang : kLanguages) {
    for (WORD id : kDialogs) {
      if (!Present(lang, id)) continue;
      SCOPED_TRACE(testing::Message() << lang.name << " dialog " << id);
      DialogTemplate english, d;
      ASSERT_EQ(1, LoadTemplate(id, kEnglish, english));
      ASSERT_EQ(1, LoadTemplate(id, lang.id, d));
      ASSERT_EQ(english.controls.size(), d.controls.size());
      std::map<std::u16string, std::string> seen;  // mnemonic -> text that has it
      for (size_t i = 0; i < d.controls.size(); ++i) {
        const std::u16string& en = english.controls[i].text.text;
        const std::u16string& text = d.controls[i].text.text;
        SCOPED_TRACE(Narrow(text));
        EXPECT_EQ(CountStringPlaces(en), CountStringPlaces(text)) << "a wrong count formats past the arguments";
        EXPECT_EQ(en.empty(), text.empty());
        EXPECT_EQ(CountMnemonics(en), CountMnemonics(text));
        EXPECT_EQ(text.find(u'\xFFFD'), std::u16string::npos) << "a byte the code page could not map";
        char16_t m = MnemonicOf(text);
        if (m == 0) continue;
        std::u16string key(1, m);
        CharUpperBuffW(reinterpret_cast<LPWSTR>(&key[0]), 1);
        EXPECT_TRUE(seen.emplace(key, Narrow(text)).second)
            << "mnemonic " << Narrow(key) << " also in " << seen[key];
      }
    }
  }
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
  HRSRC englishLicense = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_LICENSE), kEnglish);
  ASSERT_NE(nullptr, englishLicense);
  for (const Language& lang : kLanguages) {
    SCOPED_TRACE(lang.name);
    ScopedThreadLocale locale(lang.id);
    ASSERT_TRUE(locale.ok());
    HRSRC own = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_WELCOME), lang.id);
    EXPECT_EQ(own, FindResourceA(module, MAKEINTRESOURCEA(IDD_WELCOME), RT_DIALOG));
    HRSRC license = FindResourceA(module, MAKEINTRESOURCEA(IDD_LICENSE), RT_DIALOG);
    ASSERT_NE(nullptr, license);
    if (lang.hasLicense)
      EXPECT_EQ(FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_LICENSE), lang.id), license);
    else
      EXPECT_EQ(englishLicense, license);
  }
}

namespace {

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The page as the property sheet would host it, a child of a window, its
// template looked up by identifier as the sheet does.
HWND CreatePage(HWND parent, WORD id) {
  return CreateDialogParamA(SetupData(), MAKEINTRESOURCEA(id), parent, PassiveDialogProc, 0);
}

}  // namespace

TEST(DialogLookup, LicensePageOpensUnderTheFiveLanguagesWithoutIt) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_ANIMATE_CLASS | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, host);
  bool hasEnglishText = false;
  std::u16string english;
  {
    DialogTemplate d;
    ASSERT_EQ(1, LoadTemplate(IDD_LICENSE, kEnglish, d));
    english = d.controls[1].text.text;  // control 711
  }
  for (LANGID lang : {1030, 1035, 1043, 1044, 1053}) {
    SCOPED_TRACE(testing::Message() << "language " << lang);
    ScopedThreadLocale locale(lang);
    SetLastError(0xdeadbeef);
    HWND page = CreatePage(host, IDD_LICENSE);
    ASSERT_NE(nullptr, page) << "error " << GetLastError();
    EXPECT_NE(nullptr, GetDlgItem(page, IDC_LICENSE_TEXT));
    WCHAR text[512] = {};
    GetDlgItemTextW(page, IDC_LICENSE_INTRO, text, 512);
    hasEnglishText = english == reinterpret_cast<const char16_t*>(text);
    EXPECT_TRUE(hasEnglishText) << "the English page stands in";
    DestroyWindow(page);
  }
  DestroyWindow(host);
}

// The string table in every language, read from Setup.exe as a data file,
// and read back through LoadString under each language's thread locale, so
// that a script saved in the wrong code page shows up as wrong letters.
#include <gtest/gtest.h>

#include "resources_support.h"

using namespace res_test;

namespace {

constexpr UINT kDefined[] = {IDS_RESTART_PROMPT, IDS_RESTART_CAPTION,  IDS_LABEL_PRODUCT,   IDS_LABEL_VERSION,
                             IDS_LABEL_INTERFACE, IDS_UNUSED_9,        IDS_VALUE_PS2,       IDS_VALUE_USB,
                             IDS_LABEL_INSTALL_DIR, IDS_WARNING_CAPTION, IDS_UNSUPPORTED_SYSTEM,
                             IDS_TITLE_SUFFIX,    IDS_LABEL_PROGRAM_FOLDER};
constexpr UINT kUndefined[] = {8, 11, 13, 14, 19};

// One string per language with letters outside ASCII where the language has
// them in this table: each code page's own letters must come out right.
struct Probe {
  LANGID lang;
  UINT id;
  const char16_t* text;
};
const Probe kProbes[] = {
    {1029, IDS_WARNING_CAPTION, u"Upozornění instalačního programu"},
    {1030, IDS_LABEL_INTERFACE, u"Grænseflade"},
    {1031, IDS_RESTART_PROMPT,
     u"Entfernen Sie alle Disketten aus den Laufwerken, und klicken Sie dann auf „OK“, um den Computer neu zu "
     u"starten."},
    {1033, IDS_UNSUPPORTED_SYSTEM,
     u"Current O.S. is not supported by this software, please refer to the user's manual or readme.txt for more "
     u"information."},
    {1034, IDS_LABEL_VERSION, u"Versión"},
    {1035, IDS_LABEL_INTERFACE, u"Liitäntä"},
    {1036, IDS_RESTART_PROMPT,
     u"Retirez toute disquette des lecteurs, puis cliquez sur OK pour redémarrer l'ordinateur."},
    {1040, IDS_RESTART_PROMPT,
     u"Rimuovere eventuali dischi dalle unità floppy, quindi fare clic su OK per riavviare il computer."},
    {1043, IDS_RESTART_CAPTION, u"Waarschuwing"},
    {1044, IDS_RESTART_PROMPT,
     u"Ta ut eventuelle disketter fra diskettstasjonene, og klikk OK for å starte datamaskinen på nytt."},
    {1046, IDS_LABEL_VERSION, u"Versão"},
    {1051, IDS_WARNING_CAPTION, u"Upozornenie inštalačného programu"},
    {1053, IDS_LABEL_INTERFACE, u"Gränssnitt"},
    {1055, IDS_RESTART_CAPTION, u"Uyarı"},
    {1060, IDS_LABEL_VERSION, u"Različica"},
    {2058, IDS_RESTART_PROMPT,
     u"Retire los disquetes de las unidades y haga clic en Aceptar para reiniciar la computadora."},
    {3082, IDS_RESTART_PROMPT,
     u"Extraiga los disquetes de las unidades y haga clic en Aceptar para reiniciar el ordenador."},
};

}  // namespace

TEST(StringTable, EveryLanguageHasEveryStringAndNoOther) {
  ASSERT_NE(nullptr, SetupData());
  for (const Language& lang : kLanguages) {
    SCOPED_TRACE(lang.name);
    for (UINT id : kDefined) {
      bool present = false, englishPresent = false;
      std::u16string text = TableString(id, lang.id, &present);
      std::u16string english = TableString(id, kEnglish, &englishPresent);
      EXPECT_TRUE(present) << "string " << id;
      EXPECT_TRUE(englishPresent) << "string " << id;
      EXPECT_EQ(CountStringPlaces(english), CountStringPlaces(text)) << "string " << id;
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

TEST(StringTable, LoadStringUnderEachThreadLocaleGivesThatLanguage) {
  HMODULE module = SetupData();
  ASSERT_NE(nullptr, module);
  for (const Probe& probe : kProbes) {
    SCOPED_TRACE(testing::Message() << "language " << probe.lang);
    ScopedThreadLocale locale(probe.lang);
    ASSERT_TRUE(locale.ok());
    WCHAR buf[260];
    SetLastError(0xdeadbeef);
    int n = LoadStringW(module, probe.id, buf, 260);
    ASSERT_GT(n, 0) << "error " << GetLastError();
    std::u16string got(reinterpret_cast<const char16_t*>(buf), n);
    EXPECT_TRUE(got == probe.text) << "got " << Narrow(got) << ", want " << Narrow(probe.text);
  }
}

// The title suffix and the unsupported-system message are read before any
// window exists, through the ANSI call: under English they are the texts
// the rest of the program expects.
TEST(StringTable, AnsiLoadOfTheStartUpStrings) {
  ScopedThreadLocale locale(kEnglish);
  char buf[260];
  ASSERT_GT(LoadStringA(SetupData(), IDS_TITLE_SUFFIX, buf, sizeof buf), 0);
  EXPECT_STREQ("Setup", buf);
  ASSERT_GT(LoadStringA(SetupData(), IDS_WARNING_CAPTION, buf, sizeof buf), 0);
  EXPECT_STREQ("Setup Warning", buf);
}

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "wizard/core/DialogTemplate.h"

namespace {

// Writes template bytes the way the resource compiler lays them out.
class Bytes {
 public:
  Bytes& W(uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Bytes& D(uint32_t v) { return W(static_cast<uint16_t>(v)).W(static_cast<uint16_t>(v >> 16)); }
  Bytes& S(const std::u16string& s) {
    for (char16_t c : s) W(c);
    return W(0);
  }
  Bytes& Ord(uint16_t v) { return W(0xFFFF).W(v); }
  Bytes& Align() {
    while (b.size() % 4) b.push_back(0);
    return *this;
  }
  std::vector<uint8_t> b;
};

// Two controls: a static text and a bitmap control with an ordinal text.
Bytes Classic() {
  Bytes t;
  t.D(0x48C00040).D(0).W(2).W(0).W(0).W(310).W(162);
  t.W(0).W(0).S(u"Welcome").W(8).S(u"MS Sans Serif");
  t.Align().D(0x50020000).D(0).W(130).W(5).W(172).W(35).W(710).Ord(0x82).S(u"Hello %s").W(0);
  t.Align().D(0x5000000E).D(0).W(4).W(4).W(87).W(183).W(0xFFFF).Ord(0x82).Ord(101).W(0);
  return t;
}

Bytes Extended() {
  Bytes t;
  t.W(1).W(0xFFFF).D(0).D(0x200).D(0x80C80048).W(1).W(0).W(0).W(230).W(114);
  t.W(0).S(u"MyClass").S(u"Exit").W(8).W(400).W(0x0100).S(u"Helv");
  t.Align().D(0).D(0).D(0x50010001).W(46).W(92).W(60).W(14).D(65534).S(u"Button").S(u"&Resume").W(2).W(0xABCD);
  return t;
}

}  // namespace

TEST(DialogTemplate, ReadsClassicTemplateWithOrdinalsAndFont) {
  Bytes t = Classic();
  DialogTemplate d;
  ASSERT_EQ(1, ParseDialogTemplate(t.b.data(), t.b.size(), d));
  EXPECT_FALSE(d.extended);
  EXPECT_EQ(0x48C00040u, d.style);
  EXPECT_EQ(310, d.cx);
  EXPECT_EQ(162, d.cy);
  EXPECT_TRUE(d.caption == u"Welcome");
  EXPECT_TRUE(d.hasFont);
  EXPECT_EQ(8, d.pointSize);
  EXPECT_TRUE(d.faceName == u"MS Sans Serif");
  ASSERT_EQ(2u, d.controls.size());
  const DialogControl& text = d.controls[0];
  EXPECT_EQ(710u, text.id);
  EXPECT_EQ(130, text.x);
  EXPECT_EQ(172, text.cx);
  EXPECT_TRUE(text.className.isOrdinal);
  EXPECT_EQ(0x82, text.className.ordinal);
  EXPECT_TRUE(text.text.text == u"Hello %s");
  const DialogControl& bitmap = d.controls[1];
  EXPECT_EQ(0xFFFFu, bitmap.id) << "-1 in a 16-bit identifier";
  EXPECT_TRUE(bitmap.text.isOrdinal);
  EXPECT_EQ(101, bitmap.text.ordinal);
  EXPECT_EQ(183, bitmap.cy);
}

TEST(DialogTemplate, ReadsExtendedTemplateWithNamedClassAndExtraBytes) {
  Bytes t = Extended();
  DialogTemplate d;
  ASSERT_EQ(1, ParseDialogTemplate(t.b.data(), t.b.size(), d));
  EXPECT_TRUE(d.extended);
  EXPECT_EQ(0x80C80048u, d.style);
  EXPECT_EQ(0x200u, d.exStyle);
  EXPECT_TRUE(d.windowClass.text == u"MyClass");
  EXPECT_TRUE(d.faceName == u"Helv");
  ASSERT_EQ(1u, d.controls.size());
  EXPECT_EQ(65534u, d.controls[0].id) << "32-bit identifier kept whole";
  EXPECT_TRUE(d.controls[0].className.text == u"Button");
  EXPECT_EQ(60, d.controls[0].cx);
}

TEST(DialogTemplate, RefusesEveryTruncation) {
  for (const Bytes& t : {Classic(), Extended()}) {
    // Cutting inside the last control's trailing extra bytes or earlier must
    // fail; only the whole template parses.
    for (std::size_t n = 0; n < t.b.size(); ++n) {
      DialogTemplate d;
      EXPECT_EQ(0, ParseDialogTemplate(t.b.data(), n, d)) << "cut at " << n;
      EXPECT_TRUE(d.controls.empty());
    }
  }
  DialogTemplate d;
  EXPECT_EQ(0, ParseDialogTemplate(nullptr, 100, d));
}

TEST(DialogTemplate, ControlCountBeyondTheDataFails) {
  Bytes t = Classic();
  t.b[8] = 3;  // announces a third control that is not there
  DialogTemplate d;
  EXPECT_EQ(0, ParseDialogTemplate(t.b.data(), t.b.size(), d));
}

TEST(DialogTexts, CountsStringPlaces) {
  EXPECT_EQ(0, CountStringPlaces(u""));
  EXPECT_EQ(1, CountStringPlaces(u"Install %s now"));
  EXPECT_EQ(2, CountStringPlaces(u"%s and %s"));
  EXPECT_EQ(0, CountStringPlaces(u"100%% sure"));
  EXPECT_EQ(1, CountStringPlaces(u"%%%s"));
  EXPECT_EQ(0, CountStringPlaces(u"%d %"));
}

TEST(DialogTexts, FindsMnemonics) {
  EXPECT_EQ(u'r', MnemonicOf(u"B&rowse..."));
  EXPECT_EQ(0, MnemonicOf(u"Save && Exit"));
  EXPECT_EQ(u'x', MnemonicOf(u"A && B E&xit"));
  EXPECT_EQ(0, MnemonicOf(u"trailing&"));
  EXPECT_EQ(2, CountMnemonics(u"&One &Two"));
  EXPECT_EQ(0, CountMnemonics(u"&&"));
}

#include "core/tastenfilter.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace kolvex {
namespace {

constexpr char Weg = '\0';

TEST(FormelTasteFiltern, PointBecomesCommaAndAllowedKeysPass) {
  EXPECT_EQ(FormelTasteFiltern("12", '.', 2), ',');
  EXPECT_EQ(FormelTasteFiltern("12", ',', 2), ',');
  for (char k : {'0', '9', '+', '-', '*', '/', '(', ')', 'a', 'z', 'A', 'Z'})
    EXPECT_EQ(FormelTasteFiltern("", k, 0), k) << k;
}

TEST(FormelTasteFiltern, KeysOnlyTheKeypadInsertsAreSwallowed) {
  for (char k : {' ', '^', '!', PiZeichen, '=', '\r', '\t', '\xE4', '#', '_'})
    EXPECT_EQ(FormelTasteFiltern("1", k, 1), Weg) << static_cast<int>(k);
}

TEST(FormelTasteFiltern, BackspaceAlwaysPasses) {
  EXPECT_EQ(FormelTasteFiltern("1+", '\b', 2), '\b');
  EXPECT_EQ(FormelTasteFiltern("1,5", '\b', 3), '\b');
}

TEST(FormelTasteFiltern, NoOperatorAfterAnOperatorAtTheEnd) {
  EXPECT_EQ(FormelTasteFiltern("2-", '*', 2), Weg);
  EXPECT_EQ(FormelTasteFiltern("2-", '*', 0), Weg);  // judged on the end, not the caret
  EXPECT_EQ(FormelTasteFiltern("2/", '-', 2), Weg);
  EXPECT_EQ(FormelTasteFiltern("-2", '*', 1), '*');  // caret behind "-" but the text ends in 2
  EXPECT_EQ(FormelTasteFiltern("2*(", '-', 3), '-');  // a parenthesis is no operator
  EXPECT_EQ(FormelTasteFiltern("", '-', 0), '-');
  EXPECT_EQ(FormelTasteFiltern("2-", '(', 2), '(');
}

TEST(FormelTasteFiltern, OneCommaPerNumberUpToTheCaret) {
  EXPECT_EQ(FormelTasteFiltern("1,5", '.', 3), Weg);
  EXPECT_EQ(FormelTasteFiltern("1,5+2", ',', 5), ',');  // a new number after "+"
  EXPECT_EQ(FormelTasteFiltern("1,5+2", ',', 2), Weg);  // caret behind the first comma
  EXPECT_EQ(FormelTasteFiltern("1,5+2", ',', 1), ',');  // caret in front of it
  EXPECT_EQ(FormelTasteFiltern("(1,5)", ',', 5), ',');  // the parenthesis ends the number
  EXPECT_EQ(FormelTasteFiltern("1,5", ',', 99), Weg);   // caret clamped to the text
  EXPECT_EQ(FormelTasteFiltern("1,5", ',', -3), ',');
}

TEST(WertTasteFiltern, ValuesAndOperators) {
  EXPECT_EQ(WertTasteFiltern("1", '.'), ',');
  EXPECT_EQ(WertTasteFiltern("1,5", ','), ',');  // several commas are not prevented
  EXPECT_EQ(WertTasteFiltern("3", '+'), '+');
  EXPECT_EQ(WertTasteFiltern("3*", '+'), Weg);
  EXPECT_EQ(WertTasteFiltern("3*", '\b'), '\b');
  EXPECT_EQ(WertTasteFiltern("", '-'), '-');
  for (char k : {'(', ')', 'a', 'X', ' ', '^', PiZeichen})
    EXPECT_EQ(WertTasteFiltern("3", k), Weg) << k;
}

TEST(ZahlTasteFiltern, SeparatorIsTranslatedAndTakenOnce) {
  EXPECT_EQ(ZahlTasteFiltern("12", '.', ','), ',');
  EXPECT_EQ(ZahlTasteFiltern("12", ',', '.'), '.');
  EXPECT_EQ(ZahlTasteFiltern("1,2", '.', ','), Weg);
  EXPECT_EQ(ZahlTasteFiltern("1.2", ',', '.'), Weg);
  EXPECT_EQ(ZahlTasteFiltern("--1-", '-', ','), '-');  // "-" is not limited
  EXPECT_EQ(ZahlTasteFiltern("1,2", '\b', ','), '\b');
  for (char k : {'+', 'e', 'E', ' ', '*'}) EXPECT_EQ(ZahlTasteFiltern("1", k, ','), Weg) << k;
}

TEST(ZahlTasteFiltern, HashMeansIntegersOnly) {
  EXPECT_EQ(ZahlTasteFiltern("12", '.', '#'), Weg);
  EXPECT_EQ(ZahlTasteFiltern("12", ',', '#'), Weg);
  EXPECT_EQ(ZahlTasteFiltern("12", '#', '#'), Weg);
  EXPECT_EQ(ZahlTasteFiltern("12", '7', '#'), '7');
  EXPECT_EQ(ZahlTasteFiltern("12", '-', '#'), '-');
}

TEST(ZiffernTasteFiltern, DigitsAndBackspaceOnly) {
  EXPECT_EQ(ZiffernTasteFiltern('0'), '0');
  EXPECT_EQ(ZiffernTasteFiltern('9'), '9');
  EXPECT_EQ(ZiffernTasteFiltern('\b'), '\b');
  for (char k : {'-', ',', '.', 'a', ' ', '\xB2'}) EXPECT_EQ(ZiffernTasteFiltern(k), Weg) << k;
}

}  // namespace
}  // namespace kolvex

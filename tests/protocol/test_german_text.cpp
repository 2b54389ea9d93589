// Numbers and dates as the protocol prints them.
#include <gtest/gtest.h>

#include "protocol/german_text.h"

namespace {

TEST(GermanText, PointsBetweenDigitsBecomeCommasAndDatesTurnAround) {
  using protocol::GermanDate;
  using protocol::SignedPercent;
  using protocol::WithDecimalComma;
  const std::pair<QString, QString> cases[] = {
      {WithDecimalComma("5.23"), "5,23"},
      {WithDecimalComma("−10.5 % / +10 %; min 4.2"), "−10,5 % / +10 %; min 4,2"},
      {WithDecimalComma("Ende."), "Ende."},
      {WithDecimalComma("20"), "20"},
      {SignedPercent("+3.2"), "+3,2 %"},
      {SignedPercent("-12.0"), "−12,0 %"},
      {SignedPercent(""), ""},
      {GermanDate(QStringLiteral("2026-03-02")), "02.03.2026"},
      {GermanDate(QStringLiteral("kein Datum")), "kein Datum"},
      {protocol::ThicknessLabel("45.5"), "45,5 mm"},
  };
  for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);
}

}  // namespace

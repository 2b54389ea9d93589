// The checks of the image itself: what the header and the bit depth say about whether the data
// are raw, on a small field whose own warnings (no object, too few pixels) are not looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/measurement_checks.h"

namespace {

const std::string Lossy =
    "Das Bild ist verlustbehaftet komprimiert: Mittelwerte und Standardabweichungen sind "
    "dadurch verfälscht.";
const std::string InJp2 =
    "Die Bilddaten sind in eine JP2-Datei verpackt, was der DICOM-Standard nicht erlaubt; "
    "gemessen wurde der JPEG-2000-Datenstrom darin.";
const std::string NotMammography = "Das Bild ist keine Mammographie-Aufnahme (Modalität CT).";
const std::string Processed =
    "Das Bild ist für die Befundung nachverarbeitet („FOR PRESENTATION“); die Messung verlangt "
    "unverarbeitete Daten („FOR PROCESSING“).";

std::string FewBits(int bits) {
  return "Das Bild hat nur " + std::to_string(bits) +
         " Bit je Pixel: Rohdaten eines Mammographie-Detektors haben 10 bis 16 Bit; wohl eine "
         "verarbeitete oder verlustbehaftet komprimierte Kopie.";
}

constexpr const char* MammographyForProcessing = "1.2.840.10008.5.1.4.1.1.1.2.1";
constexpr const char* MammographyForPresentation = "1.2.840.10008.5.1.4.1.1.1.2";
constexpr const char* DigitalXRayForPresentation = "1.2.840.10008.5.1.4.1.1.1.1";

struct ImageCase {
  const char* name;
  int bitsStored;
  imaging::ImageContext context;
  std::vector<std::string> expected;  // the image's warnings, in order
};

TEST(MeasurementChecks, ImageWarningsSayWhereTheDataAreNotRaw) {
  const auto context = [](const char* modality, const char* intent, const char* sopClass,
                          bool lossy = false) {
    return imaging::ImageContext{modality, intent, lossy, "", "", sopClass};
  };
  imaging::ImageContext inJp2 = context("MG", "FOR PROCESSING", MammographyForProcessing);
  inJp2.codeStreamInJp2 = true;
  const std::vector<ImageCase> cases = {
      {"raw", 14, context("MG", "FOR PROCESSING", MammographyForProcessing), {}},
      // The intent outweighs the class where it says presentation.
      {"for presentation",
       14,
       context("MG", "FOR PRESENTATION", MammographyForProcessing),
       {Processed}},
      {"said twice, warned once",
       14,
       context("MG", "FOR PRESENTATION", MammographyForPresentation),
       {Processed}},
      {"no intent, a presentation class",
       14,
       context("MG", "", MammographyForPresentation),
       {Processed}},
      {"processing intent, a presentation class",
       14,
       context("MG", "FOR PROCESSING", DigitalXRayForPresentation),
       {Processed}},
      {"8 bits", 8, context("MG", "FOR PROCESSING", MammographyForProcessing), {FewBits(8)}},
      {"8 bits of another modality", 8, context("CT", "", ""), {NotMammography}},
      {"lossy by its ratio", 14, context("MG", "FOR PROCESSING", "", true), {Lossy}},
      {"a code stream in JP2 boxes", 14, inJp2, {InJp2}},
      {"everything, no modality given",
       6,
       context("", "", MammographyForPresentation, true),
       {Lossy, Processed, FewBits(6)}},
  };
  // A flat field with a little structured noise, within 6 bits so that every row's depth holds it.
  constexpr int Side = 160;
  std::vector<std::uint16_t> values;
  for (int y = 0; y < Side; ++y) {
    for (int x = 0; x < Side; ++x)
      values.push_back(static_cast<std::uint16_t>(40 + (x * 7 + y * 13) % 11));
  }
  const imaging::PixelView view{Side, Side, values, 0};
  const std::vector<std::string> imageTexts = {Lossy,      NotMammography, Processed,
                                               FewBits(6), FewBits(8),     InJp2};
  for (const ImageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const imaging::ExposureSurvey survey =
        imaging::SurveyExposure(view, c.bitsStored, imaging::Photometric::Monochrome2, c.context);
    std::vector<std::string> said;
    for (const imaging::MeasurementWarning& warning :
         imaging::CheckMeasurement(survey, c.context, {10, 10, 50, 50}, {90, 90, 50, 50})) {
      if (std::find(imageTexts.begin(), imageTexts.end(), warning.text) != imageTexts.end())
        said.push_back(warning.text);
    }
    EXPECT_EQ(said, c.expected);
  }
}

}  // namespace

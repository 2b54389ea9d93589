// quantelo-sdnr: measures DICOM test exposures and prints the four values and the SDNR.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "arguments.h"
#include "imaging/dicom_image.h"
#include "imaging/exposure_survey.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_placement.h"
#include "imaging/roi_statistics.h"
#include "report.h"

namespace {

constexpr int UsageFailure = 2;

// The ROIs asked for, or those the automatic placement finds; raises ImageError when it finds no
// object. (Measuring raises it for a ROI that leaves the image.)
std::pair<imaging::Roi, imaging::Roi> roisFor(const imaging::ExposureSurvey& survey,
                                              const sdnr_cli::Arguments& arguments) {
  if (arguments.aluminium) return {*arguments.aluminium, *arguments.background};
  const imaging::RoiPlacement placement = imaging::PlaceRois(survey, arguments.size);
  if (!placement.object) {
    throw imaging::ImageError("kein Aluminiumobjekt gefunden; die ROIs mit --al und --bg angeben.");
  }
  return {placement.aluminium, placement.background};
}

// The user's message: an ImageError's own with its cause, else what went wrong in general words.
std::string FailureText(const std::exception& error) {
  if (const auto* refusal = dynamic_cast<const imaging::ImageError*>(&error)) {
    // The technical cause too, for whoever looks into a failure.
    return refusal->cause().empty() ? refusal->what()
                                    : refusal->what() + (" [Ursache: " + refusal->cause() + "]");
  }
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr)
    return "Die Datei ließ sich nicht messen: nicht genug Arbeitsspeicher frei.";
  return std::string("Die Datei ließ sich nicht messen: ") + error.what();
}

}  // namespace

int main(int argc, char* argv[]) {
  sdnr_cli::Arguments arguments;
  try {
    arguments = sdnr_cli::ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const sdnr_cli::UsageError& error) {
    std::cerr << "quantelo-sdnr: " << error.what() << "\n"
              << "Mehr mit: quantelo-sdnr --help\n";
    return UsageFailure;
  }
  if (arguments.action == sdnr_cli::Arguments::Action::Help) {
    std::cout << sdnr_cli::UsageText;
    return 0;
  }
  if (arguments.action == sdnr_cli::Arguments::Action::Version) {
    std::cout << "quantelo-sdnr " QUANTELO_VERSION "\n";
    return 0;
  }

  if (!arguments.json) std::cout << sdnr_cli::TsvHeader() << '\n';
  int status = 0;
  for (const std::string& file : arguments.files) {
    try {
      const imaging::DicomImage image = imaging::ReadDicomImage(file);
      const imaging::ExposureSurvey survey = imaging::SurveyExposure(image);
      const auto [aluminium, background] = roisFor(survey, arguments);
      const sdnr_cli::FileReport report{
          file, imaging::Measure(image, aluminium, background), image.facts(),
          imaging::CheckMeasurement(survey, image.context(), aluminium, background)};
      std::cout << (arguments.json ? sdnr_cli::JsonLine(report) : sdnr_cli::TsvLine(report))
                << std::endl;
      for (const imaging::MeasurementWarning& warning : report.warnings)
        std::cerr << "quantelo-sdnr: " << file << ": Warnung: " << warning.text << std::endl;
      if (arguments.strict && !report.warnings.empty()) status = 1;
    } catch (const std::exception& error) {
      // Whatever fails costs this file its line, never the others theirs.
      std::cout.flush();
      std::cerr << "quantelo-sdnr: " << file << ": " << FailureText(error) << std::endl;
      status = 1;
    }
  }
  return status;
}

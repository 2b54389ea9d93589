// quantelo-sdnr: measures DICOM test exposures and prints the four values and the SDNR.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "imaging/dicom_image.h"
#include "imaging/exposure_survey.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_placement.h"
#include "imaging/roi_statistics.h"
#include "printable_text.h"
#include "report.h"

namespace {

constexpr int UsageFailure = 2;

// Standard output refused what was written: a full disk, a closed pipe.
struct OutputFailed {
  int error;
};

// Writes text to standard output at once, so that a line that does not get there is known.
void print(const std::string& text) {
  std::cout << text << std::flush;
  if (!std::cout) throw OutputFailed{errno};
}

// "quantelo-sdnr: FILE: TEXT" on standard error, both made printable.
void tell(const std::string& file, const std::string& text) {
  sdnr_cli::PrintableText printable;
  std::cerr << "quantelo-sdnr: " << printable.message(file) << ": " << printable.message(text)
            << std::endl;
}

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

int run(const sdnr_cli::Arguments& arguments) {
  if (arguments.action == sdnr_cli::Arguments::Action::Help) {
    print(sdnr_cli::UsageText);
    return 0;
  }
  if (arguments.action == sdnr_cli::Arguments::Action::Version) {
    print("quantelo-sdnr " QUANTELO_VERSION "\n");
    return 0;
  }

  if (!arguments.json) print(sdnr_cli::TsvHeader() + '\n');
  int status = 0;
  for (const std::string& file : arguments.files) {
    std::optional<sdnr_cli::FileReport> report;
    try {
      const imaging::DicomImage image = imaging::ReadDicomImage(file);
      const imaging::ExposureSurvey survey = imaging::SurveyExposure(image);
      const auto [aluminium, background] = roisFor(survey, arguments);
      report = sdnr_cli::FileReport{
          file, imaging::Measure(image, aluminium, background), image.facts(),
          imaging::CheckMeasurement(survey, image.context(), aluminium, background)};
    } catch (const std::exception& error) {
      // Whatever fails costs this file its line, never the others theirs.
      tell(file, FailureText(error));
      status = 1;
      continue;
    }
    const sdnr_cli::PrintedLine line =
        arguments.json ? sdnr_cli::JsonLine(*report) : sdnr_cli::TsvLine(*report);
    print(line.text + '\n');
    if (line.replacedBytes) {
      tell(file, "Hinweis: Bytes, die kein UTF-8-Zeichen bilden, sind als „\uFFFD“ ausgegeben.");
    }
    for (const imaging::MeasurementWarning& warning : report->warnings)
      tell(file, "Warnung: " + warning.text);
    if (arguments.strict && !report->warnings.empty()) status = 1;
  }
  return status;
}

}  // namespace

int main(int argc, char* argv[]) {
  // A closed pipe is then a failed write, told and ended with status 1, not a silent end.
  std::signal(SIGPIPE, SIG_IGN);
  sdnr_cli::Arguments arguments;
  try {
    arguments = sdnr_cli::ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const sdnr_cli::UsageError& error) {
    std::cerr << "quantelo-sdnr: " << sdnr_cli::PrintableText().message(error.what()) << "\n"
              << "Mehr mit: quantelo-sdnr --help\n";
    return UsageFailure;
  }
  try {
    return run(arguments);
  } catch (const OutputFailed& failure) {
    std::cerr << "quantelo-sdnr: Die Ausgabe ließ sich nicht schreiben: "
              << std::strerror(failure.error) << std::endl;
    return 1;
  }
}

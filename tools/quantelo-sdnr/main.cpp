// quantelo-sdnr: measures DICOM test exposures and prints the four values and the SDNR.
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
#include "imaging/printable_text.h"
#include "imaging/roi_placement.h"
#include "imaging/roi_statistics.h"
#include "imaging/standard_output.h"
#include "output.h"
#include "report.h"

#ifdef QUANTELO_WITH_RECORD
#include "record/save_or_queue.h"
#include "record_saving.h"
#endif

namespace {

constexpr int UsageFailure = 2;

using imaging::PrintToStandardOutput;

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
    PrintToStandardOutput(sdnr_cli::UsageText);
    return 0;
  }
  if (arguments.action == sdnr_cli::Arguments::Action::Version) {
    PrintToStandardOutput("quantelo-sdnr " QUANTELO_VERSION "\n");
    return 0;
  }
#ifndef QUANTELO_WITH_RECORD
  if (arguments.save) {
    std::cerr << "quantelo-sdnr: --save: der QA-Record gehört nicht zu diesem Build.\n";
    return UsageFailure;
  }
#endif

  if (!arguments.json) PrintToStandardOutput(sdnr_cli::TsvHeader(arguments.save) + '\n');
  int status = 0;
  // With --save the lines wait for the record, which saves the files of one call together.
  std::vector<sdnr_cli::FileReport> toSave;
#ifdef QUANTELO_WITH_RECORD
  std::vector<record::MeasuredImage> described;
#endif
  for (const std::string& file : arguments.files) {
    std::optional<sdnr_cli::FileReport> report;
    try {
      const imaging::DicomImage image = imaging::ReadDicomImage(file);
      const imaging::ExposureSurvey survey = imaging::SurveyExposure(image);
      const auto [aluminium, background] = roisFor(survey, arguments);
      report = sdnr_cli::FileReport{
          file,
          imaging::Measure(image, aluminium, background),
          image.facts(),
          imaging::CheckMeasurement(survey, image.context(), aluminium, background),
          {}};
#ifdef QUANTELO_WITH_RECORD
      if (arguments.save) {
        described.push_back(
            sdnr_cli::DescribeForRecord(file, image, *report, !arguments.aluminium.has_value()));
      }
#endif
    } catch (const std::exception& error) {
      // Whatever fails costs this file its line, never the others theirs.
      sdnr_cli::Tell(file, FailureText(error));
      status = 1;
      continue;
    }
    if (arguments.save) {
      toSave.push_back(std::move(*report));
    } else {
      status |= sdnr_cli::PrintReport(arguments, *report);
    }
  }
#ifdef QUANTELO_WITH_RECORD
  if (!toSave.empty()) {
    status |= sdnr_cli::SaveAndPrint(arguments, toSave, described, record::OpenRecord,
                                     record::OutboxLocation());
  }
#endif
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
    std::cerr << "quantelo-sdnr: " << imaging::PrintableText().message(error.what()) << "\n"
              << "Mehr mit: quantelo-sdnr --help\n";
    return UsageFailure;
  }
  try {
    return run(arguments);
  } catch (const imaging::OutputFailed& failure) {
    std::cerr << "quantelo-sdnr: Die Ausgabe ließ sich nicht schreiben: "
              << std::strerror(failure.error) << std::endl;
    return 1;
  }
}

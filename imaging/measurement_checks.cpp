#include "measurement_checks.h"

#include <algorithm>
#include <cmath>

#include "roi_inspection.h"
#include "roi_placement.h"

namespace imaging {

namespace {

constexpr double LargestDeviationRatio = 2;
constexpr std::array<const char*, 2> RoiNames = {"„Al“", "„BG“"};
using Concerns = std::array<bool, 2>;  // "Al", "BG"
constexpr Concerns NoRoi{false, false};
constexpr Concerns Aluminium{true, false};
constexpr Concerns Background{false, true};
constexpr Concerns Both{true, true};

Concerns Only(int index) {
  return index == 0 ? Aluminium : Background;
}

std::string Lines(long long count) {
  return count == 1 ? "1 Zeile oder Spalte" : std::to_string(count) + " Zeilen oder Spalten";
}

// What the size rule gives: the side of "Al" for the object found, or of the pair at the centre.
long long AllowedPixels(const ExposureSurvey& survey) {
  if (survey.aluminium) {
    const long long side = AluminiumRoiSide(*survey.aluminium);
    return side * side;
  }
  return PlaceRoisAtCentre(survey.pixels).aluminium.count();
}

class Checker {
 public:
  Checker(const ExposureSurvey& survey, const Roi& aluminium, const Roi& background)
      : survey_(survey),
        rois_{aluminium, background},
        inspections_{InspectRoi(survey.pixels, aluminium), InspectRoi(survey.pixels, background)} {}

  std::vector<MeasurementWarning> take() { return std::move(warnings_); }

  void image(const ImageContext& context) {
    if (context.lossyCompressed)
      say("Das Bild ist verlustbehaftet komprimiert: Mittelwerte und Standardabweichungen sind "
          "dadurch verfälscht.");
    if (!context.modality.empty() && context.modality != "MG")
      say("Das Bild ist keine Mammographie-Aufnahme (Modalität " + context.modality + ").");
    if (context.presentationIntent == "FOR PRESENTATION")
      say("Das Bild ist für die Befundung nachverarbeitet („FOR PRESENTATION“); die Messung "
          "verlangt unverarbeitete Daten („FOR PROCESSING“).");
  }

  void object() {
    if (!survey_.aluminium) {
      say("Kein Aluminiumobjekt gefunden: ROIs bitte von Hand setzen.");
      return;
    }
    const double contrast = survey_.relativeContrast(*survey_.aluminium);
    if (contrast > HighestAluminiumContrast)
      say("Das gefundene Objekt ist viel zu dunkel oder zu hell für 0,2 mm Aluminium (Kontrast " +
          std::to_string(std::lround(100 * contrast)) +
          " % statt weniger Prozent): wohl eine Bleimarkierung.");
  }

  void eachRoi() {
    for (const int index : {0, 1}) {
      const Roi& roi = rois_[index];
      const std::string name = RoiNames[index];
      if (!survey_.field.field.contains(roi))
        say("Die ROI " + name + " reicht in den unbelichteten Rand des Bildes.", Only(index));
      const RoiInspection& inspection = inspections_[index];
      if (inspection.isDisturbed()) {
        std::string what;
        if (inspection.outlierPixels > 0)
          what = std::to_string(inspection.outlierPixels) + " Pixel";
        if (inspection.outlierPixels > 0 && inspection.outlierLines > 0) what += " und ";
        if (inspection.outlierLines > 0) what += Lines(inspection.outlierLines);
        say("Die ROI " + name + " enthält Ausreißer: " + what +
                " weit außerhalb des Rauschens (tote Pixel oder Zeilen, eine Markierung, eine "
                "Kante oder der Feldrand).",
            Only(index));
      }
    }
    const Roi& background = rois_[1];
    const std::optional<FoundObject>& object = survey_.aluminium;
    if (object && background.overlaps(object->estimate)) {
      say("Die ROI „BG“ liegt auf dem Aluminiumobjekt.", Background);
    } else if (survey_.overlapsObject(background) ||
               survey_.showsStructure(background, inspections_[1].noise)) {
      say("Die ROI „BG“ liegt nicht auf freiem Hintergrund: ein Objekt, eine Markierung, eine "
          "Kante oder eine Stufe reicht hinein.",
          Background);
    }
    if (!object) return;
    const Roi& aluminium = rois_[0];
    const int block = object->blockSize;
    const Roi& core = object->estimate;
    const Roi certainlyOutside{core.x - block, core.y - block, core.width + 2 * block,
                               core.height + 2 * block};
    if (!aluminium.overlaps(core))
      say("Die ROI „Al“ liegt nicht auf dem gefundenen Aluminiumobjekt.", Aluminium);
    else if (!certainlyOutside.contains(aluminium))
      say("Die ROI „Al“ ragt über den Rand des Aluminiumobjekts.", Aluminium);
  }

  void bothRois() {
    const Roi& aluminium = rois_[0];
    const Roi& background = rois_[1];
    if (aluminium == background)
      say("Die ROIs „Al“ und „BG“ sind identisch.", Both);
    else if (aluminium.overlaps(background))
      say("Die ROIs „Al“ und „BG“ überlappen sich.", Both);

    const long long allowed = AllowedPixels(survey_);
    const long long least = std::min(aluminium.count(), background.count());
    if (least < SmallestReliableRoiPixels) {
      say("Die ROIs sind mit " + std::to_string(least) +
              " Pixeln zu klein für eine verlässliche Standardabweichung (mindestens 10000).",
          Concerns{aluminium.count() == least, background.count() == least});
    } else if (least < allowed) {
      say("Die ROIs sind mit " + std::to_string(least) +
              " Pixeln kleiner, als das Objekt erlaubt (" + std::to_string(allowed) + ").",
          Concerns{aluminium.count() == least, background.count() == least});
    }

    const double al = inspections_[0].deviation;
    const double bg = inspections_[1].deviation;
    if (al > LargestDeviationRatio * bg || bg > LargestDeviationRatio * al)
      say("Die Standardabweichungen von „Al“ und „BG“ unterscheiden sich um mehr als den "
          "Faktor 2.",
          Both);
  }

 private:
  void say(std::string text, Concerns rois = NoRoi) {
    warnings_.push_back({std::move(text), rois});
  }

  const ExposureSurvey& survey_;
  std::array<Roi, 2> rois_;
  std::array<RoiInspection, 2> inspections_;
  std::vector<MeasurementWarning> warnings_;
};

}  // namespace

std::vector<MeasurementWarning> CheckMeasurement(const ExposureSurvey& survey,
                                                 const ImageContext& context, const Roi& aluminium,
                                                 const Roi& background) {
  Checker checker(survey, aluminium, background);
  checker.image(context);
  checker.object();
  checker.eachRoi();
  checker.bothRois();
  return checker.take();
}

std::string JoinedWarnings(const std::vector<MeasurementWarning>& warnings) {
  std::string joined;
  for (const MeasurementWarning& warning : warnings) {
    if (!joined.empty()) joined += "; ";
    joined += warning.text;
  }
  return joined;
}

}  // namespace imaging

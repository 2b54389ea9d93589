#include "measurement_checks.h"

#include <algorithm>
#include <cmath>

#include "background_continuity.h"
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

std::string EdgeName(ImageEdge edge) {
  static constexpr std::array<const char*, 4> Names = {"linken", "oberen", "rechten", "unteren"};
  return Names[static_cast<std::size_t>(edge)];
}

// Whose word a chest-wall edge is, in the dative.
std::string Source(ChestWallEvidence evidence) {
  switch (evidence) {
    case ChestWallEvidence::Heel:
      return "dem Heel-Effekt im Bild";
    case ChestWallEvidence::Borders:
      return "den Blendenrändern im Bild";
    case ChestWallEvidence::PatientOrientation:
      return "der Patient Orientation der Datei";
    case ChestWallEvidence::Laterality:
      return "der Seitenangabe der Datei";
    case ChestWallEvidence::ImageShape:
      break;
  }
  return "dem Bildformat";
}

// One decimal and a German decimal comma: "1,5 %".
std::string Percent(double share) {
  const long tenths = std::lround(1000 * share);
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " %";
}

std::string Lines(long long count) {
  return count == 1 ? "1 Zeile oder Spalte" : std::to_string(count) + " Zeilen oder Spalten";
}

// What the automatic placement gives: the pair by the object found, or the pair at the centre.
long long AllowedPixels(const ExposureSurvey& survey) {
  if (survey.aluminium) {
    const long long side = survey.placedRoiSide;
    return side * side;
  }
  return PlaceRoisAtCentre(survey.field.field).aluminium.count();
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
    if (context.codeStreamInJp2)
      say("Die Bilddaten sind in eine JP2-Datei verpackt, was der DICOM-Standard nicht erlaubt; "
          "gemessen wurde der JPEG-2000-Datenstrom darin.");
    const bool mammography = context.modality.empty() || context.modality == "MG";
    if (!mammography)
      say("Das Bild ist keine Mammographie-Aufnahme (Modalität " + context.modality + ").");
    // The SOP class is what the modality chose, and outweighs a missing or contrary intent:
    // the digital X-ray, mammography and intra-oral classes for presentation.
    static constexpr std::array<const char*, 3> PresentationClasses = {
        "1.2.840.10008.5.1.4.1.1.1.1", "1.2.840.10008.5.1.4.1.1.1.2",
        "1.2.840.10008.5.1.4.1.1.1.3"};
    if (context.presentationIntent == "FOR PRESENTATION" ||
        std::find(PresentationClasses.begin(), PresentationClasses.end(), context.sopClassUid) !=
            PresentationClasses.end())
      say("Das Bild ist für die Befundung nachverarbeitet („FOR PRESENTATION“); die Messung "
          "verlangt unverarbeitete Daten („FOR PROCESSING“).");
    // A detector's raw data need 10 to 16 bits; 8 are what a processed or JPEG copy keeps.
    if (mammography && survey_.bitsStored <= 8)
      say("Das Bild hat nur " + std::to_string(survey_.bitsStored) +
          " Bit je Pixel: Rohdaten eines Mammographie-Detektors haben 10 bis 16 Bit; wohl eine "
          "verarbeitete oder verlustbehaftet komprimierte Kopie.");
  }

  void chestWall() {
    const ChestWall& wall = survey_.chestWall;
    if (!wall.disputedEdge) return;
    say("Die Lage der Brustwand ist widersprüchlich: nach " + Source(wall.evidence) + " am " +
        EdgeName(wall.edge) + " Rand, nach " + Source(wall.disputedBy) + " am " +
        EdgeName(*wall.disputedEdge) + " Rand. Die ROIs folgen " + Source(wall.evidence) +
        "; „BG“ gehört in denselben Abstand von der Brustwand wie „Al“.");
  }

  void object() {
    if (!survey_.aluminium) {
      say("Kein Aluminiumobjekt gefunden: ROIs bitte von Hand setzen.");
      return;
    }
    const FoundObject& object = *survey_.aluminium;
    const double contrast = RelativeContrast(object, survey_.zeroLevel);
    switch (DoubtAbout(object, survey_.zeroLevel)) {
      case AluminiumDoubt::None:
        break;
      case AluminiumDoubt::TooStrong:
        say("Das gefundene Objekt ist viel zu dunkel oder zu hell für 0,2 mm Aluminium (Kontrast " +
            std::to_string(std::lround(100 * contrast)) +
            " % statt weniger Prozent): wohl eine Bleimarkierung.");
        break;
      case AluminiumDoubt::TooFaint:
        say("Das gefundene Objekt hebt sich mit " + Percent(contrast) +
            " Kontrast zu schwach für 0,2 mm Aluminium ab (etwa 4 bis 30 %): wohl ein "
            "Geisterbild einer früheren Aufnahme oder eine Ungleichmäßigkeit des Detektors.");
        break;
      case AluminiumDoubt::AddsDose:
        say("Das gefundene Objekt erhält mehr Dosis als sein Hintergrund und kann kein "
            "Aluminium sein: wohl ein Geisterbild einer früheren Aufnahme.");
        break;
    }
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
    } else if (object) {
      backgroundOfObject(*object, background);
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

  // Whether "BG" lies on the background the object lies on, at the same distance from the
  // chest wall.
  void backgroundOfObject(const FoundObject& object, const Roi& background) {
    const BackgroundAlongChestWall along(survey_, object, background);
    const double signal = std::abs(object.level - survey_.zeroLevel);
    const auto share = [&](double offset) {
      return Percent(signal > 0 ? std::abs(offset) / signal : 0);
    };
    if (const double uneven = along.unevennessUnderObject(); uneven != 0) {
      say("Der Hintergrund unter dem Aluminiumobjekt ist ungleichmäßig: er ändert sich über das "
          "Objekt um " +
              share(uneven) +
              " (ungleichmäßige Empfindlichkeit des Detektors, eine Naht oder ein Geisterbild); "
              "keine ROI „BG“ daneben misst ihn genau.",
          Background);
      return;
    }
    const BackgroundDeparture departure = along.departure(background);
    switch (departure.kind) {
      case BackgroundBreak::None:
        break;
      case BackgroundBreak::Step:
        say("Zwischen dem Aluminiumobjekt und der ROI „BG“ ändert sich der Hintergrund "
            "sprunghaft um " +
                share(departure.offset) +
                " (eine Naht zwischen Detektorkacheln oder der Rand eines Geisterbilds): „BG“ "
                "misst nicht den Hintergrund des Objekts.",
            Background);
        break;
      case BackgroundBreak::Bump:
        say("Die ROI „BG“ liegt auf einer örtlichen Erhöhung oder Senke des Hintergrunds um " +
                share(departure.offset) +
                " (ungleichmäßige Empfindlichkeit des Detektors oder ein Geisterbild): „BG“ misst "
                "nicht den Hintergrund des Objekts.",
            Background);
        break;
    }
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
    const Concerns smaller{aluminium.count() == least, background.count() == least};
    if (least < SmallestReliableRoiPixels) {
      say("Die ROIs sind mit " + std::to_string(least) +
              " Pixeln zu klein: ihre Standardabweichung ist auf ±" +
              Percent(DeviationUncertainty(least)) + " unsicher (höchstens 2 % ab " +
              std::to_string(SmallestReliableRoiPixels) + " Pixeln).",
          smaller);
    } else if (least < allowed) {
      say("Die ROIs sind mit " + std::to_string(least) +
              " Pixeln kleiner, als das Objekt erlaubt (" + std::to_string(allowed) + ").",
          smaller);
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
  checker.chestWall();
  checker.object();
  checker.eachRoi();
  checker.bothRois();
  return checker.take();
}

double DeviationUncertainty(long long pixels) {
  return pixels > 1 ? 1 / std::sqrt(2.0 * static_cast<double>(pixels - 1)) : 1;
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

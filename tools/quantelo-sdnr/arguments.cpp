#include "arguments.h"

#include <algorithm>
#include <charconv>

#include "imaging/dicom_image.h"

namespace sdnr_cli {
namespace {

const std::string SmallestRoiText = std::to_string(imaging::SmallestRoiSide) + " × " +
                                    std::to_string(imaging::SmallestRoiSide) + " Pixel";

imaging::Roi parseRoi(const std::string& option, const std::string& text) {
  int parts[4];
  const char* position = text.data();
  const char* const end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    const auto [next, error] = std::from_chars(position, end, parts[i]);
    const bool separatorFollows = i < 3 ? next != end && *next == ',' : next == end;
    if (error != std::errc() || next == position || !separatorFollows) {
      throw UsageError(option + " erwartet X,Y,W,H (ganze Zahlen), nicht „" + text + "“");
    }
    position = next + 1;
  }
  const imaging::Roi roi{parts[0], parts[1], parts[2], parts[3]};
  if (roi.x < 0 || roi.y < 0 || roi.width < imaging::SmallestRoiSide ||
      roi.height < imaging::SmallestRoiSide) {
    throw UsageError(option + " " + text + ": die ROI braucht X, Y ≥ 0 und mindestens " +
                     SmallestRoiText);
  }
  return roi;
}

int parseSize(const std::string& text) {
  int size = 0;
  const char* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, size);
  if (error != std::errc() || next != end || text.empty() || size < imaging::SmallestRoiSide ||
      size > imaging::MaxImageSide) {
    throw UsageError("--size erwartet die Seitenlänge der ROIs in Pixeln (ganze Zahl, mindestens " +
                     SmallestRoiText + "), nicht „" + text + "“");
  }
  return size;
}

Arguments answerOnly(Arguments::Action action) {
  Arguments arguments;
  arguments.action = action;
  return arguments;
}

}  // namespace

const char* const UsageText =
    "Aufruf: quantelo-sdnr [--al X,Y,W,H --bg X,Y,W,H | --auto [--size N]] [--json] [--strict]\n"
    "                      [--save [--operator NAME] [--phantom TEXT] [--record ORT]] DATEI...\n"
    "\n"
    "Misst in jeder DICOM-Datei Mittelwert und Standardabweichung (mit n − 1) einer ROI über\n"
    "dem Aluminiumobjekt (Al) und einer gleich großen ROI im Hintergrund (BG) und berechnet\n"
    "daraus das SDNR nach DIN 6868-14, wie Quantelo es anzeigt.\n"
    "\n"
    "  --al X,Y,W,H  ROI über dem Aluminium: linke Spalte, oberste Zeile (ab 0), Breite, Höhe\n"
    "  --bg X,Y,W,H  ROI im Hintergrund, so groß wie die Al-ROI\n"
    "  --auto        beide ROIs automatisch setzen (Vorgabe)\n"
    "  --size N      Seitenlänge der automatisch gesetzten ROIs (Vorgabe 200)\n"
    "  --json        je Datei ein JSON-Objekt statt tabulatorgetrennter Zeilen\n"
    "  --strict      eine Datei mit Warnungen gilt als nicht gemessen\n"
    "  --save        jede gemessene Datei im QA-Record speichern, alle eines Aufrufs als eine\n"
    "                Prüfung; die Ausgabe bekommt die Spalten measurement, reference,\n"
    "                deviation und verdict\n"
    "  --operator NAME  Prüfer (wird gemerkt)\n"
    "  --phantom TEXT   Prüfmittel\n"
    "  --record ORT     der QA-Record: eine Datei oder der Team-Record,\n"
    "                   postgresql://BENUTZER@SERVER/DATENBANK (Vorgabe:\n"
    "                   $QUANTELO_RECORD, sonst ~/.local/share/quantelo/record.sqlite)\n"
    "  -h, --help    diesen Text zeigen\n"
    "  -v, --version die Version zeigen\n"
    "\n"
    "Ausgabe: eine Kopfzeile, dann je Datei eine Zeile mit file, mAl, sAl, mBG, sBG, SDNR, n,\n"
    "al_roi, bg_roi, den Angaben aus dem Dateikopf und zuletzt warnings: den Warnungen der\n"
    "Plausibilitätsprüfung, durch „; “ getrennt. Jede Warnung und jede Datei, die sich nicht\n"
    "messen lässt, wird auch auf der Standardfehlerausgabe gemeldet. Rückgabewert: 0 alles\n"
    "gemessen, 1 mindestens eine Datei nicht (mit --strict auch: mit Warnungen), 2 falscher\n"
    "Aufruf.\n";

Arguments ParseArguments(const std::vector<std::string>& arguments) {
  const auto optionsEnd = std::find(arguments.begin(), arguments.end(), "--");
  if (std::find_if(arguments.begin(), optionsEnd,
                   [](const std::string& a) { return a == "--help" || a == "-h"; }) != optionsEnd) {
    return answerOnly(Arguments::Action::Help);
  }
  if (std::find_if(arguments.begin(), optionsEnd, [](const std::string& a) {
        return a == "--version" || a == "-v";
      }) != optionsEnd) {
    return answerOnly(Arguments::Action::Version);
  }

  Arguments parsed;
  bool automatic = false, sized = false, optionsEnded = false, saveOnly = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      parsed.files.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--json") {
      parsed.json = true;
    } else if (argument == "--auto") {
      automatic = true;
    } else if (argument == "--strict") {
      parsed.strict = true;
    } else if (argument == "--save") {
      parsed.save = true;
    } else if (argument == "--operator" || argument == "--phantom" || argument == "--record") {
      if (i + 1 == arguments.size()) throw UsageError(argument + " erwartet einen Text");
      (argument == "--operator"  ? parsed.operatorName
       : argument == "--phantom" ? parsed.phantom
                                 : parsed.record) = arguments[++i];
      saveOnly = true;
    } else if (argument == "--size") {
      if (i + 1 == arguments.size()) throw UsageError("--size erwartet eine Seitenlänge");
      parsed.size = parseSize(arguments[++i]);
      sized = true;
    } else if (argument == "--al" || argument == "--bg") {
      if (i + 1 == arguments.size()) throw UsageError(argument + " erwartet X,Y,W,H");
      (argument == "--al" ? parsed.aluminium : parsed.background) =
          parseRoi(argument, arguments[++i]);
    } else {
      throw UsageError("unbekannte Option „" + argument + "“");
    }
  }
  if (parsed.aluminium.has_value() != parsed.background.has_value()) {
    throw UsageError("--al und --bg gehören zusammen");
  }
  if (automatic && parsed.aluminium) throw UsageError("--auto oder --al/--bg, nicht beides");
  if (sized && parsed.aluminium)
    throw UsageError("--size gilt nur für --auto, nicht für --al/--bg");
  if (parsed.aluminium && (parsed.aluminium->width != parsed.background->width ||
                           parsed.aluminium->height != parsed.background->height)) {
    throw UsageError("die ROIs --al und --bg müssen gleich groß sein");
  }
  if (saveOnly && !parsed.save) {
    throw UsageError("--operator, --phantom und --record gelten nur mit --save");
  }
  if (parsed.files.empty()) throw UsageError("keine Datei angegeben");
  return parsed;
}

}  // namespace sdnr_cli

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "imaging/exposure_survey.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_statistics.h"
#include "report.h"
#include "tests/imaging/dicom_test_writer.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string contents(const fs::path& file) {
  std::ifstream stream(file);
  return {std::istreambuf_iterator<char>(stream), {}};
}

class SdnrTool : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("quantelo-sdnr-test-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    // A 300 x 240 exposure: background 1000, a 120 x 100 object of 1400 at (40, 60), noise.
    dicom_test::TestImage image = dicom_test::NoisyObjectImage(300, 240, 40, 60, 120, 100, 3);
    image.photometric = "MONOCHROME1";
    image.elements = {{dicom_test::tags::Manufacturer, "Beispiel\tMed"},
                      {dicom_test::tags::RescaleSlope, "0.5"}};
    dicom_test::WriteDicomFile(image, dir_ / "good.dcm");
    std::ofstream(dir_ / "text.dcm") << "keine DICOM-Datei\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // prefix: what the tool runs under, such as a resource limit.
  ToolRun run(const std::string& arguments, const std::string& prefix = "") const {
    const std::string command = prefix + SDNR_TOOL + " " + arguments + " >" +
                                (dir_ / "out").string() + " 2>" + (dir_ / "err").string();
    ToolRun result;
    result.status = WEXITSTATUS(std::system(command.c_str()));
    result.out = contents(dir_ / "out");
    result.err = contents(dir_ / "err");
    return result;
  }
  std::string file(const char* name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

// The printed texts are the library's measurement of the same ROIs, so the window (which
// fills the fields from the same measurement) and the command line agree to the last digit.
TEST_F(SdnrTool, PrintsTheLibrarysMeasurementAndGoesOnAfterAFailure) {
  const std::string good = file("good.dcm"), bad = file("text.dcm");
  const ToolRun run =
      this->run("--al 60,70,80,80 --bg 170,70,80,80 " + good + " " + bad + " " + good);
  const imaging::DicomImage image = imaging::ReadDicomImage(good);
  const imaging::Roi al{60, 70, 80, 80}, bg{170, 70, 80, 80};
  const imaging::Measurement expected = imaging::Measure(image, al, bg);
  const sdnr_cli::FileReport report{
      good,
      expected,
      image.facts(),
      imaging::CheckMeasurement(imaging::SurveyExposure(image), image.context(), al, bg),
      {}};
  const std::string line = sdnr_cli::TsvLine(report).text;
  EXPECT_EQ(run.out, sdnr_cli::TsvHeader(false) + "\n" + line + "\n" + line + "\n");
  // 6400 pixels: fewer than a reliable standard deviation needs, said on both channels.
  ASSERT_EQ(report.warnings.size(), 1u);
  const std::string warning =
      "quantelo-sdnr: " + good + ": Warnung: " + report.warnings[0].text + "\n";
  EXPECT_TRUE(line.ends_with("\t" + report.warnings[0].text)) << line;
  EXPECT_EQ(run.err,
            warning + "quantelo-sdnr: " + bad + ": Die Datei ist keine DICOM-Datei.\n" + warning);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(line.starts_with(good + "\t" + expected.aluminium.mean + "\t")) << line;
  EXPECT_NE(line.find("\t6400\t60,70,80,80\t170,70,80,80\tBeispiel Med\t"), std::string::npos);
  EXPECT_NE(expected.sdnr, "NaN");
}

TEST_F(SdnrTool, AutomaticPlacementAndJson) {
  const ToolRun run = this->run("--json " + file("good.dcm"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with("{\"file\": \"" + file("good.dcm") + "\", \"mAl\": \""))
      << run.out;
  EXPECT_NE(run.out.find("\"n\": "), std::string::npos);
  EXPECT_NE(run.out.find("\"manufacturer\": \"Beispiel Med\""), std::string::npos);
  // The test image is clean: nothing to warn of where the program placed the ROIs itself.
  EXPECT_NE(run.out.find("\"warnings\": []"), std::string::npos) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
}

TEST_F(SdnrTool, ExitStatusOfEveryCall) {
  const std::string good = file("good.dcm");
  const struct {
    std::string arguments;
    int status;
    const char* output;  // the start of standard output, or of standard error when empty
  } cases[] = {
      {"--help", 0, "Aufruf: quantelo-sdnr"},
      {"--version", 0, "quantelo-sdnr 1."},
      {"-v", 0, "quantelo-sdnr 1."},
      {"--size 60 " + good, 0, "file\t"},
      {"--strict --size 60 " + good, 1, "file\t"},  // its ROIs are too small: a warning
      {"--size 1 " + good, 2, ""},
      {"--size 60 --al 1,2,3,4 --bg 5,6,3,4 " + good, 2, ""},
      {good + " --bogus --help", 0, "Aufruf: quantelo-sdnr"},
      {"", 2, ""},
      {"--bogus " + good, 2, ""},
      {"--al 1,2,3,4 " + good, 2, ""},
      {"--al 1,2,3 --bg 1,2,3,4 " + good, 2, ""},
      {"--al 1,2,3,4 --bg 1,2,3,5 " + good, 2, ""},
      {"--al 1,2,1,1 --bg 5,5,1,1 " + good, 2, ""},
      {"--auto --al 1,2,3,4 --bg 5,6,3,4 " + good, 2, ""},
      {"--al 250,0,80,80 --bg 0,0,80,80 " + good, 1, "file\t"},
      {file("missing.dcm"), 1, "file\t"},
      {"-- " + good, 0, "file\t"},
  };
  for (const auto& c : cases) {
    const ToolRun run = this->run(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.err;
    if (c.status == 2) {
      EXPECT_TRUE(run.out.empty()) << c.arguments;
      EXPECT_TRUE(run.err.starts_with("quantelo-sdnr: ")) << c.arguments << run.err;
    } else {
      EXPECT_TRUE(run.out.starts_with(c.output)) << c.arguments << "\n" << run.out;
    }
  }
}

// Whatever bytes file names and header texts hold, every line is valid UTF-8 and reads as JSON
// or as a table of equal rows, with nothing a terminal or a spreadsheet would act on.
TEST_F(SdnrTool, HostileNamesAndHeaderTextsPrintSafely) {
  const fs::path hostile = dir_ / "hostile";
  fs::create_directories(hostile);
  dicom_test::TestImage image;
  image.width = 64;
  image.height = 48;
  image.stored.assign(64 * 48, 1000);
  image.elements = {{dicom_test::tags::SpecificCharacterSet, "ISO_IR 192"},
                    {dicom_test::tags::Manufacturer, "=HYPERLINK(\"x\") \xFF\xC2\x85\xE2\x80\xAE!"},
                    {dicom_test::tags::StationName, "@SUM(1)\x7F"},
                    {dicom_test::tags::Kvp, "-28"}};
  for (const char* name :
       {"=1+1.dcm", "+x.dcm", "@x.dcm", "-x.dcm", "a\tb\nc\x1B[2J.dcm", "lat\xE9.dcm",
        "bidi\xE2\x80\xAE"
        "gpj.dcm",
        "c1\xC2\x9B.dcm"}) {
    dicom_test::WriteDicomFile(image, hostile / name);
  }
  const std::string check = (dir_ / "check.py").string();
  std::ofstream(check) << R"(import json, re, sys
lines = open(sys.argv[2], 'rb').read().decode('utf-8').splitlines()
unsafe = re.compile('[\x00-\x08\x0a-\x1f\x7f-\x9f\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069]')
assert len(lines) == int(sys.argv[3]), lines
for line in lines:
    assert not unsafe.search(line), line
    if sys.argv[1] == 'json':
        json.loads(line)
    else:
        fields = line.split('\t')
        assert len(fields) == len(lines[0].split('\t')), line
        for field in fields:
            assert field[:1] not in '=+-@' or field == '' or re.fullmatch(r'[-+][0-9.]+', field), field
)";
  for (const auto& [mode, lines] : {std::pair{"json", 8}, std::pair{"tsv", 9}}) {
    const ToolRun run = this->run(std::string(mode == std::string("json") ? "--json" : "") +
                                      " --al 0,0,10,10 --bg 20,20,10,10 -- *",
                                  "cd '" + hostile.string() + "' && ");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string checked = "python3 " + check + " " + mode + " " + (dir_ / "out").string() +
                                " " + std::to_string(lines);
    EXPECT_EQ(std::system(checked.c_str()), 0) << run.out;
    // Per file: the replaced bytes said, no object found, ROIs too small; one line each.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 3 * 8) << run.err;
  }
}

// A failed write, to a full disk or a closed pipe, is told and ends the tool with status 1.
TEST_F(SdnrTool, AFailedWriteIsAnError) {
  for (const std::string redirect : {" >/dev/full", " | head -c 1 >/dev/null"}) {
    // The tool's own status, not the pipe's, on standard error after its messages.
    const std::string command = "sh -c '{ " + std::string(SDNR_TOOL) + " " + file("good.dcm") +
                                " " + file("good.dcm") + "; echo $? >&2; }" + redirect + "' 2>" +
                                (dir_ / "err").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string err = contents(dir_ / "err");
    EXPECT_NE(err.find("quantelo-sdnr: Die Ausgabe ließ sich nicht schreiben: "), std::string::npos)
        << redirect << err;
    EXPECT_TRUE(err.ends_with("\n1\n")) << redirect << err;  // the tool's status
  }
}

#ifdef QUANTELO_WITH_RECORD
// --save records each image once, in the record asked for, and prints what the record made of it;
// the operator is remembered for the next call.
TEST_F(SdnrTool, SaveRecordsEachImageOnceAndPrintsTheVerdict) {
  const std::string record = file("record.sqlite");
  const std::string settings = "XDG_CONFIG_HOME=" + file("config") + " ";
  const ToolRun first =
      run("--save --operator Prüfer --record " + record + " " + file("good.dcm"), settings);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(first.out.starts_with(sdnr_cli::TsvHeader(true) + "\n")) << first.out;
  EXPECT_NE(
      sdnr_cli::TsvHeader(true).find("\tmeasurement\treference\tdeviation\tverdict\twarnings"),
      std::string::npos);
  EXPECT_NE(first.out.find("\t1\t\t\tkein Bezugswert\t"), std::string::npos) << first.out;

  const ToolRun again = run("--save --json --record " + record + " " + file("good.dcm"), settings);
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("schon gespeichert (Messung 1)"), std::string::npos) << again.err;
  EXPECT_NE(again.out.find("\"measurement\": null"), std::string::npos) << again.out;
}
#endif

#ifndef QUANTELO_SANITIZED
// Too little address space to read: each file fails with a message of its own, and the tool
// ends as it does for any file it cannot measure. (The sanitizers' shadow memory needs more
// address space than any limit leaves, so their build does not run this.)
TEST_F(SdnrTool, LackOfMemoryFailsTheFileNotTheTool) {
  // A detector-sized image, in less memory than its decoding needs.
  dicom_test::TestImage large;
  large.width = 4096;
  large.height = 3328;
  large.stored.assign(std::size_t(large.width) * std::size_t(large.height), 1000);
  const std::string file = this->file("large.dcm");
  dicom_test::WriteDicomFile(large, file);
  const ToolRun run = this->run(file + " " + file, "prlimit --as=60000000 ");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out, sdnr_cli::TsvHeader(false) + "\n");
  const std::string message =
      ": Die Datei lässt sich nicht lesen: nicht genug Arbeitsspeicher frei (79 MiB nötig).\n";
  EXPECT_EQ(run.err, "quantelo-sdnr: " + file + message + "quantelo-sdnr: " + file + message);
}
#endif

}  // namespace

// No person's data from a header reaches the QA record, its write-ahead log, the CSV export or
// the protocol: the patient's, the institution's and the operators' and physicians' names are
// never read into it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "record/record_database.h"
#include "tests/imaging/dicom_test_writer.h"

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), {}};
}

int run(const std::string& command) {
  return WEXITSTATUS(std::system(command.c_str()));
}

TEST(RecordPrivacy, NoPersonDataFromTheHeaderIsKeptOrExported) {
  const fs::path dir =
      fs::temp_directory_path() / ("quantelo-privacy-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string record = (dir / "record.sqlite").string();
  const std::string environment = "XDG_CONFIG_HOME=" + (dir / "config").string() + " ";

  // Person data in every element a header carries it in, beside the device's own facts.
  const std::vector<std::pair<dicom_test::Tag, std::string>> people = {
      {{0x0010, 0x0010}, "Mustermann^Erika"},            // Patient's Name
      {{0x0010, 0x0020}, "PID-93417"},                   // Patient ID
      {{0x0010, 0x0030}, "19610412"},                    // Patient's Birth Date
      {{0x0008, 0x0080}, "Klinik Sonnenberg"},           // Institution Name
      {{0x0008, 0x0081}, "Lindenallee 7, Musterstadt"},  // Institution Address
      {{0x0008, 0x1070}, "Hausmann^Petra"},              // Operators' Name
      {{0x0008, 0x0090}, "Dr. Oberholzer^Kurt"},         // Referring Physician's Name
      {{0x0008, 0x1050}, "Dr. Winterstein^Jana"},        // Performing Physician's Name
      {{0x0010, 0x1000}, "OPI-55021"},                   // Other Patient IDs
  };
  dicom_test::TestImage image = dicom_test::NoisyObjectImage(200, 160, 40, 50, 60, 60, 5);
  image.elements = {{dicom_test::tags::DeviceSerialNumber, "SN-PRIV"},
                    {dicom_test::tags::BodyPartThickness, "46"},
                    {dicom_test::tags::AcquisitionDate, "20261201"}};
  for (const auto& [tag, value] : people) image.elements.push_back({tag, value});
  dicom_test::WriteDicomFile(image, dir / "image.dcm");

  // Held open meanwhile, so that the write-ahead log stays beside the record to be read too.
  const record::RecordDatabase keepsTheLog(QString::fromStdString(record));
  const std::string save =
      environment + SDNR_TOOL + " --save --operator Prüfer --record " + record + " ";
  ASSERT_EQ(run(save + (dir / "image.dcm").string() + " >/dev/null"), 0);
  const std::string tool = environment + RECORD_TOOL + " --record " + record + " ";
  ASSERT_EQ(run(tool + "history --format csv >" + (dir / "history.csv").string()), 0);
  ASSERT_EQ(run(tool + "history --format csv --german >" + (dir / "history-de.csv").string()), 0);
  ASSERT_EQ(run(tool + "history --format json >" + (dir / "history.json").string()), 0);
  ASSERT_EQ(run(tool + "protocol --device SN-PRIV --output " + (dir / "protocol.pdf").string() +
                " && pdftotext " + (dir / "protocol.pdf").string()),
            0);

  std::vector<fs::path> written;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() != "image.dcm" && entry.is_regular_file())
      written.push_back(entry.path());
  }
  // The record and its log, the exports, the protocol and its text.
  ASSERT_GE(written.size(), 7u);
  ASSERT_TRUE(fs::exists(record + "-wal"));
  ASSERT_NE(contents(dir / "history.csv").find("SN-PRIV"), std::string::npos);
  for (const fs::path& file : written) {
    const std::string bytes = contents(file);
    for (const auto& [tag, value] : people) {
      // The whole value, and its first part alone (a family name without the given name).
      for (const std::string& part : {value, value.substr(0, value.find('^'))}) {
        EXPECT_EQ(bytes.find(part), std::string::npos) << part << " in " << file.filename();
      }
    }
  }
  fs::remove_all(dir);
}

}  // namespace

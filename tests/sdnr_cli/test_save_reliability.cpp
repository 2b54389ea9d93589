// Saving into the QA record when the program is killed at any moment, and when two save at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSqlQuery>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "record/record_database.h"
#include "tests/imaging/dicom_test_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int FilesPerCall = 3;

class SaveReliability : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quantelo-save-test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A small exposure of its own: each file is another image, with another SOP Instance UID.
  std::string writeImage(int number) const {
    dicom_test::TestImage image = dicom_test::NoisyObjectImage(200, 160, 40, 50, 60, 60, number);
    image.elements = {{dicom_test::tags::SopInstanceUid,
                       "1.2.826.0.1.3680043.2.1125.77." + std::to_string(number)}};
    const fs::path file = dir_ / ("image-" + std::to_string(number) + ".dcm");
    dicom_test::WriteDicomFile(image, file);
    return file.string();
  }

  // Starts quantelo-sdnr --save on the files, its output into out.
  pid_t startSave(const std::vector<std::string>& files, const fs::path& out) const {
    std::vector<std::string> words = {SDNR_TOOL, "--save",   "--operator",
                                      "Prüfer",  "--record", (dir_ / "record.sqlite").string()};
    words.insert(words.end(), files.begin(), files.end());
    const pid_t child = ::fork();
    if (child == 0) {
      const int output = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(output, STDOUT_FILENO);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDERR_FILENO);
      std::vector<char*> argv;
      for (std::string& word : words) argv.push_back(word.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    return child;
  }

  fs::path dir_;
};

// The measurement ids of the lines printed whole, by the file they name.
std::map<std::string, long long> reportedSaves(const fs::path& out) {
  std::ifstream stream(out);
  const std::string text{std::istreambuf_iterator<char>(stream), {}};
  std::map<std::string, long long> saves;
  std::istringstream lines(text.substr(0, text.rfind('\n') + 1));
  std::string line;
  std::getline(lines, line);
  std::vector<std::string> header;
  for (std::istringstream columns(line); std::getline(columns, line, '\t');) header.push_back(line);
  const auto column = std::find(header.begin(), header.end(), "measurement") - header.begin();
  while (std::getline(lines, line)) {
    std::vector<std::string> cells;
    for (std::istringstream columns(line); std::getline(columns, line, '\t');)
      cells.push_back(line);
    if (cells.size() > static_cast<std::size_t>(column) && !cells[column].empty())
      saves[cells[0]] = std::stoll(cells[column]);
  }
  return saves;
}

// Killed anywhere, before, during or after the commit: a save that was reported is in the
// record, a session holds all of its files or none, and the record stays sound.
TEST_F(SaveReliability, AKillLosesNoReportedSaveAndLeavesNoPartialSession) {
  constexpr int Calls = 24;
  std::mt19937 rng(11);
  std::map<std::string, long long> reported;
  std::map<std::string, std::string> uidOfFile;
  int completed = 0;
  for (int call = 0; call < Calls; ++call) {
    std::vector<std::string> files;
    for (int i = 0; i < FilesPerCall; ++i) {
      const int number = call * FilesPerCall + i;
      files.push_back(writeImage(number));
      uidOfFile[files.back()] = "1.2.826.0.1.3680043.2.1125.77." + std::to_string(number);
    }
    const fs::path out = dir_ / "out";
    const pid_t child = startSave(files, out);
    // Every third call runs to its end; the others are killed somewhere in their run.
    if (call % 3 != 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(rng() % 250000));
      ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) ++completed;
    reported.merge(reportedSaves(out));
  }
  EXPECT_GE(completed, Calls / 3);

  record::RecordDatabase database(QString::fromStdString((dir_ / "record.sqlite").string()));
  EXPECT_TRUE(database.problems().isEmpty()) << database.problems().join('\n').toStdString();
  QSqlQuery partial = database.run(QStringLiteral("SELECT s.id, count(m.id) FROM sessions s LEFT "
                                                  "JOIN measurements m ON m.session_id = s.id "
                                                  "GROUP BY s.id HAVING count(m.id) <> ?"),
                                   {FilesPerCall});
  EXPECT_FALSE(partial.next()) << "session " << partial.value(0).toLongLong() << " holds "
                               << partial.value(1).toLongLong() << " measurements";
  for (const auto& [file, id] : reported) {
    QSqlQuery saved =
        database.run(QStringLiteral("SELECT i.sop_instance_uid FROM measurements m "
                                    "JOIN images i ON i.id = m.image_id WHERE m.id = ?"),
                     {id});
    ASSERT_TRUE(saved.next()) << file << ": measurement " << id << " was reported, not kept";
    EXPECT_EQ(saved.value(0).toString().toStdString(), uidOfFile[file]);
  }
}

// Two programs saving at the same time both succeed: the second waits for the first.
TEST_F(SaveReliability, TwoSavingAtOnceBothSucceed) {
  std::vector<pid_t> children;
  for (int call = 0; call < 2; ++call) {
    std::vector<std::string> files;
    for (int i = 0; i < FilesPerCall; ++i) files.push_back(writeImage(call * FilesPerCall + i));
    children.push_back(startSave(files, dir_ / ("out-" + std::to_string(call))));
  }
  for (const pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }
  record::RecordDatabase database(QString::fromStdString((dir_ / "record.sqlite").string()));
  QSqlQuery count = database.run(QStringLiteral("SELECT count(*) FROM measurements"));
  ASSERT_TRUE(count.next());
  EXPECT_EQ(count.value(0).toInt(), 2 * FilesPerCall);
}

}  // namespace

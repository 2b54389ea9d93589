// The measuring path: statistics of one ROI, opening an image beside GDCM alone reading and
// decoding the same file, and how long the window's thread is held up while it opens. The image
// size comes from QUANTELO_BENCH_IMAGE (WxH, default 4096x3328) so that the ctest smoke run can use
// a small one.
#include <benchmark/benchmark.h>
#include <gdcmImageReader.h>
#include <gdcmTrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#include "calc/extended_ops.h"
#include "imaging/dicom_image.h"
#include "imaging/roi_statistics.h"
#include "measure/image_opening.h"
#include "measure/measure_window.h"
#include "tests/imaging/dicom_test_writer.h"

namespace {

int imageWidth = 4096;
int imageHeight = 3328;

std::filesystem::path benchFile(dicom_test::TransferSyntax syntax) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("quantelo-bench-" + std::to_string(imageWidth) + "x" + std::to_string(imageHeight) + "-" +
       std::string(dicom_test::SyntaxName(syntax)) + ".dcm");
  if (std::filesystem::exists(file)) return file;
  dicom_test::TestImage image;
  image.width = imageWidth;
  image.height = imageHeight;
  image.bitsStored = 14;
  image.syntax = syntax;
  std::mt19937 rng(1);
  std::normal_distribution<double> noise(8000, 60);
  image.stored.reserve(static_cast<std::size_t>(imageWidth) * imageHeight);
  for (int i = 0; i < imageWidth * imageHeight; ++i) {
    image.stored.push_back(static_cast<std::int32_t>(noise(rng)));
  }
  // Written aside and renamed, so that an interrupted run leaves no half file to reuse.
  std::filesystem::path partial = file;
  partial += ".part";
  dicom_test::WriteDicomFile(image, partial);
  std::filesystem::rename(partial, file);
  return file;
}

void BM_RoiStatistics200x200(benchmark::State& state) {
  std::vector<std::uint16_t> values(static_cast<std::size_t>(imageWidth) * imageHeight);
  std::mt19937 rng(2);
  for (std::uint16_t& value : values) value = static_cast<std::uint16_t>(rng() & 0x3FFF);
  const imaging::PixelView image{imageWidth, imageHeight, values, 0};
  const imaging::Rescale rescale{calc::fromInt64(1), calc::fromInt64(0)};
  const imaging::Roi roi{imageWidth / 2 - 100, imageHeight / 2 - 100, 200, 200};
  for (auto _ : state) {
    benchmark::DoNotOptimize(imaging::MeasureRoi(image, rescale, roi));
  }
}
BENCHMARK(BM_RoiStatistics200x200)->Unit(benchmark::kMicrosecond);

bool gdcmReadAndDecode(const std::string& file) {
  gdcm::ImageReader reader;
  reader.SetFileName(file.c_str());
  if (!reader.Read()) return false;
  std::vector<char> buffer(reader.GetImage().GetBufferLength());
  const bool decoded = reader.GetImage().GetBuffer(buffer.data());
  benchmark::DoNotOptimize(buffer.data());
  return decoded;
}

// GDCM alone: read the file and decode its pixels into a buffer, in this process. From the
// second round on the allocator hands back memory already in use, which a program opening a
// file does not have.
void BM_GdcmReadAndDecode(benchmark::State& state) {
  gdcm::Trace::SetWarning(false);
  const auto syntax = static_cast<dicom_test::TransferSyntax>(state.range(0));
  const std::string file = benchFile(syntax).string();
  for (auto _ : state) {
    if (!gdcmReadAndDecode(file)) state.SkipWithError("GDCM cannot read the file");
  }
  state.SetLabel(std::string(dicom_test::SyntaxName(syntax)));
}

// The same in a fresh process each round, as in a program that opens the file: the reference
// for opening in Quantelo, which decodes in a fresh child process too.
void BM_GdcmReadAndDecodeFresh(benchmark::State& state) {
  gdcm::Trace::SetWarning(false);
  const auto syntax = static_cast<dicom_test::TransferSyntax>(state.range(0));
  const std::string file = benchFile(syntax).string();
  for (auto _ : state) {
    const pid_t child = fork();
    if (child == 0) _exit(gdcmReadAndDecode(file) ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("GDCM failed");
  }
  state.SetLabel(std::string(dicom_test::SyntaxName(syntax)));
}

// Quantelo's reading alone: the file read, checked and decoded in the helper program, the pixels
// mapped into this process.
void BM_ReadDicomImage(benchmark::State& state) {
  const auto syntax = static_cast<dicom_test::TransferSyntax>(state.range(0));
  const std::filesystem::path file = benchFile(syntax);
  for (auto _ : state)
    benchmark::DoNotOptimize(imaging::ReadDicomImage(file).pixels().values.data());
  state.SetLabel(std::string(dicom_test::SyntaxName(syntax)));
}

// Until the first picture of the exposure is in hand: a JPEG 2000 file's reduced one, any other
// file's image itself.
void BM_FirstPicture(benchmark::State& state) {
  const auto syntax = static_cast<dicom_test::TransferSyntax>(state.range(0));
  const std::filesystem::path file = benchFile(syntax);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::optional<std::chrono::steady_clock::time_point> first;
    imaging::ReadDicomImage(file, nullptr, [&](imaging::DicomImage) {
      if (!first) first = std::chrono::steady_clock::now();
    });
    if (!first) first = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(*first - start).count());
  }
  state.SetLabel(std::string(dicom_test::SyntaxName(syntax)));
}

// Quantelo: read, decode, open the measuring window and paint it once.
void BM_OpenToFirstPaint(benchmark::State& state) {
  const auto syntax = static_cast<dicom_test::TransferSyntax>(state.range(0));
  const std::filesystem::path file = benchFile(syntax);
  for (auto _ : state) {
    MeasureWindow window(imaging::ReadDicomImage(file), QString::fromStdString(file.string()));
    window.resize(1000, 700);
    window.show();
    benchmark::DoNotOptimize(window.grab());
  }
  state.SetLabel(std::string(dicom_test::SyntaxName(syntax)));
}

// The longest the window's thread goes without handling events while a file opens in the
// background, is surveyed, shown in the measuring window, painted and placed: a timer ticks
// every millisecond, and the longest gap between ticks is the counter longest_block_ms.
void BM_WindowThreadLongestBlock(benchmark::State& state) {
  const auto syntax = static_cast<dicom_test::TransferSyntax>(state.range(0));
  const std::filesystem::path file = benchFile(syntax);
  double longest = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    qint64 last = 0, gap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      gap = std::max(gap, clock.elapsed() - last);
      last = clock.elapsed();
    });
    ticker.start(1);
    clock.start();
    std::optional<measure::OpenedImage> opened =
        measure::OpenImage(QString::fromStdString(file.string()), nullptr);
    MeasureWindow window(std::move(opened->image), QString::fromStdString(file.string()), nullptr,
                         std::move(opened->survey));
    window.resize(1000, 700);
    window.show();
    while (window.placementPending())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    longest = std::max(longest, static_cast<double>(gap));
  }
  state.counters["longest_block_ms"] = longest;
  state.SetLabel(std::string(dicom_test::SyntaxName(syntax)));
}

constexpr int Formats[] = {
    static_cast<int>(dicom_test::TransferSyntax::ExplicitLittleEndian),
    static_cast<int>(dicom_test::TransferSyntax::JpegLossless),
    static_cast<int>(dicom_test::TransferSyntax::JpegLsLossless),
    static_cast<int>(dicom_test::TransferSyntax::Jpeg2000Lossless),
    static_cast<int>(dicom_test::TransferSyntax::Rle),
};
void EveryFormat(benchmark::internal::Benchmark* benchmark) {
  for (const int format : Formats) benchmark->Arg(format);
  benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}
BENCHMARK(BM_GdcmReadAndDecode)->Apply(EveryFormat);
BENCHMARK(BM_GdcmReadAndDecodeFresh)->Apply(EveryFormat);
BENCHMARK(BM_ReadDicomImage)->Apply(EveryFormat);
BENCHMARK(BM_FirstPicture)->Apply([](benchmark::internal::Benchmark* benchmark) {
  for (const int format : Formats) benchmark->Arg(format);
  benchmark->Unit(benchmark::kMillisecond)->UseManualTime();
});
BENCHMARK(BM_OpenToFirstPaint)->Apply(EveryFormat);
BENCHMARK(BM_WindowThreadLongestBlock)->Apply(EveryFormat);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (const char* size = std::getenv("QUANTELO_BENCH_IMAGE")) {
    std::sscanf(size, "%dx%d", &imageWidth, &imageHeight);
  }
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// One keystroke in the main window as the user sees it: the key event, the change handler
// (check, colour, calculation, picture) and the repaint of the changed and the result field.
#include <benchmark/benchmark.h>

#include <QTest>

#include "application.h"
#include "calc/fpu.h"
#include "tform1.h"
#include "tform2.h"
#include "toolkit/labeled_edit.h"

namespace {

TForm1* form = nullptr;

void BM_KeystrokeInMainWindow(benchmark::State& state) {
  toolkit::TLabeledEdit* field = form->LabeledEdit4;
  for (auto _ : state) {
    // Backspace and the same digit again: two keystrokes, the field ends as it began.
    QTest::keyClick(field, Qt::Key_Backspace);
    field->repaint();
    form->LabeledEdit5->repaint();
    QTest::keyClick(field, Qt::Key_4);
    field->repaint();
    form->LabeledEdit5->repaint();
  }
  state.SetItemsProcessed(2 * state.iterations());
  state.counters["per_keystroke_us"] = benchmark::Counter(
      2 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeystrokeInMainWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  calc::Fpu fpu;
  TApplication application(argc, argv, fpu);
  TForm2 help;
  TForm1 mainWindow(fpu, help);
  mainWindow.show();
  for (auto [field, text] : {std::pair{mainWindow.LabeledEdit1, "512.3"},
                             {mainWindow.LabeledEdit2, "12.1"},
                             {mainWindow.LabeledEdit3, "498.7"},
                             {mainWindow.LabeledEdit4, "11.4"}}) {
    QTest::keyClicks(field, text);
  }
  form = &mainWindow;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

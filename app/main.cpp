// Program entry: the floating-point unit first, then the units' start-up actions in dependency
// order, the windows, the message loop, and the finishing actions in reverse order.
#include <QStringList>
#include <QTimer>
#include <span>

#include "about/component_library.h"
#include "application.h"
#include "calc/fpu.h"
#include "langsupp/lang_strings.h"
#include "tform1.h"
#include "tform2.h"
#include "toolkit/event_dispatch.h"
#include "toolkit/toolkit_startup.h"

namespace {

struct UnitActions {
  void (*startup)();  // null when the unit has nothing to do at start-up
  void (*finish)();
};

// Each unit after the units it depends on.
constexpr UnitActions Units[] = {
    {toolkit::ToolkitStartup, toolkit::ToolkitFinish},
    {nullptr, langsupp::LangSuppFinish},
    {about::ComponentLibraryStartup, about::ComponentLibraryFinish},
};

// Runs the start-up actions now and the finishing actions, in reverse, when it goes.
class RunningUnits {
 public:
  explicit RunningUnits(std::span<const UnitActions> units) : units_(units) {
    for (const UnitActions& unit : units_) {
      if (unit.startup != nullptr) unit.startup();
    }
  }
  ~RunningUnits() {
    for (auto unit = units_.rbegin(); unit != units_.rend(); ++unit) unit->finish();
  }
  RunningUnits(const RunningUnits&) = delete;
  RunningUnits& operator=(const RunningUnits&) = delete;

 private:
  std::span<const UnitActions> units_;
};

}  // namespace

int main(int argc, char* argv[]) {
  calc::Fpu processFpu;
  processFpu.reset(calc::DefaultFpuControlWord);
  TApplication application(argc, argv, processFpu);
  RunningUnits units(Units);

  TForm2 help;
  TForm1 main(processFpu, help);
  main.show();
  // "quantelo FILE" measures the file as soon as the loop runs.
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() > 1) {
    QTimer::singleShot(0, &main, [&main, path = arguments.at(1)] {
      toolkit::Dispatch([&main, &path] { main.openImage(path); });
    });
  }
  return application.exec();
}

#include "startup.h"

#include "about/component_library.h"
#include "langsupp/lang_strings.h"
#include "toolkit/toolkit_startup.h"

namespace {

constexpr UnitActions Units[] = {
    {toolkit::ToolkitStartup, toolkit::ToolkitFinish},
    {nullptr, langsupp::LangSuppFinish},
    {about::ComponentLibraryStartup, about::ComponentLibraryFinish},
};

}  // namespace

std::span<const UnitActions> ProgramUnits() {
  return Units;
}

RunningUnits::RunningUnits(std::span<const UnitActions> units) : units_(units) {
  for (const UnitActions& unit : units_) {
    if (unit.startup != nullptr) unit.startup();
  }
}

RunningUnits::~RunningUnits() {
  for (auto unit = units_.rbegin(); unit != units_.rend(); ++unit) unit->finish();
}

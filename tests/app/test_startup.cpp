// The units' start-up and finishing actions, as the program and these tests run them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/component_library.h"
#include "langsupp/lang_strings.h"
#include "startup.h"
#include "toolkit/toolkit_startup.h"

namespace {

std::vector<std::string> calls;

TEST(Startup, RunsUnitsInOrderAndFinishesThemInReverse) {
  const UnitActions units[] = {
      {[] { calls.push_back("start 1"); }, [] { calls.push_back("finish 1"); }},
      {nullptr, [] { calls.push_back("finish 2"); }},
      {[] { calls.push_back("start 3"); }, [] { calls.push_back("finish 3"); }},
  };
  calls.clear();
  {
    const RunningUnits running(units);
    EXPECT_EQ(calls, (std::vector<std::string>{"start 1", "start 3"}));
  }
  EXPECT_EQ(calls,
            (std::vector<std::string>{"start 1", "start 3", "finish 3", "finish 2", "finish 1"}));
}

// Each unit after those it depends on: the toolkit's settings come before anything else.
TEST(Startup, TheProgramsUnitsInDependencyOrder) {
  const auto units = ProgramUnits();
  ASSERT_EQ(units.size(), 3u);
  EXPECT_EQ(units[0].startup, &toolkit::ToolkitStartup);
  EXPECT_EQ(units[0].finish, &toolkit::ToolkitFinish);
  EXPECT_EQ(units[1].startup, nullptr);
  EXPECT_EQ(units[1].finish, &langsupp::LangSuppFinish);
  EXPECT_EQ(units[2].startup, &about::ComponentLibraryStartup);
  EXPECT_EQ(units[2].finish, &about::ComponentLibraryFinish);
}

}  // namespace

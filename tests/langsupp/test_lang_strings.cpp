// Numbered strings: from the test program's own table (strings.txt), from an assigned module,
// and the release of that module at the unit's finish.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

#include <limits>

#include "langsupp/lang_strings.h"
#include "langsupp/tag.h"
#include "langsupp/translate_form.h"
#include "tests/toolkit/qt_print.h"

namespace langsupp {
namespace {

// Modules built beside the tests: one with its own strings, one with an empty table.
constexpr const char* TestModule = LANG_TEST_MODULE;
constexpr const char* EmptyModule = LANG_EMPTY_MODULE;

bool isLoaded(const char* path) {
  void* const module = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (module == nullptr) return false;
  dlclose(module);
  return true;
}

class LangStringsTest : public testing::Test {
 protected:
  void TearDown() override { LangSuppFinish(); }
};

TEST_F(LangStringsTest, TheProgramsOwnStringsByNumber) {
  const QString grinning = QString::fromUtf8("\xF0\x9F\x98\x80");
  struct Case {
    int id;
    QString text;
  };
  const Case cases[] = {
      {10, "Ten"},
      {11, "Eleven"},
      {12, ""},  // no such string
      {0, ""},
      {20, QString(254, 'x')},  // 300 characters in the table
      {21, QString(254, 'y')},
      {22, QString(254, 'z')},
      {23, QString(253, 'a')},  // the pair would be split: it goes whole
      {24, QString(252, 'a') + grinning},
      {25, QString::fromUtf8("Über \"Größe\" \\n C:\\temp\\ ?? \t tab")},
      {26, "Twelve"},
      {std::numeric_limits<int>::max(), "Largest"},
      {std::numeric_limits<int>::min(), "Smallest"},
      {-5, "Minus five"},
      {-6, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadLangString(c.id), c.text) << c.id;
  }
}

TEST_F(LangStringsTest, AnAssignedModulesStringsUntilTheFinish) {
  ASSERT_TRUE(SetLangModule(TestModule));
  struct Case {
    int id;
    const char* text;
  };
  const Case cases[] = {{10, "Zehn"}, {11, "Elf"}, {20, ""}, {25, ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(LoadLangString(c.id), c.text) << c.id;
  }
  QWidget form;
  auto* label = new QLabel("before", &form);
  SetTag(label, 10);
  TranslateForm(&form);
  EXPECT_EQ(label->text(), "Zehn");
  EXPECT_EQ(label->toolTip(), "Elf");

  LangSuppFinish();
  EXPECT_FALSE(isLoaded(TestModule));
  EXPECT_EQ(LoadLangString(10), "Ten");
}

TEST_F(LangStringsTest, AssigningAnotherModuleReleasesTheOneBefore) {
  ASSERT_TRUE(SetLangModule(TestModule));
  ASSERT_TRUE(SetLangModule(EmptyModule));
  EXPECT_FALSE(isLoaded(TestModule));
  EXPECT_TRUE(isLoaded(EmptyModule));
  EXPECT_EQ(LoadLangString(10), "");
}

TEST_F(LangStringsTest, AModuleWithoutStringsGivesEmptyTexts) {
  // The empty table, and a library that carries no table at all.
  for (const char* module : {EmptyModule, "libm.so.6"}) {
    SCOPED_TRACE(module);
    ASSERT_TRUE(SetLangModule(module));
    for (const int id : {0, 10, 11, std::numeric_limits<int>::max()}) {
      EXPECT_EQ(LoadLangString(id), "") << id;
    }
  }
}

TEST_F(LangStringsTest, AModuleThatCannotBeLoadedChangesNothing) {
  EXPECT_FALSE(SetLangModule("no-such-module.so"));
  EXPECT_EQ(LoadLangString(10), "Ten");
  ASSERT_TRUE(SetLangModule(TestModule));
  EXPECT_FALSE(SetLangModule("no-such-module.so"));
  EXPECT_EQ(LoadLangString(10), "Zehn");
}

TEST_F(LangStringsTest, TheFinishWithoutAnAssignedModuleKeepsTheProgramsStrings) {
  LangSuppFinish();
  EXPECT_EQ(LoadLangString(10), "Ten");
}

}  // namespace
}  // namespace langsupp

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/PathResolver.h"

using namespace qm::platform;

namespace {

struct PathCase {
  const char* relative;
  const char* expected;  // relative to the root; "" for a refused name
};

class PathResolve : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathResolve, FindsFilesInsideTheRootOnly) {
  QTemporaryDir top;
  QDir(top.path()).mkpath("Tavrel/Big");
  QDir(top.path()).mkpath("Tavrel/Mixed");
  for (const char* name : {"Tavrel/Big/a.png", "Tavrel/Mixed/Pic.PNG", "secret.png"}) {
    QFile f(top.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QString root = top.filePath("Tavrel");
  const QString expected = *GetParam().expected ? root + "/" + GetParam().expected : QString();
  EXPECT_EQ(ResolveRelativePath(root, GetParam().relative), expected) << GetParam().relative;
  EXPECT_EQ(ResolveRelativePath(root + "/", GetParam().relative), expected) << "root with /";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathResolve,
    ::testing::Values(PathCase{"Big\\a.png", "Big/a.png"}, PathCase{"Big/a.png", "Big/a.png"},
                      PathCase{"big\\A.PNG", "Big/a.png"},
                      PathCase{"MIXED\\pic.png", "Mixed/Pic.PNG"},
                      PathCase{"Big\\missing.png", "Big/missing.png"},
                      PathCase{"Nope\\a.png", "Nope/a.png"}, PathCase{"..\\secret.png", ""},
                      PathCase{"Big\\..\\..\\secret.png", ""}, PathCase{"Big\\.\\a.png", ""},
                      PathCase{"\\secret.png", ""}, PathCase{"/etc/passwd", ""},
                      PathCase{"Big\\\\a.png", ""}, PathCase{"Big\\", ""}, PathCase{"", ""}));

}  // namespace

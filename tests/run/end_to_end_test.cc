// The window program under a virtual display: START, the path typed into the file dialog,
// and the certificate file it writes beside the program. A screenshot of the window after
// the run is kept as build/end_to_end.png.
#include <gtest/gtest.h>

#include "tests/run/run_fixture.h"
#include "tests/support/oracle.h"

namespace {

namespace fs = std::filesystem;

TEST(EndToEnd, StartPickTheDatabaseAndGetTheCertificateFile) {
  const fs::path program = testsupport::buildDir() / "tarvo-extractor";
  if (!fs::exists(program)) GTEST_SKIP() << "the window program is not built";
  runtest::RunFixture f;
  // The certificate file goes beside the program, so the program runs from a copy.
  const fs::path copy = f.program() / "tarvo-extractor";
  fs::copy_file(program, copy);
  runtest::writeSourceDb(f.source(), runtest::simpleSource(3, 4));
  const fs::path shot = testsupport::buildDir() / "end_to_end.png";
  const auto r = testsupport::runTool(
      {"xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -dpi 96",
       (testsupport::sourceDir() / "tests/run/end_to_end.sh").string(), copy.string(),
       f.source().string(), shot.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.find("BOX:"), std::string::npos) << r.out;
  ASSERT_TRUE(fs::is_regular_file(f.cert(u"L-1"))) << r.out << r.err;
  const auto rows = runtest::readCertRows(f.cert(u"L-1"));
  EXPECT_EQ(rows.size(), 7u);
  EXPECT_TRUE(fs::is_regular_file(shot));
}

}  // namespace

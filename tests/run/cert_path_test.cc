// The certificate file's path: joined with the platform's separator, and never anywhere
// but the program directory whatever the licence number holds.
#include <gtest/gtest.h>

#include "run/cert_path.h"
#include "run/failure_rule.h"

#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(CertPath, JoinsTheProgramDirectoryAndTheLicence) {
  const fs::path dir = fs::path("programs") / "tarvo extractor";
  const fs::path p = run::certificatePath(dir, u"L-918113");
  EXPECT_EQ(p.parent_path(), dir);
  EXPECT_EQ(p.filename(), fs::path("L-918113.mdb"));
  EXPECT_EQ(p.native(), (dir.native() + fs::path::preferred_separator + fs::path("L-918113.mdb").native()));
  // A Null licence gives the empty text and so the file ".mdb", still in the directory.
  EXPECT_EQ(run::certificatePath(dir, u"").filename(), fs::path(".mdb"));
  EXPECT_EQ(run::certificatePath(dir, u"").parent_path(), dir);
}

TEST(CertPath, OrdinaryLicenceNumbersAreAccepted) {
  for (std::u16string licence : {u"L-918113", u" L 1 ", u"COM10", u"CONTROL", u"Lic\u00e9nce",
                                 u"A.B", u"...x", u"NULL"}) {
    EXPECT_FALSE(run::licenceNameProblem(licence).has_value()) << std::string(licence.begin(), licence.end());
  }
}

TEST(CertPath, LicenceNumbersThatLeaveThePlainFileNameAreRefused) {
  for (std::u16string licence : std::vector<std::u16string>{u"../../etc/x", u"a/b", u"..\\x", u"C:x", u"x*", u"x?", u"a\"b", u"<x>", u"a|b",
        u"a\nb", std::u16string(u"a\0b", 3), u"\x7f", u".", u"..", u"CON", u"con", u"nul.txt",
        u"COM1", u"lpt9", u"AUX ", u"PRN."}) {
    EXPECT_TRUE(run::licenceNameProblem(licence).has_value()) << std::string(licence.begin(), licence.end());
  }
}

TEST(CertPath, ARefusedLicenceFailsWithAClearMessage) {
  try {
    (void)run::certificatePath("dir", u"../evil");
    FAIL() << "no failure";
  } catch (const run::RunError& e) {
    EXPECT_EQ(e.number(), run::kBadFileName);
    EXPECT_EQ(std::string(e.what()),
              "The licence number \"../evil\" cannot name the certificate file: it holds a "
              "path separator.");
  }
}

}  // namespace

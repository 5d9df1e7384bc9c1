// FieldExists and AddNewField on real files: their answers, their silent cases and their
// own message boxes.
#include <gtest/gtest.h>

#include "certfile/create.h"
#include "certfile/upgrade.h"
#include "tests/certfile/certfile_fixture.h"
#include "tests/support/paths.h"

namespace {

namespace fs = std::filesystem;
using certtest::Recorder;

fs::path copyGenerated(const testsupport::TempDir& dir, const std::string& name) {
  const fs::path to = dir / name;
  fs::copy_file(testsupport::sharedDir() / "corpus" / "generated" / name, to);
  return to;
}

int rowCount(data::Connection& cn) {
  data::Recordset rs;
  rs.open(u"SELECT * FROM Tarvo_Certs", cn, data::adOpenStatic, data::adLockOptimistic, data::adCmdText);
  return rs.recordCount();
}

TEST(FieldExists, AnswersFromTheFieldListCaseSensitively) {
  testsupport::TempDir dir;
  Recorder box;
  data::Connection full = certtest::openFile(copyGenerated(dir, "cert_reference.mdb"));
  ASSERT_GT(rowCount(full), 0);
  EXPECT_TRUE(certfile::FieldExists(full, u"Tarvo_Certs", u"Type", box));
  EXPECT_TRUE(certfile::FieldExists(full, u"Tarvo_Certs", u"RecID", box));  // the first field
  EXPECT_FALSE(certfile::FieldExists(full, u"Tarvo_Certs", u"type", box));
  EXPECT_FALSE(certfile::FieldExists(full, u"Tarvo_Certs", u"Type ", box));

  const fs::path fresh = dir / "empty.mdb";
  certfile::CreateAccessDatabase(fresh.u16string());
  certfile::CreateAccessTable(fresh.u16string());
  data::Connection empty = certtest::openFile(fresh);
  EXPECT_TRUE(certfile::FieldExists(empty, u"Tarvo_Certs", u"Type", box));  // no rows, same answer
  EXPECT_TRUE(box.boxes.empty());
}

TEST(FieldExists, AMissingTableOrColumnAnswersFalseSilently) {
  testsupport::TempDir dir;
  Recorder box;
  data::Connection old = certtest::openFile(copyGenerated(dir, "cert_without_type.mdb"));
  EXPECT_FALSE(certfile::FieldExists(old, u"Tarvo_Certs", u"Type", box));
  EXPECT_FALSE(certfile::FieldExists(old, u"No_Such_Table", u"Type", box));
  EXPECT_TRUE(box.boxes.empty());
}

TEST(FieldExists, OtherFailuresShowAnErrorNotice) {
  testsupport::TempDir dir;
  Recorder box;
  data::Connection closed;  // never opened: the record set cannot open on it
  EXPECT_FALSE(certfile::FieldExists(closed, u"Tarvo_Certs", u"Type", box));
  ASSERT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(box.boxes[0].title, u"Error Notice");
  EXPECT_EQ(box.boxes[0].text.substr(0, 7), u"Error: ");
  EXPECT_NE(box.boxes[0].text.find(u" - "), std::u16string::npos);
}

TEST(AddNewField, AddsTheColumnSoASecondQueryFindsIt) {
  testsupport::TempDir dir;
  Recorder box;
  const fs::path file = copyGenerated(dir, "cert_without_type.mdb");
  {
    data::Connection cn = certtest::openFile(file);
    const int rows = rowCount(cn);
    certfile::AddNewField(cn, u"Tarvo_Certs", u"Type", u"String", box);
    EXPECT_TRUE(box.boxes.empty());
    EXPECT_TRUE(certfile::FieldExists(cn, u"Tarvo_Certs", u"Type", box));
    EXPECT_EQ(rowCount(cn), rows);  // the rows are kept
  }
  data::Connection again = certtest::openFile(file);
  EXPECT_TRUE(certfile::FieldExists(again, u"Tarvo_Certs", u"Type", box));
  EXPECT_TRUE(box.boxes.empty());
}

TEST(AddNewField, AFailureShowsNumberDashDescriptionAndReturns) {
  testsupport::TempDir dir;
  Recorder box;
  const fs::path file = dir / "no_table.mdb";
  certfile::CreateAccessDatabase(file.u16string());
  data::Connection cn = certtest::openFile(file);
  EXPECT_FALSE(certfile::FieldExists(cn, u"Tarvo_Certs", u"Type", box));
  EXPECT_TRUE(box.boxes.empty());
  certfile::AddNewField(cn, u"Tarvo_Certs", u"Type", u"String", box);
  ASSERT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(box.boxes[0].title, u"Error in AddNewField");
  // The number comes first, negative ones with their sign, then "-" with no blanks.
  const auto& text = box.boxes[0].text;
  const size_t dash = text.find(u'-', 1);
  ASSERT_NE(dash, std::u16string::npos);
  for (size_t i = text[0] == u'-' ? 1 : 0; i < dash; ++i) EXPECT_TRUE(text[i] >= u'0' && text[i] <= u'9') << i;
  EXPECT_NE(text[dash + 1], u' ');
}

}  // namespace

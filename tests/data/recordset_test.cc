#include "data/recordset.h"

#include <gtest/gtest.h>

#include "tests/data/data_test_support.h"

namespace {

using namespace datatest;

TEST(RecordsetTest, StaticCursorLifeCycle) {
  data::Connection cn = openSample();
  data::Recordset rs;
  EXPECT_EQ(rs.state(), data::adStateClosed);
  rs.setActiveConnection(cn);
  rs.setCursorType(data::adOpenStatic);
  rs.setSource(u"SELECT ID, LName FROM Roster");
  rs.open();
  EXPECT_EQ(rs.state(), data::adStateOpen);
  // The count is exact before any move, and stays so while moving.
  const int count = rs.recordCount();
  ASSERT_GT(count, 1);
  EXPECT_EQ(rs.fields().count(), 2);
  EXPECT_EQ(rs.fields().item(0).name(), u"ID");
  EXPECT_EQ(rs.fields().item(1).type(), data::adVarWChar);
  EXPECT_EQ(rs.fields().item(0).type(), data::adInteger);
  int seen = 0;
  while (!rs.eof()) {
    EXPECT_FALSE(rs.field(u"id").value().isNull());  // names without regard to case
    EXPECT_EQ(rs.field(u"ID").value(), rs.fields().item(0).value());
    rs.moveNext();
    ++seen;
  }
  EXPECT_EQ(seen, count);
  EXPECT_EQ(rs.recordCount(), count);
  // Past the last row there is no current row.
  EXPECT_EQ(errorOf([&] { rs.field(u"LName").value(); }), data::errc::kNoCurrentRecord);
  EXPECT_EQ(errorOf([&] { rs.moveNext(); }), data::errc::kNoCurrentRecord);
  rs.moveFirst();
  EXPECT_FALSE(rs.eof());
  rs.close();
  EXPECT_EQ(rs.state(), data::adStateClosed);
  for (auto use : std::vector<std::function<void()>>{
           [&] { rs.recordCount(); }, [&] { rs.fields(); }, [&] { rs.moveNext(); },
           [&] { rs.close(); }, [&] { rs.addNew(); }, [&] { rs.updateBatch(); }}) {
    EXPECT_EQ(errorOf(use), data::errc::kObjectClosed);
  }
  // A Field taken before the close does not outlive it.
  rs.open();
  data::Field held = rs.fields().item(0);
  rs.close();
  EXPECT_EQ(errorOf([&] { held.value(); }), data::errc::kObjectClosed);
  // Nor a reopening on another source with fewer fields.
  rs.open(u"SELECT LName FROM Roster");
  data::Field second = rs.fields().item(0);
  EXPECT_EQ(errorOf([&] { held.name(); }), data::errc::kObjectClosed);
  EXPECT_EQ(second.name(), u"LName");
}

TEST(RecordsetTest, EmptyResultHasItsFieldsButNoCurrentRow) {
  data::Connection cn = openSample();
  data::Recordset rs;
  rs.open(u"SELECT * FROM Roster WHERE ID <> ID", cn, data::adOpenKeyset, data::adLockOptimistic, data::adCmdText);
  EXPECT_EQ(rs.recordCount(), 0);
  EXPECT_TRUE(rs.eof());
  EXPECT_TRUE(rs.bof());
  EXPECT_GT(rs.fields().count(), 3);
  EXPECT_EQ(rs.fields().item(3).name(), u"LName");
  EXPECT_EQ(errorOf([&] { rs.fields().item(0).value(); }), data::errc::kNoCurrentRecord);
}

TEST(RecordsetTest, LeftOutArgumentsTakeTheProperties) {
  data::Connection cn = openSample();
  data::Recordset rs = openThroughProperties(cn, u"SELECT * FROM Control");
  EXPECT_EQ(rs.recordCount(), 1);
  EXPECT_TRUE(rs.activeConnection().sameObject(cn));
  EXPECT_EQ(rs.lockType(), data::adLockOptimistic);
  EXPECT_EQ(errorOf([&] { rs.open(); }), data::errc::kObjectOpen);
  rs.close();
  // Reopened on a text: keeps its connection and settings.
  rs.open(u"SELECT * FROM Roster");
  EXPECT_GT(rs.recordCount(), 1);
  EXPECT_EQ(rs.cursorType(), data::adOpenStatic);
}

TEST(RecordsetTest, FailuresCarryAdoNumbers) {
  data::Connection cn = openSample();
  auto openFails = [&](const std::u16string& sql) {
    data::Recordset rs;
    rs.setActiveConnection(cn);
    int n = errorOf([&] { rs.open(sql); });
    EXPECT_EQ(rs.state(), data::adStateClosed);
    return n;
  };
  EXPECT_EQ(openFails(u"SELECT * FROM Tarvo_Certs"), data::errc::kTableNotFound);
  EXPECT_EQ(openFails(u"SELECT * FROM Roster WHERE"), data::errc::kSyntaxError);
  EXPECT_EQ(openFails(u"ALTER TABLE Roster ADD COLUMN x Text"), data::errc::kSyntaxError);

  data::Recordset noConnection;
  EXPECT_EQ(errorOf([&] { noConnection.open(u"SELECT * FROM Roster"); }), data::errc::kNoConnection);
  data::Connection closed;
  noConnection.setActiveConnection(closed);
  EXPECT_EQ(errorOf([&] { noConnection.open(u"SELECT * FROM Roster"); }), data::errc::kNoConnection);

  data::Recordset rs;
  rs.open(u"SELECT * FROM Roster", cn);
  EXPECT_EQ(errorOf([&] { rs.field(u"Nope"); }), data::errc::kItemNotFound);
  EXPECT_EQ(errorOf([&] { rs.collect(u"Nope"); }), data::errc::kItemNotFound);
  EXPECT_EQ(rs.collect(u"lname"), rs.field(u"LName").value());
  EXPECT_EQ(errorOf([&] { rs.fields().item(99); }), data::errc::kItemNotFound);
  EXPECT_EQ(errorOf([&] { rs.fields().item(-1); }), data::errc::kItemNotFound);
  // The default lock type is read-only: no rows can be added.
  EXPECT_EQ(errorOf([&] { rs.addNew(); }), data::errc::kNotSupported);
  // Nor to a join.
  data::Recordset joined;
  joined.open(u"SELECT Roster.ID FROM Roster INNER JOIN Control ON Roster.License = Control.License_Nbr",
              cn, data::adOpenStatic, data::adLockOptimistic);
  EXPECT_EQ(errorOf([&] { joined.addNew(); }), data::errc::kNotSupported);
  // Stored rows are not written.
  data::Recordset editable;
  editable.open(u"SELECT * FROM Roster", cn, data::adOpenStatic, data::adLockOptimistic);
  EXPECT_EQ(errorOf([&] { editable.field(u"LName").setValue(std::u16string(u"x")); }),
            data::errc::kNotSupported);
  EXPECT_EQ(errorOf([&] { editable.setCollect(u"LName", std::u16string(u"x")); }), data::errc::kNotSupported);
}

// Look-ups by name remember where they found a name; one buffer holding name after name, in
// any case, must still find each, the first of equal names, and nothing for an unknown one.
TEST(RecordsetTest, NamesLookedUpFromOneBufferFindTheirOwnFields) {
  data::Connection cn = openSample();
  data::Recordset rs;
  rs.open(u"SELECT ID, LName, FName, LName AS Other, Email FROM Roster", cn);
  std::u16string name;
  name.reserve(32);
  const char16_t* const at = name.data();
  auto find = [&](std::u16string_view text) {
    name.assign(text);
    EXPECT_EQ(name.data(), at);  // the same place every time
    return rs.field(name).name();
  };
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(find(u"LName"), u"LName");
    EXPECT_EQ(find(u"FName"), u"FName");
    EXPECT_EQ(find(u"fname"), u"FName");
    EXPECT_EQ(find(u"OTHER"), u"Other");
    EXPECT_EQ(find(u"email"), u"Email");
    name.assign(u"Nope");
    EXPECT_EQ(errorOf([&] { rs.field(name); }), data::errc::kItemNotFound);
  }
  // Of two fields with one name the first is found, whatever was asked before.
  rs.close();
  rs.open(u"SELECT Email AS Dup, LName AS Dup, FName FROM Roster", cn);
  EXPECT_EQ(find(u"FName"), u"FName");
  EXPECT_EQ(find(u"dup"), u"Dup");
  EXPECT_EQ(rs.field(name).value(), rs.fields().item(0).value());
  // Reopened on other fields, the same names give the new positions.
  rs.close();
  rs.open(u"SELECT FName, LName FROM Roster", cn);
  EXPECT_EQ(find(u"LName"), u"LName");
  EXPECT_EQ(rs.field(name).value(), rs.fields().item(1).value());
  EXPECT_EQ(find(u"FNAME"), u"FName");
  EXPECT_EQ(rs.field(name).value(), rs.fields().item(0).value());
}

}  // namespace

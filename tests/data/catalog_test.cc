// The ADOX object model before anything is written: shared Table and Column objects,
// provider properties that exist only under a parent catalog, and refused definitions.
#include "data/catalog.h"

#include <gtest/gtest.h>

#include "tests/data/data_test_support.h"

namespace {

using datatest::errorOf;

TEST(CatalogObjectsTest, ColumnsAreSharedAndPropertiesNeedAParentCatalog) {
  data::Catalog catalog;
  data::Table table;
  table.setName(u"Tarvo_Certs");
  data::Column recId;
  EXPECT_EQ(errorOf([&] { recId.properties().item(u"Autoincrement"); }), data::errc::kItemNotFound);
  recId.setParentCatalog(catalog);
  recId.setType(data::adInteger);
  recId.setName(u"RecID");
  recId.properties().item(u"Autoincrement").setValue(true);
  recId.properties().item(u"Description").setValue(std::u16string(u"Autoincrement Record ID"));
  EXPECT_EQ(recId.properties().item(u"autoincrement").value(), data::Value(true));
  EXPECT_EQ(errorOf([&] { recId.properties().item(u"Colour"); }), data::errc::kItemNotFound);
  EXPECT_EQ(errorOf([&] { recId.properties().item(u"Autoincrement").setValue(std::u16string(u"yes")); }),
            data::errc::kTypeMismatch);
  table.columns().append(recId);
  table.columns().append(u"Email", data::adVarWChar);
  table.columns().append(u"Date", data::adDate);

  // Looking a column up gives the table's own column object.
  table.columns().item(u"email").setAttributes(data::adColNullable);
  EXPECT_EQ(table.columns().item(1).attributes(), data::adColNullable);
  EXPECT_EQ(table.columns().item(1).type(), data::adVarWChar);
  EXPECT_EQ(table.columns().count(), 3);

  EXPECT_EQ(errorOf([&] { table.columns().item(u"Nope"); }), data::errc::kItemNotFound);
  EXPECT_EQ(errorOf([&] { table.columns().append(u"EMAIL", data::adVarWChar); }), data::errc::kBadArguments);
  EXPECT_EQ(errorOf([&] { table.columns().append(recId); }), data::errc::kBadArguments);
  EXPECT_EQ(errorOf([&] { table.columns().append(u"X", 9999); }), data::errc::kBadArguments);
  EXPECT_EQ(errorOf([&] { recId.setAttributes(8); }), data::errc::kBadArguments);
  // Nothing to write to without a connection.
  EXPECT_EQ(errorOf([&] { catalog.tables().append(table); }), data::errc::kNoConnection);
}

}  // namespace

// A path reaches the engine intact through a connection string, whatever it holds.
#include <gtest/gtest.h>

#include "certfile/data_source.h"
#include "data/connection_string.h"

namespace {

TEST(DataSource, PlainPathsGoInUnchanged) {
  EXPECT_EQ(certfile::dataSourceValue(u"/home/office/tarvo data.mdb"), u"/home/office/tarvo data.mdb");
  EXPECT_EQ(certfile::dataSourceValue(u"C:\\Tarvo\\tarvo.mdb"), u"C:\\Tarvo\\tarvo.mdb");
  EXPECT_EQ(certfile::dataSourceValue(u""), u"");
}

TEST(DataSource, EveryPathSurvivesTheConnectionStringParser) {
  for (std::u16string path : {u"/a;b/tarvo.mdb", u"/o'brien/tarvo.mdb", u"/say \"hi\"/tarvo.mdb",
                              u"/x;Jet OLEDB:Database Password=evil;/tarvo.mdb", u" lead.mdb",
                              u"trail.mdb ", u"/both'\";mixed\"\"/t.mdb", u"/plain/tarvo.mdb"}) {
    const std::u16string text = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                                certfile::dataSourceValue(path) +
                                u";Jet OLEDB:Database Password=KRVNDQLT-58203;Mode=Read|Write";
    const auto cs = data::ConnectionString::parse(text);
    ASSERT_TRUE(cs.dataSource.has_value());
    EXPECT_EQ(*cs.dataSource, path);
    EXPECT_EQ(cs.password, std::u16string(u"KRVNDQLT-58203"));
  }
}

}  // namespace

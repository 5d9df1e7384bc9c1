// ALTER TABLE table ADD [COLUMN] column type [(size)] [NOT NULL]
#include "jet/sql/clause_parsers.h"

namespace jet::sql {

AddColumnStatement parseAlterTable(TokenStream& in) {
  AddColumnStatement a;
  in.expectWord(u"TABLE");
  a.table = in.expectName("a table name");
  if (in.peek().isWord(u"DROP") || in.peek().isWord(u"ALTER")) {
    in.fail("only ADD COLUMN is supported");
  }
  in.expectWord(u"ADD");
  if (in.peek().isWord(u"CONSTRAINT") || in.peek().isWord(u"PRIMARY")) {
    in.fail("constraints are not supported");
  }
  in.acceptWord(u"COLUMN");
  a.column = in.expectName("a column name");
  a.type = parseTypeSpec(in);
  if (in.acceptWord(u"NOT")) {
    in.expectWord(u"NULL");
    a.notNull = true;
  } else if (in.peek().isWord(u"NULL")) {
    in.next();  // the explicit default: Null allowed
  }
  if (in.acceptSymbol(u",")) in.fail("one column per ALTER TABLE is supported");
  return a;
}

}  // namespace jet::sql

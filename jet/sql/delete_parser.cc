// DELETE [*|table.*] FROM table [WHERE condition]
#include "jet/sql/clause_parsers.h"

namespace jet::sql {

DeleteStatement parseDelete(TokenStream& in) {
  DeleteStatement d;
  std::u16string target;
  if (!in.acceptSymbol(u"*") && !in.peek().isWord(u"FROM")) {
    target = in.expectName("* or FROM");
    in.expectSymbol(u".");
    in.expectSymbol(u"*");
  }
  in.expectWord(u"FROM");
  d.table = in.expectName("a table name");
  if (!target.empty() && target != d.table) {
    in.fail("DELETE names another table than FROM");
  }
  if (in.peek().isWord(u"INNER")) in.fail("DELETE from joined tables is not supported");
  if (in.acceptWord(u"WHERE")) d.where = parseExpression(in);
  return d;
}

}  // namespace jet::sql

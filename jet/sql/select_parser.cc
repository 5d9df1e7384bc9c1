// SELECT list FROM tables [WHERE condition]
//   list := * | item { , item }
//   item := table.* | [table.]column [AS alias]
#include "jet/sql/clause_parsers.h"

namespace jet::sql {

SelectStatement parseSelect(TokenStream& in) {
  SelectStatement s;
  if (in.peek().isWord(u"DISTINCT") || in.peek().isWord(u"DISTINCTROW") ||
      in.peek().isWord(u"TOP")) {
    in.fail("DISTINCT and TOP are not supported");
  }
  if (in.acceptSymbol(u"*")) {
    s.items.push_back({SelectItem::Kind::AllColumns, {}, {}});
  } else {
    do {
      SelectItem item;
      std::u16string first = in.expectName("a column name or *");
      if (in.acceptSymbol(u".")) {
        if (in.acceptSymbol(u"*")) {
          item.kind = SelectItem::Kind::AllOfTable;
          item.column.table = std::move(first);
          s.items.push_back(std::move(item));
          continue;
        }
        item.column.table = std::move(first);
        item.column.column = in.expectName("a column name after '.'");
      } else {
        item.column.column = std::move(first);
      }
      if (in.peek().isSymbol(u"(")) in.fail("functions are not supported");
      if (in.acceptWord(u"AS")) item.alias = in.expectName("a name after AS");
      s.items.push_back(std::move(item));
    } while (in.acceptSymbol(u","));
  }
  in.expectWord(u"FROM");
  s.from = parseFrom(in);
  if (in.acceptWord(u"WHERE")) s.where = parseExpression(in);
  if (in.peek().isWord(u"ORDER") || in.peek().isWord(u"GROUP") || in.peek().isWord(u"HAVING") ||
      in.peek().isWord(u"UNION")) {
    in.fail("ORDER BY, GROUP BY, HAVING and UNION are not supported");
  }
  return s;
}

}  // namespace jet::sql

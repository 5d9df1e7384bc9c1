// FROM tables:
//   from    := operand { INNER JOIN operand ON condition }
//   operand := ( from ) | table [[AS] alias]
// Jet writes nested joins in parentheses: a INNER JOIN (b INNER JOIN c ON ...) ON ...
#include "jet/sql/clause_parsers.h"

namespace jet::sql {
namespace {

constexpr int kMaxNesting = 64;

FromItem parseJoins(TokenStream& in, int depth);

FromItem parseOperand(TokenStream& in, int depth) {
  if (depth > kMaxNesting) in.fail("joins nested too deeply");
  if (in.acceptSymbol(u"(")) {
    FromItem inner = parseJoins(in, depth + 1);
    in.expectSymbol(u")");
    return inner;
  }
  FromItem t;
  t.kind = FromItem::Kind::Table;
  t.table = in.expectName("a table name");
  if (in.acceptWord(u"AS")) {
    t.alias = in.expectName("a name after AS");
  } else if (in.peekIsName()) {
    t.alias = in.next().text;
  }
  return t;
}

FromItem parseJoins(TokenStream& in, int depth) {
  FromItem left = parseOperand(in, depth);
  while (true) {
    if (in.peek().isSymbol(u",")) in.fail("a list of tables is not supported; use INNER JOIN");
    if (in.peek().isWord(u"LEFT") || in.peek().isWord(u"RIGHT") ||
        in.peek().isWord(u"FULL") || in.peek().isWord(u"OUTER")) {
      in.fail("only INNER JOIN is supported");
    }
    if (!in.peek().isWord(u"INNER")) break;
    in.next();
    in.expectWord(u"JOIN");
    FromItem join;
    join.kind = FromItem::Kind::InnerJoin;
    join.left = std::make_unique<FromItem>(std::move(left));
    join.right = std::make_unique<FromItem>(parseOperand(in, depth));
    in.expectWord(u"ON");
    join.on = parseExpression(in);
    left = std::move(join);
  }
  if (in.peek().isWord(u"JOIN")) in.fail("JOIN needs INNER before it");
  return left;
}

}  // namespace

FromItem parseFrom(TokenStream& in) { return parseJoins(in, 0); }

}  // namespace jet::sql

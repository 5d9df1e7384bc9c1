// Conditions of WHERE and ON:
//   or      := and { OR and }
//   and     := not { AND not }
//   not     := NOT not | compare
//   compare := operand [ (= | <> | != | < | <= | > | >=) operand | IS [NOT] NULL ]
//   operand := literal | [table.]column | ( or )
//   literal := number | -number | 'text' | #date# | TRUE | FALSE | YES | NO | NULL
#include <cmath>
#include <cstdlib>

#include "jet/sql/clause_parsers.h"
#include "jet/sql/date_text.h"

namespace jet::sql {
namespace {

Expr parseOr(TokenStream& in, int depth);

// Nesting beyond this is refused rather than risking the stack on hostile input.
constexpr int kMaxDepth = 200;

Value numberValue(const std::u16string& text, bool negative, TokenStream& in) {
  std::string ascii;
  for (char16_t c : text) ascii += static_cast<char>(c);
  bool integral = ascii.find_first_of(".eE") == std::string::npos;
  if (integral && ascii.size() <= 10) {
    long long v = std::strtoll(ascii.c_str(), nullptr, 10);
    if (negative) v = -v;
    if (v >= INT32_MIN && v <= INT32_MAX) return Value(static_cast<int32_t>(v));
  }
  double d = std::strtod(ascii.c_str(), nullptr);
  if (!std::isfinite(d)) in.fail("a number out of range");
  return Value(negative ? -d : d);
}

Expr literal(Value v, size_t offset) {
  Expr e;
  e.kind = Expr::Kind::Literal;
  e.literal = std::move(v);
  e.offset = offset;
  return e;
}

Expr parseOperand(TokenStream& in, int depth) {
  const Token& t = in.peek();
  size_t offset = t.offset;
  if (t.isSymbol(u"(")) {
    in.next();
    Expr inner = parseOr(in, depth + 1);
    in.expectSymbol(u")");
    return inner;
  }
  if (t.kind == TokenKind::Number) return literal(numberValue(in.next().text, false, in), offset);
  if (t.isSymbol(u"-") && in.peek(1).kind == TokenKind::Number) {
    in.next();
    return literal(numberValue(in.next().text, true, in), offset);
  }
  if (t.kind == TokenKind::String) return literal(Value(in.next().text), offset);
  if (t.kind == TokenKind::Date) {
    std::optional<double> days = parseDateText(t.text);
    if (!days) in.fail("a date literal that is not a valid date");
    in.next();
    return literal(Value(DateTime{*days}), offset);
  }
  // Jet's truth values are the numbers -1 and 0; kept as bool, which compares as -1 and 0.
  if (t.isWord(u"TRUE") || t.isWord(u"YES")) {
    in.next();
    return literal(Value(true), offset);
  }
  if (t.isWord(u"FALSE") || t.isWord(u"NO")) {
    in.next();
    return literal(Value(false), offset);
  }
  if (t.isWord(u"NULL")) {
    in.next();
    return literal(Value(), offset);
  }
  if (in.peekIsName()) {
    Expr e;
    e.kind = Expr::Kind::Column;
    e.offset = offset;
    e.column.column = in.next().text;
    if (in.acceptSymbol(u".")) {
      e.column.table = std::move(e.column.column);
      e.column.column = in.expectName("a column name after '.'");
    }
    if (in.peek().isSymbol(u"(")) in.fail("functions are not supported");
    return e;
  }
  in.fail("expected a column, a value or '('");
}

bool compareOp(const Token& t, CompareOp& op) {
  if (t.kind != TokenKind::Symbol) return false;
  if (t.text == u"=") op = CompareOp::Equal;
  else if (t.text == u"<>" || t.text == u"!=") op = CompareOp::NotEqual;
  else if (t.text == u"<") op = CompareOp::Less;
  else if (t.text == u"<=") op = CompareOp::LessEqual;
  else if (t.text == u">") op = CompareOp::Greater;
  else if (t.text == u">=") op = CompareOp::GreaterEqual;
  else return false;
  return true;
}

Expr parseCompare(TokenStream& in, int depth) {
  Expr lhs = parseOperand(in, depth);
  CompareOp op;
  if (compareOp(in.peek(), op)) {
    in.next();
    Expr e;
    e.kind = Expr::Kind::Compare;
    e.op = op;
    e.offset = lhs.offset;
    e.args.push_back(std::move(lhs));
    e.args.push_back(parseOperand(in, depth));
    return e;
  }
  if (in.acceptWord(u"IS")) {
    Expr e;
    e.kind = in.acceptWord(u"NOT") ? Expr::Kind::IsNotNull : Expr::Kind::IsNull;
    in.expectWord(u"NULL");
    e.offset = lhs.offset;
    e.args.push_back(std::move(lhs));
    return e;
  }
  return lhs;
}

Expr parseNot(TokenStream& in, int depth) {
  if (depth > kMaxDepth) in.fail("an expression nested too deeply");
  if (in.peek().isWord(u"NOT")) {
    size_t offset = in.next().offset;
    Expr e;
    e.kind = Expr::Kind::Not;
    e.offset = offset;
    e.args.push_back(parseNot(in, depth + 1));
    return e;
  }
  return parseCompare(in, depth);
}

Expr binary(Expr::Kind kind, Expr lhs, Expr rhs) {
  Expr e;
  e.kind = kind;
  e.offset = lhs.offset;
  e.args.push_back(std::move(lhs));
  e.args.push_back(std::move(rhs));
  return e;
}

Expr parseAnd(TokenStream& in, int depth) {
  Expr e = parseNot(in, depth);
  while (in.acceptWord(u"AND")) e = binary(Expr::Kind::And, std::move(e), parseNot(in, depth));
  return e;
}

Expr parseOr(TokenStream& in, int depth) {
  if (depth > kMaxDepth) in.fail("an expression nested too deeply");
  Expr e = parseAnd(in, depth);
  while (in.acceptWord(u"OR")) e = binary(Expr::Kind::Or, std::move(e), parseAnd(in, depth));
  return e;
}

}  // namespace

Expr parseExpression(TokenStream& in) { return parseOr(in, 0); }

}  // namespace jet::sql

// Evaluation of bound conditions with Jet's three truth values: a comparison with Null is
// Unknown, and only rows whose condition is True qualify. `get` gives the value of a bound
// column for the row at hand.
#pragma once

#include "jet/util/error.h"
#include "jet/sql/binder.h"
#include "jet/sql/compare.h"

namespace jet::sql {

enum class Truth { False, True, Unknown };

template <typename Get>
Truth evaluate(const BoundExpr& e, const Get& get);

template <typename Get>
Value valueOf(const BoundExpr& e, const Get& get) {
  switch (e.kind) {
    case Expr::Kind::Literal: return e.literal;
    case Expr::Kind::Column: return get(e.column);
    default: {
      Truth t = evaluate(e, get);
      if (t == Truth::Unknown) return Value();
      return Value(t == Truth::True);
    }
  }
}

inline Truth truthOf(const Value& v) {
  if (v.isNull()) return Truth::Unknown;
  if (classOf(v) != ValueClass::Number) {
    throw Error(errc::kTypeMismatch, "Data type mismatch in criteria expression: a condition "
                                     "must be a comparison or a number.");
  }
  return toNumber(v) != 0 ? Truth::True : Truth::False;
}

inline bool holds(CompareOp op, int c) {
  switch (op) {
    case CompareOp::Equal: return c == 0;
    case CompareOp::NotEqual: return c != 0;
    case CompareOp::Less: return c < 0;
    case CompareOp::LessEqual: return c <= 0;
    case CompareOp::Greater: return c > 0;
    case CompareOp::GreaterEqual: return c >= 0;
  }
  return false;
}

template <typename Get>
Truth evaluate(const BoundExpr& e, const Get& get) {
  switch (e.kind) {
    case Expr::Kind::Literal:
    case Expr::Kind::Column: return truthOf(valueOf(e, get));
    case Expr::Kind::Compare: {
      std::optional<int> c = compareValues(valueOf(e.args[0], get), valueOf(e.args[1], get));
      if (!c) return Truth::Unknown;
      return holds(e.op, *c) ? Truth::True : Truth::False;
    }
    case Expr::Kind::And: {
      Truth a = evaluate(e.args[0], get);
      if (a == Truth::False) return Truth::False;
      Truth b = evaluate(e.args[1], get);
      if (b == Truth::False) return Truth::False;
      return (a == Truth::True && b == Truth::True) ? Truth::True : Truth::Unknown;
    }
    case Expr::Kind::Or: {
      Truth a = evaluate(e.args[0], get);
      if (a == Truth::True) return Truth::True;
      Truth b = evaluate(e.args[1], get);
      if (b == Truth::True) return Truth::True;
      return (a == Truth::False && b == Truth::False) ? Truth::False : Truth::Unknown;
    }
    case Expr::Kind::Not: {
      Truth a = evaluate(e.args[0], get);
      if (a == Truth::Unknown) return a;
      return a == Truth::True ? Truth::False : Truth::True;
    }
    case Expr::Kind::IsNull:
      return valueOf(e.args[0], get).isNull() ? Truth::True : Truth::False;
    case Expr::Kind::IsNotNull:
      return valueOf(e.args[0], get).isNull() ? Truth::False : Truth::True;
  }
  return Truth::Unknown;
}

}  // namespace jet::sql

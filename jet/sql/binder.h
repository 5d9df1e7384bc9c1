// Resolves a SELECT against the tables' definitions: every name to a table of the FROM
// clause and a column of it, the columns each table must decode, and the conditions split
// into those one table can apply while it is scanned, the equalities each join hashes on,
// and the rest. Errors: errc::kTableNotFound for a missing table; kUnknownName for a name
// that is no column of the query (Jet takes it for a parameter without a value);
// errc::kTypeMismatch for a join or comparison of incompatible types; errc::kSyntaxError for
// a join without an equality between its two sides.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jet/read/linked_tables.h"
#include "jet/sql/ast.h"
#include "jet/sql/result_set.h"
#include "jet/format/table_definition.h"

namespace jet::sql {

// 0x80040E10, "No value given for one or more required parameters."
inline constexpr int32_t kUnknownName = -2147217904;

struct BoundColumn {
  int slot = 0;
  int store = 0;  // index into the slot's column list
};

struct BoundExpr {
  Expr::Kind kind = Expr::Kind::Literal;
  Value literal;
  BoundColumn column;
  CompareOp op = CompareOp::Equal;
  std::vector<BoundExpr> args;
};

struct SlotPlan {
  std::u16string name;  // alias, or the table name
  std::shared_ptr<const TableDef> def;
  Database* source = nullptr;      // the file holding the rows (a back end for a link)
  std::u16string link;             // the link's name when the table is linked, else empty
  std::vector<size_t> columns;     // positions in def->columns to decode
  std::vector<BoundExpr> filters;  // conditions on this table alone
};

struct JoinNode {
  int slot = -1;  // a table when >= 0
  std::unique_ptr<JoinNode> left, right;
  std::vector<std::pair<BoundColumn, BoundColumn>> keys;  // left side = right side
  std::vector<int> slots;                                  // tables below this node
};

struct QueryPlan {
  std::vector<SlotPlan> slots;
  std::unique_ptr<JoinNode> root;
  std::vector<BoundExpr> residual;  // conditions over several tables (WHERE and ON)
  std::vector<ResultColumn> output; // position is filled in by the executor
};

// Gives a table by name (Database::table()); throws errc::kTableNotFound when there is none.
using TableLookup = std::function<TableRef(std::u16string_view)>;

QueryPlan bind(const SelectStatement& select, const TableLookup& lookup);

// For DELETE: one table, its condition as a filter of its slot.
QueryPlan bindSingleTable(const std::u16string& table, const std::optional<Expr>& where,
                          const TableLookup& lookup);

}  // namespace jet::sql

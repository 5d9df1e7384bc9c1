// The parsed form of the statements the engine runs: SELECT over tables joined with INNER
// JOIN ... ON, DELETE, and ALTER TABLE ... ADD COLUMN.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "jet/util/value.h"

namespace jet::sql {

// [table.]column as written; the table part may be a table name or an alias.
struct ColumnName {
  std::u16string table;  // empty when unqualified
  std::u16string column;
};

enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

struct Expr {
  enum class Kind { Literal, Column, Compare, And, Or, Not, IsNull, IsNotNull };
  Kind kind = Kind::Literal;
  Value literal;                // Literal
  ColumnName column;            // Column
  CompareOp op = CompareOp::Equal;  // Compare
  std::vector<Expr> args;       // operands: 2 for Compare/And/Or, 1 for Not/IsNull/IsNotNull
  size_t offset = 0;            // where it starts in the statement, for messages
};

// One entry of the select list: *, t.*, or a column with an optional alias.
struct SelectItem {
  enum class Kind { AllColumns, AllOfTable, Column };
  Kind kind = Kind::Column;
  ColumnName column;       // Column; AllOfTable uses column.table
  std::u16string alias;    // AS name, empty when none
};

// FROM: a table, or two of these joined.
struct FromItem {
  enum class Kind { Table, InnerJoin };
  Kind kind = Kind::Table;
  std::u16string table;  // Table
  std::u16string alias;  // Table: AS name, empty when none
  std::unique_ptr<FromItem> left, right;  // InnerJoin
  Expr on;                                // InnerJoin
};

struct SelectStatement {
  std::vector<SelectItem> items;
  FromItem from;
  std::optional<Expr> where;
};

struct DeleteStatement {
  std::u16string table;
  std::optional<Expr> where;
};

// A column type as Jet's type words give it: TEXT(50), LONG, COUNTER, ...
struct TypeSpec {
  ColumnType type = ColumnType::Text;
  uint16_t size = 0;         // text: characters (255 when not given); others: bytes
  bool autoIncrement = false;  // COUNTER / AUTOINCREMENT
};

struct AddColumnStatement {
  std::u16string table;
  std::u16string column;
  TypeSpec type;
  bool notNull = false;
};

using Statement = std::variant<SelectStatement, DeleteStatement, AddColumnStatement>;

}  // namespace jet::sql

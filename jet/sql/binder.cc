#include "jet/sql/binder.h"

#include <algorithm>
#include <set>

#include "jet/util/error.h"
#include "jet/sql/message_text.h"
#include "jet/sql/collation.h"
#include "jet/sql/compare.h"

namespace jet::sql {
namespace {

std::string shown(const ColumnName& c) {
  return messageText(c.table.empty() ? c.column : c.table + u"." + c.column);
}

class Binder {
 public:
  explicit Binder(const TableLookup& lookup) : lookup_(lookup) {}

  int addTable(const std::u16string& table, const std::u16string& alias) {
    std::u16string name = alias.empty() ? table : alias;
    for (const SlotPlan& s : plan_.slots) {
      if (equalsIgnoringCase(s.name, name)) {
        throw Error(errc::kSyntaxError, "Syntax error in the SQL statement: the table '" +
                                            messageText(name) +
                                            "' appears twice in FROM; give one an alias.");
      }
    }
    SlotPlan s;
    s.name = std::move(name);
    TableRef ref = lookup_(table);
    s.def = std::move(ref.def);
    s.source = ref.database;
    if (ref.link) s.link = ref.link->name;
    plan_.slots.push_back(std::move(s));
    return static_cast<int>(plan_.slots.size()) - 1;
  }

  // Finds a column among all tables, or in the named one.
  std::pair<int, size_t> resolve(const ColumnName& c) const {
    int found = -1;
    size_t position = 0;
    for (size_t i = 0; i < plan_.slots.size(); ++i) {
      const SlotPlan& s = plan_.slots[i];
      if (!c.table.empty() && !equalsIgnoringCase(s.name, c.table)) continue;
      if (auto p = s.def->findColumn(c.column)) {
        if (found >= 0) {
          throw Error(kUnknownName, "The column name '" + shown(c) +
                                        "' could refer to more than one table in FROM.");
        }
        found = static_cast<int>(i);
        position = *p;
      }
    }
    if (found < 0) {
      throw Error(kUnknownName, "No value given for '" + shown(c) +
                                    "': it is not a column of the tables in FROM.");
    }
    return {found, position};
  }

  BoundColumn use(int slot, size_t position) {
    std::vector<size_t>& cols = plan_.slots[slot].columns;
    auto it = std::find(cols.begin(), cols.end(), position);
    if (it == cols.end()) {
      cols.push_back(position);
      return {slot, static_cast<int>(cols.size()) - 1};
    }
    return {slot, static_cast<int>(it - cols.begin())};
  }

  const ColumnDef& columnDef(BoundColumn c) const {
    const SlotPlan& s = plan_.slots[c.slot];
    return s.def->columns[s.columns[c.store]];
  }

  BoundExpr bindExpr(const Expr& e, std::set<int>& slots) {
    BoundExpr b;
    b.kind = e.kind;
    b.op = e.op;
    if (e.kind == Expr::Kind::Literal) {
      b.literal = e.literal;
    } else if (e.kind == Expr::Kind::Column) {
      auto [slot, position] = resolve(e.column);
      b.column = use(slot, position);
      slots.insert(slot);
    }
    for (const Expr& a : e.args) b.args.push_back(bindExpr(a, slots));
    if (e.kind == Expr::Kind::Compare) checkComparable(b.args[0], b.args[1]);
    return b;
  }

  // The class of an operand when it is known before any row is read.
  std::optional<ValueClass> classOfOperand(const BoundExpr& b) const {
    if (b.kind == Expr::Kind::Column) return classOf(columnDef(b.column).type);
    if (b.kind == Expr::Kind::Literal && !b.literal.isNull()) return classOf(b.literal);
    return std::nullopt;
  }

  void checkComparable(const BoundExpr& a, const BoundExpr& b) const {
    auto ca = classOfOperand(a), cb = classOfOperand(b);
    if (ca && cb && *ca != *cb) {
      throw Error(errc::kTypeMismatch, "Data type mismatch in criteria expression.");
    }
  }

  std::unique_ptr<JoinNode> bindFrom(const FromItem& f) {
    auto n = std::make_unique<JoinNode>();
    if (f.kind == FromItem::Kind::Table) {
      n->slot = addTable(f.table, f.alias);
      n->slots = {n->slot};
      return n;
    }
    n->left = bindFrom(*f.left);
    n->right = bindFrom(*f.right);
    n->slots = n->left->slots;
    n->slots.insert(n->slots.end(), n->right->slots.begin(), n->right->slots.end());
    pendingOn_.push_back({n.get(), &f.on});
    return n;
  }

  static bool within(const std::vector<int>& slots, int slot) {
    return std::find(slots.begin(), slots.end(), slot) != slots.end();
  }

  static void conjuncts(const Expr& e, std::vector<const Expr*>& out) {
    if (e.kind == Expr::Kind::And) {
      conjuncts(e.args[0], out);
      conjuncts(e.args[1], out);
    } else {
      out.push_back(&e);
    }
  }

  // Sorts the conjuncts of a condition: one table's go to its scan, the rest to `residual`.
  void placeConditions(const Expr& condition, std::vector<BoundExpr>& residual,
                       JoinNode* join) {
    std::vector<const Expr*> parts;
    conjuncts(condition, parts);
    for (const Expr* part : parts) {
      std::set<int> slots;
      BoundExpr b = bindExpr(*part, slots);
      if (join && b.kind == Expr::Kind::Compare && b.op == CompareOp::Equal &&
          b.args[0].kind == Expr::Kind::Column && b.args[1].kind == Expr::Kind::Column) {
        BoundColumn x = b.args[0].column, y = b.args[1].column;
        bool xLeft = within(join->left->slots, x.slot), yLeft = within(join->left->slots, y.slot);
        bool xRight = within(join->right->slots, x.slot), yRight = within(join->right->slots, y.slot);
        if ((xLeft && yRight) || (xRight && yLeft)) {
          if (!xLeft) std::swap(x, y);
          checkJoinable(x, y);
          join->keys.push_back({x, y});
          continue;
        }
      }
      if (slots.size() == 1) {
        plan_.slots[*slots.begin()].filters.push_back(std::move(b));
      } else {
        residual.push_back(std::move(b));
      }
    }
  }

  void checkJoinable(BoundColumn a, BoundColumn b) const {
    const ColumnDef& x = columnDef(a);
    const ColumnDef& y = columnDef(b);
    if (!joinable(x.type) || !joinable(y.type)) {
      throw Error(errc::kTypeMismatch, "Cannot join on Memo, OLE or binary columns ('" +
                                           messageText(x.name) + "', '" + messageText(y.name) + "').");
    }
    if (classOf(x.type) != classOf(y.type)) {
      throw Error(errc::kTypeMismatch, "Type mismatch in JOIN expression: '" + messageText(x.name) +
                                           "' and '" + messageText(y.name) +
                                           "' cannot be compared.");
    }
  }

  void addOutput(int slot, size_t position, const std::u16string& alias) {
    const ColumnDef& def = plan_.slots[slot].def->columns[position];
    ResultColumn c;
    c.name = alias.empty() ? def.name : alias;
    c.type = def.type;
    c.size = def.type == ColumnType::Text ? def.textSize() : def.length;
    c.autoIncrement = def.isAutoNumber();
    BoundColumn b = use(slot, position);
    c.slot = b.slot;
    c.store = b.store;
    c.tableColumn = position;
    plan_.output.push_back(std::move(c));
    aliased_.push_back(!alias.empty());
  }

  void bindSelectList(const std::vector<SelectItem>& items) {
    for (const SelectItem& item : items) {
      if (item.kind == SelectItem::Kind::Column) {
        auto [slot, position] = resolve(item.column);
        addOutput(slot, position, item.alias);
        continue;
      }
      bool anyTable = false;
      for (size_t s = 0; s < plan_.slots.size(); ++s) {
        if (item.kind == SelectItem::Kind::AllOfTable &&
            !equalsIgnoringCase(plan_.slots[s].name, item.column.table)) {
          continue;
        }
        anyTable = true;
        for (size_t p = 0; p < plan_.slots[s].def->columns.size(); ++p) {
          addOutput(static_cast<int>(s), p, u"");
        }
      }
      if (!anyTable) {
        throw Error(kUnknownName, "'" + messageText(item.column.table) +
                                      ".*' names no table of the FROM clause.");
      }
    }
    // Columns of the same name from different tables are told apart as Jet does: Table.Column.
    for (size_t i = 0; i < plan_.output.size(); ++i) {
      for (size_t j = 0; j < plan_.output.size(); ++j) {
        if (i != j && !aliased_[i] && equalsIgnoringCase(plan_.output[i].name, plan_.output[j].name) &&
            plan_.output[i].slot != plan_.output[j].slot) {
          qualify_.insert(i);
        }
      }
    }
    for (size_t i : qualify_) {
      plan_.output[i].name = plan_.slots[plan_.output[i].slot].name + u"." + plan_.output[i].name;
    }
  }

  QueryPlan bindSelect(const SelectStatement& s) {
    plan_.root = bindFrom(s.from);
    bindSelectList(s.items);
    for (auto& [node, on] : pendingOn_) {
      // Inner joins: an ON condition that is no key equality filters like WHERE.
      placeConditions(*on, plan_.residual, node);
      if (node->keys.empty()) {
        throw Error(errc::kSyntaxError,
                    "JOIN expression not supported: an INNER JOIN needs an equality between a "
                    "column of each side.");
      }
    }
    if (s.where) placeConditions(*s.where, plan_.residual, nullptr);
    return std::move(plan_);
  }

  QueryPlan bindTable(const std::u16string& table, const std::optional<Expr>& where) {
    plan_.root = std::make_unique<JoinNode>();
    plan_.root->slot = addTable(table, u"");
    plan_.root->slots = {plan_.root->slot};
    if (where) placeConditions(*where, plan_.residual, nullptr);
    return std::move(plan_);
  }

 private:
  const TableLookup& lookup_;
  QueryPlan plan_;
  std::vector<std::pair<JoinNode*, const Expr*>> pendingOn_;
  std::vector<bool> aliased_;
  std::set<size_t> qualify_;
};

}  // namespace

QueryPlan bind(const SelectStatement& select, const TableLookup& lookup) {
  return Binder(lookup).bindSelect(select);
}

QueryPlan bindSingleTable(const std::u16string& table, const std::optional<Expr>& where,
                          const TableLookup& lookup) {
  return Binder(lookup).bindTable(table, where);
}

}  // namespace jet::sql

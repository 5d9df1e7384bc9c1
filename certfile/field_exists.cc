#include <optional>

#include "certfile/upgrade.h"
#include "data/ado.h"
#include "data/text.h"

namespace certfile {

namespace {

enum class Outcome { GoOn, Return };

// FieldExists's one failure rule, by error number.
class FieldExistsRule {
 public:
  FieldExistsRule(bool& result, MessageBox& box) : result_(result), box_(box) {}

  // Runs a step; GoOn when it succeeded or its failure is passed over.
  template <typename Body>
  Outcome step(Body&& body, bool* failedWith3265 = nullptr) {
    try {
      body();
      return Outcome::GoOn;
    } catch (const data::Error& e) {
      return handle(e.number(), data::fromUtf8(e.description()), failedWith3265);
    } catch (const std::exception& e) {
      return handle(data::errc::kUnspecified, data::fromUtf8(e.what()), failedWith3265);
    }
  }

 private:
  Outcome handle(int32_t number, const std::u16string& description, bool* failedWith3265) {
    if (number == data::errc::kItemNotFound) {
      if (failedWith3265) *failedWith3265 = true;
      return Outcome::GoOn;
    }
    if (number == data::errc::kTableNotFound || number == data::errc::kUnspecified) {
      result_ = false;
      return Outcome::Return;
    }
    const std::string digits = std::to_string(number);
    box_.showMessage(u"Error: " + std::u16string(digits.begin(), digits.end()) + u" - " +
                         description,
                     u"Error Notice");
    return Outcome::Return;
  }

  bool& result_;
  MessageBox& box_;
};

}  // namespace

bool FieldExists(const data::Connection& cnCerts, const std::u16string& tableName,
                 const std::u16string& FieldName, MessageBox& box) {
  bool result = false;
  FieldExistsRule rule(result, box);
  data::Recordset rs;

  if (rule.step([&] {
        rs.open(u"SELECT * FROM " + tableName, cnCerts, data::adOpenKeyset,
                data::adLockOptimistic, data::adCmdText);
      }) == Outcome::Return) {
    return result;
  }

  int count = 0;
  if (rule.step([&] { count = rs.fields().count(); }) == Outcome::Return) return result;
  for (int i = 0; i < count; ++i) {
    bool equal = false;
    bool passedOver = false;
    if (rule.step([&] { equal = rs.fields().item(i).name() == FieldName; }, &passedOver) ==
        Outcome::Return) {
      return result;
    }
    // A name test passed over goes on into its equal branch.
    if (equal || passedOver) {
      result = true;
      break;
    }
    result = false;
  }

  if (rule.step([&] { rs.close(); }) == Outcome::Return) return result;
  return result;
}

}  // namespace certfile

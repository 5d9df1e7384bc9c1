#include "tools/tarvo_model.h"

#include "jet/util/civil_date.h"

#include <array>
#include <cassert>
#include <cmath>
#include <span>
#include <stdexcept>

namespace tools {

using jet::ColumnType;

// ---- schema -----------------------------------------------------------------------------

size_t TableSpec::column(std::u16string_view wanted) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == wanted) return i;
  assert(false && "no such column");
  throw std::out_of_range("no such column");
}

const std::vector<TableSpec>& tarvoTables() {
  static const std::vector<TableSpec> tables = [] {
    auto text = [](std::u16string n, int len, std::u16string d = {}) {
      return ColumnSpec{std::move(n), ColumnType::Text, len, false, false, std::move(d)};
    };
    auto col = [](std::u16string n, ColumnType t, std::u16string d = {}) {
      return ColumnSpec{std::move(n), t, 0, false, false, std::move(d)};
    };
    auto key = [](std::u16string n) {
      return ColumnSpec{std::move(n), ColumnType::Long, 0, false, true, u"Record number"};
    };
    auto yesNo = [](std::u16string n, std::u16string d) {
      return ColumnSpec{std::move(n), ColumnType::Boolean, 0, true, false, std::move(d)};
    };
    std::vector<TableSpec> t;
    t.push_back({u"Control",
                 {text(u"License_Nbr", 20, u"Licence number of the agency"),
                  text(u"Licensee", 100, u"Name of the agency"), text(u"Address", 255),
                  text(u"Phone", 30)}});
    t.push_back({u"Roster",
                 {key(u"ID"), text(u"License", 20, u"Licence number of the person's agency"),
                  text(u"Office", 50), text(u"LName", 50, u"Last name"),
                  text(u"FName", 50, u"First name"), text(u"Email", 100), col(u"Notes", ColumnType::Memo),
                  col(u"HireDate", ColumnType::DateTime), yesNo(u"Active", u"Still employed"),
                  col(u"Grade", ColumnType::Byte)}});
    t.push_back({u"Qualifications",
                 {key(u"QID"), col(u"AgentID", ColumnType::Long, u"Roster.ID"), text(u"Course", 100),
                  col(u"QualDate", ColumnType::DateTime), text(u"Location", 100),
                  col(u"Expiration", ColumnType::DateTime), yesNo(u"PassFail", u"Passed"),
                  col(u"Score", ColumnType::Double), col(u"Attempts", ColumnType::Integer),
                  col(u"Notes", ColumnType::Memo)}});
    t.push_back({u"Training",
                 {key(u"TID"), col(u"AgentID", ColumnType::Long, u"Roster.ID"), text(u"CourseName", 100),
                  col(u"CourseDate", ColumnType::DateTime), text(u"Location", 100),
                  col(u"Expiration", ColumnType::DateTime), yesNo(u"PassFail", u"Passed"),
                  col(u"Hours", ColumnType::Double), col(u"Fee", ColumnType::Currency)}});
    return t;
  }();
  return tables;
}

const TableSpec& tarvoTable(std::u16string_view name) {
  for (const auto& t : tarvoTables())
    if (t.name == name) return t;
  throw std::out_of_range("no Tarvo table of that name");
}

// ---- dates --------------------------------------------------------------------------------

double jetDays(int year, int month, int day, int hour, int minute, int second) {
  const int64_t n = jet::jetDayOfDate(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
  return n >= 0 ? static_cast<double>(n) + fraction : static_cast<double>(n) - fraction;
}

std::string formatJetDate(double days) {
  double whole = std::trunc(days);
  int64_t seconds = std::llround(std::fabs(days - whole) * 86400.0);
  if (seconds >= 86400) {  // rounded up to midnight: the next calendar day
    seconds -= 86400;
    whole += 1;
  }
  const jet::CivilDate c = jet::dateOfJetDay(static_cast<int64_t>(whole));
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02d:%02d:%02d", static_cast<long long>(c.year), c.month, c.day,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return buf;
}

// ---- randomness ---------------------------------------------------------------------------

namespace {

uint64_t mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// SplitMix64, seeded per (seed, table, row) so every row can be regenerated on its own.
class Rng {
 public:
  Rng(uint64_t seed, uint64_t table, uint64_t row)
      : state_(mix(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) ^ mix(table << 56 ^ row)) {}
  uint64_t next() {
    state_ += 0x9E3779B97F4A7C15ull;
    return mix(state_);
  }
  uint64_t below(uint64_t n) { return n == 0 ? 0 : next() % n; }
  int64_t between(int64_t lo, int64_t hi) { return lo + static_cast<int64_t>(below(static_cast<uint64_t>(hi - lo + 1))); }
  bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1.0p-53 < p; }
  template <typename T>
  const T& pick(std::span<const T> items) {
    return items[below(items.size())];
  }

 private:
  uint64_t state_;
};

enum TableTag : uint64_t { kControl = 1, kRoster = 2, kQualifications = 3, kTraining = 4 };

constexpr std::array<std::u16string_view, 44> kLastNames = {
    u"Smith", u"Johnson", u"Williams", u"Brown", u"Jones", u"Garcia", u"Miller", u"Davis",
    u"Rodriguez", u"Martinez", u"Hernandez", u"Lopez", u"Wilson", u"Anderson", u"Taylor", u"Moore",
    u"Jackson", u"Martin", u"Lee", u"O'Brien", u"Van der Berg", u"Müller", u"Gonçalves", u"Dvořák",
    u"Ødegård", u"Şahin", u"Łukasiewicz", u"Núñez", u"Björk", u"Иванов", u"Παπαδόπουλος", u"李",
    u"佐藤", u"김", u"Nguyễn", u"كريم", u"כהן", u"शर्मा", u"สมชาย", u"ბერიძე", u"Պետրոսյան",
    u"\U00020BB7田", u"D'Souza-Kowalski", u"Smith \"Jr.\""};
constexpr std::array<std::u16string_view, 30> kFirstNames = {
    u"John", u"Jennifer", u"Ann-Marie", u"Elizabeth", u"Joseph", u"Richard", u"Jessica", u"Robert",
    u"Barbara", u"James", u"Linda", u"Susan", u"Patricia", u"William", u"D'Andre", u"Søren",
    u"中文", u"José", u"François", u"Zoë", u"Ólafur", u"Дмитрий", u"Γιώργος", u"太郎", u"민준",
    u"आरव", u"فاطمة", u"יעל", u"Ngọc", u"Mary\\Jo"};
constexpr std::array<std::u16string_view, 11> kOffices = {
    u"Head Office", u"North Branch", u"South Branch", u"West End", u"Harbor District", u"Airport",
    u"Satellite #3", u"Zürich Büro", u"Sede São Paulo", u"東京支店", u"Филиал Москва"};
constexpr std::array<std::u16string_view, 12> kQualificationCourses = {
    u"Firearms Qualification - Handgun", u"Firearms Qualification - Shotgun",
    u"Night Fire Qualification", u"Baton Certification", u"OC Spray Certification",
    u"Taser Certification", u"Armed Guard Requalification", u"Défense personnelle",
    u"Erste Hilfe – Auffrischung", u"Тактическая подготовка", u"射撃資格", u"CPR & AED"};
constexpr std::array<std::u16string_view, 12> kTrainingCourses = {
    u"Legal Powers of Arrest", u"Report Writing", u"Crowd Management", u"Radio Communication",
    u"Workplace Violence Prevention", u"Ethics & Professional Conduct", u"First Aid / CPR",
    u"Sensibilisation à la sûreté", u"Fire Safety \"Basics\"", u"De-escalation (Level 2)",
    u"Patrol Procedures\tPart A", u"Übungsschießen"};
constexpr std::array<std::u16string_view, 9> kLocations = {
    u"Range A", u"Range B", u"Gymnasium", u"Community College", u"Training Center", u"Online",
    u"Main Classroom", u"Salle 2 – Montréal", u"Schießstand Nord"};
constexpr std::array<std::u16string_view, 5> kAgencies = {
    u"Atlas Protective Group", u"Northwind Security Services", u"Sentinel Guard & Patrol",
    u"Vigilância Segura Ltda.", u"Nordic Säkerhet AB"};
constexpr std::array<std::u16string_view, 16> kNoteWords = {
    u"checked", u"renewal", u"pending", u"equipment", u"issued", u"uniform", u"remarks", u"shift",
    u"supervisor", u"Müller", u"李小龍", u"approved", u"late", u"O'Brien", u"été", u"follow-up"};

template <size_t N>
std::span<const std::u16string_view> all(const std::array<std::u16string_view, N>& a) {
  return std::span<const std::u16string_view>(a.data(), a.size());
}

// Blanks at either end now and then: the extraction must copy them unchanged.
std::u16string decorate(Rng& rng, std::u16string_view s) {
  std::u16string out(s);
  const uint64_t r = rng.below(100);
  if (r < 4) out = u" " + out;
  else if (r < 8) out += u" ";
  else if (r < 9) out = u"  " + out + u"  ";
  return out;
}

// Null with probability p, the empty text with probability empty, else the value.
jet::Value textOrNull(Rng& rng, double pNull, double pEmpty, std::u16string value) {
  if (rng.chance(pNull)) return jet::Null{};
  if (rng.chance(pEmpty)) return std::u16string();
  return value;
}

// The local part of an e-mail address made from a name: lower case, blanks as '_', quotes
// and backslashes dropped.
std::u16string emailName(std::u16string_view s) {
  std::u16string out;
  for (char16_t c : s) {
    if (c == u'"' || c == u'\\') continue;
    if (c == u' ') out += u'_';
    else if (c >= u'A' && c <= u'Z') out += static_cast<char16_t>(c - u'A' + u'a');
    else out += c;
  }
  return out;
}

std::u16string digits(uint64_t n) {
  std::u16string s;
  const std::string d = std::to_string(n);
  s.assign(d.begin(), d.end());
  return s;
}

double randomDate(Rng& rng, bool withTime) {
  const int64_t first = jet::jetDayOfDate(1990, 1, 1);
  const int64_t last = jet::jetDayOfDate(2025, 12, 31);
  double d = static_cast<double>(rng.between(first, last));
  if (withTime) d += static_cast<double>(rng.below(86400)) / 86400.0;
  return d;
}

// Dates at the edges of what Jet stores: its epoch, the days before it (negative counts),
// the 1900 leap-year trap, a leap day, the last second of a day, the 32-bit time_t end, and
// the first and last representable days.
double edgeDate(Rng& rng) {
  static const std::array<double, 12> kEdges = {
      jetDays(1899, 12, 30),         jetDays(1899, 12, 30, 12),       jetDays(1899, 12, 29, 18),
      jetDays(1900, 1, 1),           jetDays(1900, 2, 28),            jetDays(1900, 3, 1),
      jetDays(2000, 2, 29),          jetDays(1999, 12, 31, 23, 59, 59), jetDays(2038, 1, 19, 3, 14, 8),
      jetDays(1753, 1, 1),           jetDays(100, 1, 1),              jetDays(9999, 12, 31, 23, 59, 59)};
  return kEdges[rng.below(kEdges.size())];
}

// The same day some years later (a 29 February becomes the 28th in a common year).
double yearsLater(double days, int years) {
  const jet::CivilDate c = jet::dateOfJetDay(static_cast<int64_t>(std::floor(days)));
  int64_t y = c.year + years;
  unsigned d = c.day;
  if (c.month == 2 && d == 29 && !((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) d = 28;
  if (y > 9999) y = 9999;
  return static_cast<double>(jet::jetDayOfDate(y, c.month, d));
}

std::u16string note(Rng& rng, int64_t number, bool isLong) {
  std::u16string s = u"Note " + digits(number) + u": ";
  const int64_t words = isLong ? rng.between(900, 1600) : rng.between(3, 30);
  for (int64_t w = 0; w < words; ++w) {
    s += kNoteWords[rng.below(kNoteWords.size())];
    s += (w % 17 == 16) ? u"\r\n" : u" ";
  }
  return s;
}

jet::Value memo(Rng& rng, int64_t number) {
  const uint64_t r = rng.below(1000);
  if (r < 600) return jet::Null{};
  if (r < 650) return std::u16string();
  return note(rng, number, r >= 995);  // about one in two hundred spans several pages
}

// The row's n-th nullable column is forced to Null in the first rows of each table, so even
// a small database has a Null in every nullable column.
bool forcedNull(int64_t rowNumber, int nullableIndex) { return rowNumber - 1 == nullableIndex; }

}  // namespace

// ---- the model ----------------------------------------------------------------------------

TarvoModel::TarvoModel(const TarvoOptions& options) : options_(options) {
  if (options.people < 0 || options.qualifications < 0 || options.trainings < 0)
    throw std::invalid_argument("row counts must not be negative");
  if (options.people > INT32_MAX || options.qualifications > INT32_MAX || options.trainings > INT32_MAX)
    throw std::invalid_argument("row counts must fit a Long (2147483647)");
  Rng rng(options.seed, kControl, 0);
  const uint64_t number = 100000 + rng.below(900000);
  license_ = u"L-" + digits(number);
  licensee_ = std::u16string(rng.pick(all(kAgencies)));
  // Other agencies' licences: other digits, so no comparison rule (case, blanks) could make
  // one of them equal to ours.
  for (uint64_t k = 1; k <= 3; ++k) otherLicenses_.push_back(u"L-" + digits(100000 + (number - 100000 + k * 137911) % 900000));
}

Row TarvoModel::controlRow() const {
  Rng rng(options_.seed, kControl, 1);
  const std::u16string address = digits(rng.between(1, 9999)) + u" Main Street, Springfield";
  const std::u16string phone = u"(555) " + digits(rng.between(100, 999)) + u"-" + digits(rng.between(1000, 9999));
  return {license_, licensee_, address, phone};
}

Person TarvoModel::person(int64_t id) const {
  assert(id >= 1 && id <= options_.people);
  Rng rng(options_.seed, kRoster, static_cast<uint64_t>(id));
  Person p;
  p.id = static_cast<int32_t>(id);
  // License, Office, LName, FName, Email, Notes, HireDate, Grade are nullable (0..7).
  const uint64_t lic = rng.below(100);
  if (forcedNull(id, 0) || lic < 2) p.license = jet::Null{};
  else if (lic < 8) p.license = otherLicenses_[rng.below(otherLicenses_.size())];
  else p.license = license_;

  const uint64_t off = rng.below(100);
  std::u16string office(rng.pick(all(kOffices)));
  if (forcedNull(id, 1) || off < 8) p.office = jet::Null{};
  else if (off < 12) p.office = std::u16string();
  else if (off < 14) p.office = std::u16string(off == 12 ? u" " : u"   ");
  else if (off < 17) p.office = u" " + office + u" ";
  else p.office = office;

  const std::u16string_view last = rng.pick(all(kLastNames));
  p.lname = forcedNull(id, 2) ? jet::Value(jet::Null{}) : textOrNull(rng, 0.02, 0.01, decorate(rng, last));
  p.fname = forcedNull(id, 3) ? jet::Value(jet::Null{}) : textOrNull(rng, 0.03, 0.01, decorate(rng, rng.pick(all(kFirstNames))));
  p.email = forcedNull(id, 4) ? jet::Value(jet::Null{})
                              : textOrNull(rng, 0.05, 0.01, u"p" + digits(id) + u"." + emailName(last) + u"@example.org");
  const jet::Value notes = forcedNull(id, 5) ? jet::Value(jet::Null{}) : memo(rng, id);
  jet::Value hired = jet::DateTime{randomDate(rng, rng.chance(0.2))};
  if (forcedNull(id, 6) || rng.chance(0.08)) hired = jet::Null{};
  const bool active = !rng.chance(0.1);
  jet::Value grade = static_cast<uint8_t>(rng.below(256));
  if (forcedNull(id, 7) || rng.chance(0.1)) grade = jet::Null{};

  p.row = {int32_t{p.id}, p.license, p.office, p.lname, p.fname, p.email, notes, hired, active, grade};
  return p;
}

bool TarvoModel::onRoster(const jet::Value& agentId) const {
  const auto* id = agentId.getIf<int32_t>();
  return id && *id >= 1 && *id <= options_.people;
}

Course TarvoModel::qualification(int64_t number) const {
  assert(number >= 1 && number <= options_.qualifications);
  return course(false, number);
}

Course TarvoModel::training(int64_t number) const {
  assert(number >= 1 && number <= options_.trainings);
  return course(true, number);
}

Course TarvoModel::course(bool isTraining, int64_t number) const {
  Rng rng(options_.seed, isTraining ? kTraining : kQualifications, static_cast<uint64_t>(number));
  Course c;
  c.number = static_cast<int32_t>(number);
  // Nullable: AgentID, name, date, Location, Expiration, then the extra columns (0..).
  const uint64_t who = rng.below(1000);
  const int64_t onRosterId = options_.people > 0 ? rng.between(1, options_.people) : 0;
  if (forcedNull(number, 0) || who < 10) c.agentId = jet::Null{};
  else if (who < 45 || options_.people == 0) c.agentId = static_cast<int32_t>(std::min<int64_t>(options_.people + rng.between(1, 1000), INT32_MAX));
  else if (who < 50) c.agentId = int32_t{who % 2 == 0 ? 0 : -static_cast<int32_t>(rng.between(1, 50))};
  else c.agentId = static_cast<int32_t>(onRosterId);

  const auto names = isTraining ? all(kTrainingCourses) : all(kQualificationCourses);
  c.name = forcedNull(number, 1) ? jet::Value(jet::Null{}) : textOrNull(rng, 0.02, 0.01, decorate(rng, rng.pick(names)));

  const uint64_t when = rng.below(100);
  double day = when < 2 ? edgeDate(rng) : randomDate(rng, rng.chance(0.4));
  c.date = (forcedNull(number, 2) || when >= 97) ? jet::Value(jet::Null{}) : jet::Value(jet::DateTime{day});

  c.location = forcedNull(number, 3) ? jet::Value(jet::Null{}) : textOrNull(rng, 0.03, 0.02, decorate(rng, rng.pick(all(kLocations))));

  const uint64_t exp = rng.below(100);
  if (forcedNull(number, 4) || exp < 5) c.expiration = jet::Null{};
  else if (exp < 6) c.expiration = jet::DateTime{jetDays(9999, 12, 31)};
  else c.expiration = jet::DateTime{yearsLater(c.date.isNull() ? randomDate(rng, false) : day, static_cast<int>(rng.between(1, 3)))};

  c.passed = rng.chance(0.8);

  if (!isTraining) {
    jet::Value score = static_cast<double>(rng.below(10001)) / 100.0;
    if (forcedNull(number, 5) || rng.chance(0.05)) score = jet::Null{};
    jet::Value attempts = static_cast<int16_t>(rng.between(1, 5));
    if (forcedNull(number, 6) || rng.chance(0.1)) attempts = jet::Null{};
    const jet::Value notes = forcedNull(number, 7) ? jet::Value(jet::Null{}) : memo(rng, number);
    c.row = {int32_t{c.number}, c.agentId, c.name, c.date, c.location, c.expiration, c.passed, score, attempts, notes};
  } else {
    jet::Value hours = static_cast<double>(rng.between(1, 80)) / 2.0;
    if (forcedNull(number, 5) || rng.chance(0.05)) hours = jet::Null{};
    jet::Value fee = jet::Currency{rng.between(0, 50000) * 100};
    if (forcedNull(number, 6) || rng.chance(0.1)) fee = jet::Null{};
    c.row = {int32_t{c.number}, c.agentId, c.name, c.date, c.location, c.expiration, c.passed, hours, fee};
  }
  return c;
}

}  // namespace tools

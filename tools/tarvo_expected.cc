#include "tools/tarvo_expected.h"

#include "jet/util/unicode.h"
#include "tools/dump_format.h"

#include <algorithm>
#include <cassert>
#include <fstream>
#include <queue>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace tools {

namespace {

// Text copy: Null gives the empty text, a text comes through unchanged. The model only
// puts text into the copied columns.
std::u16string textCopy(const jet::Value& v) {
  if (v.isNull()) return {};
  const auto* s = v.getIf<std::u16string>();
  assert(s && "text copy of a value that is not text");
  return s ? *s : std::u16string();
}

std::optional<double> dateCopy(const jet::Value& v) {
  if (const auto* d = v.getIf<jet::DateTime>()) return d->days;
  assert(v.isNull());
  return std::nullopt;
}

std::optional<CertRow> certRow(const TarvoModel& model, const Course& c, char16_t type) {
  if (!c.passed || !model.onRoster(c.agentId)) return std::nullopt;
  const Person p = model.person(c.agentId.get<int32_t>());
  // Control.License_Nbr = Roster.License: a Null licence matches nothing; other licences
  // differ in their digits, so exact comparison is the join's comparison here.
  const auto* license = p.license.getIf<std::u16string>();
  if (!license || *license != model.licenseNumber()) return std::nullopt;
  CertRow r;
  r.lname = textCopy(p.lname);
  r.fname = textCopy(p.fname);
  r.course = textCopy(c.name);
  r.date = dateCopy(c.date);
  r.location = textCopy(c.location);
  r.email = textCopy(p.email);
  r.expiration = dateCopy(c.expiration);
  r.licenseNo = *license;
  r.licensee = model.licensee();
  const bool noOffice = p.office.isNull() || p.office.get<std::u16string>().empty();
  r.office = noOffice ? model.licensee() : textCopy(p.office);
  r.type = type;
  return r;
}

std::string dateJson(const std::optional<double>& d) {
  return d ? "\"" + formatJetDate(*d) + "\"" : "null";
}

// The rows, sorted by (Type, JSON text) with bounded memory: runs of sorted lines spill to
// files that are merged at the end.
class SortedRows {
 public:
  SortedRows(std::filesystem::path spillBase, size_t runBytes)
      : base_(std::move(spillBase)), runBytes_(runBytes) {}
  ~SortedRows() {
    std::error_code ec;
    for (const auto& p : spills_) std::filesystem::remove(p, ec);
  }
  SortedRows(const SortedRows&) = delete;
  SortedRows& operator=(const SortedRows&) = delete;

  void add(char16_t type, std::string json) {
    std::string key(1, static_cast<char>(type));
    key += json;
    bytes_ += key.size() + sizeof(std::string);
    run_.push_back(std::move(key));
    if (bytes_ > runBytes_) spill();
  }

  // Calls emit(json) for every row in order.
  template <typename Emit>
  void drain(Emit emit) {
    std::sort(run_.begin(), run_.end());
    if (spills_.empty()) {
      for (const auto& k : run_) emit(std::string_view(k).substr(1));
      return;
    }
    spill();
    struct Head {
      std::string key;
      size_t source;
      bool operator>(const Head& o) const { return key > o.key; }
    };
    std::vector<std::ifstream> in;
    for (const auto& p : spills_) in.emplace_back(p, std::ios::binary);
    std::priority_queue<Head, std::vector<Head>, std::greater<Head>> heads;
    for (size_t i = 0; i < in.size(); ++i) {
      std::string line;
      if (std::getline(in[i], line)) heads.push({std::move(line), i});
    }
    while (!heads.empty()) {
      Head h = heads.top();
      heads.pop();
      emit(std::string_view(h.key).substr(1));
      if (std::getline(in[h.source], h.key)) heads.push(std::move(h));
    }
    for (size_t i = 0; i < in.size(); ++i)
      if (in[i].bad()) throw std::runtime_error("cannot read back " + jet::pathText(spills_[i]));
  }

 private:
  void spill() {
    if (run_.empty()) return;
    std::sort(run_.begin(), run_.end());
    auto path = base_;
    path += ".sort" + std::to_string(spills_.size());
    spills_.push_back(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const auto& k : run_) out << k << '\n';  // a JSON row has no raw newline
    out.close();
    if (!out) throw std::runtime_error("cannot write " + jet::pathText(path));
    run_.clear();
    run_.shrink_to_fit();
    bytes_ = 0;
  }

  std::filesystem::path base_;
  size_t runBytes_;
  std::vector<std::string> run_;
  size_t bytes_ = 0;
  std::vector<std::filesystem::path> spills_;
};

}  // namespace

std::string toUtf8(std::u16string_view text) { return jet::toUtf8(text); }

std::string jsonString(std::u16string_view text) { return jsonString(toUtf8(text)); }

std::string certRowJson(const CertRow& r) {
  std::string s = "{\"LName\": " + jsonString(r.lname);
  s += ", \"FName\": " + jsonString(r.fname);
  s += ", \"Course\": " + jsonString(r.course);
  s += ", \"Date\": " + dateJson(r.date);
  s += ", \"Location\": " + jsonString(r.location);
  s += ", \"Email\": " + jsonString(r.email);
  s += ", \"Expiration\": " + dateJson(r.expiration);
  s += ", \"LicenseNo\": " + jsonString(r.licenseNo);
  s += ", \"Office\": " + jsonString(r.office);
  s += ", \"Licensee\": " + jsonString(r.licensee);
  s += ", \"Type\": " + jsonString(std::u16string(1, r.type)) + "}";
  return s;
}

std::optional<CertRow> qualificationCertRow(const TarvoModel& model, int64_t number) {
  return certRow(model, model.qualification(number), u'Q');
}

std::optional<CertRow> trainingCertRow(const TarvoModel& model, int64_t number) {
  return certRow(model, model.training(number), u'T');
}

void forEachCertRow(const TarvoModel& model, const std::function<void(const CertRow&)>& visit) {
  for (int64_t n = 1; n <= model.options().qualifications; ++n)
    if (auto r = qualificationCertRow(model, n)) visit(*r);
  for (int64_t n = 1; n <= model.options().trainings; ++n)
    if (auto r = trainingCertRow(model, n)) visit(*r);
}

CertCounts writeExpectedJson(const TarvoModel& model, const std::string& sourceName,
                             const std::filesystem::path& out, size_t sortMemory) {
  auto partial = out;
  partial += ".partial";
  CertCounts counts;
  try {
    SortedRows rows(partial, sortMemory);
    forEachCertRow(model, [&](const CertRow& r) {
      (r.type == u'Q' ? counts.qualificationRows : counts.trainingRows)++;
      rows.add(r.type, certRowJson(r));
    });

    std::ofstream f(partial, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot create " + jet::pathText(partial));
    const auto& o = model.options();
    f << "{\n  \"source\": " << jsonString(sourceName)
      << ",\n  \"seed\": " << o.seed << ",\n  \"counts\": {\n    \"roster\": " << o.people
      << ",\n    \"qualifications\": " << o.qualifications << ",\n    \"training\": " << o.trainings
      << ",\n    \"qualificationCertRows\": " << counts.qualificationRows
      << ",\n    \"trainingCertRows\": " << counts.trainingRows << "\n  },\n  \"control\": {\n"
      << "    \"License_Nbr\": " << jsonString(model.licenseNumber()) << ",\n    \"Licensee\": "
      << jsonString(model.licensee()) << "\n  },\n"
      << "  \"order\": \"all Type Q rows come before all Type T rows; within each type the order "
         "is not fixed (rows here are sorted only to make the file canonical)\",\n"
      << "  \"columns\": [\"LName\", \"FName\", \"Course\", \"Date\", \"Location\", \"Email\", "
         "\"Expiration\", \"LicenseNo\", \"Office\", \"Licensee\", \"Type\"],\n"
      << "  \"rows\": [";
    bool first = true;
    rows.drain([&](std::string_view json) {
      f << (first ? "\n    " : ",\n    ") << json;
      first = false;
    });
    f << (first ? "]\n}\n" : "\n  ]\n}\n");
    f.close();
    if (!f) throw std::runtime_error("cannot write " + jet::pathText(partial));
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove(partial, ec);
    throw;
  }
  std::error_code ec;
  std::filesystem::rename(partial, out, ec);
  if (ec) {
    std::filesystem::remove(partial, ec);
    throw std::runtime_error("cannot write " + jet::pathText(out) + ": " + ec.message());
  }
  return counts;
}

}  // namespace tools

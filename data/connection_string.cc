#include "data/connection_string.h"

#include <vector>

#include "data/error.h"
#include "data/text.h"

namespace data {
namespace {

constexpr std::u16string_view kJetProvider = u"Microsoft.Jet.OLEDB.4.0";

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

[[noreturn]] void bad(const std::string& why) {
  fail(errc::kBadConnectionString, "The connection string cannot be understood: " + why + ".");
}

struct Pair {
  std::u16string key;
  std::u16string value;
};

// Splits into key/value pairs; a quoted value may hold ';' and '='.
std::vector<Pair> split(std::u16string_view text) {
  std::vector<Pair> pairs;
  size_t i = 0;
  while (i < text.size()) {
    size_t eq = i;
    while (eq < text.size() && text[eq] != u'=' && text[eq] != u';') ++eq;
    std::u16string_view key = trim(text.substr(i, eq - i));
    if (eq >= text.size() || text[eq] == u';') {
      if (!key.empty()) bad("\"" + toUtf8(key) + "\" has no '='");
      i = eq + 1;
      continue;
    }
    if (key.empty()) bad("a value has no key");
    size_t v = eq + 1;
    while (v < text.size() && isBlank(text[v])) ++v;
    std::u16string value;
    if (v < text.size() && (text[v] == u'"' || text[v] == u'\'')) {
      char16_t quote = text[v++];
      bool closed = false;
      while (v < text.size()) {
        if (text[v] == quote) {
          if (v + 1 < text.size() && text[v + 1] == quote) {
            value += quote;
            v += 2;
            continue;
          }
          closed = true;
          ++v;
          break;
        }
        value += text[v++];
      }
      if (!closed) bad("the value of \"" + toUtf8(key) + "\" has no closing quote");
      while (v < text.size() && isBlank(text[v])) ++v;
      if (v < text.size() && text[v] != u';') {
        bad("text follows the quoted value of \"" + toUtf8(key) + "\"");
      }
    } else {
      size_t end = v;
      while (end < text.size() && text[end] != u';') ++end;
      value = std::u16string(trim(text.substr(v, end - v)));
      v = end;
    }
    pairs.push_back({std::u16string(key), std::move(value)});
    i = v + 1;
  }
  return pairs;
}

// Mode: names joined by '|', e.g. "Read|Write", "Share Deny None", or the numeric value.
void parseMode(std::u16string_view text, ConnectionString& cs) {
  bool read = false, write = false, denyWrite = false, any = false;
  size_t i = 0;
  while (i <= text.size()) {
    size_t bar = text.find(u'|', i);
    if (bar == std::u16string_view::npos) bar = text.size();
    std::u16string_view word = trim(text.substr(i, bar - i));
    if (equalsIgnoreCase(word, u"Read")) {
      read = true;
    } else if (equalsIgnoreCase(word, u"Write")) {
      write = true;
    } else if (equalsIgnoreCase(word, u"ReadWrite")) {
      read = write = true;
    } else if (equalsIgnoreCase(word, u"Share Deny Write") ||
               equalsIgnoreCase(word, u"Share Exclusive")) {
      denyWrite = true;
    } else if (equalsIgnoreCase(word, u"Share Deny None") ||
               equalsIgnoreCase(word, u"Share Deny Read")) {
      // Readers lock nothing here, so there is no reader to deny.
    } else if (!word.empty() && word.size() < 6 &&
               word.find_first_not_of(u"0123456789") == std::u16string_view::npos) {
      int n = 0;
      for (char16_t c : word) n = n * 10 + (c - u'0');
      if (n & ~0x3F) bad("Mode " + toUtf8(word) + " is not a known mode");
      read = read || (n & 1);
      write = write || (n & 2);
      denyWrite = denyWrite || (n & 8);  // adModeShareDenyWrite, also in adModeShareExclusive
    } else {
      bad("Mode \"" + toUtf8(word) + "\" is not a known mode");
    }
    any = true;
    i = bar + 1;
  }
  if (!any) bad("Mode is empty");
  if (!read && !write) {  // only sharing words: the default access
    read = write = true;
  }
  // Write alone still lets the engine read the pages it must update.
  cs.readable = read || write;
  cs.writable = write;
  cs.denyWrite = denyWrite;
}

int parseEngineType(std::u16string_view text) {
  if (text.empty() || text.size() > 3 ||
      text.find_first_not_of(u"0123456789") != std::u16string_view::npos) {
    bad("Jet OLEDB:Engine Type \"" + toUtf8(text) + "\" is not a number");
  }
  int n = 0;
  for (char16_t c : text) n = n * 10 + (c - u'0');
  return n;
}

// Keys the provider accepts that change nothing for a local Jet 4.0 file.
constexpr std::u16string_view kIgnoredKeys[] = {
    u"User ID",
    u"Persist Security Info",
    u"Locale Identifier",
    u"Jet OLEDB:Database Locking Mode",
    u"Jet OLEDB:Global Partial Bulk Ops",
    u"Jet OLEDB:Global Bulk Transactions",
    u"Jet OLEDB:Registry Path",
    u"Jet OLEDB:System database",
    u"Jet OLEDB:New Database Password",
    u"Jet OLEDB:Create System Database",
    u"Jet OLEDB:Encrypt Database",
    u"Jet OLEDB:Don't Copy Locale on Compact",
    u"Jet OLEDB:Compact Without Replica Repair",
    u"Jet OLEDB:SFP",
};

}  // namespace

ConnectionString ConnectionString::parse(std::u16string_view text) {
  ConnectionString cs;
  std::vector<Pair> seen;
  for (Pair& p : split(text)) {
    for (const Pair& s : seen) {
      if (equalsIgnoreCase(s.key, p.key) && s.value != p.value) {
        bad("\"" + toUtf8(p.key) + "\" is given twice with different values");
      }
    }
    seen.push_back(p);
    const std::u16string_view key = p.key;
    if (equalsIgnoreCase(key, u"Provider")) {
      cs.provider = p.value;
    } else if (equalsIgnoreCase(key, u"Data Source")) {
      cs.dataSource = p.value;
    } else if (equalsIgnoreCase(key, u"Jet OLEDB:Database Password")) {
      cs.password = p.value;
    } else if (equalsIgnoreCase(key, u"Mode")) {
      parseMode(p.value, cs);
    } else if (equalsIgnoreCase(key, u"Jet OLEDB:Engine Type")) {
      cs.engineType = parseEngineType(p.value);
    } else if (equalsIgnoreCase(key, u"Password")) {
      // The user-level password of Jet's workgroup security: only the default empty one.
      if (!p.value.empty()) bad("user-level security (a Password) is not supported");
    } else {
      bool known = false;
      for (std::u16string_view k : kIgnoredKeys) known = known || equalsIgnoreCase(key, k);
      if (!known) bad("\"" + toUtf8(key) + "\" is not a keyword of the Jet provider");
    }
  }
  return cs;
}

void ConnectionString::requireJetFile() const {
  if (provider.empty()) {
    fail(errc::kProviderNotFound, "The connection string names no provider; it must be " +
                                      toUtf8(kJetProvider) + ".");
  }
  if (!equalsIgnoreCase(provider, kJetProvider)) {
    fail(errc::kProviderNotFound, "Provider \"" + toUtf8(provider) +
                                      "\" cannot be found; only " + toUtf8(kJetProvider) +
                                      " is available.");
  }
  if (!dataSource || dataSource->empty()) {
    fail(errc::kUnspecified, "The connection string names no database file (Data Source).");
  }
}

}  // namespace data

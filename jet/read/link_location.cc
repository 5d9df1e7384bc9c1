#include "jet/read/link_location.h"

#include <system_error>

#include "jet/util/unicode.h"

namespace jet {
namespace {

bool isSlash(char16_t c) { return c == u'\\' || c == u'/'; }

bool isRegularFile(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

// The stored path as this system reads it; nothing when it cannot name a file here.
std::optional<std::filesystem::path> storedPathHere(std::u16string_view stored,
                                                    const std::filesystem::path& linkingFolder) {
  if (stored.empty()) return std::nullopt;
#ifndef _WIN32
  if (isWindowsAbsolute(stored)) return std::nullopt;
  // A relative path saved on Windows separates its parts with '\'.
  std::u16string text(stored);
  for (char16_t& c : text) {
    if (c == u'\\') c = u'/';
  }
  std::filesystem::path p(text);
#else
  std::filesystem::path p{std::u16string(stored)};
#endif
  if (p.is_relative()) p = linkingFolder / p;
  return p.lexically_normal();
}

}  // namespace

bool isWindowsAbsolute(std::u16string_view stored) {
  if (stored.size() >= 2 && isSlash(stored[0]) && isSlash(stored[1])) return true;
  if (stored.size() >= 3 && stored[1] == u':' && isSlash(stored[2])) {
    const char16_t d = stored[0];
    return (d >= u'A' && d <= u'Z') || (d >= u'a' && d <= u'z');
  }
  return false;
}

std::u16string storedFileName(std::u16string_view stored) {
  size_t start = 0;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (isSlash(stored[i])) start = i + 1;
  }
  // "C:name.mdb" is relative to the drive's current folder; its name follows the colon.
  if (start == 0 && stored.size() > 2 && stored[1] == u':') start = 2;
  return std::u16string(stored.substr(start));
}

std::optional<std::filesystem::path> findInFolder(const std::filesystem::path& folder, std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return std::nullopt;
  const std::filesystem::path exact = folder / std::filesystem::path(std::u16string(name));
  if (isRegularFile(exact)) return exact;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return std::nullopt;
    if (equalsIgnoreCase(it->path().filename().u16string(), name) && isRegularFile(it->path())) {
      return it->path();
    }
  }
  return std::nullopt;
}

LinkLocation locateBackEnd(std::u16string_view stored, const std::filesystem::path& linkingFolder) {
  LinkLocation where;
  if (auto p = storedPathHere(stored, linkingFolder)) {
    where.tried.push_back(*p);
    if (isRegularFile(*p)) {
      where.found = *p;
      return where;
    }
  } else if (!stored.empty()) {
    where.tried.push_back(std::filesystem::path(std::u16string(stored)));
  }
  const std::u16string name = storedFileName(stored);
  if (name.empty()) return where;
  const std::filesystem::path beside = linkingFolder / std::filesystem::path(name);
  if (where.tried.empty() || where.tried.back() != beside) where.tried.push_back(beside);
  if (auto p = findInFolder(linkingFolder, name)) where.found = *p;
  return where;
}

}  // namespace jet

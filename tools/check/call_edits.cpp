#include "tools/check/call_edits.h"

#include <algorithm>

namespace {

// FNV-1a of the text with a kind byte in front, so the three kinds of key
// never meet.
uint64_t Hash(char kind, const std::string& text, size_t skip) {
  uint64_t h = 1469598103934665603ull;
  const auto mix = [&h](unsigned char c) {
    h ^= c;
    h *= 1099511628211ull;
  };
  mix(static_cast<unsigned char>(kind));
  for (size_t i = 0; i < text.size(); ++i) {
    if (i != skip) mix(static_cast<unsigned char>(text[i]));
  }
  return h;
}

constexpr char kWhole = 0;    // the call itself
constexpr char kDeleted = 1;  // one character deleted, position forgotten
constexpr char kAtPlace = 2;  // one character deleted at a position (+ that position)

}  // namespace

bool OneEditApart(const std::string& a, const std::string& b) {
  const std::string& longer = a.size() >= b.size() ? a : b;
  const std::string& shorter = a.size() >= b.size() ? b : a;
  if (longer.size() - shorter.size() > 1) return false;
  size_t i = 0;
  while (i < shorter.size() && shorter[i] == longer[i]) ++i;
  if (longer.size() == shorter.size()) {
    if (i == longer.size()) return false;  // equal
    return longer.compare(i + 1, std::string::npos, shorter, i + 1, std::string::npos) == 0;
  }
  return longer.compare(i + 1, std::string::npos, shorter, i, std::string::npos) == 0;
}

void OneEditIndex::Keys(const std::string& call, bool query, std::vector<uint64_t>* keys) const {
  keys->clear();
  const size_t none = std::string::npos;
  // Filed: the call, its deleted texts and its placed deleted texts. Asked:
  // the call against calls and deleted texts (equal, or one insertion
  // away), its deleted texts against calls (one deletion away) and its
  // placed deleted texts against the same (one substitution away).
  keys->push_back(Hash(kWhole, call, none));
  if (query) keys->push_back(Hash(kDeleted, call, none));
  for (size_t i = 0; i < call.size(); ++i) {
    keys->push_back(Hash(query ? kWhole : kDeleted, call, i));
    keys->push_back(Hash(kAtPlace, call, i) ^ (0x9E3779B97F4A7C15ull * (i + 1)));
  }
}

void OneEditIndex::Add(const std::string& call, int id) {
  std::vector<uint64_t> keys;
  Keys(call, false, &keys);
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  for (uint64_t key : keys) ids_[key].push_back(id);
}

std::vector<int> OneEditIndex::Near(const std::string& call) const {
  std::vector<uint64_t> keys;
  Keys(call, true, &keys);
  std::vector<int> found;
  for (uint64_t key : keys) {
    auto it = ids_.find(key);
    if (it != ids_.end()) found.insert(found.end(), it->second.begin(), it->second.end());
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

bool OneEditIndex::NearAnyBut(const std::string& call, int except) const {
  std::vector<uint64_t> keys;
  Keys(call, true, &keys);
  for (uint64_t key : keys) {
    auto it = ids_.find(key);
    if (it == ids_.end()) continue;
    for (int id : it->second) {
      if (id != except) return true;
    }
  }
  return false;
}

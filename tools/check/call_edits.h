// Calls one edit apart: the rule that says two calls could be taken for one
// another (one character substituted, inserted or deleted), and an index
// that finds, among many calls, those within one edit of a given call
// without comparing it with every one. The cross-check judges busted calls
// by it and the contest generator keeps its calls apart by it, so both read
// "one edit" the same way. The index owns copies of its keys; one thread at
// a time.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// One edit (substitution, insertion or deletion) turns `a` into `b`.
bool OneEditApart(const std::string& a, const std::string& b);

class OneEditIndex {
 public:
  // Files `call` under `id` (any number the caller chooses).
  void Add(const std::string& call, int id);
  // The ids filed under calls equal to `call` or one edit from it, each
  // once, in no particular order. A hash collision may add an id whose
  // call is further away: callers that need certainty confirm with
  // OneEditApart.
  std::vector<int> Near(const std::string& call) const;
  // Whether any call other than those filed under `except` is equal to
  // `call` or one edit from it (collisions count as near: never a false
  // "no").
  bool NearAnyBut(const std::string& call, int except) const;

 private:
  // Every call is filed under its own text and under each text that one
  // deleted character leaves, the latter once with and once without the
  // position: a substitution leaves the same text at the same position, an
  // insertion or a deletion makes one call the other's deleted text.
  void Keys(const std::string& call, bool query, std::vector<uint64_t>* keys) const;
  std::unordered_map<uint64_t, std::vector<int>> ids_;
};

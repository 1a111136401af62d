#pragma once
// Membership of a device type index in a list of types and type ranges, so
// that each command reads like its row of a command table:
//   if (TypeIn(type, {Range(4, 11), Range(18, 24), 26, 27, 30})) ...
#include <initializer_list>

struct TypeRange {
  constexpr TypeRange(int single) : first(single), last(single) {}  // NOLINT: implicit on purpose
  constexpr TypeRange(int from, int to) : first(from), last(to) {}
  int first;
  int last;
};

constexpr TypeRange Range(int from, int to) { return TypeRange(from, to); }

constexpr bool TypeIn(int type, std::initializer_list<TypeRange> types) {
  for (const TypeRange &r : types) {
    if (type >= r.first && type <= r.last) return true;
  }
  return false;
}

#pragma once
// Bytes received but not read yet, handed out up to the termination
// character or the room left in the caller's buffer.
#include "visa/Transport.h"

#include <cstring>
#include <string>

// Moves bytes from pending to out (room bytes free); true when the last one
// moved was the termination character.
inline bool takePending(std::string &pending, ViByte *out, size_t room, const IoSettings &io, size_t &moved) {
  moved = std::min(room, pending.size());
  bool atTerm = false;
  if (io.termCharEnabled && moved > 0) {
    const void *term = std::memchr(pending.data(), io.termChar, moved);
    if (term) {
      moved = size_t(static_cast<const char *>(term) - pending.data()) + 1;
      atTerm = true;
    }
  }
  std::memcpy(out, pending.data(), moved);
  pending.erase(0, moved);
  return atTerm;
}

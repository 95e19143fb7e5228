#pragma once
// Exceptions of the GIF codec. Every format fault is a GifException carrying an English text;
// the callers (picture container, export) decide what the user sees.
#include <new>
#include <string>

#include "imagefile/errors.h"

namespace gif {

class GifException : public imagefile::InvalidGraphic {
 public:
  using imagefile::InvalidGraphic::InvalidGraphic;
};

// Memory the codec could not get (std::bad_alloc arrives as this, too).
class GifOutOfMemory : public imagefile::Error {
 public:
  using imagefile::Error::Error;
};

// Stream and device faults, with the system's text after " - ".
class GifStreamError : public imagefile::InOutError {
 public:
  using imagefile::InOutError::InOutError;
};

// An operation on an image that it cannot carry out (a row outside it).
class GifInvalidOperation : public imagefile::InvalidGraphic {
 public:
  using imagefile::InvalidGraphic::InvalidGraphic;
};

// Runs f; memory the runtime could not get arrives as GifOutOfMemory.
template <class F>
auto guardMemory(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    throw GifOutOfMemory("Out of memory");
  }
}

[[noreturn]] inline void raiseError(const std::string& message) { throw GifException(message); }

}  // namespace gif

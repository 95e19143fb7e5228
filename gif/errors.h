#pragma once
// Exceptions of the GIF codec. Every format fault is a GifException carrying an English text;
// the callers (picture container, export) decide what the user sees.
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

[[noreturn]] inline void raiseError(const std::string& message) { throw GifException(message); }

}  // namespace gif

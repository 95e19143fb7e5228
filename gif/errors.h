#pragma once
// Exceptions of the GIF codec. Every format fault is a GifException carrying an English text;
// the callers (picture container, export) decide what the user sees.
#include <new>
#include <stdexcept>
#include <string>

namespace gif {

// Base of every "this is not a usable graphic" failure.
class InvalidGraphicBase : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class GifException : public InvalidGraphicBase {
 public:
  using InvalidGraphicBase::InvalidGraphicBase;
};

// Allocation failures of the codec, with a text a user can read.
class GifOutOfMemory : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Stream faults (files, devices) with the system's error text after " - ".
class GifStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] inline void raiseError(const std::string& message) { throw GifException(message); }

}  // namespace gif

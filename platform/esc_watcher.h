#pragma once
// ESC watcher for long operations.
//
// Qt cannot ask whether a key is held down, so while an operation runs an application event
// filter latches an ESC press and swallows all other user input (keys, mouse, wheel) and the
// user's window-close requests; the close requests are re-posted when the operation ends.
// pressed() pumps the event queue at most about every 30 ms, so a loop may poll it on every
// pass at almost no cost.
//
//   EscWatcher::Operation op;          // reset() now, finish() at scope exit
//   while (...) { if (EscWatcher::pressed()) break; ... }
namespace EscWatcher {

// Starts an operation: clears the latch (an earlier press does not count) and starts
// watching. Calling it again inside an operation only clears the latch.
void reset();
// True once ESC has been pressed since reset(). After finish() it keeps reporting the
// ended operation's answer (without pumping events) until the next reset().
bool pressed();
// Ends the operation: stops swallowing input and re-posts the swallowed close requests.
void finish();
// An operation is running (between reset() and finish()).
bool active();

// Test hook: the next n polls report no press, the poll after them latches a press (n = 0:
// the very next poll). One-shot; n < 0 switches the hook off. reset() does not clear it.
void pressAfterPolls(int n);

// reset() on construction; finish() on destruction unless an operation was already running
// when it was made (nested operations end with the outermost one).
class Operation {
 public:
  Operation();
  ~Operation();
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

 private:
  bool outer_;
};

// While one lives, input flows normally although an operation runs: a message box or a modal
// window shown in the middle of an operation must be usable. ESC is not latched meanwhile.
// An operation started while one lives (a search in a modal window) is watched as usual.
class Suspend {
 public:
  Suspend();
  ~Suspend();
  Suspend(const Suspend&) = delete;
  Suspend& operator=(const Suspend&) = delete;
};

}  // namespace EscWatcher

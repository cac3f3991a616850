// The one guard that every event handler runs its body through. An error
// raised by the body ends the body at that point, is shown in the error box
// and the handler returns, so the program keeps running. Qt's libraries
// carry no exception tables: an error must never leave a handler and travel
// through Qt's frames, so every slot catches here.
#pragma once

#include <exception>
#include <new>
#include <optional>
#include <utility>

#include "core/platform/Errors.h"
#include "core/shell/MessageBoxes.h"

class EventGuard {
 public:
  explicit EventGuard(MessageBoxes& messages) : Messages(messages) {}

  // Runs body. Returns true when it ran to its end, false when it raised an
  // error, which has then been shown. Errors outside the program's own
  // hierarchy are shown by their description as well.
  template <class Body>
  bool Run(Body&& body) const noexcept {
    std::optional<Exception> failure;
    try {
      std::forward<Body>(body)();
      return true;
    } catch (const Exception& error) {
      failure.emplace(error.ClassName(), error.Message());
      failure->SetPath(error.Path());  // the box names the file on its second line
    } catch (const std::bad_alloc&) {
      failure.emplace("EOutOfMemory", "Out of memory");
    } catch (const std::exception& error) {
      failure.emplace("Exception", error.what());
    } catch (...) {
      failure.emplace("Exception", "Unknown error");
    }
    // The box runs a nested event loop: it is shown after the handler's
    // frames have been left, not from inside the catch block.
    Show(*failure);
    return false;
  }

  MessageBoxes& Boxes() const { return Messages; }

 private:
  void Show(const Exception& error) const noexcept {
    try {
      Messages.ShowErrorMessage(error);
    } catch (...) {
      // Nothing is left to report a failing error box with.
    }
  }

  MessageBoxes& Messages;
};

// Runs body through guard; without a guard (a control not yet wired into a
// window) an error ends the body and is dropped, but never leaves here.
template <class Body>
bool RunGuarded(const EventGuard* guard, Body&& body) noexcept {
  if (guard) return guard->Run(std::forward<Body>(body));
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    return false;
  }
}

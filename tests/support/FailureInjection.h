// Runs an action in a forked child whose writes are cut short by a
// file-size limit, and reports how the child ended.
#pragma once

#include <functional>
#include <string>

struct ChildOutcome {
  bool Threw = false;     // the action raised one of the program's errors
  std::string ClassName;  // its class
  std::string Message;    // its message
  bool Crashed = false;   // the child died or left otherwise
};

ChildOutcome RunWithFileSizeLimit(std::size_t limitBytes, const std::function<void()>& action);

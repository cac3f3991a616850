// A publish run from the main window: the copies are made on a thread of
// its own (which runs the publishing workers) while a progress dialog with
// a Cancel button and the window go on handling events.
#pragma once

#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include "core/publish/Publish.h"

class QWidget;

class PublishProgress {
 public:
  PublishProgress() = default;
  // A publish still running is cancelled and its thread joined.
  ~PublishProgress();
  PublishProgress(const PublishProgress&) = delete;
  PublishProgress& operator=(const PublishProgress&) = delete;

  // Publishes under a progress dialog over parent (not modal: the caller
  // keeps the parent's controls from input); returns when the publish has
  // ended, or has been cancelled because the application quits. Cancel
  // stops the workers before their next picture. Errors of the publish are
  // raised here, on the calling thread.
  PublishResult Run(QWidget* parent, PublishRequest request);

  // True while the publish's thread runs.
  bool Running() const { return Thread.joinable(); }

  // Cancels a running publish and waits for its thread.
  void Stop();

 private:
  std::atomic<bool> Cancel{false};
  std::atomic<int> Done{0};
  std::atomic<int> Total{0};
  std::atomic<bool> Finished{false};
  PublishResult Result;
  std::exception_ptr Error;
  std::thread Thread;
};

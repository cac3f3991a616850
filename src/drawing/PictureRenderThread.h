// A picture rendered as RenderPicture renders it, on a thread of its own, so
// that a window never waits for a slow decode (a phone's 12-megapixel HEIC
// takes over a second of processor time) and never waits for one that is no
// longer needed.
//
// One picture at a time: Start abandons the render before it. An abandoned
// render is told to stop (a HEIF grid stops after the tiles being decoded;
// other decodes run to their end on their thread), its result is dropped
// and `rendered` is not called for it; nothing waits for it. The owner's
// thread calls Start, Abandon, Ready and TakeResult; `rendered` is called on
// the render's own thread.
#pragma once

#include <QImage>
#include <QSize>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/pictures/PictureKind.h"

class PictureRenderThread {
 public:
  // `rendered` is called once for each render that ends while it is still
  // the current one, on the render's thread, with a lock held that Start and
  // Abandon also take: it must only hand the news on (post an event, for
  // instance) and never call back into this object.
  explicit PictureRenderThread(std::function<void()> rendered);
  // Abandons the current render and waits for the threads of every render
  // still running: a HEIF grid stops within a tile, other decodes run to
  // their end.
  ~PictureRenderThread();
  PictureRenderThread(const PictureRenderThread&) = delete;
  PictureRenderThread& operator=(const PictureRenderThread&) = delete;

  // Renders the picture for a rectangle of size `target` on a new thread.
  void Start(PictureKind kind, std::string bytes, QSize target, const ScreenMetrics& screen);
  // Drops the current render, if any.
  void Abandon();
  // True when the current render has ended and its image is waiting.
  bool Ready() const;
  // Moves the waiting image (null when the picture could not be decoded)
  // into `image` and returns true; false when none is waiting.
  bool TakeResult(QImage& image);

 private:
  struct Job;
  void Run(const std::shared_ptr<Job>& job);
  void JoinFinished();

  std::function<void()> Rendered;
  mutable std::mutex Lock;  // guards Current, HaveResult, Result and the call of Rendered
  std::shared_ptr<Job> Current;
  bool HaveResult = false;
  QImage Result;
  std::vector<std::shared_ptr<Job>> Jobs;  // started and not yet joined; owner's thread only
};

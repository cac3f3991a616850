#include "drawing/PictureRenderThread.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <utility>

#include "drawing/PictureDrawing.h"

struct PictureRenderThread::Job {
  PictureKind Kind = PictureKind::Bitmap;
  std::string Bytes;
  QSize Target;
  ScreenMetrics Screen;
  std::atomic<bool> Cancel{false};
  std::atomic<bool> Finished{false};
  std::thread Thread;
};

PictureRenderThread::PictureRenderThread(std::function<void()> rendered)
    : Rendered(std::move(rendered)) {}

PictureRenderThread::~PictureRenderThread() {
  Abandon();
  for (const std::shared_ptr<Job>& job : Jobs)
    if (job->Thread.joinable()) job->Thread.join();
}

void PictureRenderThread::Start(PictureKind kind, std::string bytes, QSize target,
                                const ScreenMetrics& screen) {
  Abandon();
  JoinFinished();
  auto job = std::make_shared<Job>();
  job->Kind = kind;
  job->Bytes = std::move(bytes);
  job->Target = target;
  job->Screen = screen;
  {
    const std::lock_guard<std::mutex> hold(Lock);
    Current = job;
  }
  try {
    job->Thread = std::thread([this, job] { Run(job); });
  } catch (const std::system_error&) {
    Run(job);  // no thread to be had: rendered here, as a window would without this class
  }
  Jobs.push_back(std::move(job));
}

void PictureRenderThread::Abandon() {
  const std::lock_guard<std::mutex> hold(Lock);
  if (Current) Current->Cancel = true;
  Current.reset();
  HaveResult = false;
  Result = QImage();
}

bool PictureRenderThread::Ready() const {
  const std::lock_guard<std::mutex> hold(Lock);
  return HaveResult;
}

bool PictureRenderThread::TakeResult(QImage& image) {
  const std::lock_guard<std::mutex> hold(Lock);
  if (!HaveResult) return false;
  image = std::move(Result);
  Result = QImage();
  HaveResult = false;
  return true;
}

void PictureRenderThread::Run(const std::shared_ptr<Job>& job) {
  QImage image = RenderPicture(job->Kind, job->Bytes, job->Target, job->Screen, &job->Cancel);
  {
    const std::lock_guard<std::mutex> hold(Lock);
    if (Current == job && !job->Cancel) {
      Current.reset();
      Result = std::move(image);
      HaveResult = true;
      if (Rendered) Rendered();
    }
  }
  job->Finished = true;
}

void PictureRenderThread::JoinFinished() {
  std::erase_if(Jobs, [](const std::shared_ptr<Job>& job) {
    if (!job->Finished) return false;
    if (job->Thread.joinable()) job->Thread.join();
    return true;
  });
}

#include "backends/qt/qt_file_writer.h"

#include <QMetaObject>
#include <QPointer>

#include "base/durable_file.h"

namespace jinro::qt {

QtFileWriter::QtFileWriter() : thread_([this] { run(); }) {}

QtFileWriter::~QtFileWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void QtFileWriter::write(std::string path, std::string bytes, std::function<void(Result<void>)> done) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back({std::move(path), std::move(bytes), std::move(done)});
  }
  wake_.notify_one();
}

void QtFileWriter::run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;  // stopping, and nothing left to write
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    Result<void> written = writeFileDurably(job.path, job.bytes);
    if (!job.done) continue;
    // Queued to this object: a writer destroyed meanwhile drops the answer.
    QMetaObject::invokeMethod(
        this, [done = std::move(job.done), written = std::move(written)]() mutable { done(std::move(written)); },
        Qt::QueuedConnection);
  }
}

}  // namespace jinro::qt

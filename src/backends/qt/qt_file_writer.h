#pragma once
// Files written on a thread of their own, one after the other; the results
// come back on the window's thread. Destroying the writer finishes every
// write asked for first.
#include <QObject>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/file_writer.h"

namespace jinro::qt {

class QtFileWriter : public QObject, public FileWriter {
 public:
  QtFileWriter();
  ~QtFileWriter() override;

  void write(std::string path, std::string bytes, std::function<void(Result<void>)> done) override;

 private:
  struct Job {
    std::string path;
    std::string bytes;
    std::function<void(Result<void>)> done;
  };
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace jinro::qt

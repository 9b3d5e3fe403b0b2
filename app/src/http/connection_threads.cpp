#include "http/connection_threads.h"

#include <thread>

namespace verhulzen {

std::shared_ptr<ConnectionThreads> ConnectionThreads::create(Serve serve,
                                                             std::chrono::milliseconds idle) {
  return std::shared_ptr<ConnectionThreads>(new ConnectionThreads(std::move(serve), idle));
}

void ConnectionThreads::serve(Accepted accepted) {
  std::unique_lock guard(lock_);
  waiting_.push_back(std::move(accepted));
  // Each waiting thread takes one connection: with more connections than waiting
  // threads, a new thread takes this one, so no connection waits for another.
  if (idle_threads_ >= waiting_.size()) {
    handed_over_.notify_one();
    return;
  }
  try {
    std::thread([self = shared_from_this()] { self->run(); }).detach();
  } catch (...) {
    waiting_.pop_back();
    throw;
  }
}

void ConnectionThreads::run() {
  std::unique_lock guard(lock_);
  for (;;) {
    ++idle_threads_;
    const bool handed = handed_over_.wait_for(guard, idle_, [this] { return !waiting_.empty(); });
    --idle_threads_;
    if (!handed) return;
    {
      Accepted accepted = std::move(waiting_.front());
      waiting_.pop_front();
      guard.unlock();
      serve_(std::move(accepted.socket));
    }
    guard.lock();
  }
}

}  // namespace verhulzen

#include "http/connection_threads.h"

#include <algorithm>
#include <thread>

namespace verhulzen {

std::shared_ptr<ConnectionThreads> ConnectionThreads::create(Serve serve, Limits limits) {
  return std::shared_ptr<ConnectionThreads>(new ConnectionThreads(std::move(serve), limits));
}

void ConnectionThreads::serve(Accepted accepted) {
  std::shared_ptr<Waiting> thread;
  {
    const std::lock_guard guard(lock_);
    if (!waiting_.empty()) {
      thread = std::move(waiting_.back());
      waiting_.pop_back();
    } else if (threads_ >= limits_.threads) {
      // Both full: the connection closes as `accepted` goes.
      if (queued_.size() < limits_.queued) queued_.push_back(std::move(accepted));
      return;
    } else {
      ++threads_;
    }
  }
  if (thread) {
    {
      const std::lock_guard guard(thread->lock);
      thread->connection = std::move(accepted);
    }
    thread->handed.notify_one();
    return;
  }
  try {
    std::thread([self = shared_from_this(), first = std::move(accepted)]() mutable {
      self->run(std::move(first));
    }).detach();
  } catch (...) {
    const std::lock_guard guard(lock_);
    --threads_;
    throw;
  }
}

std::size_t ConnectionThreads::threads() {
  const std::lock_guard guard(lock_);
  return threads_;
}

void ConnectionThreads::end_waiting() {
  std::vector<std::shared_ptr<Waiting>> waiting;
  {
    const std::lock_guard guard(lock_);
    ended_ = true;
    waiting.swap(waiting_);
    threads_ -= waiting.size();
  }
  for (const auto& thread : waiting) {
    {
      const std::lock_guard guard(thread->lock);
      thread->end = true;
    }
    thread->handed.notify_one();
  }
}

void ConnectionThreads::run(Accepted first) {
  const auto self = std::make_shared<Waiting>();
  std::optional<Accepted> connection = std::move(first);
  while (connection) {
    serve_(std::move(*connection));
    connection = next(self);
  }
}

std::optional<Accepted> ConnectionThreads::next(const std::shared_ptr<Waiting>& self) {
  {
    const std::lock_guard guard(lock_);
    if (!queued_.empty()) {
      Accepted accepted = std::move(queued_.front());
      queued_.pop_front();
      return accepted;
    }
    if (ended_) {
      --threads_;
      return std::nullopt;
    }
    waiting_.push_back(self);
  }
  std::unique_lock own(self->lock);
  const auto handed = [&] { return self->connection.has_value() || self->end; };
  if (!self->handed.wait_for(own, limits_.idle, handed)) {
    own.unlock();
    {
      const std::lock_guard guard(lock_);
      const auto found = std::find(waiting_.begin(), waiting_.end(), self);
      if (found != waiting_.end()) {
        waiting_.erase(found);
        --threads_;
        return std::nullopt;
      }
    }
    // Taken just now: its connection is on the way.
    own.lock();
    self->handed.wait(own, handed);
  }
  std::optional<Accepted> connection = std::move(self->connection);
  self->connection.reset();
  return connection;
}

}  // namespace verhulzen

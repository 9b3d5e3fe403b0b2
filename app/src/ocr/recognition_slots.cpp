#include "ocr/recognition_slots.h"

#include <atomic>
#include <semaphore>

namespace verhulzen::ocr_service {

namespace {

std::counting_semaphore<RECOGNITIONS_AT_ONCE>& places() {
  static std::counting_semaphore<RECOGNITIONS_AT_ONCE> free(RECOGNITIONS_AT_ONCE);
  return free;
}

std::atomic<std::size_t> waiting{0};

}  // namespace

RecognitionSlot::~RecognitionSlot() {
  if (held_) places().release();
}

std::optional<RecognitionSlot> wait_for_recognition(std::chrono::milliseconds wait) {
  ++waiting;
  const bool taken = places().try_acquire_for(wait);
  --waiting;
  if (!taken) return std::nullopt;
  return RecognitionSlot();
}

std::size_t recognitions_waiting() { return waiting.load(); }

}  // namespace verhulzen::ocr_service

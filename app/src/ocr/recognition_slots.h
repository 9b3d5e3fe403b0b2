// The recognitions that run at once: each holds a decoded image and the engine's
// working images, up to a few hundred megabytes, so only a few may run side by side.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

namespace verhulzen::ocr_service {

inline constexpr std::ptrdiff_t RECOGNITIONS_AT_ONCE = 2;

// One place among the recognitions at once, given back when it ends.
class RecognitionSlot {
 public:
  RecognitionSlot(RecognitionSlot&& other) noexcept : held_(other.held_) { other.held_ = false; }
  RecognitionSlot& operator=(RecognitionSlot&&) = delete;
  RecognitionSlot(const RecognitionSlot&) = delete;
  RecognitionSlot& operator=(const RecognitionSlot&) = delete;
  ~RecognitionSlot();

 private:
  friend std::optional<RecognitionSlot> wait_for_recognition(std::chrono::milliseconds);
  RecognitionSlot() = default;
  bool held_ = true;
};

// A place as soon as one is free; nullopt when none came free within `wait`.
std::optional<RecognitionSlot> wait_for_recognition(std::chrono::milliseconds wait);

// Requests now waiting for a place.
std::size_t recognitions_waiting();

}  // namespace verhulzen::ocr_service

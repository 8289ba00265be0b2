#pragma once
// A re-entrant lock: the thread that holds it may enter again (each Enter needs its Leave).
// The serial dispatcher nests its general, input and output sections this way.
#include <mutex>

namespace os {

class CriticalSection {
 public:
  CriticalSection() = default;
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter() { mutex_.lock(); }
  bool TryEnter() { return mutex_.try_lock(); }
  void Leave() { mutex_.unlock(); }

  // Holds the section for a scope.
  class Guard {
   public:
    explicit Guard(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~Guard() { section_.Leave(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    CriticalSection& section_;
  };

 private:
  std::recursive_mutex mutex_;
};

}  // namespace os

#pragma once
// Which configuration reply answers which request. The ECU answers every "$c" with one
// reply, in the order asked, so the replies still due can be lined up with their
// requests. An upload of the configuration makes the replies to requests asked before it
// (or between its two frames) out of date: they tell what the ECU held before and must
// never replace the uploaded block. The first reply asked for after both frames is the
// upload's read-back, which tells whether the ECU holds what was sent.
#include <cstdint>
#include <deque>

#include "model/ConfigBlock.h"

namespace ecu {

enum class ConfigReplyKind {
  Current,    // asked for with no upload under way: what the ECU holds
  OutOfDate,  // asked for before an upload's frames were out: what the ECU held before
  ReadBack,   // the first reply asked for after an upload's frames
};

class ConfigRequestLog {
 public:
  // A reply normally follows its request within a fraction of a second; a request
  // unanswered for longer when an upload starts lost its reply (cut short by another
  // packet) and is no longer waited for.
  static constexpr uint64_t kReplyWithinMs = 5000;

  // A "$c" went out at `nowMs` (any monotonic millisecond scale).
  void Requested(uint64_t nowMs);
  // The upload of `image` starts: every reply still due is out of date.
  void UploadStarted(const config::ConfigImage& image, uint64_t nowMs);
  // Both frames are written; the next request asks for the read-back.
  void UploadWritten();
  // The upload ends unconfirmed (a frame not written whole, the link lost before the
  // read-back, or a read-back that differs). True when an upload was under way, so it is
  // reported once.
  bool UploadBroken();
  // The link is lost: no reply still due will come.
  void LinkLost() { due_.clear(); }
  // A port opened afresh: nothing has been asked on it yet.
  void Reset() { *this = ConfigRequestLog{}; }
  // A complete reply came: what it answers. A read-back ends the upload; the caller
  // compares it with UploadedImage().
  ConfigReplyKind Answered();

  bool UploadUnderWay() const { return upload_ != Upload::None; }
  const config::ConfigImage& UploadedImage() const { return image_; }
  size_t RepliesDue() const { return due_.size(); }

 private:
  enum class Upload { None, Writing, Written };
  struct Request {
    uint64_t sentMs = 0;
    ConfigReplyKind kind = ConfigReplyKind::Current;
  };
  std::deque<Request> due_;
  Upload upload_ = Upload::None;
  bool readBackAsked_ = false;
  config::ConfigImage image_{};
};

// The program's one log, fed by everything that sends "$c" through the main window and by
// the packet handler's configuration replies.
extern ConfigRequestLog ConfigRequests;

}  // namespace ecu

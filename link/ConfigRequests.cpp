#include "link/ConfigRequests.h"

namespace ecu {

ConfigRequestLog ConfigRequests;

void ConfigRequestLog::Requested(uint64_t nowMs) {
  Request r{nowMs, ConfigReplyKind::Current};
  if (upload_ == Upload::Writing) {
    r.kind = ConfigReplyKind::OutOfDate;
  } else if (upload_ == Upload::Written && !readBackAsked_) {
    r.kind = ConfigReplyKind::ReadBack;
    readBackAsked_ = true;
  }
  due_.push_back(r);
}

void ConfigRequestLog::UploadStarted(const config::ConfigImage& image, uint64_t nowMs) {
  while (!due_.empty() && nowMs - due_.front().sentMs > kReplyWithinMs) due_.pop_front();
  for (Request& r : due_) r.kind = ConfigReplyKind::OutOfDate;
  upload_ = Upload::Writing;
  readBackAsked_ = false;
  image_ = image;
}

void ConfigRequestLog::UploadWritten() {
  if (upload_ == Upload::Writing) upload_ = Upload::Written;
}

bool ConfigRequestLog::UploadBroken() {
  if (upload_ == Upload::None) return false;
  upload_ = Upload::None;
  // The read-back asked for, when it comes, tells what the ECU holds now, like any reply.
  for (Request& r : due_)
    if (r.kind == ConfigReplyKind::ReadBack) r.kind = ConfigReplyKind::Current;
  return true;
}

ConfigReplyKind ConfigRequestLog::Answered() {
  // A reply nobody is waiting for (the log was cleared by a lost link) tells what the ECU
  // holds now.
  if (due_.empty()) return ConfigReplyKind::Current;
  const ConfigReplyKind kind = due_.front().kind;
  due_.pop_front();
  if (kind == ConfigReplyKind::ReadBack) upload_ = Upload::None;
  return kind;
}

}  // namespace ecu

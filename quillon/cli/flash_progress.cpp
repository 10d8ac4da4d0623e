#include "quillon/cli/flash_progress.h"

#include <fmt/ostream.h>

#include <algorithm>
#include <ostream>

namespace quillon::cli {
namespace {

constexpr int kBarWidth = 20;
constexpr std::string_view kBlockLine = "Downloading FW block <";

}  // namespace

std::string progressBar(int percent, const std::string& text) {
  int clamped = std::clamp(percent, 0, 100);
  int marks = clamped * kBarWidth / 100;
  return fmt::format("[{}{}] {:>3}%  {}", std::string(static_cast<std::size_t>(marks), '#'),
                     std::string(static_cast<std::size_t>(kBarWidth - marks), '.'), clamped, text);
}

FlashProgress::FlashProgress(std::ostream& out, bool terminal, int expectedBlocks)
    : out_(out), terminal_(terminal), expectedBlocks_(std::max(expectedBlocks, 1)) {
  previous_ = programLog().setObserver(this);
}

FlashProgress::~FlashProgress() {
  programLog().setObserver(previous_);
  finish();
}

void FlashProgress::entry(LogLevel, std::string_view text, std::string_view) {
  if (!text.starts_with(kBlockLine)) return;
  ++blocksSent_;
  draw(blocksSent_ * 100 / expectedBlocks_, fmt::format("sending block {}", blocksSent_));
}

void FlashProgress::programming(std::uint32_t waitedMs, std::uint32_t expectedMs) {
  int percent = static_cast<int>(std::uint64_t{waitedMs} * 100 / std::max<std::uint32_t>(expectedMs, 1));
  draw(percent, fmt::format("drive programming its flash, {} s", waitedMs / 1000));
}

void FlashProgress::draw(int percent, const std::string& text) {
  if (!terminal_) return;
  out_ << '\r' << progressBar(percent, text) << "\x1b[K" << std::flush;
  drawn_ = true;
}

void FlashProgress::finish() {
  if (!drawn_) return;
  out_ << '\n' << std::flush;
  drawn_ = false;
}

}  // namespace quillon::cli

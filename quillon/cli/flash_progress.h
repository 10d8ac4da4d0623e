#pragma once
// What a person at a terminal sees while quillon-cli flashes: a bar that follows the blocks
// sent, then the drive's programming time. It watches the status log for the lines of the
// blocks.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "quillon/gui/logging.h"

namespace quillon::cli {

// "[##########..........]  50%  text", 20 marks wide.
std::string progressBar(int percent, const std::string& text);

class FlashProgress final : public LogSink {
 public:
  // `terminal`: redraw one line in place; otherwise nothing is drawn. `expectedBlocks` may
  // be an estimate; the bar never passes 100 %.
  FlashProgress(std::ostream& out, bool terminal, int expectedBlocks);
  ~FlashProgress() override;
  FlashProgress(const FlashProgress&) = delete;
  FlashProgress& operator=(const FlashProgress&) = delete;

  void entry(LogLevel level, std::string_view text, std::string_view line) override;
  void programming(std::uint32_t waitedMs, std::uint32_t expectedMs);
  // Ends the bar's line.
  void finish();

 private:
  void draw(int percent, const std::string& text);

  std::ostream& out_;
  bool terminal_;
  bool drawn_ = false;
  int expectedBlocks_;
  int blocksSent_ = 0;
  LogSink* previous_ = nullptr;
};

}  // namespace quillon::cli

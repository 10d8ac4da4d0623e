#pragma once
// The status log: one-line entries with a time stamp and a level label, written to
// `Logging.Log` in the folder that is current at the first entry and to standard output,
// each flushed at once so the file is complete however the process ends.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Formatted texts and whole entry lines are cut to fit this many bytes, terminator included.
inline constexpr std::size_t kLogLineSize = 2000;

inline constexpr const char* kLogFileName = "Logging.Log";

enum class LogLevel { Info, Warn, Error, Fatal };

// Receives every entry line instead of the file and standard output (tools and tests).
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void entry(LogLevel level, std::string_view text, std::string_view line) = 0;
};

class StatusLog {
 public:
  explicit StatusLog(std::FILE* console = stdout);
  ~StatusLog();
  StatusLog(const StatusLog&) = delete;
  StatusLog& operator=(const StatusLog&) = delete;

  void write(LogLevel level, std::string_view text);
  void close();
  LogSink* setSink(LogSink* sink);  // returns the previous sink
  // Sees every entry as well, wherever it goes (progress displays); returns the previous one.
  LogSink* setObserver(LogSink* observer);
  // Null: the file only, for programs whose standard output is their own.
  void setConsole(std::FILE* console) { console_ = console; }

 private:
  void open();

  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::FILE* console_;
  LogSink* sink_ = nullptr;
  LogSink* observer_ = nullptr;
};

// The program-wide log that the Log routines write to.
StatusLog& programLog();

void LogInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogWarn(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogFatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogClose();

std::string_view levelLabel(LogLevel level);

// Collects the entries of the program-wide log while it lives, and keeps them out of the
// file and standard output. Used by tools that report entries themselves, and by tests.
class LogCapture final : public LogSink {
 public:
  struct Entry {
    LogLevel level;
    std::string text;
  };
  LogCapture();
  ~LogCapture() override;
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  void entry(LogLevel level, std::string_view text, std::string_view line) override;
  const std::vector<Entry>& entries() const { return entries_; }
  bool contains(LogLevel level, std::string_view text) const;
  void clear() { entries_.clear(); }

 private:
  std::vector<Entry> entries_;
  LogSink* previous_;
};

}  // namespace quillon

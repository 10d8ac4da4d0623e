#include "quillon/gui/logging.h"

#include <algorithm>
#include <cstdarg>
#include <utility>

#include "platform/clock.h"
#include "platform/files.h"

namespace quillon {
namespace {

constexpr const char* kRule = "------------------------------------------------------------";
constexpr const char* kProgramVersion = "V3.7.2.4";

// vsnprintf cuts at the buffer's end, so an over-long text can never overflow it.
void logFormatted(LogLevel level, const char* format, va_list arguments) {
  char text[kLogLineSize];
  if (std::vsnprintf(text, sizeof text, format, arguments) < 0) text[0] = '\0';
  programLog().write(level, text);
}

}  // namespace

std::string_view levelLabel(LogLevel level) {
  switch (level) {
    case LogLevel::Info: return "Info : ";
    case LogLevel::Warn: return "Warn : ";
    case LogLevel::Error: return "Error: ";
    case LogLevel::Fatal: return "Fatal: ";
  }
  return "Info : ";
}

StatusLog::StatusLog(std::FILE* console) : console_(console) {}

StatusLog::~StatusLog() = default;

LogSink* StatusLog::setSink(LogSink* sink) { return std::exchange(sink_, sink); }

LogSink* StatusLog::setObserver(LogSink* observer) { return std::exchange(observer_, observer); }

void StatusLog::open() {
  auto folder = platform::currentFolder();
  auto path = folder ? platform::joinPath(*folder, kLogFileName) : std::nullopt;
  if (path) file_.reset(std::fopen(path->c_str(), "w"));
  if (!file_) {
    std::fprintf(console_, "Unable to create file %s\n", kLogFileName);
    return;
  }
  std::fprintf(file_.get(), "\n%s\n%s %s\n%s\n", kRule, "Status/Error Logging", kProgramVersion, kRule);
  std::fflush(file_.get());
}

void StatusLog::write(LogLevel level, std::string_view text) {
  platform::TimeOfDay now = platform::clock().localTime();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d,%02d ", now.hour, now.minute, now.second,
                now.millisecond / 10);
  std::string_view label = levelLabel(level);
  char line[kLogLineSize];
  std::snprintf(line, sizeof line, "%s %.*s%.*s", stamp, static_cast<int>(label.size()), label.data(),
                static_cast<int>(std::min(text.size(), kLogLineSize)), text.data());
  if (observer_) observer_->entry(level, text, line);
  if (sink_) {
    sink_->entry(level, text, line);
    return;
  }
  if (!file_) open();
  if (console_) {
    std::fprintf(console_, "%s\n", line);
    std::fflush(console_);
  }
  if (file_) {
    std::fprintf(file_.get(), "%s\n", line);
    std::fflush(file_.get());
  }
}

void StatusLog::close() {
  if (file_) std::fflush(file_.get());
  write(LogLevel::Info, "Close Log");
  file_.reset();
}

StatusLog& programLog() {
  static StatusLog log;
  return log;
}

void LogInfo(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  logFormatted(LogLevel::Info, format, arguments);
  va_end(arguments);
}

void LogWarn(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  logFormatted(LogLevel::Warn, format, arguments);
  va_end(arguments);
}

void LogError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  logFormatted(LogLevel::Error, format, arguments);
  va_end(arguments);
}

void LogFatal(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  logFormatted(LogLevel::Fatal, format, arguments);
  va_end(arguments);
}

void LogClose() { programLog().close(); }

LogCapture::LogCapture() : previous_(programLog().setSink(this)) {}

LogCapture::~LogCapture() { programLog().setSink(previous_); }

void LogCapture::entry(LogLevel level, std::string_view text, std::string_view) {
  entries_.push_back({level, std::string(text)});
}

bool LogCapture::contains(LogLevel level, std::string_view text) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& e) { return e.level == level && e.text == text; });
}

}  // namespace quillon

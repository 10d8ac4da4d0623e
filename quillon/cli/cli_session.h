#pragma once
// What every quillon-cli command starts from: the transport's scan of the PC and the
// Kernel's drive list, matched against the OEM file of the current folder.

#include <iosfwd>
#include <span>
#include <string>

#include "quillon/drive/scsi_transport.h"
#include "quillon/kernel/kernel.h"

namespace quillon::cli {

struct Io {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool interactive;  // standard input is a terminal: questions can be asked
};

class Session {
 public:
  Session();
  Kernel& kernel() { return kernel_; }
  ScsiTransport& transport() { return transport_; }
  std::span<DriveRecord> drives() const { return {drives_, static_cast<std::size_t>(count_)}; }
  ResultCode listResult() const { return listResult_; }

 private:
  ScsiTransport transport_;
  Kernel kernel_{transport_};
  int count_ = 0;
  DriveRecord* drives_ = nullptr;
  ResultCode listResult_ = kSuccess;
};

// "0x0300012D Invalid drive handle.": a result code with its catalogue text.
std::string catalogueLine(ResultCode code);
// "quillon-cli: 0x0300012D Invalid drive handle." on the error stream; returns 1.
int failWith(const Io& io, ResultCode code);
// "quillon-cli: TEXT" on the error stream; returns `status`.
int failWith(const Io& io, const std::string& text, int status = 1);

}  // namespace quillon::cli

#pragma once
// The folder that libplatform.so was loaded from: the stand-in libraries and the simulated
// PC's library live beside it.

#include <string>

namespace platform {

const std::string& libraryFolder();

}  // namespace platform

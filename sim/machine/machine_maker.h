#pragma once
// Making a machine folder from a description, and making its parts afresh. Nothing is
// written before the whole description, its firmware set and its flash images have been
// found usable.

#include <filesystem>

#include "sim/machine/machine_folder.h"

namespace sim {

// Copies the description (and the firmware set's file it names) into `folder`, which must
// not exist or be empty, and makes every part. Throws MachineError; a folder it could not
// finish is removed again.
void makeMachine(const std::filesystem::path& description, const MachineFolder& folder);

// Makes the registry, flash images, files and state again from the folder's own
// description: the machine as freshly made.
void resetMachine(const MachineFolder& folder);

// A restart of Windows: the registry's volatile keys made again from the drives and the
// settings the hive holds, so that settings a program changed take effect; then the drives'
// power-on state and the restart's record removed (rebootMachine).
void restartMachine(const MachineFolder& folder);

}  // namespace sim

#pragma once
// Outputs that appear together, each whole. Every text is written beside its
// output in a file of its own (made exclusively, never through a link), and
// only when all are complete are they renamed over their outputs. A run that
// fails part way leaves the former files as they were. Devices and pipes are
// written where they stand, before the renames.
#include <sys/types.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/pending_files.hpp"

namespace kesta {

struct OutputText {
  std::string name;  // as the user gave it
  std::string_view text;
};

struct ReplaceFailure {
  std::string name;             // the output that could not be written
  std::string folder;           // where the file beside it was to be made
  int error = 0;                // the system's reason
  bool folder_refused = false;  // the folder takes no new file (permissions, read-only)
};

// Renames hold an exclusive lock on each output's folder, so two runs that
// write the same outputs rename their sets one after the other, never
// interleaved: the outputs left all come from one run. The files beside the
// outputs are listed in `pending` (when given) while they exist.
std::optional<ReplaceFailure> replace_files(const std::vector<OutputText>& outputs, PendingFiles* pending);

// A file's device and inode, links followed; nothing when it does not exist.
struct FileIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> identify_file(const std::string& name);

// Whether two output names end at the same file, existing or still to be made.
bool same_output_file(const std::string& a, const std::string& b);

}  // namespace kesta

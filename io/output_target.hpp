#pragma once
// Where an output file ends up, and the file that is written beside it until the
// run's output to it is complete.
#include <sys/stat.h>
#include <string>

namespace kesta {

struct OutputTarget {
  std::string path;   // the name with symbolic links followed: the file that is replaced
  std::string place;  // the same in the resolved folder, for telling two names apart
  bool exists = false;
  bool replaced = false;  // a regular file or none yet: written beside and renamed over;
                          // otherwise written where it stands (devices, pipes)
  struct stat info {};    // of the existing file
};

// Follows the symbolic links of a name to the file they end at, whether or not
// that file exists. Returns 0 or the errno that stops it.
int resolve_output(const std::string& name, OutputTarget& target);

// Creates, exclusively and with the permissions the output will have, a new file
// in the target's folder whose name says that it is an unfinished output of this
// program. Returns 0 or the errno of the failed creation.
int create_beside(const OutputTarget& target, std::string& temporary, int& fd);

}  // namespace kesta

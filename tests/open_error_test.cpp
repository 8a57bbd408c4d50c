// The exit status a failed open ends with. Tests run as root, where no file is
// refused for its permissions, so the system's reasons are given here directly.
#include <cerrno>

#include <gtest/gtest.h>

#include "io/output_unit.hpp"

namespace kesta {
namespace {

TEST(OpenError, EachReasonHasItsStatus) {
  const struct {
    int err;
    bool must_exist;  // the input deck
    IoError error;
  } cases[] = {
      {EACCES, false, IoError::PermissionDenied},    {EPERM, true, IoError::PermissionDenied},
      {ENOENT, true, IoError::FileNotFound},         {ENOENT, false, IoError::OpenFailure},
      {ENAMETOOLONG, false, IoError::FileNameError}, {EISDIR, false, IoError::OpenFailure},
  };
  for (const auto& c : cases) EXPECT_EQ(open_error_for(c.err, c.must_exist), c.error) << c.err;
}

}  // namespace
}  // namespace kesta

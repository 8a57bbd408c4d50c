#pragma once
// A case file, a record or a time that cannot be used: one line naming the
// file, the line and what is wrong. Nothing is written after one. The class is
// public (kesta/errors.hpp), so the library's callers can catch it.
#include "kesta/errors.hpp"

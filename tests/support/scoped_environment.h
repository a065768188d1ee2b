// SPDX-License-Identifier: GPL-3.0-or-later
// An environment variable set (or unset) for the life of an object, then put back as
// it was: the device and the host read their choices from the environment.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace lyrabox::testing {

class ScopedEnvironment {
 public:
  // A null `value` unsets the variable.
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ScopedEnvironment(const char* name, const std::string& value)
      : ScopedEnvironment(name, value.c_str()) {}
  ~ScopedEnvironment() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace lyrabox::testing

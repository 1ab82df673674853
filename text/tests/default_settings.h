// Tests that change settings start and end with the built-in defaults.
#pragma once

#include <gtest/gtest.h>

#include "runtime/settings.h"

namespace vortel::testing_support {

class with_default_settings : public ::testing::Test {
protected:
    void SetUp() override { settings_restore_defaults(); }
    void TearDown() override { settings_restore_defaults(); }
};

}  // namespace vortel::testing_support

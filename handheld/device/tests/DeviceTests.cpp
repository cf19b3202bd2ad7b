#include <gtest/gtest.h>

#include "handheld/device/Device.h"

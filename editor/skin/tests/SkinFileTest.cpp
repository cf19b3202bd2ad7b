#include <gtest/gtest.h>

#include "editor/skin/SkinFile.h"

namespace mrw {
namespace {

TEST(SkinFileTest, Placeholder) { SUCCEED(); }

}  // namespace
}  // namespace mrw

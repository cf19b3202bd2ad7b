#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/ByteOrder.h"
#include "base/ByteSource.h"

namespace mrw {
namespace {

TEST(ByteSource, MemoryReadsStayInsideTheBuffer) {
    const std::vector<uint8_t> bytes{1, 2, 3, 4, 5};
    MemoryByteSource source(bytes);
    uint8_t out[8] = {};
    EXPECT_TRUE(source.ReadAt(0, out, 5));
    EXPECT_TRUE(source.ReadAt(5, out, 0));
    EXPECT_FALSE(source.ReadAt(1, out, 5));
    EXPECT_FALSE(source.ReadAt(6, out, 0));
    // An offset near the top of the range must not wrap round.
    EXPECT_FALSE(source.ReadAt(UINT64_MAX, out, 2));
    EXPECT_FALSE(source.ReadAt(2, out, SIZE_MAX));

    std::vector<uint8_t> tail;
    EXPECT_TRUE(source.ReadUpTo(3, 10, tail));
    EXPECT_EQ(tail, (std::vector<uint8_t>{4, 5}));
    EXPECT_TRUE(source.ReadUpTo(9, 10, tail));
    EXPECT_TRUE(tail.empty());
}

TEST(ByteSource, SinkCollectsWhatIsWritten) {
    MemoryByteSink sink;
    EXPECT_TRUE(sink.Write("ab", 2));
    EXPECT_TRUE(sink.Write("c", 1));
    EXPECT_EQ(sink.Position(), 3u);
    EXPECT_EQ(sink.Take(), (std::vector<uint8_t>{'a', 'b', 'c'}));
}

TEST(ByteOrder, BoundedFieldsRefuseEveryPartialOverlap) {
    uint8_t buffer[6] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    uint32_t v32 = 0xDEADBEEF;
    EXPECT_TRUE(le::U32At(buffer, 6, 2, v32));
    EXPECT_EQ(v32, 0x06050403u);
    for (size_t offset : {size_t(3), size_t(6), SIZE_MAX - 1}) {
        v32 = 0xDEADBEEF;
        EXPECT_FALSE(le::U32At(buffer, 6, offset, v32)) << offset;
        EXPECT_EQ(v32, 0xDEADBEEFu);
    }
    uint16_t v16 = 0;
    EXPECT_TRUE(le::U16At(buffer, 6, 4, v16));
    EXPECT_EQ(v16, 0x0605);
    EXPECT_FALSE(le::U16At(buffer, 6, 5, v16));
    EXPECT_TRUE(le::SetU16At(buffer, 6, 4, 0xA1B2));
    EXPECT_FALSE(le::SetU32At(buffer, 6, 3, 0));
    EXPECT_EQ(buffer[4], 0xB2);
    EXPECT_EQ(buffer[3], 0x04);
}

}  // namespace
}  // namespace mrw

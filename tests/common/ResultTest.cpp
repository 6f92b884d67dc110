#include <Tarn/Result.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using Tarn::Common::Result;
using Tarn::Common::Unexpected;

namespace {

Result<int, std::string> parsePositive(int value)
{
    if (value <= 0)
        return Unexpected(std::string("not positive"));
    return value;
}

} // namespace

TEST(Result, HoldsEitherValueOrError)
{
    const auto good = parsePositive(3);
    ASSERT_TRUE(good);
    EXPECT_EQ(*good, 3);
    EXPECT_EQ(good.value_or(7), 3);

    const auto bad = parsePositive(-1);
    ASSERT_FALSE(bad.has_value());
    EXPECT_EQ(bad.error(), "not positive");
    EXPECT_EQ(bad.value_or(7), 7);
}

TEST(Result, MovesOutMoveOnlyValues)
{
    Result<std::unique_ptr<int>, std::string> result(std::make_unique<int>(5));
    std::unique_ptr<int> owned = std::move(result).value();
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(*owned, 5);
}

#include "imaging/ReducedDecode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "imaging/ImagingConstants.h"

using namespace imaging;

namespace {

// Two decodes that would each hold most of the budget take turns; a small one passes beside
// a large one.
TEST(ReducedDecode, DecodesHoldingWholePicturesTakeTurns) {
    const qint64 most = kMaxCoefficientBytes * 3 / 4;
    std::optional<CoefficientTicket> first(std::in_place, most);
    { const CoefficientTicket beside(kMaxCoefficientBytes / 8); }
    std::atomic<bool> passed{false};
    std::thread second([&] {
        const CoefficientTicket ticket(most);
        passed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(passed) << "the second waits while the first holds its coefficients";
    first.reset();
    second.join();
    EXPECT_TRUE(passed);
}

}  // namespace

// Runs every kept input of one fuzz target through its entry point: each
// once crashed, hung or ate memory, and must now be read or refused cleanly.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

TEST(FuzzReplay, KeptInputsAreReadOrRefused) {
    const char* source = std::getenv("TIDEWICK_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::filesystem::path dir =
        std::filesystem::path(source) / "fuzz" / "regressions" / FUZZ_TARGET_NAME;
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no kept inputs in " << dir;
    int run = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(e.path().filename().string());
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
        ++run;
    }
    EXPECT_GT(run, 0);
}

} // namespace

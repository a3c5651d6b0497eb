#include "tests/support/TempDir.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace qv7::test {

TempDir::TempDir() {
    // create_directory fails on a name that exists, so a directory made here is nobody else's.
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::error_code error;
        auto candidate = base / ("qv7test-" + std::to_string(random() % 1000000000000ull));
        if (std::filesystem::create_directory(candidate, error)) {
            std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, error);
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace qv7::test

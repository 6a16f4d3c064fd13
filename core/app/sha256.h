#pragma once
// SHA-256 digests (FIPS 180-4), fed piece by piece: what a table of
// measurements records of each file it was made from.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vox {

class Sha256 {
public:
    Sha256();
    void update(const void* data, std::size_t size);
    void update(std::string_view s) { update(s.data(), s.size()); }
    // The digest as 64 lowercase hexadecimal digits; the object is spent.
    std::string hex();

private:
    void block(const std::uint8_t* p);
    std::array<std::uint32_t, 8> h_;
    std::array<std::uint8_t, 64> buf_{};
    std::size_t used_ = 0;
    std::uint64_t bytes_ = 0;
};

// The digest of a file's bytes, or an empty string when it cannot be read.
std::string Sha256OfFile(const std::string& path);

}  // namespace vox

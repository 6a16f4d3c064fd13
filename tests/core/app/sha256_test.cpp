// SHA-256 against the published test vectors, fed whole and in odd pieces.

#include <gtest/gtest.h>

#include <string>

#include "core/app/sha256.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

struct Vector {
    std::string message;
    const char* digest;
};

const Vector kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

class Sha256Vectors : public ::testing::TestWithParam<Vector> {};

TEST_P(Sha256Vectors, WholeAndInPieces) {
    const Vector& v = GetParam();
    Sha256 whole;
    whole.update(v.message);
    EXPECT_EQ(whole.hex(), v.digest);
    Sha256 pieces;
    for (std::size_t at = 0, step = 1; at < v.message.size(); at += step, step = step % 97 + 13)
        pieces.update(std::string_view(v.message).substr(at, step));
    EXPECT_EQ(pieces.hex(), v.digest);
}

INSTANTIATE_TEST_SUITE_P(Published, Sha256Vectors, ::testing::ValuesIn(kVectors));

TEST(Sha256File, DigestOfAFileAndOfNone) {
    test::ScratchDir dir;
    const std::string path = dir.file("abc");
    test::write_file(path, {'a', 'b', 'c'});
    EXPECT_EQ(Sha256OfFile(path), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256OfFile(dir.file("missing")), "");
}

}  // namespace
}  // namespace vox

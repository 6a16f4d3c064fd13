#include "core/document/binary_file.h"

#include <climits>
#include <filesystem>

namespace vox {

BinaryFile& BinaryFile::operator=(BinaryFile&& o) noexcept {
    if (this != &o) {
        close();
        f_ = o.f_;
        path_ = std::move(o.path_);
        o.f_ = nullptr;
    }
    return *this;
}

bool BinaryFile::open(const std::string& path, Mode mode) {
    close();
    f_ = std::fopen(path.c_str(), mode == Mode::Read ? "rb" : "wb");
    if (f_) path_ = path;
    return f_ != nullptr;
}

bool BinaryFile::close() {
    if (!f_) return true;
    const bool ok = std::fclose(f_) == 0;
    f_ = nullptr;
    return ok;
}

std::uint64_t BinaryFile::length() const {
    if (!f_) return 0;
    const long here = std::ftell(f_);
    if (std::fseek(f_, 0, SEEK_END) != 0) return 0;
    const long end = std::ftell(f_);
    std::fseek(f_, here, SEEK_SET);
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

std::uint64_t BinaryFile::tell() const {
    if (!f_) return 0;
    const long pos = std::ftell(f_);
    return pos < 0 ? 0 : static_cast<std::uint64_t>(pos);
}

bool BinaryFile::seek(std::uint64_t offset) {
    if (!f_) return false;
    if (offset > static_cast<std::uint64_t>(LONG_MAX)) return false;
    return std::fseek(f_, static_cast<long>(offset), SEEK_SET) == 0;
}

std::size_t BinaryFile::read_some(void* dst, std::size_t n) {
    if (!f_ || n == 0) return 0;
    return std::fread(dst, 1, n, f_);
}

bool BinaryFile::write(const void* src, std::size_t n) {
    if (!f_) return false;
    if (n == 0) return true;
    return std::fwrite(src, 1, n, f_) == n;
}

bool BinaryFile::flush() { return f_ && std::fflush(f_) == 0; }

void swap_bytes16(std::int16_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        auto u = static_cast<std::uint16_t>(data[i]);
        data[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((u >> 8) | (u << 8)));
    }
}

bool file_exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::uint64_t file_size(const std::string& path) {
    std::error_code ec;
    auto n = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(n);
}

bool remove_file(const std::string& path) {
    std::error_code ec;
    return std::filesystem::remove(path, ec);
}

}  // namespace vox

namespace vox {

AtomicFileWriter::~AtomicFileWriter() { abandon(); }

bool AtomicFileWriter::open(const std::string& final_path) {
    abandon();
    final_path_ = final_path;
    temp_path_ = final_path + ".vxpart";
    committed_ = false;
    return file_.open(temp_path_, BinaryFile::Mode::Write);
}

bool AtomicFileWriter::commit() {
    if (!file_.is_open()) return false;
    const bool flushed = file_.flush();
    const bool closed = file_.close();
    if (!flushed || !closed) {
        abandon();
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp_path_, final_path_, ec);
    if (ec) {
        abandon();
        return false;
    }
    committed_ = true;
    return true;
}

void AtomicFileWriter::abandon() {
    if (committed_ || temp_path_.empty()) return;
    file_.close();
    std::error_code ec;
    std::filesystem::remove(temp_path_, ec);
    temp_path_.clear();
}

std::uint64_t one_second_bytes(double rate_hz) {
    constexpr double kMax = 4.0 * 1024 * 1024;
    if (!(rate_hz >= 1.0)) return 2;
    return rate_hz * 2 >= kMax ? static_cast<std::uint64_t>(kMax) : static_cast<std::uint64_t>(rate_hz) * 2;
}

}  // namespace vox

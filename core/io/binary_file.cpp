#include "core/io/binary_file.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <random>

#include "core/platform/platform_files.h"

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
    const char* how = mode == Mode::Read ? "rb" : mode == Mode::Write ? "wb" : "wbx";
    errno = 0;
    f_ = std::fopen(path.c_str(), how);
    error_ = f_ ? 0 : (errno ? errno : EIO);
    if (f_) path_ = path;
    return f_ != nullptr;
}

bool BinaryFile::close() {
    if (!f_) return true;
    errno = 0;
    const bool ok = std::fclose(f_) == 0;
    if (!ok && error_ == 0) error_ = errno ? errno : EIO;
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
    errno = 0;
    if (std::fwrite(src, 1, n, f_) == n) return true;
    if (error_ == 0) error_ = errno ? errno : EIO;
    return false;
}

bool BinaryFile::flush() {
    if (!f_) return false;
    errno = 0;
    if (std::fflush(f_) == 0) return true;
    if (error_ == 0) error_ = errno ? errno : EIO;
    return false;
}

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

namespace fs = std::filesystem;

namespace {

// The writer's process id in a partial file's name "<base>.<pid>-<tag>.vxpart",
// or -1 when the name is not a partial file of `base`.
long part_owner(const std::string& name, const std::string& base) {
    const std::string suffix = AtomicFileWriter::kPartSuffix;
    if (name.size() <= base.size() + 1 + suffix.size()) return -1;
    if (name.compare(0, base.size(), base) != 0 || name[base.size()] != '.') return -1;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return -1;
    const std::string mid = name.substr(base.size() + 1, name.size() - base.size() - 1 - suffix.size());
    const auto dash = mid.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 12 || dash + 1 == mid.size()) return -1;
    long pid = 0;
    for (std::size_t i = 0; i < dash; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(mid[i]))) return -1;
        pid = pid * 10 + (mid[i] - '0');
    }
    for (std::size_t i = dash + 1; i < mid.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(mid[i]))) return -1;
    return pid;
}

}  // namespace

AtomicFileWriter::~AtomicFileWriter() { abandon(); }

std::string AtomicFileWriter::resolve_links(const std::string& path) {
    fs::path p(path);
    // As many links as the system itself follows before it gives up.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) return p.string();
        const fs::path link = fs::read_symlink(p, ec);
        if (ec) return p.string();
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    return p.string();
}

int AtomicFileWriter::sweep_stale_parts(const std::string& target) {
    PlatformFiles& files = platform_files();
    const long self = files.process_id();
    const fs::path t(target);
    const std::string base = t.filename().string();
    const fs::path folder = t.has_parent_path() ? t.parent_path() : fs::path(".");
    int removed = 0;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const long pid = part_owner(it->path().filename().string(), base);
        if (pid <= 0 || pid == self || files.process_running(pid)) continue;
        std::error_code st;
        if (!fs::is_regular_file(fs::symlink_status(it->path(), st))) continue;
        if (fs::remove(it->path(), st)) ++removed;
    }
    return removed;
}

bool AtomicFileWriter::fail(int error, const char* what) {
    error_ = error ? error : EIO;
    failure_ = what ? what : "";
    return false;
}

std::string AtomicFileWriter::failure() const {
    if (!failure_.empty()) return failure_;
    const int e = error_ ? error_ : file_.error();
    return e ? std::strerror(e) : std::string();
}

bool AtomicFileWriter::open(const std::string& final_path) {
    abandon();
    committed_ = false;
    direct_ = false;
    error_ = 0;
    failure_.clear();
    if (final_path.empty()) return fail(ENOENT, nullptr);
    final_path_ = resolve_links(final_path);
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(final_path_, ec))) return fail(ELOOP, nullptr);
    const fs::file_status st = fs::status(final_path_, ec);
    if (fs::is_directory(st)) return fail(EISDIR, nullptr);
    if (fs::exists(st) && !fs::is_regular_file(st)) {
        // A device or a pipe has no old content to keep: write it as a stream.
        direct_ = true;
        if (!file_.open(final_path_, BinaryFile::Mode::Write)) return fail(file_.error(), nullptr);
        temp_path_ = final_path_;
        return true;
    }
    const fs::path target(final_path_);
    folder_ = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    sweep_stale_parts(final_path_);

    PlatformFiles& files = platform_files();
    const std::string stem = final_path_ + "." + std::to_string(files.process_id()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = stem + unique_tag() + kPartSuffix;
        if (file_.open(candidate, BinaryFile::Mode::CreateNew)) {
            temp_path_ = candidate;
            break;
        }
        if (file_.error() != EEXIST) return fail(file_.error(), nullptr);
    }
    if (temp_path_.empty()) return fail(EEXIST, nullptr);
    if (fs::exists(st)) {
        if (auto mode = files.permissions(final_path_)) {
            if (!files.set_permissions(file_.handle(), temp_path_, *mode)) {
                const int e = errno;
                abandon();
                return fail(e, nullptr);
            }
        }
    }
    return true;
}

bool AtomicFileWriter::commit() {
    if (!file_.is_open()) return error_ ? false : fail(EBADF, nullptr);
    if (direct_) {
        const bool ok = file_.flush() && file_.close();
        if (!ok) {
            const int e = file_.error();
            temp_path_.clear();
            return fail(e, nullptr);
        }
        committed_ = true;
        return true;
    }
    PlatformFiles& files = platform_files();
    if (!file_.flush()) {
        const int e = file_.error();
        abandon();
        return fail(e, nullptr);
    }
    if (!files.sync_file(file_.handle())) {
        const int e = errno;
        abandon();
        return fail(e, "the data could not be written to the disk");
    }
    if (!file_.close()) {
        const int e = file_.error();
        abandon();
        return fail(e, nullptr);
    }
    std::error_code ec;
    fs::rename(temp_path_, final_path_, ec);
    if (ec) {
        abandon();
        return fail(ec.value(), nullptr);
    }
    committed_ = true;
    if (!files.sync_folder(folder_))
        return fail(errno, "the new file is in place, but its folder could not be written to the disk");
    return true;
}

void AtomicFileWriter::abandon() {
    if (committed_ || temp_path_.empty()) return;
    file_.close();
    if (!direct_) {
        std::error_code ec;
        fs::remove(temp_path_, ec);
    }
    temp_path_.clear();
}

bool write_file_atomically(const std::string& path, const void* data, std::size_t size, std::string* why) {
    AtomicFileWriter out;
    const bool ok = out.open(path) && out.file().write(data, size) && out.commit();
    if (!ok && why) *why = out.failure();
    return ok;
}

std::uint64_t one_second_bytes(double rate_hz) {
    constexpr double kMax = 4.0 * 1024 * 1024;
    if (!(rate_hz >= 1.0)) return 2;
    return rate_hz * 2 >= kMax ? static_cast<std::uint64_t>(kMax) : static_cast<std::uint64_t>(rate_hz) * 2;
}

}  // namespace vox

#include "core/platform/platform_files.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <random>

namespace vox {

namespace fs = std::filesystem;

namespace {
StandardFiles& fallback() {
    static StandardFiles files;
    return files;
}
std::atomic<PlatformFiles*> g_files{nullptr};
}  // namespace

PlatformFiles& platform_files() {
    PlatformFiles* f = g_files.load();
    return f ? *f : fallback();
}

PlatformFiles* set_platform_files(PlatformFiles* files) { return g_files.exchange(files); }

bool StandardFiles::sync_file(std::FILE* f) { return f && std::fflush(f) == 0; }

bool StandardFiles::sync_folder(const std::string&) { return true; }

std::optional<unsigned> StandardFiles::permissions(const std::string& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) return std::nullopt;
    return static_cast<unsigned>(st.permissions() & fs::perms::mask);
}

bool StandardFiles::set_permissions(std::FILE*, const std::string& path, unsigned mode) {
    std::error_code ec;
    fs::permissions(path, static_cast<fs::perms>(mode) & fs::perms::mask, fs::perm_options::replace, ec);
    return !ec;
}

bool StandardFiles::make_private_folder(const std::string& path) {
    std::error_code ec;
    if (!fs::create_directory(path, ec) || ec) return false;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, ec);
    if (ec) {
        fs::remove(path, ec);
        return false;
    }
    return true;
}

bool StandardFiles::is_own_folder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(path, ec));
}

std::string unique_tag() {
    static std::atomic<unsigned> serial{0};
    static const char* const kDigits = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rd;
    std::uint64_t v = (static_cast<std::uint64_t>(rd()) << 32) ^ rd() ^ (serial.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    std::string s;
    for (int i = 0; i < 8; ++i) {
        s += kDigits[v % 36];
        v /= 36;
    }
    return s;
}

}  // namespace vox

#pragma once
// A small owning file handle with bounds-aware reads and explicit byte-order
// helpers. Readers of binary formats read field by field through it and
// check every count against length() before trusting it.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vox {

class BinaryFile {
public:
    // Write truncates or creates; CreateNew creates a file that must not
    // exist yet, and never opens what a symbolic link of that name points to
    // (the way every temporary file is made).
    enum class Mode { Read, Write, CreateNew };

    BinaryFile() = default;
    ~BinaryFile() { close(); }
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    BinaryFile(BinaryFile&& o) noexcept : f_(o.f_), path_(std::move(o.path_)) { o.f_ = nullptr; }
    BinaryFile& operator=(BinaryFile&& o) noexcept;

    bool open(const std::string& path, Mode mode);
    bool is_open() const { return f_ != nullptr; }
    // Closes; false when buffered data could not be written.
    bool close();
    const std::string& path() const { return path_; }

    // Length in bytes of the file (read mode), or bytes written so far.
    std::uint64_t length() const;
    std::uint64_t tell() const;
    bool seek(std::uint64_t offset);

    // Reads up to n bytes; returns how many were read.
    std::size_t read_some(void* dst, std::size_t n);
    // Reads exactly n bytes or fails (false) leaving dst partly filled.
    bool read_exact(void* dst, std::size_t n) { return read_some(dst, n) == n; }
    bool write(const void* src, std::size_t n);
    bool flush();

    std::FILE* handle() { return f_; }
    // The system's error number of the last failed open, write or close
    // (0 when none failed).
    int error() const { return error_; }

private:
    std::FILE* f_ = nullptr;
    std::string path_;
    int error_ = 0;
};

// Writes a file so that a failure never damages the file that was there
// before. The bytes go to a partial file created afresh beside the target
// ("<name>.<pid>-<tag>.vxpart"); commit() checks the flush, pushes the data to
// the disk, closes, renames the partial file over the target and pushes the
// folder entry to the disk. The target's permission bits are kept; when the
// path is a symbolic link the file it points to is replaced and the link
// stays. A target that is not a regular file (a device, a pipe) is written
// in place. Without commit() the partial file is removed.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool open(const std::string& final_path);
    BinaryFile& file() { return file_; }
    bool commit();
    void abandon();
    // Why the last open, write or commit failed, as the system words it
    // ("No space left on device"); empty when nothing failed.
    std::string failure() const;

    static constexpr const char* kPartSuffix = ".vxpart";
    // The file a path finally names once its symbolic links are followed
    // (the path itself when it is no link).
    static std::string resolve_links(const std::string& path);
    // Removes the partial files of `target` left by processes that no longer
    // run (a write killed half-way); returns how many.
    static int sweep_stale_parts(const std::string& target);

private:
    bool fail(int error, const char* what);

    BinaryFile file_;
    std::string final_path_;
    std::string temp_path_;
    std::string folder_;
    bool direct_ = false;
    bool committed_ = false;
    int error_ = 0;
    std::string failure_;
};

// Writes `size` bytes as the whole new content of `path` through
// AtomicFileWriter; on failure `why` (when given) receives the reason.
bool write_file_atomically(const std::string& path, const void* data, std::size_t size, std::string* why = nullptr);

// Byte-order helpers over raw bytes.
inline std::uint16_t get_u16le(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint16_t get_u16be(const unsigned char* p) { return static_cast<std::uint16_t>(p[1] | (p[0] << 8)); }
inline std::int16_t get_i16le(const unsigned char* p) { return static_cast<std::int16_t>(get_u16le(p)); }
inline std::int16_t get_i16be(const unsigned char* p) { return static_cast<std::int16_t>(get_u16be(p)); }
inline std::uint32_t get_u32le(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint32_t get_u32be(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[3]) | (static_cast<std::uint32_t>(p[2]) << 8) |
           (static_cast<std::uint32_t>(p[1]) << 16) | (static_cast<std::uint32_t>(p[0]) << 24);
}
inline std::int32_t get_i32le(const unsigned char* p) { return static_cast<std::int32_t>(get_u32le(p)); }
inline std::int32_t get_i32be(const unsigned char* p) { return static_cast<std::int32_t>(get_u32be(p)); }
inline std::uint64_t get_u64le(const unsigned char* p) {
    return static_cast<std::uint64_t>(get_u32le(p)) | (static_cast<std::uint64_t>(get_u32le(p + 4)) << 32);
}
inline std::uint64_t get_u64be(const unsigned char* p) {
    return static_cast<std::uint64_t>(get_u32be(p + 4)) | (static_cast<std::uint64_t>(get_u32be(p)) << 32);
}
inline double get_f64le(const unsigned char* p) {
    std::uint64_t u = get_u64le(p);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}
inline double get_f64be(const unsigned char* p) {
    std::uint64_t u = get_u64be(p);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}
inline float get_f32le(const unsigned char* p) {
    std::uint32_t u = get_u32le(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
inline float get_f32be(const unsigned char* p) {
    std::uint32_t u = get_u32be(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

inline void put_u16le(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void put_u32le(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void put_i32le(unsigned char* p, std::int32_t v) { put_u32le(p, static_cast<std::uint32_t>(v)); }
inline void put_u64le(unsigned char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void put_f64le(unsigned char* p, double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    put_u64le(p, u);
}

// Copies a NUL-terminated string out of a fixed-size field (never reads past
// the field, whether or not it holds a NUL).
inline std::string get_fixed_string(const unsigned char* p, std::size_t field) {
    std::size_t n = 0;
    while (n < field && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}
// Writes s into a NUL-padded field, truncated to field − 1 characters.
inline void put_fixed_string(unsigned char* p, std::size_t field, const std::string& s) {
    std::memset(p, 0, field);
    std::size_t n = s.size() < field ? s.size() : field - 1;
    std::memcpy(p, s.data(), n);
}

// Byte-exchanges every 16-bit word in place.
void swap_bytes16(std::int16_t* data, std::size_t count);

// Whole-file helpers.
// Bytes of one second of 16-bit samples at `rate_hz`, the step of the
// progress-reporting copies; at least 2 and at most 4 MiB, so that a rate
// taken from a hostile header never sizes a buffer.
std::uint64_t one_second_bytes(double rate_hz);

bool file_exists(const std::string& path);
std::uint64_t file_size(const std::string& path);  // 0 when missing
bool remove_file(const std::string& path);

}  // namespace vox

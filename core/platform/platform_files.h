#pragma once
// The file-system services that standard C++ cannot give: pushing a file's
// and a folder's data to the disk, the permission bits of an open file, a
// folder only its owner may enter, and whether another process still runs.
// The programs register the operating system's implementation at start;
// until then a portable fallback answers (it flushes the C library's buffers
// only and never declares another process gone).

#include <cstdio>
#include <optional>
#include <string>

namespace vox {

class PlatformFiles {
public:
    virtual ~PlatformFiles() = default;

    // The file's data and size are on the disk; false when that failed.
    virtual bool sync_file(std::FILE* f) = 0;
    // The folder's entries (a rename into it) are on the disk.
    virtual bool sync_folder(const std::string& folder) = 0;
    // Permission bits (e.g. 0600) of the file a path names, following
    // symbolic links; nothing when it cannot be read.
    virtual std::optional<unsigned> permissions(const std::string& path) = 0;
    // Gives the open file `f` (created at `path`) these permission bits.
    virtual bool set_permissions(std::FILE* f, const std::string& path, unsigned mode) = 0;
    // Creates the folder with access for its owner only (0700); false when
    // the name exists already or the folder cannot be made.
    virtual bool make_private_folder(const std::string& path) = 0;
    // True when the path itself (not what a link points to) is a folder that
    // belongs to this process's user.
    virtual bool is_own_folder(const std::string& path) = 0;
    // This process's id, and whether a process id is still running. An
    // answer of "running" is always safe: it keeps files that may be in use.
    virtual long process_id() = 0;
    virtual bool process_running(long pid) = 0;
};

// The registered implementation (the portable fallback until one is set).
PlatformFiles& platform_files();
// Registers `files` (not owned; nullptr restores the fallback). Returns the
// previous one, so that tests can restore it.
PlatformFiles* set_platform_files(PlatformFiles* files);

// The portable fallback, usable as a base by test doubles.
class StandardFiles : public PlatformFiles {
public:
    bool sync_file(std::FILE* f) override;
    bool sync_folder(const std::string& folder) override;
    std::optional<unsigned> permissions(const std::string& path) override;
    bool set_permissions(std::FILE* f, const std::string& path, unsigned mode) override;
    bool make_private_folder(const std::string& path) override;
    bool is_own_folder(const std::string& path) override;
    long process_id() override { return 0; }
    bool process_running(long) override { return true; }
};

// Eight random lower-case letters and digits, different at every call, for
// names of files and folders that must not collide between processes.
std::string unique_tag();

}  // namespace vox

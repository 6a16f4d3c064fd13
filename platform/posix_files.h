#pragma once
// The file-system services on POSIX systems: fsync of files and folders,
// fchmod, mkdir with mode 0700, lstat ownership and kill(pid, 0).

#include "core/platform/platform_files.h"

namespace vox {

class PosixFiles : public PlatformFiles {
public:
    bool sync_file(std::FILE* f) override;
    bool sync_folder(const std::string& folder) override;
    std::optional<unsigned> permissions(const std::string& path) override;
    bool set_permissions(std::FILE* f, const std::string& path, unsigned mode) override;
    bool make_private_folder(const std::string& path) override;
    bool is_own_folder(const std::string& path) override;
    long process_id() override;
    bool process_running(long pid) override;
};

// Registers one process-wide PosixFiles (the programs call this first).
void use_posix_files();

}  // namespace vox

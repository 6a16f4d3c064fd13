#include "platform/posix_files.h"

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vox {

bool PosixFiles::sync_file(std::FILE* f) {
    if (!f || std::fflush(f) != 0) return false;
    return ::fsync(::fileno(f)) == 0;
}

bool PosixFiles::sync_folder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int r = ::fsync(fd);
    // Some file systems cannot sync a folder at all; that is not a failure
    // of this write.
    if (r != 0 && (errno == EINVAL || errno == EROFS)) r = 0;
    ::close(fd);
    return r == 0;
}

std::optional<unsigned> PosixFiles::permissions(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<unsigned>(st.st_mode & 07777);
}

bool PosixFiles::set_permissions(std::FILE* f, const std::string&, unsigned mode) {
    return f && ::fchmod(::fileno(f), static_cast<mode_t>(mode & 07777)) == 0;
}

bool PosixFiles::make_private_folder(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool PosixFiles::is_own_folder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

long PosixFiles::process_id() { return static_cast<long>(::getpid()); }

bool PosixFiles::process_running(long pid) {
    if (pid <= 0) return true;
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

void use_posix_files() {
    static PosixFiles files;
    set_platform_files(&files);
}

}  // namespace vox

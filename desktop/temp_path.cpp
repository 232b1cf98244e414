// Where the temporary file lies and how it is opened for writing.
//
// On POSIX systems the folder is opened once without following a link and
// every check and the file's own open go through that descriptor, so the
// folder that was checked is the folder written into.
#include "desktop/temp_path.h"

#if defined(_WIN32)
#include <filesystem>
#include <system_error>

#include "desktop/file_access.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#endif

namespace LeveloraDesk {

std::string PrivateTempFolder(const char* tmpDir, unsigned long uid) {
    std::string folder = tmpDir != nullptr && *tmpDir != '\0' ? tmpDir : "/tmp";
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder + "levelora-" + std::to_string(uid);
}

#if defined(_WIN32)

std::string MakeTempBmpPath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error || folder.empty()) {
        return kTempBmpName;
    }
    return (folder / kTempBmpName).u8string();
}

std::FILE* OpenTempForWriting(const std::string& path) {
    // The user's temp folder exists; the file's own folder is created when
    // it is missing (not its parents), as on POSIX systems.
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::u8path(path).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directory(folder, ignored);
    }
    return OpenForWriting(path);
}

#else

namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kTempFileMode = 0600;

// A descriptor closed when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

int OpenFolder(const std::string& folder) {
    return open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The folder `folder`, created with mode 0700 when missing, opened and
// checked: a folder (a link to one is refused by the open) owned by the
// effective user with mode 0700. -1 otherwise.
int OpenPrivateFolder(const std::string& folder) {
    int fd = OpenFolder(folder);
    bool created = false;
    if (fd < 0 && errno == ENOENT) {
        created = mkdir(folder.c_str(), kPrivateFolderMode) == 0;
        if (!created && errno != EEXIST) {
            return -1;
        }
        fd = OpenFolder(folder);
    }
    FileDescriptor dir(fd);
    // A folder made here gets its mode whatever the umask took off.
    if (dir.get() < 0 || (created && fchmod(dir.get(), kPrivateFolderMode) != 0)) {
        return -1;
    }
    struct stat info {};
    if (fstat(dir.get(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & 0777) != kPrivateFolderMode) {
        return -1;
    }
    return dir.release();
}

}  // namespace

std::string MakeTempBmpPath() {
    return PrivateTempFolder(std::getenv("TMPDIR"), static_cast<unsigned long>(geteuid())) + "/" +
           kTempBmpName;
}

std::FILE* OpenTempForWriting(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) {
        return nullptr;
    }
    const FileDescriptor dir(OpenPrivateFolder(folder.empty() ? "/" : folder));
    if (dir.get() < 0) {
        return nullptr;
    }
    // No truncation before the file is known to be a plain file, and no
    // waiting on a pipe that has no reader.
    FileDescriptor file(openat(dir.get(), name.c_str(),
                               O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                               kTempFileMode));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ftruncate(file.get(), 0) != 0) {
        return nullptr;
    }
    const int flags = fcntl(file.get(), F_GETFL);
    if (flags < 0 || fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return nullptr;
    }
    std::FILE* stream = fdopen(file.get(), "wb");
    if (stream != nullptr) {
        file.release();
    }
    return stream;
}

#endif

}  // namespace LeveloraDesk

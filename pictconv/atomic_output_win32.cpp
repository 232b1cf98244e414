// The Windows branch. The destination is an ANSI path in the active code
// page (the exports' narrow strings); it is turned into UTF-16 with that code
// page, so that every name the code page can spell works, and the file is
// created and renamed through the wide functions. The temporary file is
// named after the destination with a hidden prefix and a random suffix
// (temp_name.h) in its folder, created with CREATE_NEW, so it is never a
// file that already existed; a name that is taken is drawn again. It gets
// the permissions the folder passes on to new files.
//
// This object keeps its own C runtime descriptor (on the file's handle) until
// Commit; a stream works on a duplicate descriptor and a released descriptor
// is a duplicate handle, which libtiff closes with CloseHandle. Commit
// flushes the file to the disk (FlushFileBuffers) before it replaces the
// destination, and MoveFileExW with MOVEFILE_WRITE_THROUGH returns only when
// the rename is on the disk, so after a crash the destination is either the
// old file or the complete new one.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>

#include "pictconv/atomic_output.h"
#include "pictconv/temp_name.h"

namespace Pictconv {

namespace {

constexpr int kNameAttempts = 100;

// The path in UTF-16 through the active code page; empty when it does not
// convert.
std::wstring Wide(const std::string& path) {
    if (path.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(path.size());
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), size, &wide[0], length) !=
        length) {
        return std::wstring();
    }
    return wide;
}

// errno for the last Windows error, for callers that report it.
void SetErrnoFromLastError() {
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            errno = ENOENT;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            errno = EACCES;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            errno = EEXIST;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            errno = ENOSPC;
            break;
        default:
            errno = EIO;
            break;
    }
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

AtomicOutput::AtomicOutput(const char* destPath) : destPath_(destPath) {
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        const std::string path = TempSibling(destPath_);
        const std::wstring wide = Wide(path);
        if (path.empty() || wide.empty() || Wide(destPath_).empty()) {
            errno = ENOENT;
            return;
        }
        const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD why = GetLastError();
            if (why != ERROR_FILE_EXISTS && why != ERROR_ALREADY_EXISTS) {
                SetErrnoFromLastError();
                return;
            }
            continue;
        }
        fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR | _O_BINARY);
        tempPath_ = path;
        if (fd_ < 0) {
            CloseHandle(file);
            DeleteFileW(wide.c_str());
            tempPath_.clear();
            errno = EMFILE;
            return;
        }
    }
}

AtomicOutput::~AtomicOutput() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
    if (fd_ >= 0) {
        _close(fd_);
    }
    if (!tempPath_.empty() && !committed_) {
        DeleteFileW(Wide(tempPath_).c_str());
    }
}

std::FILE* AtomicOutput::Stream() {
    if (stream_ == nullptr && fd_ >= 0 && !released_) {
        const int copy = _dup(fd_);
        if (copy < 0) {
            return nullptr;
        }
        stream_ = _fdopen(copy, "wb");
        if (stream_ == nullptr) {
            _close(copy);
        }
    }
    return stream_;
}

int AtomicOutput::ReleaseFd() {
    if (fd_ < 0 || stream_ != nullptr || released_) {
        return -1;
    }
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!DuplicateHandle(GetCurrentProcess(), HandleOf(fd_), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return -1;
    }
    // Kernel handles carry 32 significant bits, so the value survives the
    // int that libtiff's TIFFFdOpen takes.
    const intptr_t value = reinterpret_cast<intptr_t>(copy);
    if (value < 0 || value > INT32_MAX) {
        CloseHandle(copy);
        return -1;
    }
    released_ = true;
    return static_cast<int>(value);
}

void CloseReleasedFd(int fd) {
    CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd)));
}

bool AtomicOutput::Commit() {
    if (fd_ < 0 || committed_) {
        return false;
    }
    if (stream_ != nullptr) {
        const bool closed = std::fclose(stream_) == 0;
        stream_ = nullptr;
        if (!closed) {
            return false;
        }
    }
    const bool flushed = FlushFileBuffers(HandleOf(fd_)) != 0;
    if (!flushed) {
        SetErrnoFromLastError();
    }
    const int why = errno;
    const bool closed = _close(fd_) == 0;
    fd_ = -1;
    if (!flushed) {
        errno = why;
        return false;
    }
    if (!closed) {
        return false;
    }
    if (!MoveFileExW(Wide(tempPath_).c_str(), Wide(destPath_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SetErrnoFromLastError();
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace Pictconv

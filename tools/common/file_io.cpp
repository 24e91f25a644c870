#include "file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "file_time_text.h"

namespace {

[[noreturn]] void failWithErrno(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + strerror(errno));
}

// Closes the descriptor and removes the temporary file unless released.
struct TemporaryFile {
    std::string path;
    int descriptor = -1;
    ~TemporaryFile()
    {
        if (descriptor >= 0) close(descriptor);
        if (!path.empty()) unlink(path.c_str());
    }
};

}  // namespace

MappedFile::MappedFile(const std::string& path)
{
    // Not blocking in open: a pipe with no writer would wait there forever.
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) failWithErrno("can't open", path);
    struct stat status;
    if (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        int saved = S_ISDIR(status.st_mode) ? EISDIR : errno;
        close(descriptor);
        errno = saved;
        failWithErrno("can't read", path);
    }
    if (!S_ISREG(status.st_mode)) {  // a pipe or a device: read as a stream, to its end
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
        uint8_t chunk[65536];
        ssize_t count;
        while ((count = read(descriptor, chunk, sizeof chunk)) > 0 || (count < 0 && errno == EINTR))
            if (count > 0) copy_.insert(copy_.end(), chunk, chunk + count);
        int saved = errno;
        close(descriptor);
        errno = saved;
        if (count < 0) failWithErrno("can't read", path);
        data_ = copy_.data();
        size_ = copy_.size();
        return;
    }
    size_ = size_t(status.st_size);
    if (size_ > 0) {
        void* mapped = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (mapped == MAP_FAILED) {
            int saved = errno;
            close(descriptor);
            errno = saved;
            failWithErrno("can't read", path);
        }
        data_ = static_cast<const uint8_t*>(mapped);
        madvise(mapped, size_, MADV_SEQUENTIAL);
    }
    close(descriptor);
}

MappedFile::~MappedFile()
{
    if (data_ && copy_.empty()) munmap(const_cast<uint8_t*>(data_), size_);
}

FILETIME fileModificationTime(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0) failWithErrno("can't read the time of", path);
    std::optional<FILETIME> time = fileTimeFromTimespec(status.st_mtim);
    if (!time) throw std::runtime_error("the time of " + path + " is none Windows can give a file (1601 to 30828)");
    return *time;
}

namespace {

void writeAll(int descriptor, const uint8_t* bytes, size_t size, const std::string& path)
{
    for (size_t written = 0; written < size;) {
        ssize_t count = write(descriptor, bytes + written, size - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) failWithErrno("can't write", path);
        written += size_t(count);
    }
}

// An output that is there and is not a regular file is written through, as
// it is: standard output ("-"), a device, a pipe with a reader. A symbolic
// link is never replaced (nor followed: it could lead anywhere).
bool writtenThrough(const std::string& path, const uint8_t* bytes, size_t size)
{
    struct stat status;
    if (path != "-" && (lstat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode))) return false;
    if (path != "-" && S_ISLNK(status.st_mode)) throw std::runtime_error("won't write " + path + ": it is a symbolic link");
    if (path != "-" && S_ISDIR(status.st_mode)) throw std::runtime_error("won't write " + path + ": it is a folder");
    // A pipe that nobody reads would make the write wait forever.
    int descriptor = path == "-" ? dup(STDOUT_FILENO) : open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) failWithErrno("can't write", path);
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    TemporaryFile output{"", descriptor};  // closed when done (nothing to remove)
    writeAll(descriptor, bytes, size, path);
    return true;
}

}  // namespace

void writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::optional<FILETIME> modificationTime)
{
    if (writtenThrough(path, bytes, size)) return;
    TemporaryFile temporary;
    // Beside the file, under a short name of its own: the file's name with
    // more after it could be longer than a name may be.
    std::string pattern = path.substr(0, path.rfind('/') + 1) + ".lzari-XXXXXX";
    temporary.descriptor = mkstemp(pattern.data());
    if (temporary.descriptor < 0) failWithErrno("can't write", path);
    temporary.path = pattern;

    mode_t mask = umask(0);
    umask(mask);
    fchmod(temporary.descriptor, 0666 & ~mask);  // mkstemp's 0600 is for secrets
    writeAll(temporary.descriptor, bytes, size, path);
    if (modificationTime) {
        timespec times[2] = {timespecFromFileTime(*modificationTime), timespecFromFileTime(*modificationTime)};
        struct stat kept;
        if (!isUsableFileTime(*modificationTime) || futimens(temporary.descriptor, times) != 0 ||
            fstat(temporary.descriptor, &kept) != 0 || kept.st_mtim.tv_sec != times[1].tv_sec)
            throw std::runtime_error("can't give " + path + " its time " + formatFileTime(*modificationTime) +
                                     " UTC: the file system would keep another");
    }
    if (close(temporary.descriptor) != 0) {
        temporary.descriptor = -1;
        failWithErrno("can't write", path);
    }
    temporary.descriptor = -1;
    if (rename(temporary.path.c_str(), path.c_str()) != 0) failWithErrno("can't write", path);
    temporary.path.clear();
}

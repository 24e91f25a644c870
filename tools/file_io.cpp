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
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) failWithErrno("can't open", path);
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        int saved = S_ISDIR(status.st_mode) ? EISDIR : errno;
        close(descriptor);
        errno = saved;
        failWithErrno("can't read", path);
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
    if (data_) munmap(const_cast<uint8_t*>(data_), size_);
}

FILETIME fileModificationTime(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0) failWithErrno("can't read the time of", path);
    std::optional<FILETIME> time = fileTimeFromTimespec(status.st_mtim);
    if (!time) throw std::runtime_error("the time of " + path + " lies before 1601");
    return *time;
}

void writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::optional<FILETIME> modificationTime)
{
    TemporaryFile temporary;
    std::string pattern = path + ".XXXXXX";
    temporary.descriptor = mkstemp(pattern.data());
    if (temporary.descriptor < 0) failWithErrno("can't write", path);
    temporary.path = pattern;

    mode_t mask = umask(0);
    umask(mask);
    fchmod(temporary.descriptor, 0666 & ~mask);  // mkstemp's 0600 is for secrets
    for (size_t written = 0; written < size;) {
        ssize_t count = write(temporary.descriptor, bytes + written, size - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) failWithErrno("can't write", path);
        written += size_t(count);
    }
    if (modificationTime) {
        timespec times[2] = {timespecFromFileTime(*modificationTime), timespecFromFileTime(*modificationTime)};
        if (futimens(temporary.descriptor, times) != 0) failWithErrno("can't set the time of", path);
    }
    if (close(temporary.descriptor) != 0) {
        temporary.descriptor = -1;
        failWithErrno("can't write", path);
    }
    temporary.descriptor = -1;
    if (rename(temporary.path.c_str(), path.c_str()) != 0) failWithErrno("can't write", path);
    temporary.path.clear();
}
